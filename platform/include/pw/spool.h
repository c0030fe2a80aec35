// Printers and the print spooler of our Win32 layer.
//
// Printer device contexts come from CreateDCA (declared with the rest of GDI):
// CreateDCA("WINSPOOL", name, NULL, NULL) opens a printer by name, and
// CreateDCA(driver, device, NULL, devmode) opens it with the user's settings.
// A printer is one of:
//   - a file printer ("PDF", "PNG", "Fax" and whatever the printers file adds),
//     writing its document to a file when the document ends;
//   - an IPP printer, named by its URI ("ipp://host:port/ipp/print/NAME") or by a
//     CUPS queue name, receiving the document as PDF or PWG raster.
// The printers file is $XDG_CONFIG_HOME/pagewright/printers (~/.config when the
// variable is unset); its format is described in platform/src/print/README.md.
//
// Units: resolutions in dots per inch; paper and margins in the DEVMODE in tenths
// of a millimetre, as on the original platform; PW_PRINTER_INFO sizes in
// hundredths of a millimetre (the unit IPP uses).
//
// Structures that live in global memory (DEVMODEA, DEVNAMES) keep the original
// platform's layout, so code that computes offsets into them works unchanged.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "pw/wintypes.h"

// ---------------------------------------------------------------------------
// Spooler documents

// The abort procedure: called while pages are produced (between image strips and at
// the end of every page) so that the application can dispatch its messages.
// Returning FALSE asks for the document to be aborted.
typedef BOOL (*ABORTPROC)(HDC, int);

struct DOCINFOA {
    int cbSize;
    LPCSTR lpszDocName;   // becomes the PDF title and the IPP job name
    LPCSTR lpszOutput;    // a file name overrides the printer's output for this document
    LPCSTR lpszDatatype;  // ignored
    DWORD fwType;         // ignored
};
typedef DOCINFOA DOCINFO;
typedef DOCINFOA* LPDOCINFOA;

#define SP_NOTREPORTED 0x4000
#define SP_ERROR (-1)
#define SP_APPABORT (-2)
#define SP_USERABORT (-3)
#define SP_OUTOFDISK (-4)
#define SP_OUTOFMEMORY (-5)

// StartDocA returns a positive job id, or SP_ERROR (-1) with the reason in
// pw_last_print_error(). StartPage, EndPage, EndDoc and AbortDoc return a positive
// value on success and SP_ERROR on failure. A document that is aborted, or whose
// EndDoc fails, leaves no output behind: a file printer writes beside the target and
// renames only on success, an IPP job is cancelled.
extern "C" {
PW_EXPORT int StartDocA(HDC hdc, const DOCINFOA* info);
PW_EXPORT int StartPage(HDC hdc);
PW_EXPORT int EndPage(HDC hdc);
PW_EXPORT int EndDoc(HDC hdc);
PW_EXPORT int AbortDoc(HDC hdc);
// Installs the abort procedure of the printer DC (NULL removes it). Returns a
// positive value, or SP_ERROR for a DC that is not a printer's.
PW_EXPORT int SetAbortProc(HDC hdc, ABORTPROC proc);
}  // extern "C"
#define StartDoc StartDocA

// ---------------------------------------------------------------------------
// DEVMODE: the user's settings for one printer

#define CCHDEVICENAME 32
#define CCHFORMNAME 32

// The tag name matches the forward declaration in pw/gdi.h.
struct _devicemodeA {
    BYTE dmDeviceName[CCHDEVICENAME];  // printer name, truncated to 31 characters
    WORD dmSpecVersion;
    WORD dmDriverVersion;
    WORD dmSize;         // sizeof(DEVMODEA)
    WORD dmDriverExtra;  // private bytes that follow the structure (0 here)
    DWORD dmFields;      // DM_* bits: which of the fields below are set
    SHORT dmOrientation;  // DMORIENT_*
    SHORT dmPaperSize;    // DMPAPER_*, or 0 with dmPaperLength/dmPaperWidth
    SHORT dmPaperLength;  // tenths of a millimetre
    SHORT dmPaperWidth;   // tenths of a millimetre
    SHORT dmScale;
    SHORT dmCopies;
    SHORT dmDefaultSource;
    SHORT dmPrintQuality;  // horizontal dots per inch when DM_YRESOLUTION is set
    SHORT dmColor;         // DMCOLOR_*
    SHORT dmDuplex;
    SHORT dmYResolution;   // vertical dots per inch
    SHORT dmTTOption;
    SHORT dmCollate;
    BYTE dmFormName[CCHFORMNAME];
    WORD dmLogPixels;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
    DWORD dmNup;
    DWORD dmDisplayFrequency;
    DWORD dmICMMethod;
    DWORD dmICMIntent;
    DWORD dmMediaType;
    DWORD dmDitherType;
    DWORD dmReserved1;
    DWORD dmReserved2;
    DWORD dmPanningWidth;
    DWORD dmPanningHeight;
};
typedef struct _devicemodeA DEVMODEA;
typedef DEVMODEA DEVMODE;
typedef DEVMODEA* LPDEVMODEA;
typedef DEVMODEA* LPDEVMODE;

#define DM_SPECVERSION 0x0401

#define DM_ORIENTATION 0x00000001
#define DM_PAPERSIZE 0x00000002
#define DM_PAPERLENGTH 0x00000004
#define DM_PAPERWIDTH 0x00000008
#define DM_SCALE 0x00000010
#define DM_COPIES 0x00000100
#define DM_DEFAULTSOURCE 0x00000200
#define DM_PRINTQUALITY 0x00000400
#define DM_COLOR 0x00000800
#define DM_DUPLEX 0x00001000
#define DM_YRESOLUTION 0x00002000
#define DM_TTOPTION 0x00004000
#define DM_COLLATE 0x00008000
#define DM_FORMNAME 0x00010000

