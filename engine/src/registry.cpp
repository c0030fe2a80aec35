// The engine's object registry and the process-wide registry object.
#include "kel/registry.h"

#include <algorithm>
#include <atomic>

int EREGISTRY::Query(EBASEOBJECT*** objects, CLASS_ID id) {
    std::lock_guard<std::mutex> lock(mutex_);
    size_t count = 0;
    for (const auto& entry : entries_)
        if (entry.second == id) ++count;
    if (objects == nullptr) return (int)count;
    *objects = nullptr;
    if (count == 0) return 0;
    // ::operator new, because callers release the array with ::operator delete.
    void* memory = ::operator new(count * sizeof(EBASEOBJECT*), std::nothrow);
    if (memory == nullptr) return 0;
    EBASEOBJECT** array = static_cast<EBASEOBJECT**>(memory);
    size_t n = 0;
    for (const auto& entry : entries_)
        if (entry.second == id) array[n++] = entry.first;
    *objects = array;
    return (int)count;
}

int EREGISTRY::Register(EBASEOBJECT* object, CLASS_ID id) {
    if (object == nullptr) return KEL_ERR_BAD_ARGUMENT;
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& entry : entries_)
        if (entry.first == object && entry.second == id) return KEL_OK;
    entries_.emplace_back(object, id);
    return KEL_OK;
}

int EREGISTRY::DeRegister(EBASEOBJECT* object) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto removed = std::remove_if(entries_.begin(), entries_.end(),
                                  [object](const auto& entry) { return entry.first == object; });
    bool found = removed != entries_.end();
    entries_.erase(removed, entries_.end());
    return found ? KEL_OK : KEL_ERR_NOT_FOUND;
}

void EREGISTRY::Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.clear();
}

namespace {

std::atomic<bool> registry_available{true};

EREGISTRY& the_registry() {
    // Never destroyed: modules unloaded at exit may still deregister their objects
    // after this unit's static objects are gone.
    static EREGISTRY* registry = new EREGISTRY;
    return *registry;
}

}  // namespace

int GetRegistryObject(EREGISTRY** registry) {
    if (registry == nullptr) return KEL_ERR_BAD_ARGUMENT;
    if (!registry_available.load()) return KEL_ERR_NOT_FOUND;
    *registry = &the_registry();
    return KEL_OK;
}

void SetRegistryAvailable(bool available) { registry_available.store(available); }
