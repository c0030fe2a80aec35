// Which printers exist and what they report: built-in printers, the printers
// file, paper by locale, DEVMODE choices, DeviceCapabilities and GetDeviceCaps.
#include "print_test_util.h"

using namespace print_test;

namespace {

const PW_PRINTER_INFO* find(const std::vector<PW_PRINTER_INFO>& list, const std::string& name) {
    for (const auto& p : list) {
        if (p.name == name) return &p;
    }
    return nullptr;
}

struct Caps {
    int horz, vert, dpi_x, dpi_y, bits, planes, phys_w, phys_h, off_x, off_y;
};

Caps caps_of(HDC dc) {
    return {GetDeviceCaps(dc, HORZRES),       GetDeviceCaps(dc, VERTRES),       GetDeviceCaps(dc, LOGPIXELSX),
            GetDeviceCaps(dc, LOGPIXELSY),    GetDeviceCaps(dc, BITSPIXEL),     GetDeviceCaps(dc, PLANES),
            GetDeviceCaps(dc, PHYSICALWIDTH), GetDeviceCaps(dc, PHYSICALHEIGHT), GetDeviceCaps(dc, PHYSICALOFFSETX),
            GetDeviceCaps(dc, PHYSICALOFFSETY)};
}

}  // namespace

TEST(PrintCatalogue, BuiltInPrintersWithPdfAsDefault) {
    Sandbox box;
    auto list = pw_list_printers();
    const PW_PRINTER_INFO* pdf = find(list, "PDF");
    const PW_PRINTER_INFO* png = find(list, "PNG");
    const PW_PRINTER_INFO* fax = find(list, "Fax");
    ASSERT_TRUE(pdf && png && fax);
    EXPECT_TRUE(pdf->is_default);
    EXPECT_FALSE(png->is_default);
    EXPECT_TRUE(pdf->colour);
    EXPECT_EQ(pdf->resolution, std::make_pair(600, 600));
    EXPECT_EQ(pdf->resolutions, (std::vector<std::pair<int, int>>{{300, 300}, {600, 600}, {1200, 1200}}));
    EXPECT_EQ(pdf->paper, "Letter");
    EXPECT_EQ(pdf->printable_left, 635);
    EXPECT_EQ(pdf->printable_width, 21590 - 2 * 635);
    EXPECT_FALSE(fax->colour);
    EXPECT_EQ(fax->resolution, std::make_pair(204, 196));
    EXPECT_EQ(fax->kind, "fax");

    char name[64];
    DWORD size = sizeof name;
    ASSERT_TRUE(GetDefaultPrinterA(name, &size));
    EXPECT_STREQ(name, "PDF");
    DWORD small = 2;
    EXPECT_FALSE(GetDefaultPrinterA(name, &small));
    EXPECT_EQ(small, 4u);
}

TEST(PrintCatalogue, PaperFollowsTheLocale) {
    Sandbox box;
    unsetenv("LC_PAPER");
    struct Case {
        const char* lang;
        const char* lc_paper;
        const char* paper;
    } cases[] = {
        {"en_US.UTF-8", nullptr, "Letter"}, {"es_MX.UTF-8", nullptr, "Letter"}, {"fr_CA", nullptr, "Letter"},
        {"de_DE.UTF-8", nullptr, "A4"},     {"C", nullptr, "A4"},               {"en_GB.UTF-8", nullptr, "A4"},
        {"en_US.UTF-8", "de_AT.UTF-8", "A4"}, {"de_DE.UTF-8", "en_PH.UTF-8", "Letter"},
    };
    for (const Case& c : cases) {
        setenv("LANG", c.lang, 1);
        if (c.lc_paper) setenv("LC_PAPER", c.lc_paper, 1); else unsetenv("LC_PAPER");
        auto list = pw_list_printers();
        const PW_PRINTER_INFO* pdf = find(list, "PDF");
        ASSERT_TRUE(pdf);
        EXPECT_EQ(pdf->paper, c.paper) << c.lang << " / " << (c.lc_paper ? c.lc_paper : "-");
    }
}

