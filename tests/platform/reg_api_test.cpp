// The file-backed current user's registry, driven through the Reg* calls only.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "pw/registry.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kPrefs = "Software\\Velmora\\VL Lucentra LT\\Preferences";

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/pw-reg-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        home_ = tmpl;
        setenv("XDG_CONFIG_HOME", home_.c_str(), 1);
    }
    void TearDown() override { fs::remove_all(home_); }

    fs::path hive_file() const { return fs::path(home_) / "pagewright" / "registry"; }

    void write_hive(const std::string& text) {
        fs::create_directories(hive_file().parent_path());
        std::ofstream(hive_file(), std::ios::binary) << text;
    }

    HKEY create(const char* sub, REGSAM sam = KEY_ALL_ACCESS) {
        HKEY k = nullptr;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, sub, 0, nullptr, 0, sam, nullptr, &k, nullptr), ERROR_SUCCESS);
        return k;
    }

    void set_sz(HKEY k, const char* name, const std::string& text) {
        ASSERT_EQ(RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>(text.size() + 1)),
                  ERROR_SUCCESS);
    }

    std::string home_;
};

TEST_F(Registry, ValueSurvivesInTheFileAndKeyNamesIgnoreCase) {
    HKEY k = create(kPrefs, KEY_SET_VALUE);
    set_sz(k, "ProgramDir", "/opt/lucentra");
    ASSERT_EQ(RegCloseKey(k), ERROR_SUCCESS);
    ASSERT_TRUE(fs::exists(hive_file()));

    HKEY r = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\velmora\\vl lucentra lt\\PREFERENCES", 0,
                            KEY_QUERY_VALUE, &r),
              ERROR_SUCCESS);
    char buf[128];
    DWORD type = 0, size = sizeof buf;
    ASSERT_EQ(RegQueryValueExA(r, "programdir", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 14u);  // the terminating zero is part of the value
    EXPECT_STREQ(buf, "/opt/lucentra");
    RegCloseKey(r);

    // Parents of a created key exist, a sibling does not.
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Velmora", 0, KEY_READ, &r), ERROR_SUCCESS);
    RegCloseKey(r);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Other", 0, KEY_READ, &r), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(r, nullptr);
}

