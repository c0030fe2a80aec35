// Region extents at other resolutions and the block sort order.
#include <gtest/gtest.h>

#include "block_fixtures.h"
#include "rtfblk.h"

using namespace blocks_test;

TEST(RegionExtent, MeasuresAtTheAskedResolutionAndLeavesTheRegionAlone) {
    // 1 x 2 inches, stored at 600 dpi.
    auto region = rect_region(CID_GRAY_PHOTO, 0, 0, 300, 600, 600);
    struct Case {
        float dpi;
        int width, height;
    } cases[] = {{300, 300, 600}, {150, 150, 300}, {72.5f, 73, 145}, {600, 600, 1200}};
    for (const Case& c : cases) {
        int w = -1, h = -1;
        EXPECT_EQ(region_extent(region.get(), c.dpi, &w, &h), 0);
        EXPECT_EQ(w, c.width) << c.dpi;
        EXPECT_EQ(h, c.height) << c.dpi;
    }
    EXPECT_FLOAT_EQ(region->GetRectangle()->Right(), 600.0f) << "the region's rectangle keeps its space";
}

TEST(RegionExtent, RegionWithoutRectangleMeasuresNothing) {
    struct NoRect : EBASICREGION {
        NoRect() : EBASICREGION(CID_GRAY_PHOTO, ERECTANGLE()) {}
        const ERECTANGLE* GetRectangle() override { return nullptr; }
    } region;
    int w = -1, h = -1;
    EXPECT_EQ(region_extent(&region, 300, &w, &h), 0);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
}

TEST(CompareBlocks, SmallerKeyFirstThenSmallerId) {
    struct Case {
        int key, number;
    } cases[] = {{5, 2}, {1, 9}, {5, 1}, {-3, 4}, {1, 3}};
    std::vector<std::unique_ptr<EBASICREGION>> regions;
    RTFBLK_LIST list;
    for (const Case& s : cases) {
        regions.push_back(rect_region(CID_COLOUR_3102, 0, 0, 10, 10));
        regions.back()->set_order_key(s.key);
        regions.back()->number = s.number;
        list.add_to_end(new RTFBLK(regions.back().get()));
    }
    list.sort(compare_blocks);
    std::vector<std::pair<int, int>> order;
    RTFBLK_IT it(&list);
    for (int i = 0; i < list.length(); ++i, it.forward())
        order.emplace_back(it.data()->get_region()->GetOrderKey(), it.data()->get_id());
    EXPECT_EQ(order, (std::vector<std::pair<int, int>>{{-3, 4}, {1, 3}, {1, 9}, {5, 1}, {5, 2}}));

    // Extreme keys must not overflow into the wrong sign.
    auto lo = rect_region(CID_COLOUR_3102, 0, 0, 1, 1), hi = rect_region(CID_COLOUR_3102, 0, 0, 1, 1);
    lo->set_order_key(INT32_MIN);
    hi->set_order_key(INT32_MAX);
    RTFBLK a(lo.get()), b(hi.get());
    RTFBLK* pa = &a;
    RTFBLK* pb = &b;
    EXPECT_LT(compare_blocks(&pa, &pb), 0);
    EXPECT_GT(compare_blocks(&pb, &pa), 0);
}
