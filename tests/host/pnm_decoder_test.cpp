#include <gtest/gtest.h>

#include "decode/image.h"
#include "host_test_util.h"
#include "tools/sample_images.h"

using namespace lucentra;
using samples::Raster;
using test::TempDir;

TEST(PnmDecoder, AllSixKinds) {
    TempDir dir;
    Raster bits(10, 2, 1, 1);
    bits.data = {0b10000000, 0b01000000, 0b11111111, 0b11000000};  // 1 is black
    std::vector<uint8_t> bits_rows = {0, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    Raster gray(3, 1, 1, 8);
    gray.data = {0, 7, 15};  // maxval 15
    Raster rgb(2, 1, 3, 8);
    rgb.data = {1, 2, 3, 253, 254, 255};
    Raster deep(2, 1, 1, 16);
    deep.data = {0xFF, 0xFF, 0x80, 0x00};  // maxval 65535

    struct Case {
        int kind;
        const Raster& raster;
        unsigned maxval;
        int channels;
        bool bilevel;
        std::vector<uint8_t> rows;
    } cases[] = {
        {1, bits, 1, 1, true, bits_rows},     {4, bits, 1, 1, true, bits_rows},
        {2, gray, 15, 1, false, {0, 119, 255}}, {5, gray, 15, 1, false, {0, 119, 255}},
        {3, rgb, 255, 3, false, rgb.data},    {6, rgb, 255, 3, false, rgb.data},
        {5, deep, 65535, 1, false, {255, 128}}, {2, deep, 65535, 1, false, {255, 128}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("P" + std::to_string(c.kind) + " maxval " + std::to_string(c.maxval));
        samples::write_pnm(dir.file("a.pnm"), c.raster, c.kind, c.maxval);
        auto image = open_image(dir.file("a.pnm"));
        EXPECT_EQ(image->page(0).channels, c.channels);
        EXPECT_EQ(image->page(0).bilevel, c.bilevel);
        EXPECT_EQ(image->page(0).xres, 300);  // PNM carries no resolution
        EXPECT_EQ(test::read_page(*image), c.rows);
    }
}

TEST(PnmDecoder, BrokenFilesGiveOneClearError) {
    TempDir dir;
    struct Case {
        const char* bytes;
        bool at_open;
        const char* says;
    } cases[] = {
        {"P5\n100000 100000\n255\n", true, "too large"},
        {"P6\n0 5\n255\n", true, "no pixels"},
        {"P5\n4 4\n0\n", true, "maxval"},
        {"P5\n4 x\n255\n", true, "malformed"},
        {"P5\n4 4\n255\nabcdefgh", false, "truncated PNM data at row 3 of 4"},
        {"P2\n2 2\n255\n1 2 3", false, "truncated"},
        {"P3\n1 1\n255\n1 2 x", false, "malformed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        std::string path = dir.file("b.pnm");
        std::string text = c.bytes;
        samples::write_bytes(path, std::vector<uint8_t>(text.begin(), text.end()));
        std::string message;
        bool opened = false;
        try {
            auto image = open_image(path);
            opened = true;
            test::read_page(*image);
        } catch (const DecodeError& e) {
            message = e.what();
        }
        EXPECT_EQ(opened, !c.at_open);
        EXPECT_NE(message.find(c.says), std::string::npos) << message;
        EXPECT_EQ(message.find(path + ": "), 0u) << message;
    }
}
