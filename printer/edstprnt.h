// EDESTIN_PRINTER: the destination that prints a scanned page on a printer.
//
// Life: made at module start-up or by NewClass, kept in the module's instance
// table, destroyed by DeleteClass or at unload. Per document: DocSetup chooses the
// printer and starts a spooler document; per page PassRegion / WantsData /
// ConnectRegion gather the page's blocks and Sink prints them; DocDone ends the
// document. Properties (Get/Set) may be used at any time.
//
// Ownership: the destination owns `printer_dc`, `printer_settings`, `blocks` and
// its two icons. A copy (nothing in the system makes one) takes every member by
// value except `blocks`, but owns none of the device context, the icons or the
// chained destination, and has global memory blocks of its own.
#pragma once

#include <afxwin.h>
#include <windows.h>

#include "kel/kel.h"
#include "matdest.h"
#include "printer_settings.h"
#include "rtfblk.h"

// Engine variables of the module.
extern PW_EXPORT double_VARIABLE printer_default_res;
extern PW_EXPORT double_VARIABLE printer_default_scaling;
extern PW_EXPORT INT_VARIABLE use_1bit_photo;

// Saves the x87 floating-point control word for a scope and loads it back at the
// end (printer drivers are known to change it); logs the word before and after.
class FPU_GUARD {
public:
    FPU_GUARD();
    ~FPU_GUARD();
    FPU_GUARD(const FPU_GUARD&) = delete;
    FPU_GUARD& operator=(const FPU_GUARD&) = delete;

    uint16_t saved;
};

// The x87 control word as it is now, and loading one (tests use these).
PW_EXPORT uint16_t pw_fpu_control_word();
PW_EXPORT void pw_set_fpu_control_word(uint16_t word);

// Printers of 196 to 204 dots per inch are fax-class: photographs go to them one
// bit deep.
inline bool fax_class_resolution(int dpi) { return dpi >= 196 && dpi <= 204; }

// The abort procedure installed with SetAbortProc: dispatches the thread's
// waiting messages and lets printing go on.
PW_EXPORT BOOL printer_abort_proc(HDC dc, int error);

class PW_EXPORT EDESTIN_PRINTER : public CMatDestination {
public:
    EDESTIN_PRINTER();
    EDESTIN_PRINTER(const EDESTIN_PRINTER& other);
    EDESTIN_PRINTER& operator=(const EDESTIN_PRINTER& other);
    ~EDESTIN_PRINTER() override;

    // Virtual operations in the engine's table order.
    EBOOL8 IsA(CLASS_ID id) override;
    CLASS_ID ClassID() override;
    const char* Name() override;
    int Cancel() override;
    int Setup() override;
    int Set(int id, const EVALUE& value) override;
    int Get(int id, EVALUE* value) override;
    int WantsData(int region_id, EHOLDER** holder) override;
    int ConnectRegion(int region_id, ESTORE* store) override;
    int PassRegion(EMATERIAL* material) override;
    int Sink(PROGRESSINFO* progress) override;
    int DocSetup() override;
    int DocDone() override;
    int Description(const char** text) override;
    EBOOL8 ISActive() override;
    EBOOL8 ISAFile() override;
    int Capabilities() override;

    // Members, in order.
    CDC* printer_dc;
    CPrinterSettings printer_settings;
    CString description;
    CString printer_name;
    HICON large_icon;
    HICON small_icon;
    unsigned char printer_named;
    unsigned char flag_3010;
    unsigned char deep_bitmaps;
    unsigned char default_res_requested;
    unsigned char one_bit_photos;
    RTFBLK_LIST blocks;
    unsigned char use_default_res;
    float default_res;
    float bitmap_res;
    float page_scale;
    int32_t scaling_mode;
    float scaling_percent;
    sCOPYINFO copy_info;
    int32_t end_page_result;

    // Region intake helpers and the page work (public for the tests of the module).
    RTFBLK* blk_from_id(int region_id);
    void compute_page_scaling();
    int internal_cancel(ESTORE* skip);
    int real_Sink(PROGRESSINFO* progress);

private:
    // This object owns its device context and its icons; a copy owns neither
    // until it makes a device context of its own (DocSetup).
    bool owns_dc_ = true;
    bool owns_icons_ = true;
    // Set while Sink walks the blocks: a Cancel that arrives meanwhile (through the
    // abort procedure's message dispatch) is remembered and acted on between
    // blocks, so the walk never sees its list change under it.
    bool sinking_ = false;
    bool cancel_pending_ = false;
    // The open document was aborted on purpose (a cancel, a page the printer
    // refused): its EndDoc failing is expected, not a lost document.
    bool document_aborted_ = false;
};
