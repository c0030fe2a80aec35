// The pixels of a region that lie inside its polygon: regions of a layout are
// printed masked to their polygon, white outside it.
//
// A pixel belongs to the region when its centre lies inside the polygon by the
// even-odd rule (the rule the engine's EPOLYGON::In uses). Coordinates are scan
// pixels, y growing downwards.
#pragma once

#include <cstdint>
#include <vector>

#include "kel/geometry.h"
#include "store/resampler.h"

namespace lucentra {

class PolygonMask {
public:
    explicit PolygonMask(std::vector<EPOINT> polygon);

    // An axis-aligned rectangle masks nothing within its own bounding box.
    bool is_rectangle() const { return rectangle_; }

    // Where the horizontal line at `y` crosses the polygon's edges, sorted: the
    // line is inside between the first and second crossing, the third and
    // fourth, and so on.
    void crossings(double y, std::vector<double>* xs) const;

    // Paints white every pixel of output row `row` whose centre lies outside the
    // polygon. The output covers `window` of the scan with `out_width` x
    // `out_height` pixels of `channels` 8-bit samples (1 gray, 3 RGB).
    void whiten_row(const SourceWindow& window, int out_width, int out_height, int row, uint8_t* pixels,
                    int channels) const;

private:
    std::vector<EPOINT> points_;
    bool rectangle_ = false;
    mutable std::vector<double> scratch_;
};

}  // namespace lucentra
