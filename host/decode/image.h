// Image input of lucentra: one interface over PNG, TIFF, JPEG and PNM files.
//
// open_image() reads a file's headers (every page's size, resolution and colour
// model) and nothing else; the pixels are decoded only when a RowReader asks for
// them, one row at a time, top row first. Rows come in one canonical form:
//
//   - 1 channel: 8-bit gray, 0 black .. 255 white (bilevel pages give only 0 and 255);
//   - 3 channels: 8-bit red, green, blue in that order.
//
// Alpha is composed onto white, 16-bit samples are reduced to 8 bits, palettes are
// expanded (to gray when every entry is gray), CMYK is converted to RGB.
//
// Errors: every failure throws DecodeError whose what() is one readable line that
// names the file (and the page and row when the data is at fault). Headers that
// announce more pixels than DecodeLimits allow are refused before anything of
// that size is allocated.
//
// Lifetime: an ImageFile holds no open file and no pixels; each RowReader opens the
// file afresh and owns its decoder, so readers of different pages (or two readers
// of one page) are independent. A reader may outlive its ImageFile: it keeps its
// own copy of everything it needs.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace lucentra {

class DecodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a file may announce before it is refused. The defaults admit a 1200-dpi
// scan of a tabloid page (13200 x 20400) and refuse absurd headers such as
// 100000 x 100000 up front.
struct DecodeLimits {
    int max_side = 65535;                 // pixels, either axis
    uint64_t max_pixels = 300000000ull;   // pixels of one page
    int max_pages = 10000;                // pages of one file
};

struct DecodeOptions {
    // Resolution of a file that does not state one, dots per inch (--dpi).
    double fallback_dpi = 300;
    DecodeLimits limits;
};

// Resolutions a file may state and still be believed (dots per inch). Outside this
// range the file's value is treated as missing.
constexpr double kMinBelievableDpi = 10;
constexpr double kMaxBelievableDpi = 20000;

struct PageInfo {
    int width = 0;             // pixels
    int height = 0;            // pixels
    double xres = 0;           // dots per inch, horizontal
    double yres = 0;           // dots per inch, vertical
    bool res_from_file = false;  // false: fallback_dpi was used
    int channels = 1;          // of the canonical rows: 1 gray, 3 RGB
    int source_bits = 8;       // bits per sample as stored in the file
    bool bilevel = false;      // every pixel is black or white (1-bit source)
    bool has_colour = false;   // the colour model holds colour (RGB, colour palette, CMYK)
    std::string format;        // short description, e.g. "TIFF CCITT G4 1-bit"

    size_t row_bytes() const { return (size_t)width * channels; }
};

// Produces one page's rows in the canonical form, top row first.
class RowReader {
public:
    virtual ~RowReader() = default;
    // Decodes the next row into `out` (PageInfo::row_bytes() bytes). Throws
    // DecodeError on corrupt or truncated data, or when every row was read.
    virtual void read(uint8_t* out) = 0;
};

class ImageFile {
public:
    virtual ~ImageFile() = default;
    const std::string& path() const { return path_; }
    int page_count() const { return (int)pages_.size(); }
    // Page `index`, 0-based; throws std::out_of_range for a page that does not exist.
    const PageInfo& page(int index) const { return pages_.at(index); }
    // A new reader of page `index`, positioned at its top row.
    virtual std::unique_ptr<RowReader> open_rows(int index) const = 0;

protected:
    ImageFile(std::string path, DecodeOptions options) : path_(std::move(path)), options_(options) {}
    std::string path_;
    DecodeOptions options_;
    std::vector<PageInfo> pages_;
};

// Opens `path`, recognising the format by its first bytes. Throws DecodeError for a
// missing or unreadable file, an unknown format, a page without pixels, a header
// beyond the limits, or headers that cannot be read.
std::unique_ptr<ImageFile> open_image(const std::string& path, const DecodeOptions& options = {});

}  // namespace lucentra
