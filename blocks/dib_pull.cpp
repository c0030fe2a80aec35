// Pulling a block's pixels from its store, line by line, straight into the
// memory of a DIB section: the image is held once, in the form GDI draws.
#include <cstdint>
#include <cstring>

#include "rtfblk.h"
#include "rtfblk_log.h"
#include "pw/gdi.h"
#include "pw/kernel.h"
#include "pw/user.h"

namespace {

// Releases the section on every failure path, so that callers never inherit a
// half-made DIB.
struct SectionGuard {
    HBITMAP* handle;
    unsigned char** buffer;
    bool keep = false;
    ~SectionGuard() {
        if (keep) return;
        if (*handle) DeleteObject(*handle);
        *handle = nullptr;
        *buffer = nullptr;
    }
};

}  // namespace

int RTFBLK::pull_to_dib(EBITMAP* bm, HDC, RTFDIB* dib, HBITMAP* handle, unsigned char** im_buffer) {
    if (!bm || !dib || !handle || !im_buffer)
        return RTFBLK_LOG(KEL_ERR_BAD_ARGUMENT, "Called '%s' without a bitmap or a place for the DIB",
                          "pull_to_dib");
    *handle = nullptr;
    *im_buffer = nullptr;
    if (!seq) return RTFBLK_LOG(KEL_ERR_BAD_STATE, "Block has no store to pull from");

    const int bits = bm->GetBitsPerPixel();
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
        return RTFBLK_LOG(KEL_ERR_UNSUPPORTED, "Cannot draw a bitmap of %d bits per pixel", bits);
    const int width = bm->GetWidth();
    const int height = bm->GetHeight();
    const int colours = bits == 24 ? 0 : 1 << bits;

    BITMAPINFOHEADER& h = dib->bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = width;
    h.biHeight = height;  // positive: bottom-up rows
    h.biPlanes = 1;
    h.biBitCount = (WORD)bits;
    h.biCompression = BI_RGB;
    h.biSizeImage = 0;
    h.biXPelsPerMeter = 0;
    h.biYPelsPerMeter = 0;
    h.biClrUsed = (DWORD)colours;
    h.biClrImportant = 0;
    // The table is filled after the pull; until then the section copies zeros.
    std::memset(dib->bmiColors, 0, sizeof dib->bmiColors);

    void* memory = nullptr;
    *handle = CreateDIBSection(nullptr, dib->info(), DIB_RGB_COLORS, &memory, nullptr, 0);
    *im_buffer = static_cast<unsigned char*>(memory);
    SectionGuard guard{handle, im_buffer};
    if (!*handle || !*im_buffer) {
        const DWORD error = GetLastError();
        char* text = nullptr;
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, error,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (LPSTR)&text, 0, nullptr);
        // The handle and address are shown as 32-bit values, as the message's
        // conversions expect, also where pointers are wider.
        const int code = RTFBLK_LOG(
            KEL_ERR_NO_MEMORY,
            "No memory to make bitmap to pull into, handle=0x%x, buffer=0x%x, errcode=%d, msg=%s",
            (unsigned)(uintptr_t)*handle, (unsigned)(uintptr_t)*im_buffer, (int)error,
            text ? text : "");
        if (text) LocalFree(text);
        return code;
    }

    // Rows are addressed with the DIB's own stride: the engine's lines are
    // padded to whole words (pad type 2), so each pulled line fits a row and the
    // last row never runs past the section, whatever padding the bitmap has.
    const long stride = rtfblk_detail::dib_stride(width, bits);
    EBITMAP_PSTRIP strip;
    strip.Take(bm);
    strip.SetHeight(1);

    int result = seq->Setup();
    if (result != KEL_OK)
        return RTFBLK_LOG(result, "Called '%s', expected 0x%x, got 0x%x", "xform->Setup()", 0u,
                          (unsigned)result);

    // The engine sends the top line first; a bottom-up DIB keeps it last.
    for (int i = 0; i < height; ++i) {
        strip.SetLine(*im_buffer + (long)(height - 1 - i) * stride);
        result = seq->Pull(&strip);
        if (result == KEL_CANCELLED) return RTFBLK_LOG(KEL_CANCELLED, "Cancelled by return from pull");
        if (result != KEL_OK && result != KEL_DONE && result != KEL_MORE)
            return RTFBLK_LOG(result, "Bad return 0x%x from pull", (unsigned)result);
    }
    // More data promised after the last line means the store and the bitmap
    // disagree about the image.
    if (result != KEL_OK && result != KEL_DONE)
        return RTFBLK_LOG(result, "Bad return 0x%x from pull", (unsigned)result);

    result = seq->Done();
    if (result != KEL_OK)
        return RTFBLK_LOG(result, "Called '%s', expected 0x%x, got 0x%x", "xform->Done()", 0u,
                          (unsigned)result);

    EPALETTE palette;
    if (bits == 24) {
        // Engine lines are red, green, blue; DIB pixels blue, green, red.
        const unsigned pixels = (unsigned)strip.GetWidth();
        for (int y = 0; y < height; ++y) {
            unsigned char* p = *im_buffer + (long)y * stride;
            for (unsigned x = 0; x < pixels; ++x, p += 3) {
                const unsigned char red = p[0];
                p[0] = p[2];
                p[2] = red;
            }
        }
    } else if (strip.GetBitMapType() == BMT_PALETTE) {
        if (EPALETTE* source = strip.GetPalette()) palette = *source;
        RTFBLK_LOG(0, "Palette has %d colours", palette.Colors());
    }

    // The palette's colours first, then a gray ramp up to the last entry.
    const int from_palette = palette.Colors() < colours ? palette.Colors() : colours;
    for (int i = 0; i < from_palette; ++i) {
        COLOR_ENTRY e{};
        palette.Get(i, &e);
        dib->bmiColors[i] = RGBQUAD{(BYTE)e.blue, (BYTE)e.green, (BYTE)e.red, 0};
    }
    for (int i = from_palette; i < colours; ++i) {
        const BYTE v = (BYTE)(i * 255 / (colours - 1));
        dib->bmiColors[i] = RGBQUAD{v, v, v, 0};
    }
    guard.keep = true;
    return KEL_OK;
}
