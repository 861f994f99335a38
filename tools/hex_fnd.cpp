#include "tools/hex_fnd.h"

#include "classlib/core/sys_utils.h"
#include "tools/hex_editor.h"

THexSearch HexSearch;

const TClassInfo* THexDialog::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<THexDialog, TForm>("THexDialog")
                                     .Handler("BitBtn1Click", &THexDialog::BitBtn1Click)
                                     .Field("Label1", &THexDialog::Label1)
                                     .Field("Edit1", &THexDialog::Edit1)
                                     .Field("GroupBox1", &THexDialog::GroupBox1)
                                     .Field("RadioButton2", &THexDialog::RadioButton2)
                                     .Field("RadioButton3", &THexDialog::RadioButton3)
                                     .Field("BitBtn1", &THexDialog::BitBtn1)
                                     .Field("BitBtn2", &THexDialog::BitBtn2)
                                     .Field("HexLang", &THexDialog::HexLang)
                                     .Build();
  return &Info;
}

THexDialog::THexDialog(TComponent* AOwner) : TForm(AOwner) {
  RegisterStorageClasses();
  Say = [](const std::string& Msg) { MessageDlg(Msg, mtInformation, {mbOK}, 0); };
}

std::string HexTextToBytes(const std::string& Text) {
  std::string Digits;
  for (char C : LowerCase(Text))
    if ((C >= '0' && C <= '9') || (C >= 'a' && C <= 'f')) Digits += C;
  if (Digits.size() % 2 != 0) Digits.insert(Digits.begin(), '0');
  std::string Bytes;
  for (std::size_t i = 0; i < Digits.size(); i += 2) {
    auto V = [](char C) { return C <= '9' ? C - '0' : C - 'a' + 10; };
    Bytes += static_cast<char>(V(Digits[i]) * 16 + V(Digits[i + 1]));
  }
  return Bytes;
}

int HexFindFrom(THexEditor* Editor, int From) {
  const THexSearch& S = HexSearch;
  int Size = Editor->DataSize();
  int Match = Editor->Find(S.Pattern, From, Size - 1, S.Translate, S.IgnoreCase);
  if (Match < 0) return -1;
  // The last byte first, then the first: the match is selected and the cursor stands on
  // its first byte.
  Editor->SetSelStart(Match + static_cast<int>(S.Pattern.size()) - 1);
  Editor->SetSelEnd(Match);
  return Match;
}

void THexDialog::BitBtn1Click(TObject*) {
  if (Editor == nullptr || Editor->DataSize() < 1) return;
  THexSearch& S = HexSearch;
  S.LastMatch = -1;
  S.IgnoreCase = false;
  S.Pattern.clear();
  S.Text = Edit1->Text();
  if (S.Text.empty()) return;
  if (RadioButton3->Checked()) {
    S.Pattern = HexTextToBytes(S.Text);
    S.Translate = false;
    if (S.Pattern.empty()) return;
  } else {
    // The whole text, in the editor's character set, in any case.
    S.Pattern = S.Text;
    S.Translate = true;
    S.IgnoreCase = true;
  }
  S.LastMatch = HexFindFrom(Editor, Editor->GetCursorPos());
  if (S.LastMatch < 0) Say("Data not found");
}
