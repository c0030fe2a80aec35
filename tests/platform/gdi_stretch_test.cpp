// StretchDIBits on the raster page device: exact pixels on tiny DIBs.
#include "gdi_test_util.h"

#include <gtest/gtest.h>

#include <climits>

using namespace gdi_test;
using pw::PixelFormat;
using Picture = std::vector<std::string>;

TEST(GdiStretch, EachDepthReadsItsColourTable) {
    struct Case {
        const char* name;
        Dib dib;
        Picture want;
    };
    std::vector<RGBQUAD> t16(16, q(0, 0, 0)), t256(256, q(0, 0, 0));
    t16[3] = q(0, 255, 0);
    t16[15] = q(255, 255, 0);
    t256[200] = q(0, 255, 255);
    t256[7] = q(255, 0, 255);
    std::vector<Case> cases = {
        {"1-bit", make_dib(1, {q(255, 0, 0), q(0, 0, 255)}, {{0, 1}, {1, 0}}), {"RB", "BR"}},
        {"4-bit", make_dib(4, t16, {{3, 15}, {15, 3}}), {"GY", "YG"}},
        {"8-bit", make_dib(8, t256, {{200, 7}, {7, 200}}), {"CM", "MC"}},
        // Indices past a short table read as black, never past the table.
        {"8-bit short table", make_dib(8, {q(255, 0, 0), q(0, 255, 0)}, {{1, 5}, {255, 0}}), {"G#", "#R"}},
        {"24-bit", make_dib(24, {}, {{RGB(255, 0, 0), RGB(0, 255, 0)}, {RGB(0, 0, 255), RGB(255, 255, 0)}}),
         {"RG", "BY"}},
    };
    for (auto& c : cases) {
        Page page(2, 2);
        EXPECT_EQ(stretch(page.dc, c.dib, 0, 0, 2, 2, 0, 0, 2, 2), 2) << c.name;
        EXPECT_EQ(page.picture(kLegend), c.want) << c.name;
    }
}

TEST(GdiStretch, ColoursBecomeGrayAndMonoByLuminance) {
    // Red has gray (299 * 255 + 500) / 1000 = 76; 127 is the darkest gray that
    // is still black on a one-bit page, 128 the lightest that is white.
    Dib d = make_dib(24, {}, {{RGB(255, 0, 0), RGB(127, 127, 127), RGB(128, 128, 128), RGB(0, 0, 255)}});
    Page gray(4, 1, PixelFormat::gray8), mono(4, 1, PixelFormat::mono1);
    ASSERT_EQ(stretch(gray.dc, d, 0, 0, 4, 1, 0, 0, 4, 1), 1);
    ASSERT_EQ(stretch(mono.dc, d, 0, 0, 4, 1, 0, 0, 4, 1), 1);
    const uint8_t* g = gray.dev->row(0);
    EXPECT_EQ((std::vector<int>{g[0], g[1], g[2], g[3]}), (std::vector<int>{76, 127, 128, 29}));
    // 1-bit page: 0 = black, 1 = white, most significant bit first.
    EXPECT_EQ(mono.dev->row(0)[0] & 0xF0, 0x20);
}

TEST(GdiStretch, RasterOperationsCombineWithWhatIsDrawn) {
    struct Case {
        DWORD rop;
        const char* want;
    };
    // Over red paper: black / white source pixels.
    const std::vector<Case> cases = {
        {SRCCOPY, "#.#."},   {SRCAND, "#R#R"},    {SRCPAINT, "R.R."},
        {SRCINVERT, "RCRC"}, {NOTSRCCOPY, ".#.#"}, {MERGEPAINT, ".R.R"},
    };
    Dib d = make_dib(1, kBlackWhite, {{0, 1, 0, 1}});
    for (const Case& c : cases) {
        Page page(4, 1);
        page.dev->clear(RGB(255, 0, 0));
        EXPECT_EQ(stretch(page.dc, d, 0, 0, 4, 1, 0, 0, 4, 1, c.rop), 1);
        EXPECT_EQ(page.picture(kLegend), Picture{c.want}) << std::hex << c.rop;
    }
}

