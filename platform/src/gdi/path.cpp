// Paths (BeginPath ... EndPath, FillPath), lines, PatBlt and the fill mode.
//
// A path is kept in logical units while it is built and mapped to device
// pixels when it is filled, so that a mapping change inside the bracket
// behaves as on the original platform (points are taken as they are added,
// in the mapping of the moment of filling). Lines drawn outside a path use the
// selected pen, one device pixel wide at least.
#include "gdi/dc.h"
#include "gdi/fallback.h"

#include <algorithm>
#include <cmath>

using namespace pw;
using namespace pw::gdi;

namespace {

// Logical outline for devices that record logical calls: curves flattened in
// logical units, each figure a separate polygon.
void logical_polygons(const LogicalPath& path, FillPathCall& call) {
    Path p;
    for (const POINT& pt : path.points) p.points.push_back(PathPoint{double(pt.x), double(pt.y)});
    p.verbs = path.verbs;
    Path flat = flatten_path(p, 0.5);
    size_t i = 0;
    for (PathVerb v : flat.verbs) {
        if (v == PathVerb::move) call.logical_counts.push_back(0);
        if (v == PathVerb::move || v == PathVerb::line) {
            if (call.logical_counts.empty()) call.logical_counts.push_back(0);
            const PathPoint& q = flat.points[i++];
            call.logical.push_back(POINT{static_cast<LONG>(std::lround(q.x)), static_cast<LONG>(std::lround(q.y))});
            ++call.logical_counts.back();
        }
    }
    // Drop degenerate figures.
    std::vector<POINT> kept;
    std::vector<int> counts;
    size_t at = 0;
    for (int n : call.logical_counts) {
        if (n >= 3) {
            kept.insert(kept.end(), call.logical.begin() + static_cast<ptrdiff_t>(at),
                        call.logical.begin() + static_cast<ptrdiff_t>(at + n));
            counts.push_back(n);
        }
        at += static_cast<size_t>(n);
    }
    call.logical = std::move(kept);
    call.logical_counts = std::move(counts);
}

BOOL fill(DcObject& d, const LogicalPath& path, COLORREF color) {
    FillPathCall call;
    call.color = color;
    call.fill_mode = d.fill_mode;
    call.device_path.verbs = path.verbs;
    for (const POINT& pt : path.points)
        call.device_path.points.push_back(PathPoint{d.map_x(pt.x), d.map_y(pt.y)});
    logical_polygons(path, call);
    try {
        DrawStatus s = d.device->fill_path(call);
        if (s == DrawStatus::unsupported) s = fallback_fill(*d.device, call);
        return s == DrawStatus::done;
    } catch (...) {
        return FALSE;
    }
}

void add(DcObject& d, PathVerb verb, POINT p) {
    d.path.verbs.push_back(verb);
    d.path.points.push_back(p);
}

// Starts a figure at the current position when the path has none open.
void ensure_figure(DcObject& d) {
    if (d.path.verbs.empty() || d.path.verbs.back() == PathVerb::close) add(d, PathVerb::move, d.position);
}

// A line outside a path: the segment widened to the pen's width (at least one
// device pixel) and filled with the pen's colour. As on the original
// platform the end point itself is not drawn; a line of length zero draws
// nothing.
BOOL stroke_line(DcObject& d, POINT a, POINT b) {
    if (!d.pen || d.pen->style == PS_NULL) return TRUE;
    // Through pixel centres, so a line at y lands on device row y.
    const double ax = d.map_x(a.x) + 0.5, ay = d.map_y(a.y) + 0.5;
    const double bx = d.map_x(b.x) + 0.5, by = d.map_y(b.y) + 0.5;
    double w = d.pen->width * std::fabs(double(d.viewport_ext.cx) / d.window_ext.cx);
    w = std::max(w, 1.0);
    const double dx = bx - ax, dy = by - ay, len = std::hypot(dx, dy);
    if (len == 0) return TRUE;
    const double nx = -dy / len * w / 2, ny = dx / len * w / 2;
    FillPathCall call;
    call.color = d.pen->color;
    call.fill_mode = WINDING;
    auto& p = call.device_path;
    p.verbs = {PathVerb::move, PathVerb::line, PathVerb::line, PathVerb::line, PathVerb::close};
    p.points = {{ax + nx, ay + ny}, {bx + nx, by + ny}, {bx - nx, by - ny}, {ax - nx, ay - ny}};
    call.logical = {a, b};
    call.logical_counts = {2};
    try {
        DrawStatus s = d.device->fill_path(call);
        if (s == DrawStatus::unsupported) s = fallback_fill(*d.device, call);
        return s == DrawStatus::done;
    } catch (...) {
        return FALSE;
    }
}

} // namespace

