// The page block and its list: boxes from regions, the class boxes, list
// ownership, refused copies, iteration, and holders shared by copied blocks.
#include <gtest/gtest.h>

#include "block_fixtures.h"
#include "rtfblk.h"

using namespace blocks_test;

namespace {

BOX make_box(int lx, int ly, int ux, int uy) { return BOX(ICOORD(lx, ly), ICOORD(ux, uy)); }

class BlockTest : public ::testing::Test {
protected:
    void SetUp() override {
        RTFBLK::page = BOX();
        RTFBLK::canvas = BOX();
        err.clear();
    }
};

// A holder that counts its destructions, to catch double and missing deletes.
struct CountedBitmap : EBITMAP {
    static int destroyed;
    ~CountedBitmap() override { ++destroyed; }
};
int CountedBitmap::destroyed = 0;

}  // namespace

TEST_F(BlockTest, BoxIsFloorOfSmallerAndCeilOfLargerAt300Dpi) {
    // Stored at 600 and 200 dpi: the box must come out in 300-dpi pixels.
    for (float dpi : {600.0f, 200.0f, 300.0f}) {
        auto region = rect_region(CID_COLOUR_3102, 10.2f, 20.7f, 99.5f, 5.0f, dpi);
        RTFBLK block(region.get());
        EXPECT_EQ(block.get_box(), make_box(10, 5, 100, 21)) << dpi << " dpi";
    }
}

TEST_F(BlockTest, PageRegionSetsPageOtherRegionsWidenCanvas) {
    auto page = rect_region(CID_PAGE_REGION, 0, 0, 2550, 3300);
    auto a = rect_region(CID_COLOUR_3102, 100, 200, 300, 400);
    auto b = rect_region(CID_LINE_ART, 50, 250, 200, 500);
    b->number = 7;
    RTFBLK pb(page.get());
    EXPECT_EQ(RTFBLK::page, make_box(0, 0, 2550, 3300));
    EXPECT_TRUE(RTFBLK::canvas.null_box()) << "the page region must not widen the canvas";
    RTFBLK ab(a.get());
    RTFBLK bb(b.get());
    EXPECT_EQ(RTFBLK::canvas, make_box(50, 200, 300, 500));
    EXPECT_EQ(RTFBLK::page, make_box(0, 0, 2550, 3300));
    EXPECT_EQ(bb.get_id(), 7);
    EXPECT_EQ(bb.get_type(), CID_LINE_ART);
    EXPECT_EQ(bb.get_region(), b.get());
    EXPECT_EQ(bb.get_holder(), nullptr);
    EXPECT_EQ(bb.get_seq(), nullptr);
    EXPECT_EQ(bb.next, nullptr);
}

TEST_F(BlockTest, BlockWithoutRegionIsOfTypeNoRegionAndDestroysQuietly) {
    RTFBLK block;
    EXPECT_EQ(block.get_type(), CID_NO_REGION);
    EXPECT_TRUE(block.get_box().null_box());
    RTFBLK_zapper(nullptr);  // nothing to destroy
}

TEST_F(BlockTest, MoveBoxWrapsAt16Bits) {
    struct Case {
        BOX start;
        ICOORD shift;
        BOX expected;
    } cases[] = {
        {make_box(10, 20, 30, 40), ICOORD(5, -3), make_box(15, 17, 35, 37)},
        {make_box(10, 20, 30, 40), ICOORD(-5, 7), make_box(5, 27, 25, 47)},
        {make_box(32760, 0, 32767, 10), ICOORD(10, 0), make_box(-32766, 0, -32759, 10)},
    };
    for (const Case& c : cases) {
        // A block whose box is the case's start box.
        auto region = rect_region(CID_COLOUR_3102, c.start.left(), c.start.bottom(), c.start.right(),
                                  c.start.top(), 300);
        RTFBLK b(region.get());
        b.move_box(c.shift);
        EXPECT_EQ(b.get_box(), c.expected);
    }
}

TEST_F(BlockTest, ListOwnsBlocksAndTheirHolders) {
    CountedBitmap::destroyed = 0;
    {
        RTFBLK_LIST list;
        list.clear();  // an empty list stays empty
        EXPECT_TRUE(list.empty());
        for (int i = 0; i < 3; ++i) {
            RTFBLK* b = new RTFBLK;
            b->set_bitmap(new CountedBitmap);
            list.add_to_end(b);
        }
        list.add_to_end(new RTFBLK);  // a block without holder
        EXPECT_EQ(list.length(), 4);
        list.clear();
        EXPECT_TRUE(list.empty());
        EXPECT_EQ(CountedBitmap::destroyed, 3);
        RTFBLK* b = new RTFBLK;
        b->set_bitmap(new CountedBitmap);
        list.add_to_end(b);
    }  // the destructor clears
    EXPECT_EQ(CountedBitmap::destroyed, 4);
}

