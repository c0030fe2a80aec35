#include "decode/tiff_handle.h"

#include <tiffio.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "decode/decode_common.h"

namespace lucentra {
namespace {

int on_tiff_error(TIFF*, void* user, const char* module, const char* format, va_list args) {
    auto* messages = static_cast<TiffMessages*>(user);
    if (!messages->error[0]) vsnprintf(messages->error, sizeof messages->error, format, args);
    return 1;  // handled: libtiff prints nothing
}

int on_tiff_warning(TIFF*, void* user, const char* module, const char* format, va_list args) {
    auto* messages = static_cast<TiffMessages*>(user);
    char text[384];
    vsnprintf(text, sizeof text, format, args);
    // The fax and LZW codecs report damaged data as warnings and pad the rows
    // with white; a print from damaged data must not pass for a good one.
    const char* damage[] = {"Premature EOF", "Premature EOL", "Bad code word", "Line length mismatch",
                            "Not enough data", "Corrupted", "Unexpected"};
    for (const char* word : damage) {
        if (strstr(text, word)) {
            messages->warned_data = true;
            if (!messages->warning[0]) snprintf(messages->warning, sizeof messages->warning, "%s", text);
        }
    }
    return 1;
}

}  // namespace

TiffHandle::TiffHandle(const std::string& path) : messages_(std::make_unique<TiffMessages>()) {
    FILE* probe = fopen(path.c_str(), "rb");
    if (!probe) throw DecodeError(decode_message(path, -1, std::string("cannot open: ") + strerror(errno)));
    fclose(probe);
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, on_tiff_error, messages_.get());
    TIFFOpenOptionsSetWarningHandlerExtR(options, on_tiff_warning, messages_.get());
    // No single allocation beyond 512 MB, whatever a damaged header claims.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, (tmsize_t)512 << 20);
    tif_ = TIFFOpenExt(path.c_str(), "r", options);
    TIFFOpenOptionsFree(options);
    if (!tif_) throw DecodeError(decode_message(path, -1, "unreadable TIFF file (" + messages_->text() + ")"));
}

TiffHandle::~TiffHandle() {
    if (tif_) TIFFClose(tif_);
}

static const char* compression_name(uint16_t compression) {
    switch (compression) {
    case COMPRESSION_NONE: return "uncompressed";
    case COMPRESSION_CCITTRLE: return "CCITT RLE";
    case COMPRESSION_CCITTFAX3: return "CCITT G3";
    case COMPRESSION_CCITTFAX4: return "CCITT G4";
    case COMPRESSION_LZW: return "LZW";
    case COMPRESSION_OJPEG: return "old-style JPEG";
    case COMPRESSION_JPEG: return "JPEG";
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE: return "Deflate";
    case COMPRESSION_PACKBITS: return "PackBits";
    default: return "compressed";
    }
}

std::string describe_tiff(const TiffLayout& layout) {
    static const char* models[] = {"gray", "RGB", "palette", "CMYK"};
    return std::string("TIFF ") + compression_name(layout.compression) + " " + std::to_string(layout.bits) +
           "-bit " + models[(int)layout.model] + (layout.tiled ? " tiled" : "");
}

