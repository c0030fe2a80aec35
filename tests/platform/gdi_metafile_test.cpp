// Windows metafiles: the recorded bytes, other readers (wmf2gd), playback
// into the raster device, and malformed bytes.
#include "gdi_test_util.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <unistd.h>

using namespace gdi_test;
using pw::PixelFormat;

namespace {

std::vector<uint8_t> bytes_of(HMETAFILE mf) {
    std::vector<uint8_t> b(GetMetaFileBitsEx(mf, 0, nullptr));
    EXPECT_EQ(GetMetaFileBitsEx(mf, static_cast<UINT>(b.size()), b.data()), b.size());
    return b;
}

uint32_t rd32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// Record functions in order, read straight from the bytes.
std::vector<int> functions(const std::vector<uint8_t>& b) {
    std::vector<int> out;
    for (size_t at = 18; at + 6 <= b.size();) {
        uint32_t words = rd32(b, at);
        out.push_back(b[at + 4] | b[at + 5] << 8);
        if (words < 3) break;
        at += words * 2;
    }
    return out;
}

// A 40 x 40 picture in four coloured quadrants: red, green / blue, yellow.
Dib quadrants() {
    std::vector<std::vector<uint32_t>> rows(40, std::vector<uint32_t>(40));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            rows[y][x] = y < 20 ? (x < 20 ? RGB(255, 0, 0) : RGB(0, 255, 0))
                                : (x < 20 ? RGB(0, 0, 255) : RGB(255, 255, 0));
    return make_dib(24, {}, rows);
}

// What the plug-in's metafile output does: anisotropic mapping with one
// logical unit per image pixel, then the image, then (here) a little more.
void draw_picture(HDC dc, bool with_extras) {
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetWindowExtEx(dc, 40, 40, nullptr);
    SetStretchBltMode(dc, COLORONCOLOR);
    Dib d = quadrants();
    EXPECT_EQ(stretch(dc, d, 0, 0, 40, 40, 0, 0, 40, 40), 40);
    if (!with_extras) return;
    // A two-colour image through a palette and SRCAND, and a filled triangle.
    std::vector<uint8_t> mem(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY));
    auto* lp = reinterpret_cast<LOGPALETTE*>(mem.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = 2;
    lp->palPalEntry[0] = PALETTEENTRY{0, 0, 0, PC_NOCOLLAPSE};
    lp->palPalEntry[1] = PALETTEENTRY{255, 255, 255, PC_NOCOLLAPSE};
    HPALETTE pal = CreatePalette(lp);
    HPALETTE old = SelectPalette(dc, pal, FALSE);
    RealizePalette(dc);
    SetStretchBltMode(dc, BLACKONWHITE);
    Dib cross = make_dib(1, kBlackWhite, {{1, 0, 1}, {0, 0, 0}, {1, 0, 1}});
    EXPECT_EQ(stretch(dc, cross, 5, 5, 30, 30, 0, 0, 3, 3, SRCAND), 3);
    SelectPalette(dc, old, FALSE);
    DeleteObject(pal);
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 255));
    HGDIOBJ old_brush = SelectObject(dc, brush);
    BeginPath(dc);
    MoveToEx(dc, 2, 38, nullptr);
    LineTo(dc, 12, 38);
    LineTo(dc, 2, 28);
    CloseFigure(dc);
    EndPath(dc);
    FillPath(dc);
    SelectObject(dc, old_brush);
    DeleteObject(brush);
}

HMETAFILE record(bool with_extras) {
    HDC mdc = CreateMetaFileA(nullptr);
    EXPECT_TRUE(mdc);
    draw_picture(mdc, with_extras);
    return CloseMetaFile(mdc);
}

struct Png {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    COLORREF at(int x, int y) const {
        const uint8_t* p = rgb.data() + 3 * (static_cast<size_t>(y) * width + x);
        return RGB(p[0], p[1], p[2]);
    }
};

