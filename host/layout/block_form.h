// The bitmap in which a region is asked for when one region is rendered on its
// own (lucentra metafile): the printer destination's rules for a colour printer
// at page scale 1 and base resolution `base_resolution`:
//   line art (3101)          1 bit at 300 dpi
//   gray photo (3104), and
//   a page region (3004) without colour   8 bits gray (4 without `deep`)
//   palette image (3106)     8 bits with a palette, at the base resolution
//                            when it is above 150 dpi, else twice that
//   anything else            24 bits colour (8 without `deep`)
// The size is the region's rectangle at that resolution, rounded as the
// destination rounds it.
#pragma once

#include <memory>

#include "kel/holders.h"
#include "kel/objects.h"

namespace lucentra {

struct BitmapForm {
    int width = 0, height = 0;  // pixels
    int bits = 0;
    int type = -1;              // BMT_PALETTE, or -1: what the depth implies
    float resolution = 0;       // dots per inch
};

BitmapForm block_bitmap_form(ETYPEDREGION& region, float base_resolution, bool deep);

// A bitmap of that form, padded and clipped as the destination sets up the
// bitmaps it keeps (line padding 2, clip value 255). The caller owns it.
std::unique_ptr<EBITMAP> make_block_bitmap(const BitmapForm& form);

}  // namespace lucentra