TiffLayout read_tiff_layout(TIFF* tif, TiffMessages& messages, const std::string& path, int page_index,
                            const DecodeLimits& limits) {
    auto refuse = [&](const std::string& what) -> DecodeError {
        return DecodeError(decode_message(path, page_index, what));
    };
    TiffLayout layout;
    uint32_t width = 0, height = 0;
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height))
        throw refuse("the page has no width or height");
    check_page_size(path, page_index, width, height, limits);
    layout.width = width;
    layout.height = height;

    uint16_t bits = 1, samples = 1, photometric = 0, planar = PLANARCONFIG_CONTIG, format = SAMPLEFORMAT_UINT;
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &layout.compression);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric)) {
        // Missing photometric: the common readers' guess.
        photometric = samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISWHITE;
        if (bits > 1 && samples < 3) photometric = PHOTOMETRIC_MINISBLACK;
    }
    layout.bits = bits;
    layout.samples = samples;
    layout.planar_separate = planar == PLANARCONFIG_SEPARATE && samples > 1;

    if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16)
        throw refuse(std::to_string(bits) + "-bit samples are not supported");
    if (format != SAMPLEFORMAT_UINT && format != SAMPLEFORMAT_VOID)
        throw refuse("only unsigned integer samples are supported");
    if (!TIFFIsCODECConfigured(layout.compression))
        throw refuse(std::string("the compression (") + std::to_string(layout.compression) + ") is not supported");

    switch (photometric) {
    case PHOTOMETRIC_MINISWHITE:
    case PHOTOMETRIC_MINISBLACK:
        layout.model = TiffModel::Gray;
        layout.colour_samples = 1;
        layout.min_is_white = photometric == PHOTOMETRIC_MINISWHITE;
        break;
    case PHOTOMETRIC_RGB:
        layout.model = TiffModel::Rgb;
        layout.colour_samples = 3;
        break;
    case PHOTOMETRIC_YCBCR:
        if (layout.compression != COMPRESSION_JPEG)
            throw refuse("YCbCr pages are only supported with JPEG compression");
        // libtiff's JPEG codec converts to RGB itself, subsampling included.
        TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
        layout.model = TiffModel::Rgb;
        layout.colour_samples = 3;
        layout.ycbcr_jpeg = true;
        break;
    case PHOTOMETRIC_PALETTE:
        layout.model = TiffModel::Palette;
        layout.colour_samples = 1;
        break;
    case PHOTOMETRIC_SEPARATED: {
        uint16_t inkset = INKSET_CMYK;
        TIFFGetFieldDefaulted(tif, TIFFTAG_INKSET, &inkset);
        if (inkset != INKSET_CMYK) throw refuse("only CMYK separated pages are supported");
        layout.model = TiffModel::Cmyk;
        layout.colour_samples = 4;
        break;
    }
    default:
        throw refuse("the colour model (photometric " + std::to_string(photometric) + ") is not supported");
    }
    if (samples < layout.colour_samples) throw refuse("too few samples per pixel for the colour model");
    if ((layout.model == TiffModel::Palette && bits > 8) || (layout.model != TiffModel::Gray && bits < 8 &&
                                                            layout.model != TiffModel::Palette))
        throw refuse(std::to_string(bits) + "-bit samples are not supported for this colour model");

    uint16_t extra_count = 0;
    uint16_t* extra = nullptr;
    if (TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extra_count, &extra)) {
        for (int i = 0; i < extra_count; ++i) {
            if (extra[i] == EXTRASAMPLE_ASSOCALPHA || extra[i] == EXTRASAMPLE_UNASSALPHA) {
                if (layout.colour_samples + i < samples) {
                    layout.alpha_sample = layout.colour_samples + i;
                    layout.alpha_premultiplied = extra[i] == EXTRASAMPLE_ASSOCALPHA;
                }
                break;
            }
        }
    }

    if (layout.model == TiffModel::Palette) {
        uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
        if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue)) throw refuse("the palette page has no palette");
        const size_t entries = size_t(1) << bits;
        // Some writers store 8-bit values in the 16-bit fields; read them as such.
        bool eight_bit = true;
        for (size_t i = 0; i < entries; ++i)
            if (red[i] > 255 || green[i] > 255 || blue[i] > 255) eight_bit = false;
        layout.palette.resize(entries * 3);
        for (size_t i = 0; i < entries; ++i) {
            uint8_t r = eight_bit ? red[i] : red[i] >> 8, g = eight_bit ? green[i] : green[i] >> 8,
                    b = eight_bit ? blue[i] : blue[i] >> 8;
            layout.palette[3 * i] = r;
            layout.palette[3 * i + 1] = g;
            layout.palette[3 * i + 2] = b;
            if (!is_gray(r, g, b)) layout.palette_gray = false;
        }
    }

    layout.tiled = TIFFIsTiled(tif) != 0;
    if (layout.tiled) {
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &layout.tile_width);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &layout.tile_height);
        if (layout.tile_width == 0 || layout.tile_height == 0 || layout.tile_width > 65536 ||
            layout.tile_height > 65536)
            throw refuse("the page's tiles have no usable size");
    }

    float xres = 0, yres = 0;
    uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    bool has_x = TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres) != 0;
    bool has_y = TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres) != 0;
    if (unit == RESUNIT_INCH || unit == RESUNIT_CENTIMETER) {
        double factor = unit == RESUNIT_CENTIMETER ? 2.54 : 1.0;
        layout.xres = has_x ? xres * factor : 0;
        layout.yres = has_y ? yres * factor : 0;
    }
    messages.clear();
    return layout;
}

}  // namespace lucentra
