// The "PDF" printer: a valid PDF per document, the same picture as the raster
// printer for the same calls, images kept at their own resolution as stencils and
// gray images, the document name as title, and no file from an aborted document.
#include "print_test_util.h"

using namespace print_test;

namespace {

// Prints the test document on `printer` at 300 dpi; the DC is deleted afterwards.
bool print_on(const char* printer, int pages, const std::string& output) {
    DEVMODEA dm = devmode(300);
    HDC dc = CreateDCA("WINSPOOL", printer, nullptr, &dm);
    if (!dc) return false;
    bool ok = print_test_document(dc, pages, output.c_str());
    DeleteDC(dc);
    return ok;
}

// One "Name:   value" line of pdfinfo's output.
std::string info_field(const std::string& info, const std::string& name) {
    std::istringstream lines(info);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(name + ":", 0) == 0) {
            size_t v = line.find_first_not_of(' ', name.size() + 1);
            return v == std::string::npos ? "" : line.substr(v);
        }
    }
    return {};
}

}  // namespace

TEST(PrintPdf, TwoPageDocumentIsValidWithTitleAndPageSize) {
    Sandbox box;
    const std::string pdf = box.path("doc.pdf");
    ASSERT_TRUE(print_on("PDF", 2, pdf)) << pw_last_print_error();
    int status = -1;
    std::string check = run("qpdf --check '" + pdf + "'", &status);
    EXPECT_EQ(status, 0) << check;
    std::string info = run("pdfinfo '" + pdf + "'");
    EXPECT_EQ(info_field(info, "Title"), "VL Lucentra LT") << info;
    EXPECT_EQ(info_field(info, "Pages"), "2") << info;
    EXPECT_EQ(info_field(info, "Page size"), "612 x 792 pts (letter)") << info;
    EXPECT_EQ(box.files(), std::vector<std::string>{"doc.pdf"}) << "no temporary file is left beside it";
}

TEST(PrintPdf, SameCallsGiveTheRasterPrintersPicture) {
    Sandbox box;
    const std::string pdf = box.path("doc.pdf");
    ASSERT_TRUE(print_on("PDF", 1, pdf)) << pw_last_print_error();
    ASSERT_TRUE(print_on("PNG", 1, box.path("page.png"))) << pw_last_print_error();
    // Without smoothing, so that the viewer's pixels are comparable with ours.
    run("pdftoppm -r 300 -aa no -aaVector no -f 1 -l 1 '" + pdf + "' '" + box.path("render") + "'");
    Picture from_pdf = read_ppm(box.path("render-1.ppm"));
    Picture from_raster = read_png(box.path("page-1.png"));
    ASSERT_EQ(from_pdf.width, 2550);
    ASSERT_EQ(from_pdf.height, 3300);
    ASSERT_EQ(from_raster.width, from_pdf.width);
    ASSERT_EQ(from_raster.height, from_pdf.height);

    // Tolerance: each pixel of the PDF's picture matches (within 48 levels) the
    // raster picture at the same place or one pixel away, since a viewer may put an
    // image or curve edge half a pixel off. Nothing more may differ.
    auto close = [](const uint8_t* a, const uint8_t* b) {
        return std::abs(a[0] - b[0]) <= 48 && std::abs(a[1] - b[1]) <= 48 && std::abs(a[2] - b[2]) <= 48;
    };
    long unexplained = 0, inked = 0, moved = 0;
    for (int y = 0; y < from_pdf.height; ++y) {
        for (int x = 0; x < from_pdf.width; ++x) {
            const uint8_t* a = from_pdf.at(x, y);
            const uint8_t* b = from_raster.at(x, y);
            if (b[0] != 255 || b[1] != 255 || b[2] != 255) ++inked;
            if (close(a, b)) continue;
            ++moved;
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy) {
                for (int dx = -1; dx <= 1 && !near; ++dx) {
                    int nx = x + dx, ny = y + dy;
                    near = nx >= 0 && ny >= 0 && nx < from_pdf.width && ny < from_pdf.height &&
                           close(a, from_raster.at(nx, ny));
                }
            }
            if (!near) ++unexplained;
        }
    }
    ASSERT_GT(inked, 100000) << "the page must hold the drawing";
    EXPECT_EQ(unexplained, 0) << moved << " pixels differ, " << unexplained << " of them beyond one pixel";
    EXPECT_LT(moved, inked / 50) << "only edges may move";
    // Spot checks away from edges: the SRCAND bars are black over the colour picture,
    // the gaps between them keep the picture's colour.
    const uint8_t* bar = from_pdf.at(75 + 164 + 2, 75 + 100 + 32 + 60);
    EXPECT_LT(bar[0] + bar[1] + bar[2], 30);
    const uint8_t* gap = from_pdf.at(75 + 164 + 6, 75 + 100 + 32 + 60);
    const uint8_t* gap_ref = from_raster.at(75 + 164 + 6, 75 + 100 + 32 + 60);
    EXPECT_NEAR(gap[0], gap_ref[0], 8);
    EXPECT_NEAR(gap[1], gap_ref[1], 8);
    EXPECT_NEAR(gap[2], gap_ref[2], 8);
}

