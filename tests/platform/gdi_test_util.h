// Small helpers for the GDI tests: tiny DIBs written as pictures, raster
// pages behind DCs, and pages read back as pictures.
#pragma once

#include "pw/device.h"
#include "pw/raster_device.h"
#include "pw/gdi.h"

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace gdi_test {

// A DIB in memory: header, colour table and rows.
struct Dib {
    std::vector<uint8_t> info; // BITMAPINFOHEADER + colour table
    std::vector<uint8_t> bits;
    BITMAPINFO* bmi() { return reinterpret_cast<BITMAPINFO*>(info.data()); }
    BITMAPINFOHEADER& header() { return bmi()->bmiHeader; }
};

// `rows` is the picture from its top row down: for depths up to 8 each value
// is a colour index, for 24 bits an RGB() value. Stored bottom-up unless
// `top_down`.
inline Dib make_dib(int bpp, const std::vector<RGBQUAD>& colors,
                    const std::vector<std::vector<uint32_t>>& rows, bool top_down = false) {
    Dib d;
    const int h = static_cast<int>(rows.size()), w = static_cast<int>(rows[0].size());
    d.info.resize(sizeof(BITMAPINFOHEADER) + colors.size() * sizeof(RGBQUAD));
    BITMAPINFOHEADER hdr{};
    hdr.biSize = sizeof hdr;
    hdr.biWidth = w;
    hdr.biHeight = top_down ? -h : h;
    hdr.biPlanes = 1;
    hdr.biBitCount = static_cast<WORD>(bpp);
    hdr.biCompression = BI_RGB;
    hdr.biClrUsed = static_cast<DWORD>(colors.size());
    std::memcpy(d.info.data(), &hdr, sizeof hdr);
    if (!colors.empty())
        std::memcpy(d.info.data() + sizeof hdr, colors.data(), colors.size() * sizeof(RGBQUAD));
    const size_t stride = (static_cast<size_t>(w) * bpp + 31) / 32 * 4;
    d.bits.assign(stride * h, 0);
    for (int y = 0; y < h; ++y) {
        uint8_t* r = d.bits.data() + stride * (top_down ? y : h - 1 - y);
        for (int x = 0; x < w; ++x) {
            uint32_t v = rows[y][x];
            switch (bpp) {
            case 1: if (v) r[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8)); break;
            case 4: r[x / 2] |= static_cast<uint8_t>(x % 2 ? v : v << 4); break;
            case 8: r[x] = static_cast<uint8_t>(v); break;
            case 24:
                r[3 * x] = GetBValue(v);
                r[3 * x + 1] = GetGValue(v);
                r[3 * x + 2] = GetRValue(v);
                break;
            }
        }
    }
    return d;
}

inline RGBQUAD q(BYTE r, BYTE g, BYTE b) { return RGBQUAD{b, g, r, 0}; }
inline const std::vector<RGBQUAD> kBlackWhite = {q(0, 0, 0), q(255, 255, 255)};

// A raster page behind a DC; the DC owns the device.
struct Page {
    HDC dc = nullptr;
    pw::RasterDevice* dev = nullptr;
    Page(int w, int h, pw::PixelFormat f = pw::PixelFormat::bgr24, int dpi = 600) {
        auto d = std::make_unique<pw::RasterDevice>(pw::raster_caps(w, h, dpi, dpi, f), f);
        dev = d.get();
        dc = pw_create_dc(std::move(d));
    }
    ~Page() { DeleteDC(dc); }
    Page(const Page&) = delete;
    Page& operator=(const Page&) = delete;

    // The page as rows of characters, one per pixel, by `legend`; '?' for
    // colours not in it.
    std::vector<std::string> picture(const std::map<COLORREF, char>& legend) const {
        std::vector<std::string> out;
        for (int y = 0; y < dev->height(); ++y) {
            std::string row;
            for (int x = 0; x < dev->width(); ++x) {
                auto it = legend.find(dev->pixel(x, y));
                row += it == legend.end() ? '?' : it->second;
            }
            out.push_back(row);
        }
        return out;
    }
};

inline const std::map<COLORREF, char> kLegend = {
    {RGB(0, 0, 0), '#'},     {RGB(255, 255, 255), '.'}, {RGB(255, 0, 0), 'R'},
    {RGB(0, 255, 0), 'G'},   {RGB(0, 0, 255), 'B'},     {RGB(255, 255, 0), 'Y'},
    {RGB(128, 128, 128), 'm'}, {RGB(0, 255, 255), 'C'}, {RGB(255, 0, 255), 'M'}};

inline int stretch(HDC dc, Dib& d, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                   DWORD rop = SRCCOPY) {
    return StretchDIBits(dc, x, y, w, h, sx, sy, sw, sh, d.bits.data(), d.bmi(), DIB_RGB_COLORS, rop);
}

} // namespace gdi_test
