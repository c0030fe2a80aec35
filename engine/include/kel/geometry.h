// Engine geometry: integer coordinates and boxes (16-bit, wrapping), float points,
// resolutions, rectangles that carry their coordinate space, and polygons.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "kel/types.h"

// A 16-bit signed point. Arithmetic wraps at 16 bits, as the engine's boxes do.
class KEL_API ICOORD {
public:
    ICOORD() : xcoord(0), ycoord(0) {}
    ICOORD(int x, int y) : xcoord((int16_t)x), ycoord((int16_t)y) {}

    int16_t x() const { return xcoord; }
    int16_t y() const { return ycoord; }
    void set_x(int x) { xcoord = (int16_t)x; }
    void set_y(int y) { ycoord = (int16_t)y; }

    ICOORD& operator+=(const ICOORD& o) {
        xcoord = (int16_t)(xcoord + o.xcoord);
        ycoord = (int16_t)(ycoord + o.ycoord);
        return *this;
    }
    ICOORD& operator-=(const ICOORD& o) {
        xcoord = (int16_t)(xcoord - o.xcoord);
        ycoord = (int16_t)(ycoord - o.ycoord);
        return *this;
    }
    friend ICOORD operator+(ICOORD a, const ICOORD& b) { return a += b; }
    friend ICOORD operator-(ICOORD a, const ICOORD& b) { return a -= b; }
    friend ICOORD operator-(const ICOORD& a) { return ICOORD(-a.xcoord, -a.ycoord); }
    bool operator==(const ICOORD& o) const { return xcoord == o.xcoord && ycoord == o.ycoord; }

    int16_t xcoord;
    int16_t ycoord;
};

// A float direction or point; as a direction, x is the cosine and y the sine.
class KEL_API FCOORD {
public:
    FCOORD() : xcoord(0), ycoord(0) {}
    FCOORD(float x, float y) : xcoord(x), ycoord(y) {}
    float x() const { return xcoord; }
    float y() const { return ycoord; }

    float xcoord;
    float ycoord;
};

// A box of two corners: the lower (smallest x and y) and the upper (largest).
// The empty box runs from (32767, 32767) to (-32767, -32767); a box is null when a
// lower coordinate exceeds the upper one. The default box is the empty box.
class KEL_API BOX {
public:
    BOX() : lo(32767, 32767), hi(-32767, -32767) {}
    BOX(const ICOORD& lower, const ICOORD& upper) : lo(lower), hi(upper) {}

    static BOX empty_box() { return BOX(); }

    const ICOORD& lower() const { return lo; }
    const ICOORD& upper() const { return hi; }
    ICOORD& lower() { return lo; }
    ICOORD& upper() { return hi; }
    int16_t left() const { return lo.x(); }
    int16_t bottom() const { return lo.y(); }  // smallest y
    int16_t right() const { return hi.x(); }
    int16_t top() const { return hi.y(); }     // largest y

    bool null_box() const { return lo.x() > hi.x() || lo.y() > hi.y(); }
    // Upper minus lower in 16-bit arithmetic; 0 for a null box.
    int16_t width() const { return null_box() ? 0 : (int16_t)(hi.x() - lo.x()); }
    int16_t height() const { return null_box() ? 0 : (int16_t)(hi.y() - lo.y()); }
    // width x height as a 32-bit value, 0 for a null box.
    int32_t area() const { return null_box() ? 0 : (int32_t)width() * height(); }

    // Moves both corners (16-bit wrap).
    void move(const ICOORD& shift) {
        lo += shift;
        hi += shift;
    }
    // Turns both corners about the origin by the direction (cos, sin), rounding to
    // the nearest integer; the box then spans the turned corners.
    void rotate(const FCOORD& direction);
    // Union: smaller lower and larger upper coordinates.
    BOX& operator+=(const BOX& other);
    // Touching boxes overlap.
    bool overlap(const BOX& other) const {
        return lo.x() <= other.hi.x() && other.lo.x() <= hi.x() && lo.y() <= other.hi.y() &&
               other.lo.y() <= hi.y();
    }
    bool operator==(const BOX& o) const { return lo == o.lo && hi == o.hi; }

