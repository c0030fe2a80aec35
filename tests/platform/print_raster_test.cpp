// Raster printers ("PNG", "Fax") and what every printer DC shares: the abort
// procedure called while pages are produced, and aborts from inside it.
#include "print_test_util.h"

using namespace print_test;

TEST(PrintRaster, PngPrinterWritesOneFilePerPage) {
    Sandbox box;
    HDC dc = CreateDCA("WINSPOOL", "PNG", nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    ASSERT_TRUE(print_test_document(dc, 2, box.path("scan.png").c_str())) << pw_last_print_error();
    EXPECT_EQ(box.files(), (std::vector<std::string>{"scan-1.png", "scan-2.png"}));
    ASSERT_TRUE(print_test_document(dc, 1, box.path("p%d-x.png").c_str())) << pw_last_print_error();
    EXPECT_TRUE(fs::exists(box.path("p1-x.png")));
    DeleteDC(dc);

    // The page is the whole sheet: white margins around the printable area, where
    // device pixel (0, 0) sits at the physical offset.
    Picture page = read_png(box.path("scan-1.png"));
    ASSERT_EQ(page.width, 2550);
    ASSERT_EQ(page.height, 3300);
    const uint8_t* margin = page.at(74, 75 + 100 + 10);
    EXPECT_EQ(margin[0] + margin[1] + margin[2], 3 * 255);
    const uint8_t* top_left = page.at(75 + 100, 75 + 100);  // the colour picture's first pixel
    EXPECT_EQ(top_left[0], 230);
    EXPECT_EQ(top_left[1], 0);
    EXPECT_EQ(top_left[2], 0);
}

TEST(PrintRaster, FaxWritesMultiPageG4TiffAt204By196) {
    Sandbox box;
    HDC dc = CreateDCA("WINSPOOL", "Fax", nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 1);
    EXPECT_EQ(GetDeviceCaps(dc, PLANES), 1);
    const std::string tif = box.path("fax.tif");
    ASSERT_TRUE(print_test_document(dc, 2, tif.c_str())) << pw_last_print_error();
    DeleteDC(dc);
    int status = -1;
    std::string info = run("tiffinfo '" + tif + "'", &status);
    ASSERT_EQ(status, 0) << info;
    auto count = [&](const std::string& what) {
        size_t n = 0;
        for (size_t at = info.find(what); at != std::string::npos; at = info.find(what, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(count("Resolution: 204, 196 pixels/inch"), 2u) << info;
    EXPECT_EQ(count("Bits/Sample: 1"), 2u) << info;
    EXPECT_EQ(count("Compression Scheme: CCITT Group 4"), 2u) << info;
    EXPECT_EQ(count("Image Width: 1734 Image Length: 2156"), 2u) << info;
    // The pages hold the drawing: decoded rows hold black (set) bits.
    std::string dump = run("tiffinfo -d -s '" + tif + "' | grep -cE ' (0[1-9a-f]|[1-9a-f][0-9a-f])( |$)'");
    EXPECT_GT(std::atoi(dump.c_str()), 0);
}

namespace {

// The abort procedure of the tests: counts its calls; can refuse, or abort the
// document from inside (as an application's message handler does).
struct AbortProbe {
    int calls = 0;
    int refuse_after = -1;    // return FALSE from this call on
    int abort_doc_at = -1;    // call AbortDoc on this call
    HDC dc = nullptr;
};
AbortProbe probe;

BOOL probe_proc(HDC dc, int) {
    ++probe.calls;
    if (probe.abort_doc_at == probe.calls) AbortDoc(dc);
    return probe.refuse_after >= 0 && probe.calls >= probe.refuse_after ? FALSE : TRUE;
}

}  // namespace

TEST(PrintRaster, AbortProcedureRunsWhilePagesAreProduced) {
    Sandbox box;
    for (const char* printer : {"PNG", "PDF", "Fax"}) {
        probe = AbortProbe{};
        HDC dc = CreateDCA("WINSPOOL", printer, nullptr, nullptr);
        ASSERT_NE(dc, nullptr);
        ASSERT_GT(SetAbortProc(dc, probe_proc), 0);
        ASSERT_TRUE(print_test_document(dc, 1, box.path(std::string("ok-") + printer).c_str()));
        // At least once for each of the three pictures, and while the page is encoded.
        EXPECT_GE(probe.calls, 4) << printer;
        DeleteDC(dc);
    }
}

TEST(PrintRaster, AbortFromTheAbortProcedureLeavesNothing) {
    Sandbox box;
    struct Case {
        const char* printer;
        int refuse_after;
        int abort_doc_at;
    } cases[] = {
        {"PNG", 2, -1}, {"PNG", -1, 2}, {"PDF", 3, -1}, {"PDF", -1, 1}, {"Fax", 1, -1}, {"Fax", -1, 4},
    };
    for (const Case& c : cases) {
        probe = AbortProbe{};
        probe.refuse_after = c.refuse_after;
        probe.abort_doc_at = c.abort_doc_at;
        HDC dc = CreateDCA("WINSPOOL", c.printer, nullptr, nullptr);
        ASSERT_NE(dc, nullptr);
        SetAbortProc(dc, probe_proc);
        const std::string out = box.path("aborted");
        EXPECT_FALSE(print_test_document(dc, 2, out.c_str())) << c.printer;
        EXPECT_EQ(EndDoc(dc), SP_ERROR) << "the document is gone";
        EXPECT_TRUE(box.files().empty()) << c.printer << ": " << box.files().front();
        // The DC prints the next document normally.
        probe = AbortProbe{};
        EXPECT_TRUE(print_test_document(dc, 1, out.c_str())) << c.printer << ": " << pw_last_print_error();
        DeleteDC(dc);
        for (const auto& f : box.files()) fs::remove(box.path(f));
    }
}
