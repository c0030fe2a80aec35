// CFileFind over pw::find_files.
#include "files/errors.h"

BOOL CFileFind::FindFile(LPCTSTR pstrName, DWORD) {
    Close();
    DWORD error = ERROR_SUCCESS;
    if (!pw::find_files(pstrName ? pstrName : "*.*", root_, found_, &error)) {
        pw::files::set_error(error);
        return FALSE;
    }
    open_ = true;
    return TRUE;
}

BOOL CFileFind::FindNextFile() {
    if (!open_ || next_ >= found_.size()) {
        pw::files::set_error(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    ++next_;
    return next_ < found_.size();
}

void CFileFind::Close() {
    root_.clear();
    found_.clear();
    next_ = 0;
    open_ = false;
}

const pw::FoundFile* CFileFind::current() const {
    return open_ && next_ > 0 ? &found_[next_ - 1] : nullptr;
}

CString CFileFind::GetFileName() const {
    const pw::FoundFile* f = current();
    return f ? CString(f->name) : CString();
}

CString CFileFind::GetFilePath() const {
    const pw::FoundFile* f = current();
    return f ? CString(root_ + f->name) : CString();
}

CString CFileFind::GetFileTitle() const {
    const pw::FoundFile* f = current();
    if (!f) return CString();
    size_t dot = f->name.rfind('.');
    return CString(dot == std::string::npos || dot == 0 ? f->name : f->name.substr(0, dot));
}

CString CFileFind::GetRoot() const { return open_ ? CString(root_) : CString(); }

unsigned long long CFileFind::GetLength() const {
    const pw::FoundFile* f = current();
    return f ? f->size : 0;
}

BOOL CFileFind::IsDirectory() const {
    const pw::FoundFile* f = current();
    return f && f->is_directory;
}

BOOL CFileFind::IsDots() const {
    const pw::FoundFile* f = current();
    return f && (f->name == "." || f->name == "..");
}
