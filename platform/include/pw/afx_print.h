// CPrintDialog of our MFC layer: the Print and Print Setup dialogs over PrintDlgA
// (pw/commdlg.h, where the host chooses who answers them).
//
// Ownership: the DEVMODE and DEVNAMES blocks in m_pd belong to whoever put them
// there or took them out; the dialog never frees them. A DC made because of
// PD_RETURNDC is deleted with the dialog.
#pragma once

#include "pw/afx_dialog.h"
#include "pw/afx_string.h"
#include "pw/commdlg.h"

// Base of the common dialogs.
class CCommonDialog : public CDialog {
public:
    explicit CCommonDialog(CWnd* pParentWnd) { m_pParentWnd = pParentWnd; }
};

class CPrintDialog : public CCommonDialog {
public:
    // bPrintSetupOnly: the Print Setup dialog (adds PD_PRINTSETUP to dwFlags).
    explicit CPrintDialog(BOOL bPrintSetupOnly,
                          DWORD dwFlags = PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS | PD_HIDEPRINTTOFILE |
                                          PD_NOSELECTION,
                          CWnd* pParentWnd = nullptr);
    ~CPrintDialog() override;

    // IDOK when a printer was confirmed, IDCANCEL when the user cancelled, 0 when the
    // dialog failed (the reason in CommDlgExtendedError()).
    INT_PTR DoModal() override;
    // Fills m_pd.hDevMode and m_pd.hDevNames with the default printer's blocks
    // without asking anyone; they must be NULL before. FALSE when there is no
    // default printer (or they were not NULL).
    BOOL GetDefaults();

    // The names in m_pd.hDevNames; empty when there is none.
    CString GetDriverName() const;
    CString GetDeviceName() const;
    CString GetPortName() const;
    // The DEVMODE in m_pd.hDevMode, locked once more: the caller unlocks it with
    // GlobalUnlock(m_pd.hDevMode). NULL when there is none.
    LPDEVMODE GetDevMode() const;
    // A DC for the printer in m_pd (kept in m_pd.hDC and deleted with the dialog).
    HDC CreatePrinterDC();
    HDC GetPrinterDC() const { return m_pd.hDC; }
    int GetCopies() const;
    BOOL PrintAll() const { return (m_pd.Flags & (PD_SELECTION | PD_PAGENUMS)) == 0; }

    PRINTDLG m_pd;

private:
    CString name_at(int which) const;
};
