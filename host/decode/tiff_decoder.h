// TIFF input: every page (directory) of a file; bilevel CCITT G3/G4 and RLE,
// LZW, Deflate, PackBits, JPEG (YCbCr included) or uncompressed; gray, RGB,
// palette and CMYK; 1 to 16 bits a sample; strips or tiles, contiguous or
// separate planes; alpha composed onto white. Resolution from the resolution tags
// (non-square ones such as 204 x 196 kept per axis).
//
// Memory while reading: one decoded scanline (strips) or one row of tiles, plus
// libtiff's compressed strip or tile; never the decoded page.
#pragma once

#include <memory>
#include <string>

#include "decode/image.h"

namespace lucentra {

std::unique_ptr<ImageFile> open_tiff(const std::string& path, const DecodeOptions& options);

}  // namespace lucentra
