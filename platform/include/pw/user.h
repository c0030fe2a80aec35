// User services of our Win32 layer: message boxes, cursors, icons, strings from
// resources, and the per-thread message queue with minimal windows.
//
// There is no window system. A message box is written to stderr (or answered by
// a hook); a window is a message target with a window procedure, owned by the
// thread that created it; cursors are a per-process value that tests can read.
#pragma once

#include "pw/kernel.h"
#include "pw/wintypes.h"

// ---------------------------------------------------------------- message boxes
#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_ABORTRETRYIGNORE 0x00000002u
#define MB_YESNOCANCEL 0x00000003u
#define MB_YESNO 0x00000004u
#define MB_RETRYCANCEL 0x00000005u
#define MB_CANCELTRYCONTINUE 0x00000006u
#define MB_ICONHAND 0x00000010u
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONASTERISK 0x00000040u
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_DEFBUTTON1 0x00000000u
#define MB_DEFBUTTON2 0x00000100u
#define MB_DEFBUTTON3 0x00000200u
#define MB_DEFBUTTON4 0x00000300u
#define MB_APPLMODAL 0x00000000u
#define MB_SYSTEMMODAL 0x00001000u
#define MB_TASKMODAL 0x00002000u
#define MB_SETFOREGROUND 0x00010000u
#define MB_TOPMOST 0x00040000u
#define MB_TYPEMASK 0x0000000Fu
#define MB_ICONMASK 0x000000F0u
#define MB_DEFMASK 0x00000F00u

#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDCLOSE 8
#define IDHELP 9
#define IDTRYAGAIN 10
#define IDCONTINUE 11

// ---------------------------------------------------------------- cursors, icons
#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDC_IBEAM MAKEINTRESOURCEA(32513)
#define IDC_WAIT MAKEINTRESOURCEA(32514)
#define IDC_CROSS MAKEINTRESOURCEA(32515)
#define IDC_UPARROW MAKEINTRESOURCEA(32516)
#define IDC_SIZEALL MAKEINTRESOURCEA(32646)
#define IDC_NO MAKEINTRESOURCEA(32648)
#define IDC_HAND MAKEINTRESOURCEA(32649)
#define IDC_APPSTARTING MAKEINTRESOURCEA(32650)

#define IDI_APPLICATION MAKEINTRESOURCEA(32512)
#define IDI_HAND MAKEINTRESOURCEA(32513)
#define IDI_QUESTION MAKEINTRESOURCEA(32514)
#define IDI_EXCLAMATION MAKEINTRESOURCEA(32515)
#define IDI_ASTERISK MAKEINTRESOURCEA(32516)
#define IDI_WINLOGO MAKEINTRESOURCEA(32517)
#define IDI_WARNING IDI_EXCLAMATION
#define IDI_ERROR IDI_HAND
#define IDI_INFORMATION IDI_ASTERISK

#define IMAGE_BITMAP 0
#define IMAGE_ICON 1
#define IMAGE_CURSOR 2
#define LR_DEFAULTCOLOR 0x00000000u
#define LR_MONOCHROME 0x00000001u
#define LR_LOADFROMFILE 0x00000010u
#define LR_DEFAULTSIZE 0x00000040u
#define LR_SHARED 0x00008000u

#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CXICON 11
#define SM_CYICON 12
#define SM_CXCURSOR 13
#define SM_CYCURSOR 14
#define SM_CXSMICON 49
#define SM_CYSMICON 50

// ---------------------------------------------------------------- messages
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_SIZE 0x0005
#define WM_SETFOCUS 0x0007
#define WM_ENABLE 0x000A
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_SHOWWINDOW 0x0018
#define WM_CANCELMODE 0x001F
#define WM_SETCURSOR 0x0020
#define WM_QUERYDRAGICON 0x0037
#define WM_GETICON 0x007F
#define WM_SETICON 0x0080
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_TIMER 0x0113
#define WM_USER 0x0400
#define WM_APP 0x8000

#define ICON_SMALL 0
#define ICON_BIG 1

#define PM_NOREMOVE 0x0000u
#define PM_REMOVE 0x0001u
#define PM_NOYIELD 0x0002u

