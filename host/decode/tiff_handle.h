// libtiff access for the TIFF decoder: a handle whose error and warning messages
// are captured per handle (never printed by libtiff, never process-wide), and the
// layout of one page (directory) read and checked against what we can decode.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "decode/image.h"

typedef struct tiff TIFF;

namespace lucentra {

// Messages libtiff gave while a handle was in use.
struct TiffMessages {
    char error[384] = "";    // the first error since clear()
    bool warned_data = false;  // a codec warned about damaged data (premature end, bad code)
    char warning[384] = "";
    void clear() {
        error[0] = warning[0] = '\0';
        warned_data = false;
    }
    std::string text() const { return error[0] ? error : (warning[0] ? warning : "unknown libtiff error"); }
};

// An open TIFF file. The messages live beside the handle, at a stable address
// that libtiff keeps until close.
class TiffHandle {
public:
    // Throws DecodeError when the file cannot be opened as TIFF.
    explicit TiffHandle(const std::string& path);
    ~TiffHandle();
    TiffHandle(const TiffHandle&) = delete;
    TiffHandle& operator=(const TiffHandle&) = delete;

    TIFF* get() const { return tif_; }
    TiffMessages& messages() { return *messages_; }

private:
    std::unique_ptr<TiffMessages> messages_;
    TIFF* tif_ = nullptr;
};

// Colour models the decoder turns into canonical rows.
enum class TiffModel { Gray, Rgb, Palette, Cmyk };

// One page as stored, after the checks.
struct TiffLayout {
    uint32_t width = 0, height = 0;
    uint16_t bits = 1;             // per sample: 1, 2, 4, 8 or 16
    uint16_t samples = 1;          // per pixel, extra samples included
    uint16_t compression = 1;
    bool planar_separate = false;
    bool tiled = false;
    uint32_t tile_width = 0, tile_height = 0;
    TiffModel model = TiffModel::Gray;
    bool min_is_white = false;
    bool ycbcr_jpeg = false;       // YCbCr JPEG read with libtiff's conversion to RGB
    int colour_samples = 1;        // 1 gray or palette, 3 RGB, 4 CMYK
    int alpha_sample = -1;         // index of the alpha sample, -1 without
    bool alpha_premultiplied = false;
    std::vector<uint8_t> palette;  // 3 bytes an entry, 2^bits entries (palette model)
    bool palette_gray = true;
    double xres = 0, yres = 0;     // dots per inch as stated, 0 when not stated
};

// Reads and checks the current directory of `tif`; `page_index` and `path` only
// name the page in messages. Throws DecodeError for what cannot be decoded.
TiffLayout read_tiff_layout(TIFF* tif, TiffMessages& messages, const std::string& path, int page_index,
                            const DecodeLimits& limits);

// Short description of a page's storage, e.g. "TIFF CCITT G4 1-bit gray".
std::string describe_tiff(const TiffLayout& layout);

}  // namespace lucentra
