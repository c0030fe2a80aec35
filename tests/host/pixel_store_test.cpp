#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "host_test_util.h"
#include "kel/errlog.h"
#include "store/image_store.h"
#include "tools/sample_images.h"

using namespace lucentra;
using samples::Raster;
using test::TempDir;

namespace {

// The kept bitmap the destination would make: its size, depth, type and DWORD padding.
std::unique_ptr<EBITMAP> wanted(int w, int h, int bits, int type = -1) {
    auto bm = std::make_unique<EBITMAP>();
    initialize_ebitmap(w, h, (char)bits, 300, bm.get());
    if (type >= 0) bm->SetBitMapType(type);
    bm->SetPadLine(PAD_DWORD);
    bm->SetClipValue(255);
    return bm;
}

struct Pulled {
    std::vector<int> results;
    std::vector<uint8_t> lines;  // height x stride
    int stride = 0;
    EPALETTE palette;
};

// Pulls every line through a one-line pointer strip, as the destination does.
Pulled pull_all(ImageStore& store, EBITMAP& form) {
    Pulled p;
    EBITMAP_PSTRIP strip(&form);
    strip.SetHeight(1);
    p.stride = strip.GetBytesPerLine();
    p.lines.assign((size_t)p.stride * form.GetHeight(), 0xAB);  // padding must be overwritten
    EXPECT_EQ(store.Setup(), KEL_OK) << store.error();
    for (int y = 0; y < form.GetHeight(); ++y) {
        strip.SetLine(&p.lines[(size_t)y * p.stride]);
        p.results.push_back(store.Pull(&strip));
    }
    EXPECT_EQ(store.Done(), KEL_OK);
    p.palette = *strip.GetPalette();
    return p;
}

std::shared_ptr<const ImageFile> png_file(const std::string& path, const Raster& r, int colour_type) {
    samples::PngOptions o;
    o.colour_type = colour_type;
    samples::write_png(path, r, o);
    return open_image(path);
}

StoreSource whole(std::shared_ptr<const ImageFile> image, bool line_art = false) {
    StoreSource s;
    s.image = image;
    s.window = {0, 0, (double)image->page(0).width, (double)image->page(0).height};
    s.line_art = line_art;
    return s;
}

}  // namespace

TEST(ImageStore, ProducesEveryFormAtTheAskedSizeWithPadding) {
    TempDir dir;
    // Row 0: red, green, blue, white, black; row 1: gray 85 everywhere.
    Raster r(5, 2, 3, 8);
    const uint8_t row0[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0};
    std::copy(row0, row0 + 15, r.row(0));
    std::fill(r.row(1), r.row(1) + 15, 85);
    auto image = png_file(dir.file("c.png"), r, 2);

    struct Case {
        const char* name;
        int bits, type;
        std::vector<uint8_t> line0, line1;  // packed bytes before the padding
    } cases[] = {
        {"24-bit keeps red-green-blue order", 24, -1, std::vector<uint8_t>(row0, row0 + 15),
         std::vector<uint8_t>(15, 85)},
        {"8-bit gray is luminance", 8, BMT_GRAY, {77, 149, 29, 255, 0}, {85, 85, 85, 85, 85}},
        // 4-bit: high nibble first. Row 1's 85 is level 5 exactly, so diffusion adds nothing.
        {"4-bit gray", 4, -1, {0x49, 0x2F, 0x00}, {0x55, 0x55, 0x50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto form = wanted(5, 2, c.bits, c.type);
        ImageStore store(whole(image), StoreForm::of(*form));
        Pulled p = pull_all(store, *form);
        EXPECT_EQ(p.results, (std::vector<int>{KEL_MORE, KEL_DONE}));
        EXPECT_EQ(p.stride % 4, 0);
        for (int y = 0; y < 2; ++y) {
            const auto& expect = y == 0 ? c.line0 : c.line1;
            std::vector<uint8_t> got(&p.lines[(size_t)y * p.stride], &p.lines[(size_t)y * p.stride] + expect.size());
            if (c.bits == 4 && y == 0) {
                // Diffusion may move the colours by a level; black and white stay.
                EXPECT_EQ(got[1] & 0x0F, 0x0F);
                EXPECT_EQ(got[2], 0x00);
                EXPECT_NEAR(got[0] >> 4, 76 / 17, 1);
            } else {
                EXPECT_EQ(got, expect);
            }
            for (int i = (int)expect.size(); i < p.stride; ++i) EXPECT_EQ(p.lines[(size_t)y * p.stride + i], 0) << i;
        }
    }
}

TEST(ImageStore, OneBitIsWhiteOnThresholdForLineArtAndDiffusedForPhotos) {
    TempDir dir;
    // Left half mid-gray 100, right half light gray 180; 64 x 64.
    Raster r(64, 64, 1, 8);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) r.row(y)[x] = x < 32 ? 100 : 180;
    auto image = png_file(dir.file("g.png"), r, 0);
    auto form = wanted(64, 64, 1);

    auto white_share = [&](const Pulled& p, int x0, int x1) {
        int white = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = x0; x < x1; ++x) white += (p.lines[(size_t)y * p.stride + x / 8] >> (7 - x % 8)) & 1;
        return white / double(64 * (x1 - x0));
    };
    ImageStore line_art(whole(image, true), StoreForm::of(*form));
    Pulled cut = pull_all(line_art, *form);
    EXPECT_EQ(white_share(cut, 0, 32), 0.0);   // 100 is darker than mid-gray: black
    EXPECT_EQ(white_share(cut, 32, 64), 1.0);  // 180: white

    ImageStore photo(whole(image), StoreForm::of(*form));
    Pulled diffused = pull_all(photo, *form);
    EXPECT_NEAR(white_share(diffused, 0, 32), 100 / 255.0, 0.03);
    EXPECT_NEAR(white_share(diffused, 32, 64), 180 / 255.0, 0.03);
}

