// Umbrella header of our Win32 layer: what ordinary Win32 code includes.
#pragma once

#include "pw/wintypes.h"
#if __has_include("pw/kernel.h")
#include "pw/kernel.h"
#endif
#if __has_include("pw/user.h")
#include "pw/user.h"
#endif
#if __has_include("pw/gdi.h")
#include "pw/gdi.h"
#endif
#if __has_include("pw/spool.h")
#include "pw/spool.h"
#endif
#if __has_include("pw/commdlg.h")
#include "pw/commdlg.h"
#endif
#if __has_include("pw/registry.h")
#include "pw/registry.h"
#endif
