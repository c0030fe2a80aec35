// Path translation, wildcard matching and directory searches.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "files/errors.h"

namespace pw {

namespace {

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Plain glob matching with "*" and "?", iterative so that long names and many
// stars cannot exhaust the stack: on a mismatch, the last "*" takes one more
// character and matching resumes after it.
bool glob(std::string_view p, std::string_view n) {
    size_t pi = 0, ni = 0, star = std::string_view::npos, resume = 0;
    while (ni < n.size()) {
        if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            resume = ni;
        } else if (pi < p.size() && (p[pi] == '?' || lower(p[pi]) == lower(n[ni]))) {
            ++pi;
            ++ni;
        } else if (star != std::string_view::npos) {
            pi = star + 1;
            ni = ++resume;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

bool has_wildcards(std::string_view s) { return s.find_first_of("*?") != std::string_view::npos; }

}  // namespace

std::string native_path(std::string_view path) {
    std::string out(path);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

bool wildcard_match(std::string_view pattern, std::string_view name) {
    if (glob(pattern, name)) return true;
    // The original treats a final ".*" as "any extension or none".
    return pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
           glob(pattern.substr(0, pattern.size() - 2), name);
}

bool find_files(std::string_view pattern, std::string& root, std::vector<FoundFile>& found, DWORD* error) {
    found.clear();
    size_t cut = pattern.find_last_of("\\/");
    root = cut == std::string_view::npos ? std::string() : std::string(pattern.substr(0, cut + 1));
    const std::string_view last = cut == std::string_view::npos ? pattern : pattern.substr(cut + 1);
    const std::string dir = root.empty() ? std::string(".") : native_path(root);
    DWORD err = ERROR_FILE_NOT_FOUND;

    auto add = [&](const std::string& name) {
        struct stat st;
        std::string full = dir + "/" + name;
        if (stat(full.c_str(), &st) != 0 && lstat(full.c_str(), &st) != 0) return;
        found.push_back(FoundFile{name, S_ISDIR(st.st_mode), static_cast<unsigned long long>(st.st_size)});
    };

    if (last.empty()) {
        // "dir\" names no file; the original answers "not found" too.
    } else if (!has_wildcards(last)) {
        struct stat st;
        std::string full = dir + "/" + std::string(last);
        if (lstat(full.c_str(), &st) == 0) add(std::string(last));
        else err = errno == ENOENT ? (stat(dir.c_str(), &st) == 0 ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND)
                                   : files::error_from_errno(errno);
    } else if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (wildcard_match(last, e->d_name)) add(e->d_name);
        closedir(d);
        std::sort(found.begin(), found.end(), [](const FoundFile& a, const FoundFile& b) { return a.name < b.name; });
    } else {
        err = errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : files::error_from_errno(errno);
    }
    if (found.empty()) {
        if (error) *error = err;
        return false;
    }
    if (error) *error = ERROR_SUCCESS;
    return true;
}

}  // namespace pw
