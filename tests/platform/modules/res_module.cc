// A loadable test module in the manner of the plug-in: a string table in three
// language variants, an icon group, version data, a dialog template, an
// application object and a static object, plus exports to look inside.
//
// It reports its life to the loading test program through the program's
// exported function pw_test_event, when there is one.
#include <dlfcn.h>

#include <cstring>
#include <iterator>

#include "afxwin.h"
#include "pw/resources.h"

namespace {

void report(const char* event) {
    using Sink = void (*)(const char*);
    if (auto sink = reinterpret_cast<Sink>(dlsym(RTLD_DEFAULT, "pw_test_event"))) sink(event);
}

// Built with the module's other static objects; InitInstance checks that it is.
struct StaticObject {
    bool built = false;
    StaticObject() {
        built = true;
        report("static built");
    }
    ~StaticObject() {
        built = false;
        report("static destroyed");
    }
} static_object;

const pw::res::String english[] = {{1, "-CpyPrn"}, {7, "A printing error has occurred."}, {9, "English only"}};
const pw::res::String german[] = {{1, "-CpyPrn"}, {7, "Fehler beim Drucken."}, {10, "Störung"}};
const pw::res::String austrian[] = {{1, "-CpyPrn"}, {7, "Fehler beim Drucken (AT)."}};
const pw::res::StringTable tables[] = {
    {1031, german, std::size(german)},
    {1033, english, std::size(english)},
    {3079, austrian, std::size(austrian)},
};

// A 32 x 32 image (red) and a 16 x 16 image (blue), each with a transparent
// top-left pixel, so a test can tell which image an icon came from.
struct Pixels {
    BYTE large[32 * 32 * 4];
    BYTE small[16 * 16 * 4];
    Pixels() {
        fill(large, 32, 255, 0, 0);
        fill(small, 16, 0, 0, 255);
    }
    static void fill(BYTE* p, int side, BYTE r, BYTE g, BYTE b) {
        for (int i = 0; i < side * side; ++i) {
            p[i * 4] = r, p[i * 4 + 1] = g, p[i * 4 + 2] = b, p[i * 4 + 3] = i == 0 ? 0 : 255;
        }
    }
} pixels;

const pw::res::IconImage images[] = {{32, 32, pixels.large}, {16, 16, pixels.small}};
const pw::res::IconGroup icons[] = {{129, images, std::size(images)}};

const pw::res::VersionString version_en[] = {{"FileVersion", "2.02"}, {"FileDescription", "Printer Destination"}};
const pw::res::VersionString version_de[] = {{"FileVersion", "2.02"}, {"FileDescription", "Druckerziel"}};
const pw::res::VersionLanguage version_languages[] = {
    {1033, 1200, version_en, std::size(version_en)},
    {1031, 1200, version_de, std::size(version_de)},
};
const pw::res::VersionInfo version = {{2, 0, 0, 1}, {2, 0, 0, 1}, 0, 0, 0, version_languages, std::size(version_languages)};

const pw::res::DialogControl controls[] = {
    {IDOK, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON | WS_TABSTOP, 15, 65, 56, 14},
    {1001, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT | WS_GROUP, 21, 7, 229, 50},
};
const pw::res::DialogTemplate dialogs[] = {
    {102, "Update", WS_POPUP | WS_CAPTION | DS_MODALFRAME, 0, 0, 0, 258, 95, "MS Sans Serif", 8, controls,
     std::size(controls)},
};

const pw::res::ModuleResources resources = {
    .string_tables = tables,
    .string_table_count = std::size(tables),
    .icon_groups = icons,
    .icon_group_count = std::size(icons),
    .version = &version,
    .dialogs = dialogs,
    .dialog_count = std::size(dialogs),
};
PW_MODULE_RESOURCES(resources);

class CResModuleApp : public CWinApp {
public:
    BOOL InitInstance() override {
        report(static_object.built ? "InitInstance (static built)" : "InitInstance (static missing)");
        // The framework starts the module under its own state.
        report(AfxGetApp() == this ? "InitInstance (own state)" : "InitInstance (foreign state)");
        return CWinApp::InitInstance();
    }
    int ExitInstance() override {
        report(static_object.built ? "ExitInstance (static built)" : "ExitInstance (static missing)");
        return CWinApp::ExitInstance();
    }
};

CResModuleApp the_app;

}  // namespace

// String id through the framework under this module's state, as the plug-in's
// entry points load their texts. 0 when it does not load.
extern "C" PW_EXPORT int res_module_load_string(UINT id, char* buffer, int size) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    CString text;
    if (!text.LoadString(id)) return 0;
    lstrcpynA(buffer, text, size);
    return text.GetLength();
}

// The same without switching: the caller's module state decides.
extern "C" PW_EXPORT int res_module_load_string_unmanaged(UINT id, char* buffer, int size) {
    CString text;
    if (!text.LoadString(id)) return 0;
    lstrcpynA(buffer, text, size);
    return text.GetLength();
}

extern "C" PW_EXPORT AFX_MODULE_STATE* res_module_state() { return AfxGetStaticModuleState(); }
