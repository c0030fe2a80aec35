// Reads our JSON layout format (docs/layout-format.md) into a Layout. Only the
// file is read here: scans are opened and geometry is checked by load_layout().
#pragma once

#include <string>

#include "layout/layout.h"

namespace lucentra {

// `text` is the file's content, `path` its name (for messages and to resolve
// scans against its folder). Throws LayoutError for malformed JSON, unknown
// fields, values of the wrong kind, unknown region classes, polygons of fewer
// than three points and drawings that are not path data.
Layout read_json_layout(const std::string& text, const std::string& path);

}  // namespace lucentra
