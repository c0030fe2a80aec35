#include "print/devmode.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "pw/kernel.h"

namespace pw::print {
namespace {

void copy_name(BYTE* to, size_t size, const std::string& from) {
    std::memset(to, 0, size);
    std::memcpy(to, from.data(), std::min(from.size(), size - 1));
}

// The listed resolution nearest to (x, y): an exact match, else the smallest
// distance in x and then in y.
Resolution nearest(const std::vector<Resolution>& list, int x, int y) {
    Resolution best = list.front();
    long best_cost = -1;
    for (const Resolution& r : list) {
        long cost = std::labs(r.x - x) * 100000L + std::labs(r.y - y);
        if (best_cost < 0 || cost < best_cost) {
            best = r;
            best_cost = cost;
        }
    }
    return best;
}

// Highest and lowest by horizontal dots per inch, then vertical.
Resolution pick_quality(const std::vector<Resolution>& list, int quality) {
    std::vector<Resolution> sorted = list;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Resolution& a, const Resolution& b) { return a.x != b.x ? a.x < b.x : a.y < b.y; });
    switch (quality) {
        case DMRES_DRAFT:
        case DMRES_LOW: return sorted.front();
        case DMRES_MEDIUM: return sorted[sorted.size() / 2];
        default: return sorted.back();
    }
}

}  // namespace

DEVMODEA devmode_for(const Printer& printer) {
    DEVMODEA dm;
    std::memset(&dm, 0, sizeof dm);
    copy_name(dm.dmDeviceName, sizeof dm.dmDeviceName, printer.name);
    dm.dmSpecVersion = DM_SPECVERSION;
    dm.dmDriverVersion = 0x0100;
    dm.dmSize = sizeof(DEVMODEA);
    dm.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_SCALE | DM_COPIES |
                  DM_PRINTQUALITY | DM_YRESOLUTION | DM_COLOR | DM_FORMNAME;
    dm.dmOrientation = DMORIENT_PORTRAIT;
    dm.dmPaperSize = static_cast<SHORT>(printer.paper.dmpaper);
    dm.dmPaperWidth = static_cast<SHORT>(printer.paper.width / 10);
    dm.dmPaperLength = static_cast<SHORT>(printer.paper.height / 10);
    dm.dmScale = 100;
    dm.dmCopies = 1;
    dm.dmPrintQuality = static_cast<SHORT>(printer.resolution.x);
    dm.dmYResolution = static_cast<SHORT>(printer.resolution.y);
    dm.dmColor = printer.colour ? DMCOLOR_COLOR : DMCOLOR_MONOCHROME;
    copy_name(dm.dmFormName, sizeof dm.dmFormName, printer.paper.name);
    return dm;
}

JobSettings settings_from(const Printer& printer, const DEVMODEA* dm) {
    JobSettings s = default_settings(printer);
    // Every field read below lies before dmFormName; a shorter structure is not a DEVMODE.
    if (!dm || dm->dmSize < offsetof(DEVMODEA, dmFormName)) return s;
    const DWORD f = dm->dmFields;
    if ((f & DM_PRINTQUALITY) && dm->dmPrintQuality != 0) {
        if (dm->dmPrintQuality < 0) {
            s.resolution = pick_quality(printer.resolutions, dm->dmPrintQuality);
        } else {
            int y = (f & DM_YRESOLUTION) && dm->dmYResolution > 0 ? dm->dmYResolution : dm->dmPrintQuality;
            s.resolution = nearest(printer.resolutions, dm->dmPrintQuality, y);
        }
    } else if ((f & DM_YRESOLUTION) && dm->dmYResolution > 0) {
        s.resolution = nearest(printer.resolutions, printer.resolution.x, dm->dmYResolution);
    }
    if ((f & DM_PAPERSIZE) && dm->dmPaperSize > 0) {
        if (auto p = paper_by_code(dm->dmPaperSize)) s.paper = *p;
    } else if ((f & DM_PAPERWIDTH) && (f & DM_PAPERLENGTH) && dm->dmPaperWidth > 0 && dm->dmPaperLength > 0) {
        s.paper = paper_by_size(dm->dmPaperWidth * 10, dm->dmPaperLength * 10);
    }
    // Margins that would leave nothing of a smaller paper shrink to nothing.
    if (s.margins.left + s.margins.right >= s.paper.width || s.margins.top + s.margins.bottom >= s.paper.height)
        s.margins = Margins{};
    if (f & DM_ORIENTATION) s.landscape = dm->dmOrientation == DMORIENT_LANDSCAPE;
    if ((f & DM_COLOR) && dm->dmColor == DMCOLOR_MONOCHROME) s.colour = false;
    return s;
}