    ICOORD lo;
    ICOORD hi;
};

struct KEL_API EPOINT {
    EPOINT() : x(0), y(0) {}
    EPOINT(float px, float py) : x(px), y(py) {}
    float x;
    float y;
};

// Dots per inch on each axis.
struct KEL_API ERESOLUTION {
    ERESOLUTION() : x(300), y(300) {}
    explicit ERESOLUTION(float both) : x(both), y(both) {}
    ERESOLUTION(float rx, float ry) : x(rx), y(ry) {}
    float x;
    float y;
};

// Translates measurements between coordinate spaces. A space is a resolution
// and an origin; the origin is given in pixels of that space, and the space's pixel
// v lies at (v + origin) / resolution inches from the page corner. Values are
// stored in the native space and reported in the active one, which is the native
// space until SetActiveCoordinateSpace changes it.
class KEL_API ECOORDXLATOR {
public:
    ECOORDXLATOR() = default;
    ECOORDXLATOR(const ERESOLUTION& resolution, const EPOINT& origin)
        : native_res(resolution), native_origin(origin), active_res(resolution), active_origin(origin) {}

    // The native space.
    void GetCoordinateSpace(ERESOLUTION* resolution, EPOINT* origin) const;
    void SetActiveCoordinateSpace(const ERESOLUTION& resolution, const EPOINT& origin);
    void GetActiveCoordinateSpace(ERESOLUTION* resolution, EPOINT* origin) const;

    // Native to active, per axis, and back.
    float ToActiveX(float native) const;
    float ToActiveY(float native) const;
    float ToNativeX(float active) const;
    float ToNativeY(float active) const;

    ERESOLUTION native_res;
    EPOINT native_origin;
    ERESOLUTION active_res;
    EPOINT active_origin;
};

// A rectangle kept in its native space (left/right along x, top/bottom along y),
// reported in the translator's active space.
class KEL_API ERECTANGLE {
public:
    ERECTANGLE() : left(0), top(0), right(0), bottom(0) {}
    ERECTANGLE(float l, float t, float r, float b, const ECOORDXLATOR& space)
        : left(l), top(t), right(r), bottom(b), xlator(space) {}

    ECOORDXLATOR& GetCoordXlator() { return xlator; }
    const ECOORDXLATOR& GetCoordXlator() const { return xlator; }

    float Left() const { return xlator.ToActiveX(left); }
    float Top() const { return xlator.ToActiveY(top); }
    float Right() const { return xlator.ToActiveX(right); }
    float Bottom() const { return xlator.ToActiveY(bottom); }
    // Whole-pixel extents in the active space: the width and height rounded to the
    // nearest integer (never negative).
    int IntWidth() const;
    int IntHeight() const;

    float left, top, right, bottom;  // native
    ECOORDXLATOR xlator;
};

// A closed polygon kept in its native space and measured in the active one.
class KEL_API EPOLYGON {
public:
    EPOLYGON() = default;
    EPOLYGON(std::vector<EPOINT> native_points, const ECOORDXLATOR& space)
        : points(std::move(native_points)), xlator(space) {}

    ECOORDXLATOR& GetCoordXlator() { return xlator; }
    const ECOORDXLATOR& GetCoordXlator() const { return xlator; }

    // Bounding rectangle, with this polygon's translator (native and active space).
    ERECTANGLE BoundingBox() const;
    // Area in square pixels of the active space (always positive).
    double Area() const;
    // Whether the point (in the active space) lies inside (even-odd rule; points on
    // the boundary count as inside).
    bool In(const EPOINT& point) const;
    size_t Count() const { return points.size(); }

    std::vector<EPOINT> points;  // native
    ECOORDXLATOR xlator;
};