#define GWLP_WNDPROC (-4)
#define GWLP_HINSTANCE (-6)
#define GWLP_ID (-12)
#define GWLP_USERDATA (-21)

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10

// ---------------------------------------------------------------- window styles
// For dialog templates (pw/resources.h) and whoever shows them.
#define WS_OVERLAPPED 0x00000000u
#define WS_POPUP 0x80000000u
#define WS_CHILD 0x40000000u
#define WS_MINIMIZE 0x20000000u
#define WS_VISIBLE 0x10000000u
#define WS_DISABLED 0x08000000u
#define WS_CLIPSIBLINGS 0x04000000u
#define WS_CLIPCHILDREN 0x02000000u
#define WS_CAPTION 0x00C00000u
#define WS_BORDER 0x00800000u
#define WS_DLGFRAME 0x00400000u
#define WS_VSCROLL 0x00200000u
#define WS_HSCROLL 0x00100000u
#define WS_SYSMENU 0x00080000u
#define WS_THICKFRAME 0x00040000u
#define WS_GROUP 0x00020000u
#define WS_TABSTOP 0x00010000u
#define DS_SETFONT 0x0040u
#define DS_MODALFRAME 0x0080u
#define DS_CENTER 0x0800u
#define BS_PUSHBUTTON 0x0000u
#define BS_DEFPUSHBUTTON 0x0001u
#define BS_CHECKBOX 0x0002u
#define BS_AUTOCHECKBOX 0x0003u
#define BS_GROUPBOX 0x0007u
#define SS_LEFT 0x0000u
#define SS_CENTER 0x0001u
#define SS_RIGHT 0x0002u
#define SS_ICON 0x0003u
#define ES_LEFT 0x0000u
#define ES_AUTOHSCROLL 0x0080u

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;  // GetTickCount() when posted
    POINT pt;
};
typedef MSG* LPMSG;

// Hook answering message boxes instead of stderr: gets the text and caption as
// given (caption may be NULL) and returns the button id MessageBoxA returns.
// ctx is the pointer given when the hook was set.
typedef int (*PW_MESSAGEBOX_HOOK)(void* ctx, HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);

// Handler of thread messages (hwnd NULL) that DispatchMessageA passes on; set per
// thread. Its result is DispatchMessageA's.
typedef LRESULT (*PW_THREAD_MESSAGE_HANDLER)(void* ctx, const MSG* msg);

extern "C" {

// ---------------------------------------------------------------- message boxes
// Without a hook: writes "[caption] text" (caption NULL: "Error", as on the
// original platform) as one block to stderr and returns the default button:
// IDOK for MB_OK / MB_OKCANCEL, IDYES for MB_YESNO..., the MB_DEFBUTTONn-th
// button when one is chosen. Never waits for input.
int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);
// Installs (or with NULL removes) the process-wide hook; returns the previous
// hook, and its context through *previous_ctx when that is not NULL.
PW_MESSAGEBOX_HOOK pw_set_message_box_hook(PW_MESSAGEBOX_HOOK hook, void* ctx, void** previous_ctx);
BOOL WINAPI MessageBeep(UINT uType);

// ---------------------------------------------------------------- cursors
// The current cursor of the process (initially the arrow). Returns the previous.
HCURSOR WINAPI SetCursor(HCURSOR hCursor);
HCURSOR WINAPI GetCursor(void);
// hInstance NULL: the system cursors IDC_*; each id always gives the same
// handle. Module cursors are not supported (NULL, ERROR_RESOURCE_NAME_NOT_FOUND).
HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName);
BOOL WINAPI DestroyCursor(HCURSOR hCursor);

