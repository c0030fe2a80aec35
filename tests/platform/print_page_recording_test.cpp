// Raster printers keep a page as its drawing calls and draw it band by band at
// the end of the page: every band size must give exactly the pixels of drawing
// the same calls on a whole page, with raster operations that read the page,
// stretching both ways, mirrored and clipped images, colour tables inside and
// outside the header, paths and pattern fills; and the recorded page must not
// depend on the caller's bitmap once the call has returned.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "../../platform/src/print/page_recording.h"
#include "pw/gdi.h"

using namespace pw;
using pw::print::PageRecording;

namespace {

// A DIB whose colour table follows its header, as in a BITMAPINFO.
struct Dib {
    struct Info {
        BITMAPINFOHEADER h{};
        RGBQUAD colors[256]{};
    } info;
    std::vector<uint8_t> bits;
    size_t stride = 0;

    Dib(int w, int h, int bpp, bool top_down, uint32_t seed) {
        info.h.biSize = sizeof(BITMAPINFOHEADER);
        info.h.biWidth = w;
        info.h.biHeight = top_down ? -h : h;
        info.h.biPlanes = 1;
        info.h.biBitCount = static_cast<WORD>(bpp);
        info.h.biCompression = BI_RGB;
        for (int i = 0; i < 256; ++i)
            info.colors[i] = RGBQUAD{static_cast<BYTE>(i * 7), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 3), 0};
        if (bpp == 1) info.colors[0] = {0, 0, 0, 0}, info.colors[1] = {255, 255, 255, 0};
        stride = (static_cast<size_t>(w) * bpp + 31) / 32 * 4;
        bits.resize(stride * static_cast<size_t>(h));
        for (uint8_t& b : bits) b = static_cast<uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
    }
    DibView view() const {
        DibView v;
        v.header = &info.h;
        const int bpp = info.h.biBitCount;
        v.num_colors = bpp <= 8 ? 1 << bpp : 0;
        v.info_size = sizeof(BITMAPINFOHEADER) + 4 * static_cast<size_t>(v.num_colors);
        v.colors = bpp <= 8 ? info.colors : nullptr;
        v.bits = bits.data();
        v.bits_size = bits.size();
        v.width = info.h.biWidth;
        v.height = info.h.biHeight < 0 ? -info.h.biHeight : info.h.biHeight;
        v.bit_count = bpp;
        v.top_down = info.h.biHeight < 0;
        v.stride = stride;
        return v;
    }
};

StretchDibCall image_call(const Dib& dib, DeviceRect src, DeviceRect dst, DWORD rop, int mode) {
    StretchDibCall c;
    c.dib = dib.view();
    c.src = src;
    c.dst = dst;
    c.rop = rop;
    c.stretch_mode = mode;
    c.brush = RGB(200, 30, 90);
    return c;
}

// The page's calls, on any device-like target.
template <class Target>
void draw(Target& target, std::vector<std::unique_ptr<Dib>>& dibs, const RGBQUAD* outside_table) {
    dibs.clear();
    dibs.push_back(std::make_unique<Dib>(37, 23, 24, false, 1));
    dibs.push_back(std::make_unique<Dib>(64, 40, 1, true, 2));
    dibs.push_back(std::make_unique<Dib>(19, 31, 8, false, 3));
    dibs.push_back(std::make_unique<Dib>(50, 50, 4, false, 4));
    // Enlarged colour, from the page's corner past its right edge.
    target.image(image_call(*dibs[0], {0, 0, 37, 23}, {-4, 3, 90, 64}, SRCCOPY, COLORONCOLOR));
    // One-bit shrink ANDed onto what is there.
    target.image(image_call(*dibs[1], {0, 0, 64, 40}, {10, 20, 40, 37}, SRCAND, BLACKONWHITE));
    // Part of an 8-bit image, mirrored, off the top, its table resolved apart
    // from the header.
    StretchDibCall mirrored = image_call(*dibs[2], {2, 5, 17, 29}, {30, -6, 70, 40}, SRCINVERT, COLORONCOLOR);
    mirrored.flip_y = true;
    mirrored.flip_x = true;
    mirrored.dib.colors = outside_table;
    target.image(mirrored);
    // Nothing of this one is on the page.
    target.image(image_call(*dibs[3], {0, 0, 50, 50}, {0, 200, 50, 250}, SRCCOPY, COLORONCOLOR));
    // A 4-bit image shrunk with the pattern mixed in.
    target.image(image_call(*dibs[3], {0, 0, 50, 50}, {60, 40, 95, 70}, 0x00A000C9 /* PATAND-like DPa */, HALFTONE));

    FillPathCall fill;
    fill.device_path.verbs = {PathVerb::move, PathVerb::cubic, PathVerb::line, PathVerb::close};
    fill.device_path.points = {{5.3, 40.2}, {30, -10}, {80, 90}, {98.7, 50.5}, {20.25, 76.9}};
    fill.color = RGB(10, 200, 40);
    fill.fill_mode = WINDING;
    target.path(fill);

    PatBltCall pat;
    pat.dst = {15, 8, 85, 61};
    pat.color = RGB(90, 90, 250);
    pat.rop = PATINVERT;
    target.pattern(pat);
}

