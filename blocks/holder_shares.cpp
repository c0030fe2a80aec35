// The table of shared block holders (see holder_shares.h).
#include "holder_shares.h"

#include <mutex>
#include <unordered_map>

namespace rtfblk_detail {
namespace {

using ShareMap = std::unordered_map<EHOLDER*, int>;  // holder -> blocks beyond the first

// The map is made on first use and freed with the module's statics (at unload)
// when it is empty by then. Blocks held by other modules' static objects may be
// destroyed later still: while any holder is shared the map is left for them, and
// a block that comes after the map was freed gets a new, empty one. Both objects
// here have constant initialisers, so they exist before any block can ask.
constinit std::mutex table_mutex;

struct TableOwner {
    ShareMap* map = nullptr;
    ~TableOwner() {
        std::lock_guard<std::mutex> lock(table_mutex);
        if (map && map->empty()) {
            delete map;
            map = nullptr;
        }
    }
};
constinit TableOwner owner;

// Call with table_mutex held.
ShareMap& table() {
    if (!owner.map) owner.map = new ShareMap;
    return *owner.map;
}

}  // namespace

void share_holder(EHOLDER* holder) {
    if (!holder) return;
    std::lock_guard<std::mutex> lock(table_mutex);
    ++table()[holder];
}

bool release_holder(EHOLDER* holder) {
    if (!holder) return false;
    std::lock_guard<std::mutex> lock(table_mutex);
    if (!owner.map) return true;  // nothing was ever shared (or the module is gone)
    ShareMap& t = *owner.map;
    auto it = t.find(holder);
    if (it == t.end()) return true;
    // Erase at zero so that a later holder allocated at the same address starts
    // unshared.
    if (--it->second == 0) t.erase(it);
    return false;
}

int holder_extra_shares(EHOLDER* holder) {
    std::lock_guard<std::mutex> lock(table_mutex);
    if (!owner.map) return 0;
    auto it = owner.map->find(holder);
    return it == owner.map->end() ? 0 : it->second;
}

}  // namespace rtfblk_detail
