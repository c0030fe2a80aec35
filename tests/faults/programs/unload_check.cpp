// Loads a module, runs its entry point and unloads it again, as the engine does
// with a plug-in. Run under valgrind (or built with LeakSanitizer), so memory a
// module keeps past its unload shows up as lost.
//
//   pw_unload_check MODULE FUNCTION [GONE...]
//
// Exit 0 when FUNCTION returned 0 and, after the unload, none of the GONE
// libraries (paths) is still loaded: memory kept by a library that stays loaded
// is still reachable and would not show as lost.
#include <dlfcn.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: pw_unload_check MODULE FUNCTION [GONE...]\n");
        return 2;
    }
    void* module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        std::fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
        return 2;
    }
    auto function = reinterpret_cast<int (*)()>(dlsym(module, argv[2]));
    if (!function) {
        std::fprintf(stderr, "%s has no %s\n", argv[1], argv[2]);
        return 2;
    }
    const int result = function();
    if (dlclose(module) != 0) {
        std::fprintf(stderr, "cannot unload %s: %s\n", argv[1], dlerror());
        return 2;
    }
    for (int i = 3; i < argc; ++i) {
        if (void* kept = dlopen(argv[i], RTLD_NOW | RTLD_NOLOAD)) {
            std::fprintf(stderr, "%s is still loaded after the unload\n", argv[i]);
            dlclose(kept);
            return 3;
        }
    }
    return result;
}
