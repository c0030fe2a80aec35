// The updater's English texts. tarnrez.dll carries them as its English table; the
// program carries the same table as its built-in fallback, shown when tarnrez.dll
// cannot be loaded or lacks a text.
#pragma once

#include <iterator>

#include "pw/resources.h"
#include "resource.h"

namespace updater {

inline constexpr pw::res::String kEnglishTexts[] = {
    {IDS_COMPLETE, "Pagewright has been updated. Start VL Lucentra LT to print with the new version."},
    {IDS_BUTTON_OK, "&Update"},
    {IDS_BUTTON_CANCEL, "Cancel"},
    {IDS_CONFIRM,
     "This installs the new Pagewright printer destination into VL Lucentra LT.\n"
     "Close VL Lucentra LT before you continue."},
    {IDS_PROGRESS, "Copying the new Pagewright printer destination..."},
    {IDS_NO_LOCATION,
     "The program directory of VL Lucentra LT or the location of this updater could not be found. "
     "Install VL Lucentra LT and start it once, then run the updater again."},
    {IDS_COPY_FAILED,
     "The new Pagewright file could not be copied. Make sure that VL Lucentra LT is closed and that "
     "pagewright.dst is in the same folder as the updater, then try again."},
};

}  // namespace updater
