// The PDF printer writes every form of DIB so that a viewer shows what the raster
// printer draws for the same calls: palettes, gray tables of 4 and 8 bits, a
// colour 1-bit table, a black-and-white copy from the middle of a byte, mirrored
// and inverted pictures, and a picture large enough to be compressed in many
// pieces comes back from the file exactly.
#include "print_test_util.h"

using namespace print_test;

namespace {

// Draws the calls on `printer` at 300 dpi into `output`.
template <class Draw>
bool print_with(const char* printer, const std::string& output, Draw draw) {
    DEVMODEA dm = devmode(300);
    HDC dc = CreateDCA("WINSPOOL", printer, nullptr, &dm);
    if (!dc) return false;
    DOCINFOA info{sizeof info, "forms", output.c_str(), nullptr, 0};
    bool ok = StartDocA(dc, &info) > 0 && StartPage(dc) > 0 && draw(dc) && EndPage(dc) > 0 && EndDoc(dc) > 0;
    DeleteDC(dc);
    return ok;
}

// Pixels of the PDF's rendering that match the raster picture neither in place
// nor one pixel away (a viewer may put an image edge half a pixel off).
long unexplained_pixels(const Picture& pdf, const Picture& raster, int tolerance) {
    auto close = [&](const uint8_t* a, const uint8_t* b) {
        return std::abs(a[0] - b[0]) <= tolerance && std::abs(a[1] - b[1]) <= tolerance &&
               std::abs(a[2] - b[2]) <= tolerance;
    };
    long bad = 0;
    for (int y = 0; y < pdf.height; ++y)
        for (int x = 0; x < pdf.width; ++x) {
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy)
                for (int dx = -1; dx <= 1 && !near; ++dx) {
                    int nx = x + dx, ny = y + dy;
                    near = nx >= 0 && ny >= 0 && nx < pdf.width && ny < pdf.height &&
                           close(pdf.at(x, y), raster.at(nx, ny));
                }
            if (!near) ++bad;
        }
    return bad;
}

Dib palette_dib(int bits, int width, int height) {
    std::vector<RGBQUAD> table;
    for (int i = 0; i < (1 << bits); ++i)
        table.push_back(RGBQUAD{BYTE(i * 37 % 256), BYTE(255 - i * 53 % 256), BYTE(i * 91 % 256), 0});
    Dib d = make_dib(width, height, bits, table);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int v = (x / 6 + y / 5) % (1 << bits);
            uint8_t* row = d.row_from_top(y, height);
            const int bit = x * bits;
            row[bit >> 3] |= static_cast<uint8_t>(v << (8 - bits - (bit & 7)));
        }
    return d;
}

Dib gray4_dib() {
    std::vector<RGBQUAD> ramp;
    for (int i = 0; i < 16; ++i) ramp.push_back(RGBQUAD{BYTE(i * 17), BYTE(i * 17), BYTE(i * 17), 0});
    Dib d = make_dib(40, 20, 4, ramp);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) d.row_from_top(y, 20)[x >> 1] |= static_cast<uint8_t>((x * 16 / 40) << ((x & 1) ? 0 : 4));
    return d;
}

// 900 x 700 pixels of coloured noise over gradients: 1.9 MB, compressed in
// several pieces.
Dib large_dib() {
    Dib d = make_dib(900, 700, 24, {});
    uint32_t seed = 7;
    for (int y = 0; y < 700; ++y) {
        uint8_t* row = d.row_from_top(y, 700);
        for (int x = 0; x < 900 * 3; ++x) {
            seed = seed * 1664525u + 1013904223u;
            row[x] = static_cast<uint8_t>(x / 11 + y / 3 + (seed >> 28));
        }
    }
    return d;
}

}  // namespace

