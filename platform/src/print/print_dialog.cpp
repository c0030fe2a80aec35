// PrintDlgA: checks what it is given as the original platform does, then asks the
// provider the host chose (dialog_providers.cpp) and fills in the printer's blocks.
#include <cstring>
#include <mutex>

#include "print/catalogue.h"
#include "print/devmode.h"
#include "print/dialog_provider.h"
#include "print/text.h"
#include "pw/commdlg.h"
#include "pw/gdi.h"
#include "pw/kernel.h"

using namespace pw::print;

namespace {

thread_local DWORD last_dialog_error = 0;

BOOL fail(DWORD code) {
    last_dialog_error = code;
    return FALSE;
}

// DEVMODE device names hold 31 characters; compare what fits.
bool devmode_names(const DEVMODEA& dm, const std::string& device) {
    std::string dm_name(reinterpret_cast<const char*>(dm.dmDeviceName),
                        strnlen(reinterpret_cast<const char*>(dm.dmDeviceName), CCHDEVICENAME));
    return lower(dm_name) == lower(device.substr(0, CCHDEVICENAME - 1));
}

// The blocks of `printer` into pd, keeping the caller's DEVMODE when it belongs to
// the same printer (the user's settings survive a dialog confirmed unchanged).
BOOL fill_blocks(PRINTDLGA* pd, const Printer& printer, bool keep_devmode) {
    HGLOBAL names = new_devnames_block(PW_PRINTER_DRIVER, printer.name, port_of(printer),
                                       is_default_printer(printer.name));
    HGLOBAL mode = keep_devmode ? pd->hDevMode : new_devmode_block(devmode_for(printer));
    if (!names || !mode) {
        if (names) GlobalFree(names);
        if (mode && mode != pd->hDevMode) GlobalFree(mode);
        return fail(CDERR_MEMALLOCFAILURE);
    }
    if (pd->hDevNames) GlobalFree(pd->hDevNames);
    if (pd->hDevMode && pd->hDevMode != mode) GlobalFree(pd->hDevMode);
    pd->hDevNames = names;
    pd->hDevMode = mode;
    if (pd->Flags & (PD_RETURNDC | PD_RETURNIC)) {
        DEVMODEA dm;
        const bool have = read_devmode(mode, &dm);
        pd->hDC = CreateDCA(PW_PRINTER_DRIVER, printer.name.c_str(), nullptr, have ? &dm : nullptr);
        if (!pd->hDC) return fail(PDERR_CREATEICFAILURE);
    }
    last_dialog_error = 0;
    return TRUE;
}

}  // namespace

DWORD CommDlgExtendedError(void) { return last_dialog_error; }

BOOL PrintDlgA(PRINTDLGA* pd) {
    last_dialog_error = 0;
    if (!pd) return fail(CDERR_INITIALIZATION);
    if (pd->lStructSize != sizeof(PRINTDLGA)) return fail(CDERR_STRUCTSIZE);

    if (pd->Flags & PD_RETURNDEFAULT) {
        if (pd->hDevMode || pd->hDevNames) return fail(PDERR_RETDEFFAILURE);
        std::string why;
        auto printer = find_printer(default_printer_name(), &why);
        if (!printer) return fail(PDERR_NODEFAULTPRN);
        return fill_blocks(pd, *printer, false);
    }

    // What the caller's blocks say, checked before anyone is asked.
    std::string start = default_printer_name();
    bool keep_devmode = false;
    DEVMODEA dm;
    const bool have_devmode = pd->hDevMode && read_devmode(pd->hDevMode, &dm);
    if (pd->hDevMode && !have_devmode) return fail(CDERR_MEMLOCKFAILURE);
    if (pd->hDevNames) {
        DevNamesText names;
        if (!read_devnames(pd->hDevNames, &names)) return fail(CDERR_MEMLOCKFAILURE);
        std::string why;
        if (!find_printer(names.device, &why)) return fail(PDERR_PRINTERNOTFOUND);
        if (names.is_default && !is_default_printer(names.device)) return fail(PDERR_DEFAULTDIFFERENT);
        if (have_devmode && !devmode_names(dm, names.device)) return fail(PDERR_DNDMMISMATCH);
        start = names.device;
        keep_devmode = have_devmode;
    } else if (have_devmode) {
        // A DEVMODE alone names its printer.
        start = std::string(reinterpret_cast<const char*>(dm.dmDeviceName),
                            strnlen(reinterpret_cast<const char*>(dm.dmDeviceName), CCHDEVICENAME));
        std::string why;
        if (!find_printer(start, &why)) return fail(PDERR_PRINTERNOTFOUND);
        keep_devmode = true;
    }

    PW_PRINT_DIALOG_REQUEST request;
    request.setup_only = (pd->Flags & PD_PRINTSETUP) != 0;
    request.flags = pd->Flags;
    request.current = start;
    request.default_printer = default_printer_name();
    for (const Printer& p : all_printers(false)) request.printers.push_back(p.name);

    PW_PRINT_DIALOG_ANSWER answer = ask_provider(request);
    switch (answer.kind) {
        case PW_PRINT_DIALOG_ANSWER::cancel: return FALSE;
        case PW_PRINT_DIALOG_ANSWER::error: return fail(answer.code ? answer.code : CDERR_DIALOGFAILURE);
        case PW_PRINT_DIALOG_ANSWER::ok: break;
    }
    const std::string chosen = answer.printer.empty() ? start : answer.printer;
    std::string why;
    auto printer = find_printer(chosen, &why);
    if (!printer) return fail(PDERR_PRINTERNOTFOUND);
    // The caller's settings go with the printer they were made for.
    keep_devmode = keep_devmode && lower(printer->name) == lower(start);
    return fill_blocks(pd, *printer, keep_devmode);
}
