#include "decode/pnm_decoder.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

#include "decode/decode_common.h"

namespace lucentra {
namespace {

struct PnmHeader {
    int kind = 0;  // 1 to 6, the digit after 'P'
    int64_t width = 0, height = 0;
    unsigned maxval = 1;
    long data_offset = 0;  // first byte of the pixels
};

class PnmStream {
public:
    explicit PnmStream(const std::string& path) : path_(path) {
        file_ = fopen(path.c_str(), "rb");
        if (!file_) throw DecodeError(decode_message(path, -1, std::string("cannot open: ") + strerror(errno)));
        setvbuf(file_, nullptr, _IOFBF, 1 << 16);
    }
    ~PnmStream() { fclose(file_); }
    PnmStream(const PnmStream&) = delete;
    PnmStream& operator=(const PnmStream&) = delete;

    FILE* file() { return file_; }

    [[noreturn]] void fail(const std::string& what) const { throw DecodeError(decode_message(path_, -1, what)); }

    // Skips whitespace and comments, then reads a decimal number (header fields
    // and the samples of the plain formats). `one_digit` limits it to one digit, as
    // P1 allows "0101" without separators.
    int64_t number(const char* what, bool one_digit = false) {
        int c = fgetc(file_);
        while (c != EOF && (isspace(c) || c == '#')) {
            if (c == '#')
                while (c != EOF && c != '\n' && c != '\r') c = fgetc(file_);
            c = fgetc(file_);
        }
        if (c == EOF) fail(std::string("truncated PNM data (") + what + ")");
        if (!isdigit(c)) fail(std::string("malformed PNM ") + what);
        int64_t value = 0;
        do {
            value = value * 10 + (c - '0');
            if (value > 1000000000) fail(std::string("malformed PNM ") + what);
            if (one_digit) return value;
            c = fgetc(file_);
        } while (c != EOF && isdigit(c));
        if (c != EOF) ungetc(c, file_);
        return value;
    }

    PnmHeader header() {
        PnmHeader h;
        int p = fgetc(file_), k = fgetc(file_);
        if (p != 'P' || k < '1' || k > '6') fail("not a PNM file");
        h.kind = k - '0';
        h.width = number("width");
        h.height = number("height");
        h.maxval = (h.kind == 1 || h.kind == 4) ? 1 : (unsigned)number("maxval");
        if (h.maxval < 1 || h.maxval > 65535) fail("PNM maxval out of range (1 to 65535)");
        // Exactly one whitespace byte separates the header from binary pixels.
        if (h.kind >= 4) {
            int c = fgetc(file_);
            if (c == EOF || !isspace(c)) fail("malformed PNM header");
        }
        h.data_offset = ftell(file_);
        return h;
    }

private:
    std::string path_;
    FILE* file_ = nullptr;
};

class PnmRowReader : public RowReader {
public:
    PnmRowReader(const std::string& path, const PageInfo& page) : stream_(path), page_(page) {
        header_ = stream_.header();
        if (header_.width != page_.width || header_.height != page_.height)
            stream_.fail("the file changed while it was being printed");
        const size_t samples = (size_t)page_.width * (header_.kind == 3 || header_.kind == 6 ? 3 : 1);
        if (header_.kind == 4)
            raw_.resize(((size_t)page_.width + 7) / 8);
        else if (header_.kind >= 5)
            raw_.resize(samples * (header_.maxval > 255 ? 2 : 1));
    }

    void read(uint8_t* out) override {
        if (next_ >= page_.height) stream_.fail("read past the last row");
        const size_t samples = (size_t)page_.width * page_.channels;
        const unsigned maxval = header_.maxval;
        auto scale = [maxval](unsigned v) -> uint8_t {
            if (v > maxval) v = maxval;
            return (uint8_t)((v * 255u + maxval / 2) / maxval);
        };
        if (header_.kind <= 3) {
            for (size_t i = 0; i < samples; ++i) {
                unsigned v = (unsigned)stream_.number("samples", header_.kind == 1);
                out[i] = header_.kind == 1 ? (v ? 0 : 255) : scale(v);
            }
        } else {
            if (fread(raw_.data(), 1, raw_.size(), stream_.file()) != raw_.size())
                stream_.fail("truncated PNM data at row " + std::to_string(next_ + 1) + " of " +
                             std::to_string(page_.height));
            if (header_.kind == 4) {
                for (int x = 0; x < page_.width; ++x) out[x] = (raw_[x >> 3] & (0x80 >> (x & 7))) ? 0 : 255;
            } else if (maxval > 255) {
                for (size_t i = 0; i < samples; ++i) out[i] = scale((unsigned)raw_[2 * i] << 8 | raw_[2 * i + 1]);
            } else if (maxval == 255) {
                memcpy(out, raw_.data(), samples);
            } else {
                for (size_t i = 0; i < samples; ++i) out[i] = scale(raw_[i]);
            }
        }
        ++next_;
    }

private:
    PnmStream stream_;
    PageInfo page_;
    PnmHeader header_;
    std::vector<uint8_t> raw_;
    int next_ = 0;
};

class PnmFile : public ImageFile {
public:
    PnmFile(const std::string& path, const DecodeOptions& options) : ImageFile(path, options) {
        PnmStream stream(path);
        PnmHeader header = stream.header();
        check_page_size(path, -1, header.width, header.height, options.limits);
        PageInfo page;
        page.width = (int)header.width;
        page.height = (int)header.height;
        page.has_colour = header.kind == 3 || header.kind == 6;
        page.channels = page.has_colour ? 3 : 1;
        page.bilevel = header.kind == 1 || header.kind == 4;
        page.source_bits = page.bilevel ? 1 : (header.maxval > 255 ? 16 : 8);
        choose_resolution(page, 0, 0, options);
        static const char* kinds[] = {"", "plain bitmap", "plain gray", "plain RGB", "bitmap", "gray", "RGB"};
        page.format = std::string("PNM ") + kinds[header.kind];
        pages_.push_back(page);
    }

    std::unique_ptr<RowReader> open_rows(int index) const override {
        return std::make_unique<PnmRowReader>(path_, page(index));
    }
};

}  // namespace

std::unique_ptr<ImageFile> open_pnm(const std::string& path, const DecodeOptions& options) {
    return std::make_unique<PnmFile>(path, options);
}

}  // namespace lucentra
