// Encoders of printed pages: PNG files, multi-page CCITT G4 TIFF (fax) and PWG
// raster streams. Each returns false with the reason in `why` on failure, or when
// the page's keep_going() asked it to stop.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <memory>
#include <string>

#include "print/page_image.h"

namespace pw::print {

// One page as a PNG file (1-bit gray, 8-bit gray or 8-bit RGB as the page is),
// with its resolution in the pHYs chunk.
bool write_png(FILE* out, const PageImage& page, std::string* why);

// A multi-page TIFF of 1-bit CCITT Group 4 pages (black on white, min-is-white),
// written to an open file descriptor that stays the caller's.
class FaxTiffWriter {
public:
    static std::unique_ptr<FaxTiffWriter> open(int fd, const std::string& name, std::string* why);
    ~FaxTiffWriter();
    // The page must be white1.
    bool add_page(const PageImage& page, std::string* why);
    bool close(std::string* why);

private:
    FaxTiffWriter() = default;
    void* tiff_ = nullptr;  // TIFF*
    int pages_ = 0;
};

// A PWG raster stream ("RaS2") of pages written to a FILE that stays the caller's.
// `type` is the PWG colour space and depth: "black_1", "sgray_8" or "srgb_8".
class PwgWriter {
public:
    static std::unique_ptr<PwgWriter> open(FILE* out, std::string* why);
    ~PwgWriter();
    bool add_page(const PageImage& page, const std::string& type, std::string* why);
    bool close(std::string* why);

private:
    PwgWriter() = default;
    void* raster_ = nullptr;  // cups_raster_t*
    FILE* out_ = nullptr;
    bool write_failed_ = false;
    static ssize_t write_cb(void* ctx, unsigned char* data, size_t length);
};

}  // namespace pw::print
