// Helpers for the block tests over the engine's own test objects: typed regions
// whose polygons are kept at a resolution other than 300 dpi (so every
// measurement goes through the coordinate translator), bitmaps as region intake
// makes them, and the log entries of one source.
#pragma once

#include <memory>
#include <vector>

#include "kel/kel.h"
#include "kel/region.h"
#include "kel/testing.h"

namespace blocks_test {

// A region of class `cls` whose outline has the given corners in 300-dpi
// pixels, stored natively at `dpi` (its rectangle is the outline's bounds).
inline std::unique_ptr<EBASICREGION> region_with(CLASS_ID cls, const std::vector<EPOINT>& at300,
                                                 float dpi = 600) {
    const float k = dpi / 300.0f;
    std::vector<EPOINT> native;
    for (const EPOINT& p : at300) native.emplace_back(p.x * k, p.y * k);
    const ECOORDXLATOR space(ERESOLUTION(dpi), EPOINT(0, 0));
    const EPOLYGON outline(native, space);
    auto r = std::make_unique<EBASICREGION>(cls, outline.BoundingBox());
    r->set_polygon(outline);
    return r;
}

// A rectangular region from (left, top) to (right, bottom) in 300-dpi pixels.
inline std::unique_ptr<EBASICREGION> rect_region(CLASS_ID cls, float left, float top, float right,
                                                 float bottom, float dpi = 600) {
    return region_with(cls, {{left, top}, {right, top}, {right, bottom}, {left, bottom}}, dpi);
}

// `lines` (engine lines, top first) padded or cut to rows x line_bytes.
inline std::vector<unsigned char> sized(std::vector<unsigned char> lines, int line_bytes, int rows) {
    lines.resize((size_t)line_bytes * (size_t)rows);
    return lines;
}

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