TEST(PrintCatalogue, PrintersFileChangesAndAddsPrintersAndSkipsBadLines) {
    Sandbox box;
    box.write_printers_file(
        "default = Draft\n"
        "[PDF]\n"
        "paper = a4\n"
        "margins = 10mm\n"
        "bogus line\n"
        "[Draft]\n"
        "kind = png\n"
        "resolutions = 100, 200x100\n"
        "resolution = 200x100\n"
        "colour = no\n"
        "paper = 100x150mm\n"
        "speed = fast\n"
        "[Broken]\n"
        "kind = png\n"
        "margins = 200mm\n");
    auto list = pw_list_printers();
    const PW_PRINTER_INFO* pdf = find(list, "PDF");
    const PW_PRINTER_INFO* draft = find(list, "Draft");
    ASSERT_TRUE(pdf && draft);
    EXPECT_EQ(pdf->paper, "A4");
    EXPECT_EQ(pdf->printable_left, 1000);
    EXPECT_EQ(pdf->resolution, std::make_pair(600, 600)) << "keys the file does not give stay built-in";
    EXPECT_EQ(draft->kind, "png");
    EXPECT_TRUE(draft->is_default);
    EXPECT_FALSE(draft->colour);
    EXPECT_EQ(draft->resolution, std::make_pair(200, 100));
    EXPECT_EQ(draft->paper_width, 10000);
    EXPECT_EQ(draft->paper_height, 15000);
    EXPECT_EQ(find(list, "Broken"), nullptr) << "margins wider than the paper";

    // The default from the file reaches CreateDC users too.
    char name[64];
    DWORD size = sizeof name;
    ASSERT_TRUE(GetDefaultPrinterA(name, &size));
    EXPECT_STREQ(name, "Draft");
}

TEST(PrintCatalogue, DamagedPrintersFileLeavesBuiltInsUsable) {
    Sandbox box;
    box.write_printers_file(std::string("[PDF\n\x01\xff garbage = \n[PDF]\nresolutions = zero\nresolution = -5\n", 60));
    auto list = pw_list_printers();
    const PW_PRINTER_INFO* pdf = find(list, "PDF");
    ASSERT_TRUE(pdf);
    EXPECT_EQ(pdf->resolution, std::make_pair(600, 600));
    HDC dc = CreateDCA("WINSPOOL", "PDF", nullptr, nullptr);
    EXPECT_NE(dc, nullptr);
    DeleteDC(dc);
}

TEST(PrintCatalogue, DeviceCapabilitiesCountsAndLists) {
    Sandbox box;
    EXPECT_EQ(DeviceCapabilitiesA("PDF", "", DC_ENUMRESOLUTIONS, nullptr, nullptr), 3);
    LONG pairs[6] = {};
    ASSERT_EQ(DeviceCapabilitiesA("PDF", "", DC_ENUMRESOLUTIONS, reinterpret_cast<LPSTR>(pairs), nullptr), 3);
    EXPECT_EQ(pairs[0], 300);
    EXPECT_EQ(pairs[5], 1200);
    LONG fax[4] = {};
    ASSERT_EQ(DeviceCapabilitiesA("fax", nullptr, DC_ENUMRESOLUTIONS, reinterpret_cast<LPSTR>(fax), nullptr), 2);
    EXPECT_EQ(fax[0], 204);
    EXPECT_EQ(fax[1], 196);
    EXPECT_EQ(DeviceCapabilitiesA("Fax", nullptr, DC_COLORDEVICE, nullptr, nullptr), 0);
    EXPECT_EQ(DeviceCapabilitiesA("PDF", nullptr, DC_COLORDEVICE, nullptr, nullptr), 1);

    const int n = DeviceCapabilitiesA("PDF", nullptr, DC_PAPERS, nullptr, nullptr);
    ASSERT_GT(n, 1);
    std::vector<WORD> papers(n);
    DeviceCapabilitiesA("PDF", nullptr, DC_PAPERS, reinterpret_cast<LPSTR>(papers.data()), nullptr);
    EXPECT_EQ(papers[0], DMPAPER_LETTER);

    EXPECT_EQ(DeviceCapabilitiesA("No Such Printer", nullptr, DC_ENUMRESOLUTIONS, nullptr, nullptr), -1);
    EXPECT_NE(std::string(pw_last_print_error()).find("No Such Printer"), std::string::npos);
    EXPECT_EQ(DeviceCapabilitiesA("PDF", nullptr, 999, nullptr, nullptr), -1);
}

