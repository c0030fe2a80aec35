// CString: the framework's text class, a std::string inside. Texts are bytes
// (UTF-8 in practice); lengths and positions count bytes.
#pragma once

#include <string>

#include "pw/afx_core.h"

class CString {
public:
    CString() = default;
    CString(const char* s) : s_(s ? s : "") {}
    CString(const char* s, int n) : s_(s ? std::string(s, n > 0 ? static_cast<size_t>(n) : 0) : std::string()) {}
    CString(char ch, int repeat = 1) : s_(repeat > 0 ? static_cast<size_t>(repeat) : 0, ch) {}
    CString(const std::string& s) : s_(s) {}
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(const char* s) { s_ = s ? s : ""; return *this; }
    CString& operator=(char ch) { s_.assign(1, ch); return *this; }

    int GetLength() const { return static_cast<int>(s_.size()); }
    bool IsEmpty() const { return s_.empty(); }
    void Empty() { s_.clear(); }
    char GetAt(int i) const { return s_.at(static_cast<size_t>(i)); }
    void SetAt(int i, char ch) { s_.at(static_cast<size_t>(i)) = ch; }
    char operator[](int i) const { return GetAt(i); }
    operator LPCTSTR() const { return s_.c_str(); }
    const std::string& str() const { return s_; }

    CString& operator+=(const CString& o) { s_ += o.s_; return *this; }
    CString& operator+=(const char* o) { if (o) s_ += o; return *this; }
    CString& operator+=(char ch) { s_ += ch; return *this; }
    friend CString operator+(const CString& a, const CString& b) { return CString(a.s_ + b.s_); }
    friend CString operator+(const CString& a, const char* b) { CString r(a); r += b; return r; }
    friend CString operator+(const char* a, const CString& b) { CString r(a); r += b; return r; }
    friend CString operator+(const CString& a, char b) { CString r(a); r += b; return r; }

    // Byte-wise comparison: < 0, 0, > 0. NULL compares as "".
    int Compare(const char* o) const;
    int CompareNoCase(const char* o) const;
    friend bool operator==(const CString& a, const CString& b) { return a.s_ == b.s_; }
    friend bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
    friend bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
    friend bool operator!=(const char* a, const CString& b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.s_ < b.s_; }
    friend bool operator>(const CString& a, const CString& b) { return a.s_ > b.s_; }
    friend bool operator<=(const CString& a, const CString& b) { return a.s_ <= b.s_; }
    friend bool operator>=(const CString& a, const CString& b) { return a.s_ >= b.s_; }

    // Sub-strings; counts and positions out of range are clamped.
    CString Left(int n) const;
    CString Right(int n) const;
    CString Mid(int first) const;
    CString Mid(int first, int n) const;
    // Position of the first match at or after start, -1 when none.
    int Find(char ch, int start = 0) const;
    int Find(const char* sub, int start = 0) const;
    int ReverseFind(char ch) const;
    void MakeUpper();
    void MakeLower();
    void TrimLeft();
    void TrimRight();
    int Replace(const char* old_text, const char* new_text);

    // printf-style formatting into this string (any length).
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(const char* format, va_list args);

    // Direct access: a buffer of at least min_length bytes plus a terminating
    // zero, valid until the next change. ReleaseBuffer(-1) takes the length up
    // to the first zero byte; ReleaseBuffer(n) keeps n bytes.
    char* GetBuffer(int min_length);
    char* GetBuffer() { return GetBuffer(GetLength()); }
    void ReleaseBuffer(int new_length = -1);

    // String nID of the current module state's resource handle
    // (AfxGetResourceHandle), in the user's language variant (see LoadStringA).
    // FALSE and this string unchanged when there is no such string; texts of any
    // length load whole.
    BOOL LoadString(UINT nID);
    // The same from the given module.
    BOOL LoadString(HINSTANCE hInstance, UINT nID);

private:
    std::string s_;
};
