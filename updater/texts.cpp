#include "texts.h"

namespace updater {

CString load_text(UINT id) {
    CString text;
    // An incomplete or missing text library must not leave the user with empty
    // boxes: the program carries every text in English.
    if (!text.LoadString(id) || text.IsEmpty()) text.LoadString(AfxGetInstanceHandle(), id);
    return text;
}

void show_warning(UINT id) { MessageBoxA(nullptr, load_text(id), "Error", MB_ICONWARNING); }

}  // namespace updater
