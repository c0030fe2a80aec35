// StretchDIBits at the DC: validates the DIB, maps the destination to device
// pixels, normalises mirroring and clips the source to the picture, then hands
// the call to the device (falling back when the device cannot do it).
#include "gdi/dc.h"
#include "gdi/fallback.h"

#include <algorithm>
#include <cstdint>

using namespace pw;
using namespace pw::gdi;

namespace {

// Device coordinates beyond this are "far outside" any device: refused
// before any arithmetic on them can overflow.
constexpr long long kMaxDeviceCoord = 1LL << 28;

// Clips the source span [s0, s1) to [0, limit) and moves the matching
// destination span [d0, d1) with it. `flip`: the source runs right to left
// across the destination. Returns false when nothing is left.
bool clip_axis(long long& s0, long long& s1, long long limit, long long& d0, long long& d1,
               bool flip) {
    const long long S = s1 - s0, D = d1 - d0;
    long long c0 = std::max(s0, 0LL), c1 = std::min(s1, limit);
    if (c1 <= c0) return false;
    if (c0 == s0 && c1 == s1) return true;
    long long cut_lo = c0 - s0, cut_hi = s1 - c1; // source pixels cut at each end
    long long dlo = (cut_lo * D + S / 2) / S, dhi = (cut_hi * D + S / 2) / S;
    if (flip) std::swap(dlo, dhi);
    d0 += dlo;
    d1 -= dhi;
    s0 = c0;
    s1 = c1;
    return d1 > d0;
}

int stretch(HDC dc, int x_dst, int y_dst, int w_dst, int h_dst, int x_src, int y_src, int w_src,
            int h_src, const void* bits, size_t bits_size, const BITMAPINFO* info,
            size_t info_size, UINT usage, DWORD rop) {
    DcObject* d = find_dc(dc);
    if (!d) return 0;
    StretchDibCall call;
    if (!make_dib_view(info, info_size, bits, bits_size, usage, &call.dib)) return GDI_ERROR;
    if (w_dst == 0 || h_dst == 0 || w_src == 0 || h_src == 0) return 0;

    // DIB_PAL_COLORS: the table holds indices into the selected palette.
    std::vector<RGBQUAD> resolved;
    if (usage == DIB_PAL_COLORS && call.dib.bit_count <= 8) {
        const auto* idx = reinterpret_cast<const WORD*>(
            reinterpret_cast<const uint8_t*>(info) + info->bmiHeader.biSize);
        const auto& pal = d->palette->data.entries;
        for (int i = 0; i < call.dib.num_colors; ++i) {
            PALETTEENTRY e = idx[i] < pal.size() ? pal[idx[i]] : PALETTEENTRY{0, 0, 0, 0};
            resolved.push_back(RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0});
        }
        call.dib.colors = resolved.data();
    }

    call.x_dst = x_dst; call.y_dst = y_dst; call.w_dst = w_dst; call.h_dst = h_dst;
    call.x_src = x_src; call.y_src = y_src; call.w_src = w_src; call.h_src = h_src;
    call.usage = usage;
    call.rop = rop;
    call.stretch_mode = d->stretch_mode;
    call.brush = d->brush ? d->brush->color : RGB(255, 255, 255);

    // Destination corners in device pixels.
    long long dx0 = d->dev_x(x_dst), dx1 = d->dev_x(static_cast<long long>(x_dst) + w_dst);
    long long dy0 = d->dev_y(y_dst), dy1 = d->dev_y(static_cast<long long>(y_dst) + h_dst);
    for (long long v : {dx0, dx1, dy0, dy1})
        if (v < -kMaxDeviceCoord || v > kMaxDeviceCoord) return GDI_ERROR;
    if (dx0 == dx1 || dy0 == dy1) return 0;
    const bool flip_x = (dx1 < dx0) != (w_src < 0);
    const bool flip_y = (dy1 < dy0) != (h_src < 0);

    // Source span in picture pixels, y counted from the top row.
    long long sx0 = std::min<long long>(x_src, static_cast<long long>(x_src) + w_src);
    long long sx1 = std::max<long long>(x_src, static_cast<long long>(x_src) + w_src);
    long long sy0, sy1;
    long long a = y_src, b = static_cast<long long>(y_src) + h_src;
    if (call.dib.top_down) {
        sy0 = std::min(a, b);
        sy1 = std::max(a, b);
    } else {
        // Bottom-up: y counts rows from the bottom of the picture.
        sy0 = call.dib.height - std::max(a, b);
        sy1 = call.dib.height - std::min(a, b);
    }
    long long ddx0 = std::min(dx0, dx1), ddx1 = std::max(dx0, dx1);
    long long ddy0 = std::min(dy0, dy1), ddy1 = std::max(dy0, dy1);
    if (!clip_axis(sx0, sx1, call.dib.width, ddx0, ddx1, flip_x)) return 0;
    if (!clip_axis(sy0, sy1, call.dib.height, ddy0, ddy1, flip_y)) return 0;
    call.src = DeviceRect{static_cast<int>(sx0), static_cast<int>(sy0), static_cast<int>(sx1),
                          static_cast<int>(sy1)};
    call.dst = DeviceRect{static_cast<int>(ddx0), static_cast<int>(ddy0), static_cast<int>(ddx1),
                          static_cast<int>(ddy1)};
    call.flip_x = flip_x;
    call.flip_y = flip_y;

    int lines = 0;
    DrawStatus status;
    try {
        status = d->device->stretch_dib(call, &lines);
        if (status == DrawStatus::unsupported) status = fallback_stretch(*d->device, call, &lines);
    } catch (...) {
        status = DrawStatus::failed;
    }
    if (status != DrawStatus::done) return GDI_ERROR;
    return lines;
}

} // namespace

extern "C" {

int WINAPI StretchDIBits(HDC dc, int x_dst, int y_dst, int w_dst, int h_dst, int x_src, int y_src,
                         int w_src, int h_src, const void* bits, const BITMAPINFO* info,
                         UINT usage, DWORD rop) {
    return stretch(dc, x_dst, y_dst, w_dst, h_dst, x_src, y_src, w_src, h_src, bits, 0, info, 0,
                   usage, rop);
}

int WINAPI pw_StretchDIBitsChecked(HDC dc, int x_dst, int y_dst, int w_dst, int h_dst, int x_src,
                                   int y_src, int w_src, int h_src, const void* bits,
                                   size_t bits_size, const BITMAPINFO* info, size_t info_size,
                                   UINT usage, DWORD rop) {
    // Zero sizes mean "unknown" inside; here they can only mean "no memory".
    if (bits_size == 0 || info_size == 0) return GDI_ERROR;
    return stretch(dc, x_dst, y_dst, w_dst, h_dst, x_src, y_src, w_src, h_src, bits, bits_size,
                   info, info_size, usage, rop);
}

int WINAPI SetStretchBltMode(HDC dc, int mode) {
    DcObject* d = find_dc(dc);
    if (!d || mode < BLACKONWHITE || mode > HALFTONE) return 0;
    int previous = d->stretch_mode;
    d->stretch_mode = mode;
    d->notify(StateChange::stretch_mode, mode);
    return previous;
}

int WINAPI GetStretchBltMode(HDC dc) {
    DcObject* d = find_dc(dc);
    return d ? d->stretch_mode : 0;
}

} // extern "C"
