// Helpers of the printing tests: a private configuration folder, running the PDF
// and image tools, reading their pictures, and one small document drawn the same
// way on any printer DC.
#pragma once

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "windows.h"

namespace print_test {

namespace fs = std::filesystem;

// A temporary folder that is also $XDG_CONFIG_HOME, so the printers file and the
// default printer are the test's own; the paper is Letter whatever the machine's
// locale. Removed, and the process-wide printer state reset, at the end.
class Sandbox {
public:
    Sandbox() {
        char tmpl[] = "/tmp/pw-print-XXXXXX";
        dir_ = mkdtemp(tmpl);
        setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
        setenv("LC_PAPER", "en_US.UTF-8", 1);
        unsetenv("LC_ALL");
        setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
        pw_set_print_output(nullptr);
        pw_set_default_printer(nullptr);
    }
    ~Sandbox() {
        pw_set_print_output(nullptr);
        pw_set_default_printer(nullptr);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    const std::string& dir() const { return dir_; }
    std::string path(const std::string& name) const { return dir_ + "/" + name; }
    void write_printers_file(const std::string& text) const {
        fs::create_directories(dir_ + "/pagewright");
        std::ofstream(dir_ + "/pagewright/printers") << text;
    }
    // The files in the folder, hidden ones included, but not the config folder.
    std::vector<std::string> files() const {
        std::vector<std::string> out;
        for (auto& e : fs::directory_iterator(dir_)) {
            if (e.path().filename() != "pagewright") out.push_back(e.path().filename().string());
        }
        std::sort(out.begin(), out.end());
        return out;
    }

private:
    std::string dir_;
};

// Runs a shell command; its standard output (and error) as text, status in `status`.
inline std::string run(const std::string& command, int* status = nullptr) {
    std::string out;
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    int st = pclose(p);
    if (status) *status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return out;
}

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// An RGB picture, 3 bytes a pixel, rows top-down.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    const uint8_t* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

inline Picture read_png(const std::string& path) {
    Picture pic;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return pic;
    image.format = PNG_FORMAT_RGB;
    pic.width = static_cast<int>(image.width);
    pic.height = static_cast<int>(image.height);
    pic.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pic.rgb.data(), 0, nullptr)) pic = Picture{};
    return pic;
}

// A binary PPM (P6) as pdftoppm writes it.
inline Picture read_ppm(const std::string& path) {
    Picture pic;
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxval = 0;
    in >> magic >> pic.width >> pic.height >> maxval;
    in.get();
    if (magic != "P6" || maxval != 255) return Picture{};
    pic.rgb.resize(static_cast<size_t>(pic.width) * pic.height * 3);
    in.read(reinterpret_cast<char*>(pic.rgb.data()), static_cast<std::streamsize>(pic.rgb.size()));
    return pic;
}

// A DIB: header, colour table and bottom-up rows in one block.
struct Dib {
    std::vector<uint8_t> block;
    size_t bits_offset = 0;
    const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(block.data()); }
    const void* bits() const { return block.data() + bits_offset; }
    int stride = 0;
    uint8_t* row_from_top(int y, int height) { return block.data() + bits_offset + static_cast<size_t>(height - 1 - y) * stride; }
};

inline Dib make_dib(int width, int height, int bit_count, const std::vector<RGBQUAD>& table) {
    Dib d;
    d.stride = ((width * bit_count + 31) / 32) * 4;
    d.bits_offset = sizeof(BITMAPINFOHEADER) + table.size() * sizeof(RGBQUAD);
    d.block.assign(d.bits_offset + static_cast<size_t>(d.stride) * height, 0);
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bit_count);
    h.biCompression = BI_RGB;
    h.biClrUsed = static_cast<DWORD>(table.size());
    std::memcpy(d.block.data(), &h, sizeof h);
    if (!table.empty()) std::memcpy(d.block.data() + sizeof h, table.data(), table.size() * sizeof(RGBQUAD));
    return d;
}

