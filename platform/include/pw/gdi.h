// GDI of our Win32 layer: device contexts, DIBs, DIB sections, palettes,
// brushes, paths, mapping modes, StretchDIBits and Windows metafiles.
//
// Names, signatures and constant values are those of the original platform so
// that ordinary Win32 drawing code compiles unchanged. Coordinates passed to
// drawing calls are logical units of the device context; they are mapped to
// device pixels through the window and viewport set by SetMapMode and the
// Set...Ex calls. Handles returned by the Create... calls belong to the caller
// and are released with DeleteObject (GDI objects), DeleteDC (device contexts)
// or DeleteMetaFile (metafiles). Every call checks its handles: a null, stale
// or wrong-kind handle gives the documented failure value, never a crash.
//
// Structures that end up in files (BITMAPINFOHEADER inside a metafile record,
// METAHEADER) keep the original byte layout.
#pragma once

#include "pw/wintypes.h"

#include <cstddef>

// DEVMODEA belongs to the spooler header; CreateDCA only passes it through.
struct _devicemodeA;
typedef struct _devicemodeA DEVMODEA;

// ---------------------------------------------------------------- constants

#define GDI_ERROR 0xFFFFFFFFU // unsigned 32 bits, so it compares equal to an int -1 or a UINT result
#define HGDI_ERROR ((HGDIOBJ)(LONG_PTR)-1)
#define CLR_INVALID 0xFFFFFFFF

// GetDeviceCaps indices.
#define DRIVERVERSION 0
#define TECHNOLOGY 2
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMBRUSHES 16
#define NUMPENS 18
#define NUMMARKERS 20
#define NUMFONTS 22
#define NUMCOLORS 24
#define PDEVICESIZE 26
#define CURVECAPS 28
#define LINECAPS 30
#define POLYGONALCAPS 32
#define TEXTCAPS 34
#define CLIPCAPS 36
#define RASTERCAPS 38
#define ASPECTX 40
#define ASPECTY 42
#define ASPECTXY 44
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define NUMRESERVED 106
#define COLORRES 108
#define PHYSICALWIDTH 110
#define PHYSICALHEIGHT 111
#define PHYSICALOFFSETX 112
#define PHYSICALOFFSETY 113
#define SCALINGFACTORX 114
#define SCALINGFACTORY 115

// TECHNOLOGY values.
#define DT_PLOTTER 0
#define DT_RASDISPLAY 1
#define DT_RASPRINTER 2
#define DT_RASCAMERA 3
#define DT_CHARSTREAM 4
#define DT_METAFILE 5
#define DT_DISPFILE 6

// RASTERCAPS bits.
#define RC_BITBLT 0x0001
#define RC_BANDING 0x0002
#define RC_SCALING 0x0004
#define RC_BITMAP64 0x0008
#define RC_GDI20_OUTPUT 0x0010
#define RC_DI_BITMAP 0x0080
#define RC_PALETTE 0x0100
#define RC_DIBTODEV 0x0200
#define RC_BIGFONT 0x0400
#define RC_STRETCHBLT 0x0800
#define RC_FLOODFILL 0x1000
#define RC_STRETCHDIB 0x2000

// Mapping modes.
#define MM_TEXT 1
#define MM_LOMETRIC 2
#define MM_HIMETRIC 3
#define MM_LOENGLISH 4
#define MM_HIENGLISH 5
#define MM_TWIPS 6
#define MM_ISOTROPIC 7
#define MM_ANISOTROPIC 8

// Stretch modes.
#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4
#define STRETCH_ANDSCANS BLACKONWHITE
#define STRETCH_ORSCANS WHITEONBLACK
#define STRETCH_DELETESCANS COLORONCOLOR
#define STRETCH_HALFTONE HALFTONE

