#include "tools/hex_edit.h"

#include <memory>

#include "app/core/lng_strings.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/print_target.h"
#include "tools/hex_fnd.h"

THexEd* HexEd = nullptr;

const TClassInfo* THexEd::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<THexEd, TForm>("THexEd")
                                     .Handler("FormShow", &THexEd::FormShow)
                                     .Handler("FormCloseQuery", &THexEd::FormCloseQuery)
                                     .Handler("FormClose", &THexEd::FormClose)
                                     .Handler("FormKeyDown", &THexEd::FormKeyDown)
                                     .Handler("N13Click", &THexEd::N13Click)
                                     .Handler("N2Click", &THexEd::N2Click)
                                     .Handler("N3Click", &THexEd::N3Click)
                                     .Handler("N4Click", &THexEd::N4Click)
                                     .Handler("N8Click", &THexEd::N8Click)
                                     .Handler("N7Click", &THexEd::N7Click)
                                     .Handler("Undo1Click", &THexEd::Undo1Click)
                                     .Handler("N10Click", &THexEd::N10Click)
                                     .Handler("N16Click", &THexEd::N16Click)
                                     .Handler("N12Click", &THexEd::N12Click)
                                     .Handler("N15Click", &THexEd::N15Click)
                                     .Field("HE", &THexEd::HE)
                                     .Field("MainMenu1", &THexEd::MainMenu1)
                                     .Field("N1", &THexEd::N1)
                                     .Field("N13", &THexEd::N13)
                                     .Field("N2", &THexEd::N2)
                                     .Field("N3", &THexEd::N3)
                                     .Field("N4", &THexEd::N4)
                                     .Field("N6", &THexEd::N6)
                                     .Field("N7", &THexEd::N7)
                                     .Field("N9", &THexEd::N9)
                                     .Field("Undo1", &THexEd::Undo1)
                                     .Field("N5", &THexEd::N5)
                                     .Field("N10", &THexEd::N10)
                                     .Field("N16", &THexEd::N16)
                                     .Field("N12", &THexEd::N12)
                                     .Field("N14", &THexEd::N14)
                                     .Field("N15", &THexEd::N15)
                                     .Field("od", &THexEd::od)
                                     .Field("sd", &THexEd::sd)
                                     .Field("PopupMenu1", &THexEd::PopupMenu1)
                                     .Field("N8", &THexEd::N8)
                                     .Field("HexToCanvas1", &THexEd::HexToCanvas1)
                                     .Field("FormStorage1", &THexEd::FormStorage1)
                                     .Build();
  return &Info;
}

THexEd::THexEd(TComponent* AOwner) : TForm(AOwner) {
  RegisterStorageClasses();
  RegisterHexEditorClasses();
  RegisterMissingClasses<THexDialog>();
  Ask = [](const std::string& Msg, TMsgDlgType Type, TMsgDlgButtons Buttons) { return MessageDlg(Msg, Type, Buttons, 0); };
  ChooseFile = [](TOpenDialog* Dialog) { return Dialog->Execute(); };
  AskText = [](const std::string& Caption, const std::string& Prompt, std::string& Value) {
    return InputQuery(Caption, Prompt, Value);
  };
  RunFindDialog = [](THexDialog* Dialog) { Dialog->ShowModal(); };
  ShowLittleError = [this] { Ask(LittleErrorText(), mtError, {mbOK}); };
}

namespace {

std::string Lng(const char* Key) {
  std::string S;
  GetLngString(Key, S);
  return S;
}

}  // namespace

void THexEd::FormShow(TObject*) {
  if (!FormStorage1->IniFileName().empty()) FormStorage1->RestoreFormPlacement();
}

bool THexEd::SaveAs(const std::string& Name) {
  if (HE->SaveToFile(Name)) return true;
  Ask(HE->Model()->LastError(), mtError, {mbOK});
  return false;
}

bool THexEd::SaveWithDialog() {
  sd->SetFileName(HE->FileName());
  if (!ChooseFile(sd)) return false;
  return SaveAs(sd->FileName());
}

