// The process-wide trace of printer calls (pw_set_printer_trace).
#pragma once

#include "pw/journal_device.h"

namespace pw::print {
// The sink printer DCs are to be traced into; empty when no trace is wanted.
JournalDevice::Sink printer_trace_sink();
}  // namespace pw::print
