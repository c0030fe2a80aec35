// The module as the engine sees it: loaded from its file, destinations found in
// the registry, made and released through NewClass and DeleteClass.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "kel/kel.h"
#include "matdest.h"

namespace {

const std::string kModule = std::string(PW_BIN_DIR) + "/pagewright.dst";

int registered(CLASS_ID id) {
    EREGISTRY* registry = nullptr;
    EXPECT_EQ(GetRegistryObject(&registry), 0);
    EBASEOBJECT** list = nullptr;
    int n = registry->Query(&list, id);
    EREGISTRY::Release(list);
    return n;
}

class Factory : public ::testing::Test {
protected:
    void SetUp() override {
        EREGISTRY* registry = nullptr;
        ASSERT_EQ(GetRegistryObject(&registry), 0);
        registry->Reset();
        module = LoadLibraryA(kModule.c_str());
        ASSERT_NE(module, nullptr) << kModule;
        new_class = reinterpret_cast<int (*)()>(reinterpret_cast<void*>(GetProcAddress(module, "NewClass")));
        delete_class =
            reinterpret_cast<int (*)(int)>(reinterpret_cast<void*>(GetProcAddress(module, "DeleteClass")));
        ASSERT_TRUE(new_class && delete_class);
    }
    void TearDown() override {
        if (module) FreeLibrary(module);
        EXPECT_EQ(dlopen(kModule.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr) << "module stayed loaded";
        EREGISTRY* registry = nullptr;
        GetRegistryObject(&registry);
        registry->Reset();
    }

    HMODULE module = nullptr;
    int (*new_class)() = nullptr;
    int (*delete_class)(int) = nullptr;
};

TEST_F(Factory, LoadingMakesDestinationZeroInTheRegistry) {
    EREGISTRY* registry = nullptr;
    GetRegistryObject(&registry);
    EBASEOBJECT** list = nullptr;
    ASSERT_EQ(registry->Query(&list, CID_DESTINATION), 1);
    auto* destination = static_cast<EDESTINATION*>(list[0]);
    EREGISTRY::Release(list);
    EXPECT_EQ(destination->ClassID(), CID_DESTIN_PRINTER);
    EXPECT_STREQ(destination->Name(), "EDESTIN_PRINTER");
    const char* text = nullptr;
    EXPECT_EQ(destination->Description(&text), 0);
    EXPECT_STREQ(text, "-CpyPrn");
}

TEST_F(Factory, FourMoreThenTheTableIsFull) {
    for (int i = 0; i < 4; ++i) EXPECT_EQ(new_class(), 0) << i;
    EXPECT_EQ(registered(CID_DESTINATION), 5);
    EXPECT_EQ(new_class(), -1);
    for (int i = 4; i >= 0; --i) EXPECT_EQ(delete_class(i), i == 0 ? 1 : 0);
    // Entries are never reused.
    EXPECT_EQ(new_class(), -1);
}

TEST_F(Factory, DeleteClassSequences) {
    EXPECT_EQ(new_class(), 0);
    EXPECT_EQ(delete_class(1), 0);  // entry 0 still holds the start-up destination
    EXPECT_EQ(delete_class(0), 1);
    EXPECT_EQ(delete_class(1), 1);  // nothing left to destroy
    EXPECT_EQ(delete_class(7), 1);
    EXPECT_EQ(delete_class(-1), 1);
}

// A chain head waiting in the registry: the next destination chains itself to
// it and NewClass answers its entry index instead of 0.
TEST_F(Factory, NewClassReportsTheEntryOfAChainedDestination) {
    // The head must be an object of the chained base; the module's own
    // destination 0 is one: register it as a head.
    EREGISTRY* registry = nullptr;
    GetRegistryObject(&registry);
    EBASEOBJECT** list = nullptr;
    ASSERT_EQ(registry->Query(&list, CID_DESTINATION), 1);
    EBASEOBJECT* zero = list[0];
    EREGISTRY::Release(list);
    registry->Register(zero, CID_CHAIN_HEAD);

    EXPECT_EQ(new_class(), 1);
    EXPECT_EQ(registered(CID_CHAIN_HEAD), 0);
    EXPECT_EQ(registered(CID_DESTINATION), 1);  // only destination 0; the new one is reachable through it
    auto* head = static_cast<EDESTINATION*>(zero);
    EVALUE v;
    EXPECT_EQ(head->Get(3000, &v), 0);
    EXPECT_EQ((int)v, 7);
    auto* base = static_cast<CMatDestination*>(zero);
    ASSERT_NE(base->chained, nullptr);
    EXPECT_EQ(base->chained->ClassID(), CID_DESTIN_PRINTER);
    // Both are the module's table's to release at unload, not the head's.
    base->chained = nullptr;
}

}  // namespace
