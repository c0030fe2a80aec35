// Region intake and page scaling: which regions become blocks, in which form
// their data is wanted, and the scale of the page.
#include <gtest/gtest.h>

#include <memory>

#include "edstprnt.h"
#include "test_engine.h"

using namespace testengine;

namespace {

class Intake : public ::testing::Test {
protected:
    void SetUp() override {
        err.clear();
        RTFBLK::canvas = BOX();
        RTFBLK::page = BOX();
        d.printer_settings.is_colour = 1;
        d.printer_settings.resolution = 600;
        d.printer_settings.printable_rect = RECT{0, 0, 4800, 6600};
    }
    void TearDown() override { d.blocks.clear(); }

    Region* keep(Region* r) {
        regions.emplace_back(r);
        return r;
    }
    // Passes the region, asks for its data; answers the result and the wanted form.
    int want(Region* r, EHOLDER** out) {
        *out = nullptr;
        return d.WantsData(r->object_id, out);
    }

    EDESTIN_PRINTER d;
    std::vector<std::unique_ptr<Region>> regions;
};

TEST_F(Intake, RefusedAndUnknownRegionsAreIgnored) {
    Region* refused = keep(new Region(CID_LINE_ART, {CID_REFUSED_3010}, 0, 0, 10, 10));
    Region* refused2 = keep(new Region(3105, {CID_REFUSED_3111, CID_COLOUR_3102}, 0, 0, 10, 10));
    Region* unknown = keep(new Region(3999, {}, 0, 0, 10, 10));
    for (Region* r : {refused, refused2, unknown}) EXPECT_EQ(d.PassRegion(r), 0);
    EXPECT_EQ(d.blocks.length(), 0);
    EXPECT_EQ(err.count(), 0u);
}

TEST_F(Intake, BlocksKeepPassingOrderAndTheFirstOfTwoIdsIsFound) {
    Region* a = keep(new Region(CID_LINE_ART, {}, 0, 0, 10, 10));
    Region* b = keep(new Region(CID_GRAY_PHOTO, {CID_COLOUR_3102}, 20, 0, 30, 10));
    Region* c = keep(new Region(CID_PALETTE_IMAGE, {CID_COLOUR_3103}, 40, 0, 50, 10));
    c->object_id = b->object_id;
    for (Region* r : {a, b, c}) ASSERT_EQ(d.PassRegion(r), 0);
    ASSERT_EQ(d.blocks.length(), 3);
    RTFBLK_IT it(&d.blocks);
    EXPECT_EQ(it.data()->get_region(), a);
    EXPECT_EQ(it.forward()->get_region(), b);
    EXPECT_EQ(it.forward()->get_region(), c);
    EXPECT_EQ(d.blk_from_id(b->object_id)->get_region(), b);
    EXPECT_EQ(d.blk_from_id(-5), nullptr);
}

TEST_F(Intake, UnknownIdsAreDeclinedOrReported) {
    EHOLDER* out = nullptr;
    EXPECT_EQ(d.WantsData(12345, &out), KEL_NO_DATA);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(err.count(), 0u);
    Store store;
    EXPECT_EQ(d.ConnectRegion(12345, &store), KEL_ERR_NOT_FOUND);
    const KEL_LOG_ENTRY* e = find_log("Never heard of the region");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->code, KEL_ERR_NOT_FOUND);
    EXPECT_EQ(classification(*e), 9122);
    EXPECT_EQ(e->source, "edstprnt");
}

TEST_F(Intake, APageRegionAloneBecomesTheCanvas) {
    // A Letter page scanned at 200 dpi: 1700 x 2200 pixels, 2550 x 3300 at 300 dpi.
    Region* page = keep(page_region(1700, 2200, 200));
    ASSERT_EQ(d.PassRegion(page), 0);
    EXPECT_EQ(RTFBLK::page, BOX(ICOORD(0, 0), ICOORD(2550, 3300)));
    EXPECT_TRUE(RTFBLK::canvas.null_box());
    EHOLDER* out = nullptr;
    ASSERT_EQ(want(page, &out), KEL_WANT_DATA);
    std::unique_ptr<EHOLDER> owned(out);
    EXPECT_EQ(RTFBLK::canvas, RTFBLK::page);
    EXPECT_EQ(d.page_scale, 1.0f);
    RTFBLK* block = d.blk_from_id(page->object_id);
    EXPECT_EQ(block->get_box(), BOX(ICOORD(0, 0), ICOORD(2550, 3300)));
    auto* bm = dynamic_cast<EBITMAP*>(out);
    ASSERT_NE(bm, nullptr);
    EXPECT_NE((void*)bm, (void*)block->get_holder());
    // Colour page on a colour printer: 8 bits at the photo resolution (150 dpi default).
    EXPECT_EQ(bm->GetBitsPerPixel(), 8);
    EXPECT_EQ(bm->GetWidth(), 1275);
    EXPECT_EQ(bm->GetHeight(), 1650);
    EXPECT_EQ(bm->GetXRes(), 150);
    EXPECT_EQ(bm->GetPadLine(), 2);
    EXPECT_EQ(bm->GetClipValue(), 255);
    const KEL_LOG_ENTRY* e = find_log("Photo resolution is:150");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->code, KEL_ERR_NO_MEMORY);
    EXPECT_EQ(classification(*e), 9123);
}

