// Small helpers shared by the host's tests: a scratch folder, reading a page's
// rows, and byte patches for hand-broken files.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "decode/image.h"

namespace lucentra::test {

// A fresh folder under $TMPDIR, removed with everything in it at the end of scope.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "lucentra-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempDir() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// Every row of page `index`, concatenated.
inline std::vector<uint8_t> read_page(const ImageFile& image, int index = 0) {
    const PageInfo& info = image.page(index);
    std::vector<uint8_t> all(info.row_bytes() * info.height);
    auto reader = image.open_rows(index);
    for (int y = 0; y < info.height; ++y) reader->read(all.data() + info.row_bytes() * y);
    return all;
}

inline void put_be32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = v >> 24, b[at + 1] = v >> 16, b[at + 2] = v >> 8, b[at + 3] = v;
}

inline uint32_t crc32(const uint8_t* data, size_t n) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        c ^= data[i];
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

// Largest absolute difference between two equally long byte vectors.
inline int max_difference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    int worst = a.size() == b.size() ? 0 : 256;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
    return worst;
}

}  // namespace lucentra::test
