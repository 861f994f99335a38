#include "app/panel_keys.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <memory>

#include "app/arc_dialogs.h"
#include "app/arc_page.h"
#include "app/core/lng_strings.h"
#include "app/core/masks.h"
#include "app/core/zemb_rout.h"
#include "app/help_form.h"
#include "app/html_page.h"
#include "app/main_form.h"
#include "app/openers.h"
#include "app/quick_find.h"
#include "app/settings.h"
#include "app/small_dialogs.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/wide_string.h"
#include "shell/drop_menu.h"
#include "shell/pt_data_transfer.h"
#include "storage/core/file_utils.h"
#include "tools/hex_edit.h"
#include "tools/pict.h"

// ---------------------------------------------------------------------------------------
// Commands on a panel's selection

namespace {

class TPanelList : public TPTShellList {
public:
  using TPTShellList::TPTShellList;

  void WndProc(TMessage& Message) override {
    TPTShellList::WndProc(Message);
    if (Message.Msg == WM_GETDLGCODE) Message.Result |= DLGC_WANTTAB;
  }

  // A right click beside the items opens the panel's own menu (sorting, new, masks,
  // special folders); on an item the shell's menu of the selection.
  bool ShowContextMenu(TListItem* Item, TPoint P) override {
    TPopupMenu* Menu = PopupMenu();
    if (Menu == nullptr || GetItemAt(P.X, P.Y) != nullptr) return TPTShellList::ShowContextMenu(Item, P);
    TPoint S = ClientToScreen(P);
    Menu->SetPopupComponent(this);
    Menu->Popup(S.X, S.Y);
    return true;
  }
};

std::string Lng(const char* Key) {
  std::string S;
  GetLngString(Key, S);
  return S;
}

// The selected items that have shell data, in the list's order.
std::vector<TPTShListData*> SelectedData(TPTShellList* List) {
  std::vector<TPTShListData*> Result;
  for (TListItem* Item = List->GetNextItem(nullptr, LVNI_SELECTED); Item != nullptr;
       Item = List->GetNextItem(Item, LVNI_SELECTED))
    if (TPTShListData* Data = List->GetItemData(Item->Index())) Result.push_back(Data);
  return Result;
}

std::wstring DoubleZeroList(const std::vector<std::string>& Paths) {
  std::wstring R;
  for (const std::string& P : Paths) R += ToWide(P) + L'\0';
  return R + L'\0';
}

void Tell(const std::string& Text) { MessageDlg(Text, mtError, TMsgDlgButtons{mbOK}, 0); }

HWND OwnerOf(TPTShellList* List) {
  HWND Owner = GetOwnerFormHandle(List);
  return Owner != nullptr ? Owner : Application->Handle();
}

}  // namespace

TPTShellList* CreatePanelList(TComponent* AOwner) { return new TPanelList(AOwner); }

std::string ItemName(TPTShListData* Data) {
  std::string Name = Data->GetFileName();
  return Name.empty() ? Data->GetDisplayName() : Name;
}

bool TransferSelection(TPTShellList* From, TPTShellList* To, bool Move) {
  std::vector<TPTShListData*> Items = SelectedData(From);
  if (Items.empty()) return false;
  std::vector<PCItemIDList> Children;
  for (TPTShListData* D : Items) Children.push_back(D->RelIdList());
  const DWORD Effect = Move ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
  TComPtr<IDataObject> Data = CreateShellDataObject(From->ListFolderIdList(), Children, Effect);
  if (!Data) return false;
  HRESULT Hr = TransferIntoFolder(OwnerOf(From), Data.Get(), To->ListFolderIdList(), Effect);
  // The watchers would show the change a moment later; the user sees it at once.
  From->RefreshItems();
  if (To != From) To->RefreshItems();
  if (Hr == S_OK) return true;
  if (Hr == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return false;
  if (Hr == S_FALSE)
    Tell(LngStringOr("Not_files", "Only files and folders can be copied or moved."));
  else if (Hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND))
    Tell(LngStringOr("No_target_folder", "The other panel shows no folder of the file system."));
  else if (Hr == HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER))
    Tell(LngStringOr("Into_itself", "A folder cannot be copied or moved into itself."));
  else
    Tell(SysErrorMessage(int(Hr & 0xFFFF)));
  return false;
}

