#include "printer_settings.h"

#include <cstring>

namespace {

// How often a retried print-dialog error may start the dialog again.
const int kDialogRetries = 16;

// A block of our own with the same bytes, or null.
HGLOBAL duplicate_block(HGLOBAL source) {
    if (!source) return nullptr;
    SIZE_T size = GlobalSize(source);
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!copy) return nullptr;
    void* from = GlobalLock(source);
    void* to = GlobalLock(copy);
    if (from && to) memcpy(to, from, size);
    if (to) GlobalUnlock(copy);
    if (from) GlobalUnlock(source);
    return copy;
}

void free_block(HGLOBAL& block) {
    if (block) GlobalFree(block);
    block = nullptr;
}

// Unlocks `block` once when it is a valid block that is still locked.
void unlock_if_locked(HGLOBAL block) {
    if (!block) return;
    UINT flags = GlobalFlags(block);
    if (flags != GMEM_INVALID_HANDLE && (flags & 0xFF) != 0) GlobalUnlock(block);
}

const char* devnames_string(const DEVNAMES* names, WORD offset) {
    return reinterpret_cast<const char*>(names) + offset;
}

}  // namespace

CPrinterSettings::CPrinterSettings()
    : is_colour(0),
      have_printer(0),
      resolution(0),
      resolutions(nullptr),
      resolutions_handle(nullptr),
      resolution_count(0),
      printable_rect{0, 0, 0, 0},
      dev_names(nullptr),
      dev_mode(nullptr) {}

CPrinterSettings::CPrinterSettings(const CPrinterSettings& other)
    : is_colour(other.is_colour),
      have_printer(other.have_printer),
      resolution(other.resolution),
      device_name(other.device_name),
      resolutions(nullptr),
      resolutions_handle(duplicate_block(other.resolutions_handle)),
      resolution_count(other.resolution_count),
      printable_rect(other.printable_rect),
      dev_names(duplicate_block(other.dev_names)),
      dev_mode(duplicate_block(other.dev_mode)) {}

CPrinterSettings& CPrinterSettings::operator=(const CPrinterSettings& other) {
    if (this == &other) return *this;
    reset();
    is_colour = other.is_colour;
    have_printer = other.have_printer;
    resolution = other.resolution;
    device_name = other.device_name;
    resolutions_handle = duplicate_block(other.resolutions_handle);
    resolution_count = other.resolution_count;
    printable_rect = other.printable_rect;
    dev_names = duplicate_block(other.dev_names);
    dev_mode = duplicate_block(other.dev_mode);
    return *this;
}

CPrinterSettings::~CPrinterSettings() {
    free_block(resolutions_handle);
    free_block(dev_names);
    free_block(dev_mode);
}

void CPrinterSettings::read_dc_capabilities(HDC dc) {
    printable_rect.left = 0;
    printable_rect.top = 0;
    printable_rect.right = GetDeviceCaps(dc, HORZRES);
    printable_rect.bottom = GetDeviceCaps(dc, VERTRES);
    is_colour = (GetDeviceCaps(dc, BITSPIXEL) == 1 && GetDeviceCaps(dc, PLANES) == 1) ? 0 : 1;
}

