// Fuzz target: the printers file. Any text gives a usable printer list: every
// printer has a name, resolutions and a page with a printable area, and the
// default printer is one of them.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "print/printers_file.h"

namespace {

[[noreturn]] void finding(const char* what) {
    fprintf(stderr, "fuzz finding: %s\n", what);
    abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace pw::print;
    PrintersConfig config = parse_printers_file(std::string_view(reinterpret_cast<const char*>(data), size), "printers");
    bool default_found = false;
    for (const Printer& p : config.printers) {
        if (p.name.empty()) finding("a printer without a name");
        if (p.resolutions.empty()) finding("a printer without resolutions");
        if (p.name == config.default_name) default_found = true;
        const JobSettings settings = default_settings(p);
        if (settings.resolution.x <= 0 || settings.resolution.y <= 0) finding("a resolution of zero or less");
        if (settings.printable_width() <= 0 || settings.printable_height() <= 0) finding("no printable area");
    }
    if (!default_found) finding("the default printer is not in the list");
    return 0;
}
