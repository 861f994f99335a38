#include "classlib/win/menus.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "classlib/win/application.h"
#include "classlib/win/forms.h"
#include "classlib/win/menu_notify.h"
#include "classlib/win/wide_string.h"

namespace {

std::unordered_map<UINT, TMenuItem*>& CommandMap() {
  static std::unordered_map<UINT, TMenuItem*> Map;
  return Map;
}

UINT NewCommand() {
  // Ids below 100 are left to dialogs (IDOK...); 0xF000 and up are system commands.
  static UINT Next = 100;
  for (int Tries = 0; Tries < 0xEF00; ++Tries) {
    UINT Id = Next++;
    if (Next >= 0xF000) Next = 100;
    if (CommandMap().find(Id) == CommandMap().end()) return Id;
  }
  throw EOutOfResources("No free menu command ids");
}

std::string StripAmpersands(const std::string& S) {
  std::string Out;
  for (size_t I = 0; I < S.size(); ++I) {
    if (S[I] == '&') {
      if (I + 1 < S.size() && S[I + 1] == '&') Out += '&', ++I;
      continue;
    }
    Out += S[I];
  }
  return Out;
}

}  // namespace


TMenuItem* FindMenuItemByCommand(UINT Command) {
  auto It = CommandMap().find(Command);
  return It == CommandMap().end() ? nullptr : It->second;
}

// ---------------------------------------------------------------------------------------
// TMenuItem

