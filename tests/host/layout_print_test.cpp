// lucentra printing layouts end to end: the real program and plug-in, a page of
// typed regions, measured on pdftoppm's rendering of the PDF.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "host_test_util.h"
#include "pw/spool.h"
#include "run_program.h"
#include "tools/sample_images.h"

using namespace lucentra;
using namespace lucentra::test;
using samples::Raster;

namespace {

const std::string kLucentra = std::string(PW_BIN_DIR) + "/lucentra";

// An RGB rendering of one PDF page.
struct Rendering {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    int dx = 0, dy = 0;  // where scan pixel (0, 0) lands
    const uint8_t* at(int x, int y) const { return rgb.data() + 3 * ((size_t)(y + dy) * width + x + dx); }
    int gray(int x, int y) const {
        const uint8_t* p = at(x, y);
        return (p[0] * 299 + p[1] * 587 + p[2] * 114) / 1000;
    }
    int spread(int x, int y) const {
        const uint8_t* p = at(x, y);
        return std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]});
    }
    // Bounding box of pixels darker than `below` inside the scan rectangle
    // x0..x1, y0..y1: x0, y0, x1, y1 (exclusive), in scan pixels.
    std::array<int, 4> dark_box(int x0, int y0, int x1, int y1, int below) const {
        std::array<int, 4> b{x1, y1, x0, y0};
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (gray(x, y) < below)
                    b[0] = std::min(b[0], x), b[1] = std::min(b[1], y), b[2] = std::max(b[2], x + 1),
                    b[3] = std::max(b[3], y + 1);
        return b;
    }
};

Rendering render(const std::string& pdf, int dpi, const std::string& scratch) {
    std::string prefix = scratch + "/render";
    shell("pdftoppm -singlefile -r " + std::to_string(dpi) + " " + pdf + " " + prefix);
    std::string ppm = slurp(prefix + ".ppm");
    Rendering r;
    std::istringstream in(ppm);
    std::string magic;
    int maxval = 0;
    in >> magic >> r.width >> r.height >> maxval;
    in.get();
    if (magic != "P6" || r.width <= 0) return r;
    r.rgb.resize((size_t)r.width * r.height * 3);
    in.read(reinterpret_cast<char*>(r.rgb.data()), (std::streamsize)r.rgb.size());
    return r;
}

const PW_PRINTER_INFO& pdf_printer() {
    static PW_PRINTER_INFO info = [] {
        for (const auto& p : pw_list_printers())
            if (p.name == "PDF") return p;
        return PW_PRINTER_INFO{};
    }();
    return info;
}

class LayoutPrint : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        config_ = new TempDir();
        setenv("XDG_CONFIG_HOME", config_->path().c_str(), 1);
        setenv("LC_PAPER", "en_US.UTF-8", 1);
        unsetenv("LC_ALL");
    }
    static void TearDownTestSuite() {
        delete config_;
        config_ = nullptr;
    }

    RunResult lucentra(std::vector<std::string> args) {
        args.insert(args.begin(), kLucentra);
        return run_program(args, {{"XDG_CONFIG_HOME", config_->path()}, {"LC_PAPER", "en_US.UTF-8"}}, dir_.path());
    }
    std::string write(const std::string& name, const std::string& text) {
        std::ofstream(dir_.file(name)) << text;
        return dir_.file(name);
    }

    // A 6 x 8 inch colour page at 100 dpi:
    //   text bars, black          x 50..300,  y 50..130 (rows 50..69 and 90..109)
    //   a light gray gradient     x 50..350,  y 200..500 (150 at the left to 230)
    //   caption bars, mid gray    x 80..320,  y 350..400 (columns where (x-80) % 60 < 30)
    //   red/blue 50-pixel checker x 300..500, y 420..620 (over the gradient's corner)
    //   a black ring              centre (150, 690), radii 40 and 80
    std::string scan() {
        Raster r(600, 800, 3, 8);
        for (int y = 0; y < 800; ++y)
            for (int x = 0; x < 600; ++x) {
                int v = 255;
                uint8_t c[3];
                if (x >= 50 && x < 350 && y >= 200 && y < 500) v = 150 + (x - 50) * 80 / 300;
                if (x >= 50 && x < 300 && y >= 50 && y < 130 && (y - 50) % 40 < 20) v = 0;
                if (x >= 80 && x < 320 && y >= 350 && y < 400 && (x - 80) % 60 < 30) v = 100;
                int d = (x - 150) * (x - 150) + (y - 690) * (y - 690);
                if (d >= 40 * 40 && d <= 80 * 80) v = 0;
                c[0] = c[1] = c[2] = (uint8_t)v;
                if (x >= 300 && x < 500 && y >= 420 && y < 620) {
                    bool red = (x / 50 + y / 50) % 2 == 1;
                    c[0] = red ? 200 : 30, c[1] = 30, c[2] = red ? 30 : 200;
                }
                memcpy(r.row(y) + 3 * x, c, 3);
            }
        samples::PngOptions o;
        o.colour_type = 2;
        o.dpi = 100;
        samples::write_png(dir_.file("scan.png"), r, o);
        return dir_.file("scan.png");
    }

    // Where scan pixel (0, 0) lands at 100 dpi: the printable area's corner.
    static void place(Rendering& page) {
        page.dx = (int)std::lround(pdf_printer().printable_left / 2540.0 * 100);
        page.dy = (int)std::lround(pdf_printer().printable_top / 2540.0 * 100);
    }

    static TempDir* config_;
    TempDir dir_;
};
TempDir* LayoutPrint::config_ = nullptr;

}  // namespace

