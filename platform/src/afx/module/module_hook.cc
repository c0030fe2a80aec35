// winplat_module: linked (last) into every module and program that uses the
// framework. Gives each its own AfxGetStaticModuleState (hidden, so every module
// answers with its own state) and starts and stops a shared object's
// application object.
//
// The start and stop ride on ELF .init_array / .fini_array entries. The loader
// runs a module's .init_array in link order, so this entry, linked after the
// module's own objects, runs once all of its static objects are built; .fini_array
// runs in reverse order, so the stop entry runs before any static object of
// the module is destroyed (those are destroyed from the first, crtbegin's,
// entry). This holds for a plain dlopen as well as for LoadLibraryA.
#include <atomic>

#include "pw/afx_state.h"

namespace {
std::atomic<AFX_MODULE_STATE*> own_state{nullptr};
// Any address inside this module's image names the module.
char anchor;
}  // namespace

// Referenced from the link line (--undefined), so that this object is always
// linked in, whether or not the module calls AfxGetStaticModuleState.
extern "C" __attribute__((visibility("hidden"), used)) const int pw_winplat_module_linked = 1;

AFX_MODULE_STATE* AfxGetStaticModuleState() {
    AFX_MODULE_STATE* s = own_state.load(std::memory_order_acquire);
    if (!s) {
        s = pw_module_state_for_address(&anchor);
        own_state.store(s, std::memory_order_release);
    }
    return s;
}

namespace {
void module_start() { pw_module_started(AfxGetStaticModuleState()); }

void module_stop() {
    AFX_MODULE_STATE* s = AfxGetStaticModuleState();
    if (!s || !s->m_bDLL) return;  // a program's state lives until the process ends
    own_state.store(nullptr);
    pw_module_stopping(s);
}

__attribute__((section(".init_array"), used)) void (*start_entry)() = module_start;
__attribute__((section(".fini_array"), used)) void (*stop_entry)() = module_stop;
}  // namespace
