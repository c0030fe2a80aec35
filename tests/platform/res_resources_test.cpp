// Resources of a loaded module: icons at their sizes, string copies, version
// data, dialog templates and the resource calls.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "afxwin.h"
#include "pw/resources.h"

namespace {

class Resources : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("LC_ALL");
        unsetenv("LC_MESSAGES");
        setenv("LANG", "C", 1);
        module_ = LoadLibraryA("pwtest_res.dll");
        ASSERT_NE(module_, nullptr) << pw_module_load_error();
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }
    HMODULE module_ = nullptr;
};

struct Pixel {
    BYTE r, g, b, a;
};

Pixel pixel(HICON icon, int x, int y) {
    int cx = 0, cy = 0;
    const BYTE* rgba = nullptr;
    if (!pw_get_icon_image(icon, &cx, &cy, &rgba)) return {};
    const BYTE* p = rgba + (static_cast<size_t>(y) * cx + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

TEST_F(Resources, IconGroupGivesTheImageOfEachSize) {
    // The module's 32 x 32 image is red, its 16 x 16 image blue; both have a
    // transparent first pixel.
    struct Case {
        int size;
        BYTE r, b;
    };
    for (const Case& c : {Case{32, 255, 0}, Case{16, 0, 255}, Case{24, 255, 0}, Case{64, 255, 0}, Case{8, 0, 255}}) {
        auto icon = static_cast<HICON>(
            LoadImageA(module_, MAKEINTRESOURCEA(129), IMAGE_ICON, c.size, c.size, LR_DEFAULTCOLOR));
        ASSERT_NE(icon, nullptr) << c.size;
        int cx = 0, cy = 0;
        ASSERT_TRUE(pw_get_icon_image(icon, &cx, &cy, nullptr));
        EXPECT_EQ(cx, c.size);
        EXPECT_EQ(cy, c.size);
        const Pixel corner = pixel(icon, 0, 0), inside = pixel(icon, c.size - 1, c.size - 1);
        EXPECT_EQ(corner.a, 0) << c.size;
        EXPECT_EQ(inside.a, 255) << c.size;
        EXPECT_EQ(inside.r, c.r) << "taken from the right image at " << c.size;
        EXPECT_EQ(inside.b, c.b) << c.size;
        EXPECT_TRUE(DestroyIcon(icon));
        EXPECT_FALSE(DestroyIcon(icon)) << "destroyed once";
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ICON_HANDLE));
    }
}

TEST_F(Resources, IconSizesByDefaultAndSharedIcons) {
    auto first = static_cast<HICON>(LoadImageA(module_, MAKEINTRESOURCEA(129), IMAGE_ICON, 0, 0, 0));
    int cx = 0;
    ASSERT_TRUE(pw_get_icon_image(first, &cx, nullptr, nullptr));
    EXPECT_EQ(cx, 32) << "size 0: the group's first image";
    DestroyIcon(first);

    HICON shared = LoadIconA(module_, MAKEINTRESOURCEA(129));
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(LoadIconA(module_, MAKEINTRESOURCEA(129)), shared) << "one shared icon per size";
    EXPECT_TRUE(DestroyIcon(shared));
    EXPECT_TRUE(pw_get_icon_image(shared, &cx, nullptr, nullptr)) << "a shared icon stays";
    EXPECT_EQ(cx, 32);
}

