// Basic Win32 types, handles and structures of our platform layer.
//
// Sizes follow the 32-bit Windows ABI the plug-in was written for: LONG and DWORD
// are 32 bits wide even on LP64 Linux, so structures that end up in files
// (BITMAPINFOHEADER in a metafile record, DEVMODE in global memory) keep their
// Windows layout byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>

typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int16_t SHORT;
typedef uint16_t USHORT;
typedef int INT;
typedef unsigned int UINT;
typedef char CHAR;
typedef unsigned char UCHAR;
typedef float FLOAT;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef DWORD COLORREF;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef char* LPTSTR;
typedef const char* LPCTSTR;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;
typedef WORD ATOM;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// The original's calling-convention and linkage markers have no meaning here.
#define WINAPI
#define CALLBACK
#define APIENTRY
#define PASCAL
#define FAR
#define NEAR

// Handles are distinct opaque pointer types, so that passing the wrong kind of
// handle is a compile error, as with STRICT on the original platform.
#define PW_DECLARE_HANDLE(name) \
    struct name##__;            \
    typedef struct name##__* name
PW_DECLARE_HANDLE(HWND);
PW_DECLARE_HANDLE(HDC);
PW_DECLARE_HANDLE(HINSTANCE);
PW_DECLARE_HANDLE(HICON);
PW_DECLARE_HANDLE(HBITMAP);
PW_DECLARE_HANDLE(HPALETTE);
PW_DECLARE_HANDLE(HBRUSH);
PW_DECLARE_HANDLE(HPEN);
PW_DECLARE_HANDLE(HFONT);
PW_DECLARE_HANDLE(HRGN);
PW_DECLARE_HANDLE(HMETAFILE);
PW_DECLARE_HANDLE(HKEY);
PW_DECLARE_HANDLE(HMENU);
PW_DECLARE_HANDLE(HRSRC);
#undef PW_DECLARE_HANDLE
typedef HINSTANCE HMODULE;
typedef HICON HCURSOR;
typedef void* HANDLE;
typedef void* HGDIOBJ;
typedef HANDLE HGLOBAL;
typedef HANDLE HLOCAL;
typedef int (*FARPROC)();

struct POINT {
    LONG x;
    LONG y;
};
typedef POINT* LPPOINT;

struct SIZE {
    LONG cx;
    LONG cy;
};
typedef SIZE* LPSIZE;

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
typedef RECT* LPRECT;

#define MAKEWORD(a, b) ((WORD)(((BYTE)((a) & 0xff)) | ((WORD)((BYTE)((b) & 0xff))) << 8))
#define MAKELONG(a, b) ((LONG)(((WORD)((a) & 0xffff)) | ((DWORD)((WORD)((b) & 0xffff))) << 16))
#define LOWORD(l) ((WORD)((l) & 0xffff))
#define HIWORD(l) ((WORD)(((DWORD)(l) >> 16) & 0xffff))
#define LOBYTE(w) ((BYTE)((w) & 0xff))
#define RGB(r, g, b) ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(c) ((BYTE)(c))
#define GetGValue(c) ((BYTE)(((WORD)(c)) >> 8))
#define GetBValue(c) ((BYTE)((c) >> 16))
#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#define IS_INTRESOURCE(p) ((((ULONG_PTR)(p)) >> 16) == 0)

// Exported from a shared object with a plain C name.
#define PW_EXPORT __attribute__((visibility("default")))
