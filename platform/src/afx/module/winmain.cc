// winplat_main: the entry point of a framework program. It runs the program's
// application object (a global CWinApp subclass) with AfxWinMain.
#include "pw/afx_app.h"

int main(int argc, char** argv) { return AfxWinMain(argc, argv); }
