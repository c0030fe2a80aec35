// Writes the seed corpora of the fuzz targets: small, valid inputs that reach
// each parser's main paths, so the fuzzer starts from real structure.
//
//   make_fuzz_seeds FUZZ_DIR     (writes FUZZ_DIR/corpus/NAME/seed-*)
//
// Run once when a target is added; the corpora are kept in the repository (the
// fuzzer's own finds are merged into them with -merge=1, see fuzz/README.md).
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "tools/sample_images.h"
#include "windows.h"

namespace fs = std::filesystem;
using namespace lucentra::samples;

namespace {

fs::path g_root;

std::string seed(const std::string& target, const std::string& name) {
    fs::path dir = g_root / "corpus" / target;
    fs::create_directories(dir);
    return (dir / ("seed-" + name)).string();
}

void write_text(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

Raster pattern(int w, int h, int channels, int bits) {
    Raster r(w, h, channels, bits);
    for (size_t i = 0; i < r.data.size(); ++i) r.data[i] = static_cast<uint8_t>(i * 37 + 11);
    return r;
}

void image_seeds() {
    PngOptions gray;
    write_png(seed("image_png", "gray8.png"), pattern(7, 5, 1, 8), gray);
    PngOptions rgb{.colour_type = 2, .dpi = 300};
    write_png(seed("image_png", "rgb8-dpi.png"), pattern(6, 4, 3, 8), rgb);
    PngOptions pal{.colour_type = 3, .palette = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {9, 9, 9}}, .trns = {255, 0}};
    write_png(seed("image_png", "palette2.png"), pattern(9, 3, 1, 2), pal);
    PngOptions rgba{.colour_type = 6, .interlace = true};
    write_png(seed("image_png", "rgba16-interlaced.png"), pattern(5, 5, 4, 16), rgba);
    PngOptions ga{.colour_type = 4};
    write_png(seed("image_png", "graya8.png"), pattern(4, 3, 2, 8), ga);
    write_png(seed("image_png", "bilevel.png"), pattern(17, 3, 1, 1), gray);

    TiffPage bw{.raster = pattern(33, 9, 1, 1), .photometric = 0, .compression = 4, .xres = 204, .yres = 196};
    TiffPage g8{.raster = pattern(8, 6, 1, 8), .compression = 5, .rows_per_strip = 2};
    write_tiff(seed("image_tiff", "g4-and-lzw-2pages.tif"), {bw, g8});
    TiffPage tiled{.raster = pattern(20, 18, 3, 8), .photometric = 2, .compression = 8, .tile = 16};
    write_tiff(seed("image_tiff", "rgb-tiled-deflate.tif"), {tiled});
    TiffPage indexed{.raster = pattern(5, 4, 1, 4), .photometric = 3, .compression = 1};
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 16; ++i) indexed.colormap.push_back(static_cast<uint16_t>((i * 4099 + c * 777) & 0xFFFF));
    write_tiff(seed("image_tiff", "palette4.tif"), {indexed});
    TiffPage cmyk{.raster = pattern(4, 4, 4, 8), .photometric = 5, .compression = 1, .planar_separate = true};
    write_tiff(seed("image_tiff", "cmyk-planar.tif"), {cmyk});
    TiffPage alpha{.raster = pattern(4, 3, 2, 8), .photometric = 1, .compression = 1, .extra_alpha = 2};
    write_tiff(seed("image_tiff", "gray-alpha.tif"), {alpha});
    TiffPage g3{.raster = pattern(40, 5, 1, 1), .photometric = 0, .compression = 3};
    write_tiff(seed("image_tiff", "g3.tif"), {g3});
    TiffPage jpg{.raster = pattern(16, 16, 3, 8), .photometric = 2, .compression = 7, .ycbcr = true};
    write_tiff(seed("image_tiff", "jpeg-ycbcr.tif"), {jpg});

    write_jpeg(seed("image_jpeg", "gray.jpg"), pattern(9, 7, 1, 8), 80, 300, 300);
    write_jpeg(seed("image_jpeg", "rgb.jpg"), pattern(17, 9, 3, 8), 60);
    write_jpeg(seed("image_jpeg", "rgb-progressive.jpg"), pattern(10, 10, 3, 8), 75, 200, 100, true);

