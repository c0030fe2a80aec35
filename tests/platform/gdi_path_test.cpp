// Filled paths, lines and PatBlt on the raster device; curves handed to
// devices as curves; the fallback for devices that cannot draw something.
#include "gdi_test_util.h"

#include <gtest/gtest.h>

using namespace gdi_test;
using pw::PixelFormat;
using Picture = std::vector<std::string>;

namespace {

void rect_figure(HDC dc, int x0, int y0, int x1, int y1, bool clockwise = true) {
    MoveToEx(dc, x0, y0, nullptr);
    if (clockwise) {
        LineTo(dc, x1, y0);
        LineTo(dc, x1, y1);
        LineTo(dc, x0, y1);
    } else {
        LineTo(dc, x0, y1);
        LineTo(dc, x1, y1);
        LineTo(dc, x1, y0);
    }
    CloseFigure(dc);
}

// Records what reaches it and can refuse paths or raster operations.
class CaptureDevice : public pw::Device {
public:
    explicit CaptureDevice(bool paths) : Device(pw::raster_caps(20, 20, 600, 600, PixelFormat::bgr24)), paths_(paths) {}
    const char* kind() const override { return "capture"; }
    std::vector<pw::FillPathCall> fills;
    std::vector<pw::StretchDibCall> stretches;
    std::vector<std::vector<uint8_t>> tile_bits; // copies: a DIB lives for one call only
    std::vector<std::vector<RGBQUAD>> tile_colors;

protected:
    pw::DrawStatus on_stretch_dib(const pw::StretchDibCall& c, int* lines) override {
        if (c.rop != SRCCOPY && c.rop != SRCAND) return pw::DrawStatus::unsupported;
        stretches.push_back(c);
        tile_bits.emplace_back(c.dib.bits, c.dib.bits + c.dib.bits_size);
        tile_colors.emplace_back(c.dib.colors, c.dib.colors + c.dib.num_colors);
        *lines = c.src.height();
        return pw::DrawStatus::done;
    }
    pw::DrawStatus on_fill_path(const pw::FillPathCall& c) override {
        if (!paths_) return pw::DrawStatus::unsupported;
        fills.push_back(c);
        return pw::DrawStatus::done;
    }

private:
    bool paths_;
};

} // namespace

TEST(GdiPath, FillsWithTheSelectedBrushByEitherRule) {
    struct Case {
        int mode;
        Picture want;
    };
    // An outer square and an inner one of the same direction: even-odd leaves a hole.
    const std::vector<Case> cases = {
        {ALTERNATE, {"......", ".RRRR.", ".R..R.", ".R..R.", ".RRRR.", "......"}},
        {WINDING, {"......", ".RRRR.", ".RRRR.", ".RRRR.", ".RRRR.", "......"}},
    };
    for (const Case& c : cases) {
        Page page(6, 6);
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        HGDIOBJ old = SelectObject(page.dc, red);
        EXPECT_EQ(SetPolyFillMode(page.dc, c.mode), ALTERNATE);
        ASSERT_TRUE(BeginPath(page.dc));
        rect_figure(page.dc, 1, 1, 5, 5);
        rect_figure(page.dc, 2, 2, 4, 4);
        ASSERT_TRUE(EndPath(page.dc));
        ASSERT_TRUE(FillPath(page.dc));
        EXPECT_EQ(page.picture(kLegend), c.want);
        EXPECT_FALSE(FillPath(page.dc)); // the path is used up
        SelectObject(page.dc, old);
        DeleteObject(red);
    }
}

