#include "app/small_dialogs.h"

#include <windows.h>

#include <memory>

#include "app/core/lng_strings.h"
#include "app/core/zemb_rout.h"
#include "app/help_form.h"
#include "app/settings.h"
#include "app/shared_routines.h"
#include "classlib/win/application.h"
#include "classlib/win/dialogs.h"

bool ConfirmAnswer = false;

const TClassInfo* TCPY::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TCPY, TForm>("TCPY")
                                 .Handler("Button1Click", &TCPY::Button1Click)
                                 .Handler("Button2Click", &TCPY::Button2Click)
                                 .Handler("FormKeyDown", &TCPY::FormKeyDown)
                                 .Field("Animate1", &TCPY::Animate1)
                                 .Field("Label1", &TCPY::Label1)
                                 .Field("BitBtn1", &TCPY::BitBtn1)
                                 .Field("BitBtn2", &TCPY::BitBtn2)
                                 .Build();
  return &Info;
}

void TCPY::Button1Click(TObject*) {
  ConfirmAnswer = true;
  SetModalResult(mrOk);
}

void TCPY::Button2Click(TObject*) {
  ConfirmAnswer = false;
  SetModalResult(mrCancel);
}

void TCPY::FormKeyDown(TObject*, uint16_t& Key, TShiftState Shift) {
  if (Key == VK_F1 && !Shift.Contains(ssShift) && !Shift.Contains(ssAlt) && !Shift.Contains(ssCtrl)) {
    Key = 0;
    ShowHelpTopic(2);
  }
}

const TClassInfo* TMoveForm::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TMoveForm, TForm>("TMoveForm")
                                 .Field("Animate1", &TMoveForm::Animate1)
                                 .Field("Label1", &TMoveForm::Label1)
                                 .Field("Label2", &TMoveForm::Label2)
                                 .Field("Label3", &TMoveForm::Label3)
                                 .Field("Label4", &TMoveForm::Label4)
                                 .Field("Edit1", &TMoveForm::Edit1)
                                 .Field("CopyBar", &TMoveForm::CopyBar)
                                 .Field("BitBtn1", &TMoveForm::BitBtn1)
                                 .Field("BitBtn2", &TMoveForm::BitBtn2)
                                 .Field("Langc", &TMoveForm::Langc)
                                 .Build();
  return &Info;
}

TMoveForm::TMoveForm(TComponent* AOwner) : TForm(AOwner) { RegisterStorageClasses(); }

namespace {

std::string Lng(const char* Key) {
  std::string Text;
  GetLngString(Key, Text);
  return Text;
}

bool OptionChecked(int Mode) {
  if (Settings == nullptr) return false;
  const TCheckBox* Box = Mode == pMoveMode ? Settings->pMove : Settings->pCopy;
  return Box != nullptr && Box->Checked();
}

bool RunNewNameDialog(const std::string& SourceFolder, const std::string& TargetFolder, const std::string& FileName,
                      bool Move) {
  std::unique_ptr<TMoveForm> F(CreateForm<TMoveForm>(Application));
  // The captions are read now, so that the folder can follow the language's "in folder".
  F->Langc->SetIniFileName(LngFileName());
  F->Langc->RestoreFormPlacement();
  F->Langc->SetActive(false);
  if (Move) {
    F->SetCaption(Lng("Move"));
    F->Label1->SetCaption(Lng("Are_you_move"));
  }
  F->Label2->SetCaption(SourceFolder);
  F->Label3->SetCaption(F->Label3->Caption() + " " + TargetFolder);
  F->Edit1->SetText(FileName);
  F->Animate1->SetActive(true);
  if (F->ShowModal() != mrOk) return false;
  // Shown again while copying, so that the progress bar is seen.
  F->Show();
  std::string Error;
  const bool Done =
      CopyWithNewNameFile(SourceFolder, TargetFolder, FileName, F->Edit1->Text(), Move, F->CopyBar, Error);
  F->Hide();
  if (!Done) MessageDlg(Error, mtError, TMsgDlgButtons{mbOK}, 0);
  return Done;
}

}  // namespace

bool ConfirmCopyMoveDialog(int Mode, int Count) {
  std::unique_ptr<TCPY> F(CreateForm<TCPY>(Application));
  // In front of the window that asks (the main window for the panels' keys), which waits.
  if (HWND Asking = GetActiveWindow())
    SetWindowLongPtrW(F->Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(Asking));
  UseLanguageFile(F.get(), true);
  const bool Move = Mode == pMoveMode;
  F->SetCaption(Move ? Lng("Move") : Lng("Copy"));
  F->Label1->SetCaption(FilesQuestion(Move ? Lng("Are_you_move") : Lng("Are_you_copy"), Count));
  F->Animate1->SetCommonAVI(Move ? aviDeleteFile : aviCopyFiles);
  F->Animate1->SetActive(true);
  F->SetActiveControl(F->BitBtn1);
  ConfirmAnswer = false;
  F->ShowModal();
  return ConfirmAnswer;
}

bool ConfirmCopyMove(int Mode, int Count) { return !OptionChecked(Mode) || ConfirmCopyMoveDialog(Mode, Count); }

bool CopyWithNewName(const std::string& SourceFolder, const std::string& TargetFolder, const std::string& FileName) {
  return RunNewNameDialog(SourceFolder, TargetFolder, FileName, false);
}

bool MoveWithNewName(const std::string& SourceFolder, const std::string& TargetFolder, const std::string& FileName) {
  return RunNewNameDialog(SourceFolder, TargetFolder, FileName, true);
}
