// A layout: scanned pages divided into typed regions, as the scanning engine
// would hand them to a destination. Read from our JSON layout format
// (json_layout.h, documented in docs/layout-format.md) or from PAGE-XML
// (page_xml.h); load_layout() (load_layout.h) reads either and checks it whole.
//
// Coordinates are scan pixels of the page's scan, y growing downwards, origin at
// the scan's top-left corner. Resolutions are dots per inch.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "decode/image.h"
#include "kel/geometry.h"
#include "kel/types.h"
#include "kel/xform.h"

namespace lucentra {

// A layout that cannot be printed. what() is one line naming the file and,
// where one is at fault, the page and region.
class LayoutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What an outline region (class 3108) draws.
struct RegionDrawing {
    enum class Kind { None, Path, Trace };
    Kind kind = Kind::None;
    std::string path_data;               // SVG path data (Kind::Path), as written
    std::vector<CLART_FIGURE> figures;   // the data read, in scan pixels
    int lost_figures = 0;                // figures that cannot be represented
};

struct LayoutRegion {
    CLASS_ID class_id = 0;
    std::string id;       // the file's name for the region ("r5"), may be empty
    std::string label;    // how messages name it: "region 3" or "region r5 (TextRegion)"
    std::vector<EPOINT> polygon;
    int number = 0;       // the region's number on its page
    int order_key = 0;    // smaller prints first
    int orientation = 0;  // 0 upright, 1 to 3 quarter turns
    int subtype = 0;
    std::optional<bool> colour;  // what HasColor answers; unset: the scan's colour model
    uint32_t fill = 0;           // outline drawings: 0x00BBGGRR
    RegionDrawing drawing;
    // PAGE-XML image regions: a photo whose class (gray 3104 or colour 3102) is
    // decided from the scan's pixels when the layout is loaded.
    bool photo_by_content = false;
};

struct LayoutPage {
    std::string scan;                          // as written in the file
    std::string scan_path;                     // resolved against the layout's folder
    int scan_page = 0;                         // 0-based page of a multi-page scan
    std::optional<double> xres, yres;          // stated resolution, else the scan's
    std::optional<int> expected_width, expected_height;  // PAGE-XML imageWidth / imageHeight
    // Keep the page's geometry: regions print where they lie on the scanned page
    // (false: the engine's own framing, the union of the regions).
    bool whole_page_frame = true;
    std::vector<LayoutRegion> regions;
    std::string label;                         // "page 1"

    // Set by load_layout():
    std::shared_ptr<const ImageFile> image;
    PageInfo info;  // the scan page, with the stated resolution applied
};

struct Layout {
    std::string path;
    std::string format;  // "JSON layout" or "PAGE-XML"
    std::vector<LayoutPage> pages;
};

}  // namespace lucentra
