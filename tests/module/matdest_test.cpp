// The chained destination base: registration, chain release, the page state
// machine and the trace routine.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "diagnostics.h"
#include "matdest.h"

namespace {

// A destination on the base that registers itself like the printer does.
class Dest : public CMatDestination {
public:
    explicit Dest(bool do_register = true) {
        if (do_register) RegisterObject(this);
    }
};

// A chained destination that records what reached it.
class Recorder : public EDESTINATION {
public:
    std::string calls;
    int cancel_result = 0;
    int Cancel() override { return calls += "Cancel ", cancel_result; }
    int Set(int, const EVALUE&) override { return calls += "Set ", 11; }
    int Get(int, EVALUE*) override { return calls += "Get ", 12; }
    int WantsData(int, EHOLDER**) override { return calls += "WantsData ", 13; }
    int ConnectRegion(int, ESTORE*) override { return calls += "ConnectRegion ", 14; }
    int PassRegion(EMATERIAL*) override { return calls += "PassRegion ", 15; }
    int Sink(PROGRESSINFO*) override { return calls += "Sink ", 16; }
    int DocSetup() override { return calls += "DocSetup ", 17; }
    int DocDone() override { return calls += "DocDone ", 18; }
};

int count_in(CLASS_ID id, EBASEOBJECT* object = nullptr) {
    EREGISTRY* registry = nullptr;
    EXPECT_EQ(GetRegistryObject(&registry), 0);
    EBASEOBJECT** list = nullptr;
    int n = registry->Query(&list, id);
    int hits = 0;
    for (int i = 0; i < n; ++i)
        if (!object || list[i] == object) ++hits;
    EREGISTRY::Release(list);
    return hits;
}

class MatDest : public ::testing::Test {
protected:
    void SetUp() override {
        EREGISTRY* registry = nullptr;
        ASSERT_EQ(GetRegistryObject(&registry), 0);
        registry->Reset();
        err.clear();
    }
    EREGISTRY* registry() {
        EREGISTRY* r = nullptr;
        GetRegistryObject(&r);
        return r;
    }
};

TEST_F(MatDest, RegistersOnceUnderDestinationsWhenNoHeadWaits) {
    Dest d(false);
    registry()->Register(&d, CID_DESTINATION);  // already there
    EXPECT_EQ(d.RegisterObject(&d), 0);
    EXPECT_EQ(count_in(CID_DESTINATION, &d), 1);
    EXPECT_EQ(d.chain_heads, nullptr);
    EXPECT_EQ(d.ClassID(), CID_DESTINATION);
}

TEST_F(MatDest, ChainsToTheFirstOfTwoHeads) {
    Dest head1(false), head2(false);
    registry()->Register(&head1, CID_CHAIN_HEAD);
    registry()->Register(&head2, CID_DESTINATION);
    registry()->Register(&head2, CID_CHAIN_HEAD);

    Dest d;
    EXPECT_EQ(count_in(CID_CHAIN_HEAD), 0);
    EXPECT_EQ(count_in(CID_DESTINATION, &head2), 1);  // a head that was a destination stays one
    EXPECT_EQ(count_in(CID_DESTINATION, &d), 0);      // reachable only through the head
    EXPECT_EQ(head1.chained, &d);
    EXPECT_EQ(head2.chained, nullptr);
    EXPECT_EQ(d.ClassID(), CID_CHAIN_HEAD);
    EXPECT_TRUE(head1.IsChained());
    head1.chained = nullptr;  // d lives on the stack: not the head's to release
}

TEST_F(MatDest, AHeadKeepsTheFirstDestinationThatChainedToIt) {
    Dest head(false);
    Dest first(false), second(false);
    head.BuildChain(&first);
    head.BuildChain(&second);
    EXPECT_EQ(head.chained, &first);
    head.chained = nullptr;
}

TEST_F(MatDest, NoRegistryMeansNoRegistration) {
    SetRegistryAvailable(false);
    Dest d(false);
    int rc = d.RegisterObject(&d);
    SetRegistryAvailable(true);
    EXPECT_NE(rc, 0);
    EXPECT_EQ(count_in(CID_DESTINATION, &d), 0);
}

// The page state machine, call by call: result, state after, what was forwarded.
struct Step {
    const char* call;
    int expected;  // result when chained to the recorder
    int state_after;
};

int call(CMatDestination& d, const std::string& what) {
    EVALUE v;
    if (what == "PassRegion") return d.PassRegion(nullptr);
    if (what == "WantsData") return d.WantsData(1, nullptr);
    if (what == "ConnectRegion") return d.ConnectRegion(1, nullptr);
    if (what == "Sink") return d.Sink(nullptr);
    if (what == "Set") return d.Set(5, v);
    if (what == "Get") return d.Get(5, &v);
    if (what == "DocSetup") return d.DocSetup();
    if (what == "DocDone") return d.DocDone();
    if (what == "Cancel") return d.Cancel();
    ADD_FAILURE() << what;
    return 0;
}

TEST_F(MatDest, PageStateMachineAcceptsAndRefuses) {
    const Step steps[] = {
        {"ConnectRegion", KEL_ERR_BAD_STATE, 0},  // before any WantsData
        {"WantsData", KEL_ERR_BAD_STATE, 0},
        {"Sink", KEL_ERR_BAD_STATE, 0},
        {"Cancel", KEL_ERR_BAD_STATE, 0},
        {"DocSetup", 17, 0},
        {"PassRegion", 15, 1},
        {"PassRegion", 15, 1},
        {"Set", KEL_ERR_BAD_STATE, 1},  // not during a page
        {"DocDone", KEL_ERR_BAD_STATE, 1},
        {"Get", 12, 1},  // always
        {"ConnectRegion", KEL_ERR_BAD_STATE, 1},
        {"WantsData", 13, 2},
        {"PassRegion", KEL_ERR_BAD_STATE, 2},
        {"ConnectRegion", 14, 2},
        {"WantsData", 13, 2},
        {"Sink", 16, 0},
        {"Sink", KEL_ERR_BAD_STATE, 0},  // the state is back at 0
        {"Set", 11, 0},
        {"DocDone", 18, 0},
    };
    Dest head(false);
    Recorder recorder;
    head.chained = &recorder;
    std::string forwarded;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.call);
        EXPECT_EQ(call(head, s.call), s.expected);
        EXPECT_EQ(head.chain_state, s.state_after);
        if (s.expected != KEL_ERR_BAD_STATE) forwarded += std::string(s.call) + " ";
    }
    EXPECT_EQ(recorder.calls, forwarded);
    head.chained = nullptr;
}

