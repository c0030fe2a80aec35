// What a print job is asked to do: which pages, and the destination's settings
// as the command line gives them. Unset optionals leave the destination's (or
// the engine variables') own defaults in place.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "decode/image.h"

namespace lucentra {

struct LayoutPage;

// One page to print: page `page` of `image`; with `layout`, the regions that
// layout page describes instead of the whole scanned page.
struct JobPage {
    std::shared_ptr<const ImageFile> image;
    int page = 0;
    std::string label;  // for progress lines, e.g. "scan.tif page 2"
    std::shared_ptr<const LayoutPage> layout;
};

enum class ScaleMode { Actual = 1, Fit = 2, Percent = 3 };

struct JobSettings {
    // Property 3201. Empty: no printer is named and DocSetup shows the Print
    // dialog (through the dialog provider the command chose).
    std::string printer;
    bool print_setup = false;                // property 3200 before the document
    std::optional<ScaleMode> scale;          // property 3015
    float scale_percent = 100;               // with ScaleMode::Percent
    // Property 3012. Unset: each page is asked for at its own resolution (the
    // larger of its two axes), so a scan prints at the detail it was made with,
    // but at no more than the named printer's resolution.
    std::optional<double> resolution;
    bool default_resolution = false;         // property 1075
    bool deep = true;                        // property 3017: 8-bit gray and 24-bit colour
    std::optional<int> brightness;           // property 1091
    std::optional<int> contrast;             // property 1092
    bool clip = false;                       // property 1093
    std::vector<std::pair<std::string, std::string>> variables;  // engine variables, name and value
};

}  // namespace lucentra