TEST_F(LayoutPrint, RegionsPrintInPlaceStackedAndOutlinesStayVectors) {
    scan();
    // The caption comes before the photo: the stacking order must put the photo
    // under it. The resolution is stated: PNG can only say 99.9998 dpi.
    std::string layout = write("page.json", R"({"pages": [{"scan": "scan.png", "resolution": 100, "regions": [
        {"class": "line-art", "box": [50, 50, 300, 130], "name": "text"},
        {"class": "line-art", "box": [80, 350, 320, 400], "name": "caption"},
        {"class": "gray-photo", "box": [50, 200, 350, 500], "name": "photo"},
        {"class": "palette", "box": [300, 420, 500, 620], "name": "graphic"},
        {"class": "outlines", "box": [400, 50, 550, 200], "drawing": "M400 200 L550 200 L475 50 Z"},
        {"class": "outlines", "box": [50, 600, 250, 780], "drawing": "trace"}
    ]}]})");
    std::string pdf = dir_.file("page.pdf");
    RunResult run = lucentra({"print", layout, "--output", pdf});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Printed 1 page on \"PDF\": " + pdf + "\n");
    int status = -1;
    shell("qpdf --check " + pdf, &status);
    EXPECT_EQ(status, 0);

    Rendering page = render(pdf, 100, dir_.path());
    ASSERT_GT(page.width, 0);
    place(page);
    // Text: its bars where the scan has them, at their size.
    auto text = page.dark_box(40, 40, 310, 140, 100);
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(text[k], (std::array<int, 4>{50, 50, 300, 110})[k], 1) << k;
    EXPECT_GT(page.gray(175, 80), 240);  // between the bars
    // The photo: gray from its left edge, white just outside.
    EXPECT_GT(page.gray(45, 250), 245);
    EXPECT_LT(page.gray(55, 250), 240);
    EXPECT_GT(page.gray(55, 250), 60);
    // Line art over the photo: the caption's bars are solid black (the photo has
    // them mid-gray), and between the bars the photo still shows (SRCAND).
    EXPECT_LT(page.gray(95, 375), 30);
    EXPECT_GT(page.gray(125, 375), 100);
    EXPECT_LT(page.gray(125, 375), 240);
    // The palette graphic at its place, over the photo where they overlap: its
    // colours show there, not the photo's gray.
    EXPECT_GT(page.spread(325, 440), 60);  // a blue square inside the photo's corner
    EXPECT_GT(page.spread(460, 560), 60);  // a blue square outside it
    EXPECT_GT(page.gray(295, 560), 245);
    EXPECT_GT(page.gray(505, 560), 245);
    EXPECT_GT(page.gray(450, 415), 245);
    EXPECT_GT(page.gray(450, 625), 245);
    // The triangle, drawn from its path at its place and size.
    auto triangle = page.dark_box(390, 40, 560, 210, 128);
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(triangle[k], (std::array<int, 4>{400, 50, 550, 200})[k], 2) << k;
    EXPECT_LT(page.gray(475, 150), 30);
    EXPECT_GT(page.gray(410, 60), 245);
    // The traced ring, with its hole.
    EXPECT_LT(page.gray(150 + 60, 690), 30);
    EXPECT_LT(page.gray(150, 690 - 60), 30);
    EXPECT_GT(page.gray(150, 690), 245);
    auto ring = page.dark_box(50, 600, 250, 780, 128);
    for (int k = 0; k < 4; ++k) EXPECT_NEAR(ring[k], (std::array<int, 4>{70, 610, 231, 771})[k], 2) << k;

    // Four images (text, caption, photo, graphic); the outlines are paths.
    std::string images = shell("pdfimages -list " + pdf);
    int count = 0;
    for (size_t at = 0; (at = images.find("\n   1 ", at)) != std::string::npos; ++at) ++count;
    EXPECT_EQ(count, 4) << images;
}