// 64 x 48 colour blocks (24-bit), 64-level gray ramp (8-bit), black bars on white
// (1-bit, for SRCAND).
inline Dib colour_dib() {
    Dib d = make_dib(64, 48, 24, {});
    for (int y = 0; y < 48; ++y) {
        uint8_t* row = d.row_from_top(y, 48);
        for (int x = 0; x < 64; ++x) {
            row[3 * x + 0] = static_cast<uint8_t>((x / 16) * 80);   // blue
            row[3 * x + 1] = static_cast<uint8_t>((y / 16) * 120);  // green
            row[3 * x + 2] = static_cast<uint8_t>(x < 32 ? 230 : 20);
        }
    }
    return d;
}

inline Dib gray_dib() {
    std::vector<RGBQUAD> ramp(256);
    for (int i = 0; i < 256; ++i) ramp[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
    Dib d = make_dib(64, 16, 8, ramp);
    for (int y = 0; y < 16; ++y) {
        uint8_t* row = d.row_from_top(y, 16);
        for (int x = 0; x < 64; ++x) row[x] = static_cast<uint8_t>((x / 8) * 32);
    }
    return d;
}

inline Dib bars_dib() {
    Dib d = make_dib(32, 32, 1, {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}});
    for (int y = 0; y < 32; ++y) {
        uint8_t* row = d.row_from_top(y, 32);
        for (int x = 0; x < 32; ++x) {
            bool black = (x / 4) % 2 == 0;
            if (!black) row[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
        }
    }
    return d;
}

// Draws one page of the test document in device pixels of a 300-dpi printer:
// a colour picture enlarged 4 times, a gray ramp, black bars ANDed over the colour
// picture, and a red bezier shape. Returns false when a call failed.
inline bool draw_test_page(HDC dc, int page) {
    Dib colour = colour_dib(), gray = gray_dib(), bars = bars_dib();
    int y0 = 100 + 50 * page;
    bool ok = StretchDIBits(dc, 100, y0, 256, 192, 0, 0, 64, 48, colour.bits(), colour.info(), DIB_RGB_COLORS,
                            SRCCOPY) > 0;
    ok = StretchDIBits(dc, 100, y0 + 250, 512, 64, 0, 0, 64, 16, gray.bits(), gray.info(), DIB_RGB_COLORS,
                       SRCCOPY) > 0 && ok;
    ok = StretchDIBits(dc, 164, y0 + 32, 128, 128, 0, 0, 32, 32, bars.bits(), bars.info(), DIB_RGB_COLORS,
                       SRCAND) > 0 && ok;
    HBRUSH red = CreateSolidBrush(RGB(220, 30, 30));
    HGDIOBJ old = SelectObject(dc, red);
    BeginPath(dc);
    MoveToEx(dc, 500, y0, nullptr);
    POINT curve[3] = {{700, y0}, {700, y0 + 200}, {500, y0 + 200}};
    PolyBezierTo(dc, curve, 3);
    CloseFigure(dc);
    EndPath(dc);
    ok = FillPath(dc) && ok;
    SelectObject(dc, old);
    DeleteObject(red);
    return ok;
}

// A whole document of `pages` test pages on `dc`; false when a spooler call failed.
inline bool print_test_document(HDC dc, int pages, const char* output = nullptr) {
    DOCINFOA info{};
    info.cbSize = sizeof info;
    info.lpszDocName = "VL Lucentra LT";
    info.lpszOutput = output;
    if (StartDocA(dc, &info) <= 0) return false;
    for (int p = 0; p < pages; ++p) {
        if (StartPage(dc) <= 0) return false;
        if (!draw_test_page(dc, p)) return false;
        if (EndPage(dc) <= 0) return false;
    }
    return EndDoc(dc) > 0;
}

// A DEVMODE selecting a resolution (and optionally a paper), as an application
// fills one in.
inline DEVMODEA devmode(int dpi, short paper = 0) {
    DEVMODEA dm{};
    dm.dmSize = sizeof dm;
    dm.dmFields = DM_PRINTQUALITY | DM_YRESOLUTION;
    dm.dmPrintQuality = static_cast<SHORT>(dpi);
    dm.dmYResolution = static_cast<SHORT>(dpi);
    if (paper) {
        dm.dmFields |= DM_PAPERSIZE;
        dm.dmPaperSize = paper;
    }
    return dm;
}

}  // namespace print_test
