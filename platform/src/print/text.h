// Small text helpers of the printing code: locale-independent on purpose, so that
// a printers file reads the same under every locale.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pw::print {

std::string trim(std::string_view s);
std::string lower(std::string_view s);
std::vector<std::string> split(std::string_view s, char sep);
// A decimal number with '.' as the separator, nothing else around it.
std::optional<double> parse_number(std::string_view s);
// "yes/no/true/false/on/off/1/0"
std::optional<bool> parse_bool(std::string_view s);

}  // namespace pw::print
