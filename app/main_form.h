// The program's main window: two file panels side by side under the tool bars, the status
// bar below. Its layout comes from the form resource "main_form.zfm".
#pragma once

#include "classlib/win/com_ctrls.h"
#include "classlib/win/ext_ctrls.h"
#include "classlib/win/forms.h"
#include "classlib/win/list_view.h"
#include "classlib/win/std_ctrls.h"
#include "editor/core/dcj_cpp_syn.h"
#include "editor/core/dcj_java_syn.h"
#include "editor/core/dcj_perl_syn.h"
#include "editor/core/mw_pas_syn.h"
#include "editor/custom_edit.h"

class TMainForm : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TMainForm(TComponent* AOwner) : TForm(AOwner) { RegisterEditorClasses(); }

  TStatusBar* STBar = nullptr;
  TToolBar* ToolBar2 = nullptr;
  TLabel* PathInfo = nullptr;
  TComboBox* PathBox = nullptr;
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
  TPanel* ToolBar1 = nullptr;
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

  void FormResize(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void Exit1Click(TObject* Sender);
  void PathBoxKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void Splitter1Moved(TObject* Sender);
};

extern TMainForm* MainForm;