bool read_png(const std::string& path, Png* out) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    out->width = static_cast<int>(image.width);
    out->height = static_cast<int>(image.height);
    out->rgb.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, out->rgb.data(), 0, nullptr) != 0;
}

bool near(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= 48 && std::abs(GetGValue(a) - GetGValue(b)) <= 48 &&
           std::abs(GetBValue(a) - GetBValue(b)) <= 48;
}

std::string temp_dir() {
    char tmpl[] = "/tmp/gdi_wmf_XXXXXX";
    return mkdtemp(tmpl);
}

} // namespace

TEST(GdiMetafile, RecordsStandardRecordsAfterAStandardHeader) {
    HMETAFILE mf = record(false);
    ASSERT_TRUE(mf);
    std::vector<uint8_t> b = bytes_of(mf);
    ASSERT_GE(b.size(), 18u);
    EXPECT_EQ(b[0] | b[1] << 8, 1);        // memory metafile
    EXPECT_EQ(b[2] | b[3] << 8, 9);        // header words
    EXPECT_EQ(b[4] | b[5] << 8, 0x300);    // version
    EXPECT_EQ(rd32(b, 6) * 2, b.size());   // whole size in words
    EXPECT_EQ(functions(b), (std::vector<int>{META_SETMAPMODE, META_SETWINDOWORG, META_SETWINDOWEXT,
                                              META_SETSTRETCHBLTMODE, META_STRETCHDIB, META_EOF}));
    // The STRETCHDIB record: 3 header words + 11 parameter words + 40-byte header + 40 rows of 120 bytes.
    EXPECT_EQ(rd32(b, 18 + 8 + 10 + 10 + 8), 3u + 11 + 20 + 40 * 60);

    std::vector<uint8_t> small(10);
    EXPECT_EQ(GetMetaFileBitsEx(mf, 10, small.data()), 0u);
    EXPECT_TRUE(DeleteMetaFile(mf));
    EXPECT_FALSE(DeleteMetaFile(mf));
    EXPECT_EQ(GetMetaFileBitsEx(mf, 0, nullptr), 0u);
}

TEST(GdiMetafile, Wmf2gdRendersTheColoursWhereTheyBelong) {
    HMETAFILE mf = record(false);
    ASSERT_TRUE(mf);
    std::vector<uint8_t> b = bytes_of(mf);
    DeleteMetaFile(mf);
    const std::string dir = temp_dir(), wmf = dir + "/pic.wmf", png = dir + "/pic.png";
    std::ofstream(wmf, std::ios::binary).write(reinterpret_cast<const char*>(b.data()),
                                               static_cast<std::streamsize>(b.size()));
    const std::string cmd = "wmf2gd --maxwidth=200 --maxheight=200 -o " + png + " " + wmf + " 2>" + dir + "/err";
    // libwmf needs its fonts (fonts-urw-base35) even for a picture without text.
    ASSERT_EQ(std::system(cmd.c_str()), 0) << "wmf2gd failed, see " << dir << "/err";
    Png img;
    ASSERT_TRUE(read_png(png, &img));
    ASSERT_GT(img.width, 8);
    ASSERT_GT(img.height, 8);
    // Quadrant centres; readers smooth, so colours are compared with a tolerance.
    const int w = img.width, h = img.height;
    EXPECT_TRUE(near(img.at(w / 4, h / 4), RGB(255, 0, 0)));
    EXPECT_TRUE(near(img.at(3 * w / 4, h / 4), RGB(0, 255, 0)));
    EXPECT_TRUE(near(img.at(w / 4, 3 * h / 4), RGB(0, 0, 255)));
    EXPECT_TRUE(near(img.at(3 * w / 4, 3 * h / 4), RGB(255, 255, 0)));
    std::system(("rm -rf " + dir).c_str());
}

