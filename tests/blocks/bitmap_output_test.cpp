// Drawing bitmap blocks: exact pixels on the raster device (a memory DC over a
// DIB section, or a journal wrapping a raster page) and the exact calls on the
// journal device, per depth; tone steps only where they apply; every failure
// path of the pull with its log entries; banding.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "block_fixtures.h"
#include "pw/gdi.h"
#include "pw/journal_device.h"
#include "pw/raster_device.h"
#include "pw/user.h"
#include "rtfblk.h"

using namespace blocks_test;

namespace {

// A block drawing `lines` (engine lines, top first) through a scripted store.
struct Drawable {
    ESCRIPTEDSTORE store;
    RTFBLK block;

    Drawable(int width, int height, int bits, std::vector<unsigned char> lines, int type = BMT_GRAY,
             float dpi = 300)
        : Drawable(bitmap_of(width, height, bits, dpi, type), std::move(lines)) {}
    Drawable(std::unique_ptr<EBITMAP> bm, std::vector<unsigned char> lines)
        : store(sized(std::move(lines), bm->GetBytesPerLine(), bm->GetHeight()), bm->GetBytesPerLine(),
                bm->GetHeight()) {
        block.set_bitmap(bm.release());
        block.set_seq(&store);
    }
    EBITMAP* bitmap() { return block.get_bitmap(); }
};

// Engine lines from rows of samples (8-bit) or of r, g, b triples (24-bit),
// each row padded to `line_bytes`.
std::vector<unsigned char> lines_of(const std::vector<std::vector<unsigned char>>& rows, int line_bytes) {
    std::vector<unsigned char> out;
    for (const auto& row : rows) {
        out.insert(out.end(), row.begin(), row.end());
        out.resize(out.size() + (line_bytes - row.size()), 0);
    }
    return out;
}

// A memory DC over a 24-bit DIB section filled with one colour.
class MemoryDc {
public:
    MemoryDc(int width, int height, COLORREF fill) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        void* bits = nullptr;
        section_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        dc_ = CreateCompatibleDC(nullptr);
        previous_ = SelectObject(dc_, section_);
        raster()->clear(fill);
    }
    ~MemoryDc() {
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
        DeleteObject(section_);
    }
    HDC dc() const { return dc_; }
    pw::RasterDevice* raster() const { return dynamic_cast<pw::RasterDevice*>(pw_dc_device(dc_)); }
    COLORREF at(int x, int y) const { return raster()->pixel(x, y); }

private:
    HBITMAP section_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// A journal DC, optionally over a raster page.
class JournalDc {
public:
    explicit JournalDc(std::unique_ptr<pw::Device> target = nullptr)
        : dc_(pw_create_journal_dc(std::move(target))) {}
    ~JournalDc() { DeleteDC(dc_); }
    HDC dc() const { return dc_; }
    pw::JournalDevice* journal() const { return dynamic_cast<pw::JournalDevice*>(pw_dc_device(dc_)); }
    std::vector<std::string> lines_starting(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const std::string& l : journal()->lines())
            if (l.rfind(prefix, 0) == 0) out.push_back(l);
        return out;
    }
    // The StretchDIBits lines up to the device part.
    std::vector<std::string> stretches() const {
        std::vector<std::string> out;
        for (std::string l : lines_starting("StretchDIBits")) out.push_back(l.substr(0, l.find(" device=")));
        return out;
    }

private:
    HDC dc_;
};

// Collects message boxes instead of printing them.
class MessageBoxes {
public:
    MessageBoxes() { previous_ = pw_set_message_box_hook(&MessageBoxes::hook, this, &previous_ctx_); }
    ~MessageBoxes() { pw_set_message_box_hook(previous_, previous_ctx_, nullptr); }
    std::vector<std::string> texts;
    std::vector<bool> had_caption;

private:
    static int hook(void* ctx, HWND, LPCSTR text, LPCSTR caption, UINT) {
        auto* self = static_cast<MessageBoxes*>(ctx);
        self->texts.push_back(text ? text : "");
        self->had_caption.push_back(caption != nullptr);
        return IDOK;
    }
    PW_MESSAGEBOX_HOOK previous_ = nullptr;
    void* previous_ctx_ = nullptr;
};

class BitmapOutput : public ::testing::Test {
protected:
    void SetUp() override {
        err.clear();
        one_bit_mode = 0;
    }
    void TearDown() override { one_bit_mode = 0; }