void CPrinterSettings::read_capabilities(const CString& printer_name) {
    if (!printer_name.IsEmpty()) {
        have_printer = 1;
        CString name = printer_name;
        CDC* dc = create_printer_dc(name);
        if (!dc) return;
        read_dc_capabilities(dc->m_hDC);
        resolution = GetDeviceCaps(dc->m_hDC, LOGPIXELSX);
        delete dc;
        return;
    }
    if (!have_printer || !dev_names) return;

    auto names = static_cast<DEVNAMES*>(GlobalLock(dev_names));
    if (!names) return;
    auto mode = dev_mode ? static_cast<DEVMODEA*>(GlobalLock(dev_mode)) : nullptr;
    const char* driver = devnames_string(names, names->wDriverOffset);
    const char* device = devnames_string(names, names->wDeviceOffset);
    const char* port = devnames_string(names, names->wOutputOffset);
    device_name = device;

    HDC dc = CreateDCA(driver, device, nullptr, mode);
    if (!dc) dc = CreateDCA(driver, device, nullptr, nullptr);
    if (!dc) {
        have_printer = 0;
        if (mode) GlobalUnlock(dev_mode);
        GlobalUnlock(dev_names);
        return;
    }
    read_dc_capabilities(dc);

    int count = DeviceCapabilitiesA(device, port, DC_ENUMRESOLUTIONS, nullptr, mode);
    bool driver_list = count != -1 && count != 0;
    if (!driver_list) count = 1;

    free_block(resolutions_handle);
    resolutions = nullptr;
    resolution_count = 0;
    resolutions_handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, (SIZE_T)count * 8);
    if (resolutions_handle) resolutions = static_cast<int32_t*>(GlobalLock(resolutions_handle));
    if (resolutions) {
        resolution_count = count;
        if (driver_list) {
            DeviceCapabilitiesA(device, port, DC_ENUMRESOLUTIONS, reinterpret_cast<LPSTR>(resolutions), mode);
        } else {
            resolutions[0] = GetDeviceCaps(dc, LOGPIXELSX);
            resolutions[1] = GetDeviceCaps(dc, LOGPIXELSY);
        }
        // Bubble passes by the horizontal value until one pass exchanges nothing;
        // pairs with equal horizontal values keep their order.
        bool exchanged = count > 1;
        while (exchanged) {
            exchanged = false;
            for (int i = 0; i + 1 < count; ++i) {
                int32_t* a = resolutions + 2 * i;
                if (a[0] > a[2]) {
                    std::swap(a[0], a[2]);
                    std::swap(a[1], a[3]);
                    exchanged = true;
                }
            }
        }
        // With DM_YRESOLUTION, dmPrintQuality holds the horizontal dots per inch.
        // Without a DEVMODE the driver's highest resolution is the one in use.
        if (mode && (mode->dmFields & DM_YRESOLUTION))
            resolution = mode->dmPrintQuality;
        else
            resolution = resolutions[2 * (count - 1)];
    } else {
        resolution = GetDeviceCaps(dc, LOGPIXELSX);
    }

    GlobalUnlock(dev_names);
    if (mode) GlobalUnlock(dev_mode);
    if (resolutions_handle && resolutions) GlobalUnlock(resolutions_handle);
    DeleteDC(dc);
}

void CPrinterSettings::release_locks() {
    unlock_if_locked(dev_names);
    unlock_if_locked(dev_mode);
}

CDC* CPrinterSettings::create_printer_dc(CString& printer_name) {
    CDC* dc = new CDC;
    if (!have_printer) {
        delete dc;
        return nullptr;
    }
    if (!printer_name.IsEmpty()) {
        dc->Attach(CreateDCA("WINSPOOL", printer_name, nullptr, nullptr));
    } else {
        if (!dev_names) {
            delete dc;
            return nullptr;
        }
        auto names = static_cast<DEVNAMES*>(GlobalLock(dev_names));
        if (!names) {
            delete dc;
            return nullptr;
        }
        auto mode = dev_mode ? static_cast<DEVMODEA*>(GlobalLock(dev_mode)) : nullptr;
        printer_name = devnames_string(names, names->wDeviceOffset);
        const char* driver = devnames_string(names, names->wDriverOffset);
        HDC hdc = CreateDCA(driver, printer_name, nullptr, mode);
        if (!hdc) hdc = CreateDCA(driver, printer_name, nullptr, nullptr);
        if (hdc) dc->Attach(hdc);
    }
    if (!dc->m_hDC) {
        have_printer = 0;
        delete dc;
        release_locks();
        return nullptr;
    }
    release_locks();
    return dc;
}

