// Umbrella header of our MFC layer, for code written against the framework.
#pragma once

#include "windows.h"
#include "pw/afx_core.h"
#include "pw/afx_types.h"
#include "pw/afx_string.h"
#include "pw/afx_state.h"
#include "pw/afx_app.h"
#if __has_include("pw/afx_dc.h")
#include "pw/afx_dc.h"
#endif
#if __has_include("pw/afx_dialog.h")
#include "pw/afx_dialog.h"
#endif
#if __has_include("pw/afx_print.h")
#include "pw/afx_print.h"
#endif
