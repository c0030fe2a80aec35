// Region classes a layout may name, by number or by readable name.
#pragma once

#include <optional>
#include <string>

#include "kel/types.h"

namespace lucentra {

// The class for a name ("line-art", "gray-photo", ...) or a number written as
// text ("3101"); nothing for any other text.
std::optional<CLASS_ID> region_class_from_name(const std::string& name);
// Whether `id` is one of the classes a layout may use.
bool known_region_class(CLASS_ID id);
// The readable name of a known class ("line-art"), or the number as text.
std::string region_class_name(CLASS_ID id);
// Every readable name, for messages: "line-art, colour-3102, ...".
std::string region_class_names();

}  // namespace lucentra
