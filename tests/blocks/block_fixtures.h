// Small engine objects for the block tests: typed regions whose polygons are
// kept at a resolution other than 300 dpi (so every measurement goes through
// the coordinate translator), and a store that serves an image line by line
// with scriptable results.
#pragma once

#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "kel/kel.h"

namespace blocks_test {

class TestRegion : public ETYPEDREGION {
public:
    CLASS_ID cls = CID_COLOUR_3102;
    std::vector<CLASS_ID> families;
    ERECTANGLE rect;
    EPOLYGON polygon;
    int order_key = 0;
    int orientation = 0;
    bool colour = false;

    EBOOL8 IsA(CLASS_ID id) override {
        if (id == cls) return 1;
        for (CLASS_ID f : families)
            if (f == id) return 1;
        return 0;
    }
    CLASS_ID ClassID() override { return cls; }
    const ERECTANGLE* GetRectangle() override { return &rect; }
    EBOOL8 HasColor() override { return colour; }
    int GetOrderKey() override { return order_key; }
    int GetPolygon(EPOLYGON** out) override {
        *out = &polygon;
        return 0;
    }
    int GetOrientation(int* out) override {
        *out = orientation;
        return 0;
    }
};

// A region of class `cls` whose outline has the given corners in 300-dpi
// pixels, stored natively at `dpi` (its rectangle is the outline's bounds).
inline std::unique_ptr<TestRegion> region_with(CLASS_ID cls, const std::vector<EPOINT>& at300,
                                               float dpi = 600) {
    auto r = std::make_unique<TestRegion>();
    r->cls = cls;
    const float k = dpi / 300.0f;
    std::vector<EPOINT> native;
    for (const EPOINT& p : at300) native.emplace_back(p.x * k, p.y * k);
    const ECOORDXLATOR space(ERESOLUTION(dpi), EPOINT(0, 0));
    r->polygon = EPOLYGON(native, space);
    r->rect = r->polygon.BoundingBox();
    return r;
}

// A rectangular region from (left, top) to (right, bottom) in 300-dpi pixels.
inline std::unique_ptr<TestRegion> rect_region(CLASS_ID cls, float left, float top, float right,
                                               float bottom, float dpi = 600) {
    return region_with(cls, {{left, top}, {right, top}, {right, bottom}, {left, bottom}}, dpi);
}

// Serves `rows` lines of `line_bytes` bytes (engine order: top line first,
// 24-bit lines red, green, blue) into the pointer strip it is pulled with.
class LineStore : public ESTORE {
public:
    std::vector<unsigned char> image;  // rows x line_bytes
    int line_bytes = 0;
    int rows = 0;
    int setup_result = 0;
    int done_result = 0;
    std::map<int, int> result_at;  // line index -> result to return instead
    EPALETTE palette;              // handed to the strip before each line when set
    int setups = 0, pulls = 0, dones = 0, cancels = 0;

    int Setup() override {
        ++setups;
        return setup_result;
    }
    int Done() override {
        ++dones;
        return done_result;
    }
    int Cancel() override {
        ++cancels;
        return 0;
    }
    int Pull(EHOLDER* holder) override {
        const int line = pulls++;
        auto scripted = result_at.find(line);
        if (scripted != result_at.end() && scripted->second != KEL_MORE && scripted->second != KEL_DONE &&
            scripted->second != KEL_OK)
            return scripted->second;
        auto* strip = static_cast<EBITMAP_PSTRIP*>(holder);
        if (line < rows && strip->GetLine())
            std::memcpy(strip->GetLine(), &image[(size_t)line * line_bytes], (size_t)line_bytes);
        if (palette.Colors() > 0) *strip->GetPalette() = palette;
        if (scripted != result_at.end()) return scripted->second;
        return line + 1 < rows ? KEL_MORE : KEL_DONE;
    }
};

// An engine bitmap of the given form, as region intake makes it.
inline std::unique_ptr<EBITMAP> bitmap_of(int width, int height, int bits, float dpi = 300,
                                          int type = BMT_GRAY) {
    auto bm = std::make_unique<EBITMAP>();
    initialize_ebitmap(width, height, (char)bits, dpi, bm.get());
    bm->SetBitMapType(type);
    bm->SetPadLine(PAD_DWORD);
    bm->SetClipValue(255);
    return bm;
}

// The log entries of one source, oldest first.
inline std::vector<KEL_LOG_ENTRY> entries_of(const char* source) {
    std::vector<KEL_LOG_ENTRY> out;
    for (const KEL_LOG_ENTRY& e : err.entries())
        if (e.source == source) out.push_back(e);
    return out;
}

}  // namespace blocks_test
