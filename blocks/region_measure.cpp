// Region measurement and the block sort order used before a page is drawn.
#include "rtfblk.h"

int region_extent(ETYPEDREGION* region, float resolution, int* width, int* height) {
    int w = 0, h = 0;
    const ERECTANGLE* rect = region ? region->GetRectangle() : nullptr;
    if (rect) {
        ERESOLUTION native_res;
        EPOINT origin;
        rect->GetCoordXlator().GetCoordinateSpace(&native_res, &origin);
        // Re-express a copy at the wanted resolution from the same origin; the
        // region's own rectangle keeps its space.
        ERECTANGLE copy = *rect;
        copy.GetCoordXlator().SetActiveCoordinateSpace(ERESOLUTION(resolution), origin);
        w = copy.IntWidth();
        h = copy.IntHeight();
    }
    if (width) *width = w;
    if (height) *height = h;
    return 0;
}

int compare_blocks(const void* a, const void* b) {
    RTFBLK* block_a = *static_cast<RTFBLK* const*>(a);
    RTFBLK* block_b = *static_cast<RTFBLK* const*>(b);
    const int ka = block_a->get_region() ? block_a->get_region()->GetOrderKey() : 0;
    const int kb = block_b->get_region() ? block_b->get_region()->GetOrderKey() : 0;
    // Compared rather than subtracted: keys and ids are full 32-bit integers and
    // their difference could overflow.
    if (ka != kb) return ka < kb ? -1 : 1;
    const int32_t ia = block_a->get_id(), ib = block_b->get_id();
    return ia < ib ? -1 : (ia > ib ? 1 : 0);
}
