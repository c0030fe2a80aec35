#include "store/line_packer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace lucentra {

size_t packed_bytes(LineForm form, int width) {
    const size_t w = (size_t)std::max(width, 0);
    switch (form) {
    case LineForm::Rgb24: return w * 3;
    case LineForm::Gray8:
    case LineForm::Palette8: return w;
    case LineForm::Gray4: return (w + 1) / 2;
    case LineForm::Bilevel1: return (w + 7) / 8;
    }
    return 0;
}

LinePacker::LinePacker(LineForm form, int width, int channels, bool diffuse, const PaletteMap* palette)
    : form_(form), width_(width), channels_(channels), diffuse_(diffuse), palette_(palette) {
    if (form == LineForm::Gray4 || form == LineForm::Bilevel1) {
        levels_.resize((size_t)width);
        if (diffuse) error_this_.assign((size_t)width + 2, 0.0f), error_next_.assign((size_t)width + 2, 0.0f);
    }
}

void LinePacker::quantise(const uint8_t* in, int levels, uint8_t* out) {
    const float step = 255.0f / (float)(levels - 1);
    if (!diffuse_) {
        for (int x = 0; x < width_; ++x) {
            int v = gray(in, x);
            // Bilevel: mid-gray and lighter is white. Gray4: nearest level.
            out[x] = levels == 2 ? (v >= 128) : (uint8_t)((v * (levels - 1) + 127) / 255);
        }
        return;
    }
    std::fill(error_next_.begin(), error_next_.end(), 0.0f);
    const int dir = left_to_right_ ? 1 : -1;
    int x = left_to_right_ ? 0 : width_ - 1;
    for (int n = 0; n < width_; ++n, x += dir) {
        const float wanted = (float)gray(in, x) + error_this_[x + 1];
        int level = (int)std::lround(wanted / step);
        level = std::clamp(level, 0, levels - 1);
        out[x] = (uint8_t)level;
        const float e = wanted - (float)level * step;
        // Floyd-Steinberg weights, mirrored on right-to-left lines.
        error_this_[x + 1 + dir] += e * (7.0f / 16);
        error_next_[x + 1 - dir] += e * (3.0f / 16);
        error_next_[x + 1] += e * (5.0f / 16);
        error_next_[x + 1 + dir] += e * (1.0f / 16);
    }
    std::swap(error_this_, error_next_);
    left_to_right_ = !left_to_right_;
}

void LinePacker::pack(const uint8_t* in, uint8_t* out) {
    const int w = width_;
    switch (form_) {
    case LineForm::Rgb24:
        if (channels_ == 3) {
            memcpy(out, in, (size_t)w * 3);
        } else {
            for (int x = 0; x < w; ++x) out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = in[x];
        }
        break;
    case LineForm::Gray8:
        if (channels_ == 1) {
            memcpy(out, in, (size_t)w);
        } else {
            for (int x = 0; x < w; ++x) out[x] = (uint8_t)gray(in, x);
        }
        break;
    case LineForm::Palette8:
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = in + (size_t)x * channels_;
            out[x] = channels_ == 3 ? palette_->index(p[0], p[1], p[2]) : palette_->index(p[0], p[0], p[0]);
        }
        break;
    case LineForm::Gray4:
        quantise(in, 16, levels_.data());
        memset(out, 0, packed_bytes(form_, w));
        for (int x = 0; x < w; ++x) out[x >> 1] |= (uint8_t)(levels_[x] << ((x & 1) ? 0 : 4));
        break;
    case LineForm::Bilevel1:
        quantise(in, 2, levels_.data());
        memset(out, 0, packed_bytes(form_, w));
        for (int x = 0; x < w; ++x)
            if (levels_[x]) out[x >> 3] |= (uint8_t)(0x80 >> (x & 7));
        break;
    }
}

}  // namespace lucentra
