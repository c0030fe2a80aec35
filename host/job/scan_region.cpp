#include "job/scan_region.h"

namespace lucentra {

bool region_is_a(CLASS_ID region_class, CLASS_ID family) {
    if (region_class == family) return true;
    switch (region_class) {
    case CID_GRAY_PHOTO: return family == CID_COLOUR_3102;
    case CID_PALETTE_IMAGE:
    case CID_OUTLINES: return family == CID_COLOUR_3103;
    default: return false;
    }
}

ScanRegion::ScanRegion(CLASS_ID region_class, double xres, double yres, std::vector<EPOINT> polygon, bool colour,
                       int order_key, int orientation, int number)
    : class_(region_class),
      polygon_(std::move(polygon), ECOORDXLATOR(ERESOLUTION((float)xres, (float)yres), EPOINT(0, 0))),
      rectangle_(polygon_.BoundingBox()),
      colour_(colour),
      order_key_(order_key),
      orientation_(orientation) {
    this->number = number;
}

std::unique_ptr<ScanRegion> ScanRegion::whole_page(const PageInfo& page, int number) {
    const float w = (float)page.width, h = (float)page.height;
    return std::make_unique<ScanRegion>(CID_PAGE_REGION, page.xres, page.yres,
                                        std::vector<EPOINT>{{0, 0}, {w, 0}, {w, h}, {0, h}}, page.has_colour, 0, 0,
                                        number);
}

int ScanRegion::GetPolygon(EPOLYGON** polygon) {
    if (!polygon) return KEL_ERR_BAD_ARGUMENT;
    *polygon = &polygon_;
    return KEL_OK;
}

int ScanRegion::GetOrientation(int* orientation) {
    if (!orientation) return KEL_ERR_BAD_ARGUMENT;
    *orientation = orientation_;
    return KEL_OK;
}

}  // namespace lucentra
