// The copy and move confirmation (TCPY) and the copy-with-new-name dialog (TMoveForm), and
// the routines that run them. Layouts: "cpy.zfm", "move_form.zfm".
#pragma once

#include <string>

#include "classlib/win/com_ctrls.h"
#include "classlib/win/forms.h"
#include "classlib/win/std_ctrls.h"
#include "storage/form_placement.h"

class TCPY : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TCPY(TComponent* AOwner) : TForm(AOwner) { RegisterStorageClasses(); }

  TAnimate* Animate1 = nullptr;
  TLabel* Label1 = nullptr;
  TButton* BitBtn1 = nullptr;  // OK
  TButton* BitBtn2 = nullptr;  // Cancel

  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
};

class TMoveForm : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TMoveForm(TComponent* AOwner);

  TAnimate* Animate1 = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;  // the source folder
  TLabel* Label3 = nullptr;  // "in folder" and the target folder
  TLabel* Label4 = nullptr;
  TEdit* Edit1 = nullptr;    // the new name
  TProgressBar* CopyBar = nullptr;
  TButton* BitBtn1 = nullptr;
  TButton* BitBtn2 = nullptr;
  TFormStorage* Langc = nullptr;  // captions, section "CopyFiles"
};

// The answer of the last confirmation: OK true, Cancel or Esc false.
extern bool ConfirmAnswer;

enum { pCopyMode = 1, pMoveMode = 2 };
// Asks before copying (Mode 1) or moving (2) Count selected items when the options ask for
// it (the options window's pCopy / pMove); true means go on. With the box cleared there is
// no question.
bool ConfirmCopyMove(int Mode, int Count);
// The question itself, always asked.
bool ConfirmCopyMoveDialog(int Mode, int Count);

// Copies (or moves) FileName of SourceFolder into TargetFolder under a name the user gives
// in TMoveForm (the file's own name at first). True only when the file was copied (and,
// for a move, its source deleted after a whole copy); a failure is shown and false.
bool CopyWithNewName(const std::string& SourceFolder, const std::string& TargetFolder, const std::string& FileName);
bool MoveWithNewName(const std::string& SourceFolder, const std::string& TargetFolder, const std::string& FileName);
