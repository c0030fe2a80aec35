// PNM input: P1 and P4 (bitmap: 1 is black), P2 and P5 (gray), P3 and P6 (RGB),
// with any maxval from 1 to 65535. The format carries no resolution, so the
// fallback resolution applies. Only the first image of a file is read.
#pragma once

#include <memory>
#include <string>

#include "decode/image.h"

namespace lucentra {

std::unique_ptr<ImageFile> open_pnm(const std::string& path, const DecodeOptions& options);

}  // namespace lucentra
