#include "print/printers_file.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>

#include "print/text.h"

namespace pw::print {
namespace {

Printer file_printer(std::string name, Kind kind, std::vector<Resolution> res, Resolution def,
                     bool colour, Margins margins) {
    Printer p;
    p.name = std::move(name);
    p.kind = kind;
    p.origin = "built-in";
    p.resolutions = std::move(res);
    p.resolution = def;
    p.paper = locale_paper();
    p.margins = margins;
    p.colour = colour;
    return p;
}

// "600", "204x196"
std::optional<Resolution> parse_resolution(std::string_view text) {
    std::string t = lower(trim(text));
    if (t.size() > 3 && t.compare(t.size() - 3, 3, "dpi") == 0) t.resize(t.size() - 3);
    auto x = t.find('x');
    auto a = parse_number(std::string_view(t).substr(0, x));
    auto b = x == std::string::npos ? a : parse_number(std::string_view(t).substr(x + 1));
    if (!a || !b || *a < 10 || *b < 10 || *a > 9600 || *b > 9600 || *a != std::floor(*a) || *b != std::floor(*b))
        return std::nullopt;
    return Resolution{static_cast<int>(*a), static_cast<int>(*b)};
}

// One length: "6.35mm", "0.25in", "0" (a bare number is millimetres).
std::optional<int> parse_length(std::string_view text) {
    std::string t = lower(trim(text));
    double unit = 100.0;
    if (t.size() > 2 && t.compare(t.size() - 2, 2, "mm") == 0) {
        t.resize(t.size() - 2);
    } else if (t.size() > 2 && t.compare(t.size() - 2, 2, "in") == 0) {
        t.resize(t.size() - 2);
        unit = 2540.0;
    }
    auto v = parse_number(t);
    if (!v || *v < 0 || *v * unit > 100000) return std::nullopt;
    return static_cast<int>(std::lround(*v * unit));
}

// "6.35mm" for all four sides, or "left, top, right, bottom".
std::optional<Margins> parse_margins(std::string_view text) {
    auto parts = split(text, ',');
    if (parts.size() == 1) {
        auto m = parse_length(parts[0]);
        if (!m) return std::nullopt;
        return Margins{*m, *m, *m, *m};
    }
    if (parts.size() != 4) return std::nullopt;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        auto m = parse_length(parts[i]);
        if (!m) return std::nullopt;
        v[i] = *m;
    }
    return Margins{v[0], v[1], v[2], v[3]};
}

std::optional<Kind> parse_kind(std::string_view text) {
    std::string t = lower(trim(text));
    if (t == "pdf") return Kind::pdf;
    if (t == "png") return Kind::png;
    if (t == "fax") return Kind::fax;
    if (t == "ipp") return Kind::ipp;
    return std::nullopt;
}

bool same_name(std::string_view a, std::string_view b) { return lower(a) == lower(b); }

// The section's printer must still make sense once every key is read.
std::string check_printer(Printer& p) {
    if (p.kind == Kind::ipp) {
        if (p.uri.empty()) return "an ipp printer needs a uri";
        return {};
    }
    if (p.resolutions.empty()) return "no resolutions";
    bool listed = false;
    for (const Resolution& r : p.resolutions) listed = listed || r == p.resolution;
    if (!listed) p.resolution = p.resolutions.back();
    if (p.margins.left + p.margins.right >= p.paper.width || p.margins.top + p.margins.bottom >= p.paper.height)
        return "the margins leave nothing of the paper";
    if (p.kind == Kind::fax && p.colour) p.colour = false;  // a fax prints black on white only
    return {};
}

}  // namespace

std::vector<Printer> builtin_printers() {
    const Margins quarter_inch{635, 635, 635, 635};
    std::vector<Printer> list;
    list.push_back(file_printer("PDF", Kind::pdf, {{300, 300}, {600, 600}, {1200, 1200}}, {600, 600}, true,
                                quarter_inch));
    list.push_back(file_printer("PNG", Kind::png, {{150, 150}, {300, 300}, {600, 600}}, {300, 300}, true,
                                quarter_inch));
    // A fax page is the whole sheet: fax machines print what they receive edge to edge.
    list.push_back(file_printer("Fax", Kind::fax, {{204, 196}, {204, 98}}, {204, 196}, false, Margins{}));
    return list;
}