// Ternary raster operations.
#define SRCCOPY 0x00CC0020
#define SRCPAINT 0x00EE0086
#define SRCAND 0x008800C6
#define SRCINVERT 0x00660046
#define SRCERASE 0x00440328
#define NOTSRCCOPY 0x00330008
#define NOTSRCERASE 0x001100A6
#define MERGECOPY 0x00C000CA
#define MERGEPAINT 0x00BB0226
#define PATCOPY 0x00F00021
#define PATPAINT 0x00FB0A09
#define PATINVERT 0x005A0049
#define DSTINVERT 0x00550009
#define BLACKNESS 0x00000042
#define WHITENESS 0x00FF0062

// DIB compression and colour-table usage.
#define BI_RGB 0
#define BI_RLE8 1
#define BI_RLE4 2
#define BI_BITFIELDS 3
#define DIB_RGB_COLORS 0
#define DIB_PAL_COLORS 1

// Stock objects.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define DEFAULT_PALETTE 15

// Object types (GetObjectType, GetCurrentObject).
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_METADC 4
#define OBJ_PAL 5
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_REGION 8
#define OBJ_METAFILE 9
#define OBJ_MEMDC 10

// Polygon fill modes.
#define ALTERNATE 1
#define WINDING 2

// Palette entry flags.
#define PC_RESERVED 0x01
#define PC_EXPLICIT 0x02
#define PC_NOCOLLAPSE 0x04

// Brush and pen styles.
#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL
#define PS_SOLID 0
#define PS_NULL 5

// Metafile record functions (the low byte of each is the record's number,
// the high byte the number of parameter words of the fixed-size records).
#define META_EOF 0x0000
#define META_REALIZEPALETTE 0x0035
#define META_SETBKMODE 0x0102
#define META_SETMAPMODE 0x0103
#define META_SETROP2 0x0104
#define META_SETRELABS 0x0105
#define META_SETPOLYFILLMODE 0x0106
#define META_SETSTRETCHBLTMODE 0x0107
#define META_SETTEXTCHAREXTRA 0x0108
#define META_RESTOREDC 0x0127
#define META_SELECTOBJECT 0x012D
#define META_SETTEXTALIGN 0x012E
#define META_DELETEOBJECT 0x01F0
#define META_SETBKCOLOR 0x0201
#define META_SETTEXTCOLOR 0x0209
#define META_SETWINDOWORG 0x020B
#define META_SETWINDOWEXT 0x020C
#define META_SETVIEWPORTORG 0x020D
#define META_SETVIEWPORTEXT 0x020E
#define META_OFFSETWINDOWORG 0x020F
#define META_OFFSETVIEWPORTORG 0x0211
#define META_LINETO 0x0213
#define META_MOVETO 0x0214
#define META_SELECTPALETTE 0x0234
#define META_SAVEDC 0x001E
#define META_CREATEPALETTE 0x00F7
#define META_CREATEPENINDIRECT 0x02FA
#define META_CREATEBRUSHINDIRECT 0x02FC
#define META_POLYGON 0x0324
#define META_POLYLINE 0x0325
#define META_POLYPOLYGON 0x0538
#define META_PATBLT 0x061D
#define META_ESCAPE 0x0626
#define META_DIBSTRETCHBLT 0x0B41
#define META_STRETCHDIB 0x0F43

// ---------------------------------------------------------------- structures

struct BITMAPINFOHEADER {
    DWORD biSize;  // 40
    LONG biWidth;  // pixels
    LONG biHeight; // pixels; positive: rows stored bottom-up, negative: top-down
    WORD biPlanes; // 1
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
typedef BITMAPINFOHEADER* LPBITMAPINFOHEADER;

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

// A header followed by its colour table; callers allocate room for as many
// RGBQUADs as the header announces.
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};
typedef BITMAPINFO* LPBITMAPINFO;

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};

struct DIBSECTION {
    BITMAP dsBm;
    BITMAPINFOHEADER dsBmih;
    DWORD dsBitfields[3];
    HANDLE dshSection;
    DWORD dsOffset;
};

struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};
typedef PALETTEENTRY* LPPALETTEENTRY;

// A version (0x300), a count and that many entries (allocated by the caller).
struct LOGPALETTE {
    WORD palVersion;
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[1];
};
typedef LOGPALETTE* LPLOGPALETTE;

struct LOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    ULONG_PTR lbHatch;
};

