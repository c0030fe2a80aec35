// Block orientation: boxes re-measured from the canvas corner and turned by the
// quarter turns a region reports.
#include "rtfblk.h"

void RTFBLK::shift_region() { box.move(-canvas.lower()); }

void RTFBLK::orient_region() {
    int code = 0;
    if (region) region->GetOrientation(&code);
    shift_region();
    // The canvas now spans (0, 0) to (W, H); a null canvas has no extent.
    const int w = canvas.null_box() ? 0 : (int16_t)(canvas.upper().x() - canvas.lower().x());
    const int h = canvas.null_box() ? 0 : (int16_t)(canvas.upper().y() - canvas.lower().y());
    // Each turn is about the origin, which leaves the box outside the canvas;
    // the move brings it back into the turned canvas (H wide, W high after a
    // quarter turn).
    switch (code) {
    case 1:  // (x, y) -> (-y, x)
        box.rotate(FCOORD(0, 1));
        box.move(ICOORD(h, 0));
        break;
    case 2:  // (x, y) -> (-x, -y)
        box.rotate(FCOORD(-1, 0));
        box.move(ICOORD(w, h));
        break;
    case 3:  // (x, y) -> (y, -x)
        box.rotate(FCOORD(0, -1));
        box.move(ICOORD(0, w));
        break;
    default:
        break;
    }
}
