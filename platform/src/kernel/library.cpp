// Module loading over the system loader, with the original platform's search
// order and names.
#include <dirent.h>
#include <dlfcn.h>
#include <strings.h>
#include <unistd.h>

#include <mutex>
#include <string>
#include <unordered_map>

#include "kernel/modules.h"
#include "pw/afx_state.h"

namespace pw::detail {
namespace {

struct Loaded {
    void* handle = nullptr;  // what dlopen gave; closed once per LoadLibraryA
    unsigned count = 0;
};

std::mutex& load_mutex() {
    static auto* m = new std::mutex;
    return *m;
}
std::unordered_map<link_map*, Loaded>& loaded() {
    static auto* l = new std::unordered_map<link_map*, Loaded>;
    return *l;
}

thread_local std::string last_load_error;

std::string base_name(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string directory_of(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

// The original platform's rule: no extension means ".dll"; a trailing dot means
// "no extension, and add none".
std::string with_default_extension(std::string name) {
    std::string base = base_name(name);
    if (!base.empty() && base.back() == '.') {
        name.pop_back();
        return name;
    }
    if (base.find('.') == std::string::npos) name += ".dll";
    return name;
}

// A file of that name in dir: the exact name first, else one that differs only in case.
std::string find_in_directory(const std::string& dir, const std::string& name) {
    std::string exact = dir + "/" + name;
    if (access(exact.c_str(), F_OK) == 0) return exact;
    std::string found;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            if (strcasecmp(e->d_name, name.c_str()) == 0) {
                found = dir + "/" + e->d_name;
                break;
            }
        }
        closedir(d);
    }
    return found;
}

// A handle dlsym accepts for a live module (the caller closes it).
void* open_handle(link_map* m) {
    if (m == main_module()) return dlopen(nullptr, RTLD_LAZY);
    return dlopen(m->l_name, RTLD_LAZY | RTLD_NOLOAD);
}

}  // namespace
}  // namespace pw::detail

using namespace pw::detail;

extern "C" {

const char* pw_module_load_error(void) { return last_load_error.c_str(); }

HMODULE WINAPI LoadLibraryA(LPCSTR file) {
    if (!file || !*file) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::string name = with_default_extension(to_native_path(file));
    std::string path = name;
    if (name.find('/') == std::string::npos) {
        std::string own = find_in_directory(directory_of(module_path(main_module())), name);
        if (!own.empty()) path = own;
    }
    dlerror();
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        last_load_error = why ? why : "unknown error";
        const bool exists = path.find('/') != std::string::npos && access(path.c_str(), F_OK) == 0;
        SetLastError(exists ? ERROR_BAD_EXE_FORMAT : ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    link_map* m = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &m) != 0 || !m) {
        dlclose(handle);
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    {
        std::lock_guard lock(load_mutex());
        Loaded& l = loaded()[m];
        if (!l.handle) l.handle = handle;
        ++l.count;
    }
    // A module whose application object refused to start is not kept, as on
    // the original platform.
    int init_state = 0;
    {
        std::lock_guard lock(record_mutex());
        if (ModuleRecord* r = find_record(m); r && r->state) init_state = r->state->m_nInitState;
    }
    if (init_state < 0) {
        FreeLibrary(to_handle(m));
        last_load_error = "the module's InitInstance failed";
        SetLastError(ERROR_DLL_INIT_FAILED);
        return nullptr;
    }
    return to_handle(m);
}

BOOL WINAPI FreeLibrary(HMODULE h) {
    void* handle = nullptr;
    {
        std::lock_guard lock(load_mutex());
        auto it = loaded().find(reinterpret_cast<link_map*>(h));
        if (!h || it == loaded().end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        handle = it->second.handle;
        if (--it->second.count == 0) loaded().erase(it);
    }
    // Outside the lock: unloading runs ExitInstance, which may free other modules.
    return dlclose(handle) == 0 ? TRUE : FALSE;
}

FARPROC WINAPI GetProcAddress(HMODULE h, LPCSTR name) {
    link_map* m = live_module(h);
    if (!m) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!name || IS_INTRESOURCE(name)) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void* handle = open_handle(m);
    if (!handle) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    void* sym = dlsym(handle, name);
    dlclose(handle);
    // dlsym also searches the module's dependencies; an export of another
    // module is not this module's export.
    if (!sym || module_of_address(sym) != m) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(sym);
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
    if (!name) return to_handle(main_module());
    std::string wanted = base_name(with_default_extension(to_native_path(name)));
    for (link_map* m = main_module(); m; m = m->l_next) {
        if (strcasecmp(base_name(module_path(m)).c_str(), wanted.c_str()) == 0) return to_handle(m);
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

DWORD WINAPI GetModuleFileNameA(HMODULE h, LPSTR buffer, DWORD size) {
    link_map* m = live_module(h);
    if (!m) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (!buffer && size > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string path = to_windows_path(module_path(m));
    if (size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() < size) {
        std::memcpy(buffer, path.c_str(), path.size() + 1);
        return static_cast<DWORD>(path.size());
    }
    std::memcpy(buffer, path.data(), size - 1);
    buffer[size - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

}  // extern "C"
