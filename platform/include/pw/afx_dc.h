// CDC: the framework's device context object over an HDC of pw/gdi.h.
//
// Ownership: the object owns the DC attached to it (CreateDC, Attach) and
// deletes it (DeleteDC) when it is destroyed, unless it was detached first.
// The mapping members forward to the GDI ...Ex calls and answer the previous
// value as CPoint / CSize.
#pragma once

#include "pw/afx_core.h"
#include "pw/afx_types.h"
#include "pw/gdi.h"
#include "pw/spool.h"

class CDC : public CObject {
public:
    HDC m_hDC = nullptr;
    // The DC the attributes are asked from; the same as m_hDC here.
    HDC m_hAttribDC = nullptr;

    CDC() = default;
    // Deletes the attached DC.
    ~CDC() override;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // Takes ownership of hDC. FALSE when hDC is NULL or a DC is attached already.
    BOOL Attach(HDC hDC);
    // Gives the DC up without deleting it; the caller owns it now.
    HDC Detach();
    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    // Makes and attaches a DC (CreateDCA). FALSE when none could be made or a DC
    // is attached already.
    BOOL CreateDC(LPCTSTR lpszDriverName, LPCTSTR lpszDeviceName, LPCTSTR lpszOutput, const void* lpInitData);
    BOOL CreateCompatibleDC(CDC* pDC);
    // Deletes the attached DC now.
    BOOL DeleteDC();

    int GetDeviceCaps(int nIndex) const { return ::GetDeviceCaps(m_hAttribDC ? m_hAttribDC : m_hDC, nIndex); }

    int SetMapMode(int nMapMode) { return ::SetMapMode(m_hDC, nMapMode); }
    int GetMapMode() const { return ::GetMapMode(m_hDC); }
    CPoint SetWindowOrg(int x, int y);
    CPoint SetWindowOrg(POINT point) { return SetWindowOrg(point.x, point.y); }
    CSize SetWindowExt(int cx, int cy);
    CSize SetWindowExt(SIZE size) { return SetWindowExt(size.cx, size.cy); }
    CPoint SetViewportOrg(int x, int y);
    CPoint SetViewportOrg(POINT point) { return SetViewportOrg(point.x, point.y); }
    CSize SetViewportExt(int cx, int cy);
    CSize SetViewportExt(SIZE size) { return SetViewportExt(size.cx, size.cy); }

    int SetStretchBltMode(int nStretchMode) { return ::SetStretchBltMode(m_hDC, nStretchMode); }
    UINT RealizePalette() { return ::RealizePalette(m_hDC); }

    int StartDoc(LPDOCINFOA lpDocInfo) { return ::StartDocA(m_hDC, lpDocInfo); }
    int StartPage() { return ::StartPage(m_hDC); }
    int EndPage() { return ::EndPage(m_hDC); }
    int EndDoc() { return ::EndDoc(m_hDC); }
    int AbortDoc() { return ::AbortDoc(m_hDC); }
    int SetAbortProc(ABORTPROC lpfn) { return ::SetAbortProc(m_hDC, lpfn); }
};
