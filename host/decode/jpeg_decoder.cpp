#include "decode/jpeg_decoder.h"

#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "decode/decode_common.h"

namespace lucentra {
namespace {

// libjpeg's error exit must not return; it jumps back into the function that
// made the libjpeg call. Those functions hold only trivially destructible locals.
struct JpegHandle {
    jpeg_decompress_struct cinfo{};
    struct Errors {
        jpeg_error_mgr mgr;
        jmp_buf jump;
        char message[JMSG_LENGTH_MAX];
        bool premature_end;
    } errors{};
    FILE* file = nullptr;
    bool created = false;

    ~JpegHandle() {
        if (created) jpeg_destroy_decompress(&cinfo);
        if (file) fclose(file);
    }
};

void on_jpeg_error(j_common_ptr cinfo) {
    auto* errors = reinterpret_cast<JpegHandle::Errors*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, errors->message);
    longjmp(errors->jump, 1);
}

void on_jpeg_message(j_common_ptr cinfo, int level) {
    auto* errors = reinterpret_cast<JpegHandle::Errors*>(cinfo->err);
    // A file that ends early would otherwise be finished with gray rows.
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) {
        errors->premature_end = true;
        (*cinfo->err->format_message)(cinfo, errors->message);
    }
}

struct JpegHeader {
    unsigned width = 0, height = 0;
    int components = 0;
    J_COLOR_SPACE space = JCS_UNKNOWN;
    bool inverted_cmyk = false;  // Adobe writes CMYK inverted
    double xres = 0, yres = 0;
    bool progressive = false;
};

bool read_jpeg_header(JpegHandle& handle, JpegHeader* header) {
    if (setjmp(handle.errors.jump)) return false;
    jpeg_create_decompress(&handle.cinfo);
    handle.created = true;
    // libjpeg's own working memory stays bounded whatever the header says.
    handle.cinfo.mem->max_memory_to_use = 1024L << 20;
    jpeg_stdio_src(&handle.cinfo, handle.file);
    jpeg_read_header(&handle.cinfo, TRUE);
    header->width = handle.cinfo.image_width;
    header->height = handle.cinfo.image_height;
    header->components = handle.cinfo.num_components;
    header->space = handle.cinfo.jpeg_color_space;
    header->inverted_cmyk = handle.cinfo.saw_Adobe_marker;
    header->progressive = handle.cinfo.progressive_mode;
    if (handle.cinfo.saw_JFIF_marker && (handle.cinfo.density_unit == 1 || handle.cinfo.density_unit == 2)) {
        double factor = handle.cinfo.density_unit == 2 ? 2.54 : 1.0;
        header->xres = handle.cinfo.X_density * factor;
        header->yres = handle.cinfo.Y_density * factor;
    }
    return true;
}

bool start_jpeg(JpegHandle& handle, J_COLOR_SPACE out_space) {
    if (setjmp(handle.errors.jump)) return false;
    handle.cinfo.out_color_space = out_space;
    jpeg_start_decompress(&handle.cinfo);
    return true;
}

bool read_jpeg_row(JpegHandle& handle, JSAMPROW row) {
    if (setjmp(handle.errors.jump)) return false;
    JSAMPROW rows[1] = {row};
    return jpeg_read_scanlines(&handle.cinfo, rows, 1) == 1 && !handle.errors.premature_end;
}

void open_jpeg_handle(const std::string& path, JpegHandle& handle, JpegHeader& header) {
    handle.file = fopen(path.c_str(), "rb");
    if (!handle.file) throw DecodeError(decode_message(path, -1, std::string("cannot open: ") + strerror(errno)));
    handle.cinfo.err = jpeg_std_error(&handle.errors.mgr);
    handle.errors.mgr.error_exit = on_jpeg_error;
    handle.errors.mgr.emit_message = on_jpeg_message;
    if (!read_jpeg_header(handle, &header))
        throw DecodeError(decode_message(path, -1, std::string("unreadable JPEG header (") + handle.errors.message + ")"));
}

J_COLOR_SPACE output_space(const JpegHeader& header) {
    switch (header.space) {
    case JCS_GRAYSCALE: return JCS_GRAYSCALE;
    case JCS_CMYK:
    case JCS_YCCK: return JCS_CMYK;
    default: return JCS_RGB;
    }
}

class JpegRowReader : public RowReader {
public:
    JpegRowReader(std::string path, const PageInfo& page) : path_(std::move(path)), page_(page) {
        open_jpeg_handle(path_, handle_, header_);
        if (header_.width != (unsigned)page_.width || header_.height != (unsigned)page_.height)
            throw DecodeError(decode_message(path_, -1, "the file changed while it was being printed"));
        space_ = output_space(header_);
        if (!start_jpeg(handle_, space_)) fail();
        row_.resize((size_t)handle_.cinfo.output_width * handle_.cinfo.output_components);
    }

    void read(uint8_t* out) override {
        if (next_ >= page_.height) throw DecodeError(decode_message(path_, -1, "read past the last row"));
        if (!read_jpeg_row(handle_, row_.data())) fail();
        const int w = page_.width;
        if (space_ == JCS_CMYK) {
            for (int x = 0; x < w; ++x) {
                const uint8_t* p = &row_[4 * (size_t)x];
                unsigned c = p[0], m = p[1], y = p[2], k = p[3];
                if (!header_.inverted_cmyk) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
                // Inverted values: 255 means no ink.
                out[3 * x] = (uint8_t)(c * k / 255);
                out[3 * x + 1] = (uint8_t)(m * k / 255);
                out[3 * x + 2] = (uint8_t)(y * k / 255);
            }
        } else {
            memcpy(out, row_.data(), row_.size());
        }
        ++next_;
    }

private:
    [[noreturn]] void fail() {
        throw DecodeError(decode_message(path_, -1,
                                         "corrupt or truncated JPEG data at row " + std::to_string(next_ + 1) +
                                             " of " + std::to_string(page_.height) + " (" + handle_.errors.message +
                                             ")"));
    }

    std::string path_;
    PageInfo page_;
    JpegHandle handle_;
    JpegHeader header_;
    J_COLOR_SPACE space_ = JCS_RGB;
    std::vector<uint8_t> row_;
    int next_ = 0;
};

class JpegFile : public ImageFile {
public:
    JpegFile(const std::string& path, const DecodeOptions& options) : ImageFile(path, options) {
        JpegHandle handle;
        JpegHeader header;
        open_jpeg_handle(path, handle, header);
        check_page_size(path, -1, header.width, header.height, options.limits);
        PageInfo page;
        page.width = (int)header.width;
        page.height = (int)header.height;
        page.source_bits = 8;
        page.has_colour = output_space(header) != JCS_GRAYSCALE;
        page.channels = page.has_colour ? 3 : 1;
        choose_resolution(page, header.xres, header.yres, options);
        page.format = std::string("JPEG ") + (header.progressive ? "progressive " : "") +
                      (page.has_colour ? (output_space(header) == JCS_CMYK ? "CMYK" : "colour") : "gray");
        pages_.push_back(page);
    }

    std::unique_ptr<RowReader> open_rows(int index) const override {
        return std::make_unique<JpegRowReader>(path_, page(index));
    }
};

}  // namespace

std::unique_ptr<ImageFile> open_jpeg(const std::string& path, const DecodeOptions& options) {
    return std::make_unique<JpegFile>(path, options);
}

}  // namespace lucentra
