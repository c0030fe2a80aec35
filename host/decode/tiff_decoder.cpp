#include "decode/tiff_decoder.h"

#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "decode/decode_common.h"
#include "decode/tiff_handle.h"

namespace lucentra {
namespace {

// Pages are numbered in messages only when a file has more than one.
int message_page(int index, int count) { return count > 1 ? index : -1; }

void go_to_page(TiffHandle& handle, const std::string& path, int index, int count) {
    if (!TIFFSetDirectory(handle.get(), (tdir_t)index))
        throw DecodeError(decode_message(path, message_page(index, count),
                                         "cannot read the page (" + handle.messages().text() + ")"));
}

// Produces the raw stored samples of one row: all samples interleaved (one
// buffer) or one buffer per plane. Strips are read scanline by scanline; with
// separate planes each plane has its own handle so that every plane streams
// through its strips once. Tiles are read one row of tiles at a time.
class TiffRawRows {
public:
    TiffRawRows(const std::string& path, int index, int count, const TiffLayout& expected, const DecodeLimits& limits)
        : path_(path), page_(message_page(index, count)) {
        const int planes = expected.planar_separate ? expected.samples : 1;
        const int handles = expected.tiled ? 1 : planes;
        for (int i = 0; i < handles; ++i) {
            handles_.push_back(std::make_unique<TiffHandle>(path));
            go_to_page(*handles_.back(), path, index, count);
            layout_ = read_tiff_layout(handles_.back()->get(), handles_.back()->messages(), path, page_, limits);
        }
        if (layout_.width != expected.width || layout_.height != expected.height || layout_.bits != expected.bits ||
            layout_.samples != expected.samples || layout_.model != expected.model)
            throw DecodeError(decode_message(path, page_, "the file changed while it was being printed"));

        TIFF* tif = handles_[0]->get();
        tmsize_t scanline = TIFFScanlineSize(tif);
        if (scanline <= 0) throw error("cannot size a scanline");
        rows_.assign(planes, std::vector<uint8_t>((size_t)scanline));
        if (layout_.tiled) {
            tile_size_ = TIFFTileSize(tif);
            tile_row_bytes_ = TIFFTileRowSize(tif);
            if (tile_size_ <= 0 || tile_row_bytes_ <= 0) throw error("cannot size a tile");
            tiles_across_ = (layout_.width + layout_.tile_width - 1) / layout_.tile_width;
            tile_rows_.assign(planes, std::vector<uint8_t>((size_t)tile_size_ * tiles_across_));
        }
    }

    const TiffLayout& layout() const { return layout_; }
    const std::vector<std::vector<uint8_t>>& rows() const { return rows_; }

    void next(uint32_t y) {
        if (layout_.tiled)
            next_tiled(y);
        else
            next_stripped(y);
    }

private:
    DecodeError error(const std::string& what, TiffMessages* messages = nullptr) const {
        std::string text = what;
        if (messages) text += " (" + messages->text() + ")";
        return DecodeError(decode_message(path_, page_, text));
    }

    void next_stripped(uint32_t y) {
        for (size_t plane = 0; plane < rows_.size(); ++plane) {
            TiffHandle& handle = *handles_[plane];
            handle.messages().clear();
            if (TIFFReadScanline(handle.get(), rows_[plane].data(), y, (uint16_t)plane) < 0 ||
                handle.messages().warned_data)
                throw error("corrupt or truncated data at row " + std::to_string(y + 1) + " of " +
                                std::to_string(layout_.height),
                            &handle.messages());
        }
    }

