// Version data: GetFileVersionInfoA serialises a module's declaration into a
// block of our own layout, which VerQueryValueA reads.
//
// Block: header, VS_FIXEDFILEINFO, the translation pairs, then for every
// language: DWORD (language << 16 | code page), DWORD string count, and per
// string its key and value, each zero-terminated.
#include <strings.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "kernel/modules.h"
#include "pw/resources.h"

using namespace pw::detail;

namespace {

constexpr char magic[4] = {'P', 'W', 'V', 'I'};

struct BlockHeader {
    char magic[4];
    DWORD total;
    DWORD translation_count;
    DWORD reserved;
    VS_FIXEDFILEINFO fixed;
};

template <typename T>
void put(std::string& out, const T& v) {
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

std::string serialise(const pw::res::VersionInfo& v, bool is_program) {
    BlockHeader h{};
    std::memcpy(h.magic, magic, 4);
    h.translation_count = static_cast<DWORD>(v.count);
    h.fixed.dwSignature = VS_FFI_SIGNATURE;
    h.fixed.dwStrucVersion = VS_FFI_STRUCVERSION;
    h.fixed.dwFileVersionMS = MAKELONG(v.file_version[1], v.file_version[0]);
    h.fixed.dwFileVersionLS = MAKELONG(v.file_version[3], v.file_version[2]);
    h.fixed.dwProductVersionMS = MAKELONG(v.product_version[1], v.product_version[0]);
    h.fixed.dwProductVersionLS = MAKELONG(v.product_version[3], v.product_version[2]);
    h.fixed.dwFileFlagsMask = VS_FFI_FILEFLAGSMASK;
    h.fixed.dwFileFlags = v.file_flags;
    h.fixed.dwFileOS = v.file_os ? v.file_os : VOS_NT_WINDOWS32;
    h.fixed.dwFileType = v.file_type ? v.file_type : (is_program ? VFT_APP : VFT_DLL);
    std::string out;
    put(out, h);
    for (size_t i = 0; i < v.count; ++i)
        put(out, static_cast<DWORD>(MAKELONG(v.languages[i].language, v.languages[i].code_page)));
    for (size_t i = 0; i < v.count; ++i) {
        const pw::res::VersionLanguage& l = v.languages[i];
        put(out, static_cast<DWORD>((DWORD(l.language) << 16) | l.code_page));
        put(out, static_cast<DWORD>(l.count));
        for (size_t k = 0; k < l.count; ++k) {
            const char* key = l.strings[k].key ? l.strings[k].key : "";
            const char* value = l.strings[k].value ? l.strings[k].value : "";
            out.append(key, std::strlen(key) + 1);
            out.append(value, std::strlen(value) + 1);
        }
    }
    reinterpret_cast<BlockHeader*>(out.data())->total = static_cast<DWORD>(out.size());
    return out;
}

// The loaded module with this file (by full path, or by name when no directory is given).
link_map* loaded_module(const std::string& file) {
    std::string native = to_native_path(file);
    if (native.find('/') == std::string::npos) return reinterpret_cast<link_map*>(GetModuleHandleA(file.c_str()));
    char want[PATH_MAX];
    if (!realpath(native.c_str(), want)) return nullptr;
    for (link_map* m = main_module(); m; m = m->l_next) {
        char have[PATH_MAX];
        std::string p = module_path(m);
        if (!p.empty() && realpath(p.c_str(), have) && std::strcmp(want, have) == 0) return m;
    }
    return nullptr;
}

// The version block of a file; empty with the last error set when it has none.
std::string version_block(LPCSTR file) {
    if (!file || !*file) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return {};
    }
    HMODULE loaded_here = nullptr;
    link_map* m = loaded_module(file);
    if (!m) {
        loaded_here = LoadLibraryA(file);
        if (!loaded_here) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return {};
        }
        m = reinterpret_cast<link_map*>(loaded_here);
    }
    std::string block;
    if (const pw::res::VersionInfo* v = pw_module_version(to_handle(m))) block = serialise(*v, m == main_module());
    if (loaded_here) FreeLibrary(loaded_here);
    if (block.empty()) SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return block;
}

const BlockHeader* header_of(LPCVOID block) {
    auto* h = static_cast<const BlockHeader*>(block);
    return h && std::memcmp(h->magic, magic, 4) == 0 ? h : nullptr;
}

}  // namespace

extern "C" {

DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR file, LPDWORD handle) {
    if (handle) *handle = 0;
    return static_cast<DWORD>(version_block(file).size());
}

BOOL WINAPI GetFileVersionInfoA(LPCSTR file, DWORD, DWORD len, LPVOID data) {
    if (!data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string block = version_block(file);
    if (block.empty()) return FALSE;
    if (block.size() > len) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(data, block.data(), block.size());
    return TRUE;
}

BOOL WINAPI VerQueryValueA(LPCVOID block, LPCSTR sub, LPVOID* out, UINT* out_len) {
    const BlockHeader* h = header_of(block);
    if (!h || !sub || !out) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const char* base = static_cast<const char*>(block);
    const char* end = base + h->total;
    const auto* translations = reinterpret_cast<const DWORD*>(base + sizeof(BlockHeader));
    if (std::strcmp(sub, "\\") == 0) {
        *out = const_cast<VS_FIXEDFILEINFO*>(&h->fixed);
        if (out_len) *out_len = sizeof(VS_FIXEDFILEINFO);
        return TRUE;
    }
    if (strcasecmp(sub, "\\VarFileInfo\\Translation") == 0) {
        *out = const_cast<DWORD*>(translations);
        if (out_len) *out_len = h->translation_count * sizeof(DWORD);
        return h->translation_count > 0;
    }
    const char prefix[] = "\\StringFileInfo\\";
    if (strncasecmp(sub, prefix, sizeof prefix - 1) == 0) {
        const char* lang = sub + sizeof prefix - 1;
        const char* slash = std::strchr(lang, '\\');
        if (slash && slash - lang == 8) {
            char* stop = nullptr;
            const DWORD wanted = static_cast<DWORD>(std::strtoul(std::string(lang, 8).c_str(), &stop, 16));
            const char* key = slash + 1;
            const char* p = reinterpret_cast<const char*>(translations + h->translation_count);
            for (DWORD i = 0; i < h->translation_count && p + 8 <= end; ++i) {
                DWORD id, count;
                std::memcpy(&id, p, 4);
                std::memcpy(&count, p + 4, 4);
                p += 8;
                for (DWORD k = 0; k < count && p < end; ++k) {
                    const char* k_text = p;
                    const char* v_text = k_text + std::strlen(k_text) + 1;
                    p = v_text + std::strlen(v_text) + 1;
                    if (id == wanted && strcasecmp(k_text, key) == 0) {
                        *out = const_cast<char*>(v_text);
                        if (out_len) *out_len = static_cast<UINT>(std::strlen(v_text) + 1);
                        return TRUE;
                    }
                }
            }
        }
    }
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return FALSE;
}

}  // extern "C"
