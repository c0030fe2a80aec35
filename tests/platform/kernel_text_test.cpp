// System message texts, the user's language, and the string helpers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "windows.h"

namespace {

TEST(FormatMessage, AllocatesTheSystemTextForLocalFree) {
    char* text = nullptr;
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, ERROR_NOT_ENOUGH_MEMORY, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                   reinterpret_cast<LPSTR>(&text), 0, nullptr);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "Not enough memory resources are available to process this command.\r\n");
    EXPECT_EQ(n, std::strlen(text));
    EXPECT_NE(LocalFlags(text), static_cast<UINT>(LMEM_INVALID_HANDLE)) << "a block of ours";
    EXPECT_EQ(LocalFree(text), nullptr);
    EXPECT_EQ(LocalFlags(text), static_cast<UINT>(LMEM_INVALID_HANDLE));
}

TEST(FormatMessage, EveryCodeTheLayerSetsHasAText) {
    for (DWORD code : {ERROR_INVALID_HANDLE, ERROR_MOD_NOT_FOUND, ERROR_PROC_NOT_FOUND, ERROR_NOT_LOCKED,
                       ERROR_INSUFFICIENT_BUFFER, ERROR_RESOURCE_NAME_NOT_FOUND, ERROR_DLL_INIT_FAILED,
                       ERROR_INVALID_THREAD_ID, ERROR_INVALID_WINDOW_HANDLE, ERROR_INVALID_ICON_HANDLE}) {
        char buf[256];
        EXPECT_GT(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                                 sizeof buf, nullptr),
                  2u)
            << code;
    }
}

TEST(FormatMessage, FailuresAreReportedNotFaked) {
    char buf[16];
    char* text = nullptr;
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 0x12345678, 0,
                             reinterpret_cast<LPSTR>(&text), 0, nullptr),
              0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_INVALID_HANDLE, 1031, buf, sizeof buf, nullptr),
              0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_LANG_NOT_FOUND));
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_NOT_ENOUGH_MEMORY, 0, buf, sizeof buf, nullptr),
              0u)
        << "16 bytes do not hold the text";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(FormatMessage, StringsWithInserts) {
    const char* args[] = {"pagewright.dst", "42"};
    char buf[128];
    EXPECT_GT(FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, "%1 failed (%2!s!)%n100%%",
                             0, 0, buf, sizeof buf, reinterpret_cast<va_list*>(args)),
              0u);
    EXPECT_STREQ(buf, "pagewright.dst failed (42)\r\n100%");
    FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_IGNORE_INSERTS, "%1 stays%0 cut", 0, 0, buf, sizeof buf,
                   nullptr);
    EXPECT_STREQ(buf, "%1 stays");
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_STRING, "%1", 0, 0, buf, sizeof buf, nullptr), 0u)
        << "an insert without arguments";
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ARGUMENT_ARRAY, "%1!d!", 0, 0, buf,
                             sizeof buf, reinterpret_cast<va_list*>(args)),
              0u)
        << "formats other than !s! are refused";
}

TEST(Language, UserLanguageFromTheLocaleVariables) {
    struct Case {
        const char* value;
        LANGID id;
    };
    const Case cases[] = {
        {"de_AT.UTF-8", 3079}, {"de_DE", 1031},       {"en_US.UTF-8", 1033}, {"C", 1033},
        {"POSIX", 1033},       {"C.UTF-8", 1033},    {"fr_FR.UTF-8", 1036}, {"fr_CA", 3084},
        {"fr_CH", 4108},       {"fr_BE", 2060},      {"de_CH", 2055},       {"es_ES", 3082},
        {"es_MX", 2058},       {"it_IT", 1040},      {"it_CH", 2064},       {"ja_JP.UTF-8", 1041},
        {"ko_KR", 1042},       {"nl_NL", 1043},      {"nl_BE", 2067},       {"pt_BR", 1046},
        {"pt_PT", 2070},       {"ru_RU", 1049},      {"zh_CN", 2052},       {"zh_TW", 1028},
        {"de_XX", 1031},       {"sv_SE@euro", 0x041D}, {"xx_YY", 1033},     {"", 1033},
    };
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    for (const Case& c : cases) {
        setenv("LANG", c.value, 1);
        EXPECT_EQ(GetUserDefaultLangID(), c.id) << '"' << c.value << '"';
    }
    setenv("LANG", "de_DE", 1);
    setenv("LC_MESSAGES", "fr_FR", 1);
    EXPECT_EQ(GetUserDefaultLangID(), 1036) << "LC_MESSAGES before LANG";
    setenv("LC_ALL", "it_IT", 1);
    EXPECT_EQ(GetUserDefaultLangID(), 1040) << "LC_ALL before both";
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
}

TEST(Strings, CopiesAreBoundedAndComparisonsNullSafe) {
    char buf[6];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(lstrcpynA(buf, "pagewright", sizeof buf), buf);
    EXPECT_STREQ(buf, "pagew");
    lstrcpynA(buf, nullptr, sizeof buf);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(lstrlenA(nullptr), 0);
    EXPECT_EQ(lstrlenA("abc"), 3);
    EXPECT_EQ(lstrcmpA("HP LaserJet", "HP LaserJet"), 0);
    EXPECT_EQ(lstrcmpA("HP LaserJet", "hp laserjet"), -1) << "case counts";
    EXPECT_EQ(lstrcmpiA("HP LaserJet", "hp laserjet"), 0);
    EXPECT_EQ(lstrcmpA(nullptr, ""), 0);
    EXPECT_EQ(lstrcmpA("b", "a"), 1);
}

TEST(Strings, MulDivRoundsAndRefusesOverflow) {
    EXPECT_EQ(MulDiv(10, 3, 4), 8);     // 7.5 rounds away from zero
    EXPECT_EQ(MulDiv(-10, 3, 4), -8);
    EXPECT_EQ(MulDiv(600, 2550, 300), 5100);
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(MulDiv(0x7fffffff, 4, 1), -1);
}

TEST(Time, SleepWaitsAndTicksAdvance) {
    const DWORD before = GetTickCount();
    Sleep(30);
    EXPECT_GE(GetTickCount() - before, 29u);
}

}  // namespace
