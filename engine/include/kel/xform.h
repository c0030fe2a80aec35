// Outline drawings: the outline holder EBEZIERS and the drawing CLART it carries,
// which plots itself into a device context through the platform's paths.
#pragma once

#include <cstdint>
#include <vector>

#include "kel/holders.h"
#include "pw/wintypes.h"

// One figure of an outline drawing: a closed shape made of straight and cubic
// bezier segments. Coordinates are in drawing units, y growing upwards.
struct KEL_API CLART_FIGURE {
    enum SEGMENT { LINE, BEZIER };
    EPOINT start;
    // Per segment: LINE uses one point, BEZIER three (two controls and the end).
    std::vector<SEGMENT> kinds;
    std::vector<EPOINT> points;
};

// An outline drawing: filled figures (non-zero winding) in one colour, with the
// bounding box of its drawing units.
class KEL_API CLART {
public:
    std::vector<CLART_FIGURE> figures;
    float min_x = 0, min_y = 0, max_x = 0, max_y = 0;  // drawing bounds, y up
    uint32_t colour = 0;                               // 0x00BBGGRR, black by default

    // Appends a figure and recomputes the bounds from all figures. A drawing whose
    // bounds are to be wider than its figures (a whole region, say) sets them after
    // its last add_figure.
    void add_figure(CLART_FIGURE figure);
    // Recomputes the bounds from the figures' finite points (all 0 when there are none).
    void compute_bounds();

    // Draws the figures filled into the rectangle of `dc` whose left and right
    // edges are at x `left` and `right` and where the drawing's bottom edge lands at
    // y `bottom` and its top edge at y `top` (logical units of the DC). Returns 0;
    // KEL_WARN_LOST_OUTLINE when a figure could not be drawn (the rest is drawn);
    // KEL_ERR_BAD_ARGUMENT for a null DC.
    int plot_to_dc(HDC dc, int left, int bottom, int right, int top) const;
};

// The outline holder: a store's Pull fills its drawing.
class KEL_API EBEZIERS : public EHOLDER {
public:
    CLASS_ID ClassID() override;
    EBOOL8 IsA(CLASS_ID id) override;

    CLART* GetArt() { return &art; }
    const CLART* GetArt() const { return &art; }

private:
    CLART art;
};
