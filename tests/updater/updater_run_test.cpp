// The updater program, run for real: a copy of it with tarnrez.dll and a
// stand-in "pagewright.dst" in a temporary folder, the registry in a temporary
// XDG_CONFIG_HOME, the confirmation answered on standard input, and everything
// it shows (dialogs on standard output, message boxes on standard error) read
// from one pipe, in order, with the time each part arrived.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "english_texts.h"
#include "pw/registry.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* kPrefs = "Software\\Velmora\\VL Lucentra LT\\Preferences";

std::string english(UINT id) {
    for (const auto& s : updater::kEnglishTexts)
        if (s.id == id) return s.text;
    return {};
}

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void spit(const fs::path& p, const std::string& data) { std::ofstream(p, std::ios::binary) << data; }

struct Outcome {
    std::string out;  // standard output and standard error, in order
    int status = -1;
    double seconds = 0;
    std::vector<std::pair<size_t, double>> arrivals;  // (end offset of a read, seconds since start)

    // Seconds after the start at which text had fully arrived; -1 when it never did.
    double when(const std::string& text) const {
        size_t pos = out.find(text);
        if (pos == std::string::npos) return -1;
        for (const auto& [end, t] : arrivals)
            if (end >= pos + text.size()) return t;
        return -1;
    }
    bool has(const std::string& text) const { return out.find(text) != std::string::npos; }
    // a appears, and before b.
    bool before(const std::string& a, const std::string& b) const {
        size_t pa = out.find(a), pb = out.find(b);
        return pa != std::string::npos && pb != std::string::npos && pa < pb;
    }
};

