// A loadable test module with the export a chained destination module has:
// DeleteClass(index) releases an instance and answers 1 when none is left.
#include "windows.h"

namespace {
int live_instances = 2;
}

extern "C" PW_EXPORT int DeleteClass(int index) {
    if (index >= 0 && index < 2 && live_instances > 0) --live_instances;
    return live_instances == 0 ? 1 : 0;
}

// Makes the module depend on the platform layer, so that a test can check that
// GetProcAddress does not hand out the dependency's exports.
extern "C" PW_EXPORT void* chain_module_memory() { return GlobalAlloc(GMEM_FIXED, 1); }