    void next_tiled(uint32_t y) {
        TiffHandle& handle = *handles_[0];
        const uint32_t in_tile = y % layout_.tile_height;
        if (in_tile == 0 || y != last_ + 1) {
            const uint32_t top = y - in_tile;
            for (size_t plane = 0; plane < tile_rows_.size(); ++plane) {
                for (uint32_t t = 0; t < tiles_across_; ++t) {
                    handle.messages().clear();
                    if (TIFFReadTile(handle.get(), tile_rows_[plane].data() + (size_t)t * tile_size_,
                                     t * layout_.tile_width, top, 0, (uint16_t)plane) < 0 ||
                        handle.messages().warned_data)
                        throw error("corrupt or truncated tile at row " + std::to_string(top + 1), &handle.messages());
                }
            }
        }
        last_ = y;
        for (size_t plane = 0; plane < rows_.size(); ++plane) {
            std::vector<uint8_t>& row = rows_[plane];
            size_t offset = 0;
            for (uint32_t t = 0; t < tiles_across_ && offset < row.size(); ++t) {
                size_t n = std::min((size_t)tile_row_bytes_, row.size() - offset);
                memcpy(row.data() + offset,
                       tile_rows_[plane].data() + (size_t)t * tile_size_ + (size_t)in_tile * tile_row_bytes_, n);
                offset += n;
            }
        }
    }

    std::string path_;
    int page_;
    std::vector<std::unique_ptr<TiffHandle>> handles_;
    TiffLayout layout_;
    std::vector<std::vector<uint8_t>> rows_;
    std::vector<std::vector<uint8_t>> tile_rows_;
    tmsize_t tile_size_ = 0, tile_row_bytes_ = 0;
    uint32_t tiles_across_ = 0;
    uint32_t last_ = UINT32_MAX;
};

class TiffRowReader : public RowReader {
public:
    TiffRowReader(const std::string& path, int index, int count, const TiffLayout& layout, const PageInfo& page,
                  const DecodeLimits& limits)
        : raw_(path, index, count, layout, limits), page_(page), path_(path), message_page_(message_page(index, count)) {}

    void read(uint8_t* out) override {
        if (next_ >= (uint32_t)page_.height)
            throw DecodeError(decode_message(path_, message_page_, "read past the last row"));
        raw_.next(next_);
        convert(out);
        ++next_;
    }

private:
    // Sample s of pixel x, 8 bits.
    unsigned sample(uint32_t x, int s) const {
        const TiffLayout& l = raw_.layout();
        unsigned v = l.planar_separate ? packed_sample(raw_.rows()[s].data(), x, l.bits)
                                       : packed_sample(raw_.rows()[0].data(), (size_t)x * l.samples + s, l.bits);
        return l.bits < 8 && l.model != TiffModel::Palette ? widen_sample(v, l.bits) : v;
    }

    unsigned compose(unsigned v, unsigned alpha) const {
        if (!raw_.layout().alpha_premultiplied) return over_white(v, alpha);
        return std::min(255u, v + 255u - alpha);
    }

