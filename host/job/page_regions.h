// The regions of one page as the job hands them to a destination, and the
// stores that produce their data once the destination has said in which form it
// wants it.
//
// A plain scanned page is one page region (class 3004) over the whole scan. A
// layout page is its typed regions, each with its polygon, order key,
// orientation, number, subtype and colour. The destination lays a page out over
// the union of its regions; so that every region prints where it lies on the
// scanned page (and the pages of a document share one frame), a layout page
// also gets a page frame: an empty outline region (class 3108, subtype 4, which
// the stacking order leaves in place) over the whole scan. It is left out when
// the layout asks for the destination's own framing, and when the page's only
// printable regions are page regions (a page region prints only when it is
// alone). A page with nothing printable gets the frame in any case, and prints
// blank.
//
// Ownership: PageRegions owns its regions and the stores it made; both must
// outlive the destination's use of them (until the page was sunk).
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "job/job_settings.h"
#include "job/scan_region.h"
#include "kel/holders.h"
#include "layout/layout.h"

namespace lucentra {

class PageRegions {
public:
    explicit PageRegions(const JobPage& page);

    size_t size() const { return regions_.size(); }
    ScanRegion* region(size_t i) const { return regions_[i].region.get(); }
    // How messages name the region ("region 3 (\"title\")", "the page frame").
    const std::string& label(size_t i) const { return regions_[i].label; }
    const PageInfo& info() const { return info_; }

    // The store for region `i`, producing the form `output` (the holder the
    // destination handed out) describes: an ImageStore for a bitmap, an
    // OutlineStore for outlines. Null, with the reason in *problem, when the
    // holder is not one this region can fill. `stop` may be null.
    ESTORE* make_store(size_t i, EHOLDER* output, const std::atomic<bool>* stop, std::string* problem);

    // The index of the region made from `layout_region` (a region of this page's
    // layout), or size() when there is none.
    size_t index_of(const LayoutRegion& layout_region) const;

    // The reason the first failing store gave, or "".
    std::string store_error() const;

private:
    struct Entry {
        std::unique_ptr<ScanRegion> region;
        std::string label;
        const LayoutRegion* layout = nullptr;  // null: a whole page or the frame
        bool frame = false;
        std::unique_ptr<ESTORE> store;
    };

    JobPage page_;
    PageInfo info_;
    std::vector<Entry> regions_;
};

}  // namespace lucentra
