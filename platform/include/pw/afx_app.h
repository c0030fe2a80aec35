// Windows, threads and the application object of our MFC layer.
//
// CWnd is the minimal base for windows (dialogs build on it): a window handle,
// a window procedure that routes messages through the class's message map, and
// destruction. There is no screen; see pw/user.h for what a window is here.
//
// CWinApp: one application object per module, a global built with the module's
// static objects. For a shared object the framework runs InitInstance at load
// and ExitInstance at unload (see pw/afx_state.h); a program runs its object
// with AfxWinMain: InitInstance, then, if that returned TRUE, Run (the message
// loop, which ends at once when there is no main window), then ExitInstance,
// whose result becomes the exit status (also when InitInstance returned FALSE).
#pragma once

#include <bit>

#include "pw/afx_core.h"
#include "pw/afx_state.h"
#include "pw/afx_string.h"
#include "pw/afx_types.h"

class CWnd : public CCmdTarget {
public:
    HWND m_hWnd = nullptr;

    CWnd() = default;
    // Destroys the window when it still exists.
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return GetSafeHwnd(); }
    // The CWnd that made the window with CreateHandle; NULL for other windows.
    static CWnd* FromHandle(HWND hWnd);

    // Makes the window (a message target whose procedure calls WindowProc).
    // FALSE when this object has one already.
    BOOL CreateHandle();
    // Destroys the window (WM_DESTROY, WM_NCDESTROY, then PostNcDestroy).
    virtual BOOL DestroyWindow();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // Routes a message: the message map first (OnWndMsg), else DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // TRUE when the map (or OnCommand for WM_COMMAND) handled it; *pResult its result.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Routes WM_COMMAND to OnCmdMsg with the id in LOWORD(wParam).
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after the window is gone; nothing here (dialogs that delete
    // themselves override it).
    virtual void PostNcDestroy() {}

    // Defaults for the handlers the ON_WM_* entries name.
    afx_msg void OnPaint() {}
    afx_msg HCURSOR OnQueryDragIcon() { return nullptr; }

    DECLARE_MESSAGE_MAP()

private:
    static LRESULT CALLBACK WndProcThunk(HWND, UINT, WPARAM, LPARAM);
};

#define ON_WM_PAINT() \
    {WM_PAINT, 0, 0, 0, AfxSig_vv, std::bit_cast<AFX_PMSG>(static_cast<void (CWnd::*)()>(&ThisClass::OnPaint))},
#define ON_WM_QUERYDRAGICON()                  \
    {WM_QUERYDRAGICON, 0, 0, 0, AfxSig_hv,     \
     std::bit_cast<AFX_PMSG>(static_cast<HCURSOR (CWnd::*)()>(&ThisClass::OnQueryDragIcon))},
// memberFxn: LRESULT f(WPARAM, LPARAM) of the class or a base.
#define ON_MESSAGE(message, memberFxn) \
    {(UINT)(message), 0, 0, 0, AfxSig_lwl, std::bit_cast<AFX_PMSG>(static_cast<LRESULT (CWnd::*)(WPARAM, LPARAM)>(memberFxn))},

class CWinThread : public CCmdTarget {
public:
    CWnd* m_pMainWnd = nullptr;
    MSG m_msgCur{};

    CWinThread() = default;
    ~CWinThread() override = default;

    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance();
    // The message loop: pumps until WM_QUIT, then returns ExitInstance().
    // Without a main window it posts WM_QUIT first, so it ends at once.
    virtual int Run();
    // Waits for one message of the calling thread and dispatches it (unless
    // PreTranslateMessage took it). FALSE when it was WM_QUIT.
    virtual BOOL PumpMessage();
    virtual BOOL PreTranslateMessage(MSG* pMsg) { return FALSE; }
    // Idle work between messages; FALSE: no more wanted.
    virtual BOOL OnIdle(LONG lCount) { return FALSE; }
};

class CWinApp : public CWinThread {
public:
    // The object belongs to the module whose image holds it (a global), or to the
    // current module state when built elsewhere. name NULL: the module's file
    // name without its extension, known from the module's start.
    explicit CWinApp(LPCTSTR lpszAppName = nullptr);
    ~CWinApp() override;

    LPCTSTR m_pszAppName = nullptr;
    HINSTANCE m_hInstance = nullptr;
    LPTSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;

    BOOL InitInstance() override { return TRUE; }
    int ExitInstance() override;

    // Three-dimensional controls are how every control looks here.
    BOOL Enable3dControlsStatic() { return TRUE; }
    BOOL Enable3dControls() { return TRUE; }
    // There is no help system to start: nothing happens.
    afx_msg void OnHelp() {}

    DECLARE_MESSAGE_MAP()

private:
    CString app_name_;
    AFX_MODULE_STATE* state_ = nullptr;
};

// The thread object of the calling thread: the application object that
// AfxWinMain runs, else the current module state's application object, else a
// plain per-thread CWinThread, so that PumpMessage always has an object.
CWinThread* AfxGetThread();

// Runs the program's application object (see above). argv: the command line.
int AfxWinMain(int argc, char** argv);

// A message box captioned with the application's name.
int AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = (UINT)-1);