TEST(PrintPdf, ImagesStayAtTheirOwnResolutionAsStencilAndGray) {
    Sandbox box;
    const std::string pdf = box.path("doc.pdf");
    ASSERT_TRUE(print_on("PDF", 1, pdf)) << pw_last_print_error();
    std::string list = run("pdfimages -list '" + pdf + "'");
    // page num type width height color comp bpc ...
    std::istringstream lines(list);
    std::string line;
    bool stencil = false, gray = false, colour = false;
    while (std::getline(lines, line)) {
        std::istringstream f(line);
        std::string page, num, type, width, height, color, comp, bpc;
        f >> page >> num >> type >> width >> height >> color >> comp >> bpc;
        if (type == "stencil" && width == "32" && height == "32" && bpc == "1") stencil = true;
        if (type == "image" && width == "64" && height == "16" && color == "gray" && bpc == "8") gray = true;
        if (type == "image" && width == "64" && height == "48" && color == "rgb") colour = true;
    }
    EXPECT_TRUE(stencil) << list;
    EXPECT_TRUE(gray) << list;
    EXPECT_TRUE(colour) << list;
}

TEST(PrintPdf, SameDocumentGivesTheSameBytes) {
    Sandbox box;
    ASSERT_TRUE(print_on("PDF", 2, box.path("a.pdf")));
    ASSERT_TRUE(print_on("PDF", 2, box.path("b.pdf")));
    std::string a = read_file(box.path("a.pdf")), b = read_file(box.path("b.pdf"));
    EXPECT_GT(a.size(), 1000u);
    EXPECT_TRUE(a == b) << "SOURCE_DATE_EPOCH fixes the creation date";
}

TEST(PrintPdf, AbortedDocumentLeavesNoFileAndKeepsAnOldOne) {
    Sandbox box;
    const std::string pdf = box.path("doc.pdf");
    {
        std::ofstream(pdf) << "the previous print";
    }
    HDC dc = CreateDCA("WINSPOOL", "PDF", nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    DOCINFOA info{sizeof info, "VL Lucentra LT", pdf.c_str(), nullptr, 0};
    ASSERT_GT(StartDocA(dc, &info), 0);
    ASSERT_GT(StartPage(dc), 0);
    ASSERT_TRUE(draw_test_page(dc, 0));
    ASSERT_GT(EndPage(dc), 0);
    ASSERT_GT(StartPage(dc), 0);
    EXPECT_GT(AbortDoc(dc), 0);
    EXPECT_EQ(EndPage(dc), SP_ERROR) << "the document is gone";
    EXPECT_EQ(EndDoc(dc), SP_ERROR);
    DeleteDC(dc);
    EXPECT_EQ(read_file(pdf), "the previous print");
    EXPECT_EQ(box.files(), std::vector<std::string>{"doc.pdf"});

    // A DC deleted in the middle of a document never completes it either.
    const std::string other = box.path("other.pdf");
    dc = CreateDCA("WINSPOOL", "PDF", nullptr, nullptr);
    DOCINFOA info2{sizeof info2, "VL Lucentra LT", other.c_str(), nullptr, 0};
    ASSERT_GT(StartDocA(dc, &info2), 0);
    ASSERT_GT(StartPage(dc), 0);
    DeleteDC(dc);
    EXPECT_FALSE(fs::exists(other));
    EXPECT_EQ(box.files(), std::vector<std::string>{"doc.pdf"});
}

TEST(PrintPdf, OutputGoesToTheHostsOverrideOrTheDocumentName) {
    Sandbox box;
    HDC dc = CreateDCA("WINSPOOL", "PDF", nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    // A folder as output: the document's name inside it.
    pw_set_print_output(box.dir().c_str());
    ASSERT_TRUE(print_test_document(dc, 1)) << pw_last_print_error();
    EXPECT_TRUE(fs::exists(box.path("VL Lucentra LT.pdf")));
    pw_set_print_output(box.path("host.pdf").c_str());
    ASSERT_TRUE(print_test_document(dc, 1)) << pw_last_print_error();
    EXPECT_TRUE(fs::exists(box.path("host.pdf")));
    // A folder that does not exist: StartDoc fails and says where.
    pw_set_print_output("/nonexistent-folder/x.pdf");
    DOCINFOA info{sizeof info, "VL Lucentra LT", nullptr, nullptr, 0};
    EXPECT_EQ(StartDocA(dc, &info), SP_ERROR);
    EXPECT_NE(std::string(pw_last_print_error()).find("/nonexistent-folder/x.pdf"), std::string::npos);
    DeleteDC(dc);
}

TEST(PrintPdf, SpoolerCallsOutOfOrderFail) {
    Sandbox box;
    HDC dc = CreateDCA("WINSPOOL", "PDF", nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(StartPage(dc), SP_ERROR);
    EXPECT_EQ(EndPage(dc), SP_ERROR);
    EXPECT_EQ(EndDoc(dc), SP_ERROR);
    EXPECT_EQ(AbortDoc(dc), SP_ERROR);
    EXPECT_FALSE(draw_test_page(dc, 0)) << "drawing outside a page fails instead of vanishing";
    const std::string x = box.path("x.pdf");
    DOCINFOA info{sizeof info, "x", x.c_str(), nullptr, 0};
    ASSERT_GT(StartDocA(dc, &info), 0);
    EXPECT_EQ(StartDocA(dc, &info), SP_ERROR) << "one document at a time";
    ASSERT_GT(StartPage(dc), 0);
    EXPECT_EQ(StartPage(dc), SP_ERROR);
    // EndDoc inside a page ends the page first.
    EXPECT_GT(EndDoc(dc), 0);
    EXPECT_TRUE(fs::exists(box.path("x.pdf")));
    DeleteDC(dc);
    EXPECT_EQ(StartDocA(nullptr, &info), SP_ERROR);
    EXPECT_EQ(SetAbortProc(nullptr, nullptr), SP_ERROR);
}
