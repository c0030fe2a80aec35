// GDI objects behind the handles: the common base, the kinds of objects, and
// the table of live handles through which every call checks a handle before
// touching what it points to.
//
// A handle is the address of its object. Objects are created by the Create...
// calls, registered in the handle table, and destroyed by DeleteObject /
// DeleteDC / DeleteMetaFile, which unregister them first. Stock objects are
// registered once for the life of the process and ignore DeleteObject.
#pragma once

#include "pw/device.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace pw::gdi {

struct GdiObject {
    explicit GdiObject(DWORD type) : type(type) {}
    virtual ~GdiObject() = default;
    const DWORD type; // OBJ_*
    bool stock = false;
    int selected = 0; // number of DCs it is selected into
};

struct BrushObject : GdiObject {
    BrushObject(UINT style, COLORREF color) : GdiObject(OBJ_BRUSH), style(style), color(color) {}
    UINT style;
    COLORREF color;
};

struct PenObject : GdiObject {
    PenObject(int style, int width, COLORREF color)
        : GdiObject(OBJ_PEN), style(style), width(width), color(color) {}
    int style;
    int width;
    COLORREF color;
};

struct PaletteObject : GdiObject {
    PaletteObject() : GdiObject(OBJ_PAL) {}
    PaletteData data;
};

// A DIB section (or the stock 1x1 monochrome bitmap of a fresh memory DC).
// Owns its pixel memory; rows are stored as the header says (bottom-up for a
// positive height).
struct BitmapObject : GdiObject {
    BitmapObject() : GdiObject(OBJ_BITMAP) {}
    BITMAPINFOHEADER header{};
    std::vector<RGBQUAD> colors;
    std::unique_ptr<uint8_t[]> pixels;
    size_t size = 0;   // bytes of pixel memory
    size_t stride = 0; // bytes per row
    int width = 0;
    int height = 0; // > 0
    bool top_down = false;
    uint8_t* top_row() const {
        return top_down ? pixels.get() : pixels.get() + stride * static_cast<size_t>(height - 1);
    }
};

struct MetafileObject : GdiObject {
    MetafileObject() : GdiObject(OBJ_METAFILE) {}
    std::vector<uint8_t> bytes;
};

// Handle table.
void register_object(GdiObject* object);
void unregister_object(GdiObject* object);
// The live object for `handle`, or null when the handle is null, unknown or
// not of `type` (0: any type).
GdiObject* find_object(const void* handle, DWORD type = 0);

template <class T>
T* find(const void* handle, DWORD type) {
    return static_cast<T*>(find_object(handle, type));
}

BrushObject* stock_brush(int index);
PenObject* stock_pen(int index);
PaletteObject* default_palette();
BitmapObject* default_bitmap();

} // namespace pw::gdi
