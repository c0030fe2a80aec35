// The common Print dialog of our Win32 layer, and who answers it.
//
// There is no window system: PrintDlgA asks a *provider* the host chooses:
//   - a terminal menu (the printers by number, Enter for the default, c to cancel),
//   - "accept the default printer" for unattended runs (the default provider),
//   - a scripted list of answers, for tests,
//   - or any function of the host's own.
// Before asking, PrintDlgA checks the DEVNAMES and DEVMODE it is given as the
// original platform does, so the same errors come back for the same reasons:
// PDERR_PRINTERNOTFOUND when the DEVNAMES' printer is gone, PDERR_DNDMMISMATCH when
// the DEVMODE belongs to another printer, PDERR_DEFAULTDIFFERENT when the DEVNAMES
// says "default printer" and the default printer has changed.
//
// Memory: hDevMode and hDevNames are movable global memory blocks (GlobalAlloc).
// On success PrintDlgA replaces the blocks it was given (freeing those it does not
// keep); the caller owns what it gets back and frees it with GlobalFree.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "pw/spool.h"
#include "pw/wintypes.h"

typedef UINT_PTR (*LPPRINTHOOKPROC)(HWND, UINT, WPARAM, LPARAM);
typedef UINT_PTR (*LPSETUPHOOKPROC)(HWND, UINT, WPARAM, LPARAM);

struct PRINTDLGA {
    DWORD lStructSize;  // sizeof(PRINTDLGA)
    HWND hwndOwner;
    HGLOBAL hDevMode;   // DEVMODEA block, or NULL
    HGLOBAL hDevNames;  // DEVNAMES block, or NULL
    HDC hDC;            // with PD_RETURNDC: a printer DC the caller deletes
    DWORD Flags;        // PD_*
    WORD nFromPage;
    WORD nToPage;
    WORD nMinPage;
    WORD nMaxPage;
    WORD nCopies;
    HINSTANCE hInstance;
    LPARAM lCustData;
    LPPRINTHOOKPROC lpfnPrintHook;  // ignored: no window to hook
    LPSETUPHOOKPROC lpfnSetupHook;  // ignored
    LPCSTR lpPrintTemplateName;
    LPCSTR lpSetupTemplateName;
    HGLOBAL hPrintTemplate;
    HGLOBAL hSetupTemplate;
};
typedef PRINTDLGA PRINTDLG;
typedef PRINTDLGA* LPPRINTDLGA;

#define PD_ALLPAGES 0x00000000
#define PD_SELECTION 0x00000001
#define PD_PAGENUMS 0x00000002
#define PD_NOSELECTION 0x00000004
#define PD_NOPAGENUMS 0x00000008
#define PD_COLLATE 0x00000010
#define PD_PRINTTOFILE 0x00000020
#define PD_PRINTSETUP 0x00000040
#define PD_NOWARNING 0x00000080
#define PD_RETURNDC 0x00000100
#define PD_RETURNIC 0x00000200
#define PD_RETURNDEFAULT 0x00000400
#define PD_SHOWHELP 0x00000800
#define PD_ENABLEPRINTHOOK 0x00001000
#define PD_ENABLESETUPHOOK 0x00002000
#define PD_ENABLEPRINTTEMPLATE 0x00004000
#define PD_ENABLESETUPTEMPLATE 0x00008000
#define PD_ENABLEPRINTTEMPLATEHANDLE 0x00010000
#define PD_ENABLESETUPTEMPLATEHANDLE 0x00020000
#define PD_USEDEVMODECOPIES 0x00040000
#define PD_USEDEVMODECOPIESANDCOLLATE 0x00040000
#define PD_DISABLEPRINTTOFILE 0x00080000
#define PD_HIDEPRINTTOFILE 0x00100000
#define PD_NONETWORKBUTTON 0x00200000