// The 18-byte header at the start of a Windows metafile; sizes count 16-bit
// words. Packed to two bytes as on the original platform (mtSize is not
// four-byte aligned).
#pragma pack(push, 2)
struct METAHEADER {
    WORD mtType;       // 1 memory, 2 disk
    WORD mtHeaderSize; // 9
    WORD mtVersion;    // 0x0300
    DWORD mtSize;      // whole metafile, in words
    WORD mtNoObjects;  // size of the object table needed for playback
    DWORD mtMaxRecord; // largest record, in words
    WORD mtNoParameters;
};
#pragma pack(pop)
static_assert(sizeof(METAHEADER) == 18, "METAHEADER must keep its file layout");
static_assert(sizeof(BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER must keep its file layout");

// ---------------------------------------------------------------- functions

extern "C" {

// Device contexts. CreateDCA("DISPLAY", ...) gives a 96-dpi 24-bit screen
// stand-in; other drivers are offered to the factories registered with
// pw_register_dc_factory (pw/device.h), in registration order.
PW_EXPORT HDC WINAPI CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR port, const DEVMODEA* devmode);
// A memory DC: a 1x1 monochrome bitmap until a bitmap is selected into it.
PW_EXPORT HDC WINAPI CreateCompatibleDC(HDC dc);
PW_EXPORT BOOL WINAPI DeleteDC(HDC dc);
PW_EXPORT int WINAPI GetDeviceCaps(HDC dc, int index);

// Mapping. Window and viewport values are logical and device units.
PW_EXPORT int WINAPI SetMapMode(HDC dc, int mode); // previous mode, 0 on failure
PW_EXPORT int WINAPI GetMapMode(HDC dc);
PW_EXPORT BOOL WINAPI SetWindowOrgEx(HDC dc, int x, int y, LPPOINT previous);
PW_EXPORT BOOL WINAPI SetWindowExtEx(HDC dc, int x, int y, LPSIZE previous);
PW_EXPORT BOOL WINAPI SetViewportOrgEx(HDC dc, int x, int y, LPPOINT previous);
PW_EXPORT BOOL WINAPI SetViewportExtEx(HDC dc, int x, int y, LPSIZE previous);
PW_EXPORT BOOL WINAPI OffsetWindowOrgEx(HDC dc, int dx, int dy, LPPOINT previous);
PW_EXPORT BOOL WINAPI OffsetViewportOrgEx(HDC dc, int dx, int dy, LPPOINT previous);
PW_EXPORT BOOL WINAPI GetWindowOrgEx(HDC dc, LPPOINT out);
PW_EXPORT BOOL WINAPI GetWindowExtEx(HDC dc, LPSIZE out);
PW_EXPORT BOOL WINAPI GetViewportOrgEx(HDC dc, LPPOINT out);
PW_EXPORT BOOL WINAPI GetViewportExtEx(HDC dc, LPSIZE out);
PW_EXPORT BOOL WINAPI LPtoDP(HDC dc, LPPOINT points, int count);
PW_EXPORT BOOL WINAPI DPtoLP(HDC dc, LPPOINT points, int count);

// Stretching DIBs.
PW_EXPORT int WINAPI SetStretchBltMode(HDC dc, int mode); // previous mode, 0 on failure
PW_EXPORT int WINAPI GetStretchBltMode(HDC dc);
// Returns the number of source scan lines copied, 0 or GDI_ERROR on failure.
// The sizes of `bits` and `info` are not known here: they are taken from the
// header, which must describe them truthfully. Callers that know the sizes use
// pw_StretchDIBitsChecked.
PW_EXPORT int WINAPI StretchDIBits(HDC dc, int x_dst, int y_dst, int w_dst, int h_dst, int x_src,
                                   int y_src, int w_src, int h_src, const void* bits,
                                   const BITMAPINFO* info, UINT usage, DWORD rop);
// StretchDIBits with the byte sizes of the BITMAPINFO (header and colour table)
// and of the pixel memory: a header that does not fit them is refused with
// GDI_ERROR before any pixel is read.
PW_EXPORT int WINAPI pw_StretchDIBitsChecked(HDC dc, int x_dst, int y_dst, int w_dst, int h_dst,
                                             int x_src, int y_src, int w_src, int h_src,
                                             const void* bits, size_t bits_size,
                                             const BITMAPINFO* info, size_t info_size, UINT usage,
                                             DWORD rop);
PW_EXPORT BOOL WINAPI PatBlt(HDC dc, int x, int y, int w, int h, DWORD rop);

// GDI objects.
PW_EXPORT HBITMAP WINAPI CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits,
                                          HANDLE section, DWORD offset);
PW_EXPORT HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object);
PW_EXPORT BOOL WINAPI DeleteObject(HGDIOBJ object);
PW_EXPORT int WINAPI GetObjectA(HGDIOBJ object, int size, LPVOID out);
PW_EXPORT DWORD WINAPI GetObjectType(HGDIOBJ object);
PW_EXPORT HGDIOBJ WINAPI GetStockObject(int index);
PW_EXPORT HGDIOBJ WINAPI GetCurrentObject(HDC dc, UINT type);
PW_EXPORT BOOL WINAPI GdiFlush(void);
PW_EXPORT HBRUSH WINAPI CreateSolidBrush(COLORREF color);
PW_EXPORT HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* brush);
PW_EXPORT HPEN WINAPI CreatePen(int style, int width, COLORREF color);

