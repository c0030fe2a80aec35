// Coordinate spaces: ECOORDXLATOR and the rectangle's whole-pixel extents.
#include <climits>
#include <cmath>

#include "kel/geometry.h"

namespace {

bool usable(float resolution) { return std::isfinite(resolution) && resolution > 0; }

// v in space `from` (resolution, origin) re-expressed in space `to`: both name the
// same distance from the page corner, (v + origin) / resolution inches. A space
// with an unusable resolution leaves the value as it is.
float translate(float v, float from_res, float from_origin, float to_res, float to_origin) {
    if (!usable(from_res) || !usable(to_res)) return v;
    return (float)(((double)v + from_origin) / from_res * to_res - to_origin);
}

int rounded_extent(float a, float b) {
    double extent = std::fabs((double)b - (double)a);
    if (!std::isfinite(extent)) return 0;
    if (extent >= (double)INT_MAX) return INT_MAX;
    return (int)std::lround(extent);
}

}  // namespace

void ECOORDXLATOR::GetCoordinateSpace(ERESOLUTION* resolution, EPOINT* origin) const {
    if (resolution) *resolution = native_res;
    if (origin) *origin = native_origin;
}

void ECOORDXLATOR::SetActiveCoordinateSpace(const ERESOLUTION& resolution, const EPOINT& origin) {
    // A space without a usable resolution would turn every measurement into
    // infinities; the active space stays as it was.
    if (!usable(resolution.x) || !usable(resolution.y)) return;
    active_res = resolution;
    active_origin = origin;
}

void ECOORDXLATOR::GetActiveCoordinateSpace(ERESOLUTION* resolution, EPOINT* origin) const {
    if (resolution) *resolution = active_res;
    if (origin) *origin = active_origin;
}

float ECOORDXLATOR::ToActiveX(float native) const {
    return translate(native, native_res.x, native_origin.x, active_res.x, active_origin.x);
}
float ECOORDXLATOR::ToActiveY(float native) const {
    return translate(native, native_res.y, native_origin.y, active_res.y, active_origin.y);
}
float ECOORDXLATOR::ToNativeX(float active) const {
    return translate(active, active_res.x, active_origin.x, native_res.x, native_origin.x);
}
float ECOORDXLATOR::ToNativeY(float active) const {
    return translate(active, active_res.y, active_origin.y, native_res.y, native_origin.y);
}

int ERECTANGLE::IntWidth() const { return rounded_extent(Left(), Right()); }
int ERECTANGLE::IntHeight() const { return rounded_extent(Top(), Bottom()); }
