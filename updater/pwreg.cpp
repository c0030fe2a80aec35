// pwreg: reads and writes values of the current user's registry from a shell.
//
//   pwreg set [-t TYPE] KEY NAME DATA   TYPE is REG_SZ (default), REG_EXPAND_SZ,
//                                       REG_DWORD (decimal or 0x hex) or REG_BINARY
//                                       (hex digits); strings get their terminating zero
//   pwreg get KEY NAME                  prints the data: text, decimal or hex
//   pwreg delete KEY NAME
// KEY starts with HKCU\ or HKEY_CURRENT_USER\. Exit status 0 on success, 1 when the
// registry refused (with the reason on stderr), 2 for a usage error.
#include <strings.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "pw/registry.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: pwreg set [-t REG_SZ|REG_EXPAND_SZ|REG_DWORD|REG_BINARY] KEY NAME DATA\n"
                 "       pwreg get KEY NAME\n"
                 "       pwreg delete KEY NAME\n"
                 "KEY starts with HKCU\\ or HKEY_CURRENT_USER\\\n");
    return 2;
}

const char* reason(LSTATUS rc) {
    switch (rc) {
    case ERROR_FILE_NOT_FOUND: return "not found";
    case ERROR_ACCESS_DENIED: return "access denied";
    case ERROR_INVALID_PARAMETER: return "invalid name";
    case ERROR_CANTWRITE: return "the registry file could not be written";
    case ERROR_KEY_DELETED: return "the key was deleted";
    default: return "registry error";
    }
}

int fail(const char* what, LSTATUS rc) {
    std::fprintf(stderr, "pwreg: %s: %s (%ld)\n", what, reason(rc), static_cast<long>(rc));
    return 1;
}

// Strips the root name; false when the key is not under the current user.
bool split_key(std::string_view key, std::string& sub) {
    for (std::string_view root : {"HKCU", "HKEY_CURRENT_USER"}) {
        if (key.size() >= root.size() && strncasecmp(key.data(), root.data(), root.size()) == 0 &&
            (key.size() == root.size() || key[root.size()] == '\\')) {
            sub = std::string(key.substr(root.size()));
            return true;
        }
    }
    return false;
}

bool parse_type(std::string_view name, DWORD& type) {
    if (strncasecmp(name.data(), "REG_", 4) == 0) name.remove_prefix(4);
    struct {
        const char* name;
        DWORD type;
    } const types[] = {{"SZ", REG_SZ}, {"EXPAND_SZ", REG_EXPAND_SZ}, {"DWORD", REG_DWORD}, {"BINARY", REG_BINARY}};
    for (const auto& t : types) {
        if (name.size() == std::strlen(t.name) && strncasecmp(name.data(), t.name, name.size()) == 0) {
            type = t.type;
            return true;
        }
    }
    return false;
}

bool encode(DWORD type, const std::string& text, std::vector<BYTE>& out) {
    out.clear();
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        out.assign(text.begin(), text.end());
        out.push_back(0);
        return true;
    }
    if (type == REG_DWORD) {
        char* end = nullptr;
        errno = 0;
        unsigned long long v = std::strtoull(text.c_str(), &end, 0);
        if (text.empty() || *end || errno || v > 0xffffffffull || text[0] == '-') return false;
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<BYTE>(v >> (8 * i)));
        return true;
    }
    if (text.size() % 2) return false;
    for (size_t i = 0; i < text.size(); i += 2) {
        char pair[3] = {text[i], text[i + 1], 0};
        char* end = nullptr;
        long v = std::strtol(pair, &end, 16);
        if (*end || !std::isxdigit(static_cast<unsigned char>(pair[0]))) return false;
        out.push_back(static_cast<BYTE>(v));
    }
    return true;
}

void print(DWORD type, const std::vector<BYTE>& data) {
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        size_t n = data.size();
        if (n && data[n - 1] == 0) --n;
        std::fwrite(data.data(), 1, n, stdout);
    } else if (type == REG_DWORD && data.size() == 4) {
        std::printf("%lu", static_cast<unsigned long>(data[0] | data[1] << 8 | data[2] << 16 |
                                                      static_cast<unsigned long>(data[3]) << 24));
    } else {
        for (BYTE b : data) std::printf("%02x", b);
    }
    std::printf("\n");
}

int cmd_set(int argc, char** argv) {
    DWORD type = REG_SZ;
    int i = 0;
    if (argc >= 2 && std::strcmp(argv[0], "-t") == 0) {
        if (!parse_type(argv[1], type)) return usage();
        i = 2;
    }
    if (argc - i != 3) return usage();
    std::string sub;
    if (!split_key(argv[i], sub)) return usage();
    std::vector<BYTE> data;
    if (!encode(type, argv[i + 2], data)) {
        std::fprintf(stderr, "pwreg: data does not suit the type: %s\n", argv[i + 2]);
        return 2;
    }
    HKEY key = nullptr;
    LSTATUS rc = RegCreateKeyExA(HKEY_CURRENT_USER, sub.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                 KEY_SET_VALUE, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return fail("create key", rc);
    rc = RegSetValueExA(key, argv[i + 1], 0, type, data.data(), static_cast<DWORD>(data.size()));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? 0 : fail("set value", rc);
}

int cmd_get_or_delete(bool get, int argc, char** argv) {
    if (argc != 2) return usage();
    std::string sub;
    if (!split_key(argv[0], sub)) return usage();
    HKEY key = nullptr;
    LSTATUS rc = RegOpenKeyExA(HKEY_CURRENT_USER, sub.c_str(), 0, get ? KEY_QUERY_VALUE : KEY_SET_VALUE, &key);
    if (rc != ERROR_SUCCESS) return fail("open key", rc);
    if (!get) {
        rc = RegDeleteValueA(key, argv[1]);
        RegCloseKey(key);
        return rc == ERROR_SUCCESS ? 0 : fail("delete value", rc);
    }
    // Ask the size first, then read; the value may change in between, so retry.
    DWORD type = 0, size = 0;
    std::vector<BYTE> data;
    do {
        rc = RegQueryValueExA(key, argv[1], nullptr, &type, nullptr, &size);
        if (rc != ERROR_SUCCESS) break;
        data.resize(size);
        rc = RegQueryValueExA(key, argv[1], nullptr, &type, data.data(), &size);
    } while (rc == ERROR_MORE_DATA);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return fail("get value", rc);
    data.resize(size);
    print(type, data);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    std::string_view cmd = argv[1];
    if (cmd == "set") return cmd_set(argc - 2, argv + 2);
    if (cmd == "get") return cmd_get_or_delete(true, argc - 2, argv + 2);
    if (cmd == "delete") return cmd_get_or_delete(false, argc - 2, argv + 2);
    return usage();
}
