// Pixel-value helpers of the raster device, shared by its stretch, fill and
// blit code: colour conversion, row access per format and raster operations.
#pragma once

#include "pw/raster_device.h"

#include <cstdint>

namespace pw::gdi {

inline uint32_t gray_of(unsigned r, unsigned g, unsigned b) {
    return (299 * r + 587 * g + 114 * b + 500) / 1000;
}

// RGB packed as the bytes of a bgr24 pixel: blue in bits 0-7, green 8-15, red 16-23.
inline uint32_t pack_bgr(unsigned r, unsigned g, unsigned b) { return b | (g << 8) | (r << 16); }

// Mask of the bits a pixel value of `format` uses.
inline uint32_t value_mask(PixelFormat f) {
    switch (f) {
    case PixelFormat::mono1: return 0x1;
    case PixelFormat::index4: return 0xF;
    case PixelFormat::index8:
    case PixelFormat::gray8: return 0xFF;
    default: return 0xFFFFFF;
    }
}

// Converts colours to the pixel values of one device: direct for RGB and gray
// formats, by a gray lookup for mono, by nearest table colour for indices.
class ColorMapper {
public:
    ColorMapper(PixelFormat format, const std::vector<RGBQUAD>& table);
    uint32_t operator()(unsigned r, unsigned g, unsigned b) const {
        switch (format_) {
        case PixelFormat::bgr24:
        case PixelFormat::bgrx32: return pack_bgr(r, g, b);
        case PixelFormat::gray8: return gray_of(r, g, b);
        case PixelFormat::mono1: return mono_[gray_of(r, g, b)];
        default: return nearest(r, g, b);
        }
    }

private:
    uint32_t nearest(unsigned r, unsigned g, unsigned b) const;
    PixelFormat format_;
    const std::vector<RGBQUAD>& table_;
    uint8_t mono_[256];
};

// Truth-table evaluation of a ternary raster operation on pixel values; `code`
// is bits 16-23 of the ROP (bit index 4p + 2s + d gives the result).
inline uint32_t rop3(uint8_t code, uint32_t p, uint32_t s, uint32_t d) {
    uint32_t r = 0;
    for (int m = 0; m < 8; ++m) {
        if (!(code >> m & 1)) continue;
        r |= ((m & 4) ? p : ~p) & ((m & 2) ? s : ~s) & ((m & 1) ? d : ~d);
    }
    return r;
}

inline bool rop_uses_dest(uint8_t code) {
    return ((code >> 1) & 0x55) != (code & 0x55);
}
inline bool rop_uses_pattern(uint8_t code) { return (code >> 4) != (code & 0xF); }

// Reading and writing one pixel value at column x of a row.
template <PixelFormat F>
struct Px;

template <>
struct Px<PixelFormat::mono1> {
    static uint32_t get(const uint8_t* row, int x) { return row[x >> 3] >> (7 - (x & 7)) & 1; }
    static void put(uint8_t* row, int x, uint32_t v) {
        uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = (v & 1) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
    }
};
template <>
struct Px<PixelFormat::index4> {
    static uint32_t get(const uint8_t* row, int x) {
        return (x & 1) ? row[x >> 1] & 0xF : row[x >> 1] >> 4;
    }
    static void put(uint8_t* row, int x, uint32_t v) {
        uint8_t& b = row[x >> 1];
        b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (v & 0xF))
                    : static_cast<uint8_t>((b & 0x0F) | ((v & 0xF) << 4));
    }
};
template <>
struct Px<PixelFormat::index8> {
    static uint32_t get(const uint8_t* row, int x) { return row[x]; }
    static void put(uint8_t* row, int x, uint32_t v) { row[x] = static_cast<uint8_t>(v); }
};
template <>
struct Px<PixelFormat::gray8> : Px<PixelFormat::index8> {};
template <>
struct Px<PixelFormat::bgr24> {
    static uint32_t get(const uint8_t* row, int x) {
        const uint8_t* p = row + 3 * x;
        return p[0] | (p[1] << 8) | (p[2] << 16);
    }
    static void put(uint8_t* row, int x, uint32_t v) {
        uint8_t* p = row + 3 * x;
        p[0] = static_cast<uint8_t>(v);
        p[1] = static_cast<uint8_t>(v >> 8);
        p[2] = static_cast<uint8_t>(v >> 16);
    }
};
template <>
struct Px<PixelFormat::bgrx32> {
    static uint32_t get(const uint8_t* row, int x) {
        const uint8_t* p = row + 4 * x;
        return p[0] | (p[1] << 8) | (p[2] << 16);
    }
    static void put(uint8_t* row, int x, uint32_t v) {
        uint8_t* p = row + 4 * x;
        p[0] = static_cast<uint8_t>(v);
        p[1] = static_cast<uint8_t>(v >> 8);
        p[2] = static_cast<uint8_t>(v >> 16);
        p[3] = 0;
    }
};

// Calls f.template operator()<F>() with the format as a compile-time value.
template <class Fn>
decltype(auto) with_format(PixelFormat f, Fn&& fn) {
    switch (f) {
    case PixelFormat::mono1: return fn.template operator()<PixelFormat::mono1>();
    case PixelFormat::index4: return fn.template operator()<PixelFormat::index4>();
    case PixelFormat::index8: return fn.template operator()<PixelFormat::index8>();
    case PixelFormat::gray8: return fn.template operator()<PixelFormat::gray8>();
    case PixelFormat::bgr24: return fn.template operator()<PixelFormat::bgr24>();
    default: return fn.template operator()<PixelFormat::bgrx32>();
    }
}

// Applies a raster operation to `n` pixels of a device row starting at column
// x0, with source values `src` (one per pixel) and pattern value `pat`.
template <PixelFormat F>
void store_span(uint8_t* row, int x0, int n, const uint32_t* src, uint32_t pat, uint8_t code,
                uint32_t mask) {
    using P = Px<F>;
    switch (code) {
    case 0xCC: // SRCCOPY
        for (int i = 0; i < n; ++i) P::put(row, x0 + i, src[i]);
        break;
    case 0x88: // SRCAND
        for (int i = 0; i < n; ++i) P::put(row, x0 + i, src[i] & P::get(row, x0 + i));
        break;
    case 0xEE: // SRCPAINT
        for (int i = 0; i < n; ++i) P::put(row, x0 + i, src[i] | P::get(row, x0 + i));
        break;
    case 0x66: // SRCINVERT
        for (int i = 0; i < n; ++i) P::put(row, x0 + i, src[i] ^ P::get(row, x0 + i));
        break;
    case 0x33: // NOTSRCCOPY
        for (int i = 0; i < n; ++i) P::put(row, x0 + i, ~src[i] & mask);
        break;
    default:
        for (int i = 0; i < n; ++i)
            P::put(row, x0 + i, rop3(code, pat, src[i], P::get(row, x0 + i)) & mask);
        break;
    }
}

} // namespace pw::gdi
