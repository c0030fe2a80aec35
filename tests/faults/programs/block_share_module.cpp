// A module linked against the plug-in (so loading it loads "pagewright.dst" and
// unloading it unloads the plug-in): copies a page block so that two blocks
// share one holder, then lets both go. Loaded by unload_check.cpp.
#include "rtfblk.h"
#include "kel/holders.h"

extern "C" __attribute__((visibility("default"))) int share_a_holder() {
    RTFBLK* original = new RTFBLK;
    original->set_bitmap(new EBITMAP);
    RTFBLK* copy = new RTFBLK(*original);
    const bool shared = copy->get_holder() == original->get_holder();
    delete original;
    delete copy;  // the last block deletes the holder
    return shared ? 0 : 1;
}
