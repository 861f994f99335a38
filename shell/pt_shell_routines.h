// Shell routines shared by the shell controls and their item data: system-error
// exceptions, splitting an absolute list into parent folder and item, UI objects and drop
// targets of absolute lists, and the texts of the size, type and modified columns.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "classlib/core/sys_utils.h"
#include "shell/pt_shell_utils.h"

// An EOSError with the system's message of Code.
[[noreturn]] void RaiseSysError(int Code);
// RaiseSysError for a failed HRESULT.
void CheckHResult(HRESULT Hr);

// The parent folder, the parent's absolute list and the item's relative list of an
// absolute list. The desktop itself splits as the desktop's file-system folder.
HRESULT SplitPidl(PCItemIDList AbsList, TComPtr<IShellFolder>& ParentFolder, TPidl& ParentList,
                  TPidl& RelList);
HRESULT GetUIObjectOfPidl(PCItemIDList AbsList, REFIID Iid, void** Object);
HRESULT GetDesktopDropTarget(IDropTarget** Target);

// Local date-time of a file time (UTC).
TDateTime FileTimeToDateTime(const FILETIME& Time);
// "System Folder" outside the file system, else the shell's type name ("" on failure).
std::string GetTypeNameText(PCItemIDList AbsList, ULONG Attributes);
// Size (not for folders) and modified texts of file-system objects below a drive root;
// the type text of any object.
void GetDetailTexts(PCItemIDList AbsList, ULONG Attributes, std::string& SizeText,
                    std::string& ModifiedText, std::string& TypeText);
