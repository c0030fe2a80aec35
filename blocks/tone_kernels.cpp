// Row kernels of the tone steps. The vector versions load 48 bytes (16 pixels)
// at a time, separate or gather the bytes they need with byte shuffles, and
// fall back to the portable loop for the last pixels of a row.
#include "tone_kernels.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TONE_KERNELS_X86 1
#include <immintrin.h>
#endif

namespace tone_kernels {
namespace {

void green_range_portable(const unsigned char* p, unsigned width, int* lo, int* hi) {
    int l = *lo, h = *hi;
    for (unsigned x = 0; x < width; ++x, p += 3) {
        l = p[1] < l ? p[1] : l;
        h = p[1] > h ? p[1] : h;
    }
    *lo = l;
    *hi = h;
}

void add_by_green_portable(unsigned char* p, unsigned width, const uint8_t up[256], const uint8_t down[256]) {
    for (unsigned x = 0; x < width; ++x, p += 3) {
        const int u = up[p[1]], d = down[p[1]];
        for (int i = 0; i < 3; ++i) {
            int v = p[i] + u;
            v = v > 255 ? 255 : v;
            v -= d;
            p[i] = (unsigned char)(v < 0 ? 0 : v);
        }
    }
}

void map_bytes_portable(unsigned char* p, unsigned count, const uint8_t map[256]) {
    for (unsigned i = 0; i < count; ++i) p[i] = map[p[i]];
}

void clip_pixels_portable(unsigned char* p, unsigned width) {
    for (unsigned x = 0; x < width; ++x, p += 3) {
        const bool white = (p[0] > 225) & (p[1] > 225) & (p[2] > 225);
        const bool black = (p[0] < 20) & (p[1] < 20) & (p[2] < 20);
        if (white | black) p[0] = p[1] = p[2] = white ? 255 : 0;
    }
}

#ifdef TONE_KERNELS_X86

// Shuffles for 16 blue-green-red pixels held in three vectors a, b, c.
// Byte k of channel ch (0 blue, 1 green, 2 red) sits at 3k + ch of the 48.
struct Shuffles {
    __m128i pick[3][3];   // pick[ch][v]: channel ch's bytes from vector v into lanes 0..15
    __m128i spread[3];    // spread[v]: lane k of a per-pixel vector to bytes 3k..3k+2, vector v
    Shuffles() {
        for (int ch = 0; ch < 3; ++ch)
            for (int v = 0; v < 3; ++v) {
                alignas(16) signed char m[16];
                for (int lane = 0; lane < 16; ++lane) {
                    const int at = 3 * lane + ch - 16 * v;
                    m[lane] = (at >= 0 && at < 16) ? (signed char)at : (signed char)-128;
                }
                pick[ch][v] = _mm_load_si128(reinterpret_cast<const __m128i*>(m));
            }
        for (int v = 0; v < 3; ++v) {
            alignas(16) signed char m[16];
            for (int i = 0; i < 16; ++i) m[i] = (signed char)((16 * v + i) / 3);
            spread[v] = _mm_load_si128(reinterpret_cast<const __m128i*>(m));
        }
    }
};

__attribute__((target("ssse3"))) const Shuffles& shuffles() {
    static const Shuffles s;
    return s;
}

__attribute__((target("ssse3"))) inline __m128i channel(const Shuffles& s, int ch, __m128i a, __m128i b,
                                                        __m128i c) {
    return _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a, s.pick[ch][0]), _mm_shuffle_epi8(b, s.pick[ch][1])),
                        _mm_shuffle_epi8(c, s.pick[ch][2]));
}

