// CDC: ownership of the attached DC and the mapping members.
#include <gtest/gtest.h>

#include "afxwin.h"

namespace {

TEST(CDC, OwnsTheAttachedDcAndDeletesItOnDestruction) {
    HDC h = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    ASSERT_NE(h, nullptr);
    {
        auto dc = std::make_unique<CDC>();
        EXPECT_TRUE(dc->Attach(h));
        EXPECT_EQ(dc->m_hDC, h);
        EXPECT_EQ(dc->GetSafeHdc(), h);
        EXPECT_FALSE(dc->Attach(h)) << "one DC at a time";
        EXPECT_GT(dc->GetDeviceCaps(LOGPIXELSX), 0);
        CObject* as_base = dc.release();
        delete as_base;  // through the virtual destructor, as owners do
    }
    EXPECT_EQ(GetDeviceCaps(h, LOGPIXELSX), 0) << "the DC was deleted with its object";
}

TEST(CDC, DetachedDcSurvivesTheObject) {
    HDC h = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    {
        CDC dc;
        dc.Attach(h);
        EXPECT_EQ(dc.Detach(), h);
        EXPECT_EQ(dc.m_hDC, nullptr);
    }
    EXPECT_GT(GetDeviceCaps(h, LOGPIXELSX), 0);
    DeleteDC(h);
}

TEST(CDC, MappingMembersAnswerThePreviousValues) {
    CDC dc;
    ASSERT_TRUE(dc.CreateDC("DISPLAY", nullptr, nullptr, nullptr));
    EXPECT_EQ(dc.SetMapMode(MM_ANISOTROPIC), MM_TEXT);
    EXPECT_EQ(dc.GetMapMode(), MM_ANISOTROPIC);
    EXPECT_EQ(dc.SetWindowExt(20400, 26400), CSize(1, 1));
    EXPECT_EQ(dc.SetWindowExt(CSize(10, 20)), CSize(20400, 26400));
    EXPECT_EQ(dc.SetViewportExt(5100, 6600), CSize(1, 1));
    EXPECT_EQ(dc.SetViewportExt(7, 8), CSize(5100, 6600));
    EXPECT_EQ(dc.SetWindowOrg(3, 4), CPoint(0, 0));
    EXPECT_EQ(dc.SetWindowOrg(CPoint(5, 6)), CPoint(3, 4));
    EXPECT_EQ(dc.SetViewportOrg(-1, -2), CPoint(0, 0));
    EXPECT_EQ(dc.SetViewportOrg(0, 0), CPoint(-1, -2));
}

TEST(CDC, WithoutADcEverythingFailsQuietly) {
    CDC dc;
    EXPECT_FALSE(dc.DeleteDC());
    EXPECT_FALSE(dc.Attach(nullptr));
    EXPECT_EQ(dc.SetMapMode(MM_TEXT), 0);
    EXPECT_EQ(dc.SetWindowExt(1, 1), CSize(0, 0));
    EXPECT_FALSE(dc.CreateDC("NO SUCH DRIVER", "nothing", nullptr, nullptr));
    EXPECT_EQ(dc.m_hDC, nullptr);
}

}  // namespace
