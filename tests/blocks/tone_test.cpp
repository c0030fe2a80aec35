// Tone steps on small DIB-shaped buffers: rows padded to a stride, with
// sentinel padding bytes that no step may read into its decisions or write.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "rtfblk.h"
#include "pw/user.h"

namespace {

constexpr unsigned char kPad = 0xEE;

// rows x width samples (8-bit) or pixels (24-bit, given as b, g, r), laid out
// with `stride` bytes a row; the bytes after each row's data are kPad.
struct Image {
    int bits, rows, width, stride;
    std::vector<unsigned char> bytes;

    Image(int b, int r, int w, int s, std::vector<unsigned char> data) : bits(b), rows(r), width(w), stride(s) {
        const int row_bytes = w * b / 8;
        bytes.assign((size_t)r * s, kPad);
        for (int y = 0; y < r; ++y)
            for (int x = 0; x < row_bytes; ++x) bytes[(size_t)y * s + x] = data[(size_t)y * row_bytes + x];
    }
    unsigned char* data() { return bytes.data(); }
    std::vector<unsigned char> samples() const {
        std::vector<unsigned char> out;
        const int row_bytes = width * bits / 8;
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < row_bytes; ++x) out.push_back(bytes[(size_t)y * stride + x]);
        return out;
    }
    bool padding_intact() const {
        const int row_bytes = width * bits / 8;
        for (int y = 0; y < rows; ++y)
            for (int x = row_bytes; x < stride; ++x)
                if (bytes[(size_t)y * stride + x] != kPad) return false;
        return true;
    }
};

using Bytes = std::vector<unsigned char>;

}  // namespace

TEST(AutoLevels, StretchesEightBitSamplesTruncating) {
    // Padding (0xEE) lies outside 40..200 and must not widen the range.
    Image im(8, 2, 3, 4, {40, 120, 200, 80, 160, 100});
    auto_levels(im.data(), 8, im.rows, im.width, im.stride);
    // 80 / 160 x 255 = 127.5 -> 127; 40 / 160 x 255 = 63.75 -> 63.
    EXPECT_EQ(im.samples(), (Bytes{0, 127, 255, 63, 191, 95}));
    EXPECT_TRUE(im.padding_intact());
}

TEST(AutoLevels, StretchesGreenAndMovesBlueAndRedByTheSameAmount) {
    // Pixels b, g, r; green runs 50..150.
    Image im(24, 1, 3, 12, {10, 100, 250, 0, 50, 0, 200, 150, 90});
    auto_levels(im.data(), 24, im.rows, im.width, im.stride);
    // d = trunc(0.5 x 255) - 100 = 27: (37, 127, 255), red clamped from 277.
    EXPECT_EQ(im.samples(), (Bytes{37, 127, 255, 0, 0, 0, 255, 255, 195}));
    EXPECT_TRUE(im.padding_intact());
}

TEST(AutoLevels, LeavesAnImageOfOneValueUnchanged) {
    Image gray(8, 2, 3, 4, {90, 90, 90, 90, 90, 90});
    auto_levels(gray.data(), 8, gray.rows, gray.width, gray.stride);
    EXPECT_EQ(gray.samples(), (Bytes{90, 90, 90, 90, 90, 90}));
    Image colour(24, 1, 2, 8, {1, 77, 3, 250, 77, 6});
    auto_levels(colour.data(), 24, colour.rows, colour.width, colour.stride);
    EXPECT_EQ(colour.samples(), (Bytes{1, 77, 3, 250, 77, 6}));
}

TEST(ToneCurve, BrightnessAloneAddsAndClampsAndRestoresTheCursor) {
    HCURSOR cross = LoadCursorA(nullptr, IDC_CROSS);
    SetCursor(cross);
    Image im(8, 1, 4, 4, {0, 100, 245, 250});
    tone_curve(im.data(), 8, im.rows, im.width, im.stride, 10, 0);
    EXPECT_EQ(im.samples(), (Bytes{10, 110, 255, 255}));
    EXPECT_EQ(GetCursor(), cross);

    // Only the low 16 bits count: 65536 + 10 is 10, 65536 - 10 is -10.
    Image wide(8, 1, 2, 4, {100, 5});
    tone_curve(wide.data(), 8, wide.rows, wide.width, wide.stride, 65536 - 10, 0);
    EXPECT_EQ(wide.samples(), (Bytes{90, 0}));
}

