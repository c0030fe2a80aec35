// Stacking order: blocks are drawn in list order, so a block that lies under
// another must come before it.
#include "rtfblk.h"

namespace {

// The region's polygon, measured at 300 dpi from the page corner (the space the
// block boxes are in), or null.
EPOLYGON* polygon_at_300(RTFBLK* block) {
    ETYPEDREGION* region = block->get_region();
    if (!region) return nullptr;
    EPOLYGON* polygon = nullptr;
    region->GetPolygon(&polygon);
    if (polygon)
        polygon->GetCoordXlator().SetActiveCoordinateSpace(ERESOLUTION(300, 300), EPOINT(0, 0));
    return polygon;
}

// Fixed blocks never move: the page, line art, and outline drawings of
// subtypes 4 and 5.
bool is_fixed(RTFBLK* block) {
    ETYPEDREGION* region = block->get_region();
    if (!region) return false;
    const CLASS_ID type = region->ClassID();
    if (type == CID_PAGE_REGION || type == CID_LINE_ART) return true;
    return type == CID_OUTLINES && (region->subtype == 4 || region->subtype == 5);
}

// List surgery by element, for passes that hold several positions at once.
// Lists here hold one page's blocks (tens), so the linear predecessor search
// costs nothing that matters.
RTFBLK* first_block(ELIST* list) { return static_cast<RTFBLK*>(list->first()); }

RTFBLK* next_block(ELIST* list, RTFBLK* block) {
    return block == list->last ? nullptr : static_cast<RTFBLK*>(block->next);
}

ELIST_LINK* predecessor(ELIST* list, ELIST_LINK* element) {
    ELIST_LINK* p = list->last;
    while (p->next != element) p = p->next;
    return p;
}

// Takes `element` out of the list and puts it immediately before `before`.
void move_before(ELIST* list, ELIST_LINK* element, ELIST_LINK* before) {
    if (element == before) return;
    ELIST_LINK* p = predecessor(list, element);
    p->next = element->next;
    if (list->last == element) list->last = p;
    ELIST_LINK* q = predecessor(list, before);
    q->next = element;
    element->next = before;
    // Before the first element is still before it: the last element's link now
    // leads to `element`, which is the new first.
}

// Phase 1: a block that is not fixed and overlaps a line-art block listed
// before it goes immediately before the first such block, so the line art is
// drawn over it.
void under_line_art(ELIST* list) {
    RTFBLK* x = first_block(list);
    while (x) {
        RTFBLK* next = next_block(list, x);
        if (!is_fixed(x)) {
            RTFBLK* e = first_block(list);
            while (e != x && !(e->get_type() == CID_LINE_ART && e->get_box().overlap(x->get_box())))
                e = next_block(list, e);
            if (e != x) {
                move_before(list, x, e);
                // Go on after E: the blocks between E and X's old place are
                // visited again, X is not.
                next = next_block(list, e);
            }
        }
        x = next;
    }
}

}  // namespace

unsigned char RTFBLK::on_top_of(RTFBLK* other) {
    const BOX& a = box;
    const BOX& b = other->box;
    if (!a.overlap(b)) return 0;
    // Nested along one axis (and not the very same range): this block lies on
    // the other.
    if (b.left() <= a.left() && a.right() <= b.right() &&
        !(a.left() == b.left() && a.right() == b.right()))
        return 1;
    if (b.bottom() <= a.bottom() && a.top() <= b.top() &&
        !(a.bottom() == b.bottom() && a.top() == b.top()))
        return 1;
    // Otherwise: does this block's outline cover a corner of the other's?
    EPOLYGON* mine = polygon_at_300(this);
    EPOLYGON* theirs = polygon_at_300(other);
    if (!mine || !theirs) return 0;
    const ERECTANGLE r = theirs->BoundingBox();
    const EPOINT corners[4] = {EPOINT(r.Left(), r.Top()), EPOINT(r.Right(), r.Top()),
                               EPOINT(r.Left(), r.Bottom()), EPOINT(r.Right(), r.Bottom())};
    for (const EPOINT& corner : corners)
        if (mine->In(corner)) return 1;
    return 0;
}

void RTFBLK::improve_ordering(RTFBLK_LIST* list, unsigned char) {
    if (!list || list->empty()) return;
    under_line_art(list);

    int movable = 0;
    for (RTFBLK* b = first_block(list); b; b = next_block(list, b))
        if (!is_fixed(b)) ++movable;

    // Phase 3: a covered block goes before the block covering it. Passes repeat
    // while one moves something, at most `movable` passes (at least one), so
    // blocks that cover each other in a cycle cannot loop for ever.
    int passes = 0;
    bool moved;
    do {
        moved = false;
        for (RTFBLK* f = first_block(list); f; f = next_block(list, f)) {
            if (is_fixed(f)) continue;
            RTFBLK* m = next_block(list, f);
            while (m) {
                RTFBLK* after_m = next_block(list, m);
                if (is_fixed(m) || !f->on_top_of(m)) {
                    m = after_m;
                    continue;
                }
                bool move = true;
                if (m->on_top_of(f)) {
                    // Each covers the other: the block whose outline fills the
                    // larger share of its box is drawn later.
                    EPOLYGON* fp = polygon_at_300(f);
                    EPOLYGON* mp = polygon_at_300(m);
                    const double f_area = fp ? fp->Area() : 0.0;
                    const double m_area = mp ? mp->Area() : 0.0;
                    move = (double)m->box.area() * f_area > (double)f->box.area() * m_area;
                }
                if (move) {
                    move_before(list, m, f);
                    moved = true;
                    m = next_block(list, f);
                } else {
                    m = after_m;
                }
            }
        }
        ++passes;
    } while (moved && passes < movable);
}
