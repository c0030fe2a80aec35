// Whole pages through the printer destination onto real raster printers: the
// mapping of the page onto the paper, what reaches the paper, progress, and every
// way a page can stop.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <cstdio>
#include <memory>

#include "edstprnt.h"
#include "png_page.h"
#include "test_engine.h"
#include "test_printers.h"

using namespace testengine;

namespace {

// While it lives, no file of this process may grow beyond a few bytes, as on a
// full disk.
struct DiskFull {
    rlimit saved;
    DiskFull() {
        signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit tiny = saved;
        tiny.rlim_cur = 64;
        setrlimit(RLIMIT_FSIZE, &tiny);
    }
    ~DiskFull() { setrlimit(RLIMIT_FSIZE, &saved); }
};

class PageOutput : public ::testing::Test {
protected:
    void SetUp() override {
        err.clear();
        pw_set_print_output(nullptr);
    }
    void TearDown() override {
        if (d.printer_dc) d.DocDone();
    }

    void open(const char* printer) {
        ASSERT_EQ(d.Set(3201, EVALUE(printer)), 0);
        ASSERT_EQ(d.DocSetup(), 0) << pw_last_print_error();
    }
    Region* add(Region* r, Store* store) {
        regions.emplace_back(r);
        EXPECT_EQ(d.PassRegion(r), 0);
        pending.push_back({r, store});
        return r;
    }
    // WantsData for every region passed since the last call, then ConnectRegion for
    // those whose data was wanted.
    void want_all() {
        for (auto& [r, store] : pending) {
            EHOLDER* out = nullptr;
            int rc = d.WantsData(r->object_id, &out);
            if (rc != KEL_WANT_DATA) continue;
            if (auto* bm = dynamic_cast<EBITMAP*>(out); bm && store) store->height = bm->GetHeight();
            delete out;
            if (store) ASSERT_EQ(d.ConnectRegion(r->object_id, store), 0);
        }
        pending.clear();
    }

