// The built-in printers and the user's printers file.
//
// The file ($XDG_CONFIG_HOME/pagewright/printers) is a list of sections, one per
// printer; a section named like a built-in printer changes only the keys it gives.
// A line the reader does not understand is reported and skipped: a damaged file
// never stops printing. See README.md beside this file for the format.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "print/printer.h"

namespace pw::print {

struct PrintersConfig {
    std::vector<Printer> printers;  // the built-in ones first, then the file's new ones
    std::string default_name;       // "PDF" unless the file names another
    std::vector<std::string> warnings;  // "printers:LINE: what was wrong"
};

// "PDF", "PNG" and "Fax" with the paper of the user's locale.
std::vector<Printer> builtin_printers();

// The built-in printers changed and extended by the text of a printers file.
PrintersConfig parse_printers_file(std::string_view text, std::string_view file_name);

// Path of the user's printers file (which need not exist).
std::string printers_file_path();

// The built-in printers with the user's file applied; problems with the file are
// reported once on stderr.
PrintersConfig load_printers_config();

}  // namespace pw::print
