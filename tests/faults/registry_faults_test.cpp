// A damaged registry file: what can be read still is, the user is told which
// file is damaged, printing goes on (the plug-in is found beside lucentra), and
// the first write keeps the damaged file as registry.bak.
#include "fault_util.h"

using namespace faults;

namespace {

const std::string kPrefs = "HKCU\\Software\\Velmora\\VL Lucentra LT\\Preferences";
const std::string kPwreg = std::string(PW_BIN_DIR) + "/pwreg";

struct RegistryFaults : ::testing::Test {
    TempDir home;
    std::string file = home.file("config/pagewright/registry");
    // ProgramDir's line is cut off inside its text, and bytes no editor wrote follow.
    const std::string damaged = "PAGEWRIGHT REGISTRY 1\n"
                                "[HKEY_CURRENT_USER\\Software\\Velmora\\VL Lucentra LT\\Preferences]\n"
                                "\"ProgramDir\"=1:\"/opt/lucen\n"
                                "\"Kept\"=1:\"yes\\x00\"\n" +
                                std::string("\0\xff garbage\n", 11);
    void SetUp() override {
        fs::create_directories(home.file("config/pagewright"));
        lucentra::samples::write_bytes(file, std::vector<uint8_t>(damaged.begin(), damaged.end()));
    }
    RunResult run(std::vector<std::string> args) {
        return lucentra::test::run_program(args, {{"XDG_CONFIG_HOME", home.file("config")}}, home.path());
    }
    bool says_damaged(const RunResult& r) const {
        return r.err.find(file + ": 2 damaged lines skipped") != std::string::npos;
    }
};

}  // namespace

TEST_F(RegistryFaults, WhatIsReadableStaysReadableAndTheUserIsTold) {
    RunResult lost = run({kPwreg, "get", kPrefs, "ProgramDir"});
    EXPECT_NE(lost.status, 0);
    EXPECT_TRUE(says_damaged(lost)) << lost.err;
    RunResult kept = run({kPwreg, "get", kPrefs, "Kept"});
    EXPECT_EQ(kept.status, 0) << kept.err;
    EXPECT_EQ(kept.out, "yes\n");
}

TEST_F(RegistryFaults, PrintingGoesOnWithThePluginBesideLucentra) {
    write_scan(home.file("scan.tif"), 1);
    RunResult r = run({kLucentra, "print", home.file("scan.tif"), "--output", home.file("out.pdf")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(says_damaged(r)) << r.err;
    EXPECT_TRUE(fs::exists(home.file("out.pdf")));
}

TEST_F(RegistryFaults, TheFirstWriteKeepsTheDamagedFile) {
    RunResult set = run({kPwreg, "set", kPrefs, "ProgramDir", "/opt/lucentra"});
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_TRUE(lucentra::test::slurp(file + ".bak") == damaged);
    RunResult dir = run({kPwreg, "get", kPrefs, "ProgramDir"});
    EXPECT_EQ(dir.out, "/opt/lucentra\n");
    EXPECT_FALSE(says_damaged(dir)) << "the rewritten file is whole: " << dir.err;
    EXPECT_EQ(run({kPwreg, "get", kPrefs, "Kept"}).out, "yes\n");
}
