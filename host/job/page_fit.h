// Predicts the page scale the destination will use for a document, so that a
// scan can be asked for at a resolution that gives back its own pixels.
//
// The destination asks for a photograph at "bitmap resolution x page scale"
// dots per inch of the scan. With the scan's own resolution as the bitmap
// resolution, a fitted or scaled page is therefore asked for at another size
// than the scan's, and the store resamples every pixel (2550 x 3300 to
// 2330 x 3015 for a Letter scan fitted to Letter) only for the printer to
// stretch the result back. Asking with "own resolution / page scale" instead
// gives the scan's own size: the store passes rows through untouched and the
// printer places the scan's own pixels.
//
// The destination works the scale out once per document, from the first page's
// canvas and the printer's printable area and resolution; the same rule is
// applied here before the document starts.
#pragma once

#include <optional>
#include <string>

#include "decode/image.h"
#include "job/job_settings.h"

namespace lucentra {

class PageRegions;

// What a printer offers a page, in its device pixels: the printable area
// (HORZRES x VERTRES) and its resolution (LOGPIXELSX), as a DC of the printer
// reports them.
struct PrintableArea {
    int width = 0;
    int height = 0;
    int resolution = 0;
};

// Asks a DC of the named printer. Nothing when there is no such printer or it
// cannot be asked (the destination will say why when the document starts).
std::optional<PrintableArea> printable_area(const std::string& printer);

// The extent the destination lays a page out on, in 1/300 inch: the bounding
// boxes (whole 1/300 inches, outward) of the regions it takes, joined; a lone
// page region is its own canvas.
struct Canvas {
    int width = 0;
    int height = 0;
};
Canvas page_canvas(const PageRegions& regions);

// The destination's page scale (paper inches per scanned inch) for `mode`:
// actual 1; percent `percent` / 100; fit the largest that keeps the canvas
// within the printable area. Limited to 0.12 .. 12 as the destination limits it.
float predicted_page_scale(ScaleMode mode, float percent, const PrintableArea& area, const Canvas& canvas);

// The bitmap resolution (property 3012) for a page when no --res is given. A
// page whose scale shrinks it (scale <= 1) is asked at own / scale, so that the
// photograph comes back at the scan's own size; an enlarged page keeps its own
// resolution (the store's interpolation is smoother than the printer's pixel
// repetition). Never more than the printer shows (`printer_resolution`, 0 for
// unknown), nor the destination's limit of 9600. `own` is the larger of the
// page's two resolutions.
double pass_through_resolution(double own, double page_scale, double printer_resolution);

}  // namespace lucentra
