#include <gtest/gtest.h>

#include "kel/geometry.h"

namespace {

TEST(Box, RotateTurnsBothCornersAndRounds) {
    struct Case {
        FCOORD direction;
        BOX expected;
    };
    const BOX box(ICOORD(100, 50), ICOORD(300, 250));
    const Case cases[] = {
        {FCOORD(1, 0), box},
        {FCOORD(0, 1), BOX(ICOORD(-250, 100), ICOORD(-50, 300))},     // (x, y) -> (-y, x)
        {FCOORD(-1, 0), BOX(ICOORD(-300, -250), ICOORD(-100, -50))},  // (x, y) -> (-x, -y)
        {FCOORD(0, -1), BOX(ICOORD(50, -300), ICOORD(250, -100))},    // (x, y) -> (y, -x)
        // 45 degrees: (100, 50) -> (35.36, 106.07), (300, 250) -> (35.36, 388.91)
        {FCOORD(0.70710678f, 0.70710678f), BOX(ICOORD(35, 106), ICOORD(35, 389))},
    };
    for (const Case& c : cases) {
        BOX b = box;
        b.rotate(c.direction);
        EXPECT_EQ(b, c.expected) << c.direction.x() << "," << c.direction.y();
    }
    BOX empty;
    empty.rotate(FCOORD(0, 1));
    EXPECT_EQ(empty, BOX());  // a null box stays the same null box
}

TEST(Box, UnionAndTheEmptyBox) {
    BOX b;
    EXPECT_TRUE(b.null_box());
    EXPECT_EQ(b.lower(), ICOORD(32767, 32767));
    EXPECT_EQ(b.upper(), ICOORD(-32767, -32767));
    b += BOX(ICOORD(10, 5), ICOORD(11, 6));
    EXPECT_EQ(b, BOX(ICOORD(10, 5), ICOORD(11, 6)));
    b += BOX(ICOORD(99, 20), ICOORD(100, 21));
    EXPECT_EQ(b, BOX(ICOORD(10, 5), ICOORD(100, 21)));
    b += BOX();  // the empty box adds nothing
    EXPECT_EQ(b, BOX(ICOORD(10, 5), ICOORD(100, 21)));
    EXPECT_EQ(b.area(), 90 * 16);
}

TEST(CoordXlator, TranslatesBetweenSpacesPerAxis) {
    // Native 200 x 400 dpi with origin (10, 20); active 300 dpi with origin (5, 0).
    ECOORDXLATOR x(ERESOLUTION(200, 400), EPOINT(10, 20));
    EXPECT_FLOAT_EQ(x.ToActiveX(100), 100);  // active space is the native one at first
    x.SetActiveCoordinateSpace(ERESOLUTION(300), EPOINT(5, 0));
    EXPECT_FLOAT_EQ(x.ToActiveX(100), (100 + 10) / 200.0f * 300 - 5);
    EXPECT_FLOAT_EQ(x.ToActiveY(100), (100 + 20) / 400.0f * 300);
    EXPECT_FLOAT_EQ(x.ToNativeX(x.ToActiveX(37)), 37);
    EXPECT_FLOAT_EQ(x.ToNativeY(x.ToActiveY(-8)), -8);
    ERESOLUTION r;
    EPOINT o;
    x.GetCoordinateSpace(&r, &o);
    EXPECT_EQ(r.x, 200);
    EXPECT_EQ(r.y, 400);
    EXPECT_EQ(o.y, 20);
    // A space without a usable resolution is refused; the active space stays.
    x.SetActiveCoordinateSpace(ERESOLUTION(0), EPOINT(0, 0));
    x.GetActiveCoordinateSpace(&r, &o);
    EXPECT_EQ(r.x, 300);
    EXPECT_EQ(o.x, 5);
}

TEST(Rectangle, IntExtentsAreRoundedAbsoluteActiveSizes) {
    struct Case {
        float native_res, left, top, right, bottom, active_res;
        int width, height;
    };
    const Case cases[] = {
        {300, 0, 0, 100.4f, 50.6f, 300, 100, 51},
        {200, 0, 0, 333, 100, 300, 500, 150},   // 499.5 rounds up
        {600, 600, 1200, 0, 0, 300, 300, 600},  // right of left, bottom above top: still positive
        {300, 10, 10, 10, 10, 150, 0, 0},
    };
    for (const Case& c : cases) {
        ERECTANGLE rect(c.left, c.top, c.right, c.bottom, ECOORDXLATOR(ERESOLUTION(c.native_res), EPOINT(0, 0)));
        rect.GetCoordXlator().SetActiveCoordinateSpace(ERESOLUTION(c.active_res), EPOINT(0, 0));
        EXPECT_EQ(rect.IntWidth(), c.width) << c.native_res << " " << c.right;
        EXPECT_EQ(rect.IntHeight(), c.height) << c.native_res << " " << c.bottom;
    }
}

EPOLYGON polygon_at(float dpi, std::vector<EPOINT> points) {
    EPOLYGON p(std::move(points), ECOORDXLATOR(ERESOLUTION(dpi), EPOINT(0, 0)));
    p.GetCoordXlator().SetActiveCoordinateSpace(ERESOLUTION(300, 300), EPOINT(0, 0));
    return p;
}

TEST(Polygon, MeasuresAtTheActiveResolution) {
    struct Case {
        float dpi;
        std::vector<EPOINT> points;
        double area;  // at 300 dpi
        float left, top, right, bottom;
    };
    const Case cases[] = {
        // One inch square, given at 600 dpi and at 200 dpi.
        {600, {{0, 0}, {600, 0}, {600, 600}, {0, 600}}, 90000, 0, 0, 300, 300},
        {200, {{0, 0}, {0, 200}, {200, 200}, {200, 0}}, 90000, 0, 0, 300, 300},  // other winding
        // Right triangle at 200 dpi: legs of 300 and 150 pixels at 300 dpi.
        {200, {{20, 40}, {220, 40}, {20, 140}}, 300.0 * 150 / 2, 30, 60, 330, 210},
        // L shape at 600 dpi.
        {600, {{0, 0}, {400, 0}, {400, 200}, {200, 200}, {200, 400}, {0, 400}}, 30000, 0, 0, 200, 200},
        // Too few points: no area.
        {300, {{0, 0}, {10, 10}}, 0, 0, 0, 10, 10},
    };
    for (const Case& c : cases) {
        EPOLYGON p = polygon_at(c.dpi, c.points);
        EXPECT_NEAR(p.Area(), c.area, 1e-6 * c.area + 1e-9);
        ERECTANGLE box = p.BoundingBox();
        EXPECT_FLOAT_EQ(box.Left(), c.left);
        EXPECT_FLOAT_EQ(box.Top(), c.top);
        EXPECT_FLOAT_EQ(box.Right(), c.right);
        EXPECT_FLOAT_EQ(box.Bottom(), c.bottom);
    }
}

TEST(Polygon, InUsesEvenOddAndCountsTheBoundary) {
    // L shape at 600 dpi, measured at 300: (0,0) (200,0) (200,100) (100,100) (100,200) (0,200).
    EPOLYGON l = polygon_at(600, {{0, 0}, {400, 0}, {400, 200}, {200, 200}, {200, 400}, {0, 400}});
    // A five-pointed star drawn in one stroke: its centre is enclosed twice, so
    // even-odd leaves it out.
    EPOLYGON star = polygon_at(300, {{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}});
    struct Case {
        const EPOLYGON* polygon;
        EPOINT point;
        bool in;
    };
    const Case cases[] = {
        {&l, {50, 50}, true},     {&l, {150, 50}, true},   {&l, {150, 150}, false},  // the notch
        {&l, {0, 0}, true},       {&l, {200, 50}, true},   {&l, {150, 100}, true},   // vertex and edges
        {&l, {100, 150}, true},   {&l, {-1, 50}, false},   {&l, {50, 200.5f}, false},
        {&l, {100, 100}, true},   // the inner corner
        {&star, {50, 50}, false}, {&star, {50, 20}, true}, {&star, {90, 80}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.polygon->In(c.point), c.in) << c.point.x << "," << c.point.y;
    EXPECT_FALSE(EPOLYGON().In(EPOINT(0, 0)));
}

}  // namespace
