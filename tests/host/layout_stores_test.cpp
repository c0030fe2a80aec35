// The stores behind layout regions: outlines handed out y-up in the region's
// frame, lost figures reported, traced regions masked to their polygon, and
// bitmap regions white outside their polygon.
#include <gtest/gtest.h>

#include "host_test_util.h"
#include "job/page_regions.h"
#include "layout/load_layout.h"
#include "outline/outline_store.h"
#include "outline/svg_path.h"
#include "store/image_store.h"
#include "tools/sample_images.h"

#include <fstream>

using namespace lucentra;
using namespace lucentra::test;
using samples::Raster;

TEST(OutlineStoreTest, FiguresComeOutYUpInTheRegionsFrame) {
    OutlineSource source;
    ParsedPath path = parse_svg_path("M20 30 L40 30 L30 50 Z M0 0 L1e999 0 L1 1 Z");
    source.figures = path.figures;
    source.lost_figures = path.lost_figures;
    source.left = 10, source.top = 20, source.right = 60, source.bottom = 70;
    source.colour = 0x0000FF;
    OutlineStore store(source);
    EBEZIERS holder;
    EXPECT_EQ(store.Pull(&holder), KEL_ERR_BAD_STATE);  // before Setup
    ASSERT_EQ(store.Setup(), KEL_OK);
    EBITMAP bitmap;
    EXPECT_EQ(store.Pull(&bitmap), KEL_ERR_UNSUPPORTED);
    EXPECT_EQ(store.Pull(&holder), KEL_WARN_LOST_OUTLINE);
    const CLART& art = *holder.GetArt();
    ASSERT_EQ(art.figures.size(), 1u);
    EXPECT_EQ(art.figures[0].start.y, -30);
    EXPECT_EQ(art.figures[0].points[1].y, -50);
    EXPECT_EQ(art.min_x, 10);
    EXPECT_EQ(art.max_x, 60);
    EXPECT_EQ(art.min_y, -70);
    EXPECT_EQ(art.max_y, -20);
    EXPECT_EQ(art.colour, 0x0000FFu);
    EXPECT_EQ(store.Done(), KEL_OK);
    store.Cancel();
    EXPECT_EQ(store.Pull(&holder), KEL_CANCELLED);
}

namespace {

// A 40 x 20 gray scan: black everywhere except a white column band x 10..13.
std::shared_ptr<const ImageFile> band_scan(const TempDir& dir) {
    Raster r(40, 20, 1, 8);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) r.row(y)[x] = (x >= 10 && x < 14) ? 255 : 0;
    samples::PngOptions o;
    o.dpi = 100;
    samples::write_png(dir.file("band.png"), r, o);
    return open_image(dir.file("band.png"));
}

}  // namespace

TEST(OutlineStoreTest, TracingKeepsToThePolygon) {
    TempDir dir;
    OutlineSource source;
    source.trace = true;
    source.image = band_scan(dir);
    // A triangle over x 0..20, y 0..20: right angle at the bottom left.
    source.polygon = {{0, 0}, {20, 20}, {0, 20}};
    source.left = 0, source.top = 0, source.right = 20, source.bottom = 20;
    OutlineStore store(source);
    EBEZIERS holder;
    ASSERT_EQ(store.Setup(), KEL_OK);
    ASSERT_EQ(store.Pull(&holder), KEL_OK);
    // The white band splits the triangle's black pixels into two figures.
    const CLART& art = *holder.GetArt();
    EXPECT_EQ(art.figures.size(), 2u);
    for (const CLART_FIGURE& f : art.figures)
        for (const EPOINT& p : f.points) {
            // No point beyond the triangle's edge (x <= y, with y flipped).
            EXPECT_LE(p.x, -p.y + 1) << p.x << "," << p.y;
            EXPECT_TRUE(p.x <= 10 || p.x >= 14);
        }
}

