// EVALUE conversions and the interned value bounds.
#include "kel/values.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>

namespace {

// A double read as an int: truncated toward zero like a C cast, but saturated at
// the int range and 0 for NaN, where a plain cast would be undefined.
int double_to_int(double d) {
    if (std::isnan(d)) return 0;
    if (d >= (double)INT_MAX) return INT_MAX;
    if (d <= (double)INT_MIN) return INT_MIN;
    return (int)d;
}

}  // namespace

EVALUE::operator int() const {
    switch (type) {
        case INT8:
        case INT32: return u.i;
        case DOUBLE: return double_to_int(u.d);
        default: return 0;
    }
}

EVALUE::operator double() const {
    switch (type) {
        case INT8:
        case INT32: return (double)u.i;
        case DOUBLE: return u.d;
        default: return 0.0;
    }
}

EVALUE::operator float() const { return (float)(double)*this; }

EVALUE::operator void*() const { return (type == POINTER || type == TEXT) ? u.p : nullptr; }

EVALUE::operator char*() const { return (type == POINTER || type == TEXT) ? (char*)u.p : nullptr; }

EVALUE_BOUNDS* EValue_Bounds(double low, double high, double third, double def) {
    // Keyed by the bit patterns, so that NaN bounds intern too and -0.0 stays
    // apart from 0.0.
    using Key = std::tuple<uint64_t, uint64_t, uint64_t, uint64_t>;
    auto bits = [](double d) {
        uint64_t b;
        std::memcpy(&b, &d, sizeof b);
        return b;
    };
    // Never destroyed: modules hold these pointers in static objects that may
    // outlive this unit at exit.
    static std::mutex* mutex = new std::mutex;
    static auto* interned = new std::map<Key, std::unique_ptr<EVALUE_BOUNDS>>;

    Key key{bits(low), bits(high), bits(third), bits(def)};
    std::lock_guard<std::mutex> lock(*mutex);
    auto& slot = (*interned)[key];
    if (!slot) slot.reset(new EVALUE_BOUNDS{low, high, third, def});
    return slot.get();
}
