// StretchDIBits on the raster page device, each case beside pixman's
// nearest-neighbour scaling of the same pixels in the same run.
//
//   24-bit 2550 x 3300 doubled onto a 600-dpi RGB page (5100 x 6600),
//   COLORONCOLOR / SRCCOPY; pixman scales the same 24-bit pixels (r8g8b8,
//   its generic path) and, as its best case, the same pixels widened to
//   x8r8g8b8 beforehand (its SIMD nearest path).
//   1-bit 2550 x 3300 onto a one-bit page, BLACKONWHITE / SRCAND, at 1:1 and
//   at 2:1 shrink; pixman composites the same bits as a1 with OVER.
// Items processed are destination pixels.
#include "pw/device.h"
#include "pw/raster_device.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kW = 2550, kH = 3300;

struct Dib {
    std::vector<uint8_t> info;
    std::vector<uint8_t> bits; // stride * height
    size_t stride = 0;
    BITMAPINFO* bmi() { return reinterpret_cast<BITMAPINFO*>(info.data()); }
};

// A scan-like picture: smooth gradients for 24 bits, text-like speckle for 1 bit.
Dib make(int bpp) {
    Dib d;
    const int colors = bpp == 1 ? 2 : 0;
    d.info.resize(sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD));
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = kW;
    h.biHeight = kH;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bpp);
    h.biClrUsed = static_cast<DWORD>(colors);
    std::memcpy(d.info.data(), &h, sizeof h);
    if (bpp == 1) {
        RGBQUAD t[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
        std::memcpy(d.info.data() + sizeof h, t, sizeof t);
    }
    d.stride = (static_cast<size_t>(kW) * bpp + 31) / 32 * 4;
    d.bits.resize(d.stride * kH);
    uint32_t seed = 12345;
    for (int y = 0; y < kH; ++y) {
        uint8_t* r = d.bits.data() + d.stride * y;
        for (size_t i = 0; i < d.stride; ++i) {
            seed = seed * 1103515245 + 12345;
            r[i] = bpp == 1 ? static_cast<uint8_t>((seed >> 16) | 0x81) // mostly white
                            : static_cast<uint8_t>((i + y) & 0xFF);
        }
    }
    return d;
}

std::unique_ptr<pw::RasterDevice> page(int w, int h, pw::PixelFormat f) {
    return std::make_unique<pw::RasterDevice>(pw::raster_caps(w, h, 600, 600, f), f);
}

void gdi_case(benchmark::State& state, int bpp, pw::PixelFormat f, int dw, int dh, int mode, DWORD rop) {
    Dib d = make(bpp);
    HDC dc = pw_create_dc(page(dw, dh, f));
    SetStretchBltMode(dc, mode);
    for (auto _ : state) {
        int lines = StretchDIBits(dc, 0, 0, dw, dh, 0, 0, kW, kH, d.bits.data(), d.bmi(), DIB_RGB_COLORS, rop);
        if (lines != kH) state.SkipWithError("StretchDIBits failed");
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * int64_t{dw} * dh);
    DeleteDC(dc);
}

void pixman_case(benchmark::State& state, pixman_format_code_t src_format, void* src_bits, int src_stride,
                 pixman_format_code_t dst_format, int dw, int dh, pixman_op_t op) {
    pixman_image_t* src = pixman_image_create_bits(src_format, kW, kH, static_cast<uint32_t*>(src_bits), src_stride);
    pixman_image_t* dst = pixman_image_create_bits(dst_format, dw, dh, nullptr, 0);
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed(double(kW) / dw), pixman_double_to_fixed(double(kH) / dh));
    pixman_image_set_transform(src, &t);
    pixman_image_set_filter(src, PIXMAN_FILTER_NEAREST, nullptr, 0);
    for (auto _ : state) {
        pixman_image_composite32(op, src, nullptr, dst, 0, 0, 0, 0, 0, 0, dw, dh);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * int64_t{dw} * dh);
    pixman_image_unref(src);
    pixman_image_unref(dst);
}

void BM_Rgb24Double_Gdi(benchmark::State& s) {
    gdi_case(s, 24, pw::PixelFormat::bgr24, 2 * kW, 2 * kH, COLORONCOLOR, SRCCOPY);
}
void BM_Rgb24Double_Pixman24(benchmark::State& s) {
    Dib d = make(24);
    pixman_case(s, PIXMAN_r8g8b8, d.bits.data(), static_cast<int>(d.stride), PIXMAN_r8g8b8, 2 * kW, 2 * kH,
                PIXMAN_OP_SRC);
}
void BM_Rgb24Double_Pixman32(benchmark::State& s) {
    Dib d = make(24);
    std::vector<uint32_t> wide(static_cast<size_t>(kW) * kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const uint8_t* p = d.bits.data() + d.stride * y + 3 * x;
            wide[static_cast<size_t>(y) * kW + x] = p[0] | p[1] << 8 | p[2] << 16;
        }
    pixman_case(s, PIXMAN_x8r8g8b8, wide.data(), kW * 4, PIXMAN_x8r8g8b8, 2 * kW, 2 * kH, PIXMAN_OP_SRC);
}
void BM_Mono1to1_Gdi(benchmark::State& s) {
    gdi_case(s, 1, pw::PixelFormat::mono1, kW, kH, BLACKONWHITE, SRCAND);
}
void BM_Mono1to1_Pixman(benchmark::State& s) {
    Dib d = make(1);
    pixman_case(s, PIXMAN_a1, d.bits.data(), static_cast<int>(d.stride), PIXMAN_a1, kW, kH, PIXMAN_OP_OVER);
}
void BM_MonoHalf_Gdi(benchmark::State& s) {
    gdi_case(s, 1, pw::PixelFormat::mono1, kW / 2, kH / 2, BLACKONWHITE, SRCAND);
}
void BM_MonoHalf_Pixman(benchmark::State& s) {
    Dib d = make(1);
    pixman_case(s, PIXMAN_a1, d.bits.data(), static_cast<int>(d.stride), PIXMAN_a1, kW / 2, kH / 2,
                PIXMAN_OP_OVER);
}

} // namespace

BENCHMARK(BM_Rgb24Double_Gdi)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rgb24Double_Pixman24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rgb24Double_Pixman32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mono1to1_Gdi)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mono1to1_Pixman)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MonoHalf_Gdi)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MonoHalf_Pixman)->Unit(benchmark::kMillisecond);
