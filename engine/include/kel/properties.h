// Numbered properties of a destination (EOBJECT::Get / Set), as the engine and
// the printer destination use them.
#pragma once

#include <cstdint>

#include "kel/geometry.h"

enum : int {
    PROP_DEFAULT_RES = 1075,     // flag: photographs at the default resolution
    PROP_BRIGHTNESS = 1091,      // tone settings, 16-bit each
    PROP_CONTRAST = 1092,
    PROP_CLIP_EXTREMES = 1093,
    PROP_COPY_RESERVED = 1094,
    PROP_BASE_VERSION = 1200,    // answered by the chained destination base
    PROP_LARGE_ICON = 1500,      // icon handles
    PROP_SMALL_ICON = 1501,
    PROP_KIND = 3000,
    PROP_FLAG_3010 = 3010,
    PROP_BITMAP_RES = 3012,      // dots per inch, 12 to 9600 (3014 the same)
    PROP_BITMAP_RES_2 = 3014,
    PROP_SCALING = 3015,         // page scaling: percent on Get, a record on Set (3016 the same)
    PROP_SCALING_2 = 3016,
    PROP_DEEP_BITMAPS = 3017,    // flag: more bits per sample
    PROP_PRINT_SETUP = 3200,     // runs the Print Setup dialog
    PROP_PRINTER_NAME = 3201,    // text: the printer to print on
};

// The page-scaling record given by pointer with properties 3015 and 3016.
struct PAGE_SCALING_RECORD {
    int32_t mode;          // 1 actual size, 2 fit to the printable area, other: percentage
    float percent;         // the custom percentage
    ERECTANGLE rectangle;  // not used by the printer destination
};
