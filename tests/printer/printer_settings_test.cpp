// The printer-settings record against the platform's printers and scripted print
// dialogs.
#include <gtest/gtest.h>

#include "edstprnt.h"
#include "pw/device.h"
#include "pw/raster_device.h"
#include "test_engine.h"
#include "test_printers.h"

using namespace testengine;

namespace {

std::vector<std::pair<int, int>> resolution_list(const CPrinterSettings& s) {
    std::vector<std::pair<int, int>> list;
    auto* pairs = static_cast<int32_t*>(GlobalLock(s.resolutions_handle));
    for (int i = 0; pairs && i < s.resolution_count; ++i) list.emplace_back(pairs[2 * i], pairs[2 * i + 1]);
    if (pairs) GlobalUnlock(s.resolutions_handle);
    return list;
}

class Settings : public ::testing::Test {
protected:
    void SetUp() override { pw_set_default_printer("Raster600"); }
    void TearDown() override {
        pw_set_print_dialog_provider({});
        pw_set_default_printer(nullptr);
    }
    void script(std::vector<PW_PRINT_DIALOG_ANSWER> answers) {
        asked.clear();
        pw_set_print_dialog_provider(pw_print_dialog_script(std::move(answers), &asked));
    }
    std::vector<PW_PRINT_DIALOG_REQUEST> asked;
};

TEST_F(Settings, TheResolutionListIsSortedByItsHorizontalValue) {
    CPrinterSettings s;
    script({PW_PRINT_DIALOG_ANSWER::Ok("Sorted")});
    ASSERT_EQ(s.choose_printer(1), 1);
    using R = std::vector<std::pair<int, int>>;
    EXPECT_EQ(resolution_list(s), (R{{300, 300}, {600, 600}, {1200, 600}}));
    EXPECT_STREQ((const char*)s.device_name, "Sorted");

    // The DEVMODE decides when it names its resolution, else the highest listed.
    auto* mode = static_cast<DEVMODEA*>(GlobalLock(s.dev_mode));
    ASSERT_NE(mode, nullptr);
    mode->dmFields |= DM_YRESOLUTION;
    mode->dmPrintQuality = 300;
    mode->dmYResolution = 300;
    GlobalUnlock(s.dev_mode);
    s.read_capabilities(CString());
    EXPECT_EQ(s.resolution, 300);
    mode = static_cast<DEVMODEA*>(GlobalLock(s.dev_mode));
    mode->dmFields &= ~DM_YRESOLUTION;
    GlobalUnlock(s.dev_mode);
    s.read_capabilities(CString());
    EXPECT_EQ(s.resolution, 1200);

    script({PW_PRINT_DIALOG_ANSWER::Ok("Stable")});
    ASSERT_EQ(s.choose_printer(0), 1);
    EXPECT_EQ(resolution_list(s), (R{{300, 300}, {300, 150}}));
    EXPECT_TRUE(asked.at(0).setup_only);
}

TEST_F(Settings, ANamedPrinterThatDoesNotExist) {
    CPrinterSettings s;
    CString name = "No Such Printer";
    s.read_capabilities(name);
    EXPECT_EQ(s.have_printer, 0);
    EXPECT_EQ(s.create_printer_dc(name), nullptr);
}

TEST_F(Settings, CancelKeepsTheDefaultThatWasTaken) {
    CPrinterSettings s;
    script({PW_PRINT_DIALOG_ANSWER::Cancel()});
    EXPECT_EQ(s.choose_printer(1), 0);
    EXPECT_EQ(s.have_printer, 1);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].current, "Raster600");
}

