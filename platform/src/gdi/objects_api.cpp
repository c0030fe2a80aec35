// Creating, selecting, inspecting and deleting GDI objects: DIB sections,
// brushes, pens and the stock objects. Palettes are in palette.cpp.
#include "gdi/dc.h"

#include "pw/kernel.h"
#include "pw/raster_device.h"

#include <cstring>

using namespace pw;
using namespace pw::gdi;

namespace {

HGDIOBJ handle_of(GdiObject* o) { return static_cast<void*>(o); }

template <class T>
HGDIOBJ keep(std::unique_ptr<T> object) {
    T* raw = object.release();
    register_object(raw);
    return handle_of(raw);
}

PixelFormat format_for(int bpp) {
    switch (bpp) {
    case 1: return PixelFormat::mono1;
    case 4: return PixelFormat::index4;
    case 8: return PixelFormat::index8;
    case 24: return PixelFormat::bgr24;
    default: return PixelFormat::bgrx32;
    }
}

// A memory DC draws into the pixels of its selected bitmap: swap its device.
HGDIOBJ select_bitmap(DcObject& d, BitmapObject* bm) {
    if (d.type != OBJ_MEMDC) return nullptr;
    if (bm == d.bitmap) return handle_of(bm);
    if (bm->selected > 0 && !bm->stock) return nullptr; // already in another DC
    const DeviceCaps& old = d.device->caps();
    PixelFormat f = format_for(bm->header.biBitCount);
    DeviceCaps caps = raster_caps(bm->width, bm->height, old.log_pixels_x, old.log_pixels_y, f);
    caps.technology = DT_RASDISPLAY;
    ptrdiff_t stride = bm->top_down ? static_cast<ptrdiff_t>(bm->stride) : -static_cast<ptrdiff_t>(bm->stride);
    auto device = std::make_unique<RasterDevice>(caps, f, bm->top_row(), stride, bm->colors);
    d.device = std::move(device);
    BitmapObject* previous = d.bitmap;
    reselect(d.bitmap, bm);
    return handle_of(previous);
}

} // namespace

