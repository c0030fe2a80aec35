// lucentra --version: our own version and the printer module's version data,
// read from the module file that a print would load.
#include <cstdio>
#include <filesystem>
#include <vector>

#include "cli/commands.h"
#include "job/plugin_module.h"
#include "pw/kernel.h"

#ifndef LUCENTRA_VERSION
#define LUCENTRA_VERSION "unknown"
#endif

namespace lucentra::cli {
namespace {

std::string version_text(const void* block, unsigned language, unsigned codepage, const char* name) {
    char path[128];
    snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s", language, codepage, name);
    void* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block, path, &text, &length) || !text || length == 0) return "";
    return std::string(static_cast<const char*>(text), strnlen(static_cast<const char*>(text), length));
}

}  // namespace

int version_command() {
    printf("lucentra %s\n", LUCENTRA_VERSION);
    ModuleLocation module = locate_module(program_folder());
    if (!std::filesystem::exists(module.path)) {
        printf("printer module: not found at %s (from the %s)\n", module.path.c_str(), module.origin.c_str());
        return kFailed;
    }
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(module.path.c_str(), &ignored);
    std::vector<unsigned char> block(size);
    if (size == 0 || !GetFileVersionInfoA(module.path.c_str(), 0, size, block.data())) {
        printf("printer module: %s (no version data)\n", module.path.c_str());
        return kFailed;
    }
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    std::string numbers = "?";
    if (VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed &&
        length >= sizeof(VS_FIXEDFILEINFO)) {
        char text[64];
        snprintf(text, sizeof text, "%u.%u.%u.%u", fixed->dwFileVersionMS >> 16, fixed->dwFileVersionMS & 0xFFFF,
                 fixed->dwFileVersionLS >> 16, fixed->dwFileVersionLS & 0xFFFF);
        numbers = text;
    }
    // The texts of the first translation the module lists.
    std::string description, text_version;
    DWORD* translations = nullptr;
    if (VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &length) &&
        translations && length >= sizeof(DWORD)) {
        unsigned language = translations[0] & 0xFFFF, codepage = translations[0] >> 16;
        description = version_text(block.data(), language, codepage, "FileDescription");
        text_version = version_text(block.data(), language, codepage, "FileVersion");
    }
    printf("printer module: %s %s%s%s%s\n  %s (from the %s)\n", kModuleFileName, numbers.c_str(),
           text_version.empty() ? "" : " (", text_version.c_str(), text_version.empty() ? "" : ")", module.path.c_str(),
           module.origin.c_str());
    if (!description.empty()) printf("  %s\n", description.c_str());
    return kOk;
}

}  // namespace lucentra::cli