TEST(GdiMetafile, PlaybackGivesExactlyThePixelsOfDrawingDirectly) {
    for (PixelFormat f : {PixelFormat::bgr24, PixelFormat::mono1}) {
        HMETAFILE mf = record(true);
        ASSERT_TRUE(mf);
        Page direct(80, 80, f), played(80, 80, f);
        // The caller chooses the viewport: 40 logical units become 80 pixels.
        for (Page* p : {&direct, &played}) {
            SetMapMode(p->dc, MM_ANISOTROPIC);
            SetViewportExtEx(p->dc, 80, 80, nullptr);
        }
        draw_picture(direct.dc, true);
        ASSERT_TRUE(PlayMetaFile(played.dc, mf));
        const size_t bytes = static_cast<size_t>(direct.dev->stride()) * 80;
        EXPECT_EQ(std::memcmp(direct.dev->bits(), played.dev->bits(), bytes), 0);
        // And the picture is really there: magenta triangle, black cross over red.
        if (f == PixelFormat::bgr24) {
            EXPECT_EQ(played.dev->pixel(6, 74), RGB(255, 0, 255));
            EXPECT_EQ(played.dev->pixel(15, 15), RGB(255, 0, 0)); // white of the cross: red stays
            EXPECT_EQ(played.dev->pixel(40, 15), RGB(0, 0, 0));
        }
        // Playback leaves the DC's own selections and deletes what it made.
        EXPECT_EQ(GetCurrentObject(played.dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
        EXPECT_EQ(GetCurrentObject(played.dc, OBJ_PAL), GetStockObject(DEFAULT_PALETTE));
        DeleteMetaFile(mf);
    }
}

TEST(GdiMetafile, BandsRecordOnlyTheirRowsAndReplayIntoAnyDc) {
    std::vector<std::vector<uint32_t>> rows;
    for (int k = 0; k < 10; ++k) rows.push_back({RGB(20 * k, 0, 0), RGB(0, 20 * k, 0)});
    Dib d = make_dib(24, {}, rows);
    HDC mdc = CreateMetaFileA(nullptr);
    // Two bands of five rows: the top band is source rows 5..9 from the bottom.
    stretch(mdc, d, 0, 0, 2, 5, 0, 5, 2, 5);
    stretch(mdc, d, 0, 5, 2, 5, 0, 0, 2, 5);
    HMETAFILE mf = CloseMetaFile(mdc);
    ASSERT_TRUE(mf);
    std::vector<uint8_t> b = bytes_of(mf);
    const uint32_t record_words = 3 + 11 + 20 + 5 * 4; // five rows of 8 bytes each
    EXPECT_EQ(rd32(b, 18), record_words);
    EXPECT_EQ(b.size(), 18 + 2 * 2 * record_words + 6);

    Page direct(2, 10), played(2, 10);
    stretch(direct.dc, d, 0, 0, 2, 10, 0, 0, 2, 10);
    ASSERT_TRUE(PlayMetaFile(played.dc, mf));
    EXPECT_EQ(std::memcmp(direct.dev->bits(), played.dev->bits(), static_cast<size_t>(direct.dev->stride()) * 10), 0);

    // Into another metafile DC and back out again: the same picture.
    HDC again = CreateMetaFileA(nullptr);
    ASSERT_TRUE(PlayMetaFile(again, mf));
    HMETAFILE copy = CloseMetaFile(again);
    Page replayed(2, 10);
    ASSERT_TRUE(PlayMetaFile(replayed.dc, copy));
    EXPECT_EQ(std::memcmp(direct.dev->bits(), replayed.dev->bits(), static_cast<size_t>(direct.dev->stride()) * 10), 0);
    DeleteMetaFile(copy);
    DeleteMetaFile(mf);
}

TEST(GdiMetafile, DiskMetafilesAndUnrecordableCoordinates) {
    const std::string dir = temp_dir(), path = dir + "/disk.wmf";
    HDC mdc = CreateMetaFileA(path.c_str());
    SetMapMode(mdc, MM_ANISOTROPIC);
    HMETAFILE mf = CloseMetaFile(mdc);
    ASSERT_TRUE(mf);
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GE(file.size(), 18u);
    EXPECT_EQ(file[0], 2); // disk metafile
    DeleteMetaFile(mf);
    std::system(("rm -rf " + dir).c_str());

    // A window extent beyond 16 bits cannot be written: no metafile rather than a wrong one.
    mdc = CreateMetaFileA(nullptr);
    SetMapMode(mdc, MM_ANISOTROPIC);
    SetWindowExtEx(mdc, 40000, 100, nullptr);
    EXPECT_EQ(CloseMetaFile(mdc), nullptr);
    EXPECT_EQ(CloseMetaFile(mdc), nullptr); // the DC is gone either way
}

TEST(GdiMetafile, MalformedBytesAreRefusedBeforeAnythingIsDrawn) {
    HMETAFILE good = record(true);
    const std::vector<uint8_t> base = bytes_of(good);
    DeleteMetaFile(good);
    auto set32 = [](std::vector<uint8_t>& b, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"empty", {}});
    cases.push_back({"half a header", std::vector<uint8_t>(base.begin(), base.begin() + 9)});
    auto spoiled = [&](const char* name, auto fn) {
        std::vector<uint8_t> b = base;
        fn(b);
        cases.push_back({name, b});
    };
    spoiled("bad type", [](auto& b) { b[0] = 7; });
    spoiled("bad header size", [](auto& b) { b[2] = 8; });
    spoiled("bad version", [](auto& b) { b[4] = 0x22; });
    spoiled("record size 0", [&](auto& b) { set32(b, 18, 0); });
    spoiled("record size 2", [&](auto& b) { set32(b, 18, 2); });
    spoiled("record past the end", [&](auto& b) { set32(b, 18, 0x7FFFFFFF); });
    spoiled("record size all ones", [&](auto& b) { set32(b, 18, 0xFFFFFFFF); });
    spoiled("cut inside a record", [](auto& b) { b.resize(b.size() - 6 - 5); });
    for (const Case& c : cases) {
        EXPECT_EQ(SetMetaFileBitsEx(static_cast<UINT>(c.bytes.size()), c.bytes.data()), nullptr) << c.name;
    }
    EXPECT_EQ(SetMetaFileBitsEx(10, nullptr), nullptr);

    // Well-formed records whose contents lie: the picture's own DIB header
    // claims more rows than the record holds. PlayMetaFile fails and reads
    // nothing beyond the record.
    std::vector<uint8_t> b = base;
    const size_t stretch_at = 18 + 8 + 10 + 10 + 8;
    ASSERT_EQ(b[stretch_at + 4] | b[stretch_at + 5] << 8, META_STRETCHDIB);
    set32(b, stretch_at + 6 + 22 + 8, 4000); // biHeight
    HMETAFILE lying = SetMetaFileBitsEx(static_cast<UINT>(b.size()), b.data());
    ASSERT_TRUE(lying);
    Page page(8, 8);
    EXPECT_FALSE(PlayMetaFile(page.dc, lying));
    EXPECT_EQ(page.dev->pixel(4, 4), RGB(255, 255, 255));
    DeleteMetaFile(lying);
    EXPECT_FALSE(PlayMetaFile(page.dc, nullptr));
    EXPECT_FALSE(PlayMetaFile(nullptr, lying));
}

TEST(GdiMetafile, RandomlyDamagedMetafilesNeverCrashPlayback) {
    HMETAFILE good = record(true);
    const std::vector<uint8_t> base = bytes_of(good);
    DeleteMetaFile(good);
    std::mt19937 rng(4);
    Page page(40, 40);
    int accepted = 0;
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> b = base;
        const int flips = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < flips; ++i) b[18 + rng() % (b.size() - 18)] = static_cast<uint8_t>(rng());
        if (rng() % 4 == 0) b.resize(18 + rng() % (b.size() - 18));
        HMETAFILE mf = SetMetaFileBitsEx(static_cast<UINT>(b.size()), b.data());
        if (!mf) continue;
        ++accepted;
        PlayMetaFile(page.dc, mf); // may fail; must not crash or read outside the bytes
        DeleteMetaFile(mf);
    }
    EXPECT_GT(accepted, 0);
}
