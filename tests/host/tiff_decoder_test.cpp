#include <gtest/gtest.h>

#include <cstring>

#include "decode/image.h"
#include "host_test_util.h"
#include "tools/sample_images.h"

using namespace lucentra;
using samples::Raster;
using samples::TiffPage;
using test::TempDir;

namespace {

// Deterministic noise, so that compression leaves real work for the decoder.
Raster noise(int w, int h, int channels, int bits, unsigned seed) {
    Raster r(w, h, channels, bits);
    for (size_t i = 0; i < r.data.size(); ++i) r.data[i] = (uint8_t)((i * 2654435761u + seed) >> 13);
    return r;
}

TiffPage page(Raster raster, int photometric, int compression) {
    TiffPage p;
    p.raster = std::move(raster);
    p.photometric = photometric;
    p.compression = compression;
    return p;
}

struct Expected {
    int channels;
    bool colour, bilevel;
    std::vector<uint8_t> rows;
};

// The canonical rows a page's stored bytes must give.
Expected expect_gray_bits(const Raster& r, bool min_is_white) {
    Expected e{1, false, r.bits == 1, {}};
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) {
            size_t bit = (size_t)x * r.bits;
            unsigned v = (r.row(y)[bit >> 3] >> (8 - r.bits - (bit & 7))) & ((1u << r.bits) - 1);
            unsigned g = v * 255 / ((1u << r.bits) - 1);
            e.rows.push_back((uint8_t)(min_is_white ? 255 - g : g));
        }
    return e;
}

// 16-bit samples in native order (the writer's contract) for libtiff.
Raster gray16(int w, int h) {
    Raster r(w, h, 1, 16);
    auto* s = reinterpret_cast<uint16_t*>(r.data.data());
    for (int i = 0; i < w * h; ++i) s[i] = (uint16_t)(i * 4099);
    return r;
}

}  // namespace

