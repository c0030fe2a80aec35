// The table of shared block holders (see holder_shares.h).
#include "holder_shares.h"

#include <mutex>
#include <unordered_map>

namespace rtfblk_detail {
namespace {

struct ShareTable {
    std::mutex mutex;
    std::unordered_map<EHOLDER*, int> extra;  // holder -> blocks beyond the first
};

// Never destroyed: blocks held by other modules' static objects may be
// destroyed after this module's statics, and must still find the table.
ShareTable& table() {
    static ShareTable* shared = new ShareTable;
    return *shared;
}

}  // namespace

void share_holder(EHOLDER* holder) {
    if (!holder) return;
    ShareTable& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    ++t.extra[holder];
}

bool release_holder(EHOLDER* holder) {
    if (!holder) return false;
    ShareTable& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.extra.find(holder);
    if (it == t.extra.end()) return true;
    // Erase at zero so that a later holder allocated at the same address starts
    // unshared.
    if (--it->second == 0) t.extra.erase(it);
    return false;
}

int holder_extra_shares(EHOLDER* holder) {
    ShareTable& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.extra.find(holder);
    return it == t.extra.end() ? 0 : it->second;
}

}  // namespace rtfblk_detail
