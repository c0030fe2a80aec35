// Shared body of the image decoder fuzz targets: the input bytes become a file
// (an anonymous in-memory file reached through /proc/self/fd, since the decoders
// open paths and reopen them for every reader), the format's opener reads the
// headers, and every row of every page is decoded.
//
// What counts as a finding, beside memory errors and undefined behaviour:
//   - any exception other than DecodeError leaving the decoder (its contract);
//   - a page the limits should have refused;
//   - a reader that hands out a row beyond the page's height.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "decode/image.h"

namespace pw_fuzz {

using OpenFn = std::unique_ptr<lucentra::ImageFile> (*)(const std::string&, const lucentra::DecodeOptions&);

// Smaller than the defaults so that one input decodes in milliseconds; the
// checks against them are the same code that guards the defaults.
inline lucentra::DecodeOptions fuzz_options() {
    lucentra::DecodeOptions options;
    options.limits.max_side = 4096;
    options.limits.max_pixels = 1u << 20;
    options.limits.max_pages = 16;
    return options;
}

[[noreturn]] inline void finding(const char* what) {
    fprintf(stderr, "fuzz finding: %s\n", what);
    abort();
}

inline int fuzz_image(const uint8_t* data, size_t size, OpenFn open) {
    int fd = memfd_create("pw-fuzz-image", MFD_CLOEXEC);
    if (fd < 0) return 0;
    size_t done = 0;
    while (done < size) {
        ssize_t n = write(fd, data + done, size - done);
        if (n <= 0) break;
        done += (size_t)n;
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    const lucentra::DecodeOptions options = fuzz_options();
    try {
        std::unique_ptr<lucentra::ImageFile> file = open(path, options);
        if (file->page_count() < 1 || file->page_count() > options.limits.max_pages) finding("page count");
        for (int p = 0; p < file->page_count(); ++p) {
            const lucentra::PageInfo& info = file->page(p);
            if (info.width < 1 || info.height < 1 || info.width > options.limits.max_side ||
                info.height > options.limits.max_side ||
                (uint64_t)info.width * (uint64_t)info.height > options.limits.max_pixels)
                finding("page size outside the limits");
            if (info.channels != 1 && info.channels != 3) finding("channels");
            std::vector<uint8_t> row(info.row_bytes());
            try {
                std::unique_ptr<lucentra::RowReader> reader = file->open_rows(p);
                for (int y = 0; y < info.height; ++y) reader->read(row.data());
                try {
                    reader->read(row.data());
                } catch (const lucentra::DecodeError&) {
                    continue;  // the expected end
                }
                finding("a row beyond the last one");
            } catch (const lucentra::DecodeError&) {
                // Damaged page data: the next page may still decode.
            }
        }
    } catch (const lucentra::DecodeError&) {
    }
    close(fd);
    return 0;
}

}  // namespace pw_fuzz
