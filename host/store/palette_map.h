// An 8-bit palette for a region and the mapping of colours onto it.
//
// PaletteBuilder sees every pixel of the region once (a first pass over the
// source). With at most 256 distinct colours the palette holds exactly those and
// every pixel keeps its colour; otherwise median cut over a 5-bit-per-channel
// histogram picks 256 colours, and each pixel takes the nearest one.
#pragma once

#include <array>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace lucentra {

class PaletteMap {
public:
    using Rgb = std::array<uint8_t, 3>;

    PaletteMap() = default;
    PaletteMap(std::vector<Rgb> entries, bool exact);

    const std::vector<Rgb>& entries() const { return entries_; }
    // Index of the palette entry for a colour: the exact entry when the palette
    // holds the colour, else the nearest (squared distance in RGB).
    uint8_t index(uint8_t r, uint8_t g, uint8_t b) const;

private:
    uint8_t nearest(int r, int g, int b) const;

    std::vector<Rgb> entries_;
    std::unordered_map<uint32_t, uint8_t> exact_;
    // Nearest entry of each 5-bit cell, filled on first use (-1: not yet).
    mutable std::vector<int16_t> cells_;
};

class PaletteBuilder {
public:
    PaletteBuilder();
    // A row of `width` pixels, 3 bytes (RGB) or 1 byte (gray) each.
    void add_row(const uint8_t* pixels, int width, int channels);
    PaletteMap finish() const;

private:
    void add(uint8_t r, uint8_t g, uint8_t b);

    std::unordered_set<uint32_t> distinct_;  // while there are at most 256
    bool too_many_ = false;
    std::vector<uint32_t> count_;              // per 5-bit cell
    std::vector<std::array<uint64_t, 3>> sum_;  // per 5-bit cell: sums of r, g, b
};

}  // namespace lucentra
