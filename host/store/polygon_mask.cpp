#include "store/polygon_mask.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace lucentra {

PolygonMask::PolygonMask(std::vector<EPOINT> polygon) : points_(std::move(polygon)) {
    // Four corners on two x and two y values, each edge along an axis.
    if (points_.size() == 4) {
        bool axis_aligned = true;
        for (size_t i = 0; i < 4; ++i) {
            const EPOINT& a = points_[i];
            const EPOINT& b = points_[(i + 1) % 4];
            if (a.x != b.x && a.y != b.y) axis_aligned = false;
            if (a.x == b.x && a.y == b.y) axis_aligned = false;
        }
        rectangle_ = axis_aligned;
    }
}

void PolygonMask::crossings(double y, std::vector<double>* xs) const {
    xs->clear();
    const size_t n = points_.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const EPOINT& a = points_[j];
        const EPOINT& b = points_[i];
        // Half-open in y, so a line through a vertex counts it once.
        if ((a.y > y) != (b.y > y)) xs->push_back(a.x + (y - a.y) * ((double)b.x - a.x) / ((double)b.y - a.y));
    }
    std::sort(xs->begin(), xs->end());
}

void PolygonMask::whiten_row(const SourceWindow& window, int out_width, int out_height, int row, uint8_t* pixels,
                             int channels) const {
    if (rectangle_ || out_width <= 0 || out_height <= 0) return;
    const double sx = (window.x1 - window.x0) / out_width, sy = (window.y1 - window.y0) / out_height;
    crossings(window.y0 + (row + 0.5) * sy, &scratch_);
    // Output x where a source x falls, as the first pixel whose centre is at or past it.
    auto first_at = [&](double source_x) {
        double out = (source_x - window.x0) / sx - 0.5;
        return (int)std::clamp(std::ceil(out), 0.0, (double)out_width);
    };
    int x = 0;
    for (size_t k = 0; k + 1 < scratch_.size(); k += 2) {
        int inside_from = first_at(scratch_[k]), inside_to = first_at(scratch_[k + 1]);
        if (inside_from > x) memset(pixels + (size_t)x * channels, 255, (size_t)(inside_from - x) * channels);
        x = std::max(x, inside_to);
    }
    if (x < out_width) memset(pixels + (size_t)x * channels, 255, (size_t)(out_width - x) * channels);
}

}  // namespace lucentra
