// lucentra metafile: a block of a layout becomes a Windows metafile that another
// reader opens and that replays to exactly the pixels of drawing the block
// directly with the same page-block class.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "host_test_util.h"
#include "job/page_regions.h"
#include "layout/block_form.h"
#include "layout/load_layout.h"
#include "pw/gdi.h"
#include "pw/raster_device.h"
#include "rtfblk.h"
#include "run_program.h"
#include "tools/sample_images.h"

using namespace lucentra;
using namespace lucentra::test;
using samples::Raster;

namespace {

const std::string kLucentra = std::string(PW_BIN_DIR) + "/lucentra";

// A 24-bit DIB section in a memory DC, white, `w` x `h`.
struct Canvas {
    HBITMAP section = nullptr;
    HDC dc = nullptr;
    HGDIOBJ old = nullptr;
    Canvas(int w, int h) {
        BITMAPINFO info{};
        info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        memset(bits, 255, (size_t)((w * 3 + 3) / 4 * 4) * h);
        dc = CreateCompatibleDC(nullptr);
        old = SelectObject(dc, section);
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(section);
    }
    pw::RasterDevice* page() const { return dynamic_cast<pw::RasterDevice*>(pw_dc_device(dc)); }
};

class LayoutMetafile : public ::testing::Test {
protected:
    void SetUp() override {
        // 300 x 200 RGB at 150 dpi: a gray ramp, dark text strokes, a colour checker.
        Raster r(300, 200, 3, 8);
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 300; ++x) {
                uint8_t* p = r.row(y) + 3 * x;
                uint8_t v = (uint8_t)(60 + x * 150 / 300 + y / 4);
                p[0] = p[1] = p[2] = v;
                if (y >= 20 && y < 60 && x % 12 < 5) p[0] = p[1] = p[2] = 10;
                if (x >= 200 && y >= 100) {
                    bool warm = (x / 20 + y / 20) % 2;
                    p[0] = warm ? 230 : 20, p[1] = warm ? 120 : 160, p[2] = warm ? 20 : 220;
                }
            }
        samples::PngOptions o;
        o.colour_type = 2;
        o.dpi = 150;
        samples::write_png(dir_.file("scan.png"), r, o);
        std::ofstream(dir_.file("layout.json")) << R"({"pages": [{"scan": "scan.png", "resolution": 150, "regions": [
            {"class": "line-art", "box": [0, 10, 200, 70], "name": "text"},
            {"class": "gray-photo", "polygon": [[10, 80], [190, 80], [190, 190], [100, 190]], "name": "photo"},
            {"class": "palette", "box": [200, 100, 300, 200], "name": "chart"},
            {"class": "colour-3102", "box": [150, 90, 290, 180], "name": "picture"},
            {"class": "outlines", "box": [0, 0, 50, 50], "drawing": "M0 0 L50 0 L0 50 Z", "name": "mark"}
        ]}]})";
    }

    RunResult lucentra(std::vector<std::string> args) {
        args.insert(args.begin(), kLucentra);
        return run_program(args, {{"XDG_CONFIG_HOME", dir_.path()}}, dir_.path());
    }

    TempDir dir_;
};

}  // namespace

TEST_F(LayoutMetafile, BlockMetafileOpensElsewhereAndReplaysToTheDirectDrawing) {
    auto layout = std::make_shared<const Layout>(load_layout(dir_.file("layout.json")));
    const LayoutPage& page = layout->pages[0];
    struct Case {
        const char* region;
        const char* summary;
    } cases[] = {
        {"text", "region 1 (\"text\"), 400 x 120 pixels at 300 dpi, 1-bit"},
        {"photo", "region 2 (\"photo\"), 180 x 110 pixels at 150 dpi, 8-bit"},
        {"3", "region 3 (\"chart\"), 200 x 200 pixels at 300 dpi, 8-bit with a palette"},  // fine: twice 150
        {"picture", "region 4 (\"picture\"), 140 x 90 pixels at 150 dpi, 24-bit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.region);
        const std::string wmf = dir_.file(std::string(c.region) + ".wmf");
        RunResult run = lucentra({"metafile", dir_.file("layout.json"), "--region", c.region, "-o", wmf});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "Wrote " + wmf + ": " + c.summary + "\n");

        // libwmf reads it.
        const std::string png = wmf + ".png";
        int status = -1;
        std::string said = shell("wmf2gd --maxwidth=300 --maxheight=300 -o " + png + " " + wmf, &status);
        EXPECT_EQ(status, 0) << said;
        EXPECT_GT(std::filesystem::exists(png) ? std::filesystem::file_size(png) : 0, 8u);

        // The same block drawn directly, with the form and store the command uses.
        const LayoutRegion* wanted = nullptr;
        for (const LayoutRegion& r : page.regions)
            if (r.id == c.region || std::to_string(r.number) == c.region) wanted = &r;
        ASSERT_NE(wanted, nullptr);
        PageRegions regions(JobPage{page.image, 0, "layout", std::shared_ptr<const LayoutPage>(layout, &page)});
        size_t index = regions.index_of(*wanted);
        BitmapForm form = block_bitmap_form(*regions.region(index), 150, true);
        std::unique_ptr<EBITMAP> kept = make_block_bitmap(form);
        EBITMAP output(kept.get());
        std::string problem;
        ESTORE* store = regions.make_store(index, &output, nullptr, &problem);
        ASSERT_NE(store, nullptr) << problem;
        RTFBLK block(regions.region(index));
        block.set_bitmap(kept.release());
        block.set_seq(store);
        Canvas direct(form.width, form.height);
        ASSERT_EQ(block.pull_to_dc(direct.dc, 0, 0, form.width, form.height, 0, nullptr), 0);

        // The file replayed one pixel per logical unit.
        std::vector<uint8_t> bytes = samples::read_bytes(wmf);
        HMETAFILE mf = SetMetaFileBitsEx((UINT)bytes.size(), bytes.data());
        ASSERT_NE(mf, nullptr);
        Canvas replay(form.width, form.height);
        SetMapMode(replay.dc, MM_ANISOTROPIC);
        SetViewportExtEx(replay.dc, form.width, form.height, nullptr);
        ASSERT_TRUE(PlayMetaFile(replay.dc, mf));
        DeleteMetaFile(mf);

        int differing = 0, dark = 0;
        for (int y = 0; y < form.height; ++y)
            for (int x = 0; x < form.width; ++x) {
                COLORREF a = direct.page()->pixel(x, y);
                differing += a != replay.page()->pixel(x, y);
                dark += GetRValue(a) < 128;
            }
        EXPECT_EQ(differing, 0);
        EXPECT_GT(dark, 0);  // the block drew something
    }
}

TEST_F(LayoutMetafile, RegionsThatCannotBecomeMetafilesAreRefused) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string message;
    } cases[] = {
        {{"--region", "mark", "-o", dir_.file("m.wmf")}, 2, ": region 5 (\"mark\") is an outline drawing"},
        {{"--region", "9", "-o", dir_.file("m.wmf")}, 2, ": page 1 has no region \"9\""},
        {{"--region", "1", "--page", "2", "-o", dir_.file("m.wmf")}, 2, ": there is no page 2 (the layout has 1)"},
        {{"--region", "1", "-o", dir_.path() + "/no/such/folder/m.wmf"}, 1, "cannot create "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        std::vector<std::string> args{"metafile", dir_.file("layout.json")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        RunResult run = lucentra(args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(dir_.file("m.wmf")));
    }
}
