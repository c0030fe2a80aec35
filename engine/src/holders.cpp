// Data holders: palettes, bitmaps, strips and OCR text.
#include "kel/holders.h"

#include <climits>
#include <new>
#include <stdexcept>

namespace {

int64_t bytes_per_line(int64_t width, int64_t bits, int pad) {
    int64_t bytes = (width * bits + 7) / 8;
    int64_t multiple = pad == PAD_DWORD ? 4 : pad == PAD_WORD ? 2 : 1;
    return (bytes + multiple - 1) / multiple * multiple;
}

bool valid_depth(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32; }

}  // namespace

int EPALETTE::Get(int index, COLOR_ENTRY* entry) const {
    if (entry == nullptr || index < 0 || index >= Colors()) return KEL_ERR_BAD_ARGUMENT;
    *entry = entries[(size_t)index];
    return KEL_OK;
}

int EPALETTE::Set(int index, const COLOR_ENTRY& entry) {
    if (index < 0 || index >= Colors()) return KEL_ERR_BAD_ARGUMENT;
    entries[(size_t)index] = entry;
    return KEL_OK;
}

EHOLDER::~EHOLDER() = default;
CLASS_ID EHOLDER::ClassID() { return CID_HOLDER; }
EBOOL8 EHOLDER::IsA(CLASS_ID id) { return id == CID_HOLDER || id == ClassID(); }

EBITMAP::EBITMAP() = default;

EBITMAP::EBITMAP(EBITMAP* form) {
    if (form != nullptr) CopyForm(*form);
}

EBITMAP::~EBITMAP() = default;

void EBITMAP::CopyForm(const EBITMAP& form) {
    width = form.width;
    height = form.height;
    bits = form.bits;
    type = form.type;
    pad = form.pad;
    clip = form.clip;
    xres = form.xres;
    yres = form.yres;
    palette = form.palette;
    pixels.clear();
    pixels.shrink_to_fit();
}

CLASS_ID EBITMAP::ClassID() { return CID_BITMAP; }
EBOOL8 EBITMAP::IsA(CLASS_ID id) { return id == CID_BITMAP || EHOLDER::IsA(id); }

void EBITMAP::SetPadLine(int new_pad) {
    if (new_pad != PAD_BYTE && new_pad != PAD_WORD && new_pad != PAD_DWORD) return;
    if (new_pad == pad) return;
    // Only the widths allowed by Initialize reach here, so this stays below 2^31 + 3.
    if (bytes_per_line(width, bits, new_pad) > INT_MAX) return;
    pad = new_pad;
    pixels.clear();
}

void EBITMAP::SetBitMapType(int new_type) { type = new_type; }
void EBITMAP::SetClipValue(int value) { clip = value; }

void EBITMAP::SetHeight(int new_height) {
    if (new_height < 0 || new_height == height) return;
    height = new_height;
    pixels.clear();
}

int EBITMAP::GetWidth() const { return width; }
int EBITMAP::GetHeight() const { return height; }
int EBITMAP::GetBitsPerPixel() const { return bits; }
int EBITMAP::GetBytesPerLine() const { return (int)bytes_per_line(width, bits, pad); }
int EBITMAP::GetBitMapType() const { return type; }
float EBITMAP::GetXRes() const { return xres; }
float EBITMAP::GetYRes() const { return yres; }
int EBITMAP::GetPadLine() const { return pad; }
int EBITMAP::GetClipValue() const { return clip; }
EPALETTE* EBITMAP::GetPalette() { return &palette; }

int EBITMAP::Initialize(int new_width, int new_height, int new_bits, float new_xres, float new_yres) {
    if (!valid_depth(new_bits) || new_width < 0 || new_height < 0) return KEL_ERR_BAD_ARGUMENT;
    // Rounded up to the widest padding, so that SetPadLine can never overflow.
    if (bytes_per_line(new_width, new_bits, PAD_DWORD) > INT_MAX) return KEL_ERR_BAD_ARGUMENT;
    width = new_width;
    height = new_height;
    bits = new_bits;
    xres = new_xres;
    yres = new_yres;
    // The depth decides the kind of data until a caller says otherwise: 24 and 32
    // bits are colour, fewer are gray.
    type = new_bits >= 24 ? BMT_COLOUR : BMT_GRAY;
    pixels.clear();
    return KEL_OK;
}

bool EBITMAP::Allocate() {
    size_t line = (size_t)GetBytesPerLine();
    size_t lines = (size_t)height;
    if (line != 0 && lines > kMaxPixelBytes / line) return false;
    try {
        pixels.assign(line * lines, 0);
    } catch (const std::bad_alloc&) {
        pixels.clear();
        return false;
    } catch (const std::length_error&) {
        pixels.clear();
        return false;
    }
    return true;
}

unsigned char* EBITMAP::Line(int y) {
    size_t line = (size_t)GetBytesPerLine();
    if (y < 0 || y >= height || line == 0 || pixels.size() < (size_t)(y + 1) * line) return nullptr;
    return pixels.data() + (size_t)y * line;
}

int initialize_ebitmap(int width, int height, char bits, float resolution, EBITMAP* bitmap) {
    if (bitmap == nullptr) return KEL_ERR_BAD_ARGUMENT;
    // `bits` arrives as a char: 24 and 32 fit whether char is signed or not.
    return bitmap->Initialize(width, height, (int)(unsigned char)bits, resolution, resolution);
}

CLASS_ID EBITMAP_STRIP::ClassID() { return CID_BITMAP_STRIP; }
EBOOL8 EBITMAP_STRIP::IsA(CLASS_ID id) { return id == CID_BITMAP_STRIP || EBITMAP::IsA(id); }

CLASS_ID EBITMAP_PSTRIP::ClassID() { return CID_BITMAP_PSTRIP; }
EBOOL8 EBITMAP_PSTRIP::IsA(CLASS_ID id) { return id == CID_BITMAP_PSTRIP || EBITMAP_STRIP::IsA(id); }

void EBITMAP_PSTRIP::Take(EBITMAP* source) {
    if (source != nullptr) CopyForm(*source);
}

CLASS_ID EOCRTEXT::ClassID() { return CID_OCRTEXT; }