__attribute__((target("ssse3"))) void green_range_ssse3(const unsigned char* p, unsigned width, int* lo,
                                                        int* hi) {
    const Shuffles& s = shuffles();
    __m128i vlo = _mm_set1_epi8((char)0xFF), vhi = _mm_setzero_si128();
    unsigned x = 0;
    for (; x + 16 <= width; x += 16, p += 48) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
        const __m128i g = channel(s, 1, a, b, c);
        vlo = _mm_min_epu8(vlo, g);
        vhi = _mm_max_epu8(vhi, g);
    }
    alignas(16) unsigned char l[16], h[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(l), vlo);
    _mm_store_si128(reinterpret_cast<__m128i*>(h), vhi);
    int rl = *lo, rh = *hi;
    if (x > 0)
        for (int i = 0; i < 16; ++i) {
            rl = l[i] < rl ? l[i] : rl;
            rh = h[i] > rh ? h[i] : rh;
        }
    *lo = rl;
    *hi = rh;
    green_range_portable(p, width - x, lo, hi);
}

// The table lookups are the one gather the data needs: 16 scalar loads a
// group from a table of 256 two-byte entries (up in the low byte, down in the
// high one) that stays in the first-level cache, inserted straight into
// vectors (storing bytes and loading them back as a vector would stall on
// store forwarding).
__attribute__((target("ssse3"))) void add_by_green_ssse3(unsigned char* p, unsigned width, const uint8_t up[256],
                                                         const uint8_t down[256]) {
    const Shuffles& s = shuffles();
    uint16_t both[256];
    for (int i = 0; i < 256; ++i) both[i] = (uint16_t)(up[i] | down[i] << 8);
    const __m128i low_bytes = _mm_set1_epi16(0x00FF);
    unsigned x = 0;
    alignas(16) unsigned char g[16];
    for (; x + 16 <= width; x += 16, p += 48) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
        __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
        _mm_store_si128(reinterpret_cast<__m128i*>(g), channel(s, 1, a, b, c));
        const __m128i first = _mm_set_epi16((short)both[g[7]], (short)both[g[6]], (short)both[g[5]], (short)both[g[4]],
                                            (short)both[g[3]], (short)both[g[2]], (short)both[g[1]], (short)both[g[0]]);
        const __m128i second =
            _mm_set_epi16((short)both[g[15]], (short)both[g[14]], (short)both[g[13]], (short)both[g[12]],
                          (short)both[g[11]], (short)both[g[10]], (short)both[g[9]], (short)both[g[8]]);
        const __m128i vu = _mm_packus_epi16(_mm_and_si128(first, low_bytes), _mm_and_si128(second, low_bytes));
        const __m128i vd = _mm_packus_epi16(_mm_srli_epi16(first, 8), _mm_srli_epi16(second, 8));
        a = _mm_subs_epu8(_mm_adds_epu8(a, _mm_shuffle_epi8(vu, s.spread[0])), _mm_shuffle_epi8(vd, s.spread[0]));
        b = _mm_subs_epu8(_mm_adds_epu8(b, _mm_shuffle_epi8(vu, s.spread[1])), _mm_shuffle_epi8(vd, s.spread[1]));
        c = _mm_subs_epu8(_mm_adds_epu8(c, _mm_shuffle_epi8(vu, s.spread[2])), _mm_shuffle_epi8(vd, s.spread[2]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), a);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), b);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 32), c);
    }
    add_by_green_portable(p, width - x, up, down);
}

__attribute__((target("ssse3"))) void clip_pixels_ssse3(unsigned char* p, unsigned width) {
    const Shuffles& s = shuffles();
    const __m128i above = _mm_set1_epi8((char)225), below = _mm_set1_epi8(19);
    const __m128i zero = _mm_setzero_si128();
    unsigned x = 0;
    for (; x + 16 <= width; x += 16, p += 48) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
        __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
        const __m128i ch0 = channel(s, 0, a, b, c), ch1 = channel(s, 1, a, b, c), ch2 = channel(s, 2, a, b, c);
        const __m128i least = _mm_min_epu8(_mm_min_epu8(ch0, ch1), ch2);
        const __m128i most = _mm_max_epu8(_mm_max_epu8(ch0, ch1), ch2);
        // All three above 225: the smallest is; all below 20: the largest is.
        const __m128i white = _mm_xor_si128(_mm_cmpeq_epi8(_mm_subs_epu8(least, above), zero), _mm_set1_epi8(-1));
        const __m128i black = _mm_cmpeq_epi8(_mm_subs_epu8(most, below), zero);
        if (_mm_movemask_epi8(_mm_or_si128(white, black)) == 0) continue;  // leave the memory clean
        a = _mm_andnot_si128(_mm_shuffle_epi8(black, s.spread[0]), _mm_or_si128(a, _mm_shuffle_epi8(white, s.spread[0])));
        b = _mm_andnot_si128(_mm_shuffle_epi8(black, s.spread[1]), _mm_or_si128(b, _mm_shuffle_epi8(white, s.spread[1])));
        c = _mm_andnot_si128(_mm_shuffle_epi8(black, s.spread[2]), _mm_or_si128(c, _mm_shuffle_epi8(white, s.spread[2])));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), a);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), b);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 32), c);
    }
    clip_pixels_portable(p, width - x);
}

