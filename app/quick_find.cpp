#include "app/quick_find.h"

#include <windows.h>

#include "app/core/zemb_rout.h"
#include "app/main_form.h"

TQFind* QFind = nullptr;

const TClassInfo* TQFind::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TQFind, TForm>("TQFind")
                                 .Handler("FormCreate", &TQFind::FormCreate)
                                 .Handler("Edit1Change", &TQFind::Edit1Change)
                                 .Handler("FormKeyDown", &TQFind::FormKeyDown)
                                 .Field("Edit1", &TQFind::Edit1)
                                 .Build();
  return &Info;
}

void TQFind::SetPanel(TCustomListView* Value) {
  if (FPanel == Value) return;
  if (FPanel != nullptr) FPanel->RemoveFreeNotification(this);
  FPanel = Value;
  if (FPanel != nullptr) FPanel->FreeNotification(this);
}

void TQFind::Notification(TComponent* AComponent, TOperation Operation) {
  TForm::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPanel) FPanel = nullptr;
}

void TQFind::PlaceBy(TControl* MainWindow, TControl* LeftPanel) {
  SetLeft(MainWindow->Left() + 5);
  SetTop(MainWindow->Top() + LeftPanel->Height() - 30);
}

void TQFind::FormCreate(TObject*) {
  if (MainForm != nullptr && MainForm->LPages != nullptr) PlaceBy(MainForm, MainForm->LPages);
}

// Selected: the items whose names begin with the text, whatever the case of its Latin
// letters. An empty text selects nothing, so that clearing the field never leaves the
// whole panel selected for the next command.
void TQFind::Edit1Change(TObject*) {
  if (FPanel == nullptr) return;
  const std::string Text = Edit1->Text();
  TListItems* Items = FPanel->Items();
  for (int I = 0; I < Items->Count(); ++I) {
    TListItem* Item = Items->Item(I);
    const bool Want = NameStartsWith(Item->Caption(), Text);
    if (Item->Selected() != Want) Item->SetSelected(Want);
  }
}

void TQFind::FormKeyDown(TObject*, uint16_t& Key, TShiftState) {
  if (Key == VK_ESCAPE) {
    Key = 0;
    Close();
  }
}
