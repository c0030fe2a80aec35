#include "updater_dlg.h"

#include "texts.h"

BEGIN_MESSAGE_MAP(CUpdaterDlg, CDialog)
    ON_WM_QUERYDRAGICON()
END_MESSAGE_MAP()

CUpdaterDlg::CUpdaterDlg(CWnd* pParent) : CDialog(IDD, pParent) {
    m_hIcon = LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

BOOL CUpdaterDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    // From here on every text and dialog comes from the text library. Without
    // it the program's own resources stay in charge, so the built-in English
    // texts are shown rather than nothing.
    HINSTANCE texts = LoadLibraryA("tarnrez.dll");
    AfxSetResourceHandle(texts ? texts : AfxGetInstanceHandle());

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    SetDlgItemText(IDC_CONFIRM_TEXT, updater::load_text(IDS_CONFIRM));
    SetDlgItemText(IDOK, updater::load_text(IDS_BUTTON_OK));
    SetDlgItemText(IDCANCEL, updater::load_text(IDS_BUTTON_CANCEL));
    return TRUE;
}

HCURSOR CUpdaterDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }
