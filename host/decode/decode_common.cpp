#include "decode/decode_common.h"

#include <cmath>

namespace lucentra {

std::string decode_message(const std::string& path, int page_index, const std::string& what) {
    if (page_index >= 0) return path + ", page " + std::to_string(page_index + 1) + ": " + what;
    return path + ": " + what;
}

void check_page_size(const std::string& path, int page_index, int64_t width, int64_t height,
                     const DecodeLimits& limits) {
    if (width <= 0 || height <= 0) {
        throw DecodeError(decode_message(path, page_index,
                                         "the image has no pixels (" + std::to_string(width) + " x " +
                                             std::to_string(height) + ")"));
    }
    if (width > limits.max_side || height > limits.max_side ||
        (uint64_t)width * (uint64_t)height > limits.max_pixels) {
        throw DecodeError(decode_message(
            path, page_index,
            "the image is too large (" + std::to_string(width) + " x " + std::to_string(height) +
                " pixels; at most " + std::to_string(limits.max_side) + " a side and " +
                std::to_string(limits.max_pixels / 1000000) + " million pixels are read)"));
    }
}

static bool believable(double dpi) {
    return std::isfinite(dpi) && dpi >= kMinBelievableDpi && dpi <= kMaxBelievableDpi;
}

// Files keep resolutions in whole dots per metre or per centimetre, so 300 dpi
// comes back as 299.9994 (PNG) or 299.72 (TIFF in centimetres). Within a tenth of a
// percent of a whole number, the whole number is what was meant.
static double whole_dpi_if_close(double dpi) {
    double whole = std::round(dpi);
    return std::fabs(dpi - whole) <= dpi * 0.001 ? whole : dpi;
}

void choose_resolution(PageInfo& info, double file_xres, double file_yres, const DecodeOptions& options) {
    file_xres = whole_dpi_if_close(file_xres);
    file_yres = whole_dpi_if_close(file_yres);
    bool x_ok = believable(file_xres);
    bool y_ok = believable(file_yres);
    if (x_ok || y_ok) {
        info.xres = x_ok ? file_xres : file_yres;
        info.yres = y_ok ? file_yres : file_xres;
        info.res_from_file = true;
    } else {
        info.xres = info.yres = options.fallback_dpi;
        info.res_from_file = false;
    }
}

}  // namespace lucentra