class Updater : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/pw-upd-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        root_ = tmpl;
        fs::create_directories(root_ / "cfg");
        fs::create_directories(root_ / "prog");
        setenv("XDG_CONFIG_HOME", (root_ / "cfg").c_str(), 1);
        install_app(root_ / "app");
        spit(root_ / "prog" / "pagewright.dst", "old module");
    }
    void TearDown() override { fs::remove_all(root_); }

    // A copy of the updater and its text library, with the new module file.
    void install_app(const fs::path& dir, bool with_texts = true) {
        const fs::path bin = PW_BIN_DIR;
        fs::create_directories(dir);
        fs::copy_file(bin / "updater", dir / "updater");
        if (with_texts) fs::copy_file(bin / "tarnrez.dll", dir / "tarnrez.dll");
        fs::create_symlink(bin / "libwinplat.so", dir / "libwinplat.so");
        spit(dir / "pagewright.dst", "new module");
        app_ = dir;
    }

    // A directory whose absolute path is exactly `length` characters long.
    fs::path dir_of_length(size_t length) {
        size_t base = root_.string().size() + 1;
        EXPECT_GT(length, base + 1);
        fs::path p = root_ / std::string(length - base, 'd');
        fs::create_directories(p);
        EXPECT_EQ(p.string().size(), length);
        return p;
    }

    void set_value(const std::string& bytes, DWORD type = REG_SZ) {
        HKEY k = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kPrefs, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(k, "ProgramDir", 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                 static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
        RegCloseKey(k);
    }
    void set_program_dir(const std::string& text) { set_value(text + std::string(1, '\0')); }

    // Runs the copied updater without a terminal, answering with `answer`.
    Outcome run(const std::string& answer, const char* lang = "C") {
        int in[2], out[2];
        EXPECT_EQ(pipe(in), 0);
        EXPECT_EQ(pipe(out), 0);
        const auto start = Clock::now();
        pid_t pid = fork();
        if (pid == 0) {
            setsid();  // no controlling terminal: answers come from standard input
            dup2(in[0], 0);
            dup2(out[1], 1);
            dup2(out[1], 2);
            close(in[1]);
            close(out[0]);
            setenv("LANG", lang, 1);
            unsetenv("LC_ALL");
            unsetenv("LC_MESSAGES");
            std::string exe = (app_ / "updater").string();
            execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        signal(SIGPIPE, SIG_IGN);
        if (!answer.empty()) EXPECT_EQ(write(in[1], answer.data(), answer.size()), ssize_t(answer.size()));
        close(in[1]);

        Outcome r;
        char buf[4096];
        for (;;) {
            pollfd p{out[0], POLLIN, 0};
            // A run that hangs is a failure, not a stuck test.
            if (poll(&p, 1, 20000) <= 0) {
                kill(pid, SIGKILL);
                ADD_FAILURE() << "the updater hung; output so far:\n" << r.out;
                break;
            }
            ssize_t n = read(out[0], buf, sizeof buf);
            if (n <= 0) break;
            r.out.append(buf, static_cast<size_t>(n));
            r.arrivals.emplace_back(r.out.size(), std::chrono::duration<double>(Clock::now() - start).count());
        }
        close(out[0]);
        waitpid(pid, &r.status, 0);
        r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        return r;
    }

    fs::path root_, app_;
};

const std::string kError = "[Error] ";
const std::string kComplete = "[Complete] ";

TEST_F(Updater, CancelTouchesNothing) {
    set_program_dir((root_ / "prog").string());
    for (const char* answer : {"2\n", "cancel\n", "junk\nn\n", ""}) {
        Outcome r = run(answer);
        EXPECT_TRUE(WIFEXITED(r.status)) << answer;
        // The confirmation was shown with the library's texts...
        EXPECT_TRUE(r.has("=== Velmora Lucentra Update ===")) << r.out;
        EXPECT_TRUE(r.has(english(IDS_CONFIRM))) << r.out;
        EXPECT_TRUE(r.has("[1] Update   [2] Cancel")) << r.out;
        // ...and nothing else happened.
        EXPECT_FALSE(r.has("[Error]") || r.has("[Complete]") || r.has("[window]")) << answer << r.out;
        EXPECT_EQ(slurp(root_ / "prog" / "pagewright.dst"), "old module");
    }
    // Not even the registry is opened: a file that would block every reader
    // does not hold the program up.
    fs::remove(root_ / "cfg" / "pagewright" / "registry");
    ASSERT_EQ(mkfifo((root_ / "cfg" / "pagewright" / "registry").c_str(), 0600), 0);
    Outcome r = run("2\n");
    EXPECT_TRUE(WIFEXITED(r.status));
    EXPECT_FALSE(r.has("[Error]")) << r.out;
}

TEST_F(Updater, NoProgramDirectoryWarns82) {
    const std::string missing = (root_ / "nothere").string();
    const std::string long_dir = dir_of_length(125).string();  // "*.*" no longer fits 128 bytes
    struct Case {
        const char* what;
        std::string bytes;  // value data; empty with no_key/no_value
        DWORD type;
        bool no_key, no_value;
    } const cases[] = {
        {"missing key", "", REG_SZ, true, false},
        {"missing value", "", REG_SZ, false, true},
        {"128 characters", std::string(128, 'a') + '\0', REG_SZ, false, false},
        {"128 bytes without a zero", std::string(128, 'a'), REG_BINARY, false, false},
        {"directory that does not exist", missing + '\0', REG_SZ, false, false},
        {"empty value", std::string(1, '\0'), REG_SZ, false, false},
        {"no room for *.*", long_dir + '\0', REG_SZ, false, false},
    };
    for (const Case& c : cases) {
        fs::remove_all(root_ / "cfg");
        if (!c.no_key) set_value(c.no_value ? std::string("x") : c.bytes, c.type);
        if (c.no_value) {
            HKEY k = nullptr;
            ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kPrefs, 0, KEY_SET_VALUE, &k), ERROR_SUCCESS);
            ASSERT_EQ(RegDeleteValueA(k, "ProgramDir"), ERROR_SUCCESS);
            RegCloseKey(k);
        }
        Outcome r = run("1\n");
        EXPECT_TRUE(WIFEXITED(r.status)) << c.what;
        EXPECT_TRUE(r.has(kError + english(IDS_NO_LOCATION))) << c.what << "\n" << r.out;
        EXPECT_FALSE(r.has("[window]") || r.has("[Complete]")) << c.what << "\n" << r.out;
        EXPECT_EQ(slurp(root_ / "prog" / "pagewright.dst"), "old module") << c.what;
    }
}

// The updater's own location must fit too: a module path of 128 bytes or more
// was cut short and locates nothing.
TEST_F(Updater, UpdaterPathTooLongWarns82) {
    set_program_dir((root_ / "prog").string());
    install_app(dir_of_length(125));  // ".../updater" is 133 characters
    Outcome r = run("1\n");
    EXPECT_TRUE(r.has(kError + english(IDS_NO_LOCATION))) << r.out;
    EXPECT_FALSE(r.has("[window]")) << r.out;
    EXPECT_EQ(slurp(root_ / "prog" / "pagewright.dst"), "old module");
}