    static std::vector<std::string> messages() {
        std::vector<std::string> out;
        for (const KEL_LOG_ENTRY& e : entries_of("rtfblk")) {
            EXPECT_EQ(e.label, 9);
            EXPECT_EQ(e.show, 1);
            EXPECT_EQ(e.action, 2);
            EXPECT_EQ(e.detail, 2);
            out.push_back(e.message);
        }
        return out;
    }
};

constexpr COLORREF kBackground = RGB(30, 200, 10);

}  // namespace

TEST_F(BitmapOutput, OneBitImageDrawsBlackOverThePageAndLeavesWhiteTransparent) {
    // Engine 1-bit lines: most significant bit first, 1 is white.
    //   row 0: white black white black, row 1: black black white white
    sCOPYINFO tones{50, 40, 1, 0};  // no tone step may touch packed bits
    for (unsigned char mode : {0, 1}) {
        one_bit_mode = mode;
        Drawable d(4, 2, 1, lines_of({{0xA0}, {0x30}}, 4));
        MemoryDc page(4, 2, kBackground);
        ASSERT_EQ(d.block.pull_to_dc(page.dc(), 0, 0, 4, 2, 1, &tones), 0);
        const COLORREF white = mode ? RGB(255, 255, 255) : kBackground;
        const COLORREF black = RGB(0, 0, 0);
        const COLORREF expected[2][4] = {{white, black, white, black}, {black, black, white, white}};
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x) EXPECT_EQ(page.at(x, y), expected[y][x]) << x << "," << y << " mode " << (int)mode;

        Drawable again(4, 2, 1, lines_of({{0xA0}, {0x30}}, 4));
        JournalDc journal;
        ASSERT_EQ(again.block.pull_to_dc(journal.dc(), 10, 20, 18, 24, 1, &tones), 0);
        EXPECT_EQ(journal.lines_starting("SelectPalette entries=2").size(), 1u);
        EXPECT_EQ(journal.lines_starting("RealizePalette").size(), 1u);
        EXPECT_EQ(journal.lines_starting("SetStretchBltMode").back(), "SetStretchBltMode 1");
        ASSERT_EQ(journal.stretches().size(), 1u);
        EXPECT_EQ(journal.stretches()[0],
                  std::string("StretchDIBits dst=10,20,8,4 src=0,0,4,2 dib=4x2x1 usage=0 rop=") +
                      (mode ? "0x00CC0020" : "0x008800C6") + " mode=1");
        // The palette is selected out again after drawing.
        EXPECT_EQ(journal.journal()->lines().back(), "SelectPalette default");
    }
    EXPECT_TRUE(messages().empty());
}

TEST_F(BitmapOutput, FourBitImageUsesAGrayRampOfSixteenSteps) {
    // Values 0, 3, 15, 8 (high nibble first); brightness must not apply.
    sCOPYINFO tones{50, 0, 0, 0};
    Drawable d(4, 1, 4, lines_of({{0x03, 0xF8}}, 4));
    MemoryDc page(4, 1, kBackground);
    ASSERT_EQ(d.block.pull_to_dc(page.dc(), 0, 0, 4, 1, 1, &tones), 0);
    const int gray[4] = {0, 51, 255, 136};
    for (int x = 0; x < 4; ++x) EXPECT_EQ(page.at(x, 0), RGB(gray[x], gray[x], gray[x])) << x;

    Drawable again(4, 1, 4, lines_of({{0x03, 0xF8}}, 4));
    JournalDc journal;
    ASSERT_EQ(again.block.pull_to_dc(journal.dc(), 0, 0, 4, 1, 1, &tones), 0);
    EXPECT_EQ(journal.lines_starting("SelectPalette entries=16").size(), 1u);
    EXPECT_EQ(journal.lines_starting("SetStretchBltMode").back(), "SetStretchBltMode 3");
    EXPECT_EQ(journal.stretches(),
              std::vector<std::string>{"StretchDIBits dst=0,0,4,1 src=0,0,4,1 dib=4x1x4 usage=0 rop=0x00CC0020 mode=3"});
}

