#include "app/fast_list.h"

#include <vector>

#include "app/main_form.h"

TFastList* FastList = nullptr;

const TClassInfo* TFastList::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TFastList, TForm>("TFastList")
                                 .Handler("FormCreate", &TFastList::FormCreate)
                                 .Handler("FormShow", &TFastList::FormShow)
                                 .Handler("SpeedButton1Click", &TFastList::SpeedButton1Click)
                                 .Handler("SpeedButton2Click", &TFastList::SpeedButton2Click)
                                 .Handler("SpeedButton3Click", &TFastList::SpeedButton3Click)
                                 .Field("List", &TFastList::List)
                                 .Field("SpeedButton1", &TFastList::SpeedButton1)
                                 .Field("SpeedButton2", &TFastList::SpeedButton2)
                                 .Field("SpeedButton3", &TFastList::SpeedButton3)
                                 .Field("FormStorage1", &TFastList::FormStorage1)
                                 .Build();
  return &Info;
}

TFastList::TFastList(TComponent* AOwner) : TForm(AOwner) {
  RegisterStorageClasses();
  RegisterTextListBox();
}

TToolBar* TFastList::Bar() const {
  if (FBar != nullptr) return FBar;
  return MainForm != nullptr ? MainForm->FastBar : nullptr;
}

void TFastList::Refill() {
  List->Items()->Clear();
  TToolBar* B = Bar();
  if (B == nullptr) return;
  for (int I = 0; I < B->ButtonCount(); ++I) List->Items()->Add(B->Buttons(I)->Caption());
}

void TFastList::FormCreate(TObject*) { Refill(); }

// The bar may have changed since the last time (buttons added from the bar itself).
void TFastList::FormShow(TObject*) { Refill(); }

void TFastList::SpeedButton1Click(TObject*) {
  if (AddButton) AddButton();
  Refill();
}

void TFastList::SpeedButton2Click(TObject*) {
  const int I = List->ItemIndex();
  TToolBar* B = Bar();
  if (I < 0 || B == nullptr) return;
  const std::string Line = List->Items()->Strings(I);
  std::vector<TToolButton*> Gone;
  for (int K = 0; K < B->ButtonCount(); ++K)
    if (B->Buttons(K)->Caption() == Line) Gone.push_back(B->Buttons(K));
  for (TToolButton* Button : Gone) delete Button;
  Refill();
}

void TFastList::SpeedButton3Click(TObject*) { Close(); }
