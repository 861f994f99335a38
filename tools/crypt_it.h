// The file-encryption dialog: the input and output files, the password and the two keys;
// OK encrypts (the hidden Encrypt box checked) or decrypts with TCryptLib. The panels open
// it for the selected file through ShowEncryptDialog and ShowDecryptDialog. Its layout comes
// from the form resource "crypt_form.zfm".
#pragma once

#include <functional>
#include <string>

#include "classlib/win/dialogs.h"
#include "classlib/win/forms.h"
#include "classlib/win/std_ctrls.h"
#include "storage/form_placement.h"
#include "tools/core/kb_crypt.h"

class TCryptForm : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TCryptForm(TComponent* AOwner);

  TLabel* Label1 = nullptr;  // input file
  TEdit* fn = nullptr;
  TLabel* Label2 = nullptr;  // output file
  TEdit* Edit3 = nullptr;
  TLabel* Label3 = nullptr;  // internal key 1
  TEdit* Edit1 = nullptr;    // MultKey
  TLabel* Label4 = nullptr;  // password
  TEdit* Edit2 = nullptr;
  TLabel* Label5 = nullptr;  // internal key 2
  TEdit* Edit4 = nullptr;    // AddKey
  TLabel* Label6 = nullptr;  // what kind of protection this is
  TCheckBox* Encrypt = nullptr;
  TButton* Button1 = nullptr;  // OK
  TButton* Button2 = nullptr;  // Cancel
  TFormStorage* FormStorage1 = nullptr;  // captions from the language file, section "crypt"
  TCryptLib* CL = nullptr;

  // Tells the user something; a message box by default.
  std::function<void(const std::string& Msg, TMsgDlgType Type)> Say;

  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void CLBadPassword(TObject* Sender);
};

// Runs the dialog modally for FileName, for encryption or decryption, and frees it.
void ShowEncryptDialog(const std::string& FileName);
void ShowDecryptDialog(const std::string& FileName);
