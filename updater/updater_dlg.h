// The confirmation dialog (template 102): asks whether to install. Initialising
// it switches the program's resources to "tarnrez.dll".
#pragma once

#include "afxwin.h"
#include "resource.h"

class CUpdaterDlg : public CDialog {
public:
    // Loads icon 133 from the program's own resources (a shared icon: it lives
    // as long as the program).
    explicit CUpdaterDlg(CWnd* pParent = nullptr);

    enum { IDD = IDD_UPDATER_DIALOG };

    HICON icon() const { return m_hIcon; }

protected:
    BOOL OnInitDialog() override;
    afx_msg HCURSOR OnQueryDragIcon();

    HICON m_hIcon;

    DECLARE_MESSAGE_MAP()
};