TEST(ToneCurve, BothZeroChangesNothing) {
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    SetCursor(arrow);
    Image im(8, 1, 3, 4, {0, 128, 255});
    tone_curve(im.data(), 8, im.rows, im.width, im.stride, 0, 0);
    EXPECT_EQ(im.samples(), (Bytes{0, 128, 255}));
    EXPECT_EQ(GetCursor(), arrow);
}

TEST(ToneCurve, SineContrastTableValues) {
    // Samples 64, 128, 192 and 0 read table[v] back: v + table[v].
    // table[64] = trunc(40 sin(-1.572)) = -39, table[192] = 39, table[128] = 0.
    Image im(8, 1, 4, 4, {64, 128, 192, 0});
    tone_curve(im.data(), 8, im.rows, im.width, im.stride, 0, 40);
    EXPECT_EQ(im.samples(), (Bytes{25, 128, 231, 0}));

    // A negative contrast flattens: mid-dark tones rise, mid-light ones fall.
    Image flat(8, 1, 2, 4, {64, 192});
    tone_curve(flat.data(), 8, flat.rows, flat.width, flat.stride, 0, -40);
    EXPECT_EQ(flat.samples(), (Bytes{103, 153}));

    // 24-bit: decided on green (64: -39), plus brightness 5, added to all three.
    Image colour(24, 1, 1, 4, {100, 64, 20});
    tone_curve(colour.data(), 24, colour.rows, colour.width, colour.stride, 5, 40);
    EXPECT_EQ(colour.samples(), (Bytes{66, 30, 0}));
    EXPECT_TRUE(colour.padding_intact());
}

TEST(ClipExtremes, ThresholdsAreStrict) {
    Image gray(8, 1, 6, 8, {226, 225, 20, 19, 0, 255});
    clip_extremes(gray.data(), 8, gray.rows, gray.width, gray.stride, false);
    EXPECT_EQ(gray.samples(), (Bytes{255, 225, 20, 0, 0, 255}));
    EXPECT_TRUE(gray.padding_intact());
}

TEST(ClipExtremes, ColourPixelsChangeOnlyWhenAllThreeBytesPass) {
    Image im(24, 1, 4, 12, {230, 230, 200, 226, 226, 226, 19, 19, 19, 19, 19, 20});
    clip_extremes(im.data(), 24, im.rows, im.width, im.stride, true);
    EXPECT_EQ(im.samples(), (Bytes{230, 230, 200, 255, 255, 255, 0, 0, 0, 19, 19, 20}));
    EXPECT_TRUE(im.padding_intact());

    // A gray 24-bit image is clipped per byte.
    Image g(24, 1, 1, 4, {230, 230, 200});
    clip_extremes(g.data(), 24, g.rows, g.width, g.stride, false);
    EXPECT_EQ(g.samples(), (Bytes{255, 255, 200}));
}

TEST(ClipExtremes, EightBitColourImageIsClippedPerSampleWithinItsRows) {
    // One byte a pixel: a three-byte walk would run three times past each row.
    // The buffer ends exactly at the last row, so the address sanitizer would
    // catch an overrun; the padding shows no row was overrun.
    Image im(8, 2, 5, 8, {230, 230, 200, 10, 30, 226, 1, 2, 3, 4});
    std::vector<unsigned char> exact(im.bytes.begin(), im.bytes.begin() + 8 + 5);
    clip_extremes(exact.data(), 8, 2, 5, 8, true);
    EXPECT_EQ(Bytes(exact.begin(), exact.begin() + 5), (Bytes{255, 255, 200, 0, 30}));
    EXPECT_EQ(Bytes(exact.begin() + 5, exact.begin() + 8), (Bytes{kPad, kPad, kPad}));
    EXPECT_EQ(Bytes(exact.begin() + 8, exact.end()), (Bytes{255, 0, 0, 0, 0}));
}

