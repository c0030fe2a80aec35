// The printer destination's identity, defaults, description and properties.
#include <gtest/gtest.h>

#include <cstdlib>

#include "edstprnt.h"

namespace {

class Printer : public ::testing::Test {
protected:
    void SetUp() override { err.clear(); }
};

TEST_F(Printer, IdentityOfAFreshDestination) {
    EDESTIN_PRINTER d;
    EXPECT_EQ(d.ClassID(), CID_DESTIN_PRINTER);
    EXPECT_STREQ(d.Name(), "EDESTIN_PRINTER");
    EXPECT_TRUE(d.IsA(CID_DESTIN_PRINTER));
    EXPECT_TRUE(d.IsA(CID_DESTINATION));
    EXPECT_FALSE(d.IsA(CID_CHAIN_HEAD));
    EXPECT_FALSE(d.ISAFile());
    EXPECT_TRUE(d.ISActive());
    EXPECT_EQ(d.Capabilities(), KEL_ERR_UNSUPPORTED);
    EXPECT_EQ(d.Setup(), 0);
    const char* text = nullptr;
    EXPECT_EQ(d.Description(&text), 0);
    EXPECT_STREQ(text, "-CpyPrn");
    EXPECT_EQ(d.scaling_mode, 1);
    EXPECT_EQ(d.scaling_percent, 100);
    EXPECT_EQ(d.bitmap_res, 150);
    EXPECT_NE(d.large_icon, nullptr);
    EXPECT_NE(d.small_icon, nullptr);
}

TEST_F(Printer, EmptyDescriptionIsReportedAsNotFound) {
    EDESTIN_PRINTER d;
    d.description.Empty();
    const char* text = "unchanged";
    EXPECT_EQ(d.Description(&text), KEL_ERR_NOT_FOUND);
    EXPECT_STREQ(text, "unchanged");
    auto entries = err.entries();
    ASSERT_FALSE(entries.empty());
    const auto& e = entries.back();
    EXPECT_EQ(e.message, "Description has not been set.");
    EXPECT_EQ(e.source, "edstprnt");
    EXPECT_EQ(e.code, KEL_ERR_NOT_FOUND);
    EXPECT_EQ(e.label * 1000 + e.show * 100 + e.action * 10 + e.detail, 9221);
}

TEST_F(Printer, DescriptionInEveryLanguageIsTheSame) {
    for (const char* lang : {"de_AT.UTF-8", "ja_JP.UTF-8", "C"}) {
        setenv("LANG", lang, 1);
        EDESTIN_PRINTER d;
        const char* text = nullptr;
        EXPECT_EQ(d.Description(&text), 0) << lang;
        EXPECT_STREQ(text, "-CpyPrn") << lang;
    }
}

TEST_F(Printer, EngineVariablesSetTheDefaultsOfNewDestinations) {
    EDESTIN_PRINTER before;
    ASSERT_TRUE(EVARIABLE::set("printer_default_scaling", "1.5"));
    ASSERT_TRUE(EVARIABLE::set("printer_default_res", "300"));
    EDESTIN_PRINTER after;
    EXPECT_EQ(after.scaling_mode, 3);
    EXPECT_EQ(after.scaling_percent, 150);
    EXPECT_EQ(after.default_res, 300);
    EXPECT_EQ(after.bitmap_res, 300);
    EXPECT_EQ(before.default_res, 150);
    EXPECT_EQ(before.bitmap_res, 150);
    EVALUE v;
    ASSERT_EQ(before.Get(3012, &v), 0);
    EXPECT_EQ(v.Bounds()->def, 300);  // bounds follow the variable
    EVARIABLE::set("printer_default_scaling", "1");
    EVARIABLE::set("printer_default_res", "150");
}

TEST_F(Printer, BitmapResolutionIsLimited) {
    EDESTIN_PRINTER d;
    struct {
        int id;
        double value;
        float stored;
    } cases[] = {{3012, 5, 12}, {3014, 20000, 9600}, {3012, 600, 600}, {3014, 12, 12}, {3012, 0.0 / 0.0, 12}};
    for (auto c : cases) {
        EXPECT_EQ(d.Set(c.id, EVALUE(c.value)), 0);
        EXPECT_EQ(d.bitmap_res, c.stored) << c.value;
    }
    d.Set(3012, EVALUE(600.0));
    EVALUE v;
    ASSERT_EQ(d.Get(3014, &v), 0);
    EXPECT_EQ((double)v, 600);
    ASSERT_NE(v.Bounds(), nullptr);
    EXPECT_EQ(v.Bounds()->low, 12);
    EXPECT_EQ(v.Bounds()->high, 9600);
    EXPECT_EQ(v.Bounds()->third, 1);
    EXPECT_EQ(v.Bounds()->def, 150);
}

TEST_F(Printer, ScalingProperty) {
    EDESTIN_PRINTER d;
    EVALUE v;
    ASSERT_EQ(d.Get(3015, &v), 0);
    EXPECT_EQ((double)v, 0);  // not computed yet
    EXPECT_EQ(v.Bounds()->low, 12);
    EXPECT_EQ(v.Bounds()->high, 1200);
    EXPECT_EQ(v.Bounds()->third, 1);
    EXPECT_EQ(v.Bounds()->def, 100);

    PAGE_SCALING_RECORD record{3, 50, ERECTANGLE()};
    d.page_scale = 0.8f;
    EXPECT_EQ(d.Set(3016, EVALUE((void*)&record)), 0);
    EXPECT_EQ(d.scaling_mode, 3);
    EXPECT_EQ(d.scaling_percent, 50);
    EXPECT_EQ(d.page_scale, 0.8f);
    EXPECT_EQ(d.Set(3015, EVALUE((void*)nullptr)), KEL_ERR_BAD_ARGUMENT);
    EXPECT_EQ(d.scaling_mode, 3);
}

TEST_F(Printer, FlagsAndToneSettingsKeepTheirLowBits) {
    EDESTIN_PRINTER d;
    EVALUE v;
    EXPECT_EQ(d.Set(1075, EVALUE(1)), 0);
    ASSERT_EQ(d.Get(1075, &v), 0);
    EXPECT_EQ((int)v, 1);
    EXPECT_EQ(d.use_default_res, 1);
    EXPECT_EQ(d.Set(1075, EVALUE(256)), 0);
    EXPECT_EQ(d.default_res_requested, 0);
    EXPECT_EQ(d.use_default_res, 0);
    EXPECT_EQ(d.Set(1091, EVALUE(70000)), 0);
    EXPECT_EQ(d.copy_info.brightness, 4464);
    EXPECT_EQ(d.Set(1092, EVALUE(-40)), 0);
    EXPECT_EQ(d.copy_info.contrast, -40);
    EXPECT_EQ(d.Set(1093, EVALUE(1)), 0);
    EXPECT_EQ(d.copy_info.clip_extremes, 1);
    EXPECT_EQ(d.Set(1094, EVALUE(9)), 0);
    EXPECT_EQ(d.copy_info.reserved, 9);
    EXPECT_EQ(d.Set(3017, EVALUE(0x101)), 0);
    EXPECT_EQ(d.deep_bitmaps, 1);
    EXPECT_EQ(d.Set(3010, EVALUE(2)), 0);
    ASSERT_EQ(d.Get(3010, &v), 0);
    EXPECT_EQ((int)v, 2);
    ASSERT_EQ(d.Get(3000, &v), 0);
    EXPECT_EQ((int)v, 7);
    ASSERT_EQ(d.Get(1500, &v), 0);
    EXPECT_EQ((void*)v, (void*)d.large_icon);
    ASSERT_EQ(d.Get(1501, &v), 0);
    EXPECT_EQ((void*)v, (void*)d.small_icon);
}

TEST_F(Printer, UnknownAndRefusedIds) {
    EDESTIN_PRINTER d;
    EVALUE v(5);
    for (int id : {1091, 1092, 1093, 1094, 3200, 3201, 42, 1200}) {
        EXPECT_EQ(d.Get(id, &v), KEL_ERR_UNSUPPORTED) << id;
        EXPECT_EQ((int)v, 5);
    }
    for (int id : {1500, 1501, 3000, 42})
        EXPECT_EQ(d.Set(id, v), KEL_ERR_UNSUPPORTED) << id;
}

TEST_F(Printer, PrinterNameReadsThatPrintersCapabilities) {
    EDESTIN_PRINTER d;
    EXPECT_EQ(d.Set(3201, EVALUE("Fax")), 0);
    EXPECT_EQ(d.printer_named, 1);
    EXPECT_EQ(d.bitmap_res, 204);
    EXPECT_EQ(d.printer_settings.is_colour, 0);
    EVALUE v;
    ASSERT_EQ(d.Get(3012, &v), 0);
    EXPECT_EQ(v.Bounds()->third, 0);  // a 200-dpi-class printer

    EXPECT_EQ(d.Set(3201, EVALUE("PDF")), 0);
    EXPECT_EQ(d.bitmap_res, 600);
    EXPECT_EQ(d.printer_settings.is_colour, 1);
    ASSERT_EQ(d.Get(3012, &v), 0);
    EXPECT_EQ(v.Bounds()->third, 1);

    // No such printer: accepted, but nothing can be made for it.
    EXPECT_EQ(d.Set(3201, EVALUE("No Such Printer")), 0);
    EXPECT_EQ(d.printer_settings.have_printer, 0);
    EXPECT_STREQ((const char*)d.printer_name, "No Such Printer");
}

TEST_F(Printer, CopiesNeverReleaseWhatTheOriginalOwns) {
    pw_set_print_output((::testing::TempDir() + "copies.pdf").c_str());
    auto* original = new EDESTIN_PRINTER;
    original->Set(3201, EVALUE("PDF"));
    ASSERT_EQ(original->DocSetup(), 0);
    auto* copy = new EDESTIN_PRINTER(*original);
    EXPECT_EQ(copy->printer_dc, original->printer_dc);
    EXPECT_EQ(copy->large_icon, original->large_icon);
    EXPECT_EQ(copy->blocks.length(), 0);
    EDESTIN_PRINTER assigned;
    assigned = *original;
    delete copy;  // must leave the DC and icons alone (the sanitizer build checks)
    EXPECT_EQ(original->DocDone(), 0);
    EXPECT_EQ(GetDeviceCaps(nullptr, HORZRES), 0);
    delete original;
}

}  // namespace