TEST(TiffDecoder, EveryPageOfAMixedFileDecodesExactly) {
    TempDir dir;
    std::vector<TiffPage> pages;
    std::vector<Expected> expected;

    // Bilevel fax pages, min-is-white (a set bit is black), 204 x 196 dpi.
    for (int compression : {4 /* G4 */, 3 /* G3 */, 2 /* RLE */}) {
        TiffPage p = page(noise(300, 40, 1, 1, compression), 0, compression);
        p.xres = 204, p.yres = 196;
        expected.push_back(expect_gray_bits(p.raster, true));
        pages.push_back(p);
    }
    pages.push_back(page(noise(70, 30, 1, 8, 1), 1, 5 /* LZW */));
    expected.push_back({1, false, false, pages.back().raster.data});
    pages.push_back(page(noise(33, 17, 1, 4, 2), 1, 32773 /* PackBits */));
    expected.push_back(expect_gray_bits(pages.back().raster, false));
    pages.push_back(page(noise(41, 9, 3, 8, 3), 2, 8 /* Deflate */));
    pages.back().rows_per_strip = 4;
    expected.push_back({3, true, false, pages.back().raster.data});
    {
        // 16-bit gray keeps the high byte of each sample.
        Raster r = gray16(13, 5);
        Expected e{1, false, false, {}};
        for (int i = 0; i < 13 * 5; ++i) e.rows.push_back((uint8_t)(reinterpret_cast<uint16_t*>(r.data.data())[i] >> 8));
        pages.push_back(page(r, 1, 1));
        expected.push_back(e);
    }
    {
        // A 4-bit colour palette with 16-bit entries.
        TiffPage p = page(noise(21, 6, 1, 4, 4), 3, 5);
        p.colormap.resize(48);
        for (int i = 0; i < 16; ++i)
            p.colormap[i] = (uint16_t)(i * 17 * 257), p.colormap[16 + i] = (uint16_t)((15 - i) * 17 * 257),
            p.colormap[32 + i] = 0x8000;
        Expected e{3, true, false, {}};
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 21; ++x) {
                unsigned v = (p.raster.row(y)[x / 2] >> (x % 2 ? 0 : 4)) & 15;
                e.rows.insert(e.rows.end(), {(uint8_t)(v * 17), (uint8_t)((15 - v) * 17), 0x80});
            }
        pages.push_back(p);
        expected.push_back(e);
    }
    {
        // A gray palette written with 8-bit values in the 16-bit fields reads as gray.
        TiffPage p = page(noise(5, 3, 1, 8, 5), 3, 1);
        p.colormap.resize(768);
        for (int i = 0; i < 256; ++i) p.colormap[i] = p.colormap[256 + i] = p.colormap[512 + i] = (uint16_t)(255 - i);
        Expected e{1, false, false, {}};
        for (uint8_t v : p.raster.data) e.rows.push_back((uint8_t)(255 - v));
        pages.push_back(p);
        expected.push_back(e);
    }
    {
        // Tiles that overhang the page on both axes.
        TiffPage p = page(noise(37, 21, 3, 8, 6), 2, 8);
        p.tile = 16;
        expected.push_back({3, true, false, p.raster.data});
        pages.push_back(p);
    }
    {
        // Separate planes, several strips each.
        TiffPage p = page(noise(19, 23, 3, 8, 7), 2, 5);
        p.planar_separate = true;
        p.rows_per_strip = 5;
        expected.push_back({3, true, false, p.raster.data});
        pages.push_back(p);
    }
    {
        // Unassociated alpha composes onto white.
        Raster r(2, 1, 4, 8);
        r.data = {255, 0, 0, 255, 0, 0, 0, 0};
        TiffPage p = page(r, 2, 1);
        p.extra_alpha = 2;
        expected.push_back({3, true, false, {255, 0, 0, 255, 255, 255}});
        pages.push_back(p);
    }
    {
        // CMYK: no ink is white, full black ink is black, cyan is (0, 255, 255).
        Raster r(3, 1, 4, 8);
        r.data = {0, 0, 0, 0, 0, 0, 0, 255, 255, 0, 0, 0};
        expected.push_back({3, true, false, {255, 255, 255, 0, 0, 0, 0, 255, 255}});
        pages.push_back(page(r, 5, 1));
    }

    std::string path = dir.file("mixed.tif");
    samples::write_tiff(path, pages);
    auto image = open_image(path);
    ASSERT_EQ(image->page_count(), (int)pages.size());
    for (size_t i = 0; i < pages.size(); ++i) {
        SCOPED_TRACE("page " + std::to_string(i + 1) + ": " + image->page(i).format);
        const PageInfo& info = image->page(i);
        EXPECT_EQ(info.width, pages[i].raster.width);
        EXPECT_EQ(info.height, pages[i].raster.height);
        EXPECT_EQ(info.channels, expected[i].channels);
        EXPECT_EQ(info.has_colour, expected[i].colour);
        EXPECT_EQ(info.bilevel, expected[i].bilevel);
        EXPECT_EQ(test::read_page(*image, (int)i), expected[i].rows);
    }
    // Fax resolution stays non-square; pages without tags get the fallback.
    EXPECT_FLOAT_EQ(image->page(0).xres, 204);
    EXPECT_FLOAT_EQ(image->page(0).yres, 196);
    EXPECT_TRUE(image->page(0).res_from_file);
    EXPECT_EQ(image->page(3).xres, 300);
    EXPECT_FALSE(image->page(3).res_from_file);
}

TEST(TiffDecoder, JpegCompressedPagesDecodeWithinTolerance) {
    TempDir dir;
    Raster r(64, 48, 3, 8);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) r.row(y)[3 * x] = (uint8_t)(x * 4), r.row(y)[3 * x + 1] = (uint8_t)(y * 5),
                                     r.row(y)[3 * x + 2] = 128;
    std::vector<TiffPage> pages;
    for (bool ycbcr : {false, true}) {
        TiffPage p = page(r, 2, 7);
        p.ycbcr = ycbcr;
        p.jpeg_quality = 95;
        p.rows_per_strip = 16;
        pages.push_back(p);
    }
    samples::write_tiff(dir.file("j.tif"), pages);
    auto image = open_image(dir.file("j.tif"));
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(image->page(i).channels, 3);
        EXPECT_LE(test::max_difference(test::read_page(*image, i), r.data), 12);
    }
}