TEST(ToneSteps, OneAndFourBitImagesAreNotTouched) {
    for (int bits : {1, 4}) {
        Bytes original{0x12, 0xF0, 0x00, 0xFF, 0x7E, 0x81, 0x33, 0xCC};
        Bytes buffer = original;
        auto_levels(buffer.data(), bits, 2, 8, 4);
        tone_curve(buffer.data(), bits, 2, 8, 4, 50, 40);
        clip_extremes(buffer.data(), bits, 2, 8, 4, true);
        EXPECT_EQ(buffer, original) << bits << " bits";
    }
}

namespace {

// The steps computed per pixel straight from their formulas, in double
// precision, as a reference for the table and vector versions.
int clamp(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

void reference_steps(Image& im, int brightness, int contrast, bool colour) {
    const int bpp = im.bits / 8;
    auto px = [&](int y, int x) { return &im.bytes[(size_t)y * im.stride + (size_t)x * bpp]; };
    int lo = 255, hi = 0;
    for (int y = 0; y < im.rows; ++y)
        for (int x = 0; x < im.width; ++x) {
            const int v = bpp == 1 ? px(y, x)[0] : px(y, x)[1];
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    for (int y = 0; y < im.rows; ++y)
        for (int x = 0; x < im.width; ++x) {
            unsigned char* p = px(y, x);
            if (hi > lo) {
                if (bpp == 1) {
                    p[0] = (unsigned char)clamp((int)((double)(p[0] - lo) / (hi - lo) * 255));
                } else {
                    const int d = (int)((double)(p[1] - lo) / (hi - lo) * 255) - p[1];
                    for (int i = 0; i < 3; ++i) p[i] = (unsigned char)clamp(p[i] + d);
                }
            }
            auto curve = [&](int v) { return (int)(contrast * std::sin(v * 0.0245 - 3.14)); };
            if (bpp == 1) {
                p[0] = (unsigned char)clamp(p[0] + curve(p[0]) + brightness);
            } else {
                const int d = curve(p[1]) + brightness;
                for (int i = 0; i < 3; ++i) p[i] = (unsigned char)clamp(p[i] + d);
            }
            if (bpp == 3 && colour) {
                if (p[0] > 225 && p[1] > 225 && p[2] > 225) p[0] = p[1] = p[2] = 255;
                if (p[0] < 20 && p[1] < 20 && p[2] < 20) p[0] = p[1] = p[2] = 0;
            } else {
                for (int i = 0; i < bpp; ++i) p[i] = p[i] > 225 ? 255 : (p[i] < 20 ? 0 : p[i]);
            }
        }
}

}  // namespace

TEST(ToneSteps, WideRowsMatchTheFormulasPixelForPixel) {
    // 91 pixels a row: a 64-pixel group, a 16-pixel group and a tail, so every
    // kernel of the processor runs; random samples with
    // runs of near-white and near-black pixels so clipping has work.
    uint32_t seed = 7;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    struct Case {
        int bits, brightness, contrast;
        bool colour;
    } cases[] = {{24, -7, 55, true}, {24, 30, -80, true}, {24, 5, 20, false}, {8, -7, 55, false}, {8, 200, 0, true}};
    for (const Case& c : cases) {
        const int width = 91, rows = 40, bpp = c.bits / 8, stride = (width * bpp + 3) / 4 * 4;
        std::vector<unsigned char> data((size_t)width * bpp * rows);
        for (size_t i = 0; i < data.size(); ++i) {
            const unsigned r = next();
            data[i] = (unsigned char)((r & 3) == 0 ? 220 + r % 36 : (r & 3) == 1 ? r % 26 : 30 + r % 180);
        }
        Image ours(c.bits, rows, width, stride, data), expected = ours;
        auto_levels(ours.data(), c.bits, rows, width, stride);
        tone_curve(ours.data(), c.bits, rows, width, stride, c.brightness, c.contrast);
        clip_extremes(ours.data(), c.bits, rows, width, stride, c.colour);
        reference_steps(expected, c.brightness, c.contrast, c.colour);
        EXPECT_EQ(ours.bytes, expected.bytes) << c.bits << " bits, " << c.brightness << "/" << c.contrast;
    }
}
