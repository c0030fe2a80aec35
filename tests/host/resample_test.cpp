#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "store/axis_kernel.h"
#include "store/resampler.h"

using namespace lucentra;

namespace {

// An in-memory page that counts the rows taken from it.
struct MemoryPage {
    PageInfo info;
    std::vector<uint8_t> pixels;
    int rows_read = 0;

    MemoryPage(int w, int h, int channels) {
        info.width = w, info.height = h, info.channels = channels, info.xres = info.yres = 300;
        pixels.resize(info.row_bytes() * h);
    }
    uint8_t& at(int x, int y, int c = 0) { return pixels[info.row_bytes() * y + (size_t)x * info.channels + c]; }

    std::unique_ptr<RowReader> reader() {
        struct Reader : RowReader {
            MemoryPage* page;
            int y = 0;
            void read(uint8_t* out) override {
                if (y >= page->info.height) throw DecodeError("past the end");
                memcpy(out, &page->pixels[page->info.row_bytes() * y++], page->info.row_bytes());
                ++page->rows_read;
            }
        };
        auto r = std::make_unique<Reader>();
        r->page = this;
        return r;
    }
};

std::vector<uint8_t> run(Resampler& r) {
    std::vector<uint8_t> all((size_t)r.width() * r.channels() * r.height());
    for (int y = 0; y < r.height(); ++y) r.next(&all[(size_t)r.width() * r.channels() * y]);
    return all;
}

}  // namespace

TEST(AxisKernel, WeightsCoverEachOutputPixelOnce) {
    struct Case {
        double start, end;
        int source, out;
    } cases[] = {{0, 100, 100, 100}, {0, 100, 100, 37}, {0, 7, 7, 3}, {0, 3, 3, 10}, {10.5, 20.25, 40, 6},
                 {0, 2550, 2550, 2419}, {-2, 5, 5, 9}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.start) + ".." + std::to_string(c.end) + " -> " + std::to_string(c.out));
        AxisKernel k(c.start, c.end, c.source, c.out);
        ASSERT_EQ(k.out_count(), c.out);
        int previous_first = 0;
        for (int i = 0; i < c.out; ++i) {
            float sum = std::accumulate(k.weights(i), k.weights(i) + k.count(i), 0.0f);
            EXPECT_NEAR(sum, 1.0f, 1e-5f);
            EXPECT_GE(k.first(i), previous_first);  // rows are needed in order
            EXPECT_GE(k.first(i), 0);
            EXPECT_LE(k.first(i) + k.count(i), c.source);
            previous_first = k.first(i);
        }
    }
    EXPECT_TRUE(AxisKernel(0, 100, 100, 100).identity());
    EXPECT_TRUE(AxisKernel(20, 30, 100, 10).identity());
    EXPECT_FALSE(AxisKernel(0.5, 10.5, 100, 10).identity());
    // Shrinking 3 to 2: each output pixel takes 1.5 source pixels.
    AxisKernel third(0, 3, 3, 2);
    EXPECT_EQ(third.count(0), 2);
    EXPECT_NEAR(third.weights(0)[0], 2.0f / 3, 1e-6f);
    EXPECT_NEAR(third.weights(0)[1], 1.0f / 3, 1e-6f);
}

TEST(Resampler, ShrinkingAveragesAreas) {
    MemoryPage page(6, 4, 1);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) page.at(x, y) = (uint8_t)(x * 40 + y * 5);
    Resampler halves(page.reader(), page.info, 1, {0, 0, 6, 4}, 3, 2);
    // Each output pixel is the mean of a 2 x 2 block.
    std::vector<uint8_t> expected;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) expected.push_back((uint8_t)std::lround((x * 2 * 40 + 20) + (y * 2 * 5 + 2.5)));
    EXPECT_EQ(run(halves), expected);
}

TEST(Resampler, ConstantStaysConstantAndRampsStayRamps) {
    MemoryPage page(50, 40, 3);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x) page.at(x, y, 0) = 77, page.at(x, y, 1) = (uint8_t)(x * 5), page.at(x, y, 2) = 200;
    for (auto [w, h] : {std::pair{17, 13}, {50, 40}, {123, 97}, {3, 90}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        page.rows_read = 0;
        Resampler r(page.reader(), page.info, 3, {0, 0, 50, 40}, w, h);
        auto out = run(r);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint8_t* p = &out[((size_t)y * w + x) * 3];
                ASSERT_EQ(p[0], 77);
                ASSERT_EQ(p[2], 200);
                // The ramp's value at the output pixel's centre (clamped at the edges).
                double u = std::clamp((x + 0.5) * 50.0 / w - 0.5, 0.0, 49.0);
                ASSERT_NEAR(p[1], u * 5, 1.01) << x << "," << y;
            }
        EXPECT_EQ(page.rows_read, 40);  // every row decoded exactly once
    }
}

TEST(Resampler, PullsOnlyTheRowsTheNextLineNeeds) {
    MemoryPage page(10, 100, 1);
    Resampler shrink(page.reader(), page.info, 1, {0, 0, 10, 100}, 10, 10);
    std::vector<uint8_t> row(10);
    shrink.next(row.data());
    EXPECT_EQ(page.rows_read, 10);
    shrink.next(row.data());
    EXPECT_EQ(page.rows_read, 20);

    // A window lower on the page decodes the rows above it, and no more.
    page.rows_read = 0;
    Resampler window(page.reader(), page.info, 1, {2, 60, 7, 70}, 5, 10);
    window.next(row.data());
    EXPECT_EQ(page.rows_read, 61);
    for (int y = 1; y < 10; ++y) window.next(row.data());
    EXPECT_EQ(page.rows_read, 70);
    EXPECT_THROW(window.next(row.data()), DecodeError);
}

TEST(Resampler, GrayOutputOfAColourPageUsesLuminance) {
    MemoryPage page(3, 1, 3);
    uint8_t colours[3][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    for (int x = 0; x < 3; ++x)
        for (int c = 0; c < 3; ++c) page.at(x, 0, c) = colours[x][c];
    Resampler gray(page.reader(), page.info, 1, {1, 0, 3, 1}, 2, 1);  // cropped: green and blue
    EXPECT_EQ(gray.channels(), 1);
    EXPECT_EQ(run(gray), (std::vector<uint8_t>{149, 29}));
}