TEST(PageRegionsTest, BitmapRegionsAreWhiteOutsideTheirPolygon) {
    TempDir dir;
    band_scan(dir);
    std::ofstream(dir.file("l.json")) << R"({"pages": [{"scan": "band.png", "regions": [
        {"class": "gray-photo", "polygon": [[0, 0], [20, 0], [0, 20]]},
        {"class": "outlines", "box": [20, 0, 40, 20], "drawing": "trace"}]}]})";
    auto layout = std::make_shared<const Layout>(load_layout(dir.file("l.json")));
    const LayoutPage& page = layout->pages[0];
    PageRegions regions(JobPage{page.image, 0, "l.json", std::shared_ptr<const LayoutPage>(layout, &page)});
    // The page frame comes first and spans the scan; then the two regions.
    ASSERT_EQ(regions.size(), 3u);
    EXPECT_EQ(regions.label(0), "the page frame");
    EXPECT_EQ(regions.region(0)->ClassID(), CID_OUTLINES);
    EXPECT_EQ(regions.region(0)->subtype, 4);
    EXPECT_EQ(regions.region(0)->GetRectangle()->right, 40);
    EXPECT_EQ(regions.index_of(page.regions[1]), 2u);

    // The photo at its own size, 8-bit gray: row y is black for x < 20 - y
    // (pixel centres inside the triangle) except the white band, white after.
    EBITMAP form;
    initialize_ebitmap(20, 20, 8, 100, &form);
    std::string problem;
    ESTORE* store = regions.make_store(1, &form, nullptr, &problem);
    ASSERT_NE(store, nullptr) << problem;
    ASSERT_EQ(store->Setup(), KEL_OK);
    EBITMAP_STRIP strip(&form);
    ASSERT_TRUE(strip.Allocate());
    for (int y = 0; y < 20; ++y) {
        ASSERT_EQ(store->Pull(&strip), y == 19 ? KEL_DONE : KEL_MORE);
        for (int x = 0; x < 20; ++x) {
            bool inside = x + 0.5 < 20 - (y + 0.5);
            int expected = inside && (x < 10 || x >= 14) ? 0 : 255;
            ASSERT_EQ(strip.GetLine()[x], expected) << x << "," << y;
        }
    }
    // A bitmap holder for an outline region is refused with its reason, and so is
    // pixels for the frame.
    EXPECT_EQ(regions.make_store(0, &form, nullptr, &problem), nullptr);
    EXPECT_EQ(problem, "the destination asked for pixels of the page frame");
}

TEST(PageRegionsTest, FrameOnlyWhereItKeepsThePageTogether) {
    TempDir dir;
    band_scan(dir);
    const std::string line_art = R"({"class": "line-art", "box": [0, 0, 5, 5]})";
    const std::string page = R"({"class": "page", "box": [0, 0, 40, 20]})";
    const std::string refused = R"({"class": "refused-3010", "box": [0, 0, 5, 5]})";
    struct Case {
        std::string frame, regions;
        size_t count;
        bool framed;
    } cases[] = {
        {"page", "", 1, true},                         // blank page
        {"page", page, 1, false},                      // a page region alone
        {"page", page + "," + line_art, 3, true},
        {"regions", line_art, 1, false},
        {"regions", refused, 2, true},                 // nothing printable: blank page
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frame + ": " + c.regions);
        std::ofstream(dir.file("f.json")) << R"({"pages": [{"scan": "band.png", "frame": ")" + c.frame +
                                                 R"(", "regions": [)" + c.regions + "]}]}";
        auto layout = std::make_shared<const Layout>(load_layout(dir.file("f.json")));
        const LayoutPage& p = layout->pages[0];
        PageRegions regions(JobPage{p.image, 0, "f.json", std::shared_ptr<const LayoutPage>(layout, &p)});
        EXPECT_EQ(regions.size(), c.count);
        EXPECT_EQ(regions.label(0) == "the page frame", c.framed);
    }
}
