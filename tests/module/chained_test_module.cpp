// A destination module of its own: its destinations are built on the chained
// base, so a new one chains itself to a waiting chain head.
#include <dlfcn.h>

#include "matdest.h"

namespace {

class ChainedDestination : public CMatDestination {
public:
    ChainedDestination() { RegisterObject(this); }
    const char* Name() override { return "ChainedDestination"; }
    int DocSetup() override { return 0x1234; }
};

ChainedDestination* instances[2] = {};
int made = 0;

}  // namespace

extern "C" __attribute__((visibility("default"))) int NewClass() {
    if (made >= 2) return -1;
    instances[made] = new ChainedDestination;
    return made++;
}

extern "C" __attribute__((visibility("default"))) int DeleteClass(int index) {
    if (index >= 0 && index < 2 && instances[index]) {
        delete instances[index];
        instances[index] = nullptr;
    }
    for (auto* d : instances)
        if (d) return 0;
    return 1;
}