TEST_F(LayoutPrint, PageXmlWithTruePolygonsPrintsMasked) {
    scan();
    std::string xml = write("page.xml", R"(<?xml version="1.0" encoding="UTF-8"?>
<PcGts xmlns="http://schema.primaresearch.org/PAGE/gts/pagecontent/2019-07-15">
  <Page imageFilename="scan.png" imageWidth="600" imageHeight="800" imageXResolution="100" imageYResolution="100">
    <ReadingOrder><OrderedGroup id="ro"><RegionRefIndexed index="0" regionRef="t"/>
      <RegionRefIndexed index="1" regionRef="img"/></OrderedGroup></ReadingOrder>
    <TextRegion id="t"><Coords points="50,50 300,50 300,130 50,130"/></TextRegion>
    <ImageRegion id="img"><Coords points="50,200 350,200 350,350 200,500 50,500"/></ImageRegion>
    <NoiseRegion id="n"><Coords points="0,0 40,0 40,40"/></NoiseRegion>
  </Page>
</PcGts>
)");
    std::string pdf = dir_.file("xml.pdf");
    RunResult run = lucentra({"print", xml, "--output", pdf});
    ASSERT_EQ(run.status, 0) << run.err;
    Rendering page = render(pdf, 100, dir_.path());
    ASSERT_GT(page.width, 0);
    place(page);
    EXPECT_LT(page.gray(175, 60), 30);        // text
    EXPECT_LT(page.gray(100, 300), 240);      // the photo inside its polygon
    EXPECT_GT(page.gray(100, 300), 60);
    EXPECT_GT(page.gray(340, 490), 245);      // its bounding box's cut corner is white
    EXPECT_LT(page.gray(260, 420), 240);      // just inside the diagonal
}

TEST_F(LayoutPrint, LostOutlinePrintsTheRestAndSaysSo) {
    scan();
    std::string layout = write("lost.json", R"({"pages": [{"scan": "scan.png", "regions": [
        {"class": "outlines", "box": [400, 50, 550, 200], "drawing": "M400 200 L550 200 L475 50 Z M0 0 L1e999 5 L3 3"}
    ]}]})");
    std::string pdf = dir_.file("lost.pdf");
    RunResult run = lucentra({"print", layout, "--output", pdf});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("part of an outline drawing could not be drawn"), std::string::npos) << run.err;
    Rendering page = render(pdf, 100, dir_.path());
    ASSERT_GT(page.width, 0);
    place(page);
    EXPECT_LT(page.gray(475, 150), 30);
}

TEST_F(LayoutPrint, BadLayoutsStopBeforeAnythingIsPrinted) {
    scan();
    const std::string head = R"({"pages": [{"scan": "scan.png", "regions": [{"class": "line-art", "box": [0, 0, 10, 10]}, )";
    struct Case {
        const char* name;
        std::string text;
        std::string message;
    } cases[] = {
        {"outside.json", head + R"({"class": "gray-photo", "box": [500, 700, 650, 800]}]}]})",
         "page 1, region 2: the region lies outside the page"},
        {"points.json", head + R"({"class": "line-art", "polygon": [[1, 1], [5, 5]]}]}]})",
         "page 1, region 2: the polygon has 2 points; a region needs at least three"},
        {"type.json", head + R"({"class": "sculpture", "box": [1, 1, 5, 5]}]}]})",
         "page 1, region 2: unknown region type \"sculpture\""},
        {"image.json", R"({"pages": [{"scan": "scan.png", "regions": []}, {"scan": "nowhere.png", "regions": []}]})",
         "page 2: the scan \"nowhere.png\" cannot be used"},
        {"json.json", head + "]", "not valid JSON"},
        {"xml.xml", "<PcGts xmlns=\"http://schema.primaresearch.org/PAGE/gts/pagecontent/2013-07-15\"><Page>",
         "not well-formed XML"},
        {"region.xml", "<PcGts xmlns=\"http://schema.primaresearch.org/PAGE/gts/pagecontent/2013-07-15\"><Page "
                       "imageFilename=\"scan.png\"><FooRegion id=\"f1\"><Coords points=\"1,1 5,1 5,5\"/></FooRegion>"
                       "</Page></PcGts>",
         "region f1 (FooRegion, line 1): unknown region type FooRegion"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string input = write(c.name, c.text);
        std::string pdf = dir_.file(std::string(c.name) + ".pdf");
        RunResult run = lucentra({"print", input, "--output", pdf});
        EXPECT_EQ(run.status, 2);
        EXPECT_FALSE(run.signalled);
        ASSERT_EQ(run.err_lines().size(), 1u) << run.err;
        EXPECT_EQ(run.err.rfind("lucentra: " + input + ": ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(pdf));
        EXPECT_EQ(run.out, "");
    }
}
