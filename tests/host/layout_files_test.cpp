// Layout files: what our JSON format and PAGE-XML turn into, and the one-line
// errors of layouts that cannot be printed.
#include <gtest/gtest.h>

#include <fstream>

#include "host_test_util.h"
#include "layout/load_layout.h"
#include "tools/sample_images.h"

using namespace lucentra;
using namespace lucentra::test;
using samples::Raster;

namespace {

class LayoutFiles : public ::testing::Test {
protected:
    void SetUp() override {
        // 200 x 100 RGB at 100 dpi: gray on the left half, with one red square
        // at (150..170, 40..60) on the right.
        Raster r(200, 100, 3, 8);
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 200; ++x) {
                bool red = x >= 150 && x < 170 && y >= 40 && y < 60;
                uint8_t* p = r.row(y) + 3 * x;
                p[0] = red ? 220 : 120, p[1] = red ? 20 : 120, p[2] = red ? 20 : 120;
            }
        samples::PngOptions o;
        o.colour_type = 2;
        o.dpi = 100;
        samples::write_png(dir_.file("scan.png"), r, o);
    }

    std::string write(const std::string& name, const std::string& text) {
        std::ofstream(dir_.file(name)) << text;
        return dir_.file(name);
    }
    // The error load_layout gives, or "" when it accepts the file.
    std::string error_of(const std::string& name, const std::string& text) {
        try {
            load_layout(write(name, text));
        } catch (const LayoutError& e) {
            return e.what();
        }
        return "";
    }
    static std::string page_xml(const std::string& ns, const std::string& body, const std::string& page_attrs = "") {
        return "<?xml version=\"1.0\"?>\n<PcGts xmlns=\"http://schema.primaresearch.org/PAGE/gts/pagecontent/" + ns +
               "\">\n<Page imageFilename=\"scan.png\" imageWidth=\"200\" imageHeight=\"100\"" + page_attrs + ">\n" +
               body + "</Page></PcGts>\n";
    }

    TempDir dir_;
};

}  // namespace

TEST_F(LayoutFiles, JsonRegionsKeepEveryField) {
    Layout layout = load_layout(write("a.json", R"({"version": 1, "pages": [{
        "scan": "scan.png", "resolution": [150, 75], "frame": "regions",
        "regions": [
          {"class": "line-art", "box": [0, 0, 100, 50], "name": "title", "comment": "kept for people"},
          {"class": 3104, "polygon": [[0, 50], [100, 50], [50, 100]], "number": 7, "order": -3,
           "orientation": 2, "subtype": 9, "colour": true},
          {"class": "outlines", "box": [100, 0, 200, 100], "drawing": "M100 0 L200 0 L150 100 Z", "fill": "#FF8000"},
          {"class": "refused-3111", "box": [0, 0, 10, 10]}
        ]}]})"));
    ASSERT_EQ(layout.pages.size(), 1u);
    const LayoutPage& page = layout.pages[0];
    EXPECT_EQ(page.scan_path, dir_.file("scan.png"));
    EXPECT_EQ(page.info.xres, 150);
    EXPECT_EQ(page.info.yres, 75);
    EXPECT_FALSE(page.whole_page_frame);
    ASSERT_EQ(page.regions.size(), 4u);
    const LayoutRegion& title = page.regions[0];
    EXPECT_EQ(title.class_id, CID_LINE_ART);
    EXPECT_EQ(title.label, "region 1 (\"title\")");
    EXPECT_EQ(title.number, 1);
    EXPECT_EQ(title.polygon.size(), 4u);
    EXPECT_FALSE(title.colour.has_value());
    const LayoutRegion& photo = page.regions[1];
    EXPECT_EQ(photo.class_id, CID_GRAY_PHOTO);
    EXPECT_EQ(photo.number, 7);
    EXPECT_EQ(photo.order_key, -3);
    EXPECT_EQ(photo.orientation, 2);
    EXPECT_EQ(photo.subtype, 9);
    EXPECT_EQ(photo.colour, true);
    const LayoutRegion& drawing = page.regions[2];
    EXPECT_EQ(drawing.drawing.kind, RegionDrawing::Kind::Path);
    EXPECT_EQ(drawing.drawing.figures.size(), 1u);
    EXPECT_EQ(drawing.fill, 0x0080FFu);  // 0x00BBGGRR
    EXPECT_EQ(page.regions[3].class_id, CID_REFUSED_3111);
}

