// String tables: choosing the language variant and copying a string out.
#include <vector>

#include "pw/kernel.h"
#include "pw/resources.h"
#include "resources/lookup.h"

namespace {

// Tables in the order they are tried for the user's language `user`: that
// exact language; the same primary language (its default sublanguage, then
// the neutral one, then the others as declared); neutral tables; 1033; any
// English; the rest as declared.
std::vector<const pw::res::StringTable*> preference(const pw::res::ModuleResources* r, LANGID user) {
    std::vector<const pw::res::StringTable*> order;
    auto add_if = [&](auto&& want) {
        for (size_t i = 0; i < r->string_table_count; ++i) {
            const pw::res::StringTable* t = &r->string_tables[i];
            if (!want(t->language)) continue;
            bool seen = false;
            for (const auto* o : order) seen |= (o == t);
            if (!seen) order.push_back(t);
        }
    };
    const WORD primary = PRIMARYLANGID(user);
    add_if([&](WORD l) { return l == user; });
    add_if([&](WORD l) { return l == MAKELANGID(primary, SUBLANG_DEFAULT); });
    add_if([&](WORD l) { return l == MAKELANGID(primary, SUBLANG_NEUTRAL); });
    add_if([&](WORD l) { return PRIMARYLANGID(l) == primary; });
    add_if([&](WORD l) { return PRIMARYLANGID(l) == LANG_NEUTRAL; });
    add_if([&](WORD l) { return l == 1033; });
    add_if([&](WORD l) { return PRIMARYLANGID(l) == LANG_ENGLISH; });
    add_if([&](WORD) { return true; });
    return order;
}

}  // namespace

extern "C" {

const char* pw_find_string(HMODULE module, UINT id) {
    const pw::res::ModuleResources* r = pw::detail::resources_of(module);
    if (!r) return nullptr;
    for (const pw::res::StringTable* t : preference(r, GetUserDefaultLangID()))
        for (size_t i = 0; i < t->count; ++i)
            if (t->strings[i].id == id && t->strings[i].text) return t->strings[i].text;
    return nullptr;
}

int WINAPI LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int max) {
    if (!buffer || max < 1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    buffer[0] = '\0';
    const char* text = pw_find_string(module, id);
    if (!text) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    size_t n = std::strlen(text);
    if (n > static_cast<size_t>(max - 1)) {
        n = static_cast<size_t>(max - 1);
        // Back up to the start of a UTF-8 character, so a cut text stays valid.
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    }
    std::memcpy(buffer, text, n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

}  // extern "C"
