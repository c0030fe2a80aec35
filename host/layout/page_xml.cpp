#include "layout/page_xml.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>

namespace lucentra {
namespace {

constexpr const char* kPageNamespacePrefix = "http://schema.primaresearch.org/PAGE/gts/pagecontent/";

struct DocFree {
    void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};

std::string name_of(const xmlNode* n) { return n && n->name ? (const char*)n->name : ""; }

bool is_element(const xmlNode* n, const char* name = nullptr) {
    return n && n->type == XML_ELEMENT_NODE && (!name || name_of(n) == name);
}

std::vector<const xmlNode*> children(const xmlNode* parent, const char* name = nullptr) {
    std::vector<const xmlNode*> out;
    for (const xmlNode* c = parent->children; c; c = c->next)
        if (is_element(c, name)) out.push_back(c);
    return out;
}

std::optional<std::string> attribute(const xmlNode* n, const char* name) {
    xmlChar* value = xmlGetProp(n, (const xmlChar*)name);
    if (!value) return std::nullopt;
    std::string text = (const char*)value;
    xmlFree(value);
    return text;
}

// A number written in an attribute; nothing when it is absent, an error when it
// is not a number.
std::optional<double> number_attribute(const xmlNode* n, const char* name, const std::string& where) {
    auto text = attribute(n, name);
    if (!text) return std::nullopt;
    char* end = nullptr;
    double v = std::strtod(text->c_str(), &end);
    while (end && *end == ' ') ++end;
    if (text->empty() || !end || *end != '\0' || !std::isfinite(v))
        throw LayoutError(where + ": " + name + "=\"" + *text + "\" is not a number");
    return v;
}

enum class Kind { LineArt, Photo, Palette, Refused, Unknown };

Kind kind_of(const std::string& element) {
    static const std::map<std::string, Kind> kinds = {
        {"TextRegion", Kind::LineArt},      {"TableRegion", Kind::LineArt},   {"MathsRegion", Kind::LineArt},
        {"SeparatorRegion", Kind::LineArt}, {"LineDrawingRegion", Kind::LineArt},
        {"ChemRegion", Kind::LineArt},      {"MusicRegion", Kind::LineArt},   {"ImageRegion", Kind::Photo},
        {"AdvertRegion", Kind::Photo},      {"UnknownRegion", Kind::Photo},   {"CustomRegion", Kind::Photo},
        {"GraphicRegion", Kind::Palette},   {"ChartRegion", Kind::Palette},   {"MapRegion", Kind::Palette},
        {"NoiseRegion", Kind::Refused},
    };
    auto it = kinds.find(element);
    return it == kinds.end() ? Kind::Unknown : it->second;
}

bool ends_with(const std::string& s, const char* tail) {
    size_t n = strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

std::vector<EPOINT> read_coords(const xmlNode* region, const std::string& where) {
    std::vector<const xmlNode*> coords = children(region, "Coords");
    if (coords.empty()) throw LayoutError(where + ": the region has no Coords");
    std::vector<EPOINT> points;
    if (auto text = attribute(coords[0], "points")) {
        // "x1,y1 x2,y2 ..."
        const char* p = text->c_str();
        for (;;) {
            while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r') ++p;
            if (!*p) break;
            char* end = nullptr;
            double x = std::strtod(p, &end);
            if (end == p || *end != ',')
                throw LayoutError(where + ": Coords points=\"" + *text + "\" is not a list of x,y pairs");
            p = end + 1;
            double y = std::strtod(p, &end);
            if (end == p || !std::isfinite(x) || !std::isfinite(y) || (*end && *end != ' ' && *end != '\t' &&
                                                                        *end != '\n' && *end != '\r'))
                throw LayoutError(where + ": Coords points=\"" + *text + "\" is not a list of x,y pairs");
            points.emplace_back((float)x, (float)y);
            p = end;
        }
    } else {
        // Files of the 2010 schemas list Point elements.
        for (const xmlNode* point : children(coords[0], "Point")) {
            auto x = number_attribute(point, "x", where), y = number_attribute(point, "y", where);
            if (!x || !y) throw LayoutError(where + ": a Point needs x and y");
            points.emplace_back((float)*x, (float)*y);
        }
    }
    if (points.size() < 3)
        throw LayoutError(where + ": the polygon has " + std::to_string(points.size()) + " point" +
                          (points.size() == 1 ? "" : "s") + "; a region needs at least three");
    return points;
}

// Region ids in reading order: ordered groups by index, unordered ones as written.
void reading_order(const xmlNode* group, bool ordered, std::vector<std::string>* ids) {
    std::vector<std::pair<long, const xmlNode*>> members;
    long position = 0;
    for (const xmlNode* c : children(group)) {
        long key = position++;
        if (ordered) {
            auto index = attribute(c, "index");
            key = index ? std::strtol(index->c_str(), nullptr, 10) : LONG_MAX;
        }
        members.emplace_back(key, c);
    }
    if (ordered)
        std::stable_sort(members.begin(), members.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [key, member] : members) {
        std::string name = name_of(member);
        // A group may stand for a region of its own (a table, say) before its members.
        if (auto ref = attribute(member, "regionRef")) ids->push_back(*ref);
        if (name == "OrderedGroup" || name == "OrderedGroupIndexed") reading_order(member, true, ids);
        if (name == "UnorderedGroup" || name == "UnorderedGroupIndexed") reading_order(member, false, ids);
    }
}

}  // namespace

Layout read_page_xml(const std::string& text, const std::string& path) {
    if (text.size() > (size_t)INT_MAX) throw LayoutError(path + ": the file is too large");
    // No network, no external entities, no entity substitution: a layout file
    // must not reach out of itself.
    std::unique_ptr<xmlDoc, DocFree> doc(xmlReadMemory(text.data(), (int)text.size(), path.c_str(), nullptr,
                                                       XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (!doc) {
        const xmlError* e = xmlGetLastError();
        std::string why = e && e->message ? e->message : "unreadable";
        while (!why.empty() && (why.back() == '\n' || why.back() == ' ')) why.pop_back();
        throw LayoutError(path + ": not well-formed XML" + (e ? " (line " + std::to_string(e->line) + ")" : "") +
                          ": " + why);
    }
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    const std::string ns = root && root->ns && root->ns->href ? (const char*)root->ns->href : "";
    if (!is_element(root, "PcGts") || ns.rfind(kPageNamespacePrefix, 0) != 0)
        throw LayoutError(path + ": not a PAGE-XML file (the root element is " + name_of(root) +
                          (ns.empty() ? "" : " in " + ns) + ", not PcGts in " + kPageNamespacePrefix + "...)");
    std::vector<const xmlNode*> pages = children(root, "Page");
    if (pages.size() != 1) throw LayoutError(path + ": a PAGE-XML file describes one Page, this one " +
                                             std::to_string(pages.size()));
    const xmlNode* page_node = pages[0];

    Layout layout;
    layout.path = path;
    layout.format = "PAGE-XML";
    LayoutPage page;
    page.label = "Page";
    const std::string where = path + ": Page";
    auto file = attribute(page_node, "imageFilename");
    if (!file || file->empty()) throw LayoutError(where + " has no imageFilename");
    page.scan = *file;
    std::filesystem::path scan(*file);
    page.scan_path = scan.is_absolute() ? scan.string() : (std::filesystem::path(path).parent_path() / scan).string();
    if (auto w = number_attribute(page_node, "imageWidth", where)) page.expected_width = (int)*w;
    if (auto h = number_attribute(page_node, "imageHeight", where)) page.expected_height = (int)*h;
    auto xres = number_attribute(page_node, "imageXResolution", where);
    auto yres = number_attribute(page_node, "imageYResolution", where);
    std::string unit = attribute(page_node, "imageResolutionUnit").value_or("PPI");
    if (xres && yres && *xres > 0 && *yres > 0 && unit != "other") {
        double per_inch = unit == "PPCM" ? 2.54 : 1.0;
        page.xres = *xres * per_inch;
        page.yres = *yres * per_inch;
    }

    std::vector<std::string> order;
    for (const xmlNode* ro : children(page_node, "ReadingOrder"))
        for (const xmlNode* group : children(ro)) {
            std::string name = name_of(group);
            reading_order(group, name == "OrderedGroup", &order);
        }
    std::map<std::string, int> key_of;
    for (const std::string& id : order) key_of.emplace(id, (int)key_of.size() + 1);

    int unordered = 0;
    for (const xmlNode* node : children(page_node)) {
        const std::string element = name_of(node);
        if (!ends_with(element, "Region")) continue;
        LayoutRegion region;
        region.id = attribute(node, "id").value_or("");
        region.number = (int)page.regions.size() + 1;
        region.label = "region " + (region.id.empty() ? "#" + std::to_string(region.number) : region.id) + " (" +
                       element + ", line " + std::to_string(xmlGetLineNo(node)) + ")";
        const std::string at = path + ": " + region.label;
        switch (kind_of(element)) {
        case Kind::LineArt: region.class_id = CID_LINE_ART; break;
        case Kind::Photo:
            region.class_id = CID_GRAY_PHOTO;
            region.photo_by_content = true;
            break;
        case Kind::Palette: region.class_id = CID_PALETTE_IMAGE; break;
        case Kind::Refused: region.class_id = CID_REFUSED_3010; break;
        case Kind::Unknown: throw LayoutError(at + ": unknown region type " + element);
        }
        region.polygon = read_coords(node, at);
        if (auto degrees = number_attribute(node, "orientation", at))
            region.orientation = (((int)std::lround(std::fmod(*degrees, 360.0) / 90.0)) % 4 + 4) % 4;
        auto key = key_of.find(region.id);
        region.order_key = key != key_of.end() ? key->second : (int)order.size() + 1 + unordered++;
        page.regions.push_back(std::move(region));
    }
    layout.pages.push_back(std::move(page));
    return layout;
}

}  // namespace lucentra
