#include "store/axis_kernel.h"

#include <algorithm>
#include <cmath>

namespace lucentra {

AxisKernel::AxisKernel(double start, double end, int source_count, int out_count) {
    out_count = std::max(out_count, 0);
    first_.resize(out_count);
    count_.resize(out_count);
    offset_.resize(out_count);
    const double span = end - start;
    const double scale = out_count > 0 ? span / out_count : 1.0;

    if (std::fabs(scale - 1.0) < 1e-9 && std::fabs(start - std::round(start)) < 1e-6) {
        shift_ = (int)std::lround(start);
        identity_ = shift_ >= 0 && shift_ + out_count <= source_count;
    }

    for (int i = 0; i < out_count; ++i) {
        offset_[i] = (int)weights_.size();
        count_[i] = 0;
        if (identity_) {
            add(i, shift_ + i, 1.0f, source_count);
        } else if (scale > 1.0) {
            // Shrinking: the output pixel covers [a, b) of the source.
            const double a = start + i * scale, b = a + scale;
            for (int s = (int)std::floor(a); s < (int)std::ceil(b); ++s) {
                double covered = std::min(b, (double)s + 1) - std::max(a, (double)s);
                if (covered > 1e-9) add(i, s, (float)(covered / scale), source_count);
            }
        } else {
            // Enlarging: interpolate between the two nearest source pixel centres.
            const double u = start + (i + 0.5) * scale - 0.5;
            const double j = std::floor(u);
            const float f = (float)(u - j);
            add(i, (int)j, 1.0f - f, source_count);
            if (f > 1e-6f) add(i, (int)j + 1, f, source_count);
        }
        widest_ = std::max(widest_, count_[i]);
    }
}

// Adds source pixel `index` (clamped into the source) to output pixel `out`,
// merging with the previous entry when clamping repeats an edge pixel. Indices
// arrive in increasing order, so an output pixel's source pixels stay contiguous.
void AxisKernel::add(int out, int index, float weight, int source_count) {
    index = std::clamp(index, 0, std::max(source_count - 1, 0));
    if (count_[out] > 0 && first_[out] + count_[out] - 1 == index) {
        weights_.back() += weight;
        return;
    }
    if (count_[out] == 0) first_[out] = index;
    weights_.push_back(weight);
    ++count_[out];
}

}  // namespace lucentra
