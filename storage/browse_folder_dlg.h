// The shell's browse-for-folder dialog as a component, and BrowseDirectory built on it.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <string>

#include "classlib/core/component.h"

enum TBrowseKind { bfFolders, bfComputers };
template <> const TTypeInfo* TypeInfoOf<TBrowseKind>();
enum TDialogPosition { dpDefault, dpScreenCenter };
template <> const TTypeInfo* TypeInfoOf<TDialogPosition>();

class TBrowseFolderDlg : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TBrowseFolderDlg(TComponent* AOwner);
  ~TBrowseFolderDlg() override;

  // True when the user confirmed a choice: FolderName then holds it (a folder without a
  // trailing backslash, or a computer's display name).
  bool Execute();

  TBrowseKind BrowseKind() const { return FBrowseKind; }
  void SetBrowseKind(TBrowseKind Value) { FBrowseKind = Value; }
  // Folders are browsed from the desktop, else from the computer's drives.
  bool DesktopRoot() const { return FDesktopRoot; }
  void SetDesktopRoot(bool Value) { FDesktopRoot = Value; }
  const std::string& DialogText() const { return FDialogText; }
  void SetDialogText(const std::string& Value) { FDialogText = Value; }
  // Preselected when the dialog opens (an existing folder); the choice afterwards.
  const std::string& FolderName() const { return FFolderName; }
  void SetFolderName(const std::string& Value) { FFolderName = Value; }
  // Non-zero: a Help button opens this help context.
  int HelpContext() const { return FHelpContext; }
  void SetHelpContext(int Value) { FHelpContext = Value; }
  TDialogPosition Position() const { return FPosition; }
  void SetPosition(TDialogPosition Value) { FPosition = Value; }

  // The dialog's window while it is open.
  HWND Handle() const { return FHandle; }
  // The selection while the dialog is open (a path, or a computer's name; "" for an item
  // that has no path).
  const std::string& SelectedName() const { return FSelectedName; }

  TNotifyEvent OnInitialized;
  TNotifyEvent OnSelChanged;

private:
  static int CALLBACK BrowseCallback(HWND Wnd, UINT Msg, LPARAM LParam, LPARAM Data);
  static LRESULT CALLBACK DialogWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  void DoInitialized();
  void DoSelChanged(LPCITEMIDLIST Item);
  void AddHelpButton();

  TBrowseKind FBrowseKind = bfFolders;
  bool FDesktopRoot = true;
  std::string FDialogText;
  std::string FFolderName;
  int FHelpContext = 0;
  TDialogPosition FPosition = dpScreenCenter;
  HWND FHandle = nullptr;
  WNDPROC FDefWndProc = nullptr;
  HWND FHelpButton = nullptr;
  std::string FSelectedName;
};

// Asks for a folder, starting at FolderName; true with the choice in FolderName.
bool BrowseDirectory(std::string& FolderName, const std::string& DlgText, int AHelpContext);
