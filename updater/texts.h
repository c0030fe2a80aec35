// The updater's texts by id and the message boxes that show them.
#pragma once

#include "afxwin.h"

namespace updater {

// String id from the current resource module (tarnrez.dll once loaded); when it
// has no such string, the program's built-in English text.
CString load_text(UINT id);

// Warning id: the text in a box captioned "Error" with the warning icon, no owner.
void show_warning(UINT id);

}  // namespace updater
