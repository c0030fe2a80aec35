#include "job/page_fit.h"

#include <algorithm>
#include <cmath>

#include "job/page_regions.h"
#include "kel/geometry.h"
#include "pw/gdi.h"

namespace lucentra {
namespace {

// The destination's limit for the bitmap resolution.
constexpr double kMaxBitmapResolution = 9600;

// As the destination's boxes: 16-bit coordinates, and nothing undefined from a
// coordinate that is not a number.
int16_t box_coord(double v) {
    if (!std::isfinite(v)) return 0;
    v = std::clamp(v, -2147483648.0, 2147483647.0);
    return (int16_t)(int32_t)(int64_t)v;
}

// The region's bounding box in whole 1/300 inches, rounded outward, measured the
// way the destination measures its blocks (so the two agree to the unit).
BOX box_of(ETYPEDREGION& region) {
    EPOLYGON* polygon = nullptr;
    region.GetPolygon(&polygon);
    if (!polygon) return BOX();
    ERECTANGLE rect = polygon->BoundingBox();
    rect.GetCoordXlator().SetActiveCoordinateSpace(ERESOLUTION(300, 300), EPOINT(0, 0));
    BOX box(ICOORD(box_coord(std::floor(rect.Left())), box_coord(std::floor(rect.Top()))),
            ICOORD(box_coord(std::ceil(rect.Left())), box_coord(std::ceil(rect.Top()))));
    box += BOX(ICOORD(box_coord(std::floor(rect.Right())), box_coord(std::floor(rect.Bottom()))),
               ICOORD(box_coord(std::ceil(rect.Right())), box_coord(std::ceil(rect.Bottom()))));
    return box;
}

// The classes the destination lays out; every other region is left out of the page.
bool laid_out(ETYPEDREGION& region) {
    return region.IsA(CID_LINE_ART) || region.IsA(CID_COLOUR_3102) || region.IsA(CID_COLOUR_3103) ||
           region.IsA(CID_PAGE_REGION);
}

}  // namespace

std::optional<PrintableArea> printable_area(const std::string& printer) {
    if (printer.empty()) return std::nullopt;
    HDC dc = CreateDCA("WINSPOOL", printer.c_str(), nullptr, nullptr);
    if (!dc) return std::nullopt;
    PrintableArea area{GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES), GetDeviceCaps(dc, LOGPIXELSX)};
    DeleteDC(dc);
    if (area.width <= 0 || area.height <= 0 || area.resolution <= 0) return std::nullopt;
    return area;
}

Canvas page_canvas(const PageRegions& regions) {
    BOX canvas, page;
    int taken = 0;
    bool lone_page_region = false;
    for (size_t k = 0; k < regions.size(); ++k) {
        ETYPEDREGION& region = *regions.region(k);
        if (!laid_out(region)) continue;
        ++taken;
        if (region.IsA(CID_PAGE_REGION)) {
            page = box_of(region);
            lone_page_region = true;
        } else {
            canvas += box_of(region);
        }
    }
    if (taken == 1 && lone_page_region) canvas = page;
    if (canvas.null_box()) return Canvas{};
    return Canvas{(int16_t)(canvas.upper().x() - canvas.lower().x()), (int16_t)(canvas.upper().y() - canvas.lower().y())};
}

float predicted_page_scale(ScaleMode mode, float percent, const PrintableArea& area, const Canvas& canvas) {
    // Single-precision arithmetic, step by step as the destination computes it, so
    // that the prediction is the destination's value and not merely close to it.
    float scale;
    if (mode == ScaleMode::Fit) {
        float fx = (float)area.width / (float)canvas.width;
        float fy = (float)area.height / (float)canvas.height;
        float ratio = fx < fy ? fx : fy;
        scale = ratio * 300.0f / (float)area.resolution;
    } else if (mode == ScaleMode::Actual) {
        scale = 1.0f;
    } else {
        scale = percent * 0.01f;
    }
    if (!(scale >= 0.12f)) return 0.12f;
    return scale > 12.0f ? 12.0f : scale;
}

double pass_through_resolution(double own, double page_scale, double printer_resolution) {
    double resolution = own;
    if (page_scale > 0 && page_scale < 1) resolution = own / page_scale;
    if (printer_resolution > 0) resolution = std::min(resolution, printer_resolution);
    return std::min(resolution, kMaxBitmapResolution);
}

}  // namespace lucentra
