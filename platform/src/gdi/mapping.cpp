// Mapping modes, window and viewport, and point conversion.
#include "gdi/dc.h"

#include <cstdlib>

using namespace pw;
using namespace pw::gdi;

namespace {

int sign(long v) { return v < 0 ? -1 : 1; }

// Under MM_ISOTROPIC a logical unit must be equally long on both axes: the
// viewport extent of the axis with more device length per unit is shortened
// (keeping its sign) to match the other, taking the device's pixel aspect
// into account.
void adjust_isotropic(DcObject& d) {
    if (d.map_mode != MM_ISOTROPIC) return;
    const DeviceCaps& caps = d.device->caps();
    const double dpi_x = caps.log_pixels_x > 0 ? caps.log_pixels_x : 1;
    const double dpi_y = caps.log_pixels_y > 0 ? caps.log_pixels_y : 1;
    const double wx = std::labs(d.window_ext.cx), wy = std::labs(d.window_ext.cy);
    const double vx = std::labs(d.viewport_ext.cx), vy = std::labs(d.viewport_ext.cy);
    if (wx == 0 || wy == 0) return;
    // Inches per logical unit on each axis.
    const double ix = vx / wx / dpi_x, iy = vy / wy / dpi_y;
    if (ix > iy) {
        long nx = std::lround(wx * iy * dpi_x);
        d.viewport_ext.cx = sign(d.viewport_ext.cx) * static_cast<LONG>(nx ? nx : 1);
    } else if (iy > ix) {
        long ny = std::lround(wy * ix * dpi_y);
        d.viewport_ext.cy = sign(d.viewport_ext.cy) * static_cast<LONG>(ny ? ny : 1);
    }
}

// Extents of the fixed metric and English modes: `units` logical units per
// inch; y grows upwards.
void set_fixed(DcObject& d, int units_per_inch) {
    const DeviceCaps& caps = d.device->caps();
    d.window_ext = SIZE{units_per_inch, units_per_inch};
    d.viewport_ext = SIZE{caps.log_pixels_x > 0 ? caps.log_pixels_x : 1,
                          -(caps.log_pixels_y > 0 ? caps.log_pixels_y : 1)};
}

} // namespace

