// Output that cannot be written: a full disk, a folder nobody may write to, and
// a print that fails half way over an existing file. Each time the user gets a
// non-zero exit and one line saying why, and nothing that looks printed is left.
#include <sys/stat.h>
#include <unistd.h>

#include "fault_util.h"

using namespace faults;

namespace {

struct OutputFaults : ::testing::Test {
    TempDir home;
    std::string scan = home.file("scan.tif");
    void SetUp() override { write_scan(scan, 3); }
};

}  // namespace

TEST_F(OutputFaults, AFullDiskIsAFailureWithItsReason) {
    // Small and large documents: a small one fits in the write buffer and only
    // fails when the buffer is flushed at the end.
    struct Case {
        const char* printer;
        int pages;
        int side;
    } cases[] = {{"PDF", 1, 8}, {"PDF", 3, 240}, {"Fax", 1, 8}, {"Fax", 3, 240}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.printer) + " " + std::to_string(c.pages) + " pages");
        write_scan(scan, c.pages, c.side, c.side);
        RunResult run = run_lucentra(home, {"print", scan, "--printer", c.printer, "--output", "/dev/full"});
        EXPECT_FALSE(run.signalled) << run.err;
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(last_line(run).find("No space left on device"), std::string::npos) << run.err;
    }
}

TEST_F(OutputFaults, AFolderThatCannotBeWrittenIsNamed) {
    // As root every folder is writable, so use one the kernel refuses to anyone.
    std::string folder = home.file("locked");
    fs::create_directory(folder);
    chmod(folder.c_str(), 0555);
    if (geteuid() == 0) folder = "/proc/self";
    for (const char* printer : {"PDF", "PNG", "Fax"}) {
        SCOPED_TRACE(printer);
        const std::string out = folder + "/out.pdf";
        RunResult run = run_lucentra(home, {"print", scan, "--printer", printer, "--output", out});
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(last_line(run).find("cannot write '" + folder + "/out"), std::string::npos) << run.err;
        if (geteuid() != 0) EXPECT_TRUE(entries(folder).empty());
    }
    chmod(home.file("locked").c_str(), 0755);
}

TEST_F(OutputFaults, AFailedPrintLeavesTheExistingFileAsItWas) {
    // The second input's data ends half way: the document fails on page 4.
    const std::string broken = home.file("broken.png");
    write_truncated_png(broken);
    fs::create_directory(home.file("out"));
    for (const char* printer : {"PDF", "Fax"}) {
        SCOPED_TRACE(printer);
        const std::string out = home.file("out/printed.file");
        lucentra::samples::write_bytes(out, {'k', 'e', 'e', 'p'});
        RunResult run = run_lucentra(home, {"print", scan, broken, "--printer", printer, "--output", out});
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(last_line(run).find("broken.png"), std::string::npos) << run.err;
        EXPECT_EQ(lucentra::test::slurp(out), "keep");
        // No temporary file beside it either.
        EXPECT_EQ(entries(home.file("out")), std::vector<std::string>{"printed.file"});
    }
}
