// The user's language as a Windows language id, from the POSIX locale variables.
#include <cctype>
#include <cstdlib>
#include <string>

#include "pw/kernel.h"

namespace {

struct Locale {
    const char* name;  // language_COUNTRY
    LANGID id;
};

// Every language variant our modules carry, and a few more common ones.
constexpr Locale locales[] = {
    {"zh_TW", 1028}, {"de_DE", 1031}, {"en_US", 1033}, {"es_ES", 3082}, {"fr_FR", 1036}, {"it_IT", 1040},
    {"ja_JP", 1041}, {"ko_KR", 1042}, {"nl_NL", 1043}, {"pt_BR", 1046}, {"ru_RU", 1049}, {"zh_CN", 2052},
    {"de_CH", 2055}, {"es_MX", 2058}, {"fr_BE", 2060}, {"it_CH", 2064}, {"nl_BE", 2067}, {"pt_PT", 2070},
    {"de_AT", 3079}, {"fr_CA", 3084}, {"fr_CH", 4108}, {"zh_HK", 3076}, {"zh_SG", 4100}, {"zh_MO", 5124},
    {"de_LU", 4103}, {"de_LI", 5127}, {"en_GB", 2057}, {"en_AU", 3081}, {"en_CA", 4105}, {"en_NZ", 5129},
    {"en_IE", 6153}, {"en_ZA", 7177}, {"fr_LU", 5132}, {"es_AR", 11274}, {"es_CO", 9226}, {"es_CL", 13322},
};

struct Language {
    const char* code;  // ISO 639-1
    LANGID primary;
};

constexpr Language languages[] = {
    {"ar", 0x01}, {"bg", 0x02}, {"ca", 0x03}, {"zh", 0x04}, {"cs", 0x05}, {"da", 0x06}, {"de", 0x07},
    {"el", 0x08}, {"en", 0x09}, {"es", 0x0a}, {"fi", 0x0b}, {"fr", 0x0c}, {"he", 0x0d}, {"hu", 0x0e},
    {"is", 0x0f}, {"it", 0x10}, {"ja", 0x11}, {"ko", 0x12}, {"nl", 0x13}, {"nb", 0x14}, {"no", 0x14},
    {"pl", 0x15}, {"pt", 0x16}, {"ro", 0x18}, {"ru", 0x19}, {"hr", 0x1a}, {"sk", 0x1b}, {"sq", 0x1c},
    {"sv", 0x1d}, {"th", 0x1e}, {"tr", 0x1f}, {"id", 0x21}, {"uk", 0x22}, {"sl", 0x24}, {"et", 0x25},
    {"lv", 0x26}, {"lt", 0x27}, {"vi", 0x2a}, {"eu", 0x2d}, {"gl", 0x56},
};

constexpr LANGID english_us = 1033;

const char* locale_variable() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(name);
        if (v && *v) return v;
    }
    return nullptr;
}

LANGID from_locale(const char* value) {
    if (!value) return english_us;
    // language[_COUNTRY][.codeset][@modifier]
    std::string s(value);
    s = s.substr(0, s.find_first_of(".@"));
    if (s == "C" || s == "POSIX" || s.empty()) return english_us;
    std::string lang = s.substr(0, s.find('_'));
    for (char& c : lang) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string country = s.find('_') == std::string::npos ? std::string() : s.substr(s.find('_') + 1);
    for (char& c : country) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::string key = lang + "_" + country;
    for (const Locale& l : locales)
        if (key == l.name) return l.id;
    // Plain Chinese means the simplified script most readers use.
    if (lang == "zh") return 2052;
    for (const Language& l : languages)
        if (lang == l.code) return MAKELANGID(l.primary, SUBLANG_DEFAULT);
    return english_us;
}

}  // namespace

extern "C" {
LANGID WINAPI GetUserDefaultLangID(void) { return from_locale(locale_variable()); }
LANGID WINAPI GetUserDefaultUILanguage(void) { return GetUserDefaultLangID(); }
LANGID WINAPI GetSystemDefaultLangID(void) { return GetUserDefaultLangID(); }
}
