// SVG path data: a hand-written reader of the path grammar (numbers may run into
// each other, "10-5" and "0.5.5" are two numbers each, arc flags need no
// separator) and the conversion of every command to lines and cubic curves.
#include "outline/svg_path.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace lucentra {
namespace {

struct Point {
    double x = 0, y = 0;
};

class PathReader {
public:
    explicit PathReader(const std::string& data) : d_(data) {}

    ParsedPath read() {
        skip_separators();
        if (at_end()) return std::move(out_);
        char first = d_[pos_];
        if (first != 'M' && first != 'm') fail("path data must start with a move (M or m)");
        while (!at_end()) {
            char command = d_[pos_];
            if (!std::isalpha((unsigned char)command)) fail("expected a command letter");
            ++pos_;
            run_command(command);
            skip_separators();
        }
        finish_figure();
        return std::move(out_);
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        throw PathSyntaxError(what + " at character " + std::to_string(pos_ + 1), pos_);
    }
    bool at_end() const { return pos_ >= d_.size(); }
    void skip_spaces() {
        while (!at_end() && std::isspace((unsigned char)d_[pos_])) ++pos_;
    }
    // Whitespace with at most one comma.
    void skip_separators() {
        skip_spaces();
        if (!at_end() && d_[pos_] == ',') {
            ++pos_;
            skip_spaces();
        }
    }
    bool number_follows() {
        skip_separators();
        if (at_end()) return false;
        char c = d_[pos_];
        return std::isdigit((unsigned char)c) || c == '-' || c == '+' || c == '.';
    }

    double number() {
        skip_separators();
        size_t start = pos_;
        if (!at_end() && (d_[pos_] == '-' || d_[pos_] == '+')) ++pos_;
        size_t digits = 0;
        while (!at_end() && std::isdigit((unsigned char)d_[pos_])) ++pos_, ++digits;
        if (!at_end() && d_[pos_] == '.') {
            ++pos_;
            while (!at_end() && std::isdigit((unsigned char)d_[pos_])) ++pos_, ++digits;
        }
        if (digits == 0) {
            pos_ = start;
            fail("expected a number");
        }
        if (!at_end() && (d_[pos_] == 'e' || d_[pos_] == 'E')) {
            size_t mark = pos_++;
            if (!at_end() && (d_[pos_] == '-' || d_[pos_] == '+')) ++pos_;
            size_t exponent_digits = 0;
            while (!at_end() && std::isdigit((unsigned char)d_[pos_])) ++pos_, ++exponent_digits;
            // "2e" is the number 2 followed by something else, as SVG readers take it.
            if (exponent_digits == 0) pos_ = mark;
        }
        // strtod on the scanned span only: it must not read "inf", "nan" or hex.
        std::string text = d_.substr(start, pos_ - start);
        return std::strtod(text.c_str(), nullptr);  // out of range gives inf: handled as a lost figure
    }

    bool flag() {
        skip_separators();
        if (at_end() || (d_[pos_] != '0' && d_[pos_] != '1')) fail("expected an arc flag (0 or 1)");
        return d_[pos_++] == '1';
    }

    Point point(bool relative) {
        Point p;
        p.x = number();
        p.y = number();
        if (relative) p.x += current_.x, p.y += current_.y;
        return p;
    }

    // --- figure building
    void ensure_figure() {
        if (open_) return;
        figure_ = CLART_FIGURE();
        figure_.start = EPOINT((float)current_.x, (float)current_.y);
        finite_ = std::isfinite(figure_.start.x) && std::isfinite(figure_.start.y);
        open_ = true;
    }
    void add(CLART_FIGURE::SEGMENT kind, std::initializer_list<Point> points) {
        ensure_figure();
        figure_.kinds.push_back(kind);
        for (const Point& p : points) {
            EPOINT e((float)p.x, (float)p.y);
            if (!std::isfinite(e.x) || !std::isfinite(e.y)) finite_ = false;
            figure_.points.push_back(e);
        }
    }
    void finish_figure() {
        if (!open_) return;
        open_ = false;
        if (figure_.kinds.empty()) return;  // a lone move draws nothing
        if (!finite_) {
            ++out_.lost_figures;
            return;
        }
        out_.figures.push_back(std::move(figure_));
    }
    void line_to(const Point& p) {
        add(CLART_FIGURE::LINE, {p});
        current_ = p;
    }
    void cubic_to(const Point& c1, const Point& c2, const Point& p) {
        add(CLART_FIGURE::BEZIER, {c1, c2, p});
        last_cubic_control_ = c2;
        current_ = p;
    }
    void quadratic_to(const Point& q, const Point& p) {
        // Elevation: the cubic with controls two thirds of the way to q.
        Point c1{current_.x + 2.0 / 3.0 * (q.x - current_.x), current_.y + 2.0 / 3.0 * (q.y - current_.y)};
        Point c2{p.x + 2.0 / 3.0 * (q.x - p.x), p.y + 2.0 / 3.0 * (q.y - p.y)};
        add(CLART_FIGURE::BEZIER, {c1, c2, p});
        last_quadratic_control_ = q;
        current_ = p;
    }
    void arc_to(double rx, double ry, double rotation_deg, bool large, bool sweep, const Point& p);

