#include "tools/sample_images.h"

#include <png.h>
#include <tiffio.h>

#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include <cmath>
#include <csetjmp>
#include <fstream>
#include <stdexcept>

namespace lucentra::samples {

void Raster::set(int x, int y, int c, unsigned value) {
    uint8_t* r = row(y);
    if (bits == 8) {
        r[(size_t)x * channels + c] = (uint8_t)value;
        return;
    }
    size_t bit = ((size_t)x * channels + c) * bits;
    unsigned shift = 8 - bits - (bit & 7);
    unsigned mask = ((1u << bits) - 1) << shift;
    r[bit >> 3] = (uint8_t)((r[bit >> 3] & ~mask) | ((value << shift) & mask));
}

namespace {

struct File {
    FILE* f;
    explicit File(const std::string& path) : f(fopen(path.c_str(), "wb")) {
        if (!f) throw std::runtime_error("cannot write " + path);
    }
    ~File() {
        if (f) fclose(f);
    }
};

void png_fail(png_structp png, png_const_charp) { png_longjmp(png, 1); }

bool png_write_all(png_structp png, png_infop info, FILE* f, const Raster& r, const PngOptions& o,
                   png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, f);
    png_set_IHDR(png, info, r.width, r.height, r.bits, o.colour_type,
                 o.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!o.palette.empty()) {
        std::vector<png_color> colours;
        for (auto& c : o.palette) colours.push_back({c[0], c[1], c[2]});
        png_set_PLTE(png, info, colours.data(), (int)colours.size());
    }
    if (!o.trns.empty()) {
        if (o.colour_type == PNG_COLOR_TYPE_PALETTE) {
            png_set_tRNS(png, info, o.trns.data(), (int)o.trns.size(), nullptr);
        } else {
            png_color_16 value{};
            value.gray = (png_uint_16)(o.trns[0] << 8 | o.trns[1]);
            png_set_tRNS(png, info, nullptr, 0, &value);
        }
    }
    if (o.dpi > 0) {
        double dy = o.dpi_y > 0 ? o.dpi_y : o.dpi;
        png_set_pHYs(png, info, (png_uint_32)std::lround(o.dpi / 0.0254), (png_uint_32)std::lround(dy / 0.0254),
                     PNG_RESOLUTION_METER);
    }
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

void write_png(const std::string& path, const Raster& raster, const PngOptions& options) {
    File file(path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, png_fail, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows(raster.height);
    for (int y = 0; y < raster.height; ++y) rows[y] = const_cast<png_bytep>(raster.row(y));
    bool ok = png_write_all(png, info, file.f, raster, options, rows.data());
    png_destroy_write_struct(&png, &info);
    if (!ok) throw std::runtime_error("PNG writing failed: " + path);
}

void write_tiff(const std::string& path, const std::vector<TiffPage>& pages) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif) throw std::runtime_error("cannot write " + path);
    bool ok = true;
    for (const TiffPage& page : pages) {
        const Raster& r = page.raster;
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, (uint32_t)r.width);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, (uint32_t)r.height);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, (uint16_t)r.bits);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, (uint16_t)r.channels);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, (uint16_t)page.compression);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, (uint16_t)(page.ycbcr ? PHOTOMETRIC_YCBCR : page.photometric));
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG,
                     (uint16_t)(page.planar_separate ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG));
        if (page.compression == COMPRESSION_JPEG) {
            TIFFSetField(tif, TIFFTAG_JPEGQUALITY, page.jpeg_quality);
            if (page.ycbcr) TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
        }
        if (page.compression == COMPRESSION_LZW || page.compression == COMPRESSION_ADOBE_DEFLATE)
            TIFFSetField(tif, TIFFTAG_PREDICTOR, (uint16_t)1);
        if (page.extra_alpha) {
            uint16_t kind = page.extra_alpha == 1 ? EXTRASAMPLE_ASSOCALPHA : EXTRASAMPLE_UNASSALPHA;
            TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, (uint16_t)1, &kind);
        }
        if (page.photometric == PHOTOMETRIC_PALETTE) {
            size_t n = page.colormap.size() / 3;
            TIFFSetField(tif, TIFFTAG_COLORMAP, page.colormap.data(), page.colormap.data() + n,
                         page.colormap.data() + 2 * n);
        }
        if (page.xres > 0) {
            TIFFSetField(tif, TIFFTAG_XRESOLUTION, (float)page.xres);
            TIFFSetField(tif, TIFFTAG_YRESOLUTION, (float)(page.yres > 0 ? page.yres : page.xres));
            TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, (uint16_t)RESUNIT_INCH);
        }
        if (pages.size() > 1) {
            TIFFSetField(tif, TIFFTAG_SUBFILETYPE, (uint32_t)FILETYPE_PAGE);
            TIFFSetField(tif, TIFFTAG_PAGENUMBER, (uint16_t)(&page - pages.data()), (uint16_t)pages.size());
        }

        const int planes = page.planar_separate ? r.channels : 1;
        const int plane_channels = page.planar_separate ? 1 : r.channels;
        // One plane's rows, split out of the interleaved raster when planes are separate.
        auto plane_row = [&](int plane, int y, std::vector<uint8_t>& out) {
            if (!page.planar_separate) {
                out.assign(r.row(y), r.row(y) + r.stride());
                return;
            }
            const int bytes = r.bits / 8;
            out.resize((size_t)r.width * bytes);
            for (int x = 0; x < r.width; ++x)
                for (int b = 0; b < bytes; ++b) out[(size_t)x * bytes + b] = r.row(y)[((size_t)x * r.channels + plane) * bytes + b];
        };
        std::vector<uint8_t> line;
        if (page.tile) {
            TIFFSetField(tif, TIFFTAG_TILEWIDTH, (uint32_t)page.tile);
            TIFFSetField(tif, TIFFTAG_TILELENGTH, (uint32_t)page.tile);
            const size_t tile_row = ((size_t)page.tile * plane_channels * r.bits + 7) / 8;
            std::vector<uint8_t> tile(tile_row * page.tile);
            for (int plane = 0; plane < planes; ++plane)
                for (int ty = 0; ty < r.height; ty += page.tile)
                    for (int tx = 0; tx < r.width; tx += page.tile) {
                        std::fill(tile.begin(), tile.end(), 0);
                        for (int y = ty; y < std::min(r.height, ty + page.tile); ++y) {
                            plane_row(plane, y, line);
                            size_t from = ((size_t)tx * plane_channels * r.bits) / 8;
                            size_t n = std::min(tile_row, line.size() - from);
                            std::copy(line.begin() + from, line.begin() + from + n, tile.begin() + (y - ty) * tile_row);
                        }
                        if (TIFFWriteTile(tif, tile.data(), tx, ty, 0, (uint16_t)plane) < 0) ok = false;
                    }
        } else {
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP,
                         page.rows_per_strip ? (uint32_t)page.rows_per_strip : TIFFDefaultStripSize(tif, 0));
            for (int plane = 0; plane < planes; ++plane)
                for (int y = 0; y < r.height; ++y) {
                    plane_row(plane, y, line);
                    if (TIFFWriteScanline(tif, line.data(), y, (uint16_t)plane) < 0) ok = false;
                }
        }
        if (!TIFFWriteDirectory(tif)) ok = false;
    }
    TIFFClose(tif);
    if (!ok) throw std::runtime_error("TIFF writing failed: " + path);
}

