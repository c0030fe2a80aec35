// Turns resampled rows (8-bit gray or RGB) into the engine's line forms:
//
//   Rgb24     3 bytes a pixel: red, green, blue
//   Gray8     1 byte a pixel, 0 black .. 255 white
//   Gray4     2 pixels a byte, high nibble first, 0 black .. 15 white
//   Bilevel1  8 pixels a byte, most significant bit first, 1 white and 0 black
//             (entry 0 of a black-and-white colour table is black)
//   Palette8  1 byte a pixel: an index into the region's palette
//
// Gray4 and Bilevel1 spread the rounding error to the neighbours (Floyd-Steinberg,
// alternating direction line by line) when `diffuse` is set, which keeps the
// tones of photographs; otherwise they round (Gray4) or cut at mid-gray
// (Bilevel1), which keeps line art and text crisp. The error carried from line
// to line is why a packer has state: one packer serves one pass over a region.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "store/palette_map.h"

namespace lucentra {

enum class LineForm { Rgb24, Gray8, Gray4, Bilevel1, Palette8 };

// Bytes of one packed line of `width` pixels, without padding.
size_t packed_bytes(LineForm form, int width);

class LinePacker {
public:
    // `channels`: of the incoming rows (1 gray, 3 RGB). `palette` is needed for
    // Palette8 only and must outlive the packer.
    LinePacker(LineForm form, int width, int channels, bool diffuse, const PaletteMap* palette = nullptr);

    // Packs one row; writes exactly packed_bytes(form, width) bytes.
    void pack(const uint8_t* in, uint8_t* out);

private:
    // Gray level of pixel x of the incoming row.
    int gray(const uint8_t* in, int x) const {
        return channels_ == 1 ? in[x] : (77 * in[3 * x] + 150 * in[3 * x + 1] + 29 * in[3 * x + 2] + 128) >> 8;
    }
    // Quantises one line of gray levels to `levels` levels (2 or 16) into `levels_out`.
    void quantise(const uint8_t* in, int levels, uint8_t* levels_out);

    LineForm form_;
    int width_;
    int channels_;
    bool diffuse_;
    const PaletteMap* palette_;
    bool left_to_right_ = true;
    std::vector<float> error_this_, error_next_;  // width + 2 each, one guard cell a side
    std::vector<uint8_t> levels_;
};

}  // namespace lucentra
