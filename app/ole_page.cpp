// The ActiveX page: the OLE container OleNew with its document menu, its keys, and the
// question about a changed document before it is left, replaced or closed.
#include <windows.h>

#include <memory>

#include "app/core/lng_strings.h"
#include "app/help_form.h"
#include "app/main_form.h"
#include "classlib/win/application.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/menus.h"
#include "classlib/win/ole_container.h"
#include "classlib/win/wide_string.h"

namespace {

std::string Lng(const char* Key) {
  std::string S;
  GetLngString(Key, S);
  return S;
}

// The object keeps the file's own format only where it writes files itself; otherwise it
// would be written as a compound file, which must not replace a document of another kind.
bool WouldChangeFormat(TOleContainer* Ole, const std::string& FileName) {
  IOleObject* O = Ole->OleObject();
  if (O == nullptr) return false;
  IPersistFile* File = nullptr;
  if (SUCCEEDED(O->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&File))) && File != nullptr) {
    File->Release();
    return false;
  }
  const std::wstring Name = ToWide(FileName);
  if (GetFileAttributesW(Name.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  return StgIsStorageFile(Name.c_str()) != S_OK;
}

}  // namespace

void TMainForm::MakeOlePage() {
  if (OleNew == nullptr) return;
  AskDocumentName = [](bool Save, std::string& FileName) {
    std::unique_ptr<TOpenDialog> D(Save ? new TSaveDialog(nullptr) : new TOpenDialog(nullptr));
    std::string All;
    GetLngMask("All", All);
    D->SetFilter(All.empty() ? "All files (*.*)|*.*" : All);
    D->SetFileName(FileName);
    if (Save) D->SetOptions(D->Options() + TOpenOptions{ofOverwritePrompt});
    if (!D->Execute()) return false;
    FileName = D->FileName();
    return true;
  };
}

void TMainForm::OleViewFile(const std::string& FileName) {
  if (!KeepOleDocument()) return;
  {
    THourGlass Wait;
    try {
      OleNew->CreateObjectFromFile(FileName, false);
    } catch (const std::exception& E) {
      Ask(std::string("The file cannot be shown as a document.\n\n") + E.what(), mtError, TMsgDlgButtons{mbOK});
      return;
    }
    OleNew->SetModified(false);
    OleNew->SetHint(FileName);
    MainPage->SetActivePage(ActiveX);
  }
  // The keys go to the document now, not to the hidden panel; an object that shows itself
  // in place does so here.
  if (OleNew->CanFocus()) OleNew->SetFocus();
}

bool TMainForm::SaveOleDocument(std::string FileName) {
  if (OleNew == nullptr || !OleNew->HasObject()) return true;
  if (FileName.empty() || WouldChangeFormat(OleNew, FileName)) {
    if (!AskDocumentName(true, FileName) || FileName.empty()) return false;
  }
  try {
    THourGlass Wait;
    OleNew->SaveToFile(FileName);
  } catch (const std::exception& E) {
    Ask(E.what(), mtError, TMsgDlgButtons{mbOK});
    return false;
  }
  OleNew->SetHint(FileName);
  return true;
}

bool TMainForm::KeepOleDocument() {
  if (OleNew == nullptr || !OleNew->HasObject() || !OleNew->Modified()) return true;
  const int R = Ask(Lng("Document_changed"), mtConfirmation, mbYesNoCancel);
  if (R == mrCancel) return false;
  return R != mrYes || SaveOleDocument(OleNew->Hint());
}

void TMainForm::NewDoc1Click(TObject*) {
  if (!KeepOleDocument()) return;
  try {
    if (OleNew->InsertObjectDialog()) OleNew->SetHint("");
  } catch (const std::exception& E) {
    Ask(E.what(), mtError, TMsgDlgButtons{mbOK});
  }
}

void TMainForm::OpenDoc1Click(TObject*) {
  std::string Name;
  if (!AskDocumentName(false, Name) || Name.empty()) return;
  OleViewFile(Name);
}

// Only a document can be saved.
void TMainForm::ActiveXMenuPopup(TObject*) {
  if (TMenuItem* Save = dynamic_cast<TMenuItem*>(FindComponent("SaveDoc1"))) Save->SetEnabled(OleNew->HasObject());
}

void TMainForm::SaveDoc1Click(TObject*) {
  if (!OleNew->HasObject()) return;
  std::string Name = OleNew->Hint();
  if (!AskDocumentName(true, Name) || Name.empty()) return;
  SaveOleDocument(Name);
}

void TMainForm::OleNewKeyDown(TObject*, uint16_t& Key, TShiftState Shift) {
  if (!(Shift * TShiftState{ssShift, ssAlt, ssCtrl}).Empty()) return;
  if (Key == VK_F1) {
    Key = 0;
    ShowHelpTopic(9);
  } else if (Key == VK_ESCAPE) {
    Key = 0;
    if (!KeepOleDocument()) return;
    MainPage->SetActivePage(Main);
    TPTShellList* Panel = FActiveLeft ? LF : RF;
    if (Panel != nullptr && Panel->CanFocus()) Panel->SetFocus();
  }
}

void TMainForm::MainPageChanging(TObject*, bool& AllowChange) {
  if (MainPage->ActivePage() == ActiveX) AllowChange = KeepOleDocument();
}