    void convert(uint8_t* out) const {
        const TiffLayout& l = raw_.layout();
        const uint32_t w = l.width;
        const uint8_t* row = raw_.rows()[0].data();
        // The common stored forms go without per-sample dispatch.
        if (!l.planar_separate && l.alpha_sample < 0 && l.bits == 8) {
            if (l.model == TiffModel::Gray && l.samples == 1) {
                if (l.min_is_white)
                    for (uint32_t x = 0; x < w; ++x) out[x] = 255 - row[x];
                else
                    memcpy(out, row, w);
                return;
            }
            if (l.model == TiffModel::Rgb && l.samples == 3) {
                memcpy(out, row, (size_t)w * 3);
                return;
            }
        }
        if (l.model == TiffModel::Gray && l.bits == 1 && l.samples == 1) {
            const uint8_t ink = l.min_is_white ? 0 : 255;
            // Eight pixels a stored byte, from a table of what each byte becomes
            // (a fax page is 216 bytes a row, a bit at a time is 1728 steps).
            if (bilevel_ink_ != ink || bilevel_.empty()) {
                bilevel_.resize(256);
                for (unsigned b = 0; b < 256; ++b) {
                    uint8_t px[8];
                    for (int k = 0; k < 8; ++k) px[k] = (b & (0x80u >> k)) ? ink : (uint8_t)(255 - ink);
                    memcpy(&bilevel_[b], px, 8);
                }
                bilevel_ink_ = ink;
            }
            const uint32_t whole = w / 8;
            for (uint32_t i = 0; i < whole; ++i) memcpy(out + 8 * (size_t)i, &bilevel_[row[i]], 8);
            for (uint32_t x = whole * 8; x < w; ++x) out[x] = (row[x >> 3] & (0x80 >> (x & 7))) ? ink : 255 - ink;
            return;
        }
        for (uint32_t x = 0; x < w; ++x) {
            unsigned alpha = l.alpha_sample >= 0 ? sample(x, l.alpha_sample) : 255;
            unsigned r, g, b;
            switch (l.model) {
            case TiffModel::Gray:
                r = g = b = l.min_is_white ? 255 - sample(x, 0) : sample(x, 0);
                break;
            case TiffModel::Rgb:
                r = sample(x, 0), g = sample(x, 1), b = sample(x, 2);
                break;
            case TiffModel::Palette: {
                const uint8_t* entry = &l.palette[3 * sample(x, 0)];
                r = entry[0], g = entry[1], b = entry[2];
                break;
            }
            case TiffModel::Cmyk: {
                unsigned k = 255 - sample(x, 3);
                r = (255 - sample(x, 0)) * k / 255;
                g = (255 - sample(x, 1)) * k / 255;
                b = (255 - sample(x, 2)) * k / 255;
                break;
            }
            }
            if (alpha != 255) r = compose(r, alpha), g = compose(g, alpha), b = compose(b, alpha);
            if (page_.channels == 3) {
                out[3 * x] = (uint8_t)r, out[3 * x + 1] = (uint8_t)g, out[3 * x + 2] = (uint8_t)b;
            } else {
                out[x] = (uint8_t)r;  // gray models and gray palettes
            }
        }
    }

    TiffRawRows raw_;
    PageInfo page_;
    std::string path_;
    int message_page_;
    // Bilevel rows: the eight output pixels of every stored byte, made on first use.
    mutable std::vector<uint64_t> bilevel_;
    mutable int bilevel_ink_ = -1;
    uint32_t next_ = 0;
};

class TiffFile : public ImageFile {
public:
    TiffFile(const std::string& path, const DecodeOptions& options) : ImageFile(path, options) {
        TiffHandle handle(path);
        handle.messages().clear();
        int count = 0;
        do {
            if (count >= options.limits.max_pages)
                throw DecodeError(decode_message(path, -1, "more than " + std::to_string(options.limits.max_pages) +
                                                               " pages"));
            ++count;
        } while (TIFFReadDirectory(handle.get()));
        // A damaged directory ends TIFFReadDirectory like the last one does; only
        // the error tells them apart, and pages must not go missing quietly.
        if (handle.messages().error[0])
            throw DecodeError(decode_message(path, -1, "unreadable TIFF directory (" + handle.messages().text() + ")"));

        for (int index = 0; index < count; ++index) {
            go_to_page(handle, path, index, count);
            TiffLayout layout = read_tiff_layout(handle.get(), handle.messages(), path, message_page(index, count),
                                                 options.limits);
            PageInfo page;
            page.width = (int)layout.width;
            page.height = (int)layout.height;
            page.source_bits = layout.bits;
            page.has_colour = layout.model == TiffModel::Rgb || layout.model == TiffModel::Cmyk ||
                              (layout.model == TiffModel::Palette && !layout.palette_gray);
            page.channels = page.has_colour ? 3 : 1;
            page.bilevel = layout.model == TiffModel::Gray && layout.bits == 1 && layout.alpha_sample < 0;
            page.format = describe_tiff(layout);
            choose_resolution(page, layout.xres, layout.yres, options);
            pages_.push_back(page);
            layouts_.push_back(std::move(layout));
        }
    }

    std::unique_ptr<RowReader> open_rows(int index) const override {
        return std::make_unique<TiffRowReader>(path_, index, page_count(), layouts_.at(index), page(index),
                                               options_.limits);
    }

private:
    std::vector<TiffLayout> layouts_;
};

}  // namespace

std::unique_ptr<ImageFile> open_tiff(const std::string& path, const DecodeOptions& options) {
    return std::make_unique<TiffFile>(path, options);
}

}  // namespace lucentra
