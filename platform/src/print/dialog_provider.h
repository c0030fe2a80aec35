// The provider that answers Print dialogs (pw_set_print_dialog_provider).
#pragma once

#include "pw/commdlg.h"

namespace pw::print {

// Asks the current provider; a provider that throws counts as a failed dialog.
PW_PRINT_DIALOG_ANSWER ask_provider(const PW_PRINT_DIALOG_REQUEST& request);

}  // namespace pw::print
