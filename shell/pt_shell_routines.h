// Shell routines shared by the shell controls and their item data: system-error
// exceptions, context menus and verbs, the owner-drawn Send To submenu, splitting an
// absolute list into parent folder and item, UI objects, drop targets and drop effects,
// transfers of files into folders, new folders, and the texts of the size, type and
// modified columns.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "classlib/core/object.h"

#include "classlib/core/sys_utils.h"
#include "classlib/win/controls.h"
#include "shell/core/pt_shell_strings.h"
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

// Events shared by the shell tree and list: the context menu's help text of the entry under
// the mouse, and the veto on each object before it is added (afAllowAdd starts true).
using TPTShPopupHintEvent = std::function<void(TObject* aSender, const std::string& aHint)>;
using TPTShAddItemEvent = std::function<void(TObject* aSender, IShellFolder* aParentIShf, PCItemIDList aParentAbsIdList,
                                             PCItemIDList aItemRelIdList, ULONG aAttribs, bool& afAllowAdd)>;

// ---------------------------------------------------------------------------------------
// Context menus and verbs. The shell's commands get the menu ids 50 to 0x7FFF, so an id
// less 50 is the offset IContextMenu expects; ids 1 to 49 are our Send To entries.

inline constexpr UINT ShellFirstCommandId = 50;
inline constexpr UINT ShellLastCommandId = 0x7FFF;

// The context menu of Count items of Folder, filled from FirstId. On failure both outs are
// empty; a failure to fill the menu raises (after both are freed). A success may still
// come without a menu when no popup menu could be made: test Menu.
HRESULT GetContextMenu(HWND Owner, IShellFolder* Folder, UINT Count, PCItemIDList* Lists, UINT Flags,
                       UINT FirstId, HMENU& Menu, TComPtr<IContextMenu>& ContextMenu);
// The offset of the command whose verb is Verb (case-insensitive); -1 when the menu has
// none. Raises when the menu cannot be filled.
int FindVerbCommand(IContextMenu* ContextMenu, const std::string& Verb);
// Runs the command of Verb; HRESULT_FROM_WIN32(ERROR_NOT_FOUND) and nothing run when the
// menu has no such verb.
HRESULT InvokeVerb(IContextMenu* ContextMenu, HWND Owner, const std::string& Verb);
// The verb of the command at Offset; empty when it has none.
std::string GetCommandVerb(IContextMenu* ContextMenu, UINT Offset);
// Runs the command at Offset (below 0x10000).
HRESULT InvokeVerb(IContextMenu* ContextMenu, HWND Owner, UINT Offset);
// The window of the form at the top of Control's parent chain; 0 when that is no form.
HWND GetOwnerFormHandle(const TControl* Control);

// Runs Verb on items of the folder ParentList (their context menu from that folder).
// "copy" and "cut" of objects of the file system put our own data object on the clipboard
// (SetClipboardItems), which tells a paste a cut from a copy; "paste" on one folder of the
// file system is our own transfer (PasteIntoFolder): the shell's own paste and cut do not
// work everywhere. A verb the menu lacks gives HRESULT_FROM_WIN32(ERROR_NOT_FOUND).
HRESULT InvokeItemsVerb(HWND Owner, PCItemIDList ParentList, const std::vector<PCItemIDList>& Children,
                        const std::string& Verb);
// InvokeItemsVerb on the one object AbsList.
HRESULT InvokeVerbOnObject(HWND Owner, PCItemIDList AbsList, const std::string& Verb);

// ---------------------------------------------------------------------------------------
// Transfers of files into a folder of the file system, through SHFileOperation with its
// own progress and conflict dialogs.

// The file-system path of a list, whatever its characters; empty when it has none.
std::wstring PidlToWidePath(PCItemIDList List);
// The paths a data object carries: its CF_HDROP names, else its "Shell IDList Array"
// resolved to paths. Empty when it has neither or names an object outside the file system.
std::vector<std::wstring> DataObjectPaths(IDataObject* Data);
// Its "Preferred DropEffect", 0 when it offers none.
DWORD DataObjectPreferredEffect(IDataObject* Data);
// Copies (DROPEFFECT_COPY) or moves (DROPEFFECT_MOVE) the objects of Data into the folder
// FolderList. Copies into their own folder get free names ("Copy of x"); moves into their own folder are
// left alone. S_OK when done, S_FALSE when Data carries no files; the HRESULT of a
// failure, that of ERROR_CANCELLED when the user cancelled.
HRESULT TransferIntoFolder(HWND Owner, IDataObject* Data, PCItemIDList FolderList, DWORD Effect);
// Pastes what the clipboard holds into the folder: moved when it was cut (its preferred
// drop effect says move), else copied. After a move the clipboard, whose files are gone,
// is emptied. S_FALSE when the clipboard holds no files.
HRESULT PasteIntoFolder(HWND Owner, PCItemIDList FolderList);
// The effect a drop into Folder should have: Ctrl copies, Shift moves (either one only
// when Allowed has it), else a move when every source is on the folder's drive and a copy
// across drives, falling back to the other one that Allowed has. Links are never chosen:
// a transfer copies or moves.
DWORD ChooseDropEffect(DWORD KeyState, DWORD Allowed, const std::vector<std::wstring>& Sources,
                       const std::wstring& Folder);
