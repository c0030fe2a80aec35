// DIB sections in memory DCs, palettes, stock objects, handles, and the
// printer-factory hook of CreateDC.
#include "gdi_test_util.h"
#include "pw/kernel.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace gdi_test;
using pw::PixelFormat;

namespace {

struct Section {
    std::vector<uint8_t> info;
    BITMAPINFO* bmi() { return reinterpret_cast<BITMAPINFO*>(info.data()); }
};

Section section_info(int w, int h, int bpp, const std::vector<RGBQUAD>& colors = {}) {
    Section s;
    s.info.resize(sizeof(BITMAPINFOHEADER) + colors.size() * sizeof(RGBQUAD));
    BITMAPINFOHEADER hdr{};
    hdr.biSize = sizeof hdr;
    hdr.biWidth = w;
    hdr.biHeight = h;
    hdr.biPlanes = 1;
    hdr.biBitCount = static_cast<WORD>(bpp);
    hdr.biClrUsed = static_cast<DWORD>(colors.size());
    std::memcpy(s.info.data(), &hdr, sizeof hdr);
    if (!colors.empty()) std::memcpy(s.info.data() + sizeof hdr, colors.data(), colors.size() * 4);
    return s;
}

} // namespace

TEST(GdiObjects, MemoryDcDrawsIntoTheSelectedSectionsPixels) {
    Section info = section_info(3, 2, 24);
    void* bits = nullptr;
    HBITMAP bm = CreateDIBSection(nullptr, info.bmi(), DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_TRUE(bm && bits);
    HDC mem = CreateCompatibleDC(nullptr);
    ASSERT_TRUE(mem);
    HGDIOBJ old = SelectObject(mem, bm);
    ASSERT_TRUE(old);
    EXPECT_EQ(GetDeviceCaps(mem, HORZRES), 3);
    EXPECT_EQ(GetDeviceCaps(mem, VERTRES), 2);
    EXPECT_EQ(GetDeviceCaps(mem, BITSPIXEL), 24);

    Dib red_top = make_dib(24, {}, {{RGB(255, 0, 0)}, {RGB(0, 0, 255)}});
    EXPECT_EQ(stretch(mem, red_top, 0, 0, 3, 2, 0, 0, 1, 2), 2);
    // The section is bottom-up: its first row in memory is the picture's bottom (blue).
    const uint8_t* p = static_cast<const uint8_t*>(bits);
    const size_t stride = 12;
    EXPECT_EQ((std::vector<int>{p[0], p[1], p[2]}), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ((std::vector<int>{p[stride + 6], p[stride + 7], p[stride + 8]}), (std::vector<int>{0, 0, 255}));

    DIBSECTION ds{};
    EXPECT_EQ(GetObject(bm, sizeof ds, &ds), static_cast<int>(sizeof ds));
    EXPECT_EQ(ds.dsBm.bmWidth, 3);
    EXPECT_EQ(ds.dsBm.bmWidthBytes, 12);
    EXPECT_EQ(ds.dsBm.bmBits, bits);
    EXPECT_EQ(ds.dsBmih.biBitCount, 24);

    EXPECT_FALSE(DeleteObject(bm)); // still selected
    EXPECT_EQ(SelectObject(mem, old), static_cast<HGDIOBJ>(bm));
    EXPECT_TRUE(DeleteObject(bm));
    EXPECT_FALSE(DeleteObject(bm)); // already gone
    EXPECT_TRUE(DeleteDC(mem));
}

TEST(GdiObjects, SectionsWithTablesMatchTheNearestColour) {
    // A one-bit section whose table is {white, black}: black is bit 1.
    Section mono = section_info(8, 1, 1, {q(255, 255, 255), q(0, 0, 0)});
    void* mono_bits = nullptr;
    HBITMAP bm1 = CreateDIBSection(nullptr, mono.bmi(), DIB_RGB_COLORS, &mono_bits, nullptr, 0);
    // An eight-bit section with red, green and blue.
    Section pal = section_info(3, 1, 8, {q(255, 0, 0), q(0, 255, 0), q(0, 0, 255)});
    void* pal_bits = nullptr;
    HBITMAP bm8 = CreateDIBSection(nullptr, pal.bmi(), DIB_RGB_COLORS, &pal_bits, nullptr, 0);
    ASSERT_TRUE(bm1 && bm8);
    HDC mem = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mem, bm1);
    Dib d = make_dib(1, kBlackWhite, {{0, 1, 1, 1, 0, 0, 1, 1}});
    stretch(mem, d, 0, 0, 8, 1, 0, 0, 8, 1);
    EXPECT_EQ(static_cast<uint8_t*>(mono_bits)[0], 0x8C);

    SelectObject(mem, bm8);
    Dib c = make_dib(24, {}, {{RGB(0, 10, 240), RGB(250, 20, 0), RGB(0, 200, 30)}});
    stretch(mem, c, 0, 0, 3, 1, 0, 0, 3, 1);
    const uint8_t* idx = static_cast<uint8_t*>(pal_bits);
    EXPECT_EQ((std::vector<int>{idx[0], idx[1], idx[2]}), (std::vector<int>{2, 0, 1}));
    SelectObject(mem, old);
    DeleteDC(mem);
    EXPECT_TRUE(DeleteObject(bm1));
    EXPECT_TRUE(DeleteObject(bm8));

    Section bad = section_info(0, 1, 24);
    void* none = reinterpret_cast<void*>(1);
    SetLastError(0);
    EXPECT_EQ(CreateDIBSection(nullptr, bad.bmi(), DIB_RGB_COLORS, &none, nullptr, 0), nullptr);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(GdiObjects, PalettesSelectRealizeAndDelete) {
    std::vector<uint8_t> mem(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(mem.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 2;
    lp->palPalEntry[0] = PALETTEENTRY{0, 0, 0, PC_NOCOLLAPSE};
    lp->palPalEntry[1] = PALETTEENTRY{255, 255, 255, PC_NOCOLLAPSE};
    HPALETTE pal = CreatePalette(lp);
    ASSERT_TRUE(pal);
    PALETTEENTRY back[2]{};
    EXPECT_EQ(GetPaletteEntries(pal, 0, 2, back), 2u);
    EXPECT_EQ(back[1].peGreen, 255);
    Page page(2, 2);
    HPALETTE previous = SelectPalette(page.dc, pal, FALSE);
    EXPECT_EQ(static_cast<HGDIOBJ>(previous), GetStockObject(DEFAULT_PALETTE));
    EXPECT_NE(RealizePalette(page.dc), GDI_ERROR);
    EXPECT_FALSE(DeleteObject(pal)); // selected
    SelectPalette(page.dc, previous, FALSE);
    EXPECT_TRUE(DeleteObject(pal));
    EXPECT_EQ(RealizePalette(nullptr), GDI_ERROR);

    lp->palVersion = 0x200;
    EXPECT_EQ(CreatePalette(lp), nullptr);
    lp->palVersion = 0x300;
    lp->palNumEntries = 0;
    EXPECT_EQ(CreatePalette(lp), nullptr);
    EXPECT_EQ(CreatePalette(nullptr), nullptr);
}

TEST(GdiObjects, StockObjectsSurviveDeleteAndHandlesAreChecked) {
    HGDIOBJ black = GetStockObject(BLACK_BRUSH);
    EXPECT_EQ(GetObjectType(black), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_TRUE(DeleteObject(black));
    LOGBRUSH lb{};
    EXPECT_EQ(GetObject(black, sizeof lb, &lb), static_cast<int>(sizeof lb));
    EXPECT_EQ(lb.lbColor, RGB(0, 0, 0));
    EXPECT_EQ(GetObjectType(GetStockObject(NULL_PEN)), static_cast<DWORD>(OBJ_PEN));
    EXPECT_EQ(GetStockObject(1234), nullptr);

    int not_an_object = 0;
    EXPECT_EQ(GetObjectType(&not_an_object), 0u);
    EXPECT_FALSE(DeleteObject(&not_an_object));
    EXPECT_EQ(SelectObject(nullptr, black), nullptr);
    Page page(1, 1);
    EXPECT_EQ(SelectObject(page.dc, &not_an_object), nullptr);
    // A DC is not deleted through DeleteObject.
    EXPECT_FALSE(DeleteObject(page.dc));
    EXPECT_TRUE(GdiFlush());
}

TEST(GdiObjects, CreateDcAsksTheRegisteredFactories) {
    int calls = 0;
    int id = pw_register_dc_factory([&](const char* driver, const char* device, const char*,
                                        const DEVMODEA*) -> std::unique_ptr<pw::Device> {
        ++calls;
        if (!driver || std::string(driver) != "WINSPOOL" || !device || std::string(device) != "Test")
            return nullptr;
        return std::make_unique<pw::RasterDevice>(pw::raster_caps(2550, 3300, 300, 300, PixelFormat::mono1),
                                                  PixelFormat::mono1);
    });
    int throwing = pw_register_dc_factory([](const char*, const char*, const char*,
                                             const DEVMODEA*) -> std::unique_ptr<pw::Device> {
        throw std::runtime_error("broken printer");
    });
    HDC dc = CreateDC("WINSPOOL", "Test", nullptr, nullptr);
    ASSERT_TRUE(dc);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 300);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 2550);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 1);
    EXPECT_EQ(GetDeviceCaps(dc, HORZSIZE), 216); // 8.5 inches in millimetres
    EXPECT_STREQ(pw_dc_device(dc)->kind(), "raster");
    DeleteDC(dc);
    EXPECT_EQ(CreateDC("WINSPOOL", "Other", nullptr, nullptr), nullptr);

    HDC screen = CreateDC("DISPLAY", nullptr, nullptr, nullptr);
    ASSERT_TRUE(screen);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(screen, TECHNOLOGY), DT_RASDISPLAY);
    DeleteDC(screen);

    pw_unregister_dc_factory(id);
    pw_unregister_dc_factory(throwing);
    const int before = calls;
    EXPECT_EQ(CreateDC("WINSPOOL", "Test", nullptr, nullptr), nullptr);
    EXPECT_EQ(calls, before);
    EXPECT_EQ(pw_create_dc(nullptr), nullptr);
}