TEST(PrintPdfForms, EveryDibFormLooksAsOnTheRasterPrinter) {
    Sandbox box;
    Dib pal8 = palette_dib(8, 60, 30), pal1 = palette_dib(1, 48, 24), gray4 = gray4_dib(), colour = colour_dib(),
        bars = bars_dib();
    auto draw = [&](HDC dc) {
        bool ok = true;
        auto put = [&](int x, int y, int w, int h, int sx, int sy, int sw, int sh, const Dib& d, DWORD rop) {
            ok = StretchDIBits(dc, x, y, w, h, sx, sy, sw, sh, d.bits(), d.info(), DIB_RGB_COLORS, rop) > 0 && ok;
        };
        // Enlarged 4 times or more, where viewers sample without smoothing.
        put(50, 50, 240, 120, 0, 0, 60, 30, pal8, SRCCOPY);     // /Indexed, 8 bits
        put(320, 50, 192, 96, 0, 0, 48, 24, pal1, SRCCOPY);     // /Indexed from a colour 1-bit table
        put(540, 50, 160, 80, 0, 0, 40, 20, gray4, SRCCOPY);    // 4-bit gray table
        put(50, 200, 256, -192, 0, 0, 64, 48, colour, SRCCOPY); // mirrored top to bottom
        put(576, 200, -256, 192, 0, 0, 64, 48, colour, SRCCOPY);  // mirrored left to right (x 320..576)
        put(600, 200, 256, 192, 0, 0, 64, 48, colour, NOTSRCCOPY);
        put(900, 200, 92, 80, 3, 5, 23, 20, bars, SRCCOPY);     // from bit 3 of the first byte
        return ok;
    };
    const std::string pdf = box.path("forms.pdf");
    ASSERT_TRUE(print_with("PDF", pdf, draw)) << pw_last_print_error();
    ASSERT_TRUE(print_with("PNG", box.path("forms.png"), draw)) << pw_last_print_error();
    int status = -1;
    std::string check = run("qpdf --check '" + pdf + "'", &status);
    EXPECT_EQ(status, 0) << check;
    std::string list = run("pdfimages -list '" + pdf + "'");
    EXPECT_NE(list.find("index"), std::string::npos) << "palettes stay palettes:\n" << list;

    run("pdftoppm -r 300 -aa no -aaVector no -f 1 -l 1 '" + pdf + "' '" + box.path("render") + "'");
    Picture from_pdf = read_ppm(box.path("render-1.ppm"));
    Picture from_raster = read_png(box.path("forms-1.png"));
    ASSERT_GT(from_pdf.width, 0);
    ASSERT_EQ(from_pdf.width, from_raster.width);
    ASSERT_EQ(from_pdf.height, from_raster.height);
    EXPECT_EQ(unexplained_pixels(from_pdf, from_raster, 2), 0);
    // Spot checks where a wrong orientation or inversion would show: the mirrored
    // copies' corners and the inverted copy.
    for (auto [x, y] : {std::pair{75 + 60, 75 + 210}, {75 + 120, 75 + 380}, {75 + 330, 75 + 210},
                        {75 + 620, 75 + 220}, {75 + 910, 75 + 210}, {75 + 950, 75 + 270}}) {
        const uint8_t* a = from_pdf.at(x, y);
        const uint8_t* b = from_raster.at(x, y);
        EXPECT_EQ(std::vector<int>(a, a + 3), std::vector<int>(b, b + 3)) << "at " << x << ", " << y;
    }
}

TEST(PrintPdfForms, LargePictureComesBackExactly) {
    Sandbox box;
    Dib large = large_dib();
    const std::string pdf = box.path("large.pdf");
    ASSERT_TRUE(print_with("PDF", pdf, [&](HDC dc) {
        return StretchDIBits(dc, 50, 50, 900, 700, 0, 0, 900, 700, large.bits(), large.info(), DIB_RGB_COLORS,
                             SRCCOPY) > 0;
    })) << pw_last_print_error();
    // The viewer's rendering smooths noise, so the image is taken from the file as stored.
    run("pdfimages -png '" + pdf + "' '" + box.path("image") + "'");
    Picture stored = read_png(box.path("image-000.png"));
    ASSERT_EQ(stored.width, 900);
    ASSERT_EQ(stored.height, 700);
    long wrong = 0;
    for (int y = 0; y < 700; ++y)
        for (int x = 0; x < 900; ++x) {
            const uint8_t* dib = large.row_from_top(y, 700) + 3 * x;  // blue, green, red
            const uint8_t* got = stored.at(x, y);
            if (got[0] != dib[2] || got[1] != dib[1] || got[2] != dib[0]) ++wrong;
        }
    EXPECT_EQ(wrong, 0);
}
