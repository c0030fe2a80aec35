#include <gtest/gtest.h>

#include "kel/region.h"

namespace {

TEST(BasicRegion, AnswersItsClassFamiliesAndValues) {
    ERECTANGLE rect(100, 200, 400, 500, ECOORDXLATOR(ERESOLUTION(200), EPOINT(0, 0)));
    EBASICREGION region(CID_GRAY_PHOTO, rect, {CID_COLOUR_3102});
    region.set_order_key(7);
    region.set_orientation(3);
    region.set_has_colour(true);
    region.set_number(4);
    region.set_subtype(5);

    EXPECT_EQ(region.ClassID(), CID_GRAY_PHOTO);
    EXPECT_TRUE(region.IsA(CID_GRAY_PHOTO));
    EXPECT_TRUE(region.IsA(CID_COLOUR_3102));
    EXPECT_FALSE(region.IsA(CID_LINE_ART));
    EXPECT_EQ(region.GetOrderKey(), 7);
    EXPECT_TRUE(region.HasColor());
    EXPECT_EQ(region.number, 4);
    EXPECT_EQ(region.subtype, 5);
    int orientation = -1;
    EXPECT_EQ(region.GetOrientation(&orientation), 0);
    EXPECT_EQ(orientation, 3);
    EXPECT_EQ(region.GetOrientation(nullptr), KEL_ERR_BAD_ARGUMENT);

    // Measured at 300 dpi, the rectangle is 450 x 450 pixels from (150, 300).
    ERECTANGLE copy = *region.GetRectangle();
    copy.GetCoordXlator().SetActiveCoordinateSpace(ERESOLUTION(300), EPOINT(0, 0));
    EXPECT_EQ(copy.IntWidth(), 450);
    EXPECT_FLOAT_EQ(copy.Top(), 300);
    EXPECT_EQ(region.GetRectangle()->IntWidth(), 300);  // the region's own one is unchanged
}

TEST(BasicRegion, DefaultPolygonIsTheRectangle) {
    ERECTANGLE rect(0, 0, 600, 300, ECOORDXLATOR(ERESOLUTION(600), EPOINT(0, 0)));
    EBASICREGION region(CID_PAGE_REGION, rect);
    EPOLYGON* polygon = nullptr;
    ASSERT_EQ(region.GetPolygon(&polygon), 0);
    ASSERT_NE(polygon, nullptr);
    polygon->GetCoordXlator().SetActiveCoordinateSpace(ERESOLUTION(300), EPOINT(0, 0));
    EXPECT_DOUBLE_EQ(polygon->Area(), 300.0 * 150);
    EXPECT_TRUE(polygon->In(EPOINT(299, 149)));
    EXPECT_FALSE(polygon->In(EPOINT(301, 10)));
    EXPECT_EQ(region.GetPolygon(nullptr), KEL_ERR_BAD_ARGUMENT);

    region.set_polygon(EPOLYGON({{0, 0}, {600, 0}, {0, 300}}, rect.xlator));
    region.GetPolygon(&polygon);
    EXPECT_DOUBLE_EQ(polygon->Area(), 600.0 * 300 / 2);
}

}  // namespace
