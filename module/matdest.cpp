#include "matdest.h"

#include <afxwin.h>

#include <cstring>

#include "diagnostics.h"

namespace {

// Exported by every destination module: releases one instance and answers 1 when
// the module holds none any more.
typedef int (*DELETE_CLASS_FN)(int);

// A chain-heads array of the copy's own. Only whether there is one and its
// first entry are ever read, so those are what the copy keeps.
EBASEOBJECT** copy_heads(EBASEOBJECT** heads) {
    if (!heads) return nullptr;
    auto copy = static_cast<EBASEOBJECT**>(::operator new(sizeof(EBASEOBJECT*)));
    copy[0] = heads[0];
    return copy;
}

}  // namespace

CMatDestination::CMatDestination() {
    dest_trace("(Base)CMatDestination Constructor");
    chain_state = 0;
    base_version = 1;
    chained_module = nullptr;
    chained = nullptr;
    chained_instance = -1;
    chain_heads = nullptr;
}

// A copy takes every member by value, but never releases what the original
// owns: the chained destination stays the original's (the copy forgets it), and
// the copy keeps a chain-heads array of its own, so no block is freed twice.
CMatDestination::CMatDestination(const CMatDestination& other)
    : EDESTINATION(other),
      chain_state(other.chain_state),
      base_version(other.base_version),
      chained_module(nullptr),
      chained(nullptr),
      chained_instance(-1),
      chain_heads(copy_heads(other.chain_heads)) {}

CMatDestination& CMatDestination::operator=(const CMatDestination& other) {
    if (this == &other) return *this;
    EDESTINATION::operator=(other);
    chain_state = other.chain_state;
    base_version = other.base_version;
    EREGISTRY::Release(chain_heads);
    chain_heads = copy_heads(other.chain_heads);
    // What this object chained stays its own; nothing of the other's is taken over.
    return *this;
}

CMatDestination::~CMatDestination() {
    dest_trace("(Base)CMatDestination Destructor");
    FreeChainedModule();
    EREGISTRY::Release(chain_heads);
    chain_heads = nullptr;
}

int CMatDestination::RegisterObject(EBASEOBJECT* object) {
    dest_trace("(Base) RegisterObject");
    EREGISTRY* registry = nullptr;
    int rc = GetRegistryObject(&registry);
    if (rc != 0) return rc;

    EREGISTRY::Release(chain_heads);
    chain_heads = nullptr;
    registry->Query(&chain_heads, CID_CHAIN_HEAD);
    ClearChainHeads(registry);

    EBASEOBJECT** destinations = nullptr;
    int n = registry->Query(&destinations, CID_DESTINATION);
    for (int i = n - 1; i >= 0; --i) {
        if (destinations[i] == object) {
            registry->DeRegister(destinations[i]);
            break;
        }
    }
    if (chain_heads) {
        // The first head is an object of this class, built by a module of ours.
        static_cast<CMatDestination*>(chain_heads[0])->BuildChain(this);
    } else {
        registry->Register(object, CID_DESTINATION);
    }
    EREGISTRY::Release(destinations);
    return 0;
}

void CMatDestination::ClearChainHeads(EREGISTRY* registry) {
    if (!registry) return;
    EBASEOBJECT** heads = nullptr;
    int n = registry->Query(&heads, CID_CHAIN_HEAD);
    while (n > 0) {
        EBASEOBJECT** destinations = nullptr;
        int d = registry->Query(&destinations, CID_DESTINATION);
        EBASEOBJECT* head = heads[n - 1];
        bool also_destination = false;
        for (int i = d - 1; i >= 0; --i) {
            if (destinations[i] == head) {
                also_destination = true;
                break;
            }
        }
        registry->DeRegister(head);
        if (also_destination) registry->Register(head, CID_DESTINATION);
        EREGISTRY::Release(destinations);
        EREGISTRY::Release(heads);
        heads = nullptr;
        n = registry->Query(&heads, CID_CHAIN_HEAD);
    }
    EREGISTRY::Release(heads);
}

void CMatDestination::BuildChain(CMatDestination* target) {
    dest_trace("(Base) BuildChain");
    if (!chained) chained = target;
}