TEST_F(Settings, TheChoiceFollowsTheDefaultOnlyWhenItWasTheDefault) {
    CPrinterSettings s;
    script({PW_PRINT_DIALOG_ANSWER::Ok(), PW_PRINT_DIALOG_ANSWER::Ok()});
    ASSERT_EQ(s.choose_printer(1), 1);  // the default, Raster600
    EXPECT_STREQ((const char*)s.device_name, "Raster600");
    pw_set_default_printer("Sorted");
    ASSERT_EQ(s.choose_printer(1), 1);
    EXPECT_EQ(asked.at(1).current, "Sorted");  // opens on the new default
    EXPECT_STREQ((const char*)s.device_name, "Sorted");

    // A printer that was not the default stays chosen whatever the default does.
    script({PW_PRINT_DIALOG_ANSWER::Ok("Stable"), PW_PRINT_DIALOG_ANSWER::Ok()});
    ASSERT_EQ(s.choose_printer(1), 1);
    pw_set_default_printer("Raster600");
    ASSERT_EQ(s.choose_printer(1), 1);
    EXPECT_EQ(asked.at(1).current, "Stable");
    EXPECT_STREQ((const char*)s.device_name, "Stable");
}

TEST_F(Settings, RetriedDialogErrorsStartAgainFromTheDefault) {
    CPrinterSettings s;
    script({PW_PRINT_DIALOG_ANSWER::Ok("Sorted")});
    ASSERT_EQ(s.choose_printer(1), 1);
    script({PW_PRINT_DIALOG_ANSWER::Error(PDERR_PRINTERNOTFOUND), PW_PRINT_DIALOG_ANSWER::Error(PDERR_DNDMMISMATCH),
            PW_PRINT_DIALOG_ANSWER::Error(PDERR_DEFAULTDIFFERENT), PW_PRINT_DIALOG_ANSWER::Ok()});
    ASSERT_EQ(s.choose_printer(1), 1);
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[0].current, "Sorted");
    EXPECT_EQ(asked[1].current, "Raster600");  // shown again for the default printer
    EXPECT_STREQ((const char*)s.device_name, "Raster600");

    // Any other error ends the choice.
    script({PW_PRINT_DIALOG_ANSWER::Error(PDERR_NODEVICES)});
    EXPECT_EQ(s.choose_printer(1), 0);
    EXPECT_NE(s.dev_names, nullptr);
}

TEST_F(Settings, ColourFollowsBitsAndPlanes) {
    // A printer of one bit per pixel in three planes: colour all the same.
    int id = pw_register_dc_factory([](const char*, const char* device, const char*,
                                       const DEVMODEA*) -> std::unique_ptr<pw::Device> {
        if (!device || std::string(device) != "ThreePlanes") return nullptr;
        pw::DeviceCaps caps;
        caps.horz_res = 100;
        caps.vert_res = 100;
        caps.log_pixels_x = caps.log_pixels_y = 100;
        caps.bits_pixel = 1;
        caps.planes = 3;
        return std::make_unique<pw::RasterDevice>(caps, pw::PixelFormat::bgr24);
    });
    CPrinterSettings s;
    s.read_capabilities(CString("ThreePlanes"));
    EXPECT_EQ(s.is_colour, 1);
    EXPECT_EQ(s.resolution, 100);
    pw_unregister_dc_factory(id);

    s.read_capabilities(CString("Fax"));  // one bit in one plane
    EXPECT_EQ(s.is_colour, 0);
    s.read_capabilities(CString("Mono200"));  // 8-bit gray counts as colour: only 1 x 1 is monochrome
    EXPECT_EQ(s.is_colour, 1);
    s.read_capabilities(CString("Raster600"));
    EXPECT_EQ(s.is_colour, 1);
    EXPECT_EQ(s.resolution, 600);
    EXPECT_EQ(s.printable_rect.right, 5100);  // Letter, no margins
}

TEST_F(Settings, CopiesHaveTheirOwnBlocks) {
    auto* s = new CPrinterSettings;
    script({PW_PRINT_DIALOG_ANSWER::Ok("Sorted")});
    ASSERT_EQ(s->choose_printer(1), 1);
    CPrinterSettings copy(*s);
    EXPECT_NE(copy.dev_names, s->dev_names);
    EXPECT_NE(copy.dev_mode, s->dev_mode);
    EXPECT_EQ(resolution_list(copy), resolution_list(*s));
    delete s;
    CString name;
    CDC* dc = copy.create_printer_dc(name);
    ASSERT_NE(dc, nullptr);  // the copy's blocks outlive the original
    delete dc;
    copy.reset();
    EXPECT_EQ(copy.dev_names, nullptr);
    EXPECT_EQ(copy.have_printer, 0);
}

}  // namespace
