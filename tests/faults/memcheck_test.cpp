// Memory checks of whole programs: a three-page print and a plug-in unload run
// under valgrind's memcheck in the ordinary build; in a sanitizer build the
// same programs carry AddressSanitizer and LeakSanitizer themselves and are
// run as they are. Either way an invalid access or memory lost for good fails
// the test, with the checker's report in the failure message.
#include <unistd.h>

#include "fault_util.h"

using namespace faults;

namespace {

bool sanitized() {
#ifdef PW_SANITIZED
    return true;
#else
    return false;
#endif
}

// `args` under memcheck (or as they are, when sanitized). Definitely lost
// blocks count as errors; reachable memory at exit does not (libraries keep
// their caches to the end).
RunResult checked(const TempDir& home, std::vector<std::string> args) {
    if (!sanitized()) {
        args.insert(args.begin(), {"/usr/bin/valgrind", "--tool=memcheck", "--error-exitcode=99", "--leak-check=full",
                                   "--errors-for-leak-kinds=definite", "--show-leak-kinds=definite",
                                   "--track-origins=yes", "--num-callers=30",
                                   "--suppressions=" + std::string(PW_FAULTS_DIR) + "/valgrind.supp"});
    }
    fs::create_directories(home.file("config"));
    fs::create_directories(home.file("scratch"));
    return lucentra::test::run_program(
        args, {{"XDG_CONFIG_HOME", home.file("config")}, {"LC_ALL", "C"}, {"ASAN_OPTIONS", "detect_leaks=1"}},
        home.file("scratch"));
}

class Memcheck : public ::testing::Test {
protected:
    void SetUp() override {
        if (!sanitized() && access("/usr/bin/valgrind", X_OK) != 0)
            FAIL() << "valgrind is not installed (scripts/setup-debian.sh installs it)";
    }
    TempDir home;
};

}  // namespace

TEST_F(Memcheck, AThreePageJobRunsClean) {
    const std::string scan = home.file("scan.tif"), out = home.file("out.pdf");
    write_scan(scan, 3);
    RunResult run = checked(home, {kLucentra, "print", scan, "--output", out});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::exists(out));
    if (!sanitized()) {
        EXPECT_NE(run.err.find("ERROR SUMMARY: 0 errors"), std::string::npos) << run.err;
    }
}

TEST_F(Memcheck, AnUnloadedPluginKeepsNoMemory) {
    // Blocks that shared a holder once: the table of shares must go with the module.
    RunResult run = checked(home, {std::string(PW_BIN_DIR) + "/pw_unload_check",
                                   std::string(PW_BIN_DIR) + "/pw_block_share.so", "share_a_holder",
                                   std::string(PW_BIN_DIR) + "/pagewright.dst"});
    EXPECT_EQ(run.status, 0) << run.err;
}
