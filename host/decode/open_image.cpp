#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "decode/decode_common.h"
#include "decode/image.h"
#include "decode/jpeg_decoder.h"
#include "decode/png_decoder.h"
#include "decode/pnm_decoder.h"
#include "decode/tiff_decoder.h"

namespace lucentra {

std::unique_ptr<ImageFile> open_image(const std::string& path, const DecodeOptions& options) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        throw DecodeError(decode_message(path, -1, std::string("cannot open: ") + strerror(errno)));
    if (S_ISDIR(info.st_mode)) throw DecodeError(decode_message(path, -1, "is a folder, not an image"));

    unsigned char magic[8] = {0};
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) throw DecodeError(decode_message(path, -1, std::string("cannot open: ") + strerror(errno)));
    size_t got = fread(magic, 1, sizeof magic, file);
    fclose(file);
    if (got == 0) throw DecodeError(decode_message(path, -1, "the file is empty"));

    static const unsigned char png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (got >= 8 && memcmp(magic, png, 8) == 0) return open_png(path, options);
    if (got >= 4 && ((magic[0] == 'I' && magic[1] == 'I' && (magic[2] == 42 || magic[2] == 43) && magic[3] == 0) ||
                     (magic[0] == 'M' && magic[1] == 'M' && magic[2] == 0 && (magic[3] == 42 || magic[3] == 43))))
        return open_tiff(path, options);
    if (got >= 3 && magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF) return open_jpeg(path, options);
    if (got >= 2 && magic[0] == 'P' && magic[1] >= '1' && magic[1] <= '6') return open_pnm(path, options);
    throw DecodeError(decode_message(path, -1, "not an image lucentra reads (PNG, TIFF, JPEG or PNM)"));
}

}  // namespace lucentra