const TClassInfo* TMenuItem::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TMenuItem, TComponent>("TMenuItem")
          .Prop("Caption", [](const TMenuItem& M) { return M.Caption(); }, &TMenuItem::SetCaption)
          .Prop("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked)
          .Prop("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled)
          .Prop("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible)
          .Prop("Default", &TMenuItem::Default, &TMenuItem::SetDefault)
          .Prop("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem)
          .Prop("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex)
          .Prop("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut)
          .Prop("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex)
          .Prop("Hint", [](const TMenuItem& M) { return M.Hint(); }, &TMenuItem::SetHint)
          .Prop("AutoCheck", &TMenuItem::AutoCheck, &TMenuItem::SetAutoCheck)
          .Prop("OnClick", &TMenuItem::OnClick)
          .Build();
  return &Info;
}

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner), FCommand(NewCommand()) {
  CommandMap()[FCommand] = this;
}

TMenuItem::~TMenuItem() {
  CommandMap().erase(FCommand);
  while (!FItems.empty()) {
    TMenuItem* Last = FItems.back();
    FItems.pop_back();
    Last->FParent = nullptr;
    // Items owned by no component belong to their parent item.
    if (Last->Owner() == nullptr) delete Last;
  }
  if (FParent != nullptr) FParent->Remove(this);
}

TComponent* TMenuItem::GetParentComponent() const {
  if (FParent != nullptr && FParent->FMenu != nullptr) return FParent->FMenu;
  return FParent;
}

void TMenuItem::SetParentComponent(TComponent* AParent) {
  if (auto* M = dynamic_cast<TMenu*>(AParent))
    M->Items()->Add(this);
  else if (auto* I = dynamic_cast<TMenuItem*>(AParent))
    I->Add(this);
  else
    throw EInvalidOperation("a menu item belongs in a menu or a menu item");
}

void TMenuItem::Changed() {
  if (TMenu* M = GetParentMenu()) M->MenuChanged();
}

void TMenuItem::SetCaption(const std::string& Value) {
  FCaption = Value;
  Changed();
}

void TMenuItem::SetChecked(bool Value) {
  if (Value == FChecked) return;
  FChecked = Value;
  if (Value && FRadioItem && FParent != nullptr)
    for (TMenuItem* Other : FParent->FItems)
      if (Other != this && Other->FRadioItem && Other->FGroupIndex == FGroupIndex) Other->FChecked = false;
  Changed();
}

void TMenuItem::SetEnabled(bool Value) {
  FEnabled = Value;
  Changed();
}

void TMenuItem::SetVisible(bool Value) {
  FVisible = Value;
  Changed();
}

void TMenuItem::SetDefault(bool Value) {
  FDefault = Value;
  Changed();
}

void TMenuItem::SetRadioItem(bool Value) {
  FRadioItem = Value;
  Changed();
}

void TMenuItem::SetGroupIndex(int Value) {
  FGroupIndex = Value;
  Changed();
}

void TMenuItem::SetShortCut(TShortCut Value) {
  FShortCut = Value;
  Changed();
}

void TMenuItem::SetImageIndex(int Value) {
  FImageIndex = Value;
  Changed();
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
  auto It = std::find(FItems.begin(), FItems.end(), Item);
  return It == FItems.end() ? -1 : int(It - FItems.begin());
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (Item == nullptr || Item == this) throw EInvalidOperation("Invalid menu item");
  for (TMenuItem* P = this; P != nullptr; P = P->FParent)
    if (P == Item) throw EInvalidOperation("A menu item cannot contain itself");
  if (Item->FParent != nullptr) Item->FParent->Remove(Item);
  Index = std::clamp(Index, 0, Count());
  FItems.insert(FItems.begin() + Index, Item);
  Item->FParent = this;
  Changed();
}

void TMenuItem::Remove(TMenuItem* Item) {
  auto It = std::find(FItems.begin(), FItems.end(), Item);
  if (It == FItems.end()) return;
  FItems.erase(It);
  Item->FParent = nullptr;
  Changed();
}

void TMenuItem::Delete(int Index) {
  TMenuItem* Item = FItems.at(Index);
  Remove(Item);
  delete Item;
}

void TMenuItem::Clear() {
  while (!FItems.empty()) Delete(Count() - 1);
}

TMenuItem* TMenuItem::Find(const std::string& ACaption) const {
  std::string Want = StripAmpersands(ACaption);
  for (TMenuItem* I : FItems)
    if (StripAmpersands(I->FCaption) == Want) return I;
  return nullptr;
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* I = this;
  while (I->FParent != nullptr) I = I->FParent;
  return I->FMenu;
}

void TMenuItem::Click() {
  if (FAutoCheck) SetChecked(!FChecked);
  if (OnClick) OnClick(this);
}

// ---------------------------------------------------------------------------------------
// TMenu

const TClassInfo* TMenu::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TMenu, TComponent>("TMenu").Prop("Images", &TMenu::Images, &TMenu::SetImages).Build();
  return &Info;
}

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(nullptr)) { FItems->FMenu = this; }

TMenu::~TMenu() {
  DestroyMenuHandle();
  // The root item is ours; items owned by the form are deleted by the form.
  for (int I = FItems->Count() - 1; I >= 0; --I) FItems->Items(I)->FParent = nullptr;
  FItems->FItems.clear();
  FItems->FMenu = nullptr;
  delete FItems;
}

void TMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove) FImages.Removed(AComponent);
}

void TMenu::DestroyMenuHandle() {
  if (FHandle != nullptr) {
    DestroyMenu(FHandle);
    FHandle = nullptr;
  }
  for (HBITMAP B : FBitmaps) DeleteObject(B);
  FBitmaps.clear();
}

// The item's image on the menu's background, for the menu to show beside the caption;
// nullptr when the item has none.
HBITMAP TMenu::ItemBitmap(const TMenuItem* Item) {
  TCustomImageList* List = FImages.List();
  if (List == nullptr || Item->ImageIndex() < 0 || Item->ImageIndex() >= List->Count()) return nullptr;
  BITMAPINFO Info{};
  Info.bmiHeader.biSize = sizeof Info.bmiHeader;
  Info.bmiHeader.biWidth = List->Width();
  Info.bmiHeader.biHeight = List->Height();
  Info.bmiHeader.biPlanes = 1;
  Info.bmiHeader.biBitCount = 24;  // no alpha channel: the menu copies it as it is
  void* Bits = nullptr;
  HBITMAP Bitmap = CreateDIBSection(nullptr, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0);
  if (Bitmap == nullptr) return nullptr;
  HDC DC = CreateCompatibleDC(nullptr);
  HGDIOBJ Old = SelectObject(DC, Bitmap);
  RECT R{0, 0, List->Width(), List->Height()};
  FillRect(DC, &R, GetSysColorBrush(COLOR_MENU));
  ImageList_Draw(List->Handle(), Item->ImageIndex(), DC, 0, 0, ILD_TRANSPARENT);
  SelectObject(DC, Old);
  DeleteDC(DC);
  FBitmaps.push_back(Bitmap);
  return Bitmap;
}

void TMenu::MenuChanged() { DestroyMenuHandle(); }

namespace {

TMenuItem* FindShortCut(TMenuItem* Parent, TShortCut SC) {
  for (int I = 0; I < Parent->Count(); ++I) {
    TMenuItem* Item = Parent->Items(I);
    if (!Item->Visible() || !Item->Enabled()) continue;
    if (Item->ShortCut() == SC && Item->Count() == 0) return Item;
    if (TMenuItem* Found = FindShortCut(Item, SC)) return Found;
  }
  return nullptr;
}

bool ContainsItem(const TMenuItem* Parent, const TMenuItem* Item) {
  for (const TMenuItem* I = Item; I != nullptr; I = I->Parent())
    if (I == Parent) return true;
  return false;
}

}  // namespace

void TMenu::AppendItems(HMENU Menu, const TMenuItem* Parent) {
  for (int I = 0; I < Parent->Count(); ++I) {
    const TMenuItem* Item = Parent->Items(I);
    if (!Item->Visible()) continue;
    if (Item->IsLine()) {
      AppendMenuW(Menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    std::string Text = Item->Caption();
    if (Item->ShortCut() != scNone) Text += "\t" + ShortCutToText(Item->ShortCut());
    std::wstring W = ToWide(Text);
    MENUITEMINFOW MI{};
    MI.cbSize = sizeof MI;
    MI.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
    MI.fType = Item->RadioItem() ? MFT_RADIOCHECK : 0;
    MI.fState = (Item->Enabled() ? 0 : MFS_GRAYED) | (Item->Checked() ? MFS_CHECKED : 0) |
                (Item->Default() ? MFS_DEFAULT : 0);
    MI.wID = Item->Command();
    MI.dwTypeData = W.data();
    if (HBITMAP Image = ItemBitmap(Item)) {
      MI.fMask |= MIIM_BITMAP;
      MI.hbmpItem = Image;
    }
    if (Item->Count() > 0) {
      MI.fMask |= MIIM_SUBMENU;
      MI.hSubMenu = CreatePopupMenu();
      AppendItems(MI.hSubMenu, Item);
    }
    InsertMenuItemW(Menu, GetMenuItemCount(Menu), TRUE, &MI);
  }
}

HMENU TMenu::Handle() {
  if (FHandle == nullptr) {
    FHandle = CreateMenuHandle();
    AppendItems(FHandle, FItems);
  }
  return FHandle;
}

bool TMenu::IsShortCut(TShortCut SC) {
  if (SC == scNone) return false;
  TMenuItem* Item = FindShortCut(FItems, SC);
  if (Item == nullptr) return false;
  Item->Click();
  return true;
}

TMenuItem* TMenu::FindItem(UINT Command) const {
  TMenuItem* Item = FindMenuItemByCommand(Command);
  return Item != nullptr && ContainsItem(FItems, Item) ? Item : nullptr;
}

bool TMenu::DispatchCommand(UINT Command) {
  TMenuItem* Item = FindItem(Command);
  if (Item == nullptr) return false;
  Item->Click();
  return true;
}

// ---------------------------------------------------------------------------------------
// TMainMenu

const TClassInfo* TMainMenu::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TMainMenu, TMenu>("TMainMenu").Build();
  return &Info;
}

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}

HMENU TMainMenu::CreateMenuHandle() { return CreateMenu(); }

void TMainMenu::SetWindow(HWND Wnd) {
  FWindow = Wnd;
  if (Wnd != nullptr) {
    ::SetMenu(Wnd, Handle());
    DrawMenuBar(Wnd);
  }
}

void TMainMenu::MenuChanged() {
  if (FWindow != nullptr && IsWindow(FWindow) && !ComponentState().Contains(csLoading)) {
    // The window shows the old menu until it has the new one.
    HMENU Old = FHandle;
    std::vector<HBITMAP> OldBitmaps = std::move(FBitmaps);
    FBitmaps.clear();
    FHandle = nullptr;
    ::SetMenu(FWindow, Handle());
    SendMessageW(FWindow, CM_MENUCHANGED, 0, 0);
    DrawMenuBar(FWindow);
    if (Old != nullptr) DestroyMenu(Old);
    for (HBITMAP B : OldBitmaps) DeleteObject(B);
  } else {
    DestroyMenuHandle();
  }
}

// ---------------------------------------------------------------------------------------
// TPopupMenu

const TClassInfo* TPopupMenu::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TPopupMenu, TMenu>("TPopupMenu")
                                     .Prop("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup)
                                     .Prop("OnPopup", &TPopupMenu::OnPopup)
                                     .Build();
  return &Info;
}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

HMENU TPopupMenu::CreateMenuHandle() { return CreatePopupMenu(); }

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TMenu::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupComponent) FPopupComponent = nullptr;
}

void TPopupMenu::Popup(int X, int Y) {
  if (OnPopup) OnPopup(this);
  DestroyMenuHandle();  // the items' state may have changed in OnPopup
  HWND Owner = nullptr;
  if (auto* C = dynamic_cast<TControl*>(FPopupComponent))
    if (TCustomForm* F = GetParentForm(C); F != nullptr && F->HandleAllocated()) Owner = F->Handle();
  if (Owner == nullptr && Application != nullptr) Owner = Application->Handle();
  UINT Cmd = TrackPopupMenuEx(Handle(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, X, Y, Owner, nullptr);
  if (Cmd != 0) DispatchCommand(Cmd);
}
