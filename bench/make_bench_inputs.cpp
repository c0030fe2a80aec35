// Writes the inputs of the side-by-side benchmark (bench/compare.py) into a folder:
//
//   scan-colour.png  Letter at 300 dpi, RGB, 2550 x 3300
//   scan-gray.png    Letter at 300 dpi, 8-bit gray, 2550 x 3300
//   fax-g4.tif       one fax page, 1728 x 2156 at 204 x 196 dpi, CCITT G4, min-is-white
//
// The pages look like scans of a printed page: paper that is not quite white, a
// heading, two columns of text strokes and a photograph, with the faint noise of
// a scanner's sensor (a few levels either side), since that noise is what decides
// how well a compressor does on real scans. Everything comes from fixed formulas
// and a fixed seed, so every run writes the same bytes.
//
//   make_bench_inputs OUTPUT_FOLDER
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <string>

#include "tools/sample_images.h"

using lucentra::samples::Raster;

namespace {

struct Random {
    uint32_t state = 88172645u;
    uint32_t next() {
        state ^= state << 13, state ^= state >> 17, state ^= state << 5;
        return state;
    }
    int below(int n) { return (int)(next() % (uint32_t)n); }
};

// A page in RGB; the gray and bilevel pages are derived from it.
struct Page {
    int width, height;
    std::vector<float> rgb;  // 0..255, 3 floats a pixel
    Page(int w, int h) : width(w), height(h), rgb((size_t)w * h * 3, 246.f) {}
    float* at(int x, int y) { return &rgb[((size_t)y * width + x) * 3]; }
    void put(int x, int y, float r, float g, float b) {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        float* p = at(x, y);
        p[0] = r, p[1] = g, p[2] = b;
    }
    void fill(int x0, int y0, int x1, int y1, float r, float g, float b) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) put(x, y, r, g, b);
    }
};

// Lines of text-like strokes in "words", `em` pixels high (about 10 points at
// 300 dpi for em = 42), in near-black ink.
void text_block(Page& page, Random& random, int x0, int y0, int x1, int y1, int em) {
    const int stroke = std::max(2, em / 14), xh = em / 2, gap = em / 3;
    const float ink = 28.f;
    for (int base = y0 + em; base < y1; base += em * 3 / 2) {
        int x = x0;
        while (x < x1 - em) {
            const int letters = 2 + random.below(7);
            if (x + letters * (xh + stroke) > x1) break;
            for (int l = 0; l < letters; ++l) {
                const int shape = random.below(5);
                const int top = base - (random.below(4) == 0 ? em * 3 / 4 : xh);
                if (shape != 3) page.fill(x, top, x + stroke, base, ink, ink, ink);
                if (shape == 1 || shape == 4) page.fill(x, base - xh, x + xh, base - xh + stroke, ink, ink, ink);
                if (shape == 2 || shape == 4) page.fill(x, base - stroke, x + xh, base, ink, ink, ink);
                if (shape == 3) {
                    const int cx = x + xh / 2, cy = base - xh / 2, radius = xh / 2;
                    for (int y = cy - radius; y <= cy + radius; ++y)
                        for (int dx = -radius; dx <= radius; ++dx) {
                            const double d = std::hypot(dx, y - cy);
                            if (d <= radius && d > radius - stroke) page.put(cx + dx, y, ink, ink, ink);
                        }
                }
                x += xh + stroke;
            }
            x += gap + xh / 2;
        }
    }
}

// A landscape-like photograph: sky, hills, a glow and shading.
void photo(Page& page, int x0, int y0, int x1, int y1) {
    const double w = x1 - x0, h = y1 - y0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const double u = (x - x0) / w, v = (y - y0) / h;
            const double sky = std::clamp(1.3 - v * 1.8, 0.0, 1.0);
            const double hill = 0.5 + 0.5 * std::sin(u * 7.0 + std::sin(v * 3.0) * 2.0);
            const double texture = 0.5 + 0.5 * std::sin(u * 310.0 + std::sin(v * 97.0) * 4.0);
            const double glow = std::exp(-(std::pow(u - 0.7, 2) + std::pow(v - 0.25, 2)) * 30.0);
            const double shade = 0.75 + 0.25 * std::cos((u - 0.5) * 2.5) * std::cos((v - 0.5) * 2.0);
            const double grass = (1 - sky) * (0.85 + 0.15 * texture);
            page.put(x, y, (float)((sky * 120 + grass * (90 + 60 * hill) + glow * 140) * shade),
                     (float)((sky * 170 + grass * (120 + 70 * hill) + glow * 110) * shade),
                     (float)((sky * 235 + grass * (60 + 30 * hill) + glow * 40) * shade));
        }
}

Page letter_page(Random& random) {
    Page page(2550, 3300);
    page.fill(300, 300, 2250, 330, 20, 40, 110);
    text_block(page, random, 300, 380, 2250, 560, 84);
    photo(page, 300, 650, 2250, 1900);
    text_block(page, random, 300, 2000, 1230, 3000, 42);
    text_block(page, random, 1320, 2000, 2250, 3000, 42);
    return page;
}

// Sensor noise: -2..+2 with a triangular distribution, independent per sample.
uint8_t noisy(float v, Random& random) {
    const int n = random.below(3) + random.below(3) - 2;
    return (uint8_t)std::clamp((int)std::lround(v) + n, 0, 255);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: make_bench_inputs OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string out = argv[1];
    try {
        Random random;
        const Page page = letter_page(random);

        Raster colour(page.width, page.height, 3, 8), gray(page.width, page.height, 1, 8);
        for (int y = 0; y < page.height; ++y)
            for (int x = 0; x < page.width; ++x) {
                const float* p = &page.rgb[((size_t)y * page.width + x) * 3];
                for (int c = 0; c < 3; ++c) colour.row(y)[x * 3 + c] = noisy(p[c], random);
                gray.row(y)[x] = noisy(0.299f * p[0] + 0.587f * p[1] + 0.114f * p[2], random);
            }
        lucentra::samples::PngOptions png;
        png.dpi = 300;
        png.colour_type = 2;
        lucentra::samples::write_png(out + "/scan-colour.png", colour, png);
        png.colour_type = 0;
        lucentra::samples::write_png(out + "/scan-gray.png", gray, png);

        // The fax: text only, bilevel, at fax fine resolution.
        Page text(1728, 2156);
        text_block(text, random, 120, 150, 1600, 2000, 30);
        Raster bits(text.width, text.height, 1, 1);
        for (int y = 0; y < text.height; ++y)
            for (int x = 0; x < text.width; ++x)
                if (text.at(x, y)[0] < 128) bits.row(y)[x >> 3] |= (uint8_t)(0x80 >> (x & 7));
        lucentra::samples::TiffPage fax;
        fax.raster = bits;
        fax.photometric = 0;
        fax.compression = 4;
        fax.xres = 204;
        fax.yres = 196;
        fax.rows_per_strip = text.height;
        lucentra::samples::write_tiff(out + "/fax-g4.tif", {fax});
    } catch (const std::exception& e) {
        fprintf(stderr, "make_bench_inputs: %s\n", e.what());
        return 1;
    }
    return 0;
}
