// Kernel services of our Win32 layer: global and local memory, last error,
// system message texts, strings, time, modules and their resources.
//
// Module handles (HMODULE / HINSTANCE) name a loaded ELF object: the main program
// or a shared object loaded with LoadLibraryA or dlopen, whatever its file name
// ("pagewright.dst", "tarnrez.dll"). A handle is valid while its object stays
// loaded; the layer never dereferences a handle it does not know, so a stale or
// made-up handle gives an error, not a crash.
//
// All calls are thread-safe. GetLastError is per thread.
#pragma once

#include <cstdarg>
#include <cstring>

#include "pw/wintypes.h"

typedef size_t SIZE_T;
typedef WORD LANGID;
typedef DWORD LCID;

// ---------------------------------------------------------------- error codes
#include "pw/winerror.h"

// ---------------------------------------------------------------- memory
// Global and local memory are one heap, as on 32-bit Windows.
#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_NOCOMPACT 0x0010
#define GMEM_NODISCARD 0x0020
#define GMEM_ZEROINIT 0x0040
#define GMEM_MODIFY 0x0080
#define GMEM_DISCARDABLE 0x0100
#define GMEM_SHARE 0x2000
#define GMEM_DDESHARE 0x2000
#define GMEM_DISCARDED 0x4000
#define GMEM_INVALID_HANDLE 0x8000
#define GMEM_LOCKCOUNT 0x00FF
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)

#define LMEM_FIXED 0x0000
#define LMEM_MOVEABLE 0x0002
#define LMEM_ZEROINIT 0x0040
#define LMEM_INVALID_HANDLE 0x8000
#define LMEM_LOCKCOUNT 0x00FF
#define LHND (LMEM_MOVEABLE | LMEM_ZEROINIT)
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)

#define ZeroMemory(dst, n) std::memset((dst), 0, (n))
#define FillMemory(dst, n, v) std::memset((dst), (v), (n))
#define CopyMemory(dst, src, n) std::memcpy((dst), (src), (n))
#define MoveMemory(dst, src, n) std::memmove((dst), (src), (n))

// ---------------------------------------------------------------- languages
#define LANG_NEUTRAL 0x00
#define LANG_CHINESE 0x04
#define LANG_GERMAN 0x07
#define LANG_ENGLISH 0x09
#define LANG_SPANISH 0x0a
#define LANG_FRENCH 0x0c
#define LANG_ITALIAN 0x10
#define LANG_JAPANESE 0x11
#define LANG_KOREAN 0x12
#define LANG_DUTCH 0x13
#define LANG_PORTUGUESE 0x16
#define LANG_RUSSIAN 0x19
#define SUBLANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define SUBLANG_SYS_DEFAULT 0x02
#define SUBLANG_ENGLISH_US 0x01
#define MAKELANGID(p, s) ((WORD)((((WORD)(s)) << 10) | (WORD)(p)))
#define PRIMARYLANGID(lgid) ((WORD)(lgid) & 0x3ff)
#define SUBLANGID(lgid) ((WORD)(lgid) >> 10)

// ---------------------------------------------------------------- FormatMessage
#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_STRING 0x00000400
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x00002000
#define FORMAT_MESSAGE_MAX_WIDTH_MASK 0x000000FF

// ---------------------------------------------------------------- resources
// Resource types; names and types may be integers (MAKEINTRESOURCE) or strings.
#define RT_CURSOR MAKEINTRESOURCEA(1)
#define RT_BITMAP MAKEINTRESOURCEA(2)
#define RT_ICON MAKEINTRESOURCEA(3)
#define RT_MENU MAKEINTRESOURCEA(4)
#define RT_DIALOG MAKEINTRESOURCEA(5)
#define RT_STRING MAKEINTRESOURCEA(6)
#define RT_GROUP_CURSOR MAKEINTRESOURCEA(12)
#define RT_GROUP_ICON MAKEINTRESOURCEA(14)
#define RT_VERSION MAKEINTRESOURCEA(16)

// Version data, as VerQueryValueA hands it out for the sub-block "\".
#define VS_FFI_SIGNATURE 0xFEEF04BDu
#define VS_FFI_STRUCVERSION 0x00010000u
#define VS_FFI_FILEFLAGSMASK 0x0000003Fu
#define VOS_NT_WINDOWS32 0x00040004u
#define VFT_UNKNOWN 0x0u
#define VFT_APP 0x1u
#define VFT_DLL 0x2u
struct VS_FIXEDFILEINFO {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
};

