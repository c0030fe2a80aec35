// Row kernels of the tone steps (tone.cpp), each with a portable version and,
// on x86-64, vector versions chosen at run time by what the processor has
// (AVX-512 VBMI: 64 pixels at a time with in-register table lookups; SSSE3:
// 16 pixels at a time). All versions give identical results.
#pragma once

#include <cstdint>

namespace tone_kernels {

// Smallest and largest green byte of `width` blue-green-red pixels, folded
// into *lo and *hi.
void green_range(const unsigned char* row, unsigned width, int* lo, int* hi);

// Every pixel's three bytes b become b + up[g] - down[g] with saturation at 0
// and 255, g being the pixel's green byte (one of up/down is 0 for each g).
void add_by_green(unsigned char* row, unsigned width, const uint8_t up[256], const uint8_t down[256]);

// Every byte v of `count` bytes becomes map[v].
void map_bytes(unsigned char* row, unsigned count, const uint8_t map[256]);

// Pixels whose three bytes are all above 225 become white, all below 20 black.
void clip_pixels(unsigned char* row, unsigned width);

}  // namespace tone_kernels
