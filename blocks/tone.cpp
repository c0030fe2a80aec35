// Tone steps on DIB memory, in place: automatic levels, brightness with a sine
// contrast curve, and clipping of extremes.
//
// Every per-sample computation is a function of one byte (or of the green byte
// and one more), so each step first fills a small table on the stack and then
// makes one pass of lookups over the image: no allocation, no floating point
// per pixel, and the sine evaluated 256 times per call. The passes over rows
// are the kernels of tone_kernels.cpp.
#include <cmath>
#include <cstdint>

#include "pw/user.h"
#include "rtfblk.h"
#include "tone_kernels.h"

namespace {

struct Geometry {
    unsigned rows;
    unsigned width;
    int stride;
    int bytes_per_pixel;
};

// Rows and width are 16-bit unsigned values. False when there is nothing to do
// or the rows would overlap (a stride shorter than a row).
bool geometry(unsigned char* pixels, int bits, int rows, int width, int stride, Geometry* g) {
    if (!pixels || (bits != 8 && bits != 24)) return false;
    g->rows = (uint16_t)rows;
    g->width = (uint16_t)width;
    g->stride = stride;
    g->bytes_per_pixel = bits / 8;
    if (g->rows == 0 || g->width == 0) return false;
    const long row_bytes = (long)g->width * g->bytes_per_pixel;
    return g->rows == 1 || stride >= row_bytes;
}

inline int clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// Adds change[g] to the three bytes of every 24-bit pixel, g being its green
// byte, clamping to 0..255. The change is split into what is added and what is
// taken away, so the row kernels can use saturating byte arithmetic.
void add_by_green(unsigned char* pixels, const Geometry& g, const int change[256]) {
    uint8_t up[256], down[256];
    for (int v = 0; v < 256; ++v) {
        const int d = change[v];
        up[v] = (uint8_t)(d > 0 ? (d > 255 ? 255 : d) : 0);
        down[v] = (uint8_t)(d < 0 ? (d < -255 ? 255 : -d) : 0);
    }
    for (unsigned y = 0; y < g.rows; ++y) tone_kernels::add_by_green(pixels + (long)y * g.stride, g.width, up, down);
}

// Replaces every sample v of an 8-bit image by map[v].
void map_samples(unsigned char* pixels, const Geometry& g, const uint8_t map[256]) {
    for (unsigned y = 0; y < g.rows; ++y) tone_kernels::map_bytes(pixels + (long)y * g.stride, g.width, map);
}

}  // namespace

void auto_levels(unsigned char* pixels, int bits, int rows, int width, int stride) {
    Geometry g;
    if (!geometry(pixels, bits, rows, width, stride, &g)) return;

    int lo = 255, hi = 0;
    for (unsigned y = 0; y < g.rows; ++y) {
        const unsigned char* row = pixels + (long)y * g.stride;
        // Separate loops so the 8-bit one vectorises.
        if (g.bytes_per_pixel == 1) {
            unsigned char rlo = 255, rhi = 0;
            for (unsigned x = 0; x < g.width; ++x) {
                rlo = row[x] < rlo ? row[x] : rlo;
                rhi = row[x] > rhi ? row[x] : rhi;
            }
            lo = rlo < lo ? rlo : lo;
            hi = rhi > hi ? rhi : hi;
        } else {
            tone_kernels::green_range(row, g.width, &lo, &hi);
        }
    }
    // All samples equal: there is no range to stretch (and 0 / 0 to avoid).
    if (hi <= lo) return;
    const double range = hi - lo;

    if (g.bytes_per_pixel == 1) {
        uint8_t map[256];
        for (int v = 0; v < 256; ++v) map[v] = (uint8_t)clamp255((int)((v - lo) / range * 255.0));
        map_samples(pixels, g, map);
    } else {
        int change[256];
        for (int v = 0; v < 256; ++v) change[v] = (int)((v - lo) / range * 255.0) - v;
        add_by_green(pixels, g, change);
    }
}

void tone_curve(unsigned char* pixels, int bits, int rows, int width, int stride, int brightness,
                int contrast) {
    const int b = (int16_t)brightness;
    const int c = (int16_t)contrast;
    int table[256] = {};
    if (b == 0 && c == 0) return;
    if (c != 0)
        for (int i = 0; i < 256; ++i) table[i] = (int)(c * std::sin(i * 0.0245 - 3.14));

    HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    Geometry g;
    if (geometry(pixels, bits, rows, width, stride, &g)) {
        if (g.bytes_per_pixel == 1) {
            uint8_t map[256];
            for (int v = 0; v < 256; ++v) map[v] = (uint8_t)clamp255(v + table[v] + b);
            map_samples(pixels, g, map);
        } else {
            int change[256];
            for (int v = 0; v < 256; ++v) change[v] = table[v] + b;
            add_by_green(pixels, g, change);
        }
    }
    SetCursor(previous);
}

void clip_extremes(unsigned char* pixels, int bits, int rows, int width, int stride, bool colour) {
    Geometry g;
    if (!geometry(pixels, bits, rows, width, stride, &g)) return;
    if (g.bytes_per_pixel == 3 && colour) {
        // Near-white when all three bytes are above 225, near-black when all
        // three are below 20; the thresholds themselves stay.
        for (unsigned y = 0; y < g.rows; ++y) tone_kernels::clip_pixels(pixels + (long)y * g.stride, g.width);
        return;
    }
    // Per sample: gray images, and 8-bit images of any type (their rows hold one
    // byte a pixel, so a three-byte walk would run past the image).
    const unsigned samples = g.width * (unsigned)g.bytes_per_pixel;
    for (unsigned y = 0; y < g.rows; ++y) {
        unsigned char* p = pixels + (long)y * g.stride;
        for (unsigned x = 0; x < samples; ++x) {
            const unsigned char v = p[x];
            p[x] = v > 225 ? 255 : (v < 20 ? 0 : v);
        }
    }
}
