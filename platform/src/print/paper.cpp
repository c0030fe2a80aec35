#include "print/paper.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "print/text.h"
#include "pw/spool.h"

namespace pw::print {
namespace {

const Paper kPapers[] = {
    {"Letter", 21590, 27940, DMPAPER_LETTER, "na_letter_8.5x11in"},
    {"Legal", 21590, 35560, DMPAPER_LEGAL, "na_legal_8.5x14in"},
    {"A4", 21000, 29700, DMPAPER_A4, "iso_a4_210x297mm"},
    {"A3", 29700, 42000, DMPAPER_A3, "iso_a3_297x420mm"},
    {"A5", 14800, 21000, DMPAPER_A5, "iso_a5_148x210mm"},
    {"B5", 18200, 25700, DMPAPER_B5, "jis_b5_182x257mm"},
};

// Parses "WxHmm" or "WxHin" into hundredths of a millimetre.
std::optional<Paper> paper_from_dimensions(std::string_view text) {
    std::string s(text);
    double per_unit = 0;
    if (s.size() > 2 && s.compare(s.size() - 2, 2, "mm") == 0) {
        per_unit = 100.0;
    } else if (s.size() > 2 && s.compare(s.size() - 2, 2, "in") == 0) {
        per_unit = 2540.0;
    } else {
        return std::nullopt;
    }
    s.resize(s.size() - 2);
    auto x = s.find('x');
    if (x == std::string::npos) return std::nullopt;
    auto w = parse_number(std::string_view(s).substr(0, x));
    auto h = parse_number(std::string_view(s).substr(x + 1));
    if (!w || !h || *w <= 0 || *h <= 0 || *w * per_unit > 1e6 || *h * per_unit > 1e6) return std::nullopt;
    return paper_by_size(static_cast<int>(std::lround(*w * per_unit)),
                         static_cast<int>(std::lround(*h * per_unit)));
}

}  // namespace

std::optional<Paper> paper_by_name(std::string_view text) {
    std::string t = lower(trim(text));
    for (const Paper& p : kPapers) {
        if (t == lower(p.name) || t == p.pwg) return p;
    }
    if (auto p = paper_from_dimensions(t)) return p;
    // A PWG self-describing name of a size we have no name for: "custom_foo_100x150mm".
    auto last = t.rfind('_');
    if (last != std::string::npos) return paper_from_dimensions(std::string_view(t).substr(last + 1));
    return std::nullopt;
}

std::optional<Paper> paper_by_code(int dmpaper) {
    for (const Paper& p : kPapers) {
        if (p.dmpaper == dmpaper) return p;
    }
    return std::nullopt;
}

Paper paper_by_size(int width, int height) {
    for (const Paper& p : kPapers) {
        if (std::abs(p.width - width) <= 50 && std::abs(p.height - height) <= 50) return p;
    }
    Paper custom{"Custom", width, height, 0, ""};
    char pwg[64];
    std::snprintf(pwg, sizeof pwg, "custom_%.2fx%.2fmm_%.2fx%.2fmm", width / 100.0, height / 100.0,
                  width / 100.0, height / 100.0);
    custom.pwg = pwg;
    return custom;
}

std::string locale_territory(std::string_view locale) {
    auto us = locale.find('_');
    if (us == std::string_view::npos) return {};
    std::string_view rest = locale.substr(us + 1);
    auto end = rest.find_first_of(".@");
    return std::string(rest.substr(0, end));
}

Paper locale_paper() {
    const char* vars[] = {"LC_ALL", "LC_PAPER", "LANG"};
    std::string locale;
    for (const char* v : vars) {
        const char* value = std::getenv(v);
        if (value && *value) {
            locale = value;
            break;
        }
    }
    // The countries whose paper is US Letter.
    static const char* kLetter[] = {"US", "CA", "MX", "PH", "CL", "CO", "VE", "CR",
                                    "GT", "PA", "SV", "DO", "NI", "PR", "BZ"};
    std::string territory = locale_territory(locale);
    for (const char* t : kLetter) {
        if (territory == t) return *paper_by_code(DMPAPER_LETTER);
    }
    return *paper_by_code(DMPAPER_A4);
}

int hmm_to_pixels(int hmm, int dpi) {
    return static_cast<int>(std::lround(static_cast<double>(hmm) * dpi / 2540.0));
}

}  // namespace pw::print
