// A real IPP printer (ippeveprinter on loopback) that dies in the middle of a
// job, or will not take what we can send. The user gets a non-zero exit and the
// reason; the printer is left with no partial job.
#include <signal.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "fault_util.h"
#include "ipp_fixture.h"

using namespace faults;

TEST(IppFaults, APrinterKilledInTheMiddleOfAJob) {
    IppPrinter printer;
    ASSERT_TRUE(printer.start("pw-fault-killed", true)) << printer.error();
    TempDir home;
    const std::string scan = home.file("scan.tif");
    write_scan(scan, 6, 600, 800);
    bool killed = false;
    RunResult run = run_lucentra(home, {"print", scan, "--printer", printer.uri()}, [&](pid_t pid, const std::string& err) {
        // When the second page starts, the printer goes away. lucentra is held
        // still meanwhile, so the rest of the job surely comes after.
        for (int i = 0; i < 4000 && !killed; ++i) {
            std::ifstream in(err);
            std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (text.find("page 2 of 6:") != std::string::npos) {
                kill(pid, SIGSTOP);
                printer.stop();
                kill(pid, SIGCONT);
                killed = true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    ASSERT_TRUE(killed) << "the job ended before the printer could be killed:\n" << run.err;
    EXPECT_FALSE(run.signalled) << run.err;
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(last_line(run).find("printer '" + printer.uri() + "' does not answer"), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;  // no "Printed ..." line
    EXPECT_TRUE(printer.documents().empty());
}

TEST(IppFaults, APrinterThatTakesNothingWeSend) {
    // Only JPEG: neither PDF nor PWG raster is accepted.
    IppPrinter printer;
    ASSERT_TRUE(printer.start("pw-fault-jpeg-only", true, "image/jpeg")) << printer.error();
    TempDir home;
    const std::string scan = home.file("scan.tif");
    write_scan(scan, 2);
    RunResult run = run_lucentra(home, {"print", scan, "--printer", printer.uri()});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(last_line(run).find("PDF"), std::string::npos) << run.err;
    EXPECT_TRUE(printer.wait_for_documents(1).empty());
}