extern "C" {

// ---------------------------------------------------------------- last error
DWORD WINAPI GetLastError(void);
void WINAPI SetLastError(DWORD dwErrCode);

// ---------------------------------------------------------------- global memory
// GMEM_FIXED: the handle is the block's address. GMEM_MOVEABLE: an opaque handle
// that GlobalLock turns into the address; each lock raises the lock count, each
// GlobalUnlock lowers it. Blocks are always zero-filled (GMEM_ZEROINIT or not).
// A moveable block of 0 bytes is "discarded": it has a handle but no memory.
// Handles of freed moveable blocks are never handed out again, so using one
// after GlobalFree is reliably reported as invalid.
HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes);
// Resizes a block; the content is kept (new bytes are zero). NULL on failure,
// the block is then unchanged.
HGLOBAL WINAPI GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags);
// Address of the block, lock count raised (moveable only). NULL for an invalid
// handle (ERROR_INVALID_HANDLE) or a discarded (0-byte) block.
LPVOID WINAPI GlobalLock(HGLOBAL hMem);
// TRUE while the block stays locked. FALSE when it is unlocked now
// (GetLastError NO_ERROR), was not locked (ERROR_NOT_LOCKED), or the handle is
// invalid (ERROR_INVALID_HANDLE).
BOOL WINAPI GlobalUnlock(HGLOBAL hMem);
// Low 8 bits: lock count (saturating at 255); GMEM_DISCARDED for a 0-byte
// moveable block; GMEM_INVALID_HANDLE (0x8000) for a handle that is not (or no
// longer) a block of ours.
UINT WINAPI GlobalFlags(HGLOBAL hMem);
// Size in bytes; 0 for an invalid handle.
SIZE_T WINAPI GlobalSize(HGLOBAL hMem);
// NULL on success (also for NULL). An invalid handle is left alone and returned,
// with ERROR_INVALID_HANDLE. Freeing a locked block frees it.
HGLOBAL WINAPI GlobalFree(HGLOBAL hMem);
// The handle of the block at this address (a locked moveable block's address or
// a fixed block); NULL when the address starts no block of ours.
HGLOBAL WINAPI GlobalHandle(LPCVOID pMem);

HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes);
LPVOID WINAPI LocalLock(HLOCAL hMem);
BOOL WINAPI LocalUnlock(HLOCAL hMem);
UINT WINAPI LocalFlags(HLOCAL hMem);
SIZE_T WINAPI LocalSize(HLOCAL hMem);
HLOCAL WINAPI LocalFree(HLOCAL hMem);

// ---------------------------------------------------------------- messages
// FROM_SYSTEM: the system's text for dwMessageId (the codes this layer
// produces), in English, ending in "\r\n" as on the original platform; language
// 0, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT) and English ids are accepted,
// others give ERROR_RESOURCE_LANG_NOT_FOUND; an unknown id gives
// ERROR_MR_MID_NOT_FOUND. FROM_STRING: lpSource is the text. Inserts %1..%99
// (format !s! only: arguments are const char*), taken from an array
// (FORMAT_MESSAGE_ARGUMENT_ARRAY: Arguments is really const char* const*) or
// from *Arguments; %n (line break "\r\n"), %% and %0 (end, no further text).
// ALLOCATE_BUFFER: lpBuffer is really a char** that receives a LocalAlloc'ed
// text the caller frees with LocalFree; otherwise nSize bytes are available at
// lpBuffer. Result: characters written without the terminating zero, 0 on failure.
DWORD WINAPI FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId,
                            LPSTR lpBuffer, DWORD nSize, va_list* Arguments);

// ---------------------------------------------------------------- strings
// Byte-wise comparison (as strcmp); NULL compares as "". Result -1, 0 or 1.
int WINAPI lstrcmpA(LPCSTR a, LPCSTR b);
int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b);
int WINAPI lstrlenA(LPCSTR s);
// Copies at most iMaxLength - 1 characters and always terminates (iMaxLength > 0).
LPSTR WINAPI lstrcpynA(LPSTR dst, LPCSTR src, int iMaxLength);
LPSTR WINAPI lstrcpyA(LPSTR dst, LPCSTR src);
LPSTR WINAPI lstrcatA(LPSTR dst, LPCSTR src);
// a * b / c rounded to nearest, in 64-bit; -1 when c is 0 or the result overflows.
int WINAPI MulDiv(int nNumber, int nNumerator, int nDenominator);

// ---------------------------------------------------------------- time, threads
void WINAPI Sleep(DWORD dwMilliseconds);
// Milliseconds since an arbitrary start (monotonic), wrapping at 2^32.
DWORD WINAPI GetTickCount(void);
DWORD WINAPI GetCurrentThreadId(void);
DWORD WINAPI GetCurrentProcessId(void);

