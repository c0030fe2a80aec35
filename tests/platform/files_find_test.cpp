// Wildcard searches: the matching rules and directory searches behind CFileFind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "windows.h"
#include "pw/files.h"

namespace fs = std::filesystem;

namespace {

std::string win(const fs::path& p) {
    std::string s = p.string();
    for (char& c : s)
        if (c == '/') c = '\\';
    return s;
}

TEST(Wildcards, MatchLikeTheOriginal) {
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    } const cases[] = {
        {"*.*", "abc", true},          {"*.*", "a.b.c", true},        {"*.*", ".", true},
        {"prog*.*", "prog", true},     {"prog*.*", "program.x", true}, {"prog*.*", "pro", false},
        {"prog*.*", "xprog", false},   {"*.dst", "PAGEWRIGHT.DST", true}, {"*.dst", "a.dsta", false},
        {"?.txt", "a.txt", true},      {"?.txt", "ab.txt", false},    {"a*b*c", "aXbYc", true},
        {"a*b*c", "aXbY", false},      {"*", "", true},               {"", "a", false},
        {"pagewright.dst", "Pagewright.DST", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(pw::wildcard_match(c.pattern, c.name), c.match) << c.pattern << " vs " << c.name;
    // Many stars against a long name stay quick and do not recurse.
    EXPECT_FALSE(pw::wildcard_match(std::string(200, '*') + "x", std::string(100000, 'a')));
}

class Find : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/pw-find-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        std::ofstream(dir_ / "b.txt") << "12345";
        std::ofstream(dir_ / "a.dst") << "x";
        fs::create_directory(dir_ / "sub");
    }
    void TearDown() override { fs::remove_all(dir_); }

    static std::vector<std::string> names(const std::vector<pw::FoundFile>& found) {
        std::vector<std::string> out;
        for (const auto& f : found) out.push_back(f.name);
        return out;
    }
    fs::path dir_;
};

TEST_F(Find, StarDotStarListsTheDirectoryInOrder) {
    std::string root;
    std::vector<pw::FoundFile> found;
    DWORD err = 1;
    ASSERT_TRUE(pw::find_files(win(dir_) + "\\*.*", root, found, &err));
    EXPECT_EQ(err, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(root, win(dir_) + "\\");
    EXPECT_EQ(names(found), (std::vector<std::string>{".", "..", "a.dst", "b.txt", "sub"}));
    EXPECT_TRUE(found[4].is_directory);
    EXPECT_EQ(found[3].size, 5u);

    // A doubled separator, as a directory value ending in "\" produces.
    ASSERT_TRUE(pw::find_files(win(dir_) + "\\\\*.dst", root, found, &err));
    EXPECT_EQ(names(found), std::vector<std::string>{"a.dst"});
}

// With no separator before "*.*" the pattern names the directory among its
// siblings, which is how a directory's existence is tested.
TEST_F(Find, DirectoryNameWithStarDotStarFindsItself) {
    std::string root;
    std::vector<pw::FoundFile> found;
    ASSERT_TRUE(pw::find_files(win(dir_) + "*.*", root, found, nullptr));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, dir_.filename().string());
    EXPECT_TRUE(found[0].is_directory);
    EXPECT_EQ(root, win(dir_.parent_path()) + "\\");
}

TEST_F(Find, NothingFoundSaysWhy) {
    struct Case {
        std::string pattern;
        DWORD error;
    } const cases[] = {
        {win(dir_) + "\\*.zzz", ERROR_FILE_NOT_FOUND},
        {win(dir_) + "\\none.txt", ERROR_FILE_NOT_FOUND},
        {win(dir_) + "\\nodir\\*.*", ERROR_PATH_NOT_FOUND},
        {win(dir_) + "\\nodir\\x.txt", ERROR_PATH_NOT_FOUND},
        {win(dir_) + "\\", ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        std::string root;
        std::vector<pw::FoundFile> found;
        DWORD err = 0;
        EXPECT_FALSE(pw::find_files(c.pattern, root, found, &err)) << c.pattern;
        EXPECT_EQ(err, c.error) << c.pattern;
        EXPECT_TRUE(found.empty());
    }
    // A literal name is found without listing.
    std::string root;
    std::vector<pw::FoundFile> found;
    ASSERT_TRUE(pw::find_files(win(dir_ / "b.txt"), root, found, nullptr));
    EXPECT_EQ(names(found), std::vector<std::string>{"b.txt"});
}

// The framework's iteration: FindNextFile before the first entry, FALSE on the
// last one, which is still readable.
TEST_F(Find, CFileFindWalksEntriesWithPaths) {
    CFileFind finder;
    ASSERT_TRUE(finder.FindFile((win(dir_) + "\\*.*").c_str()));
    EXPECT_TRUE(finder.GetFileName().IsEmpty());  // nothing current yet
    std::vector<std::string> seen;
    BOOL more = TRUE;
    while (more) {
        more = finder.FindNextFile();
        seen.push_back(finder.GetFileName().str());
        if (finder.GetFileName() == "b.txt") {
            EXPECT_EQ(finder.GetFilePath().str(), win(dir_) + "\\b.txt");
            EXPECT_EQ(finder.GetFileTitle().str(), "b");
            EXPECT_EQ(finder.GetLength(), 5u);
            EXPECT_FALSE(finder.IsDirectory());
        }
        if (finder.GetFileName() == "..") EXPECT_TRUE(finder.IsDots());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{".", "..", "a.dst", "b.txt", "sub"}));
    EXPECT_TRUE(finder.IsDirectory());  // "sub", the last one
    EXPECT_FALSE(finder.FindNextFile());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));

    SetLastError(0);
    EXPECT_FALSE(finder.FindFile((win(dir_) + "\\nodir\\*.*").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(finder.GetFilePath().IsEmpty());
}

}  // namespace
