// Module states: one per module, kept in the module's record; the current one
// per thread; the start and stop of a shared object's application object.
#include <cstdio>
#include <exception>

#include "kernel/modules.h"
#include "pw/afx_app.h"
#include "pw/afx_state.h"

using namespace pw::detail;

namespace {

thread_local AFX_MODULE_STATE* current_state = nullptr;

AFX_MODULE_STATE* state_of_module(link_map* m) {
    if (!m) return nullptr;
    std::lock_guard lock(record_mutex());
    ModuleRecord& r = make_record(m);
    if (!r.state) {
        HINSTANCE h = to_handle(m);
        r.state = new AFX_MODULE_STATE{nullptr, h, h, nullptr, m != main_module(), 0};
    }
    return r.state;
}

}  // namespace

namespace pw::detail {
// The state of the module holding addr when it has one already; NULL otherwise.
AFX_MODULE_STATE* existing_state_for_address(const void* addr) {
    link_map* m = module_of_address(addr);
    if (!m) return nullptr;
    std::lock_guard lock(record_mutex());
    ModuleRecord* r = find_record(m);
    return r ? r->state : nullptr;
}
}  // namespace pw::detail

extern "C" AFX_MODULE_STATE* pw_module_state_for_address(const void* addr) {
    return state_of_module(module_of_address(addr));
}

AFX_MODULE_STATE* AfxGetModuleState() {
    return current_state ? current_state : state_of_module(main_module());
}

AFX_MODULE_STATE* AfxSetModuleState(AFX_MODULE_STATE* p) {
    AFX_MODULE_STATE* previous = AfxGetModuleState();
    current_state = p;
    return previous;
}

AFX_MAINTAIN_STATE2::AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* p) : m_pPrevModuleState(current_state) {
    current_state = p;
}

AFX_MAINTAIN_STATE2::~AFX_MAINTAIN_STATE2() { current_state = m_pPrevModuleState; }

HINSTANCE AfxGetInstanceHandle() { return AfxGetModuleState()->m_hCurrentInstanceHandle; }
HINSTANCE AfxGetResourceHandle() { return AfxGetModuleState()->m_hCurrentResourceHandle; }
void AfxSetResourceHandle(HINSTANCE h) { AfxGetModuleState()->m_hCurrentResourceHandle = h; }
CWinApp* AfxGetApp() { return AfxGetModuleState()->m_pCurrentWinApp; }

LPCTSTR AfxGetAppName() {
    AFX_MODULE_STATE* s = AfxGetModuleState();
    if (s->m_lpszCurrentAppName) return s->m_lpszCurrentAppName;
    return s->m_pCurrentWinApp && s->m_pCurrentWinApp->m_pszAppName ? s->m_pCurrentWinApp->m_pszAppName : "";
}

// Called by winplat_module when a module's static objects are built. A shared
// object's application object starts here, under the module's own state; a
// program's starts in AfxWinMain.
extern "C" void pw_module_started(AFX_MODULE_STATE* state) {
    if (!state || !state->m_bDLL || state->m_nInitState != 0) return;
    CWinApp* app = state->m_pCurrentWinApp;
    if (!app) return;
    AFX_MANAGE_STATE(state);
    // An exception must not leave through the system loader.
    try {
        state->m_nInitState = app->InitInstance() ? 1 : -1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "InitInstance of %s failed: %s\n", AfxGetAppName(), e.what());
        state->m_nInitState = -1;
    } catch (...) {
        state->m_nInitState = -1;
    }
}

// Called by winplat_module before a shared object's static objects are
// destroyed: ExitInstance runs, then the module's state is dropped.
extern "C" void pw_module_stopping(AFX_MODULE_STATE* state) {
    if (!state || !state->m_bDLL) return;
    if (CWinApp* app = state->m_pCurrentWinApp; app && state->m_nInitState != 0) {
        AFX_MANAGE_STATE(state);
        try {
            app->ExitInstance();
        } catch (...) {
        }
    }
    link_map* m = reinterpret_cast<link_map*>(state->m_hCurrentInstanceHandle);
    std::lock_guard lock(record_mutex());
    if (ModuleRecord* r = find_record(m); r && r->state == state) {
        r->state = nullptr;
        drop_record_if_unused(m);
    }
    if (current_state == state) current_state = nullptr;
    delete state;
}
