// The hex editor window: the hex editor control HE with a menu for new, open, save, save as,
// print, exit, undo, find, find next, delete and go to. It stays on top, Escape closes it, and
// closing a changed document asks first. The program makes one at start-up (HexEd); the
// panels open a file in it with HE->LoadFromFile and show it. Its layout comes from the
// form resource "hex_ed.zfm".
#pragma once

#include <functional>
#include <string>

#include "classlib/win/dialogs.h"
#include "classlib/win/forms.h"
#include "classlib/win/menus.h"
#include "storage/form_placement.h"
#include "tools/hex_editor.h"

class THexDialog;

class THexEd : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit THexEd(TComponent* AOwner);

  THexEditor* HE = nullptr;
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* N1 = nullptr;   // file
  TMenuItem* N13 = nullptr;  // new
  TMenuItem* N2 = nullptr;   // open
  TMenuItem* N3 = nullptr;   // save
  TMenuItem* N4 = nullptr;   // print
  TMenuItem* N6 = nullptr;
  TMenuItem* N7 = nullptr;   // exit
  TMenuItem* N9 = nullptr;   // edit
  TMenuItem* Undo1 = nullptr;
  TMenuItem* N5 = nullptr;
  TMenuItem* N10 = nullptr;  // find
  TMenuItem* N16 = nullptr;  // find next
  TMenuItem* N12 = nullptr;  // delete
  TMenuItem* N14 = nullptr;  // service
  TMenuItem* N15 = nullptr;  // go to
  TOpenDialog* od = nullptr;
  TSaveDialog* sd = nullptr;
  TPopupMenu* PopupMenu1 = nullptr;
  TMenuItem* N8 = nullptr;  // save as
  THexToCanvas* HexToCanvas1 = nullptr;
  TFormStorage* FormStorage1 = nullptr;  // captions from the language file, section "HEXEditor"

  // What the window asks and tells; dialogs and message boxes by default, tests answer in
  // their place.
  std::function<int(const std::string& Msg, TMsgDlgType Type, TMsgDlgButtons Buttons)> Ask;
  std::function<bool(TOpenDialog* Dialog)> ChooseFile;
  std::function<bool(const std::string& Caption, const std::string& Prompt, std::string& Value)> AskText;
  std::function<void(THexDialog* Dialog)> RunFindDialog;
  // A refused go-to: the little-error message.
  std::function<void()> ShowLittleError;

  void FormShow(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void N13Click(TObject* Sender);
  void N2Click(TObject* Sender);
  void N3Click(TObject* Sender);
  // Prints the document on the default printer; a failure is told.
  void N4Click(TObject* Sender);
  void N8Click(TObject* Sender);
  void N7Click(TObject* Sender);
  void Undo1Click(TObject* Sender);
  void N10Click(TObject* Sender);
  void N16Click(TObject* Sender);
  void N12Click(TObject* Sender);
  void N15Click(TObject* Sender);

private:
  // Saves under Name; a failure is told and gives false.
  bool SaveAs(const std::string& Name);
  // The save dialog, then the save; false when cancelled or failed.
  bool SaveWithDialog();
};

extern THexEd* HexEd;

// The panels' hex-editor command: HexEd's HE loads the file and the window shows; a file
// that cannot be opened is told instead.
void ShowInHexEditor(const std::string& FileName);
