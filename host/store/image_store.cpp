#include "store/image_store.h"

#include <cstring>

#include "kel/errlog.h"

namespace lucentra {

StoreForm StoreForm::of(const EBITMAP& bitmap) {
    StoreForm form;
    form.width = bitmap.GetWidth();
    form.height = bitmap.GetHeight();
    form.bits = bitmap.GetBitsPerPixel();
    form.type = bitmap.GetBitMapType();
    return form;
}

ImageStore::ImageStore(StoreSource source, const StoreForm& form) : source_(std::move(source)), form_(form) {}

ImageStore::~ImageStore() = default;

int ImageStore::fail(int code, const std::string& message) {
    error_ = message;
    return err.log(code, "lucentra", __LINE__, 9, 2, 2, 1, "%s", message.c_str());
}

LineForm ImageStore::line_form() const {
    switch (form_.bits) {
    case 24: return LineForm::Rgb24;
    case 8: return form_.type == BMT_PALETTE ? LineForm::Palette8 : LineForm::Gray8;
    case 4: return LineForm::Gray4;
    default: return LineForm::Bilevel1;
    }
}

std::unique_ptr<Resampler> ImageStore::open_pass() const {
    const PageInfo& page = source_.image->page(source_.page);
    const LineForm form = line_form();
    const int channels = (form == LineForm::Rgb24 || form == LineForm::Palette8) ? page.channels : 1;
    return std::make_unique<Resampler>(source_.image->open_rows(source_.page), page, channels, source_.window,
                                       form_.width, form_.height);
}

int ImageStore::Setup() {
    resampler_.reset();
    packer_.reset();
    cancelled_ = false;
    error_.clear();
    lines_at_close_ = 0;
    if (form_.bits != 1 && form_.bits != 4 && form_.bits != 8 && form_.bits != 24)
        return fail(KEL_ERR_UNSUPPORTED, "cannot produce " + std::to_string(form_.bits) + "-bit lines");
    if (form_.width <= 0 || form_.height < 0 || !source_.image)
        return fail(KEL_ERR_BAD_ARGUMENT, "the region has no pixels to produce (" + std::to_string(form_.width) +
                                              " x " + std::to_string(form_.height) + ")");
    const PageInfo& page = source_.image->page(source_.page);
    const LineForm form = line_form();
    try {
        if (form == LineForm::Palette8) {
            // The palette must be known before the first line: one pass to choose it.
            auto survey = open_pass();
            PaletteBuilder builder;
            std::vector<uint8_t> row((size_t)form_.width * survey->channels());
            for (int y = 0; y < form_.height; ++y) {
                survey->next(row.data());
                if (source_.mask)
                    source_.mask->whiten_row(source_.window, form_.width, form_.height, y, row.data(),
                                             survey->channels());
                builder.add_row(row.data(), form_.width, survey->channels());
            }
            palette_ = builder.finish();
        }
        resampler_ = open_pass();
    } catch (const DecodeError& e) {
        resampler_.reset();
        return fail(KEL_ERR_IO, e.what());
    } catch (const std::bad_alloc&) {
        resampler_.reset();
        return fail(KEL_ERR_NO_MEMORY, source_.image->path() + ": out of memory");
    }
    // Photos are diffused; line art, and scans that are black and white already,
    // are cut at mid-gray so strokes stay solid.
    const bool diffuse = !(source_.line_art || page.bilevel);
    packer_ = std::make_unique<LinePacker>(form, form_.width, resampler_->channels(), diffuse, &palette_);
    row_.resize((size_t)form_.width * resampler_->channels());
    return KEL_OK;
}

int ImageStore::fill_line(EBITMAP* bitmap, unsigned char* line) {
    try {
        resampler_->next(row_.data());
        if (source_.mask)
            source_.mask->whiten_row(source_.window, form_.width, form_.height, resampler_->rows_done() - 1,
                                     row_.data(), resampler_->channels());
    } catch (const DecodeError& e) {
        return fail(KEL_ERR_IO, e.what());
    }
    packer_->pack(row_.data(), line);
    const size_t used = packed_bytes(line_form(), form_.width);
    const size_t stride = (size_t)bitmap->GetBytesPerLine();
    if (stride > used) memset(line + used, 0, stride - used);
    return KEL_OK;
}

int ImageStore::Pull(EHOLDER* holder) {
    if (cancelled_ || (source_.stop && source_.stop->load())) return KEL_CANCELLED;
    if (!resampler_) return fail(KEL_ERR_BAD_STATE, "a line was asked for before Setup or after Done");
    auto* bitmap = dynamic_cast<EBITMAP*>(holder);
    if (!bitmap) return fail(KEL_ERR_UNSUPPORTED, "this region has pixels, not outlines");
    if (bitmap->GetWidth() != form_.width || bitmap->GetBitsPerPixel() != form_.bits)
        return fail(KEL_ERR_BAD_ARGUMENT, "the strip's form (" + std::to_string(bitmap->GetWidth()) + " pixels, " +
                                              std::to_string(bitmap->GetBitsPerPixel()) +
                                              " bits) is not the form asked for");
    if (resampler_->rows_done() >= form_.height) return fail(KEL_ERR_BAD_STATE, "every line was delivered");

    if (line_form() == LineForm::Palette8) {
        EPALETTE* palette = bitmap->GetPalette();
        const auto& entries = palette_.entries();
        palette->SetColors((int)entries.size());
        for (size_t i = 0; i < entries.size(); ++i)
            palette->entries[i] = COLOR_ENTRY{entries[i][0], entries[i][1], entries[i][2]};
    }

    if (auto* strip = dynamic_cast<EBITMAP_STRIP*>(bitmap)) {
        unsigned char* line = strip->GetLine();
        if (!line) return fail(KEL_ERR_BAD_ARGUMENT, "the strip has no line memory");
        int r = fill_line(bitmap, line);
        if (r != KEL_OK) return r;
        return resampler_->rows_done() == form_.height ? KEL_DONE : KEL_MORE;
    }

    // A whole bitmap takes every remaining line in one pull.
    if (bitmap->GetHeight() != form_.height || (!bitmap->Line(0) && !bitmap->Allocate()))
        return fail(KEL_ERR_NO_MEMORY, "no memory for the region's bitmap");
    while (resampler_->rows_done() < form_.height) {
        int r = fill_line(bitmap, bitmap->Line(resampler_->rows_done()));
        if (r != KEL_OK) return r;
    }
    return KEL_DONE;
}

int ImageStore::Done() {
    lines_at_close_ = lines_pulled();
    resampler_.reset();
    packer_.reset();
    return KEL_OK;
}

int ImageStore::Cancel() {
    lines_at_close_ = lines_pulled();
    cancelled_ = true;
    resampler_.reset();
    packer_.reset();
    return KEL_OK;
}

}  // namespace lucentra
