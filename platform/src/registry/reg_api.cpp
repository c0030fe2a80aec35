// The Reg* calls over the file-backed current user's hive.
#include <mutex>
#include <new>
#include <string>
#include <unordered_set>

#include "pw/registry.h"
#include "registry/hive_store.h"

namespace {

// What a handle handed out by RegOpenKeyExA / RegCreateKeyExA stands for.
struct KeyHandle {
    std::string path;  // relative to HKEY_CURRENT_USER, in the case it was created with
    REGSAM access;
};

std::mutex g_handles_mutex;
std::unordered_set<KeyHandle*> g_handles;

// The key a handle names. Only the current user's root and live handles are
// accepted, so a stale or foreign handle is an error rather than a crash.
bool resolve(HKEY hKey, std::string& path, REGSAM& access) {
    if (hKey == HKEY_CURRENT_USER) {
        path.clear();
        access = KEY_ALL_ACCESS;
        return true;
    }
    std::lock_guard<std::mutex> lock(g_handles_mutex);
    auto* h = reinterpret_cast<KeyHandle*>(hKey);
    if (!g_handles.count(h)) return false;
    path = h->path;
    access = h->access;
    return true;
}

LSTATUS hand_out(const std::string& path, REGSAM access, PHKEY phkResult) {
    auto* h = new (std::nothrow) KeyHandle{path, access};
    if (!h) return ERROR_NOT_ENOUGH_MEMORY;
    std::lock_guard<std::mutex> lock(g_handles_mutex);
    g_handles.insert(h);
    *phkResult = reinterpret_cast<HKEY>(h);
    return ERROR_SUCCESS;
}

LSTATUS target_path(HKEY hKey, LPCSTR lpSubKey, std::string& out, REGSAM* access = nullptr) {
    std::string base, rel;
    REGSAM base_access = 0;
    if (!resolve(hKey, base, base_access)) return ERROR_INVALID_HANDLE;
    if (!pw::reg::normalize_path(lpSubKey ? lpSubKey : "", rel)) return ERROR_INVALID_PARAMETER;
    out = pw::reg::join_path(base, rel);
    if (access) *access = base_access;
    return ERROR_SUCCESS;
}

}  // namespace

extern "C" {

LSTATUS WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult) {
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    std::string path;
    LSTATUS rc = target_path(hKey, lpSubKey, path);
    if (rc != ERROR_SUCCESS) return rc;
    pw::reg::Hive hive = pw::reg::load_user_hive();
    const pw::reg::Key* key = hive.find(path);
    if (!key) return ERROR_FILE_NOT_FOUND;
    return hand_out(key->path, samDesired, phkResult);
}

LSTATUS WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                               REGSAM samDesired, LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                               LPDWORD lpdwDisposition) {
    if (!phkResult || !lpSubKey) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    std::string path;
    LSTATUS rc = target_path(hKey, lpSubKey, path);
    if (rc != ERROR_SUCCESS) return rc;
    std::string created_path;
    bool created = false;
    bool written = pw::reg::update_user_hive([&](pw::reg::Hive& hive) {
        pw::reg::Key& key = hive.ensure(path, &created);
        created_path = key.path;
        return created;
    });
    if (!written) return ERROR_CANTWRITE;
    if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return hand_out(created_path, samDesired, phkResult);
}

LSTATUS WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                                LPDWORD lpcbData) {
    std::string path;
    REGSAM access = 0;
    if (!resolve(hKey, path, access)) return ERROR_INVALID_HANDLE;
    if (lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
    if (!(access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    pw::reg::Hive hive = pw::reg::load_user_hive();
    const pw::reg::Key* key = hive.find(path);
    if (!key) return ERROR_KEY_DELETED;
    const pw::reg::Value* value = key->find(lpValueName ? lpValueName : "");
    if (!value) return ERROR_FILE_NOT_FOUND;
    if (lpType) *lpType = value->type;
    const DWORD size = static_cast<DWORD>(value->data.size());
    if (!lpData) {
        if (lpcbData) *lpcbData = size;
        return ERROR_SUCCESS;
    }
    if (*lpcbData < size) {
        *lpcbData = size;
        return ERROR_MORE_DATA;
    }
    value->data.copy(reinterpret_cast<char*>(lpData), size);
    *lpcbData = size;
    return ERROR_SUCCESS;
}

LSTATUS WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                              DWORD cbData) {
    std::string path;
    REGSAM access = 0;
    if (!resolve(hKey, path, access)) return ERROR_INVALID_HANDLE;
    if (Reserved != 0 || (!lpData && cbData != 0)) return ERROR_INVALID_PARAMETER;
    if (!(access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    std::string data(reinterpret_cast<const char*>(lpData ? lpData : reinterpret_cast<const BYTE*>("")), cbData);
    LSTATUS rc = ERROR_SUCCESS;
    bool written = pw::reg::update_user_hive([&](pw::reg::Hive& hive) {
        pw::reg::Key* key = hive.find(path);
        if (!key) {
            rc = ERROR_KEY_DELETED;
            return false;
        }
        key->set(lpValueName ? lpValueName : "", dwType, std::move(data));
        return true;
    });
    if (!written) return ERROR_CANTWRITE;
    return rc;
}

LSTATUS WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    std::string path;
    REGSAM access = 0;
    if (!resolve(hKey, path, access)) return ERROR_INVALID_HANDLE;
    if (!(access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    LSTATUS rc = ERROR_SUCCESS;
    bool written = pw::reg::update_user_hive([&](pw::reg::Hive& hive) {
        pw::reg::Key* key = hive.find(path);
        if (!key) rc = ERROR_KEY_DELETED;
        else if (!key->erase(lpValueName ? lpValueName : "")) rc = ERROR_FILE_NOT_FOUND;
        return rc == ERROR_SUCCESS;
    });
    if (!written) return ERROR_CANTWRITE;
    return rc;
}

LSTATUS WINAPI RegCloseKey(HKEY hKey) {
    if (hKey == HKEY_CURRENT_USER || hKey == HKEY_LOCAL_MACHINE || hKey == HKEY_CLASSES_ROOT || hKey == HKEY_USERS)
        return ERROR_SUCCESS;
    auto* h = reinterpret_cast<KeyHandle*>(hKey);
    {
        std::lock_guard<std::mutex> lock(g_handles_mutex);
        if (!g_handles.erase(h)) return ERROR_INVALID_HANDLE;
    }
    delete h;
    return ERROR_SUCCESS;
}

}  // extern "C"
