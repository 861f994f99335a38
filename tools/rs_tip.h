// Tips of the day. TrsTip.Execute shows the welcome tip window at the tip after the one
// shown last time, unless the user asked not to see it again. The tips are the values, in
// order, of the language file's section "Daily" (the user's language), or without it of
// the tips file's section "Tips"; what was shown and whether to show again are kept in the
// tips state file, section "Tips", keys "Index" and "ShowAgain".
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "classlib/core/component.h"
#include "classlib/win/forms.h"
#include "classlib/win/std_ctrls.h"
#include "storage/form_placement.h"

class TTipForm : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TTipForm(TComponent* AOwner);

  TLabel* Label1 = nullptr;
  TMemo* TipText = nullptr;
  TCheckBox* ShowCheck = nullptr;
  TButton* NextButton = nullptr;
  TButton* CloseButton = nullptr;
  // The captions in the user's language: section "Tip" of the language file.
  TFormStorage* Lng = nullptr;

  std::vector<std::string> Tips;
  int Index = 0;
  // Takes the captions from the language file, the window's own (key "TipForm_Caption")
  // too; a missing file or key keeps the built-in text.
  void Translate();
  void ShowTip(int AIndex);
  void NextButtonClick(TObject* Sender);
  void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
};

class TrsTip : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TrsTip(TComponent* AOwner);

  // The tips state file, and the file the tips come from when the language file has none.
  const std::string& IniFileName() const { return FIniFileName; }
  void SetIniFileName(const std::string& Value) { FIniFileName = Value; }
  const std::string& TipsFileName() const { return FTipsFileName; }
  void SetTipsFileName(const std::string& Value) { FTipsFileName = Value; }

  // Shows the tip window when the state says so; advances and saves the state. Nothing is
  // shown when there are no tips.
  void Execute();
  // Modeless: Execute shows the window and returns at once (a start that nobody watches
  // goes on); the choice of showing tips again is saved when the window closes. Only one
  // such window at a time.
  bool Modeless() const { return FModeless; }
  void SetModeless(bool Value) { FModeless = Value; }
  // The modeless window while it is open.
  TTipForm* Form() const { return FForm; }

  // Runs the window; tests run it in their own way.
  std::function<void(TTipForm* Form)> RunForm;

private:
  std::string FIniFileName, FTipsFileName;
  bool FModeless = false;
  TTipForm* FForm = nullptr;
};

void RegisterTips();
