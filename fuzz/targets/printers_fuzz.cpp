// Fuzz target: the printers file. Any text gives a usable printer list: every
// printer has a name, resolutions and a page with a printable area, and there
// is a default printer's name. (The default need not be in the file's list: it
// may name a CUPS queue or an IPP URI, which join the list later.)
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
    for (const Printer& p : config.printers) {
        if (p.name.empty()) finding("a printer without a name");
        if (p.resolutions.empty()) finding("a printer without resolutions");
        const JobSettings settings = default_settings(p);
        if (settings.resolution.x <= 0 || settings.resolution.y <= 0) finding("a resolution of zero or less");
        if (settings.printable_width() <= 0 || settings.printable_height() <= 0) finding("no printable area");
    }
    if (config.default_name.empty()) finding("an empty default printer name");
    return 0;
}