bool RecycleSelection(TPTShellList* List) {
  std::vector<std::string> Paths = SelectedPaths(List);
  if (Paths.empty()) return false;
  std::wstring From = DoubleZeroList(Paths);
  SHFILEOPSTRUCTW Op{};
  Op.hwnd = OwnerOf(List);
  Op.wFunc = FO_DELETE;
  Op.pFrom = From.c_str();
  // The question has been asked already.
  Op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION;
  int R = SHFileOperationW(&Op);
  List->RefreshItems();
  if (Op.fAnyOperationsAborted) return false;
  if (R != 0) {
    Tell(LngStringOr("Recycle_failed", "Not everything could be moved to the recycle bin.") + "\n\n" + SysErrorMessage(R));
    return false;
  }
  return true;
}

std::vector<std::string> DeleteSelection(TPTShellList* List) {
  std::vector<std::string> Failed;
  for (TPTShListData* D : SelectedData(List)) {
    std::string Path = D->GetPath();
    if (Path.empty()) continue;
    DWORD Attr = GetFileAttributesW(ToWide(Path).c_str());
    bool Done;
    if (Attr != INVALID_FILE_ATTRIBUTES && (Attr & FILE_ATTRIBUTE_DIRECTORY))
      Done = ClearDir(Path, true);
    else
      Done = DeleteFileW(ToWide(Path).c_str()) != 0;
    if (!Done) Failed.push_back(Path);
  }
  List->RefreshItems();
  return Failed;
}

bool IsNewFolderName(const std::string& Name) {
  // A name with trailing blanks or dots would be made under another name than typed.
  return IsPlainFileName(Name) && Name.back() != ' ' && Name.back() != '.';
}

bool MakeNewFolder(const std::string& Folder, const std::string& Name, std::string& Error) {
  Error.clear();
  if (Folder.empty()) {
    Error = LngStringOr("No_panel_folder", "This panel shows no folder of the file system.");
    return false;
  }
  if (!IsNewFolderName(Name)) {
    Error = "\"" + Name + "\" " +
            LngStringOr("Bad_folder_name", "is not a folder name: a name without \\ / : * ? \" < > | and ..");
    return false;
  }
  std::string Path = Folder.size() < 4 ? Folder + Name : Folder + "\\" + Name;
  if (CreateDirectoryW(ToWide(Path).c_str(), nullptr)) return true;
  DWORD Code = GetLastError();
  Error = LngStringOr("Folder_not_made", "Unable to create the folder") + " \"" + Path + "\"\n\n" +
          SysErrorMessage(int(Code));
  return false;
}

bool LinkSelection(TPTShellList* List) {
  std::string Folder = PidlToPath(List->ListFolderIdList());
  std::vector<std::string> Failed;
  std::string Reason;
  for (TPTShListData* D : SelectedData(List)) {
    std::string Target = D->GetPath();
    if (Target.empty() || Folder.empty()) {
      Failed.push_back(D->GetDisplayName());
      Reason = LngStringOr("Links_to_files_only", "Shortcuts are made to files and folders only.");
      continue;
    }
    HRESULT Hr = CreateShortcutIn(ToWide(Folder), ToWide(Target));
    if (FAILED(Hr)) {
      Failed.push_back(Target);
      Reason = SysErrorMessage(int(Hr & 0xFFFF));
    }
  }
  List->RefreshItems();
  if (Failed.empty()) return true;
  std::string Text = LngStringOr("No_links", "No shortcut could be made to:");
  for (const std::string& F : Failed) Text += "\n" + F;
  Tell(Text + "\n\n" + Reason);
  return false;
}