// A changed document asks first. Yes saves through the save dialog and closes only when the
// save was made; No drops the changes; Cancel keeps the window and the changes.
void THexEd::FormCloseQuery(TObject*, bool& CanClose) {
  if (!HE->Modified()) return;
  int Answer = Ask(Lng("File_not_save"), mtConfirmation, {mbYes, mbNo, mbCancel});
  if (Answer == mrYes)
    CanClose = SaveWithDialog();
  else if (Answer == mrNo)
    HE->SetModified(false);
  else
    CanClose = false;
}

// The window stays, hidden: the file it showed is let go so that other programs (and the
// panels) may change or remove it.
void THexEd::FormClose(TObject*, TCloseAction&) { HE->Model()->ReleaseSource(); }

void THexEd::FormKeyDown(TObject*, uint16_t& Key, TShiftState) {
  if (Key == VK_ESCAPE) {
    Key = 0;
    Close();
  }
}

void THexEd::N13Click(TObject*) { HE->CreateEmptyFile("Noname"); }

void THexEd::N2Click(TObject*) {
  if (!ChooseFile(od)) return;
  if (!HE->LoadFromFile(od->FileName())) Ask(HE->Model()->LastError(), mtError, {mbOK});
}

// A document that came from no file (new, "Noname") is saved through the save dialog.
void THexEd::N4Click(TObject*) {
  try {
    HexToCanvas1->Execute();
  } catch (const std::exception& E) {
    Ask(HasDefaultPrinter() ? std::string(E.what()) : LngStringOr("No_printer", "No printer is installed."), mtError,
        {mbOK});
  }
}

void THexEd::N3Click(TObject*) {
  if (ExtractFilePath(HE->FileName()).empty())
    SaveWithDialog();
  else
    SaveAs(HE->FileName());
}

void THexEd::N8Click(TObject*) { SaveWithDialog(); }

void THexEd::N7Click(TObject*) { Close(); }

void THexEd::Undo1Click(TObject*) { HE->Undo(); }

void THexEd::N10Click(TObject*) {
  std::unique_ptr<THexDialog> Dialog(CreateForm<THexDialog>(this));
  Dialog->HexLang->SetIniFileName(LngFileName());
  Dialog->HexLang->RestoreFormPlacement();
  Dialog->Editor = HE;
  Dialog->Say = [this](const std::string& Msg) { Ask(Msg, mtInformation, {mbOK}); };
  Dialog->Edit1->SetText(HexSearch.Text);
  RunFindDialog(Dialog.get());
}

// The next match after the last one (overlapping ones too); before any search, the find
// dialog opens.
void THexEd::N16Click(TObject*) {
  if (HE->DataSize() < 1) return;
  THexSearch& S = HexSearch;
  if (S.Text.empty() || S.Pattern.empty()) {
    N10Click(this);
    return;
  }
  int From = S.LastMatch >= 0 ? S.LastMatch : HE->GetCursorPos();
  if (S.LastMatch >= 0 && HE->SelEnd() == S.LastMatch) From = S.LastMatch + 1;
  int Match = HexFindFrom(HE, From);
  if (Match < 0) {
    Ask(Lng("Not_found"), mtInformation, {mbOK});
    return;
  }
  S.LastMatch = Match;
}

void THexEd::N12Click(TObject*) { HE->DeleteSelection(); }

void THexEd::N15Click(TObject*) {
  if (HE->DataSize() < 1) return;
  std::string Answer = IntToStr(HE->GetCursorPos());
  if (!AskText(Lng("Go_to_line"), "(prefix \"0x\" or \"$\" means hex)", Answer)) return;
  Answer = LowerCase(Trim(Answer));
  if (Answer.rfind("0x", 0) == 0) Answer = "$" + Answer.substr(2);
  int Offset = StrToIntDef(Answer, -1);
  if (!HE->Seek(Offset, 0, true)) ShowLittleError();
}

void ShowInHexEditor(const std::string& FileName) {
  if (HexEd == nullptr) return;
  if (!HexEd->HE->LoadFromFile(FileName)) {
    HexEd->Ask(HexEd->HE->Model()->LastError(), mtError, {mbOK});
    return;
  }
  HexEd->Show();
}
