#include "print/pdf_image.h"

#include <cairo.h>

#include <cstring>

namespace pw::print {
namespace {

constexpr int kStrip = 256;  // rows between two calls of the abort procedure
constexpr bool kFirstBit = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;

int index_at(const DibView& dib, const uint8_t* row, int x) {
    switch (dib.bit_count) {
        case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case 4: return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
        default: return row[x];
    }
}

cairo_surface_t* new_surface(cairo_format_t format, int w, int h) {
    cairo_surface_t* s = cairo_image_surface_create(format, w, h);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    return s;
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

cairo_surface_t* dib_to_rgb(const DibView& dib, const DeviceRect& src, bool invert,
                            const std::function<bool()>& keep_going) {
    const int w = src.width(), h = src.height();
    cairo_surface_t* s = new_surface(CAIRO_FORMAT_RGB24, w, h);
    if (!s) return nullptr;
    cairo_surface_flush(s);
    uint8_t* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    const uint32_t flip = invert ? 0xFFFFFF : 0;
    uint32_t table[256];
    if (dib.bit_count <= 8) {
        for (int i = 0; i < 256; ++i) table[i] = table_rgb(dib, i) ^ flip;
    }
    for (int y = 0; y < h; ++y) {
        if (y % kStrip == 0 && y > 0 && keep_going && !keep_going()) {
            cairo_surface_destroy(s);
            return nullptr;
        }
        const uint8_t* in = dib.row(src.top + y);
        auto* out = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(stride) * y);
        if (dib.bit_count == 24 || dib.bit_count == 32) {
            const int step = dib.bit_count / 8;
            const uint8_t* p = in + static_cast<size_t>(src.left) * step;
            for (int x = 0; x < w; ++x, p += step) {
                out[x] = ((uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0]) ^ flip;
            }
        } else if (dib.bit_count == 8) {
            const uint8_t* p = in + src.left;
            for (int x = 0; x < w; ++x) out[x] = table[p[x]];
        } else {
            for (int x = 0; x < w; ++x) out[x] = table[index_at(dib, in, src.left + x)];
        }
    }
    cairo_surface_mark_dirty(s);
    return s;
}

cairo_surface_t* dib_to_stencil(const DibView& dib, const DeviceRect& src, int index,
                                const std::function<bool()>& keep_going) {
    const int w = src.width(), h = src.height();
    cairo_surface_t* s = new_surface(CAIRO_FORMAT_A1, w, h);
    if (!s) return nullptr;
    cairo_surface_flush(s);
    uint8_t* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < h; ++y) {
        if (y % kStrip == 0 && y > 0 && keep_going && !keep_going()) {
            cairo_surface_destroy(s);
            return nullptr;
        }
        const uint8_t* in = dib.row(src.top + y);
        // A1 pixels are packed into native 32-bit words: the first pixel is the lowest
        // bit on little-endian machines and the highest on big-endian ones.
        auto* out = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(stride) * y);
        std::memset(out, 0, static_cast<size_t>(stride));
        for (int x = 0; x < w; ++x) {
            const int sx = src.left + x;
            if (((in[sx >> 3] >> (7 - (sx & 7))) & 1) == index) out[x >> 5] |= kFirstBit ? 1u << (x & 31) : 0x80000000u >> (x & 31);
        }
    }
    cairo_surface_mark_dirty(s);
    return s;
}

}  // namespace pw::print