TEST_F(BlockTest, ListCopyAndAssignmentAreRefusedWithOneReportEach) {
    RTFBLK_LIST source;
    source.add_to_end(new RTFBLK);
    RTFBLK_LIST copy(source);
    EXPECT_TRUE(copy.empty());
    ASSERT_EQ(err.count(), 1u);
    EXPECT_EQ(err.entries()[0].source, "RTFBLK_LIST");
    EXPECT_EQ(err.entries()[0].action, 2);
    EXPECT_NE(err.entries()[0].message.find("Can't create a list by assignment"), std::string::npos);

    RTFBLK_LIST target;
    RTFBLK* kept = new RTFBLK;
    target.add_to_end(kept);
    target = source;
    EXPECT_EQ(target.length(), 1);
    EXPECT_EQ(target.first(), kept);
    ASSERT_EQ(err.count(), 2u);
    EXPECT_EQ(err.entries()[1].source, "RTFBLK_LIST");
    EXPECT_NE(err.entries()[1].message.find("Can't assign to lists"), std::string::npos);
}

TEST_F(BlockTest, IteratorOnEmptyListHasNoBlock) {
    RTFBLK_LIST list;
    RTFBLK_IT it(&list);
    EXPECT_EQ(it.data(), nullptr);
    EXPECT_EQ(it.move_to_first(), nullptr);
}

TEST_F(BlockTest, IteratorWalksAndExtractsTypedBlocks) {
    RTFBLK_LIST list;
    RTFBLK* b[3];
    for (RTFBLK*& p : b) list.add_to_end(p = new RTFBLK);
    RTFBLK_IT it(&list);
    EXPECT_EQ(it.data(), b[0]);
    EXPECT_EQ(it.data_relative(2), b[2]);
    EXPECT_EQ(it.forward(), b[1]);
    RTFBLK* out = it.extract();
    EXPECT_EQ(out, b[1]);
    EXPECT_EQ(out->next, nullptr);
    EXPECT_EQ(it.data(), nullptr);
    EXPECT_EQ(it.forward(), b[2]);
    EXPECT_EQ(it.move_to_last(), b[2]);
    EXPECT_EQ(it.move_to_first(), b[0]);
    EXPECT_EQ(list.length(), 2);
    delete out;
}

// Copies share the holder: whichever order copies go, the holder is deleted
// exactly once, by the last block referring to it. Run under the address
// sanitizer (PW_SANITIZE) this also proves no freed holder is touched.
TEST_F(BlockTest, CopiedBlocksDeleteTheirSharedHolderOnce) {
    CountedBitmap::destroyed = 0;
    auto region = rect_region(CID_COLOUR_3102, 1, 2, 3, 4);
    {
        RTFBLK* original = new RTFBLK(region.get());
        CountedBitmap* holder = new CountedBitmap;
        original->set_bitmap(holder);
        RTFBLK copy(*original);
        EXPECT_EQ(copy.get_holder(), holder);
        EXPECT_EQ(copy.get_box(), original->get_box());
        EXPECT_EQ(copy.get_region(), region.get());
        delete original;
        EXPECT_EQ(CountedBitmap::destroyed, 0) << "the copy still refers to the holder";
        EXPECT_EQ(copy.get_bitmap()->GetWidth(), 0);  // still alive
    }
    EXPECT_EQ(CountedBitmap::destroyed, 1);

    // Assignment releases the holder the target held and shares the new one.
    {
        RTFBLK a, b;
        a.set_bitmap(new CountedBitmap);
        b.set_bitmap(new CountedBitmap);
        b = a;
        EXPECT_EQ(CountedBitmap::destroyed, 2) << "b's own holder is released on assignment";
        b = b;
        a = b;  // already sharing: nothing may be deleted
        EXPECT_EQ(CountedBitmap::destroyed, 2);
    }
    EXPECT_EQ(CountedBitmap::destroyed, 3);

    // deep_copy through RTFBLK_copier: two lists share every holder.
    {
        RTFBLK_LIST one, two;
        for (int i = 0; i < 2; ++i) {
            RTFBLK* b = new RTFBLK;
            b->set_bitmap(new CountedBitmap);
            one.add_to_end(b);
        }
        two.deep_copy(&one);
        ASSERT_EQ(two.length(), 2);
        EXPECT_EQ(static_cast<RTFBLK*>(two.first())->get_holder(),
                  static_cast<RTFBLK*>(one.first())->get_holder());
        one.clear();
        EXPECT_EQ(CountedBitmap::destroyed, 3);
    }
    EXPECT_EQ(CountedBitmap::destroyed, 5);
}

TEST_F(BlockTest, ReplacingASharedHolderLeavesItToTheCopy) {
    CountedBitmap::destroyed = 0;
    {
        RTFBLK a;
        a.set_bitmap(new CountedBitmap);
        RTFBLK b(a);
        a.set_bitmap(new CountedBitmap);  // a gives up its share; b keeps the first
        EXPECT_EQ(CountedBitmap::destroyed, 0);
        b.drop_holder();
        EXPECT_EQ(CountedBitmap::destroyed, 1);
        EXPECT_EQ(b.get_holder(), nullptr);
    }
    EXPECT_EQ(CountedBitmap::destroyed, 2);
}