struct OnDevice {
    RasterDevice& d;
    std::vector<int> lines;
    void image(const StretchDibCall& c) {
        int n = -1;
        EXPECT_EQ(d.stretch_dib(c, &n), DrawStatus::done);
        lines.push_back(n);
    }
    void path(const FillPathCall& c) { d.fill_path(c); }
    void pattern(const PatBltCall& c) { d.pat_blt(c); }
};

struct OnRecording {
    PageRecording& r;
    int w, h;
    std::vector<int> lines;
    void image(const StretchDibCall& c) {
        int n = -1;
        EXPECT_EQ(r.stretch_dib(c, w, h, &n), DrawStatus::done);
        lines.push_back(n);
    }
    void path(const FillPathCall& c) { r.fill_path(c); }
    void pattern(const PatBltCall& c) { r.pat_blt(c); }
};

}  // namespace

TEST(PageRecording, EveryBandSizeGivesThePixelsOfTheWholePage) {
    const int w = 97, h = 73;
    RGBQUAD outside[256];
    for (int i = 0; i < 256; ++i) outside[i] = RGBQUAD{static_cast<BYTE>(255 - i), static_cast<BYTE>(i), 77, 0};
    for (PixelFormat format : {PixelFormat::bgr24, PixelFormat::gray8, PixelFormat::mono1}) {
        SCOPED_TRACE(bits_per_pixel(format));
        const DeviceCaps caps = raster_caps(w, h, 600, 600, format);
        std::vector<std::unique_ptr<Dib>> dibs;
        RasterDevice whole(caps, format);
        OnDevice direct{whole, {}};
        draw(direct, dibs, outside);

        PageRecording recording;
        OnRecording rec{recording, w, h, {}};
        draw(rec, dibs, outside);
        EXPECT_EQ(rec.lines, direct.lines) << "the page device's answers";
        EXPECT_EQ(direct.lines, (std::vector<int>{23, 40, 24, 0, 50}));
        // The caller's bitmaps change (or go) once the calls returned.
        for (auto& d : dibs) std::fill(d->bits.begin(), d->bits.end(), 0x55);
        dibs.clear();
        std::fill(std::begin(outside), std::end(outside), RGBQUAD{1, 2, 3, 0});

        const size_t stride = static_cast<size_t>(whole.stride());
        for (int rows : {1, 7, 16, h}) {
            SCOPED_TRACE(rows);
            std::vector<uint8_t> band(stride * static_cast<size_t>(rows), 0xA5);
            int differing = 0;
            for (int first = 0; first < h; first += rows) {
                const int n = std::min(rows, h - first);
                RasterDevice part(caps, format, band.data(), static_cast<ptrdiff_t>(stride), first, n);
                ASSERT_EQ(recording.render(part), DrawStatus::done);
                for (int y = first; y < first + n; ++y)
                    for (int x = 0; x < w; ++x) differing += part.pixel(x, y) != whole.pixel(x, y);
            }
            EXPECT_EQ(differing, 0);
        }
        // Whole-page drawing is not trivially white: the comparison means something.
        int white = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) white += whole.pixel(x, y) == RGB(255, 255, 255);
        EXPECT_LT(white, w * h / 2);
    }
}

TEST(PageRecording, BandsHoldTheirRowsOnly) {
    const DeviceCaps caps = raster_caps(10, 10, 300, 300, PixelFormat::bgr24);
    std::vector<uint8_t> memory(32 * 10);
    EXPECT_THROW(RasterDevice(caps, PixelFormat::bgr24, memory.data(), 32, 5, 6), std::invalid_argument);
    EXPECT_THROW(RasterDevice(caps, PixelFormat::bgr24, memory.data(), 32, -1, 2), std::invalid_argument);
    RasterDevice band(caps, PixelFormat::bgr24, memory.data(), 32, 7, 3);
    EXPECT_EQ(band.pixel(0, 6), CLR_INVALID) << "rows above the band are not held";
    // White, a gray and a colour fill every row held, to the last pixel.
    for (COLORREF c : {RGB(255, 255, 255), RGB(40, 40, 40), RGB(10, 20, 30)}) {
        band.clear(c);
        EXPECT_EQ(band.pixel(0, 7), c);
        EXPECT_EQ(band.pixel(9, 9), c);
    }
}
