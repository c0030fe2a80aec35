// BOX operations that are not inline: turning and union.
#include <algorithm>
#include <cmath>

#include "kel/geometry.h"

namespace {

// Rounded to the nearest integer (halves away from zero), then taken as 16 bits
// like every box coordinate.
int16_t round16(double v) {
    if (!std::isfinite(v)) return 0;
    long long r = std::llround(std::clamp(v, -1e15, 1e15));
    return (int16_t)(uint16_t)(r & 0xFFFF);
}

}  // namespace

void BOX::rotate(const FCOORD& direction) {
    // A null box stands for "nothing"; turning it must not make it a real box.
    if (null_box()) return;
    const double c = direction.x(), s = direction.y();
    auto turn = [c, s](const ICOORD& p) {
        return ICOORD(round16(p.x() * c - p.y() * s), round16(p.x() * s + p.y() * c));
    };
    ICOORD a = turn(lo), b = turn(hi);
    lo = ICOORD(std::min(a.x(), b.x()), std::min(a.y(), b.y()));
    hi = ICOORD(std::max(a.x(), b.x()), std::max(a.y(), b.y()));
}

BOX& BOX::operator+=(const BOX& other) {
    lo = ICOORD(std::min(lo.x(), other.lo.x()), std::min(lo.y(), other.lo.y()));
    hi = ICOORD(std::max(hi.x(), other.hi.x()), std::max(hi.y(), other.hi.y()));
    return *this;
}
