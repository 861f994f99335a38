// Sent to a form's window when its menu bar was made anew after a change of the items, so
// that whoever decorates the items (owner-drawn menus) can do so again.
#pragma once

#include <windows.h>

inline constexpr UINT CM_MENUCHANGED = WM_APP + 0x3B03;
