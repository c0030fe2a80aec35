// EPOLYGON measurements: bounding rectangle, area and point containment.
#include <algorithm>
#include <cmath>

#include "kel/geometry.h"

namespace {

struct P {
    double x, y;
};

std::vector<P> active_points(const EPOLYGON& polygon) {
    std::vector<P> out;
    out.reserve(polygon.points.size());
    for (const EPOINT& p : polygon.points)
        out.push_back({polygon.xlator.ToActiveX(p.x), polygon.xlator.ToActiveY(p.y)});
    return out;
}

// Whether q lies on the segment a-b, with a tolerance scaled to the segment so
// that points computed in float through a coordinate translation still count.
bool on_segment(const P& a, const P& b, const P& q) {
    double dx = b.x - a.x, dy = b.y - a.y;
    double length = std::hypot(dx, dy);
    double tolerance = 1e-5 * std::max(1.0, length);
    if (length == 0) return std::hypot(q.x - a.x, q.y - a.y) <= tolerance;
    double distance = std::fabs(dx * (q.y - a.y) - dy * (q.x - a.x)) / length;
    if (distance > tolerance) return false;
    double along = (dx * (q.x - a.x) + dy * (q.y - a.y)) / length;
    return along >= -tolerance && along <= length + tolerance;
}

}  // namespace

ERECTANGLE EPOLYGON::BoundingBox() const {
    if (points.empty()) return ERECTANGLE(0, 0, 0, 0, xlator);
    float min_x = points[0].x, max_x = points[0].x, min_y = points[0].y, max_y = points[0].y;
    for (const EPOINT& p : points) {
        min_x = std::min(min_x, p.x);
        max_x = std::max(max_x, p.x);
        min_y = std::min(min_y, p.y);
        max_y = std::max(max_y, p.y);
    }
    // Page coordinates grow downwards: the top is the smallest y.
    return ERECTANGLE(min_x, min_y, max_x, max_y, xlator);
}

double EPOLYGON::Area() const {
    if (points.size() < 3) return 0;
    std::vector<P> p = active_points(*this);
    // Shoelace formula; the sign tells the winding, which does not matter here.
    double twice = 0;
    for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) twice += p[j].x * p[i].y - p[i].x * p[j].y;
    return std::fabs(twice) / 2;
}

bool EPOLYGON::In(const EPOINT& point) const {
    if (points.empty()) return false;
    std::vector<P> p = active_points(*this);
    const P q{point.x, point.y};
    for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++)
        if (on_segment(p[j], p[i], q)) return true;
    if (p.size() < 3) return false;
    // Even-odd rule: count the edges crossed by a ray from q towards +x. Each edge
    // is half-open in y, so a ray through a vertex is counted once.
    bool inside = false;
    for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
        if ((p[i].y > q.y) != (p[j].y > q.y)) {
            double cross_x = p[j].x + (q.y - p[j].y) * (p[i].x - p[j].x) / (p[i].y - p[j].y);
            if (q.x < cross_x) inside = !inside;
        }
    }
    return inside;
}
