// Talking to IPP printers and the CUPS server through libcups.
//
// Every network call is bounded: connecting gives up after a few seconds, so a
// printer or CUPS server that is gone makes a call fail instead of hanging.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "print/printer.h"

namespace pw::print {

// True when `name` is an IPP URI rather than a printer name.
bool is_ipp_uri(const std::string& name);

// Asks the IPP printer `p.uri` (or the CUPS queue `p.name` when it has no URI) for
// its capabilities and fills them in. On failure returns false and leaves the
// reason in p.problem; the printer keeps safe defaults so it can still be listed.
bool query_ipp_printer(Printer& p);

// The queues of the CUPS server, when one answers; empty otherwise. `default_name`
// receives the CUPS default queue's name, or "".
std::vector<Printer> cups_queues(std::string* default_name);

// A CUPS queue by name, with its capabilities; false when the server does not know
// it (or there is no server).
bool find_cups_queue(const std::string& name, Printer* out);

// Checks that the printer answers now; "" when it does, else the reason.
std::string ipp_printer_answers(const Printer& p);

// Sends the document read from `document` (of MIME type `format`, read from its
// current position to its end) as one job named `title`. Returns "" on success,
// else the reason; a job that was created but could not be completed is cancelled.
std::string send_ipp_job(const Printer& p, const std::string& title, const std::string& format,
                         FILE* document, bool monochrome);

}  // namespace pw::print
