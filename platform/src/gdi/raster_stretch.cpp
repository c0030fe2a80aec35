// StretchDIBits on the raster device.
//
// Per call: the destination is clipped to the page, one column map (which
// source columns feed each destination column) is built, and three row
// buffers are allocated; nothing is allocated per row. Each destination row
// is built from its source row(s) into pixel values of the device, then
// stored through the raster operation. Rows that repeat the previous row's
// source (enlarging) reuse the built values, and for a plain SRCCOPY on byte
// formats the previous destination row is copied.
#include "gdi/raster_pixels.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <type_traits>

namespace pw {
namespace {

using gdi::Px;

enum class Combine { none, and_, or_ };

// For each destination index in [c0, c1) of a span of `dn` pixels at d0, the
// first source index and how many source pixels fall on it.
struct AxisMap {
    std::vector<int32_t> start;
    std::vector<int32_t> count;
    bool multi = false;
};

void build_axis(AxisMap& m, int d0, int dn, int c0, int c1, int s0, int sn, bool flip,
                bool combine) {
    m.start.resize(static_cast<size_t>(c1 - c0));
    m.count.resize(static_cast<size_t>(c1 - c0));
    m.multi = false;
    const int64_t S = sn, D = dn;
    for (int d = c0; d < c1; ++d) {
        int64_t i = d - d0;
        if (flip) i = D - 1 - i;
        int64_t start, end;
        if (combine && S > D) {
            // Every source pixel belongs to exactly one destination pixel.
            start = (i * S + D - 1) / D;
            end = ((i + 1) * S + D - 1) / D;
        } else {
            // The source pixel under the destination pixel's centre.
            start = ((2 * i + 1) * S) / (2 * D);
            end = start + 1;
        }
        assert(start >= 0 && end <= S && end > start);
        m.start[static_cast<size_t>(d - c0)] = static_cast<int32_t>(s0 + start);
        m.count[static_cast<size_t>(d - c0)] = static_cast<int32_t>(end - start);
        if (end - start > 1) m.multi = true;
    }
}

// Source pixel fetchers: return the device pixel value of source pixel x.
struct FetchLut1 {
    const uint32_t* lut;
    uint32_t operator()(const uint8_t* r, int x) const { return lut[r[x >> 3] >> (7 - (x & 7)) & 1]; }
};
struct FetchLut4 {
    const uint32_t* lut;
    uint32_t operator()(const uint8_t* r, int x) const {
        return lut[(x & 1) ? r[x >> 1] & 0xF : r[x >> 1] >> 4];
    }
};
struct FetchLut8 {
    const uint32_t* lut;
    uint32_t operator()(const uint8_t* r, int x) const { return lut[r[x]]; }
};
template <int Bytes>
struct FetchRgbDirect {
    uint32_t operator()(const uint8_t* r, int x) const {
        const uint8_t* p = r + Bytes * x;
        return p[0] | (p[1] << 8) | (p[2] << 16);
    }
};
template <int Bytes>
struct FetchRgbMapped {
    const gdi::ColorMapper* map;
    uint32_t operator()(const uint8_t* r, int x) const {
        const uint8_t* p = r + Bytes * x;
        return (*map)(p[2], p[1], p[0]);
    }
};

template <class Fetch>
void build_row(uint32_t* out, const uint8_t* src_row, const AxisMap& xm, const Fetch& fetch,
               Combine op) {
    const size_t n = xm.start.size();
    const int32_t* xs = xm.start.data();
    if (!xm.multi || op == Combine::none) {
        for (size_t j = 0; j < n; ++j) out[j] = fetch(src_row, xs[j]);
        return;
    }
    const int32_t* xc = xm.count.data();
    for (size_t j = 0; j < n; ++j) {
        uint32_t v = fetch(src_row, xs[j]);
        for (int k = 1; k < xc[j]; ++k) {
            uint32_t w = fetch(src_row, xs[j] + k);
            v = op == Combine::and_ ? (v & w) : (v | w);
        }
        out[j] = v;
    }
}

struct Job {
    const StretchDibCall* call;
    DeviceRect clip; // destination pixels to write
    AxisMap xm, ym;
    Combine op;
    uint8_t code;
    uint32_t pat;
    uint32_t mask;
};


// The values of one destination row from its source rows: the first row,
// then the others ANDed or ORed in when shrinking with BLACKONWHITE / WHITEONBLACK.
template <class Fetch>
void build_rows(std::vector<uint32_t>& acc, std::vector<uint32_t>& tmp, const DibView& dib, int ys, int yc,
                const Job& job, const Fetch& fetch) {
    const size_t n = acc.size();
    build_row(acc.data(), dib.row(ys), job.xm, fetch, job.op);
    for (int k = 1; k < yc; ++k) {
        build_row(tmp.data(), dib.row(ys + k), job.xm, fetch, job.op);
        if (job.op == Combine::and_)
            for (size_t i = 0; i < n; ++i) acc[i] &= tmp[i];
        else
            for (size_t i = 0; i < n; ++i) acc[i] |= tmp[i];
    }
}

// A one-bit DIB onto a one-bit page at 1:1 without mirroring: eight pixels
// at a time, the source bits shifted into the destination's byte grid.
// `a`, `b`: source bit s becomes (s & a) ^ b, from the colour table.
void mono_unscaled(RasterDevice& dev, const Job& job, uint8_t a, uint8_t b) {
    const StretchDibCall& c = *job.call;
    const DibView& dib = c.dib;
    const int x0 = job.clip.left, x1 = job.clip.right;
    const int offset = c.src.left - c.dst.left; // source x = destination x + offset
    const uint8_t pat = (job.pat & 1) ? 0xFF : 0x00;
    const int row_bytes = (dib.width + 7) / 8;
    for (int dy = job.clip.top; dy < job.clip.bottom; ++dy) {
        const uint8_t* src = dib.row(job.ym.start[static_cast<size_t>(dy - job.clip.top)]);
        uint8_t* out = dev.row(dy);
        auto src_byte = [&](int k) -> unsigned { return k >= 0 && k < row_bytes ? src[k] : 0u; };
        for (int byte = x0 >> 3; byte <= (x1 - 1) >> 3; ++byte) {
            const int base = byte * 8 + offset; // source bit under the byte's first pixel
            const int k = base >> 3, shift = base & 7; // floor division, also for negative bases
            unsigned s = shift ? ((src_byte(k) << shift) | (src_byte(k + 1) >> (8 - shift))) & 0xFF : src_byte(k);
            s = (s & a) ^ b;
            const int lo = std::max(x0, byte * 8) - byte * 8, hi = std::min(x1, byte * 8 + 8) - byte * 8;
            const uint8_t mask = static_cast<uint8_t>((0xFF >> lo) & (0xFF << (8 - hi)));
            const uint8_t d = out[byte];
            uint8_t r;
            switch (job.code) {
            case 0xCC: r = static_cast<uint8_t>(s); break;
            case 0x88: r = static_cast<uint8_t>(s & d); break;
            case 0xEE: r = static_cast<uint8_t>(s | d); break;
            case 0x66: r = static_cast<uint8_t>(s ^ d); break;
            default: r = static_cast<uint8_t>(gdi::rop3(job.code, pat, s, d)); break;
            }
            out[byte] = static_cast<uint8_t>((d & ~mask) | (r & mask));
        }
    }
}

template <PixelFormat F, class Fetch>
void run(RasterDevice& dev, Job& job, const Fetch& fetch) {
    const DibView& dib = job.call->dib;
    const int n = job.clip.width();
    std::vector<uint32_t> acc(static_cast<size_t>(n)), tmp(static_cast<size_t>(n));
    const bool byte_format = F != PixelFormat::mono1 && F != PixelFormat::index4;
    const bool pure_copy = !gdi::rop_uses_dest(job.code) && !gdi::rop_uses_pattern(job.code);
    const size_t bpp_bytes = static_cast<size_t>(bits_per_pixel(F) / 8);
    int prev_start = -1, prev_count = -1;
    for (int dy = job.clip.top; dy < job.clip.bottom; ++dy) {
        size_t j = static_cast<size_t>(dy - job.clip.top);
        int ys = job.ym.start[j], yc = job.ym.count[j];
        uint8_t* out = dev.row(dy);
        if (ys == prev_start && yc == prev_count) {
            if (pure_copy && byte_format) {
                std::memcpy(out + bpp_bytes * job.clip.left, dev.row(dy - 1) + bpp_bytes * job.clip.left,
                            bpp_bytes * static_cast<size_t>(n));
                continue;
            }
        } else if constexpr (F == PixelFormat::bgr24 && std::is_same_v<Fetch, FetchRgbDirect<3>>) {
            if (job.code == 0xCC && yc == 1) {
                // Same layout on both sides: copy the sampled pixels' bytes.
                const uint8_t* src = dib.row(ys);
                uint8_t* o = out + 3 * static_cast<size_t>(job.clip.left);
                const int32_t* xs = job.xm.start.data();
                for (int i = 0; i < n; ++i, o += 3) {
                    const uint8_t* p = src + 3 * static_cast<size_t>(xs[i]);
                    o[0] = p[0];
                    o[1] = p[1];
                    o[2] = p[2];
                }
                prev_start = ys;
                prev_count = yc;
                continue;
            }
            build_rows(acc, tmp, dib, ys, yc, job, fetch);
            prev_start = ys;
            prev_count = yc;
        } else {
            build_rows(acc, tmp, dib, ys, yc, job, fetch);
            prev_start = ys;
            prev_count = yc;
        }
        gdi::store_span<F>(out, job.clip.left, n, acc.data(), job.pat, job.code, job.mask);
    }
}

template <PixelFormat F>
void dispatch(RasterDevice& dev, Job& job) {
    const DibView& dib = job.call->dib;
    gdi::ColorMapper map(F, dev.color_table());
    if (dib.bit_count <= 8) {
        // Indices beyond the colour table read as black rather than as memory.
        uint32_t lut[256];
        uint32_t black = map(0, 0, 0);
        for (int i = 0; i < 256; ++i) {
            if (i < dib.num_colors) {
                const RGBQUAD& q = dib.colors[i];
                lut[i] = map(q.rgbRed, q.rgbGreen, q.rgbBlue);
            } else {
                lut[i] = black;
            }
        }
        if constexpr (F == PixelFormat::mono1) {
            const StretchDibCall& c = *job.call;
            if (dib.bit_count == 1 && c.src.width() == c.dst.width() && c.src.height() == c.dst.height() &&
                !c.flip_x && !c.flip_y) {
                mono_unscaled(dev, job, lut[0] == lut[1] ? 0x00 : 0xFF, lut[0] ? 0xFF : 0x00);
                return;
            }
        }
        if (dib.bit_count == 1) run<F>(dev, job, FetchLut1{lut});
        else if (dib.bit_count == 4) run<F>(dev, job, FetchLut4{lut});
        else run<F>(dev, job, FetchLut8{lut});
        return;
    }
    constexpr bool direct = F == PixelFormat::bgr24 || F == PixelFormat::bgrx32;
    if (dib.bit_count == 24) {
        if constexpr (direct) run<F>(dev, job, FetchRgbDirect<3>{});
        else run<F>(dev, job, FetchRgbMapped<3>{&map});
    } else {
        if constexpr (direct) run<F>(dev, job, FetchRgbDirect<4>{});
        else run<F>(dev, job, FetchRgbMapped<4>{&map});
    }
}

} // namespace

DrawStatus RasterDevice::on_stretch_dib(const StretchDibCall& c, int* lines) {
    *lines = 0;
    if (c.dst.empty() || c.src.empty()) return DrawStatus::done;
    Job job;
    job.call = &c;
    job.clip.left = std::max(c.dst.left, 0);
    job.clip.top = std::max(c.dst.top, first_row());
    job.clip.right = std::min(c.dst.right, width());
    job.clip.bottom = std::min(c.dst.bottom, end_row());
    if (job.clip.empty()) return DrawStatus::done;

    job.op = c.stretch_mode == BLACKONWHITE   ? Combine::and_
             : c.stretch_mode == WHITEONBLACK ? Combine::or_
                                              : Combine::none;
    const bool combine = job.op != Combine::none;
    build_axis(job.xm, c.dst.left, c.dst.width(), job.clip.left, job.clip.right, c.src.left,
               c.src.width(), c.flip_x, combine);
    build_axis(job.ym, c.dst.top, c.dst.height(), job.clip.top, job.clip.bottom, c.src.top,
               c.src.height(), c.flip_y, combine);
    job.code = static_cast<uint8_t>(c.rop >> 16);
    job.pat = value_of(c.brush);
    job.mask = gdi::value_mask(format());
    gdi::with_format(format(), [&]<PixelFormat F>() { dispatch<F>(*this, job); });
    *lines = c.src.height();
    return DrawStatus::done;
}

} // namespace pw
