// Stacking order: blocks under line art first (phase 1), then covered blocks
// before the blocks covering them (phase 3), with outline shapes given at
// 600 dpi so the 300-dpi measurements go through the coordinate translator.
#include <gtest/gtest.h>

#include <string>

#include "block_fixtures.h"
#include "rtfblk.h"

using namespace blocks_test;

namespace {

// Blocks named by their region's number ('A' + i), built in the order given.
class Page {
public:
    RTFBLK_LIST list;

    void add(std::unique_ptr<EBASICREGION> region) {
        region->number = 'A' + (int)regions_.size();
        list.add_to_end(new RTFBLK(region.get()));
        regions_.push_back(std::move(region));
    }
    std::string order() {
        std::string names;
        RTFBLK_IT it(&list);
        for (int i = 0; i < list.length(); ++i, it.forward()) names += (char)it.data()->get_id();
        return names;
    }
    std::string improved() {
        RTFBLK::improve_ordering(&list, 0);
        return order();
    }

private:
    std::vector<std::unique_ptr<EBASICREGION>> regions_;
};

std::unique_ptr<EBASICREGION> shape(CLASS_ID cls, std::vector<EPOINT> at300, int subtype = 0) {
    auto r = region_with(cls, at300);
    r->set_subtype(subtype);
    return r;
}
std::unique_ptr<EBASICREGION> rect(CLASS_ID cls, float l, float t, float r, float b, int subtype = 0) {
    return shape(cls, {{l, t}, {r, t}, {r, b}, {l, b}}, subtype);
}

}  // namespace

TEST(Stacking, FixedBlocksStayWhereTheyAre) {
    Page page;
    page.add(rect(CID_PAGE_REGION, 0, 0, 2550, 3300));
    page.add(rect(CID_LINE_ART, 10, 10, 500, 500));
    page.add(rect(CID_LINE_ART, 100, 100, 200, 200));  // nested in the one before
    page.add(rect(CID_OUTLINES, 150, 150, 160, 160, 4));
    page.add(rect(CID_OUTLINES, 120, 120, 170, 170, 5));
    EXPECT_EQ(page.improved(), "ABCDE");
}

TEST(Stacking, BlocksOverlappingLineArtGoBeforeTheFirstSuchBlock) {
    Page page;
    page.add(rect(CID_LINE_ART, 0, 0, 100, 100));        // A
    page.add(rect(CID_GRAY_PHOTO, 500, 500, 600, 600));   // B: overlaps no line art
    page.add(rect(CID_LINE_ART, 1000, 0, 1100, 100));     // C
    page.add(rect(CID_GRAY_PHOTO, 100, 50, 200, 150));    // D: touches A's edge
    page.add(rect(CID_OUTLINES, 1050, 50, 1300, 80, 1));  // E: overlaps C only
    page.add(rect(CID_OUTLINES, 1050, 50, 1060, 60, 4));  // F: fixed, stays
    EXPECT_EQ(page.improved(), "DABECF");
}

TEST(Stacking, BlocksThatDoNotOverlapKeepTheirOrder) {
    Page page;
    page.add(rect(CID_GRAY_PHOTO, 0, 0, 100, 100));
    page.add(rect(CID_GRAY_PHOTO, 101, 0, 200, 100));
    page.add(rect(CID_COLOUR_3102, 0, 101, 100, 200));
    EXPECT_EQ(page.improved(), "ABC");
}

TEST(Stacking, AxisNestingPutsTheOuterBlockFirst) {
    // The inner block's x range lies inside the outer's: it lies on the outer
    // one, which must be drawn first. The outer triangle's apex stays clear of
    // the inner block's corners, so the relation goes one way only.
    for (bool outer_first : {true, false}) {
        Page page;
        auto outer = shape(CID_GRAY_PHOTO, {{0, 100}, {300, 100}, {150, 50}});
        auto inner = rect(CID_GRAY_PHOTO, 100, 60, 200, 200);
        if (outer_first) {
            page.add(std::move(outer));
            page.add(std::move(inner));
            EXPECT_EQ(page.improved(), "AB");
        } else {
            page.add(std::move(inner));
            page.add(std::move(outer));
            EXPECT_EQ(page.improved(), "BA");
        }
    }
}

TEST(Stacking, MutualCoverIsDecidedByTheShareOfTheBoxTheOutlineFills) {
    // Each covers a corner of the other's bounds; the triangle fills half its
    // box, the rectangle all of it, so the triangle goes first.
    for (bool rectangle_first : {true, false}) {
        Page page;
        auto rectangle = rect(CID_GRAY_PHOTO, 0, 0, 100, 100);
        auto triangle = shape(CID_COLOUR_3102, {{40, 40}, {170, 40}, {40, 170}});
        if (rectangle_first) {
            page.add(std::move(rectangle));
            page.add(std::move(triangle));
            EXPECT_EQ(page.improved(), "BA");
        } else {
            page.add(std::move(triangle));
            page.add(std::move(rectangle));
            EXPECT_EQ(page.improved(), "AB");
        }
    }
}

TEST(Stacking, EqualProductsKeepTheOrder) {
    for (int first : {0, 1}) {
        Page page;
        float at[2][2] = {{0, 0}, {50, 50}};
        page.add(rect(CID_GRAY_PHOTO, at[first][0], at[first][1], at[first][0] + 100, at[first][1] + 100));
        page.add(rect(CID_GRAY_PHOTO, at[1 - first][0], at[1 - first][1], at[1 - first][0] + 100,
                      at[1 - first][1] + 100));
        EXPECT_EQ(page.improved(), "AB");
    }
}

TEST(Stacking, IdenticalBoxesAreDecidedByTheCornerTestAlone) {
    // The rectangle covers the diamond's box corners; the diamond covers none
    // of the rectangle's. The diamond goes under, whatever the input order.
    for (bool diamond_first : {true, false}) {
        Page page;
        auto diamond = shape(CID_GRAY_PHOTO, {{50, 0}, {100, 50}, {50, 100}, {0, 50}});
        auto rectangle = rect(CID_GRAY_PHOTO, 0, 0, 100, 100);
        if (diamond_first) {
            page.add(std::move(diamond));
            page.add(std::move(rectangle));
            EXPECT_EQ(page.improved(), "AB");
        } else {
            page.add(std::move(rectangle));
            page.add(std::move(diamond));
            EXPECT_EQ(page.improved(), "BA");
        }
    }
}

TEST(Stacking, ACycleOfCoveringStopsAfterOnePassPerMovableBlock) {
    // A covers a corner of B, B of C and C of A (triangles below their
    // diagonals), and none the other way: every pass moves a block. With three
    // movable blocks the third pass is the last: A, C, B (a fourth pass would
    // give B, A, C; no limit would never end).
    Page page;
    page.add(shape(CID_GRAY_PHOTO, {{0, 0}, {100, 0}, {100, 100}}));
    page.add(shape(CID_GRAY_PHOTO, {{50, 30}, {150, 30}, {150, 130}}));
    page.add(shape(CID_GRAY_PHOTO, {{20, 60}, {120, 60}, {120, 160}}));
    EXPECT_EQ(page.improved(), "ACB");
}

TEST(Stacking, EmptyListIsLeftAlone) {
    RTFBLK_LIST list;
    RTFBLK::improve_ordering(&list, 0);
    RTFBLK::improve_ordering(nullptr, 0);
    EXPECT_TRUE(list.empty());
}
