// The progress window (template 1002): modeless, shown while the file is copied.
#pragma once

#include "afxwin.h"
#include "resource.h"

class CProgressDlg : public CDialog {
public:
    // Creates the window from the current resource module and sets its text.
    // When the template cannot be found there is no window (m_hWnd NULL); the
    // object then does nothing, so the update goes on without it.
    explicit CProgressDlg(CWnd* pParent = nullptr);

    enum { IDD = IDD_PROGRESS };
};
