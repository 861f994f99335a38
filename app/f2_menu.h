// The user menu: the user's own command lines (programs or documents run often), kept in
// "UserMenu.dat" of the program folder, one line each. Its layout comes from the form
// resource "f2_menu.zfm".
#pragma once

#include <functional>
#include <string>

#include "app/text_list_box.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/forms.h"
#include "classlib/win/std_ctrls.h"
#include "storage/form_placement.h"

class TF2Menu : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TF2Menu(TComponent* AOwner);

  TTextListBox* List = nullptr;
  TButton* Button1 = nullptr;  // OK: run the selected line
  TButton* Button2 = nullptr;  // close
  TButton* Button3 = nullptr;  // add a file
  TButton* Button4 = nullptr;  // delete the selected line
  TButton* Button5 = nullptr;  // change the selected line
  TButton* Button6 = nullptr;  // clear the list
  TOpenDialog* MOpen = nullptr;
  TFormStorage* FormStorage1 = nullptr;  // captions from the language file, section "menu"

  // How a chosen line is run: ExecuteFile with the line as a command line, by default.
  std::function<void(const std::string& Line)> RunLine;
  // How the file to add is chosen: MOpen's Execute, by default.
  std::function<bool(TOpenDialog* Dialog)> ChooseFile;
  // The box of Change: InputBox by default (a cancelled box gives the default back).
  std::function<std::string(const std::string& Caption, const std::string& Prompt, const std::string& Default)>
      AskText;

  // ProgramFolder() + "UserMenu.dat".
  static std::string MenuFileName();

  // True when the file existed but could not be read: the list is then not written back,
  // so that the file is never replaced by what the window failed to show.
  bool LoadFailed() const { return FLoadFailed; }

  void FormCreate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void Button4Click(TObject* Sender);
  void Button5Click(TObject* Sender);
  void Button6Click(TObject* Sender);

private:
  void SaveList();
  bool FLoadFailed = false;
};