TEST(GdiStretch, ShrinkingFourToOneKeepsBlackOnlyUnderBlackOnWhite) {
    // White 8x8 with a one-pixel black column at x = 1 and row at y = 5: neither
    // lies under the centre of a destination pixel when shrunk to 2x2.
    std::vector<std::vector<uint32_t>> rows(8, std::vector<uint32_t>(8, 1));
    for (int i = 0; i < 8; ++i) rows[i][1] = rows[5][i] = 0;
    Dib d = make_dib(1, kBlackWhite, rows);
    struct Case {
        int mode;
        PixelFormat format;
        Picture want;
    };
    const std::vector<Case> cases = {
        {BLACKONWHITE, PixelFormat::mono1, {"#.", "##"}},
        {BLACKONWHITE, PixelFormat::bgr24, {"#.", "##"}},
        {BLACKONWHITE, PixelFormat::gray8, {"#.", "##"}},
        {COLORONCOLOR, PixelFormat::mono1, {"..", ".."}},
        {COLORONCOLOR, PixelFormat::bgr24, {"..", ".."}},
        {HALFTONE, PixelFormat::bgr24, {"..", ".."}},
        {WHITEONBLACK, PixelFormat::bgr24, {"..", ".."}},
    };
    for (const Case& c : cases) {
        Page page(2, 2, c.format);
        page.dev->clear(RGB(255, 255, 255));
        SetStretchBltMode(page.dc, c.mode);
        EXPECT_EQ(stretch(page.dc, d, 0, 0, 2, 2, 0, 0, 8, 8, SRCAND), 8);
        EXPECT_EQ(page.picture(kLegend), c.want) << "mode " << c.mode;
    }
    // WHITEONBLACK keeps white the same way on black.
    Dib inv = make_dib(1, {q(255, 255, 255), q(0, 0, 0)}, rows);
    Page page(2, 2);
    SetStretchBltMode(page.dc, WHITEONBLACK);
    stretch(page.dc, inv, 0, 0, 2, 2, 0, 0, 8, 8);
    EXPECT_EQ(page.picture(kLegend), (Picture{".#", ".."}));
}

TEST(GdiStretch, BottomUpAndTopDownDibsShowTheSamePicture) {
    const std::vector<std::vector<uint32_t>> rows = {{RGB(255, 0, 0)}, {RGB(0, 255, 0)}, {RGB(0, 0, 255)}};
    for (bool top_down : {false, true}) {
        Dib d = make_dib(24, {}, rows, top_down);
        // A bottom-up DIB stores its bottom row (blue) first.
        EXPECT_EQ(d.bits[0], top_down ? 0 : 255);
        Page page(1, 3);
        stretch(page.dc, d, 0, 0, 1, 3, 0, 0, 1, 3);
        EXPECT_EQ(page.picture(kLegend), (Picture{"R", "G", "B"})) << top_down;
    }
}

TEST(GdiStretch, SourceBandFromTheMiddleCountsFromTheBottomRow) {
    // Ten rows, the row k from the top with red value 10 * k.
    std::vector<std::vector<uint32_t>> rows;
    for (int k = 0; k < 10; ++k) rows.push_back({RGB(10 * k, 0, 0)});
    auto reds = [](Page& p) {
        std::vector<int> v;
        for (int y = 0; y < p.dev->height(); ++y) v.push_back(GetRValue(p.dev->pixel(0, y)));
        return v;
    };
    Dib up = make_dib(24, {}, rows);
    Page a(1, 4);
    // Rows 3..6 counted from the bottom are rows 6..3 from the top.
    EXPECT_EQ(stretch(a.dc, up, 0, 0, 1, 4, 0, 3, 1, 4), 4);
    EXPECT_EQ(reds(a), (std::vector<int>{30, 40, 50, 60}));
    Dib down = make_dib(24, {}, rows, true);
    Page b(1, 4);
    stretch(b.dc, down, 0, 0, 1, 4, 0, 3, 1, 4);
    EXPECT_EQ(reds(b), (std::vector<int>{30, 40, 50, 60}));
}

TEST(GdiStretch, EnlargesByReplicationAndMirrorsOnNegativeExtents) {
    Dib d = make_dib(24, {}, {{RGB(255, 0, 0), RGB(0, 255, 0)}, {RGB(0, 0, 255), RGB(255, 255, 0)}});
    struct Case {
        int x, y, w, h;
        Picture want;
    };
    const std::vector<Case> cases = {
        {0, 0, 4, 4, {"RRGG", "RRGG", "BBYY", "BBYY"}},
        {4, 0, -4, 4, {"GGRR", "GGRR", "YYBB", "YYBB"}},
        {0, 4, 4, -4, {"BBYY", "BBYY", "RRGG", "RRGG"}},
        {4, 4, -4, -4, {"YYBB", "YYBB", "GGRR", "GGRR"}},
        {0, 0, 3, 2, {"RGG", "BYY"}},
    };
    for (const Case& c : cases) {
        Page page(static_cast<int>(c.want[0].size()), static_cast<int>(c.want.size()));
        EXPECT_EQ(stretch(page.dc, d, c.x, c.y, c.w, c.h, 0, 0, 2, 2), 2);
        EXPECT_EQ(page.picture(kLegend), c.want) << c.x << "," << c.y << "," << c.w << "," << c.h;
    }
}

