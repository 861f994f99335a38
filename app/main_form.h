// The program's main window: two file panels side by side under the tool bars, the status
// bar below. Its layout comes from the form resource "main_form.zfm".
#pragma once

#include "classlib/win/com_ctrls.h"
#include "classlib/win/ext_ctrls.h"
#include "classlib/win/forms.h"
#include "classlib/win/list_view.h"
#include "classlib/win/std_ctrls.h"
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

  void FormResize(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void Exit1Click(TObject* Sender);
  void PathBoxKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void Splitter1Moved(TObject* Sender);
};

extern TMainForm* MainForm;
