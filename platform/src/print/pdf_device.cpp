#include "print/pdf_device.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "print/ipp_client.h"
#include "print/pdf_image.h"

namespace pw::print {
namespace {

// Creation date of the document in PDF form: fixed by SOURCE_DATE_EPOCH when it
// is set, so that the same document gives the same bytes (tests, reproducible
// output); else now.
std::string creation_date() {
    time_t t = std::time(nullptr);
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch && *epoch) {
        char* end = nullptr;
        long long secs = std::strtoll(epoch, &end, 10);
        if (!*end && secs >= 0) t = static_cast<time_t>(secs);
    }
    struct tm tm;
    char out[32];
    if (!gmtime_r(&t, &tm) || !std::strftime(out, sizeof out, "D:%Y%m%d%H%M%SZ", &tm)) return {};
    return out;
}

void numbers(std::string* out, std::initializer_list<double> values, const char* op) {
    for (double v : values) {
        pdf_number(out, v);
        out->push_back(' ');
    }
    out->append(op);
    out->push_back('\n');
}

// Sets the fill colour (0x00RRGGBB).
void colour_op(std::string* out, uint32_t rgb) {
    numbers(out, {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0}, "rg");
}

}  // namespace

PdfPrinterDevice::PdfPrinterDevice(Printer printer, JobSettings settings, int bits_pixel)
    : PrinterDevice(std::move(printer), settings, bits_pixel) {}

PdfPrinterDevice::~PdfPrinterDevice() { discard_document(); }

bool PdfPrinterDevice::written(std::string* why) {
    if (pdf_ && pdf_->ok()) return true;
    // Say where and why (a full disk, a vanished folder), as the user can act on it.
    const int error = pdf_ ? pdf_->write_errno() : 0;
    *why = file_ ? "cannot write '" + file_->path() + "'" : std::string("the PDF could not be written");
    if (error) *why += std::string(": ") + std::strerror(error);
    return false;
}

bool PdfPrinterDevice::begin_document(std::string* why) {
    FILE* out = nullptr;
    if (printer().kind == Kind::ipp) {
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
        out = spool_;
    } else {
        file_ = OutputFile::open(output_target(printer(), doc(), ".pdf"), why);
        if (!file_) return false;
        out = file_->stream();
    }
    pdf_ = std::make_unique<PdfWriter>(out);
    pages_object_ = pdf_->reserve();
    page_objects_.clear();
    if (!written(why)) {
        discard_document();
        return false;
    }
    return true;
}

bool PdfPrinterDevice::begin_page(std::string* why) {
    const JobSettings& s = settings();
    content_.clear();
    images_.clear();
    multiply_ = screen_ = difference_ = false;
    // Page space is device pixels from the printable area's corner, y down, as GDI
    // sees it; the PDF's is points from the paper's lower left corner, y up.
    const double sx = 72.0 / s.resolution.x, sy = 72.0 / s.resolution.y;
    const double height = s.physical_height() * sy;
    content_ = "q\n";
    numbers(&content_, {sx, 0, 0, -sy, s.offset_x() * sx, height - s.offset_y() * sy}, "cm");
    numbers(&content_, {0, 0, static_cast<double>(s.printable_width()), static_cast<double>(s.printable_height())},
            "re W n");
    return written(why);
}

bool PdfPrinterDevice::finish_page(std::string* why) {
    const JobSettings& s = settings();
    content_ += "Q\n";
    FlateStream content;
    if (!deflate_bytes(content_, &content)) {
        *why = "no memory to finish the PDF page";
        return false;
    }
    const int contents = pdf_->reserve(), page = pdf_->reserve();
    pdf_->stream(contents, "/Filter /FlateDecode", content);
    std::string resources = "<<";
    if (!images_.empty()) {
        resources += "/XObject <<";
        for (const auto& [name, number] : images_) resources += "/" + name + " " + std::to_string(number) + " 0 R ";
        resources += ">> ";
    }
    if (multiply_ || screen_ || difference_) {
        resources += "/ExtGState <<";
        if (multiply_) resources += "/Multiply <</BM /Multiply>> ";
        if (screen_) resources += "/Screen <</BM /Screen>> ";
        if (difference_) resources += "/Difference <</BM /Difference>> ";
        resources += ">> ";
    }
    resources += ">>";
    std::string box = "[0 0 ";
    pdf_number(&box, s.physical_width() * 72.0 / s.resolution.x);
    box += " ";
    pdf_number(&box, s.physical_height() * 72.0 / s.resolution.y);
    box += "]";
    pdf_->object(page, "<</Type /Page /Parent " + std::to_string(pages_object_) + " 0 R /MediaBox " + box +
                           " /Resources " + resources + " /Contents " + std::to_string(contents) + " 0 R>>");
    page_objects_.push_back(page);
    content_.clear();
    content_.shrink_to_fit();
    images_.clear();
    return written(why);
}

bool PdfPrinterDevice::finish_document(std::string* why) {
    std::string kids;
    for (int p : page_objects_) kids += std::to_string(p) + " 0 R ";
    pdf_->object(pages_object_, "<</Type /Pages /Kids [" + kids + "] /Count " + std::to_string(page_objects_.size()) +
                                    ">>");
    const int catalog = pdf_->reserve(), info = pdf_->reserve();
    pdf_->object(catalog, "<</Type /Catalog /Pages " + std::to_string(pages_object_) + " 0 R>>");
    std::string meta = "<</Title " + pdf_text_string(doc().name) + " /Creator (Pagewright) /Producer (Pagewright)";
    const std::string date = creation_date();
    if (!date.empty()) meta += " /CreationDate (" + date + ")";
    pdf_->object(info, meta + ">>");
    pdf_->finish(catalog, info);
    if (!written(why)) {
        discard_document();
        return false;
    }
    pdf_.reset();
    if (file_) {
        bool ok = file_->commit(why);
        file_.reset();
        return ok;
    }
    std::fflush(spool_);
    std::rewind(spool_);
    *why = send_ipp_job(printer(), doc().name, "application/pdf", spool_, !settings().colour);
    std::fclose(spool_);
    spool_ = nullptr;
    return why->empty();
}