TEST(ImageStore, BlackAndWhiteScansStayExactAtOneBit) {
    TempDir dir;
    Raster r(20, 3, 1, 1);
    for (size_t i = 0; i < r.data.size(); ++i) r.data[i] = (uint8_t)(0x5A ^ i * 37);
    samples::TiffPage page;
    page.raster = r;
    page.photometric = 0;  // min-is-white: a set bit is black
    page.compression = 4;
    samples::write_tiff(dir.file("fax.tif"), {page});
    std::shared_ptr<const ImageFile> image = open_image(dir.file("fax.tif"));
    auto form = wanted(20, 3, 1);
    ImageStore store(whole(image), StoreForm::of(*form));  // a page region, not line art
    Pulled p = pull_all(store, *form);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 20; ++x) {
            int black = (r.row(y)[x / 8] >> (7 - x % 8)) & 1;
            int white = (p.lines[(size_t)y * p.stride + x / 8] >> (7 - x % 8)) & 1;
            EXPECT_EQ(white, 1 - black) << x << "," << y;
        }
}

TEST(ImageStore, PaletteLinesCarryTheirPalette) {
    TempDir dir;
    // Few colours: kept exactly.
    Raster few(6, 1, 3, 8);
    const uint8_t colours[] = {10, 20, 30, 200, 100, 0, 10, 20, 30, 0, 0, 255, 255, 255, 255, 200, 100, 0};
    std::copy(colours, colours + 18, few.row(0));
    auto image = png_file(dir.file("p.png"), few, 2);
    auto form = wanted(6, 1, 8, BMT_PALETTE);
    ImageStore store(whole(image), StoreForm::of(*form));
    Pulled p = pull_all(store, *form);
    ASSERT_EQ(p.results, std::vector<int>{KEL_DONE});
    EXPECT_EQ(p.palette.Colors(), 4);
    for (int x = 0; x < 6; ++x) {
        COLOR_ENTRY e{};
        ASSERT_EQ(p.palette.Get(p.lines[x], &e), KEL_OK);
        EXPECT_EQ(e.red, colours[3 * x]);
        EXPECT_EQ(e.green, colours[3 * x + 1]);
        EXPECT_EQ(e.blue, colours[3 * x + 2]);
    }

    // Many colours: at most 256 entries, each pixel close to its colour.
    Raster many(64, 64, 3, 8);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            many.row(y)[3 * x] = (uint8_t)(x * 4), many.row(y)[3 * x + 1] = (uint8_t)(y * 4),
                       many.row(y)[3 * x + 2] = (uint8_t)((x + y) * 2);
    auto image2 = png_file(dir.file("m.png"), many, 2);
    auto form2 = wanted(64, 64, 8, BMT_PALETTE);
    ImageStore store2(whole(image2), StoreForm::of(*form2));
    Pulled q = pull_all(store2, *form2);
    EXPECT_LE(q.palette.Colors(), 256);
    EXPECT_GT(q.palette.Colors(), 200);
    int worst = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            COLOR_ENTRY e{};
            ASSERT_EQ(q.palette.Get(q.lines[(size_t)y * q.stride + x], &e), KEL_OK);
            worst = std::max({worst, std::abs(e.red - x * 4), std::abs(e.green - y * 4), std::abs(e.blue - (x + y) * 2)});
        }
    EXPECT_LE(worst, 24);
}