extern "C" {

int WINAPI SetPolyFillMode(HDC dc, int mode) {
    DcObject* d = find_dc(dc);
    if (!d || (mode != ALTERNATE && mode != WINDING)) return 0;
    int previous = d->fill_mode;
    d->fill_mode = mode;
    d->notify(StateChange::poly_fill_mode, mode);
    return previous;
}

int WINAPI GetPolyFillMode(HDC dc) {
    DcObject* d = find_dc(dc);
    return d ? d->fill_mode : 0;
}

BOOL WINAPI BeginPath(HDC dc) {
    DcObject* d = find_dc(dc);
    if (!d) return FALSE;
    d->path.clear();
    d->path_state = PathState::open;
    return TRUE;
}

BOOL WINAPI EndPath(HDC dc) {
    DcObject* d = find_dc(dc);
    if (!d || d->path_state != PathState::open) return FALSE;
    d->path_state = PathState::closed;
    return TRUE;
}

BOOL WINAPI AbortPath(HDC dc) {
    DcObject* d = find_dc(dc);
    if (!d) return FALSE;
    d->path.clear();
    d->path_state = PathState::none;
    return TRUE;
}

BOOL WINAPI CloseFigure(HDC dc) {
    DcObject* d = find_dc(dc);
    if (!d || d->path_state != PathState::open || d->path.verbs.empty() ||
        d->path.verbs.back() == PathVerb::close)
        return FALSE;
    d->path.verbs.push_back(PathVerb::close);
    return TRUE;
}

BOOL WINAPI FillPath(HDC dc) {
    DcObject* d = find_dc(dc);
    if (!d || d->path_state != PathState::closed) return FALSE;
    LogicalPath path = std::move(d->path);
    d->path.clear();
    d->path_state = PathState::none;
    if (!d->brush || d->brush->style == BS_NULL || path.verbs.empty()) return TRUE;
    return fill(*d, path, d->brush->color);
}

BOOL WINAPI MoveToEx(HDC dc, int x, int y, LPPOINT previous) {
    DcObject* d = find_dc(dc);
    if (!d) return FALSE;
    if (previous) *previous = d->position;
    d->position = POINT{x, y};
    if (d->path_state == PathState::open) {
        try {
            add(*d, PathVerb::move, d->position);
        } catch (...) {
            return FALSE;
        }
    }
    return TRUE;
}

BOOL WINAPI LineTo(HDC dc, int x, int y) {
    DcObject* d = find_dc(dc);
    if (!d) return FALSE;
    POINT from = d->position;
    d->position = POINT{x, y};
    if (d->path_state != PathState::open) return stroke_line(*d, from, d->position);
    try {
        d->position = from;
        ensure_figure(*d);
        add(*d, PathVerb::line, POINT{x, y});
        d->position = POINT{x, y};
    } catch (...) {
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI PolylineTo(HDC dc, const POINT* points, DWORD count) {
    if (!find_dc(dc) || (count > 0 && !points)) return FALSE;
    for (DWORD i = 0; i < count; ++i)
        if (!LineTo(dc, points[i].x, points[i].y)) return FALSE;
    return TRUE;
}

BOOL WINAPI PolyBezierTo(HDC dc, const POINT* points, DWORD count) {
    DcObject* d = find_dc(dc);
    if (!d || count % 3 != 0 || (count > 0 && !points)) return FALSE;
    if (d->path_state != PathState::open) {
        // Outside a path the curve is stroked with the pen as line segments.
        Path p;
        p.verbs.push_back(PathVerb::move);
        p.points.push_back(PathPoint{double(d->position.x), double(d->position.y)});
        for (DWORD i = 0; i < count; i += 3) {
            p.verbs.push_back(PathVerb::cubic);
            for (int k = 0; k < 3; ++k)
                p.points.push_back(PathPoint{double(points[i + k].x), double(points[i + k].y)});
        }
        Path flat = flatten_path(p, 0.5);
        for (size_t i = 1; i < flat.points.size(); ++i)
            if (!LineTo(dc, static_cast<int>(std::lround(flat.points[i].x)),
                        static_cast<int>(std::lround(flat.points[i].y))))
                return FALSE;
        if (count > 0) d->position = points[count - 1];
        return TRUE;
    }
    try {
        ensure_figure(*d);
        for (DWORD i = 0; i < count; i += 3) {
            d->path.verbs.push_back(PathVerb::cubic);
            d->path.points.insert(d->path.points.end(), points + i, points + i + 3);
        }
    } catch (...) {
        return FALSE;
    }
    if (count > 0) d->position = points[count - 1];
    return TRUE;
}

BOOL WINAPI PatBlt(HDC dc, int x, int y, int w, int h, DWORD rop) {
    DcObject* d = find_dc(dc);
    if (!d) return FALSE;
    const uint8_t code = static_cast<uint8_t>(rop >> 16);
    if (((code >> 2) & 0x33) != (code & 0x33)) return FALSE; // needs a source
    PatBltCall call;
    call.x = x; call.y = y; call.w = w; call.h = h;
    call.rop = rop;
    call.color = d->brush ? d->brush->color : RGB(255, 255, 255);
    long long x0 = d->dev_x(x), x1 = d->dev_x(static_cast<long long>(x) + w);
    long long y0 = d->dev_y(y), y1 = d->dev_y(static_cast<long long>(y) + h);
    auto clampi = [](long long v) { return static_cast<int>(std::clamp(v, -(1LL << 30), 1LL << 30)); };
    call.dst = DeviceRect{clampi(std::min(x0, x1)), clampi(std::min(y0, y1)), clampi(std::max(x0, x1)),
                          clampi(std::max(y0, y1))};
    if (d->brush && d->brush->style == BS_NULL && code != 0x00 && code != 0xFF && code != 0x55)
        return TRUE; // a hollow brush paints nothing
    try {
        DrawStatus s = d->device->pat_blt(call);
        if (s == DrawStatus::unsupported) {
            // As a filled rectangle, exact for PATCOPY, BLACKNESS and WHITENESS.
            if (code != 0xF0 && code != 0x00 && code != 0xFF) return FALSE;
            FillPathCall f;
            f.color = code == 0x00 ? RGB(0, 0, 0) : code == 0xFF ? RGB(255, 255, 255) : call.color;
            const DeviceRect& r = call.dst;
            f.device_path.verbs = {PathVerb::move, PathVerb::line, PathVerb::line, PathVerb::line, PathVerb::close};
            f.device_path.points = {{double(r.left), double(r.top)}, {double(r.right), double(r.top)},
                                    {double(r.right), double(r.bottom)}, {double(r.left), double(r.bottom)}};
            s = d->device->fill_path(f);
            if (s == DrawStatus::unsupported) s = fallback_fill(*d->device, f);
        }
        return s == DrawStatus::done;
    } catch (...) {
        return FALSE;
    }
}

} // extern "C"
