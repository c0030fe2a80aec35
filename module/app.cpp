#include "app.h"

#include <new>

EDESTIN_PRINTER* instance_table[kInstanceTableSize] = {};
int32_t instance_count = 0;

namespace {

class CPagewrightApp : public CWinApp {
public:
    CPagewrightApp() : CWinApp(nullptr) {}

    BOOL InitInstance() override {
        instance_table[0] = new (std::nothrow) EDESTIN_PRINTER;
        instance_count = 1;
        return CWinApp::InitInstance();
    }

    int ExitInstance() override {
        for (int i = instance_count - 1; i >= 0; --i) {
            delete instance_table[i];
            instance_table[i] = nullptr;
        }
        return CWinApp::ExitInstance();
    }
};

CPagewrightApp the_app;

}  // namespace

extern "C" int NewClass() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (instance_count >= kInstanceTableSize) return -1;
    EDESTIN_PRINTER* destination = new (std::nothrow) EDESTIN_PRINTER;
    instance_table[instance_count] = destination;
    if (!destination) return -1;
    int index = instance_count++;
    return destination->chain_heads ? index : 0;
}

extern "C" int DeleteClass(int index) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (index >= 0 && index < kInstanceTableSize && instance_table[index]) {
        delete instance_table[index];
        instance_table[index] = nullptr;
    }
    for (int i = instance_count - 1; i >= 0; --i)
        if (instance_table[i]) return 0;
    return 1;
}
