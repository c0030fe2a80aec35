// CLART::plot_to_dc: filling an outline drawing through the platform's GDI paths.
#include <cmath>
#include <vector>

#include "kel/xform.h"
#include "pw/gdi.h"

namespace {

// Beyond this a logical coordinate is no longer a place on any page; such a point
// is treated like a point that is not a number.
constexpr double kMaxLogical = 1 << 27;

// Maps drawing units onto the DC's rectangle, one axis at a time: the drawing's
// low bound lands on `to_low` and its high bound on `to_high`.
struct Axis {
    double from_low, scale, to_low;
    Axis(float low, float high, int target_low, int target_high) : from_low(low), scale(0), to_low(target_low) {
        // A drawing with no extent on this axis is placed at the low edge.
        if (high != low) scale = ((double)target_high - target_low) / ((double)high - low);
    }
    bool map(float v, int* out) const {
        double mapped = to_low + ((double)v - from_low) * scale;
        if (!std::isfinite(mapped) || std::fabs(mapped) > kMaxLogical) return false;
        *out = (int)std::lround(mapped);
        return true;
    }
};

// A figure translated into logical units, ready for the path calls.
struct Figure {
    POINT start;
    std::vector<CLART_FIGURE::SEGMENT> kinds;
    std::vector<POINT> points;
};

// Checks a figure and maps it; false when it cannot be drawn: no segments, a
// segment list that does not match its points, an unknown segment kind, or a
// point that is not finite or falls far off any page.
bool translate(const CLART_FIGURE& in, const Axis& x, const Axis& y, Figure* out) {
    if (in.kinds.empty()) return false;
    size_t needed = 0;
    for (CLART_FIGURE::SEGMENT kind : in.kinds) {
        if (kind == CLART_FIGURE::LINE)
            needed += 1;
        else if (kind == CLART_FIGURE::BEZIER)
            needed += 3;
        else
            return false;
    }
    if (needed != in.points.size()) return false;
    auto map = [&](const EPOINT& p, POINT* q) {
        int px = 0, py = 0;
        if (!x.map(p.x, &px) || !y.map(p.y, &py)) return false;
        q->x = px;
        q->y = py;
        return true;
    };
    if (!map(in.start, &out->start)) return false;
    out->kinds = in.kinds;
    out->points.resize(in.points.size());
    for (size_t i = 0; i < in.points.size(); ++i)
        if (!map(in.points[i], &out->points[i])) return false;
    return true;
}

bool add_to_path(HDC dc, const Figure& f) {
    if (!MoveToEx(dc, f.start.x, f.start.y, nullptr)) return false;
    size_t at = 0;
    for (CLART_FIGURE::SEGMENT kind : f.kinds) {
        if (kind == CLART_FIGURE::LINE) {
            if (!LineTo(dc, f.points[at].x, f.points[at].y)) return false;
            at += 1;
        } else {
            if (!PolyBezierTo(dc, &f.points[at], 3)) return false;
            at += 3;
        }
    }
    return CloseFigure(dc) != FALSE;
}

}  // namespace

int CLART::plot_to_dc(HDC dc, int left, int bottom, int right, int top) const {
    if (dc == nullptr) return KEL_ERR_BAD_ARGUMENT;
    if (figures.empty()) return KEL_OK;

    int result = KEL_OK;
    std::vector<Figure> drawable;
    drawable.reserve(figures.size());
    if (std::isfinite(min_x) && std::isfinite(max_x) && std::isfinite(min_y) && std::isfinite(max_y)) {
        // Drawing y grows upwards: min_y lands on `bottom`, max_y on `top`.
        Axis x(min_x, max_x, left, right), y(min_y, max_y, bottom, top);
        for (const CLART_FIGURE& figure : figures) {
            Figure f;
            if (translate(figure, x, y, &f))
                drawable.push_back(std::move(f));
            else
                result = KEL_WARN_LOST_OUTLINE;
        }
    } else {
        result = KEL_WARN_LOST_OUTLINE;  // without bounds nothing can be placed
    }
    if (drawable.empty()) return result;

    HBRUSH brush = CreateSolidBrush((COLORREF)colour);
    if (brush == nullptr) return KEL_ERR_NO_MEMORY;
    HGDIOBJ previous_brush = SelectObject(dc, (HGDIOBJ)brush);
    if (previous_brush == nullptr || previous_brush == HGDI_ERROR) {
        // Not a DC we can draw on.
        DeleteObject((HGDIOBJ)brush);
        return KEL_ERR_BAD_ARGUMENT;
    }
    int previous_mode = SetPolyFillMode(dc, WINDING);

    int outcome = result;
    if (!BeginPath(dc)) {
        outcome = KEL_ERR_GENERAL;
    } else {
        for (const Figure& f : drawable) {
            // A figure the path refuses is lost; the others are still filled.
            if (!add_to_path(dc, f)) outcome = KEL_WARN_LOST_OUTLINE;
        }
        if (!EndPath(dc)) {
            AbortPath(dc);
            outcome = KEL_ERR_GENERAL;
        } else if (!FillPath(dc)) {
            outcome = KEL_ERR_GENERAL;
        }
    }

    // The DC goes back to the caller as it came.
    if (previous_mode != 0) SetPolyFillMode(dc, previous_mode);
    SelectObject(dc, previous_brush);
    DeleteObject((HGDIOBJ)brush);
    return outcome;
}