    EDESTIN_PRINTER d;
    std::vector<std::unique_ptr<Region>> regions;
    std::vector<std::pair<Region*, Store*>> pending;
};

TEST_F(PageOutput, ALetterPageAtActualSizeFillsTheMappedArea) {
    open("Raster600");
    d.deep_bitmaps = 1;  // 24 bits
    Store store;
    // Left half red, right half blue, in the engine's red-green-blue order.
    int width = 0;
    store.fill = [&](int, unsigned char* m, int bytes) {
        width = bytes / 3;  // the line is padded to 4 bytes; 5100 pixels need none
        for (int x = 0; x < width; ++x) {
            bool left = x < width / 2;
            m[3 * x] = left ? 255 : 0;
            m[3 * x + 1] = 0;
            m[3 * x + 2] = left ? 0 : 255;
        }
    };
    add(page_region(2550, 3300), &store);
    want_all();
    Monitor monitor;
    EXPECT_EQ(d.Sink(&monitor), 0);
    // The mapping of a Letter canvas at 600 dpi and actual size.
    SIZE window, viewport;
    GetWindowExtEx(d.printer_dc->m_hDC, &window);
    GetViewportExtEx(d.printer_dc->m_hDC, &viewport);
    EXPECT_EQ(GetMapMode(d.printer_dc->m_hDC), MM_ISOTROPIC);
    EXPECT_EQ(window.cx, 20400);
    EXPECT_EQ(window.cy, 26400);
    EXPECT_EQ(viewport.cx, 5100);
    EXPECT_EQ(viewport.cy, 6600);
    EXPECT_EQ(monitor.starts, 1);
    ASSERT_EQ(monitor.reports.size(), 2u);
    EXPECT_EQ(monitor.reports[0], 0.0f);
    EXPECT_EQ(monitor.reports[1], 100.0f);
    ASSERT_EQ(d.DocDone(), 0);

    Page page = read_png(output_dir() + "/raster600-1.png");
    ASSERT_TRUE(page.ok());
    EXPECT_GE(page.width, 5100);
    EXPECT_GE(page.height, 6600);
    const unsigned char* left = page.at(1000, 3000);
    const unsigned char* right = page.at(4000, 3000);
    EXPECT_GT(left[0], 200);
    EXPECT_LT(left[2], 60);
    EXPECT_GT(right[2], 200);
    EXPECT_LT(right[0], 60);
}

TEST_F(PageOutput, TheSmallestScaleMapsWithALargeDivisor) {
    open("Raster600");
    d.scaling_mode = 3;
    d.scaling_percent = 12;
    Store store;
    add(new Region(CID_GRAY_PHOTO, {CID_COLOUR_3102}, 0, 0, 300, 600), &store);
    want_all();
    EXPECT_EQ(d.Sink(nullptr), 0);
    SIZE window, viewport;
    GetWindowExtEx(d.printer_dc->m_hDC, &window);
    GetViewportExtEx(d.printer_dc->m_hDC, &viewport);
    // s = 16, k = 40000.
    EXPECT_EQ(window.cx, 300 * 16);
    EXPECT_EQ(window.cy, 600 * 16);
    EXPECT_EQ(viewport.cx, 300 * 16 * 600 / 40000);
    EXPECT_EQ(viewport.cy, 600 * 16 * 600 / 40000);
}

TEST_F(PageOutput, AnEmptyPageReportsOnlyTheStart) {
    open("Raster600");
    d.page_scale = 1.0f;  // laid out by an earlier page of the document
    Monitor monitor;
    EXPECT_EQ(d.Sink(&monitor), 0);
    ASSERT_EQ(monitor.reports.size(), 1u);
    EXPECT_EQ(monitor.reports[0], 0.0f);
    bool end_line = false;
    for (const auto& e : err.entries())
        if (e.message.rfind("PRint completed in ", 0) == 0) {
            end_line = true;
            EXPECT_EQ(classification(e), 6223);
            EXPECT_EQ(e.code, 0);
        }
    EXPECT_TRUE(end_line);
}

TEST_F(PageOutput, BlocksWithoutAStoreAreNeitherDrawnNorCounted) {
    open("Raster600");
    Store s1, s2;
    add(new Region(CID_LINE_ART, {}, 0, 0, 100, 100), &s1);
    add(new Region(CID_LINE_ART, {}, 200, 0, 300, 100), nullptr);
    add(new Region(CID_LINE_ART, {}, 400, 0, 500, 100), &s2);
    want_all();
    Monitor monitor;
    EXPECT_EQ(d.Sink(&monitor), 0);
    ASSERT_EQ(monitor.reports.size(), 3u);
    EXPECT_NEAR(monitor.reports[1], 33.33f, 0.01f);
    EXPECT_NEAR(monitor.reports[2], 66.67f, 0.01f);
    EXPECT_EQ(d.blocks.length(), 0);
}

TEST_F(PageOutput, LineArtIsDrawnOverThePhotoItCovers) {
    open("Raster600");
    d.deep_bitmaps = 1;
    Store photo, text;
    photo.fill = [](int, unsigned char* m, int bytes) { memset(m, 128, bytes); };  // mid gray
    // Line art: black left half, white (transparent under SRCAND) right half.
    text.fill = [](int, unsigned char* m, int bytes) {
        memset(m, 0xFF, bytes);
        memset(m, 0x00, 19);  // 152 of 300 pixels
    };
    Region* t = add(new Region(CID_LINE_ART, {}, 0, 0, 300, 300), &text);
    Region* p = add(new Region(CID_GRAY_PHOTO, {CID_COLOUR_3102}, 0, 0, 600, 600), &photo);
    t->order_key = 0;
    p->order_key = 1;  // sorted after the text, but it lies under it
    want_all();
    EXPECT_EQ(d.Sink(nullptr), 0);
    ASSERT_EQ(d.DocDone(), 0);
    Page page = read_png(output_dir() + "/raster600-1.png");
    ASSERT_TRUE(page.ok());
    EXPECT_LT(page.gray(100, 300), 40);             // black text
    EXPECT_NEAR(page.gray(500, 300), 128, 40);      // photo shows through white text
    EXPECT_NEAR(page.gray(900, 900), 128, 40);      // photo alone
}

// The journal of the printer's calls: covered blocks first, and the raster
// operation and stretch mode each depth calls for.
TEST_F(PageOutput, TheJournalShowsOrderOperationsAndModes) {
    std::vector<std::string> lines;
    pw_set_printer_trace([&](const std::string& line) { lines.push_back(line); });
    open("Raster600");
    pw_set_printer_trace({});
    d.deep_bitmaps = 1;
    Store photo, text;
    Region* t = add(new Region(CID_LINE_ART, {}, 0, 0, 300, 300), &text);
    Region* p = add(new Region(CID_GRAY_PHOTO, {CID_COLOUR_3102}, 0, 0, 600, 600), &photo);
    t->order_key = 0;
    p->order_key = 1;
    want_all();
    ASSERT_EQ(d.Sink(nullptr), 0);
    std::vector<std::string> draws;
    for (const auto& l : lines)
        if (l.rfind("SetStretchBltMode", 0) == 0 || l.rfind("StretchDIBits", 0) == 0) draws.push_back(l);
    ASSERT_EQ(draws.size(), 4u);
    // The photo (8 bits: colour on colour, copied) comes before the text that covers it
    // (1 bit: black kept when shrinking, ANDed so white is transparent).
    EXPECT_EQ(draws[0], "SetStretchBltMode 3");
    EXPECT_NE(draws[1].find("dib=1200x1200x8 "), std::string::npos) << draws[1];
    EXPECT_NE(draws[1].find("rop=0x00CC0020"), std::string::npos) << draws[1];
    EXPECT_EQ(draws[2], "SetStretchBltMode 1");
    EXPECT_NE(draws[3].find("dib=300x300x1 "), std::string::npos) << draws[3];
    EXPECT_NE(draws[3].find("rop=0x008800C6"), std::string::npos) << draws[3];
    EXPECT_EQ(d.DocDone(), 0);  // while `lines` still takes the trace
}

TEST_F(PageOutput, MonitorCancellingAtStartDrawsNothing) {
    open("Raster600");
    Store s;
    add(new Region(CID_LINE_ART, {}, 0, 0, 100, 100), &s);
    want_all();
    Monitor monitor;
    monitor.cancel_at = 0;
    EXPECT_EQ(d.Sink(&monitor), KEL_CANCELLED);
    EXPECT_EQ(s.pulled, 0);
    EXPECT_TRUE(s.cancelled);
    EXPECT_EQ(d.blocks.length(), 0);
    const KEL_LOG_ENTRY* e = find_log("Cancelled by progress monitor at start");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(classification(*e), 6122);
    EXPECT_EQ(e->code, KEL_CANCELLED);
}

TEST_F(PageOutput, MonitorCancellingAfterABlock) {
    open("Raster600");
    Store s1, s2;
    add(new Region(CID_LINE_ART, {}, 0, 0, 100, 100), &s1);
    add(new Region(CID_LINE_ART, {}, 200, 0, 300, 100), &s2);
    want_all();
    Monitor monitor;
    monitor.cancel_at = 1;
    EXPECT_EQ(d.Sink(&monitor), KEL_CANCELLED);
    EXPECT_EQ(s2.pulled, 0);
    EXPECT_TRUE(s2.cancelled);
    EXPECT_NE(find_log("Cancelled by progress monitor"), nullptr);
}

TEST_F(PageOutput, AnOutlinePullThatCancelsSparesItsOwnStore) {
    open("Raster600");
    Store outline, other;
    outline.pull_results[0] = KEL_CANCELLED;
    add(new Region(CID_OUTLINES, {CID_COLOUR_3103}, 0, 0, 100, 100), &outline);
    add(new Region(CID_LINE_ART, {}, 200, 0, 300, 100), &other);
    want_all();
    EXPECT_EQ(d.Sink(nullptr), KEL_CANCELLED);
    EXPECT_FALSE(outline.cancelled);
    EXPECT_TRUE(other.cancelled);
    EXPECT_EQ(count_log("Cancelled by return from pull"), 1);
    EXPECT_EQ(count_log("Failed to make metafile"), 0);
}

TEST_F(PageOutput, ALostOutlineFinishesThePage) {
    open("Raster600");
    Store outline, after;
    outline.pull_results[0] = KEL_WARN_LOST_OUTLINE;
    CLART_FIGURE square;
    square.start = EPOINT(0, 0);
    square.kinds = {CLART_FIGURE::LINE, CLART_FIGURE::LINE, CLART_FIGURE::LINE};
    square.points = {EPOINT(10, 0), EPOINT(10, 10), EPOINT(0, 10)};
    outline.art.add_figure(square);
    outline.art.compute_bounds();
    add(new Region(CID_OUTLINES, {CID_COLOUR_3103}, 0, 0, 100, 100), &outline);
    add(new Region(CID_LINE_ART, {}, 200, 0, 300, 100), &after);
    want_all();
    EXPECT_EQ(d.Sink(nullptr), KEL_WARN_LOST_OUTLINE);
    EXPECT_GT(after.pulled, 0);
    const KEL_LOG_ENTRY* e = find_log("Detected lost outline in drawing");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(classification(*e), 9123);
    EXPECT_EQ(d.DocDone(), 0);
}

TEST_F(PageOutput, StoreFailuresStopThePage) {
    struct Case {
        const char* name;
        CLASS_ID cls;
        int setup, pull, done;
        int expected;
        const char* message;
    } cases[] = {
        {"outline setup", CID_OUTLINES, KEL_ERR_IO, 0, 0, KEL_ERR_IO, "Called 'xform->Setup()', expected 0x0, got 0x83000004"},
        {"outline pull", CID_OUTLINES, 0, KEL_ERR_IO, 0, KEL_ERR_IO, "Bad return from pull"},
        {"outline done", CID_OUTLINES, 0, 0, KEL_ERR_IO, KEL_ERR_IO, "Bad return from Done"},
        {"bitmap pull", CID_LINE_ART, 0, KEL_ERR_IO, 0, KEL_ERR_IO, "Failed to make metafile"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        err.clear();
        open("Raster600");
        Store s;
        s.setup_result = c.setup;
        if (c.pull) s.pull_results[0] = c.pull;
        s.done_result = c.done;
        std::vector<CLASS_ID> families;
        if (c.cls == CID_OUTLINES) families = {CID_COLOUR_3103};
        add(new Region(c.cls, families, 0, 0, 100, 100), &s);
        want_all();
        EXPECT_EQ(d.Sink(nullptr), c.expected);
        EXPECT_GE(count_log(c.message), 1);
        EXPECT_EQ(d.blocks.length(), 0);
        d.DocDone();
    }
}

TEST_F(PageOutput, StartPageFailingAbortsAndKeepsTheBlocks) {
    open("Raster600");
    Store s;
    add(new Region(CID_LINE_ART, {}, 0, 0, 100, 100), &s);
    want_all();
    AbortDoc(d.printer_dc->m_hDC);  // the spooler gave up on the document
    EXPECT_EQ(d.Sink(nullptr), KEL_CANCELLED);
    const KEL_LOG_ENTRY* e = find_log("StartPage returned an error.");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(classification(*e), 9221);
    EXPECT_EQ(d.blocks.length(), 1);
    d.Cancel();
    EXPECT_EQ(d.blocks.length(), 0);
}

TEST_F(PageOutput, EndPageFailingMakesDocDoneAbort) {
    open("Raster600");
    Store s;
    add(new Region(CID_LINE_ART, {}, 0, 0, 100, 100), &s);
    want_all();
    {
        DiskFull full;  // the page cannot be written out
        d.Sink(nullptr);
    }
    EXPECT_LT(d.end_page_result, 0);
    err.clear();
    EXPECT_EQ(d.DocDone(), KEL_CANCELLED);
    EXPECT_EQ(d.printer_dc, nullptr);
    // Only the guard's lines: the abort itself is not reported.
    for (const auto& e : err.entries()) EXPECT_EQ(e.message.rfind("Floating pt.", 0), 0u) << e.message;
}

TEST_F(PageOutput, UnsafeCallsPrintNothingAndSayWhy) {
    // No document.
    Store s;
    add(new Region(CID_LINE_ART, {}, 0, 0, 100, 100), &s);
    EXPECT_EQ(d.Sink(nullptr), KEL_ERR_BAD_STATE);
    EXPECT_EQ(d.blocks.length(), 0);
    // A document, but no request for data yet: the page scale is still 0.
    open("Raster600");
    add(new Region(CID_LINE_ART, {}, 0, 0, 100, 100), &s);
    EXPECT_EQ(d.Sink(nullptr), KEL_ERR_BAD_STATE);
    EXPECT_EQ(s.pulled, 0);
    EXPECT_EQ(err.count() > 0, true);
    // A store without a holder (its data was declined) is skipped.
    Region* page = add(page_region(2550, 3300), nullptr);
    add(new Region(CID_LINE_ART, {}, 0, 0, 100, 100), nullptr);
    want_all();
    EXPECT_EQ(d.ConnectRegion(page->object_id, &s), 0);
    EXPECT_EQ(d.Sink(nullptr), 0);
    EXPECT_EQ(s.pulled, 0);
}

// A Cancel that comes through the abort procedure's message dispatch while Sink
// draws: the page ends as cancelled and nothing is freed twice.
TEST_F(PageOutput, ACancelArrivingWhileThePageIsDrawn) {
    open("Raster600");
    Store s1, s2;
    add(new Region(CID_LINE_ART, {}, 0, 0, 300, 300), &s1);
    add(new Region(CID_LINE_ART, {}, 600, 0, 900, 300), &s2);
    want_all();
    struct Ctx {
        EDESTIN_PRINTER* d;
        int cancels = 0;
    } ctx{&d};
    auto handler = [](void* c, const MSG* msg) -> LRESULT {
        auto* ctx = static_cast<Ctx*>(c);
        if (msg->message == WM_USER + 7) {
            ++ctx->cancels;
            ctx->d->Cancel();
        }
        return 0;
    };
    void* previous_ctx = nullptr;
    PW_THREAD_MESSAGE_HANDLER previous = pw_set_thread_message_handler(handler, &ctx, &previous_ctx);
    // Posted while the first block is pulled: the drawing's abort-procedure calls
    // dispatch it.
    s1.fill = [](int line, unsigned char* m, int bytes) {
        memset(m, 0, bytes);
        if (line == 0) PostThreadMessageA(GetCurrentThreadId(), WM_USER + 7, 0, 0);
    };
    int rc = d.Sink(nullptr);
    pw_set_thread_message_handler(previous, previous_ctx, nullptr);
    EXPECT_EQ(ctx.cancels, 1);
    EXPECT_EQ(rc, KEL_CANCELLED);
    EXPECT_EQ(s2.pulled, 0);
    EXPECT_EQ(d.blocks.length(), 0);
}

}  // namespace
