// DIB pixels as PDF image objects for the PDF device: one conversion, straight
// from the caller's rows into the compressed stream (see pdf_flate.h), with no
// copy of the picture in between.
//
// Forms: 24- and 32-bit DIBs become DeviceRGB; DIBs with a colour table whose
// colours are all gray become DeviceGray (8 bits a pixel); other colour tables
// become an /Indexed colour space over the table (8 bits a pixel); a 1-bit
// black-and-white DIB can become a 1-bit stencil mask (/ImageMask).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "print/pdf_flate.h"
#include "pw/device.h"

namespace pw::print {

// The colour of table entry i as 0x00RRGGBB; entries missing from a short table
// are black.
uint32_t table_rgb(const DibView& dib, int i);

// True for a 1-bit DIB whose two colours are black and white (in either order);
// `black_index` receives the index of black.
bool is_black_and_white(const DibView& dib, int* black_index);

// An image XObject: the dictionary's entries (without /Length) and its data.
struct PdfImage {
    std::string dict;
    FlateStream data;
};

// The picture rectangle `src` (y from the top) as a colour or gray image, its
// colours inverted when `invert`. False when memory is short or `keep_going`
// (asked between chunks of rows) says stop.
bool encode_image(const DibView& dib, const DeviceRect& src, bool invert, const std::function<bool()>& keep_going,
                  PdfImage* out);

// A 1-bit DIB's rectangle as a stencil mask that paints where the pixel's index
// is `index`.
bool encode_stencil(const DibView& dib, const DeviceRect& src, int index, const std::function<bool()>& keep_going,
                    PdfImage* out);

}  // namespace pw::print
