// Rasterising what a device cannot draw (see fallback.h).
#include "gdi/fallback.h"

#include "pw/raster_device.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace pw::gdi {
namespace {

DeviceRect page_clip(const Device& device, DeviceRect r) {
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, device.caps().horz_res);
    r.bottom = std::min(r.bottom, device.caps().vert_res);
    return r;
}

// Hands one rendered band (the top `rows` rows of `tile`) to the device at `at`.
DrawStatus send_band(Device& device, RasterDevice& tile, int rows, DeviceRect at, DWORD rop) {
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colors[2];
    } info{};
    const bool mono = tile.format() == PixelFormat::mono1;
    info.h.biSize = sizeof(BITMAPINFOHEADER);
    info.h.biWidth = tile.width();
    info.h.biHeight = -tile.height();
    info.h.biPlanes = 1;
    info.h.biBitCount = static_cast<WORD>(mono ? 1 : 24);
    info.h.biCompression = BI_RGB;
    if (mono) {
        info.h.biClrUsed = 2;
        info.colors[0] = tile.color_table()[0];
        info.colors[1] = tile.color_table()[1];
    }
    StretchDibCall call;
    if (!make_dib_view(reinterpret_cast<const BITMAPINFO*>(&info), sizeof info, tile.bits(),
                       static_cast<size_t>(tile.stride()) * static_cast<size_t>(tile.height()),
                       DIB_RGB_COLORS, &call.dib))
        return DrawStatus::failed;
    call.x_dst = at.left;
    call.y_dst = at.top;
    call.w_dst = at.width();
    call.h_dst = at.height();
    call.w_src = at.width();
    call.h_src = rows;
    call.y_src = 0;
    call.rop = rop;
    call.stretch_mode = COLORONCOLOR;
    call.src = DeviceRect{0, 0, at.width(), rows};
    call.dst = at;
    int lines = 0;
    DrawStatus s = device.stretch_dib(call, &lines);
    return s == DrawStatus::done ? s : DrawStatus::failed;
}

} // namespace

DrawStatus fallback_stretch(Device& device, const StretchDibCall& call, int* lines) {
    *lines = 0;
    DeviceRect clip = page_clip(device, call.dst);
    if (clip.empty()) return DrawStatus::done;
    const int band = std::min(clip.height(), kFallbackBand);
    RasterDevice tile(raster_caps(clip.width(), band, device.caps().log_pixels_x,
                                  device.caps().log_pixels_y, PixelFormat::bgr24),
                      PixelFormat::bgr24);
    for (int top = clip.top; top < clip.bottom; top += band) {
        const int rows = std::min(band, clip.bottom - top);
        tile.clear();
        StretchDibCall part = call;
        part.dst.left -= clip.left;
        part.dst.right -= clip.left;
        part.dst.top -= top;
        part.dst.bottom -= top;
        int drawn = 0;
        tile.stretch_dib(part, &drawn);
        DrawStatus s = send_band(device, tile, rows, DeviceRect{clip.left, top, clip.right, top + rows}, SRCCOPY);
        if (s != DrawStatus::done) return s;
    }
    *lines = call.src.height();
    return DrawStatus::done;
}

DrawStatus fallback_fill(Device& device, const FillPathCall& call) {
    const Path flat = flatten_path(call.device_path);
    if (flat.points.empty()) return DrawStatus::done;
    double x0 = flat.points[0].x, x1 = x0, y0 = flat.points[0].y, y1 = y0;
    for (const PathPoint& p : flat.points) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    auto to_int = [](double v) {
        return static_cast<int>(std::clamp(v, -1.0e9, 1.0e9));
    };
    DeviceRect clip = page_clip(device, DeviceRect{to_int(std::floor(x0)), to_int(std::floor(y0)),
                                                   to_int(std::ceil(x1)) + 1, to_int(std::ceil(y1)) + 1});
    if (clip.empty()) return DrawStatus::done;
    const int band = std::min(clip.height(), kFallbackBand);
    std::vector<RGBQUAD> table = {
        RGBQUAD{GetBValue(call.color), GetGValue(call.color), GetRValue(call.color), 0},
        RGBQUAD{255, 255, 255, 0}};
    RasterDevice tile(raster_caps(clip.width(), band, device.caps().log_pixels_x,
                                  device.caps().log_pixels_y, PixelFormat::mono1),
                      PixelFormat::mono1, table);
    for (int top = clip.top; top < clip.bottom; top += band) {
        const int rows = std::min(band, clip.bottom - top);
        // Index 1 (white) everywhere, then the figure in index 0.
        for (int y = 0; y < tile.height(); ++y)
            std::memset(tile.row(y), 0xFF, static_cast<size_t>(tile.stride()));
        FillPathCall part = call;
        for (PathPoint& p : part.device_path.points) {
            p.x -= clip.left;
            p.y -= top;
        }
        tile.fill_path(part);
        DrawStatus s = send_band(device, tile, rows, DeviceRect{clip.left, top, clip.right, top + rows}, SRCAND);
        if (s != DrawStatus::done) return s;
    }
    return DrawStatus::done;
}

} // namespace pw::gdi
