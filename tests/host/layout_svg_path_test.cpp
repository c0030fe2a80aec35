// SVG path data: every command, absolute and relative, lands on the points SVG
// defines; curves arrive as cubic segments; bad data is refused with its place.
#include <gtest/gtest.h>

#include <cmath>

#include "outline/svg_path.h"

using namespace lucentra;

namespace {

// The end point of every segment of a figure, as "x,y" texts.
std::vector<std::string> ends(const CLART_FIGURE& f) {
    std::vector<std::string> out;
    size_t at = 0;
    for (auto kind : f.kinds) {
        at += kind == CLART_FIGURE::LINE ? 1 : 3;
        char text[64];
        snprintf(text, sizeof text, "%g,%g", f.points[at - 1].x, f.points[at - 1].y);
        out.push_back(text);
    }
    return out;
}

// Point on a cubic at t.
EPOINT cubic_at(EPOINT p0, EPOINT c1, EPOINT c2, EPOINT p3, double t) {
    double u = 1 - t;
    return EPOINT((float)(u * u * u * p0.x + 3 * u * u * t * c1.x + 3 * u * t * t * c2.x + t * t * t * p3.x),
                  (float)(u * u * u * p0.y + 3 * u * u * t * c1.y + 3 * u * t * t * c2.y + t * t * t * p3.y));
}

}  // namespace

