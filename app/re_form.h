// The recycle-bin window: a small stay-on-top tool window listing the bin's contents, where
// files can be dropped to be deleted and dragged out to be restored. Layout: "re_form.zfm";
// the list is made in code, as the main window's panels are.
#pragma once

#include "classlib/win/forms.h"
#include "shell/pt_shell_list.h"
#include "storage/form_placement.h"

class TReForm : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TReForm(TComponent* AOwner);

  TPTShellList* PTShellList1 = nullptr;
  TFormPlacement* FormPlacement1 = nullptr;  // registry, section "Recycle"

  void FormCreate(TObject* Sender);
};

extern TReForm* ReForm;
