#include "app/menu_commands.h"

#include <windows.h>

#include <map>
#include <memory>

#include "app/arc_dialogs.h"
#include "app/core/lng_strings.h"
#include "app/main_form.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/menus.h"
#include "shell/pt_shell_list.h"
#include "storage/core/file_utils.h"

namespace {

std::string Lng(const char* Key) {
  std::string Text;
  GetLngString(Key, Text);
  return Text;
}

bool SameFolder(const std::string& A, const std::string& B) {
  return AnsiSameText(ExcludeTrailingBackslash(A), ExcludeTrailingBackslash(B));
}

}  // namespace

TMenuCommands::TMenuCommands(TMainForm* Form) : TComponent(Form), FForm(Form) {
  auto On = [this](const char* Name, std::function<void()> Work) {
    if (auto* Item = dynamic_cast<TMenuItem*>(FForm->FindComponent(Name)))
      Item->OnClick = [Work](TObject*) { Work(); };
  };
  On("AddtoZIP1", [this] { AddtoZIP1Click(); });
  On("cN77", [this] { FForm->SwapPanels(); });
  On("cN78", [this] { CompareFolders(); });
  On("N5", [this] { FileListingClick(); });
  On("FolderAddL", [this] { AddBookmark(true); });
  On("FolderAddR", [this] { AddBookmark(false); });
  BindBookmarks(Form->FolderMenuL, true);
  BindBookmarks(Form->FolderMenuR, false);
}

void TMenuCommands::AddtoZIP1Click() {
  std::unique_ptr<TZipForm> F(CreateForm<TZipForm>(Application));
  F->ShowModal();
}

bool TMenuCommands::CompareFolders() {
  TPTShellList* L = FForm->LF;
  TPTShellList* R = FForm->RF;
  if (SameFolder(L->Folder()->GetPath(), R->Folder()->GetPath())) {
    FForm->Ask(Lng("Folder_equaly"), mtInformation, TMsgDlgButtons{mbOK});
    return false;
  }
  THourGlass Busy;
  // The right panel's files by upper-cased name: index and size in bytes.
  std::map<std::string, std::pair<int, int64_t>> Right;
  for (int I = 0; I < R->Items()->Count(); ++I) {
    R->Items()->Item(I)->SetSelected(false);
    TPTShListData* D = R->GetItemData(I);
    if (D == nullptr || D->IsFolder()) continue;
    const std::string Path = D->GetPath();
    if (!Path.empty()) Right.emplace(UpperCase(D->GetFileName()), std::make_pair(I, GetFileSizeByName(Path)));
  }
  for (int I = 0; I < L->Items()->Count(); ++I) {
    TListItem* Item = L->Items()->Item(I);
    TPTShListData* D = L->GetItemData(I);
    bool Equal = false;
    if (D != nullptr && !D->IsFolder() && !D->GetPath().empty()) {
      auto It = Right.find(UpperCase(D->GetFileName()));
      if (It != Right.end() && It->second.second == GetFileSizeByName(D->GetPath())) {
        Equal = true;
        R->Items()->Item(It->second.first)->SetSelected(true);
      }
    }
    Item->SetSelected(!Equal && D != nullptr && !D->IsFolder());
  }
  return true;
}

void TMenuCommands::WriteFileListing(const std::string& FileName) {
  const std::string Folder = FForm->PathInfo->Caption();
  TPTShellList* List = SameFolder(Folder, FForm->LF->Folder()->GetPath()) ? FForm->LF : FForm->RF;
  std::string Text = DateTimeToStr(Now()) + " Folder: " + Folder + "  Zembrix 1.53.3\r\n";
  for (int I = 0; I < List->Items()->Count(); ++I) {
    TPTShListData* D = List->GetItemData(I);
    if (D == nullptr) continue;
    if (D->IsFolder())
      Text += D->GetDisplayName() + "\t- Folder\r\n";
    else
      Text += D->GetFileName() + "\t\t" + D->GetSizeText() + "\t" + D->GetModifiedText() + "\t" + D->GetTypeText() + "\r\n";
  }
  TFileStream F(FileName, fmCreate);
  F.WriteBuffer(Text.data(), Text.size());
}

void TMenuCommands::FileListingClick() {
  std::string Name;
  if (!FForm->AskText(Lng("Input_filename"), Lng("Listing_file"), Name) || Trim(Name).empty()) return;
  try {
    WriteFileListing(Trim(Name));
  } catch (const std::exception& E) {
    FForm->Ask(E.what(), mtError, TMsgDlgButtons{mbOK});
  }
}

void TMenuCommands::AddBookmark(bool Left) {
  TPTShellList* List = Left ? FForm->LF : FForm->RF;
  const std::string Path = List->Folder()->GetPath();
  if (Path.empty()) return;  // a folder outside the file system has no path to keep
  TPopupMenu* Menu = Left ? FForm->FolderMenuL : FForm->FolderMenuR;
  auto* Item = new TMenuItem(FForm);
  Item->SetCaption(Path);
  Menu->Items()->Add(Item);
  BindBookmarks(Menu, Left);
}

// Every bookmark (the items after "add" and the separator) opens its folder in its panel.
void TMenuCommands::BindBookmarks(TPopupMenu* Menu, bool Left) {
  for (int I = 2; I < Menu->Items()->Count(); ++I) {
    TMenuItem* Item = Menu->Items()->Items(I);
    Item->OnClick = [this, Item, Left](TObject*) {
      TPTShellList* List = Left ? FForm->LF : FForm->RF;
      try {
        List->Folder()->SetPath(Item->Caption());
      } catch (const std::exception& E) {
        FForm->Ask(E.what(), mtError, TMsgDlgButtons{mbOK});
      }
    };
  }
}
