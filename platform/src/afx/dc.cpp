// CDC: ownership of the attached DC and the mapping members.
#include "pw/afx_dc.h"

CDC::~CDC() {
    if (m_hDC) ::DeleteDC(Detach());
}

BOOL CDC::Attach(HDC hDC) {
    if (!hDC || m_hDC) return FALSE;
    m_hDC = m_hAttribDC = hDC;
    return TRUE;
}

HDC CDC::Detach() {
    HDC h = m_hDC;
    m_hDC = m_hAttribDC = nullptr;
    return h;
}

BOOL CDC::CreateDC(LPCTSTR driver, LPCTSTR device, LPCTSTR output, const void* init) {
    if (m_hDC) return FALSE;
    return Attach(::CreateDCA(driver, device, output, static_cast<const DEVMODEA*>(init)));
}

BOOL CDC::CreateCompatibleDC(CDC* pDC) {
    if (m_hDC) return FALSE;
    return Attach(::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr));
}

BOOL CDC::DeleteDC() {
    if (!m_hDC) return FALSE;
    return ::DeleteDC(Detach());
}

CPoint CDC::SetWindowOrg(int x, int y) {
    POINT previous{0, 0};
    ::SetWindowOrgEx(m_hDC, x, y, &previous);
    return previous;
}

CSize CDC::SetWindowExt(int cx, int cy) {
    SIZE previous{0, 0};
    ::SetWindowExtEx(m_hDC, cx, cy, &previous);
    return previous;
}

CPoint CDC::SetViewportOrg(int x, int y) {
    POINT previous{0, 0};
    ::SetViewportOrgEx(m_hDC, x, y, &previous);
    return previous;
}

CSize CDC::SetViewportExt(int cx, int cy) {
    SIZE previous{0, 0};
    ::SetViewportExtEx(m_hDC, cx, cy, &previous);
    return previous;
}
