// What the DC does when a device answers DrawStatus::unsupported: the
// operation is rasterised, in bands of at most kFallbackBand rows, into a
// small 24-bit raster tile that starts white, and each band is handed to the
// device again as a plain top-down 24-bit DIB drawn 1:1 with SRCCOPY (for
// StretchDIBits) or as a 1-bit mask {brush colour, white} drawn with SRCAND
// (for paths). Raster operations that read the destination therefore see
// white paper, which is what a page that is being produced mostly is.
#pragma once

#include "pw/device.h"

namespace pw::gdi {

constexpr int kFallbackBand = 256;

DrawStatus fallback_stretch(Device& device, const StretchDibCall& call, int* lines);
DrawStatus fallback_fill(Device& device, const FillPathCall& call);

} // namespace pw::gdi
