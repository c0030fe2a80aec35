// The raster page device: its buffer, colours and pixels. Drawing lives in
// raster_stretch.cpp (StretchDIBits), raster_fill.cpp (paths) and
// raster_blit.cpp (PatBlt).
#include "gdi/raster_pixels.h"

#include <cstring>
#include <stdexcept>

namespace pw {

int bits_per_pixel(PixelFormat format) {
    switch (format) {
    case PixelFormat::mono1: return 1;
    case PixelFormat::index4: return 4;
    case PixelFormat::index8:
    case PixelFormat::gray8: return 8;
    case PixelFormat::bgr24: return 24;
    case PixelFormat::bgrx32: return 32;
    }
    return 0;
}

DeviceCaps raster_caps(int width, int height, int dpi_x, int dpi_y, PixelFormat format) {
    DeviceCaps caps;
    caps.horz_res = width;
    caps.vert_res = height;
    caps.physical_width = width;
    caps.physical_height = height;
    caps.log_pixels_x = dpi_x;
    caps.log_pixels_y = dpi_y;
    caps.bits_pixel = bits_per_pixel(format);
    caps.num_colors = caps.bits_pixel <= 8 ? 1 << caps.bits_pixel : -1;
    return caps;
}

namespace {

// Pages larger than this many pixels a side are refused as absurd.
constexpr int kMaxSide = 1 << 20;

size_t row_bytes(int width, PixelFormat format) {
    return (static_cast<size_t>(width) * bits_per_pixel(format) + 31) / 32 * 4;
}

std::vector<RGBQUAD> default_table(PixelFormat format) {
    std::vector<RGBQUAD> t;
    int n = 0;
    if (format == PixelFormat::mono1) n = 2;
    if (format == PixelFormat::index4) n = 16;
    if (format == PixelFormat::index8) n = 256;
    for (int i = 0; i < n; ++i) {
        BYTE v = static_cast<BYTE>(i * 255 / (n - 1));
        t.push_back(RGBQUAD{v, v, v, 0});
    }
    return t;
}

} // namespace

RasterDevice::RasterDevice(const DeviceCaps& caps, PixelFormat format, std::vector<RGBQUAD> colors)
    : Device(caps), format_(format) {
    init(format, std::move(colors));
    size_t stride = row_bytes(width_, format);
    size_t total = 0;
    if (__builtin_mul_overflow(stride, static_cast<size_t>(height_), &total))
        throw std::invalid_argument("page too large");
    own_.reset(new uint8_t[total]()); // row padding too: encoders may read whole rows
    top_ = own_.get();
    stride_ = static_cast<ptrdiff_t>(stride);
    clear();
}

RasterDevice::RasterDevice(const DeviceCaps& caps, PixelFormat format, uint8_t* top_row,
                           ptrdiff_t stride, std::vector<RGBQUAD> colors)
    : Device(caps), format_(format), top_(top_row), stride_(stride) {
    if (!top_row) throw std::invalid_argument("null pixel memory");
    init(format, std::move(colors));
}

RasterDevice::RasterDevice(const DeviceCaps& caps, PixelFormat format, uint8_t* top_row, ptrdiff_t stride,
                           int first_row, int rows, std::vector<RGBQUAD> colors)
    : RasterDevice(caps, format, top_row, stride, std::move(colors)) {
    if (first_row < 0 || rows < 0 || rows > height_ - first_row) throw std::invalid_argument("band outside the page");
    first_row_ = first_row;
    end_row_ = first_row + rows;
}

void RasterDevice::init(PixelFormat format, std::vector<RGBQUAD> colors) {
    width_ = caps().horz_res;
    height_ = caps().vert_res;
    if (width_ <= 0 || height_ <= 0 || width_ > kMaxSide || height_ > kMaxSide)
        throw std::invalid_argument("bad page size");
    first_row_ = 0;
    end_row_ = height_;
    bool indexed = format == PixelFormat::mono1 || format == PixelFormat::index4 ||
                   format == PixelFormat::index8;
    if (indexed) {
        colors_ = colors.empty() ? default_table(format) : std::move(colors);
        size_t max = size_t{1} << bits_per_pixel(format);
        if (colors_.size() > max) colors_.resize(max);
    }
}

void RasterDevice::clear(COLORREF color) {
    uint32_t v = value_of(color);
    size_t bytes = row_bytes(width_, format_);
    for (int y = first_row_; y < end_row_; ++y) {
        uint8_t* r = row(y);
        switch (format_) {
        case PixelFormat::mono1: std::memset(r, (v & 1) ? 0xFF : 0x00, bytes); break;
        case PixelFormat::index4: std::memset(r, static_cast<int>((v & 0xF) * 0x11), bytes); break;
        case PixelFormat::index8:
        case PixelFormat::gray8: std::memset(r, static_cast<int>(v), bytes); break;
        case PixelFormat::bgr24:
            // Paper white (and any gray) is one byte repeated; other colours
            // are built once and copied to the rows below.
            if ((v & 0xFF) == ((v >> 8) & 0xFF) && (v & 0xFF) == ((v >> 16) & 0xFF))
                std::memset(r, static_cast<int>(v & 0xFF), 3 * static_cast<size_t>(width_));
            else if (y > first_row_)
                std::memcpy(r, row(first_row_), 3 * static_cast<size_t>(width_));
            else
                for (int x = 0; x < width_; ++x) gdi::Px<PixelFormat::bgr24>::put(r, x, v);
            break;
        case PixelFormat::bgrx32:
            for (int x = 0; x < width_; ++x) gdi::Px<PixelFormat::bgrx32>::put(r, x, v);
            break;
        }
    }
}

uint32_t RasterDevice::value_of(COLORREF color) const {
    gdi::ColorMapper map(format_, colors_);
    return map(GetRValue(color), GetGValue(color), GetBValue(color));
}

COLORREF RasterDevice::pixel(int x, int y) const {
    if (x < 0 || y < first_row_ || x >= width_ || y >= end_row_) return CLR_INVALID;
    const uint8_t* r = row(y);
    uint32_t v = gdi::with_format(format_, [&]<PixelFormat F>() { return gdi::Px<F>::get(r, x); });
    switch (format_) {
    case PixelFormat::gray8: return RGB(v, v, v);
    case PixelFormat::bgr24:
    case PixelFormat::bgrx32: return RGB(v >> 16 & 0xFF, v >> 8 & 0xFF, v & 0xFF);
    default:
        if (v >= colors_.size()) return RGB(0, 0, 0);
        return RGB(colors_[v].rgbRed, colors_[v].rgbGreen, colors_[v].rgbBlue);
    }
}

namespace gdi {

ColorMapper::ColorMapper(PixelFormat format, const std::vector<RGBQUAD>& table)
    : format_(format), table_(table) {
    if (format == PixelFormat::mono1) {
        // The nearer of the two table colours by gray value; the first wins a tie.
        int g0 = table.size() > 0 ? static_cast<int>(gray_of(table[0].rgbRed, table[0].rgbGreen, table[0].rgbBlue)) : 0;
        int g1 = table.size() > 1 ? static_cast<int>(gray_of(table[1].rgbRed, table[1].rgbGreen, table[1].rgbBlue)) : 255;
        for (int g = 0; g < 256; ++g) {
            int d0 = g - g0 < 0 ? g0 - g : g - g0;
            int d1 = g - g1 < 0 ? g1 - g : g - g1;
            // On a {black, white} page this puts 128 and above on white.
            mono_[g] = (d1 < d0 || (d1 == d0 && g1 > g0 && g >= 128)) ? 1 : 0;
        }
    }
}

uint32_t ColorMapper::nearest(unsigned r, unsigned g, unsigned b) const {
    uint32_t best = 0;
    long best_d = -1;
    for (size_t i = 0; i < table_.size(); ++i) {
        long dr = static_cast<long>(r) - table_[i].rgbRed;
        long dg = static_cast<long>(g) - table_[i].rgbGreen;
        long db = static_cast<long>(b) - table_[i].rgbBlue;
        long d = dr * dr + dg * dg + db * db;
        if (best_d < 0 || d < best_d) {
            best_d = d;
            best = static_cast<uint32_t>(i);
            if (d == 0) break;
        }
    }
    return best;
}

} // namespace gdi
} // namespace pw
