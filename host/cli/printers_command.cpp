// lucentra printers: every printer the platform knows, with what a user needs
// to choose one.
#include <clocale>
#include <cstdio>

#include "cli/commands.h"
#include "pw/spool.h"

namespace lucentra::cli {
namespace {

// Hundredths of a millimetre as millimetres with one decimal.
std::string mm(int hundredths) {
    char text[32];
    snprintf(text, sizeof text, "%.1f", hundredths / 100.0);
    return text;
}

}  // namespace

int printers_command() {
    // Numbers as everywhere else: a decimal point, whatever the locale.
    setlocale(LC_NUMERIC, "C");
    auto printers = pw_list_printers();
    if (printers.empty()) {
        printf("No printers.\n");
        return kOk;
    }
    for (const PW_PRINTER_INFO& p : printers) {
        printf("%s%s\n", p.name.c_str(), p.is_default ? "  (default)" : "");
        printf("  kind:        %s, %s%s%s\n", p.kind.c_str(), p.origin.c_str(), p.target.empty() ? "" : " -> ",
               p.target.c_str());
        if (!p.problem.empty()) {
            printf("  problem:     %s\n", p.problem.c_str());
            continue;
        }
        std::string resolutions;
        for (auto [x, y] : p.resolutions)
            resolutions += (resolutions.empty() ? "" : ", ") +
                           (x == y ? std::to_string(x) : std::to_string(x) + "x" + std::to_string(y));
        printf("  resolutions: %s dpi (used: %dx%d)\n", resolutions.c_str(), p.resolution.first, p.resolution.second);
        printf("  paper:       %s, %s x %s mm\n", p.paper.c_str(), mm(p.paper_width).c_str(),
               mm(p.paper_height).c_str());
        printf("  printable:   %s x %s mm at %s, %s mm from the top left corner\n", mm(p.printable_width).c_str(),
               mm(p.printable_height).c_str(), mm(p.printable_left).c_str(), mm(p.printable_top).c_str());
        printf("  colour:      %s\n", p.colour ? "yes" : "no (black and white)");
    }
    return kOk;
}

}  // namespace lucentra::cli
