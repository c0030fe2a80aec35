#include "print/raster_printer_device.h"

#include <cstring>

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

bool RasterPrinterDevice::begin_page(std::string* why) {
    try {
        if (page_) {
            page_->clear();
        } else {
            const DeviceCaps& c = caps();
            page_ = std::make_unique<RasterDevice>(c, format_);
        }
    } catch (const std::exception& e) {
        *why = std::string("no memory for a page of ") + std::to_string(caps().horz_res) + " x " +
               std::to_string(caps().vert_res) + " pixels";
        return false;
    }
    return true;
}

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
    const RasterDevice* page = page_.get();
    const PixelFormat pf = format_;
    const int bytes = img.bytes_per_row();
    img.row = [=](int y, uint8_t* out) {
        // Margins are paper: white.
        std::memset(out, 0xFF, static_cast<size_t>(bytes));
        const int py = y - oy;
        if (py < 0 || py >= page->height()) return;
        const uint8_t* in = page->row(py);
        const int w = page->width();
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
            case PixelFormat::bgr24:
                for (int x = 0; x < w; ++x) {
                    uint8_t* o = out + 3 * (ox + x);
                    o[0] = in[3 * x + 2];
                    o[1] = in[3 * x + 1];
                    o[2] = in[3 * x];
                }
                break;
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
    switch (output_) {
        case RasterOutput::png: {
            auto file = OutputFile::open(png_page_path(target_, page_number()), why);
            if (!file || !write_png(file->stream(), img, why)) return false;
            pages_.push_back(std::move(file));
            return true;
        }
        case RasterOutput::fax: return tiff_->add_page(img, why);
        case RasterOutput::pwg: return pwg_->add_page(img, pwg_type_, why);
    }
    return false;
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
    page_.reset();
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
    page_.reset();
}

DrawStatus RasterPrinterDevice::draw_stretch_dib(const StretchDibCall& call, int* lines) {
    return page_ ? page_->stretch_dib(call, lines) : DrawStatus::failed;
}
DrawStatus RasterPrinterDevice::draw_fill_path(const FillPathCall& call) {
    return page_ ? page_->fill_path(call) : DrawStatus::failed;
}
DrawStatus RasterPrinterDevice::draw_pat_blt(const PatBltCall& call) {
    return page_ ? page_->pat_blt(call) : DrawStatus::failed;
}

}  // namespace pw::print
