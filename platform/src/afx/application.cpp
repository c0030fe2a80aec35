// CWinThread and CWinApp: message pumping, the application object and the
// program's run.
#include <memory>
#include <string>

#include "kernel/modules.h"
#include "pw/afx_app.h"

namespace pw::detail {
AFX_MODULE_STATE* existing_state_for_address(const void* addr);
}

namespace {
// The thread object AfxWinMain runs on this thread.
thread_local CWinThread* running_thread = nullptr;

std::string command_line;

std::string module_title(HINSTANCE h) {
    char path[4096];
    DWORD n = GetModuleFileNameA(h, path, sizeof path);
    std::string p(path, n < sizeof path ? n : 0);
    p = p.substr(p.find_last_of('\\') == std::string::npos ? 0 : p.find_last_of('\\') + 1);
    return p.substr(0, p.find('.'));
}
}  // namespace

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
END_MESSAGE_MAP()

int CWinThread::ExitInstance() { return static_cast<int>(m_msgCur.wParam); }

BOOL CWinThread::PumpMessage() {
    if (!GetMessageA(&m_msgCur, nullptr, 0, 0)) return FALSE;
    if (!PreTranslateMessage(&m_msgCur)) {
        TranslateMessage(&m_msgCur);
        DispatchMessageA(&m_msgCur);
    }
    return TRUE;
}

int CWinThread::Run() {
    // Nothing on screen can ever ask to quit: without a main window the loop ends at once.
    if (!m_pMainWnd) PostQuitMessage(0);
    for (;;) {
        MSG peek;
        for (LONG idle = 0; !PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE) && OnIdle(idle); ++idle) {
        }
        if (!PumpMessage()) return ExitInstance();
    }
}

CWinApp::CWinApp(LPCTSTR name) {
    // The application object of a module is a global in that module's image.
    state_ = pw_module_state_for_address(this);
    if (!state_) state_ = AfxGetModuleState();
    state_->m_pCurrentWinApp = this;
    m_hInstance = state_->m_hCurrentInstanceHandle;
    app_name_ = name ? CString(name) : CString(module_title(m_hInstance));
    m_pszAppName = app_name_;
    state_->m_lpszCurrentAppName = m_pszAppName;
}

CWinApp::~CWinApp() {
    // The module's state may be gone already (a shared object drops it at
    // unload, before its static objects are destroyed): look it up afresh.
    AFX_MODULE_STATE* s = pw::detail::module_of_address(this) ? pw::detail::existing_state_for_address(this) : state_;
    if (!s) return;
    if (s->m_pCurrentWinApp == this) s->m_pCurrentWinApp = nullptr;
    if (s->m_lpszCurrentAppName == m_pszAppName) s->m_lpszCurrentAppName = nullptr;
}

int CWinApp::ExitInstance() { return static_cast<int>(m_msgCur.wParam); }

CWinThread* AfxGetThread() {
    if (running_thread) return running_thread;
    if (CWinApp* app = AfxGetApp()) return app;
    thread_local std::unique_ptr<CWinThread> plain = std::make_unique<CWinThread>();
    return plain.get();
}

int AfxWinMain(int argc, char** argv) {
    AFX_MODULE_STATE* state = AfxGetModuleState();
    CWinApp* app = state->m_pCurrentWinApp;
    if (!app) {
        std::fprintf(stderr, "The program has no application object.\n");
        return -1;
    }
    command_line.clear();
    for (int i = 1; i < argc; ++i) {
        if (i > 1) command_line += ' ';
        command_line += argv[i];
    }
    app->m_lpCmdLine = command_line.data();
    running_thread = app;
    int code;
    if (app->InitInstance()) {
        state->m_nInitState = 1;
        code = app->Run();
    } else {
        state->m_nInitState = -1;
        code = app->ExitInstance();
    }
    running_thread = nullptr;
    return code;
}

int AfxMessageBox(LPCTSTR text, UINT type, UINT) { return MessageBoxA(nullptr, text, AfxGetAppName(), type); }

int AfxMessageBox(UINT id, UINT type, UINT) {
    CString text;
    text.LoadString(id);
    return MessageBoxA(nullptr, text, AfxGetAppName(), type);
}
