#include <gtest/gtest.h>

#include "decode/image.h"
#include "host_test_util.h"
#include "tools/sample_images.h"

using namespace lucentra;
using samples::Raster;
using test::TempDir;

namespace {

struct PngCase {
    const char* name;
    Raster raster;
    samples::PngOptions options;
    int channels;              // expected canonical channels
    bool colour, bilevel;
    std::vector<uint8_t> rows; // expected canonical rows
};

samples::PngOptions png(int colour_type, std::vector<samples::Rgb> palette = {}, std::vector<uint8_t> trns = {}) {
    samples::PngOptions o;
    o.colour_type = colour_type;
    o.palette = std::move(palette);
    o.trns = std::move(trns);
    return o;
}

Raster make(int w, int h, int c, int b, std::vector<uint8_t> bytes) {
    Raster r(w, h, c, b);
    r.data = std::move(bytes);
    return r;
}

std::vector<PngCase> cases() {
    std::vector<PngCase> all;
    all.push_back({"gray8", make(3, 1, 1, 8, {0, 128, 255}), png(0), 1, false, false, {0, 128, 255}});
    // 1-bit gray: 1 is white in PNG.
    all.push_back({"gray1", make(10, 1, 1, 1, {0b10100000, 0b01000000}), png(0), 1, false, true,
                   {255, 0, 255, 0, 0, 0, 0, 0, 0, 255}});
    all.push_back({"gray2", make(4, 1, 1, 2, {0b00011011}), png(0), 1, false, false, {0, 85, 170, 255}});
    // 16-bit samples scale to 8 bits (0x8080 is exactly 128).
    all.push_back({"gray16", make(2, 1, 1, 16, {0x80, 0x80, 0xFF, 0xFF}), png(0), 1, false, false, {128, 255}});
    all.push_back({"rgb8", make(2, 1, 3, 8, {1, 2, 3, 250, 251, 252}), png(2), 3, true, false, {1, 2, 3, 250, 251, 252}});
    all.push_back({"rgb16", make(1, 1, 3, 16, {0xFF, 0xFF, 0, 0, 0x80, 0x80}), png(2), 3, true, false, {255, 0, 128}});
    {
        samples::PngOptions o = png(3, {{255, 0, 0}, {0, 0, 255}});
        all.push_back({"palette", make(3, 1, 1, 8, {0, 1, 0}), o, 3, true, false, {255, 0, 0, 0, 0, 255, 255, 0, 0}});
    }
    {
        // A palette of grays reads as gray.
        samples::PngOptions o = png(3, {{0, 0, 0}, {200, 200, 200}});
        all.push_back({"gray palette", make(2, 1, 1, 4, {0x10}), o, 1, false, false, {200, 0}});
    }
    {
        // Palette alpha composes onto white: entry 0 fully transparent, entry 1 half.
        samples::PngOptions o = png(3, {{0, 0, 0}, {0, 0, 0}}, {0, 128});
        all.push_back({"palette trns", make(2, 1, 1, 8, {0, 1}), o, 1, false, false, {255, 127}});
    }
    // Gray+alpha and RGBA compose onto white.
    all.push_back({"gray alpha", make(2, 1, 2, 8, {0, 0, 0, 255}), png(4), 1, false, false, {255, 0}});
    all.push_back({"rgba", make(2, 1, 4, 8, {255, 0, 0, 255, 0, 0, 0, 51}), png(6), 3, true, false,
                   {255, 0, 0, 204, 204, 204}});
    {
        // tRNS on a gray image makes that gray transparent (white).
        samples::PngOptions o = png(0, {}, {0, 7});
        all.push_back({"gray trns", make(2, 1, 1, 8, {7, 8}), o, 1, false, false, {255, 8}});
    }
    {
        Raster r(9, 9, 1, 8);
        std::vector<uint8_t> expect;
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 9; ++x) r.row(y)[x] = (uint8_t)(x * 20 + y), expect.push_back((uint8_t)(x * 20 + y));
        samples::PngOptions o = png(0);
        o.interlace = true;
        all.push_back({"interlaced", r, o, 1, false, false, expect});
    }
    return all;
}

}  // namespace