TEST_F(BitmapOutput, TwentyFourBitImageSwapsRedAndBlueAndHasNoPalette) {
    // Engine order r, g, b; green spans 0..255 so the level stretch changes nothing.
    auto rows = lines_of({{255, 0, 0, 0, 255, 0, 0, 0, 255, 200, 100, 50}}, 12);
    Drawable d(4, 1, 24, rows, BMT_COLOUR);
    MemoryDc page(4, 1, kBackground);
    ASSERT_EQ(d.block.pull_to_dc(page.dc(), 0, 0, 4, 1, 1, nullptr), 0);
    EXPECT_EQ(page.at(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(page.at(1, 0), RGB(0, 255, 0));
    EXPECT_EQ(page.at(2, 0), RGB(0, 0, 255));
    EXPECT_EQ(page.at(3, 0), RGB(200, 100, 50));

    Drawable again(4, 1, 24, rows, BMT_COLOUR);
    JournalDc journal;
    ASSERT_EQ(again.block.pull_to_dc(journal.dc(), 0, 0, 4, 1, 1, nullptr), 0);
    EXPECT_TRUE(journal.lines_starting("SelectPalette").empty());
    EXPECT_TRUE(journal.lines_starting("RealizePalette").empty());
    EXPECT_EQ(journal.stretches(),
              std::vector<std::string>{"StretchDIBits dst=0,0,4,1 src=0,0,4,1 dib=4x1x24 usage=0 rop=0x00CC0020 mode=3"});
    EXPECT_TRUE(messages().empty());
}

TEST_F(BitmapOutput, PaletteImageKeepsItsColoursAndItsIndices) {
    MessageBoxes boxes;
    // Palette red, blue; indices 1, 2, 1 are drawn as they are (levelling them
    // would turn them into 0, 255, 0: other colours): blue, the ramp's entry 2, blue.
    Drawable d(3, 1, 8, lines_of({{1, 2, 1}}, 4), BMT_PALETTE);
    // The bitmap carries the palette; the strip the store fills takes it.
    EPALETTE* palette = d.bitmap()->GetPalette();
    palette->SetColors(2);
    palette->Set(0, COLOR_ENTRY{255, 0, 0});
    palette->Set(1, COLOR_ENTRY{0, 0, 255});
    MemoryDc page(3, 1, kBackground);
    sCOPYINFO tones{40, 60, 1, 0};
    ASSERT_EQ(d.block.pull_to_dc(page.dc(), 0, 0, 3, 1, 1, &tones), 0);
    EXPECT_EQ(page.at(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(page.at(1, 0), RGB(2, 2, 2));
    EXPECT_EQ(page.at(2, 0), RGB(0, 0, 255));
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"bitsPP==8 with COLOR bitmap"});
    EXPECT_EQ(boxes.had_caption, std::vector<bool>{false});
    auto log = entries_of("rtfblk");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].code, 0);
    EXPECT_EQ(log[0].message, "Palette has 2 colours");

    // Index 0 is the palette's first colour, index 2 the ramp's (2 x 255 / 255).
    Drawable plain(3, 1, 8, lines_of({{0, 2, 255}}, 4), BMT_PALETTE);
    *plain.bitmap()->GetPalette() = *palette;
    MemoryDc page2(3, 1, kBackground);
    ASSERT_EQ(plain.block.pull_to_dc(page2.dc(), 0, 0, 3, 1, 1, nullptr), 0);
    EXPECT_EQ(page2.at(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(page2.at(1, 0), RGB(2, 2, 2));
    EXPECT_EQ(page2.at(2, 0), RGB(255, 255, 255));
}

TEST_F(BitmapOutput, TwentyFourBitGrayBitmapIsReportedAndStillDrawn) {
    MessageBoxes boxes;
    Drawable d(1, 1, 24, lines_of({{9, 9, 9}}, 4), BMT_GRAY);
    MemoryDc page(1, 1, kBackground);
    ASSERT_EQ(d.block.pull_to_dc(page.dc(), 0, 0, 1, 1, 1, nullptr), 0);
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"bitsPP==24 with GRAY bitmap"});
    EXPECT_EQ(page.at(0, 0), RGB(9, 9, 9));
}

TEST_F(BitmapOutput, ToneStepsApplyToEightBitGrayOnlyWhenSettingsAreGiven) {
    struct Case {
        const char* name;
        bool with_settings;
        sCOPYINFO tones;
        std::vector<unsigned char> samples, expected;
    } cases[] = {
        {"no settings: levels only", false, {}, {40, 120, 200}, {0, 127, 255}},
        {"brightness", true, {10, 0, 0, 0}, {0, 100, 250, 255}, {10, 110, 255, 255}},
        {"contrast", true, {0, 40, 0, 0}, {0, 64, 192, 255}, {0, 25, 231, 255}},
        {"clipping", true, {0, 0, 1, 0}, {0, 226, 19, 225, 255}, {0, 255, 0, 225, 255}},
    };
    for (Case& c : cases) {
        const int n = (int)c.samples.size();
        Drawable d(n, 1, 8, lines_of({c.samples}, (n + 3) / 4 * 4), BMT_GRAY);
        MemoryDc page(n, 1, kBackground);
        ASSERT_EQ(d.block.pull_to_dc(page.dc(), 0, 0, n, 1, 1, c.with_settings ? &c.tones : nullptr), 0);
        for (int x = 0; x < n; ++x) {
            const int v = c.expected[x];
            EXPECT_EQ(page.at(x, 0), RGB(v, v, v)) << c.name << " sample " << x;
        }
    }
}

