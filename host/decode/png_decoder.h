// PNG input: gray, RGB and palette images of 1 to 16 bits, with or without alpha
// (composed onto white), interlaced or not. Resolution from the pHYs chunk.
//
// Rows are decoded one at a time as they are read. Interlaced (Adam7) files are
// the exception: their rows only exist after the last pass, so the first read
// decodes the whole image into one buffer of width x height x channels bytes.
#pragma once

#include <memory>
#include <string>

#include "decode/image.h"

namespace lucentra {

// Called by open_image() once the signature said PNG.
std::unique_ptr<ImageFile> open_png(const std::string& path, const DecodeOptions& options);

}  // namespace lucentra