#define DMORIENT_PORTRAIT 1
#define DMORIENT_LANDSCAPE 2

#define DMCOLOR_MONOCHROME 1
#define DMCOLOR_COLOR 2

// Negative dmPrintQuality values name a quality rather than a resolution.
#define DMRES_DRAFT (-1)
#define DMRES_LOW (-2)
#define DMRES_MEDIUM (-3)
#define DMRES_HIGH (-4)

#define DMPAPER_LETTER 1
#define DMPAPER_LEGAL 5
#define DMPAPER_A3 8
#define DMPAPER_A4 9
#define DMPAPER_A5 11
#define DMPAPER_B5 13

// ---------------------------------------------------------------------------
// DEVNAMES: which printer; the three names follow the structure in the same block.

struct DEVNAMES {
    WORD wDriverOffset;  // byte offset of the driver name from the block's start
    WORD wDeviceOffset;  // byte offset of the device (printer) name
    WORD wOutputOffset;  // byte offset of the port (output) name
    WORD wDefault;       // DN_DEFAULTPRN when the printer was the default one
};
typedef DEVNAMES* LPDEVNAMES;

#define DN_DEFAULTPRN 0x0001

// The driver name every printer of this layer reports in its DEVNAMES.
#define PW_PRINTER_DRIVER "WINSPOOL"

// ---------------------------------------------------------------------------
// Device capabilities of a printer, without a device context

#define DC_FIELDS 1
#define DC_PAPERS 2
#define DC_PAPERSIZE 3
#define DC_MINEXTENT 4
#define DC_MAXEXTENT 5
#define DC_BINS 6
#define DC_DUPLEX 7
#define DC_SIZE 8
#define DC_EXTRA 9
#define DC_VERSION 10
#define DC_DRIVER 11
#define DC_BINNAMES 12
#define DC_ENUMRESOLUTIONS 13
#define DC_FILEDEPENDENCIES 14
#define DC_TRUETYPE 15
#define DC_PAPERNAMES 16
#define DC_ORIENTATION 17
#define DC_COPIES 18
#define DC_COLORDEVICE 32

// Answers a question about the printer `device` (port ignored):
//   DC_ENUMRESOLUTIONS  pairs of LONG (x, y) dots per inch
//   DC_PAPERS           WORD DMPAPER_* codes
//   DC_PAPERSIZE        POINT sizes in tenths of a millimetre
//   DC_PAPERNAMES       names of 64 characters each
//   DC_COLORDEVICE      1 for a colour printer, 0 otherwise (no output)
//   DC_FIELDS, DC_SIZE, DC_EXTRA, DC_VERSION, DC_DRIVER, DC_COPIES, DC_ORIENTATION
// With `output` NULL the call returns the number of entries only. Returns -1 for a
// printer that does not exist or a capability it cannot answer.
extern "C" {
PW_EXPORT int DeviceCapabilitiesA(LPCSTR device, LPCSTR port, WORD capability, LPSTR output,
                                  const DEVMODEA* devmode);

// Copies the default printer's name; *size is in and out (characters, with the
// terminating zero). FALSE when the buffer is too small (*size then tells the need).
PW_EXPORT BOOL GetDefaultPrinterA(LPSTR buffer, LPDWORD size);
}  // extern "C"
#define DeviceCapabilities DeviceCapabilitiesA

// ---------------------------------------------------------------------------
// Pagewright's own calls, for the host and for tests

// One printer as `lucentra printers` shows it.
struct PW_PRINTER_INFO {
    std::string name;
    std::string kind;    // "pdf", "png", "fax" or "ipp"
    std::string origin;  // "built-in", "printers file", "cups"
    std::string target;  // the output file of a file printer, the URI of an IPP printer
    std::vector<std::pair<int, int>> resolutions;  // (x, y) dots per inch, as the printer lists them
    std::pair<int, int> resolution{0, 0};           // the one a document uses without DEVMODE
    std::string paper;                              // paper name, e.g. "Letter", "A4"
    int paper_width = 0;   // hundredths of a millimetre
    int paper_height = 0;  // hundredths of a millimetre
    // Printable area, hundredths of a millimetre from the paper's top-left corner.
    int printable_left = 0;
    int printable_top = 0;
    int printable_width = 0;
    int printable_height = 0;
    bool colour = false;
    bool is_default = false;
    bool cups_default = false;  // the CUPS server's default queue
    std::string problem;  // non-empty when the printer could not be asked (IPP); it stays listed
};

// Every printer: the printers file's and the built-in ones, then the CUPS queues
// when a CUPS server answers (within about two seconds; none is not an error).
// IPP printers are asked for their capabilities, which can take a moment each.
PW_EXPORT std::vector<PW_PRINTER_INFO> pw_list_printers();

// The reason of the last failed printer call on this thread (StartDoc, EndDoc,
// CreateDC of a printer...), in plain words; "" when there is none.
extern "C" PW_EXPORT const char* pw_last_print_error();

// Sends every file printer's output to `path` instead of its configured file
// (the host's --output). NULL or "" goes back to the configured files.
extern "C" PW_EXPORT void pw_set_print_output(const char* path);

// Traces every printer DC made from now on: each call on it is handed to `sink`
// as one line (the journal device's format) before it reaches the printer. An
// empty function stops tracing for DCs made afterwards.
PW_EXPORT void pw_set_printer_trace(std::function<void(const std::string&)> sink);

// Makes `name` the default printer of this process (the dialogs' "default", the
// DN_DEFAULTPRN flag, GetDefaultPrinterA). NULL or "" goes back to the configured
// default. FALSE when no printer of that name exists.
extern "C" PW_EXPORT BOOL pw_set_default_printer(const char* name);
