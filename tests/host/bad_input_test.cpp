// Bad inputs and bad destinations: one clear line, a non-zero exit, no crash and
// no output file that claims a complete print.
#include <gtest/gtest.h>

#include "host_test_util.h"
#include "run_program.h"
#include "tools/sample_images.h"

using namespace lucentra;
using namespace lucentra::test;
using samples::Raster;

namespace {

const std::string kLucentra = std::string(PW_BIN_DIR) + "/lucentra";

std::vector<uint8_t> bytes_of(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::vector<uint8_t> noise_png(int w, int h) {
    TempDir dir;
    Raster r(w, h, 3, 8);
    uint32_t state = 7;
    for (auto& v : r.data) state ^= state << 13, state ^= state >> 17, state ^= state << 5, v = (uint8_t)state;
    samples::PngOptions o;
    o.colour_type = 2;
    samples::write_png(dir.file("n.png"), r, o);
    return samples::read_bytes(dir.file("n.png"));
}

std::vector<uint8_t> corrupt_tiff() {
    TempDir dir;
    samples::TiffPage page;
    page.raster = Raster(400, 300, 1, 8);
    uint32_t state = 9;
    for (auto& v : page.raster.data) state ^= state << 13, state ^= state >> 17, state ^= state << 5, v = (uint8_t)state;
    page.compression = 8;  // Deflate: damage is always detected
    page.rows_per_strip = 50;
    samples::write_tiff(dir.file("t.tif"), {page});
    auto bytes = samples::read_bytes(dir.file("t.tif"));
    for (size_t i = 40000; i < 40100; ++i) bytes[i] ^= 0x5A;  // inside the second strip
    return bytes;
}

std::vector<uint8_t> huge_png() {
    auto bytes = noise_png(1, 1);
    put_be32(bytes, 16, 100000);
    put_be32(bytes, 20, 100000);
    put_be32(bytes, 29, crc32(&bytes[12], 17));
    return bytes;
}

}  // namespace

TEST(BadInput, OneClearLineNonZeroExitNoOutput) {
    TempDir dir;
    const std::string good = dir.file("good.png");
    {
        Raster r(100, 100, 1, 8);
        samples::write_png(good, r, samples::PngOptions{});
    }
    auto truncated = noise_png(600, 600);
    truncated.resize(truncated.size() / 2);

    struct Case {
        const char* name;
        std::vector<uint8_t> file;  // written as the input, when not empty
        std::vector<std::string> extra;
        int status;
        std::string says;
    } cases[] = {
        {"missing file", {}, {}, 2, "missing.png: cannot open: No such file or directory"},
        {"truncated PNG", truncated, {}, 1, "truncated PNG data at row"},
        {"TIFF with a corrupt strip", corrupt_tiff(), {}, 1, "corrupt or truncated data at row 100 of 300"},
        {"zero-size image", bytes_of("P5\n0 10\n255\n"), {}, 2, "the image has no pixels (0 x 10)"},
        {"100000 x 100000 PNM header", bytes_of("P5\n100000 100000\n255\n"), {}, 2, "the image is too large"},
        {"100000 x 100000 PNG header", huge_png(), {}, 2, "the image is too large (100000 x 100000"},
        {"unknown printer", {}, {"--printer", "No Such Printer"}, 1, "there is no printer 'No Such Printer'"},
        {"unwritable output path", {}, {"--output", "/nonexistent/folder/out.pdf"}, 1,
         "cannot write '/nonexistent/folder/out.pdf'"},
        {"bad scale", {}, {"--scale", "huge"}, 2, "--scale must be actual, fit or a percentage"},
        {"unknown engine variable", {}, {"--set", "no_such_variable=1"}, 1,
         "unknown engine variable \"no_such_variable\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string input = std::string(c.name) == "missing file" ? dir.file("missing.png") : good;
        if (!c.file.empty()) {
            input = dir.file("input");
            samples::write_bytes(input, c.file);
        }
        std::string output = dir.file("out.pdf");
        std::vector<std::string> args = {kLucentra, "print", input};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        if (std::find(c.extra.begin(), c.extra.end(), "--output") == c.extra.end())
            args.insert(args.end(), {"--output", output});
        RunResult run = run_program(args, {{"XDG_CONFIG_HOME", dir.file("config")}}, dir.path());

        EXPECT_FALSE(run.signalled) << run.err;
        EXPECT_EQ(run.status, c.status) << run.err;
        std::vector<std::string> said;
        for (const auto& line : run.err_lines())
            if (line.rfind("lucentra: ", 0) == 0 && line.find("note: ") == std::string::npos) said.push_back(line);
        ASSERT_EQ(said.size(), 1u) << run.err;
        EXPECT_NE(said[0].find(c.says), std::string::npos) << said[0];
        EXPECT_FALSE(std::filesystem::exists(output));
        EXPECT_EQ(run.out, "");
        if (std::string(c.name).find("100000") != std::string::npos) {
            EXPECT_LT(run.peak_rss_kb, 100 * 1024);  // refused before anything of that size
        }
    }
}
