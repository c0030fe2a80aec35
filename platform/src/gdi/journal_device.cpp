#include "pw/journal_device.h"

#include "pw/raster_device.h"

#include <cstdio>
#include <string>

namespace pw {
namespace {

DeviceCaps caps_for(const Device* target) {
    if (target) return target->caps();
    return raster_caps(5100, 6600, 600, 600, PixelFormat::bgr24);
}

std::string format(const char* fmt, auto... args) {
    char buf[256];
    std::snprintf(buf, sizeof buf, fmt, args...);
    return buf;
}

std::string rect(const DeviceRect& r) {
    return format("[%d,%d,%d,%d]", r.left, r.top, r.right, r.bottom);
}

const char* result_word(DrawStatus s) {
    return s == DrawStatus::done ? "" : s == DrawStatus::unsupported ? " -> unsupported" : " -> failed";
}

} // namespace

JournalDevice::JournalDevice(std::unique_ptr<Device> target, Sink sink)
    : Device(caps_for(target.get())), target_(std::move(target)), sink_(std::move(sink)) {}

void JournalDevice::log(std::string line) {
    if (sink_) sink_(line);
    lines_.push_back(std::move(line));
}

DrawStatus JournalDevice::on_stretch_dib(const StretchDibCall& c, int* lines) {
    DrawStatus s = DrawStatus::done;
    *lines = c.src.height();
    if (target_) s = target_->stretch_dib(c, lines);
    log(format("StretchDIBits dst=%d,%d,%d,%d src=%d,%d,%d,%d dib=%dx%dx%d usage=%u rop=0x%08X mode=%d",
               c.x_dst, c.y_dst, c.w_dst, c.h_dst, c.x_src, c.y_src, c.w_src, c.h_src, c.dib.width,
               c.dib.top_down ? -c.dib.height : c.dib.height, c.dib.bit_count, c.usage,
               static_cast<unsigned>(c.rop), c.stretch_mode) +
        " device=" + rect(c.dst) + format(" flip=%d,%d", c.flip_x ? 1 : 0, c.flip_y ? 1 : 0) +
        result_word(s));
    return s;
}

DrawStatus JournalDevice::on_fill_path(const FillPathCall& c) {
    DrawStatus s = target_ ? target_->fill_path(c) : DrawStatus::done;
    log(format("FillPath color=0x%06X mode=%d figures=%zu points=%zu", static_cast<unsigned>(c.color),
               c.fill_mode, c.logical_counts.size(), c.logical.size()) +
        result_word(s));
    return s;
}

DrawStatus JournalDevice::on_pat_blt(const PatBltCall& c) {
    DrawStatus s = target_ ? target_->pat_blt(c) : DrawStatus::done;
    log(format("PatBlt dst=%d,%d,%d,%d color=0x%06X rop=0x%08X", c.x, c.y, c.w, c.h,
               static_cast<unsigned>(c.color), static_cast<unsigned>(c.rop)) +
        " device=" + rect(c.dst) + result_word(s));
    return s;
}

void JournalDevice::on_state(const StateChange& c) {
    switch (c.kind) {
    case StateChange::map_mode: log(format("SetMapMode %d", c.a)); break;
    case StateChange::window_org: log(format("SetWindowOrgEx %d %d", c.a, c.b)); break;
    case StateChange::window_ext: log(format("SetWindowExtEx %d %d", c.a, c.b)); break;
    case StateChange::viewport_org: log(format("SetViewportOrgEx %d %d", c.a, c.b)); break;
    case StateChange::viewport_ext: log(format("SetViewportExtEx %d %d", c.a, c.b)); break;
    case StateChange::stretch_mode: log(format("SetStretchBltMode %d", c.a)); break;
    case StateChange::poly_fill_mode: log(format("SetPolyFillMode %d", c.a)); break;
    }
    if (target_) target_->state_changed(c);
}

void JournalDevice::on_select_palette(const PaletteData* palette) {
    log(palette ? format("SelectPalette entries=%zu", palette->entries.size()) : "SelectPalette default");
    if (target_) target_->palette_selected(palette);
}

UINT JournalDevice::on_realize_palette(const PaletteData* palette) {
    log("RealizePalette");
    return target_ ? target_->palette_realized(palette) : 0;
}

int JournalDevice::on_start_doc(const DocStart& doc) {
    int r = target_ ? target_->start_doc(doc) : 1;
    if (target_) set_caps(target_->caps()); // a printer may settle its page now
    log("StartDoc \"" + doc.name + "\" output=\"" + doc.output + "\"" + format(" -> %d", r));
    return r;
}

int JournalDevice::on_start_page() {
    int r = target_ ? target_->start_page() : 1;
    log(format("StartPage -> %d", r));
    return r;
}

int JournalDevice::on_end_page() {
    int r = target_ ? target_->end_page() : 1;
    log(format("EndPage -> %d", r));
    return r;
}

int JournalDevice::on_end_doc() {
    int r = target_ ? target_->end_doc() : 1;
    log(format("EndDoc -> %d", r));
    return r;
}

int JournalDevice::on_abort_doc() {
    int r = target_ ? target_->abort_doc() : 1;
    log(format("AbortDoc -> %d", r));
    return r;
}

void JournalDevice::on_close() {
    log("DeleteDC");
    if (target_) target_->closing();
}

} // namespace pw

HDC pw_create_journal_dc(std::unique_ptr<pw::Device> target, pw::JournalDevice::Sink sink) {
    try {
        return pw_create_dc(std::make_unique<pw::JournalDevice>(std::move(target), std::move(sink)));
    } catch (...) {
        return nullptr;
    }
}
