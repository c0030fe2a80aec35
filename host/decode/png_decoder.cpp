#include "decode/png_decoder.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "decode/decode_common.h"

namespace lucentra {
namespace {

// libpng reports errors by longjmp. Every libpng call is made from a function
// that sets the jump buffer itself and holds only trivially destructible locals,
// so the jump never skips a destructor; the message waits in the handle and the
// caller turns it into a DecodeError.
struct PngHandle {
    FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    char message[256] = "";

    ~PngHandle() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        if (file) fclose(file);
    }
};

void on_png_error(png_structp png, png_const_charp text) {
    auto* handle = static_cast<PngHandle*>(png_get_error_ptr(png));
    snprintf(handle->message, sizeof handle->message, "%s", text);
    png_longjmp(png, 1);
}

void on_png_warning(png_structp, png_const_charp) {
    // Warnings (unknown chunks, odd gamma) do not stop a print.
}

struct PngHeader {
    png_uint_32 width = 0, height = 0;
    int bit_depth = 0, colour_type = 0, interlace = 0;
    bool palette_gray = true;  // every palette entry is a gray
    bool has_trns = false;
    double xres = 0, yres = 0;
    int channels_out = 0;      // channels libpng delivers after the transforms
    size_t row_bytes = 0;      // bytes libpng delivers a row
    int passes = 1;
};

// Reads the header up to the first image data and sets the transforms. False
// with handle.message set on a libpng error.
bool read_png_header(PngHandle& handle, PngHeader* header) {
    if (setjmp(png_jmpbuf(handle.png))) return false;
    png_init_io(handle.png, handle.file);
    png_set_sig_bytes(handle.png, 8);
    // Ancillary chunks (profiles, text) may not make us allocate without bound.
    png_set_chunk_malloc_max(handle.png, 16u << 20);
    png_read_info(handle.png, handle.info);

    png_get_IHDR(handle.png, handle.info, &header->width, &header->height, &header->bit_depth,
                 &header->colour_type, &header->interlace, nullptr, nullptr);
    header->has_trns = png_get_valid(handle.png, handle.info, PNG_INFO_tRNS) != 0;

    png_colorp palette = nullptr;
    int entries = 0;
    if (header->colour_type == PNG_COLOR_TYPE_PALETTE &&
        png_get_PLTE(handle.png, handle.info, &palette, &entries) == PNG_INFO_PLTE) {
        for (int i = 0; i < entries; ++i) {
            if (!is_gray(palette[i].red, palette[i].green, palette[i].blue)) header->palette_gray = false;
        }
    }

    png_uint_32 px = 0, py = 0;
    int unit = 0;
    if (png_get_pHYs(handle.png, handle.info, &px, &py, &unit) && unit == PNG_RESOLUTION_METER) {
        header->xres = px * 0.0254;
        header->yres = py * 0.0254;
    }
    return true;
}

bool set_png_transforms(PngHandle& handle, PngHeader* header) {
    if (setjmp(png_jmpbuf(handle.png))) return false;
    if (header->colour_type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(handle.png);
    if (header->colour_type == PNG_COLOR_TYPE_GRAY && header->bit_depth < 8)
        png_set_expand_gray_1_2_4_to_8(handle.png);
    if (header->has_trns) png_set_tRNS_to_alpha(handle.png);
    if (header->bit_depth == 16) png_set_scale_16(handle.png);
    if (header->interlace != PNG_INTERLACE_NONE) header->passes = png_set_interlace_handling(handle.png);
    png_read_update_info(handle.png, handle.info);
    header->channels_out = png_get_channels(handle.png, handle.info);
    header->row_bytes = png_get_rowbytes(handle.png, handle.info);
    return true;
}

bool read_png_row(PngHandle& handle, png_bytep row) {
    if (setjmp(png_jmpbuf(handle.png))) return false;
    png_read_row(handle.png, row, nullptr);
    return true;
}

bool read_png_image(PngHandle& handle, png_bytepp rows) {
    if (setjmp(png_jmpbuf(handle.png))) return false;
    png_read_image(handle.png, rows);
    return true;
}

// Opens the file, checks the signature and reads the header with transforms set.
void open_png_handle(const std::string& path, PngHandle& handle, PngHeader& header) {
    handle.file = fopen(path.c_str(), "rb");
    if (!handle.file) throw DecodeError(decode_message(path, -1, std::string("cannot open: ") + strerror(errno)));
    unsigned char signature[8];
    if (fread(signature, 1, 8, handle.file) != 8 || png_sig_cmp(signature, 0, 8) != 0)
        throw DecodeError(decode_message(path, -1, "not a PNG file"));
    handle.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &handle, on_png_error, on_png_warning);
    if (handle.png) handle.info = png_create_info_struct(handle.png);
    if (!handle.png || !handle.info) throw DecodeError(decode_message(path, -1, "out of memory"));
    if (!read_png_header(handle, &header))
        throw DecodeError(decode_message(path, -1, std::string("unreadable PNG header: ") + handle.message));
}

class PngRowReader : public RowReader {
public:
    PngRowReader(std::string path, const PageInfo& page) : path_(std::move(path)), page_(page) {
        open_png_handle(path_, handle_, header_);
        if ((int)header_.width != page_.width || (int)header_.height != page_.height)
            throw DecodeError(decode_message(path_, -1, "the file changed while it was being printed"));
        if (!set_png_transforms(handle_, &header_))
            throw DecodeError(decode_message(path_, -1, std::string("unreadable PNG header: ") + handle_.message));
        row_.resize(header_.row_bytes);
    }

