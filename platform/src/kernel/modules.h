// Inside the layer: loaded modules and the per-module record that resources,
// icons and module states hang on.
//
// A module handle (HMODULE) is the module's struct link_map. Handles coming from
// callers are only ever compared with the loader's list of live modules before
// anything is read through them.
#pragma once

#include <link.h>

#include <mutex>
#include <string>
#include <vector>

#include "pw/kernel.h"
#include "pw/resources.h"

struct AFX_MODULE_STATE;

namespace pw::detail {

// The program's module.
link_map* main_module();
// The module whose image holds addr; NULL when none does.
link_map* module_of_address(const void* addr);
// h itself when it is a live module, the program for NULL, else NULL.
link_map* live_module(HMODULE h);
// Full path of a live module with "/" separators ("" when unknown).
std::string module_path(link_map* m);
inline HMODULE to_handle(link_map* m) { return reinterpret_cast<HMODULE>(m); }

// What the layer keeps per module. Guarded by record_mutex().
struct ModuleRecord {
    const pw::res::ModuleResources* resources = nullptr;
    AFX_MODULE_STATE* state = nullptr;
    std::vector<HICON> shared_icons;  // LR_SHARED icons, destroyed with the record
};

std::recursive_mutex& record_mutex();
// NULL when the module has no record.
ModuleRecord* find_record(link_map* m);
ModuleRecord& make_record(link_map* m);
// Drops the record when neither resources nor a state are left.
void drop_record_if_unused(link_map* m);

// Frees icons the user side made (shared icons of a dropped record).
void destroy_shared_icons(const std::vector<HICON>& icons);

// Windows-style path of a Linux one ("/" -> "\").
std::string to_windows_path(const std::string& path);
// Linux path of a Windows-style one ("\" -> "/").
std::string to_native_path(const std::string& path);

}  // namespace pw::detail