TEST_F(MatDest, CancelReturnsToIdleOnlyWhenTheChainedCancelSucceeds) {
    Dest head(false);
    Recorder recorder;
    head.chained = &recorder;
    head.chain_state = 2;
    recorder.cancel_result = KEL_ERR_NO_MEMORY;
    EXPECT_EQ(head.Cancel(), KEL_ERR_NO_MEMORY);
    EXPECT_EQ(head.chain_state, 2);
    recorder.cancel_result = 0;
    EXPECT_EQ(head.Cancel(), 0);
    EXPECT_EQ(head.chain_state, 0);
    head.chained = nullptr;
}

TEST_F(MatDest, UnchainedResults) {
    Dest d(false);
    EVALUE v(42);
    EXPECT_EQ(d.Get(1200, &v), 1);
    EXPECT_EQ((int)v, 42);  // untouched
    EXPECT_EQ(d.Get(5, &v), KEL_ERR_UNSUPPORTED);
    EXPECT_TRUE(d.IsA(CID_DESTINATION));
    EXPECT_FALSE(d.IsA(CID_CHAIN_HEAD));
    EXPECT_STREQ(d.Name(), "Unknown");
    EXPECT_FALSE(d.IsChained());

    d.chain_state = 2;
    EXPECT_EQ(d.Cancel(), KEL_CANCELLED);
    EXPECT_EQ(d.chain_state, 2);
    EXPECT_EQ(d.Sink(nullptr), 0);
    EXPECT_EQ(d.chain_state, 0);
    EXPECT_EQ(d.Cancel(), KEL_ERR_BAD_STATE);
}

TEST_F(MatDest, DestroyingAHeadReleasesItsChainedDestination) {
    auto* head = new Dest(false);
    auto* chained = new Dest(false);
    head->chained = chained;
    head->chain_state = 1;
    delete head;  // mid-page: nothing released
    EXPECT_EQ(chained->chain_state, 0);

    head = new Dest(false);
    head->chained = chained;
    delete head;  // idle: the chained destination goes with it (checked by the sanitizer build)
}

TEST_F(MatDest, ChainedDestinationFromAnotherModuleIsReleasedThroughItsDeleteClass) {
    const std::string path = std::string(PW_BIN_DIR) + "/chained_test_module.dst";
    Dest* head = new Dest(false);
    registry()->Register(head, CID_CHAIN_HEAD);

    HMODULE module = LoadLibraryA(path.c_str());
    ASSERT_NE(module, nullptr);
    auto new_class = reinterpret_cast<int (*)()>(reinterpret_cast<void*>(GetProcAddress(module, "NewClass")));
    ASSERT_NE(new_class, nullptr);
    int index = new_class();
    ASSERT_EQ(index, 0);
    ASSERT_NE(head->chained, nullptr);
    EXPECT_STREQ(head->Name(), "ChainedDestination");
    EXPECT_EQ(head->DocSetup(), 0x1234);
    head->chained_module = module;
    head->chained_instance = index;

    delete head;
    EXPECT_EQ(dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr) << "module still loaded";
}

TEST(DestTrace, CutsAt199CharactersAndKeepsPercentSigns) {
    struct Case {
        std::string text;
        std::string logged;
    } cases[] = {
        {std::string(250, 'a'), std::string(199, 'a')},
        {std::string(199, 'b'), std::string(199, 'b')},
        {std::string(198, 'c'), std::string(198, 'c') + "\n"},
        {"0123456789", "0123456789\n"},
    };
    for (const Case& c : cases) {
        err.clear();
        dest_trace("%s", c.text.c_str());
        auto entries = err.entries();
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].message, c.logged);
        EXPECT_EQ(entries[0].source, "Destination");
        EXPECT_EQ(entries[0].code, 0);
        EXPECT_EQ(entries[0].line, 0);
        EXPECT_EQ(entries[0].label * 1000 + entries[0].show * 100 + entries[0].action * 10 + entries[0].detail,
                  9224);
    }
    err.clear();
    dest_trace("%s", "100%s sure %d");
    EXPECT_EQ(err.entries().at(0).message, "100%s sure %d\n");
}

TEST_F(MatDest, EveryForwarderWritesItsTraceLine) {
    Dest d(false);
    err.clear();
    d.chain_state = 2;
    d.ConnectRegion(1, nullptr);
    auto entries = err.entries();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.back().message, "(Base) ConnectRegion\n");
}

}  // namespace