TEST(SvgPath, StraightCommandsAbsoluteAndRelative) {
    struct Case {
        const char* data;
        std::vector<std::string> ends;
    } cases[] = {
        {"M10 10 L20 10 L20 20 Z", {"20,10", "20,20"}},
        {"m10 10 l10 0 l0 10 z", {"20,10", "20,20"}},
        {"M10,10 H30 V40 h-5 v-10", {"30,10", "30,40", "25,40", "25,30"}},
        // Further pairs after a move are lines; numbers may run together.
        {"M0 0 10 0 10-10", {"10,0", "10,-10"}},
        {"m1 1 2 2", {"3,3"}},
        {"M0,0L.5.5L1e1,2E0", {"0.5,0.5", "10,2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data);
        ParsedPath p = parse_svg_path(c.data);
        ASSERT_EQ(p.figures.size(), 1u);
        EXPECT_EQ(ends(p.figures[0]), c.ends);
        EXPECT_EQ(p.lost_figures, 0);
    }
}

TEST(SvgPath, SubpathsAfterCloseStartWhereTheFigureBegan) {
    // After z the next relative command starts from the subpath's start (5,5).
    ParsedPath p = parse_svg_path("M5 5 l10 0 l0 10 z l-5 0 l0 -5 z M0 0");
    ASSERT_EQ(p.figures.size(), 2u);  // the lone final move draws nothing
    EXPECT_EQ(p.figures[1].start.x, 5);
    EXPECT_EQ(p.figures[1].start.y, 5);
    EXPECT_EQ(ends(p.figures[1]), (std::vector<std::string>{"0,5", "0,0"}));
}

TEST(SvgPath, CurvesBecomeCubicsThroughTheRightPoints) {
    // Q elevated: controls two thirds of the way to the quadratic control.
    ParsedPath q = parse_svg_path("M0 0 Q30 60 60 0");
    ASSERT_EQ(q.figures[0].kinds, std::vector<CLART_FIGURE::SEGMENT>{CLART_FIGURE::BEZIER});
    const auto& qp = q.figures[0].points;
    EXPECT_FLOAT_EQ(qp[0].x, 20);
    EXPECT_FLOAT_EQ(qp[0].y, 40);
    EXPECT_FLOAT_EQ(qp[1].x, 40);
    EXPECT_FLOAT_EQ(qp[1].y, 40);

    // S reflects the previous cubic's second control; T the previous quadratic's.
    ParsedPath s = parse_svg_path("M0 0 C0 10 10 10 10 0 s10 -10 10 0");
    const auto& sp = s.figures[0].points;
    ASSERT_EQ(sp.size(), 6u);
    EXPECT_FLOAT_EQ(sp[3].x, 10);
    EXPECT_FLOAT_EQ(sp[3].y, -10);
    ParsedPath t = parse_svg_path("M0 0 Q10 10 20 0 T40 0");
    const auto& tp = t.figures[0].points;
    // The reflected control is (30,-10): the elevated first control lies 2/3 of the way to it.
    EXPECT_NEAR(tp[3].x, 20 + 2.0 / 3 * 10, 1e-4);
    EXPECT_NEAR(tp[3].y, -2.0 / 3 * 10, 1e-4);
    // S without a preceding cubic uses the current point as first control.
    ParsedPath lone = parse_svg_path("M1 2 S5 5 9 2");
    EXPECT_FLOAT_EQ(lone.figures[0].points[0].x, 1);
    EXPECT_FLOAT_EQ(lone.figures[0].points[0].y, 2);
}

TEST(SvgPath, ArcsFollowTheEllipse) {
    struct Case {
        const char* data;
        double cx, cy, rx, ry;  // the ellipse every point must lie on
        int pieces;
    } cases[] = {
        {"M100 0 A100 100 0 0 1 0 100", 0, 0, 100, 100, 1},      // quarter, clockwise on screen
        {"M100 0 A100 100 0 1 0 0 100", 0, 0, 100, 100, 3},      // the long way round
        {"M0 0 a50 50 0 0 0 100 0", 50, 0, 50, 50, 2},           // half, relative
        {"M0 0 A10 10 0 0 1 100 0", 50, 0, 50, 50, 2},           // radius too small: scaled up
        {"M0 50 A100 50 0 0 1 200 50", 100, 50, 100, 50, 2},     // ellipse
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data);
        ParsedPath p = parse_svg_path(c.data);
        ASSERT_EQ(p.figures.size(), 1u);
        const CLART_FIGURE& f = p.figures[0];
        EXPECT_EQ((int)f.kinds.size(), c.pieces);
        EPOINT from = f.start;
        for (size_t k = 0; k < f.kinds.size(); ++k) {
            ASSERT_EQ(f.kinds[k], CLART_FIGURE::BEZIER);
            const EPOINT* s = &f.points[3 * k];
            for (double t : {0.0, 0.25, 0.5, 0.75, 1.0}) {
                EPOINT q = cubic_at(from, s[0], s[1], s[2], t);
                double dx = (q.x - c.cx) / c.rx, dy = (q.y - c.cy) / c.ry;
                EXPECT_NEAR(std::hypot(dx, dy), 1.0, 0.003) << "piece " << k << " t " << t;
            }
            from = s[2];
        }
    }
    // Zero radius is a straight line; an arc to its own start is left out.
    EXPECT_EQ(parse_svg_path("M0 0 A0 10 0 0 1 10 10").figures[0].kinds,
              std::vector<CLART_FIGURE::SEGMENT>{CLART_FIGURE::LINE});
    EXPECT_TRUE(parse_svg_path("M5 5 A10 10 0 0 1 5 5").figures.empty());
}

TEST(SvgPath, ValuesBeyondFloatAreLostFiguresNotErrors) {
    ParsedPath p = parse_svg_path("M0 0 L10 0 L10 10 Z M0 0 L1e999 0 L5 5 Z M0 0 L1e39 0 L1 1");
    EXPECT_EQ(p.figures.size(), 1u);
    EXPECT_EQ(p.lost_figures, 2);
}

TEST(SvgPath, MalformedDataNamesTheCharacter) {
    struct Case {
        const char* data;
        const char* message;
    } cases[] = {
        {"L10 10", "path data must start with a move (M or m) at character 1"},
        {"M10 10 X5 5", "unknown path command 'X' at character 8"},
        {"M10 10 L5", "expected a number at character 10"},
        {"M0 0 A10 10 0 2 0 5 5", "expected an arc flag (0 or 1) at character 15"},
        {"M0 0 Linf 5", "expected a number at character 7"},
        {"M0 0 Z 5", "expected a command letter at character 8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data);
        try {
            parse_svg_path(c.data);
            ADD_FAILURE() << "accepted";
        } catch (const PathSyntaxError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
    EXPECT_TRUE(parse_svg_path("  ").figures.empty());
}
