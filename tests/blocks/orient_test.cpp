// Block orientation: shift into canvas coordinates and quarter turns inside the
// canvas, on the canvas (100, 50)-(1100, 2050) (W = 1000, H = 2000).
#include <gtest/gtest.h>

#include "block_fixtures.h"
#include "rtfblk.h"

using namespace blocks_test;

namespace {

BOX make_box(int lx, int ly, int ux, int uy) { return BOX(ICOORD(lx, ly), ICOORD(ux, uy)); }

}  // namespace

TEST(Orientation, ShiftAndTurnsOnTheExampleCanvas) {
    struct Case {
        int code;
        BOX expected;
    } cases[] = {
        {0, make_box(100, 100, 200, 200)},   {1, make_box(1800, 100, 1900, 200)},
        {2, make_box(800, 1800, 900, 1900)}, {3, make_box(100, 800, 200, 900)},
        {7, make_box(100, 100, 200, 200)},  // unknown codes are upright
    };
    for (const Case& c : cases) {
        auto region = rect_region(CID_COLOUR_3102, 200, 150, 300, 250);
        region->set_orientation(c.code);
        RTFBLK block(region.get());
        RTFBLK::canvas = make_box(100, 50, 1100, 2050);
        block.orient_region();
        EXPECT_EQ(block.get_box(), c.expected) << "code " << c.code;
        EXPECT_EQ(RTFBLK::canvas, make_box(100, 50, 1100, 2050)) << "the canvas is not changed";
    }

    auto region = rect_region(CID_COLOUR_3102, 200, 150, 300, 250);
    RTFBLK block(region.get());
    RTFBLK::canvas = make_box(100, 50, 1100, 2050);
    block.shift_region();
    EXPECT_EQ(block.get_box(), make_box(100, 100, 200, 200));
}

TEST(Orientation, NullCanvasShiftsByItsCornerAndTurnsWithoutExtent) {
    auto region = rect_region(CID_COLOUR_3102, 200, 150, 300, 250);
    region->set_orientation(2);
    RTFBLK block(region.get());
    RTFBLK::canvas = BOX();  // (32767, 32767)-(-32767, -32767)
    block.orient_region();
    // Shift: (200 - 32767, 150 - 32767) = (-32567, -32617), and so on; then the
    // half turn negates, and W = H = 0 adds nothing.
    EXPECT_EQ(block.get_box(), make_box(32467, 32517, 32567, 32617));
}
