// The main window's HTML page: the frame viewer FrView under its tool bar ToolBar13 with
// open, back, forward, clear, reload, find, print and mail, beside the file list HTMLShell
// of pages and pictures. The page makes its controls on the tab sheet it is given; the main
// window only creates it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "classlib/win/com_ctrls.h"
#include "classlib/win/dialogs.h"
#include "html/frame_viewer.h"
#include "shell/pt_shell_list.h"

class TImageList;
class TPrintDevice;

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
  TImageList* Pictures = nullptr;  // the tool bar's pictures

  // The buttons' hints from the language file's main-window section ("<button>_Hint");
  // a missing key or file keeps the hint the button has.
  void ReadHints(const std::string& LngFile);

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
  // F1 shows the page's help topic; Esc goes back to the page "Main".
  void FrViewKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  // A file chosen in the list is shown; Esc goes back to the page "Main".
  void HTMLShellSelectItem(TObject* Sender, TListItem* Item, bool Selected);
  void HTMLShellKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  // What the file list shows.
  static const char* const ShellFilter;

  // The file filter of the open dialog: HTML files, then pictures.
  static std::string OpenFilter();
  // The shell object that the mail button opens.
  static const char* const MailObject;
  // The help topic of the page.
  static constexpr int HelpTopic = 8;

  // Asked in place of the dialogs and the printer; tests answer here.
  std::function<bool(std::string& FileName)> AskOpenName;
  // The device the print button prints on (the default printer).
  std::function<std::unique_ptr<TPrintDevice>()> PrintDevice;
  // Tells the user a failure or that the text was not found.
  std::function<void(const std::string& Message)> Tell;
  std::function<void(int Topic)> ShowHelp;

private:
  // Shows Name in the viewer; a file that cannot be shown is told, the page stays as it was.
  void Show(const std::string& Name);
  void ShowMainPage();
  TWinControl* FSheet;
};
