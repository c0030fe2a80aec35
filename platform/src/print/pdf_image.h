// DIB pixels into cairo image surfaces for the PDF device: one conversion, straight
// from the caller's rows into the surface cairo keeps until the page is written.
#pragma once

#include <cstdint>
#include <functional>

#include "pw/device.h"

typedef struct _cairo_surface cairo_surface_t;

namespace pw::print {

// The colour of table entry i as 0x00RRGGBB; entries missing from a short table
// are black.
uint32_t table_rgb(const DibView& dib, int i);

// True for a 1-bit DIB whose two colours are black and white (in either order);
// `black_index` receives the index of black.
bool is_black_and_white(const DibView& dib, int* black_index);

// The picture rectangle `src` (y from the top) as an RGB24 surface, inverted when
// `invert`. Gray pictures stay r = g = b, which cairo writes as DeviceGray.
// Null when memory is short or `keep_going` (asked between strips of rows) says stop.
cairo_surface_t* dib_to_rgb(const DibView& dib, const DeviceRect& src, bool invert,
                            const std::function<bool()>& keep_going);

// A 1-bit DIB's rectangle as an A1 mask, opaque where the pixel's index is `index`.
cairo_surface_t* dib_to_stencil(const DibView& dib, const DeviceRect& src, int index,
                                const std::function<bool()>& keep_going);

}  // namespace pw::print
