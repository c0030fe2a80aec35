// The engine's object registry: objects registered under class ids.
#pragma once

#include <mutex>
#include <new>
#include <utility>
#include <vector>

#include "kel/objects.h"

class KEL_API EREGISTRY {
public:
    // Stores in *objects a new array (allocated with ::operator new; the caller
    // releases it with ::operator delete, or Release) of the objects registered
    // under `id`, in the order of registration, or null when there are none;
    // returns the count. A null `objects` only counts.
    int Query(EBASEOBJECT*** objects, CLASS_ID id);
    static void Release(EBASEOBJECT** objects) { ::operator delete(objects); }
    // Registers `object` under `id` (once per id: registering again changes nothing).
    // 0, or KEL_ERR_BAD_ARGUMENT for a null object.
    int Register(EBASEOBJECT* object, CLASS_ID id);
    // Removes every registration of `object` at once. 0, or KEL_ERR_NOT_FOUND when
    // the object had none.
    int DeRegister(EBASEOBJECT* object);

    // For tests and the host: drops every registration.
    void Reset();

private:
    std::mutex mutex_;
    std::vector<std::pair<EBASEOBJECT*, CLASS_ID>> entries_;
};

// Stores the engine's registry in *registry and returns 0; any other result is a
// failure code. Tests can make it fail (see SetRegistryAvailable).
KEL_API int GetRegistryObject(EREGISTRY** registry);
// Makes GetRegistryObject fail with KEL_ERR_NOT_FOUND while `available` is false.
KEL_API void SetRegistryAvailable(bool available);
