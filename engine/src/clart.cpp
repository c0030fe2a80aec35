// Outline drawings: building a CLART and the EBEZIERS holder.
#include <algorithm>
#include <cmath>

#include "kel/xform.h"

void CLART::add_figure(CLART_FIGURE figure) {
    figures.push_back(std::move(figure));
    compute_bounds();
}

void CLART::compute_bounds() {
    // Points that are not finite cannot be drawn (plot_to_dc reports them as a lost
    // outline) and must not spoil the bounds of the rest.
    bool any = false;
    float lo_x = 0, lo_y = 0, hi_x = 0, hi_y = 0;
    auto take = [&](const EPOINT& p) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
        if (!any) {
            lo_x = hi_x = p.x;
            lo_y = hi_y = p.y;
            any = true;
            return;
        }
        lo_x = std::min(lo_x, p.x);
        hi_x = std::max(hi_x, p.x);
        lo_y = std::min(lo_y, p.y);
        hi_y = std::max(hi_y, p.y);
    };
    for (const CLART_FIGURE& figure : figures) {
        take(figure.start);
        for (const EPOINT& p : figure.points) take(p);
    }
    min_x = lo_x;
    min_y = lo_y;
    max_x = hi_x;
    max_y = hi_y;
}

CLASS_ID EBEZIERS::ClassID() { return CID_BEZIERS; }
EBOOL8 EBEZIERS::IsA(CLASS_ID id) { return id == CID_BEZIERS || EHOLDER::IsA(id); }
