// How the source pixels along one axis make up each output pixel: area averaging
// when shrinking (each source pixel weighs by how much of the output pixel it
// covers), bilinear interpolation between pixel centres when enlarging, and a
// plain copy when the sizes match on whole pixels.
#pragma once

#include <cstdint>
#include <vector>

namespace lucentra {

class AxisKernel {
public:
    // Output pixels 0..out_count-1 cover the source span [start, end) (source
    // pixels, may be fractional); the source has pixels 0..source_count-1. Parts of
    // the span outside the source repeat the nearest edge pixel.
    AxisKernel(double start, double end, int source_count, int out_count);

    int out_count() const { return (int)first_.size(); }
    // The source pixels of output pixel i: first(i) .. first(i) + count(i) - 1.
    int first(int i) const { return first_[i]; }
    int count(int i) const { return count_[i]; }
    // Weight of the k-th of them; the weights of one output pixel sum to 1.
    const float* weights(int i) const { return &weights_[offset_[i]]; }
    // Largest count(i): how many source lines a vertical pass must keep at once.
    int widest() const { return widest_; }
    // Output pixel i is source pixel first(i) + i, unchanged, for every i.
    bool identity() const { return identity_; }
    // Offset of the identity copy: output i is source pixel shift() + i.
    int shift() const { return shift_; }

private:
    void add(int out, int index, float weight, int source_count);

    std::vector<int> first_, count_, offset_;
    std::vector<float> weights_;
    int widest_ = 1;
    bool identity_ = false;
    int shift_ = 0;
};

}  // namespace lucentra