TEST_F(BitmapOutput, PullResultsAndStoreFailuresAreLoggedAndNothingIsDrawn) {
    const std::string via_dib = "Called 'pull_to_dib(bm,dc, &dib,&handle,&im_buffer)', expected 0x0, got 0x";
    struct Case {
        const char* name;
        int setup, done;
        std::map<int, int> results;
        int expected;
        std::vector<std::string> log;
        int pulls, dones;
    } cases[] = {
        {"more on an inner line", 0, 0, {{0, KEL_MORE}, {1, KEL_OK}}, KEL_OK, {}, 3, 1},
        {"more on the last line", 0, 0, {{2, KEL_MORE}}, KEL_MORE,
         {"Bad return 0x80000067 from pull", via_dib + "80000067"}, 3, 0},
        {"cancel", 0, 0, {{1, KEL_CANCELLED}}, KEL_CANCELLED,
         {"Cancelled by return from pull", via_dib + "80000068"}, 2, 0},
        {"failure", 0, 0, {{0, KEL_ERR_IO}}, KEL_ERR_IO,
         {"Bad return 0x83000004 from pull", via_dib + "83000004"}, 1, 0},
        {"setup", KEL_ERR_IO, 0, {}, KEL_ERR_IO,
         {"Called 'xform->Setup()', expected 0x0, got 0x83000004", via_dib + "83000004"}, 0, 0},
        {"done", 0, KEL_ERR_BAD_STATE, {}, KEL_ERR_BAD_STATE,
         {"Called 'xform->Done()', expected 0x0, got 0x83000006", via_dib + "83000006"}, 3, 1},
    };
    for (Case& c : cases) {
        err.clear();
        Drawable d(2, 3, 8, lines_of({{0, 255}, {1, 2}, {3, 4}}, 4));
        d.store.setup_result = c.setup;
        d.store.done_result = c.done;
        d.store.pull_results = c.results;
        JournalDc journal;
        EXPECT_EQ(d.block.pull_to_dc(journal.dc(), 0, 0, 2, 3, 1, nullptr), c.expected) << c.name;
        EXPECT_EQ(messages(), c.log) << c.name;
        EXPECT_EQ(d.store.pull_calls, c.pulls) << c.name << ": pulls stop at the first bad result";
        EXPECT_EQ(d.store.done_calls, c.dones) << c.name;
        EXPECT_EQ(journal.stretches().size(), c.expected == KEL_OK ? 1u : 0u) << c.name;
        for (const KEL_LOG_ENTRY& e : entries_of("rtfblk")) EXPECT_EQ(e.code, c.expected) << c.name;
    }
}

TEST_F(BitmapOutput, DibSectionFailureIsReportedWithItsErrorAndPullsNothing) {
    Drawable d(0, 3, 8, {});
    JournalDc journal;
    const int r = d.block.pull_to_dc(journal.dc(), 0, 0, 2, 3, 1, nullptr);
    EXPECT_EQ(r, KEL_ERR_NO_MEMORY);
    auto log = messages();
    ASSERT_EQ(log.size(), 2u);
    const std::string head = "No memory to make bitmap to pull into, handle=0x0, buffer=0x0, errcode=";
    EXPECT_EQ(log[0].substr(0, head.size()), head);
    EXPECT_NE(log[0].find(", msg="), std::string::npos);
    EXPECT_EQ(d.store.setup_calls, 0);
    EXPECT_TRUE(journal.stretches().empty());
}

TEST_F(BitmapOutput, BlocksWithoutBitmapOrStoreAreRefused) {
    RTFBLK empty;
    JournalDc journal;
    EXPECT_EQ(empty.pull_to_dc(journal.dc(), 0, 0, 1, 1, 1, nullptr), KEL_ERR_BAD_STATE);
    Drawable d(1, 1, 8, {0});
    d.block.set_seq(nullptr);
    EXPECT_NE(d.block.pull_to_dc(journal.dc(), 0, 0, 1, 1, 1, nullptr), KEL_OK);
    EXPECT_TRUE(journal.stretches().empty());
}

