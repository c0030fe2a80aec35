// lucentra print: checks every input, loads the printer module and prints one
// document.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "cli/commands.h"
#include "decode/image.h"
#include "job/job_error.h"
#include "job/plugin_module.h"
#include "job/print_job.h"
#include "layout/load_layout.h"
#include "pw/commdlg.h"
#include "pw/spool.h"
#include "ui/interrupt.h"
#include "ui/log_view.h"
#include "ui/progress_view.h"

namespace lucentra::cli {
namespace {

int refuse(const std::string& why) {
    fprintf(stderr, "lucentra: %s\n", why.c_str());
    return kRefused;
}

// --scale: "actual", "fit" or a percentage. False when it is none of them.
bool parse_scale(const std::string& text, JobSettings& settings) {
    if (text.empty()) return true;
    if (text == "actual") return settings.scale = ScaleMode::Actual, true;
    if (text == "fit") return settings.scale = ScaleMode::Fit, true;
    std::string number = text.back() == '%' ? text.substr(0, text.size() - 1) : text;
    char* end = nullptr;
    double percent = strtod(number.c_str(), &end);
    if (number.empty() || *end != '\0' || !std::isfinite(percent) || percent < 12 || percent > 1200) return false;
    settings.scale = ScaleMode::Percent;
    settings.scale_percent = (float)percent;
    return true;
}

std::string default_printer_name() {
    char name[512];
    DWORD size = sizeof name;
    return GetDefaultPrinterA(name, &size) ? std::string(name) : std::string();
}

}  // namespace

int print_command(const PrintOptions& o) {
    JobSettings settings;
    if (!parse_scale(o.scale, settings))
        return refuse("--scale must be actual, fit or a percentage from 12 to 1200, not \"" + o.scale + "\"");
    for (const std::string& assignment : o.set) {
        auto equals = assignment.find('=');
        if (equals == std::string::npos || equals == 0)
            return refuse("--set needs NAME=VALUE, not \"" + assignment + "\"");
        settings.variables.emplace_back(assignment.substr(0, equals), assignment.substr(equals + 1));
    }
    settings.print_setup = o.setup;
    settings.resolution = o.res;
    settings.default_resolution = o.default_res;
    settings.deep = o.deep;
    settings.brightness = o.brightness;
    settings.contrast = o.contrast;
    settings.clip = o.clip;

    const Verbosity verbosity = o.quiet ? Verbosity::Quiet : o.verbose ? Verbosity::Verbose : Verbosity::Normal;
    std::unique_ptr<LogView> log;
    try {
        log = std::make_unique<LogView>(verbosity, stderr, o.log);
    } catch (const std::exception& e) {
        return refuse(e.what());
    }

    // Every input is opened (headers only) before anything is printed, so a bad
    // one stops the job before a document exists.
    DecodeOptions decode;
    decode.fallback_dpi = o.dpi;
    std::vector<JobPage> pages;
    for (const std::string& input : o.inputs) {
        if (is_layout_file(input)) {
            // A layout is checked whole (every scan, every region) here, before
            // the document starts.
            std::shared_ptr<const Layout> layout;
            try {
                layout = std::make_shared<const Layout>(load_layout(input, decode));
            } catch (const LayoutError& e) {
                return refuse(e.what());
            }
            for (const LayoutPage& page : layout->pages) {
                std::string label = layout->pages.size() > 1 ? input + " " + page.label : input;
                // The job page shares the layout's lifetime through the aliasing pointer.
                pages.push_back({page.image, page.scan_page, label, std::shared_ptr<const LayoutPage>(layout, &page)});
            }
            continue;
        }
        std::shared_ptr<const ImageFile> image;
        try {
            image = open_image(input, decode);
        } catch (const DecodeError& e) {
            return refuse(e.what());
        }
        for (int i = 0; i < image->page_count(); ++i)
            pages.push_back(
                {image, i, image->page_count() > 1 ? input + " page " + std::to_string(i + 1) : input, nullptr});
    }

    // Who answers the Print dialog, and which printer.
    if (o.dialog == "tty")
        pw_set_print_dialog_provider(pw_print_dialog_terminal());
    else if (o.dialog == "cancel")
        pw_set_print_dialog_provider(pw_print_dialog_script({PW_PRINT_DIALOG_ANSWER::Cancel()}));
    else
        pw_set_print_dialog_provider(pw_print_dialog_accept_default());
    settings.printer = o.printer;
    if (settings.printer.empty() && (o.dialog.empty() || o.dialog == "default")) {
        // Without a printer name the destination would ask the Print dialog; a
        // user who named no printer and no dialog wants the default printer.
        settings.printer = default_printer_name();
    }
    if (!o.output.empty()) pw_set_print_output(o.output.c_str());
    if (o.trace) pw_set_printer_trace([](const std::string& line) { std::fprintf(stderr, "trace: %s\n", line.c_str()); });

    std::unique_ptr<PluginModule> module;
    try {
        module = std::make_unique<PluginModule>(locate_module(program_folder()));
    } catch (const JobError& e) {
        fprintf(stderr, "lucentra: %s\n", e.what());
        return kFailed;
    }

    const bool terminal = isatty(fileno(stderr));
    ProgressView progress(stderr,
                          o.quiet ? ProgressView::Style::Silent
                                  : terminal ? ProgressView::Style::Bar : ProgressView::Style::Lines,
                          [] { InterruptWatch::pump(); });
    log->set_before_line([&] { progress.break_line(); });
    std::atomic<bool> stop{false};
    JobResult result;
    {
        InterruptWatch interrupt(stop, [&] {
            progress.break_line();
            if (!o.quiet) fprintf(stderr, "lucentra: stopping (Ctrl-C again to quit at once)\n");
        });
        result = run_print_job(*module->destination(), pages, settings, progress, stop);
    }
    progress.break_line();
    module.reset();
    log.reset();

    switch (result.outcome) {
    case JobOutcome::Printed: {
        std::string where = settings.printer.empty() ? std::string("the chosen printer") : "\"" + settings.printer + "\"";
        if (!o.output.empty()) where += ": " + o.output;
        // The result line is printed even when quiet: scripts read the path from it.
        printf("Printed %d page%s on %s\n", result.pages_printed, result.pages_printed == 1 ? "" : "s",
               where.c_str());
        return kOk;
    }
    case JobOutcome::Cancelled:
        fprintf(stderr, "lucentra: %s\n", result.reason.c_str());
        return kStopped;
    case JobOutcome::Failed:
    default:
        fprintf(stderr, "lucentra: %s\n", result.reason.c_str());
        return kFailed;
    }
}

}  // namespace lucentra::cli
