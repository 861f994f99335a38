// The help popup: a small stay-on-top window with rounded corners that shows a short text
// (F1 help of every window, notices, the little-error text) and the routines that fill it.
// Its layout comes from "help_form.zfm"; the about box from "about.zfm".
#pragma once

#include <string>

#include "classlib/win/forms.h"
#include "classlib/win/std_ctrls.h"
#include "ui/ellipse_button.h"

class THelpForm : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit THelpForm(TComponent* AOwner);

  TLabel* Label1 = nullptr;
  TREllipseButton* REllipseButton1 = nullptr;  // OK
  TREllipseButton* REllipseButton2 = nullptr;  // Help: the program's help file
  TREllipseButton* REllipseButton3 = nullptr;  // About

  void REllipseButton1Click(TObject* Sender);
  void REllipseButton2Click(TObject* Sender);
  void REllipseButton3Click(TObject* Sender);
  void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void WndProc(TMessage& Message) override;

protected:
  void InitWnd() override;
};

// The about box: the program's name and release, an OK button.
class TAbout : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TAbout(TComponent* AOwner);

  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TLabel* Label3 = nullptr;  // the release
  TREllipseButton* REllipseButton1 = nullptr;

  void REllipseButton1Click(TObject* Sender);
  void WndProc(TMessage& Message) override;

protected:
  void InitWnd() override;
};

// The popup of the whole run; created by the start-up, or by the first ShowHelpText.
extern THelpForm* HelpForm;
// The about box of the whole run, made by the start-up.
extern TAbout* About;

// Puts Text into the popup and shows it, without waiting, its top-left corner at the
// centre of the screen.
void ShowHelpText(const std::string& Text);
// The assistant's hint Key (section "Tips" of the language file) in the popup, when the
// user wants the assistant (the option AssCheck).
void ShowAssistantTip(const char* Key);
// The end of a command that failed unexpectedly: the little-error text in the popup.
void ShowLittleError();
// F1 help: the topic's text from "ini\help.ini" in the popup; nothing without that file;
// a file that cannot be read gives the "Help_not_found" message instead.
void ShowHelpTopic(int Topic);
// Shows the about box modally (a box of its own when the start-up made none).
void ShowAboutBox();