TEST_F(Updater, FailedCopyShowsProgressThenWarns101) {
    const std::string progress = "[window] " + english(IDS_PROGRESS);
    enum Setup { no_source, destination_is_directory, destination_too_long, source_too_long };
    struct Case {
        const char* what;
        Setup setup;
    } const cases[] = {
        {"no pagewright.dst beside the updater", no_source},
        {"destination cannot be replaced", destination_is_directory},
        {"no room for \\pagewright.dst", destination_too_long},
        {"no room for pagewright.dst after the updater's directory", source_too_long},
    };
    for (const Case& c : cases) {
        fs::path prog = root_ / "prog";
        switch (c.setup) {
        case no_source: fs::remove(app_ / "pagewright.dst"); break;
        case destination_is_directory:
            prog = root_ / "locked";
            fs::create_directories(prog / "pagewright.dst");
            break;
        case destination_too_long: prog = dir_of_length(120); break;
        case source_too_long: install_app(dir_of_length(115)); break;
        }
        set_program_dir(prog.string());
        Outcome r = run("1\n");
        EXPECT_TRUE(WIFEXITED(r.status)) << c.what;
        EXPECT_TRUE(r.before(progress, "[window] closed")) << c.what << "\n" << r.out;
        EXPECT_TRUE(r.before("[window] closed", kError + english(IDS_COPY_FAILED))) << c.what << "\n" << r.out;
        EXPECT_FALSE(r.has("[Complete]")) << c.what;
        EXPECT_EQ(slurp(root_ / "prog" / "pagewright.dst"), "old module") << c.what;
        // A failed copy leaves no half file behind.
        for (auto& e : fs::directory_iterator(prog))
            EXPECT_EQ(e.path().filename().string().find(".pwcopy"), std::string::npos) << e.path();
    }
}

TEST_F(Updater, SuccessReplacesTheCopyAndReportsAfterThePause) {
    set_program_dir((root_ / "prog").string());
    Outcome r = run("1\n");
    EXPECT_TRUE(WIFEXITED(r.status) && WEXITSTATUS(r.status) == 0) << r.out;
    EXPECT_EQ(slurp(root_ / "prog" / "pagewright.dst"), "new module");
    const std::string done = kComplete + english(IDS_COMPLETE);
    EXPECT_TRUE(r.before("[window] " + english(IDS_PROGRESS), "[window] closed")) << r.out;
    EXPECT_TRUE(r.before("[window] closed", done)) << r.out;
    EXPECT_GE(r.when(done), 3.5) << r.out;
    EXPECT_FALSE(r.has("[Error]")) << r.out;
}

// A value ending in "\" gives "dir\\pagewright.dst", which still names the file;
// the value's registry type is ignored, and data stored without a terminating
// zero are taken as they are when they fit.
TEST_F(Updater, ProgramDirEndingInSeparatorWorks) {
    fs::remove(root_ / "prog" / "pagewright.dst");
    set_value((root_ / "prog").string() + "\\", REG_BINARY);
    Outcome r = run("y\n");
    EXPECT_TRUE(r.has(kComplete + english(IDS_COMPLETE))) << r.out;
    EXPECT_EQ(slurp(root_ / "prog" / "pagewright.dst"), "new module");
}

TEST_F(Updater, TextsComeFromTheLibraryOrBuiltIn) {
    // The library's German texts show that the texts are really taken from it.
    Outcome german = run("2\n", "de_DE.UTF-8");
    EXPECT_TRUE(german.has("[1] Aktualisieren   [2] Abbrechen")) << german.out;
    EXPECT_TRUE(german.has("Pagewright-Druckziel")) << german.out;

    // Without the library the program's own English texts stand in.
    fs::remove(app_ / "tarnrez.dll");
    fs::remove(root_ / "prog" / "pagewright.dst");
    fs::create_directories(root_ / "prog" / "pagewright.dst");  // so that the copy fails quickly
    set_program_dir((root_ / "prog").string());
    Outcome r = run("1\n", "de_DE.UTF-8");
    EXPECT_TRUE(r.has(english(IDS_CONFIRM))) << r.out;
    EXPECT_TRUE(r.has("[1] Update   [2] Cancel")) << r.out;
    EXPECT_TRUE(r.has("[window] " + english(IDS_PROGRESS))) << r.out;  // the program's own template 1002
    EXPECT_TRUE(r.has(kError + english(IDS_COPY_FAILED))) << r.out;
}

}  // namespace
