#include "tools/rs_tip.h"

#include <memory>

#include "app/core/lng_strings.h"
#include "classlib/core/ini_file.h"
#include "classlib/core/strings.h"
#include "classlib/core/sys_utils.h"
#include "classlib/core/typinfo.h"

const TClassInfo* TTipForm::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TTipForm, TForm>("TTipForm")
                                     .Handler("NextButtonClick", &TTipForm::NextButtonClick)
                                     .Handler("FormKeyDown", &TTipForm::FormKeyDown)
                                     .Field("Label1", &TTipForm::Label1)
                                     .Field("TipText", &TTipForm::TipText)
                                     .Field("ShowCheck", &TTipForm::ShowCheck)
                                     .Field("NextButton", &TTipForm::NextButton)
                                     .Field("CloseButton", &TTipForm::CloseButton)
                                     .Field("Lng", &TTipForm::Lng)
                                     .Build();
  return &Info;
}

TTipForm::TTipForm(TComponent* AOwner) : TForm(AOwner) { RegisterStorageClasses(); }

void TTipForm::Translate() {
  const std::string File = LngFileName();
  Lng->SetIniFileName(File);  // a language file: read, never written
  if (!FileExists(File)) return;
  Lng->RestoreFormPlacement();
  TIniFile Ini(File);
  SetCaption(Ini.ReadString("Tip", "TipForm_Caption", Caption()));
}

void TTipForm::ShowTip(int AIndex) {
  if (Tips.empty()) return;
  Index = ((AIndex % int(Tips.size())) + int(Tips.size())) % int(Tips.size());
  TipText->SetText(Tips[Index]);
}

void TTipForm::NextButtonClick(TObject*) { ShowTip(Index + 1); }

void TTipForm::FormKeyDown(TObject*, uint16_t& Key, TShiftState) {
  if (Key == VK_ESCAPE) {
    SetModalResult(mrCancel);
    Close();
    Key = 0;
  }
}

const TClassInfo* TrsTip::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TrsTip, TComponent>("TrsTip")
                                     .Prop("IniFileName", &TrsTip::IniFileName, &TrsTip::SetIniFileName)
                                     .Prop("TipsFileName", &TrsTip::TipsFileName, &TrsTip::SetTipsFileName)
                                     .Build();
  return &Info;
}

void RegisterTips() {
  static const bool Done = (RegisterClass(TrsTip::StaticClassInfo()), true);
  (void)Done;
}

TrsTip::TrsTip(TComponent* AOwner) : TComponent(AOwner) {
  RunForm = [](TTipForm* Form) { Form->ShowModal(); };
}

namespace {

// The non-empty values of a section, in order.
std::vector<std::string> ReadTips(const std::string& File, const std::string& Section) {
  std::vector<std::string> Tips;
  TIniFile Source(File);
  TStringList Values;
  Source.ReadSectionValues(Section, &Values);
  for (int i = 0; i < Values.Count(); ++i) {
    const std::string Line = Values.Strings(i);
    const size_t Eq = Line.find('=');
    const std::string Text = Eq == std::string::npos ? Line : Line.substr(Eq + 1);
    if (!Text.empty()) Tips.push_back(Text);
  }
  return Tips;
}

}  // namespace

void TrsTip::Execute() {
  TIniFile State(FIniFileName);
  if (!State.ReadBool("Tips", "ShowAgain", true)) return;
  // The tips in the user's language when the language file brings its own.
  std::vector<std::string> Tips;
  if (FileExists(LngFileName())) Tips = ReadTips(LngFileName(), "Daily");
  if (Tips.empty()) Tips = ReadTips(FTipsFileName, "Tips");
  if (Tips.empty()) return;
  if (FModeless) {
    if (FForm != nullptr) return;
    TTipForm* Form = CreateForm<TTipForm>(this);
    Form->Translate();
    Form->Tips = Tips;
    Form->ShowTip(State.ReadInteger("Tips", "Index", 0));
    Form->ShowCheck->SetChecked(true);
    // The next start shows the next tip even when this window is never closed.
    State.WriteInteger("Tips", "Index", (Form->Index + 1) % int(Tips.size()));
    Form->CloseButton->OnClick = [Form](TObject*) { Form->Close(); };
    Form->OnClose = [this, Form](TObject*, TCloseAction& Action) {
      TIniFile After(FIniFileName);
      After.WriteInteger("Tips", "Index", (Form->Index + 1) % int(Form->Tips.size()));
      After.WriteBool("Tips", "ShowAgain", Form->ShowCheck->Checked());
      FForm = nullptr;
      Action = caFree;
    };
    FForm = Form;
    Form->Show();
    return;
  }
  std::unique_ptr<TTipForm> Form(CreateForm<TTipForm>(nullptr));
  Form->Translate();
  Form->Tips = Tips;
  Form->ShowTip(State.ReadInteger("Tips", "Index", 0));
  Form->ShowCheck->SetChecked(true);
  RunForm(Form.get());
  State.WriteInteger("Tips", "Index", (Form->Index + 1) % int(Tips.size()));
  State.WriteBool("Tips", "ShowAgain", Form->ShowCheck->Checked());
}
