// Page blocks: the plug-in's record of one printable region of a scanned page,
// the list that holds a page's blocks, and what is done with them: ordering,
// orientation, tone steps and drawing into a device context or a metafile.
//
// Units: block boxes are 16-bit page pixels at 300 dpi (all box arithmetic wraps
// at 16 bits); resolutions are dots per inch; drawing rectangles are logical
// units of the device context they are drawn into.
//
// Ownership and lifecycle:
//   - An RTFBLK_LIST owns its blocks: clear() and the destructor destroy them.
//   - A block owns its holder (bitmap, outlines or text) and deletes it when it
//     is destroyed. Copies of a block (copy constructor, assignment,
//     RTFBLK_copier and so deep_copy) share the holder: a module-wide count kept
//     beside the holder pointer makes the last block that refers to it delete
//     it, so a holder is never deleted twice.
//   - A block never owns its region or its store: both belong to the engine and
//     must outlive the block's use of them.
//   - RTFBLK::page and RTFBLK::canvas are module-wide and shared by every
//     destination; the engine lays out one page at a time per process.
//
// Nothing here throws across the module boundary; drawing operations report
// failures through the engine log (source "rtfblk") and return result codes.
#pragma once

#include <cstdint>

#include "kel/kel.h"
#include "pw/gdi.h"
#include "pw/wintypes.h"

class RTFBLK;
class RTFBLK_LIST;

// Tone settings of a destination, in the order the destination holds them.
struct PW_EXPORT sCOPYINFO {
    int16_t brightness;     // added to every sample
    int16_t contrast;       // amplitude of the sine tone curve
    int16_t clip_extremes;  // nonzero: snap near-white to white, near-black to black
    int16_t reserved;       // kept by the destination, never read when drawing
};

// A DIB description: the header and room for a full 256-entry colour table,
// laid out as a BITMAPINFO so it can be handed to GDI as one.
struct PW_EXPORT RTFDIB {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[256];

    const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(this); }
    BITMAPINFO* info() { return reinterpret_cast<BITMAPINFO*>(this); }
};

// Module-wide: nonzero while photos print one bit deep (set by the print job at
// the start of every document). Two-colour images are then drawn opaque
// (SRCCOPY) instead of with white transparent (SRCAND).
extern PW_EXPORT unsigned char one_bit_mode;

class PW_EXPORT RTFBLK : public ELIST_LINK {
public:
    // The box of the last page region made into a block.
    static BOX page;
    // The union of the boxes of every other block made since the last reset.
    static BOX canvas;

    // Link null, box empty; the other members are left for the caller to set.
    RTFBLK();
    // The block for a region: its box from the region's polygon at 300 dpi
    // (floor of the smaller, ceil of the larger coordinate on each axis). A page
    // region (class 3004) sets RTFBLK::page, any other widens RTFBLK::canvas.
    explicit RTFBLK(ETYPEDREGION* region);
    // Copies seq, holder, region, id and box; the copy is in no list and shares
    // the holder (see the ownership notes above).
    RTFBLK(const RTFBLK& other);
    // Same as the copy; the holder this block held before is released. A block
    // that is in a list must not be assigned to (its link is cleared).
    RTFBLK& operator=(const RTFBLK& other);
    // Deletes the holder unless another copy still refers to it.
    ~RTFBLK();

    void set_seq(ESTORE* store) { seq = store; }
    ESTORE* get_seq() { return seq; }
    // Store a holder pointer; the holder held before is not deleted (the block
    // only gives up its share of it when it was shared with a copy).
    void set_bitmap(EBITMAP* bitmap);
    void set_beziers(EBEZIERS* beziers);
    void set_text(EOCRTEXT* text);
    // Deletes the holder (or gives up this block's share of it) and leaves the
    // block without one. For callers that replace a holder.
    void drop_holder();

    EBITMAP* get_bitmap() { return static_cast<EBITMAP*>(holder); }
    EBEZIERS* get_beziers() { return static_cast<EBEZIERS*>(holder); }
    EOCRTEXT* get_text() { return static_cast<EOCRTEXT*>(holder); }
    EHOLDER* get_holder() { return holder; }
    ETYPEDREGION* get_region() { return region; }
    // The region's exact class; CID_NO_REGION (1001) for a block without one.
    CLASS_ID get_type();
    int32_t get_id() { return id; }
    const BOX& get_box() const { return box; }

    // Moves the box so it is measured from the lower corner of RTFBLK::canvas.
    void shift_region();
    // shift_region, then turns the box inside the canvas by the quarter turns
    // the region reports (codes 1 to 3; any other code leaves it upright).
    void orient_region();
    // Adds `shift` to both corners of the box (16-bit wrap).
    void move_box(ICOORD shift);

    // Reorders a page's blocks so that blocks lying under others come first
    // (they are drawn in list order). The second argument is not used.
    static void improve_ordering(RTFBLK_LIST* list, unsigned char unused);

    // Draws the block's bitmap (holder: an EBITMAP; store: seq) so that it fills
    // the rectangle (x0, y0)-(x1, y1) of `dc` in logical units, pulling the
    // pixels line by line into a DIB section and applying the tone steps.
    // `copy_info` may be null (then only the automatic level stretch applies).
    // The sixth argument is not used. Returns 0 or a logged result code;
    // KEL_CANCELLED when the store cancelled.
    int pull_to_dc(HDC dc, int x0, int y0, int x1, int y1, unsigned char unused, sCOPYINFO* copy_info);