    void read(uint8_t* out) override {
        if (next_ >= page_.height) throw DecodeError(decode_message(path_, -1, "read past the last row"));
        const uint8_t* source;
        if (header_.passes > 1) {
            if (whole_.empty()) decode_interlaced();
            source = whole_.data() + (size_t)next_ * header_.row_bytes;
        } else {
            if (!read_png_row(handle_, row_.data())) fail();
            source = row_.data();
        }
        convert(source, out);
        ++next_;
    }

private:
    [[noreturn]] void fail() {
        throw DecodeError(decode_message(path_, -1,
                                         "corrupt or truncated PNG data at row " + std::to_string(next_ + 1) +
                                             " of " + std::to_string(page_.height) + " (" + handle_.message + ")"));
    }

    void decode_interlaced() {
        whole_.resize(header_.row_bytes * (size_t)page_.height);
        std::vector<png_bytep> rows(page_.height);
        for (int y = 0; y < page_.height; ++y) rows[y] = whole_.data() + (size_t)y * header_.row_bytes;
        if (!read_png_image(handle_, rows.data())) fail();
    }

    void convert(const uint8_t* in, uint8_t* out) const {
        const int w = page_.width;
        switch (header_.channels_out) {
        case 1:
            memcpy(out, in, (size_t)w);
            break;
        case 2:
            for (int x = 0; x < w; ++x) out[x] = over_white(in[2 * x], in[2 * x + 1]);
            break;
        case 3:
            if (page_.channels == 3) {
                memcpy(out, in, (size_t)w * 3);
            } else {
                for (int x = 0; x < w; ++x) out[x] = in[3 * x];  // gray palette: r == g == b
            }
            break;
        case 4:
            if (page_.channels == 3) {
                for (int x = 0; x < w; ++x) {
                    const uint8_t* p = in + 4 * x;
                    out[3 * x] = over_white(p[0], p[3]);
                    out[3 * x + 1] = over_white(p[1], p[3]);
                    out[3 * x + 2] = over_white(p[2], p[3]);
                }
            } else {
                for (int x = 0; x < w; ++x) out[x] = over_white(in[4 * x], in[4 * x + 3]);
            }
            break;
        }
    }

    std::string path_;
    PageInfo page_;
    PngHandle handle_;
    PngHeader header_;
    std::vector<uint8_t> row_;
    std::vector<uint8_t> whole_;  // interlaced files only
    int next_ = 0;
};

class PngFile : public ImageFile {
public:
    PngFile(const std::string& path, const DecodeOptions& options) : ImageFile(path, options) {
        PngHandle handle;
        PngHeader header;
        open_png_handle(path, handle, header);
        check_page_size(path, -1, header.width, header.height, options.limits);

        PageInfo page;
        page.width = (int)header.width;
        page.height = (int)header.height;
        page.source_bits = header.bit_depth;
        const bool palette = header.colour_type == PNG_COLOR_TYPE_PALETTE;
        const bool colour_model = (header.colour_type & PNG_COLOR_MASK_COLOR) != 0;
        page.has_colour = colour_model && !(palette && header.palette_gray);
        page.channels = page.has_colour ? 3 : 1;
        page.bilevel = header.colour_type == PNG_COLOR_TYPE_GRAY && header.bit_depth == 1 && !header.has_trns;
        choose_resolution(page, header.xres, header.yres, options);
        static const char* kinds[] = {"gray", "?", "RGB", "palette", "gray+alpha", "?", "RGBA"};
        page.format = std::string("PNG ") + kinds[header.colour_type & 7] + " " + std::to_string(header.bit_depth) +
                      "-bit" + (header.interlace ? " interlaced" : "");
        pages_.push_back(page);
    }

    std::unique_ptr<RowReader> open_rows(int index) const override {
        return std::make_unique<PngRowReader>(path_, page(index));
    }
};

}  // namespace

std::unique_ptr<ImageFile> open_png(const std::string& path, const DecodeOptions& options) {
    return std::make_unique<PngFile>(path, options);
}

}  // namespace lucentra
