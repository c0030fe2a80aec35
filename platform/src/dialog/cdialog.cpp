// CDialog: the framework's dialog on top of the dialog manager.
#include <mutex>
#include <unordered_map>

#include "pw/afx_dialog.h"

namespace {

// Which object a dialog window belongs to, from WM_INITDIALOG (the first
// message a dialog procedure sees) to WM_NCDESTROY.
std::mutex g_mutex;
std::unordered_map<HWND, CDialog*> g_objects;

CDialog* object_of(HWND hwnd) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_objects.find(hwnd);
    return it == g_objects.end() ? nullptr : it->second;
}

// A control seen through CWnd; it never destroys the control, which belongs to
// the dialog.
class DialogItem : public CWnd {
public:
    explicit DialogItem(HWND hwnd) { m_hWnd = hwnd; }
    ~DialogItem() override { m_hWnd = nullptr; }
};

}  // namespace

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog() = default;

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDHelp(nIDTemplate), m_nIDTemplate(nIDTemplate),
                                                       m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
    if (m_hWnd) ::DestroyWindow(m_hWnd);
    Detach();
}

void CDialog::Attach(HWND hwnd) {
    m_hWnd = hwnd;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_objects[hwnd] = this;
    }
    const pw::res::DialogTemplate* t = pw_find_dialog_template(AfxGetResourceHandle(), m_nIDTemplate);
    client_ = RECT{0, 0, t ? t->cx : 0, t ? t->cy : 0};
}

void CDialog::Detach() {
    if (m_hWnd) {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_objects.erase(m_hWnd);
    }
    m_hWnd = nullptr;
    for (auto& [id, item] : items_) item->m_hWnd = nullptr;
}

INT_PTR CALLBACK CDialog::DialogProcThunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CDialog* self = object_of(hwnd);
    if (msg == WM_INITDIALOG && !self) {
        self = reinterpret_cast<CDialog*>(lp);
        if (!self) return FALSE;
        self->Attach(hwnd);
        return self->OnInitDialog();
    }
    if (!self) return FALSE;
    if (msg == WM_NCDESTROY) {
        self->Detach();
        self->PostNcDestroy();
        return FALSE;
    }
    self->unhandled_ = false;
    LRESULT result = self->WindowProc(msg, wp, lp);
    if (self->unhandled_) return FALSE;
    // WM_QUERYDRAGICON answers through the procedure's result; other handled
    // messages just report that they were handled.
    return msg == WM_QUERYDRAGICON ? static_cast<INT_PTR>(result) : TRUE;
}

LRESULT CDialog::DefWindowProc(UINT, WPARAM, LPARAM) {
    // Tell the dialog manager to apply its own default.
    unhandled_ = true;
    return 0;
}

INT_PTR CDialog::DoModal() {
    if (m_hWnd) return -1;
    HWND parent = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : nullptr;
    return DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), parent, DialogProcThunk,
                           reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
    if (m_hWnd) return FALSE;
    m_nIDTemplate = nIDTemplate;
    m_nIDHelp = nIDTemplate;
    m_pParentWnd = pParentWnd;
    HWND parent = pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr;
    return CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDTemplate), parent, DialogProcThunk,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

BOOL CDialog::OnInitDialog() { return TRUE; }

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int nResult) {
    if (m_hWnd) ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::DestroyWindow() {
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

void CDialog::SetDlgItemText(int nID, LPCTSTR lpszString) { ::SetDlgItemTextA(m_hWnd, nID, lpszString); }

int CDialog::GetDlgItemText(int nID, CString& rString) const {
    HWND item = ::GetDlgItem(m_hWnd, nID);
    int n = item ? ::GetWindowTextLengthA(item) : 0;
    char* buf = rString.GetBuffer(n);
    ::GetDlgItemTextA(m_hWnd, nID, buf, n + 1);
    rString.ReleaseBuffer();
    return rString.GetLength();
}

CWnd* CDialog::GetDlgItem(int nID) const {
    HWND item = ::GetDlgItem(m_hWnd, nID);
    if (!item) return nullptr;
    auto& slot = items_[nID];
    if (!slot) slot = std::make_unique<DialogItem>(item);
    slot->m_hWnd = item;
    return slot.get();
}

void CDialog::SetWindowText(LPCTSTR lpszString) { ::SetWindowTextA(m_hWnd, lpszString); }

void CDialog::GetWindowText(CString& rString) const {
    int n = ::GetWindowTextLengthA(m_hWnd);
    char* buf = rString.GetBuffer(n);
    ::GetWindowTextA(m_hWnd, buf, n + 1);
    rString.ReleaseBuffer();
}

BOOL CDialog::ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }

BOOL CDialog::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }

BOOL CDialog::IsIconic() const { return ::IsIconic(m_hWnd); }

HICON CDialog::SetIcon(HICON hIcon, BOOL bBigIcon) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

HICON CDialog::GetIcon(BOOL bBigIcon) const {
    return reinterpret_cast<HICON>(::SendMessageA(m_hWnd, WM_GETICON, bBigIcon ? ICON_BIG : ICON_SMALL, 0));
}

void CDialog::GetClientRect(LPRECT lpRect) const {
    if (lpRect) *lpRect = client_;
}
