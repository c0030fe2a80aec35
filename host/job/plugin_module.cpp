#include "job/plugin_module.h"

#include <filesystem>
#include <vector>

#include "job/job_error.h"
#include "kel/registry.h"
#include "pw/kernel.h"
#include "pw/registry.h"

namespace lucentra {

std::string program_folder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

// The registry value, or "" when it is not set (or not text).
static std::string program_dir_setting() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kPreferencesKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return "";
    std::string value;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, "ProgramDir", nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0 && size < 65536) {
        std::vector<char> data(size + 1, '\0');
        if (RegQueryValueExA(key, "ProgramDir", nullptr, &type, reinterpret_cast<LPBYTE>(data.data()), &size) ==
            ERROR_SUCCESS)
            value = data.data();  // stops at the stored terminating zero, if any
    }
    RegCloseKey(key);
    return value;
}

ModuleLocation locate_module(const std::string& program_dir) {
    std::string setting = program_dir_setting();
    if (!setting.empty()) {
        // Written by a Windows-minded installer, the folder may use backslashes.
        for (char& c : setting)
            if (c == '\\') c = '/';
        return {(std::filesystem::path(setting) / kModuleFileName).string(), "registry ProgramDir"};
    }
    return {(std::filesystem::path(program_dir) / kModuleFileName).string(), "program folder"};
}

PluginModule::PluginModule(const ModuleLocation& location) : path_(location.path) {
    if (!std::filesystem::exists(path_))
        throw JobError("cannot find the printer module " + path_ + " (from the " + location.origin + ")");
    module_ = LoadLibraryA(path_.c_str());
    if (!module_)
        throw JobError("cannot load the printer module " + path_ + " (error " + std::to_string(GetLastError()) + ")");

    EREGISTRY* registry = nullptr;
    EBASEOBJECT** found = nullptr;
    int count = 0;
    if (GetRegistryObject(&registry) == 0 && registry) count = registry->Query(&found, CID_DESTINATION);
    for (int i = 0; i < count && !destination_; ++i) destination_ = dynamic_cast<EDESTINATION*>(found[i]);
    EREGISTRY::Release(found);
    if (!destination_) {
        FreeLibrary(module_);
        module_ = nullptr;
        throw JobError("the printer module " + path_ + " registered no destination");
    }
}

PluginModule::~PluginModule() {
    if (!module_) return;
    // The module never takes a destroyed destination out of the registry; the
    // engine that releases it does, or the registry would keep a dangling entry.
    EREGISTRY* registry = nullptr;
    if (destination_ && GetRegistryObject(&registry) == 0 && registry) registry->DeRegister(destination_);
    using DeleteClassFn = int (*)(int);
    auto delete_class = reinterpret_cast<DeleteClassFn>(reinterpret_cast<void*>(GetProcAddress(module_, "DeleteClass")));
    if (delete_class) delete_class(0);
    FreeLibrary(module_);
}

}  // namespace lucentra
