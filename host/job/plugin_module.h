// The destination module "pagewright.dst", loaded as the scanning application's
// engine loads it: LoadLibraryA (whose start-up creates and registers destination
// 0), the destination found in the engine's registry under class 4002, and at the
// end DeleteClass(0) through GetProcAddress and FreeLibrary.
//
// Where it is loaded from: the folder named by the registry value "ProgramDir"
// under HKEY_CURRENT_USER\Software\Velmora\VL Lucentra LT\Preferences, so that
// the copy the updater installed is the one used; else the folder of the lucentra
// program itself.
#pragma once

#include <string>

#include "kel/objects.h"
#include "pw/wintypes.h"

namespace lucentra {

constexpr const char* kModuleFileName = "pagewright.dst";
constexpr const char* kPreferencesKey = "Software\\Velmora\\VL Lucentra LT\\Preferences";

struct ModuleLocation {
    std::string path;    // the module file to load
    std::string origin;  // "registry ProgramDir" or "program folder", for messages
};

// The folder the lucentra program runs from.
std::string program_folder();

// Where to load the module from (see above); `program_dir` is the fallback folder.
ModuleLocation locate_module(const std::string& program_dir);

class PluginModule {
public:
    // Loads the module and finds its destination. Throws JobError naming the
    // file when it cannot be loaded or registers no destination.
    explicit PluginModule(const ModuleLocation& location);
    // Takes the destination out of the engine's registry, releases it
    // (DeleteClass(0)) and unloads the module.
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    EDESTINATION* destination() const { return destination_; }
    HMODULE handle() const { return module_; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    HMODULE module_ = nullptr;
    EDESTINATION* destination_ = nullptr;
};

}  // namespace lucentra
