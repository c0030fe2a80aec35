// The loader's module list and the per-module records.
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <unordered_map>

#include "kernel/modules.h"

namespace pw::detail {

link_map* main_module() {
    static link_map* main = [] {
        link_map* m = nullptr;
        if (void* h = dlopen(nullptr, RTLD_LAZY | RTLD_NOLOAD)) {
            dlinfo(h, RTLD_DI_LINKMAP, &m);
            dlclose(h);
        }
        return m;
    }();
    return main;
}

link_map* module_of_address(const void* addr) {
    Dl_info info{};
    link_map* m = nullptr;
    if (!addr || !dladdr1(addr, &info, reinterpret_cast<void**>(&m), RTLD_DL_LINKMAP)) return nullptr;
    return m;
}

link_map* live_module(HMODULE h) {
    link_map* main = main_module();
    if (!h) return main;
    for (link_map* m = main; m; m = m->l_next)
        if (reinterpret_cast<HMODULE>(m) == h) return m;
    return nullptr;
}

std::string module_path(link_map* m) {
    if (!m) return {};
    if (m == main_module()) {
        char buf[PATH_MAX];
        ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
        return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
    }
    return m->l_name ? m->l_name : "";
}

std::recursive_mutex& record_mutex() {
    static auto* m = new std::recursive_mutex;  // outlives every module's static destructors
    return *m;
}

namespace {
std::unordered_map<link_map*, ModuleRecord>& records() {
    static auto* r = new std::unordered_map<link_map*, ModuleRecord>;
    return *r;
}
}  // namespace

ModuleRecord* find_record(link_map* m) {
    auto it = records().find(m);
    return it == records().end() ? nullptr : &it->second;
}

ModuleRecord& make_record(link_map* m) { return records()[m]; }

void drop_record_if_unused(link_map* m) {
    auto it = records().find(m);
    if (it == records().end() || it->second.resources || it->second.state) return;
    std::vector<HICON> icons = std::move(it->second.shared_icons);
    records().erase(it);
    destroy_shared_icons(icons);
}

std::string to_windows_path(const std::string& path) {
    std::string r = path;
    for (char& c : r)
        if (c == '/') c = '\\';
    return r;
}

std::string to_native_path(const std::string& path) {
    std::string r = path;
    for (char& c : r)
        if (c == '\\') c = '/';
    return r;
}

}  // namespace pw::detail
