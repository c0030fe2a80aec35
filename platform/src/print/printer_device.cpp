#include "print/printer_device.h"

#include <sys/stat.h>

#include <atomic>

#include "print/catalogue.h"
#include "print/last_error.h"

namespace pw::print {
namespace {

std::atomic<int> next_job_id{1};

DeviceCaps caps_for(const JobSettings& s, int bits_pixel) {
    DeviceCaps caps;
    caps.technology = DT_RASPRINTER;
    caps.horz_res = s.printable_width();
    caps.vert_res = s.printable_height();
    caps.log_pixels_x = s.resolution.x;
    caps.log_pixels_y = s.resolution.y;
    caps.bits_pixel = bits_pixel;
    caps.planes = 1;
    caps.physical_width = s.physical_width();
    caps.physical_height = s.physical_height();
    caps.physical_offset_x = s.offset_x();
    caps.physical_offset_y = s.offset_y();
    caps.num_colors = bits_pixel == 1 ? 2 : bits_pixel == 8 ? 256 : -1;
    return caps;
}

// A file name from a document name: what the user called the document, without
// the characters a file name cannot hold.
std::string file_name_for(const std::string& doc_name) {
    std::string name;
    for (char c : doc_name) {
        name += (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 32) ? '_' : c;
    }
    if (name.empty() || name == "." || name == "..") name = "document";
    return name;
}

bool is_directory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Counts running operations so that re-entrant calls can tell.
struct Busy {
    int& depth;
    explicit Busy(int& d) : depth(d) { ++depth; }
    ~Busy() { --depth; }
};

}  // namespace

PrinterDevice::PrinterDevice(Printer printer, JobSettings settings, int bits_pixel)
    : Device(caps_for(settings, bits_pixel)), printer_(std::move(printer)), settings_(settings) {}

PrinterDevice::~PrinterDevice() = default;

std::string PrinterDevice::output_target(const Printer& printer, const DocStart& doc, const char* extension) {
    std::string path = doc.output;
    if (path.empty()) path = output_override();
    if (path.empty()) path = printer.output;
    if (path.empty()) return file_name_for(doc.name) + extension;
    if (path.back() == '/' || is_directory(path)) {
        if (path.back() != '/') path += '/';
        return path + file_name_for(doc.name) + extension;
    }
    return path;
}

bool PrinterDevice::keep_going() {
    if (abort_proc_ && !abort_pending_) {
        Busy busy(busy_);
        if (!abort_proc_(dc_, 0)) {
            abort_pending_ = true;
            if (failure_.empty()) failure_ = "the document was cancelled";
        }
    }
    return !abort_pending_;
}

void PrinterDevice::discard_if_open() {
    if (state_ == State::between_pages || state_ == State::in_page) discard_document();
}

void PrinterDevice::throw_away() {
    discard_if_open();
    state_ = State::idle;
}

int PrinterDevice::fail(std::string why) {
    discard_if_open();
    if (state_ != State::idle) state_ = State::failed;
    failure_ = why;
    set_print_error(std::move(why));
    return SP_ERROR;
}

bool PrinterDevice::finish_abort_if_pending() {
    if (!abort_pending_ || busy_ > 0) return false;
    discard_if_open();
    // The document is gone; it stays failed, so that the calls still to come for it
    // (EndPage, EndDoc) say why, until EndDoc, AbortDoc or a new StartDoc.
    if (state_ != State::idle) state_ = State::failed;
    abort_pending_ = false;
    return true;
}

template <class F>
DrawStatus PrinterDevice::drawing(F&& draw) {
    if (busy_ > 0 || state_ != State::in_page) return DrawStatus::failed;
    DrawStatus status;
    {
        Busy busy(busy_);
        if (!keep_going()) {
            status = DrawStatus::failed;
        } else {
            status = draw();
        }
    }
    if (finish_abort_if_pending()) return DrawStatus::failed;
    return status;
}

DrawStatus PrinterDevice::on_stretch_dib(const StretchDibCall& call, int* lines) {
    return drawing([&] { return draw_stretch_dib(call, lines); });
}
DrawStatus PrinterDevice::on_fill_path(const FillPathCall& call) {
    return drawing([&] { return draw_fill_path(call); });
}
DrawStatus PrinterDevice::on_pat_blt(const PatBltCall& call) {
    return drawing([&] { return draw_pat_blt(call); });
}

int PrinterDevice::on_start_doc(const DocStart& doc) {
    clear_print_error();
    if (busy_ > 0) return fail("the printer is busy with a page");
    if (state_ == State::failed) throw_away();
    if (state_ != State::idle) {
        set_print_error("a document is already open on printer '" + printer_.name + "'");
        return SP_ERROR;
    }
    doc_ = doc;
    page_ = 0;
    abort_pending_ = false;
    failure_.clear();
    std::string why;
    bool ok;
    {
        Busy busy(busy_);
        ok = begin_document(&why);
    }
    if (!ok) {
        set_print_error(why);
        return SP_ERROR;
    }
    state_ = State::between_pages;
    return next_job_id++;
}

int PrinterDevice::on_start_page() {
    if (busy_ > 0) return SP_ERROR;
    if (finish_abort_if_pending() || state_ == State::failed) return fail(failure_);
    if (state_ != State::between_pages) {
        set_print_error(state_ == State::idle ? "StartPage without a document" : "StartPage inside a page");
        return SP_ERROR;
    }
    ++page_;
    std::string why;
    bool ok;
    {
        Busy busy(busy_);
        ok = begin_page(&why);
    }
    if (!ok) return fail(why);
    state_ = State::in_page;
    return 1;
}

int PrinterDevice::on_end_page() {
    if (busy_ > 0) return SP_ERROR;
    if (finish_abort_if_pending() || state_ == State::failed) return fail(failure_);
    if (state_ != State::in_page) {
        set_print_error("EndPage without a page");
        return SP_ERROR;
    }
    std::string why;
    bool ok;
    {
        Busy busy(busy_);
        ok = keep_going() && finish_page(&why) && keep_going();
    }
    if (finish_abort_if_pending()) return fail(failure_);
    if (!ok) return fail(why);
    state_ = State::between_pages;
    return 1;
}

int PrinterDevice::on_end_doc() {
    if (busy_ > 0) return SP_ERROR;
    if (state_ == State::in_page && on_end_page() < 0) {
        throw_away();
        return SP_ERROR;
    }
    if (finish_abort_if_pending() || state_ == State::failed) {
        std::string why = failure_.empty() ? "the document failed" : failure_;
        throw_away();
        set_print_error(why);
        return SP_ERROR;
    }
    if (state_ == State::idle) {
        set_print_error("EndDoc without a document");
        return SP_ERROR;
    }
    std::string why;
    bool ok;
    {
        Busy busy(busy_);
        ok = finish_document(&why);
    }
    if (!ok) {
        // finish_document cleans up after itself; nothing of the document is left.
        state_ = State::idle;
        set_print_error(why);
        return SP_ERROR;
    }
    state_ = State::idle;
    return 1;
}

int PrinterDevice::on_abort_doc() {
    if (busy_ > 0) {
        // Inside one of our own operations (through the abort procedure): stop it at
        // its next check instead of pulling the page from under it.
        abort_pending_ = true;
        failure_ = "the document was aborted";
        return 1;
    }
    if (state_ == State::idle) return SP_ERROR;
    throw_away();
    abort_pending_ = false;
    return 1;
}

void PrinterDevice::on_close() {
    // A DC deleted in the middle of a document: the document never completed.
    if (busy_ == 0) throw_away();
}

}  // namespace pw::print
