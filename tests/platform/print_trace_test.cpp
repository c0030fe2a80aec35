// A traced printer: every call is written out and still reaches the printer.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "pw/gdi.h"
#include "pw/spool.h"

namespace {

BOOL keep_printing(HDC, int) { return TRUE; }

TEST(PrinterTrace, CallsAreWrittenOutAndTheDocumentStillPrints) {
    std::vector<std::string> lines;
    pw_set_printer_trace([&](const std::string& line) { lines.push_back(line); });
    const std::string out = ::testing::TempDir() + "traced-%d.png";
    pw_set_print_output(out.c_str());
    HDC dc = CreateDCA("WINSPOOL", "PNG", nullptr, nullptr);
    pw_set_printer_trace({});
    ASSERT_NE(dc, nullptr);
    EXPECT_GT(SetAbortProc(dc, keep_printing), 0);  // reaches the printer behind the trace
    DOCINFOA info{sizeof info, "VL Lucentra LT", nullptr, nullptr, 0};
    ASSERT_GT(StartDocA(dc, &info), 0);
    ASSERT_GT(StartPage(dc), 0);
    SetMapMode(dc, MM_TEXT);
    ASSERT_GT(EndPage(dc), 0);
    ASSERT_GT(EndDoc(dc), 0);
    DeleteDC(dc);
    pw_set_print_output(nullptr);

    std::string all;
    for (const auto& l : lines) all += l + "\n";
    EXPECT_NE(all.find("StartDoc \"VL Lucentra LT\""), std::string::npos) << all;
    EXPECT_NE(all.find("SetMapMode 1"), std::string::npos) << all;
    EXPECT_NE(all.find("EndDoc -> 1"), std::string::npos) << all;
    struct stat st;
    EXPECT_EQ(stat((::testing::TempDir() + "traced-1.png").c_str(), &st), 0);
}

}  // namespace
