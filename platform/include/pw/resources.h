// How a module declares its resources: string tables (one per language),
// icon groups, version data and dialog templates, written as C++ tables.
//
// A module (the program or a shared object) declares one ModuleResources and
// registers it with PW_MODULE_RESOURCES at file scope:
//
//     static const pw::res::String english[] = {{1, "-CpyPrn"}, {2, "A problem..."}};
//     static const pw::res::StringTable tables[] = {{1033, english, std::size(english)}};
//     static const pw::res::ModuleResources resources = {.string_tables = tables,
//                                                        .string_table_count = std::size(tables)};
//     PW_MODULE_RESOURCES(resources);
//
// The registration runs with the module's static initialisers (before its
// CWinApp::InitInstance) and is withdrawn when the module's static objects are
// destroyed. The layer finds the tables through the module's handle: LoadStringA,
// LoadImageA / LoadIconA, FindResourceA, GetFileVersionInfoA and the MFC helpers
// (through the current module state's resource handle).
//
// Everything a declaration points to must outlive the registration (static
// storage); texts are UTF-8. The layer never writes to the tables.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pw/wintypes.h"

namespace pw::res {

struct String {
    UINT id;
    const char* text;
};

// One language variant of the string table (language: a Windows language id,
// e.g. 1033 English (US), 3079 German (Austria); 0 for a neutral table).
struct StringTable {
    WORD language;
    const String* strings;
    size_t count;
};

// One image of an icon: width x height pixels, rows top first, 4 bytes a pixel
// R, G, B, A (not premultiplied).
struct IconImage {
    int width;
    int height;
    const BYTE* rgba;
};

// An icon group (the resource that LoadImageA / LoadIconA name): the same
// picture at several sizes, e.g. 32 x 32 and 16 x 16.
struct IconGroup {
    UINT id;
    const IconImage* images;
    size_t count;
};

struct VersionString {
    const char* key;  // "FileVersion", "FileDescription", "ProductVersion", ...
    const char* value;
};

// The version texts of one language (and code page, 1200 for Unicode / 0x04b0).
struct VersionLanguage {
    WORD language;
    WORD code_page;
    const VersionString* strings;
    size_t count;
};

// Version numbers are given as four parts each: 2, 0, 0, 1 for "2.0.0.1".
struct VersionInfo {
    WORD file_version[4];
    WORD product_version[4];
    DWORD file_flags;
    DWORD file_os;    // VOS_NT_WINDOWS32 by default (0)
    DWORD file_type;  // VFT_APP, VFT_DLL; 0: chosen by the kind of module
    const VersionLanguage* languages;
    size_t count;
};

// A control of a dialog template; position and size in dialog units.
struct DialogControl {
    int id;
    const char* window_class;  // "BUTTON", "STATIC", "EDIT", ...
    const char* text;          // "" when set at run time
    DWORD style;               // WS_*, BS_*, SS_*, ES_* (pw/user.h)
    short x, y, cx, cy;
};

struct DialogTemplate {
    UINT id;
    const char* caption;  // NULL or "" for none
    DWORD style;          // WS_*, DS_* (pw/user.h)
    DWORD ex_style;
    short x, y, cx, cy;  // dialog units
    const char* font_face;
    WORD font_points;
    const DialogControl* controls;
    size_t count;
};

struct ModuleResources {
    const StringTable* string_tables = nullptr;
    size_t string_table_count = 0;
    const IconGroup* icon_groups = nullptr;
    size_t icon_group_count = 0;
    const VersionInfo* version = nullptr;  // nullptr: the module has no version data
    const DialogTemplate* dialogs = nullptr;
    size_t dialog_count = 0;
};

}  // namespace pw::res

extern "C" {
// Registers the resources of the module that contains `resources` (found by the
// table's address, so the table must be in the module's own image). A module
// holds one registration; a second one replaces the first.
void pw_register_module_resources(const pw::res::ModuleResources* resources);
// Withdraws a registration made with these resources (nothing when it is not current).
void pw_unregister_module_resources(const pw::res::ModuleResources* resources);
// The resources registered for a module (NULL: the program); NULL when none.
// The pointer stays valid while the module stays loaded.
const pw::res::ModuleResources* pw_module_resources(HMODULE module);
// String id of a module (NULL: the program) in the variant LoadStringA would
// choose, whole; NULL when absent. Valid while the module stays loaded.
const char* pw_find_string(HMODULE module, UINT id);
// A dialog template of a module (NULL: the program) by id; NULL when absent.
const pw::res::DialogTemplate* pw_find_dialog_template(HMODULE module, UINT id);
// The version data of a module (NULL: the program); NULL when it has none.
const pw::res::VersionInfo* pw_module_version(HMODULE module);
}

namespace pw::res {
// Registers a module's resources for as long as the module's static objects live.
class Registration {
public:
    explicit Registration(const ModuleResources& r) : r_(&r) { pw_register_module_resources(r_); }
    ~Registration() { pw_unregister_module_resources(r_); }
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;

private:
    const ModuleResources* r_;
};
}  // namespace pw::res

#define PW_RES_CAT2(a, b) a##b
#define PW_RES_CAT(a, b) PW_RES_CAT2(a, b)
// Declares, at file scope, that `table` (a pw::res::ModuleResources with static
// storage) holds this module's resources.
#define PW_MODULE_RESOURCES(table) \
    static const ::pw::res::Registration PW_RES_CAT(pw_module_resources_registration_, __LINE__)(table)
