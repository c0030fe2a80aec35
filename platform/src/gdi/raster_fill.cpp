// Filled paths and PatBlt on the raster device.
//
// Paths are filled by scanlines: a pixel is inside when its centre is, by the
// even-odd (ALTERNATE) or non-zero (WINDING) rule. Every figure is closed.
#include "gdi/raster_pixels.h"

#include <algorithm>
#include <cmath>

namespace pw {
namespace {

struct Edge {
    double x0, y0, x1, y1; // y0 < y1
    int dir;               // +1 downwards in the original figure, -1 upwards
};

std::vector<Edge> edges_of(const Path& flat) {
    std::vector<Edge> edges;
    PathPoint start{0, 0}, cur{0, 0};
    bool open = false;
    size_t p = 0;
    auto add = [&](PathPoint a, PathPoint b) {
        if (a.y == b.y || !std::isfinite(a.x + a.y + b.x + b.y)) return;
        if (a.y < b.y) edges.push_back(Edge{a.x, a.y, b.x, b.y, 1});
        else edges.push_back(Edge{b.x, b.y, a.x, a.y, -1});
    };
    for (PathVerb v : flat.verbs) {
        if (v == PathVerb::move) {
            if (open) add(cur, start);
            start = cur = flat.points[p++];
            open = true;
        } else if (v == PathVerb::line) {
            PathPoint q = flat.points[p++];
            if (!open) {
                start = cur;
                open = true;
            }
            add(cur, q);
            cur = q;
        } else if (v == PathVerb::close) {
            if (open) add(cur, start);
            cur = start;
            open = false;
        }
    }
    if (open) add(cur, start);
    return edges;
}

template <PixelFormat F>
void fill_span(uint8_t* row, int x0, int x1, uint32_t v) {
    for (int x = x0; x < x1; ++x) gdi::Px<F>::put(row, x, v);
}

} // namespace

DrawStatus RasterDevice::on_fill_path(const FillPathCall& call) {
    std::vector<Edge> edges = edges_of(flatten_path(call.device_path));
    if (edges.empty()) return DrawStatus::done;
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });
    double ymin = edges.front().y0, ymax = ymin;
    for (const Edge& e : edges) ymax = std::max(ymax, e.y1);
    // Rows whose centre y + 0.5 lies in [ymin, ymax).
    int y_first = static_cast<int>(std::max<double>(first_row(), std::ceil(ymin - 0.5)));
    int y_end = static_cast<int>(std::min<double>(end_row(), std::ceil(ymax - 0.5)));
    const uint32_t value = value_of(call.color);
    const bool even_odd = call.fill_mode != WINDING;

    std::vector<const Edge*> active;
    std::vector<std::pair<double, int>> xs;
    size_t next = 0;
    for (int y = y_first; y < y_end; ++y) {
        const double yc = y + 0.5;
        while (next < edges.size() && edges[next].y0 <= yc) active.push_back(&edges[next++]);
        std::erase_if(active, [yc](const Edge* e) { return e->y1 <= yc; });
        xs.clear();
        for (const Edge* e : active) {
            if (e->y0 > yc) continue;
            double x = e->x0 + (yc - e->y0) * (e->x1 - e->x0) / (e->y1 - e->y0);
            xs.emplace_back(x, e->dir);
        }
        std::sort(xs.begin(), xs.end());
        uint8_t* r = row(y);
        int winding = 0;
        for (size_t i = 0; i + 1 < xs.size(); ++i) {
            winding += even_odd ? 1 : xs[i].second;
            bool inside = even_odd ? (winding & 1) : winding != 0;
            if (!inside) continue;
            double a = std::ceil(xs[i].first - 0.5), b = std::ceil(xs[i + 1].first - 0.5);
            int x0 = static_cast<int>(std::clamp(a, 0.0, static_cast<double>(width())));
            int x1 = static_cast<int>(std::clamp(b, 0.0, static_cast<double>(width())));
            if (x1 > x0)
                gdi::with_format(format(), [&]<PixelFormat F>() { fill_span<F>(r, x0, x1, value); });
        }
    }
    return DrawStatus::done;
}

DrawStatus RasterDevice::on_pat_blt(const PatBltCall& call) {
    int x0 = std::max(call.dst.left, 0), x1 = std::min(call.dst.right, width());
    int y0 = std::max(call.dst.top, first_row()), y1 = std::min(call.dst.bottom, end_row());
    if (x1 <= x0 || y1 <= y0) return DrawStatus::done;
    const uint8_t code = static_cast<uint8_t>(call.rop >> 16);
    const uint32_t pat = value_of(call.color), mask = gdi::value_mask(format());
    std::vector<uint32_t> none(static_cast<size_t>(x1 - x0), 0);
    for (int y = y0; y < y1; ++y) {
        uint8_t* r = row(y);
        gdi::with_format(format(), [&]<PixelFormat F>() {
            gdi::store_span<F>(r, x0, x1 - x0, none.data(), pat, code, mask);
        });
    }
    return DrawStatus::done;
}

} // namespace pw
