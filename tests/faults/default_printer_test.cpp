// A printers file whose default printer cannot be used: the job ends at once
// with the reason, instead of asking the dialog again for ever (which spun at
// full speed and ignored Ctrl-C), and an empty default is reported and ignored.
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

#include "fault_util.h"

using namespace faults;

TEST(DefaultPrinter, AMissingOrEmptyDefaultNeverHangs) {
    struct Case {
        const char* file;
        int status;
        const char* says;  // in the last line, or anywhere for a warning
    } cases[] = {
        {"default = Draft PDF\n", 1, "there is no printer 'Draft PDF'"},
        {"default = ipp://127.0.0.1:1/nothing\n[Draft]\nkind = png\n", 1, "ipp://127.0.0.1:1/nothing"},
        {"default =\n", 0, "printers:1: default names a printer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TempDir home;
        fs::create_directories(home.file("config/pagewright"));
        lucentra::samples::write_bytes(home.file("config/pagewright/printers"),
                                       std::vector<uint8_t>(c.file, c.file + strlen(c.file)));
        write_scan(home.file("scan.tif"), 1, 16, 16);
        bool killed = false;
        RunResult run = run_lucentra(home, {"print", home.file("scan.tif"), "--output", home.file("out.pdf")},
                                     [&](pid_t pid, const std::string&) {
                                         for (int i = 0; i < 300; ++i) {
                                             siginfo_t info{};
                                             // Looks without reaping: run_program collects the status.
                                             if (waitid(P_PID, pid, &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
                                                 info.si_pid == pid)
                                                 return;
                                             std::this_thread::sleep_for(std::chrono::milliseconds(100));
                                         }
                                         killed = true;
                                         kill(pid, SIGKILL);
                                     });
        ASSERT_FALSE(killed) << "lucentra still ran after 30 s:\n" << run.err;
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_EQ(fs::exists(home.file("out.pdf")), c.status == 0);
    }
}
