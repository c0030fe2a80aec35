// Helpers shared by the decoders: size checks, resolution choice and the sample
// conversions into the canonical row form (see image.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "decode/image.h"

namespace lucentra {

// "<path>: <what>" (or "<path>, page N: <what>" for files of several pages, page
// counted from 1 when page_index >= 0).
std::string decode_message(const std::string& path, int page_index, const std::string& what);

// Throws DecodeError unless width x height is a page the limits admit. Called with
// the header's numbers before any buffer of that size exists.
void check_page_size(const std::string& path, int page_index, int64_t width, int64_t height,
                     const DecodeLimits& limits);

// Fills info.xres / yres / res_from_file from what the file states (0 or less: not
// stated). A file that states only one axis gets it for both; values outside the
// believable range count as not stated; without any, options.fallback_dpi.
void choose_resolution(PageInfo& info, double file_xres, double file_yres, const DecodeOptions& options);

// Composes a sample with its alpha onto white: v * a + 255 * (1 - a), rounded.
inline uint8_t over_white(unsigned v, unsigned alpha) {
    return (uint8_t)((v * alpha + 255u * (255u - alpha) + 127u) / 255u);
}

// Scales a sample of `bits` bits (1, 2, 4) to 0..255.
inline uint8_t widen_sample(unsigned v, int bits) {
    return (uint8_t)(v * 255u / ((1u << bits) - 1u));
}

// Reads sample `index` of a row packed MSB-first with `bits` bits a sample (1, 2,
// 4, 8; 16-bit samples are native-endian uint16_t and give their high byte).
inline unsigned packed_sample(const uint8_t* row, size_t index, int bits) {
    switch (bits) {
    case 8:
        return row[index];
    case 16:
        return reinterpret_cast<const uint16_t*>(row)[index] >> 8;
    default: {
        size_t bit = index * (size_t)bits;
        unsigned shift = 8u - (unsigned)bits - (unsigned)(bit & 7u);
        return (row[bit >> 3] >> shift) & ((1u << bits) - 1u);
    }
    }
}

// Whether three 8-bit components describe a gray.
inline bool is_gray(unsigned r, unsigned g, unsigned b) { return r == g && g == b; }

}  // namespace lucentra
