// The block list: refuses copying and assignment, owns and destroys its blocks.
#include "rtfblk.h"

RTFBLK_LIST::RTFBLK_LIST(const RTFBLK_LIST&) : ELIST() {
    // Two lists holding the same blocks would destroy them twice.
    ERR_NO_LIST_COPY.error("RTFBLK_LIST", 2);
}

void RTFBLK_LIST::operator=(const RTFBLK_LIST&) { ERR_NO_LIST_ASSIGN.error("RTFBLK_LIST", 2); }

void RTFBLK_LIST::clear() { internal_clear(&RTFBLK_zapper); }

void RTFBLK_LIST::deep_copy(const RTFBLK_LIST* source) {
    if (source) internal_deep_copy(&RTFBLK_copier, source);
}
