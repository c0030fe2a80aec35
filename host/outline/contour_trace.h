// Traces the black pixels of a bilevel image into filled outlines.
//
// The outlines run along pixel edges: every boundary between a black pixel and a
// white one (or the outside) belongs to exactly one closed figure, made of
// straight segments between the corners where the boundary turns. Figures are
// oriented so that black lies on their right-hand side in image coordinates (y
// growing downwards): outer boundaries run clockwise on screen and the
// boundaries of holes counter-clockwise. Filled with the non-zero rule (as
// CLART::plot_to_dc fills) or with even-odd, holes therefore stay empty and
// islands inside holes are filled again.
//
// Where two black pixels touch only at a corner, the tracer keeps them apart
// (black is 4-connected), so no figure ever crosses itself.
#pragma once

#include <cstdint>
#include <vector>

#include "kel/xform.h"

namespace lucentra {

// A bilevel image: `width` x `height` pixels, one byte each, nonzero for black,
// rows top first.
struct BilevelImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
    bool black(int x, int y) const {
        return x >= 0 && y >= 0 && x < width && y < height && pixels[(size_t)y * width + x] != 0;
    }
};

// The outline figures of the image's black pixels, in pixel-corner coordinates
// (pixel (x, y) spans x..x+1, y..y+1) moved by (origin_x, origin_y). Throws
// std::bad_alloc when memory is short.
std::vector<CLART_FIGURE> trace_contours(const BilevelImage& image, float origin_x = 0, float origin_y = 0);

}  // namespace lucentra
