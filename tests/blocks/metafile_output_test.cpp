// Metafile output: the picture's size and resolution, the metafile's window,
// that another reader (libwmf's wmf2gd) opens it, that it replays to the
// right pixels, and that a failed pull hands out no metafile.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "block_fixtures.h"
#include "pw/gdi.h"
#include "pw/raster_device.h"
#include "rtfblk.h"

using namespace blocks_test;

namespace {

// An 8-bit gray block served line by line by a scripted store.
struct Picture {
    ESCRIPTEDSTORE store;
    RTFBLK block;
    Picture(int width, int height, float dpi, std::vector<unsigned char> lines)
        : Picture(bitmap_of(width, height, 8, dpi, BMT_GRAY), std::move(lines)) {}
    Picture(std::unique_ptr<EBITMAP> bm, std::vector<unsigned char> lines)
        : store(sized(std::move(lines), bm->GetBytesPerLine(), bm->GetHeight()), bm->GetBytesPerLine(),
                bm->GetHeight()) {
        block.set_bitmap(bm.release());
        block.set_seq(&store);
    }
};

std::vector<uint8_t> bytes_of(HMETAFILE mf) {
    std::vector<uint8_t> b(GetMetaFileBitsEx(mf, 0, nullptr));
    GetMetaFileBitsEx(mf, (UINT)b.size(), b.data());
    return b;
}

// The parameter words of the first record with function `fn`.
std::vector<int16_t> record_params(const std::vector<uint8_t>& b, int fn) {
    size_t at = 18;
    while (at + 6 <= b.size()) {
        const uint32_t words = b[at] | b[at + 1] << 8 | b[at + 2] << 16 | (uint32_t)b[at + 3] << 24;
        const int function = b[at + 4] | b[at + 5] << 8;
        if (words < 3 || at + (size_t)words * 2 > b.size()) break;
        if (function == fn) {
            std::vector<int16_t> params;
            for (size_t p = at + 6; p < at + (size_t)words * 2; p += 2) params.push_back((int16_t)(b[p] | b[p + 1] << 8));
            return params;
        }
        at += (size_t)words * 2;
    }
    return {};
}

}  // namespace

TEST(MetafileOutput, LetterPageAt300DpiGivesItsSizeAndAWindowOfItsPixels) {
    err.clear();
    const int w = 2550, h = 3300;
    // Left half black, right half white; engine lines are padded to 4 bytes.
    const size_t line = (w + 3) / 4 * 4;
    std::vector<unsigned char> image(line * h, 255);
    for (int y = 0; y < h; ++y) std::fill(image.begin() + y * line, image.begin() + y * line + w / 2, 0);
    Picture pic(w, h, 300, image);

    HMETAFILE mf = nullptr;
    short width = 0, height = 0;
    unsigned short resolution = 0;
    ASSERT_EQ(pic.block.pull_to_metafile(&mf, &width, &height, &resolution), 0);
    ASSERT_NE(mf, nullptr);
    EXPECT_EQ(width, 2550);
    EXPECT_EQ(height, 3300);
    EXPECT_EQ(resolution, 300);

    const std::vector<uint8_t> bytes = bytes_of(mf);
    EXPECT_EQ(record_params(bytes, META_SETMAPMODE), std::vector<int16_t>{MM_ANISOTROPIC});
    EXPECT_EQ(record_params(bytes, META_SETWINDOWORG), (std::vector<int16_t>{0, 0}));
    EXPECT_EQ(record_params(bytes, META_SETWINDOWEXT), (std::vector<int16_t>{3300, 2550}));  // y, x

    // Replayed at a tenth of the size, the halves are where they belong.
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), 255, 330, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, section);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetViewportExtEx(dc, 255, 330, nullptr);
    ASSERT_TRUE(PlayMetaFile(dc, mf));
    auto* page = dynamic_cast<pw::RasterDevice*>(pw_dc_device(dc));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->pixel(60, 165), RGB(0, 0, 0));
    EXPECT_EQ(page->pixel(190, 165), RGB(255, 255, 255));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(section);

    // Another reader opens it.
    char dir_template[] = "/tmp/blocks_wmf_XXXXXX";
    const std::string dir = mkdtemp(dir_template);
    const std::string wmf = dir + "/page.wmf", png = dir + "/page.png";
    std::ofstream(wmf, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), (std::streamsize)bytes.size());
    const std::string cmd = "wmf2gd --maxwidth=200 --maxheight=200 -o " + png + " " + wmf + " 2>" + dir + "/err";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << "wmf2gd failed, see " << dir << "/err";
    std::ifstream out(png, std::ios::binary | std::ios::ate);
    EXPECT_GT((long)out.tellg(), 8L) << "wmf2gd wrote no picture";
    std::system(("rm -rf " + dir).c_str());

    EXPECT_TRUE(DeleteMetaFile(mf));
    EXPECT_TRUE(entries_of("rtfblk").empty());
}

TEST(MetafileOutput, ResolutionIsTruncated) {
    Picture pic(2, 2, 299.9f, {0, 255, 0, 0, 255, 0, 0, 0});
    HMETAFILE mf = nullptr;
    short width = 0, height = 0;
    unsigned short resolution = 0;
    ASSERT_EQ(pic.block.pull_to_metafile(&mf, &width, &height, &resolution), 0);
    EXPECT_EQ(resolution, 299);
    DeleteMetaFile(mf);
}

TEST(MetafileOutput, CancelledPullHandsOutNoMetafile) {
    err.clear();
    Picture pic(4, 3, 300, {});
    pic.store.pull_results[1] = KEL_CANCELLED;
    HMETAFILE mf = reinterpret_cast<HMETAFILE>(0x1234);  // must stay as it is
    short width = 0, height = 0;
    unsigned short resolution = 0;
    EXPECT_EQ(pic.block.pull_to_metafile(&mf, &width, &height, &resolution), KEL_CANCELLED);
    EXPECT_EQ(mf, reinterpret_cast<HMETAFILE>(0x1234));
    EXPECT_EQ(width, 4);  // written before the metafile is made
    EXPECT_EQ(height, 3);
    EXPECT_EQ(resolution, 300);
    auto log = entries_of("rtfblk");
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().message, "No memory to copy bitmap into metafile dc");
    EXPECT_EQ(log.back().code, KEL_CANCELLED);
    EXPECT_EQ(log.front().message, "Cancelled by return from pull");
}