void PdfPrinterDevice::discard_document() {
    pdf_.reset();
    if (file_) file_->discard();
    file_.reset();
    if (spool_) std::fclose(spool_);
    spool_ = nullptr;
    content_.clear();
    images_.clear();
}

std::string PdfPrinterDevice::add_image(const PdfImage& image) {
    const int number = pdf_->reserve();
    pdf_->stream(number, image.dict, image.data);
    std::string name = "Im" + std::to_string(images_.size() + 1);
    images_.emplace_back(name, number);
    return name;
}

DrawStatus PdfPrinterDevice::draw_stretch_dib(const StretchDibCall& call, int* lines) {
    *lines = 0;
    if (call.src.empty() || call.dst.empty()) return DrawStatus::done;
    if (!pdf_) return DrawStatus::failed;
    const DWORD rop = call.rop;
    const char* blend = nullptr;
    bool invert = false;
    switch (rop) {
        case SRCCOPY: break;
        case NOTSRCCOPY: invert = true; break;
        case SRCAND: blend = "Multiply"; break;
        case SRCPAINT: blend = "Screen"; break;
        case SRCINVERT: blend = "Difference"; break;
        default: return DrawStatus::unsupported;
    }
    auto go_on = [this] { return keep_going(); };
    PdfImage image;
    int black = 0;
    const bool stencil = (rop == SRCAND || rop == SRCCOPY) && is_black_and_white(call.dib, &black);
    // A black-and-white picture is a stencil: 1 bit a pixel in the PDF.
    const bool encoded = stencil ? encode_stencil(call.dib, call.src, black, go_on, &image)
                                 : encode_image(call.dib, call.src, invert, go_on, &image);
    if (!encoded) return DrawStatus::failed;
    const std::string name = add_image(image);
    image.data.parts.clear();

    // The unit square of the image space onto `dst`: the picture's top row at the
    // top unless mirrored.
    const DeviceRect& d = call.dst;
    const double w = d.width(), h = d.height();
    content_ += "q\n";
    if (stencil && rop == SRCCOPY) {
        colour_op(&content_, 0xFFFFFF);
        numbers(&content_, {static_cast<double>(d.left), static_cast<double>(d.top), w, h}, "re f");
    }
    if (stencil) colour_op(&content_, 0x000000);
    if (blend && !stencil) {
        content_ += std::string("/") + blend + " gs\n";
        (rop == SRCAND ? multiply_ : rop == SRCPAINT ? screen_ : difference_) = true;
    }
    numbers(&content_,
            {call.flip_x ? -w : w, 0, 0, call.flip_y ? h : -h, static_cast<double>(call.flip_x ? d.right : d.left),
             static_cast<double>(call.flip_y ? d.top : d.bottom)},
            "cm");
    content_ += "/" + name + " Do\nQ\n";
    std::string why;
    if (!written(&why)) return DrawStatus::failed;
    *lines = call.src.height();
    return DrawStatus::done;
}

DrawStatus PdfPrinterDevice::draw_fill_path(const FillPathCall& call) {
    if (!pdf_) return DrawStatus::failed;
    const Path& path = call.device_path;
    std::string ops = "q\n";
    colour_op(&ops, (GetRValue(call.color) << 16) | (GetGValue(call.color) << 8) | GetBValue(call.color));
    size_t at = 0;
    bool any = false;
    for (PathVerb verb : path.verbs) {
        switch (verb) {
            case PathVerb::move:
                if (at + 1 > path.points.size()) break;
                numbers(&ops, {path.points[at].x, path.points[at].y}, "m");
                at += 1, any = true;
                break;
            case PathVerb::line:
                if (at + 1 > path.points.size() || !any) break;
                numbers(&ops, {path.points[at].x, path.points[at].y}, "l");
                at += 1;
                break;
            case PathVerb::cubic:
                if (at + 3 > path.points.size() || !any) break;
                numbers(&ops,
                        {path.points[at].x, path.points[at].y, path.points[at + 1].x, path.points[at + 1].y,
                         path.points[at + 2].x, path.points[at + 2].y},
                        "c");
                at += 3;
                break;
            case PathVerb::close:
                if (any) ops += "h\n";
                break;
        }
    }
    if (any) content_ += ops + (call.fill_mode == WINDING ? "f\nQ\n" : "f*\nQ\n");
    return DrawStatus::done;
}

DrawStatus PdfPrinterDevice::draw_pat_blt(const PatBltCall& call) {
    COLORREF colour;
    switch (call.rop) {
        case PATCOPY: colour = call.color; break;
        case BLACKNESS: colour = RGB(0, 0, 0); break;
        case WHITENESS: colour = RGB(255, 255, 255); break;
        default: return DrawStatus::unsupported;
    }
    if (!pdf_) return DrawStatus::failed;
    if (call.dst.empty()) return DrawStatus::done;
    content_ += "q\n";
    colour_op(&content_, (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour));
    const DeviceRect& d = call.dst;
    numbers(&content_,
            {static_cast<double>(d.left), static_cast<double>(d.top), static_cast<double>(d.width()),
             static_cast<double>(d.height())},
            "re f");
    content_ += "Q\n";
    return DrawStatus::done;
}

}  // namespace pw::print
