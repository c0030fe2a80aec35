// Presents the engine's log to the user.
//
// Readable lines on stderr, one per entry: "lucentra: error: <message>"
// followed, with -v, by where it came from "[edstprnt:412 0x80000068]".
// Which entries show:
//   quiet    none (the command still prints its one-line result)
//   normal   entries marked to be shown to the user (show 2), except failures
//            (detail 1): the command's closing line reports the failure that
//            stopped the job, once
//   verbose  every entry, trace lines (detail 4) included
// The words for the detail value: 1 error, 2 internal error, 3 note, 4 trace; an
// entry with code 0 that is shown is a note whatever its detail.
//
// A JSON-lines file (--log FILE) receives every entry, whatever the verbosity:
// {"code":..., "source":..., "line":..., "label":..., "show":..., "action":...,
//  "detail":..., "message":...}.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "kel/errlog.h"

namespace lucentra {

enum class Verbosity { Quiet, Normal, Verbose };

// The text a user reads for one entry (no trailing newline).
std::string format_log_entry(const KEL_LOG_ENTRY& entry, Verbosity verbosity);
// Whether an entry is shown at this verbosity.
bool log_entry_shown(const KEL_LOG_ENTRY& entry, Verbosity verbosity);
// One JSON object (no trailing newline).
std::string log_entry_json(const KEL_LOG_ENTRY& entry);

// Installs itself as the log's sink for its lifetime (one at a time), writing to
// `out` and, when `json_path` is not empty, to that file.
class LogView {
public:
    // Throws std::runtime_error when the JSON file cannot be created.
    LogView(Verbosity verbosity, FILE* out, const std::string& json_path);
    ~LogView();
    LogView(const LogView&) = delete;
    LogView& operator=(const LogView&) = delete;

    // Called before a shown line, so a progress bar can clear its line first.
    void set_before_line(std::function<void()> hook) { before_line_ = std::move(hook); }

private:
    void write(const KEL_LOG_ENTRY& entry);

    Verbosity verbosity_;
    FILE* out_;
    FILE* json_ = nullptr;
    std::function<void()> before_line_;
};

}  // namespace lucentra
