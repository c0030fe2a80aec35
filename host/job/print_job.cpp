#include "job/print_job.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "job/page_fit.h"
#include "job/page_regions.h"
#include "job/scan_region.h"
#include "kel/errlog.h"
#include "kel/holders.h"
#include "kel/properties.h"
#include "kel/values.h"
#include "pw/spool.h"

namespace lucentra {
namespace {

// Block boxes are 16-bit at 300 dpi: a larger page cannot be laid out.
constexpr double kMaxPageInches = 32767.0 / 300.0;

class PageMonitor : public PROGRESSINFO {
public:
    PageMonitor(JobObserver& observer, const std::atomic<bool>& stop, int pages)
        : observer_(observer), stop_(stop), pages_(pages) {}
    int page = 0;

    int Start(int) override { return KEL_OK; }
    int Update(float percent, EOBJECT*, int) override {
        observer_.page_progress(page, pages_, std::clamp(percent, 0.0f, 100.0f));
        return stop_.load() ? KEL_CANCELLED : KEL_OK;
    }

private:
    JobObserver& observer_;
    const std::atomic<bool>& stop_;
    int pages_;
};

// The first failure the log received since entry `mark`: what the user needs to
// know when a call of the destination fails.
std::string failure_since(size_t mark) {
    auto entries = err.entries();
    for (size_t i = mark; i < entries.size(); ++i)
        if (entries[i].detail == 1 || (entries[i].show == 2 && entries[i].label == 9)) return entries[i].message;
    return "";
}

// The platform's reason says what went wrong in the user's terms ("there is no
// printer 'X'"); the destination's log line says which step failed.
std::string with_printer_reason(const std::string& logged) {
    std::string printer = pw_last_print_error();
    if (printer.empty()) return logged;
    return logged.empty() ? printer : printer + " [" + logged + "]";
}

std::string hex(int code) {
    char text[16];
    snprintf(text, sizeof text, "0x%08X", (unsigned)code);
    return text;
}

// Properties and engine variables before the document. Returns "" or the reason
// the setting was refused.
std::string apply_settings(EDESTINATION& destination, const JobSettings& s) {
    for (const auto& [name, value] : s.variables) {
        if (!EVARIABLE::find(name.c_str())) {
            std::string known;
            for (const auto& n : EVARIABLE::names()) known += (known.empty() ? "" : ", ") + n;
            return "unknown engine variable \"" + name + "\" (known: " + known + ")";
        }
        if (!EVARIABLE::set(name.c_str(), value.c_str()))
            return "\"" + value + "\" is not a value for the engine variable " + name;
    }
    auto set = [&](int id, const EVALUE& value, const char* what) -> std::string {
        int r = destination.Set(id, value);
        return r == KEL_OK ? "" : std::string("the destination refused the ") + what + " (" + hex(r) + ")";
    };
    std::string problem;
    // The printer first: naming it resets the bitmap resolution to the printer's.
    if (!s.printer.empty() && (problem = set(PROP_PRINTER_NAME, EVALUE(s.printer.c_str()), "printer name")) != "")
        return problem;
    if (s.print_setup && (problem = set(PROP_PRINT_SETUP, EVALUE(0), "Print Setup")) != "") return problem;
    if (s.scale) {
        PAGE_SCALING_RECORD record{(int32_t)*s.scale, s.scale_percent, ERECTANGLE()};
        if ((problem = set(PROP_SCALING, EVALUE((void*)&record), "page scaling")) != "") return problem;
    }
    if ((problem = set(PROP_DEFAULT_RES, EVALUE(s.default_resolution ? 1 : 0), "default resolution")) != "")
        return problem;
    if (s.resolution && (problem = set(PROP_BITMAP_RES, EVALUE(*s.resolution), "resolution")) != "") return problem;
    if ((problem = set(PROP_DEEP_BITMAPS, EVALUE(s.deep ? 1 : 0), "bitmap depth")) != "") return problem;
    if (s.brightness && (problem = set(PROP_BRIGHTNESS, EVALUE(*s.brightness), "brightness")) != "") return problem;
    if (s.contrast && (problem = set(PROP_CONTRAST, EVALUE(*s.contrast), "contrast")) != "") return problem;
    if (s.clip && (problem = set(PROP_CLIP_EXTREMES, EVALUE(1), "clipping")) != "") return problem;
    return "";
}

}  // namespace

double page_resolution(const PageInfo& page, double printer_resolution, double page_scale) {
    return pass_through_resolution(std::max(page.xres, page.yres), page_scale, printer_resolution);
}

namespace {

// The page scale the destination will use for this document, when it can be
// known before the document starts: a scaling the job sets and, to fit, a named
// printer (no dialog will choose another). 1 otherwise, which asks for every
// page at its own resolution.
double expected_page_scale(const std::vector<JobPage>& pages, const JobSettings& settings) {
    if (!settings.scale) return 1;
    if (*settings.scale != ScaleMode::Fit)
        return predicted_page_scale(*settings.scale, settings.scale_percent, PrintableArea{}, Canvas{});
    if (settings.printer.empty() || settings.print_setup) return 1;
    std::optional<PrintableArea> area = printable_area(settings.printer);
    if (!area) return 1;
    // The destination fixes the scale once, on the first page's canvas.
    Canvas canvas = page_canvas(PageRegions(pages.front()));
    return predicted_page_scale(ScaleMode::Fit, 0, *area, canvas);
}

}  // namespace

JobResult run_print_job(EDESTINATION& destination, const std::vector<JobPage>& pages, const JobSettings& settings,
                        JobObserver& observer, const std::atomic<bool>& stop) {
    JobResult result;
    result.pages = (int)pages.size();
    for (const JobPage& p : pages) {
        const PageInfo& info = p.layout ? p.layout->info : p.image->page(p.page);
        double w = info.width / info.xres, h = info.height / info.yres;
        if (w > kMaxPageInches || h > kMaxPageInches) {
            char text[160];
            snprintf(text, sizeof text, ": the page is too large to print (%.0f x %.0f inches; at most %.0f a side)", w,
                     h, kMaxPageInches);
            result.reason = p.label + text;
            return result;
        }
    }
    if (pages.empty()) {
        result.reason = "nothing to print";
        return result;
    }
    result.reason = apply_settings(destination, settings);
    if (!result.reason.empty()) return result;
    // Naming the printer set the bitmap resolution to the printer's: more detail
    // than that would be sent for nothing.
    double printer_resolution = 0;
    EVALUE current;
    if (!settings.printer.empty() && destination.Get(PROP_BITMAP_RES, &current) == KEL_OK)
        printer_resolution = current.AsDouble();
    const bool own_resolution = !settings.resolution && !settings.default_resolution;
    const double page_scale = own_resolution ? expected_page_scale(pages, settings) : 1;

    size_t mark = err.count();
    int r = destination.DocSetup();
    if (r != KEL_OK) {
        result.outcome = r == KEL_CANCELLED && failure_since(mark).empty() ? JobOutcome::Cancelled : JobOutcome::Failed;
        result.reason = result.outcome == JobOutcome::Cancelled
                            ? "the Print dialog was cancelled"
                            : with_printer_reason(failure_since(mark));
        if (result.reason.empty()) result.reason = "the printer could not be opened (" + hex(r) + ")";
        destination.DocDone();
        return result;
    }

    PageMonitor monitor(observer, stop, (int)pages.size());
    bool failed = false, cancelled = false;
    for (size_t i = 0; i < pages.size() && !failed && !cancelled; ++i) {
        observer.between_pages();
        if (stop.load()) {
            cancelled = true;
            break;
        }
        const JobPage& job_page = pages[i];
        const PageInfo& info = job_page.layout ? job_page.layout->info : job_page.image->page(job_page.page);
        const int number = (int)i + 1;
        observer.page_started(number, (int)pages.size(), job_page.label);
        monitor.page = number;
        mark = err.count();

        if (own_resolution)
            destination.Set(PROP_BITMAP_RES, EVALUE(page_resolution(info, printer_resolution, page_scale)));
        // Every region is passed before the first WantsData: the destination
        // lays the page out over all of them.
        PageRegions regions(job_page);
        for (size_t k = 0; k < regions.size(); ++k) destination.PassRegion(regions.region(k));
        std::vector<std::unique_ptr<EHOLDER>> outputs;  // the engine's to delete, after the page
        for (size_t k = 0; k < regions.size() && !failed; ++k) {
            EHOLDER* handed = nullptr;
            r = destination.WantsData(regions.region(k)->object_id, &handed);
            outputs.emplace_back(handed);
            if (r == KEL_NO_DATA) continue;
            if (r != KEL_WANT_DATA) {
                result.reason = job_page.label + ": " + with_printer_reason(failure_since(mark));
                failed = true;
                break;
            }
            std::string problem;
            ESTORE* store = regions.make_store(k, handed, &stop, &problem);
            if (!store) {
                result.reason = job_page.label + ": " + problem;
                failed = true;
                break;
            }
            if (auto* bitmap = dynamic_cast<EBITMAP*>(handed))
                err.log(KEL_OK, "lucentra", __LINE__, 9, 1, 2, 4, "%s, %s: %d x %d pixels wanted at %g dpi, %d-bit%s",
                        job_page.label.c_str(), regions.label(k).c_str(), bitmap->GetWidth(), bitmap->GetHeight(),
                        (double)bitmap->GetXRes(), bitmap->GetBitsPerPixel(),
                        bitmap->GetBitMapType() == BMT_PALETTE ? " with a palette" : "");
            destination.ConnectRegion(regions.region(k)->object_id, store);
        }
        if (failed) {
            destination.Cancel();
            break;
        }

        r = destination.Sink(&monitor);
        if (r == KEL_OK || r == KEL_WARN_LOST_OUTLINE) {
            if (r == KEL_WARN_LOST_OUTLINE)
                err.log(r, "lucentra", __LINE__, 9, 2, 2, 3, "%s: part of an outline drawing could not be drawn",
                        job_page.label.c_str());
            ++result.pages_printed;
            observer.page_finished(number, (int)pages.size());
            continue;
        }
        if (!regions.store_error().empty()) {
            result.reason = regions.store_error();
            failed = true;
        } else if (r == KEL_CANCELLED && stop.load()) {
            cancelled = true;
        } else {
            std::string why = with_printer_reason(failure_since(mark));
            result.reason = job_page.label + ": " + (why.empty() ? "the page failed (" + hex(r) + ")" : why);
            failed = true;
        }
        // A destination that stopped on a cancel has aborted the document
        // already; any other failure must not leave a document that ends well.
        if (r != KEL_CANCELLED) destination.Cancel();
    }

    // A stop that came between pages, or after the last one, has not reached the
    // destination yet: the document is aborted here, so that it does not end well.
    if (!failed && (cancelled || stop.load())) {
        cancelled = true;
        destination.Cancel();
    }
    mark = err.count();
    r = destination.DocDone();
    if (cancelled) {
        result.outcome = JobOutcome::Cancelled;
        result.reason = "stopped by the user after " + std::to_string(result.pages_printed) + " of " +
                        std::to_string(result.pages) + " pages; nothing was printed";
    } else if (failed) {
        result.outcome = JobOutcome::Failed;
    } else if (r != KEL_OK) {
        result.outcome = JobOutcome::Failed;
        result.reason = pw_last_print_error();
        result.reason = "the printer did not finish the document" + (result.reason.empty() ? "" : ": " + result.reason);
    } else {
        result.outcome = JobOutcome::Printed;
        result.reason.clear();
    }
    return result;
}

}  // namespace lucentra