TEST(PngDecoder, DecodesEveryColourTypeToCanonicalRows) {
    TempDir dir;
    for (const PngCase& c : cases()) {
        SCOPED_TRACE(c.name);
        std::string path = dir.file("case.png");
        samples::write_png(path, c.raster, c.options);
        auto image = open_image(path);
        ASSERT_EQ(image->page_count(), 1);
        const PageInfo& info = image->page(0);
        EXPECT_EQ(info.width, c.raster.width);
        EXPECT_EQ(info.height, c.raster.height);
        EXPECT_EQ(info.channels, c.channels);
        EXPECT_EQ(info.has_colour, c.colour);
        EXPECT_EQ(info.bilevel, c.bilevel);
        EXPECT_EQ(test::read_page(*image), c.rows);
    }
}

TEST(PngDecoder, ResolutionFromPhysElseFallback) {
    TempDir dir;
    Raster r(2, 2, 1, 8);
    samples::PngOptions o = png(0);
    o.dpi = 204;
    o.dpi_y = 196;
    samples::write_png(dir.file("a.png"), r, o);
    auto image = open_image(dir.file("a.png"));
    // 204 and 196 dpi are stored as whole dots per metre; they come back whole.
    EXPECT_EQ(image->page(0).xres, 204);
    EXPECT_EQ(image->page(0).yres, 196);
    EXPECT_TRUE(image->page(0).res_from_file);

    samples::write_png(dir.file("b.png"), r, png(0));
    DecodeOptions fallback;
    fallback.fallback_dpi = 150;
    auto plain = open_image(dir.file("b.png"), fallback);
    EXPECT_EQ(plain->page(0).xres, 150);
    EXPECT_EQ(plain->page(0).yres, 150);
    EXPECT_FALSE(plain->page(0).res_from_file);
}

TEST(PngDecoder, TruncatedDataIsAnErrorNamingTheFile) {
    TempDir dir;
    Raster r(200, 200, 3, 8);
    for (size_t i = 0; i < r.data.size(); ++i) r.data[i] = (uint8_t)(i * 7919 % 251);  // little to compress
    std::string path = dir.file("cut.png");
    samples::write_png(path, r, png(2));
    auto bytes = samples::read_bytes(path);
    bytes.resize(bytes.size() / 2);
    samples::write_bytes(path, bytes);

    auto image = open_image(path);  // the header is intact
    try {
        test::read_page(*image);
        FAIL() << "a truncated PNG decoded";
    } catch (const DecodeError& e) {
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("truncated"), std::string::npos) << e.what();
    }
}

TEST(PngDecoder, AbsurdOrEmptyHeadersAreRefusedAtOpen) {
    TempDir dir;
    std::string path = dir.file("h.png");
    samples::write_png(path, Raster(1, 1, 1, 8), png(0));
    const auto good = samples::read_bytes(path);
    struct Size {
        uint32_t w, h;
        const char* says;
    } sizes[] = {{100000, 100000, "too large"}, {70000, 10, "too large"}, {0, 10, "header"}};
    for (const Size& s : sizes) {
        SCOPED_TRACE(s.w);
        auto bytes = good;
        test::put_be32(bytes, 16, s.w);
        test::put_be32(bytes, 20, s.h);
        test::put_be32(bytes, 29, test::crc32(&bytes[12], 17));  // keep the chunk valid
        samples::write_bytes(path, bytes);
        try {
            open_image(path);
            FAIL() << "opened";
        } catch (const DecodeError& e) {
            EXPECT_NE(std::string(e.what()).find(s.says), std::string::npos) << e.what();
        }
    }
}

TEST(PngDecoder, ReadersAreIndependentAndStopAtTheLastRow) {
    TempDir dir;
    Raster r(1, 2, 1, 8);
    r.data = {10, 20};
    samples::write_png(dir.file("r.png"), r, png(0));
    auto image = open_image(dir.file("r.png"));
    auto first = image->open_rows(0), second = image->open_rows(0);
    uint8_t v = 0;
    first->read(&v);
    first->read(&v);
    EXPECT_EQ(v, 20);
    second->read(&v);
    EXPECT_EQ(v, 10);
    EXPECT_THROW(first->read(&v), DecodeError);
}
