// The print job: choosing the printer, one-bit mode, starting, ending and
// cancelling documents, and the floating-point guard.
#include <gtest/gtest.h>

#include <stdexcept>

#include "edstprnt.h"
#include "test_engine.h"
#include "test_printers.h"

using namespace testengine;

namespace {

class PrintJob : public ::testing::Test {
protected:
    void SetUp() override {
        err.clear();
        pw_set_print_output(nullptr);
    }
    void TearDown() override {
        if (d.printer_dc) d.DocDone();
        EVARIABLE::set("use_1bit_photo", "0");
    }
    EDESTIN_PRINTER d;
};

TEST_F(PrintJob, OneBitModeFollowsTheFaxClassResolution) {
    struct {
        const char* printer;
        int expected;
    } cases[] = {{"Mono195", 0}, {"Mono200", 1}, {"Mono205", 0}, {"Raster600", 0}};
    for (auto c : cases) {
        SCOPED_TRACE(c.printer);
        d.default_res_requested = 1;
        ASSERT_EQ(d.Set(3201, EVALUE(c.printer)), 0);
        ASSERT_EQ(d.DocSetup(), 0);
        EXPECT_EQ(d.one_bit_photos, c.expected);
        EXPECT_EQ(one_bit_mode, c.expected);
        EXPECT_EQ(d.use_default_res, c.expected ? 0 : 1);
        EXPECT_EQ(d.DocDone(), 0);
    }
    EVARIABLE::set("use_1bit_photo", "1");
    d.Set(3201, EVALUE("Raster600"));
    ASSERT_EQ(d.DocSetup(), 0);
    EXPECT_EQ(d.one_bit_photos, 1);
    EXPECT_EQ(one_bit_mode, 1);
}

TEST_F(PrintJob, DocSetupResetsTheCanvasAndScaleAndWritesTheGuardLines) {
    RTFBLK::canvas = BOX(ICOORD(1, 1), ICOORD(5, 5));
    d.page_scale = 2;
    d.Set(3201, EVALUE("Raster600"));
    ASSERT_EQ(d.DocSetup(), 0);
    EXPECT_TRUE(RTFBLK::canvas == BOX());
    EXPECT_EQ(d.page_scale, 0);
    auto entries = err.entries();
    ASSERT_GE(entries.size(), 2u);
    EXPECT_EQ(entries.front().message.rfind("Floating pt. control word (before): 0x", 0), 0u);
    EXPECT_EQ(entries.back().message.rfind("Floating pt. control word (after): 0x", 0), 0u);
    EXPECT_EQ(classification(entries.front()), 9123);
}

TEST_F(PrintJob, ANamedPrinterThatCannotBeMadeFails) {
    d.Set(3201, EVALUE("No Such Printer"));
    EXPECT_EQ(d.DocSetup(), KEL_CANCELLED);
    const KEL_LOG_ENTRY* e = find_log("Failed to create printer DC.");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(classification(*e), 9221);
    EXPECT_EQ(d.printer_dc, nullptr);

    // Named, but with an empty name and no printer chosen before.
    err.clear();
    EXPECT_EQ(d.Set(3201, EVALUE("")), 0);
    EXPECT_EQ(d.DocSetup(), KEL_CANCELLED);
    EXPECT_NE(find_log("Failed to create printer DC."), nullptr);
}

TEST_F(PrintJob, DocDoneForgetsThePrinterAndReleasesEverything) {
    d.Set(3201, EVALUE("Raster600"));
    ASSERT_EQ(d.DocSetup(), 0);
    ASSERT_EQ(d.DocSetup(), 0);  // again without DocDone: the first DC is released
    EXPECT_EQ(d.printer_settings.resolution, 600);
    EXPECT_EQ(d.DocDone(), 0);
    EXPECT_EQ(d.printer_dc, nullptr);
    EXPECT_EQ(d.printer_settings.have_printer, 0);
    EXPECT_EQ(d.printer_settings.resolution, 0);
    EXPECT_EQ(d.printer_named, 1);  // the name stays for the next document
    EXPECT_EQ(d.DocSetup(), 0);
    EXPECT_EQ(d.printer_settings.resolution, 600);
}

TEST_F(PrintJob, CancelAndDocDoneWithoutADocument) {
    EXPECT_EQ(d.Cancel(), KEL_ERR_BAD_STATE);
    EXPECT_EQ(d.DocDone(), 0);
}

TEST_F(PrintJob, CancelStopsAtTheFirstStoreThatRefuses) {
    d.Set(3201, EVALUE("Raster600"));
    ASSERT_EQ(d.DocSetup(), 0);
    std::vector<std::unique_ptr<Region>> regions;
    Store s1, s2, s3;
    s2.cancel_result = KEL_ERR_IO;
    Store* stores[] = {&s1, &s2, &s3};
    for (Store* s : stores) {
        regions.emplace_back(new Region(CID_LINE_ART, {}, 0, 0, 10, 10));
        d.PassRegion(regions.back().get());
        d.blk_from_id(regions.back()->object_id)->set_seq(s);
    }
    EXPECT_EQ(d.Cancel(), KEL_ERR_BAD_STATE);
    EXPECT_TRUE(s1.cancelled);
    EXPECT_TRUE(s2.cancelled);
    EXPECT_FALSE(s3.cancelled);
    const KEL_LOG_ENTRY* e = find_log("Called 'xform->Cancel()', expected 0x0, got 0x83000004");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->code, KEL_ERR_IO);
    EXPECT_EQ(classification(*e), 9122);
    EXPECT_EQ(d.blocks.length(), 0);  // dropped all the same
    EXPECT_NE(d.printer_dc, nullptr);  // the document stays open, aborted, until DocDone
}

TEST_F(PrintJob, TheControlWordComesBackAfterEveryGuardedOperation) {
    const uint16_t before = pw_fpu_control_word();
    const uint16_t changed = before ^ 0x0C00;  // another rounding mode
    d.Set(3201, EVALUE("Raster600"));
    ASSERT_EQ(d.DocSetup(), 0);
    EXPECT_EQ(pw_fpu_control_word(), before);

    // A store that changes the word while the job cancels it.
    std::unique_ptr<Region> r(new Region(CID_LINE_ART, {}, 0, 0, 10, 10));
    struct ChangingStore : Store {
        uint16_t word;
        int Cancel() override {
            pw_set_fpu_control_word(word);
            return Store::Cancel();
        }
    } store;
    store.word = changed;
    d.PassRegion(r.get());
    d.blk_from_id(r->object_id)->set_seq(&store);
    ASSERT_EQ(d.internal_cancel(nullptr), 0);
    EXPECT_TRUE(store.cancelled);
    EXPECT_EQ(pw_fpu_control_word(), before);
    EXPECT_EQ(d.DocDone(), KEL_CANCELLED);  // the cancelled document is not reported as printed
    EXPECT_EQ(pw_fpu_control_word(), before);

    // Left by an exception.
    try {
        FPU_GUARD guard;
        pw_set_fpu_control_word(changed);
        throw std::runtime_error("driver failure");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(pw_fpu_control_word(), before);
}

}  // namespace
