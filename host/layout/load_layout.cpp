#include "layout/load_layout.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "layout/json_layout.h"
#include "layout/page_xml.h"
#include "store/polygon_mask.h"

namespace lucentra {
namespace {

// Larger layout files are not layouts anyone wrote; reading them whole would
// only waste memory.
constexpr std::streamoff kMaxLayoutBytes = 64 << 20;

// A pixel counts as coloured when its channels differ by more than this (scanner
// noise on gray originals stays well below), a photo when more than 1% of its
// pixels are.
constexpr int kColourSpread = 32;

char first_character(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char buffer[256];
    in.read(buffer, sizeof buffer);
    std::streamsize n = in.gcount();
    std::streamsize i = 0;
    if (n >= 3 && (unsigned char)buffer[0] == 0xEF && (unsigned char)buffer[1] == 0xBB &&
        (unsigned char)buffer[2] == 0xBF)
        i = 3;
    while (i < n && (buffer[i] == ' ' || buffer[i] == '\t' || buffer[i] == '\r' || buffer[i] == '\n')) ++i;
    return i < n ? buffer[i] : '\0';
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) throw LayoutError(path + ": cannot read the layout file");
    std::streamoff size = in.tellg();
    if (size > kMaxLayoutBytes) throw LayoutError(path + ": the layout file is too large (over 64 MB)");
    in.seekg(0);
    std::string text((size_t)std::max<std::streamoff>(size, 0), '\0');
    in.read(text.data(), (std::streamsize)text.size());
    if (!in) throw LayoutError(path + ": cannot read the layout file");
    return text;
}

std::string coordinate(double v) {
    char text[32];
    snprintf(text, sizeof text, "%g", v);
    return text;
}

void open_scan(LayoutPage& page, const std::string& path, const DecodeOptions& decode) {
    const std::string where = path + ": " + page.label;
    std::shared_ptr<const ImageFile> image;
    try {
        image = open_image(page.scan_path, decode);
    } catch (const DecodeError& e) {
        throw LayoutError(where + ": the scan \"" + page.scan + "\" cannot be used: " + e.what());
    }
    if (page.scan_page >= image->page_count())
        throw LayoutError(where + ": the scan \"" + page.scan + "\" has " + std::to_string(image->page_count()) +
                          " page" + (image->page_count() == 1 ? "" : "s") + ", not " +
                          std::to_string(page.scan_page + 1));
    page.image = image;
    page.info = image->page(page.scan_page);
    if (page.xres) page.info.xres = *page.xres, page.info.res_from_file = true;
    if (page.yres) page.info.yres = *page.yres;
    if ((page.expected_width && *page.expected_width != page.info.width) ||
        (page.expected_height && *page.expected_height != page.info.height))
        throw LayoutError(where + ": the scan \"" + page.scan + "\" is " + std::to_string(page.info.width) + " x " +
                          std::to_string(page.info.height) + " pixels, but the file describes " +
                          std::to_string(page.expected_width.value_or(page.info.width)) + " x " +
                          std::to_string(page.expected_height.value_or(page.info.height)));
}

void check_region(const LayoutPage& page, const LayoutRegion& region, const std::string& path) {
    const std::string where = path + ": " + (page.label == "Page" ? "" : page.label + ", ") + region.label;
    for (size_t i = 0; i < region.polygon.size(); ++i) {
        const EPOINT& p = region.polygon[i];
        if (!(p.x >= 0 && p.y >= 0 && p.x <= page.info.width && p.y <= page.info.height))
            throw LayoutError(where + ": the region lies outside the page: point " + std::to_string(i + 1) + " (" +
                              coordinate(p.x) + ", " + coordinate(p.y) + ") is not within the scan's " +
                              std::to_string(page.info.width) + " x " + std::to_string(page.info.height) +
                              " pixels");
    }
    double twice_area = 0;
    for (size_t i = 0, j = region.polygon.size() - 1; i < region.polygon.size(); j = i++)
        twice_area += (double)region.polygon[j].x * region.polygon[i].y - (double)region.polygon[i].x * region.polygon[j].y;
    if (twice_area == 0) throw LayoutError(where + ": the polygon encloses no area");
}

// Gray or colour photo, by the pixels inside each photo region of the page.
void class_photos_by_content(LayoutPage& page, const std::string& path) {
    std::vector<LayoutRegion*> photos;
    for (LayoutRegion& r : page.regions)
        if (r.photo_by_content) photos.push_back(&r);
    if (photos.empty()) return;
    if (page.info.channels == 1) {
        for (LayoutRegion* r : photos) r->class_id = CID_GRAY_PHOTO, r->colour = false;
        return;
    }
    struct Survey {
        PolygonMask mask;
        int top, bottom;
        uint64_t inside = 0, coloured = 0;
    };
    std::vector<Survey> surveys;
    int last_row = 0;
    for (LayoutRegion* r : photos) {
        float top = r->polygon[0].y, bottom = top;
        for (const EPOINT& p : r->polygon) top = std::min(top, p.y), bottom = std::max(bottom, p.y);
        surveys.push_back({PolygonMask(r->polygon), (int)std::floor(top), (int)std::ceil(bottom)});
        last_row = std::max(last_row, std::min((int)std::ceil(bottom), page.info.height));
    }
    std::vector<uint8_t> row(page.info.row_bytes());
    std::vector<double> crossings;
    try {
        auto reader = page.image->open_rows(page.scan_page);
        for (int y = 0; y < last_row; ++y) {
            reader->read(row.data());
            for (Survey& s : surveys) {
                if (y < s.top || y >= s.bottom) continue;
                s.mask.crossings(y + 0.5, &crossings);
                for (size_t k = 0; k + 1 < crossings.size(); k += 2) {
                    int from = std::max(0, (int)std::ceil(crossings[k] - 0.5));
                    int to = std::min(page.info.width, (int)std::ceil(crossings[k + 1] - 0.5));
                    for (int x = from; x < to; ++x) {
                        const uint8_t* p = row.data() + (size_t)x * 3;
                        int spread = std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]});
                        ++s.inside;
                        if (spread > kColourSpread) ++s.coloured;
                    }
                }
            }
        }
    } catch (const DecodeError& e) {
        throw LayoutError(path + ": the scan \"" + page.scan + "\" cannot be read: " + e.what());
    }
    for (size_t i = 0; i < photos.size(); ++i) {
        bool colour = surveys[i].coloured * 100 > surveys[i].inside;
        photos[i]->class_id = colour ? CID_COLOUR_3102 : CID_GRAY_PHOTO;
        photos[i]->colour = colour;
    }
}

}  // namespace

bool is_layout_file(const std::string& path) {
    char c = first_character(path);
    return c == '{' || c == '<';
}

Layout load_layout(const std::string& path, const DecodeOptions& decode) {
    const std::string text = read_file(path);
    char first = first_character(path);
    Layout layout = first == '<' ? read_page_xml(text, path) : read_json_layout(text, path);
    // Every scan and every region is checked before any pixel is read, so the
    // cheap mistakes are reported first.
    for (LayoutPage& page : layout.pages) {
        open_scan(page, path, decode);
        for (const LayoutRegion& region : page.regions) check_region(page, region, path);
    }
    for (LayoutPage& page : layout.pages) class_photos_by_content(page, path);
    return layout;
}

}  // namespace lucentra
