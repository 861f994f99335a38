// The program's start: the splash with its progress, the long-lived windows in their
// order, the stored options applied once, the language files, the start folders.
#pragma once

#include <functional>
#include <string>

#include "classlib/win/com_ctrls.h"
#include "classlib/win/ext_ctrls.h"
#include "classlib/win/forms.h"
#include "classlib/win/std_ctrls.h"

// The splash window shown while the program starts.
class TSlash : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TSlash(TComponent* AOwner) : TForm(AOwner) {}

  TImage* Image1 = nullptr;
  TLabel* Label3 = nullptr;
  TProgressBar* LoadProgr = nullptr;
};

// The folders the panels were last known to show; the panels' change handlers keep them.
extern std::string LastLeftPath;
extern std::string LastRightPath;

// Runs the start from the splash to the moment before the message loop. Progress, when
// given, hears each step's status text and progress value.
void StartUp(const std::function<void(const std::string& Status, int Progress)>& Progress = nullptr);