    write_pnm(seed("image_pnm", "p1.pbm"), pattern(10, 3, 1, 1), 1);
    write_pnm(seed("image_pnm", "p2.pgm"), pattern(4, 3, 1, 8), 2, 200);
    write_pnm(seed("image_pnm", "p3.ppm"), pattern(3, 2, 3, 8), 3);
    write_pnm(seed("image_pnm", "p4.pbm"), pattern(19, 4, 1, 1), 4);
    write_pnm(seed("image_pnm", "p5-16bit.pgm"), pattern(5, 3, 1, 16), 5, 65535);
    write_pnm(seed("image_pnm", "p6.ppm"), pattern(6, 2, 3, 8), 6);
    write_text(seed("image_pnm", "p2-comments.pgm"), "P2\n# a comment\n3 2\n# another\n15\n0 5 10\n15 7 3\n");
}

void metafile_seeds() {
    HDC dc = CreateMetaFileA(nullptr);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowOrgEx(dc, -3, 2, nullptr);
    SetWindowExtEx(dc, 300, 200, nullptr);
    SetViewportExtEx(dc, 40, 30, nullptr);
    SetStretchBltMode(dc, COLORONCOLOR);
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colors[2];
    } info{};
    info.h.biSize = sizeof(BITMAPINFOHEADER);
    info.h.biWidth = 9;
    info.h.biHeight = 5;
    info.h.biPlanes = 1;
    info.h.biBitCount = 1;
    info.colors[1] = RGBQUAD{255, 255, 255, 0};
    const uint8_t bits[5 * 4] = {0xAA, 0x80, 0, 0, 0x55, 0, 0, 0, 0xF0, 0x80, 0, 0, 0x0F, 0, 0, 0, 0xCC, 0x80};
    StretchDIBits(dc, 10, 10, 120, 80, 0, 0, 9, 5, bits, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                  SRCAND);
    struct {
        WORD version, count;
        PALETTEENTRY entries[3];
    } pal{0x300, 3, {{0, 0, 0, 0}, {200, 100, 50, 0}, {255, 255, 255, 0}}};
    HPALETTE palette = CreatePalette(reinterpret_cast<LOGPALETTE*>(&pal));
    SelectPalette(dc, palette, FALSE);
    RealizePalette(dc);
    HBRUSH brush = CreateSolidBrush(RGB(10, 200, 30));
    HGDIOBJ old = SelectObject(dc, brush);
    BeginPath(dc);
    MoveToEx(dc, 20, 20, nullptr);
    LineTo(dc, 200, 40);
    const POINT curve[3] = {{220, 90}, {120, 190}, {30, 150}};
    PolyBezierTo(dc, curve, 3);
    CloseFigure(dc);
    EndPath(dc);
    FillPath(dc);
    PatBlt(dc, 0, 0, 50, 50, PATCOPY);
    SelectObject(dc, old);
    DeleteObject(brush);
    HMETAFILE mf = CloseMetaFile(dc);
    DeleteObject(palette);
    std::vector<uint8_t> bytes(GetMetaFileBitsEx(mf, 0, nullptr));
    GetMetaFileBitsEx(mf, static_cast<UINT>(bytes.size()), bytes.data());
    DeleteMetaFile(mf);
    write_bytes(seed("metafile", "drawing.wmf"), bytes);

    // The same picture behind a placeable header, as other programs write it.
    std::vector<uint8_t> placeable = {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 44, 1, 200, 0, 0xA0, 0x05, 0, 0, 0, 0, 0, 0};
    uint16_t check = 0;
    for (int i = 0; i < 20; i += 2) check ^= static_cast<uint16_t>(placeable[i] | placeable[i + 1] << 8);
    placeable[20] = static_cast<uint8_t>(check);
    placeable[21] = static_cast<uint8_t>(check >> 8);
    placeable.insert(placeable.end(), bytes.begin(), bytes.end());
    write_bytes(seed("metafile", "placeable.wmf"), placeable);
}