TEST_F(Intake, APageRegionBesideOthersIsDeclinedButStillShifted) {
    Region* photo = keep(new Region(CID_GRAY_PHOTO, {CID_COLOUR_3102}, 300, 600, 900, 1200));
    Region* page = keep(page_region(2550, 3300));
    ASSERT_EQ(d.PassRegion(photo), 0);
    ASSERT_EQ(d.PassRegion(page), 0);
    EHOLDER* out = nullptr;
    ASSERT_EQ(want(photo, &out), KEL_WANT_DATA);
    delete out;
    err.clear();
    EXPECT_EQ(want(page, &out), KEL_NO_DATA);
    EXPECT_EQ(out, nullptr);
    EXPECT_NE(find_log("Photo resolution is:150"), nullptr);
    RTFBLK* block = d.blk_from_id(page->object_id);
    EXPECT_EQ(block->get_holder(), nullptr);
    EXPECT_EQ(block->get_box(), BOX(ICOORD(-300, -600), ICOORD(2250, 2700)));
}

// The decision table, row by row.
struct Decision {
    const char* name;
    CLASS_ID cls;
    bool colour_region;
    bool colour_printer;
    bool one_bit;
    bool deep;
    int bits;
    int type;   // bitmap type after the decision
    float res;  // with base 150 and page scale 1
};

TEST_F(Intake, DecisionTable) {
    const Decision rows[] = {
        {"line art", CID_LINE_ART, true, true, true, true, 1, BMT_GRAY, 300},
        {"gray photo", CID_GRAY_PHOTO, true, true, false, false, 4, BMT_GRAY, 150},
        {"gray photo deep", CID_GRAY_PHOTO, true, true, false, true, 8, BMT_GRAY, 150},
        {"gray photo one-bit", CID_GRAY_PHOTO, true, true, true, true, 1, BMT_GRAY, 150},
        {"gray page", CID_PAGE_REGION, false, true, false, false, 4, BMT_GRAY, 150},
        {"colour page, mono printer", CID_PAGE_REGION, true, false, true, false, 1, BMT_GRAY, 150},
        {"palette", CID_PALETTE_IMAGE, true, true, true, true, 8, BMT_PALETTE, 300},
        {"palette mono", CID_PALETTE_IMAGE, true, false, false, false, 8, BMT_PALETTE, 300},
        {"colour 3102", CID_COLOUR_3102, true, true, true, true, 24, -1, 150},
        {"colour 3102 shallow", CID_COLOUR_3102, true, true, true, false, 8, -1, 150},
        {"colour page", CID_PAGE_REGION, true, true, false, true, 24, -1, 150},
        {"colour 3103 mono printer", CID_COLOUR_3103, true, false, false, true, 8, BMT_GRAY, 150},
        {"colour 3103 mono one-bit", CID_COLOUR_3103, true, false, true, true, 1, BMT_GRAY, 150},
    };
    for (const Decision& row : rows) {
        SCOPED_TRACE(row.name);
        d.blocks.clear();
        RTFBLK::canvas = BOX();
        d.page_scale = 0;
        d.printer_settings.is_colour = row.colour_printer;
        d.one_bit_photos = row.one_bit;
        d.deep_bitmaps = row.deep;
        std::vector<CLASS_ID> families;
        if (row.cls == CID_GRAY_PHOTO || row.cls == CID_COLOUR_3102) families = {CID_COLOUR_3102};
        if (row.cls == CID_PALETTE_IMAGE || row.cls == CID_COLOUR_3103) families = {CID_COLOUR_3103};
        Region* r = keep(new Region(row.cls, families, 0, 0, 600, 300, 300, row.colour_region));
        ASSERT_EQ(d.PassRegion(r), 0);
        EHOLDER* out = nullptr;
        ASSERT_EQ(want(r, &out), KEL_WANT_DATA);
        auto* bm = static_cast<EBITMAP*>(out);
        EXPECT_EQ(bm->GetBitsPerPixel(), row.bits);
        if (row.type >= 0) EXPECT_EQ(bm->GetBitMapType(), row.type);
        EXPECT_EQ(bm->GetXRes(), row.res);
        EXPECT_EQ(bm->GetWidth(), (int)(600 * row.res / 300));
        delete out;
    }
}

