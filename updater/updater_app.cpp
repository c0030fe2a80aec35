#include "updater_app.h"

#include <cstring>

#include "progress_dlg.h"
#include "pw/files.h"
#include "pw/registry.h"
#include "texts.h"
#include "updater_dlg.h"

namespace {

constexpr size_t kPathBytes = 128;

// Appends tail to the text in buf (kPathBytes); false, with buf unchanged, when
// the result and its terminating zero would not fit.
bool append(char* buf, const char* tail) {
    size_t used = std::strlen(buf), more = std::strlen(tail);
    if (used + more + 1 > kPathBytes) return false;
    std::memcpy(buf + used, tail, more + 1);
    return true;
}

bool assign(char* buf, const char* text) {
    buf[0] = 0;
    return append(buf, text);
}

// Reads "ProgramDir" into dir (kPathBytes). The value must be text that fits
// with its terminating zero; a value that fills the buffer to the last byte
// without one does not fit. An empty value names no directory.
bool read_program_dir(char* dir) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, UPDATER_PREFERENCES_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        updater::show_warning(IDS_NO_LOCATION);
        return false;
    }
    DWORD size = kPathBytes;
    LONG rc = RegQueryValueExA(key, UPDATER_PROGRAM_DIR_VALUE, nullptr, nullptr, reinterpret_cast<BYTE*>(dir), &size);
    bool ok = rc == ERROR_SUCCESS;
    if (ok && !std::memchr(dir, 0, size)) {
        // Data stored without its zero: terminate it when there is room.
        ok = size < kPathBytes;
        if (ok) dir[size] = 0;
    }
    ok = ok && dir[0] != 0;
    if (!ok) updater::show_warning(IDS_NO_LOCATION);
    RegCloseKey(key);
    return ok;
}

}  // namespace

BEGIN_MESSAGE_MAP(CUpdaterApp, CWinApp)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

BOOL CUpdaterApp::InitInstance() {
    Enable3dControlsStatic();

    CUpdaterDlg dlg;
    if (dlg.DoModal() != IDOK) return FALSE;

    char program_dir[kPathBytes];
    if (!read_program_dir(program_dir)) return FALSE;

    // "*.*" goes straight after the value: with a final separator it lists the
    // directory, without one it finds the directory among its siblings.
    char pattern[kPathBytes];
    CFileFind finder;
    if (!assign(pattern, program_dir) || !append(pattern, "*.*") || !finder.FindFile(pattern)) {
        updater::show_warning(IDS_NO_LOCATION);
        return FALSE;
    }
    finder.Close();

    // The updater's own directory, up to and including its last "\". A path
    // that fills the buffer was cut short and locates nothing.
    char module_dir[kPathBytes];
    DWORD length = GetModuleFileNameA(nullptr, module_dir, kPathBytes);
    char* last = length > 0 && length < kPathBytes ? std::strrchr(module_dir, '\\') : nullptr;
    if (!last) {
        updater::show_warning(IDS_NO_LOCATION);
        return FALSE;
    }
    last[1] = 0;

    CProgressDlg progress;
    progress.ShowWindow(SW_SHOW);

    char source[kPathBytes], destination[kPathBytes];
    bool copied = assign(source, module_dir) && append(source, UPDATER_MODULE_FILE) &&
                  assign(destination, program_dir) && append(destination, "\\" UPDATER_MODULE_FILE) &&
                  CopyFileA(source, destination, FALSE);
    if (!copied) {
        progress.DestroyWindow();
        updater::show_warning(IDS_COPY_FAILED);
        return FALSE;
    }

    // No messages are processed during the pause: the window just stays on show.
    Sleep(UPDATER_PAUSE_MS);
    progress.DestroyWindow();
    MessageBoxA(nullptr, updater::load_text(IDS_COMPLETE), "Complete", MB_OK);
    return FALSE;
}

// The one application object; winplat_main's main() runs it.
CUpdaterApp theApp;
