// The clipboard viewer: shows what the clipboard holds, its text or its picture (or the
// names of files copied), and follows it while the window is open. Esc closes it.
#pragma once

#include "classlib/win/ext_ctrls.h"
#include "classlib/win/forms.h"
#include "classlib/win/std_ctrls.h"
#include "storage/form_placement.h"

class TCLPView : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TCLPView(TComponent* AOwner) : TForm(AOwner) { RegisterStorageClasses(); }

  TMemo* Memo1 = nullptr;
  TImage* Image1 = nullptr;

  // Reads the clipboard again.
  void UpdateView();

  void FormShow(TObject* Sender);
  void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void WndProc(TMessage& Message) override;

protected:
  void CreateWnd() override;
  void DestroyWnd() override;
};

extern TCLPView* CLPView;