TEST_F(Intake, FineResolutionDoublesLowBaseResolutions) {
    struct {
        float base;
        float fine;
    } cases[] = {{150, 300}, {151, 151}, {100, 200}};
    for (auto c : cases) {
        d.blocks.clear();
        RTFBLK::canvas = BOX();
        d.page_scale = 0;
        d.Set(3012, EVALUE((double)c.base));
        d.use_default_res = 0;
        d.scaling_mode = 3;
        d.scaling_percent = 50;
        Region* r = keep(new Region(CID_PALETTE_IMAGE, {CID_COLOUR_3103}, 0, 0, 300, 300));
        d.PassRegion(r);
        EHOLDER* out = nullptr;
        ASSERT_EQ(want(r, &out), KEL_WANT_DATA);
        EXPECT_FLOAT_EQ(static_cast<EBITMAP*>(out)->GetXRes(), c.fine * 0.5f) << c.base;
        delete out;
    }
}

TEST_F(Intake, OutlinesGetTwoIndependentOutlineHolders) {
    Region* r = keep(new Region(CID_OUTLINES, {CID_COLOUR_3103}, 0, 0, 300, 300));
    d.PassRegion(r);
    EHOLDER* out = nullptr;
    ASSERT_EQ(want(r, &out), KEL_WANT_DATA);
    ASSERT_NE(dynamic_cast<EBEZIERS*>(out), nullptr);
    RTFBLK* block = d.blk_from_id(r->object_id);
    ASSERT_NE(dynamic_cast<EBEZIERS*>(block->get_holder()), nullptr);
    EXPECT_NE((void*)out, (void*)block->get_holder());
    delete out;
}

TEST_F(Intake, ASecondRequestReplacesAndReleasesTheHolder) {
    Region* r = keep(new Region(CID_GRAY_PHOTO, {CID_COLOUR_3102}, 0, 0, 300, 300));
    d.PassRegion(r);
    EHOLDER* out = nullptr;
    ASSERT_EQ(want(r, &out), KEL_WANT_DATA);
    delete out;
    ASSERT_EQ(want(r, &out), KEL_WANT_DATA);  // the leak checker of the sanitizer build watches
    delete out;
    Store store;
    EXPECT_EQ(d.ConnectRegion(r->object_id, &store), 0);
    EXPECT_EQ(d.blk_from_id(r->object_id)->get_seq(), &store);
}

TEST_F(Intake, EqualOrderKeysSortByBlockId) {
    Region* a = keep(new Region(CID_LINE_ART, {}, 0, 0, 10, 10));
    Region* b = keep(new Region(CID_LINE_ART, {}, 0, 0, 10, 10));
    a->number = 7;
    b->number = 3;
    d.PassRegion(a);
    d.PassRegion(b);
    d.blocks.sort(compare_blocks);
    RTFBLK_IT it(&d.blocks);
    EXPECT_EQ(it.data()->get_region(), b);
    a->order_key = -1;
    d.blocks.sort(compare_blocks);
    EXPECT_EQ(RTFBLK_IT(&d.blocks).data()->get_region(), a);
}

// Page scaling.
struct Scaling {
    int mode;
    float percent;
    int canvas_w, canvas_h;
    int printable_w, printable_h, dpi;
    float expected;
};

TEST(PageScaling, Table) {
    const Scaling cases[] = {
        {1, 100, 300, 600, 450, 600, 150, 1.0f},   {3, 5, 300, 600, 450, 600, 150, 0.12f},
        {3, 2000, 300, 600, 450, 600, 150, 12.0f}, {3, 100, 300, 600, 450, 600, 150, 1.0f},
        {2, 100, 300, 600, 450, 600, 150, 2.0f},   {2, 100, 600, 300, 450, 600, 150, 1.5f},
        {2, 100, 300, 600, 900, 1200, 300, 2.0f},  {2, 100, 300, 300, 300, 300, 300, 1.0f},
        {2, 100, 0, 300, 300, 600, 300, 2.0f},     {2, 100, -1, -1, 300, 600, 300, 12.0f},
    };
    EDESTIN_PRINTER d;
    for (const Scaling& c : cases) {
        d.scaling_mode = c.mode;
        d.scaling_percent = c.percent;
        RTFBLK::canvas = c.canvas_w < 0 ? BOX() : BOX(ICOORD(100, 100), ICOORD(100 + c.canvas_w, 100 + c.canvas_h));
        d.printer_settings.printable_rect = RECT{0, 0, c.printable_w, c.printable_h};
        d.printer_settings.resolution = c.dpi;
        d.compute_page_scaling();
        EXPECT_FLOAT_EQ(d.page_scale, c.expected) << c.mode << " " << c.canvas_w << "x" << c.canvas_h;
    }
}

TEST_F(Intake, TheScaleIsFixedByTheFirstRequestOfTheDocument) {
    d.scaling_mode = 3;
    d.scaling_percent = 50;
    Region* a = keep(new Region(CID_LINE_ART, {}, 0, 0, 300, 300));
    d.PassRegion(a);
    EHOLDER* out = nullptr;
    want(a, &out);
    delete out;
    EXPECT_FLOAT_EQ(d.page_scale, 0.5f);
    d.scaling_percent = 200;
    want(a, &out);
    delete out;
    EXPECT_FLOAT_EQ(d.page_scale, 0.5f);
}

}  // namespace
