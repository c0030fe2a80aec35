// Modules' resource declarations: registration and lookup by module handle.
#include <mutex>

#include "kernel/modules.h"
#include "pw/resources.h"
#include "resources/lookup.h"

using namespace pw::detail;

namespace pw::detail {

const pw::res::ModuleResources* resources_of(HMODULE module) {
    std::lock_guard lock(record_mutex());
    link_map* m = live_module(module);
    ModuleRecord* r = m ? find_record(m) : nullptr;
    return r ? r->resources : nullptr;
}

const pw::res::IconGroup* find_icon_group(const pw::res::ModuleResources* r, UINT id) {
    if (!r) return nullptr;
    for (size_t i = 0; i < r->icon_group_count; ++i)
        if (r->icon_groups[i].id == id) return &r->icon_groups[i];
    return nullptr;
}

const pw::res::DialogTemplate* find_dialog(const pw::res::ModuleResources* r, UINT id) {
    if (!r) return nullptr;
    for (size_t i = 0; i < r->dialog_count; ++i)
        if (r->dialogs[i].id == id) return &r->dialogs[i];
    return nullptr;
}

}  // namespace pw::detail

extern "C" {

void pw_register_module_resources(const pw::res::ModuleResources* resources) {
    if (!resources) return;
    link_map* m = module_of_address(resources);
    if (!m) return;
    std::lock_guard lock(record_mutex());
    make_record(m).resources = resources;
}

void pw_unregister_module_resources(const pw::res::ModuleResources* resources) {
    if (!resources) return;
    link_map* m = module_of_address(resources);
    std::lock_guard lock(record_mutex());
    ModuleRecord* r = m ? find_record(m) : nullptr;
    if (!r || r->resources != resources) return;
    r->resources = nullptr;
    drop_record_if_unused(m);
}

const pw::res::ModuleResources* pw_module_resources(HMODULE module) { return resources_of(module); }

const pw::res::DialogTemplate* pw_find_dialog_template(HMODULE module, UINT id) {
    return find_dialog(resources_of(module), id);
}

const pw::res::VersionInfo* pw_module_version(HMODULE module) {
    const pw::res::ModuleResources* r = resources_of(module);
    return r ? r->version : nullptr;
}

// Resource handles are the declarations themselves; LoadResource and
// LockResource hand them back unchanged.
HRSRC WINAPI FindResourceExA(HMODULE module, LPCSTR type, LPCSTR name, WORD language) {
    const pw::res::ModuleResources* r = resources_of(module);
    if (!r) {
        SetLastError(live_module(module) ? ERROR_RESOURCE_DATA_NOT_FOUND : ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!IS_INTRESOURCE(type) || !IS_INTRESOURCE(name)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    const UINT id = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name));
    const void* found = nullptr;
    switch (reinterpret_cast<ULONG_PTR>(type)) {
        case 6:  // RT_STRING: a table by its language
            for (size_t i = 0; i < r->string_table_count; ++i)
                if (r->string_tables[i].language == id) found = &r->string_tables[i];
            break;
        case 14: found = find_icon_group(r, id); break;  // RT_GROUP_ICON
        case 5: found = find_dialog(r, id); break;       // RT_DIALOG
        case 16:                                         // RT_VERSION
            if (id == 1) found = r->version;
            break;
        default:
            SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
            return nullptr;
    }
    (void)language;  // icons, dialogs and version data are declared once for all languages
    if (!found) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HRSRC>(const_cast<void*>(found));
}

HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) { return FindResourceExA(module, type, name, 0); }

HGLOBAL WINAPI LoadResource(HMODULE module, HRSRC info) {
    if (!info) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return reinterpret_cast<HGLOBAL>(info);
}

LPVOID WINAPI LockResource(HGLOBAL data) { return data; }

DWORD WINAPI SizeofResource(HMODULE module, HRSRC info) {
    const pw::res::ModuleResources* r = resources_of(module);
    const void* p = info;
    if (!r || !p) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    for (size_t i = 0; i < r->string_table_count; ++i)
        if (p == &r->string_tables[i]) return sizeof(pw::res::StringTable);
    for (size_t i = 0; i < r->icon_group_count; ++i)
        if (p == &r->icon_groups[i]) return sizeof(pw::res::IconGroup);
    for (size_t i = 0; i < r->dialog_count; ++i)
        if (p == &r->dialogs[i]) return sizeof(pw::res::DialogTemplate);
    if (p == r->version) return sizeof(pw::res::VersionInfo);
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
}

BOOL WINAPI FreeResource(HGLOBAL) { return FALSE; }

}  // extern "C"