// ---------------------------------------------------------------- icons, images
// IMAGE_ICON from a module's icon group (name: MAKEINTRESOURCE(id)). cx, cy: the
// size wanted; 0 with LR_DEFAULTSIZE means the system size (32 or 16 for
// SM_CXSMICON), 0 without it the size of the group's first image. The image of
// exactly that size is taken, else the nearest larger one (else the largest)
// scaled to that size. The icon belongs to the caller (DestroyIcon) unless
// LR_SHARED, which gives one icon per module, id and size that lives as long as
// the module. IMAGE_BITMAP and IMAGE_CURSOR are not supported (NULL).
HANDLE WINAPI LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad);
// A shared icon at the system size; hInstance NULL: the system icons IDI_*.
HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName);
// FALSE + ERROR_INVALID_ICON_HANDLE for a handle that is not a live icon; shared
// and system icons stay (TRUE).
BOOL WINAPI DestroyIcon(HICON hIcon);
// The pixels of an icon or cursor: *cx x *cy pixels, rows top first, 4 bytes a
// pixel R, G, B, A (not premultiplied). The memory belongs to the icon.
BOOL pw_get_icon_image(HICON hIcon, int* cx, int* cy, const BYTE** rgba);
int WINAPI GetSystemMetrics(int nIndex);

// ---------------------------------------------------------------- strings
// String uID of a module's string table (hInstance NULL: the program), in the
// variant for the user's language (GetUserDefaultLangID): that exact language,
// else one of the same primary language (its default sublanguage first), else
// the neutral one, else 1033, else any. Copies at most cchBufferMax - 1 bytes
// and terminates; a cut never splits a UTF-8 character. Result: bytes copied;
// 0 when the string does not exist (ERROR_RESOURCE_NAME_NOT_FOUND) or the
// buffer is NULL / cchBufferMax < 1 (ERROR_INVALID_PARAMETER).
int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax);

// ---------------------------------------------------------------- message queue
// Each thread has its own queue, made by its first call to any of these (post
// to a thread that never made one fails with ERROR_INVALID_THREAD_ID; call
// PeekMessageA once, as on the original platform, to make sure it exists).
// Posting is thread-safe (not async-signal-safe: from a signal, post from a
// watcher thread).
//
// Filters: hWnd NULL takes every message of the thread, (HWND)-1 only thread
// messages, a window only that window's; wMsgFilterMin = wMsgFilterMax = 0 takes
// every message number, else the range min..max inclusive.
BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
// Waits for a message; FALSE for WM_QUIT, -1 for a bad argument, else TRUE.
BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
// hWnd NULL posts a thread message to the calling thread; otherwise to the
// thread that owns the window (ERROR_INVALID_WINDOW_HANDLE when none).
BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
BOOL WINAPI PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam);
void WINAPI PostQuitMessage(int nExitCode);
// Window messages go to their window procedure; thread messages to the
// thread's handler (pw_set_thread_message_handler), or are dropped (0).
LRESULT WINAPI DispatchMessageA(const MSG* lpMsg);
// There are no keyboard messages to translate: FALSE.
BOOL WINAPI TranslateMessage(const MSG* lpMsg);
// Waits until the thread's queue holds a message.
BOOL WINAPI WaitMessage(void);
// Installs the calling thread's handler of thread messages; returns the previous.
PW_THREAD_MESSAGE_HANDLER pw_set_thread_message_handler(PW_THREAD_MESSAGE_HANDLER handler, void* ctx,
                                                        void** previous_ctx);

// ---------------------------------------------------------------- windows
// A window without a screen: a message target owned by the calling thread, with
// a window procedure and a user-data value (GWLP_USERDATA). Sends WM_CREATE.
HWND pw_create_window(WNDPROC proc, LONG_PTR user_data);
// Sends WM_DESTROY and WM_NCDESTROY, then forgets the window; its posted
// messages still queued are dropped.
BOOL WINAPI DestroyWindow(HWND hWnd);
BOOL WINAPI IsWindow(HWND hWnd);
// Calls the window procedure at once (from any thread; the call runs on the caller).
LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
// Default handling: WM_CLOSE destroys the window; everything else answers 0.
LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int nIndex);
LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong);
DWORD WINAPI GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId);

}  // extern "C"

#define MessageBox MessageBoxA
#define LoadCursor LoadCursorA
#define LoadIcon LoadIconA
#define LoadImage LoadImageA
#define LoadString LoadStringA
#define PeekMessage PeekMessageA
#define GetMessage GetMessageA
#define PostMessage PostMessageA
#define PostThreadMessage PostThreadMessageA
#define DispatchMessage DispatchMessageA
#define SendMessage SendMessageA
#define DefWindowProc DefWindowProcA
#define GetWindowLongPtr GetWindowLongPtrA
#define SetWindowLongPtr SetWindowLongPtrA
