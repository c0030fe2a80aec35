#include <gtest/gtest.h>

#include "decode/image.h"
#include "host_test_util.h"
#include "tools/sample_images.h"

using namespace lucentra;
using test::TempDir;

TEST(OpenImage, UnreadableInputsSayWhy) {
    TempDir dir;
    samples::write_bytes(dir.file("empty.png"), {});
    samples::write_bytes(dir.file("text.png"), {'h', 'e', 'l', 'l', 'o'});
    struct Case {
        std::string path;
        const char* says;
    } cases[] = {
        {dir.file("missing.png"), "cannot open: No such file or directory"},
        {dir.file("empty.png"), "the file is empty"},
        {dir.file("text.png"), "not an image lucentra reads (PNG, TIFF, JPEG or PNM)"},
        {dir.path(), "is a folder, not an image"},
    };
    for (const Case& c : cases) {
        try {
            open_image(c.path);
            ADD_FAILURE() << c.path << " opened";
        } catch (const DecodeError& e) {
            EXPECT_EQ(std::string(e.what()), c.path + ": " + c.says);
        }
    }
}

TEST(OpenImage, ResolutionFromFileIsBelievedOnlyInASaneRange) {
    TempDir dir;
    samples::Raster r(2, 2, 1, 8);
    samples::PngOptions o;
    o.dpi = 1;  // a pHYs of 39 pixels per metre: surely not meant
    samples::write_png(dir.file("odd.png"), r, o);
    DecodeOptions options;
    options.fallback_dpi = 240;
    auto image = open_image(dir.file("odd.png"), options);
    EXPECT_EQ(image->page(0).xres, 240);
    EXPECT_FALSE(image->page(0).res_from_file);
}
