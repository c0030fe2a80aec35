// The spooler calls: they work on any DC and hand the document to its device.
#include "pw/journal_device.h"
#include "print/last_error.h"
#include "print/printer_device.h"

using namespace pw;
using namespace pw::print;

namespace {

Device* device_of(HDC hdc) {
    Device* d = pw_dc_device(hdc);
    if (!d) set_print_error("not a device context");
    return d;
}

int spool_result(int r) { return r > 0 ? r : SP_ERROR; }

}  // namespace

int StartDocA(HDC hdc, const DOCINFOA* info) {
    Device* d = device_of(hdc);
    if (!d) return SP_ERROR;
    DocStart doc;
    if (info && info->lpszDocName) doc.name = info->lpszDocName;
    if (info && info->lpszOutput) doc.output = info->lpszOutput;
    return spool_result(d->start_doc(doc));
}

int StartPage(HDC hdc) {
    Device* d = device_of(hdc);
    return d ? spool_result(d->start_page()) : SP_ERROR;
}

int EndPage(HDC hdc) {
    Device* d = device_of(hdc);
    return d ? spool_result(d->end_page()) : SP_ERROR;
}

int EndDoc(HDC hdc) {
    Device* d = device_of(hdc);
    return d ? spool_result(d->end_doc()) : SP_ERROR;
}

int AbortDoc(HDC hdc) {
    Device* d = device_of(hdc);
    return d ? spool_result(d->abort_doc()) : SP_ERROR;
}

int SetAbortProc(HDC hdc, ABORTPROC proc) {
    Device* device = pw_dc_device(hdc);
    // A traced printer: the journal passes everything on to the printer itself.
    if (auto* journal = dynamic_cast<JournalDevice*>(device)) device = journal->target();
    auto* printer = dynamic_cast<PrinterDevice*>(device);
    if (!printer) {
        set_print_error("SetAbortProc needs a printer's device context");
        return SP_ERROR;
    }
    printer->set_abort_proc(hdc, proc);
    return 1;
}
