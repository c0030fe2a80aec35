// A typed region of a scanned page, as the engine hands it to a destination.
//
// Geometry is kept in the scan's own coordinate space: pixels of the scan, y
// growing downwards, at the scan's resolution (which may differ per axis, such as
// 204 x 196 dpi fax pages), origin at the page's top-left corner. The destination
// re-expresses it at whatever resolution it needs through the rectangle's and the
// polygon's coordinate translators.
//
// Class families (what IsA answers besides the exact class): line art 3101 and
// the colour families 3102 and 3103 stand for themselves; a gray photo 3104 is of
// family 3102; a palette image 3106 and outlines 3108 are of family 3103; the page
// region 3004 is only itself. Refused classes 3010 and 3111 answer for themselves.
#pragma once

#include <memory>
#include <vector>

#include "decode/image.h"
#include "kel/objects.h"

namespace lucentra {

// Whether a region of class `region_class` answers IsA(`family`).
bool region_is_a(CLASS_ID region_class, CLASS_ID family);

class ScanRegion : public ETYPEDREGION {
public:
    // `polygon` in scan pixels (at least three points); the rectangle is its
    // bounding box.
    ScanRegion(CLASS_ID region_class, double xres, double yres, std::vector<EPOINT> polygon, bool colour,
               int order_key = 0, int orientation = 0, int number = 0);

    // The page region of a whole page: class 3004, the page's four corners.
    static std::unique_ptr<ScanRegion> whole_page(const PageInfo& page, int number);

    EBOOL8 IsA(CLASS_ID id) override { return region_is_a(class_, id); }
    CLASS_ID ClassID() override { return class_; }
    const char* Name() override { return "ScanRegion"; }
    const ERECTANGLE* GetRectangle() override { return &rectangle_; }
    EBOOL8 HasColor() override { return colour_; }
    int GetOrderKey() override { return order_key_; }
    int GetPolygon(EPOLYGON** polygon) override;
    int GetOrientation(int* orientation) override;

private:
    CLASS_ID class_;
    EPOLYGON polygon_;
    ERECTANGLE rectangle_;
    bool colour_;
    int order_key_;
    int orientation_;
};

}  // namespace lucentra
