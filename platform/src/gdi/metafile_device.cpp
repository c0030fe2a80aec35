#include "gdi/metafile_device.h"

#include "pw/raster_device.h"

#include <algorithm>
#include <climits>

namespace pw::gdi {

MetafileDevice::MetafileDevice() : Device([] {
    // GetDeviceCaps on a metafile DC describes the reference screen.
    DeviceCaps caps = raster_caps(1024, 768, 96, 96, PixelFormat::bgr24);
    caps.technology = DT_METAFILE;
    return caps;
}()) {}

bool MetafileDevice::fits(long long v) {
    if (v >= SHRT_MIN && v <= SHRT_MAX) return true;
    if (error_.empty()) error_ = "coordinate " + std::to_string(v) + " does not fit a metafile";
    return false;
}

int MetafileDevice::new_slot() {
    for (size_t i = 0; i < slots_.size(); ++i)
        if (!slots_[i]) {
            slots_[i] = true;
            return static_cast<int>(i);
        }
    slots_.push_back(true);
    return static_cast<int>(slots_.size() - 1);
}

void MetafileDevice::free_slot(int slot) {
    out_.begin(META_DELETEOBJECT);
    out_.word(slot);
    out_.end();
    slots_[static_cast<size_t>(slot)] = false;
}

void MetafileDevice::use_brush(COLORREF color) {
    if (brush_slot_ >= 0 && brush_color_ == color) return;
    int slot = new_slot();
    out_.begin(META_CREATEBRUSHINDIRECT);
    out_.word(BS_SOLID);
    out_.dword(color & 0xFFFFFF);
    out_.word(0);
    out_.end();
    out_.begin(META_SELECTOBJECT);
    out_.word(slot);
    out_.end();
    if (brush_slot_ >= 0) free_slot(brush_slot_);
    brush_slot_ = slot;
    brush_color_ = color;
}

void MetafileDevice::use_pen(COLORREF color, bool null_pen) {
    if (pen_slot_ >= 0 && pen_null_ == null_pen && (null_pen || pen_color_ == color)) return;
    int slot = new_slot();
    out_.begin(META_CREATEPENINDIRECT);
    out_.word(null_pen ? PS_NULL : PS_SOLID);
    out_.word(0); // width as a POINTS: x, y
    out_.word(0);
    out_.dword(color & 0xFFFFFF);
    out_.end();
    out_.begin(META_SELECTOBJECT);
    out_.word(slot);
    out_.end();
    if (pen_slot_ >= 0) free_slot(pen_slot_);
    pen_slot_ = slot;
    pen_null_ = null_pen;
    pen_color_ = color;
}

void MetafileDevice::on_state(const StateChange& c) {
    auto two = [&](uint16_t function) {
        if (!fits(c.a) || !fits(c.b)) return;
        out_.begin(function);
        out_.word(c.b); // y first: parameters are stored in reverse order
        out_.word(c.a);
        out_.end();
    };
    auto one = [&](uint16_t function) {
        out_.begin(function);
        out_.word(c.a);
        out_.end();
    };
    switch (c.kind) {
    case StateChange::map_mode: one(META_SETMAPMODE); break;
    case StateChange::window_org: two(META_SETWINDOWORG); break;
    case StateChange::window_ext: two(META_SETWINDOWEXT); break;
    case StateChange::viewport_org: two(META_SETVIEWPORTORG); break;
    case StateChange::viewport_ext: two(META_SETVIEWPORTEXT); break;
    case StateChange::stretch_mode: one(META_SETSTRETCHBLTMODE); break;
    case StateChange::poly_fill_mode: one(META_SETPOLYFILLMODE); break;
    }
}

DrawStatus MetafileDevice::on_stretch_dib(const StretchDibCall& c, int* lines) {
    *lines = 0;
    // A metafile DC's device space is its logical space, so c.dst is logical.
    // Mirroring goes into the sign of the destination extents.
    const int x_dst = c.flip_x ? c.dst.right : c.dst.left;
    const int w_dst = c.flip_x ? -c.dst.width() : c.dst.width();
    const int y_dst = c.flip_y ? c.dst.bottom : c.dst.top;
    const int h_dst = c.flip_y ? -c.dst.height() : c.dst.height();
    const DibView& dib = c.dib;
    // Record only the rows the call reads (c.src, counted from the top), as a
    // bottom-up DIB of full width; the source rectangle then covers its rows.
    const int rows = c.src.height();
    for (long long v : {x_dst, c.dst.right, y_dst, c.dst.bottom, c.src.left, c.src.right, rows})
        if (!fits(v)) return DrawStatus::failed;
    BITMAPINFOHEADER h{};
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = dib.width;
    h.biHeight = rows;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(dib.bit_count);
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(dib.stride * static_cast<size_t>(rows));
    h.biClrUsed = dib.bit_count <= 8 ? static_cast<DWORD>(dib.num_colors) : 0;
    if (dib.header) {
        h.biXPelsPerMeter = dib.header->biXPelsPerMeter;
        h.biYPelsPerMeter = dib.header->biYPelsPerMeter;
    }

    out_.begin(META_STRETCHDIB);
    out_.dword(c.rop);
    out_.word(DIB_RGB_COLORS);
    out_.word(rows);           // source height
    out_.word(c.src.width());  // source width
    out_.word(0);              // source y: the recorded rows are exactly the band
    out_.word(c.src.left);
    out_.word(h_dst);
    out_.word(w_dst);
    out_.word(y_dst);
    out_.word(x_dst);
    out_.bytes(&h, sizeof h);
    if (dib.bit_count <= 8 && dib.num_colors > 0)
        out_.bytes(dib.colors, sizeof(RGBQUAD) * static_cast<size_t>(dib.num_colors));
    for (int k = 0; k < rows; ++k) out_.bytes(dib.row(c.src.bottom - 1 - k), dib.stride);
    out_.end();
    *lines = rows;
    return DrawStatus::done;
}

DrawStatus MetafileDevice::on_fill_path(const FillPathCall& call) {
    for (const POINT& p : call.logical)
        if (!fits(p.x) || !fits(p.y)) return DrawStatus::failed;
    // Two-point figures are lines drawn with a pen of the call's colour.
    std::vector<size_t> polygons;
    size_t at = 0;
    for (size_t f = 0; f < call.logical_counts.size(); ++f) {
        const int n = call.logical_counts[f];
        if (n == 2) {
            use_pen(call.color, false);
            out_.begin(META_MOVETO);
            out_.word(call.logical[at].y);
            out_.word(call.logical[at].x);
            out_.end();
            out_.begin(META_LINETO);
            out_.word(call.logical[at + 1].y);
            out_.word(call.logical[at + 1].x);
            out_.end();
        } else if (n >= 3) {
            polygons.push_back(f);
        }
        at += static_cast<size_t>(n);
    }
    if (polygons.empty()) return DrawStatus::done;
    if (polygons.size() > 0xFFFF) return DrawStatus::failed;
    use_brush(call.color);
    use_pen(0, true);
    out_.begin(META_POLYPOLYGON);
    out_.word(static_cast<int>(polygons.size()));
    for (size_t f : polygons) {
        if (call.logical_counts[f] > 0xFFFF) return DrawStatus::failed;
        out_.word(call.logical_counts[f]);
    }
    at = 0;
    for (size_t f = 0; f < call.logical_counts.size(); ++f) {
        const int n = call.logical_counts[f];
        if (n >= 3)
            for (int i = 0; i < n; ++i) {
                out_.word(call.logical[at + static_cast<size_t>(i)].x);
                out_.word(call.logical[at + static_cast<size_t>(i)].y);
            }
        at += static_cast<size_t>(n);
    }
    out_.end();
    return DrawStatus::done;
}

DrawStatus MetafileDevice::on_pat_blt(const PatBltCall& call) {
    for (long long v : {call.x, call.y, call.w, call.h})
        if (!fits(v)) return DrawStatus::failed;
    use_brush(call.color);
    out_.begin(META_PATBLT);
    out_.dword(call.rop);
    out_.word(call.h);
    out_.word(call.w);
    out_.word(call.y);
    out_.word(call.x);
    out_.end();
    return DrawStatus::done;
}

void MetafileDevice::on_select_palette(const PaletteData* palette) {
    const int previous = palette_slot_;
    palette_slot_ = -1;
    if (palette && !palette->entries.empty() && palette->entries.size() <= 0xFFFF) {
        palette_slot_ = new_slot();
        out_.begin(META_CREATEPALETTE);
        out_.word(0x300);
        out_.word(static_cast<int>(palette->entries.size()));
        for (const PALETTEENTRY& e : palette->entries) out_.bytes(&e, sizeof e);
        out_.end();
        out_.begin(META_SELECTPALETTE);
        out_.word(palette_slot_);
        out_.end();
    }
    if (previous >= 0) free_slot(previous);
}

UINT MetafileDevice::on_realize_palette(const PaletteData* palette) {
    out_.begin(META_REALIZEPALETTE);
    out_.end();
    return palette ? static_cast<UINT>(palette->entries.size()) : 0;
}

std::optional<std::vector<uint8_t>> MetafileDevice::finish() {
    if (!error_.empty()) return std::nullopt;
    return out_.finish(static_cast<uint16_t>(std::min<size_t>(slots_.size(), 0xFFFF)));
}

} // namespace pw::gdi
