// Logical palettes: creating, selecting into a DC and realising.
#include "gdi/dc.h"

#include <algorithm>

using namespace pw;
using namespace pw::gdi;

namespace {
// Larger logical palettes are refused; the original platform's limit is
// lower for practical purposes and the plug-in uses at most 256 entries.
constexpr int kMaxEntries = 4096;
} // namespace

extern "C" {

HPALETTE WINAPI CreatePalette(const LOGPALETTE* palette) {
    if (!palette || palette->palVersion != 0x300) return nullptr;
    if (palette->palNumEntries == 0 || palette->palNumEntries > kMaxEntries) return nullptr;
    try {
        auto p = std::make_unique<PaletteObject>();
        p->data.entries.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
        PaletteObject* raw = p.release();
        register_object(raw);
        return static_cast<HPALETTE>(static_cast<void*>(static_cast<GdiObject*>(raw)));
    } catch (...) {
        return nullptr;
    }
}

HPALETTE WINAPI SelectPalette(HDC dc, HPALETTE palette, BOOL) {
    DcObject* d = find_dc(dc);
    auto* p = find<PaletteObject>(palette, OBJ_PAL);
    if (!d || !p) return nullptr;
    PaletteObject* previous = d->palette;
    reselect(d->palette, p);
    try {
        d->device->palette_selected(p == default_palette() ? nullptr : &p->data);
    } catch (...) {
    }
    return static_cast<HPALETTE>(static_cast<void*>(static_cast<GdiObject*>(previous)));
}

UINT WINAPI RealizePalette(HDC dc) {
    DcObject* d = find_dc(dc);
    if (!d) return GDI_ERROR;
    try {
        return d->device->palette_realized(d->palette == default_palette() ? nullptr : &d->palette->data);
    } catch (...) {
        return GDI_ERROR;
    }
}

UINT WINAPI GetPaletteEntries(HPALETTE palette, UINT start, UINT count, LPPALETTEENTRY out) {
    auto* p = find<PaletteObject>(palette, OBJ_PAL);
    if (!p) return 0;
    const UINT n = static_cast<UINT>(p->data.entries.size());
    if (!out) return n;
    if (start >= n) return 0;
    const UINT copy = std::min(count, n - start);
    std::copy_n(p->data.entries.begin() + start, copy, out);
    return copy;
}

} // extern "C"
