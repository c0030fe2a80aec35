// JPEG input (baseline and progressive; gray, YCbCr/RGB, CMYK and YCCK).
// Resolution from the JFIF density when its unit is dots per inch or per
// centimetre. Rows are decoded scanline by scanline; progressive files make
// libjpeg keep the coefficients of the whole image, which the size limits bound.
// A file that ends early is an error, not a page padded with gray.
#pragma once

#include <memory>
#include <string>

#include "decode/image.h"

namespace lucentra {

std::unique_ptr<ImageFile> open_jpeg(const std::string& path, const DecodeOptions& options);

}  // namespace lucentra