TEST_F(LayoutFiles, PageXmlRegionsByTypeWithReadingOrder) {
    for (const char* ns : {"2013-07-15", "2019-07-15"}) {
        SCOPED_TRACE(ns);
        Layout layout = load_layout(write("p.xml", page_xml(ns, R"(
  <ReadingOrder><OrderedGroup id="g0">
    <RegionRefIndexed index="2" regionRef="t1"/>
    <OrderedGroupIndexed index="0" id="g1" regionRef="tab">
      <RegionRefIndexed index="1" regionRef="pic"/><RegionRefIndexed index="0" regionRef="sep"/>
    </OrderedGroupIndexed>
  </OrderedGroup></ReadingOrder>
  <TextRegion id="t1" orientation="-88.5"><Coords points="0,0 100,0 100,20 0,20"/>
    <TextRegion id="nested"><Coords points="1,1 5,1 5,5"/></TextRegion></TextRegion>
  <TableRegion id="tab"><Coords points="0,20 100,20 100,40 0,40"/></TableRegion>
  <ImageRegion id="pic"><Coords points="0,40 100,40 100,100 0,100"/></ImageRegion>
  <ImageRegion id="redpic"><Coords points="140,30 190,30 190,70 140,70"/></ImageRegion>
  <GraphicRegion id="g"><Coords><Point x="100" y="0"/><Point x="200" y="0"/><Point x="150" y="30"/></Coords></GraphicRegion>
  <ChartRegion id="c"><Coords points="100,70 200,70 200,100"/></ChartRegion>
  <SeparatorRegion id="sep"><Coords points="0,40 100,40 100,41 0,41"/></SeparatorRegion>
  <MathsRegion id="m"><Coords points="0,0 3,0 3,3"/></MathsRegion>
  <NoiseRegion id="n"><Coords points="0,0 3,0 3,3"/></NoiseRegion>
)")));
        const auto& regions = layout.pages[0].regions;
        ASSERT_EQ(regions.size(), 9u);  // the nested region prints with its parent
        struct Expect {
            const char* id;
            CLASS_ID cls;
            int key;
        } expect[] = {
            {"t1", CID_LINE_ART, 4},         {"tab", CID_LINE_ART, 1},          {"pic", CID_GRAY_PHOTO, 3},
            {"redpic", CID_COLOUR_3102, 5},  {"g", CID_PALETTE_IMAGE, 6},       {"c", CID_PALETTE_IMAGE, 7},
            {"sep", CID_LINE_ART, 2},        {"m", CID_LINE_ART, 8},            {"n", CID_REFUSED_3010, 9},
        };
        for (size_t i = 0; i < 9; ++i) {
            SCOPED_TRACE(expect[i].id);
            EXPECT_EQ(regions[i].id, expect[i].id);
            EXPECT_EQ(regions[i].class_id, expect[i].cls);
            EXPECT_EQ(regions[i].order_key, expect[i].key);
            EXPECT_EQ(regions[i].number, (int)i + 1);
        }
        EXPECT_EQ(regions[0].orientation, 3);  // -88.5 degrees: three quarter turns
        EXPECT_EQ(regions[4].polygon.size(), 3u);
        EXPECT_EQ(regions[3].colour, true);
        EXPECT_EQ(regions[2].colour, false);
    }
}

TEST_F(LayoutFiles, PageXmlResolutionAttributes) {
    Layout layout = load_layout(write("r.xml", page_xml("2019-07-15", "", R"( imageXResolution="40" imageYResolution="20" imageResolutionUnit="PPCM")")));
    EXPECT_DOUBLE_EQ(layout.pages[0].info.xres, 101.6);
    EXPECT_DOUBLE_EQ(layout.pages[0].info.yres, 50.8);
}

TEST_F(LayoutFiles, BadLayoutsGiveOneLineNamingFileAndRegion) {
    const std::string page = R"({"pages": [{"scan": "scan.png", "regions": [)";
    const std::string end = "]}]}";
    struct Case {
        const char* name;
        std::string text;
        std::string message;  // after the file's path
    } cases[] = {
        {"outside.json", page + R"({"class": "line-art", "box": [0, 0, 50, 50]}, {"class": "palette", "box": [150, 50, 210, 90]})" + end,
         ": page 1, region 2: the region lies outside the page: point 2 (210, 50) is not within the scan's 200 x 100 pixels"},
        {"two.json", page + R"({"class": "line-art", "polygon": [[0, 0], [10, 10]], "name": "rule"})" + end,
         ": page 1, region 1 (\"rule\"): the polygon has 2 points; a region needs at least three"},
        {"flat.json", page + R"({"class": "line-art", "polygon": [[0, 0], [10, 10], [20, 20]]})" + end,
         ": page 1, region 1: the polygon encloses no area"},
        {"type.json", page + R"({"class": "hologram", "box": [0, 0, 5, 5]})" + end,
         ": page 1, region 1: unknown region type \"hologram\" (known: line-art, colour-3102, colour-3103, gray-photo, "
         "palette, outlines, page, refused-3010, refused-3111, or their numbers)"},
        {"number.json", page + R"({"class": 3105, "box": [0, 0, 5, 5]})" + end,
         ": page 1, region 1: unknown region type 3105 (known: line-art, colour-3102, colour-3103, gray-photo, "
         "palette, outlines, page, refused-3010, refused-3111, or their numbers)"},
        {"missing.json", R"({"pages": [{"scan": "gone.png", "regions": []}]})",
         ": page 1: the scan \"gone.png\" cannot be used: "},
        {"syntax.json", page + R"({"class": "line-art", "box": [0, 0, 5, 5],})" + end,
         ": not valid JSON: parse error at line 1, column "},
        {"field.json", page + R"({"class": "line-art", "box": [0, 0, 5, 5], "colr": true})" + end,
         ": page 1, region 1: unknown field \"colr\" (known: class, polygon, box, number, order, orientation, "
         "subtype, colour, drawing, fill, name)"},
        {"drawing.json", page + R"({"class": "outlines", "box": [0, 0, 5, 5], "drawing": "M0 0 L5"})" + end,
         ": page 1, region 1: the drawing is not SVG path data: expected a number at character 8"},
        {"nodrawing.json", page + R"({"class": "outlines", "box": [0, 0, 5, 5]})" + end,
         ": page 1, region 1: an outline region needs a \"drawing\" (SVG path data or \"trace\")"},
        {"turn.json", page + R"({"class": "line-art", "box": [0, 0, 5, 5], "orientation": 4})" + end,
         ": page 1, region 1: \"orientation\" must be from 0 to 3, not 4"},
        {"scanpage.json", R"({"pages": [{"scan": "scan.png", "page": 2, "regions": []}]})",
         ": page 1: the scan \"scan.png\" has 1 page, not 2"},
        {"xml-type.xml", page_xml("2019-07-15", R"(<HologramRegion id="h"><Coords points="0,0 5,0 5,5"/></HologramRegion>)"),
         ": region h (HologramRegion, line 4): unknown region type HologramRegion"},
        {"xml-points.xml", page_xml("2013-07-15", R"(<TextRegion id="t"><Coords points="0,0 5,5"/></TextRegion>)"),
         ": region t (TextRegion, line 4): the polygon has 2 points; a region needs at least three"},
        {"xml-outside.xml", page_xml("2013-07-15", R"(<TextRegion id="t"><Coords points="0,0 500,0 5,5"/></TextRegion>)"),
         ": region t (TextRegion, line 4): the region lies outside the page: point 2 (500, 0) is not within the "
         "scan's 200 x 100 pixels"},
        {"xml-size.xml", "<PcGts xmlns=\"http://schema.primaresearch.org/PAGE/gts/pagecontent/2019-07-15\"><Page "
                         "imageFilename=\"scan.png\" imageWidth=\"300\" imageHeight=\"100\"/></PcGts>",
         ": Page: the scan \"scan.png\" is 200 x 100 pixels, but the file describes 300 x 100"},
        {"xml-broken.xml", "<PcGts xmlns=\"http://schema.primaresearch.org/PAGE/gts/pagecontent/2019-07-15\">\n<Page>",
         ": not well-formed XML (line 2): "},
        {"xml-other.xml", "<svg xmlns=\"http://www.w3.org/2000/svg\"/>",
         ": not a PAGE-XML file (the root element is svg in http://www.w3.org/2000/svg, not PcGts in "
         "http://schema.primaresearch.org/PAGE/gts/pagecontent/...)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error = error_of(c.name, c.text);
        const std::string expected = dir_.file(c.name) + c.message;
        // Messages that end in another library's words are compared up to them.
        EXPECT_EQ(error.substr(0, expected.size()), expected);
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
}

TEST_F(LayoutFiles, OnlyLayoutsAreTakenForLayouts) {
    EXPECT_TRUE(is_layout_file(write("x.json", "\xEF\xBB\xBF \n {}")));
    EXPECT_TRUE(is_layout_file(write("x.xml", "<?xml version='1.0'?><a/>")));
    EXPECT_FALSE(is_layout_file(dir_.file("scan.png")));
    EXPECT_FALSE(is_layout_file(dir_.file("absent.json")));
}
