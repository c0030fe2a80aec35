// SVG path data ("M 10 10 L 90 10 ...") as outline figures.
//
// Every command of SVG 1.1 path data is read, absolute and relative: M, L, H, V,
// C, S, Q, T, A and Z. Quadratic curves (Q, T) are elevated to cubic ones and
// elliptical arcs (A) are split into cubic pieces of at most a quarter turn, so a
// figure holds only straight and cubic segments, which is all the platform's
// paths draw.
//
// Coordinates stay in the space the data is written in; for layouts that is the
// scan's pixels, y growing downwards. Each subpath becomes one figure; a subpath
// that is only a move draws nothing and is left out. Figures are filled whole
// (an open subpath is closed by the fill), with the non-zero rule, which is also
// SVG's default fill rule.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "kel/xform.h"

namespace lucentra {

// A syntax error in path data. what() says what was expected and where (the
// 0-based character offset is also in `offset`).
class PathSyntaxError : public std::runtime_error {
public:
    PathSyntaxError(const std::string& what, size_t at) : std::runtime_error(what), offset(at) {}
    size_t offset;
};

struct ParsedPath {
    std::vector<CLART_FIGURE> figures;  // drawable figures, in the data's coordinates
    // Subpaths left out because a coordinate is not a finite number (such as
    // 1e999): they cannot be represented. Drawn figures are not affected.
    int lost_figures = 0;
};

// Reads path data. Throws PathSyntaxError for data that is not path data
// (an unknown command, a missing number, a bad arc flag); empty data is an
// empty drawing.
ParsedPath parse_svg_path(const std::string& data);

}  // namespace lucentra