namespace {

// Rewrites the value of a SHORT or LONG tag in the first directory of a
// little-endian classic TIFF (as libtiff writes on this machine).
void patch_tag(std::vector<uint8_t>& b, uint16_t tag, uint32_t value) {
    auto u16 = [&](size_t at) { return (uint32_t)b[at] | (uint32_t)b[at + 1] << 8; };
    size_t ifd = u16(4) | u16(6) << 16;
    size_t n = u16(ifd);
    for (size_t i = 0; i < n; ++i) {
        size_t entry = ifd + 2 + 12 * i;
        if (u16(entry) != tag) continue;
        size_t bytes = u16(entry + 2) == 3 ? 2 : 4;
        for (size_t k = 0; k < bytes; ++k) b[entry + 8 + k] = (uint8_t)(value >> (8 * k));
        return;
    }
    ADD_FAILURE() << "tag " << tag << " not found";
}

std::string error_of(const std::string& path, bool read_rows) {
    try {
        auto image = open_image(path);
        if (read_rows)
            for (int i = 0; i < image->page_count(); ++i) test::read_page(*image, i);
    } catch (const DecodeError& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(TiffDecoder, DamagedDataIsAnErrorNotAPaddedPage) {
    TempDir dir;
    struct Damage {
        const char* name;
        int compression;
        int bits;
        bool truncate;  // else overwrite part of the first strip
    } damages[] = {{"deflate corrupt strip", 8, 8, false},
                   {"lzw corrupt strip", 5, 8, false},
                   {"g4 corrupt strip", 4, 1, false},
                   {"g4 truncated strip", 4, 1, true},
                   {"deflate truncated strip", 8, 8, true}};
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.name);
        std::string path = dir.file("bad.tif");
        // Two pages of one strip each; libtiff writes the first page's strip right
        // after the 8-byte header.
        TiffPage p = page(noise(256, 64, 1, d.bits, 9), d.bits == 1 ? 0 : 1, d.compression);
        p.rows_per_strip = 64;
        samples::write_tiff(path, {p, p});
        auto bytes = samples::read_bytes(path);
        if (d.truncate)
            patch_tag(bytes, 273, (uint32_t)bytes.size() - 10);  // the strip runs past the end of the file
        else
            for (size_t i = 20; i < 120; ++i) bytes[i] = 0xFF;
        samples::write_bytes(path, bytes);
        std::string message = error_of(path, true);
        EXPECT_NE(message.find(path + ", page 1: "), std::string::npos) << message;
    }
}

TEST(TiffDecoder, AbsurdAndEmptyHeadersAreRefusedAtOpen) {
    TempDir dir;
    std::string path = dir.file("h.tif");
    samples::write_tiff(path, {page(Raster(8, 8, 1, 8), 1, 1)});
    const auto good = samples::read_bytes(path);
    struct Size {
        uint32_t w, h;
        const char* says;
    } sizes[] = {{100000, 100000, "too large"}, {20000, 20000, "too large"}, {0, 8, "unreadable TIFF"}};
    for (const Size& s : sizes) {
        SCOPED_TRACE(s.w);
        auto bytes = good;
        patch_tag(bytes, 256, s.w);
        patch_tag(bytes, 257, s.h);
        samples::write_bytes(path, bytes);
        std::string message = error_of(path, false);
        EXPECT_NE(message.find(s.says), std::string::npos) << message;
    }
    // Not a TIFF after the magic bytes.
    samples::write_bytes(path, {'I', 'I', 42, 0, 0xFF, 0xFF, 0xFF, 0x7F});
    EXPECT_NE(error_of(path, false).find("unreadable TIFF"), std::string::npos) << error_of(path, false);
}
