#include "layout/region_classes.h"

#include <cstdlib>

namespace lucentra {
namespace {

struct Named {
    const char* name;
    CLASS_ID id;
};

constexpr Named kClasses[] = {
    {"line-art", CID_LINE_ART},         {"colour-3102", CID_COLOUR_3102},     {"colour-3103", CID_COLOUR_3103},
    {"gray-photo", CID_GRAY_PHOTO},     {"palette", CID_PALETTE_IMAGE},       {"outlines", CID_OUTLINES},
    {"page", CID_PAGE_REGION},          {"refused-3010", CID_REFUSED_3010},   {"refused-3111", CID_REFUSED_3111},
};

}  // namespace

bool known_region_class(CLASS_ID id) {
    for (const Named& c : kClasses)
        if (c.id == id) return true;
    return false;
}

std::optional<CLASS_ID> region_class_from_name(const std::string& name) {
    for (const Named& c : kClasses)
        if (name == c.name) return c.id;
    if (!name.empty() && name.size() < 10 && name.find_first_not_of("0123456789") == std::string::npos) {
        CLASS_ID id = (CLASS_ID)std::atol(name.c_str());
        if (known_region_class(id)) return id;
    }
    return std::nullopt;
}

std::string region_class_name(CLASS_ID id) {
    for (const Named& c : kClasses)
        if (c.id == id) return c.name;
    return std::to_string(id);
}

std::string region_class_names() {
    std::string all;
    for (const Named& c : kClasses) all += (all.empty() ? "" : ", ") + std::string(c.name);
    return all;
}

}  // namespace lucentra
