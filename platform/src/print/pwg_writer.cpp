#include <cups/raster.h>

#include <cstring>
#include <vector>

#include "print/raster_writers.h"

namespace pw::print {
namespace {

uint8_t gray_of(const uint8_t* rgb) {
    return static_cast<uint8_t>((299 * rgb[0] + 587 * rgb[1] + 114 * rgb[2] + 500) / 1000);
}

// One page row in the PWG colour space: black_1 (1 = black), sgray_8 or srgb_8.
void convert_row(const PageImage& page, const uint8_t* in, bool black1, bool gray, uint8_t* out) {
    const int w = page.width;
    auto value = [&](int x) -> uint8_t {  // gray value of pixel x
        switch (page.format) {
            case RowFormat::white1: return (in[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0;
            case RowFormat::gray8: return in[x];
            case RowFormat::rgb24: return gray_of(in + 3 * x);
        }
        return 255;
    };
    if (black1) {
        if (page.format == RowFormat::white1) {
            for (int i = 0; i < (w + 7) / 8; ++i) out[i] = static_cast<uint8_t>(~in[i]);
            if (w & 7) out[(w + 7) / 8 - 1] &= static_cast<uint8_t>(0xFF << (8 - (w & 7)));
            return;
        }
        std::memset(out, 0, static_cast<size_t>((w + 7) / 8));
        for (int x = 0; x < w; ++x) {
            if (value(x) < 128) out[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
        }
    } else if (gray) {
        if (page.format == RowFormat::gray8) {
            std::memcpy(out, in, static_cast<size_t>(w));
            return;
        }
        for (int x = 0; x < w; ++x) out[x] = value(x);
    } else {
        if (page.format == RowFormat::rgb24) {
            std::memcpy(out, in, static_cast<size_t>(w) * 3);
            return;
        }
        for (int x = 0; x < w; ++x) out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = value(x);
    }
}

}  // namespace

ssize_t PwgWriter::write_cb(void* ctx, unsigned char* data, size_t length) {
    auto* w = static_cast<PwgWriter*>(ctx);
    if (std::fwrite(data, 1, length, w->out_) != length) {
        w->write_failed_ = true;
        return -1;
    }
    return static_cast<ssize_t>(length);
}

std::unique_ptr<PwgWriter> PwgWriter::open(FILE* out, std::string* why) {
    std::unique_ptr<PwgWriter> w(new PwgWriter);
    w->out_ = out;
    w->raster_ = cupsRasterOpenIO(&PwgWriter::write_cb, w.get(), CUPS_RASTER_WRITE_PWG);
    if (!w->raster_) {
        *why = "cannot start the PWG raster stream";
        return nullptr;
    }
    return w;
}

PwgWriter::~PwgWriter() {
    if (raster_) cupsRasterClose(static_cast<cups_raster_t*>(raster_));
}

bool PwgWriter::add_page(const PageImage& page, const std::string& type, std::string* why) {
    auto* r = static_cast<cups_raster_t*>(raster_);
    if (!r) {
        *why = "the PWG raster stream is closed";
        return false;
    }
    const int width_hmm = static_cast<int>(page.width * 2540L / page.xdpi);
    const int height_hmm = static_cast<int>(page.height * 2540L / page.ydpi);
    pwg_media_t* media = pwgMediaForSize(width_hmm, height_hmm);
    cups_page_header2_t h;
    if (!media || !cupsRasterInitPWGHeader(&h, media, type.c_str(), page.xdpi, page.ydpi, "one-sided", nullptr)) {
        *why = "cannot describe a " + type + " PWG page";
        return false;
    }
    // Our page is the authority on its pixel size; the media table may round differently.
    h.cupsWidth = static_cast<unsigned>(page.width);
    h.cupsHeight = static_cast<unsigned>(page.height);
    h.cupsBytesPerLine = (h.cupsWidth * h.cupsBitsPerPixel + 7) / 8;
    if (!cupsRasterWriteHeader2(r, &h)) {
        *why = "the PWG page header could not be written";
        return false;
    }
    const bool black1 = type == "black_1";
    const bool gray = type == "sgray_8";
    std::vector<uint8_t> in(static_cast<size_t>(page.bytes_per_row()));
    std::vector<uint8_t> out(h.cupsBytesPerLine);
    for (int y = 0; y < page.height; ++y) {
        if ((y & 63) == 0 && page.keep_going && !page.keep_going()) {
            *why = "the document was aborted";
            return false;
        }
        page.row(y, in.data());
        convert_row(page, in.data(), black1, gray, out.data());
        if (cupsRasterWritePixels(r, out.data(), h.cupsBytesPerLine) != h.cupsBytesPerLine || write_failed_) {
            *why = "the PWG page could not be written";
            return false;
        }
    }
    return true;
}

bool PwgWriter::close(std::string* why) {
    if (raster_) cupsRasterClose(static_cast<cups_raster_t*>(raster_));
    raster_ = nullptr;
    if (write_failed_ || std::fflush(out_) != 0) {
        *why = "the PWG raster stream could not be written";
        return false;
    }
    return true;
}

}  // namespace pw::print
