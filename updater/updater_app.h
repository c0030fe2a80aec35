// The updater's application object. InitInstance runs the whole update and
// returns FALSE, so the program ends as soon as it is done.
//
// Paths are the original platform's: the module path comes with "\" separators
// and the registry's "ProgramDir" is used as written; the file layer accepts both
// separators. Every path lives in a 128-byte buffer, and a path that would not
// fit is a failure (location: warning 82, copy: warning 101), never an overflow.
#pragma once

#include "afxwin.h"

class CUpdaterApp : public CWinApp {
public:
    CUpdaterApp() = default;

    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

// The registry key and value naming the application's program directory.
#define UPDATER_PREFERENCES_KEY "Software\\Velmora\\VL Lucentra LT\\Preferences"
#define UPDATER_PROGRAM_DIR_VALUE "ProgramDir"
// The file installed, and how long the finished copy stays on show (ms).
#define UPDATER_MODULE_FILE "pagewright.dst"
#define UPDATER_PAUSE_MS 3500
