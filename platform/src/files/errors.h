// Error reporting shared by the file calls.
#pragma once

#include "pw/files.h"

namespace pw::files {

// The original platform's code for an errno value.
DWORD error_from_errno(int err);

// Records code for GetLastError.
void set_error(DWORD code);

}  // namespace pw::files