// ---------------------------------------------------------------- modules
// Loads a module. A name without a directory is looked for first in the
// program's own directory (exact name, then ignoring case), then along the
// system loader's path; a name without an extension gets ".dll", as on the
// original platform. "\" and "/" are both separators. Loading the same file
// again returns the same handle and raises its count. A module linked with
// winplat_module gets its CWinApp::InitInstance run during the load; when that
// fails the module is unloaded again and the call fails (ERROR_DLL_INIT_FAILED).
// Failure: NULL with ERROR_MOD_NOT_FOUND or ERROR_BAD_EXE_FORMAT.
HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName);
// Lowers the count of a module loaded by LoadLibraryA; the module is unloaded
// (ExitInstance first) when it reaches 0. FALSE + ERROR_INVALID_HANDLE for a
// handle LoadLibraryA did not hand out (or already released as often).
BOOL WINAPI FreeLibrary(HMODULE hLibModule);
// An export of exactly this module (not of the modules it depends on).
// NULL + ERROR_PROC_NOT_FOUND when absent; NULL + ERROR_INVALID_HANDLE for an
// unknown handle. Ordinals are not supported (ERROR_PROC_NOT_FOUND).
FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
// NULL: the program. Otherwise a loaded module whose file name matches, ignoring
// case (".dll" appended when there is no extension). The count is not raised.
HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName);
// Full path of a module (NULL: the program) with "\" separators. A buffer too
// small receives the first nSize - 1 characters and a terminating zero; the
// result is then nSize with ERROR_INSUFFICIENT_BUFFER. Otherwise the result is
// the length without the terminating zero. 0 on failure.
DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);

// ---------------------------------------------------------------- resources
// The user's language, from LC_ALL, LC_MESSAGES or LANG (the first that is set
// and not empty), e.g. de_AT.UTF-8 -> 3079, de_DE -> 1031, en_US -> 1033,
// fr_FR -> 1036; an unknown country falls back to the language's default
// (de_LU -> 1031), an unknown language or "C" / "POSIX" to 1033.
LANGID WINAPI GetUserDefaultLangID(void);
LANGID WINAPI GetUserDefaultUILanguage(void);
LANGID WINAPI GetSystemDefaultLangID(void);

// Resources of a module (hModule NULL: the program) as declared with
// pw/resources.h. LockResource gives the declaration itself:
//   RT_STRING -> const pw::res::StringTable* (lpName is the table's language
//                here, since tables are declared per language; use LoadStringA),
//   RT_GROUP_ICON -> const pw::res::IconGroup*,
//   RT_DIALOG -> const pw::res::DialogTemplate*,
//   RT_VERSION -> const pw::res::VersionInfo* (lpName 1).
// Handles live as long as the module stays loaded.
HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType);
HRSRC WINAPI FindResourceExA(HMODULE hModule, LPCSTR lpType, LPCSTR lpName, WORD wLanguage);
HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo);
LPVOID WINAPI LockResource(HGLOBAL hResData);
DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo);
BOOL WINAPI FreeResource(HGLOBAL hResData);

// Version data of a module file, read from the loaded module with that file name
// (or the program itself); a file not loaded yet is loaded for the call with
// LoadLibraryA and released again, so its start-up code runs. The block is our
// own layout; read it with VerQueryValueA:
//   "\"                                -> VS_FIXEDFILEINFO
//   "\VarFileInfo\Translation"         -> DWORD pairs: LOWORD language, HIWORD code page
//   "\StringFileInfo\040704b0\FileVersion" -> text (language 0407, code page 04b0)
DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR lptstrFilename, LPDWORD lpdwHandle);
BOOL WINAPI GetFileVersionInfoA(LPCSTR lptstrFilename, DWORD dwHandle, DWORD dwLen, LPVOID lpData);
BOOL WINAPI VerQueryValueA(LPCVOID pBlock, LPCSTR lpSubBlock, LPVOID* lplpBuffer, UINT* puLen);

}  // extern "C"

#define FormatMessage FormatMessageA
#define lstrcmp lstrcmpA
#define lstrcmpi lstrcmpiA
#define lstrlen lstrlenA
#define lstrcpyn lstrcpynA
#define lstrcpy lstrcpyA
#define lstrcat lstrcatA
#define LoadLibrary LoadLibraryA
#define GetModuleHandle GetModuleHandleA
#define GetModuleFileName GetModuleFileNameA
#define FindResource FindResourceA
#define FindResourceEx FindResourceExA
#define GetFileVersionInfoSize GetFileVersionInfoSizeA
#define GetFileVersionInfo GetFileVersionInfoA
#define VerQueryValue VerQueryValueA

// The system loader's explanation of the calling thread's last failed
// LoadLibraryA ("" when there was none), for diagnostics.
extern "C" const char* pw_module_load_error(void);
