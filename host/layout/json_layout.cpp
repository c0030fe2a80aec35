#include "layout/json_layout.h"

#include <climits>
#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "layout/region_classes.h"
#include "outline/svg_path.h"

namespace lucentra {
namespace {

using nlohmann::json;

// Raises errors prefixed with the place they concern ("layout.json: page 1,
// region 2 ("title"): ...").
struct Place {
    std::string prefix;
    [[noreturn]] void fail(const std::string& what) const { throw LayoutError(prefix + ": " + what); }

    void only_fields(const json& object, std::initializer_list<const char*> allowed) const {
        for (auto it = object.begin(); it != object.end(); ++it) {
            bool known = it.key() == "comment";
            for (const char* name : allowed) known = known || it.key() == name;
            if (!known) {
                std::string list;
                for (const char* name : allowed) list += (list.empty() ? "" : ", ") + std::string(name);
                fail("unknown field \"" + it.key() + "\" (known: " + list + ")");
            }
        }
    }
    double number(const json& v, const std::string& what) const {
        if (!v.is_number()) fail(what + " must be a number");
        double d = v.get<double>();
        if (!std::isfinite(d)) fail(what + " must be a finite number");
        return d;
    }
    int whole(const json& v, const std::string& what, long low = INT_MIN, long high = INT_MAX) const {
        if (!v.is_number_integer()) fail(what + " must be a whole number");
        long long n = v.is_number_unsigned() ? (long long)std::min<uint64_t>(v.get<uint64_t>(), LLONG_MAX)
                                             : v.get<long long>();
        if (n < low || n > high)
            fail(what + " must be from " + std::to_string(low) + " to " + std::to_string(high) + ", not " +
                 std::to_string(n));
        return (int)n;
    }
};

std::string quote(const std::string& s) { return "\"" + s + "\""; }

std::vector<EPOINT> read_polygon(const json& v, const Place& at) {
    if (!v.is_array()) at.fail("\"polygon\" must be a list of [x, y] points");
    std::vector<EPOINT> points;
    for (size_t i = 0; i < v.size(); ++i) {
        const json& p = v[i];
        if (!p.is_array() || p.size() != 2)
            at.fail("point " + std::to_string(i + 1) + " of \"polygon\" must be [x, y]");
        std::string name = "point " + std::to_string(i + 1) + " of \"polygon\"";
        points.emplace_back((float)at.number(p[0], name), (float)at.number(p[1], name));
    }
    if (points.size() < 3)
        at.fail("the polygon has " + std::to_string(points.size()) + " point" + (points.size() == 1 ? "" : "s") +
                "; a region needs at least three");
    return points;
}

std::vector<EPOINT> read_box(const json& v, const Place& at) {
    if (!v.is_array() || v.size() != 4) at.fail("\"box\" must be [left, top, right, bottom]");
    float l = (float)at.number(v[0], "\"box\""), t = (float)at.number(v[1], "\"box\"");
    float r = (float)at.number(v[2], "\"box\""), b = (float)at.number(v[3], "\"box\"");
    if (!(r > l) || !(b > t)) at.fail("\"box\" must have right > left and bottom > top");
    return {{l, t}, {r, t}, {r, b}, {l, b}};
}

uint32_t read_fill(const json& v, const Place& at) {
    std::string text = v.is_string() ? v.get<std::string>() : "";
    if (text.size() != 7 || text[0] != '#' || text.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos)
        at.fail("\"fill\" must be a colour written #RRGGBB");
    unsigned long rgb = std::stoul(text.substr(1), nullptr, 16);
    // CLART colours are 0x00BBGGRR.
    return (uint32_t)(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
}

LayoutRegion read_region(const json& v, size_t index, const Place& page_place) {
    LayoutRegion region;
    region.number = (int)index + 1;
    region.label = "region " + std::to_string(index + 1);
    if (v.is_object() && v.contains("name") && v["name"].is_string()) {
        region.id = v["name"].get<std::string>();
        region.label += " (" + quote(region.id) + ")";
    }
    Place at{page_place.prefix + ", " + region.label};
    if (!v.is_object()) at.fail("a region must be an object");
    at.only_fields(v, {"class", "polygon", "box", "number", "order", "orientation", "subtype", "colour", "drawing",
                       "fill", "name"});
    if (v.contains("name") && !v["name"].is_string()) at.fail("\"name\" must be text");

    if (!v.contains("class")) at.fail("the region has no \"class\"");
    const json& cls = v["class"];
    std::optional<CLASS_ID> id;
    if (cls.is_string())
        id = region_class_from_name(cls.get<std::string>());
    else if (cls.is_number_integer()) {
        long long n = cls.is_number_unsigned() ? (long long)std::min<uint64_t>(cls.get<uint64_t>(), 100000)
                                               : cls.get<long long>();
        if (n >= 0 && n < 100000 && known_region_class((CLASS_ID)n)) id = (CLASS_ID)n;
    }
    if (!id) at.fail("unknown region type " + cls.dump() + " (known: " + region_class_names() + ", or their numbers)");
    region.class_id = *id;

    if (v.contains("polygon") == v.contains("box")) at.fail("the region needs either \"polygon\" or \"box\"");
    region.polygon = v.contains("polygon") ? read_polygon(v["polygon"], at) : read_box(v["box"], at);
    if (v.contains("number")) region.number = at.whole(v["number"], "\"number\"");
    if (v.contains("order")) region.order_key = at.whole(v["order"], "\"order\"", -1000000000, 1000000000);
    if (v.contains("orientation")) region.orientation = at.whole(v["orientation"], "\"orientation\"", 0, 3);
    if (v.contains("subtype")) region.subtype = at.whole(v["subtype"], "\"subtype\"");
    if (v.contains("colour")) {
        if (!v["colour"].is_boolean()) at.fail("\"colour\" must be true or false");
        region.colour = v["colour"].get<bool>();
    }
    if (v.contains("fill")) region.fill = read_fill(v["fill"], at);

    const bool outlines = region.class_id == CID_OUTLINES;
    if (v.contains("drawing")) {
        if (!outlines) at.fail("only outline regions have a \"drawing\"");
        if (!v["drawing"].is_string()) at.fail("\"drawing\" must be SVG path data or \"trace\"");
        std::string drawing = v["drawing"].get<std::string>();
        if (drawing == "trace") {
            region.drawing.kind = RegionDrawing::Kind::Trace;
        } else {
            region.drawing.kind = RegionDrawing::Kind::Path;
            region.drawing.path_data = drawing;
            try {
                ParsedPath parsed = parse_svg_path(drawing);
                region.drawing.figures = std::move(parsed.figures);
                region.drawing.lost_figures = parsed.lost_figures;
            } catch (const PathSyntaxError& e) {
                at.fail(std::string("the drawing is not SVG path data: ") + e.what());
            }
        }
    } else if (outlines) {
        at.fail("an outline region needs a \"drawing\" (SVG path data or \"trace\")");
    }
    return region;
}

LayoutPage read_page(const json& v, size_t index, const std::string& path) {
    LayoutPage page;
    page.label = "page " + std::to_string(index + 1);
    Place at{path + ": " + page.label};
    if (!v.is_object()) at.fail("a page must be an object");
    at.only_fields(v, {"scan", "page", "resolution", "frame", "regions"});
    if (!v.contains("scan") || !v["scan"].is_string() || v["scan"].get<std::string>().empty())
        at.fail("the page needs \"scan\", the path of its scanned image");
    page.scan = v["scan"].get<std::string>();
    std::filesystem::path scan(page.scan);
    page.scan_path = scan.is_absolute() ? scan.string() : (std::filesystem::path(path).parent_path() / scan).string();
    if (v.contains("page")) page.scan_page = at.whole(v["page"], "\"page\"", 1, INT_MAX) - 1;
    if (v.contains("resolution")) {
        const json& r = v["resolution"];
        auto dpi = [&](const json& n) {
            double d = at.number(n, "\"resolution\"");
            if (d < kMinBelievableDpi || d > kMaxBelievableDpi)
                at.fail("\"resolution\" must be from 10 to 20000 dots per inch");
            return d;
        };
        if (r.is_array() && r.size() == 2) {
            page.xres = dpi(r[0]);
            page.yres = dpi(r[1]);
        } else if (r.is_number()) {
            page.xres = page.yres = dpi(r);
        } else {
            at.fail("\"resolution\" must be dots per inch, or [horizontal, vertical]");
        }
    }
    if (v.contains("frame")) {
        const json& f = v["frame"];
        if (f != "page" && f != "regions") at.fail("\"frame\" must be \"page\" or \"regions\"");
        page.whole_page_frame = f == "page";
    }
    if (!v.contains("regions") || !v["regions"].is_array()) at.fail("the page needs \"regions\", a list");
    const json& regions = v["regions"];
    for (size_t i = 0; i < regions.size(); ++i) page.regions.push_back(read_region(regions[i], i, at));
    return page;
}

}  // namespace

Layout read_json_layout(const std::string& text, const std::string& path) {
    json doc;
    try {
        doc = json::parse(text);
    } catch (const json::exception& e) {
        // Syntax errors, and numbers too large for a double (out_of_range.406),
        // which the parser throws as another kind of exception.
        // e.what() reads "[json.exception.parse_error.101] parse error at line 3, column 5: ...".
        std::string what = e.what();
        size_t at = what.find("] ");
        throw LayoutError(path + ": not valid JSON: " + (at == std::string::npos ? what : what.substr(at + 2)));
    }
    Place at{path};
    if (!doc.is_object()) at.fail("a layout must be a JSON object with \"pages\"");
    at.only_fields(doc, {"pages", "version"});
    if (doc.contains("version") && doc["version"] != 1) at.fail("this is layout version " + doc["version"].dump() +
                                                                "; lucentra reads version 1");
    if (!doc.contains("pages") || !doc["pages"].is_array() || doc["pages"].empty())
        at.fail("a layout needs \"pages\", a list of at least one page");
    Layout layout;
    layout.path = path;
    layout.format = "JSON layout";
    for (size_t i = 0; i < doc["pages"].size(); ++i) layout.pages.push_back(read_page(doc["pages"][i], i, path));
    return layout;
}

}  // namespace lucentra
