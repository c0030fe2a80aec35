#include "print/run_deflate.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace pw::print {
namespace {

// Input bytes per block: small enough that the tables follow the image's
// changes (text band, photograph, margin), large enough that a header of about
// 80 bytes is lost in the data.
constexpr size_t kBlockBytes = 64 * 1024;
constexpr int kMinRun = 4;       // shorter repeats are cheaper as literals
constexpr int kMaxRun = 258;     // the longest match deflate can say
constexpr int kLitLenSymbols = 286;
constexpr int kEndOfBlock = 256;

// Lengths 3..258 as deflate's length symbols 257..285, with their extra bits.
struct LengthCodes {
    uint16_t symbol[kMaxRun + 1];
    uint8_t extra_bits[kMaxRun + 1];
    uint16_t extra[kMaxRun + 1];
    LengthCodes() {
        static const uint16_t base[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                          31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
        static const uint8_t bits[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                         2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
        for (int code = 0; code < 29; ++code) {
            const int end = code == 28 ? 259 : base[code + 1];
            for (int len = base[code]; len < end && len <= kMaxRun; ++len) {
                symbol[len] = static_cast<uint16_t>(257 + code);
                extra_bits[len] = bits[code];
                extra[len] = static_cast<uint16_t>(len - base[code]);
            }
        }
        // 258 has a symbol of its own (285) rather than 284 with all extra bits set.
        symbol[258] = 285, extra_bits[258] = 0, extra[258] = 0;
    }
};
const LengthCodes kLengths;

// Huffman code lengths for `freq`, none longer than `limit`. Every symbol with
// a count gets a code; the code is always complete (a lone symbol gets a
// partner), since inflaters refuse incomplete code-length codes.
void code_lengths(const uint32_t* freq, int n, int limit, uint8_t* lengths) {
    std::fill(lengths, lengths + n, 0);
    std::vector<uint32_t> f(freq, freq + n);
    std::vector<int> used;
    for (int s = 0; s < n; ++s)
        if (f[s]) used.push_back(s);
    if (used.empty()) return;
    if (used.size() == 1) {
        lengths[used[0]] = 1;
        lengths[used[0] == 0 ? 1 : 0] = 1;
        return;
    }
    const int m = static_cast<int>(used.size());
    std::vector<uint64_t> weight(2 * m);
    std::vector<int> parent(2 * m), depth(2 * m);
    for (;;) {
        std::sort(used.begin(), used.end(), [&](int a, int b) { return f[a] != f[b] ? f[a] < f[b] : a < b; });
        for (int i = 0; i < m; ++i) weight[i] = f[used[i]];
        // Two queues: sorted leaves and internal nodes, which come out sorted.
        int leaf = 0, node = m, made = m;
        auto take = [&]() {
            if (leaf < m && (node >= made || weight[leaf] <= weight[node])) return leaf++;
            return node++;
        };
        while (made < 2 * m - 1) {
            const int a = take(), b = take();
            weight[made] = weight[a] + weight[b];
            parent[a] = parent[b] = made;
            ++made;
        }
        depth[2 * m - 2] = 0;
        int longest = 0;
        for (int i = 2 * m - 3; i >= 0; --i) {
            depth[i] = depth[parent[i]] + 1;
            if (i < m) longest = std::max(longest, depth[i]);
        }
        if (longest <= limit) {
            for (int i = 0; i < m; ++i) lengths[used[i]] = static_cast<uint8_t>(depth[i]);
            return;
        }
        // Too deep: flatten the counts and build again (rare; only very skewed
        // blocks get here).
        for (int s : used) f[s] = (f[s] >> 1) | 1;
    }
}

// Canonical codes for `lengths`, bit-reversed for deflate's LSB-first order.
void canonical_codes(const uint8_t* lengths, int n, uint16_t* codes) {
    int count[16] = {0};
    for (int s = 0; s < n; ++s) ++count[lengths[s]];
    count[0] = 0;
    int next[16] = {0};
    for (int bits = 1, code = 0; bits < 16; ++bits) {
        code = (code + count[bits - 1]) << 1;
        next[bits] = code;
    }
    for (int s = 0; s < n; ++s) {
        const int len = lengths[s];
        if (!len) {
            codes[s] = 0;
            continue;
        }
        unsigned code = static_cast<unsigned>(next[len]++), reversed = 0;
        for (int b = 0; b < len; ++b, code >>= 1) reversed = (reversed << 1) | (code & 1);
        codes[s] = static_cast<uint16_t>(reversed);
    }
}

class BitWriter {
public:
    explicit BitWriter(std::string* out) : out_(out), pos_(out->size()) {}
    // Room for `bytes` more bytes of output.
    void reserve(size_t bytes) {
        if (out_->size() < pos_ + bytes + 8) out_->resize(std::max(pos_ + bytes + 8, out_->size() * 3 / 2));
    }
    // At most 32 bits at a time. Writes eight bytes and keeps the partial one,
    // without a branch: `reserve` leaves room for that.
    void put(uint32_t bits, int count) {
        buffer_ |= static_cast<uint64_t>(bits) << filled_;
        filled_ += count;
        std::memcpy(out_->data() + pos_, &buffer_, 8);
        pos_ += static_cast<size_t>(filled_ >> 3);
        buffer_ >>= (filled_ & ~7);
        filled_ &= 7;
    }
    // Pads to a byte boundary and writes out every whole byte.
    void align() {
        if (filled_ & 7) put(0, 8 - (filled_ & 7));
    }
    void bytes(const void* data, size_t size) {
        std::memcpy(out_->data() + pos_, data, size);
        pos_ += size;
    }
    void finish() { out_->resize(pos_); }

private:
    std::string* out_;
    size_t pos_;
    uint64_t buffer_ = 0;
    int filled_ = 0;
};

// Stored blocks for `size` bytes (none when size is 0 and not final).
void put_stored(BitWriter& w, const uint8_t* data, size_t size, bool final) {
    w.reserve(size + 5 * (size / 65535 + 1) + 8);
    do {
        const size_t n = std::min<size_t>(size, 65535);
        const bool last_piece = n == size;
        w.put(final && last_piece ? 1 : 0, 1);
        w.put(0, 2);
        w.align();
        const uint8_t head[4] = {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(~n),
                                 static_cast<uint8_t>(~n >> 8)};
        w.bytes(head, 4);
        w.bytes(data, n);
        data += n;
        size -= n;
    } while (size > 0);
}

// How long the run of `value` is at `p`, at most `limit` bytes.
size_t run_length(const uint8_t* p, uint8_t value, size_t limit) {
    const uint64_t pattern = 0x0101010101010101ull * value;
    size_t r = 0;
    while (r + 8 <= limit) {
        uint64_t v;
        std::memcpy(&v, p + r, 8);
        const uint64_t diff = v ^ pattern;
        if (diff) return r + static_cast<size_t>(__builtin_ctzll(diff) >> 3);
        r += 8;
    }
    while (r < limit && p[r] == value) ++r;
    return r;
}

// One block: `tokens` are literals (< 256) or runs (256 + length), the coding of
// the `size` bytes at `data`; `freq` counts their symbols.
void put_block(BitWriter& w, const std::vector<uint16_t>& tokens, uint32_t* freq, const uint8_t* data, size_t size,
               bool final) {
    freq[kEndOfBlock] = 1;
    uint8_t lit_len[kLitLenSymbols];
    code_lengths(freq, kLitLenSymbols, 15, lit_len);
    // Every run is at distance 1: distance code 0. Two codes of one bit keep the
    // distance code complete.
    const uint8_t dist_len[2] = {1, 1};

    int hlit = kLitLenSymbols;
    while (hlit > 257 && lit_len[hlit - 1] == 0) --hlit;
    std::vector<uint8_t> all(lit_len, lit_len + hlit);
    all.push_back(dist_len[0]);
    all.push_back(dist_len[1]);

    // The code lengths themselves, run-length coded (symbols 16, 17, 18).
    struct ClSymbol {
        uint8_t symbol, extra_bits, extra;
    };
    std::vector<ClSymbol> cl;
    for (size_t i = 0; i < all.size();) {
        const uint8_t v = all[i];
        size_t run = 1;
        while (i + run < all.size() && all[i + run] == v) ++run;
        size_t left = run;
        if (v == 0) {
            while (left >= 11) {
                const size_t n = std::min<size_t>(left, 138);
                cl.push_back({18, 7, static_cast<uint8_t>(n - 11)});
                left -= n;
            }
            if (left >= 3) {
                cl.push_back({17, 3, static_cast<uint8_t>(left - 3)});
                left = 0;
            }
            for (; left > 0; --left) cl.push_back({0, 0, 0});
        } else {
            cl.push_back({v, 0, 0});
            --left;
            while (left >= 3) {
                const size_t n = std::min<size_t>(left, 6);
                cl.push_back({16, 2, static_cast<uint8_t>(n - 3)});
                left -= n;
            }
            for (; left > 0; --left) cl.push_back({v, 0, 0});
        }
        i += run;
    }
    uint32_t cl_freq[19] = {0};
    for (const ClSymbol& s : cl) ++cl_freq[s.symbol];
    uint8_t cl_len[19];
    code_lengths(cl_freq, 19, 7, cl_len);
    static const uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    int hclen = 19;
    while (hclen > 4 && cl_len[kOrder[hclen - 1]] == 0) --hclen;

    // Cost in bits, to fall back to stored blocks when coding would not pay.
    uint64_t bits = 3 + 14 + 3 * static_cast<uint64_t>(hclen);
    for (const ClSymbol& s : cl) bits += cl_len[s.symbol] + s.extra_bits;
    for (int s = 0; s < kLitLenSymbols; ++s) {
        bits += static_cast<uint64_t>(freq[s]) * lit_len[s];
        if (s > 256) bits += static_cast<uint64_t>(freq[s]) * (dist_len[0] + (s < 285 && s >= 265 ? (s - 261) / 4 : 0));
    }
    if (bits >= 8 * (static_cast<uint64_t>(size) + 5 * (size / 65535 + 1)) + 3) {
        put_stored(w, data, size, final);
        return;
    }

    uint16_t lit_code[kLitLenSymbols], cl_code[19];
    canonical_codes(lit_len, kLitLenSymbols, lit_code);
    canonical_codes(cl_len, 19, cl_code);
    w.reserve(bits / 8 + 16);
    w.put(final ? 1 : 0, 1);
    w.put(2, 2);  // dynamic Huffman codes
    w.put(static_cast<uint32_t>(hlit - 257), 5);
    w.put(1, 5);  // two distance codes
    w.put(static_cast<uint32_t>(hclen - 4), 4);
    for (int i = 0; i < hclen; ++i) w.put(cl_len[kOrder[i]], 3);
    for (const ClSymbol& s : cl) {
        w.put(cl_code[s.symbol], cl_len[s.symbol]);
        if (s.extra_bits) w.put(s.extra, s.extra_bits);
    }
    for (uint16_t t : tokens) {
        if (t < 256) {
            w.put(lit_code[t], lit_len[t]);
        } else {
            const int len = t - 256;
            const int s = kLengths.symbol[len];
            w.put(lit_code[s], lit_len[s]);
            if (kLengths.extra_bits[len]) w.put(kLengths.extra[len], kLengths.extra_bits[len]);
            w.put(0, 1);  // distance code 0: distance 1
        }
    }
    w.put(lit_code[kEndOfBlock], lit_len[kEndOfBlock]);
}

}  // namespace

void run_deflate(const uint8_t* data, size_t size, bool last, std::string* out) {
    BitWriter w(out);
    std::vector<uint16_t> tokens;
    for (size_t begin = 0; begin < size;) {
        const size_t end = std::min(size, begin + kBlockBytes);
        uint32_t freq[kLitLenSymbols] = {0};
        tokens.resize(end - begin);
        uint16_t* token = tokens.data();
        size_t i = begin;
        if (i == 0) ++freq[*token++ = data[i++]];  // nothing before the piece to repeat
        while (i < end) {
            const uint8_t before = data[i - 1];
            // Runs are looked for only where four bytes repeat: in a scan's noise
            // a single equal byte is common, and checking each one mispredicts.
            uint32_t next4;
            if (end - i >= kMinRun && (std::memcpy(&next4, data + i, 4), next4 == 0x01010101u * before)) {
                const size_t run = kMinRun + run_length(data + i + kMinRun, before,
                                                        std::min<size_t>(kMaxRun, end - i) - kMinRun);
                *token++ = static_cast<uint16_t>(256 + run);
                ++freq[kLengths.symbol[run]];
                i += run;
                continue;
            }
            ++freq[*token++ = data[i++]];
        }
        tokens.resize(static_cast<size_t>(token - tokens.data()));
        put_block(w, tokens, freq, data + begin, end - begin, last && end == size);
        begin = end;
    }
    if (size == 0 && last) {
        put_stored(w, data, 0, true);
    } else if (!last) {
        // The sync flush's empty stored block: the next piece starts on a byte.
        put_stored(w, data, 0, false);
    }
    w.align();
    w.finish();
}

}  // namespace pw::print
