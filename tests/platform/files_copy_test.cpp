// CopyFileA, DeleteFileA, GetFileAttributesA and the path rules they share.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "windows.h"
#include "pw/files.h"

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void spit(const fs::path& p, const std::string& data) { std::ofstream(p, std::ios::binary) << data; }

// The Windows spelling of a path: every "/" turned into "\".
std::string win(const fs::path& p) {
    std::string s = p.string();
    for (char& c : s)
        if (c == '/') c = '\\';
    return s;
}

class Files : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/pw-files-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override {
        // Read-only bits must not stop the clean-up.
        for (auto& e : fs::recursive_directory_iterator(dir_)) chmod(e.path().c_str(), 0755);
        fs::remove_all(dir_);
    }
    // Names in the directory other than the given ones: left-over temporary files.
    std::vector<std::string> strays(std::initializer_list<std::string> expected) {
        std::vector<std::string> out;
        for (auto& e : fs::directory_iterator(dir_)) {
            std::string n = e.path().filename().string();
            if (std::find(expected.begin(), expected.end(), n) == expected.end()) out.push_back(n);
        }
        return out;
    }
    fs::path dir_;
};

TEST_F(Files, CopyReplacesDestinationKeepingModeAndTime) {
    spit(dir_ / "src.bin", std::string("new\0data", 8));
    chmod((dir_ / "src.bin").c_str(), 0750);
    struct timespec times[2] = {{1000000000, 0}, {1200000000, 500}};
    utimensat(AT_FDCWD, (dir_ / "src.bin").c_str(), times, 0);
    spit(dir_ / "dst.bin", "old contents, longer than the new ones");

    // Windows separators, doubled ones included, name the same files.
    ASSERT_TRUE(CopyFileA(win(dir_ / "src.bin").c_str(), (win(dir_) + "\\\\dst.bin").c_str(), FALSE));
    EXPECT_EQ(slurp(dir_ / "dst.bin"), std::string("new\0data", 8));
    struct stat st;
    ASSERT_EQ(stat((dir_ / "dst.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0750u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1200000000);
    EXPECT_TRUE(strays({"src.bin", "dst.bin"}).empty());

    // A file copied onto itself is left as it is.
    EXPECT_TRUE(CopyFileA((dir_ / "src.bin").c_str(), (dir_ / "src.bin").c_str(), FALSE));
    EXPECT_EQ(slurp(dir_ / "src.bin"), std::string("new\0data", 8));
}

TEST_F(Files, FailedCopiesLeaveNoTraceAndSayWhy) {
    spit(dir_ / "src", "source");
    spit(dir_ / "keep", "existing");
    fs::create_directory(dir_ / "sub");
    spit(dir_ / "locked", "read-only");
    chmod((dir_ / "locked").c_str(), 0444);

    struct Case {
        std::string from, to;
        BOOL fail_if_exists;
        DWORD error;
    } const cases[] = {
        {"missing", "out", FALSE, ERROR_FILE_NOT_FOUND},
        {"nodir/missing", "out", FALSE, ERROR_PATH_NOT_FOUND},
        {"src", "nodir/out", FALSE, ERROR_PATH_NOT_FOUND},
        {"src", "keep", TRUE, ERROR_FILE_EXISTS},
        {"src", "sub", FALSE, ERROR_ACCESS_DENIED},
        {"sub", "out", FALSE, ERROR_ACCESS_DENIED},
        {"src", "locked", FALSE, ERROR_ACCESS_DENIED},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_FALSE(CopyFileA((dir_ / c.from).c_str(), (dir_ / c.to).c_str(), c.fail_if_exists)) << c.from;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(c.error)) << c.from << " -> " << c.to;
    }
    EXPECT_EQ(slurp(dir_ / "keep"), "existing");
    EXPECT_EQ(slurp(dir_ / "locked"), "read-only");
    EXPECT_TRUE(strays({"src", "keep", "sub", "locked"}).empty());

    EXPECT_FALSE(CopyFileA(nullptr, "x", FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    // Fail-if-exists with a free name copies.
    EXPECT_TRUE(CopyFileA((dir_ / "src").c_str(), (dir_ / "new").c_str(), TRUE));
    EXPECT_EQ(slurp(dir_ / "new"), "source");
    EXPECT_TRUE(strays({"src", "keep", "sub", "locked", "new"}).empty());
}

TEST_F(Files, AttributesAndDelete) {
    spit(dir_ / "plain", "x");
    spit(dir_ / ".hidden", "x");
    spit(dir_ / "ro", "x");
    chmod((dir_ / "ro").c_str(), 0444);

    EXPECT_EQ(GetFileAttributesA(win(dir_ / "plain").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesA((win(dir_) + "\\").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesA((dir_ / ".hidden").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(GetFileAttributesA((dir_ / "ro").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(GetFileAttributesA((dir_ / "none").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    EXPECT_FALSE(DeleteFileA((dir_ / "ro").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(DeleteFileA(dir_.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(DeleteFileA((dir_ / "none").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(DeleteFileA(win(dir_ / "plain").c_str()));
    EXPECT_FALSE(fs::exists(dir_ / "plain"));
}

}  // namespace
