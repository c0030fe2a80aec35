// The page block: construction from a region, copying, holder ownership and the
// list callbacks.
#include "rtfblk.h"

#include <cmath>

#include "holder_shares.h"

BOX RTFBLK::page;
BOX RTFBLK::canvas;

namespace {

// A float page coordinate as a 16-bit box coordinate. Boxes wrap at 16 bits;
// values beyond the 32-bit range (or not numbers at all, from a broken polygon)
// must not reach an undefined float-to-int conversion.
int16_t box_coord(double v) {
    if (!std::isfinite(v)) return 0;
    if (v > 2147483647.0) v = 2147483647.0;
    if (v < -2147483648.0) v = -2147483648.0;
    return (int16_t)(int32_t)(int64_t)v;
}

}  // namespace

RTFBLK::RTFBLK() {
    // The other members get no value here: a caller using this constructor sets
    // them (RTFBLK_copier does). They are nulled anyway so that a block destroyed
    // before that never deletes a stray pointer.
    seq = nullptr;
    holder = nullptr;
    region = nullptr;
    id = 0;
}

RTFBLK::RTFBLK(ETYPEDREGION* typed_region) : RTFBLK() {
    EPOLYGON* polygon = nullptr;
    if (typed_region) typed_region->GetPolygon(&polygon);
    if (polygon) {
        // Measure on a copy of the bounding rectangle: the region's own polygon
        // keeps whatever space its owner set.
        ERECTANGLE rect = polygon->BoundingBox();
        rect.GetCoordXlator().SetActiveCoordinateSpace(ERESOLUTION(300, 300), EPOINT(0, 0));
        const double top = rect.Top(), left = rect.Left();
        box = BOX(ICOORD(box_coord(std::floor(left)), box_coord(std::floor(top))),
                  ICOORD(box_coord(std::ceil(left)), box_coord(std::ceil(top))));
        const double bottom = rect.Bottom(), right = rect.Right();
        // The union gives floor of the smaller and ceil of the larger coordinate
        // whichever way the rectangle's axes run.
        box += BOX(ICOORD(box_coord(std::floor(right)), box_coord(std::floor(bottom))),
                   ICOORD(box_coord(std::ceil(right)), box_coord(std::ceil(bottom))));
    }
    if (typed_region && typed_region->IsA(CID_PAGE_REGION))
        page = box;
    else
        canvas += box;
    if (typed_region) id = typed_region->number;
    region = typed_region;
}

RTFBLK::RTFBLK(const RTFBLK& other)
    : ELIST_LINK(), seq(other.seq), holder(other.holder), region(other.region), id(other.id),
      box(other.box) {
    rtfblk_detail::share_holder(holder);
}

RTFBLK& RTFBLK::operator=(const RTFBLK& other) {
    if (this == &other) {
        next = nullptr;
        return *this;
    }
    // Take the new share before giving up the old one, so assigning a copy that
    // shares this block's holder never deletes it in between.
    rtfblk_detail::share_holder(other.holder);
    drop_holder();
    next = nullptr;
    seq = other.seq;
    holder = other.holder;
    region = other.region;
    id = other.id;
    box = other.box;
    return *this;
}

RTFBLK::~RTFBLK() { drop_holder(); }

void RTFBLK::drop_holder() {
    if (holder && rtfblk_detail::release_holder(holder)) delete holder;
    holder = nullptr;
}

void RTFBLK::set_holder(EHOLDER* new_holder) {
    if (new_holder == holder) return;
    // The block no longer refers to its old holder. If copies share it, they
    // keep it; an unshared old holder is the caller's to release (the setters
    // never delete).
    if (holder) rtfblk_detail::release_holder(holder);
    holder = new_holder;
}

void RTFBLK::set_bitmap(EBITMAP* bitmap) { set_holder(bitmap); }
void RTFBLK::set_beziers(EBEZIERS* beziers) { set_holder(beziers); }
void RTFBLK::set_text(EOCRTEXT* text) { set_holder(text); }

CLASS_ID RTFBLK::get_type() { return region ? region->ClassID() : CID_NO_REGION; }

void RTFBLK::move_box(ICOORD shift) { box.move(shift); }

void RTFBLK_zapper(ELIST_LINK* link) {
    if (link) delete static_cast<RTFBLK*>(link);
}

ELIST_LINK* RTFBLK_copier(ELIST_LINK* link) {
    if (!link) return nullptr;
    RTFBLK* copy = new RTFBLK;
    *copy = *static_cast<RTFBLK*>(link);
    return copy;
}