    // Draws the block's bitmap into a new memory metafile whose window is the
    // bitmap's pixel size (one logical unit per pixel). On success *metafile is
    // the caller's (release it with DeleteMetaFile) and the result is 0.
    // *width and *height (pixels) and *resolution (dpi, truncated) are written in
    // every case, before the metafile is made.
    int pull_to_metafile(HMETAFILE* metafile, short* width, short* height, unsigned short* resolution);

private:
    // 1 when this block lies on top of `other`, else 0.
    unsigned char on_top_of(RTFBLK* other);

    // Creates a DIB section of bm's size and depth, describes it in *dib (header
    // and colour table), and pulls the block's pixels into it from the store.
    // On success *handle and *im_buffer are the section and its pixel memory; the
    // caller deletes the section. On failure nothing is left allocated (*handle
    // is null). `dc` is not used.
    int pull_to_dib(EBITMAP* bm, HDC dc, RTFDIB* dib, HBITMAP* handle, unsigned char** im_buffer);

    // Replaces the holder pointer, giving up this block's share of the old one
    // without deleting it.
    void set_holder(EHOLDER* new_holder);

    ESTORE* seq;            // not owned
    EHOLDER* holder;        // owned (shared among copies)
    ETYPEDREGION* region;   // not owned
    int32_t id;             // the region's number
    BOX box;                // 300-dpi pixels
};

// Destroys the block `link` is (with its holder); nothing for null.
PW_EXPORT void RTFBLK_zapper(ELIST_LINK* link);
// A new block with the members of the block at `link` (sharing its holder).
PW_EXPORT ELIST_LINK* RTFBLK_copier(ELIST_LINK* link);

class PW_EXPORT RTFBLK_LIST : public ELIST {
public:
    RTFBLK_LIST() = default;
    // Lists cannot be copied: the new list is empty and the engine error
    // "Can't create a list by assignment" is reported.
    RTFBLK_LIST(const RTFBLK_LIST&);
    // Lists cannot be assigned: "Can't assign to lists" is reported and this
    // list is unchanged.
    void operator=(const RTFBLK_LIST&);
    ~RTFBLK_LIST() { clear(); }

    // Destroys every block (with its holder); the list is empty after.
    void clear();
    // Appends a copy of every block of `source`, in order.
    void deep_copy(const RTFBLK_LIST* source);
};

// An iterator over a block list: the engine's iterator with typed operations.
class PW_EXPORT RTFBLK_IT : public ELIST_ITERATOR {
public:
    RTFBLK_IT() = default;
    // Bound to `list` and placed on its first block (null for an empty list).
    explicit RTFBLK_IT(RTFBLK_LIST* list) : ELIST_ITERATOR(list) {}

    RTFBLK* data() { return static_cast<RTFBLK*>(ELIST_ITERATOR::data()); }
    RTFBLK* data_relative(char distance) {
        return static_cast<RTFBLK*>(ELIST_ITERATOR::data_relative((signed char)distance));
    }
    RTFBLK* forward() { return static_cast<RTFBLK*>(ELIST_ITERATOR::forward()); }
    RTFBLK* move_to_first() { return static_cast<RTFBLK*>(ELIST_ITERATOR::move_to_first()); }
    RTFBLK* move_to_last() { return static_cast<RTFBLK*>(ELIST_ITERATOR::move_to_last()); }
    RTFBLK* extract() { return static_cast<RTFBLK*>(ELIST_ITERATOR::extract()); }
    void add_before_stay_put(RTFBLK* block) { ELIST_ITERATOR::add_before_stay_put(block); }
    void add_after_then_move(RTFBLK* block) { ELIST_ITERATOR::add_after_then_move(block); }
    void add_to_end(RTFBLK* block) { ELIST_ITERATOR::add_to_end(block); }
};

// The pixel size of a region at `resolution` dpi (same on both axes), measured
// from the same origin as the region's own space. Always returns 0; a region
// without a rectangle measures 0 x 0.
PW_EXPORT int region_extent(ETYPEDREGION* region, float resolution, int* width, int* height);

// Sort order of blocks (ELIST::sort: each argument points at a block pointer):
// smaller region order key first, then smaller block id. A block without a
// region sorts as key 0.
PW_EXPORT int compare_blocks(const void* a, const void* b);

// ---------------------------------------------------------------- tone steps
// In place on DIB memory: `rows` rows of `width` pixels, `stride` bytes apart.
// rows and width are taken as 16-bit unsigned values. Only 8-bit (one sample a
// pixel) and 24-bit (blue, green, red) images are changed; other depths pass.
// None of them allocates.

// Stretches the range of samples present to 0..255. 24-bit images are measured
// and stretched on the green byte, and the same change is added to blue and
// red. An image whose samples are all equal is left unchanged.
PW_EXPORT void auto_levels(unsigned char* pixels, int bits, int rows, int width, int stride);

// Adds `brightness` and a sine-shaped contrast curve of amplitude `contrast`
// (24-bit: decided on green, added to all three bytes). Shows the wait cursor
// while it works; both values 0 change nothing.
PW_EXPORT void tone_curve(unsigned char* pixels, int bits, int rows, int width, int stride,
                          int brightness, int contrast);

// Snaps samples above 225 to 255 and below 20 to 0. For a 24-bit colour image
// (`colour` true) a pixel changes only when all three bytes pass the threshold;
// otherwise every byte is a sample of its own (8-bit images always are).
PW_EXPORT void clip_extremes(unsigned char* pixels, int bits, int rows, int width, int stride,
                             bool colour);
