// The print job: one spooler document from DocSetup to DocDone, cancelling, the
// abort procedure and the floating-point guard.
#include <cstring>

#include "diagnostics.h"
#include "edstprnt.h"

uint16_t pw_fpu_control_word() {
    uint16_t word = 0;
#if defined(__x86_64__) || defined(__i386__)
    __asm__ __volatile__("fnstcw %0" : "=m"(word));
#endif
    return word;
}

void pw_set_fpu_control_word(uint16_t word) {
#if defined(__x86_64__) || defined(__i386__)
    __asm__ __volatile__("fldcw %0" : : "m"(word));
#else
    (void)word;
#endif
}

FPU_GUARD::FPU_GUARD() : saved(pw_fpu_control_word()) {
    err.log(0, "edstprnt", __LINE__, 9, 1, 2, 3, "Floating pt. control word (before): 0x%04X", (unsigned)saved);
}

FPU_GUARD::~FPU_GUARD() {
    uint16_t now = pw_fpu_control_word();
    err.log(0, "edstprnt", __LINE__, 9, 1, 2, 3, "Floating pt. control word (after): 0x%04X", (unsigned)now);
    pw_set_fpu_control_word(saved);
}

BOOL printer_abort_proc(HDC, int) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) AfxGetThread()->PumpMessage();
    return TRUE;
}

namespace {
const char kDocumentName[] = "VL Lucentra LT";
}  // namespace

int EDESTIN_PRINTER::DocSetup() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    FPU_GUARD guard;
    RTFBLK::canvas = BOX();
    page_scale = 0;

    // A second DocSetup without DocDone: the first document is aborted and its DC
    // released, not lost.
    if (printer_dc) {
        AbortDoc(printer_dc->m_hDC);
        if (owns_dc_) delete printer_dc;
        printer_dc = nullptr;
    }

    if (printer_named) {
        printer_settings.read_capabilities(printer_name);
        printer_dc = printer_settings.create_printer_dc(printer_name);
    } else {
        if (printer_settings.choose_printer(1) == 0) return KEL_CANCELLED;
        CString name;
        printer_dc = printer_settings.create_printer_dc(name);
    }
    owns_dc_ = true;
    if (!printer_dc) return PW_LOG("edstprnt", KEL_CANCELLED, 9, 2, 1, "Failed to create printer DC.");

    if (fax_class_resolution(printer_settings.resolution) || (int)use_1bit_photo != 0) {
        one_bit_photos = 1;
        one_bit_mode = 1;
        use_default_res = 0;
    } else {
        one_bit_photos = 0;
        one_bit_mode = 0;
        use_default_res = default_res_requested;
    }

    DOCINFOA info;
    memset(&info, 0, sizeof info);
    info.cbSize = 20;
    info.lpszDocName = kDocumentName;
    info.lpszOutput = nullptr;
    info.lpszDatatype = nullptr;
    info.fwType = 0;

    switch (SetAbortProc(printer_dc->m_hDC, printer_abort_proc)) {
    case SP_OUTOFMEMORY:
        return PW_LOG("edstprnt", KEL_CANCELLED, 9, 2, 1, "SetAbortProc error -- Out of memory.");
    case SP_OUTOFDISK:
        return PW_LOG("edstprnt", KEL_CANCELLED, 9, 2, 1, "SetAbortProc error -- Out of disk.");
    case SP_USERABORT:
        return PW_LOG("edstprnt", KEL_CANCELLED, 9, 2, 1, "SetAbortProc error -- User abort.");
    case SP_ERROR:
        return PW_LOG("edstprnt", KEL_CANCELLED, 9, 2, 1, "Generic SetAbortProc error.");
    default:
        break;
    }
    document_aborted_ = false;
    if (StartDocA(printer_dc->m_hDC, &info) == -1)
        return PW_LOG("edstprnt", KEL_CANCELLED, 9, 2, 1, "StartDoc returned -1.");
    return 0;
}

int EDESTIN_PRINTER::DocDone() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    FPU_GUARD guard;
    blocks.clear();
    // A document that was cancelled, or whose last page the printer refused, is
    // not printed: it is aborted (again) and reported as cancelled, never as done.
    bool aborted = end_page_result < 0 || document_aborted_;
    bool unfinished = false;
    if (printer_dc) {
        if (aborted)
            AbortDoc(printer_dc->m_hDC);
        // A document small enough to stay in the spooler's buffers is only
        // written here: when that fails (a full disk, a printer gone) the
        // document is lost, and saying nothing would report it as printed.
        else if (EndDoc(printer_dc->m_hDC) <= 0)
            unfinished = true;
        if (owns_dc_) delete printer_dc;
        printer_dc = nullptr;
    }
    printer_settings.reset();
    if (unfinished) return PW_LOG("edstprnt", KEL_CANCELLED, 9, 2, 1, "EndDoc failed; the document was not printed.");
    return aborted ? KEL_CANCELLED : 0;
}

int EDESTIN_PRINTER::internal_cancel(ESTORE* skip) {
    FPU_GUARD guard;
    if (printer_dc) {
        AbortDoc(printer_dc->m_hDC);
        document_aborted_ = true;
    }
    RTFBLK_IT it(&blocks);
    if (!it.empty()) {
        it.mark_cycle_pt();
        for (; !it.cycled_list(); it.forward()) {
            ESTORE* store = it.data()->get_seq();
            if (!store || store == skip) continue;
            int r = store->Cancel();
            if (r != 0)
                return PW_LOG("edstprnt", r, 9, 1, 2, "Called '%s', expected 0x%x, got 0x%x", "xform->Cancel()", 0u,
                              (unsigned)r);
        }
    }
    blocks.clear();
    return 0;
}

int EDESTIN_PRINTER::Cancel() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (sinking_) {
        // Sink is walking the blocks right now (this call came through the abort
        // procedure's message dispatch): it cancels the page between two blocks.
        cancel_pending_ = true;
        return CMatDestination::Cancel();
    }
    internal_cancel(nullptr);
    blocks.clear();
    return CMatDestination::Cancel();
}
