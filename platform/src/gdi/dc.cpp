// Creating and deleting device contexts, the printer-factory hook, and
// GetDeviceCaps.
#include "gdi/dc.h"

#include "pw/raster_device.h"

#include <cmath>
#include <cstring>
#include <mutex>
#include <strings.h>

namespace pw {

Device::~Device() = default;

int device_caps_value(const DeviceCaps& c, int index) {
    auto mm = [](int pixels, int dpi) {
        return dpi > 0 ? static_cast<int>(std::lround(pixels * 25.4 / dpi)) : 0;
    };
    switch (index) {
    case DRIVERVERSION: return 0x400;
    case TECHNOLOGY: return c.technology;
    case HORZSIZE: return mm(c.horz_res, c.log_pixels_x);
    case VERTSIZE: return mm(c.vert_res, c.log_pixels_y);
    case HORZRES: return c.horz_res;
    case VERTRES: return c.vert_res;
    case BITSPIXEL: return c.bits_pixel;
    case PLANES: return c.planes;
    case NUMBRUSHES: return -1;
    case NUMPENS: return -1;
    case NUMCOLORS: return c.num_colors;
    case RASTERCAPS: return c.raster_caps;
    case ASPECTX: return c.log_pixels_y > 0 ? c.log_pixels_y : 0;
    case ASPECTY: return c.log_pixels_x > 0 ? c.log_pixels_x : 0;
    case ASPECTXY:
        return static_cast<int>(std::lround(std::hypot(c.log_pixels_x, c.log_pixels_y)));
    case LOGPIXELSX: return c.log_pixels_x;
    case LOGPIXELSY: return c.log_pixels_y;
    case SIZEPALETTE: return c.size_palette;
    case COLORRES: return c.bits_pixel >= 24 ? 24 : c.bits_pixel;
    case PHYSICALWIDTH: return c.physical_width ? c.physical_width : c.horz_res;
    case PHYSICALHEIGHT: return c.physical_height ? c.physical_height : c.vert_res;
    case PHYSICALOFFSETX: return c.physical_offset_x;
    case PHYSICALOFFSETY: return c.physical_offset_y;
    default: return 0;
    }
}

} // namespace pw

namespace pw::gdi {

DcObject::~DcObject() {
    reselect(brush, static_cast<BrushObject*>(nullptr));
    reselect(pen, static_cast<PenObject*>(nullptr));
    reselect(palette, static_cast<PaletteObject*>(nullptr));
    reselect(bitmap, static_cast<BitmapObject*>(nullptr));
}

DcObject* find_dc(HDC dc) {
    GdiObject* o = find_object(dc);
    if (!o) return nullptr;
    if (o->type != OBJ_DC && o->type != OBJ_MEMDC && o->type != OBJ_METADC) return nullptr;
    return static_cast<DcObject*>(o);
}

namespace {

struct FactoryList {
    std::mutex mutex;
    int next_id = 1;
    std::vector<std::pair<int, DcFactory>> factories;
};

FactoryList& factory_list() {
    static FactoryList* list = new FactoryList;
    return *list;
}

} // namespace

// Sets up the default selections of a new DC and registers it.
HDC adopt_dc(std::unique_ptr<DcObject> dc) {
    reselect(dc->brush, stock_brush(WHITE_BRUSH));
    reselect(dc->pen, stock_pen(BLACK_PEN));
    reselect(dc->palette, default_palette());
    DcObject* raw = dc.release();
    register_object(raw);
    return reinterpret_cast<HDC>(static_cast<GdiObject*>(raw));
}

} // namespace pw::gdi

using namespace pw;
using namespace pw::gdi;

int pw_register_dc_factory(DcFactory factory) {
    auto& list = factory_list();
    std::lock_guard<std::mutex> lock(list.mutex);
    int id = list.next_id++;
    list.factories.emplace_back(id, std::move(factory));
    return id;
}

void pw_unregister_dc_factory(int id) {
    auto& list = factory_list();
    std::lock_guard<std::mutex> lock(list.mutex);
    std::erase_if(list.factories, [id](const auto& f) { return f.first == id; });
}

HDC pw_create_dc(std::unique_ptr<Device> device) {
    if (!device) return nullptr;
    try {
        return adopt_dc(std::make_unique<DcObject>(std::move(device)));
    } catch (...) {
        return nullptr;
    }
}

Device* pw_dc_device(HDC dc) {
    DcObject* d = find_dc(dc);
    return d ? d->device.get() : nullptr;
}

extern "C" {

HDC WINAPI CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR port, const DEVMODEA* devmode) {
    try {
        if (driver && strcasecmp(driver, "DISPLAY") == 0) {
            // A stand-in screen: 96 dpi, 24 bits, 1024 x 768.
            DeviceCaps caps = raster_caps(1024, 768, 96, 96, PixelFormat::bgr24);
            caps.technology = DT_RASDISPLAY;
            return pw_create_dc(std::make_unique<RasterDevice>(caps, PixelFormat::bgr24));
        }
        std::vector<DcFactory> factories;
        {
            auto& list = factory_list();
            std::lock_guard<std::mutex> lock(list.mutex);
            for (auto& f : list.factories) factories.push_back(f.second);
        }
        for (auto& factory : factories) {
            std::unique_ptr<Device> made;
            try {
                made = factory(driver, device, port, devmode);
            } catch (...) {
                made.reset();
            }
            if (made) return pw_create_dc(std::move(made));
        }
    } catch (...) {
    }
    return nullptr;
}

HDC WINAPI CreateCompatibleDC(HDC dc) {
    try {
        int dpi_x = 96, dpi_y = 96;
        if (dc) {
            DcObject* ref = find_dc(dc);
            if (!ref) return nullptr;
            if (ref->device->caps().log_pixels_x > 0) dpi_x = ref->device->caps().log_pixels_x;
            if (ref->device->caps().log_pixels_y > 0) dpi_y = ref->device->caps().log_pixels_y;
        }
        BitmapObject* bm = default_bitmap();
        DeviceCaps caps = raster_caps(1, 1, dpi_x, dpi_y, PixelFormat::mono1);
        auto device = std::make_unique<RasterDevice>(caps, PixelFormat::mono1, bm->top_row(),
                                                     -static_cast<ptrdiff_t>(bm->stride),
                                                     bm->colors);
        auto memdc = std::make_unique<DcObject>(std::move(device), OBJ_MEMDC);
        reselect(memdc->bitmap, bm);
        return adopt_dc(std::move(memdc));
    } catch (...) {
        return nullptr;
    }
}

BOOL WINAPI DeleteDC(HDC dc) {
    DcObject* d = find_dc(dc);
    if (!d) return FALSE;
    unregister_object(d);
    try {
        d->device->closing();
    } catch (...) {
    }
    delete d;
    return TRUE;
}

int WINAPI GetDeviceCaps(HDC dc, int index) {
    DcObject* d = find_dc(dc);
    if (!d) return 0;
    return device_caps_value(d->device->caps(), index);
}

HGDIOBJ WINAPI GetCurrentObject(HDC dc, UINT type) {
    DcObject* d = find_dc(dc);
    if (!d) return nullptr;
    switch (type) {
    case OBJ_BRUSH: return static_cast<GdiObject*>(d->brush);
    case OBJ_PEN: return static_cast<GdiObject*>(d->pen);
    case OBJ_PAL: return static_cast<GdiObject*>(d->palette);
    case OBJ_BITMAP: return static_cast<GdiObject*>(d->bitmap);
    default: return nullptr;
    }
}

} // extern "C"
