// A loadable test module whose application object refuses to start.
#include "afxwin.h"

namespace {
class CRefusingApp : public CWinApp {
public:
    BOOL InitInstance() override { return FALSE; }
};
CRefusingApp the_app;
}  // namespace

extern "C" PW_EXPORT int fail_module_present() { return 1; }
