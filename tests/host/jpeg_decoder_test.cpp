#include <gtest/gtest.h>

#include "decode/image.h"
#include "host_test_util.h"
#include "tools/sample_images.h"

using namespace lucentra;
using samples::Raster;
using test::TempDir;

namespace {

Raster smooth(int w, int h, int channels) {
    Raster r(w, h, channels, 8);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < channels; ++c) r.row(y)[x * channels + c] = (uint8_t)(x * 3 + y * 2 + c * 40);
    return r;
}

}  // namespace

TEST(JpegDecoder, GrayAndColourBaselineAndProgressive) {
    TempDir dir;
    for (int channels : {1, 3})
        for (bool progressive : {false, true}) {
            SCOPED_TRACE(std::to_string(channels) + (progressive ? " progressive" : " baseline"));
            Raster r = smooth(40, 30, channels);
            samples::write_jpeg(dir.file("a.jpg"), r, 95, 0, 0, progressive);
            auto image = open_image(dir.file("a.jpg"));
            EXPECT_EQ(image->page(0).channels, channels);
            EXPECT_EQ(image->page(0).has_colour, channels == 3);
            EXPECT_LE(test::max_difference(test::read_page(*image), r.data), 8);
        }
}

TEST(JpegDecoder, ResolutionFromJfifDensity) {
    TempDir dir;
    Raster r = smooth(8, 8, 1);
    samples::write_jpeg(dir.file("d.jpg"), r, 90, 300, 150);
    auto image = open_image(dir.file("d.jpg"));
    EXPECT_EQ(image->page(0).xres, 300);
    EXPECT_EQ(image->page(0).yres, 150);

    // Density unit 0 is an aspect ratio only.
    samples::write_jpeg(dir.file("n.jpg"), r, 90);
    DecodeOptions options;
    options.fallback_dpi = 200;
    EXPECT_EQ(open_image(dir.file("n.jpg"), options)->page(0).xres, 200);
    EXPECT_FALSE(open_image(dir.file("n.jpg"), options)->page(0).res_from_file);
}

TEST(JpegDecoder, TruncatedFileIsAnErrorNotGrayRows) {
    TempDir dir;
    Raster r(64, 64, 3, 8);
    for (size_t i = 0; i < r.data.size(); ++i) r.data[i] = (uint8_t)(i * 2654435761u >> 11);
    for (bool progressive : {false, true}) {
        SCOPED_TRACE(progressive);
        std::string path = dir.file("cut.jpg");
        samples::write_jpeg(path, r, 90, 0, 0, progressive);
        auto bytes = samples::read_bytes(path);
        bytes.resize(bytes.size() * 2 / 3);
        samples::write_bytes(path, bytes);
        try {
            auto image = open_image(path);
            test::read_page(*image);
            FAIL() << "a truncated JPEG decoded";
        } catch (const DecodeError& e) {
            EXPECT_NE(std::string(e.what()).find(path + ": "), std::string::npos) << e.what();
        }
    }
}

TEST(JpegDecoder, HugeHeaderIsRefusedAtOpen) {
    TempDir dir;
    std::string path = dir.file("huge.jpg");
    samples::write_jpeg(path, smooth(8, 8, 1), 90);
    auto bytes = samples::read_bytes(path);
    // Find the SOF0 marker and claim 65000 x 65000 pixels.
    for (size_t i = 2; i + 8 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
            bytes[i + 5] = 0xFD, bytes[i + 6] = 0xE8, bytes[i + 7] = 0xFD, bytes[i + 8] = 0xE8;
            break;
        }
    samples::write_bytes(path, bytes);
    try {
        open_image(path);
        FAIL() << "opened";
    } catch (const DecodeError& e) {
        EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos) << e.what();
    }
}
