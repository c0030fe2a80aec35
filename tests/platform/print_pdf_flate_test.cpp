// The PDF printer's image compression: rows compressed in parallel chunks must
// inflate (with zlib's own checks of the joined Adler-32) to exactly the rows
// with the Up predictor applied, whatever the number of chunks.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "../../platform/src/print/pdf_flate.h"

using pw::print::deflate_rows_up;
using pw::print::FlateStream;

namespace {

// A row of noise over a gradient, like a scan: a different row for every y.
void scan_row(int y, size_t bytes, uint8_t* out) {
    uint32_t seed = 2166136261u ^ static_cast<uint32_t>(y) * 16777619u;
    for (size_t i = 0; i < bytes; ++i) {
        seed = seed * 1664525u + 1013904223u;
        out[i] = static_cast<uint8_t>(i / 7 + y / 3 + (seed >> 29));
    }
}

std::string joined(const FlateStream& s) {
    std::string out;
    for (const std::string& p : s.parts) out += p;
    return out;
}

// Inflates and undoes the Up predictor; empty when zlib refuses the stream.
std::vector<uint8_t> decode(const std::string& z, int rows, size_t bytes) {
    std::vector<uint8_t> tagged((bytes + 1) * static_cast<size_t>(rows) + 1);
    uLongf size = static_cast<uLongf>(tagged.size());
    if (uncompress(tagged.data(), &size, reinterpret_cast<const Bytef*>(z.data()), static_cast<uLong>(z.size())) !=
            Z_OK ||
        size != (bytes + 1) * static_cast<size_t>(rows))
        return {};
    std::vector<uint8_t> image(bytes * static_cast<size_t>(rows));
    for (int y = 0; y < rows; ++y) {
        const uint8_t* t = tagged.data() + (bytes + 1) * static_cast<size_t>(y);
        EXPECT_EQ(t[0], 2) << "row " << y << " is tagged Up";
        for (size_t i = 0; i < bytes; ++i)
            image[bytes * y + i] = static_cast<uint8_t>(t[1 + i] + (y ? image[bytes * (y - 1) + i] : 0));
    }
    return image;
}

}  // namespace

TEST(PdfFlate, RowsComeBackExactlyWithOneOrManyChunks) {
    struct Case {
        int rows;
        size_t bytes;
    } cases[] = {{1, 1}, {3, 7}, {1, 700000}, {2000, 3000}, {5, 200000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rows) + " rows of " + std::to_string(c.bytes) + " bytes");
        FlateStream s;
        ASSERT_TRUE(deflate_rows_up(c.rows, c.bytes, [&](int y, uint8_t* out) { scan_row(y, c.bytes, out); }, {},
                                    &s));
        std::vector<uint8_t> expected(c.bytes * static_cast<size_t>(c.rows));
        for (int y = 0; y < c.rows; ++y) scan_row(y, c.bytes, expected.data() + c.bytes * y);
        EXPECT_TRUE(decode(joined(s), c.rows, c.bytes) == expected);
    }
}

TEST(PdfFlate, SameRowsGiveTheSameBytesAndNoiseStillShrinks) {
    const int rows = 1500;
    const size_t bytes = 2550;
    auto make = [&](int y, uint8_t* out) { scan_row(y, bytes, out); };
    FlateStream a, b;
    ASSERT_TRUE(deflate_rows_up(rows, bytes, make, {}, &a));
    ASSERT_TRUE(deflate_rows_up(rows, bytes, make, {}, &b));
    EXPECT_EQ(joined(a), joined(b));
    EXPECT_LT(a.size(), bytes * rows * 6 / 10);
}

TEST(PdfFlate, StopsWhenTheAbortProcedureSaysSo) {
    int asked = 0;
    FlateStream s;
    EXPECT_FALSE(deflate_rows_up(4000, 4000, [](int, uint8_t* out) { std::memset(out, 0, 4000); },
                                 [&] { return ++asked < 2; }, &s));
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(deflate_rows_up(0, 10, [](int, uint8_t*) {}, {}, &s)) << "no rows, no image";
}
