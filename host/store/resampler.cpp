#include "store/resampler.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace lucentra {

Resampler::Resampler(std::unique_ptr<RowReader> source, const PageInfo& page, int channels,
                     const SourceWindow& window, int out_width, int out_height)
    : source_(std::move(source)),
      source_width_(page.width),
      source_height_(page.height),
      source_channels_(page.channels),
      channels_(channels == 3 && page.channels == 3 ? 3 : 1),
      out_width_(out_width),
      out_height_(out_height),
      kx_(window.x0, window.x1, page.width, out_width),
      ky_(window.y0, window.y1, page.height, out_height) {
    raw_.resize(page.row_bytes());
    if (source_channels_ != channels_) work_.resize((size_t)source_width_);
    if (!(kx_.identity() && ky_.identity()))
        ring_.assign(ky_.widest(), std::vector<float>((size_t)out_width_ * channels_));
    sum_.resize(ring_.empty() ? 0 : (size_t)out_width_ * channels_);
}

const uint8_t* Resampler::read_source() {
    source_->read(raw_.data());
    ++loaded_;
    if (work_.empty()) return raw_.data();
    for (int x = 0; x < source_width_; ++x) work_[x] = luminance(&raw_[3 * (size_t)x]);
    return work_.data();
}

void Resampler::horizontal(const uint8_t* in, float* out) const {
    const int c = channels_;
    if (kx_.identity()) {
        const uint8_t* from = in + (size_t)kx_.shift() * c;
        for (size_t i = 0; i < (size_t)out_width_ * c; ++i) out[i] = from[i];
        return;
    }
    for (int x = 0; x < out_width_; ++x) {
        const uint8_t* p = in + (size_t)kx_.first(x) * c;
        const float* w = kx_.weights(x);
        const int n = kx_.count(x);
        if (c == 1) {
            float acc = 0;
            for (int k = 0; k < n; ++k) acc += w[k] * p[k];
            out[x] = acc;
        } else {
            float r = 0, g = 0, b = 0;
            for (int k = 0; k < n; ++k) r += w[k] * p[3 * k], g += w[k] * p[3 * k + 1], b += w[k] * p[3 * k + 2];
            out[3 * x] = r, out[3 * x + 1] = g, out[3 * x + 2] = b;
        }
    }
}

void Resampler::next(uint8_t* out) {
    if (done_ >= out_height_) throw DecodeError("resampler: every row was produced");
    const int first = ky_.first(done_), last = first + ky_.count(done_) - 1;
    const size_t samples = (size_t)out_width_ * channels_;

    if (kx_.identity() && ky_.identity()) {
        // Same size on whole pixels: decode, convert and crop only.
        while (loaded_ < first) read_source();
        const uint8_t* row = read_source();
        memcpy(out, row + (size_t)kx_.shift() * channels_, samples);
        ++done_;
        return;
    }

    const int slots = (int)ring_.size();
    while (loaded_ <= last) {
        const int y = loaded_;
        const uint8_t* row = read_source();
        // Rows above the window (or above what is still needed) are only decoded.
        if (y >= first) horizontal(row, ring_[y % slots].data());
    }
    const float* w = ky_.weights(done_);
    const int n = ky_.count(done_);
    std::fill(sum_.begin(), sum_.end(), 0.0f);
    for (int k = 0; k < n; ++k) {
        const float* row = ring_[(first + k) % slots].data();
        const float wk = w[k];
        for (size_t i = 0; i < samples; ++i) sum_[i] += wk * row[i];
    }
    // Weights sum to 1, so sums stay within 0..255 up to rounding.
    for (size_t i = 0; i < samples; ++i) out[i] = (uint8_t)std::min(255.0f, sum_[i] + 0.5f);
    ++done_;
}

}  // namespace lucentra