TEST(PrintCatalogue, DeviceCapsOfPrinterDcs) {
    Sandbox box;
    struct Case {
        const char* name;
        const DEVMODEA* dm;
        Caps want;
    };
    DEVMODEA a4_300 = devmode(300, DMPAPER_A4);
    DEVMODEA odd = devmode(500);  // not offered: the nearest listed one, 600
    DEVMODEA landscape = devmode(300);
    landscape.dmFields |= DM_ORIENTATION;
    landscape.dmOrientation = DMORIENT_LANDSCAPE;
    DEVMODEA mono = devmode(300);
    mono.dmFields |= DM_COLOR;
    mono.dmColor = DMCOLOR_MONOCHROME;
    const Case cases[] = {
        // Letter at 600 dpi with quarter-inch margins: 5100 x 6600 paper, 150 px margins.
        {"PDF", nullptr, {4800, 6300, 600, 600, 24, 1, 5100, 6600, 150, 150}},
        // A4 at 300 dpi: 2480 x 3508 paper, 75 px margins.
        {"PDF", &a4_300, {2330, 3358, 300, 300, 24, 1, 2480, 3508, 75, 75}},
        {"PDF", &odd, {4800, 6300, 600, 600, 24, 1, 5100, 6600, 150, 150}},
        {"PDF", &landscape, {3150, 2400, 300, 300, 24, 1, 3300, 2550, 75, 75}},
        {"PNG", &mono, {2400, 3150, 300, 300, 8, 1, 2550, 3300, 75, 75}},
        // The fax prints the whole sheet at 204 x 196 dpi, one bit deep.
        {"Fax", nullptr, {1734, 2156, 204, 196, 1, 1, 1734, 2156, 0, 0}},
    };
    for (const Case& c : cases) {
        HDC dc = CreateDCA("WINSPOOL", c.name, nullptr, c.dm);
        ASSERT_NE(dc, nullptr) << c.name << ": " << pw_last_print_error();
        Caps got = caps_of(dc);
        EXPECT_EQ(std::memcmp(&got, &c.want, sizeof got), 0)
            << c.name << " got " << got.horz << "x" << got.vert << " @" << got.dpi_x << "x" << got.dpi_y << " bits "
            << got.bits << " paper " << got.phys_w << "x" << got.phys_h << " offset " << got.off_x << "," << got.off_y;
        DeleteDC(dc);
    }
    EXPECT_EQ(CreateDCA("WINSPOOL", "No Such Printer", nullptr, nullptr), nullptr);
    EXPECT_NE(std::string(pw_last_print_error()).find("no printer 'No Such Printer'"), std::string::npos);
}

TEST(PrintCatalogue, DefaultPrinterCanBeChanged) {
    Sandbox box;
    ASSERT_TRUE(pw_set_default_printer("fax"));
    char name[64];
    DWORD size = sizeof name;
    ASSERT_TRUE(GetDefaultPrinterA(name, &size));
    EXPECT_STREQ(name, "Fax");
    auto list = pw_list_printers();
    EXPECT_TRUE(find(list, "Fax")->is_default);
    EXPECT_FALSE(find(list, "PDF")->is_default);
    EXPECT_FALSE(pw_set_default_printer("Nowhere"));
    size = sizeof name;
    GetDefaultPrinterA(name, &size);
    EXPECT_STREQ(name, "Fax") << "a failed change keeps the default";
}