int CMatDestination::FreeChainedModule() {
    dest_trace("(Base)FreeChainedModule");
    // Nothing is released while a page is under way.
    if (chain_state != 0) return 0;
    if (!chained) return 0;
    if (chained_module) {
        auto delete_class = reinterpret_cast<DELETE_CLASS_FN>(reinterpret_cast<void*>(GetProcAddress(chained_module, "DeleteClass")));
        if (delete_class) {
            if (delete_class(chained_instance) != 0) {
                FreeLibrary(chained_module);
                chained_module = nullptr;
            }
        } else {
            FreeLibrary(chained_module);
            chained_module = nullptr;
        }
    } else {
        delete chained;
    }
    chained = nullptr;
    chain_state = 0;
    EREGISTRY* registry = nullptr;
    if (GetRegistryObject(&registry) == 0) ClearChainHeads(registry);
    return 0;
}

// ---- forwarders -------------------------------------------------------------

EBOOL8 CMatDestination::IsA(CLASS_ID id) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    dest_trace("(Base) IsA");
    if (chained) return chained->IsA(id);
    return id == CID_DESTINATION;
}

CLASS_ID CMatDestination::ClassID() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    dest_trace("(Base) ClassID");
    return chain_heads ? CID_CHAIN_HEAD : CID_DESTINATION;
}

const char* CMatDestination::Name() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    dest_trace("(Base) Name");
    if (chained) return chained->Name();
    return "Unknown";
}

int CMatDestination::Cancel() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    dest_trace("(Base) Cancel");
    if (chain_state < 1 || chain_state > 3) return KEL_ERR_BAD_STATE;
    if (!chained) return KEL_CANCELLED;
    int rc = chained->Cancel();
    if (rc == 0) chain_state = 0;
    return rc;
}

int CMatDestination::Set(int id, const EVALUE& value) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    dest_trace("(Base) Set");
    if (chain_state != 0) return KEL_ERR_BAD_STATE;
    return chained ? chained->Set(id, value) : 0;
}

int CMatDestination::Get(int id, EVALUE* value) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    dest_trace("(Base) Get");
    // The base's own version number, whether chained or not; the value is untouched.
    if (id == PROP_BASE_VERSION) return base_version;
    return chained ? chained->Get(id, value) : KEL_ERR_UNSUPPORTED;
}

int CMatDestination::WantsData(int region_id, EHOLDER** holder) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    dest_trace("(Base) WantsData");
    if (chain_state != 1 && chain_state != 2) return KEL_ERR_BAD_STATE;
    chain_state = 2;
    return chained ? chained->WantsData(region_id, holder) : 0;
}

int CMatDestination::ConnectRegion(int region_id, ESTORE* store) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    dest_trace("(Base) ConnectRegion");
    if (chain_state != 2) return KEL_ERR_BAD_STATE;
    return chained ? chained->ConnectRegion(region_id, store) : 0;
}

int CMatDestination::PassRegion(EMATERIAL* material) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    dest_trace("(Base) PassRegion");
    if (chain_state != 0 && chain_state != 1) return KEL_ERR_BAD_STATE;
    chain_state = 1;
    return chained ? chained->PassRegion(material) : 0;
}

int CMatDestination::Sink(PROGRESSINFO* progress) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    dest_trace("(Base) Sink");
    if (chain_state != 2 && chain_state != 3) return KEL_ERR_BAD_STATE;
    chain_state = 3;
    if (progress) progress->Start(1);
    int rc = chained ? chained->Sink(progress) : 0;
    chain_state = 0;
    return rc;
}

int CMatDestination::DocSetup() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    dest_trace("(Base) DocSetup");
    if (chain_state != 0) return KEL_ERR_BAD_STATE;
    return chained ? chained->DocSetup() : 0;
}

int CMatDestination::DocDone() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    dest_trace("(Base) DocDone");
    if (chain_state != 0) return KEL_ERR_BAD_STATE;
    return chained ? chained->DocDone() : 0;
}

// Without a chained destination there is no description to give: the text is
// left alone and the caller learns that nothing was found.
int CMatDestination::Description(const char** text) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return chained ? chained->Description(text) : KEL_ERR_NOT_FOUND;
}

// An unchained head is not active: it has nothing to print with.
EBOOL8 CMatDestination::ISActive() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    dest_trace("(Base) IsActive");
    return chained ? chained->ISActive() : 0;
}

EBOOL8 CMatDestination::IsChained() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    dest_trace("(Base) IsChained");
    return chained != nullptr;
}
