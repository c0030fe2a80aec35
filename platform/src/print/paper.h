// Paper sizes known by name, and the default paper of the user's locale.
// Sizes are in hundredths of a millimetre (PWG units), portrait.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pw::print {

struct Paper {
    std::string name;   // e.g. "Letter", "A4"; "Custom" for a size without a name
    int width = 0;      // hundredths of a millimetre
    int height = 0;     // hundredths of a millimetre
    int dmpaper = 0;    // DMPAPER_* code, 0 when the size has none
    std::string pwg;    // PWG self-describing media name, e.g. "na_letter_8.5x11in"
};

// A paper by name ("letter", "A4", case-insensitive), by PWG media name, or by
// size ("210x297mm", "8.5x11in"). Empty when the text names no paper.
std::optional<Paper> paper_by_name(std::string_view text);
// A paper by DMPAPER_* code; empty for codes this layer does not know.
std::optional<Paper> paper_by_code(int dmpaper);
// The named paper of this size (within half a millimetre), else "Custom".
Paper paper_by_size(int width, int height);

// Letter in the Americas' Letter countries and the Philippines, A4 elsewhere,
// judged from LC_ALL, then LC_PAPER, then LANG.
Paper locale_paper();
// The territory of a locale name ("en_US.UTF-8" -> "US"); empty for "C" and such.
std::string locale_territory(std::string_view locale);

// Device pixels covering `hmm` hundredths of a millimetre at `dpi`, rounded.
int hmm_to_pixels(int hmm, int dpi);

}  // namespace pw::print
