// The text viewer: a window with the text of a file (or of an archive entry) read-only in
// an edit control. The main window makes a new one for each file; a closed viewer frees
// itself. Esc closes it.
#pragma once

#include "classlib/core/stream.h"
#include "classlib/win/forms.h"
#include "classlib/win/std_ctrls.h"

class TViewForm : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TViewForm(TComponent* AOwner) : TForm(AOwner) {}

  TMemo* TextView = nullptr;

  // The name shown for the text (the file's, or " " for a stream).
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& Value);
  // The file's text; DosText converts it from the DOS code page 866 first. Raises the
  // stream's error when the file cannot be read (the viewer is left empty).
  void LoadFile(const std::string& FileName, bool DosText);
  // The text from the stream's position to its end, as it stands.
  void LoadStream(TStream* Stream);

  void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void FormClose(TObject* Sender, TCloseAction& Action);

private:
  void Loaded(const std::string& Name);
  std::string FTitle;
};
