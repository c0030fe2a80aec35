// Fuzz target: a DIB header, colour table and pixels drawn with
// pw_StretchDIBitsChecked onto a small raster page.
//
// Input layout: 20 bytes of call arguments (destination and source rectangles as
// 16-bit signed values, colour usage, raster operation, stretch mode, page
// format), 2 bytes giving the size of the BITMAPINFO part, that part, then the
// pixel bytes. The checked call knows both sizes, so a header that lies about
// them must be refused, never read beyond.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "pw/raster_device.h"
#include "windows.h"

namespace {

int16_t s16(const uint8_t* p) { return static_cast<int16_t>(p[0] | p[1] << 8); }

const DWORD kRops[] = {SRCCOPY, SRCAND, SRCPAINT, SRCINVERT, NOTSRCCOPY, BLACKNESS, WHITENESS, 0x00CC0020u,
                       0x12345678u};
const int kModes[] = {BLACKONWHITE, WHITEONBLACK, COLORONCOLOR, HALFTONE, 0, 99};
const pw::PixelFormat kFormats[] = {pw::PixelFormat::mono1, pw::PixelFormat::index4, pw::PixelFormat::index8,
                                    pw::PixelFormat::gray8, pw::PixelFormat::bgr24,  pw::PixelFormat::bgrx32};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 22 || size > 1u << 20) return 0;
    const uint8_t* a = data;
    const size_t info_size = static_cast<size_t>(data[20] | data[21] << 8);
    if (22 + info_size > size) return 0;
    // Copies in exactly the sizes given, so the sanitizer sees every byte beyond them.
    std::vector<uint8_t> info(data + 22, data + 22 + info_size);
    std::vector<uint8_t> bits(data + 22 + info_size, data + size);

    const pw::PixelFormat format = kFormats[a[19] % 6];
    auto device = std::make_unique<pw::RasterDevice>(pw::raster_caps(40, 32, 300, 300, format), format);
    HDC dc = pw_create_dc(std::move(device));
    SetStretchBltMode(dc, kModes[a[18] % 6]);
    pw_StretchDIBitsChecked(dc, s16(a + 0), s16(a + 2), s16(a + 4), s16(a + 6), s16(a + 8), s16(a + 10),
                            s16(a + 12), s16(a + 14), bits.empty() ? nullptr : bits.data(), bits.size(),
                            info.empty() ? nullptr : reinterpret_cast<const BITMAPINFO*>(info.data()),
                            info.size(), a[16] % 3, kRops[a[17] % 9]);
    DeleteDC(dc);
    return 0;
}