TEST(ImageStore, FollowsTheStoreProtocol) {
    TempDir dir;
    Raster r(4, 3, 1, 8);
    for (int y = 0; y < 3; ++y) std::fill(r.row(y), r.row(y) + 4, (uint8_t)(y * 100));
    auto image = png_file(dir.file("s.png"), r, 0);
    auto form = wanted(4, 3, 8);
    ImageStore store(whole(image), StoreForm::of(*form));
    EBITMAP_PSTRIP strip(form.get());
    strip.SetHeight(1);
    std::vector<uint8_t> line(strip.GetBytesPerLine());
    strip.SetLine(line.data());

    err.clear();
    EXPECT_EQ(store.Pull(&strip), KEL_ERR_BAD_STATE);  // before Setup
    ASSERT_EQ(store.Setup(), KEL_OK);
    EXPECT_EQ(store.Pull(&strip), KEL_MORE);
    EXPECT_EQ(store.Pull(&strip), KEL_MORE);
    EXPECT_EQ(line[0], 100);
    ASSERT_EQ(store.Setup(), KEL_OK);  // starts again at the top
    EXPECT_EQ(store.Pull(&strip), KEL_MORE);
    EXPECT_EQ(line[0], 0);
    EXPECT_EQ(store.Cancel(), KEL_OK);
    EXPECT_EQ(store.Pull(&strip), KEL_CANCELLED);
    ASSERT_EQ(store.Setup(), KEL_OK);
    for (int i = 0; i < 2; ++i) store.Pull(&strip);
    EXPECT_EQ(store.Pull(&strip), KEL_DONE);
    EXPECT_EQ(store.Pull(&strip), KEL_ERR_BAD_STATE);  // past the last line

    auto narrow = wanted(3, 3, 8);
    EBITMAP_PSTRIP other(narrow.get());
    other.SetLine(line.data());
    ASSERT_EQ(store.Setup(), KEL_OK);
    EXPECT_EQ(store.Pull(&other), KEL_ERR_BAD_ARGUMENT);  // not the form asked for
    EBITMAP_PSTRIP no_memory(form.get());
    EXPECT_EQ(store.Pull(&no_memory), KEL_ERR_BAD_ARGUMENT);
    EXPECT_EQ(store.Done(), KEL_OK);
    EXPECT_EQ(store.Pull(&strip), KEL_ERR_BAD_STATE);  // after Done

    // The job's stop flag cancels every pull.
    std::atomic<bool> stop{false};
    StoreSource stoppable = whole(image);
    stoppable.stop = &stop;
    ImageStore watched(stoppable, StoreForm::of(*form));
    ASSERT_EQ(watched.Setup(), KEL_OK);
    EXPECT_EQ(watched.Pull(&strip), KEL_MORE);
    stop = true;
    EXPECT_EQ(watched.Pull(&strip), KEL_CANCELLED);

    // A whole bitmap takes every line in one pull.
    EBITMAP full(form.get());
    ASSERT_EQ(store.Setup(), KEL_OK);
    EXPECT_EQ(store.Pull(&full), KEL_DONE);
    EXPECT_EQ(full.Line(2)[3], 200);

    // Failures were logged for the user, with our source name.
    bool logged = false;
    for (const auto& e : err.entries()) logged |= e.source == "lucentra" && e.show == 2;
    EXPECT_TRUE(logged);
}

TEST(ImageStore, DamagedInputFailsThePullWithTheReason) {
    TempDir dir;
    Raster r(300, 300, 3, 8);
    uint32_t state = 12345;  // xorshift: incompressible, so the cut falls mid-image
    for (auto& v : r.data) state ^= state << 13, state ^= state >> 17, state ^= state << 5, v = (uint8_t)state;
    std::string path = dir.file("cut.png");
    samples::PngOptions o;
    o.colour_type = 2;
    samples::write_png(path, r, o);
    auto bytes = samples::read_bytes(path);
    bytes.resize(bytes.size() / 2);
    samples::write_bytes(path, bytes);

    std::shared_ptr<const ImageFile> image = open_image(path);
    auto form = wanted(150, 150, 24);
    ImageStore store(whole(image), StoreForm::of(*form));
    EBITMAP_PSTRIP strip(form.get());
    std::vector<uint8_t> line(strip.GetBytesPerLine());
    strip.SetLine(line.data());
    ASSERT_EQ(store.Setup(), KEL_OK);
    int result = KEL_MORE, lines = 0;
    while (result == KEL_MORE) result = store.Pull(&strip), ++lines;
    EXPECT_EQ(result, KEL_ERR_IO);
    EXPECT_GT(lines, 10) << store.error();
    EXPECT_LT(lines, 150);
    EXPECT_NE(store.error().find(path), std::string::npos) << store.error();
    EXPECT_NE(store.error().find("truncated"), std::string::npos) << store.error();

    // A form no destination asks for is refused at Setup.
    ImageStore odd(whole(image), StoreForm{10, 10, 16, 0});
    EXPECT_EQ(odd.Setup(), KEL_ERR_UNSUPPORTED);
}
