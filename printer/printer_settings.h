// CPrinterSettings: which printer a destination prints on and what it can do.
//
// A printer is chosen through the print dialogs (the record then keeps the
// dialog's DEVNAMES and DEVMODE blocks) or given by name (opened through the
// "WINSPOOL" driver). The record reads the three capabilities the destination
// needs: `resolution` (dots per inch, horizontal), `printable_rect` (device
// pixels) and `is_colour`. A choice lasts one document: reset() forgets it.
//
// Ownership: the record owns `resolutions_handle`, `dev_names` and `dev_mode`
// (movable global memory) and frees them in reset() and its destructor. Device
// contexts from create_printer_dc belong to the caller. A copy duplicates the
// three blocks, so each record frees only its own.
#pragma once

#include <afxwin.h>
#include <windows.h>

class CPrintDialog;

class PW_EXPORT CPrinterSettings {
public:
    CPrinterSettings();
    CPrinterSettings(const CPrinterSettings& other);
    CPrinterSettings& operator=(const CPrinterSettings& other);
    virtual ~CPrinterSettings();

    // A name: that printer. Empty: the printer in DEVNAMES, with its resolution list.
    void read_capabilities(const CString& printer_name);
    // A new device context owned by the caller, or null (then have_printer is 0).
    // An empty name is given the DEVNAMES device name.
    CDC* create_printer_dc(CString& printer_name);
    // Takes the system's default printer when none is chosen, and follows the
    // default when the chosen printer was the default and the default changed.
    void refresh_default_printer();
    // 1 when the user confirmed a printer, 0 otherwise.
    int run_print_dialog(CPrintDialog& dialog);
    // Non-zero: the Print dialog; 0: the Print Setup dialog. 1 when a printer was
    // confirmed and its capabilities read, 0 otherwise.
    int choose_printer(int print_dialog);
    // Frees the three blocks and returns to the constructed state.
    void reset();

    int32_t is_colour;
    int32_t have_printer;
    int32_t resolution;
    CString device_name;
    int32_t* resolutions;  // (x, y) pairs, as locked while the list was filled
    HGLOBAL resolutions_handle;
    int32_t resolution_count;
    RECT printable_rect;
    HGLOBAL dev_names;
    HGLOBAL dev_mode;

private:
    void release_locks();
    void read_dc_capabilities(HDC dc);
};

// The dialog flags of the three print dialogs.
enum : DWORD {
    PW_DEFAULTS_QUERY_FLAGS = 0x14000C,
    PW_PRINT_DIALOG_FLAGS = 0x30000C,
    PW_PRINT_SETUP_FLAGS = 0x30004C,
};
