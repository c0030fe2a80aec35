// Which printers exist: the built-in and printers-file printers, IPP printers by
// URI, and the CUPS queues. Read afresh at every lookup, so a changed printers file
// counts at once; only IPP printers cost a network round trip.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "print/printer.h"

namespace pw::print {

// The printer of that name (case-insensitive), an IPP URI, or a CUPS queue, with its
// capabilities. Empty with the reason in `why` when there is none or an IPP printer
// does not answer.
std::optional<Printer> find_printer(const std::string& name, std::string* why);

// Every printer: the configured ones, then the CUPS queues. With `ask_ipp` IPP
// printers are asked for their capabilities (those that do not answer keep
// defaults and say why in `problem`).
std::vector<Printer> all_printers(bool ask_ipp);

// The default printer's name: the one set for this process, else the printers
// file's, else "PDF".
std::string default_printer_name();
bool is_default_printer(const std::string& name);
void set_default_printer_override(const std::string& name);

// The host's --output, or "".
std::string output_override();
void set_output_override(const std::string& path);

}  // namespace pw::print
