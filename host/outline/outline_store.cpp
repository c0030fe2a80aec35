#include "outline/outline_store.h"

#include <algorithm>
#include <cmath>

#include "kel/errlog.h"
#include "outline/contour_trace.h"
#include "store/polygon_mask.h"

namespace lucentra {

OutlineStore::OutlineStore(OutlineSource source) : source_(std::move(source)) {}

int OutlineStore::fail(int code, const std::string& message) {
    error_ = message;
    return err.log(code, "lucentra", __LINE__, 9, 2, 2, 1, "%s", message.c_str());
}

int OutlineStore::Setup() {
    set_up_ = true;
    cancelled_ = false;
    error_.clear();
    return KEL_OK;
}

std::vector<CLART_FIGURE> OutlineStore::trace() const {
    const PageInfo& page = source_.image->page(source_.page);
    // Whole pixels covering the region, within the page.
    const int x0 = std::clamp((int)std::floor(source_.left), 0, page.width);
    const int x1 = std::clamp((int)std::ceil(source_.right), 0, page.width);
    const int y0 = std::clamp((int)std::floor(source_.top), 0, page.height);
    const int y1 = std::clamp((int)std::ceil(source_.bottom), 0, page.height);
    BilevelImage image;
    image.width = x1 - x0;
    image.height = y1 - y0;
    if (image.width <= 0 || image.height <= 0) return {};
    image.pixels.assign((size_t)image.width * image.height, 0);

    PolygonMask mask(source_.polygon);
    std::vector<double> crossings;
    std::vector<uint8_t> row(page.row_bytes());
    auto reader = source_.image->open_rows(source_.page);
    for (int y = 0; y < y1; ++y) {
        reader->read(row.data());
        if (y < y0) continue;
        uint8_t* out = image.pixels.data() + (size_t)(y - y0) * image.width;
        mask.crossings(y + 0.5, &crossings);
        for (size_t k = 0; k + 1 < crossings.size(); k += 2) {
            // Pixels whose centre lies between the two crossings.
            int from = std::max(x0, (int)std::ceil(crossings[k] - 0.5));
            int to = std::min(x1, (int)std::ceil(crossings[k + 1] - 0.5));
            for (int x = from; x < to; ++x) {
                const uint8_t* p = row.data() + (size_t)x * page.channels;
                int gray = page.channels == 1 ? p[0] : (77 * p[0] + 150 * p[1] + 29 * p[2] + 128) >> 8;
                out[x - x0] = gray < 128;
            }
        }
    }
    return trace_contours(image, (float)x0, (float)y0);
}

int OutlineStore::Pull(EHOLDER* holder) {
    if (cancelled_ || (source_.stop && source_.stop->load())) return KEL_CANCELLED;
    if (!set_up_) return fail(KEL_ERR_BAD_STATE, "the outlines were asked for before Setup");
    if (!holder || !holder->IsA(CID_BEZIERS)) return fail(KEL_ERR_UNSUPPORTED, "this region has outlines, not pixels");

    std::vector<CLART_FIGURE> figures;
    if (source_.trace) {
        try {
            figures = trace();
        } catch (const DecodeError& e) {
            return fail(KEL_ERR_IO, e.what());
        } catch (const std::bad_alloc&) {
            return fail(KEL_ERR_NO_MEMORY, source_.image->path() + ": no memory to trace the region");
        }
    } else {
        figures = source_.figures;
    }

    // Scan pixels (y down) to drawing units (y up).
    CLART& art = *static_cast<EBEZIERS*>(holder)->GetArt();
    art.figures.clear();
    auto flip = [](EPOINT& p) { p.y = -p.y; };
    for (CLART_FIGURE& figure : figures) {
        flip(figure.start);
        for (EPOINT& p : figure.points) flip(p);
        art.figures.push_back(std::move(figure));
    }
    art.colour = source_.colour;
    // The region's rectangle is the drawing's frame, not the figures' extent.
    art.min_x = source_.left;
    art.max_x = source_.right;
    art.min_y = -source_.bottom;
    art.max_y = -source_.top;
    return source_.lost_figures > 0 ? KEL_WARN_LOST_OUTLINE : KEL_OK;
}

int OutlineStore::Done() {
    set_up_ = false;
    return KEL_OK;
}

int OutlineStore::Cancel() {
    cancelled_ = true;
    return KEL_OK;
}

}  // namespace lucentra