// Arguments, info size, info, bits: the layout dib_fuzz.cpp reads.
void dib_seed(const std::string& name, int bpp, int w, int h, int colours, uint8_t rop, uint8_t mode, uint8_t format,
              uint32_t compression = BI_RGB) {
    std::vector<uint8_t> out;
    auto put16 = [&](int v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    };
    for (int v : {2, 3, 30, 20, 0, 0, w, h}) put16(v);
    out.push_back(DIB_RGB_COLORS);
    out.push_back(rop);
    out.push_back(mode);
    out.push_back(format);
    BITMAPINFOHEADER hdr{};
    hdr.biSize = sizeof hdr;
    hdr.biWidth = w;
    hdr.biHeight = h;
    hdr.biPlanes = 1;
    hdr.biBitCount = static_cast<WORD>(bpp);
    hdr.biCompression = compression;
    hdr.biClrUsed = static_cast<DWORD>(colours);
    const size_t info_size = sizeof hdr + 4u * static_cast<size_t>(colours);
    put16(static_cast<int>(info_size));
    const uint8_t* p = reinterpret_cast<const uint8_t*>(&hdr);
    out.insert(out.end(), p, p + sizeof hdr);
    for (int i = 0; i < colours; ++i)
        for (int c = 0; c < 4; ++c) out.push_back(static_cast<uint8_t>(i * 51 + c * 17));
    const size_t stride = ((static_cast<size_t>(w) * bpp + 31) / 32) * 4;
    for (size_t i = 0; i < stride * static_cast<size_t>(h); ++i) out.push_back(static_cast<uint8_t>(i * 29 + 3));
    write_bytes(seed("dib", name), out);
}

void dib_seeds() {
    dib_seed("mono-srcand.dib", 1, 13, 6, 2, 1, 0, 0);
    dib_seed("4bit-gray.dib", 4, 7, 5, 16, 0, 2, 3);
    dib_seed("8bit-index.dib", 8, 6, 4, 256, 0, 1, 2);
    dib_seed("24bit-rgb.dib", 24, 5, 7, 0, 0, 2, 4);
    dib_seed("32bit-bgrx.dib", 32, 4, 3, 0, 3, 3, 5);
    dib_seed("rle8.dib", 8, 4, 2, 4, 0, 0, 4, BI_RLE8);
}

void text_seeds() {
    write_text(seed("registry", "values.reg"),
               "PAGEWRIGHT REGISTRY 1\n"
               "[HKEY_CURRENT_USER\\Software\\Velmora\\VL Lucentra LT\\Preferences]\n"
               "\"ProgramDir\"=1:\"/opt/lucentra\\x00\"\n"
               "\"Flags\"=4:hex:01000000\n"
               "\"Quoted \\\"name\\\"\"=2:\"%HOME%\\\\x\\x00\"\n"
               "\"Blob\"=3:hex:00ff10\n"
               "[HKEY_CURRENT_USER\\Empty]\n");
    write_text(seed("registry", "damaged.reg"),
               "PAGEWRIGHT REGISTRY 1\n[HKEY_CURRENT_USER\\A\n\"x\"=9:hex:zz\n[HKEY_CURRENT_USER\\B]\n\"y\"=1:\"\\xq\"\n");
    write_text(seed("printers", "all-keys"),
               "default = Draft PDF   # comment\n"
               "[PDF]\npaper = a4\noutput = /tmp/printed.pdf\n"
               "[Draft PDF]\nkind = pdf\nresolutions = 150, 300\nresolution = 150\nmargins = 0.5in\ncolour = no\n"
               "[Fax]\nresolutions = 204x196, 204x98\n"
               "[Strips]\nkind = png\npaper = 100x300mm\nmargins = 1mm, 2mm, 3mm, 4mm\n"
               "[Office]\nkind = ipp\nuri = ipp://127.0.0.1:1/ipp/print\n");
    write_text(seed("printers", "damaged"), "[Bad\nkind = laser\nresolutions = -5, x\n[PNG]\npaper = 8.5x11in\nmargins = 9in\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: make_fuzz_seeds FUZZ_DIR\n");
        return 2;
    }
    g_root = argv[1];
    image_seeds();
    metafile_seeds();
    dib_seeds();
    text_seeds();
    return 0;
}
