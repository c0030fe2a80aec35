#include "gdi/objects.h"

#include <mutex>
#include <unordered_map>

namespace pw::gdi {
namespace {

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<const void*, GdiObject*> live;
};

HandleTable& table() {
    // Never destroyed: handles may be checked from static destructors of other modules.
    static HandleTable* t = new HandleTable;
    return *t;
}

template <class T>
T* make_stock(T* object) {
    object->stock = true;
    register_object(object);
    return object;
}

} // namespace

void register_object(GdiObject* object) {
    auto& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    t.live[static_cast<const void*>(object)] = object;
}

void unregister_object(GdiObject* object) {
    auto& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    t.live.erase(static_cast<const void*>(object));
}

GdiObject* find_object(const void* handle, DWORD type) {
    if (!handle) return nullptr;
    auto& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.live.find(handle);
    if (it == t.live.end()) return nullptr;
    if (type != 0 && it->second->type != type) return nullptr;
    return it->second;
}

BrushObject* stock_brush(int index) {
    static BrushObject* brushes[6] = {
        make_stock(new BrushObject(BS_SOLID, RGB(255, 255, 255))),
        make_stock(new BrushObject(BS_SOLID, RGB(192, 192, 192))),
        make_stock(new BrushObject(BS_SOLID, RGB(128, 128, 128))),
        make_stock(new BrushObject(BS_SOLID, RGB(64, 64, 64))),
        make_stock(new BrushObject(BS_SOLID, RGB(0, 0, 0))),
        make_stock(new BrushObject(BS_NULL, 0)),
    };
    return index >= 0 && index < 6 ? brushes[index] : nullptr;
}

PenObject* stock_pen(int index) {
    static PenObject* pens[3] = {
        make_stock(new PenObject(PS_SOLID, 0, RGB(255, 255, 255))),
        make_stock(new PenObject(PS_SOLID, 0, RGB(0, 0, 0))),
        make_stock(new PenObject(PS_NULL, 0, 0)),
    };
    return index >= WHITE_PEN && index <= NULL_PEN ? pens[index - WHITE_PEN] : nullptr;
}

PaletteObject* default_palette() {
    // The 20 static colours of the original platform's default palette.
    static PaletteObject* palette = [] {
        auto* p = new PaletteObject;
        static const BYTE rgb[20][3] = {
            {0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
            {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
            {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
            {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
        for (auto& c : rgb) p->data.entries.push_back(PALETTEENTRY{c[0], c[1], c[2], 0});
        return make_stock(p);
    }();
    return palette;
}

BitmapObject* default_bitmap() {
    static BitmapObject* bitmap = [] {
        auto* b = new BitmapObject;
        b->header.biSize = sizeof(BITMAPINFOHEADER);
        b->header.biWidth = 1;
        b->header.biHeight = 1;
        b->header.biPlanes = 1;
        b->header.biBitCount = 1;
        b->colors = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
        b->stride = 4;
        b->size = 4;
        b->width = b->height = 1;
        b->pixels.reset(new uint8_t[4]{0xFF, 0, 0, 0});
        return make_stock(b);
    }();
    return bitmap;
}

} // namespace pw::gdi
