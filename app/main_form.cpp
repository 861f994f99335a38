#include "app/main_form.h"

#include <cmath>

#include "classlib/core/sys_utils.h"

TMainForm* MainForm = nullptr;

const TClassInfo* TMainForm::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TMainForm, TForm>("TMainForm")
                                 .Handler("FormResize", &TMainForm::FormResize)
                                 .Handler("FormShow", &TMainForm::FormShow)
                                 .Handler("FormKeyDown", &TMainForm::FormKeyDown)
                                 .Handler("Exit1Click", &TMainForm::Exit1Click)
                                 .Handler("PathBoxKeyDown", &TMainForm::PathBoxKeyDown)
                                 .Handler("Splitter1Moved", &TMainForm::Splitter1Moved)
                                 .Field("STBar", &TMainForm::STBar)
                                 .Field("ToolBar2", &TMainForm::ToolBar2)
                                 .Field("PathInfo", &TMainForm::PathInfo)
                                 .Field("PathBox", &TMainForm::PathBox)
                                 .Field("MainPage", &TMainForm::MainPage)
                                 .Field("Main", &TMainForm::Main)
                                 .Field("HTMLTab", &TMainForm::HTMLTab)
                                 .Field("ActiveX", &TMainForm::ActiveX)
                                 .Field("EditTab", &TMainForm::EditTab)
                                 .Field("Editor", &TMainForm::Editor)
                                 .Field("LPages", &TMainForm::LPages)
                                 .Field("RPages", &TMainForm::RPages)
                                 .Field("Splitter1", &TMainForm::Splitter1)
                                 .Field("LFiles", &TMainForm::LFiles)
                                 .Field("LEditPage", &TMainForm::LEditPage)
                                 .Field("LARc", &TMainForm::LARc)
                                 .Field("RFiles", &TMainForm::RFiles)
                                 .Field("REditPage", &TMainForm::REditPage)
                                 .Field("RArc", &TMainForm::RArc)
                                 .Field("LImage", &TMainForm::LImage)
                                 .Field("RImage", &TMainForm::RImage)
                                 .Field("LAView", &TMainForm::LAView)
                                 .Field("RAView", &TMainForm::RAView)
                                 .Field("FastBar", &TMainForm::FastBar)
                                 .Field("ToolBar1", &TMainForm::ToolBar1)
                                 .Field("ToolBar11", &TMainForm::ToolBar11)
                                 .Field("MusicPath", &TMainForm::MusicPath)
                                 .Field("Musbar", &TMainForm::Musbar)
                                 .Field("MainMenu1", &TMainForm::MainMenu1)
                                 .Field("Exit1", &TMainForm::Exit1)
                                 .Field("CPP", &TMainForm::CPP)
                                 .Field("Pas", &TMainForm::Pas)
                                 .Field("Perl", &TMainForm::Perl)
                                 .Field("Java", &TMainForm::Java)
                                 .Build();
  return &Info;
}

// The path box and the music line take the width the tool bar leaves them.
void TMainForm::FormResize(TObject*) {
  if (ToolBar2 == nullptr) return;  // resized while the resource is being read
  PathBox->SetWidth(ToolBar2->Width() - PathBox->Left() - 3);
  MusicPath->SetWidth(ToolBar2->Width() - 360);
}

void TMainForm::FormShow(TObject* Sender) { FormResize(Sender); }

void TMainForm::FormKeyDown(TObject*, uint16_t& Key, TShiftState Shift) {
  if (Key == VK_F10 && !Shift.Contains(ssAlt) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssShift)) {
    Close();
    return;
  }
  if (Key == VK_ESCAPE) PathBox->SetText("");
}

void TMainForm::Exit1Click(TObject*) { Close(); }

void TMainForm::PathBoxKeyDown(TObject*, uint16_t&, TShiftState) {}

void TMainForm::Splitter1Moved(TObject*) {
  int W = Width();
  if (W > 0) Splitter1->SetHint(std::to_string(std::lround(100.0 * LPages->Width() / W)) + "%");
}

namespace {

// Whether a highlighter's file filter ("C++ files (*.cpp,*.h)|*.CPP;*.H") names the file's
// extension.
bool FilterNamesFile(const std::string& Filter, const std::string& FileName) {
  std::string Ext = UpperCase(ExtractFileExt(FileName));
  std::size_t Bar = Filter.find('|');
  if (Ext.empty() || Bar == std::string::npos) return false;
  std::string Masks = UpperCase(Filter.substr(Bar + 1));
  std::size_t I = 0;
  while (I <= Masks.size()) {
    std::size_t J = std::min(Masks.find(';', I), Masks.size());
    if (Masks.compare(I, J - I, "*" + Ext) == 0) return true;
    I = J + 1;
  }
  return false;
}

}  // namespace

void TMainForm::EditFile(const std::string& FileName) {
  Editor->Lines()->LoadFromFile(FileName);
  TmwCustomHighLighter* Chosen = nullptr;
  for (TmwCustomHighLighter* H : {static_cast<TmwCustomHighLighter*>(CPP), static_cast<TmwCustomHighLighter*>(Pas),
                                  static_cast<TmwCustomHighLighter*>(Perl), static_cast<TmwCustomHighLighter*>(Java)})
    if (H != nullptr && FilterNamesFile(H->GetDefaultFilter(), FileName)) Chosen = H;
  Editor->SetHighLighter(Chosen);
  Editor->SetModified(false);
  EditorFileName = FileName;
  MainPage->SetActivePage(EditTab);
}
