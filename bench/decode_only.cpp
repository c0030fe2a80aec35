// Decodes every page of each file named, row by row, the way lucentra's stores
// read their scans, and throws the rows away. The time it takes is the floor of a
// print job of the same file: no print can be faster than reading its input.
//
//   decode_only FILE...
// Prints one line per page (size and a checksum of the rows, so that the work
// cannot be optimised away); exit status 1 when a file cannot be decoded.
#include <cstdio>
#include <cstdint>
#include <vector>

#include "decode/image.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: decode_only FILE...\n");
        return 2;
    }
    try {
        for (int a = 1; a < argc; ++a) {
            auto image = lucentra::open_image(argv[a]);
            for (int p = 0; p < image->page_count(); ++p) {
                const lucentra::PageInfo& info = image->page(p);
                auto rows = image->open_rows(p);
                std::vector<uint8_t> row(info.row_bytes());
                uint32_t sum = 0;
                for (int y = 0; y < info.height; ++y) {
                    rows->read(row.data());
                    sum = sum * 31 + row[(size_t)y % row.size()];
                }
                printf("%s page %d: %d x %d, %s, checksum %08x\n", argv[a], p + 1, info.width, info.height,
                       info.format.c_str(), sum);
            }
        }
    } catch (const lucentra::DecodeError& e) {
        fprintf(stderr, "decode_only: %s\n", e.what());
        return 1;
    }
    return 0;
}
