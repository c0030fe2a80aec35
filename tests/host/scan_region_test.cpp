#include <gtest/gtest.h>

#include "job/scan_region.h"

using namespace lucentra;

TEST(ScanRegion, FamiliesAsTheDestinationTestsThem) {
    struct Case {
        CLASS_ID region;
        std::vector<CLASS_ID> is_a, is_not;
    } cases[] = {
        {CID_PAGE_REGION, {3004}, {3101, 3102, 3103, 3010, 3111}},
        {CID_LINE_ART, {3101}, {3004, 3102, 3103}},
        {CID_GRAY_PHOTO, {3104, 3102}, {3103, 3101, 3004}},
        {CID_PALETTE_IMAGE, {3106, 3103}, {3102, 3101}},
        {CID_OUTLINES, {3108, 3103}, {3102, 3104}},
        {CID_REFUSED_3010, {3010}, {3101, 3004}},
    };
    for (const Case& c : cases) {
        for (CLASS_ID id : c.is_a) EXPECT_TRUE(region_is_a(c.region, id)) << c.region << " is a " << id;
        for (CLASS_ID id : c.is_not) EXPECT_FALSE(region_is_a(c.region, id)) << c.region << " is not a " << id;
    }
}

TEST(ScanRegion, WholePageCarriesTheScansOwnResolution) {
    PageInfo fax;
    fax.width = 1728, fax.height = 2156, fax.xres = 204, fax.yres = 196, fax.has_colour = false;
    auto region = ScanRegion::whole_page(fax, 3);
    EXPECT_EQ(region->ClassID(), CID_PAGE_REGION);
    EXPECT_TRUE(region->IsA(CID_PAGE_REGION));
    EXPECT_FALSE(region->HasColor());
    EXPECT_EQ(region->number, 3);

    // At 300 dpi the page measures 8.47 x 11 inches: square pixels from a
    // non-square scan.
    ERECTANGLE at300 = *region->GetRectangle();
    ERESOLUTION res;
    EPOINT origin;
    at300.GetCoordXlator().GetCoordinateSpace(&res, &origin);
    EXPECT_EQ(res.x, 204);
    EXPECT_EQ(res.y, 196);
    at300.GetCoordXlator().SetActiveCoordinateSpace(ERESOLUTION(300), origin);
    EXPECT_EQ(at300.IntWidth(), 2541);
    EXPECT_EQ(at300.IntHeight(), 3300);

    EPOLYGON* polygon = nullptr;
    ASSERT_EQ(region->GetPolygon(&polygon), KEL_OK);
    EXPECT_EQ(polygon->Count(), 4u);
    ERECTANGLE box = polygon->BoundingBox();
    EXPECT_EQ(box.Right(), 1728);
    EXPECT_EQ(box.Bottom(), 2156);
    int orientation = -1;
    EXPECT_EQ(region->GetOrientation(&orientation), KEL_OK);
    EXPECT_EQ(orientation, 0);
    EXPECT_EQ(region->GetPolygon(nullptr), KEL_ERR_BAD_ARGUMENT);
}
