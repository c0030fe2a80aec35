// CMatDestination: the destination base between the engine's EDESTINATION and the
// printer destination. It registers a finished destination with the engine (or
// chains it to a waiting chain head), and, as a chain head, forwards every
// destination call to its chained destination under a small page state machine:
//
//   0 idle -> PassRegion -> 1 regions -> WantsData -> 2 data -> Sink -> 3 (then 0)
//
// Calls out of that order answer KEL_ERR_BAD_STATE and forward nothing.
// Ownership: `chained` is owned; when it came from another module
// (`chained_module`) it is released through that module's "DeleteClass",
// otherwise destroyed directly. `chain_heads` is the registry's array, kept until
// destruction.
#pragma once

#include <windows.h>

#include "kel/kel.h"

class PW_EXPORT CMatDestination : public EDESTINATION {
public:
    CMatDestination();
    ~CMatDestination() override;

    // Virtual operations in the engine's table order.
    EBOOL8 IsA(CLASS_ID id) override;
    CLASS_ID ClassID() override;
    const char* Name() override;
    int Cancel() override;
    int Set(int id, const EVALUE& value) override;
    int Get(int id, EVALUE* value) override;
    int WantsData(int region_id, EHOLDER** holder) override;
    int ConnectRegion(int region_id, ESTORE* store) override;
    int PassRegion(EMATERIAL* material) override;
    int Sink(PROGRESSINFO* progress) override;
    int DocSetup() override;
    int DocDone() override;
    int Description(const char** text) override;
    EBOOL8 ISActive() override;
    virtual EBOOL8 IsChained();

    // Enters `object` (the complete destination) into the registry, or chains this
    // object to the first waiting chain head. Returns 0, or the registry's failure.
    int RegisterObject(EBASEOBJECT* object);
    // Removes every class-4213 registration; objects also registered as
    // destinations stay registered under 4002.
    static void ClearChainHeads(EREGISTRY* registry);
    // Called on a chain head: the first destination to chain to it keeps it.
    void BuildChain(CMatDestination* target);

    int32_t chain_state;
    int32_t base_version;
    HMODULE chained_module;
    EDESTINATION* chained;
    int32_t chained_instance;
    EBASEOBJECT** chain_heads;

protected:
    // A copy shares nothing that this object releases: see the copy constructor.
    CMatDestination(const CMatDestination& other);
    CMatDestination& operator=(const CMatDestination& other);

private:
    int FreeChainedModule();
};
