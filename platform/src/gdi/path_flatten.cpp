// Turning the curves of a path into line segments.
#include "pw/device.h"

#include <algorithm>
#include <cmath>

namespace pw {

Path flatten_path(const Path& path, double tolerance) {
    if (!(tolerance > 0)) tolerance = 0.25;
    Path out;
    out.verbs.reserve(path.verbs.size());
    out.points.reserve(path.points.size());
    size_t p = 0;
    PathPoint cur{0, 0};
    for (PathVerb v : path.verbs) {
        switch (v) {
        case PathVerb::move:
        case PathVerb::line:
            if (p >= path.points.size()) return out;
            cur = path.points[p++];
            out.verbs.push_back(v);
            out.points.push_back(cur);
            break;
        case PathVerb::close: out.verbs.push_back(v); break;
        case PathVerb::cubic: {
            if (p + 3 > path.points.size()) return out;
            const PathPoint a = cur, b = path.points[p], c = path.points[p + 1], d = path.points[p + 2];
            p += 3;
            // Uniform steps: with L the larger second difference of the control
            // points, n steps stay within 0.75 L / n^2 of the curve.
            double l1 = std::hypot(a.x - 2 * b.x + c.x, a.y - 2 * b.y + c.y);
            double l2 = std::hypot(b.x - 2 * c.x + d.x, b.y - 2 * c.y + d.y);
            double n_real = std::ceil(std::sqrt(0.75 * std::max(l1, l2) / tolerance));
            int n = std::isfinite(n_real) ? static_cast<int>(std::clamp(n_real, 1.0, 1000.0)) : 1;
            for (int i = 1; i <= n; ++i) {
                double t = static_cast<double>(i) / n, u = 1 - t;
                PathPoint q{u * u * u * a.x + 3 * u * u * t * b.x + 3 * u * t * t * c.x + t * t * t * d.x,
                            u * u * u * a.y + 3 * u * u * t * b.y + 3 * u * t * t * c.y + t * t * t * d.y};
                if (i == n) q = d; // end exactly on the end point
                out.verbs.push_back(PathVerb::line);
                out.points.push_back(q);
            }
            cur = d;
            break;
        }
        }
    }
    return out;
}

} // namespace pw