bool has_ssse3() {
    static const bool yes = __builtin_cpu_supports("ssse3");
    return yes;
}


// With AVX-512 VBMI a 256-entry byte table is four registers, and looking up
// 64 bytes at once is two two-register permutes and a blend: no gather at all.
// Groups are 64 pixels (192 bytes, three registers); what is left of a row
// goes to the SSSE3 kernels.
#define TONE_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi")))

struct Table512 {
    __m512i part[4];
};

TONE_AVX512 inline Table512 load_table(const uint8_t t[256]) {
    Table512 r;
    for (int i = 0; i < 4; ++i) r.part[i] = _mm512_loadu_si512(t + 64 * i);
    return r;
}

TONE_AVX512 inline __m512i lookup(const Table512& t, __m512i index) {
    const __m512i low = _mm512_permutex2var_epi8(t.part[0], index, t.part[1]);
    const __m512i high = _mm512_permutex2var_epi8(t.part[2], index, t.part[3]);
    return _mm512_mask_blend_epi8(_mm512_movepi8_mask(index), low, high);
}

struct Shuffles512 {
    alignas(64) uint8_t green_ab[64];  // lanes 0..42: green bytes of registers a and b
    alignas(64) uint8_t green_c[64];   // lanes 43..63: green bytes of register c
    alignas(64) uint8_t spread[3][64]; // register v's byte i comes from pixel (64v + i) / 3
    Shuffles512() {
        for (int k = 0; k < 64; ++k) {
            const int at = 3 * k + 1;
            green_ab[k] = (uint8_t)(at < 128 ? at : 0);
            green_c[k] = (uint8_t)(at >= 128 ? at - 128 : 0);
        }
        for (int v = 0; v < 3; ++v)
            for (int i = 0; i < 64; ++i) spread[v][i] = (uint8_t)((64 * v + i) / 3);
    }
};
const Shuffles512 shuffles512;
constexpr __mmask64 kFromC = ~((1ull << 43) - 1);

TONE_AVX512 inline __m512i greens512(__m512i a, __m512i b, __m512i c) {
    const __m512i ab = _mm512_permutex2var_epi8(a, _mm512_load_si512(shuffles512.green_ab), b);
    const __m512i fc = _mm512_permutexvar_epi8(_mm512_load_si512(shuffles512.green_c), c);
    return _mm512_mask_blend_epi8(kFromC, ab, fc);
}

TONE_AVX512 void map_bytes_avx512(unsigned char* p, unsigned count, const uint8_t map[256]) {
    const Table512 t = load_table(map);
    unsigned i = 0;
    for (; i + 64 <= count; i += 64)
        _mm512_storeu_si512(p + i, lookup(t, _mm512_loadu_si512(p + i)));
    if (i < count) {
        // Masked loads and stores touch no byte past the row.
        const __mmask64 m = (count - i) >= 64 ? ~0ull : ((1ull << (count - i)) - 1);
        _mm512_mask_storeu_epi8(p + i, m, lookup(t, _mm512_maskz_loadu_epi8(m, p + i)));
    }
}

