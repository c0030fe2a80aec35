// The journal device: one line per call, forwarded to a wrapped device.
#include "gdi_test_util.h"
#include "pw/journal_device.h"

#include <gtest/gtest.h>

using namespace gdi_test;
using pw::PixelFormat;

TEST(GdiJournal, RecordsEachCallAndForwardsItToTheTarget) {
    auto page = std::make_unique<pw::RasterDevice>(pw::raster_caps(4, 4, 300, 300, PixelFormat::bgr24),
                                                   PixelFormat::bgr24);
    pw::RasterDevice* target = page.get();
    std::vector<std::string> streamed;
    HDC dc = pw_create_journal_dc(std::move(page), [&](const std::string& l) { streamed.push_back(l); });
    ASSERT_TRUE(dc);
    auto* journal = static_cast<pw::JournalDevice*>(pw_dc_device(dc));
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 300); // the target's capabilities

    EXPECT_EQ(journal->start_doc({"VL Lucentra LT", ""}), 1);
    journal->start_page();
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 2, 2, nullptr);
    SetViewportExtEx(dc, 4, 4, nullptr);
    SetStretchBltMode(dc, COLORONCOLOR);
    Dib d = make_dib(1, kBlackWhite, {{0, 1}, {1, 0}});
    EXPECT_EQ(stretch(dc, d, 0, 0, 2, 2, 0, 0, 2, 2, SRCAND), 2);
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    BeginPath(dc);
    MoveToEx(dc, 0, 0, nullptr);
    LineTo(dc, 1, 0);
    LineTo(dc, 1, 1);
    CloseFigure(dc);
    EndPath(dc);
    FillPath(dc);
    journal->end_page();
    journal->end_doc();

    const std::vector<std::string> want = {
        "StartDoc \"VL Lucentra LT\" output=\"\" -> 1",
        "StartPage -> 1",
        "SetMapMode 8",
        "SetWindowExtEx 2 2",
        "SetViewportExtEx 4 4",
        "SetStretchBltMode 3",
        "StretchDIBits dst=0,0,2,2 src=0,0,2,2 dib=2x2x1 usage=0 rop=0x008800C6 mode=3 device=[0,0,4,4] flip=0,0",
        "FillPath color=0x000000 mode=1 figures=1 points=3",
        "EndPage -> 1",
        "EndDoc -> 1",
    };
    EXPECT_EQ(journal->lines(), want);
    EXPECT_EQ(streamed, want);
    // Forwarded: the target page has the picture.
    EXPECT_EQ(target->pixel(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(target->pixel(3, 0), RGB(255, 255, 255));
    EXPECT_EQ(target->pixel(0, 3), RGB(255, 255, 255));
    DeleteDC(dc);
}

TEST(GdiJournal, WithoutTargetItStillAnswersAndRecords) {
    HDC dc = pw_create_journal_dc(nullptr);
    auto* journal = static_cast<pw::JournalDevice*>(pw_dc_device(dc));
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 600);
    Dib d = make_dib(24, {}, {{RGB(1, 2, 3)}});
    EXPECT_EQ(stretch(dc, d, 0, 0, 1, 1, 0, 0, 1, 1), 1);
    EXPECT_TRUE(PatBlt(dc, 0, 0, 2, 2, WHITENESS));
    ASSERT_EQ(journal->lines().size(), 2u);
    EXPECT_EQ(journal->lines()[1], "PatBlt dst=0,0,2,2 color=0xFFFFFF rop=0x00FF0062 device=[0,0,2,2]");
    DeleteDC(dc);
}