void SelectByMask(TPTShellList* List, const std::string& Mask, bool Select) {
  const std::string M = UpperCase(Mask);
  TListItems* Items = List->Items();
  for (int I = 0; I < Items->Count(); ++I) {
    TPTShListData* D = List->GetItemData(I);
    if (D == nullptr) continue;
    TListItem* Item = Items->Item(I);
    if (Item->Selected() != Select && MatchesMask(UpperCase(ItemName(D)), M)) Item->SetSelected(Select);
  }
}

void InvertSelection(TPTShellList* List) {
  TListItems* Items = List->Items();
  for (int I = 0; I < Items->Count(); ++I) Items->Item(I)->SetSelected(!Items->Item(I)->Selected());
}

// ---------------------------------------------------------------------------------------
// The key tables

namespace {

// What one panel key works on: this panel and the other one, each with its own pages.
struct TSide {
  TMainForm* F;
  bool Left;
  TPTShellList* List;
  TPTShellList* Other;
  TPageControl* Pages;
  TPageControl* OtherPages;
  TTabSheet* FilesPage;
  TTabSheet* EditPage;
  TTabSheet* ArcPage;
  TListView* AView;
  TToolBar* Bar;
  bool& QuickView;

  std::string Folder() const { return PidlToPath(List->ListFolderIdList()); }
};

bool Checked(TCheckBox* TSettings::*Box) {
  return Settings != nullptr && Settings->*Box != nullptr && (Settings->*Box)->Checked();
}

std::string OptionText(TEdit* TSettings::*Edit) {
  return Settings != nullptr && Settings->*Edit != nullptr ? Trim((Settings->*Edit)->Text()) : std::string();
}

std::string Quoted(const std::string& S) { return S.find(' ') != std::string::npos ? "\"" + S + "\"" : S; }

// The modifier keys of a shift state, without the mouse buttons.
TShiftState Mods(TShiftState S) {
  TShiftState R;
  for (TShiftStateItem I : {ssShift, ssAlt, ssCtrl})
    if (S.Contains(I)) R << I;
  return R;
}

const TShiftState None{};
const TShiftState Ctrl{ssCtrl};
const TShiftState Alt{ssAlt};
const TShiftState Shift{ssShift};
const TShiftState CtrlShift{ssCtrl, ssShift};
const TShiftState CtrlAlt{ssCtrl, ssAlt};

// A row's action: true when it ends the handler.
using TAction = bool (*)(TSide& S, uint16_t Key);
// Without an item
struct TKeyRow {
  uint16_t From, To;  // the key codes the row takes
  TShiftState Mods;
  TAction Action;
};
// With the selected item
using TItemAction = bool (*)(TSide& S, TPTShListData* Item, const std::string& Path);
struct TItemRow {
  uint16_t Key;
  TShiftState Mods;
  TItemAction Action;
};

TSide SideOf(TMainForm* F, bool Left) {
  return TSide{F,
               Left,
               Left ? F->LF : F->RF,
               Left ? F->RF : F->LF,
               Left ? F->LPages : F->RPages,
               Left ? F->RPages : F->LPages,
               Left ? F->LFiles : F->RFiles,
               Left ? F->LEditPage : F->REditPage,
               Left ? F->LARc : F->RArc,
               Left ? F->LAView : F->RAView,
               Left ? F->ToolBar3 : F->ToolBar4,
               Left ? F->LQuickView : F->RQuickView};
}

void SetViewStyle(TSide& S, int Style) {
  S.List->SetViewStyle(TViewStyle(Style));
  // The panel's view button of that style goes down with it.
  for (int I = 0; I < S.Bar->ButtonCount(); ++I) {
    TToolButton* B = S.Bar->Buttons(I);
    if (B->Style() == tbsCheck && B->Tag() == Style && B->Grouped()) B->SetDown(true);
  }
}

bool NewFolder(TSide& S) {
  std::string Name;
  if (!S.F->AskText(Lng("Create_folder"), Lng("Input_folder_name"), Name)) return true;
  if (Trim(Name).empty()) {
    ShowAssistantTip("Create_folder");
    return true;
  }
  std::string Error;
  if (!MakeNewFolder(S.Folder(), Name, Error))
    Tell(Error);
  else
    S.List->RefreshItems();
  return true;
}

bool MaskQuestion(TMainForm* F, std::string& Mask) {
  Mask = "*.*";
  if (!F->AskText(Lng("Input_mask"), Lng("Input_mask_full"), Mask)) return false;
  if (Mask.empty()) {
    ShowAssistantTip("Input_mask");
    return false;
  }
  return true;
}

// Tab goes to what the other panel shows: its list, its text or its archive.
bool FocusOther(TSide& S, uint16_t) {
  TMainForm* F = S.F;
  TTabSheet* Shown = S.OtherPages->ActivePage();
  TWinControl* Target = S.Other;
  if (Shown != nullptr && Shown == (S.Left ? F->REditPage : F->LEditPage)) Target = S.Left ? F->REdit : F->LEdit;
  if (Shown != nullptr && Shown == (S.Left ? F->RArc : F->LARc)) Target = S.Left ? F->RAView : F->LAView;
  if (Target != nullptr && Target->CanFocus()) Target->SetFocus();
  return true;
}

const TKeyRow KeyRows[] = {
    {VK_F1, VK_F1, None, [](TSide&, uint16_t) {
       ShowHelpTopic(0);
       return true;
     }},
    {'1', '4', Ctrl, [](TSide& S, uint16_t Key) {
       SetViewStyle(S, Key - '1');
       return true;
     }},
    {'5', '9', Ctrl, [](TSide& S, uint16_t Key) {
       TTabSheet* Page = Key == '5' ? S.FilesPage : Key == '7' ? S.EditPage : Key == '9' ? S.ArcPage : nullptr;
       if (Page == nullptr) return false;  // 6 and 8
       S.Pages->SetActivePage(Page);
       return true;
     }},
    // Quick find on either panel (the keys up to 0x5B).
    {0x30, 0x5B, Alt, [](TSide& S, uint16_t Key) {
       if (Key > 0x39 && Key < 0x41) return false;  // no digit, no letter
       S.F->ArcPage->ArchiveSideLeft = S.Left;
       if (QFind == nullptr) Application->CreateForm(QFind);
       QFind->SetPanel(S.List);
       QFind->Edit1->SetText(std::string(1, char(Key)));
       QFind->Show();
       S.List->SetFocus();
       // Taking the focus back raises the main window, and Wine without a window manager
       // then stacks it over the quick-find window on the screen, although that one stays
       // on top for the system. A real change of its place in the order puts it back over.
       SetWindowPos(QFind->Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
       SetWindowPos(QFind->Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
       return true;
     }},
    {VK_F7, VK_F7, None, [](TSide& S, uint16_t) { return NewFolder(S); }},
    {VK_MULTIPLY, VK_MULTIPLY, None, [](TSide& S, uint16_t) {
       InvertSelection(S.List);
       return true;
     }},
    {VK_ADD, VK_ADD, None, [](TSide& S, uint16_t) {
       (S.Left ? S.F->N35Click(S.F) : S.F->N37Click(S.F));
       return true;
     }},
    {VK_SUBTRACT, VK_SUBTRACT, None, [](TSide& S, uint16_t) {
       std::string Mask;
       if (MaskQuestion(S.F, Mask)) SelectByMask(S.List, Mask, false);
       return true;
     }},
    // Insert marks the focused item and moves on; Space marks it in place.
    {VK_INSERT, VK_INSERT, None, [](TSide& S, uint16_t) {
       TListItem* Item = S.List->ItemFocused();
       if (Item == nullptr) return true;
       Item->SetSelected(!Item->Selected());
       if (TListItem* Next = S.List->GetNextItem(Item, LVNI_BELOW)) {
         Next->SetFocused(true);
         Next->MakeVisible();
       }
       return true;
     }},
    {VK_SPACE, VK_SPACE, None, [](TSide& S, uint16_t) {
       if (TListItem* Item = S.List->ItemFocused()) Item->SetSelected(!Item->Selected());
       return true;
     }},
    {VK_TAB, VK_TAB, None, FocusOther},
    {VK_TAB, VK_TAB, Shift, FocusOther},
};

void Properties(TSide& S) {
  std::vector<PCItemIDList> Children;
  for (TPTShListData* D : SelectedData(S.List)) Children.push_back(D->RelIdList());
  if (!Children.empty()) InvokeItemsVerb(OwnerOf(S.List), S.List->ListFolderIdList(), Children, "properties");
}

bool View(TSide& S, TPTShListData* Item, const std::string& Path) {
  if (S.List->SelCount() > 1) {
    Properties(S);
  } else if (IsArchiveFile(Path) && !Item->IsFolder()) {
    OpenArchiveInPanel(S.AView, Path);
  } else if (IsHtmlFile(Path) && S.F->HtmlPage != nullptr) {
    S.F->HtmlPage->FrView->LoadFromFile(Path);
    S.F->MainPage->SetActivePage(S.F->HTMLTab);
  } else if (IsPictureFile(Path) && !Item->IsFolder()) {
    if (Form1 == nullptr) Application->CreateForm(Form1);
    Form1->Image1->Picture()->LoadFromFile(Path);
    Form1->Show();
  } else if (Item->IsFolder()) {
    Properties(S);
  } else {
    ViewFile(Path);
  }
  return true;
}

// Quick view on: the file is shown on the other side's text/picture page at once, and
// later selections follow it there.
bool ToggleQuickView(TSide& S, TPTShListData* Item, const std::string& Path) {
  S.QuickView = !S.QuickView;
  if (S.QuickView && !Item->IsFolder() && !Path.empty()) OpenFileInPanel(S.OtherPages, Path);
  return true;
}

bool CopyMove(TSide& S, bool Move) {
  const int Count = S.List->SelCount();
  if (!ConfirmCopyMove(Move ? pMoveMode : pCopyMode, Count)) return true;
  TransferSelection(S.List, S.Other, Move);
  return true;
}

bool NewNames(TSide& S, bool Move) {
  std::string From = S.Folder(), To = PidlToPath(S.Other->ListFolderIdList());
  if (From.empty() || To.empty()) return true;
  for (const std::string& P : SelectedPaths(S.List)) {
    if (DirExists(P)) continue;  // files only: a folder has no single copy to rename
    if (Move)
      MoveWithNewName(From, To, ExtractFileName(P));
    else
      CopyWithNewName(From, To, ExtractFileName(P));
  }
  S.List->RefreshItems();
  S.Other->RefreshItems();
  return true;
}

void ReportNotDeleted(const std::vector<std::string>& Failed) {
  if (Failed.empty()) return;
  std::string Text = LngStringOr("Not_deleted", "Not deleted:");
  for (const std::string& F : Failed) Text += "\n" + F;
  Tell(Text);
}

bool Delete(TSide& S) {
  const bool Recycle = Checked(&TSettings::CheckDel) || !Checked(&TSettings::CheckBox6);
  if (S.F->AskBox(Lng("Delete_files_query"), Lng("Delete_files"), MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
    return true;
  if (Recycle) {
    RecycleSelection(S.List);
    return true;
  }
  ReportNotDeleted(DeleteSelection(S.List));
  return true;
}

bool DeleteForGood(TSide& S) {
  if (S.F->Ask(Lng("Delete_files_query"), mtConfirmation, TMsgDlgButtons{mbYes, mbNo, mbCancel}) != mrYes)
    return true;
  ReportNotDeleted(DeleteSelection(S.List));
  return true;
}

bool AppendToPathBox(TSide& S, const std::string& Text) {
  std::string Box = S.F->PathBox->Text();
  S.F->PathBox->SetText(Box.empty() ? Text : Box + " " + Text);
  return true;
}

bool RunOptionProgram(TSide& S, TEdit* TSettings::*Edit, const std::string& Path) {
  std::string Program = OptionText(Edit);
  if (!Program.empty()) S.F->Launch(Program, Quoted(Path), "");
  return true;
}

bool PutIntoArchive(TSide& S) {
  S.F->ArcPage->ArchiveSideLeft = S.Left;
  S.F->ArcPage->ArcForm->LeftSide = S.Left;
  S.F->ArcPage->ArcForm->ShowModal();
  return true;
}

// The command menu's view: an archive is listed on this side, a selection of several
// shows its properties, pages go to the HTML page, pictures to the picture window, other
// files to the text viewer, a folder shows its properties.
void MenuView(TSide& S) {
  TPTShListData* Item = S.List->GetSelectedData();
  if (Item == nullptr) return;
  const std::string Path = Item->GetPath();
  if (!Item->IsFolder() && IsArchiveFile(Path))
    OpenArchiveInPanel(S.AView, Path);
  else
    View(S, Item, Path);
}

bool ListArchive(TSide& S, TPTShListData* Item, const std::string& Path) {
  if (!Item->IsFolder() && !Path.empty()) OpenArchiveInPanel(S.AView, Path);
  return true;
}

const TItemRow ItemRows[] = {
    {VK_NEXT, Ctrl, ListArchive},
    {VK_F1, Shift, [](TSide& S, TPTShListData*, const std::string&) { return PutIntoArchive(S); }},
    {VK_F2, Shift, [](TSide& S, TPTShListData* Item, const std::string& Path) {
       return IsArchiveFile(Path) && ListArchive(S, Item, Path);
     }},
    {VK_F3, CtrlShift, [](TSide&, TPTShListData* Item, const std::string& Path) {
       if (!Item->IsFolder()) ViewFile(Path);
       return true;
     }},
    {'0', Ctrl, [](TSide& S, TPTShListData*, const std::string&) {
       const TPoint P = S.F->CommandMenuPoint(S.Left);
       TPopupMenu* Menu = S.Left ? S.F->LM : S.F->RN;
       Menu->SetPopupComponent(S.List);
       Menu->Popup(P.X, P.Y);
       return true;
     }},
    {VK_F2, Ctrl, ToggleQuickView},
    {'Q', Ctrl, ToggleQuickView},
    {VK_F3, Alt, [](TSide& S, TPTShListData* Item, const std::string& Path) {
       if (!Item->IsFolder() && !Path.empty()) S.F->OleViewFile(Path);
       return true;
     }},
    {VK_F5, Alt, [](TSide& S, TPTShListData*, const std::string&) { return NewNames(S, false); }},
    {VK_F6, Shift, [](TSide& S, TPTShListData*, const std::string&) { return NewNames(S, true); }},
    {VK_F3, None, [](TSide& S, TPTShListData* Item, const std::string& Path) { return View(S, Item, Path); }},
    {VK_F4, CtrlAlt, [](TSide& S, TPTShListData* Item, const std::string& Path) {
       if (Item->IsFolder() || Path.empty()) return true;
       OpenFileInPanel(S.OtherPages, Path);
       return true;
     }},
    {VK_F4, None, [](TSide& S, TPTShListData* Item, const std::string& Path) {
       if (Item->IsFolder() || Path.empty()) return true;
       S.F->EditFile(Path);
       return true;
     }},
    {VK_RETURN, Ctrl, [](TSide& S, TPTShListData*, const std::string& Path) {
       return AppendToPathBox(S, ExtractFileName(Path));
     }},
    {VK_RETURN, CtrlShift, [](TSide& S, TPTShListData*, const std::string& Path) {
       return AppendToPathBox(S, ExtractFilePath(Path));
     }},
    {VK_F9, None, [](TSide&, TPTShListData* Item, const std::string& Path) {
       if (!Item->IsFolder()) PlayMediaFile(Path);
       return true;
     }},
    {VK_F5, None, [](TSide& S, TPTShListData*, const std::string&) { return CopyMove(S, false); }},
    {VK_F6, None, [](TSide& S, TPTShListData*, const std::string&) { return CopyMove(S, true); }},
    {VK_F8, None, [](TSide& S, TPTShListData*, const std::string&) { return Delete(S); }},
    {'J', Ctrl, [](TSide&, TPTShListData* Item, const std::string& Path) {
       if (!Item->IsFolder()) ShowInHexEditor(Path);
       return true;
     }},
    {VK_F4, Ctrl, [](TSide& S, TPTShListData*, const std::string& Path) {
       return RunOptionProgram(S, &TSettings::AltEditor, Path);
     }},
    {VK_F3, Ctrl, [](TSide& S, TPTShListData*, const std::string& Path) {
       return RunOptionProgram(S, &TSettings::AltViewer, Path);
     }},
    {VK_DELETE, Ctrl, [](TSide& S, TPTShListData*, const std::string&) { return DeleteForGood(S); }},
    {VK_F3, Shift, [](TSide& S, TPTShListData*, const std::string&) {
       Properties(S);
       return true;
     }},
    {VK_F5, Shift, [](TSide& S, TPTShListData*, const std::string&) {
       LinkSelection(S.List);
       return true;
     }},
};

}  // namespace

void TMainForm::LFKeyDown(TObject*, uint16_t& Key, TShiftState Shift) { PanelKeyDown(true, Key, Shift); }
void TMainForm::RFKeyDown(TObject*, uint16_t& Key, TShiftState Shift) { PanelKeyDown(false, Key, Shift); }

// A key the panel acted on is used up, so that the list does not act on it too (F5 would
// read the folder again after a copy, Space would select the focused item alone).
void TMainForm::PanelKeyDown(bool Left, uint16_t& Key, TShiftState Shift) {
  TSide S = SideOf(this, Left);
  const TShiftState M = Mods(Shift);
  try {
    for (const TKeyRow& R : KeyRows)
      if (Key >= R.From && Key <= R.To && M == R.Mods && R.Action(S, Key)) {
        Key = 0;
        return;
      }
    TPTShListData* Item = S.List->GetSelectedData();
    if (Item == nullptr) return;
    const std::string Path = Item->GetPath();
    for (const TItemRow& R : ItemRows)
      if (Key == R.Key && M == R.Mods && R.Action(S, Item, Path)) {
        Key = 0;
        return;
      }
  } catch (const std::exception&) {
    Key = 0;
    ShowLittleError();
  }
}

// Enter on an archive lists it on the panel's archive page when the options say so; the
// list would otherwise open it. Enter arrives as a character, so it is taken here.
void TMainForm::PanelKeyPress(bool Left, char& Key) {
  if (Key != '\r' || !Checked(&TSettings::CheckBox4)) return;
  if (Mods(KeyboardStateToShiftState()) != None) return;
  TPTShellList* List = Left ? LF : RF;
  TPTShListData* Item = List->GetSelectedData();
  if (Item == nullptr || List->SelCount() != 1) return;
  const std::string Path = Item->GetPath();
  if (Path.empty() || Item->IsFolder() || !IsArchiveFile(Path)) return;
  Key = 0;
  try {
    OpenArchiveInPanel(Left ? LAView : RAView, Path);
  } catch (const std::exception&) {
    ShowLittleError();
  }
}

void TMainForm::N35Click(TObject*) { PanelSelectByMask(true); }
void TMainForm::N37Click(TObject*) { PanelSelectByMask(false); }

void TMainForm::PanelSelectByMask(bool Left) {
  std::string Mask;
  if (MaskQuestion(this, Mask)) SelectByMask(Left ? LF : RF, Mask, true);
}

// ---------------------------------------------------------------------------------------
// The panels' menus

bool TMainForm::MenuSideLeft(TObject* Sender) const {
  if (auto* Item = dynamic_cast<TMenuItem*>(Sender)) {
    TMenu* Menu = Item->GetParentMenu();
    return Menu == LM || Menu == LMenu;
  }
  if (auto* Control = dynamic_cast<TControl*>(Sender)) return Control->Parent() == ToolBar3;
  return FActiveLeft;
}

TPoint TMainForm::CommandMenuPoint(bool Left) const {
  TPTShellList* List = Left ? LF : RF;
  const TPoint Origin = List->ClientToScreen(TPoint(0, 0));
  return TPoint(Origin.X + List->Width() / 3, Origin.Y + 100);
}

namespace {

// A menu command on one side's selection, ended by the little-error popup when it fails.
void OnSide(TMainForm* F, bool Left, const std::function<void(TSide&)>& Work) {
  TSide S = SideOf(F, Left);
  try {
    Work(S);
  } catch (const std::exception&) {
    ShowLittleError();
  }
}

}  // namespace

void TMainForm::PanelCopyClick(TObject* Sender) {
  OnSide(this, MenuSideLeft(Sender), [](TSide& S) {
    if (S.List->SelCount() > 0) CopyMove(S, false);
  });
}

void TMainForm::PanelMoveClick(TObject* Sender) {
  OnSide(this, MenuSideLeft(Sender), [](TSide& S) {
    if (S.List->SelCount() > 0) CopyMove(S, true);
  });
}

void TMainForm::PanelArchiveClick(TObject* Sender) {
  OnSide(this, MenuSideLeft(Sender), [](TSide& S) { PutIntoArchive(S); });
}

void TMainForm::LN73Click(TObject*) { OnSide(this, true, [](TSide& S) { NewNames(S, false); }); }
void TMainForm::RN78Click(TObject*) { OnSide(this, false, [](TSide& S) { NewNames(S, false); }); }
void TMainForm::N81Click(TObject*) { OnSide(this, true, [](TSide& S) { NewNames(S, true); }); }
void TMainForm::N82Click(TObject*) { OnSide(this, false, [](TSide& S) { NewNames(S, true); }); }

// The recycle bin takes the selection after the question that the shell would ask.
void TMainForm::PanelRecycleClick(TObject* Sender) {
  OnSide(this, MenuSideLeft(Sender), [](TSide& S) {
    if (S.List->SelCount() == 0) return;
    if (S.F->AskBox(Lng("Delete_files_query"), Lng("Delete_files"), MB_OKCANCEL | MB_ICONQUESTION) == IDOK)
      RecycleSelection(S.List);
  });
}

// A file is shown on the other side's text/picture page; folders are left alone.
void TMainForm::PanelEditClick(TObject* Sender) {
  OnSide(this, MenuSideLeft(Sender), [](TSide& S) {
    TPTShListData* Item = S.List->GetSelectedData();
    if (Item == nullptr || Item->IsFolder()) return;
    const std::string Path = Item->GetPath();
    if (!Path.empty()) OpenFileInPanel(S.OtherPages, Path);
  });
}

void TMainForm::PanelViewClick(TObject* Sender) { OnSide(this, MenuSideLeft(Sender), MenuView); }

void TMainForm::PanelSortClick(TObject* Sender) {
  auto* Item = dynamic_cast<TMenuItem*>(Sender);
  if (Item == nullptr || Item->Tag() == 0) return;
  (MenuSideLeft(Sender) ? LF : RF)->SetSortColumn(int(Item->Tag()));
}

void TMainForm::PanelNewFolderClick(TObject* Sender) {
  OnSide(this, MenuSideLeft(Sender), [](TSide& S) { S.List->CreateNewFolder(true); });
}

void TMainForm::PanelCancelMaskClick(TObject* Sender) { (MenuSideLeft(Sender) ? LF : RF)->SetFileFilter("*.*"); }

void TMainForm::PanelRefreshClick(TObject* Sender) {
  TPTShellList* List = MenuSideLeft(Sender) ? LF : RF;
  List->Repaint();
  List->RefreshItems();
}

void TMainForm::PanelSpecialFolderClick(TObject* Sender) {
  auto* C = dynamic_cast<TComponent*>(Sender);
  if (C == nullptr) return;
  const bool Left = MenuSideLeft(Sender);
  OnSide(this, Left, [C](TSide& S) { S.List->Folder()->SetSpecialFolder(int(C->Tag())); });
}
