#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>

#include "kel/values.h"

namespace {

TEST(Value, ConvertsBetweenNumbersAndKeepsPointers) {
    char text[] = "-CpyPrn";
    int object = 0;
    struct Case {
        EVALUE value;
        int as_int;
        double as_double;
        void* as_pointer;
    };
    const Case cases[] = {
        {EVALUE((unsigned char)200), 200, 200.0, nullptr},  // an 8-bit value is unsigned
        {EVALUE(-7), -7, -7.0, nullptr},
        {EVALUE(2.75), 2, 2.75, nullptr},    // to int truncates toward zero
        {EVALUE(-2.75), -2, -2.75, nullptr},
        {EVALUE(1e300), INT_MAX, 1e300, nullptr},  // saturates instead of overflowing
        {EVALUE(std::nan("")), 0, std::nan(""), nullptr},
        {EVALUE((void*)&object), 0, 0.0, &object},
        {EVALUE((const char*)text), 0, 0.0, text},
        {EVALUE(), 0, 0.0, nullptr},
    };
    for (const Case& c : cases) {
        EXPECT_EQ((int)c.value, c.as_int);
        if (std::isnan(c.as_double)) {
            EXPECT_TRUE(std::isnan((double)c.value));
        } else {
            EXPECT_EQ((double)c.value, c.as_double);
            EXPECT_EQ((float)c.value, (float)c.as_double);
        }
        EXPECT_EQ(c.value.AsPointer(), c.as_pointer);
        EXPECT_EQ((void*)c.value.AsText(), c.as_pointer);
    }
    EVALUE copy;
    copy = EVALUE(3.5, EValue_Bounds(0, 10, 0, 1));
    EXPECT_EQ(copy.Type(), EVALUE::DOUBLE);
    EXPECT_EQ(copy.Bounds()->high, 10);
}

TEST(Value, BoundsAreInterned) {
    EVALUE_BOUNDS* a = EValue_Bounds(0.12, 12, 0, 1);
    EXPECT_EQ(a, EValue_Bounds(0.12, 12, 0, 1));
    EXPECT_NE(a, EValue_Bounds(0.12, 12, 0, 2));
    EXPECT_EQ(a->low, 0.12);
    EXPECT_EQ(a->high, 12);
    EXPECT_EQ(a->third, 0);
    EXPECT_EQ(a->def, 1);
    EXPECT_EQ(EValue_Bounds(NAN, 0, 0, 0), EValue_Bounds(NAN, 0, 0, 0));
}

TEST(Variable, FoundAndSetByName) {
    double_VARIABLE res(150, "test_default_res", "Default resolution");
    INT_VARIABLE flag(0, "test_use_flag", "A flag");
    EXPECT_EQ(EVARIABLE::find("test_default_res"), &res);
    EXPECT_STREQ(EVARIABLE::find("test_use_flag")->description(), "A flag");
    EXPECT_EQ(EVARIABLE::find("test_nothing"), nullptr);
    auto names = EVARIABLE::names();
    EXPECT_NE(std::find(names.begin(), names.end(), "test_use_flag"), names.end());

    EXPECT_TRUE(EVARIABLE::set("test_default_res", "1.5"));
    EXPECT_EQ((double)res, 1.5);
    EXPECT_EQ(res.text(), "1.5");
    EXPECT_TRUE(EVARIABLE::set("test_use_flag", " 300 "));
    EXPECT_EQ((int)flag, 300);
    EXPECT_EQ(flag.text(), "300");
    EXPECT_FALSE(EVARIABLE::set("test_nothing", "1"));
}

TEST(Variable, RejectsTextThatIsNotAValue) {
    double_VARIABLE d(2, "test_strict_double", "");
    INT_VARIABLE i(3, "test_strict_int", "");
    struct Case {
        EVARIABLE* variable;
        const char* text;
        bool accepted;
    };
    const Case cases[] = {
        {&d, "abc", false}, {&d, "", false},     {&d, "1.5x", false}, {&d, "nan", false},
        {&d, "1e999", false}, {&d, nullptr, false}, {&d, "-2e-3", true}, {&d, "+4", true},
        {&i, "1.5", false}, {&i, "abc", false}, {&i, "99999999999", false}, {&i, "12 3", false},
        {&i, "-42", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.variable->set_from_text(c.text), c.accepted) << (c.text ? c.text : "(null)");
    EXPECT_EQ((double)d, 4);  // the last accepted value; refused texts changed nothing
    EXPECT_EQ((int)i, -42);
}

TEST(Variable, DestroyedVariableIsGoneAndANewerOneShadows) {
    double_VARIABLE outer(1, "test_shadowed", "");
    {
        double_VARIABLE inner(2, "test_shadowed", "");
        EXPECT_EQ(EVARIABLE::find("test_shadowed"), &inner);
    }
    EXPECT_EQ(EVARIABLE::find("test_shadowed"), &outer);
}

}  // namespace
