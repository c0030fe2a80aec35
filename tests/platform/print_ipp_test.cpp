// IPP printers through libcups, against an ippeveprinter started by each test:
// capabilities read from the printer, documents landing in its spool folder as PDF
// or PWG raster, and clear failures when the printer is gone.
#include "ipp_fixture.h"
#include "print_test_util.h"

using namespace print_test;

namespace {

bool starts_with(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

}  // namespace

TEST(PrintIpp, ColourPrinterReportsItsCapabilitiesAndTakesAPdf) {
    Sandbox box;
    IppPrinter printer;
    ASSERT_TRUE(printer.start("colour", true)) << printer.error();
    const std::string uri = printer.uri();
    HDC dc = CreateDCA("WINSPOOL", uri.c_str(), nullptr, nullptr);
    ASSERT_NE(dc, nullptr) << pw_last_print_error();
    // ippeveprinter: 600 dpi, Letter, margins 6.35 mm left and right, 1.02 mm top,
    // 11.68 mm bottom.
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 600);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 600);
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), 5100);
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALHEIGHT), 6600);
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALOFFSETX), 150);
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALOFFSETY), 24);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 4800);
    EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 6600 - 24 - 276);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 24);
    EXPECT_EQ(DeviceCapabilitiesA(uri.c_str(), nullptr, DC_COLORDEVICE, nullptr, nullptr), 1);
    LONG res[2] = {};
    EXPECT_EQ(DeviceCapabilitiesA(uri.c_str(), nullptr, DC_ENUMRESOLUTIONS, reinterpret_cast<LPSTR>(res), nullptr), 1);
    EXPECT_EQ(res[0], 600);

    ASSERT_TRUE(print_test_document(dc, 2)) << pw_last_print_error();
    DeleteDC(dc);
    auto docs = printer.wait_for_documents(1);
    ASSERT_EQ(docs.size(), 1u);
    std::string data = read_file(docs[0]);
    EXPECT_TRUE(starts_with(data, "%PDF-")) << docs[0];
    int status = -1;
    std::string check = run("qpdf --check '" + docs[0] + "'", &status);
    EXPECT_EQ(status, 0) << check;
    EXPECT_NE(run("pdfinfo '" + docs[0] + "'").find("VL Lucentra LT"), std::string::npos);
    EXPECT_TRUE(box.files().empty()) << "nothing is written locally for an IPP printer";
}

TEST(PrintIpp, MonochromePrinterSaysSoAndTakesTheDocument) {
    Sandbox box;
    IppPrinter printer;
    ASSERT_TRUE(printer.start("mono", false)) << printer.error();
    const std::string uri = printer.uri();
    HDC dc = CreateDCA("WINSPOOL", uri.c_str(), nullptr, nullptr);
    ASSERT_NE(dc, nullptr) << pw_last_print_error();
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 1);
    EXPECT_EQ(GetDeviceCaps(dc, PLANES), 1);
    EXPECT_EQ(DeviceCapabilitiesA(uri.c_str(), nullptr, DC_COLORDEVICE, nullptr, nullptr), 0);
    ASSERT_TRUE(print_test_document(dc, 2)) << pw_last_print_error();
    DeleteDC(dc);
    auto docs = printer.wait_for_documents(1);
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_TRUE(starts_with(read_file(docs[0]), "%PDF-"));
}

