// Dialog templates shared by the program and tarnrez.dll (which carries its own
// copy of the progress window, as the resource library serves every dialog once
// the updater has switched to it). Sizes in dialog units.
#pragma once

#include <iterator>

#include "pw/resources.h"
#include "pw/user.h"
#include "resource.h"

namespace updater {

inline constexpr pw::res::DialogControl kConfirmControls[] = {
    {IDOK, "BUTTON", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 15, 65, 56, 14},
    {IDCANCEL, "BUTTON", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 176, 68, 59, 14},
    {IDC_CONFIRM_TEXT, "STATIC", "", WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, 21, 7, 229, 50},
};

inline constexpr pw::res::DialogControl kProgressControls[] = {
    {IDC_PROGRESS_TEXT, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT, 23, 27, 122, 43},
};

inline constexpr pw::res::DialogTemplate kConfirmDialog = {
    IDD_UPDATER_DIALOG, "Velmora Lucentra Update", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
    0, 0, 0, 258, 95, "MS Sans Serif", 8, kConfirmControls, std::size(kConfirmControls)};

inline constexpr pw::res::DialogTemplate kProgressDialog = {
    IDD_PROGRESS, nullptr, WS_POPUP | WS_VISIBLE | DS_MODALFRAME | DS_SETFONT, 0, 0, 0, 175, 94,
    "MS Sans Serif", 8, kProgressControls, std::size(kProgressControls)};

}  // namespace updater
