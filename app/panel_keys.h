// The file panels' keys and the commands they run on a panel's selection: copy and move
// into the other panel's folder, delete, new folder, shortcuts, selection by mask. The
// key tables themselves are the main window's LFKeyDown and RFKeyDown.
#pragma once

#include <string>
#include <vector>

#include "shell/pt_shell_list.h"

// The list a file panel is made of: a shell list that also takes Tab, so that Tab can
// move to the other panel instead of walking through every control of the window.
TPTShellList* CreatePanelList(TComponent* AOwner);

// The name that masks and quick find match: the item's file name, else its display name.
std::string ItemName(TPTShListData* Data);

// Copies (or moves) the selection of From into To's folder with the shell's progress and
// conflict dialogs. False, with the reason told, when it was refused or failed; a
// cancelled transfer is false without a message.
bool TransferSelection(TPTShellList* From, TPTShellList* To, bool Move);

// Sends the selected items to the recycle bin. False, with the reason told, on failure.
bool RecycleSelection(TPTShellList* List);
// Deletes the selected items for good, folders with all they hold. The paths that could
// not be deleted (all of them, or some of a folder's contents) come back; empty when all
// went.
std::vector<std::string> DeleteSelection(TPTShellList* List);

// Whether Name can be a new folder in the panel's folder: one plain name, no separator,
// drive or "..".
bool IsNewFolderName(const std::string& Name);
// Makes Name in Folder ("C:\" + "new" gives "C:\new"); the error told in Error when it
// cannot.
bool MakeNewFolder(const std::string& Folder, const std::string& Name, std::string& Error);

// A shortcut to each selected item in the list's folder, named "Shortcut to " + the name
// (numbered when that name is taken). False, with the reason told, when one failed.
bool LinkSelection(TPTShellList* List);

// Selects (or deselects) every item whose name, upper-cased, fits the upper-cased mask.
void SelectByMask(TPTShellList* List, const std::string& Mask, bool Select);
// Inverts every item's selection.
void InvertSelection(TPTShellList* List);
