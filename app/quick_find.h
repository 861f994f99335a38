// Quick find: a small window whose text selects the items of a panel whose names begin
// with it, and deselects the others. Layout: "qfind.zfm".
#pragma once

#include "classlib/win/forms.h"
#include "classlib/win/list_view.h"
#include "classlib/win/std_ctrls.h"
#include "storage/form_placement.h"

class TQFind : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TQFind(TComponent* AOwner) : TForm(AOwner) { RegisterStorageClasses(); }

  TEdit* Edit1 = nullptr;

  // The panel it selects in (the main window sets the active one before showing it).
  TCustomListView* Panel() const { return FPanel; }
  void SetPanel(TCustomListView* Value);
  // Places the window over the bottom left corner of the main window's left panel.
  void PlaceBy(TControl* MainWindow, TControl* LeftPanel);

  void FormCreate(TObject* Sender);
  void Edit1Change(TObject* Sender);
  void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TCustomListView* FPanel = nullptr;
};

extern TQFind* QFind;