TEST_F(Registry, QueryFollowsSizeProtocol) {
    HKEY k = create(kPrefs);
    set_sz(k, "ProgramDir", "/opt/lucentra");  // 14 bytes
    DWORD type = 0, size = 0;

    // No buffer: the size is reported.
    ASSERT_EQ(RegQueryValueExA(k, "ProgramDir", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 14u);

    // Too small: ERROR_MORE_DATA with the needed size, the buffer untouched.
    char small[8];
    std::memset(small, 'Z', sizeof small);
    size = sizeof small;
    ASSERT_EQ(RegQueryValueExA(k, "ProgramDir", nullptr, &type, reinterpret_cast<BYTE*>(small), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 14u);
    EXPECT_EQ(std::string(small, 8), std::string(8, 'Z'));

    // Exactly fits.
    char exact[14];
    size = sizeof exact;
    ASSERT_EQ(RegQueryValueExA(k, "ProgramDir", nullptr, nullptr, reinterpret_cast<BYTE*>(exact), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(exact, "/opt/lucentra");

    // Missing value; a buffer without a size; reserved not null.
    size = sizeof exact;
    EXPECT_EQ(RegQueryValueExA(k, "Missing", nullptr, &type, reinterpret_cast<BYTE*>(exact), &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegQueryValueExA(k, "ProgramDir", nullptr, &type, reinterpret_cast<BYTE*>(exact), nullptr),
              ERROR_INVALID_PARAMETER);
    DWORD reserved = 0;
    EXPECT_EQ(RegQueryValueExA(k, "ProgramDir", &reserved, &type, nullptr, &size), ERROR_INVALID_PARAMETER);
    RegCloseKey(k);
}

TEST_F(Registry, BinaryDataRoundTripsExactly) {
    HKEY k = create(kPrefs);
    const std::string bytes("a\0\"\\\n\xff]=", 8);
    for (DWORD type : {static_cast<DWORD>(REG_BINARY), static_cast<DWORD>(REG_SZ)}) {
        ASSERT_EQ(RegSetValueExA(k, "Weird \"name\"\n", 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                 static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
        char buf[16];
        DWORD got_type = 0, size = sizeof buf;
        ASSERT_EQ(RegQueryValueExA(k, "Weird \"name\"\n", nullptr, &got_type, reinterpret_cast<BYTE*>(buf), &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(got_type, type);
        EXPECT_EQ(std::string(buf, size), bytes);
    }
    // An empty value and the default (unnamed) value.
    ASSERT_EQ(RegSetValueExA(k, nullptr, 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
    DWORD size = 99;
    EXPECT_EQ(RegQueryValueExA(k, "", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 0u);
    RegCloseKey(k);
}

TEST_F(Registry, AccessRightsAndHandlesAreChecked) {
    HKEY w = create(kPrefs, KEY_SET_VALUE);
    set_sz(w, "ProgramDir", "/x");
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(w, "ProgramDir", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    RegCloseKey(w);

    HKEY r = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kPrefs, 0, KEY_QUERY_VALUE, &r), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(r, "ProgramDir", 0, REG_SZ, reinterpret_cast<const BYTE*>("y"), 2), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(r, "ProgramDir"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegCloseKey(r), ERROR_SUCCESS);
    // A closed handle and a made-up one are refused, not followed.
    EXPECT_EQ(RegQueryValueExA(r, "ProgramDir", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(r), ERROR_INVALID_HANDLE);
    int junk = 0;
    EXPECT_EQ(RegOpenKeyExA(reinterpret_cast<HKEY>(&junk), "x", 0, KEY_READ, &r), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &r), ERROR_INVALID_HANDLE);
}

TEST_F(Registry, CreateReportsDispositionAndDeleteRemovesValue) {
    HKEY k = nullptr;
    DWORD disp = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kPrefs, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, &disp),
              ERROR_SUCCESS);
    EXPECT_EQ(disp, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    set_sz(k, "ProgramDir", "/x");
    RegCloseKey(k);
    // Doubled and trailing separators name the same key.
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "software\\\\velmora\\VL Lucentra LT\\preferences\\", 0, nullptr,
                              0, KEY_ALL_ACCESS, nullptr, &k, &disp),
              ERROR_SUCCESS);
    EXPECT_EQ(disp, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    EXPECT_EQ(RegDeleteValueA(k, "PROGRAMDIR"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(k, "ProgramDir"), ERROR_FILE_NOT_FOUND);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(k, "ProgramDir", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    // Sub-keys open relative to an open key.
    HKEY sub = nullptr;
    EXPECT_EQ(RegCreateKeyExA(k, "Sub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr), ERROR_SUCCESS);
    RegCloseKey(sub);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(kPrefs) + "\\sub").c_str(), 0, KEY_READ, &sub),
              ERROR_SUCCESS);
    RegCloseKey(sub);
    RegCloseKey(k);
}

// Whatever the file holds, reading never crashes: unreadable lines are missing
// keys and values, readable ones still count, and the first write keeps a backup.
TEST_F(Registry, DamagedFileReadsAsMissingEntries) {
    const std::string damaged =
        "PAGEWRIGHT REGISTRY 1\n"
        "\"Orphan\"=1:\"no key above\"\n"
        "[HKEY_CURRENT_USER\\Software\\Velmora\\VL Lucentra LT\\Preferences]\n"
        "\"ProgramDir\"=1:\"/good\\x00\"\n"
        "\"Broken\"=1:\"unterminated\n"
        "\"BadHex\"=3:hex:0g\n"
        "\"BigType\"=99999999999:hex:00\n"
        "[HKEY_LOCAL_MACHINE\\Elsewhere]\n"
        "\"Lost\"=1:\"x\\x00\"\n"
        "[HKEY_CURRENT_USER\\Trunc\n" +
        std::string("\0\xff\xfe garbage \x01\x02", 14);
    write_hive(damaged);

    HKEY k = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kPrefs, 0, KEY_ALL_ACCESS, &k), ERROR_SUCCESS);
    char buf[128];
    DWORD size = sizeof buf;
    ASSERT_EQ(RegQueryValueExA(k, "ProgramDir", nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(buf, "/good");
    for (const char* name : {"Orphan", "Broken", "BadHex", "BigType", "Lost"}) {
        size = sizeof buf;
        EXPECT_EQ(RegQueryValueExA(k, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size),
                  ERROR_FILE_NOT_FOUND)
            << name;
    }
    HKEY other = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Trunc", 0, KEY_READ, &other), ERROR_FILE_NOT_FOUND);

    set_sz(k, "Extra", "1");
    RegCloseKey(k);
    std::ifstream bak(hive_file().string() + ".bak", std::ios::binary);
    std::stringstream kept;
    kept << bak.rdbuf();
    EXPECT_EQ(kept.str(), damaged);
}

TEST_F(Registry, RandomBytesNeverCrash) {
    unsigned seed = 12345;
    for (int round = 0; round < 200; ++round) {
        std::string text = "[HKEY_CURRENT_USER\\A]\n";
        for (int i = 0; i < 64; ++i) {
            seed = seed * 1103515245u + 12345u;
            text += "\"=:[]\\x0\n1hA"[(seed >> 16) % 13];
        }
        write_hive(text);
        // The first line always stands, whatever follows it.
        HKEY k = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "A", 0, KEY_READ, &k), ERROR_SUCCESS) << text;
        DWORD size = 0;
        LSTATUS rc = RegQueryValueExA(k, "", nullptr, nullptr, nullptr, &size);
        EXPECT_TRUE(rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) << rc;
        RegCloseKey(k);
    }
}

// Writers in several processes at once lose nothing: each change is made under
// the lock on a fresh read of the file.
TEST_F(Registry, ConcurrentWritersKeepEveryValue) {
    constexpr int kWriters = 4, kEach = 10;
    for (int w = 0; w < kWriters; ++w) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (int i = 0; i < kEach; ++i) {
                HKEY k = nullptr;
                if (RegCreateKeyExA(HKEY_CURRENT_USER, "Load", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k,
                                    nullptr) != ERROR_SUCCESS)
                    _exit(1);
                std::string name = "v" + std::to_string(w) + "_" + std::to_string(i);
                if (RegSetValueExA(k, name.c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>("x"), 1) !=
                    ERROR_SUCCESS)
                    _exit(1);
                RegCloseKey(k);
            }
            _exit(0);
        }
    }
    for (int w = 0; w < kWriters; ++w) {
        int status = 0;
        wait(&status);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    HKEY k = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Load", 0, KEY_READ, &k), ERROR_SUCCESS);
    for (int w = 0; w < kWriters; ++w)
        for (int i = 0; i < kEach; ++i) {
            std::string name = "v" + std::to_string(w) + "_" + std::to_string(i);
            DWORD size = 0;
            EXPECT_EQ(RegQueryValueExA(k, name.c_str(), nullptr, nullptr, nullptr, &size), ERROR_SUCCESS) << name;
        }
    RegCloseKey(k);
}

}  // namespace
