#include "pw/afx_print.h"

#include "pw/gdi.h"
#include "pw/kernel.h"
#include "pw/user.h"

CPrintDialog::CPrintDialog(BOOL bPrintSetupOnly, DWORD dwFlags, CWnd* pParentWnd) : CCommonDialog(pParentWnd) {
    std::memset(&m_pd, 0, sizeof m_pd);
    m_pd.lStructSize = sizeof m_pd;
    m_pd.Flags = dwFlags | (bPrintSetupOnly ? PD_PRINTSETUP : 0);
    m_pd.hwndOwner = pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr;
    m_pd.nCopies = 1;
}

CPrintDialog::~CPrintDialog() {
    if (m_pd.hDC) DeleteDC(m_pd.hDC);
}

INT_PTR CPrintDialog::DoModal() {
    if (PrintDlgA(&m_pd)) return IDOK;
    return CommDlgExtendedError() == 0 ? IDCANCEL : 0;
}

BOOL CPrintDialog::GetDefaults() {
    m_pd.Flags |= PD_RETURNDEFAULT;
    BOOL ok = PrintDlgA(&m_pd);
    // Only this call asks for the defaults; a later DoModal shows the dialog.
    m_pd.Flags &= ~static_cast<DWORD>(PD_RETURNDEFAULT);
    return ok;
}

CString CPrintDialog::name_at(int which) const {
    if (!m_pd.hDevNames) return CString();
    SIZE_T size = GlobalSize(m_pd.hDevNames);
    auto* base = static_cast<const char*>(GlobalLock(m_pd.hDevNames));
    if (!base || size < sizeof(DEVNAMES)) {
        if (base) GlobalUnlock(m_pd.hDevNames);
        return CString();
    }
    const auto* names = reinterpret_cast<const DEVNAMES*>(base);
    WORD offset = which == 0 ? names->wDriverOffset : which == 1 ? names->wDeviceOffset : names->wOutputOffset;
    CString result;
    if (offset >= sizeof(DEVNAMES) && offset < size) {
        const void* end = std::memchr(base + offset, 0, size - offset);
        if (end) result = CString(base + offset, static_cast<int>(static_cast<const char*>(end) - (base + offset)));
    }
    GlobalUnlock(m_pd.hDevNames);
    return result;
}

CString CPrintDialog::GetDriverName() const { return name_at(0); }
CString CPrintDialog::GetDeviceName() const { return name_at(1); }
CString CPrintDialog::GetPortName() const { return name_at(2); }

LPDEVMODE CPrintDialog::GetDevMode() const {
    if (!m_pd.hDevMode) return nullptr;
    return static_cast<LPDEVMODE>(GlobalLock(m_pd.hDevMode));
}

HDC CPrintDialog::CreatePrinterDC() {
    if (m_pd.hDC) DeleteDC(m_pd.hDC);
    m_pd.hDC = nullptr;
    CString device = GetDeviceName();
    if (device.IsEmpty()) return nullptr;
    LPDEVMODE dm = GetDevMode();
    m_pd.hDC = CreateDCA(PW_PRINTER_DRIVER, device, nullptr, dm);
    if (dm) GlobalUnlock(m_pd.hDevMode);
    return m_pd.hDC;
}

int CPrintDialog::GetCopies() const {
    LPDEVMODE dm = GetDevMode();
    int copies = m_pd.nCopies ? m_pd.nCopies : 1;
    if (dm) {
        if ((m_pd.Flags & PD_USEDEVMODECOPIES) && (dm->dmFields & DM_COPIES) && dm->dmCopies > 0) copies = dm->dmCopies;
        GlobalUnlock(m_pd.hDevMode);
    }
    return copies;
}
