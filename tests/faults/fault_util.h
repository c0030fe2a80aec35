// Shared pieces of the fault tests: running lucentra in a scratch folder with its
// own configuration, sample scans, and checks that a folder holds exactly the
// files expected (no half-written or hidden temporary files left behind).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "host_test_util.h"
#include "run_program.h"
#include "tools/sample_images.h"

namespace faults {

namespace fs = std::filesystem;
using lucentra::test::RunResult;
using lucentra::test::TempDir;

inline const std::string kLucentra = std::string(PW_BIN_DIR) + "/lucentra";

// A scan of `pages` pages (a gray TIFF with a pattern), `w` x `h` pixels at 100 dpi.
inline void write_scan(const std::string& path, int pages, int w = 240, int h = 320) {
    std::vector<lucentra::samples::TiffPage> list;
    for (int p = 0; p < pages; ++p) {
        lucentra::samples::TiffPage page;
        page.raster = lucentra::samples::Raster(w, h, 1, 8);
        for (size_t i = 0; i < page.raster.data.size(); ++i) page.raster.data[i] = (uint8_t)(i * 13 + p * 50);
        page.compression = 8;
        page.xres = page.yres = 100;
        list.push_back(page);
    }
    lucentra::samples::write_tiff(path, list);
}

// A PNG whose header reads well but whose pixel data ends half way: the job
// accepts it up front and fails when the page is drawn.
inline void write_truncated_png(const std::string& path) {
    lucentra::samples::Raster r(300, 300, 3, 8);
    uint32_t state = 7;
    for (auto& v : r.data) state ^= state << 13, state ^= state >> 17, state ^= state << 5, v = (uint8_t)state;
    lucentra::samples::PngOptions o;
    o.colour_type = 2;
    lucentra::samples::write_png(path, r, o);
    auto bytes = lucentra::samples::read_bytes(path);
    bytes.resize(bytes.size() / 2);
    lucentra::samples::write_bytes(path, bytes);
}

// Names of the entries of `dir`, hidden ones included, sorted.
inline std::vector<std::string> entries(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// lucentra with XDG_CONFIG_HOME and the working folder inside `home`, so no user
// setting or earlier output can take part.
inline RunResult run_lucentra(const TempDir& home, std::vector<std::string> args,
                          const std::function<void(pid_t, const std::string&)>& while_running = {}) {
    args.insert(args.begin(), kLucentra);
    fs::create_directories(home.file("config"));
    fs::create_directories(home.file("scratch"));
    return lucentra::test::run_program(args, {{"XDG_CONFIG_HOME", home.file("config")}, {"LC_ALL", "C"}},
                                       home.file("scratch"), while_running);
}

// The last line lucentra wrote to stderr: its one-line reason.
inline std::string last_line(const RunResult& run) {
    auto lines = run.err_lines();
    return lines.empty() ? std::string() : lines.back();
}

}  // namespace faults
