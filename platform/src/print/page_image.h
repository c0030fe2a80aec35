// A printed page as the raster writers (PNG, fax TIFF, PWG raster) read it: the
// whole sheet, row by row, so that no writer needs a second copy of the page.
#pragma once

#include <cstdint>
#include <functional>

namespace pw::print {

enum class RowFormat {
    white1,  // 1 bit a pixel, most significant bit first, 1 = white, 0 = black
    gray8,   // 0 = black, 255 = white
    rgb24,   // red, green, blue
};

struct PageImage {
    int width = 0;   // pixels of the whole sheet
    int height = 0;
    int xdpi = 0;    // dots per inch
    int ydpi = 0;
    RowFormat format = RowFormat::rgb24;
    // Writes row y (0 = top) into `out`, which holds bytes_per_row() bytes.
    std::function<void(int y, uint8_t* out)> row;
    // Called every few rows; returning false stops the writer (the document is being
    // aborted). May be empty.
    std::function<bool()> keep_going;

    int bytes_per_row() const {
        switch (format) {
            case RowFormat::white1: return (width + 7) / 8;
            case RowFormat::gray8: return width;
            case RowFormat::rgb24: return width * 3;
        }
        return 0;
    }
};

}  // namespace pw::print
