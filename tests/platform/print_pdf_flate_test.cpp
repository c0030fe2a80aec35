// The PDF printer's image compression: rows compressed in parallel chunks must
// inflate (with zlib's own checks of the joined Adler-32) to exactly the rows
// with the Up predictor applied, whatever the number of chunks; and the deflate
// encoder under them must give back every kind of data zlib's inflate reads.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "../../platform/src/print/pdf_flate.h"
#include "../../platform/src/print/run_deflate.h"

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

// ---- The deflate encoder under the chunks ----

namespace {

// Inflates raw deflate data; `complete` says whether the final block was seen.
std::string inflate_raw(const std::string& z, bool* complete) {
    z_stream s{};
    EXPECT_EQ(inflateInit2(&s, -15), Z_OK);
    std::string out;
    char buffer[1 << 16];
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(z.data()));
    s.avail_in = static_cast<uInt>(z.size());
    int rc = Z_OK;
    while (rc == Z_OK) {
        s.next_out = reinterpret_cast<Bytef*>(buffer);
        s.avail_out = sizeof buffer;
        rc = inflate(&s, Z_SYNC_FLUSH);
        out.append(buffer, sizeof buffer - s.avail_out);
        if (rc == Z_BUF_ERROR && s.avail_in == 0) break;  // all input used, stream not ended
    }
    *complete = rc == Z_STREAM_END;
    EXPECT_TRUE(rc == Z_STREAM_END || rc == Z_BUF_ERROR) << "zlib refused the stream: " << rc;
    inflateEnd(&s);
    return out;
}

std::string bytes_of(size_t n, const std::function<uint8_t(size_t)>& f) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(f(i));
    return s;
}

std::string run_deflated(const std::string& data, bool last) {
    std::string out;
    pw::print::run_deflate(reinterpret_cast<const uint8_t*>(data.data()), data.size(), last, &out);
    return out;
}

}  // namespace

TEST(RunDeflate, EveryKindOfDataInflatesBackExactly) {
    uint32_t seed = 12345;
    auto noise = [&](size_t) { return static_cast<uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24); };
    // Counts in Fibonacci proportions, shuffled: the plain Huffman tree is deeper
    // than deflate's 15 bits and must be flattened.
    std::string skewed;
    for (int sym = 0, a = 1, b = 1; sym < 26; ++sym, b = a + b, a = b - a) skewed.append(static_cast<size_t>(a), 'A' + sym);
    for (size_t i = skewed.size() - 1; i > 0; --i) std::swap(skewed[i], skewed[(seed = seed * 1664525u + 1013904223u) % (i + 1)]);
    struct Case {
        const char* name;
        std::string data;
        double at_most;  // compressed size over the data's
    } cases[] = {
        {"one byte", "x", 20},
        {"white page", std::string(1 << 20, '\0'), 0.01},
        {"runs longer than a match", std::string(300, 'a') + "b" + std::string(1000, 'c'), 0.1},
        {"short repeats", bytes_of(100000, [](size_t i) { return static_cast<uint8_t>(i / 3 % 7); }), 0.5},
        {"noise, stored", bytes_of(200000, noise), 1.001},
        {"skewed counts", skewed, 0.7},
        {"one symbol and runs", std::string(5, 'q'), 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool complete = false;
        std::string z = run_deflated(c.data, true);
        EXPECT_EQ(inflate_raw(z, &complete), c.data);
        EXPECT_TRUE(complete) << "the last piece ends the stream";
        EXPECT_LE(z.size(), c.data.size() * c.at_most + 16);
    }
}

TEST(RunDeflate, PiecesJoinIntoOneStream) {
    // The second piece starts with a repeat of its own first byte, never of the
    // first piece's last one; an empty piece in between changes nothing.
    const std::string a = std::string(70000, 'z') + "end", b = std::string(10, 'd') + "tail";
    std::string first = run_deflated(a, false);
    ASSERT_GE(first.size(), 4u);
    EXPECT_EQ(first.substr(first.size() - 4), std::string("\x00\x00\xFF\xFF", 4)) << "ends on a sync flush";
    bool complete = true;
    EXPECT_EQ(inflate_raw(first, &complete), a);
    EXPECT_FALSE(complete);
    std::string joined = first + run_deflated("", false) + run_deflated(b, true);
    EXPECT_EQ(inflate_raw(joined, &complete), a + b);
    EXPECT_TRUE(complete);
    EXPECT_EQ(inflate_raw(run_deflated("", true), &complete), "");
    EXPECT_TRUE(complete) << "an empty last piece still ends the stream";
}