TEST_F(Resources, MissingIconsFail) {
    EXPECT_EQ(LoadImageA(module_, MAKEINTRESOURCEA(130), IMAGE_ICON, 32, 32, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(LoadImageA(nullptr, MAKEINTRESOURCEA(129), IMAGE_ICON, 32, 32, 0), nullptr)
        << "the program has no icon 129";
    EXPECT_EQ(LoadImageA(module_, MAKEINTRESOURCEA(129), IMAGE_ICON, -1, 32, 0), nullptr);
    EXPECT_EQ(LoadImageA(module_, "by-name", IMAGE_ICON, 32, 32, 0), nullptr);
}

TEST_F(Resources, LoadStringCopiesWholeUtf8CharactersOnly) {
    setenv("LANG", "de_DE.UTF-8", 1);
    char buf[64];
    EXPECT_EQ(LoadStringA(module_, 7, buf, sizeof buf), 20);
    EXPECT_STREQ(buf, "Fehler beim Drucken.");
    EXPECT_EQ(LoadStringA(module_, 7, buf, 7), 6);
    EXPECT_STREQ(buf, "Fehler");

    // String 10 is "Störung": a cut inside the two bytes of "ö" backs up before it.
    EXPECT_EQ(LoadStringA(module_, 10, buf, 4), 2);
    EXPECT_STREQ(buf, "St");
    EXPECT_EQ(LoadStringA(module_, 10, buf, 5), 4);
    EXPECT_STREQ(buf, "Stö");

    setenv("LANG", "C", 1);
    EXPECT_EQ(LoadStringA(module_, 4711, buf, sizeof buf), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_STREQ(buf, "") << "the buffer is emptied";
    EXPECT_EQ(LoadStringA(module_, 7, nullptr, 10), 0);
    EXPECT_EQ(LoadStringA(module_, 7, buf, 0), 0);
}

TEST_F(Resources, VersionDataReadsBackPerLanguage) {
    char path[1024];
    ASSERT_GT(GetModuleFileNameA(module_, path, sizeof path), 0u);
    DWORD handle = 99;
    const DWORD size = GetFileVersionInfoSizeA(path, &handle);
    ASSERT_GT(size, 0u);
    EXPECT_EQ(handle, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(len, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwFileType, VFT_DLL);

    DWORD* translations = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &len));
    ASSERT_EQ(len, 8u);
    EXPECT_EQ(LOWORD(translations[0]), 1033);
    EXPECT_EQ(HIWORD(translations[0]), 1200);

    char* text = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\FileVersion", reinterpret_cast<void**>(&text), &len));
    EXPECT_STREQ(text, "2.02");
    EXPECT_EQ(len, 5u);
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040704B0\\filedescription", reinterpret_cast<void**>(&text), &len));
    EXPECT_STREQ(text, "Druckerziel");
    EXPECT_FALSE(VerQueryValueA(block.data(), "\\StringFileInfo\\040c04b0\\FileVersion", reinterpret_cast<void**>(&text), &len));
    EXPECT_FALSE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\Nothing", reinterpret_cast<void**>(&text), &len));

    std::string small(8, '\0');
    EXPECT_FALSE(GetFileVersionInfoA(path, 0, 8, small.data())) << "a buffer too small is not overrun";
    const char garbage[64] = "not a version block";
    EXPECT_FALSE(VerQueryValueA(garbage, "\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(GetFileVersionInfoSizeA("/no/such/file.dll", nullptr), 0u);
}

TEST_F(Resources, DialogTemplatesAndResourceCalls) {
    const pw::res::DialogTemplate* dlg = pw_find_dialog_template(module_, 102);
    ASSERT_NE(dlg, nullptr);
    EXPECT_STREQ(dlg->caption, "Update");
    ASSERT_EQ(dlg->count, 2u);
    EXPECT_EQ(dlg->controls[1].id, 1001);
    EXPECT_EQ(pw_find_dialog_template(module_, 1002), nullptr);
    EXPECT_EQ(pw_find_dialog_template(nullptr, 102), nullptr) << "the program has no dialogs";

    HRSRC found = FindResourceA(module_, MAKEINTRESOURCEA(102), RT_DIALOG);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(LockResource(LoadResource(module_, found)), dlg);
    EXPECT_EQ(SizeofResource(module_, found), sizeof(pw::res::DialogTemplate));
    auto* group = static_cast<const pw::res::IconGroup*>(
        LockResource(LoadResource(module_, FindResourceA(module_, MAKEINTRESOURCEA(129), RT_GROUP_ICON))));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->count, 2u);
    EXPECT_NE(FindResourceA(module_, MAKEINTRESOURCEA(1), RT_VERSION), nullptr);
    EXPECT_EQ(FindResourceA(module_, MAKEINTRESOURCEA(7), RT_DIALOG), nullptr);
    EXPECT_EQ(FindResourceA(module_, MAKEINTRESOURCEA(1), RT_BITMAP), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
}

TEST_F(Resources, ResourcesGoAwayWithTheirModule) {
    HICON shared = LoadIconA(module_, MAKEINTRESOURCEA(129));
    ASSERT_NE(shared, nullptr);
    FreeLibrary(module_);
    EXPECT_FALSE(pw_get_icon_image(shared, nullptr, nullptr, nullptr)) << "shared icons go with their module";
    HMODULE gone = module_;
    module_ = nullptr;
    char buf[16];
    EXPECT_EQ(LoadStringA(gone, 7, buf, sizeof buf), 0);
    EXPECT_EQ(LoadImageA(gone, MAKEINTRESOURCEA(129), IMAGE_ICON, 32, 32, 0), nullptr);
    EXPECT_EQ(pw_module_resources(gone), nullptr);
}

}  // namespace
