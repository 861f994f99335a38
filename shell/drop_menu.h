// The menu of a drop made with the right mouse button into a folder of the file system:
// "Copy here", "Move here", "Create shortcuts here" (those the drop allows) and "Cancel",
// the entry a left-button drop would take in bold; and the shortcuts its link entry makes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The command id of each entry is the effect it carries out (DROPEFFECT_COPY, _MOVE,
// _LINK); Cancel has this one.
inline constexpr UINT DropMenuCancelId = 0x100;

// The entries' texts, and the names of what drops and pastes make: ShortcutName and
// CopyName with "%s" for the item's name, NumberedCopyName with "%d" for the copy's
// number as well ("Copy (2) of x"). An empty one keeps the English text.
struct TDropMenuTexts {
  std::string Copy, Move, Link, Cancel;
  std::string ShortcutName, CopyName, NumberedCopyName;
};
// Asked each time the menu is made: the program answers in the user's language. Unset, or
// when it raises, the menu is in English.
extern std::function<TDropMenuTexts()> DropMenuTexts;
// What DropMenuTexts answers; all empty when it is unset or raises.
TDropMenuTexts CurrentDropMenuTexts();
// Pattern with "%s" replaced by Name and "%d" by Number. English (a pattern of the same
// form) stands in when Pattern is empty, has no "%s", or holds a character that a file
// name cannot have, so that a language file never sends a file elsewhere.
std::wstring MadeName(const std::string& Pattern, const wchar_t* English, const std::wstring& Name, int Number = 0);
// When set, it answers in place of the user: given the menu as it would be shown, the id
// chosen, or 0 for a menu closed without a choice (as TrackPopupMenu with TPM_RETURNCMD).
extern std::function<UINT(HMENU Menu)> DropMenuAnswer;

// The menu of the effects in Allowed (the others are left out) and Cancel; Default, when
// allowed, is the default entry. The caller destroys it.
HMENU CreateDropMenu(DWORD Allowed, DWORD Default);
// Shows that menu at a screen point for Owner and waits for the choice: the chosen effect,
// DROPEFFECT_NONE for Cancel, for a menu closed without a choice and when nothing is
// allowed.
DWORD AskDropEffect(HWND Owner, POINTL Point, DWORD Allowed, DWORD Default);

// Makes in Folder a shortcut to Target, named "Shortcut to <name>.lnk" in the user's
// language (with " (2)", " (3)"... when that is taken).
HRESULT CreateShortcutIn(const std::wstring& Folder, const std::wstring& Target);
// Makes in Folder one shortcut to each of Targets, named "Shortcut to <name>.lnk" (with
// " (2)", " (3)"... when that is taken). S_OK when every one was made, else the HRESULT of
// the first failure; the others are still made.
HRESULT CreateShortcutsIn(const std::wstring& Folder, const std::vector<std::wstring>& Targets);
