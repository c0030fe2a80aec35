// CString operations that are more than one line.
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>

#include "pw/afx_state.h"
#include "pw/afx_string.h"
#include "pw/resources.h"

int CString::Compare(const char* o) const {
    int r = std::strcmp(s_.c_str(), o ? o : "");
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CString::CompareNoCase(const char* o) const {
    int r = strcasecmp(s_.c_str(), o ? o : "");
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

CString CString::Left(int n) const { return CString(s_.substr(0, static_cast<size_t>(std::clamp(n, 0, GetLength())))); }

CString CString::Right(int n) const {
    n = std::clamp(n, 0, GetLength());
    return CString(s_.substr(s_.size() - static_cast<size_t>(n)));
}

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int n) const {
    first = std::clamp(first, 0, GetLength());
    n = std::clamp(n, 0, GetLength() - first);
    return CString(s_.substr(static_cast<size_t>(first), static_cast<size_t>(n)));
}

int CString::Find(char ch, int start) const {
    if (start < 0 || start > GetLength()) return -1;
    size_t p = s_.find(ch, static_cast<size_t>(start));
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::Find(const char* sub, int start) const {
    if (!sub || start < 0 || start > GetLength()) return -1;
    size_t p = s_.find(sub, static_cast<size_t>(start));
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::ReverseFind(char ch) const {
    size_t p = s_.rfind(ch);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

void CString::MakeUpper() {
    for (char& c : s_) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

void CString::MakeLower() {
    for (char& c : s_) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

void CString::TrimLeft() {
    size_t i = 0;
    while (i < s_.size() && std::isspace(static_cast<unsigned char>(s_[i]))) ++i;
    s_.erase(0, i);
}

void CString::TrimRight() {
    while (!s_.empty() && std::isspace(static_cast<unsigned char>(s_.back()))) s_.pop_back();
}

int CString::Replace(const char* old_text, const char* new_text) {
    if (!old_text || !*old_text) return 0;
    const std::string from(old_text), to(new_text ? new_text : "");
    int count = 0;
    for (size_t p = s_.find(from); p != std::string::npos; p = s_.find(from, p + to.size())) {
        s_.replace(p, from.size(), to);
        ++count;
    }
    return count;
}

void CString::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(const char* format, va_list args) {
    if (!format) {
        s_.clear();
        return;
    }
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, format, args);
    if (n < 0) {
        va_end(again);
        s_.clear();
        return;
    }
    std::string out(static_cast<size_t>(n), '\0');
    std::vsnprintf(out.data(), out.size() + 1, format, again);
    va_end(again);
    s_ = std::move(out);
}

char* CString::GetBuffer(int min_length) {
    if (min_length > GetLength()) s_.resize(static_cast<size_t>(min_length));
    return s_.data();
}

void CString::ReleaseBuffer(int new_length) {
    if (new_length < 0)
        s_.resize(std::strlen(s_.c_str()));
    else
        s_.resize(std::min(static_cast<size_t>(new_length), s_.size()));
}

BOOL CString::LoadString(UINT id) { return LoadString(AfxGetResourceHandle(), id); }

BOOL CString::LoadString(HINSTANCE module, UINT id) {
    const char* text = pw_find_string(module, id);
    if (!text) return FALSE;
    s_ = text;
    return TRUE;
}