void CPrinterSettings::refresh_default_printer() {
    have_printer = 1;
    if (!dev_names) {
        CPrintDialog query(TRUE, PW_DEFAULTS_QUERY_FLAGS, nullptr);
        query.GetDefaults();
        free_block(dev_mode);
        free_block(dev_names);
        dev_mode = query.m_pd.hDevMode;
        dev_names = query.m_pd.hDevNames;
        query.m_pd.hDevMode = nullptr;
        query.m_pd.hDevNames = nullptr;
        return;
    }
    auto names = static_cast<DEVNAMES*>(GlobalLock(dev_names));
    if (!names) return;
    bool was_default = (names->wDefault & DN_DEFAULTPRN) != 0;
    if (!was_default) {
        GlobalUnlock(dev_names);
        return;
    }
    CPrintDialog query(TRUE, PW_DEFAULTS_QUERY_FLAGS, nullptr);
    query.GetDefaults();
    if (!query.m_pd.hDevNames) {
        // No default printer any more: nothing is chosen.
        GlobalUnlock(dev_names);
        free_block(dev_mode);
        free_block(dev_names);
        if (query.m_pd.hDevMode) GlobalFree(query.m_pd.hDevMode);
        query.m_pd.hDevMode = nullptr;
        have_printer = 0;
        return;
    }
    bool same = lstrcmpA(devnames_string(names, names->wDriverOffset), query.GetDriverName()) == 0 &&
                lstrcmpA(devnames_string(names, names->wDeviceOffset), query.GetDeviceName()) == 0 &&
                lstrcmpA(devnames_string(names, names->wOutputOffset), query.GetPortName()) == 0;
    GlobalUnlock(dev_names);
    if (same) {
        // Keep the user's settings for the printer that is still the default.
        if (query.m_pd.hDevMode) GlobalFree(query.m_pd.hDevMode);
        if (query.m_pd.hDevNames) GlobalFree(query.m_pd.hDevNames);
    } else {
        free_block(dev_mode);
        free_block(dev_names);
        dev_mode = query.m_pd.hDevMode;
        dev_names = query.m_pd.hDevNames;
    }
    query.m_pd.hDevMode = nullptr;
    query.m_pd.hDevNames = nullptr;
}

int CPrinterSettings::run_print_dialog(CPrintDialog& dialog) {
    refresh_default_printer();
    dialog.m_pd.hDevMode = dev_mode;
    dialog.m_pd.hDevNames = dev_names;
    INT_PTR r = dialog.DoModal();
    // Each retried error starts the dialog again from the default printer. The
    // retries are bounded: when the default printer itself cannot be found (a
    // printers file naming one that does not exist) every attempt fails the same
    // way, and an unbounded loop would hang the application.
    int retries_left = kDialogRetries;
    while (r != IDOK && r != IDCANCEL) {
        DWORD error = CommDlgExtendedError();
        if (retries_left-- > 0 &&
            (error == PDERR_DNDMMISMATCH || error == PDERR_PRINTERNOTFOUND || error == PDERR_DEFAULTDIFFERENT)) {
            // Start again from the system's default printer.
            if (dialog.m_pd.hDevNames) GlobalFree(dialog.m_pd.hDevNames);
            dialog.m_pd.hDevNames = nullptr;
            dev_names = nullptr;
            if (dialog.m_pd.hDevMode) GlobalFree(dialog.m_pd.hDevMode);
            dialog.m_pd.hDevMode = nullptr;
            dev_mode = nullptr;
            r = dialog.DoModal();
        } else {
            return 0;
        }
    }
    dev_mode = dialog.m_pd.hDevMode;
    dev_names = dialog.m_pd.hDevNames;
    if (r == IDCANCEL) return 0;
    have_printer = 1;
    return 1;
}

int CPrinterSettings::choose_printer(int print_dialog) {
    CPrintDialog dialog(print_dialog ? FALSE : TRUE, print_dialog ? PW_PRINT_DIALOG_FLAGS : PW_PRINT_SETUP_FLAGS,
                        nullptr);
    int r = run_print_dialog(dialog);
    if (r != 1) return r;
    read_capabilities(CString());
    return 1;
}

void CPrinterSettings::reset() {
    if (resolutions_handle) {
        unlock_if_locked(resolutions_handle);
        GlobalFree(resolutions_handle);
    }
    resolutions_handle = nullptr;
    free_block(dev_names);
    free_block(dev_mode);
    is_colour = 0;
    have_printer = 0;
    resolution = 0;
    resolutions = nullptr;
    resolution_count = 0;
    device_name.Empty();
    printable_rect = RECT{0, 0, 0, 0};
}