TEST_F(BitmapOutput, PaletteFailuresLetDrawingGoOnAndAFailedDrawIsReported) {
    // Without a DC the palette cannot be selected or realised; drawing is still
    // tried, and its failure is the result.
    Drawable d(4, 1, 1, lines_of({{0xA0}}, 4));
    EXPECT_EQ(d.block.pull_to_dc(nullptr, 0, 0, 4, 1, 1, nullptr), KEL_ERR_NO_MEMORY);
    EXPECT_EQ(messages(), (std::vector<std::string>{"Could not select palette", "Could not realize palette",
                                                    "No memory to copy bitmap into metafile dc"}));
}

TEST_F(BitmapOutput, LargeImagesGoInTenBandsFromTenMillionBytes) {
    // Size = 2 x height x ((bits x width + 15) / 16).
    struct Case {
        int width, height;
        size_t calls;
    } cases[] = {
        {10000, 1000, 10},   // 10,000,000
        {9998, 1000, 1},     // 9,998,000
        {9999998, 1, 1},     // 9,999,998
        {10000000, 1, 1},    // 10,000,000, but one row cannot make ten bands
    };
    for (const Case& c : cases) {
        Drawable d(c.width, c.height, 8, {});
        JournalDc journal;
        ASSERT_EQ(d.block.pull_to_dc(journal.dc(), 0, 0, 1000, 1000, 1, nullptr), 0);
        EXPECT_EQ(journal.stretches().size(), c.calls) << c.width << "x" << c.height;
    }
}

TEST_F(BitmapOutput, BandsDrawEveryRowAndEveryDestinationUnit) {
    // 1234 rows onto 1005 units: nine bands of 123 rows into 100 units, and a
    // last band of the remaining 127 rows into the remaining 105 units.
    const int width = 8104, height = 1234;  // 8-bit: 2 x 1234 x 4052 bytes
    std::vector<unsigned char> image((size_t)width * height, 255);
    std::fill(image.begin(), image.begin() + 4 * width, 0);  // the top four rows black
    Drawable d(width, height, 8, image);
    auto raster = std::make_unique<pw::RasterDevice>(pw::raster_caps(100, 1005, 300, 300, pw::PixelFormat::bgr24),
                                                     pw::PixelFormat::bgr24);
    pw::RasterDevice* page = raster.get();
    page->clear(RGB(255, 0, 0));
    JournalDc journal(std::move(raster));
    ASSERT_EQ(d.block.pull_to_dc(journal.dc(), 0, 0, 100, 1005, 1, nullptr), 0);

    std::vector<std::string> expected;
    for (int k = 0; k < 9; ++k)
        expected.push_back("StretchDIBits dst=0," + std::to_string(k * 100) + ",100,100 src=0," +
                           std::to_string(height - (k + 1) * 123) + ",8104,123 dib=8104x1234x8 usage=0 rop=0x00CC0020 mode=3");
    expected.push_back("StretchDIBits dst=0,900,100,105 src=0,0,8104,127 dib=8104x1234x8 usage=0 rop=0x00CC0020 mode=3");
    EXPECT_EQ(journal.stretches(), expected);
    EXPECT_EQ(page->pixel(50, 0), RGB(0, 0, 0)) << "the image's top rows reach the page";
    EXPECT_EQ(page->pixel(50, 1004), RGB(255, 255, 255)) << "the last units are drawn";
    EXPECT_EQ(page->pixel(50, 500), RGB(255, 255, 255));
}

namespace {

// A device that fails its n-th StretchDIBits.
class FailingDevice : public pw::Device {
public:
    explicit FailingDevice(int fail_at) : Device(pw::raster_caps(100, 100, 300, 300, pw::PixelFormat::bgr24)), fail_at_(fail_at) {}
    const char* kind() const override { return "failing"; }
    int calls = 0;

protected:
    pw::DrawStatus on_stretch_dib(const pw::StretchDibCall& call, int* lines) override {
        *lines = call.src.height();
        return ++calls == fail_at_ ? pw::DrawStatus::failed : pw::DrawStatus::done;
    }

private:
    int fail_at_;
};

}  // namespace

TEST_F(BitmapOutput, AFailedBandFailsTheDrawingAtOnce) {
    auto device = std::make_unique<FailingDevice>(3);
    FailingDevice* failing = device.get();
    HDC dc = pw_create_dc(std::move(device));
    Drawable d(10000, 1000, 8, {});
    EXPECT_EQ(d.block.pull_to_dc(dc, 0, 0, 100, 100, 1, nullptr), KEL_ERR_NO_MEMORY);
    EXPECT_EQ(failing->calls, 3);
    EXPECT_EQ(messages(), std::vector<std::string>{"No memory to copy bitmap into metafile dc"});
    DeleteDC(dc);
}
