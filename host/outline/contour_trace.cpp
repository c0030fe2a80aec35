// Contour tracing by following pixel edges: every directed boundary edge is
// recorded at the grid corner it leaves, then chains of edges are walked until
// they close. A corner with two edges leaving it (two black pixels meeting
// diagonally) takes the right-hand turn, which keeps diagonal neighbours apart.
#include "outline/contour_trace.h"

namespace lucentra {
namespace {

// Directions on the corner grid (y down) and their bits in a corner's set of
// outgoing edges.
enum Dir { East = 0, South = 1, West = 2, North = 3 };
constexpr int kDx[4] = {1, 0, -1, 0};
constexpr int kDy[4] = {0, 1, 0, -1};

Dir right_of(int d) { return (Dir)((d + 1) % 4); }  // East -> South is a right turn on screen
Dir left_of(int d) { return (Dir)((d + 3) % 4); }

}  // namespace

std::vector<CLART_FIGURE> trace_contours(const BilevelImage& image, float origin_x, float origin_y) {
    const int w = image.width, h = image.height;
    std::vector<CLART_FIGURE> figures;
    if (w <= 0 || h <= 0) return figures;
    const size_t cw = (size_t)w + 1;
    std::vector<uint8_t> out((size_t)(w + 1) * (h + 1), 0);  // outgoing edge bits per corner
    auto at = [&](int x, int y) -> uint8_t& { return out[(size_t)y * cw + x]; };

    // Edges with black on their right: along the top of pixel (x, y) eastwards when
    // it is black and the pixel above is not, westwards in the opposite case; along
    // its left side southwards when the left neighbour is black and it is not,
    // northwards in the opposite case.
    for (int y = 0; y <= h; ++y)
        for (int x = 0; x < w; ++x) {
            bool below = image.black(x, y), above = image.black(x, y - 1);
            if (below && !above) at(x, y) |= 1 << East;
            if (above && !below) at(x + 1, y) |= 1 << West;
        }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x <= w; ++x) {
            bool right = image.black(x, y), left = image.black(x - 1, y);
            if (left && !right) at(x, y) |= 1 << South;
            if (right && !left) at(x, y + 1) |= 1 << North;
        }

    for (int sy = 0; sy <= h; ++sy)
        for (int sx = 0; sx <= w; ++sx) {
            while (at(sx, sy) != 0) {
                // Start on the lowest outgoing edge of this corner; its bit stays set
                // until the walk takes it again, which closes the figure.
                int start_dir = 0;
                while (!(at(sx, sy) & (1 << start_dir))) ++start_dir;
                CLART_FIGURE figure;
                figure.start = EPOINT(origin_x + sx, origin_y + sy);
                int x = sx, y = sy, dir = start_dir;
                at(x, y) &= (uint8_t)~(1 << dir);
                for (;;) {
                    x += kDx[dir], y += kDy[dir];
                    uint8_t& edges = at(x, y);
                    const bool closing = x == sx && y == sy;
                    if (closing) edges |= (uint8_t)(1 << start_dir);
                    int next = -1;
                    for (int candidate : {(int)right_of(dir), dir, (int)left_of(dir)})
                        if (edges & (1 << candidate)) {
                            next = candidate;
                            break;
                        }
                    if (closing && next == start_dir) {
                        edges &= (uint8_t)~(1 << start_dir);
                        break;
                    }
                    if (closing) edges &= (uint8_t)~(1 << start_dir);
                    if (next < 0) break;  // cannot happen on a consistent edge set
                    edges &= (uint8_t)~(1 << next);
                    // Only the corners where the boundary turns become points.
                    if (next != dir) {
                        figure.kinds.push_back(CLART_FIGURE::LINE);
                        figure.points.push_back(EPOINT(origin_x + x, origin_y + y));
                    }
                    dir = next;
                }
                // The walk ends at its start: the last turn back into start_dir
                // is at the start corner, and the fill closes the figure there.
                if (dir != start_dir) {
                    figure.kinds.push_back(CLART_FIGURE::LINE);
                    figure.points.push_back(figure.start);
                }
                if (figure.kinds.size() >= 2) figures.push_back(std::move(figure));
            }
        }
    return figures;
}

}  // namespace lucentra
