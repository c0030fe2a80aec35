#include "print/page_recording.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace pw::print {

DrawStatus PageRecording::stretch_dib(const StretchDibCall& call, int page_width, int page_height, int* lines) {
    // What the page device answers: nothing drawn for an empty or clipped-away
    // call, else the source rows.
    *lines = 0;
    if (call.dst.empty() || call.src.empty()) return DrawStatus::done;
    if (call.dst.right <= 0 || call.dst.bottom <= 0 || call.dst.left >= page_width || call.dst.top >= page_height)
        return DrawStatus::done;

    auto image = std::make_unique<Image>();
    image->call = call;
    DibView& dib = image->call.dib;
    // Only the rows the call reads are kept, top first; the source rectangle
    // moves up with them.
    const int first = call.src.top, rows = call.src.height();
    const size_t bytes = dib.stride * static_cast<size_t>(rows);
    image->rows.reset(new uint8_t[bytes]);
    for (int y = 0; y < rows; ++y)
        std::memcpy(image->rows.get() + dib.stride * static_cast<size_t>(y), call.dib.row(first + y), dib.stride);
    dib.bits = image->rows.get();
    dib.bits_size = bytes;
    dib.height = rows;
    dib.top_down = true;
    image->call.src.top -= first;
    image->call.src.bottom -= first;
    // The header and colour table: the table usually lies in the header's
    // memory; one the DC resolved elsewhere (DIB_PAL_COLORS) is kept after it.
    const auto* header = reinterpret_cast<const uint8_t*>(call.dib.header);
    const size_t header_bytes = header ? call.dib.info_size : 0;
    const size_t table = call.dib.colors ? sizeof(RGBQUAD) * static_cast<size_t>(std::max(call.dib.num_colors, 0)) : 0;
    const auto at = [](const void* p) { return reinterpret_cast<uintptr_t>(p); };
    const bool table_inside = call.dib.colors && header && at(call.dib.colors) >= at(header) &&
                              at(call.dib.colors) + table <= at(header) + header_bytes;
    image->info.assign(header, header + header_bytes);
    size_t table_at = table_inside ? at(call.dib.colors) - at(header) : image->info.size();
    if (call.dib.colors && !table_inside) {
        const auto* colours = reinterpret_cast<const uint8_t*>(call.dib.colors);
        image->info.insert(image->info.end(), colours, colours + table);
    }
    dib.header = header ? reinterpret_cast<const BITMAPINFOHEADER*>(image->info.data()) : nullptr;
    dib.colors = call.dib.colors ? reinterpret_cast<const RGBQUAD*>(image->info.data() + table_at) : nullptr;
    copied_ += bytes + image->info.size();
    ops_.push_back({Op::image, images_.size()});
    images_.push_back(std::move(image));
    *lines = call.src.height();
    return DrawStatus::done;
}

DrawStatus PageRecording::fill_path(const FillPathCall& call) {
    ops_.push_back({Op::path, paths_.size()});
    paths_.push_back(call);
    return DrawStatus::done;
}

DrawStatus PageRecording::pat_blt(const PatBltCall& call) {
    ops_.push_back({Op::pattern, patterns_.size()});
    patterns_.push_back(call);
    return DrawStatus::done;
}

DrawStatus PageRecording::render(RasterDevice& band) const {
    band.clear();
    for (const Op& op : ops_) {
        DrawStatus status = DrawStatus::done;
        switch (op.kind) {
            case Op::image: {
                const StretchDibCall& c = images_[op.index]->call;
                // Calls that miss the band cost nothing more than this test.
                if (c.dst.bottom <= band.first_row() || c.dst.top >= band.end_row()) continue;
                int lines = 0;
                status = band.stretch_dib(c, &lines);
                break;
            }
            case Op::path: status = band.fill_path(paths_[op.index]); break;
            case Op::pattern: status = band.pat_blt(patterns_[op.index]); break;
        }
        if (status != DrawStatus::done) return status;
    }
    return DrawStatus::done;
}

void PageRecording::clear() {
    ops_.clear();
    images_.clear();
    paths_.clear();
    patterns_.clear();
    copied_ = 0;
}

}  // namespace pw::print
