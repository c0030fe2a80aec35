// Default behaviour of the engine's object classes.
#include "kel/objects.h"

#include <atomic>

namespace {

std::atomic<int> next_object_id{1};

}  // namespace

EBASEOBJECT::EBASEOBJECT() : object_id(next_object_id.fetch_add(1)) {}
EBASEOBJECT::EBASEOBJECT(const EBASEOBJECT&) : object_id(next_object_id.fetch_add(1)) {}
EBASEOBJECT::~EBASEOBJECT() = default;

EBOOL8 EBASEOBJECT::IsA(CLASS_ID id) { return id == ClassID(); }
CLASS_ID EBASEOBJECT::ClassID() { return 0; }
const char* EBASEOBJECT::Name() { return "EBASEOBJECT"; }

int EOBJECT::Cancel() { return KEL_OK; }
int EOBJECT::Done() { return KEL_OK; }
int EOBJECT::Setup() { return KEL_OK; }
int EOBJECT::Set(int, const EVALUE&) { return KEL_ERR_UNSUPPORTED; }
int EOBJECT::Get(int, EVALUE*) { return KEL_ERR_UNSUPPORTED; }

int EDESTINATION::WantsData(int, EHOLDER**) { return KEL_ERR_UNSUPPORTED; }
int EDESTINATION::ConnectRegion(int, ESTORE*) { return KEL_ERR_UNSUPPORTED; }
int EDESTINATION::PassRegion(EMATERIAL*) { return KEL_ERR_UNSUPPORTED; }
int EDESTINATION::Sink(PROGRESSINFO*) { return KEL_ERR_UNSUPPORTED; }
int EDESTINATION::DocSetup() { return KEL_ERR_UNSUPPORTED; }
int EDESTINATION::DocDone() { return KEL_ERR_UNSUPPORTED; }
int EDESTINATION::Description(const char**) { return KEL_ERR_UNSUPPORTED; }
EBOOL8 EDESTINATION::ISActive() { return 0; }
EBOOL8 EDESTINATION::ISAFile() { return 0; }
int EDESTINATION::Capabilities() { return KEL_ERR_UNSUPPORTED; }

PROGRESSINFO::~PROGRESSINFO() = default;
