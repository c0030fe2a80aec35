// DEVMODE and DEVNAMES: building them for a printer, reading them back, and the
// job settings a DEVMODE selects.
#pragma once

#include <string>

#include "print/printer.h"
#include "pw/spool.h"

namespace pw::print {

// A DEVMODE holding the printer's defaults, every field it sets named in dmFields.
DEVMODEA devmode_for(const Printer& printer);

// The printer's defaults with the DEVMODE's choices applied (resolution, paper,
// orientation, colour). Choices the printer cannot honour fall back to the nearest
// it can: the listed resolution nearest to the one asked for, the default paper for
// an unknown one. A DEVMODE too short to hold the fields it claims is ignored.
JobSettings settings_from(const Printer& printer, const DEVMODEA* devmode);

// The port a printer reports in its DEVNAMES: the URI of an IPP printer, the
// configured output of a file printer, or "FILE:".
std::string port_of(const Printer& printer);

// New movable global memory blocks (GMEM_MOVEABLE | GMEM_ZEROINIT), owned by the
// caller; null when memory is short.
HGLOBAL new_devmode_block(const DEVMODEA& devmode);
HGLOBAL new_devnames_block(const std::string& driver, const std::string& device, const std::string& port,
                           bool is_default);

struct DevNamesText {
    std::string driver, device, port;
    bool is_default = false;
};
// Reads a DEVNAMES block, checking every offset against the block's size; false for
// a handle that is not a valid DEVNAMES.
bool read_devnames(HGLOBAL block, DevNamesText* out);
// Copies a DEVMODE block out; false for an invalid handle or a block too small.
bool read_devmode(HGLOBAL block, DEVMODEA* out);

}  // namespace pw::print
