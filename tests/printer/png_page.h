// Reads a printed PNG page back for pixel checks.
#pragma once

#include <png.h>

#include <cstring>
#include <string>
#include <vector>

namespace testengine {

struct Page {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // 3 bytes a pixel, rows top first
    bool ok() const { return width > 0; }
    const unsigned char* at(int x, int y) const { return &rgb[((size_t)y * width + x) * 3]; }
    int gray(int x, int y) const {
        const unsigned char* p = at(x, y);
        return (p[0] + p[1] + p[2]) / 3;
    }
};

inline Page read_png(const std::string& path) {
    Page page;
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return page;
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> buffer(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, buffer.data(), 0, nullptr)) return page;
    page.width = (int)image.width;
    page.height = (int)image.height;
    page.rgb = std::move(buffer);
    return page;
}

}  // namespace testengine
