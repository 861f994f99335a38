#include "app/f2_menu.h"

#include <windows.h>

#include "app/core/lng_strings.h"
#include "app/shared_routines.h"
#include "classlib/core/exception.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/wide_string.h"

const TClassInfo* TF2Menu::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TF2Menu, TForm>("TF2Menu")
                                 .Handler("FormCreate", &TF2Menu::FormCreate)
                                 .Handler("FormClose", &TF2Menu::FormClose)
                                 .Handler("FormKeyDown", &TF2Menu::FormKeyDown)
                                 .Handler("Button1Click", &TF2Menu::Button1Click)
                                 .Handler("Button2Click", &TF2Menu::Button2Click)
                                 .Handler("Button3Click", &TF2Menu::Button3Click)
                                 .Handler("Button4Click", &TF2Menu::Button4Click)
                                 .Handler("Button5Click", &TF2Menu::Button5Click)
                                 .Handler("Button6Click", &TF2Menu::Button6Click)
                                 .Field("List", &TF2Menu::List)
                                 .Field("Button1", &TF2Menu::Button1)
                                 .Field("Button2", &TF2Menu::Button2)
                                 .Field("Button3", &TF2Menu::Button3)
                                 .Field("Button4", &TF2Menu::Button4)
                                 .Field("Button5", &TF2Menu::Button5)
                                 .Field("Button6", &TF2Menu::Button6)
                                 .Field("MOpen", &TF2Menu::MOpen)
                                 .Field("FormStorage1", &TF2Menu::FormStorage1)
                                 .Build();
  return &Info;
}

TF2Menu::TF2Menu(TComponent* AOwner) : TForm(AOwner) {
  RegisterStorageClasses();
  RegisterTextListBox();
  RunLine = [](const std::string& Line) { ExecuteFile(Line, "", "", SW_SHOWNORMAL); };
  ChooseFile = [](TOpenDialog* Dialog) { return Dialog->Execute(); };
  AskText = [](const std::string& Caption, const std::string& Prompt, const std::string& Default) {
    return InputBox(Caption, Prompt, Default);
  };
}

std::string TF2Menu::MenuFileName() { return ProgramFolder() + "UserMenu.dat"; }

void TF2Menu::FormCreate(TObject*) {
  // The captions are the language file's unless the caller points the storage elsewhere;
  // a language file is only ever read.
  FormStorage1->SetIniFileName(LngFileName());
  std::string Name = MenuFileName();
  if (!FileExists(Name)) return;
  try {
    List->Items()->LoadFromFile(Name);
  } catch (const std::exception& E) {
    List->Items()->Clear();
    FLoadFailed = true;
    Application->ShowException(E);
  }
}

// Written beside the old file and then put in its place, so that a failed write leaves
// the old list whole.
void TF2Menu::SaveList() {
  std::string Name = MenuFileName();
  std::string Temp = Name + ".$$$";
  try {
    List->Items()->SaveToFile(Temp);
  } catch (...) {
    DeleteFile(Temp);
    throw;
  }
  if (!MoveFileExW(ToWide(Temp).c_str(), ToWide(Name).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DWORD Error = GetLastError();
    DeleteFile(Temp);
    throw EInOutError("Cannot write " + Name + ": " + SysErrorMessage(static_cast<int>(Error)), static_cast<int>(Error));
  }
}

void TF2Menu::FormClose(TObject*, TCloseAction&) {
  if (FLoadFailed) return;
  SaveList();
}

void TF2Menu::FormKeyDown(TObject*, uint16_t& Key, TShiftState) {
  if (Key == VK_RETURN) {
    Key = 0;
    Button1Click(this);
  } else if (Key == VK_ESCAPE) {
    Key = 0;
    Close();
  }
}

void TF2Menu::Button1Click(TObject*) {
  int I = List->ItemIndex();
  if (I < 0) return;
  RunLine(List->Items()->Strings(I));
  Close();
}

void TF2Menu::Button2Click(TObject*) { Close(); }

void TF2Menu::Button3Click(TObject*) {
  if (ChooseFile(MOpen)) List->Items()->Add(MOpen->FileName());
}

void TF2Menu::Button4Click(TObject*) {
  int I = List->ItemIndex();
  if (I >= 0) List->Items()->Delete(I);
}

void TF2Menu::Button5Click(TObject*) {
  int I = List->ItemIndex();
  if (I < 0) return;
  std::string Caption, Prompt;
  GetLngString("Change_command", Caption);
  GetLngString("Input_text", Prompt);
  List->Items()->SetStrings(I, AskText(Caption, Prompt, List->Items()->Strings(I)));
}

void TF2Menu::Button6Click(TObject*) { List->Items()->Clear(); }
