// Dialogs from templates, shown on a terminal: the Win32 dialog manager calls
// and the framework's CDialog.
//
// Templates come from a module's resources (pw/resources.h), by integer id
// (MAKEINTRESOURCE). There is no screen; a dialog shows itself in text, on the
// console of dialog/console.h: the terminal (/dev/tty) when standard input is a
// terminal, otherwise standard output, with answers read from standard input.
//
//  - A modal dialog (DialogBoxParamA, CDialog::DoModal) prints its caption and
//    the texts of its static controls, then asks for one of its buttons 1 (OK)
//    and 2 (Cancel), offered under their own texts ("OK" / "Cancel" when a
//    button has none or is missing):
//        === Velmora Lucentra Update ===
//        This will install ...
//        [1] Update   [2] Cancel
//        >
//    An answer of "1", "ok", "y", "yes" or the first button's text presses OK;
//    "2", "cancel", "c", "n", "no" or the second button's text presses Cancel;
//    the end of input presses Cancel. Anything else asks again. Pressing a
//    button sends WM_COMMAND (BN_CLICKED) to the dialog, whose procedure decides
//    whether the dialog ends; unhandled OK and Cancel end it with IDOK / IDCANCEL.
//  - A modeless dialog (CreateDialogParamA, CDialog::Create) prints one line per
//    non-empty static text when it becomes visible, "[caption] text" (a dialog
//    without a caption is called "window"), a line for each static text that
//    changes while it is visible, and "[caption] closed" when it is destroyed
//    after having been visible.
//
// Windows here are those of pw/user.h: a dialog and each of its controls are
// windows; DestroyWindow on the dialog destroys its controls too. Every call is
// made from the thread that created the dialog.
#pragma once

#include <map>
#include <memory>

#include "pw/afx_app.h"
#include "pw/resources.h"
#include "pw/user.h"

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

#ifndef MAKEWPARAM
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#endif
#define BN_CLICKED 0
#ifndef ERROR_CONTROL_ID_NOT_FOUND
#define ERROR_CONTROL_ID_NOT_FOUND 1421L
#endif

extern "C" {

// Creates a modeless dialog from template lpTemplateName of hInstance (NULL: the
// program), sends WM_INITDIALOG (lParam: dwInitParam) and shows it when the
// template has WS_VISIBLE. NULL when the template does not exist
// (ERROR_RESOURCE_NAME_NOT_FOUND). The dialog lives until DestroyWindow.
HWND WINAPI CreateDialogParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam);
// Runs a modal dialog to its end; returns the value given to EndDialog, or -1
// when the template does not exist.
INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam);
// Ends a modal dialog with nResult once its procedure returns; hides a modeless one.
BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult);

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem);
int WINAPI GetDlgCtrlID(HWND hWnd);
BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString);
UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax);

// Window texts through WM_SETTEXT / WM_GETTEXT (a dialog's text is its caption).
BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString);
int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount);
int WINAPI GetWindowTextLengthA(HWND hWnd);

// Shows, hides or minimises a window: records the state and sends
// WM_SHOWWINDOW when visibility changes. Returns whether it was visible before.
BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow);
BOOL WINAPI IsWindowVisible(HWND hWnd);
// TRUE after SW_MINIMIZE / SW_SHOWMINIMIZED until the window is shown normally.
BOOL WINAPI IsIconic(HWND hWnd);

}  // extern "C"

#define CreateDialogParam CreateDialogParamA
#define DialogBoxParam DialogBoxParamA
#define CreateDialog(h, name, parent, proc) CreateDialogParamA(h, name, parent, proc, 0)
#define DialogBox(h, name, parent, proc) DialogBoxParamA(h, name, parent, proc, 0)
// No SetWindowText / SetDlgItemText macros: they would rename the members of
// CWnd and CDialog that carry those names.

// ------------------------------------------------------------------ CDialog
// The framework's dialog over the dialog manager above. Templates are looked up
// under the current module state's resource handle (AfxGetResourceHandle; NULL
// means the program) when DoModal or Create runs, so a program that switches
// the handle (AfxSetResourceHandle) gets that module's dialogs.
//
// Messages reach the object's message map (CWnd::WindowProc); what the map does
// not handle gets the dialog manager's default (WM_SETICON stores the icon,
// WM_GETTEXT answers the caption...). IDOK and IDCANCEL commands call the
// virtual OnOK / OnCancel, which end the dialog.
//
// Lifetime: the object outlives its window. DoModal destroys the window before
// it returns; a modeless dialog lives until DestroyWindow (or the object's
// destruction). m_hWnd is NULL whenever there is no window.
class CDialog : public CWnd {
public:
    CDialog();
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // IDOK / IDCANCEL or what EndDialog was given; -1 when the template does not
    // exist in the current resource module or the object has a window already.
    virtual INT_PTR DoModal();
    // Modeless. FALSE when the template does not exist or a window exists already.
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    // Called by the framework once the controls exist; TRUE.
    virtual BOOL OnInitDialog();
    void EndDialog(int nResult);

    void SetDlgItemText(int nID, LPCTSTR lpszString);
    int GetDlgItemText(int nID, CString& rString) const;
    // A CWnd for control nID (valid while the dialog exists); NULL when none.
    CWnd* GetDlgItem(int nID) const;
    void SetWindowText(LPCTSTR lpszString);
    void GetWindowText(CString& rString) const;
    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    BOOL IsIconic() const;
    // Sends WM_SETICON; returns the previous icon of that size.
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    HICON GetIcon(BOOL bBigIcon) const;
    // The template's size: there are no pixels here, so the client area is given
    // in dialog units.
    void GetClientRect(LPRECT lpRect) const;
    BOOL DestroyWindow() override;

protected:
    virtual void OnOK();
    virtual void OnCancel();
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    UINT m_nIDHelp = 0;
    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProcThunk(HWND, UINT, WPARAM, LPARAM);
    void Attach(HWND hwnd);
    void Detach();

    bool unhandled_ = false;  // set when a message fell through to DefWindowProc
    RECT client_{0, 0, 0, 0};
    mutable std::map<int, std::unique_ptr<CWnd>> items_;
};
