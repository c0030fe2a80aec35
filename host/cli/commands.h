// The subcommands of lucentra. Each returns the process's exit status:
//   0 every page printed (or the listing was made), 1 the job failed,
//   2 the command line or an input was refused before anything was printed,
//   130 the user stopped the job.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace lucentra::cli {

enum ExitStatus { kOk = 0, kFailed = 1, kRefused = 2, kStopped = 130 };

struct PrintOptions {
    std::vector<std::string> inputs;
    std::string printer;            // --printer
    std::string output;             // --output
    bool setup = false;             // --setup
    std::string scale;              // --scale actual|fit|PERCENT
    std::optional<double> res;      // --res
    bool default_res = false;       // --default-res
    bool deep = true;               // --deep / --no-deep
    std::optional<int> brightness;  // --brightness
    std::optional<int> contrast;    // --contrast
    bool clip = false;              // --clip
    std::vector<std::string> set;   // --set NAME=VALUE
    std::string dialog;             // --dialog tty|default|cancel ("" not given)
    double dpi = 300;               // --dpi
    bool quiet = false, verbose = false;
    std::string log;                // --log FILE
    bool trace = false;             // --trace: every drawing call on the printer, on stderr
};

struct MetafileOptions {
    std::string layout;             // LAYOUT (JSON layout or PAGE-XML)
    std::string region;             // --region: a region's number, or its name / PAGE-XML id
    int page = 1;                   // --page
    std::string output;             // -o / --output
    std::optional<double> res;      // --res: base resolution, default the scan's
    bool deep = true;               // --deep / --no-deep
    double dpi = 300;               // --dpi
};

int print_command(const PrintOptions& options);
// Renders one bitmap region of a layout into a Windows metafile (.wmf).
int metafile_command(const MetafileOptions& options);
int printers_command();
// The versions of lucentra and of the printer module it would load.
int version_command();

}  // namespace lucentra::cli
