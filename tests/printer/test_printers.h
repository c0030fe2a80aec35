// Printers for the destination's tests: a printers file in a private
// configuration folder, written before the platform first reads it.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace testengine {

// The folder the tests' printers write into.
inline const std::string& output_dir() {
    static const std::string dir = [] {
        char pattern[] = "/tmp/pw-printer-tests-XXXXXX";
        const char* made = mkdtemp(pattern);
        std::string d = made ? made : "/tmp";
        std::string config = d + "/config/pagewright";
        std::string cmd = "mkdir -p '" + config + "'";
        if (system(cmd.c_str()) != 0) abort();
        std::ofstream f(config + "/printers");
        f << "[Raster600]\nkind = png\nresolutions = 300, 600\nresolution = 600\nmargins = 0\npaper = letter\n"
             "colour = yes\noutput = "
          << d << "/raster600-%d.png\n\n";
        for (int dpi : {195, 200, 205}) {
            f << "[Mono" << dpi << "]\nkind = png\nresolutions = " << dpi << "\nresolution = " << dpi
              << "\nmargins = 0\ncolour = no\noutput = " << d << "/mono" << dpi << "-%d.png\n\n";
        }
        f << "[Sorted]\nkind = png\nresolutions = 600, 300x300, 1200x600\nresolution = 600\nmargins = 0\n"
             "colour = yes\noutput = "
          << d << "/sorted-%d.png\n";
        f << "[Stable]\nkind = png\nresolutions = 300, 300x150\nmargins = 0\ncolour = yes\noutput = " << d
          << "/stable-%d.png\n";
        f.close();
        setenv("XDG_CONFIG_HOME", (d + "/config").c_str(), 1);
        return d;
    }();
    return dir;
}

// Makes sure the printers file is in place before the first printer call.
struct PrintersInstaller {
    PrintersInstaller() { output_dir(); }
};
static PrintersInstaller printers_installer;

}  // namespace testengine
