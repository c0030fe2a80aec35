// What the printing code knows about one printer, and the settings of one document.
#pragma once

#include <string>
#include <vector>

#include "print/paper.h"

namespace pw::print {

enum class Kind { pdf, png, fax, ipp };
const char* kind_name(Kind kind);

struct Resolution {
    int x = 0;  // dots per inch
    int y = 0;
    bool operator==(const Resolution&) const = default;
};

// Margins in hundredths of a millimetre, on the portrait paper.
struct Margins {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// One printer: a file printer from the built-in set or the printers file, or an
// IPP printer (from the printers file, a CUPS queue, or a URI given as its name).
struct Printer {
    std::string name;
    Kind kind = Kind::pdf;
    std::string origin;              // "built-in", "printers file", "cups", "uri"
    std::vector<Resolution> resolutions;  // as listed; never empty once resolved
    Resolution resolution;                // used when a DEVMODE asks for none
    Paper paper;
    Margins margins;
    bool colour = true;
    std::string output;  // file printers: the configured output file ("" = from the document name)
    std::string uri;     // IPP printers
    // IPP printers, filled when the printer was asked (see ipp_query.h).
    bool takes_pdf = false;
    bool takes_pwg = false;
    std::vector<std::string> pwg_types;           // e.g. "sgray_8", "srgb_8", "black_1"
    std::vector<Resolution> pwg_resolutions;
    std::string problem;  // why the printer could not be asked; empty when it answered
    bool cups_default = false;  // the CUPS server's default queue
};

// The settings one document prints with: the printer's defaults with a DEVMODE's
// choices applied, and the page geometry that follows from them.
struct JobSettings {
    Resolution resolution;
    Paper paper;      // portrait size
    bool landscape = false;
    bool colour = true;
    Margins margins;  // portrait margins

    // Geometry in device pixels, landscape already applied.
    int physical_width() const;
    int physical_height() const;
    int offset_x() const;
    int offset_y() const;
    int printable_width() const;
    int printable_height() const;
};

JobSettings default_settings(const Printer& printer);

}  // namespace pw::print
