// The main window's HTML page: the frame viewer FrView under its tool bar ToolBar13 with
// open, back, forward, clear, reload, find, print and mail, beside the file list HTMLShell
// of pages and pictures. The page makes its controls on the tab sheet it is given; the main
// window only creates it.
#pragma once

#include <string>

#include "classlib/win/com_ctrls.h"
#include "classlib/win/dialogs.h"
#include "html/frame_viewer.h"
#include "shell/pt_shell_list.h"

class THtmlPage : public TComponent {
public:
  // Owner frees the page; the controls go on Sheet.
  THtmlPage(TComponent* AOwner, TWinControl* Sheet);

  TToolBar* ToolBar13 = nullptr;
  TToolButton* SpeedButton49 = nullptr;  // open
  TToolButton* ToolButton11 = nullptr;   // back
  TToolButton* ToolButton23 = nullptr;   // forward
  TToolButton* ToolButton24 = nullptr;   // clear
  TToolButton* ToolButton25 = nullptr;   // reload
  TToolButton* ToolButton29 = nullptr;   // find
  TToolButton* ToolButton31 = nullptr;   // print
  TToolButton* ToolButton36 = nullptr;   // mail
  TFrameViewer* FrView = nullptr;
  TPTShellList* HTMLShell = nullptr;
  TOpenDialog* OpenDialog = nullptr;
  TFindDialog* LFind = nullptr;

  void SpeedButton49Click(TObject* Sender);
  void ToolButton11Click(TObject* Sender);
  void ToolButton23Click(TObject* Sender);
  void ToolButton24Click(TObject* Sender);
  void ToolButton25Click(TObject* Sender);
  void ToolButton29Click(TObject* Sender);
  void ToolButton31Click(TObject* Sender);
  void ToolButton36Click(TObject* Sender);
  void LFindFind(TObject* Sender);
  void FrViewHistoryChange(TObject* Sender);
  // A file chosen in the list is shown; Esc goes back to the page "Main".
  void HTMLShellSelectItem(TObject* Sender, TListItem* Item, bool Selected);
  void HTMLShellKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  // What the file list shows.
  static const char* const ShellFilter;

  // The file filter of the open dialog: HTML files, then pictures.
  static std::string OpenFilter();
  // The shell object that the mail button opens.
  static const char* const MailObject;
};