// A drop target of our own for the folder FolderList of the file system: its effect is
// ChooseDropEffect's and its drop is TransferIntoFolder (a move done there answers
// DROPEFFECT_NONE, so that the source deletes nothing). A drop with the right button asks
// first with the drop menu (AskDropEffect), whose link entry makes shortcuts. The shell's own folder drop
// targets report success and copy nothing under Wine. Nil when FolderList names no folder
// of the file system.
TComPtr<IDropTarget> CreateFolderTransferTarget(HWND Owner, PCItemIDList FolderList);

// ---------------------------------------------------------------------------------------
// The Send To submenu: while a context menu is shown the controls hand it these messages.
// The shell's own Send To submenu is replaced by one owner-drawn entry per file of the
// user's Send To folder (at most MaxSendToEntries), ids 1, 2, ... in the order of the list.

struct TSendToEntry {
  std::string Name;  // the file name with its extension
  int IconIndex;     // small system icon, -1 for none
};
// The entries of the last Send To submenu opened.
const std::vector<TSendToEntry>& SendToEntries();
// Lists Folder (empty: the user's Send To folder) without hidden files and sub-folders.
void FillSendToEntries(const std::string& Folder = {});


void HandleInitMenuPopup(TMessage& Message, IContextMenu* ContextMenu);
void DrawSendToItem(TMessage& Message);
void MeasureSendToItem(TMessage& Message);
void HandleMenuChar(TMessage& Message);
void MenuSelectHint(TMessage& Message, IContextMenu* ContextMenu, TObject* Sender,
                    const TPTShPopupHintEvent& OnHint);
// All five above: true when Message was one of them (its result is set).
bool HandleContextMenuMessage(TMessage& Message, IContextMenu* ContextMenu, TObject* Sender,
                              const TPTShPopupHintEvent& OnHint);
// Drops Data on the file Name of the Send To folder (empty: the user's); raises on failure.
void SendToFile(const std::string& Name, IDataObject* Data, const std::string& Folder = {});

// Shows the context menu of Count items of Folder at a screen point for Window, and runs
// the chosen command: a shell command with Owner as the owner window, or a Send To entry
// with the data object MakeData gives. While shown, ContextMenu holds the menu for the
// message handlers above. True when a command was chosen.
bool TrackShellContextMenu(HWND Window, HWND Owner, IShellFolder* Folder, UINT Count, PCItemIDList* Lists,
                           POINT ScreenPoint, TComPtr<IContextMenu>& ContextMenu,
                           const std::function<TComPtr<IDataObject>()>& MakeData);

// ---------------------------------------------------------------------------------------
// Drop effects, scrolling, new folders, names.

// The desktop's file-system folder split as SplitPidl splits.
HRESULT GetDesktopSplit(TPidl& ParentList, TPidl& RelList);
// The effects (DROPEFFECT_COPY, _MOVE, _LINK) that the objects of Data all allow: 7 when
// it carries no "Shell IDList Array", none when that block is malformed or its objects
// cannot be asked. Never raises.
DWORD GetAllowedDropEffects(IDataObject* Data);
// Sends Window one scroll step (SB_LINEUP...) on Bar (SB_HORZ, SB_VERT) when it has room.
void ScrollIfPossible(HWND Window, int Bar, int Code);
// One auto-scroll step of a drag over Window at a screen point, when more than 100 ms
// passed since LastStep (which it then updates): a line left or right within 26 pixels of
// the side edges, a line up or down within 20 pixels of the top or bottom edge.
void DragAutoScroll(HWND Window, POINTL ScreenPoint, DWORD& LastStep);
// Creates the first free "New Folder", "New Folder (2)"... in Parent; false (after a
// warning box) when it cannot, also for an empty Parent.
bool CreateNewFolderIn(const std::string& Parent, std::string& NewName);
// The display name; empty (after a message box) on failure.
std::string GetNameOf(IShellFolder* Folder, PCItemIDList RelList, DWORD Flags);
void SetWindowStyleBits(HWND Window, LONG_PTR Bits, bool On);
// Folder->CompareIDs of two relative lists as a signed order; 0 also when it cannot answer.
int CompareItemIds(IShellFolder* Folder, PCItemIDList A, PCItemIDList B);
// The two lists name one object of Folder (false when it cannot answer).
bool SameItemId(IShellFolder* Folder, PCItemIDList A, PCItemIDList B);
// A file time already in local time.
TDateTime LocalFileTimeToDateTime(const FILETIME& Time);
