#include <gtest/gtest.h>

#include <vector>

#include "kel/registry.h"

namespace {

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        SetRegistryAvailable(true);
        ASSERT_EQ(GetRegistryObject(&reg), 0);
        reg->Reset();
    }
    void TearDown() override {
        SetRegistryAvailable(true);
        reg->Reset();
    }
    std::vector<EBASEOBJECT*> query(CLASS_ID id) {
        EBASEOBJECT** array = reinterpret_cast<EBASEOBJECT**>(1);  // must be overwritten
        int n = reg->Query(&array, id);
        std::vector<EBASEOBJECT*> out;
        if (n == 0) {
            EXPECT_EQ(array, nullptr);
            return out;
        }
        out.assign(array, array + n);
        ::operator delete(array);
        return out;
    }
    EREGISTRY* reg = nullptr;
    EBASEOBJECT a, b, c;
};

TEST_F(Registry, QueryListsInRegistrationOrderOrGivesNull) {
    EXPECT_TRUE(query(4002).empty());
    reg->Register(&b, 4002);
    reg->Register(&a, 4002);
    reg->Register(&c, 4213);
    reg->Register(&a, 4002);  // a second registration under the same id changes nothing
    EXPECT_EQ(query(4002), (std::vector<EBASEOBJECT*>{&b, &a}));
    EXPECT_EQ(query(4213), (std::vector<EBASEOBJECT*>{&c}));
    EXPECT_EQ(reg->Query(nullptr, 4002), 2);
    EXPECT_EQ(reg->Register(nullptr, 4002), KEL_ERR_BAD_ARGUMENT);
}

TEST_F(Registry, DeRegisterRemovesEveryRegistrationAtOnce) {
    reg->Register(&a, 4002);
    reg->Register(&a, 4213);
    reg->Register(&b, 4213);
    EXPECT_EQ(reg->DeRegister(&a), 0);
    EXPECT_TRUE(query(4002).empty());
    EXPECT_EQ(query(4213), (std::vector<EBASEOBJECT*>{&b}));
    EXPECT_EQ(reg->DeRegister(&a), KEL_ERR_NOT_FOUND);
    // Registered again, it goes to the end of the order.
    reg->Register(&a, 4213);
    EXPECT_EQ(query(4213), (std::vector<EBASEOBJECT*>{&b, &a}));
}

TEST_F(Registry, UnavailableRegistryFails) {
    SetRegistryAvailable(false);
    EREGISTRY* r = nullptr;
    EXPECT_EQ(GetRegistryObject(&r), KEL_ERR_NOT_FOUND);
    EXPECT_EQ(r, nullptr);
    SetRegistryAvailable(true);
    EXPECT_EQ(GetRegistryObject(&r), 0);
    EXPECT_EQ(r, reg);  // always the same registry
    EXPECT_EQ(GetRegistryObject(nullptr), KEL_ERR_BAD_ARGUMENT);
}

}  // namespace
