// Drives one document through a destination as the scanning application's
// engine does: settings as properties, DocSetup; for every page a page region
// passed with PassRegion, its data form asked with WantsData, a store connected
// with ConnectRegion, the page sunk with Sink and a progress monitor; DocDone.
//
// Every page is all or nothing for the document: when a page fails (its scan
// cannot be decoded, the printer refuses it) or the user stops the job, the
// document is cancelled, so the printer or output file never receives part of a
// job that claims to be complete.
//
// Cancelling: `stop` (set from the command's Ctrl-C handling) is read by the
// progress monitor, whose next report answers KEL_CANCELLED, and by every store,
// whose next Pull does; the destination then aborts the document itself.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "job/job_settings.h"
#include "kel/objects.h"

namespace lucentra {

// What the command shows while a job runs. Called on the job's thread.
class JobObserver {
public:
    virtual ~JobObserver() = default;
    virtual void page_started(int page, int pages, const std::string& label) {}
    // `percent` as the destination reported it for the page (0 to 100).
    virtual void page_progress(int page, int pages, float percent) {}
    virtual void page_finished(int page, int pages) {}
    // Between pages: a chance to dispatch the thread's messages.
    virtual void between_pages() {}
};

enum class JobOutcome { Printed, Failed, Cancelled };

struct JobResult {
    JobOutcome outcome = JobOutcome::Failed;
    int pages_printed = 0;  // pages the destination sank without failure
    int pages = 0;
    std::string reason;     // one line; empty when every page printed
};

// Runs the job. Throws nothing; a setting the engine refuses is a Failed result.
JobResult run_print_job(EDESTINATION& destination, const std::vector<JobPage>& pages, const JobSettings& settings,
                        JobObserver& observer, const std::atomic<bool>& stop);

// The resolution a page is asked for when no --res is given: the larger of its
// two axes, so neither loses detail, divided by the document's page scale when
// that shrinks the page (`page_scale` < 1), so that the destination asks for the
// scan's own pixels; but no more than the printer's resolution (when known,
// else 0), which is all the paper can show.
double page_resolution(const PageInfo& page, double printer_resolution, double page_scale = 1);

}  // namespace lucentra
