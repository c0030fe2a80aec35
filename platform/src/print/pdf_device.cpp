#include "print/pdf_device.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <cstdlib>
#include <ctime>

#include "print/ipp_client.h"
#include "print/pdf_image.h"

namespace pw::print {
namespace {

void set_colour(cairo_t* cr, uint32_t rgb) {
    cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
}

void set_colorref(cairo_t* cr, COLORREF c) {
    cairo_set_source_rgb(cr, GetRValue(c) / 255.0, GetGValue(c) / 255.0, GetBValue(c) / 255.0);
}

// A surface pattern that maps the picture onto `dst` (device pixels), mirrored as
// the call says, sampled without interpolation.
cairo_pattern_t* placed(cairo_surface_t* image, const StretchDibCall& call) {
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(image);
    const double sx = static_cast<double>(call.src.width()) / call.dst.width();
    const double sy = static_cast<double>(call.src.height()) / call.dst.height();
    // The pattern matrix maps page space to picture space.
    cairo_matrix_t m;
    cairo_matrix_init(&m, call.flip_x ? -sx : sx, 0, 0, call.flip_y ? -sy : sy,
                      call.flip_x ? call.dst.right * sx : -call.dst.left * sx,
                      call.flip_y ? call.dst.bottom * sy : -call.dst.top * sy);
    cairo_pattern_set_matrix(pattern, &m);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_NONE);
    return pattern;
}

// Creation date of the document: fixed by SOURCE_DATE_EPOCH when it is set, so that
// the same document gives the same bytes (tests, reproducible output).
bool fixed_date(char* out, size_t size) {
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    if (!epoch || !*epoch) return false;
    char* end = nullptr;
    long long secs = std::strtoll(epoch, &end, 10);
    if (*end || secs < 0) return false;
    time_t t = static_cast<time_t>(secs);
    struct tm tm;
    if (!gmtime_r(&t, &tm)) return false;
    return std::strftime(out, size, "%Y-%m-%dT%H:%M:%SZ", &tm) > 0;
}

}  // namespace

PdfPrinterDevice::PdfPrinterDevice(Printer printer, JobSettings settings, int bits_pixel)
    : PrinterDevice(std::move(printer), settings, bits_pixel) {}

PdfPrinterDevice::~PdfPrinterDevice() { discard_document(); }

cairo_status_t PdfPrinterDevice::write_cb(void* self, const unsigned char* data, unsigned int length) {
    auto* d = static_cast<PdfPrinterDevice*>(self);
    if (d->discarding_) return CAIRO_STATUS_SUCCESS;
    FILE* out = d->file_ ? d->file_->stream() : d->spool_;
    if (!out || std::fwrite(data, 1, length, out) != length) {
        d->write_failed_ = true;
        return CAIRO_STATUS_WRITE_ERROR;
    }
    return CAIRO_STATUS_SUCCESS;
}

bool PdfPrinterDevice::cairo_ok(std::string* why) {
    cairo_status_t st = cr_ ? cairo_status(cr_) : CAIRO_STATUS_NULL_POINTER;
    if (st == CAIRO_STATUS_SUCCESS && surface_) st = cairo_surface_status(surface_);
    if (st == CAIRO_STATUS_SUCCESS && !write_failed_) return true;
    *why = write_failed_ ? "the PDF could not be written" : std::string("PDF output failed: ") + cairo_status_to_string(st);
    return false;
}

bool PdfPrinterDevice::begin_document(std::string* why) {
    write_failed_ = false;
    discarding_ = false;
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
    } else {
        file_ = OutputFile::open(output_target(printer(), doc(), ".pdf"), why);
        if (!file_) return false;
    }
    const JobSettings& s = settings();
    surface_ = cairo_pdf_surface_create_for_stream(&PdfPrinterDevice::write_cb, this,
                                                   s.physical_width() * 72.0 / s.resolution.x,
                                                   s.physical_height() * 72.0 / s.resolution.y);
    cr_ = cairo_create(surface_);
    cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_TITLE, doc().name.c_str());
    cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATOR, "Pagewright");
    char date[32];
    if (fixed_date(date, sizeof date)) cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATE_DATE, date);
    if (!cairo_ok(why)) {
        discard_document();
        return false;
    }
    return true;
}

bool PdfPrinterDevice::begin_page(std::string* why) {
    const JobSettings& s = settings();
    cairo_pdf_surface_set_size(surface_, s.physical_width() * 72.0 / s.resolution.x,
                               s.physical_height() * 72.0 / s.resolution.y);
    cairo_save(cr_);
    // Page space is device pixels from the printable area's corner, as GDI sees it.
    cairo_scale(cr_, 72.0 / s.resolution.x, 72.0 / s.resolution.y);
    cairo_translate(cr_, s.offset_x(), s.offset_y());
    cairo_rectangle(cr_, 0, 0, s.printable_width(), s.printable_height());
    cairo_clip(cr_);
    return cairo_ok(why);
}

bool PdfPrinterDevice::finish_page(std::string* why) {
    cairo_restore(cr_);
    cairo_show_page(cr_);
    return cairo_ok(why);
}

