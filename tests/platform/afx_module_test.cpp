// Module states and the application object of a loadable module: start and
// stop at load and unload, and resources found only under the module's state.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "afxwin.h"

namespace {
std::vector<std::string> events;
}

// The test module reports its life here (looked up by name in this program).
extern "C" __attribute__((visibility("default"))) void pw_test_event(const char* event) { events.emplace_back(event); }

namespace {

using LoadStringFn = int (*)(UINT, char*, int);
using StateFn = AFX_MODULE_STATE* (*)();

template <typename F>
F export_of(HMODULE m, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(m, name)));
}

class ResModule : public ::testing::Test {
protected:
    void SetUp() override {
        saved_lang_ = std::getenv("LANG") ? std::getenv("LANG") : "";
        unsetenv("LC_ALL");
        unsetenv("LC_MESSAGES");
        events.clear();
        module_ = LoadLibraryA("pwtest_res.dll");
        ASSERT_NE(module_, nullptr) << pw_module_load_error();
        load_managed_ = export_of<LoadStringFn>(module_, "res_module_load_string");
        load_unmanaged_ = export_of<LoadStringFn>(module_, "res_module_load_string_unmanaged");
        state_ = export_of<StateFn>(module_, "res_module_state");
        ASSERT_TRUE(load_managed_ && load_unmanaged_ && state_);
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
        setenv("LANG", saved_lang_.c_str(), 1);
    }

    std::string managed(UINT id) {
        char buf[256] = "";
        return load_managed_(id, buf, sizeof buf) ? buf : "<none>";
    }

    HMODULE module_ = nullptr;
    LoadStringFn load_managed_ = nullptr;
    LoadStringFn load_unmanaged_ = nullptr;
    StateFn state_ = nullptr;
    std::string saved_lang_;
};

TEST_F(ResModule, ApplicationStartsAfterStaticObjectsAndStopsBeforeTheyGo) {
    const std::vector<std::string> at_load = {"static built", "InitInstance (static built)",
                                              "InitInstance (own state)"};
    EXPECT_EQ(events, at_load);
    events.clear();
    FreeLibrary(module_);
    module_ = nullptr;
    const std::vector<std::string> at_unload = {"ExitInstance (static built)", "static destroyed"};
    EXPECT_EQ(events, at_unload);
}

TEST_F(ResModule, PlainDlopenStartsAndStopsTheApplicationToo) {
    const std::string path = std::string(PW_BIN_DIR) + "/pwtest_res.dll";
    FreeLibrary(module_);
    module_ = nullptr;
    events.clear();
    void* h = dlopen(path.c_str(), RTLD_NOW);
    ASSERT_NE(h, nullptr) << dlerror();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[1], "InitInstance (static built)");
    dlclose(h);
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[3], "ExitInstance (static built)");
    EXPECT_EQ(events[4], "static destroyed");
}

TEST_F(ResModule, EachModuleHasItsOwnState) {
    AFX_MODULE_STATE* mine = AfxGetStaticModuleState();
    AFX_MODULE_STATE* theirs = state_();
    ASSERT_NE(mine, theirs);
    EXPECT_FALSE(mine->m_bDLL);
    EXPECT_TRUE(theirs->m_bDLL);
    EXPECT_EQ(theirs->m_hCurrentInstanceHandle, module_);
    EXPECT_EQ(theirs->m_hCurrentResourceHandle, module_);
    ASSERT_NE(theirs->m_pCurrentWinApp, nullptr);
    EXPECT_STREQ(theirs->m_pCurrentWinApp->m_pszAppName, "pwtest_res") << "named after its file";
    EXPECT_EQ(AfxGetModuleState(), mine) << "the program's state is current by default";
    EXPECT_EQ(AfxGetApp(), nullptr) << "this program has no application object";
}

// String 7 per language, loaded through the module's own state.
TEST_F(ResModule, LoadStringPicksTheUsersLanguageVariant) {
    struct Case {
        const char* lang;
        const char* text;
    };
    const Case cases[] = {
        {"de_AT.UTF-8", "Fehler beim Drucken (AT)."},       // exact variant
        {"de_DE.UTF-8", "Fehler beim Drucken."},            // exact variant
        {"de_CH.UTF-8", "Fehler beim Drucken."},            // same language, its default variant
        {"C", "A printing error has occurred."},            // English
        {"POSIX", "A printing error has occurred."},        // English
        {"fr_FR.UTF-8", "A printing error has occurred."},  // no French: English
    };
    for (const Case& c : cases) {
        setenv("LANG", c.lang, 1);
        EXPECT_EQ(managed(7), c.text) << c.lang;
    }
    setenv("LANG", "de_AT.UTF-8", 1);
    EXPECT_EQ(managed(9), "English only") << "a string missing in the variant comes from another";
    EXPECT_EQ(managed(1), "-CpyPrn");
    EXPECT_EQ(managed(4711), "<none>");
}

TEST_F(ResModule, LcAllOverridesLang) {
    setenv("LANG", "C", 1);
    setenv("LC_ALL", "de_AT.UTF-8", 1);
    EXPECT_EQ(managed(7), "Fehler beim Drucken (AT).");
    unsetenv("LC_ALL");
}

TEST_F(ResModule, StringsAreFoundOnlyUnderTheModulesState) {
    setenv("LANG", "de_AT.UTF-8", 1);
    char buf[64];
    // The program's state is current: the program has no string table.
    EXPECT_EQ(load_unmanaged_(7, buf, sizeof buf), 0);
    {
        AFX_MANAGE_STATE(state_());
        EXPECT_EQ(AfxGetResourceHandle(), module_);
        CString text;
        EXPECT_TRUE(text.LoadString(7));
        EXPECT_EQ(text, "Fehler beim Drucken (AT).");
        EXPECT_GT(load_unmanaged_(7, buf, sizeof buf), 0);
    }
    EXPECT_EQ(AfxGetModuleState(), AfxGetStaticModuleState()) << "restored at the end of the scope";
    CString text("kept");
    EXPECT_FALSE(text.LoadString(7));
    EXPECT_EQ(text, "kept") << "a failed load leaves the string alone";
}

TEST_F(ResModule, ManagedStateNestsAndIsRestoredByExceptions) {
    AFX_MODULE_STATE* program = AfxGetModuleState();
    try {
        AFX_MANAGE_STATE(state_());
        {
            AFX_MANAGE_STATE(program);
            EXPECT_EQ(AfxGetModuleState(), program);
        }
        EXPECT_EQ(AfxGetModuleState(), state_());
        throw std::runtime_error("leave");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(AfxGetModuleState(), program);
}

TEST_F(ResModule, SetResourceHandleRedirectsTheCurrentState) {
    setenv("LANG", "C", 1);
    AFX_MODULE_STATE* program = AfxGetModuleState();
    HINSTANCE before = AfxGetResourceHandle();
    AfxSetResourceHandle(module_);
    CString text;
    EXPECT_TRUE(text.LoadString(7)) << "the program now takes its texts from the module";
    EXPECT_EQ(text, "A printing error has occurred.");
    AfxSetResourceHandle(before);
    EXPECT_EQ(program->m_hCurrentResourceHandle, before);
}

}  // namespace
