// A typed region built from plain values: what the host makes of a layout file
// or a scanned page, and what tests hand to destinations.
#pragma once

#include <vector>

#include "kel/objects.h"

// The region owns its rectangle and polygon; GetRectangle and GetPolygon hand out
// pointers to them that live as long as the region. Coordinates are in the
// rectangle's native space (pixels at its resolution, y growing downwards).
// Defaults: no families, order key 0, upright, no colour, number and subtype 0,
// the polygon the rectangle's four corners.
class KEL_API EBASICREGION : public ETYPEDREGION {
public:
    // `class_id` is the exact class that ClassID answers; IsA answers it and
    // every id of `families`.
    EBASICREGION(CLASS_ID class_id, const ERECTANGLE& rectangle, std::vector<CLASS_ID> families = {});

    EBOOL8 IsA(CLASS_ID id) override;
    CLASS_ID ClassID() override;
    const char* Name() override;  // "EBASICREGION"
    const ERECTANGLE* GetRectangle() override;
    EBOOL8 HasColor() override;
    int GetOrderKey() override;
    // 0, or KEL_ERR_BAD_ARGUMENT for a null out-pointer.
    int GetPolygon(EPOLYGON** polygon) override;
    int GetOrientation(int* orientation) override;

    void set_polygon(const EPOLYGON& outline) { polygon_ = outline; }
    void set_order_key(int key) { order_key_ = key; }
    // 0 upright, 1 to 3 quarter turns.
    void set_orientation(int orientation) { orientation_ = orientation; }
    void set_has_colour(bool colour) { has_colour_ = colour; }
    void set_number(int n) { number = n; }
    void set_subtype(int kind) { subtype = kind; }
    void add_family(CLASS_ID family) { families_.push_back(family); }

    ERECTANGLE& rectangle() { return rectangle_; }
    EPOLYGON& polygon() { return polygon_; }

    // The four corners of `rectangle` as a polygon in its coordinate space.
    static EPOLYGON corners(const ERECTANGLE& rectangle);

private:
    CLASS_ID class_id_;
    std::vector<CLASS_ID> families_;
    ERECTANGLE rectangle_;
    EPOLYGON polygon_;
    int order_key_ = 0;
    int orientation_ = 0;
    bool has_colour_ = false;
};
