// Engine data holders: bitmaps, strips, palettes and OCR text. A holder receives
// a region's data from a store's Pull. Holders are destroyed through their
// virtual destructors.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kel/objects.h"

// One palette entry: red, green and blue in the low bytes of three 16-bit fields.
struct KEL_API COLOR_ENTRY {
    uint16_t red;
    uint16_t green;
    uint16_t blue;
};

class KEL_API EPALETTE {
public:
    EPALETTE() = default;
    explicit EPALETTE(int colours) : entries(colours > 0 ? colours : 0) {}

    int Colors() const { return (int)entries.size(); }
    // 0, or KEL_ERR_BAD_ARGUMENT for an index outside the palette.
    int Get(int index, COLOR_ENTRY* entry) const;
    int Set(int index, const COLOR_ENTRY& entry);
    void SetColors(int colours) { entries.resize(colours > 0 ? colours : 0); }

    std::vector<COLOR_ENTRY> entries;
};

// Base of the data holders. ClassID() answers CID_HOLDER; IsA answers the
// holder's own class and each of its bases.
class KEL_API EHOLDER : public EOBJECT {
public:
    ~EHOLDER() override;
    CLASS_ID ClassID() override;
    EBOOL8 IsA(CLASS_ID id) override;
};

// Bitmap types.
enum : int { BMT_GRAY = 0, BMT_COLOUR = 1, BMT_PALETTE = 2 };
// Line-end padding: each line is padded to a multiple of 1, 2 or 4 bytes.
enum : int { PAD_BYTE = 0, PAD_WORD = 1, PAD_DWORD = 2 };

// A bitmap's form: size, depth, type, resolution, line padding, clip value and
// palette. An EBITMAP describes the data; it holds pixel memory only when
// Allocate() was called (the plug-in pulls lines into its own memory instead).
// 24-bit lines hold red, green, blue per pixel. Sizes are in pixels, resolutions
// in dots per inch. A change of size, depth or padding releases the pixel memory.
// A new bitmap is 0 x 0, 0 bits, gray, byte-padded, clip value 0, 0 dpi.
class KEL_API EBITMAP : public EHOLDER {
public:
    EBITMAP();
    // A bitmap with the form (not the pixels) of `form`.
    explicit EBITMAP(EBITMAP* form);
    ~EBITMAP() override;

    CLASS_ID ClassID() override;
    EBOOL8 IsA(CLASS_ID id) override;

    // PAD_BYTE, PAD_WORD or PAD_DWORD; other values are ignored.
    virtual void SetPadLine(int pad);
    virtual void SetBitMapType(int type);
    virtual void SetClipValue(int value);
    virtual void SetHeight(int height);  // a negative height is ignored
    virtual int GetWidth() const;
    virtual int GetHeight() const;
    virtual int GetBitsPerPixel() const;
    // By width, depth and line padding: ceil(width x bits / 8) rounded up to a
    // multiple of 1, 2 or 4 bytes.
    virtual int GetBytesPerLine() const;
    virtual int GetBitMapType() const;
    virtual float GetXRes() const;
    virtual float GetYRes() const;
    virtual int GetPadLine() const;
    virtual int GetClipValue() const;
    virtual EPALETTE* GetPalette();

    // Gives the bitmap its size, depth and resolution (both axes), and the type
    // its depth implies (BMT_COLOUR for 24 and 32 bits, else BMT_GRAY; a caller that
    // wants a palette image sets that afterwards). 0, or
    // KEL_ERR_BAD_ARGUMENT (bitmap unchanged) for a depth other than 1, 4, 8, 24 or
    // 32, a negative size or a line longer than INT_MAX bytes.
    int Initialize(int width, int height, int bits, float xres, float yres);
    // Pixel memory of height x bytes-per-line bytes (zeroed), owned by the bitmap;
    // false, without throwing, when it cannot be had or would exceed
    // kMaxPixelBytes. Line y starts at Line(y) (null outside the memory).
    bool Allocate();
    unsigned char* Line(int y);
    static constexpr size_t kMaxPixelBytes = (size_t)1 << 31;

protected:
    // Takes every part of the form of `form` (not its pixels).
    void CopyForm(const EBITMAP& form);

    int width = 0;
    int height = 0;
    int bits = 0;
    int type = BMT_GRAY;
    int pad = PAD_BYTE;
    int clip = 0;
    float xres = 0;
    float yres = 0;
    EPALETTE palette;
    std::vector<unsigned char> pixels;
};

// Gives `bitmap` its size, depth and resolution. 0, or KEL_ERR_BAD_ARGUMENT for
// a depth other than 1, 4, 8, 24 or 32, a negative size, or a null bitmap.
KEL_API int initialize_ebitmap(int width, int height, char bits, float resolution, EBITMAP* bitmap);

// A bitmap of some lines with their own memory: a store fills it line by line.
class KEL_API EBITMAP_STRIP : public EBITMAP {
public:
    EBITMAP_STRIP() = default;
    // Takes geometry, type and palette from `source`.
    explicit EBITMAP_STRIP(EBITMAP* source) : EBITMAP(source) {}
    CLASS_ID ClassID() override;
    EBOOL8 IsA(CLASS_ID id) override;

    // Memory of the strip's first line. A pointer strip's memory belongs to its user.
    virtual unsigned char* GetLine() { return Line(0); }
};

// A one-line strip whose line memory the user points anywhere before each pull.
class KEL_API EBITMAP_PSTRIP : public EBITMAP_STRIP {
public:
    EBITMAP_PSTRIP() = default;
    explicit EBITMAP_PSTRIP(EBITMAP* source) : EBITMAP_STRIP(source) {}
    CLASS_ID ClassID() override;
    EBOOL8 IsA(CLASS_ID id) override;

    // Takes geometry, type and palette from `source` (the line pointer stays).
    void Take(EBITMAP* source);
    void SetLine(unsigned char* memory) { line = memory; }
    unsigned char* GetLine() override { return line; }

private:
    unsigned char* line = nullptr;
};

// Recognised text of a region.
class KEL_API EOCRTEXT : public EHOLDER {
public:
    CLASS_ID ClassID() override;
    std::vector<std::string> lines;
};

// Class ids of the holders (answered by ClassID; IsA also answers the bases).
enum : CLASS_ID {
    CID_HOLDER = 2001,
    CID_BITMAP = 2002,
    CID_BITMAP_STRIP = 2003,
    CID_BITMAP_PSTRIP = 2004,
    CID_BEZIERS = 2005,
    CID_OCRTEXT = 2006,
};