TONE_AVX512 void green_range_avx512(const unsigned char* p, unsigned width, int* lo, int* hi) {
    __m512i vlo = _mm512_set1_epi8((char)0xFF), vhi = _mm512_setzero_si512();
    unsigned x = 0;
    for (; x + 64 <= width; x += 64, p += 192) {
        const __m512i g = greens512(_mm512_loadu_si512(p), _mm512_loadu_si512(p + 64), _mm512_loadu_si512(p + 128));
        vlo = _mm512_min_epu8(vlo, g);
        vhi = _mm512_max_epu8(vhi, g);
    }
    if (x > 0) {
        alignas(64) unsigned char l[64], h[64];
        _mm512_store_si512(l, vlo);
        _mm512_store_si512(h, vhi);
        int rl = *lo, rh = *hi;
        for (int i = 0; i < 64; ++i) {
            rl = l[i] < rl ? l[i] : rl;
            rh = h[i] > rh ? h[i] : rh;
        }
        *lo = rl;
        *hi = rh;
    }
    green_range_ssse3(p, width - x, lo, hi);
}

TONE_AVX512 void add_by_green_avx512(unsigned char* p, unsigned width, const uint8_t up[256], const uint8_t down[256]) {
    const Table512 tu = load_table(up), td = load_table(down);
    const __m512i s0 = _mm512_load_si512(shuffles512.spread[0]);
    const __m512i s1 = _mm512_load_si512(shuffles512.spread[1]);
    const __m512i s2 = _mm512_load_si512(shuffles512.spread[2]);
    unsigned x = 0;
    for (; x + 64 <= width; x += 64, p += 192) {
        __m512i a = _mm512_loadu_si512(p), b = _mm512_loadu_si512(p + 64), c = _mm512_loadu_si512(p + 128);
        const __m512i g = greens512(a, b, c);
        const __m512i u = lookup(tu, g), d = lookup(td, g);
        a = _mm512_subs_epu8(_mm512_adds_epu8(a, _mm512_permutexvar_epi8(s0, u)), _mm512_permutexvar_epi8(s0, d));
        b = _mm512_subs_epu8(_mm512_adds_epu8(b, _mm512_permutexvar_epi8(s1, u)), _mm512_permutexvar_epi8(s1, d));
        c = _mm512_subs_epu8(_mm512_adds_epu8(c, _mm512_permutexvar_epi8(s2, u)), _mm512_permutexvar_epi8(s2, d));
        _mm512_storeu_si512(p, a);
        _mm512_storeu_si512(p + 64, b);
        _mm512_storeu_si512(p + 128, c);
    }
    add_by_green_ssse3(p, width - x, up, down);
}

bool has_avx512_vbmi() {
    static const bool yes = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                            __builtin_cpu_supports("avx512vbmi");
    return yes;
}

#endif

}  // namespace

void green_range(const unsigned char* row, unsigned width, int* lo, int* hi) {
#ifdef TONE_KERNELS_X86
    if (has_avx512_vbmi()) return green_range_avx512(row, width, lo, hi);
    if (has_ssse3()) return green_range_ssse3(row, width, lo, hi);
#endif
    green_range_portable(row, width, lo, hi);
}

void add_by_green(unsigned char* row, unsigned width, const uint8_t up[256], const uint8_t down[256]) {
#ifdef TONE_KERNELS_X86
    if (has_avx512_vbmi()) return add_by_green_avx512(row, width, up, down);
    if (has_ssse3()) return add_by_green_ssse3(row, width, up, down);
#endif
    add_by_green_portable(row, width, up, down);
}

void map_bytes(unsigned char* row, unsigned count, const uint8_t map[256]) {
#ifdef TONE_KERNELS_X86
    if (has_avx512_vbmi()) return map_bytes_avx512(row, count, map);
#endif
    map_bytes_portable(row, count, map);
}

void clip_pixels(unsigned char* row, unsigned width) {
#ifdef TONE_KERNELS_X86
    if (has_ssse3()) return clip_pixels_ssse3(row, width);
#endif
    clip_pixels_portable(row, width);
}

}  // namespace tone_kernels