PrintersConfig parse_printers_file(std::string_view text, std::string_view file_name) {
    PrintersConfig config;
    config.printers = builtin_printers();
    config.default_name = "PDF";

    Printer* current = nullptr;
    std::set<std::string> seen;  // sections already met in this file
    std::istringstream in{std::string(text)};
    std::string line;
    int number = 0;
    auto warn = [&](const std::string& what) {
        config.warnings.push_back(std::string(file_name) + ":" + std::to_string(number) + ": " + what);
    };
    bool skipping = false;  // inside a repeated section
    while (std::getline(in, line)) {
        ++number;
        auto hash = line.find('#');
        if (hash != std::string::npos) line.resize(hash);
        std::string t = trim(line);
        if (t.empty()) continue;
        if (t.front() == '[') {
            if (t.back() != ']' || t.size() < 3) {
                warn("a section is written [NAME]");
                current = nullptr;
                skipping = true;
                continue;
            }
            std::string name = trim(std::string_view(t).substr(1, t.size() - 2));
            if (name.empty()) {
                // "[ ]": a printer without a name could never be chosen.
                warn("a section is written [NAME]");
                current = nullptr;
                skipping = true;
                continue;
            }
            if (!seen.insert(lower(name)).second) {
                warn("printer '" + name + "' is already defined above; this section is skipped");
                current = nullptr;
                skipping = true;
                continue;
            }
            skipping = false;
            current = nullptr;
            for (Printer& p : config.printers) {
                if (same_name(p.name, name)) current = &p;
            }
            if (!current) {
                config.printers.push_back(file_printer(name, Kind::pdf, {{600, 600}}, {600, 600}, true,
                                                       Margins{635, 635, 635, 635}));
                current = &config.printers.back();
            }
            current->origin = "printers file";
            continue;
        }
        auto eq = t.find('=');
        if (eq == std::string::npos) {
            warn("expected KEY = VALUE");
            continue;
        }
        std::string key = lower(trim(std::string_view(t).substr(0, eq)));
        std::string value = trim(std::string_view(t).substr(eq + 1));
        if (skipping) continue;
        if (!current) {
            if (key == "default") {
                // An empty name would leave every job without a printer.
                if (value.empty()) warn("default names a printer: default = NAME");
                else config.default_name = value;
            } else {
                warn("'" + key + "' outside a printer section");
            }
            continue;
        }
        if (key == "kind") {
            auto k = parse_kind(value);
            if (k) current->kind = *k; else warn("kind is pdf, png, fax or ipp");
        } else if (key == "resolutions") {
            std::vector<Resolution> list;
            bool ok = true;
            for (const std::string& part : split(value, ',')) {
                auto r = parse_resolution(part);
                if (!r) { ok = false; break; }
                list.push_back(*r);
            }
            if (ok && !list.empty()) current->resolutions = list; else warn("resolutions are like 300, 600, 204x196");
        } else if (key == "resolution") {
            auto r = parse_resolution(value);
            if (r) current->resolution = *r; else warn("a resolution is like 600 or 204x196");
        } else if (key == "paper") {
            auto p = paper_by_name(value);
            if (p) current->paper = *p; else warn("unknown paper '" + value + "'");
        } else if (key == "margins") {
            auto m = parse_margins(value);
            if (m) current->margins = *m; else warn("margins are like 6.35mm or 0.25in, 0.25in, 0.25in, 0.5in");
        } else if (key == "colour" || key == "color") {
            auto b = parse_bool(value);
            if (b) current->colour = *b; else warn("colour is yes or no");
        } else if (key == "output") {
            current->output = value;
        } else if (key == "uri") {
            current->uri = value;
        } else {
            warn("unknown key '" + key + "'");
        }
    }

    // Drop printers that cannot work; keep the built-ins usable whatever the file says.
    std::vector<Printer> kept;
    const std::vector<Printer> builtins = builtin_printers();
    for (Printer& p : config.printers) {
        std::string why = check_printer(p);
        if (why.empty()) {
            kept.push_back(std::move(p));
            continue;
        }
        number = 0;
        config.warnings.push_back(std::string(file_name) + ": printer '" + p.name + "': " + why);
        for (const Printer& b : builtins) {
            if (same_name(b.name, p.name)) kept.push_back(b);
        }
    }
    config.printers = std::move(kept);
    return config;
}

std::string printers_file_path() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && *xdg) {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : ".") + "/.config";
    }
    return base + "/pagewright/printers";
}

PrintersConfig load_printers_config() {
    std::string path = printers_file_path();
    std::ifstream in(path, std::ios::binary);
    if (!in) return parse_printers_file("", path);
    std::ostringstream text;
    text << in.rdbuf();
    PrintersConfig config = parse_printers_file(text.str(), path);
    // Tell the user about a problem once, not at every lookup.
    static std::mutex mutex;
    static std::set<std::string> told;
    std::lock_guard lock(mutex);
    for (const std::string& w : config.warnings) {
        if (told.insert(w).second) std::fprintf(stderr, "pagewright: %s\n", w.c_str());
    }
    return config;
}

}  // namespace pw::print