extern "C" {

HBITMAP WINAPI CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits,
                                HANDLE section, DWORD offset) {
    // Failures say why through GetLastError, which callers report.
    if (bits) *bits = nullptr;
    DcObject* d = nullptr;
    DibView view;
    // The header alone is checked here: the pixel memory is ours to allocate
    // (the info pointer stands in for the not-yet-existing bits). Sections
    // over file mappings are not offered.
    if (section || (dc && !(d = find_dc(dc))) || !make_dib_view(info, 0, info, 0, usage, &view)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    try {
        auto bm = std::make_unique<BitmapObject>();
        bm->header = info->bmiHeader;
        bm->header.biSize = sizeof(BITMAPINFOHEADER);
        bm->header.biSizeImage = static_cast<DWORD>(view.bits_size);
        bm->width = view.width;
        bm->height = view.height;
        bm->top_down = view.top_down;
        bm->stride = view.stride;
        bm->size = view.bits_size;
        if (view.bit_count <= 8) {
            if (usage == DIB_PAL_COLORS) {
                const auto* idx = reinterpret_cast<const WORD*>(
                    reinterpret_cast<const uint8_t*>(info) + info->bmiHeader.biSize);
                const auto& pal = (d ? d->palette : default_palette())->data.entries;
                for (int i = 0; i < view.num_colors; ++i) {
                    PALETTEENTRY e = idx[i] < pal.size() ? pal[idx[i]] : PALETTEENTRY{0, 0, 0, 0};
                    bm->colors.push_back(RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0});
                }
            } else {
                bm->colors.assign(view.colors, view.colors + view.num_colors);
            }
        }
        bm->pixels.reset(new uint8_t[bm->size]());
        uint8_t* memory = bm->pixels.get();
        HGDIOBJ h = keep(std::move(bm));
        if (bits) *bits = memory;
        return static_cast<HBITMAP>(h);
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
    DcObject* d = find_dc(dc);
    GdiObject* o = find_object(object);
    if (!d || !o) return nullptr;
    try {
        switch (o->type) {
        case OBJ_BRUSH: {
            BrushObject* previous = d->brush;
            reselect(d->brush, static_cast<BrushObject*>(o));
            return handle_of(previous);
        }
        case OBJ_PEN: {
            PenObject* previous = d->pen;
            reselect(d->pen, static_cast<PenObject*>(o));
            return handle_of(previous);
        }
        case OBJ_BITMAP: return select_bitmap(*d, static_cast<BitmapObject*>(o));
        default: return nullptr; // palettes go through SelectPalette
        }
    } catch (...) {
        return nullptr;
    }
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
    GdiObject* o = find_object(object);
    if (!o) return FALSE;
    if (o->stock) return TRUE;
    if (o->selected > 0) return FALSE; // still selected into a DC
    switch (o->type) {
    case OBJ_BRUSH:
    case OBJ_PEN:
    case OBJ_PAL:
    case OBJ_BITMAP: break;
    default: return FALSE; // DCs and metafiles have their own delete calls
    }
    unregister_object(o);
    delete o;
    return TRUE;
}

int WINAPI GetObjectA(HGDIOBJ object, int size, LPVOID out) {
    GdiObject* o = find_object(object);
    if (!o || size < 0) return 0;
    switch (o->type) {
    case OBJ_BITMAP: {
        auto* bm = static_cast<BitmapObject*>(o);
        DIBSECTION ds{};
        ds.dsBm.bmType = 0;
        ds.dsBm.bmWidth = bm->width;
        ds.dsBm.bmHeight = bm->height;
        ds.dsBm.bmWidthBytes = static_cast<LONG>(bm->stride);
        ds.dsBm.bmPlanes = 1;
        ds.dsBm.bmBitsPixel = bm->header.biBitCount;
        ds.dsBm.bmBits = bm->pixels.get();
        ds.dsBmih = bm->header;
        if (!out) return sizeof(DIBSECTION);
        if (size >= static_cast<int>(sizeof(DIBSECTION))) {
            std::memcpy(out, &ds, sizeof ds);
            return sizeof(DIBSECTION);
        }
        if (size >= static_cast<int>(sizeof(BITMAP))) {
            std::memcpy(out, &ds.dsBm, sizeof ds.dsBm);
            return sizeof(BITMAP);
        }
        return 0;
    }
    case OBJ_BRUSH: {
        auto* b = static_cast<BrushObject*>(o);
        LOGBRUSH lb{b->style, b->color, 0};
        if (!out) return sizeof(LOGBRUSH);
        if (size < static_cast<int>(sizeof(LOGBRUSH))) return 0;
        std::memcpy(out, &lb, sizeof lb);
        return sizeof(LOGBRUSH);
    }
    case OBJ_PAL: {
        // The number of entries, as a WORD.
        auto* p = static_cast<PaletteObject*>(o);
        if (!out) return sizeof(WORD);
        if (size < static_cast<int>(sizeof(WORD))) return 0;
        WORD n = static_cast<WORD>(p->data.entries.size());
        std::memcpy(out, &n, sizeof n);
        return sizeof(WORD);
    }
    default: return 0;
    }
}

DWORD WINAPI GetObjectType(HGDIOBJ object) {
    GdiObject* o = find_object(object);
    return o ? o->type : 0;
}

HGDIOBJ WINAPI GetStockObject(int index) {
    if (index >= WHITE_BRUSH && index <= NULL_BRUSH) return handle_of(stock_brush(index));
    if (index >= WHITE_PEN && index <= NULL_PEN) return handle_of(stock_pen(index));
    if (index == DEFAULT_PALETTE) return handle_of(default_palette());
    return nullptr;
}

// Drawing is never batched here: every call has finished when it returns.
BOOL WINAPI GdiFlush(void) { return TRUE; }

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
    try {
        return static_cast<HBRUSH>(keep(std::make_unique<BrushObject>(BS_SOLID, color & 0xFFFFFF)));
    } catch (...) {
        return nullptr;
    }
}

HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* brush) {
    if (!brush || (brush->lbStyle != BS_SOLID && brush->lbStyle != BS_NULL)) return nullptr;
    try {
        return static_cast<HBRUSH>(
            keep(std::make_unique<BrushObject>(brush->lbStyle, brush->lbColor & 0xFFFFFF)));
    } catch (...) {
        return nullptr;
    }
}

HPEN WINAPI CreatePen(int style, int width, COLORREF color) {
    if (style != PS_SOLID && style != PS_NULL) return nullptr;
    try {
        return static_cast<HPEN>(keep(std::make_unique<PenObject>(style, width < 0 ? 0 : width, color & 0xFFFFFF)));
    } catch (...) {
        return nullptr;
    }
}

} // extern "C"
