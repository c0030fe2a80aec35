// Writers of small image files for tests and for the sample scans in examples/.
// They store exactly the bytes they are given, so a test knows what a decoder must
// give back. Not part of lucentra itself.
//
// Every writer throws std::runtime_error when the file cannot be written.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace lucentra::samples {

// Rows as the file stores them: `bits` bits a sample (1, 2, 4 packed MSB-first,
// 8, or 16 big-endian as PNG and PNM store them; the TIFF writer takes 16-bit
// samples in native order), `channels` samples a pixel, each row padded to a whole
// byte, no other padding.
struct Raster {
    int width = 0;
    int height = 0;
    int channels = 1;
    int bits = 8;
    std::vector<uint8_t> data;

    Raster() = default;
    Raster(int w, int h, int c, int b) : width(w), height(h), channels(c), bits(b), data(stride() * (size_t)h) {}
    size_t stride() const { return ((size_t)width * channels * bits + 7) / 8; }
    uint8_t* row(int y) { return data.data() + stride() * (size_t)y; }
    const uint8_t* row(int y) const { return data.data() + stride() * (size_t)y; }
    // Sets sample `c` of pixel (x, y) for bits 1, 2, 4 and 8.
    void set(int x, int y, int c, unsigned value);
};

using Rgb = std::array<uint8_t, 3>;

struct PngOptions {
    int colour_type = 0;          // PNG colour type: 0 gray, 2 RGB, 3 palette, 4 gray+alpha, 6 RGBA
    std::vector<Rgb> palette;     // colour type 3
    std::vector<uint8_t> trns;    // palette alpha values, or for gray one 16-bit value (2 bytes, big-endian)
    double dpi = 0;               // 0: no pHYs chunk
    double dpi_y = 0;             // 0: same as dpi
    bool interlace = false;
};
void write_png(const std::string& path, const Raster& raster, const PngOptions& options);

struct TiffPage {
    Raster raster;
    int photometric = 1;          // 0 min-is-white, 1 min-is-black, 2 RGB, 3 palette, 5 CMYK
    int compression = 1;          // libtiff COMPRESSION_* value (1 none, 3 G3, 4 G4, 5 LZW, 7 JPEG, 8 Deflate)
    double xres = 0, yres = 0;    // dots per inch; 0: no resolution tags
    int rows_per_strip = 0;       // 0: libtiff's default
    int tile = 0;                 // tile width and height (multiple of 16); 0: strips
    bool planar_separate = false;
    int extra_alpha = 0;          // 0 none, 1 associated, 2 unassociated (last channel is alpha)
    std::vector<uint16_t> colormap;  // photometric 3: red, then green, then blue entries
    int jpeg_quality = 90;
    bool ycbcr = false;           // JPEG compression of RGB data as subsampled YCbCr
};
void write_tiff(const std::string& path, const std::vector<TiffPage>& pages);

// 8-bit gray (1 channel) or RGB (3 channels). dpi 0 writes JFIF density units 0.
void write_jpeg(const std::string& path, const Raster& raster, int quality, double dpi_x = 0, double dpi_y = 0,
                bool progressive = false);

// kind 1..6 (P1..P6). For P1/P4 the raster is 1-bit with 1 = black; others use
// 8 or 16 bits as given, maxval as given.
void write_pnm(const std::string& path, const Raster& raster, int kind, unsigned maxval = 255);

// Writes raw bytes (for hand-made broken files).
void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> read_bytes(const std::string& path);

}  // namespace lucentra::samples
