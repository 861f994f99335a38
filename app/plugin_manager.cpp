#include "app/plugin_manager.h"

#include <memory>

#include "app/main_form.h"
#include "classlib/core/strings.h"
#include "classlib/win/ole_container.h"
#include "classlib/win/registry.h"
#include "storage/form_placement.h"

TPM* PM = nullptr;
const char* const TPM::PluginKey = "\\Software\\Zembrix\\ActiveX";

const TClassInfo* TPM::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TPM, TForm>("TPM")
                                 .Handler("FormShow", &TPM::FormShow)
                                 .Handler("Button2Click", &TPM::Button2Click)
                                 .Handler("Button3Click", &TPM::Button3Click)
                                 .Field("Label1", &TPM::Label1)
                                 .Field("Plugs", &TPM::Plugs)
                                 .Field("Button2", &TPM::Button2)
                                 .Field("Button3", &TPM::Button3)
                                 .Build();
  return &Info;
}

TPM::TPM(TComponent* AOwner) : TForm(AOwner) {
  RegisterCheckListBox();
  RegisterOleContainer();
  RegisterStorageClasses();
}

TPageControl* TPM::Pages() const {
  if (FPages != nullptr) return FPages;
  return MainForm != nullptr ? MainForm->MainPage : nullptr;
}

std::string TPM::PluginClass(const std::string& Plugin) {
  TRegistry Reg;
  Reg.SetRootKey(HKEY_CURRENT_USER);
  if (!Reg.OpenKeyReadOnly(std::string(PluginKey) + "\\" + Plugin)) return "";
  try {
    return Reg.ValueExists(Plugin) ? Reg.ReadString(Plugin) : "";
  } catch (const std::exception&) {
    return "";  // a value of another type names no class
  }
}

// With no plug-ins registered the list stays as it was.
void TPM::FormShow(TObject*) {
  TRegistry Reg;
  Reg.SetRootKey(HKEY_CURRENT_USER);
  if (!Reg.OpenKeyReadOnly(PluginKey) || !Reg.HasSubKeys()) return;
  TStringList Names;
  Reg.GetKeyNames(&Names);
  Plugs->Items()->Assign(&Names);
  for (int I = 0; I < Plugs->Items()->Count(); ++I) Plugs->SetChecked(I, false);
}

TTabSheet* TPM::OpenPlugin(const std::string& Plugin) {
  TPageControl* Target = Pages();
  if (Target == nullptr) return nullptr;
  TComponent* Owner = Target->Owner() != nullptr ? Target->Owner() : Target;
  std::unique_ptr<TTabSheet> Sheet(new TTabSheet(Owner));
  Sheet->SetCaption(Plugin);
  Sheet->SetPageControl(Target);
  auto* Ole = new TOleContainer(Sheet.get());
  Ole->SetAlign(alClient);
  Ole->SetAutoActivate(aaGetFocus);
  Ole->SetParent(Sheet.get());
  // A plug-in whose object cannot be made leaves no empty page behind.
  Ole->CreateObject(PluginClass(Plugin), false);
  Sheet->Invalidate();
  Target->Invalidate();
  return Sheet.release();
}

// The checked plug-ins in list order; one that fails ends the run with its error, the
// pages opened before it staying.
void TPM::Button2Click(TObject*) {
  for (int I = 0; I < Plugs->Items()->Count(); ++I)
    if (Plugs->Checked(I)) OpenPlugin(Plugs->Items()->Strings(I));
  Close();
}

void TPM::Button3Click(TObject*) { Close(); }
