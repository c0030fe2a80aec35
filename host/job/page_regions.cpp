#include "job/page_regions.h"

#include <algorithm>

#include "layout/region_classes.h"
#include "outline/outline_store.h"
#include "store/image_store.h"

namespace lucentra {
namespace {

// Below every order key a layout may give (layouts keep theirs within
// +-1e9, so the destination's key differences stay within 32 bits).
constexpr int kFrameOrderKey = -1000000001;

// The region's bounding rectangle in scan pixels: left, top, right, bottom.
struct Bounds {
    float left, top, right, bottom;
};

Bounds bounds_of(const std::vector<EPOINT>& polygon) {
    Bounds b{polygon[0].x, polygon[0].y, polygon[0].x, polygon[0].y};
    for (const EPOINT& p : polygon) {
        b.left = std::min(b.left, p.x), b.right = std::max(b.right, p.x);
        b.top = std::min(b.top, p.y), b.bottom = std::max(b.bottom, p.y);
    }
    return b;
}

std::vector<EPOINT> page_corners(const PageInfo& info) {
    const float w = (float)info.width, h = (float)info.height;
    return {{0, 0}, {w, 0}, {w, h}, {0, h}};
}

}  // namespace

PageRegions::PageRegions(const JobPage& page) : page_(page) {
    if (!page.layout) {
        info_ = page.image->page(page.page);
        Entry e;
        e.region = ScanRegion::whole_page(info_, 1);
        e.label = "the page";
        regions_.push_back(std::move(e));
        return;
    }
    const LayoutPage& layout = *page.layout;
    info_ = layout.info;
    int page_regions = 0, other_regions = 0;  // printable ones
    for (const LayoutRegion& r : layout.regions) {
        const bool colour = r.colour.value_or(info_.has_colour);
        Entry e;
        e.region = std::make_unique<ScanRegion>(r.class_id, info_.xres, info_.yres, r.polygon, colour, r.order_key,
                                                r.orientation, r.number);
        e.region->subtype = r.subtype;
        e.label = r.label;
        e.layout = &r;
        regions_.push_back(std::move(e));
        if (r.class_id == CID_PAGE_REGION)
            ++page_regions;
        else if (r.class_id != CID_REFUSED_3010 && r.class_id != CID_REFUSED_3111)
            ++other_regions;
    }
    // A page region alone prints itself and must stay alone; a page with nothing
    // printable still needs a frame to be laid out, as a blank page.
    const bool frame = other_regions == 0 ? page_regions == 0 : layout.whole_page_frame;
    if (frame) {
        Entry e;
        // Ordered before every region and numbered 0: it draws nothing, and the
        // destination takes it first.
        e.region = std::make_unique<ScanRegion>(CID_OUTLINES, info_.xres, info_.yres, page_corners(info_), false,
                                                kFrameOrderKey, 0, 0);
        e.region->subtype = 4;
        e.label = "the page frame";
        e.frame = true;
        regions_.insert(regions_.begin(), std::move(e));
    }
}

ESTORE* PageRegions::make_store(size_t i, EHOLDER* output, const std::atomic<bool>* stop, std::string* problem) {
    Entry& e = regions_[i];
    auto* bitmap = dynamic_cast<EBITMAP*>(output);
    auto* beziers = dynamic_cast<EBEZIERS*>(output);
    if (beziers) {
        OutlineSource source;
        std::vector<EPOINT> polygon = e.layout ? e.layout->polygon : page_corners(info_);
        Bounds b = bounds_of(polygon);
        source.left = b.left, source.top = b.top, source.right = b.right, source.bottom = b.bottom;
        source.stop = stop;
        if (e.layout) {
            if (e.layout->drawing.kind == RegionDrawing::Kind::None) {
                *problem = e.label + ": the destination asked for outlines of a " +
                           region_class_name(e.layout->class_id) + " region, which has no drawing";
                return nullptr;
            }
            source.colour = e.layout->fill;
            source.trace = e.layout->drawing.kind == RegionDrawing::Kind::Trace;
            source.figures = e.layout->drawing.figures;
            source.lost_figures = e.layout->drawing.lost_figures;
            source.image = page_.image;
            source.page = page_.page;
            source.polygon = polygon;
        } else if (!e.frame) {
            *problem = "the destination asked for outlines of a scanned page";
            return nullptr;
        }
        e.store = std::make_unique<OutlineStore>(std::move(source));
        return e.store.get();
    }
    if (!bitmap) {
        *problem = e.label + ": the destination asked for data of a kind lucentra cannot produce";
        return nullptr;
    }
    if (e.frame) {
        *problem = "the destination asked for pixels of the page frame";
        return nullptr;
    }
    StoreSource source;
    source.image = page_.image;
    source.page = page_.page;
    source.window = SourceWindow{0, 0, (double)info_.width, (double)info_.height};
    source.stop = stop;
    if (e.layout) {
        Bounds b = bounds_of(e.layout->polygon);
        source.window = SourceWindow{b.left, b.top, b.right, b.bottom};
        source.line_art = e.layout->class_id == CID_LINE_ART;
        auto mask = std::make_shared<PolygonMask>(e.layout->polygon);
        if (!mask->is_rectangle()) source.mask = std::move(mask);
    }
    e.store = std::make_unique<ImageStore>(std::move(source), StoreForm::of(*bitmap));
    return e.store.get();
}

size_t PageRegions::index_of(const LayoutRegion& layout_region) const {
    for (size_t i = 0; i < regions_.size(); ++i)
        if (regions_[i].layout == &layout_region) return i;
    return regions_.size();
}

std::string PageRegions::store_error() const {
    for (const Entry& e : regions_) {
        if (auto* s = dynamic_cast<ImageStore*>(e.store.get()); s && !s->error().empty()) return s->error();
        if (auto* s = dynamic_cast<OutlineStore*>(e.store.get()); s && !s->error().empty()) return s->error();
    }
    return "";
}

}  // namespace lucentra
