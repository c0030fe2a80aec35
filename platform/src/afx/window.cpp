// CWnd: a window object over a window of pw/user.h, routing messages through
// its message map.
#include <bit>

#include "pw/afx_app.h"

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

CWnd::~CWnd() {
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        // The object is going away: the window must not call back into it.
        HWND h = m_hWnd;
        ::SetWindowLongPtrA(h, GWLP_USERDATA, 0);
        m_hWnd = nullptr;
        ::DestroyWindow(h);
    }
}

CWnd* CWnd::FromHandle(HWND h) {
    if (!h || ::GetWindowLongPtrA(h, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&CWnd::WndProcThunk)) return nullptr;
    return reinterpret_cast<CWnd*>(::GetWindowLongPtrA(h, GWLP_USERDATA));
}

BOOL CWnd::CreateHandle() {
    if (m_hWnd) return FALSE;
    HWND h = pw_create_window(&CWnd::WndProcThunk, reinterpret_cast<LONG_PTR>(this));
    if (!h) return FALSE;
    m_hWnd = h;
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM) { return OnCmdMsg(LOWORD(wParam), HIWORD(wParam), nullptr, nullptr); }

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    LRESULT result = 0;
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam)) return FALSE;
        if (pResult) *pResult = 1;
        return TRUE;
    }
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(map->lpEntries, message, 0, 0);
        if (!e) continue;
        switch (e->nSig) {
            case AfxSig_vv: (this->*std::bit_cast<void (CWnd::*)()>(e->pfn))(); break;
            case AfxSig_hv:
                result = reinterpret_cast<LRESULT>((this->*std::bit_cast<HCURSOR (CWnd::*)()>(e->pfn))());
                break;
            case AfxSig_bv: result = (this->*std::bit_cast<BOOL (CWnd::*)()>(e->pfn))(); break;
            case AfxSig_lwl:
                result = (this->*std::bit_cast<LRESULT (CWnd::*)(WPARAM, LPARAM)>(e->pfn))(wParam, lParam);
                break;
            default: continue;
        }
        if (pResult) *pResult = result;
        return TRUE;
    }
    return FALSE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CWnd::WndProcThunk(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* w = reinterpret_cast<CWnd*>(::GetWindowLongPtrA(h, GWLP_USERDATA));
    if (!w) return ::DefWindowProcA(h, message, wParam, lParam);
    if (!w->m_hWnd) w->m_hWnd = h;
    LRESULT r = w->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        w->m_hWnd = nullptr;
        w->PostNcDestroy();  // may delete w
    }
    return r;
}
