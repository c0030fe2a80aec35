// Makes the sample scans in examples/: a 300-dpi Letter colour page (JPEG), a
// 200-dpi gray page (PNG) and a two-page bilevel fax (CCITT G4 TIFF at 204 x 196
// dpi). Everything is drawn here from fixed formulas and a fixed random seed, so
// the files are ours and the same on every run.
//
//   make_examples OUTPUT_FOLDER
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "tools/sample_images.h"

using lucentra::samples::Raster;

namespace {

struct Random {
    uint32_t state = 2463534242u;
    uint32_t next() {
        state ^= state << 13, state ^= state >> 17, state ^= state << 5;
        return state;
    }
    int below(int n) { return (int)(next() % (uint32_t)n); }
};

// Paints pixel (x, y) of a 1- or 3-channel 8-bit raster with `v` (gray) or rgb.
void put(Raster& r, int x, int y, uint8_t red, uint8_t green, uint8_t blue) {
    if (x < 0 || y < 0 || x >= r.width || y >= r.height) return;
    uint8_t* p = r.row(y) + (size_t)x * r.channels;
    if (r.channels == 3)
        p[0] = red, p[1] = green, p[2] = blue;
    else
        p[0] = (uint8_t)((77 * red + 150 * green + 29 * blue) >> 8);
}

void fill(Raster& r, int x0, int y0, int x1, int y1, uint8_t v) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) put(r, x, y, v, v, v);
}

// Lines of text-like strokes: "words" of glyphs made of stems, bars and bowls,
// scaled to `em` pixels (about 10 points at 300 dpi for em = 42).
void text_block(Raster& r, Random& random, int x0, int y0, int x1, int y1, int em) {
    const int stroke = std::max(2, em / 14), xh = em / 2, gap = em / 3;
    for (int base = y0 + em; base < y1; base += em * 3 / 2) {
        int x = x0;
        while (x < x1 - em) {
            int letters = 2 + random.below(7);
            if (x + letters * (xh + stroke) > x1) break;
            for (int l = 0; l < letters; ++l) {
                int shape = random.below(5);
                bool ascender = random.below(4) == 0;
                int top = base - (ascender ? em * 3 / 4 : xh);
                if (shape != 3) fill(r, x, top, x + stroke, base, 0);  // stem
                if (shape == 1 || shape == 4) fill(r, x, base - xh, x + xh, base - xh + stroke, 0);  // top bar
                if (shape == 2 || shape == 4) fill(r, x, base - stroke, x + xh, base, 0);  // foot
                if (shape == 3) {  // bowl
                    int cx = x + xh / 2, cy = base - xh / 2, radius = xh / 2;
                    for (int y = cy - radius; y <= cy + radius; ++y)
                        for (int dx = -radius; dx <= radius; ++dx) {
                            double d = std::hypot(dx, y - cy);
                            if (d <= radius && d > radius - stroke) put(r, cx + dx, y, 0, 0, 0);
                        }
                }
                x += xh + stroke;
            }
            x += gap + xh / 2;
        }
    }
}

// A photo-like picture: soft colour fields, a sun-like glow and shading.
void photo(Raster& r, int x0, int y0, int x1, int y1) {
    const double w = x1 - x0, h = y1 - y0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            double u = (x - x0) / w, v = (y - y0) / h;
            double sky = std::clamp(1.3 - v * 1.8, 0.0, 1.0);
            double hill = 0.5 + 0.5 * std::sin(u * 7.0 + std::sin(v * 3.0) * 2.0);
            double glow = std::exp(-(std::pow(u - 0.7, 2) + std::pow(v - 0.25, 2)) * 30.0);
            double shade = 0.75 + 0.25 * std::cos((u - 0.5) * 2.5) * std::cos((v - 0.5) * 2.0);
            double red = (sky * 120 + (1 - sky) * (90 + 60 * hill) + glow * 140) * shade;
            double green = (sky * 170 + (1 - sky) * (120 + 70 * hill) + glow * 110) * shade;
            double blue = (sky * 235 + (1 - sky) * (60 + 30 * hill) + glow * 40) * shade;
            put(r, x, y, (uint8_t)std::clamp(red, 0.0, 255.0), (uint8_t)std::clamp(green, 0.0, 255.0),
                (uint8_t)std::clamp(blue, 0.0, 255.0));
        }
}

Raster page(int w, int h, int channels) {
    Raster r(w, h, channels, 8);
    std::fill(r.data.begin(), r.data.end(), 250);  // paper, not quite white
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: make_examples OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string out = argv[1];
    Random random;

    // Letter at 300 dpi, colour: a heading, a photo and two columns of text.
    Raster colour = page(2550, 3300, 3);
    fill(colour, 300, 300, 2250, 330, 0);
    text_block(colour, random, 300, 380, 2250, 560, 84);
    photo(colour, 300, 650, 2250, 1900);
    text_block(colour, random, 300, 2000, 1230, 2500, 42);
    text_block(colour, random, 1320, 2000, 2250, 2500, 42);
    lucentra::samples::write_jpeg(out + "/letter-colour-300dpi.jpg", colour, 55, 300, 300);

    // Letter at 200 dpi, gray: a picture beside text.
    Raster gray = page(1700, 2200, 1);
    photo(gray, 200, 200, 900, 1000);
    text_block(gray, random, 960, 200, 1500, 1000, 28);
    text_block(gray, random, 200, 1080, 1500, 2000, 28);
    lucentra::samples::PngOptions png;
    png.colour_type = 0;
    png.dpi = 200;
    lucentra::samples::write_png(out + "/gray-200dpi.png", gray, png);

    // A two-page fax: 1728 x 2156 at 204 x 196 dpi, G4, min-is-white.
    std::vector<lucentra::samples::TiffPage> fax;
    for (int p = 0; p < 2; ++p) {
        Raster text = page(1728, 2156, 1);
        std::fill(text.data.begin(), text.data.end(), 255);
        text_block(text, random, 150, 150, 1580, p == 0 ? 2000 : 1100, 30);
        Raster bits(1728, 2156, 1, 1);
        for (int y = 0; y < 2156; ++y)
            for (int x = 0; x < 1728; ++x)
                if (text.row(y)[x] < 128) bits.row(y)[x >> 3] |= (uint8_t)(0x80 >> (x & 7));
        lucentra::samples::TiffPage t;
        t.raster = bits;
        t.photometric = 0;
        t.compression = 4;
        t.xres = 204;
        t.yres = 196;
        t.rows_per_strip = 2156;
        fax.push_back(t);
    }
    lucentra::samples::write_tiff(out + "/fax-2-pages.tif", fax);
    return 0;
}
