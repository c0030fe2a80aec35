// Named engine variables: the registry of live variables and text parsing.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <mutex>
#include <string_view>

#include "kel/values.h"

namespace {

struct VariableTable {
    std::mutex mutex;
    std::vector<EVARIABLE*> live;  // in order of construction
};

VariableTable& table() {
    // Never destroyed: variables are static objects of modules that may be torn
    // down after this unit at exit, and their destructors deregister here.
    static VariableTable* t = new VariableTable;
    return *t;
}

// The text without surrounding white space, and without one leading '+', which
// from_chars does not take.
std::string_view number_text(const char* text) {
    if (text == nullptr) return {};
    std::string_view s(text);
    while (!s.empty() && std::isspace((unsigned char)s.front())) s.remove_prefix(1);
    while (!s.empty() && std::isspace((unsigned char)s.back())) s.remove_suffix(1);
    if (s.size() > 1 && s.front() == '+' && s[1] != '-' && s[1] != '+') s.remove_prefix(1);
    return s;
}

}  // namespace

EVARIABLE::EVARIABLE(const char* name, const char* description)
    : name_(name ? name : ""), description_(description ? description : "") {
    VariableTable& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    t.live.push_back(this);
}

EVARIABLE::~EVARIABLE() {
    VariableTable& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    t.live.erase(std::remove(t.live.begin(), t.live.end(), this), t.live.end());
}

EVARIABLE* EVARIABLE::find(const char* name) {
    if (name == nullptr) return nullptr;
    VariableTable& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    // The newest variable of a name wins: a module loaded later shadows an older one.
    for (auto it = t.live.rbegin(); it != t.live.rend(); ++it)
        if ((*it)->name_ == name) return *it;
    return nullptr;
}

bool EVARIABLE::set(const char* name, const char* value) {
    EVARIABLE* variable = find(name);
    return variable != nullptr && variable->set_from_text(value);
}

std::vector<std::string> EVARIABLE::names() {
    VariableTable& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    std::vector<std::string> result;
    for (EVARIABLE* v : t.live)
        if (std::find(result.begin(), result.end(), v->name_) == result.end()) result.push_back(v->name_);
    return result;
}

bool double_VARIABLE::set_from_text(const char* text) {
    std::string_view s = number_text(text);
    if (s.empty()) return false;
    double parsed = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), parsed);
    // The whole text must be one finite number: "1.5x", "nan" and "1e999" are refused.
    if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(parsed)) return false;
    value = parsed;
    return true;
}

std::string double_VARIABLE::text() const {
    // Shortest text that reads back as the same double, in the classic format
    // whatever the locale.
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : std::string();
}

bool INT_VARIABLE::set_from_text(const char* text) {
    std::string_view s = number_text(text);
    if (s.empty()) return false;
    int parsed = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), parsed);
    if (ec != std::errc() || end != s.data() + s.size()) return false;
    value = parsed;
    return true;
}

std::string INT_VARIABLE::text() const { return std::to_string(value); }
