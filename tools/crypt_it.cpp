#include "tools/crypt_it.h"

#include <memory>

#include "app/core/lng_strings.h"
#include "classlib/core/exception.h"
#include "classlib/core/sys_utils.h"

const TClassInfo* TCryptForm::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TCryptForm, TForm>("TCryptForm")
                                     .Handler("Button1Click", &TCryptForm::Button1Click)
                                     .Handler("Button2Click", &TCryptForm::Button2Click)
                                     .Handler("CLBadPassword", &TCryptForm::CLBadPassword)
                                     .Field("Label1", &TCryptForm::Label1)
                                     .Field("fn", &TCryptForm::fn)
                                     .Field("Label2", &TCryptForm::Label2)
                                     .Field("Edit3", &TCryptForm::Edit3)
                                     .Field("Label3", &TCryptForm::Label3)
                                     .Field("Edit1", &TCryptForm::Edit1)
                                     .Field("Label4", &TCryptForm::Label4)
                                     .Field("Edit2", &TCryptForm::Edit2)
                                     .Field("Label5", &TCryptForm::Label5)
                                     .Field("Edit4", &TCryptForm::Edit4)
                                     .Field("Label6", &TCryptForm::Label6)
                                     .Field("Encrypt", &TCryptForm::Encrypt)
                                     .Field("Button1", &TCryptForm::Button1)
                                     .Field("Button2", &TCryptForm::Button2)
                                     .Field("FormStorage1", &TCryptForm::FormStorage1)
                                     .Field("CL", &TCryptForm::CL)
                                     .Build();
  return &Info;
}

TCryptForm::TCryptForm(TComponent* AOwner) : TForm(AOwner) {
  RegisterStorageClasses();
  RegisterMissingClasses<TCryptLib>();
  Say = [](const std::string& Msg, TMsgDlgType Type) { MessageDlg(Msg, Type, {mbOK}, 0); };
}

// The keys first (a key that is no number raises before any file is touched), then the
// run; a failure raises and leaves the dialog open.
void TCryptForm::Button1Click(TObject*) {
  CL->SetMultKey(StrToInt(Edit1->Text()));
  CL->SetAddKey(StrToInt(Edit4->Text()));
  CL->SetPassword(Edit2->Text());
  if (Trim(fn->Text()).empty() || Trim(Edit3->Text()).empty()) {
    // Said in the program's language, as every other message of the dialog.
    throw Exception(LngStringOr("Input_filename", "Give the names of both the input and the output file"));
  }
  CL->SetInfile(Trim(fn->Text()));
  CL->SetOutfile(Trim(Edit3->Text()));
  bool Bad = false;
  auto Report = CL->OnBadPassword;
  CL->OnBadPassword = [&](TObject* Sender) {
    Bad = true;
    if (Report) Report(Sender);
  };
  try {
    if (Encrypt->Checked())
      CL->CryptEncryptFile();
    else
      CL->CryptDecryptFile();
  } catch (...) {
    CL->OnBadPassword = Report;
    throw;
  }
  CL->OnBadPassword = Report;
  if (!Bad) SetModalResult(mrOk);
}

void TCryptForm::Button2Click(TObject*) { SetModalResult(mrCancel); }

void TCryptForm::CLBadPassword(TObject*) {
  std::string Text;
  GetLngString("Incorrect_password", Text);
  Say(Text, mtError);
}

namespace {

void ShowCryptDialog(const std::string& FileName, bool Encrypt) {
  std::unique_ptr<TCryptForm> Form(CreateForm<TCryptForm>(nullptr));
  Form->FormStorage1->SetIniFileName(LngFileName());
  Form->FormStorage1->RestoreFormPlacement();
  Form->Encrypt->SetChecked(Encrypt);
  Form->fn->SetText(FileName);
  Form->ShowModal();
}

}  // namespace

void ShowEncryptDialog(const std::string& FileName) { ShowCryptDialog(FileName, true); }
void ShowDecryptDialog(const std::string& FileName) { ShowCryptDialog(FileName, false); }
