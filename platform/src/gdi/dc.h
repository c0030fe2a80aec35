// The device context object behind an HDC: GDI state plus the device it draws
// on. A DC owns its device. A memory DC swaps its device for a raster device
// over the pixels of the bitmap selected into it.
#pragma once

#include "gdi/objects.h"

#include <cmath>
#include <string>

namespace pw::gdi {

// The path being built between BeginPath and EndPath, in logical units.
struct LogicalPath {
    std::vector<PathVerb> verbs;
    std::vector<POINT> points;
    void clear() {
        verbs.clear();
        points.clear();
    }
};

enum class PathState { none, open, closed };

struct DcObject : GdiObject {
    explicit DcObject(std::unique_ptr<Device> d, DWORD kind = OBJ_DC)
        : GdiObject(kind), device(std::move(d)) {}
    ~DcObject() override;

    std::unique_ptr<Device> device;

    // Mapping: device = (logical - window_org) * viewport_ext / window_ext + viewport_org.
    int map_mode = MM_TEXT;
    POINT window_org{0, 0};
    SIZE window_ext{1, 1};
    POINT viewport_org{0, 0};
    SIZE viewport_ext{1, 1};

    int stretch_mode = BLACKONWHITE;
    int fill_mode = ALTERNATE;
    BrushObject* brush = nullptr;
    PenObject* pen = nullptr;
    PaletteObject* palette = nullptr;
    BitmapObject* bitmap = nullptr; // memory DCs only

    std::string metafile_path; // CreateMetaFileA with a file name

    POINT position{0, 0};
    LogicalPath path;
    PathState path_state = PathState::none;

    // A metafile DC has no device space of its own: whoever plays the
    // metafile maps it. Its device gets logical units unchanged.
    double map_x(double x) const {
        if (type == OBJ_METADC) return x;
        return (x - window_org.x) * viewport_ext.cx / window_ext.cx + viewport_org.x;
    }
    double map_y(double y) const {
        if (type == OBJ_METADC) return y;
        return (y - window_org.y) * viewport_ext.cy / window_ext.cy + viewport_org.y;
    }
    // Device pixel edge for a logical coordinate, rounded to nearest.
    long long dev_x(long long x) const { return std::llround(map_x(static_cast<double>(x))); }
    long long dev_y(long long y) const { return std::llround(map_y(static_cast<double>(y))); }

    void notify(StateChange::Kind kind, int a, int b = 0) {
        StateChange change{kind, a, b};
        device->state_changed(change);
    }
};

// The live DC for a handle (any kind: display/printer, memory, metafile).
DcObject* find_dc(HDC dc);

// Gives a new DC its default selections, registers it and returns its handle.
HDC adopt_dc(std::unique_ptr<DcObject> dc);

// Replace `*slot` (an object selected into a DC) with `next`, keeping the
// selection counts right.
template <class T>
void reselect(T*& slot, T* next) {
    if (slot) --slot->selected;
    slot = next;
    if (slot) ++slot->selected;
}

} // namespace pw::gdi
