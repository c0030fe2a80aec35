#include "print/printer.h"

#include <algorithm>

namespace pw::print {

const char* kind_name(Kind kind) {
    switch (kind) {
        case Kind::pdf: return "pdf";
        case Kind::png: return "png";
        case Kind::fax: return "fax";
        case Kind::ipp: return "ipp";
    }
    return "?";
}

// Landscape turns the page a quarter counter-clockwise, as the original's drivers
// do: the portrait left margin becomes the landscape bottom one.
int JobSettings::physical_width() const {
    return hmm_to_pixels(landscape ? paper.height : paper.width, resolution.x);
}
int JobSettings::physical_height() const {
    return hmm_to_pixels(landscape ? paper.width : paper.height, resolution.y);
}
int JobSettings::offset_x() const {
    return hmm_to_pixels(landscape ? margins.top : margins.left, resolution.x);
}
int JobSettings::offset_y() const {
    return hmm_to_pixels(landscape ? margins.right : margins.top, resolution.y);
}
int JobSettings::printable_width() const {
    int far = hmm_to_pixels(landscape ? margins.bottom : margins.right, resolution.x);
    return std::max(1, physical_width() - offset_x() - far);
}
int JobSettings::printable_height() const {
    int far = hmm_to_pixels(landscape ? margins.left : margins.bottom, resolution.y);
    return std::max(1, physical_height() - offset_y() - far);
}

JobSettings default_settings(const Printer& printer) {
    JobSettings s;
    s.resolution = printer.resolution;
    s.paper = printer.paper;
    s.colour = printer.colour;
    s.margins = printer.margins;
    return s;
}

}  // namespace pw::print
