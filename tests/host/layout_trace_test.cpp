// Contour tracing: filling the traced figures gives back exactly the black
// pixels, under the non-zero rule and under even-odd, holes included.
#include <gtest/gtest.h>

#include <random>

#include "outline/contour_trace.h"

using namespace lucentra;

namespace {

BilevelImage image_of(const std::vector<std::string>& rows) {
    BilevelImage img;
    img.height = (int)rows.size();
    img.width = (int)rows[0].size();
    for (const std::string& r : rows)
        for (char c : r) img.pixels.push_back(c == '#');
    return img;
}

// Winding number of the figures (straight segments only) around point (px, py).
int winding(const std::vector<CLART_FIGURE>& figures, double px, double py) {
    int w = 0;
    for (const CLART_FIGURE& f : figures) {
        std::vector<EPOINT> pts{f.start};
        for (const EPOINT& p : f.points) pts.push_back(p);
        for (size_t i = 0; i < pts.size(); ++i) {
            const EPOINT& a = pts[i];
            const EPOINT& b = pts[(i + 1) % pts.size()];
            if ((a.y <= py) != (b.y <= py)) {
                double x = a.x + (py - a.y) * (b.x - a.x) / (b.y - a.y);
                if (x > px) w += b.y > a.y ? 1 : -1;
            }
        }
    }
    return w;
}

// Every pixel centre: filled by the figures exactly where the image is black.
void expect_fill_matches(const BilevelImage& img) {
    auto figures = trace_contours(img);
    for (const CLART_FIGURE& f : figures)
        for (auto kind : f.kinds) ASSERT_EQ(kind, CLART_FIGURE::LINE);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            int w = winding(figures, x + 0.5, y + 0.5);
            ASSERT_EQ(w != 0, img.black(x, y)) << "non-zero at " << x << "," << y;
            ASSERT_EQ(w % 2 != 0, img.black(x, y)) << "even-odd at " << x << "," << y;
        }
}

}  // namespace

TEST(ContourTrace, SinglePixelIsOneSquareOfCornerPoints) {
    auto figures = trace_contours(image_of({"...", ".#.", "..."}), 10, 20);
    ASSERT_EQ(figures.size(), 1u);
    EXPECT_EQ(figures[0].start.x, 11);
    EXPECT_EQ(figures[0].start.y, 21);
    ASSERT_EQ(figures[0].points.size(), 4u);  // three turns and back to the start
    EXPECT_EQ(figures[0].points[0].x, 12);
    EXPECT_EQ(figures[0].points[1].y, 22);
}

TEST(ContourTrace, RingHasAnOuterFigureAndAHoleOfOppositeTurn) {
    BilevelImage ring = image_of({"#####", "#...#", "#.#.#", "#...#", "#####"});
    auto figures = trace_contours(ring);
    // Outer boundary, the hole, and the island inside the hole.
    ASSERT_EQ(figures.size(), 3u);
    auto signed_area = [](const CLART_FIGURE& f) {
        std::vector<EPOINT> pts{f.start};
        pts.insert(pts.end(), f.points.begin(), f.points.end());
        double a = 0;
        for (size_t i = 0; i < pts.size(); ++i) {
            const EPOINT& p = pts[i];
            const EPOINT& q = pts[(i + 1) % pts.size()];
            a += (double)p.x * q.y - (double)q.x * p.y;
        }
        return a / 2;
    };
    EXPECT_EQ(signed_area(figures[0]), 25);  // y down: positive is clockwise on screen
    EXPECT_EQ(signed_area(figures[1]), -9);
    EXPECT_EQ(signed_area(figures[2]), 1);
    expect_fill_matches(ring);
}

TEST(ContourTrace, FillGivesBackThePixels) {
    std::vector<std::vector<std::string>> fixtures = {
        {"#.", ".#"},                               // pixels touching at a corner only
        {".#", "#."},
        {"##.##", "#.#.#", ".###.", "#.#.#", "##.##"},
        {"#"},
        {"....", "...."},
    };
    for (const auto& rows : fixtures) {
        SCOPED_TRACE(rows[0]);
        expect_fill_matches(image_of(rows));
    }
    // Noise: every kind of corner, hole and saddle at once.
    std::mt19937 random(7);
    BilevelImage noise;
    noise.width = 40, noise.height = 30;
    for (int i = 0; i < 40 * 30; ++i) noise.pixels.push_back(random() % 2);
    expect_fill_matches(noise);
}