TEST(GdiPath, BezierCirclesAreCurvesForDevicesAndRoundOnPages) {
    // Four cubics approximating a circle of radius 8 around (10, 10).
    const int k = 4; // 8 * 0.5523, rounded
    const POINT arcs[12] = {{18, 10 + k}, {10 + k, 18}, {10, 18}, {10 - k, 18}, {2, 10 + k}, {2, 10},
                            {2, 10 - k},  {10 - k, 2},  {10, 2},  {10 + k, 2},  {18, 10 - k}, {18, 10}};
    auto draw = [&](HDC dc) {
        SelectObject(dc, GetStockObject(BLACK_BRUSH));
        BeginPath(dc);
        MoveToEx(dc, 18, 10, nullptr);
        EXPECT_TRUE(PolyBezierTo(dc, arcs, 12));
        CloseFigure(dc);
        EndPath(dc);
        return FillPath(dc);
    };
    Page page(20, 20);
    ASSERT_TRUE(draw(page.dc));
    int filled = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) filled += page.dev->pixel(x, y) == RGB(0, 0, 0);
    EXPECT_NEAR(filled, 201, 12); // pi * 8 * 8
    EXPECT_EQ(page.dev->pixel(10, 10), RGB(0, 0, 0));
    EXPECT_EQ(page.dev->pixel(3, 3), RGB(255, 255, 255));

    auto capture = std::make_unique<CaptureDevice>(true);
    CaptureDevice* dev = capture.get();
    HDC dc = pw_create_dc(std::move(capture));
    ASSERT_TRUE(draw(dc));
    ASSERT_EQ(dev->fills.size(), 1u);
    const auto& verbs = dev->fills[0].device_path.verbs;
    EXPECT_EQ(std::count(verbs.begin(), verbs.end(), pw::PathVerb::cubic), 4);
    EXPECT_EQ(dev->fills[0].color, RGB(0, 0, 0));
    DeleteDC(dc);

    Page p2(4, 4);
    BeginPath(p2.dc);
    EXPECT_FALSE(PolyBezierTo(p2.dc, arcs, 2)); // not a multiple of three
    EXPECT_FALSE(FillPath(p2.dc));               // not ended
    EXPECT_FALSE(BeginPath(nullptr));
}

TEST(GdiPath, LinesLeaveOutTheirEndPointAndPatBltUsesTheBrush) {
    Page page(6, 4);
    MoveToEx(page.dc, 0, 1, nullptr);
    EXPECT_TRUE(LineTo(page.dc, 5, 1));
    SelectObject(page.dc, GetStockObject(NULL_PEN));
    EXPECT_TRUE(LineTo(page.dc, 5, 3)); // a null pen draws nothing
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    SelectObject(page.dc, blue);
    EXPECT_TRUE(PatBlt(page.dc, 4, 2, 2, 2, PATCOPY));
    EXPECT_TRUE(PatBlt(page.dc, 0, 3, 2, 1, DSTINVERT));
    EXPECT_FALSE(PatBlt(page.dc, 0, 0, 1, 1, SRCCOPY)); // needs a source
    EXPECT_EQ(page.picture(kLegend), (Picture{"......", "#####.", "....BB", "##..BB"}));
    SelectObject(page.dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(blue);
}

TEST(GdiPath, DevicesThatCannotDrawGetRasterisedTiles) {
    auto capture = std::make_unique<CaptureDevice>(false);
    CaptureDevice* dev = capture.get();
    HDC dc = pw_create_dc(std::move(capture));
    // A path the device refuses arrives as a one-bit SRCAND mask {brush, white}.
    SelectObject(dc, GetStockObject(GRAY_BRUSH));
    BeginPath(dc);
    rect_figure(dc, 2, 3, 6, 5);
    EndPath(dc);
    ASSERT_TRUE(FillPath(dc));
    ASSERT_EQ(dev->stretches.size(), 1u);
    const pw::StretchDibCall& mask = dev->stretches[0];
    EXPECT_EQ(mask.rop, static_cast<DWORD>(SRCAND));
    EXPECT_EQ(mask.dib.bit_count, 1);
    ASSERT_EQ(dev->tile_colors[0].size(), 2u);
    EXPECT_EQ(dev->tile_colors[0][0].rgbRed, 128);
    EXPECT_EQ(dev->tile_colors[0][1].rgbRed, 255);
    EXPECT_EQ(mask.dst.left, 2);
    EXPECT_EQ(mask.dst.top, 3);

    // A raster operation it refuses arrives as the result against white paper, SRCCOPY.
    Dib d = make_dib(24, {}, {{RGB(255, 0, 0), RGB(0, 0, 255)}});
    EXPECT_EQ(stretch(dc, d, 1, 1, 2, 1, 0, 0, 2, 1, SRCINVERT), 1);
    ASSERT_EQ(dev->stretches.size(), 2u);
    const pw::StretchDibCall& tile = dev->stretches[1];
    EXPECT_EQ(tile.rop, static_cast<DWORD>(SRCCOPY));
    EXPECT_EQ(tile.dst.left, 1);
    EXPECT_EQ(tile.dst.width(), 2);
    const std::vector<uint8_t>& px = dev->tile_bits[1];
    // Red XOR white is cyan, blue XOR white is yellow (bytes in blue, green, red order).
    EXPECT_EQ((std::vector<int>{px[0], px[1], px[2], px[3], px[4], px[5]}),
              (std::vector<int>{255, 255, 0, 0, 255, 255}));
    DeleteDC(dc);
}
