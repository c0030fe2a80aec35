// Mapping modes: the page-output mapping, the isotropic adjustment, mirroring
// by the mapping, and the fixed behaviours of MM_TEXT.
#include "gdi_test_util.h"

#include <gtest/gtest.h>

using namespace gdi_test;
using pw::PixelFormat;
using Picture = std::vector<std::string>;

TEST(GdiMapping, PageOutputExampleMapsCanvasUnitsOntoPrinterPixels) {
    // Canvas 2550 x 3300 page units on a 600-dpi page, scale s = 8: window
    // 20400 x 26400, viewport 5100 x 6600. One page unit is two pixels.
    Page page(5100, 6600, PixelFormat::mono1);
    SetMapMode(page.dc, MM_ISOTROPIC);
    SetWindowOrgEx(page.dc, 0, 0, nullptr);
    ASSERT_TRUE(SetWindowExtEx(page.dc, 20400, 26400, nullptr));
    SetViewportOrgEx(page.dc, 0, 0, nullptr);
    ASSERT_TRUE(SetViewportExtEx(page.dc, 5100, 6600, nullptr));
    SIZE vp{}, win{};
    GetViewportExtEx(page.dc, &vp);
    GetWindowExtEx(page.dc, &win);
    EXPECT_EQ(vp.cx, 5100);
    EXPECT_EQ(vp.cy, 6600);
    EXPECT_EQ(win.cx, 20400);
    POINT pts[2] = {{20400, 26400}, {8 * 100, 8 * 50}};
    LPtoDP(page.dc, pts, 2);
    EXPECT_EQ(pts[0].x, 5100);
    EXPECT_EQ(pts[0].y, 6600);
    EXPECT_EQ(pts[1].x, 200);
    EXPECT_EQ(pts[1].y, 100);

    // A black 10 x 5 block at page units (100, 50) lands on pixels 200..219 x 100..109.
    Dib d = make_dib(1, kBlackWhite, std::vector<std::vector<uint32_t>>(5, std::vector<uint32_t>(10, 0)));
    EXPECT_EQ(stretch(page.dc, d, 8 * 100, 8 * 50, 8 * 10, 8 * 5, 0, 0, 10, 5, SRCAND), 5);
    auto black = [&](int x, int y) { return page.dev->pixel(x, y) == RGB(0, 0, 0); };
    EXPECT_TRUE(black(200, 100) && black(219, 100) && black(200, 109) && black(219, 109));
    EXPECT_FALSE(black(199, 100) || black(220, 100) || black(200, 99) || black(200, 110));
}

TEST(GdiMapping, IsotropicShortensTheViewportToEqualUnits) {
    struct Case {
        int dpi_x, dpi_y;
        SIZE window, viewport, want;
    };
    const std::vector<Case> cases = {
        {600, 600, {100, 100}, {200, 400}, {200, 200}},
        {600, 600, {100, 100}, {400, -200}, {200, -200}},
        {600, 600, {100, 50}, {100, 100}, {100, 50}},
        {600, 600, {-100, 100}, {300, 300}, {300, 300}},
        // Non-square pixels: equal units are equally long in inches.
        {200, 100, {100, 100}, {100, 100}, {100, 50}},
    };
    for (const Case& c : cases) {
        auto dev = std::make_unique<pw::RasterDevice>(pw::raster_caps(4, 4, c.dpi_x, c.dpi_y, PixelFormat::mono1),
                                                      PixelFormat::mono1);
        HDC dc = pw_create_dc(std::move(dev));
        SetMapMode(dc, MM_ISOTROPIC);
        SetWindowExtEx(dc, c.window.cx, c.window.cy, nullptr);
        SetViewportExtEx(dc, c.viewport.cx, c.viewport.cy, nullptr);
        SIZE vp{};
        GetViewportExtEx(dc, &vp);
        EXPECT_EQ(vp.cx, c.want.cx) << c.window.cx << "x" << c.window.cy;
        EXPECT_EQ(vp.cy, c.want.cy) << c.window.cx << "x" << c.window.cy;
        // Anisotropic keeps exactly what it is given.
        SetMapMode(dc, MM_ANISOTROPIC);
        SetViewportExtEx(dc, c.viewport.cx, c.viewport.cy, nullptr);
        GetViewportExtEx(dc, &vp);
        EXPECT_EQ(vp.cx, c.viewport.cx);
        EXPECT_EQ(vp.cy, c.viewport.cy);
        DeleteDC(dc);
    }
}

TEST(GdiMapping, AnUpwardYAxisMirrorsTheImage) {
    Dib d = make_dib(24, {}, {{RGB(255, 0, 0), RGB(0, 255, 0)}, {RGB(0, 0, 255), RGB(255, 255, 0)}});
    Page page(4, 4);
    EXPECT_EQ(SetMapMode(page.dc, MM_ANISOTROPIC), MM_TEXT);
    SetWindowExtEx(page.dc, 2, 2, nullptr);
    SetViewportExtEx(page.dc, 4, -4, nullptr);
    SetViewportOrgEx(page.dc, 0, 4, nullptr);
    EXPECT_EQ(stretch(page.dc, d, 0, 0, 2, 2, 0, 0, 2, 2), 2);
    EXPECT_EQ(page.picture(kLegend), (Picture{"BBYY", "BBYY", "RRGG", "RRGG"}));
}

TEST(GdiMapping, TextModeIgnoresExtentsAndOriginsShift) {
    Page page(4, 4);
    EXPECT_EQ(GetMapMode(page.dc), MM_TEXT);
    SIZE old{};
    EXPECT_TRUE(SetWindowExtEx(page.dc, 10, 10, &old));
    SIZE win{};
    GetWindowExtEx(page.dc, &win);
    EXPECT_EQ(win.cx, 1);
    SetWindowOrgEx(page.dc, 1, 1, nullptr);
    SetViewportOrgEx(page.dc, 2, 0, nullptr);
    POINT p{1, 1};
    LPtoDP(page.dc, &p, 1);
    EXPECT_EQ(p.x, 2);
    EXPECT_EQ(p.y, 0);
    DPtoLP(page.dc, &p, 1);
    EXPECT_EQ(p.x, 1);
    EXPECT_EQ(p.y, 1);
    EXPECT_EQ(SetMapMode(page.dc, 99), 0);
    SetMapMode(page.dc, MM_ANISOTROPIC);
    EXPECT_FALSE(SetViewportExtEx(page.dc, 0, 5, nullptr)); // a zero extent cannot map anything
}

TEST(GdiMapping, NullOrStaleDcFails) {
    POINT p{};
    SIZE s{};
    EXPECT_EQ(SetMapMode(nullptr, MM_TEXT), 0);
    EXPECT_EQ(GetMapMode(nullptr), 0);
    EXPECT_FALSE(SetWindowOrgEx(nullptr, 0, 0, &p));
    EXPECT_FALSE(SetWindowExtEx(nullptr, 1, 1, &s));
    EXPECT_FALSE(SetViewportOrgEx(nullptr, 0, 0, &p));
    EXPECT_FALSE(SetViewportExtEx(nullptr, 1, 1, &s));
    EXPECT_EQ(SetStretchBltMode(nullptr, COLORONCOLOR), 0);
    EXPECT_EQ(GetDeviceCaps(nullptr, HORZRES), 0);
    HDC dc;
    {
        Page page(2, 2);
        dc = page.dc;
    }
    EXPECT_EQ(SetMapMode(dc, MM_ISOTROPIC), 0); // deleted: the handle is no longer valid
    EXPECT_FALSE(DeleteDC(dc));
}
