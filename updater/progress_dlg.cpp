#include "progress_dlg.h"

#include "texts.h"

CProgressDlg::CProgressDlg(CWnd* pParent) : CDialog(IDD, pParent) {
    if (Create(IDD, pParent)) SetDlgItemText(IDC_PROGRESS_TEXT, updater::load_text(IDS_PROGRESS));
}
