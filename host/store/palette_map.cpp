#include "store/palette_map.h"

#include <algorithm>

namespace lucentra {
namespace {

uint32_t key(int r, int g, int b) { return (uint32_t)r << 16 | (uint32_t)g << 8 | (uint32_t)b; }
int cell(int r, int g, int b) { return (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3); }

}  // namespace

PaletteMap::PaletteMap(std::vector<Rgb> entries, bool exact) : entries_(std::move(entries)), cells_(32768, -1) {
    if (exact)
        for (size_t i = 0; i < entries_.size(); ++i) exact_[key(entries_[i][0], entries_[i][1], entries_[i][2])] = (uint8_t)i;
}

uint8_t PaletteMap::nearest(int r, int g, int b) const {
    int best = 0, best_distance = 1 << 30;
    for (size_t i = 0; i < entries_.size(); ++i) {
        int dr = r - entries_[i][0], dg = g - entries_[i][1], db = b - entries_[i][2];
        int distance = dr * dr + dg * dg + db * db;
        if (distance < best_distance) best_distance = distance, best = (int)i;
    }
    return (uint8_t)best;
}

uint8_t PaletteMap::index(uint8_t r, uint8_t g, uint8_t b) const {
    if (!exact_.empty()) {
        auto found = exact_.find(key(r, g, b));
        if (found != exact_.end()) return found->second;
        return nearest(r, g, b);
    }
    int16_t& slot = cells_[cell(r, g, b)];
    // The cell's centre stands for every colour in it.
    if (slot < 0) slot = nearest((r & ~7) | 4, (g & ~7) | 4, (b & ~7) | 4);
    return (uint8_t)slot;
}

PaletteBuilder::PaletteBuilder() : count_(32768, 0), sum_(32768, {0, 0, 0}) {}

void PaletteBuilder::add(uint8_t r, uint8_t g, uint8_t b) {
    if (!too_many_) {
        distinct_.insert(key(r, g, b));
        if (distinct_.size() > 256) too_many_ = true;
    }
    int c = cell(r, g, b);
    ++count_[c];
    sum_[c][0] += r, sum_[c][1] += g, sum_[c][2] += b;
}

void PaletteBuilder::add_row(const uint8_t* pixels, int width, int channels) {
    for (int x = 0; x < width; ++x) {
        const uint8_t* p = pixels + (size_t)x * channels;
        if (channels == 3)
            add(p[0], p[1], p[2]);
        else
            add(p[0], p[0], p[0]);
    }
}

PaletteMap PaletteBuilder::finish() const {
    std::vector<PaletteMap::Rgb> entries;
    if (!too_many_) {
        for (uint32_t k : distinct_)
            entries.push_back({(uint8_t)(k >> 16), (uint8_t)(k >> 8), (uint8_t)k});
        // A stable order: darkest first, so that equal inputs give equal palettes.
        std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
            int la = 77 * a[0] + 150 * a[1] + 29 * a[2], lb = 77 * b[0] + 150 * b[1] + 29 * b[2];
            return la != lb ? la < lb : a < b;
        });
        if (entries.empty()) entries.push_back({255, 255, 255});
        return PaletteMap(std::move(entries), true);
    }

    // Median cut over the occupied cells.
    struct Box {
        std::vector<int> cells;
        uint64_t pixels = 0;
    };
    auto component = [](int c, int axis) { return (c >> (10 - 5 * axis)) & 31; };
    std::vector<Box> boxes(1);
    for (int c = 0; c < 32768; ++c)
        if (count_[c]) boxes[0].cells.push_back(c), boxes[0].pixels += count_[c];
    while (boxes.size() < 256) {
        // Split the most populated box that still has more than one cell.
        int pick = -1;
        for (size_t i = 0; i < boxes.size(); ++i)
            if (boxes[i].cells.size() > 1 && (pick < 0 || boxes[i].pixels > boxes[pick].pixels)) pick = (int)i;
        if (pick < 0) break;
        Box& box = boxes[pick];
        int axis = 0, widest = -1;
        for (int a = 0; a < 3; ++a) {
            int lo = 31, hi = 0;
            for (int c : box.cells) lo = std::min(lo, component(c, a)), hi = std::max(hi, component(c, a));
            if (hi - lo > widest) widest = hi - lo, axis = a;
        }
        std::sort(box.cells.begin(), box.cells.end(),
                  [&](int a, int b) { return component(a, axis) < component(b, axis); });
        // Cut at the pixel-weighted median, leaving at least one cell on each side.
        uint64_t half = box.pixels / 2, seen = 0;
        size_t cut = 1;
        for (; cut < box.cells.size() - 1; ++cut) {
            seen += count_[box.cells[cut - 1]];
            if (seen >= half) break;
        }
        Box upper;
        upper.cells.assign(box.cells.begin() + (long)cut, box.cells.end());
        box.cells.resize(cut);
        box.pixels = 0;
        for (int c : box.cells) box.pixels += count_[c];
        for (int c : upper.cells) upper.pixels += count_[c];
        boxes.push_back(std::move(upper));
    }
    for (const Box& box : boxes) {
        uint64_t r = 0, g = 0, b = 0, n = 0;
        for (int c : box.cells) r += sum_[c][0], g += sum_[c][1], b += sum_[c][2], n += count_[c];
        if (n) entries.push_back({(uint8_t)((r + n / 2) / n), (uint8_t)((g + n / 2) / n), (uint8_t)((b + n / 2) / n)});
    }
    return PaletteMap(std::move(entries), false);
}

}  // namespace lucentra
