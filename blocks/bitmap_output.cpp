// Drawing a bitmap block into a device context: pull into a DIB section, tone
// steps, palette, stretch mode and raster operation, then StretchDIBits, in ten
// bands for large images.
#include <cstdint>
#include <cstdlib>

#include "rtfblk.h"
#include "rtfblk_log.h"
#include "pw/gdi.h"
#include "pw/kernel.h"
#include "pw/user.h"

unsigned char one_bit_mode = 0;

namespace {

// Images this large (by the size rule below) go to the device in ten bands, so
// that no single call hands a driver the whole image.
constexpr int64_t kBandThreshold = 10000000;
constexpr int kBands = 10;

bool stretch_failed(int result) { return result == 0 || result == (int)GDI_ERROR; }

struct Palette {
    HDC dc = nullptr;
    LOGPALETTE* logical = nullptr;
    HPALETTE palette = nullptr;
    HPALETTE previous = nullptr;
    ~Palette() {
        if (previous) SelectPalette(dc, previous, FALSE);
        if (palette) DeleteObject(palette);
        std::free(logical);
    }
};

}  // namespace

int RTFBLK::pull_to_dc(HDC dc, int x0, int y0, int x1, int y1, unsigned char, sCOPYINFO* copy_info) {
    if (!holder || !holder->IsA(CID_BITMAP))
        return RTFBLK_LOG(KEL_ERR_BAD_STATE, "Block has no bitmap to draw");
    EBITMAP* bm = get_bitmap();
    const int width = bm->GetWidth();
    const int height = bm->GetHeight();

    RTFDIB dib;
    HBITMAP handle = nullptr;
    unsigned char* im_buffer = nullptr;
    int result = pull_to_dib(bm, dc, &dib, &handle, &im_buffer);
    if (result != KEL_OK)
        return RTFBLK_LOG(result, "Called '%s', expected 0x%x, got 0x%x",
                          "pull_to_dib(bm,dc, &dib,&handle,&im_buffer)", 0u, (unsigned)result);
    struct SectionRelease {
        HBITMAP h;
        ~SectionRelease() { DeleteObject(h); }
    } section{handle};

    const int bits = dib.bmiHeader.biBitCount;
    const int type = bm->GetBitMapType();
    const long stride = rtfblk_detail::dib_stride(width, bits);
    if (bits == 24 && type == BMT_GRAY) MessageBoxA(nullptr, "bitsPP==24 with GRAY bitmap", nullptr, MB_OK);
    if (bits == 8 && type != BMT_GRAY) MessageBoxA(nullptr, "bitsPP==8 with COLOR bitmap", nullptr, MB_OK);

    // Tone steps work on intensities. The samples of a palette image are indices
    // into its colour table: stretching or curving them would pick other colours.
    const bool intensities = bits == 24 || (bits == 8 && type != BMT_PALETTE);
    if (intensities) {
        auto_levels(im_buffer, bits, height, width, (int)stride);
        if (copy_info) {
            tone_curve(im_buffer, bits, height, width, (int)stride, copy_info->brightness,
                       copy_info->contrast);
            if (copy_info->clip_extremes)
                clip_extremes(im_buffer, bits, height, width, (int)stride, type != BMT_GRAY);
        }
    }

    const int colours = (int)dib.bmiHeader.biClrUsed;
    Palette pal;
    pal.dc = dc;
    if (colours > 0) {
        pal.logical = static_cast<LOGPALETTE*>(
            std::malloc(sizeof(LOGPALETTE) + (size_t)(colours - 1) * sizeof(PALETTEENTRY)));
        if (!pal.logical) return RTFBLK_LOG(KEL_ERR_NO_MEMORY, "No memory for palette");
        pal.logical->palVersion = 0x300;
        pal.logical->palNumEntries = (WORD)colours;
        for (int i = 0; i < colours; ++i)
            pal.logical->palPalEntry[i] = PALETTEENTRY{dib.bmiColors[i].rgbRed, dib.bmiColors[i].rgbGreen,
                                                       dib.bmiColors[i].rgbBlue, PC_NOCOLLAPSE};
        pal.palette = CreatePalette(pal.logical);
        if (!pal.palette) return RTFBLK_LOG(KEL_ERR_NO_MEMORY, "No memory for palette");
        // A device that cannot take the palette still gets the colour table with
        // every StretchDIBits, so drawing goes on.
        pal.previous = SelectPalette(dc, pal.palette, FALSE);
        if (!pal.previous) RTFBLK_LOG(KEL_ERR_NO_MEMORY, "Could not select palette");
        if (RealizePalette(dc) == GDI_ERROR) RTFBLK_LOG(KEL_ERR_NO_MEMORY, "Could not realize palette");
    }

    // Two-colour images: keep black when shrinking, and let white show what is
    // already on the page unless photos print one bit deep (then opaque).
    SetStretchBltMode(dc, colours == 2 ? BLACKONWHITE : COLORONCOLOR);
    const DWORD rop = (colours == 2 && !one_bit_mode) ? SRCAND : SRCCOPY;

    const size_t info_size = sizeof(BITMAPINFOHEADER) + (size_t)colours * sizeof(RGBQUAD);
    const size_t bits_size = (size_t)stride * (size_t)height;
    auto stretch = [&](int dst_y, int dst_h, int src_y, int src_h) {
        return pw_StretchDIBitsChecked(dc, x0, dst_y, x1 - x0, dst_h, 0, src_y, width, src_h, im_buffer,
                                       bits_size, dib.info(), info_size, DIB_RGB_COLORS, rop);
    };

    const int64_t size = 2 * (int64_t)(height < 0 ? -height : height) * (((int64_t)bits * width + 15) / 16);
    const int dst_height = y1 - y0;
    const int band = dst_height / kBands;
    const int src_band = height / kBands;
    if (size < kBandThreshold || band == 0 || src_band == 0) {
        // Small images in one call; so are images too flat to cut into ten
        // non-empty bands.
        if (stretch_failed(stretch(y0, dst_height, 0, height)))
            return RTFBLK_LOG(KEL_ERR_NO_MEMORY, "No memory to copy bitmap into metafile dc");
        return KEL_OK;
    }
    // Band 0 is the top of the image (source y counts from the bottom row). The
    // last band takes what the divisions leave over on both sides, so every
    // image row and every destination unit is drawn; a band that fails fails
    // the whole drawing.
    for (int k = 0; k < kBands; ++k) {
        const bool last = k == kBands - 1;
        const int dst_h = last ? dst_height - (kBands - 1) * band : band;
        const int src_h = last ? height - (kBands - 1) * src_band : src_band;
        const int src_y = last ? 0 : height - (k + 1) * src_band;
        if (stretch_failed(stretch(y0 + k * band, dst_h, src_y, src_h)))
            return RTFBLK_LOG(KEL_ERR_NO_MEMORY, "No memory to copy bitmap into metafile dc");
    }
    return KEL_OK;
}