namespace {
struct JpegWriteErrors {
    jpeg_error_mgr mgr;
    jmp_buf jump;
};
void jpeg_fail(j_common_ptr cinfo) { longjmp(reinterpret_cast<JpegWriteErrors*>(cinfo->err)->jump, 1); }

bool jpeg_write_all(jpeg_compress_struct* c, FILE* f, const Raster& r, int quality, double dx, double dy,
                    bool progressive) {
    auto* errors = reinterpret_cast<JpegWriteErrors*>(c->err);
    if (setjmp(errors->jump)) return false;
    jpeg_stdio_dest(c, f);
    c->image_width = r.width;
    c->image_height = r.height;
    c->input_components = r.channels;
    c->in_color_space = r.channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(c);
    jpeg_set_quality(c, quality, TRUE);
    if (progressive) jpeg_simple_progression(c);
    c->write_JFIF_header = TRUE;
    if (dx > 0) {
        c->density_unit = 1;
        c->X_density = (UINT16)std::lround(dx);
        c->Y_density = (UINT16)std::lround(dy > 0 ? dy : dx);
    } else {
        c->density_unit = 0;
        c->X_density = c->Y_density = 1;
    }
    jpeg_start_compress(c, TRUE);
    for (int y = 0; y < r.height; ++y) {
        JSAMPROW row = const_cast<JSAMPROW>(r.row(y));
        jpeg_write_scanlines(c, &row, 1);
    }
    jpeg_finish_compress(c);
    return true;
}
}  // namespace

void write_jpeg(const std::string& path, const Raster& raster, int quality, double dpi_x, double dpi_y,
                bool progressive) {
    File file(path);
    jpeg_compress_struct c{};
    JpegWriteErrors errors{};
    c.err = jpeg_std_error(&errors.mgr);
    errors.mgr.error_exit = jpeg_fail;
    jpeg_create_compress(&c);
    bool ok = jpeg_write_all(&c, file.f, raster, quality, dpi_x, dpi_y, progressive);
    jpeg_destroy_compress(&c);
    if (!ok) throw std::runtime_error("JPEG writing failed: " + path);
}

void write_pnm(const std::string& path, const Raster& raster, int kind, unsigned maxval) {
    File file(path);
    if (kind == 1 || kind == 4)
        fprintf(file.f, "P%d\n# lucentra test\n%d %d\n", kind, raster.width, raster.height);
    else
        fprintf(file.f, "P%d\n%d %d\n%u\n", kind, raster.width, raster.height, maxval);
    if (kind >= 4) {
        fwrite(raster.data.data(), 1, raster.data.size(), file.f);
        return;
    }
    const size_t samples = (size_t)raster.width * raster.channels;
    for (int y = 0; y < raster.height; ++y) {
        for (size_t i = 0; i < samples; ++i) {
            unsigned v;
            if (raster.bits == 1)
                v = (raster.row(y)[i >> 3] >> (7 - (i & 7))) & 1;
            else if (raster.bits == 16)
                v = (unsigned)raster.row(y)[2 * i] << 8 | raster.row(y)[2 * i + 1];
            else
                v = raster.row(y)[i];
            fprintf(file.f, kind == 1 ? "%u" : "%u ", v);
        }
        fputc('\n', file.f);
    }
}

void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), (std::streamsize)bytes.size());
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::vector<uint8_t> read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace lucentra::samples
