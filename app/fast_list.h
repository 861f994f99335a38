// The fast-bar list: one line per program button of the main window's fast bar, with
// buttons to add a program and to remove the buttons of the chosen line. Layout:
// "fast_list.zfm".
#pragma once

#include <functional>

#include "app/text_list_box.h"
#include "classlib/win/com_ctrls.h"
#include "classlib/win/forms.h"
#include "classlib/win/std_ctrls.h"
#include "storage/form_placement.h"

class TFastList : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TFastList(TComponent* AOwner);

  TTextListBox* List = nullptr;
  TButton* SpeedButton1 = nullptr;  // add
  TButton* SpeedButton2 = nullptr;  // delete
  TButton* SpeedButton3 = nullptr;  // close
  TFormStorage* FormStorage1 = nullptr;  // captions, section "Bar"

  // The bar it lists (the main window's FastBar unless set otherwise).
  TToolBar* Bar() const;
  void SetBar(TToolBar* Value) { FBar = Value; }
  // The main window's command that adds a program button to the bar.
  std::function<void()> AddButton;

  // The list anew from the bar, in button order.
  void Refill();

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void SpeedButton1Click(TObject* Sender);
  void SpeedButton2Click(TObject* Sender);
  void SpeedButton3Click(TObject* Sender);

private:
  TToolBar* FBar = nullptr;
};

extern TFastList* FastList;