TEST(GdiStretch, ClipsToTheDevice) {
    Dib d = make_dib(24, {}, {{RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)},
                              {RGB(255, 255, 0), RGB(0, 0, 0), RGB(255, 0, 255)},
                              {RGB(0, 255, 255), RGB(128, 128, 128), RGB(255, 255, 255)}});
    Page page(2, 2);
    stretch(page.dc, d, -1, -1, 3, 3, 0, 0, 3, 3);
    EXPECT_EQ(page.picture(kLegend), (Picture{"#M", "m."}));

    // Entirely off the page, or beyond any device: nothing is drawn.
    Page other(2, 2);
    EXPECT_EQ(stretch(other.dc, d, 100, 100, 3, 3, 0, 0, 3, 3), 0);
    int far = stretch(other.dc, d, INT_MAX - 1, 0, 3, 3, 0, 0, 3, 3);
    EXPECT_TRUE(far == 0 || far == static_cast<int>(GDI_ERROR));
    far = stretch(other.dc, d, 0, 0, INT_MAX, INT_MAX, 0, 0, 3, 3);
    EXPECT_TRUE(far == 0 || far == static_cast<int>(GDI_ERROR));
    EXPECT_EQ(other.picture(kLegend), (Picture{"..", ".."}));
}

TEST(GdiStretch, BadHeadersAndHandlesDrawNothing) {
    struct Case {
        const char* name;
        void (*spoil)(BITMAPINFOHEADER&);
    };
    const std::vector<Case> cases = {
        {"header size 0", [](BITMAPINFOHEADER& h) { h.biSize = 0; }},
        {"core header size", [](BITMAPINFOHEADER& h) { h.biSize = 12; }},
        {"two planes", [](BITMAPINFOHEADER& h) { h.biPlanes = 2; }},
        {"depth 0", [](BITMAPINFOHEADER& h) { h.biBitCount = 0; }},
        {"depth 2", [](BITMAPINFOHEADER& h) { h.biBitCount = 2; }},
        {"depth 16", [](BITMAPINFOHEADER& h) { h.biBitCount = 16; }},
        {"RLE8", [](BITMAPINFOHEADER& h) { h.biCompression = BI_RLE8; }},
        {"bitfields", [](BITMAPINFOHEADER& h) { h.biCompression = BI_BITFIELDS; }},
        {"3 colours at 1 bit", [](BITMAPINFOHEADER& h) { h.biClrUsed = 3; }},
        {"zero width", [](BITMAPINFOHEADER& h) { h.biWidth = 0; }},
        {"negative width", [](BITMAPINFOHEADER& h) { h.biWidth = -2; }},
        {"zero height", [](BITMAPINFOHEADER& h) { h.biHeight = 0; }},
        {"huge width", [](BITMAPINFOHEADER& h) { h.biWidth = 1 << 30; }},
        {"size image too small", [](BITMAPINFOHEADER& h) { h.biSizeImage = 3; }},
    };
    for (const Case& c : cases) {
        Dib d = make_dib(1, kBlackWhite, {{0, 0}, {0, 0}});
        c.spoil(d.header());
        Page page(2, 2);
        EXPECT_EQ(stretch(page.dc, d, 0, 0, 2, 2, 0, 0, 2, 2), static_cast<int>(GDI_ERROR)) << c.name;
        // The checked entry refuses it the same way.
        EXPECT_EQ(pw_StretchDIBitsChecked(page.dc, 0, 0, 2, 2, 0, 0, 2, 2, d.bits.data(), d.bits.size(),
                                          d.bmi(), d.info.size(), DIB_RGB_COLORS, SRCCOPY),
                  static_cast<int>(GDI_ERROR))
            << c.name;
        EXPECT_EQ(page.picture(kLegend), (Picture{"..", ".."})) << c.name;
    }

    Dib d = make_dib(1, kBlackWhite, {{0, 0}, {0, 0}});
    Page page(2, 2);
    EXPECT_EQ(StretchDIBits(page.dc, 0, 0, 2, 2, 0, 0, 2, 2, nullptr, d.bmi(), DIB_RGB_COLORS, SRCCOPY),
              static_cast<int>(GDI_ERROR));
    EXPECT_EQ(StretchDIBits(page.dc, 0, 0, 2, 2, 0, 0, 2, 2, d.bits.data(), nullptr, DIB_RGB_COLORS, SRCCOPY),
              static_cast<int>(GDI_ERROR));
    EXPECT_EQ(StretchDIBits(page.dc, 0, 0, 2, 2, 0, 0, 2, 2, d.bits.data(), d.bmi(), 7, SRCCOPY),
              static_cast<int>(GDI_ERROR));
    EXPECT_EQ(stretch(nullptr, d, 0, 0, 2, 2, 0, 0, 2, 2), 0);
    int not_a_dc = 0;
    EXPECT_EQ(stretch(reinterpret_cast<HDC>(&not_a_dc), d, 0, 0, 2, 2, 0, 0, 2, 2), 0);
    EXPECT_EQ(page.picture(kLegend), (Picture{"..", ".."}));
}

