// The tag window: a memo that the main window fills with an MP3 file's tag and shows
// modally; Esc closes it.
#pragma once

#include "classlib/win/forms.h"
#include "classlib/win/std_ctrls.h"
#include "storage/form_placement.h"

class TMP3Form : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TMP3Form(TComponent* AOwner) : TForm(AOwner) { RegisterStorageClasses(); }

  TMemo* Memo1 = nullptr;

  void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
};

extern TMP3Form* MP3Form;
