// Module loading: the program's own directory, names of the original platform,
// exports of exactly one module, unloading, module file names.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "windows.h"

namespace {

std::string bin_dir() { return PW_BIN_DIR; }

bool is_loaded(const std::string& path) {
    void* h = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (h) dlclose(h);
    return h != nullptr;
}

TEST(Modules, ChainedModuleLoadsCallsAndUnloads) {
    const std::string path = bin_dir() + "/pwtest_chain.dll";
    ASSERT_FALSE(is_loaded(path));
    HMODULE m = LoadLibraryA("pwtest_chain.dll");
    ASSERT_NE(m, nullptr) << pw_module_load_error();
    EXPECT_TRUE(is_loaded(path));

    using DeleteClassFn = int (*)(int);
    auto del = reinterpret_cast<DeleteClassFn>(reinterpret_cast<void (*)()>(GetProcAddress(m, "DeleteClass")));
    ASSERT_NE(del, nullptr);
    EXPECT_EQ(del(0), 0) << "one instance left";
    EXPECT_EQ(del(1), 1) << "none left";

    EXPECT_TRUE(FreeLibrary(m));
    EXPECT_FALSE(is_loaded(path)) << "the module is gone after its last FreeLibrary";
    EXPECT_FALSE(FreeLibrary(m)) << "a handle already released";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(Modules, LoadCountsPairWithFreeLibrary) {
    const std::string path = bin_dir() + "/pwtest_chain.dll";
    HMODULE a = LoadLibraryA("pwtest_chain.dll");
    HMODULE b = LoadLibraryA(path.c_str());
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b) << "one module, one handle";
    EXPECT_TRUE(FreeLibrary(a));
    EXPECT_TRUE(is_loaded(path)) << "still loaded once";
    EXPECT_TRUE(FreeLibrary(b));
    EXPECT_FALSE(is_loaded(path));
}

// The original platform's names: no extension means ".dll", names ignore case,
// "\" separates directories; a plain name is found in the program's directory.
TEST(Modules, NamesOfTheOriginalPlatform) {
    std::string windows_path = bin_dir() + "/pwtest_chain.dll";
    for (char& c : windows_path)
        if (c == '/') c = '\\';
    for (const std::string& name : {std::string("pwtest_chain"), std::string("PWTEST_CHAIN.DLL"), windows_path}) {
        HMODULE m = LoadLibraryA(name.c_str());
        ASSERT_NE(m, nullptr) << name << ": " << pw_module_load_error();
        EXPECT_EQ(GetModuleHandleA("PwTest_Chain"), m) << name;
        EXPECT_TRUE(FreeLibrary(m));
    }
}

TEST(Modules, MissingOrBrokenModulesFailWithTheirReason) {
    EXPECT_EQ(LoadLibraryA("no_such_module.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_STRNE(pw_module_load_error(), "");

    const std::string not_elf = __FILE__;  // a text file, not a shared object
    EXPECT_EQ(LoadLibraryA(not_elf.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));

    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
    EXPECT_EQ(LoadLibraryA(""), nullptr);
    EXPECT_EQ(GetModuleHandleA("no_such_module"), nullptr);
}

TEST(Modules, GetProcAddressGivesOnlyTheModulesOwnExports) {
    HMODULE m = LoadLibraryA("pwtest_chain.dll");
    ASSERT_NE(m, nullptr);
    EXPECT_NE(GetProcAddress(m, "chain_module_memory"), nullptr);
    // GlobalAlloc is reachable through the module's dependency, but not its export.
    EXPECT_EQ(GetProcAddress(m, "GlobalAlloc"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(GetProcAddress(m, "NoSuchExport"), nullptr);
    EXPECT_EQ(GetProcAddress(m, MAKEINTRESOURCEA(1)), nullptr) << "ordinals are not supported";
    FreeLibrary(m);

    int not_a_module = 0;
    EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(&not_a_module), "DeleteClass"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(Modules, ModuleFileNameUsesBackslashesAndTruncatesLikeWindows) {
    char path[4096];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(std::strlen(path), n);
    EXPECT_EQ(std::strchr(path, '/'), nullptr);
    std::string expected = bin_dir() + "/platform_kernel_modules_test";
    for (char& c : expected)
        if (c == '/') c = '\\';
    EXPECT_EQ(std::string(path), expected);

    char small[8];
    std::memset(small, 'x', sizeof small);
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), sizeof small);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(small), expected.substr(0, 7)) << "cut to the buffer, terminated";

    HMODULE m = LoadLibraryA("pwtest_chain");
    ASSERT_GT(GetModuleFileNameA(m, path, sizeof path), 0u);
    EXPECT_TRUE(std::string(path).ends_with("\\pwtest_chain.dll")) << path;
    FreeLibrary(m);
    EXPECT_EQ(GetModuleFileNameA(m, path, sizeof path), 0u) << "an unloaded module has no file name";
}

}  // namespace

namespace {

TEST(Modules, ModuleWhoseApplicationRefusesToStartIsNotKept) {
    const std::string path = bin_dir() + "/pwtest_fail.dll";
    EXPECT_EQ(LoadLibraryA("pwtest_fail.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
    EXPECT_FALSE(is_loaded(path));
}

}  // namespace
