// lucentra printing to a real IPP printer: ippeveprinter on loopback.
#include <gtest/gtest.h>

#include "../platform/ipp_fixture.h"
#include "host_test_util.h"
#include "run_program.h"
#include "tools/sample_images.h"

using namespace lucentra;
using namespace lucentra::test;

TEST(IppPrint, ADocumentLandsInThePrintersSpool) {
    IppPrinter printer;
    ASSERT_TRUE(printer.start("lucentra-test", true)) << printer.error();
    TempDir dir;
    samples::Raster scan(850, 1100, 3, 8);
    for (size_t i = 0; i < scan.data.size(); ++i) scan.data[i] = (uint8_t)(i % 3 == 0 ? 255 : i % 251);
    samples::PngOptions o;
    o.colour_type = 2;
    o.dpi = 100;
    samples::write_png(dir.file("scan.png"), scan, o);

    RunResult run = run_program({std::string(PW_BIN_DIR) + "/lucentra", "print", dir.file("scan.png"), dir.file("scan.png"),
                                 "--printer", printer.uri()},
                                {{"XDG_CONFIG_HOME", dir.file("config")}}, dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Printed 2 pages on \"" + printer.uri() + "\"\n");
    auto documents = printer.wait_for_documents(1);
    ASSERT_EQ(documents.size(), 1u);  // one job for the whole document
    std::string document = IppPrinter::read_file(documents[0]);
    // PDF or PWG raster, whichever the printer was sent.
    EXPECT_TRUE(document.rfind("%PDF-", 0) == 0 || document.rfind("RaS2", 0) == 0) << document.substr(0, 8);
    if (document.rfind("%PDF-", 0) == 0) {
        int status = -1;
        shell("qpdf --check " + documents[0], &status);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(std::atoi(shell("qpdf --show-npages " + documents[0]).c_str()), 2);
    }
}
