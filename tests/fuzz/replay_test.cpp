// Replays a fuzz target's seed corpus and its kept crashers through the target's
// own entry point, built without libFuzzer (fuzz/README.md). A regression shows
// as a crash, a sanitizer report or an abort from the target's own checks; the
// name of the input being replayed is printed first so the log says which.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

// Replays every file of `dir` (sorted, so a run is repeatable); returns how many.
int replay_folder(const fs::path& dir) {
    std::vector<fs::path> files;
    if (fs::is_directory(dir)) {
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        fprintf(stderr, "replaying %s (%zu bytes)\n", file.c_str(), bytes.size());
        EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0) << file;
    }
    return static_cast<int>(files.size());
}

// The suite is named after the target (PW_FUZZ_SUITE, e.g. FuzzReplay_image_png),
// so each target's replay has a name of its own in the test list.
TEST(PW_FUZZ_SUITE, SeedCorpusAndKeptCrashers) {
    // An empty or missing corpus would make this test pass without replaying anything.
    EXPECT_GT(replay_folder(fs::path(PW_FUZZ_DIR) / "corpus" / PW_FUZZ_NAME), 0);
    // Most targets have no crashers; whatever was found and fixed is replayed.
    replay_folder(fs::path(PW_FUZZ_DIR) / "crashers" / PW_FUZZ_NAME);
}

}  // namespace
