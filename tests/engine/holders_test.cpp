#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>

#include "kel/holders.h"
#include "kel/xform.h"

namespace {

TEST(Bitmap, BytesPerLineFollowTheLinePadding) {
    struct Case {
        int width, bits, pad, bytes;
    };
    const Case cases[] = {
        {10, 1, PAD_BYTE, 2},  {10, 1, PAD_WORD, 2},  {10, 1, PAD_DWORD, 4}, {3, 24, PAD_BYTE, 9},
        {3, 24, PAD_DWORD, 12}, {5, 4, PAD_WORD, 4},  {7, 8, PAD_WORD, 8},   {0, 8, PAD_DWORD, 0},
        {33, 1, PAD_DWORD, 8}, {2, 32, PAD_BYTE, 8},
    };
    for (const Case& c : cases) {
        EBITMAP bm;
        ASSERT_EQ(initialize_ebitmap(c.width, 1, (char)c.bits, 300, &bm), 0);
        bm.SetPadLine(c.pad);
        EXPECT_EQ(bm.GetBytesPerLine(), c.bytes) << c.width << "x" << c.bits << " pad " << c.pad;
    }
}

TEST(Bitmap, InitializeRefusesBadFormsAndKeepsTheOldOne) {
    EBITMAP bm;
    ASSERT_EQ(initialize_ebitmap(640, 480, 24, 150, &bm), 0);
    EXPECT_EQ(bm.GetWidth(), 640);
    EXPECT_EQ(bm.GetHeight(), 480);
    EXPECT_EQ(bm.GetBitsPerPixel(), 24);
    EXPECT_EQ(bm.GetXRes(), 150);
    EXPECT_EQ(bm.GetYRes(), 150);
    EXPECT_EQ(bm.GetBitMapType(), BMT_COLOUR);  // the depth implies the type
    ASSERT_EQ(initialize_ebitmap(640, 480, 8, 150, &bm), 0);
    EXPECT_EQ(bm.GetBitMapType(), BMT_GRAY);
    ASSERT_EQ(initialize_ebitmap(640, 480, 24, 150, &bm), 0);
    struct Case {
        int width, height, bits;
    };
    const Case bad[] = {{10, 10, 2}, {10, 10, 16}, {-1, 10, 8}, {10, -1, 8}, {INT_MAX, 1, 32}, {INT_MAX / 2, 1, 24}};
    for (const Case& c : bad) {
        EXPECT_EQ(initialize_ebitmap(c.width, c.height, (char)c.bits, 300, &bm), KEL_ERR_BAD_ARGUMENT);
        EXPECT_EQ(bm.GetWidth(), 640);
        EXPECT_EQ(bm.GetBitsPerPixel(), 24);
    }
    EXPECT_EQ(initialize_ebitmap(1, 1, 8, 300, nullptr), KEL_ERR_BAD_ARGUMENT);
    bm.SetPadLine(7);  // not a padding: ignored
    EXPECT_EQ(bm.GetPadLine(), PAD_BYTE);
    bm.SetHeight(-5);
    EXPECT_EQ(bm.GetHeight(), 480);
}

TEST(Bitmap, AllocateGivesZeroedLinesAndRefusesAbsurdSizes) {
    EBITMAP bm;
    initialize_ebitmap(5, 3, 8, 300, &bm);
    bm.SetPadLine(PAD_DWORD);
    ASSERT_TRUE(bm.Allocate());
    ASSERT_NE(bm.Line(0), nullptr);
    EXPECT_EQ(bm.Line(2) - bm.Line(0), 16);
    for (int i = 0; i < 24; ++i) EXPECT_EQ(bm.Line(0)[i], 0);
    EXPECT_EQ(bm.Line(3), nullptr);
    EXPECT_EQ(bm.Line(-1), nullptr);
    bm.SetHeight(4);  // a new form releases the old memory
    EXPECT_EQ(bm.Line(0), nullptr);

    EBITMAP huge;
    initialize_ebitmap(100000, 100000, 32, 300, &huge);
    EXPECT_FALSE(huge.Allocate());
    EXPECT_EQ(huge.Line(0), nullptr);
}

TEST(Bitmap, CopyOfFormTakesEverythingButThePixels) {
    EBITMAP source;
    initialize_ebitmap(9, 4, 8, 200, &source);
    source.SetBitMapType(BMT_PALETTE);
    source.SetPadLine(PAD_DWORD);
    source.SetClipValue(255);
    source.GetPalette()->SetColors(2);
    source.GetPalette()->Set(1, COLOR_ENTRY{10, 20, 30});
    ASSERT_TRUE(source.Allocate());

    auto check = [](EBITMAP& b) {
        EXPECT_EQ(b.GetWidth(), 9);
        EXPECT_EQ(b.GetHeight(), 4);
        EXPECT_EQ(b.GetBitsPerPixel(), 8);
        EXPECT_EQ(b.GetBitMapType(), BMT_PALETTE);
        EXPECT_EQ(b.GetPadLine(), PAD_DWORD);
        EXPECT_EQ(b.GetBytesPerLine(), 12);
        EXPECT_EQ(b.GetClipValue(), 255);
        EXPECT_EQ(b.GetXRes(), 200);
        COLOR_ENTRY e{};
        ASSERT_EQ(b.GetPalette()->Get(1, &e), 0);
        EXPECT_EQ(e.blue, 30);
        EXPECT_EQ(b.Line(0), nullptr);  // no pixels
    };
    EBITMAP copy(&source);
    check(copy);
    EXPECT_NE(copy.object_id, source.object_id);

    unsigned char line[12];
    EBITMAP_PSTRIP strip;
    strip.SetLine(line);
    strip.Take(&source);
    check(strip);
    strip.SetHeight(1);
    EXPECT_EQ(strip.GetLine(), line);  // the line pointer stays
    EXPECT_EQ(strip.GetHeight(), 1);
}

TEST(Palette, GetAndSetStayInsideThePalette) {
    EPALETTE p(2);
    COLOR_ENTRY e{1, 2, 3};
    EXPECT_EQ(p.Set(0, e), 0);
    EXPECT_EQ(p.Set(2, e), KEL_ERR_BAD_ARGUMENT);
    EXPECT_EQ(p.Set(-1, e), KEL_ERR_BAD_ARGUMENT);
    COLOR_ENTRY out{};
    EXPECT_EQ(p.Get(0, &out), 0);
    EXPECT_EQ(out.red, 1);
    EXPECT_EQ(out.green, 2);
    EXPECT_EQ(p.Get(2, &out), KEL_ERR_BAD_ARGUMENT);
    EXPECT_EQ(p.Get(0, nullptr), KEL_ERR_BAD_ARGUMENT);
    EXPECT_EQ(EPALETTE(-3).Colors(), 0);
}

TEST(Holders, ClassIdsAndFamilies) {
    struct Case {
        std::unique_ptr<EHOLDER> holder;
        CLASS_ID id;
        std::vector<CLASS_ID> also;  // IsA answers these too
    };
    Case cases[] = {
        {std::make_unique<EBITMAP>(), CID_BITMAP, {CID_HOLDER}},
        {std::make_unique<EBITMAP_STRIP>(), CID_BITMAP_STRIP, {CID_BITMAP, CID_HOLDER}},
        {std::make_unique<EBITMAP_PSTRIP>(), CID_BITMAP_PSTRIP, {CID_BITMAP_STRIP, CID_BITMAP, CID_HOLDER}},
        {std::make_unique<EBEZIERS>(), CID_BEZIERS, {CID_HOLDER}},
        {std::make_unique<EOCRTEXT>(), CID_OCRTEXT, {CID_HOLDER}},
    };
    const CLASS_ID all[] = {CID_HOLDER, CID_BITMAP, CID_BITMAP_STRIP, CID_BITMAP_PSTRIP, CID_BEZIERS, CID_OCRTEXT};
    for (Case& c : cases) {
        EXPECT_EQ(c.holder->ClassID(), c.id);
        for (CLASS_ID id : all) {
            bool expected = id == c.id || std::find(c.also.begin(), c.also.end(), id) != c.also.end();
            EXPECT_EQ((bool)c.holder->IsA(id), expected) << c.id << " IsA " << id;
        }
    }
}

TEST(Objects, IdsAreUniqueAndDefaultsAnswer) {
    EOBJECT a, b;
    EXPECT_GT(a.object_id, 0);
    EXPECT_NE(a.object_id, b.object_id);
    EOBJECT c(a);
    EXPECT_NE(c.object_id, a.object_id);
    int id = c.object_id;
    c = b;
    EXPECT_EQ(c.object_id, id);

    EXPECT_EQ(a.ClassID(), 0);
    EXPECT_TRUE(a.IsA(0));
    EXPECT_FALSE(a.IsA(4002));
    EXPECT_EQ(a.Cancel(), 0);
    EXPECT_EQ(a.Done(), 0);
    EXPECT_EQ(a.Setup(), 0);
    EVALUE v(5);
    EXPECT_EQ(a.Set(1, v), KEL_ERR_UNSUPPORTED);
    EXPECT_EQ(a.Get(1, &v), KEL_ERR_UNSUPPORTED);
    EXPECT_EQ((int)v, 5);

    EDESTINATION d;
    const char* text = "unchanged";
    EXPECT_EQ(d.Description(&text), KEL_ERR_UNSUPPORTED);
    EXPECT_STREQ(text, "unchanged");
    EXPECT_EQ(d.WantsData(1, nullptr), KEL_ERR_UNSUPPORTED);
    EXPECT_EQ(d.Sink(nullptr), KEL_ERR_UNSUPPORTED);
    EXPECT_EQ(d.Capabilities(), KEL_ERR_UNSUPPORTED);
    EXPECT_FALSE(d.ISActive());
    EXPECT_FALSE(d.ISAFile());
}

}  // namespace