    void run_command(char command) {
        const bool relative = std::islower((unsigned char)command);
        const char c = (char)std::toupper((unsigned char)command);
        // The reflections of S and T use the previous segment's control only when
        // that segment was of the same family.
        auto reflected = [&](bool previous_matches, const Point& control) {
            return previous_matches ? Point{2 * current_.x - control.x, 2 * current_.y - control.y} : current_;
        };
        bool first = true;
        do {
            char kind = c;
            switch (c) {
            case 'M': {
                Point p = point(relative);
                if (first) {
                    finish_figure();
                    current_ = start_ = p;
                } else {
                    line_to(p);  // further pairs of a move are lines
                    kind = 'L';
                }
                break;
            }
            case 'L': line_to(point(relative)); break;
            case 'H': {
                double x = number();
                line_to({relative ? current_.x + x : x, current_.y});
                break;
            }
            case 'V': {
                double y = number();
                line_to({current_.x, relative ? current_.y + y : y});
                break;
            }
            case 'C': {
                Point c1 = point(relative), c2 = point(relative), p = point(relative);
                cubic_to(c1, c2, p);
                break;
            }
            case 'S': {
                Point c1 = reflected(previous_ == 'C' || previous_ == 'S', last_cubic_control_);
                Point c2 = point(relative), p = point(relative);
                cubic_to(c1, c2, p);
                break;
            }
            case 'Q': {
                Point q = point(relative), p = point(relative);
                quadratic_to(q, p);
                break;
            }
            case 'T': {
                Point q = reflected(previous_ == 'Q' || previous_ == 'T', last_quadratic_control_);
                quadratic_to(q, point(relative));
                break;
            }
            case 'A': {
                double rx = number(), ry = number(), rotation = number();
                bool large = flag(), sweep = flag();
                arc_to(rx, ry, rotation, large, sweep, point(relative));
                break;
            }
            case 'Z':
                // The figure is closed by the fill; a new one starts where it began.
                finish_figure();
                current_ = start_;
                previous_ = 'Z';
                return;
            default: --pos_, fail(std::string("unknown path command '") + command + "'");
            }
            previous_ = kind;
            first = false;
        } while (number_follows());
    }

    const std::string& d_;
    size_t pos_ = 0;
    ParsedPath out_;
    CLART_FIGURE figure_;
    bool open_ = false;
    bool finite_ = true;
    Point current_, start_, last_cubic_control_, last_quadratic_control_;
    char previous_ = 0;
};

// Elliptical arc from the current point to p, as cubic pieces of at most 90
// degrees (the endpoint-to-centre conversion of the SVG implementation notes).
void PathReader::arc_to(double rx, double ry, double rotation_deg, bool large, bool sweep, const Point& p) {
    const Point from = current_;
    if (from.x == p.x && from.y == p.y) return;  // SVG: an arc to its own start is left out
    rx = std::fabs(rx), ry = std::fabs(ry);
    if (rx == 0 || ry == 0 || !std::isfinite(rx) || !std::isfinite(ry)) return line_to(p);
    const double phi = rotation_deg * M_PI / 180.0, cos_phi = std::cos(phi), sin_phi = std::sin(phi);
    const double dx = (from.x - p.x) / 2, dy = (from.y - p.y) / 2;
    const double x1 = cos_phi * dx + sin_phi * dy, y1 = -sin_phi * dx + cos_phi * dy;
    // Radii too small to reach p are scaled up until they just do.
    const double lambda = x1 * x1 / (rx * rx) + y1 * y1 / (ry * ry);
    if (lambda > 1) rx *= std::sqrt(lambda), ry *= std::sqrt(lambda);
    const double num = rx * rx * ry * ry - rx * rx * y1 * y1 - ry * ry * x1 * x1;
    const double den = rx * rx * y1 * y1 + ry * ry * x1 * x1;
    double coef = den > 0 ? std::sqrt(std::max(0.0, num / den)) : 0;
    if (large == sweep) coef = -coef;
    const double cxp = coef * rx * y1 / ry, cyp = -coef * ry * x1 / rx;
    const double cx = cos_phi * cxp - sin_phi * cyp + (from.x + p.x) / 2;
    const double cy = sin_phi * cxp + cos_phi * cyp + (from.y + p.y) / 2;
    const double ux = (x1 - cxp) / rx, uy = (y1 - cyp) / ry, vx = (-x1 - cxp) / rx, vy = (-y1 - cyp) / ry;
    const double theta = std::atan2(uy, ux);
    double delta = std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
    if (!sweep && delta > 0) delta -= 2 * M_PI;
    if (sweep && delta < 0) delta += 2 * M_PI;

    const int pieces = std::max(1, (int)std::ceil(std::fabs(delta) / (M_PI / 2) - 1e-9));
    const double step = delta / pieces, k = 4.0 / 3.0 * std::tan(step / 4);
    auto map = [&](double ex, double ey) {
        return Point{cx + rx * cos_phi * ex - ry * sin_phi * ey, cy + rx * sin_phi * ex + ry * cos_phi * ey};
    };
    double a = theta;
    for (int i = 0; i < pieces; ++i) {
        const double b = a + step;
        Point c1 = map(std::cos(a) - k * std::sin(a), std::sin(a) + k * std::cos(a));
        Point c2 = map(std::cos(b) + k * std::sin(b), std::sin(b) - k * std::cos(b));
        Point end = i + 1 == pieces ? p : map(std::cos(b), std::sin(b));
        cubic_to(c1, c2, end);
        a = b;
    }
}

}  // namespace

ParsedPath parse_svg_path(const std::string& data) { return PathReader(data).read(); }

}  // namespace lucentra
