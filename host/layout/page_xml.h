// Reads a PAGE-XML file (the PRImA page content format of the document-analysis
// community; the 2013 and 2019 schemas, and the earlier ones that share their
// elements) into a Layout of one page.
//
// Regions (the *Region children of Page; regions nested inside another region
// print with their parent and are not read again) become:
//   TextRegion, TableRegion, MathsRegion, SeparatorRegion, LineDrawingRegion,
//   ChemRegion, MusicRegion                       line art (3101)
//   ImageRegion, AdvertRegion, UnknownRegion,
//   CustomRegion                                  a photo: gray (3104) or colour
//                                                 (3102), decided by its pixels
//   GraphicRegion, ChartRegion, MapRegion         palette image (3106)
//   NoiseRegion                                   refused (3010): not printed
// Any other *Region element is an unknown region type and refused with an error.
// Coords points (or the Point children of old files) stay the region's
// polygon. The ReadingOrder gives order keys 1, 2, ... in reading order (ordered
// groups by their index, unordered groups as written, nested groups in place);
// regions it does not name follow, in the order they are written. Regions are
// numbered 1, 2, ... as written. The orientation attribute (degrees) becomes the
// nearest quarter turn.
#pragma once

#include <string>

#include "layout/layout.h"

namespace lucentra {

// `text` is the file's content, `path` its name. Throws LayoutError for
// malformed XML, a file that is not PAGE-XML, an unknown region type, a region
// without coordinates or with fewer than three points.
Layout read_page_xml(const std::string& text, const std::string& path);

}  // namespace lucentra
