// The program's main window: two file panels side by side under the tool bars, the status
// bar below. Its layout comes from the form resource "main_form.zfm". Creating it reads the
// program files (fast bar, file-type colours, folder menus, syntax list); closing it writes
// them back and empties the temporary folder.
#pragma once

#include <functional>
#include <string>

#include "classlib/win/com_ctrls.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/ext_ctrls.h"
#include "classlib/win/forms.h"
#include "classlib/win/image_list.h"
#include "classlib/win/list_view.h"
#include "classlib/win/menus.h"
#include "classlib/win/std_ctrls.h"
#include "editor/core/dcj_cpp_syn.h"
#include "editor/core/dcj_java_syn.h"
#include "editor/core/dcj_perl_syn.h"
#include "editor/core/mw_pas_syn.h"
#include "editor/core/mw_general_syn.h"
#include "editor/custom_edit.h"
#include "storage/form_placement.h"
#include "ui/rx_clock.h"

// Process-wide state that the main window's creation sets up.
extern bool EnglishTexts;       // run-time texts and names in English
extern bool StartingUp;         // until the main window's first paint
extern bool KeyboardLayoutSet;  // the panels switched the keyboard layout themselves

class TMainForm : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TMainForm(TComponent* AOwner);

  TStatusBar* STBar = nullptr;
  TToolBar* ToolBar2 = nullptr;
  TLabel* PathInfo = nullptr;
  TComboBox* PathBox = nullptr;
  TLabel* FormLabel = nullptr;
  TPageControl* MainPage = nullptr;
  TTabSheet* Main = nullptr;
  TTabSheet* HTMLTab = nullptr;
  TTabSheet* ActiveX = nullptr;
  TTabSheet* EditTab = nullptr;
  TmwCustomEdit* Editor = nullptr;
  TPageControl* LPages = nullptr;
  TPageControl* RPages = nullptr;
  TSplitter* Splitter1 = nullptr;
  TTabSheet* LFiles = nullptr;
  TTabSheet* LEditPage = nullptr;
  TTabSheet* LARc = nullptr;
  TTabSheet* RFiles = nullptr;
  TTabSheet* REditPage = nullptr;
  TTabSheet* RArc = nullptr;
  TImage* LImage = nullptr;
  TImage* RImage = nullptr;
  TListView* LAView = nullptr;
  TListView* RAView = nullptr;
  TToolBar* FastBar = nullptr;
  TImageList* Fast = nullptr;
  TPanel* ToolBar1 = nullptr;
  TRxClock* Clock = nullptr;
  TToolBar* ToolBar11 = nullptr;
  TLabel* MusicPath = nullptr;
  TProgressBar* Musbar = nullptr;
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* Exit1 = nullptr;
  // The editor page's highlighters.
  TDcjCppSyn* CPP = nullptr;
  TmwPasSyn* Pas = nullptr;
  TDcjPerlSyn* Perl = nullptr;
  TDcjJavaSyn* Java = nullptr;

  // The path of the file shown on the editor page; empty for a new text.
  std::string EditorFileName;
  // Opens a file on the editor page, coloured by the highlighter whose file filter names
  // its extension (plain text when none does).
  void EditFile(const std::string& FileName);
  TPopupMenu* FolderMenuL = nullptr;
  TPopupMenu* FolderMenuR = nullptr;
  TPopupMenu* Syntax = nullptr;
  TSaveDialog* ESave = nullptr;
  TFormStorage* FormStorage1 = nullptr;
  TFormStorage* Lang = nullptr;
  TmwGeneralSyn* CustSyn = nullptr;

  void FormCreate(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormResize(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void Exit1Click(TObject* Sender);
  void SettingsClick(TObject* Sender);
  void PathBoxKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void Splitter1Moved(TObject* Sender);
  void FastGo(TObject* Sender);
  void ChangeSyntax(TObject* Sender);

  // Asks the user; tests answer in its place.
  std::function<int(const std::string& Msg, TMsgDlgType Type, TMsgDlgButtons Buttons)> Ask;

private:
  void LoadFastBar();
  void LoadFolderMenus();
  void LoadSyntaxMenu();
  // Saves the editor's text; false (and a message) when it could not be written.
  bool SaveEditorText();
  // Folder-menu paths after each menu's fixed items.
  std::vector<std::string> FolderPaths(TPopupMenu* Menu) const;
  int FFolderMenuFixed = 2;
};

extern TMainForm* MainForm;
