// EBASICREGION: a typed region made from values.
#include "kel/region.h"

#include <algorithm>

EBASICREGION::EBASICREGION(CLASS_ID class_id, const ERECTANGLE& rectangle, std::vector<CLASS_ID> families)
    : class_id_(class_id), families_(std::move(families)), rectangle_(rectangle), polygon_(corners(rectangle)) {}

EPOLYGON EBASICREGION::corners(const ERECTANGLE& r) {
    return EPOLYGON({{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}}, r.xlator);
}

EBOOL8 EBASICREGION::IsA(CLASS_ID id) {
    return id == class_id_ || std::find(families_.begin(), families_.end(), id) != families_.end();
}

CLASS_ID EBASICREGION::ClassID() { return class_id_; }
const char* EBASICREGION::Name() { return "EBASICREGION"; }
const ERECTANGLE* EBASICREGION::GetRectangle() { return &rectangle_; }
EBOOL8 EBASICREGION::HasColor() { return has_colour_ ? 1 : 0; }
int EBASICREGION::GetOrderKey() { return order_key_; }

int EBASICREGION::GetPolygon(EPOLYGON** polygon) {
    if (polygon == nullptr) return KEL_ERR_BAD_ARGUMENT;
    *polygon = &polygon_;
    return KEL_OK;
}

int EBASICREGION::GetOrientation(int* orientation) {
    if (orientation == nullptr) return KEL_ERR_BAD_ARGUMENT;
    *orientation = orientation_;
    return KEL_OK;
}
