// A raster printer's page kept as its drawing calls instead of its pixels.
//
// A 600-dpi colour page is about 100 MB of pixels, most of which a printer
// receives long before the page is finished; the calls that make it (usually a
// few images) are a fraction of that. The raster printers record each call,
// with a copy of the source rows it reads (the caller may free or reuse its
// bitmap as soon as the call returns), and at the end of the page replay every
// call, in order, into one band of rows at a time, which is encoded and then
// reused for the next band. Band drawing clips to the band in page
// coordinates (RasterDevice's band form), so the pixels are exactly those of
// drawing on a whole page, raster operations included.
//
// Lifecycle: record calls between StartPage and EndPage, then render bands in
// any order (each render replays everything), then clear() for the next page.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "pw/raster_device.h"

namespace pw::print {

class PageRecording {
public:
    // The calls' answers are those the page device would give: the same lines
    // and status. Throws std::bad_alloc when the copy does not fit in memory.
    DrawStatus stretch_dib(const StretchDibCall& call, int page_width, int page_height, int* lines);
    DrawStatus fill_path(const FillPathCall& call);
    DrawStatus pat_blt(const PatBltCall& call);

    // Draws every recorded call, in order, into `band` (cleared white first).
    // Returns the first status that is not done.
    DrawStatus render(RasterDevice& band) const;

    // Bytes held by the copies of source rows.
    size_t copied_bytes() const { return copied_; }
    void clear();

private:
    struct Image {
        StretchDibCall call;  // its DibView points into the members below
        std::vector<uint8_t> info;             // header and colour table
        std::unique_ptr<uint8_t[]> rows;       // the source rows the call reads, top first
    };
    struct Op {
        enum Kind { image, path, pattern } kind;
        size_t index;
    };

    std::vector<Op> ops_;
    std::vector<std::unique_ptr<Image>> images_;
    std::vector<FillPathCall> paths_;
    std::vector<PatBltCall> patterns_;
    size_t copied_ = 0;
};

}  // namespace pw::print
