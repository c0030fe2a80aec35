// How the block unit writes the engine log: source "rtfblk", the line of the
// call, and the classification of internal errors and unexpected results
// (label 9, show 1, action 2, detail 2). Returns the code it is given, so a
// failing operation reports and returns in one step.
#pragma once

#include "kel/errlog.h"

#define RTFBLK_LOG(code, ...) err.log((code), "rtfblk", __LINE__, 9, 1, 2, 2, __VA_ARGS__)

namespace rtfblk_detail {

// Bytes from one row of a DIB to the next: whole 32-bit words.
inline long dib_stride(long width, int bits) { return ((width * bits + 31) / 32) * 4; }

}  // namespace rtfblk_detail
