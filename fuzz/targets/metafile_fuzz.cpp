// Fuzz target: Windows metafile bytes, validated by SetMetaFileBitsEx and played
// by PlayMetaFile into a small raster page. Playback may fail; it must not read
// outside the bytes or write outside the page.
#include <cstdint>
#include <memory>

#include "pw/raster_device.h"
#include "windows.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1u << 20) return 0;
    HMETAFILE metafile = SetMetaFileBitsEx(static_cast<UINT>(size), data);
    if (!metafile) return 0;
    // Two page formats: colour takes the colour paths, one bit the mono conversions.
    const pw::PixelFormat format = size % 2 ? pw::PixelFormat::mono1 : pw::PixelFormat::bgr24;
    auto device = std::make_unique<pw::RasterDevice>(pw::raster_caps(48, 40, 300, 300, format), format);
    HDC dc = pw_create_dc(std::move(device));
    PlayMetaFile(dc, metafile);
    DeleteDC(dc);
    DeleteMetaFile(metafile);
    return 0;
}