// Palettes.
PW_EXPORT HPALETTE WINAPI CreatePalette(const LOGPALETTE* palette);
PW_EXPORT HPALETTE WINAPI SelectPalette(HDC dc, HPALETTE palette, BOOL force_background);
PW_EXPORT UINT WINAPI RealizePalette(HDC dc); // entries mapped, GDI_ERROR on failure
PW_EXPORT UINT WINAPI GetPaletteEntries(HPALETTE palette, UINT start, UINT count,
                                        LPPALETTEENTRY out);

// Paths, filled with the selected brush.
PW_EXPORT int WINAPI SetPolyFillMode(HDC dc, int mode);
PW_EXPORT int WINAPI GetPolyFillMode(HDC dc);
PW_EXPORT BOOL WINAPI BeginPath(HDC dc);
PW_EXPORT BOOL WINAPI EndPath(HDC dc);
PW_EXPORT BOOL WINAPI AbortPath(HDC dc);
PW_EXPORT BOOL WINAPI CloseFigure(HDC dc);
PW_EXPORT BOOL WINAPI FillPath(HDC dc);
PW_EXPORT BOOL WINAPI MoveToEx(HDC dc, int x, int y, LPPOINT previous);
PW_EXPORT BOOL WINAPI LineTo(HDC dc, int x, int y);
PW_EXPORT BOOL WINAPI PolylineTo(HDC dc, const POINT* points, DWORD count);
PW_EXPORT BOOL WINAPI PolyBezierTo(HDC dc, const POINT* points, DWORD count);

// Windows metafiles. A null file name records into memory; a file name makes
// CloseMetaFile also write the bytes to that file.
PW_EXPORT HDC WINAPI CreateMetaFileA(LPCSTR file);
PW_EXPORT HMETAFILE WINAPI CloseMetaFile(HDC dc);
PW_EXPORT BOOL WINAPI DeleteMetaFile(HMETAFILE metafile);
// Returns the metafile's size in bytes when `out` is null; otherwise copies the
// whole metafile into `out` when `size` is large enough and returns the bytes
// copied, or 0 (nothing copied) when it is not.
PW_EXPORT UINT WINAPI GetMetaFileBitsEx(HMETAFILE metafile, UINT size, LPVOID out);
// Validates the bytes (header and every record's bounds) and keeps a copy.
PW_EXPORT HMETAFILE WINAPI SetMetaFileBitsEx(UINT size, const BYTE* bytes);
PW_EXPORT BOOL WINAPI PlayMetaFile(HDC dc, HMETAFILE metafile);

} // extern "C"

#define CreateDC CreateDCA
#define CreateMetaFile CreateMetaFileA
#define GetObject GetObjectA
