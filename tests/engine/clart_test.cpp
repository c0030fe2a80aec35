#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "kel/xform.h"
#include "pw/gdi.h"

namespace {

CLART_FIGURE polygon(std::vector<EPOINT> corners) {
    CLART_FIGURE f;
    f.start = corners[0];
    for (size_t i = 1; i < corners.size(); ++i) {
        f.kinds.push_back(CLART_FIGURE::LINE);
        f.points.push_back(corners[i]);
    }
    return f;
}

TEST(Clart, BoundsFollowTheFiniteFigurePoints) {
    CLART art;
    art.add_figure(polygon({{2, 3}, {8, 3}, {8, 9}}));
    EXPECT_EQ(art.min_x, 2);
    EXPECT_EQ(art.min_y, 3);
    EXPECT_EQ(art.max_x, 8);
    EXPECT_EQ(art.max_y, 9);
    CLART_FIGURE curve;
    curve.start = EPOINT(-1, 4);
    curve.kinds = {CLART_FIGURE::BEZIER};
    curve.points = {EPOINT(0, 20), EPOINT(NAN, 0), EPOINT(5, 4)};  // the control point counts too
    art.add_figure(curve);
    EXPECT_EQ(art.min_x, -1);
    EXPECT_EQ(art.max_y, 20);
    EXPECT_EQ(art.max_x, 8);
    art.figures.clear();
    art.compute_bounds();
    EXPECT_EQ(art.max_x, 0);
}

// A 100 x 100 white 24-bit DIB section selected into a memory DC.
class Canvas : public ::testing::Test {
protected:
    void SetUp() override {
        BITMAPINFO info{};
        info.bmiHeader.biSize = 40;
        info.bmiHeader.biWidth = 100;
        info.bmiHeader.biHeight = 100;  // bottom-up
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        dc = CreateCompatibleDC(nullptr);
        ASSERT_NE(dc, nullptr);
        dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(dib, nullptr);
        std::memset(bits, 0xFF, 300 * 100);
        old = SelectObject(dc, (HGDIOBJ)dib);
    }
    void TearDown() override {
        SelectObject(dc, old);
        DeleteObject((HGDIOBJ)dib);
        DeleteDC(dc);
    }
    // Blue, green, red of the pixel at (x, y), y counted from the top.
    uint32_t pixel(int x, int y) const {
        const unsigned char* p = static_cast<unsigned char*>(bits) + (99 - y) * 300 + x * 3;
        return (uint32_t)p[0] << 16 | (uint32_t)p[1] << 8 | p[2];
    }
    bool black(int x, int y) const { return pixel(x, y) == 0; }
    bool white(int x, int y) const { return pixel(x, y) == 0xFFFFFF; }

    HDC dc = nullptr;
    HBITMAP dib = nullptr;
    HGDIOBJ old = nullptr;
    void* bits = nullptr;
};

TEST_F(Canvas, FilledSquareLandsInTheRectangle) {
    CLART art;
    art.add_figure(polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}}));
    ASSERT_EQ(art.plot_to_dc(dc, 20, 60, 50, 30), 0);
    EXPECT_TRUE(black(21, 31));
    EXPECT_TRUE(black(48, 58));
    EXPECT_TRUE(white(18, 45));
    EXPECT_TRUE(white(52, 45));
    EXPECT_TRUE(white(35, 28));
    EXPECT_TRUE(white(35, 62));
}

TEST_F(Canvas, DrawingYGrowsUpwardsAndColourIsUsed) {
    // A right angle at the drawing's lower left lands at the rectangle's bottom
    // left (the larger y of the DC).
    CLART art;
    art.add_figure(polygon({{0, 0}, {10, 0}, {0, 10}}));
    art.colour = 0x0000FF;  // red
    ASSERT_EQ(art.plot_to_dc(dc, 20, 60, 50, 30), 0);
    EXPECT_EQ(pixel(23, 57), 0x0000FFu);  // blue, green, red bytes
    EXPECT_TRUE(white(47, 33));
}

TEST_F(Canvas, BezierFiguresAreFilled) {
    // A drop: one curve from the bottom point round through the top and back.
    CLART art;
    CLART_FIGURE drop;
    drop.start = EPOINT(50, 0);
    drop.kinds = {CLART_FIGURE::BEZIER};
    drop.points = {EPOINT(-30, 100), EPOINT(130, 100), EPOINT(50, 0)};
    art.add_figure(drop);
    art.min_x = 0;
    art.max_x = 100;
    art.min_y = 0;
    art.max_y = 100;
    ASSERT_EQ(art.plot_to_dc(dc, 0, 99, 99, 0), 0);
    EXPECT_TRUE(black(50, 40));   // inside the drop
    EXPECT_TRUE(white(5, 5));     // corners stay clear
    EXPECT_TRUE(white(95, 95));
}

TEST_F(Canvas, BrokenFiguresAreLostAndTheRestDrawn) {
    struct Case {
        const char* name;
        CLART_FIGURE broken;
    };
    CLART_FIGURE nan_point = polygon({{0, 0}, {NAN, 0}, {0, 1}});
    CLART_FIGURE short_bezier;
    short_bezier.start = EPOINT(0, 0);
    short_bezier.kinds = {CLART_FIGURE::BEZIER};
    short_bezier.points = {EPOINT(1, 1)};
    CLART_FIGURE no_segments;
    no_segments.start = EPOINT(1, 1);
    CLART_FIGURE far_away = polygon({{0, 0}, {1e30f, 0}, {0, 1}});
    const Case cases[] = {{"nan", nan_point},
                          {"short bezier", short_bezier},
                          {"no segments", no_segments},
                          {"far away", far_away}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::memset(bits, 0xFF, 300 * 100);
        CLART art;
        art.figures = {c.broken, polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}})};
        art.min_x = art.min_y = 0;
        art.max_x = art.max_y = 10;
        EXPECT_EQ(art.plot_to_dc(dc, 20, 60, 50, 30), KEL_WARN_LOST_OUTLINE);
        EXPECT_TRUE(black(35, 45));  // the good square is still there
    }
}

TEST_F(Canvas, BadDcAndEmptyDrawings) {
    CLART art;
    EXPECT_EQ(art.plot_to_dc(dc, 0, 10, 10, 0), 0);  // nothing to draw
    art.add_figure(polygon({{0, 0}, {10, 0}, {10, 10}}));
    EXPECT_EQ(art.plot_to_dc(nullptr, 0, 10, 10, 0), KEL_ERR_BAD_ARGUMENT);
    art.max_x = INFINITY;
    EXPECT_EQ(art.plot_to_dc(dc, 0, 10, 10, 0), KEL_WARN_LOST_OUTLINE);
    for (int y = 0; y < 100; y += 9)
        for (int x = 0; x < 100; x += 9) ASSERT_TRUE(white(x, y));
}

}  // namespace
