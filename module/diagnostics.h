// How plug-in code reports: every failure and information line goes to the
// engine's error log (KEL_ERR::log on `err`), which hands back the code it was
// given, so a failing operation reports and returns in one step:
//
//     return PW_LOG("edstprnt", KEL_ERR_NOT_FOUND, 9, 2, 1, "Description has not been set.");
//
// The action value is always 2. The source is the unit's name ("edstprnt" for the
// destination, "rtfblk" for page blocks); the line is the caller's.
#pragma once

#include "kel/errlog.h"

#define PW_LOG(source, code, label, show, detail, ...) \
    err.log((code), (source), __LINE__, (label), (show), 2, (detail), __VA_ARGS__)

// Trace line of the chained destination base: formatted into 200 bytes (longer
// output is cut), a line feed appended when it fits (so at most 199 characters),
// logged with code 0, source "Destination", line 0, label 9, show 2, action 2,
// detail 4. The finished line is passed as an argument, never as the format, so a
// '%' in it is logged as it stands. Returns the log's result.
int dest_trace(const char* format, ...) KEL_PRINTF(1, 2);
