// Fuzz target: PAGE-XML files through the host's reader. Whatever the text, the
// reader returns a layout or throws LayoutError; the regions it returns have
// polygons of three points or more.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "layout/page_xml.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        lucentra::Layout layout = lucentra::read_page_xml(text, "/nonexistent/fuzz/layout");
        for (const lucentra::LayoutPage& page : layout.pages)
            for (const lucentra::LayoutRegion& region : page.regions)
                if (region.polygon.size() < 3) {
                    fprintf(stderr, "fuzz finding: a region of %zu points was accepted\n", region.polygon.size());
                    abort();
                }
    } catch (const lucentra::LayoutError&) {
    }
    return 0;
}
