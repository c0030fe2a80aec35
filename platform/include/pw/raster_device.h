// The raster page device: a page buffer with exact GDI semantics. It is the
// reference for exact-pixel tests, the device of memory DCs (over a DIB
// section's pixels) and the page that raster printers (PNG, fax TIFF, PWG)
// encode at the end of a page.
//
// Pixel formats and what a pixel value means:
//   mono1  1 bit a pixel, most significant bit first; the value indexes the
//          colour table (pages: 0 = black, 1 = white)
//   index4 4 bits a pixel, high nibble first, indexing the colour table
//   index8 1 byte a pixel indexing the colour table
//   gray8  1 byte a pixel, 0 = black, 255 = white
//   bgr24  3 bytes a pixel in blue, green, red order (DIB order)
//   bgrx32 4 bytes a pixel: blue, green, red, unused
// Colours become gray as (299 r + 587 g + 114 b) / 1000, rounded to nearest;
// become mono by the nearer of the two table colours by that gray value
// (mid-gray 128 and up is white on a page); become an index by the nearest
// table colour (squared RGB distance, first wins).
//
// Raster operations work bitwise on pixel values, as on the original platform:
// on bits for mono1, on indices for index4/index8, on bytes for the others.
// Stretching: a destination pixel samples the source pixel under its centre
// when enlarging; when shrinking, BLACKONWHITE ANDs and WHITEONBLACK ORs the
// values of all source pixels that fall on it, COLORONCOLOR and HALFTONE keep
// the one under its centre.
#pragma once

#include "pw/device.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace pw {

enum class PixelFormat { mono1, index4, index8, gray8, bgr24, bgrx32 };

int bits_per_pixel(PixelFormat format);

class RasterDevice : public Device {
public:
    // A page buffer owned by the device: caps.horz_res x caps.vert_res pixels,
    // rows top-down with a stride rounded up to 4 bytes, filled white.
    // mono1 pages get the table {black, white}; index formats a gray ramp
    // unless `colors` is given. Throws std::bad_alloc when memory is short and
    // std::invalid_argument for a non-positive or absurd size.
    RasterDevice(const DeviceCaps& caps, PixelFormat format, std::vector<RGBQUAD> colors = {});

    // Over caller-owned memory (a DIB section): `top_row` is the top row of
    // the picture and `stride` the signed byte distance from one row to the
    // row below it (negative for bottom-up DIBs). The memory must outlive the
    // device and hold caps.horz_res x caps.vert_res pixels.
    RasterDevice(const DeviceCaps& caps, PixelFormat format, uint8_t* top_row, ptrdiff_t stride,
                 std::vector<RGBQUAD> colors = {});

    // A band of a page: rows [first_row, first_row + rows) of a caps.horz_res x
    // caps.vert_res page, in caller-owned memory whose first row (page row
    // `first_row`) is at `top_row`. Coordinates stay the whole page's and all
    // drawing is clipped to the band, so drawing the same calls into every band
    // of a page gives exactly the pixels of drawing them on the whole page.
    // The memory must outlive the device and hold `rows` rows of `stride` bytes.
    RasterDevice(const DeviceCaps& caps, PixelFormat format, uint8_t* top_row, ptrdiff_t stride, int first_row,
                 int rows, std::vector<RGBQUAD> colors = {});

    const char* kind() const override { return "raster"; }

    PixelFormat format() const { return format_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // The rows the device holds: the whole page, or a band of it.
    int first_row() const { return first_row_; }
    int end_row() const { return end_row_; }
    uint8_t* bits() { return top_; }             // top row held
    const uint8_t* bits() const { return top_; }
    ptrdiff_t stride() const { return stride_; } // bytes from a row to the row below
    // Page row y, which must be held (first_row() <= y < end_row()).
    uint8_t* row(int y) { return top_ + stride_ * (y - first_row_); }
    const uint8_t* row(int y) const { return top_ + stride_ * (y - first_row_); }
    const std::vector<RGBQUAD>& color_table() const { return colors_; }

    // Fills every row held with a colour.
    void clear(COLORREF color = RGB(255, 255, 255));
    // The colour of a pixel (for tests and encoders); CLR_INVALID outside.
    COLORREF pixel(int x, int y) const;
    // The pixel value a colour becomes on this device (see the header comment).
    uint32_t value_of(COLORREF color) const;

protected:
    DrawStatus on_stretch_dib(const StretchDibCall& call, int* lines) override;
    DrawStatus on_fill_path(const FillPathCall& call) override;
    DrawStatus on_pat_blt(const PatBltCall& call) override;

private:
    void init(PixelFormat format, std::vector<RGBQUAD> colors);

    PixelFormat format_;
    int width_ = 0;
    int height_ = 0;
    std::unique_ptr<uint8_t[]> own_;
    uint8_t* top_ = nullptr;
    ptrdiff_t stride_ = 0;
    int first_row_ = 0;
    int end_row_ = 0;
    std::vector<RGBQUAD> colors_;
};

// Default capabilities for a page of `width` x `height` pixels at `dpi`.
DeviceCaps raster_caps(int width, int height, int dpi_x, int dpi_y, PixelFormat format);

} // namespace pw