std::string port_of(const Printer& printer) {
    if (printer.kind == Kind::ipp) return printer.uri.empty() ? "cups:" + printer.name : printer.uri;
    return printer.output.empty() ? "FILE:" : printer.output;
}

HGLOBAL new_devmode_block(const DEVMODEA& devmode) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DEVMODEA));
    if (!h) return nullptr;
    void* p = GlobalLock(h);
    if (!p) {
        GlobalFree(h);
        return nullptr;
    }
    std::memcpy(p, &devmode, sizeof devmode);
    GlobalUnlock(h);
    return h;
}

HGLOBAL new_devnames_block(const std::string& driver, const std::string& device, const std::string& port,
                           bool is_default) {
    const size_t head = sizeof(DEVNAMES);
    const size_t total = head + driver.size() + 1 + device.size() + 1 + port.size() + 1;
    if (total > 0xFFFF) return nullptr;  // offsets are 16 bits
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, total);
    if (!h) return nullptr;
    auto* base = static_cast<char*>(GlobalLock(h));
    if (!base) {
        GlobalFree(h);
        return nullptr;
    }
    DEVNAMES names;
    names.wDriverOffset = static_cast<WORD>(head);
    names.wDeviceOffset = static_cast<WORD>(head + driver.size() + 1);
    names.wOutputOffset = static_cast<WORD>(names.wDeviceOffset + device.size() + 1);
    names.wDefault = is_default ? DN_DEFAULTPRN : 0;
    std::memcpy(base, &names, sizeof names);
    std::memcpy(base + names.wDriverOffset, driver.c_str(), driver.size() + 1);
    std::memcpy(base + names.wDeviceOffset, device.c_str(), device.size() + 1);
    std::memcpy(base + names.wOutputOffset, port.c_str(), port.size() + 1);
    GlobalUnlock(h);
    return h;
}

bool read_devnames(HGLOBAL block, DevNamesText* out) {
    if (!block) return false;
    const size_t size = GlobalSize(block);
    if (size < sizeof(DEVNAMES)) return false;
    auto* base = static_cast<const char*>(GlobalLock(block));
    if (!base) return false;
    DEVNAMES names;
    std::memcpy(&names, base, sizeof names);
    // A name must start inside the block and end with a zero inside it.
    auto text_at = [&](WORD offset, std::string* to) {
        if (offset < sizeof(DEVNAMES) || offset >= size) return false;
        const void* end = std::memchr(base + offset, 0, size - offset);
        if (!end) return false;
        *to = std::string(base + offset, static_cast<const char*>(end));
        return true;
    };
    bool ok = text_at(names.wDriverOffset, &out->driver) && text_at(names.wDeviceOffset, &out->device) &&
              text_at(names.wOutputOffset, &out->port);
    out->is_default = (names.wDefault & DN_DEFAULTPRN) != 0;
    GlobalUnlock(block);
    return ok;
}

bool read_devmode(HGLOBAL block, DEVMODEA* out) {
    if (!block) return false;
    const size_t size = GlobalSize(block);
    if (size < offsetof(DEVMODEA, dmFormName)) return false;
    auto* base = static_cast<const char*>(GlobalLock(block));
    if (!base) return false;
    std::memset(out, 0, sizeof *out);
    std::memcpy(out, base, std::min(size, sizeof *out));
    GlobalUnlock(block);
    // What the block does not hold cannot be claimed by dmSize.
    if (out->dmSize > size) out->dmSize = static_cast<WORD>(std::min(size, sizeof *out));
    return true;
}

}  // namespace pw::print
