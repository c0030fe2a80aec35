// Stores that fail, cancel or report a lost outline on any line of a page, fed
// to the printer destination as the engine feeds it (the engine's own scripted
// store and typed regions). A failing page leaves no document; a lost outline is
// a warning the log keeps while the rest of the page prints; and every time the
// destination prints the next document.
#include <memory>

#include "block_fixtures.h"
#include "edstprnt.h"
#include "fault_util.h"
#include "pw/spool.h"

using namespace faults;

namespace {

class StoreFaults : public ::testing::Test {
protected:
    void SetUp() override {
        err.clear();
        pw_set_print_output(out_.c_str());
    }
    void TearDown() override { pw_set_print_output(nullptr); }

    // One page with a line-art region whose store answers `code` on its
    // `line`-th Pull (lines beyond the region's height: no fault). Returns
    // Sink's result; DocDone's goes to *done.
    int print_line_art(int line, int code, int* done, int* lines = nullptr) {
        EXPECT_EQ(d_.Set(3201, EVALUE("PDF")), KEL_OK);
        EXPECT_EQ(d_.DocSetup(), KEL_OK) << pw_last_print_error();
        auto region = blocks_test::rect_region(CID_LINE_ART, 0, 0, 240, 90);
        EXPECT_EQ(d_.PassRegion(region.get()), KEL_OK);
        EHOLDER* out = nullptr;
        EXPECT_EQ(d_.WantsData(region->object_id, &out), KEL_WANT_DATA);
        auto* bitmap = dynamic_cast<EBITMAP*>(out);
        const int rows = bitmap ? bitmap->GetHeight() : 0, stride = bitmap ? bitmap->GetBytesPerLine() : 0;
        delete out;
        if (lines) *lines = rows;
        ESCRIPTEDSTORE store(std::vector<unsigned char>((size_t)rows * stride, 0x55), stride, rows);
        store.pull_results[line] = code;
        EXPECT_EQ(d_.ConnectRegion(region->object_id, &store), KEL_OK);
        int r = d_.Sink(nullptr);
        if (r != KEL_OK && r != KEL_WARN_LOST_OUTLINE) d_.Cancel();  // as the engine does with a failed page
        *done = d_.DocDone();
        EXPECT_EQ(d_.blocks.length(), 0);
        return r;
    }

    bool printed() const { return fs::exists(out_); }

    TempDir dir_;
    std::string out_ = dir_.file("out.pdf");
    EDESTIN_PRINTER d_;
};

}  // namespace

TEST_F(StoreFaults, AnyLineOfABitmapCanFailCancelOrLoseAnOutline) {
    int lines = 0, done = 0;
    ASSERT_EQ(print_line_art(1 << 30, KEL_OK, &done, &lines), KEL_OK);
    ASSERT_EQ(done, KEL_OK);
    ASSERT_TRUE(printed()) << "the page without a fault must print";
    ASSERT_GT(lines, 2);
    fs::remove(out_);

    // A failure or a cancel ends the page and the document; a lost outline is a
    // warning about data the store still delivered, so the page prints and
    // Sink hands the warning on.
    struct Case {
        int code;
        bool prints;
        const char* logged;  // what the log says about the page
    } cases[] = {{KEL_ERR_IO, false, "Failed to make metafile"},
                 {KEL_CANCELLED, false, "Cancelled by return from pull"},
                 {KEL_WARN_LOST_OUTLINE, true, nullptr}};
    for (const Case& c : cases) {
        for (int line : {0, 1, lines / 2, lines - 2, lines - 1}) {
            SCOPED_TRACE("code " + std::to_string(c.code) + " on line " + std::to_string(line));
            err.clear();
            const int r = print_line_art(line, c.code, &done);
            EXPECT_EQ(r, c.prints ? KEL_WARN_LOST_OUTLINE : c.code);
            EXPECT_EQ(done, c.prints ? KEL_OK : KEL_CANCELLED) << "an aborted document must not end as printed";
            EXPECT_EQ(printed(), c.prints);
            if (c.logged) {
                bool said = false;
                for (const KEL_LOG_ENTRY& e : err.entries()) said = said || e.message == c.logged;
                EXPECT_TRUE(said) << c.logged;
            }
            fs::remove(out_);
            // Nothing of the fault stays behind: the next document prints.
            EXPECT_EQ(print_line_art(1 << 30, KEL_OK, &done), KEL_OK);
            EXPECT_EQ(done, KEL_OK);
            EXPECT_TRUE(printed());
            fs::remove(out_);
        }
    }
}

TEST_F(StoreFaults, ALostOutlinePrintsTheRestAndSaysSo) {
    CLART art;
    CLART_FIGURE f;
    f.start = EPOINT(0, 0);
    f.kinds = {CLART_FIGURE::LINE, CLART_FIGURE::LINE};
    f.points = {EPOINT(100, 0), EPOINT(100, 50)};
    art.add_figure(f);
    struct Case {
        int code;
        bool prints;
    } cases[] = {{KEL_WARN_LOST_OUTLINE, true}, {KEL_CANCELLED, false}, {KEL_ERR_IO, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE("outline pull answering 0x" + std::to_string((unsigned)c.code));
        err.clear();
        ASSERT_EQ(d_.Set(3201, EVALUE("PDF")), KEL_OK);
        ASSERT_EQ(d_.DocSetup(), KEL_OK);
        auto region = blocks_test::rect_region(CID_OUTLINES, 0, 0, 300, 150);
        region->add_family(CID_COLOUR_3103);
        ASSERT_EQ(d_.PassRegion(region.get()), KEL_OK);
        EHOLDER* out = nullptr;
        ASSERT_EQ(d_.WantsData(region->object_id, &out), KEL_WANT_DATA);
        delete out;
        ESCRIPTEDSTORE store(art);
        store.pull_results[0] = c.code;
        ASSERT_EQ(d_.ConnectRegion(region->object_id, &store), KEL_OK);
        const int r = d_.Sink(nullptr);
        if (c.prints) {
            EXPECT_EQ(r, KEL_WARN_LOST_OUTLINE);
        } else {
            EXPECT_EQ(r, c.code);
            d_.Cancel();
        }
        const int done = d_.DocDone();
        EXPECT_EQ(done == KEL_OK, c.prints);
        EXPECT_EQ(printed(), c.prints);
        EXPECT_FALSE(err.entries().empty());
        fs::remove(out_);
    }
}
