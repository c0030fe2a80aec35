#include "print/raster_printer_device.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "print/ipp_client.h"
#include "print/text.h"

namespace pw::print {

RasterPrinterDevice::RasterPrinterDevice(Printer printer, JobSettings settings, PixelFormat format,
                                         RasterOutput output, std::string pwg_type)
    : PrinterDevice(std::move(printer), settings, bits_per_pixel(format)),
      format_(format),
      output_(output),
      pwg_type_(std::move(pwg_type)) {}

RasterPrinterDevice::~RasterPrinterDevice() { discard_document(); }

const char* RasterPrinterDevice::kind() const {
    switch (output_) {
        case RasterOutput::png: return "png";
        case RasterOutput::fax: return "fax";
        case RasterOutput::pwg: return "pwg";
    }
    return "raster";
}

std::string RasterPrinterDevice::png_page_path(const std::string& target, int n) {
    const std::string number = std::to_string(n);
    auto at = target.find("%d");
    if (at != std::string::npos) return target.substr(0, at) + number + target.substr(at + 2);
    std::string base = target;
    if (base.size() >= 4 && lower(base.substr(base.size() - 4)) == ".png") base.resize(base.size() - 4);
    return base + "-" + number + ".png";
}

bool RasterPrinterDevice::begin_document(std::string* why) {
    switch (output_) {
        case RasterOutput::png:
            target_ = output_target(printer(), doc(), ".png");
            return true;
        case RasterOutput::fax:
            file_ = OutputFile::open(output_target(printer(), doc(), ".tif"), why);
            if (!file_) return false;
            tiff_ = FaxTiffWriter::open(file_->fd(), file_->path(), why);
            if (!tiff_) {
                file_.reset();
                return false;
            }
            return true;
        case RasterOutput::pwg: {
            std::string gone = ipp_printer_answers(printer());
            if (!gone.empty()) {
                *why = gone;
                return false;
            }
            spool_ = std::tmpfile();
            if (!spool_) {
                *why = "no room for a temporary file to spool the document";
                return false;
            }
            pwg_ = PwgWriter::open(spool_, why);
            if (!pwg_) {
                discard_document();
                return false;
            }
            return true;
        }
    }
    return false;
}

bool RasterPrinterDevice::begin_page(std::string*) {
    page_.clear();
    draw_error_.clear();
    return true;
}

namespace {

// Bytes of band memory: enough rows that replaying the page's calls once per
// band costs little, few enough to stay small beside the images.
constexpr size_t kBandBytes = 2 << 20;

// The band being encoded: drawn when the encoder first asks for one of its rows.
struct Band {
    std::unique_ptr<uint8_t[]> memory;
    size_t stride = 0;
    int rows = 0;
    std::unique_ptr<RasterDevice> device;
};

}  // namespace

PageImage RasterPrinterDevice::sheet(RowFormat format) {
    const JobSettings& s = settings();
    PageImage img;
    img.width = s.physical_width();
    img.height = s.physical_height();
    img.xdpi = s.resolution.x;
    img.ydpi = s.resolution.y;
    img.format = format;
    img.keep_going = [this] { return keep_going(); };
    const int ox = s.offset_x(), oy = s.offset_y();
    const PixelFormat pf = format_;
    const int bytes = img.bytes_per_row();
    const DeviceCaps caps = this->caps();
    auto band = std::make_shared<Band>();
    band->stride = (static_cast<size_t>(caps.horz_res) * static_cast<size_t>(bits_per_pixel(pf)) + 31) / 32 * 4;
    band->rows = static_cast<int>(std::clamp<size_t>(kBandBytes / band->stride, 16, static_cast<size_t>(caps.vert_res)));
    // The page's row `py`, drawn with its band when needed; null when the band
    // could not be drawn (the reason is kept for finish_page).
    auto page_row = [this, band, caps, pf](int py) -> const uint8_t* {
        RasterDevice* d = band->device.get();
        if (!d || py < d->first_row() || py >= d->end_row()) {
            if (!draw_error_.empty()) return nullptr;
            try {
                if (!band->memory) band->memory.reset(new uint8_t[band->stride * static_cast<size_t>(band->rows)]);
                const int first = py / band->rows * band->rows;
                band->device = std::make_unique<RasterDevice>(caps, pf, band->memory.get(),
                                                              static_cast<ptrdiff_t>(band->stride), first,
                                                              std::min(band->rows, caps.vert_res - first));
                if (page_.render(*band->device) != DrawStatus::done) draw_error_ = "the page could not be drawn";
            } catch (const std::bad_alloc&) {
                draw_error_ = "no memory to draw the page";
            } catch (const std::exception& e) {
                draw_error_ = std::string("the page could not be drawn: ") + e.what();
            }
            if (!draw_error_.empty()) {
                band->device.reset();
                return nullptr;
            }
            d = band->device.get();
        }
        return d->row(py);
    };
    img.row = [=](int y, uint8_t* out) {
        // Margins are paper: white.
        std::memset(out, 0xFF, static_cast<size_t>(bytes));
        const int py = y - oy;
        if (py < 0 || py >= caps.vert_res) return;
        const uint8_t* in = page_row(py);
        if (!in) return;
        const int w = caps.horz_res;
        switch (pf) {
            case PixelFormat::mono1:
                if ((ox & 7) == 0) {
                    std::memcpy(out + ox / 8, in, static_cast<size_t>(w / 8));
                    for (int x = w & ~7; x < w; ++x) {
                        if (!((in[x >> 3] >> (7 - (x & 7))) & 1)) out[(ox + x) >> 3] &= ~(0x80 >> ((ox + x) & 7));
                    }
                } else {
                    for (int x = 0; x < w; ++x) {
                        if (!((in[x >> 3] >> (7 - (x & 7))) & 1)) out[(ox + x) >> 3] &= ~(0x80 >> ((ox + x) & 7));
                    }
                }
                break;
            case PixelFormat::gray8: std::memcpy(out + ox, in, static_cast<size_t>(w)); break;
            case PixelFormat::bgr24: {
                // Blue, green, red to red, green, blue a pixel at a time through
                // one 32-bit word (a byte swap and a shift): the fourth byte read
                // and written belongs to the next pixel, which is done next, so
                // the last pixel is done byte by byte.
                uint8_t* o = out + 3 * static_cast<size_t>(ox);
                for (int x = 0; x + 1 < w; ++x) {
                    uint32_t v;
                    std::memcpy(&v, in + 3 * static_cast<size_t>(x), 4);
                    v = __builtin_bswap32(v) >> 8;
                    std::memcpy(o + 3 * static_cast<size_t>(x), &v, 4);
                }
                if (w > 0) {
                    const size_t x = static_cast<size_t>(w - 1);
                    o[3 * x] = in[3 * x + 2];
                    o[3 * x + 1] = in[3 * x + 1];
                    o[3 * x + 2] = in[3 * x];
                }
                break;
            }
            default: break;  // the printers make no other page formats
        }
    };
    return img;
}

bool RasterPrinterDevice::finish_page(std::string* why) {
    const RowFormat format = format_ == PixelFormat::mono1   ? RowFormat::white1
                             : format_ == PixelFormat::gray8 ? RowFormat::gray8
                                                             : RowFormat::rgb24;
    PageImage img = sheet(format);
    bool ok = false;
    std::unique_ptr<OutputFile> file;
    switch (output_) {
        case RasterOutput::png:
            file = OutputFile::open(png_page_path(target_, page_number()), why);
            ok = file && write_png(file->stream(), img, why);
            break;
        case RasterOutput::fax: ok = tiff_->add_page(img, why); break;
        case RasterOutput::pwg: ok = pwg_->add_page(img, pwg_type_, why); break;
    }
    page_.clear();
    // A band that could not be drawn left white rows in what was written: the
    // page failed, whatever the writer says.
    if (ok && !draw_error_.empty()) {
        *why = draw_error_;
        ok = false;
    }
    if (ok && file) pages_.push_back(std::move(file));
    return ok;
}

bool RasterPrinterDevice::finish_document(std::string* why) {
    bool ok = true;
    switch (output_) {
        case RasterOutput::png:
            for (auto& f : pages_) {
                if (ok) ok = f->commit(why);
                else f->discard();
            }
            pages_.clear();
            break;
        case RasterOutput::fax:
            ok = tiff_->close(why);
            tiff_.reset();
            ok = ok && file_->commit(why);
            file_.reset();
            break;
        case RasterOutput::pwg:
            ok = pwg_->close(why);
            pwg_.reset();
            if (ok) {
                std::rewind(spool_);
                *why = send_ipp_job(printer(), doc().name, "image/pwg-raster", spool_, !settings().colour);
                ok = why->empty();
            }
            std::fclose(spool_);
            spool_ = nullptr;
            break;
    }
    page_.clear();
    if (!ok) discard_document();
    return ok;
}

void RasterPrinterDevice::discard_document() {
    pages_.clear();  // each removes its temporary
    tiff_.reset();
    file_.reset();
    pwg_.reset();
    if (spool_) std::fclose(spool_);
    spool_ = nullptr;
    page_.clear();
}

// Recorded, to be drawn band by band at EndPage. Memory for the copy of an
// image is the only way these fail.
DrawStatus RasterPrinterDevice::draw_stretch_dib(const StretchDibCall& call, int* lines) {
    try {
        return page_.stretch_dib(call, caps().horz_res, caps().vert_res, lines);
    } catch (const std::bad_alloc&) {
        return DrawStatus::failed;
    }
}
DrawStatus RasterPrinterDevice::draw_fill_path(const FillPathCall& call) {
    try {
        return page_.fill_path(call);
    } catch (const std::bad_alloc&) {
        return DrawStatus::failed;
    }
}
DrawStatus RasterPrinterDevice::draw_pat_blt(const PatBltCall& call) {
    try {
        return page_.pat_blt(call);
    } catch (const std::bad_alloc&) {
        return DrawStatus::failed;
    }
}

}  // namespace pw::print
