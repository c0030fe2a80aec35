// Module states: which module's resources the framework uses.
//
// Every module (the program and each shared object that uses the framework)
// has one AFX_MODULE_STATE, made on first use and owned by the layer; it lives
// until the module is unloaded. Each thread has a current module state, by
// default the program's. AFX_MANAGE_STATE(AfxGetStaticModuleState()) at the top
// of an entry point makes the calling module's own state current for that
// scope, so AfxGetResourceHandle, CString::LoadString and AfxGetApp answer for
// that module; the previous state comes back when the scope ends (return or
// exception), and such scopes nest.
//
// AfxGetStaticModuleState answers the state of the module whose code calls it:
// it lives in the static library winplat_module (hidden symbol), which every
// module and program using it links, last. That library also runs a shared
// object's CWinApp::InitInstance when the object is loaded (after all of its
// static objects are built; also for a plain dlopen) and ExitInstance when it
// is unloaded (before its static objects are destroyed). A program runs its
// application object with AfxWinMain (pw/afx_app.h) instead.
#pragma once

#include "pw/afx_core.h"

class CWinApp;

struct AFX_MODULE_STATE {
    CWinApp* m_pCurrentWinApp;           // the module's application object, or NULL
    HINSTANCE m_hCurrentInstanceHandle;  // the module itself
    HINSTANCE m_hCurrentResourceHandle;  // where resources are looked up (AfxSetResourceHandle)
    LPCTSTR m_lpszCurrentAppName;        // the application's name, once known
    BOOL m_bDLL;                         // TRUE for a shared object, FALSE for the program
    // Start-up record kept by the layer: 0 InitInstance not run, 1 it succeeded,
    // -1 it failed (or threw).
    int m_nInitState;
};

// The calling thread's current module state (the program's when none was set).
AFX_MODULE_STATE* AfxGetModuleState();
// Makes p current for the calling thread; returns the previous one.
AFX_MODULE_STATE* AfxSetModuleState(AFX_MODULE_STATE* p);
// The calling module's own state; from winplat_module.
__attribute__((visibility("hidden"))) AFX_MODULE_STATE* AfxGetStaticModuleState();

// The state of the module whose image contains addr (made on first use); NULL
// when addr lies in no loaded module. This is what AfxGetStaticModuleState uses.
extern "C" AFX_MODULE_STATE* pw_module_state_for_address(const void* addr);

// Used by winplat_module only: a module's static objects are built (the
// application object of a shared object starts), or are about to be destroyed
// (it stops, and the state is dropped).
extern "C" void pw_module_started(AFX_MODULE_STATE* state);
extern "C" void pw_module_stopping(AFX_MODULE_STATE* state);

HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hInstResource);
CWinApp* AfxGetApp();
LPCTSTR AfxGetAppName();

class AFX_MAINTAIN_STATE2 {
public:
    explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* p);
    ~AFX_MAINTAIN_STATE2();
    AFX_MAINTAIN_STATE2(const AFX_MAINTAIN_STATE2&) = delete;
    AFX_MAINTAIN_STATE2& operator=(const AFX_MAINTAIN_STATE2&) = delete;

private:
    AFX_MODULE_STATE* m_pPrevModuleState;
};

#define AFX_MANAGE_STATE(p) AFX_MAINTAIN_STATE2 _ctlState(p)