TEST(GdiStretch, CheckedEntryRefusesHeadersLargerThanTheirMemory) {
    // Exactly sized heap blocks, so that the address sanitizer sees any read past them.
    Dib d = make_dib(8, std::vector<RGBQUAD>(256, q(0, 0, 0)), {{1, 2, 3, 4}, {5, 6, 7, 8}});
    Page page(4, 2);
    d.header().biHeight = 200; // rows that are not there
    std::unique_ptr<uint8_t[]> bits(new uint8_t[d.bits.size()]);
    std::memcpy(bits.get(), d.bits.data(), d.bits.size());
    EXPECT_EQ(pw_StretchDIBitsChecked(page.dc, 0, 0, 4, 2, 0, 0, 4, 2, bits.get(), d.bits.size(), d.bmi(),
                                      d.info.size(), DIB_RGB_COLORS, SRCCOPY),
              static_cast<int>(GDI_ERROR));
    d.header().biHeight = 2;
    // A colour table announced longer than the memory holding it.
    EXPECT_EQ(pw_StretchDIBitsChecked(page.dc, 0, 0, 4, 2, 0, 0, 4, 2, bits.get(), d.bits.size(), d.bmi(),
                                      sizeof(BITMAPINFOHEADER) + 16, DIB_RGB_COLORS, SRCCOPY),
              static_cast<int>(GDI_ERROR));
    EXPECT_EQ(pw_StretchDIBitsChecked(page.dc, 0, 0, 4, 2, 0, 0, 4, 2, bits.get(), 0, d.bmi(),
                                      d.info.size(), DIB_RGB_COLORS, SRCCOPY),
              static_cast<int>(GDI_ERROR));
    EXPECT_EQ(page.picture(kLegend), (Picture{"....", "...."}));
    // The same memory with a truthful header draws.
    EXPECT_EQ(pw_StretchDIBitsChecked(page.dc, 0, 0, 4, 2, 0, 0, 4, 2, bits.get(), d.bits.size(), d.bmi(),
                                      d.info.size(), DIB_RGB_COLORS, SRCCOPY),
              2);
    EXPECT_EQ(page.picture(kLegend), (Picture{"####", "####"}));
}

TEST(GdiStretch, OneBitUnscaledMatchesPixelByPixelAtEveryBitOffset) {
    // Whole-byte copying onto one-bit pages must agree with the per-pixel rule
    // wherever the picture starts within a byte, including off the page.
    std::vector<std::vector<uint32_t>> rows(3, std::vector<uint32_t>(21));
    uint32_t seed = 7;
    for (auto& r : rows)
        for (auto& v : r) v = (seed = seed * 1103515245 + 12345) >> 16 & 1;
    for (bool inverted : {false, true}) {
        Dib d = make_dib(1, inverted ? std::vector<RGBQUAD>{q(255, 255, 255), q(0, 0, 0)} : kBlackWhite, rows);
        for (DWORD rop : {SRCCOPY, SRCAND, SRCINVERT}) {
            for (int x = -9; x <= 9; ++x) {
                for (int sx : {0, 3}) {
                    Page page(24, 3, PixelFormat::mono1);
                    // A striped background so that SRCAND and SRCINVERT show.
                    for (int i = 0; i < 3; ++i) page.dev->row(i)[0] = page.dev->row(i)[2] = 0x5A;
                    Picture before = page.picture(kLegend);
                    stretch(page.dc, d, x, 0, 21 - sx, 3, sx, 0, 21 - sx, 3, rop);
                    Picture got = page.picture(kLegend);
                    for (int y = 0; y < 3; ++y)
                        for (int px = 0; px < 24; ++px) {
                            const int src = px - x + sx;
                            char want = before[y][px];
                            if (src >= sx && src < 21 && px >= x) {
                                bool white = rows[y][src] != (inverted ? 1u : 0u);
                                bool dst_white = before[y][px] == '.';
                                bool r = rop == SRCCOPY ? white : rop == SRCAND ? (white && dst_white) : (white != dst_white);
                                want = r ? '.' : '#';
                            }
                            ASSERT_EQ(got[y][px], want) << "x=" << x << " sx=" << sx << " rop=" << std::hex << rop
                                                        << " at " << std::dec << px << "," << y;
                        }
                }
            }
        }
    }
}
