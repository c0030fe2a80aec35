// Reading a layout file and checking the whole of it before anything is printed.
#pragma once

#include <string>

#include "decode/image.h"
#include "layout/layout.h"

namespace lucentra {

// Whether `path` holds a layout rather than an image: its first character
// (after blanks and a byte-order mark) is '{' (JSON layout) or '<' (PAGE-XML).
// False for files that cannot be read (open_image reports those).
bool is_layout_file(const std::string& path);

// Reads a JSON layout or a PAGE-XML file, opens every page's scan (headers
// only, with `decode`) and checks every region against it: the polygon lies on
// the scanned page, PAGE-XML image sizes match the scan. Photos of PAGE-XML
// files are classed gray or colour by their pixels, which reads the scan's
// rows down to the last such region. Throws LayoutError, one line naming the
// file and the page and region at fault; nothing is left half-done.
Layout load_layout(const std::string& path, const DecodeOptions& decode = {});

}  // namespace lucentra
