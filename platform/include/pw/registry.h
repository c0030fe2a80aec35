// The registry of our Win32 layer: the current user's hive, kept in a file.
//
// HKEY_CURRENT_USER lives in "$XDG_CONFIG_HOME/pagewright/registry" (XDG_CONFIG_HOME
// unset, empty or relative means "$HOME/.config"), so a test redirects the whole
// hive by setting XDG_CONFIG_HOME before its first registry call. The other
// predefined roots are not kept: calls on them answer ERROR_INVALID_HANDLE.
//
// Semantics follow the original platform:
//  - key paths use "\" between names; names of keys and values compare without
//    regard to ASCII case and keep the case they were created with;
//  - value data are bytes kept exactly as given (a REG_SZ written with its
//    terminating zero reads back with it, one written without reads back without);
//  - every call returns an ERROR_* code (ERROR_SUCCESS is 0) instead of raising.
//
// Handles: RegOpenKeyExA / RegCreateKeyExA hand out a handle the caller releases
// with RegCloseKey. A handle names a key by path; it does not pin the key's data,
// and every call reads the file afresh, so several handles and several processes
// see each other's writes. Writes replace the file atomically (a temporary file
// renamed over it) under an advisory lock, so a crash never leaves half a file.
// A damaged or unreadable file never crashes a caller: its unreadable lines are
// treated as missing keys and values.
#pragma once

#include "pw/wintypes.h"
#if __has_include("pw/kernel.h")
#include "pw/kernel.h"
#endif

typedef LONG LSTATUS;
typedef DWORD REGSAM;
typedef HKEY* PHKEY;
// Security descriptors have no meaning here; callers pass NULL.
struct _SECURITY_ATTRIBUTES;
typedef struct _SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

// Predefined root keys (sign-extended, as on the 64-bit original).
#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)((LONG)0x80000000))
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))
#define HKEY_USERS ((HKEY)(ULONG_PTR)((LONG)0x80000003))

// Access rights asked for a key.
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_CREATE_LINK 0x0020
#define KEY_WOW64_64KEY 0x0100
#define KEY_WOW64_32KEY 0x0200
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_EXECUTE 0x20019
#define KEY_ALL_ACCESS 0xF003F

// Value types (the stored bytes are never converted).
#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_DWORD_LITTLE_ENDIAN 4
#define REG_DWORD_BIG_ENDIAN 5
#define REG_LINK 6
#define REG_MULTI_SZ 7
#define REG_QWORD 11

// RegCreateKeyExA options and dispositions.
#define REG_OPTION_NON_VOLATILE 0x0
#define REG_OPTION_VOLATILE 0x1
#define REG_CREATED_NEW_KEY 1
#define REG_OPENED_EXISTING_KEY 2

#include "pw/winerror.h"

extern "C" {

// Opens an existing key. lpSubKey NULL or "" opens hKey itself again.
// ERROR_FILE_NOT_FOUND when the key does not exist.
LSTATUS WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);

// Opens a key, creating it and its missing parents first. lpdwDisposition (may be
// NULL) receives REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY.
LSTATUS WINAPI RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                               REGSAM samDesired, LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                               LPDWORD lpdwDisposition);

// Reads a value ("" or NULL names the default value). Needs KEY_QUERY_VALUE.
//  - lpType (may be NULL) receives the type;
//  - lpData NULL: *lpcbData receives the size in bytes, ERROR_SUCCESS;
//  - *lpcbData smaller than the data: ERROR_MORE_DATA, *lpcbData receives the size
//    needed and the buffer is left untouched;
//  - a missing value: ERROR_FILE_NOT_FOUND.
LSTATUS WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                                LPDWORD lpcbData);

// Writes a value of cbData bytes (for REG_SZ the count includes the terminating
// zero, as on the original). Needs KEY_SET_VALUE.
LSTATUS WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                              DWORD cbData);

// Removes one value. ERROR_FILE_NOT_FOUND when it does not exist. Needs KEY_SET_VALUE.
LSTATUS WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);

// Releases a handle from RegOpenKeyExA / RegCreateKeyExA. Closing a predefined
// root is a no-op that succeeds.
LSTATUS WINAPI RegCloseKey(HKEY hKey);

}  // extern "C"
