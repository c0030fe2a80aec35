// Validating a caller's DIB against the memory it claims.
#include "pw/device.h"

#include <limits>

namespace pw {
namespace {

// DIBs wider or taller than this are refused: no real page image comes near
// it, and it keeps every size computation far from overflow.
constexpr int64_t kMaxDibSide = 1 << 24;

bool fail(std::string* why, const char* text) {
    if (why) *why = text;
    return false;
}

} // namespace

bool make_dib_view(const BITMAPINFO* info, size_t info_size, const void* bits, size_t bits_size,
                   UINT usage, DibView* out, std::string* why) {
    if (!info) return fail(why, "no BITMAPINFO");
    if (!bits) return fail(why, "no pixel memory");
    if (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS) return fail(why, "bad colour usage");
    if (info_size != 0 && info_size < sizeof(BITMAPINFOHEADER))
        return fail(why, "BITMAPINFO smaller than its header");
    const BITMAPINFOHEADER& h = info->bmiHeader;
    // The header versions that start with the 40-byte layout (V1, V2/V3 with masks, V4, V5).
    if (h.biSize != 40 && h.biSize != 52 && h.biSize != 56 && h.biSize != 108 && h.biSize != 124)
        return fail(why, "unsupported header size");
    if (info_size != 0 && info_size < h.biSize) return fail(why, "header larger than its memory");
    if (h.biPlanes != 1) return fail(why, "planes must be 1");
    const int bpp = h.biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32)
        return fail(why, "unsupported bit depth");
    if (h.biCompression != BI_RGB) return fail(why, "unsupported compression");
    if (h.biWidth <= 0) return fail(why, "width must be positive");
    if (h.biHeight == 0 || h.biHeight == std::numeric_limits<LONG>::min())
        return fail(why, "height must not be zero");
    const int64_t width = h.biWidth;
    const int64_t height = h.biHeight < 0 ? -static_cast<int64_t>(h.biHeight) : h.biHeight;
    if (width > kMaxDibSide || height > kMaxDibSide) return fail(why, "DIB too large");

    // Colour table: 2^bpp entries unless biClrUsed says fewer; depths above 8
    // may carry an optional table of biClrUsed entries that only takes room.
    int64_t colors = 0;
    if (bpp <= 8) {
        const int64_t max = int64_t{1} << bpp;
        if (h.biClrUsed > max) return fail(why, "colour count does not fit the depth");
        colors = h.biClrUsed ? h.biClrUsed : max;
    } else {
        if (h.biClrUsed > 256) return fail(why, "colour count too large");
        colors = h.biClrUsed;
    }
    const int64_t entry = usage == DIB_PAL_COLORS ? 2 : 4;
    const int64_t table_bytes = bpp <= 8 ? colors * entry : colors * 4;
    const int64_t need_info = static_cast<int64_t>(h.biSize) + table_bytes;
    if (info_size != 0 && static_cast<int64_t>(info_size) < need_info)
        return fail(why, "colour table larger than its memory");

    const int64_t stride = (width * bpp + 31) / 32 * 4;
    const int64_t need_bits = stride * height; // < 2^24 * 2^24 * 4 / 8: no overflow
    if (need_bits > static_cast<int64_t>(std::numeric_limits<size_t>::max() / 2))
        return fail(why, "DIB too large");
    if (bits_size != 0 && static_cast<int64_t>(bits_size) < need_bits)
        return fail(why, "pixel rows larger than their memory");
    if (h.biSizeImage != 0 && static_cast<int64_t>(h.biSizeImage) < need_bits)
        return fail(why, "biSizeImage smaller than the rows");

    DibView v;
    v.header = &h;
    v.info_size = static_cast<size_t>(need_info);
    v.bits = static_cast<const uint8_t*>(bits);
    v.bits_size = static_cast<size_t>(need_bits);
    v.width = static_cast<int>(width);
    v.height = static_cast<int>(height);
    v.bit_count = bpp;
    v.top_down = h.biHeight < 0;
    v.stride = static_cast<size_t>(stride);
    if (bpp <= 8 && usage == DIB_RGB_COLORS) {
        v.colors = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const uint8_t*>(info) + h.biSize);
        v.num_colors = static_cast<int>(colors);
    } else if (bpp <= 8) {
        // DIB_PAL_COLORS: the DC resolves the indices against its palette.
        v.num_colors = static_cast<int>(colors);
    }
    *out = v;
    return true;
}

} // namespace pw
