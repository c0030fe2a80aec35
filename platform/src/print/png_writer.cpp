#include <png.h>

#include <csetjmp>
#include <vector>

#include "print/raster_writers.h"

namespace pw::print {

bool write_png(FILE* out, const PageImage& page, std::string* why) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        *why = "out of memory for the PNG encoder";
        return false;
    }
    std::vector<uint8_t> row(static_cast<size_t>(page.bytes_per_row()));
    bool stopped = false;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        *why = stopped ? "the document was aborted" : "the PNG file could not be written";
        return false;
    }
    png_init_io(png, out);
    int depth = page.format == RowFormat::white1 ? 1 : 8;
    int colour = page.format == RowFormat::rgb24 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY;
    png_set_IHDR(png, info, static_cast<png_uint_32>(page.width), static_cast<png_uint_32>(page.height), depth,
                 colour, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_pHYs(png, info, static_cast<png_uint_32>(page.xdpi / 0.0254 + 0.5),
                 static_cast<png_uint_32>(page.ydpi / 0.0254 + 0.5), PNG_RESOLUTION_METER);
    // Bilevel pages compress best unfiltered, and gain nothing from the filter search.
    if (depth == 1) png_set_filter(png, 0, PNG_FILTER_NONE);
    png_write_info(png, info);
    for (int y = 0; y < page.height; ++y) {
        if ((y & 63) == 0 && page.keep_going && !page.keep_going()) {
            stopped = true;
            png_error(png, "stopped");
        }
        page.row(y, row.data());
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    if (std::ferror(out)) {
        *why = "the PNG file could not be written";
        return false;
    }
    return true;
}

}  // namespace pw::print
