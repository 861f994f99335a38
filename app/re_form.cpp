#include "app/re_form.h"

#include <shlobj.h>

TReForm* ReForm = nullptr;

const TClassInfo* TReForm::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TReForm, TForm>("TReForm")
                                 .Handler("FormCreate", &TReForm::FormCreate)
                                 .Field("FormPlacement1", &TReForm::FormPlacement1)
                                 .Build();
  return &Info;
}

TReForm::TReForm(TComponent* AOwner) : TForm(AOwner) { RegisterStorageClasses(); }

void TReForm::FormCreate(TObject*) {
  auto* List = new TPTShellList(this);
  List->SetName("PTShellList1");
  // The bin and nothing else: no way into other folders, drops delete, drags restore.
  List->SetOptions(TPTShellListOptions{ptsloAutoFill, ptsloNonFilesystemAncestors, ptsloContextMenus,
                                       ptsloDontChangeFolder, ptsloDontGoBelowBase, ptsloDynamicRefresh,
                                       ptsloOleDrag, ptsloOleDrop, ptsloFolderContextMenu, ptsloShowHidden});
  List->SetReadOnly(false);
  List->SetAutoArrange(true);
  List->SetAlign(alClient);
  List->SetParent(this);
  List->Folder()->SetSpecialFolder(CSIDL_BITBUCKET);
  PTShellList1 = List;
}