bool PdfPrinterDevice::finish_document(std::string* why) {
    cairo_surface_finish(surface_);
    bool ok = cairo_ok(why);
    close_cairo();
    if (!ok) {
        discard_document();
        return false;
    }
    if (file_) {
        ok = file_->commit(why);
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

void PdfPrinterDevice::close_cairo() {
    if (cr_) cairo_destroy(cr_);
    if (surface_) cairo_surface_destroy(surface_);
    cr_ = nullptr;
    surface_ = nullptr;
}

void PdfPrinterDevice::discard_document() {
    discarding_ = true;
    close_cairo();
    if (file_) file_->discard();
    file_.reset();
    if (spool_) std::fclose(spool_);
    spool_ = nullptr;
}

DrawStatus PdfPrinterDevice::draw_stretch_dib(const StretchDibCall& call, int* lines) {
    *lines = 0;
    if (call.src.empty() || call.dst.empty()) return DrawStatus::done;
    const DWORD rop = call.rop;
    cairo_operator_t op;
    bool invert = false;
    switch (rop) {
        case SRCCOPY: op = CAIRO_OPERATOR_OVER; break;
        case NOTSRCCOPY: op = CAIRO_OPERATOR_OVER; invert = true; break;
        case SRCAND: op = CAIRO_OPERATOR_MULTIPLY; break;
        case SRCPAINT: op = CAIRO_OPERATOR_SCREEN; break;
        case SRCINVERT: op = CAIRO_OPERATOR_DIFFERENCE; break;
        default: return DrawStatus::unsupported;
    }
    auto go_on = [this] { return keep_going(); };
    cairo_save(cr_);
    int black = 0;
    if ((rop == SRCAND || rop == SRCCOPY) && is_black_and_white(call.dib, &black)) {
        // A black-and-white picture is a stencil: 1 bit a pixel in the PDF.
        cairo_surface_t* mask = dib_to_stencil(call.dib, call.src, black, go_on);
        if (!mask) {
            cairo_restore(cr_);
            return DrawStatus::failed;
        }
        if (rop == SRCCOPY) {
            cairo_rectangle(cr_, call.dst.left, call.dst.top, call.dst.width(), call.dst.height());
            set_colour(cr_, 0xFFFFFF);
            cairo_fill(cr_);
        }
        cairo_pattern_t* pattern = placed(mask, call);
        set_colour(cr_, 0x000000);
        cairo_mask(cr_, pattern);
        cairo_pattern_destroy(pattern);
        cairo_surface_destroy(mask);
    } else {
        cairo_surface_t* image = dib_to_rgb(call.dib, call.src, invert, go_on);
        if (!image) {
            cairo_restore(cr_);
            return DrawStatus::failed;
        }
        cairo_pattern_t* pattern = placed(image, call);
        cairo_set_operator(cr_, op);
        cairo_set_source(cr_, pattern);
        cairo_paint(cr_);
        cairo_pattern_destroy(pattern);
        cairo_surface_destroy(image);
    }
    cairo_restore(cr_);
    std::string why;
    if (!cairo_ok(&why)) return DrawStatus::failed;
    *lines = call.src.height();
    return DrawStatus::done;
}

DrawStatus PdfPrinterDevice::draw_fill_path(const FillPathCall& call) {
    const Path& path = call.device_path;
    cairo_save(cr_);
    cairo_new_path(cr_);
    size_t at = 0;
    for (PathVerb verb : path.verbs) {
        switch (verb) {
            case PathVerb::move:
                if (at + 1 > path.points.size()) break;
                cairo_move_to(cr_, path.points[at].x, path.points[at].y);
                at += 1;
                break;
            case PathVerb::line:
                if (at + 1 > path.points.size()) break;
                cairo_line_to(cr_, path.points[at].x, path.points[at].y);
                at += 1;
                break;
            case PathVerb::cubic:
                if (at + 3 > path.points.size()) break;
                cairo_curve_to(cr_, path.points[at].x, path.points[at].y, path.points[at + 1].x,
                               path.points[at + 1].y, path.points[at + 2].x, path.points[at + 2].y);
                at += 3;
                break;
            case PathVerb::close: cairo_close_path(cr_); break;
        }
    }
    cairo_set_fill_rule(cr_, call.fill_mode == WINDING ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
    set_colorref(cr_, call.color);
    cairo_fill(cr_);
    cairo_restore(cr_);
    std::string why;
    return cairo_ok(&why) ? DrawStatus::done : DrawStatus::failed;
}

DrawStatus PdfPrinterDevice::draw_pat_blt(const PatBltCall& call) {
    COLORREF colour;
    switch (call.rop) {
        case PATCOPY: colour = call.color; break;
        case BLACKNESS: colour = RGB(0, 0, 0); break;
        case WHITENESS: colour = RGB(255, 255, 255); break;
        default: return DrawStatus::unsupported;
    }
    if (call.dst.empty()) return DrawStatus::done;
    cairo_save(cr_);
    cairo_rectangle(cr_, call.dst.left, call.dst.top, call.dst.width(), call.dst.height());
    set_colorref(cr_, colour);
    cairo_fill(cr_);
    cairo_restore(cr_);
    std::string why;
    return cairo_ok(&why) ? DrawStatus::done : DrawStatus::failed;
}

}  // namespace pw::print