// CommDlgExtendedError codes.
#define CDERR_DIALOGFAILURE 0xFFFF
#define CDERR_GENERALCODES 0x0000
#define CDERR_STRUCTSIZE 0x0001
#define CDERR_INITIALIZATION 0x0002
#define CDERR_NOTEMPLATE 0x0003
#define CDERR_NOHINSTANCE 0x0004
#define CDERR_LOADSTRFAILURE 0x0005
#define CDERR_FINDRESFAILURE 0x0006
#define CDERR_LOADRESFAILURE 0x0007
#define CDERR_LOCKRESFAILURE 0x0008
#define CDERR_MEMALLOCFAILURE 0x0009
#define CDERR_MEMLOCKFAILURE 0x000A
#define CDERR_NOHOOK 0x000B
#define CDERR_REGISTERMSGFAIL 0x000C
#define PDERR_PRINTERCODES 0x1000
#define PDERR_SETUPFAILURE 0x1001
#define PDERR_PARSEFAILURE 0x1002
#define PDERR_RETDEFFAILURE 0x1003
#define PDERR_LOADDRVFAILURE 0x1004
#define PDERR_GETDEVMODEFAIL 0x1005
#define PDERR_INITFAILURE 0x1006
#define PDERR_NODEVICES 0x1007
#define PDERR_NODEFAULTPRN 0x1008
#define PDERR_DNDMMISMATCH 0x1009
#define PDERR_CREATEICFAILURE 0x100A
#define PDERR_PRINTERNOTFOUND 0x100B
#define PDERR_DEFAULTDIFFERENT 0x100C

extern "C" {
// TRUE when the user confirmed a printer (or, with PD_RETURNDEFAULT, when the
// default printer's blocks were made). FALSE for a cancel (CommDlgExtendedError()
// is then 0) or an error (its code).
PW_EXPORT BOOL PrintDlgA(PRINTDLGA* pd);
// The error of this thread's last common dialog call; 0 after a success or a cancel.
PW_EXPORT DWORD CommDlgExtendedError(void);
}
#define PrintDlg PrintDlgA

// ---------------------------------------------------------------------------
// Who answers the Print dialog

// What the dialog is asked.
struct PW_PRINT_DIALOG_REQUEST {
    bool setup_only = false;         // the Print Setup dialog (PD_PRINTSETUP)
    DWORD flags = 0;                 // PRINTDLG's Flags
    std::string current;             // the printer the dialog opens on
    std::string default_printer;
    std::vector<std::string> printers;  // every printer's name, in list order
};

// How it is answered.
struct PW_PRINT_DIALOG_ANSWER {
    enum Kind { ok, cancel, error } kind = cancel;
    std::string printer;  // ok: the chosen printer ("" = the one it opened on)
    DWORD code = 0;       // error: the CommDlgExtendedError code
    static PW_PRINT_DIALOG_ANSWER Ok(std::string printer = {}) { return {ok, std::move(printer), 0}; }
    static PW_PRINT_DIALOG_ANSWER Cancel() { return {cancel, {}, 0}; }
    static PW_PRINT_DIALOG_ANSWER Error(DWORD code) { return {error, {}, code}; }
};

using PwPrintDialogProvider = std::function<PW_PRINT_DIALOG_ANSWER(const PW_PRINT_DIALOG_REQUEST&)>;

// Sets the provider for the whole process; an empty function restores the default
// ("accept the default").
PW_EXPORT void pw_set_print_dialog_provider(PwPrintDialogProvider provider);
// Confirms the printer the dialog opens on, without asking anyone.
PW_EXPORT PwPrintDialogProvider pw_print_dialog_accept_default();
// Answers with `answers` in turn, one per dialog shown; once they are used up,
// every further dialog is cancelled. `asked` (if given) receives each request.
PW_EXPORT PwPrintDialogProvider pw_print_dialog_script(std::vector<PW_PRINT_DIALOG_ANSWER> answers,
                                                       std::vector<PW_PRINT_DIALOG_REQUEST>* asked = nullptr);
// A menu on the terminal: lists the printers by number and reads the choice from
// `in`, writing to `out` (NULL for both: the process's terminal, /dev/tty). With no
// terminal to ask, accepts the default. End of input cancels.
PW_EXPORT PwPrintDialogProvider pw_print_dialog_terminal(FILE* in = nullptr, FILE* out = nullptr);