TEST(PrintIpp, PrinterWithoutPdfGetsPwgRaster) {
    Sandbox box;
    IppPrinter printer;
    ASSERT_TRUE(printer.start("raster", true, "image/pwg-raster")) << printer.error();
    const std::string uri = printer.uri();
    DEVMODEA dm = devmode(300);
    HDC dc = CreateDCA("WINSPOOL", uri.c_str(), nullptr, &dm);
    ASSERT_NE(dc, nullptr) << pw_last_print_error();
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 300) << "a resolution the printer lists for PWG raster";
    ASSERT_TRUE(print_test_document(dc, 2)) << pw_last_print_error();
    DeleteDC(dc);
    auto docs = printer.wait_for_documents(1);
    ASSERT_EQ(docs.size(), 1u);
    std::string data = read_file(docs[0]);
    EXPECT_TRUE(starts_with(data, "RaS2")) << docs[0];
    // The first page header: 300 dpi, the whole Letter sheet of 2550 x 3300 pixels.
    auto be32 = [&](size_t at) {
        return (uint32_t(uint8_t(data[at])) << 24) | (uint32_t(uint8_t(data[at + 1])) << 16) |
               (uint32_t(uint8_t(data[at + 2])) << 8) | uint32_t(uint8_t(data[at + 3]));
    };
    ASSERT_GT(data.size(), 1800u);
    EXPECT_EQ(be32(4 + 276), 300u);   // HWResolution
    EXPECT_EQ(be32(4 + 372), 2550u);  // cupsWidth
    EXPECT_EQ(be32(4 + 376), 3300u);  // cupsHeight
    size_t headers = 0;
    for (size_t at = data.find("PwgRaster"); at != std::string::npos; at = data.find("PwgRaster", at + 1)) ++headers;
    EXPECT_EQ(headers, 2u);
}

TEST(PrintIpp, PrinterThatVanishedFailsClearly) {
    Sandbox box;
    IppPrinter printer;
    ASSERT_TRUE(printer.start("gone", true)) << printer.error();
    const std::string uri = printer.uri();

    // Gone before the document starts: StartDoc fails.
    HDC dc = CreateDCA("WINSPOOL", uri.c_str(), nullptr, nullptr);
    ASSERT_NE(dc, nullptr) << pw_last_print_error();
    HDC dc2 = CreateDCA("WINSPOOL", uri.c_str(), nullptr, nullptr);
    ASSERT_NE(dc2, nullptr);
    DOCINFOA info{sizeof info, "VL Lucentra LT", nullptr, nullptr, 0};
    ASSERT_GT(StartDocA(dc2, &info), 0) << pw_last_print_error();
    ASSERT_GT(StartPage(dc2), 0);
    ASSERT_TRUE(draw_test_page(dc2, 0));
    ASSERT_GT(EndPage(dc2), 0);
    printer.stop();

    EXPECT_EQ(StartDocA(dc, &info), SP_ERROR);
    std::string why = pw_last_print_error();
    EXPECT_NE(why.find("does not answer"), std::string::npos) << why;
    EXPECT_NE(why.find(uri), std::string::npos) << why;
    DeleteDC(dc);

    // Gone while the document was being made: EndDoc fails.
    EXPECT_EQ(EndDoc(dc2), SP_ERROR);
    why = pw_last_print_error();
    EXPECT_NE(why.find("does not answer"), std::string::npos) << why;
    DeleteDC(dc2);

    // And a DC can no longer be made for it.
    EXPECT_EQ(CreateDCA("WINSPOOL", uri.c_str(), nullptr, nullptr), nullptr);
    EXPECT_NE(std::string(pw_last_print_error()).find("does not answer"), std::string::npos);
    EXPECT_TRUE(printer.documents().empty());
}

TEST(PrintIpp, PrintersFileNamesAnIppPrinter) {
    Sandbox box;
    IppPrinter printer;
    ASSERT_TRUE(printer.start("office", true)) << printer.error();
    box.write_printers_file("[Office]\nkind = ipp\nuri = " + printer.uri() + "\n");
    auto list = pw_list_printers();
    auto it = std::find_if(list.begin(), list.end(), [](const PW_PRINTER_INFO& p) { return p.name == "Office"; });
    ASSERT_NE(it, list.end());
    EXPECT_EQ(it->kind, "ipp");
    EXPECT_TRUE(it->problem.empty()) << it->problem;
    EXPECT_EQ(it->resolution, std::make_pair(600, 600));
    EXPECT_EQ(it->paper, "Letter");
    EXPECT_EQ(it->printable_top, 102);
    EXPECT_TRUE(it->colour);
    HDC dc = CreateDCA("WINSPOOL", "office", nullptr, nullptr);
    ASSERT_NE(dc, nullptr) << pw_last_print_error();
    ASSERT_TRUE(print_test_document(dc, 1)) << pw_last_print_error();
    DeleteDC(dc);
    EXPECT_EQ(printer.wait_for_documents(1).size(), 1u);
}
