#include "print/pdf_image.h"

#include <cstdint>
#include <cstring>

#include "print/pdf_writer.h"

namespace pw::print {
namespace {

int index_at(const DibView& dib, const uint8_t* row, int x) {
    switch (dib.bit_count) {
        case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case 4: return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
        default: return row[x];
    }
}

std::string flate_entries(int colours, int bits, int columns) {
    std::string s = " /Filter /FlateDecode /DecodeParms <</Predictor 12 /Colors " + std::to_string(colours) +
                    " /BitsPerComponent " + std::to_string(bits) + " /Columns " + std::to_string(columns) + ">>";
    return s;
}

std::string size_entries(const DeviceRect& src) {
    return "/Type /XObject /Subtype /Image /Width " + std::to_string(src.width()) + " /Height " +
           std::to_string(src.height());
}

}  // namespace

uint32_t table_rgb(const DibView& dib, int i) {
    if (!dib.colors || i < 0 || i >= dib.num_colors) return 0;
    const RGBQUAD& q = dib.colors[i];
    return (uint32_t{q.rgbRed} << 16) | (uint32_t{q.rgbGreen} << 8) | q.rgbBlue;
}

bool is_black_and_white(const DibView& dib, int* black_index) {
    if (dib.bit_count != 1 || dib.num_colors < 2) return false;
    uint32_t a = table_rgb(dib, 0), b = table_rgb(dib, 1);
    if (a == 0x000000 && b == 0xFFFFFF) {
        *black_index = 0;
        return true;
    }
    if (a == 0xFFFFFF && b == 0x000000) {
        *black_index = 1;
        return true;
    }
    return false;
}

bool encode_image(const DibView& dib, const DeviceRect& src, bool invert, const std::function<bool()>& keep_going,
                  PdfImage* out) {
    const int w = src.width(), h = src.height();
    out->dict = size_entries(src) + " /BitsPerComponent 8";
    if (dib.bit_count == 24 || dib.bit_count == 32) {
        const size_t step = static_cast<size_t>(dib.bit_count / 8);
        out->dict += " /ColorSpace /DeviceRGB";
        if (invert) out->dict += " /Decode [1 0 1 0 1 0]";
        out->dict += flate_entries(3, 8, w);
        return deflate_rows_up(
            h, static_cast<size_t>(w) * 3,
            [&](int y, uint8_t* o) {
                const uint8_t* p = dib.row(src.top + y) + static_cast<size_t>(src.left) * step;
                // Blue, green, red to red, green, blue through one byte-swapped
                // word a pixel; the word's fourth byte belongs to the next pixel
                // (written over next), so the last pixel goes byte by byte.
                for (int x = 0; x + 1 < w; ++x, p += step, o += 3) {
                    uint32_t v;
                    std::memcpy(&v, p, 4);
                    v = __builtin_bswap32(v) >> 8;
                    std::memcpy(o, &v, 4);
                }
                o[0] = p[2];
                o[1] = p[1];
                o[2] = p[0];
            },
            keep_going, &out->data);
    }

    uint32_t table[256];
    bool gray = true;
    for (int i = 0; i < 256; ++i) {
        table[i] = table_rgb(dib, i) ^ (invert ? 0xFFFFFFu : 0u);
        gray = gray && ((table[i] >> 16) & 0xFF) == (table[i] & 0xFF) && ((table[i] >> 8) & 0xFF) == (table[i] & 0xFF);
    }
    const bool identity = gray && dib.bit_count == 8 && [&] {
        for (int i = 0; i < 256; ++i)
            if ((table[i] & 0xFF) != static_cast<uint32_t>(i)) return false;
        return true;
    }();
    uint8_t value[256];
    if (gray) {
        out->dict += " /ColorSpace /DeviceGray";
        for (int i = 0; i < 256; ++i) value[i] = static_cast<uint8_t>(table[i] & 0xFF);
        out->dict += flate_entries(1, 8, w);
    } else {
        const int entries = 1 << dib.bit_count;
        std::string palette;
        static const char digits[] = "0123456789ABCDEF";
        for (int i = 0; i < entries; ++i)
            for (int shift = 20; shift >= 0; shift -= 4) palette.push_back(digits[(table[i] >> shift) & 0xF]);
        out->dict += " /ColorSpace [/Indexed /DeviceRGB " + std::to_string(entries - 1) + " <" + palette + ">]";
        for (int i = 0; i < 256; ++i) value[i] = static_cast<uint8_t>(i);
        out->dict += flate_entries(1, 8, w);
    }
    return deflate_rows_up(
        h, static_cast<size_t>(w),
        [&](int y, uint8_t* o) {
            const uint8_t* row = dib.row(src.top + y);
            if (identity) {
                std::memcpy(o, row + src.left, static_cast<size_t>(w));
            } else if (dib.bit_count == 8) {
                const uint8_t* p = row + src.left;
                for (int x = 0; x < w; ++x) o[x] = value[p[x]];
            } else {
                for (int x = 0; x < w; ++x) o[x] = value[index_at(dib, row, src.left + x)];
            }
        },
        keep_going, &out->data);
}

bool encode_stencil(const DibView& dib, const DeviceRect& src, int index, const std::function<bool()>& keep_going,
                    PdfImage* out) {
    const int w = src.width(), h = src.height();
    const size_t bytes = (static_cast<size_t>(w) + 7) / 8;
    // A sample of 1 paints: the rows hold 1 where the pixel's index is `index`.
    out->dict = size_entries(src) + " /ImageMask true /BitsPerComponent 1 /Decode [1 0]" + flate_entries(1, 1, w);
    const uint8_t flip = index == 1 ? 0x00 : 0xFF;
    return deflate_rows_up(
        h, bytes,
        [&](int y, uint8_t* o) {
            const uint8_t* in = dib.row(src.top + y);
            if ((src.left & 7) == 0) {
                const uint8_t* p = in + src.left / 8;
                for (size_t i = 0; i < bytes; ++i) o[i] = p[i] ^ flip;
            } else {
                std::memset(o, 0, bytes);
                for (int x = 0; x < w; ++x) {
                    const int sx = src.left + x;
                    if (((in[sx >> 3] >> (7 - (sx & 7))) & 1) == index) o[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
                }
            }
        },
        keep_going, &out->data);
}

}  // namespace pw::print
