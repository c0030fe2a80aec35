// The device behind every printer DC: the spooler's state machine, the abort
// procedure and the choice of output, shared by the PDF and the raster printers.
//
// States: idle -> (StartDoc) between pages -> (StartPage) in page -> (EndPage)
// between pages ... -> (EndDoc) idle. AbortDoc from any state returns to idle and
// throws the document away. A failure inside a document (a page that could not be
// written, an abort procedure that said stop) marks the document failed: later
// calls fail and EndDoc cleans up and reports it.
//
// Re-entrancy: the abort procedure dispatches the application's messages, which may
// call back into this DC. While an operation is running, AbortDoc only marks the
// document for abortion (the running operation stops at its next check and then
// throws it away), and drawing or spooler calls fail instead of disturbing the page.
#pragma once

#include <string>

#include "print/printer.h"
#include "pw/device.h"
#include "pw/spool.h"

namespace pw::print {

class PrinterDevice : public Device {
public:
    PrinterDevice(Printer printer, JobSettings settings, int bits_pixel);
    ~PrinterDevice() override;

    const Printer& printer() const { return printer_; }
    const JobSettings& settings() const { return settings_; }
    void set_abort_proc(HDC dc, ABORTPROC proc) {
        dc_ = dc;
        abort_proc_ = proc;
    }

    // The file a file printer writes for this document: DOCINFO's lpszOutput, else
    // the host's --output, else the printer's configured output, else the document
    // name in the current folder; `extension` (".pdf") is added to a name made here.
    static std::string output_target(const Printer& printer, const DocStart& doc, const char* extension);

protected:
    // Hooks of the concrete printers. Each returns false with the reason on failure.
    virtual bool begin_document(std::string* why) = 0;
    virtual bool begin_page(std::string* why) = 0;
    virtual bool finish_page(std::string* why) = 0;
    virtual bool finish_document(std::string* why) = 0;
    // Throws the document away: no file, no job. Called at most once per document.
    virtual void discard_document() = 0;
    virtual DrawStatus draw_stretch_dib(const StretchDibCall& call, int* lines) = 0;
    virtual DrawStatus draw_fill_path(const FillPathCall& call) = 0;
    virtual DrawStatus draw_pat_blt(const PatBltCall& call) = 0;

    // Runs the abort procedure; false when the document must stop (the procedure
    // said so, or AbortDoc came meanwhile). Call it between strips and rows.
    bool keep_going();
    const DocStart& doc() const { return doc_; }
    int page_number() const { return page_; }  // 1 for the first page, within begin_page and after

private:
    DrawStatus on_stretch_dib(const StretchDibCall& call, int* lines) final;
    DrawStatus on_fill_path(const FillPathCall& call) final;
    DrawStatus on_pat_blt(const PatBltCall& call) final;
    int on_start_doc(const DocStart& doc) final;
    int on_start_page() final;
    int on_end_page() final;
    int on_end_doc() final;
    int on_abort_doc() final;
    void on_close() final;

    enum class State { idle, between_pages, in_page, failed };
    template <class F>
    DrawStatus drawing(F&& draw);
    int fail(std::string why);         // discards the document, keeps the reason; returns SP_ERROR
    void discard_if_open();            // discard_document() for an open document
    void throw_away();                 // discards a document in any state, back to idle
    bool finish_abort_if_pending();    // true when a pending abort was carried out

    Printer printer_;
    JobSettings settings_;
    State state_ = State::idle;
    DocStart doc_;
    int page_ = 0;
    HDC dc_ = nullptr;
    ABORTPROC abort_proc_ = nullptr;
    int busy_ = 0;              // depth of running operations
    bool abort_pending_ = false;
    std::string failure_;       // why the document failed
};

}  // namespace pw::print
