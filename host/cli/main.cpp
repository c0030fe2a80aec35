// lucentra: prints scanned pages through the Pagewright printer destination.
#include <CLI/CLI.hpp>

#include "cli/commands.h"

using namespace lucentra::cli;

int main(int argc, char** argv) {
    CLI::App app{"lucentra: prints scans (PNG, TIFF, JPEG, PNM) through the Pagewright printer module"};
    app.require_subcommand(0, 1);
    bool version = false;
    app.add_flag("--version", version, "Show the versions of lucentra and of the printer module, then stop");

    PrintOptions p;
    CLI::App* print = app.add_subcommand("print", "Print scans, one page per image page, or the pages of layouts");
    print->add_option("INPUT", p.inputs,
                      "Scans to print, in order (a multi-page TIFF gives all its pages), or layout files "
                      "(JSON layouts, PAGE-XML) that divide scans into typed regions")
        ->required();
    print->add_option("--printer", p.printer,
                      "A built-in printer (\"PDF\", \"PNG\", \"Fax\"), a CUPS queue or an ipp:// URI; "
                      "default: the default printer (\"PDF\")");
    print->add_option("-o,--output", p.output, "Output file of a file printer (PDF, PNG, Fax)");
    print->add_flag("--setup", p.setup, "Show the Print Setup dialog before printing");
    print->add_option("--scale", p.scale, "actual (the module's default), fit, or a percentage (12 to 1200)");
    print->add_option("--res", p.res, "Resolution the scan is sent at, dots per inch (12 to 9600); "
                                      "default: each scan's own resolution")
        ->check(CLI::Range(12.0, 9600.0));
    print->add_flag("--default-res", p.default_res, "Send scans at the module's default resolution "
                                                    "(engine variable printer_default_res)");
    print->add_flag("--deep,!--no-deep", p.deep,
                    "Deep bitmaps: 8-bit gray and 24-bit colour (the default); --no-deep sends 4-bit gray "
                    "and 8-bit images");
    print->add_option("--brightness", p.brightness, "Added to every sample (-255 to 255)")->check(CLI::Range(-255, 255));
    print->add_option("--contrast", p.contrast, "Strength of the contrast curve (-255 to 255)")
        ->check(CLI::Range(-255, 255));
    print->add_flag("--clip", p.clip, "Snap near-white to white and near-black to black");
    print->add_option("--set", p.set, "Set an engine variable, NAME=VALUE (may repeat)");
    print->add_option("--dialog", p.dialog,
                      "Who answers the Print dialog: tty (ask on the terminal), default (accept the default "
                      "printer), cancel. Without --printer, tty or cancel lets the dialog choose the printer")
        ->check(CLI::IsMember({"tty", "default", "cancel"}));
    print->add_option("--dpi", p.dpi, "Resolution of scans that state none (default 300)")
        ->check(CLI::Range(10.0, 20000.0));
    print->add_flag("-q,--quiet", p.quiet, "Show nothing but the result line");
    print->add_flag("-v,--verbose", p.verbose, "Show every log entry, trace lines included");
    print->add_option("--log", p.log, "Write every log entry to FILE as JSON lines");
    print->add_flag("--trace", p.trace, "Show every drawing call made on the printer, one line each, on stderr");

    MetafileOptions m;
    CLI::App* metafile = app.add_subcommand("metafile", "Render one bitmap region of a layout into a Windows metafile");
    metafile->add_option("LAYOUT", m.layout, "A JSON layout or PAGE-XML file")->required();
    metafile->add_option("--region", m.region, "The region: its number, or its name (PAGE-XML: its id)")->required();
    metafile->add_option("--page", m.page, "The layout's page (default 1)")->check(CLI::PositiveNumber);
    metafile->add_option("-o,--output", m.output, "The metafile to write (.wmf)")->required();
    metafile->add_option("--res", m.res, "Resolution of photos, dots per inch (default: the scan's)")
        ->check(CLI::Range(12.0, 9600.0));
    metafile->add_flag("--deep,!--no-deep", m.deep, "8-bit gray and 24-bit colour (the default); --no-deep: 4 and 8 bits");
    metafile->add_option("--dpi", m.dpi, "Resolution of scans that state none (default 300)")
        ->check(CLI::Range(10.0, 20000.0));

    CLI::App* printers = app.add_subcommand("printers", "List every printer: resolutions, paper, printable area, colour");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? kOk : kRefused;
    }
    if (version) return version_command();
    if (print->parsed()) return print_command(p);
    if (printers->parsed()) return printers_command();
    if (metafile->parsed()) return metafile_command(m);
    fprintf(stderr, "%s", app.help().c_str());
    return kRefused;
}
