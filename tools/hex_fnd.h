// The hex editor's find dialog: a search text, as text (any case) or as hexadecimal bytes,
// searched from the cursor of the hex editor it is given. The search is remembered for
// Find next. Its layout comes from the form resource "hex_dialog.zfm".
#pragma once

#include <functional>
#include <string>

#include "classlib/win/dialogs.h"
#include "classlib/win/forms.h"
#include "classlib/win/std_ctrls.h"
#include "storage/form_placement.h"

class THexEditor;

// The last search, shared by the dialog and Find next.
struct THexSearch {
  std::string Text;     // as typed; empty: no search yet
  std::string Pattern;  // the bytes searched for
  bool IgnoreCase = false;
  bool Translate = false;
  int LastMatch = -1;
};
extern THexSearch HexSearch;

// The bytes of a hexadecimal text: characters other than 0-9 and a-f (any case) are
// dropped, a "0" goes in front of an odd count, each pair is a byte, high digit first.
std::string HexTextToBytes(const std::string& Text);

// Searches the editor for the remembered pattern from From to the end and selects a match
// with the cursor on its first byte; the match's offset or -1.
int HexFindFrom(THexEditor* Editor, int From);

class THexDialog : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit THexDialog(TComponent* AOwner);

  TLabel* Label1 = nullptr;
  TEdit* Edit1 = nullptr;
  TGroupBox* GroupBox1 = nullptr;
  TRadioButton* RadioButton2 = nullptr;  // as text, any case
  TRadioButton* RadioButton3 = nullptr;  // as hexadecimal bytes
  TButton* BitBtn1 = nullptr;            // Find
  TButton* BitBtn2 = nullptr;            // Cancel
  TFormStorage* HexLang = nullptr;       // captions from the language file, section "HexFind"

  // The editor searched.
  THexEditor* Editor = nullptr;
  // Tells the user something; a message box by default.
  std::function<void(const std::string& Msg)> Say;

  void BitBtn1Click(TObject* Sender);
};
