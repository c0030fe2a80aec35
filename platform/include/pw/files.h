// Files in the original platform's terms: CopyFileA, DeleteFileA,
// GetFileAttributesA and MFC's CFileFind, over the Linux file system.
//
// Paths: every call takes the original platform's paths as well as ours: "\" and
// "/" both separate names ("\" is turned into "/" before the file system sees
// it), and doubled separators are harmless. So code that builds paths with "\"
// works unchanged; the price is that a Linux name containing "\" cannot be
// reached through this layer.
//
// CFileFind (the framework's search) lives at the end of this file.
//
// Errors: a failing call returns FALSE (or INVALID_FILE_ATTRIBUTES) and leaves
// the reason for GetLastError as an ERROR_* code of the original platform.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "pw/afx_core.h"
#include "pw/afx_string.h"
#include "pw/kernel.h"
#include "pw/wintypes.h"

#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_NORMAL 0x00000080

#include "pw/winerror.h"

extern "C" {

// Copies a file. The data go to a temporary file beside the destination that is
// renamed over it only when complete, so a failed copy never leaves half a file
// and never harms an existing destination. The copy keeps the source's
// permission bits and modification time. bFailIfExists TRUE: ERROR_FILE_EXISTS
// when the destination exists. As on the original, a read-only destination
// (no write permission bit at all) is not replaced: ERROR_ACCESS_DENIED; so is a
// directory as source or destination.
BOOL WINAPI CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists);

// Deletes a file (not a directory; not a read-only file, as on the original).
BOOL WINAPI DeleteFileA(LPCSTR lpFileName);

// FILE_ATTRIBUTE_DIRECTORY, _READONLY (no write permission bit), _HIDDEN (a name
// starting with "."), or FILE_ATTRIBUTE_NORMAL when none applies;
// INVALID_FILE_ATTRIBUTES when the path does not exist.
DWORD WINAPI GetFileAttributesA(LPCSTR lpFileName);

}  // extern "C"

namespace pw {

// The Linux form of a path given in either platform's form ("\" becomes "/").
std::string native_path(std::string_view path);

// Matches one name against a pattern of the original platform: "*" any run of
// characters, "?" exactly one, letters without regard to ASCII case, and a
// pattern ending in ".*" also matches names without that extension ("*.*"
// matches every name, "dir*.*" matches "dir" itself).
bool wildcard_match(std::string_view pattern, std::string_view name);

// One entry found by find_files.
struct FoundFile {
    std::string name;  // the name within its directory
    bool is_directory = false;
    unsigned long long size = 0;  // bytes
};

// The entries that a search pattern names: the pattern's last name may hold
// wildcards and is matched against its directory's entries ("." and ".."
// included, as on the original), sorted by name; a last name without wildcards
// is looked up directly. root receives the pattern up to and including its last
// separator, exactly as given. Returns false with *error set (ERROR_FILE_NOT_FOUND,
// ERROR_PATH_NOT_FOUND...) when nothing matches.
bool find_files(std::string_view pattern, std::string& root, std::vector<FoundFile>& found, DWORD* error);

}  // namespace pw

// The framework's file search. A search holds the whole answer of pw::find_files,
// taken when FindFile runs; later changes to the directory are not seen.
//
//     CFileFind finder;
//     BOOL more = finder.FindFile("C:\\dir\\*.*");
//     while (more) { more = finder.FindNextFile(); use(finder.GetFilePath()); }
//
// FindNextFile must be called once before the first file can be asked about; it
// returns FALSE when the file it moved to is the last one (which is still valid).
class CFileFind : public CObject {
public:
    CFileFind() = default;
    ~CFileFind() override = default;

    // pstrName NULL means "*.*" in the current directory. TRUE when at least one
    // entry matches; FALSE otherwise, with the reason for GetLastError.
    virtual BOOL FindFile(LPCTSTR pstrName = nullptr, DWORD dwUnused = 0);
    // Moves to the next entry; FALSE when that entry is the last one, or when
    // there is none (then nothing can be asked, GetLastError ERROR_NO_MORE_FILES).
    virtual BOOL FindNextFile();
    void Close();

    // The current entry: its name, the search's directory part (as given, up to
    // and including the last separator) followed by the name, the name without
    // its extension, and the directory part alone. Empty without a current entry.
    CString GetFileName() const;
    CString GetFilePath() const;
    CString GetFileTitle() const;
    CString GetRoot() const;
    unsigned long long GetLength() const;  // bytes
    BOOL IsDirectory() const;
    // "." or "..".
    BOOL IsDots() const;

private:
    const pw::FoundFile* current() const;

    std::string root_;
    std::vector<pw::FoundFile> found_;
    size_t next_ = 0;    // index of the entry FindNextFile moves to
    bool open_ = false;
};