extern "C" {

int WINAPI SetMapMode(HDC dc, int mode) {
    DcObject* d = find_dc(dc);
    if (!d || mode < MM_TEXT || mode > MM_ANISOTROPIC) return 0;
    int previous = d->map_mode;
    d->map_mode = mode;
    switch (mode) {
    case MM_TEXT:
        d->window_ext = SIZE{1, 1};
        d->viewport_ext = SIZE{1, 1};
        break;
    case MM_LOMETRIC: set_fixed(*d, 254); break;
    case MM_HIMETRIC: set_fixed(*d, 2540); break;
    case MM_LOENGLISH: set_fixed(*d, 100); break;
    case MM_HIENGLISH: set_fixed(*d, 1000); break;
    case MM_TWIPS: set_fixed(*d, 1440); break;
    case MM_ISOTROPIC:
        // Entering from another mode starts from the MM_LOMETRIC extents, as
        // the original platform does; staying keeps the extents.
        if (previous != MM_ISOTROPIC) set_fixed(*d, 254);
        adjust_isotropic(*d);
        break;
    case MM_ANISOTROPIC:
        // Keeps the extents of the previous mode.
        break;
    }
    d->notify(StateChange::map_mode, mode);
    return previous;
}

int WINAPI GetMapMode(HDC dc) {
    DcObject* d = find_dc(dc);
    return d ? d->map_mode : 0;
}

BOOL WINAPI SetWindowOrgEx(HDC dc, int x, int y, LPPOINT previous) {
    DcObject* d = find_dc(dc);
    if (!d) return FALSE;
    if (previous) *previous = d->window_org;
    d->window_org = POINT{x, y};
    d->notify(StateChange::window_org, x, y);
    return TRUE;
}

BOOL WINAPI SetViewportOrgEx(HDC dc, int x, int y, LPPOINT previous) {
    DcObject* d = find_dc(dc);
    if (!d) return FALSE;
    if (previous) *previous = d->viewport_org;
    d->viewport_org = POINT{x, y};
    d->notify(StateChange::viewport_org, x, y);
    return TRUE;
}

BOOL WINAPI OffsetWindowOrgEx(HDC dc, int dx, int dy, LPPOINT previous) {
    DcObject* d = find_dc(dc);
    if (!d) return FALSE;
    return SetWindowOrgEx(dc, d->window_org.x + dx, d->window_org.y + dy, previous);
}

BOOL WINAPI OffsetViewportOrgEx(HDC dc, int dx, int dy, LPPOINT previous) {
    DcObject* d = find_dc(dc);
    if (!d) return FALSE;
    return SetViewportOrgEx(dc, d->viewport_org.x + dx, d->viewport_org.y + dy, previous);
}

// Extents only change under MM_ISOTROPIC and MM_ANISOTROPIC; in the other
// modes the call succeeds and changes nothing, as on the original platform.
BOOL WINAPI SetWindowExtEx(HDC dc, int x, int y, LPSIZE previous) {
    DcObject* d = find_dc(dc);
    if (!d) return FALSE;
    if (previous) *previous = d->window_ext;
    if (d->map_mode != MM_ISOTROPIC && d->map_mode != MM_ANISOTROPIC) return TRUE;
    if (x == 0 || y == 0) return FALSE;
    d->window_ext = SIZE{x, y};
    adjust_isotropic(*d);
    d->notify(StateChange::window_ext, x, y);
    return TRUE;
}

BOOL WINAPI SetViewportExtEx(HDC dc, int x, int y, LPSIZE previous) {
    DcObject* d = find_dc(dc);
    if (!d) return FALSE;
    if (previous) *previous = d->viewport_ext;
    if (d->map_mode != MM_ISOTROPIC && d->map_mode != MM_ANISOTROPIC) return TRUE;
    if (x == 0 || y == 0) return FALSE;
    d->viewport_ext = SIZE{x, y};
    adjust_isotropic(*d);
    d->notify(StateChange::viewport_ext, x, y);
    return TRUE;
}

BOOL WINAPI GetWindowOrgEx(HDC dc, LPPOINT out) {
    DcObject* d = find_dc(dc);
    if (!d || !out) return FALSE;
    *out = d->window_org;
    return TRUE;
}

BOOL WINAPI GetWindowExtEx(HDC dc, LPSIZE out) {
    DcObject* d = find_dc(dc);
    if (!d || !out) return FALSE;
    *out = d->window_ext;
    return TRUE;
}

BOOL WINAPI GetViewportOrgEx(HDC dc, LPPOINT out) {
    DcObject* d = find_dc(dc);
    if (!d || !out) return FALSE;
    *out = d->viewport_org;
    return TRUE;
}

BOOL WINAPI GetViewportExtEx(HDC dc, LPSIZE out) {
    DcObject* d = find_dc(dc);
    if (!d || !out) return FALSE;
    *out = d->viewport_ext;
    return TRUE;
}

BOOL WINAPI LPtoDP(HDC dc, LPPOINT points, int count) {
    DcObject* d = find_dc(dc);
    if (!d || (count > 0 && !points) || count < 0) return FALSE;
    for (int i = 0; i < count; ++i) {
        points[i].x = static_cast<LONG>(d->dev_x(points[i].x));
        points[i].y = static_cast<LONG>(d->dev_y(points[i].y));
    }
    return TRUE;
}

BOOL WINAPI DPtoLP(HDC dc, LPPOINT points, int count) {
    DcObject* d = find_dc(dc);
    if (!d || (count > 0 && !points) || count < 0) return FALSE;
    for (int i = 0; i < count; ++i) {
        double x = (points[i].x - d->viewport_org.x) * static_cast<double>(d->window_ext.cx) /
                       d->viewport_ext.cx + d->window_org.x;
        double y = (points[i].y - d->viewport_org.y) * static_cast<double>(d->window_ext.cy) /
                       d->viewport_ext.cy + d->window_org.y;
        points[i].x = static_cast<LONG>(std::lround(x));
        points[i].y = static_cast<LONG>(std::lround(y));
    }
    return TRUE;
}

} // extern "C"
