// Menus: the main menu of a form, popup menus, and their items with shortcuts.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "classlib/core/component.h"
#include "classlib/core/short_cut.h"
#include "classlib/core/typinfo.h"
#include "classlib/win/image_list.h"
#include "classlib/win/controls.h"

class TMenu;
class TCustomImageList;

class TMenuItem : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  // Placing by a form resource: in a menu, or under another item.
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* AParent) override;

  // "&File" underlines F; "-" is a separator.
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  // Checking a radio item unchecks the other radio items of its group under the same parent.
  bool RadioItem() const { return FRadioItem; }
  void SetRadioItem(bool Value);
  int GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int Value);
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value) { FHint = Value; }
  bool AutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(bool Value) { FAutoCheck = Value; }
  bool IsLine() const { return FCaption == "-"; }

  int Count() const { return int(FItems.size()); }
  TMenuItem* Items(int Index) const { return FItems.at(Index); }
  TMenuItem* Parent() const { return FParent; }
  int IndexOf(const TMenuItem* Item) const;
  int MenuIndex() const { return FParent != nullptr ? FParent->IndexOf(this) : -1; }
  void Add(TMenuItem* Item);
  void Insert(int Index, TMenuItem* Item);
  void Remove(TMenuItem* Item);
  void Delete(int Index);  // deletes the item
  void Clear();            // deletes every item
  TMenuItem* Find(const std::string& ACaption) const;  // ignores "&"
  // The menu the item belongs to (through its parents).
  TMenu* GetParentMenu() const;
  UINT Command() const { return FCommand; }

  virtual void Click();

  TNotifyEvent OnClick;

protected:
  friend class TMenu;
  void Changed();

private:
  std::string FCaption;
  bool FChecked = false;
  bool FEnabled = true;
  bool FVisible = true;
  bool FDefault = false;
  bool FRadioItem = false;
  bool FAutoCheck = false;
  int FGroupIndex = 0;
  TShortCut FShortCut = scNone;
  int FImageIndex = -1;
  std::string FHint;
  std::vector<TMenuItem*> FItems;
  TMenuItem* FParent = nullptr;
  TMenu* FMenu = nullptr;  // set on a menu's root item
  UINT FCommand = 0;
};

class TMenu : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;

  TMenuItem* Items() const { return FItems; }
  // The items' images by their ImageIndex, shown beside the captions; the menu follows the
  // list's changes and lets go of it when it is freed.
  TCustomImageList* Images() const { return FImages.List(); }
  void SetImages(TCustomImageList* Value) { FImages.SetList(Value); }
  // A menu handle with the current items (rebuilt after each change).
  HMENU Handle();
  // An enabled, visible item with this shortcut is clicked: true. Disabled items and
  // items under disabled parents do not count.
  bool IsShortCut(TShortCut SC);
  // The item of a WM_COMMAND id; false when it is none of this menu's items.
  bool DispatchCommand(UINT Command);
  TMenuItem* FindItem(UINT Command) const;

protected:
  friend class TMenuItem;
  virtual void MenuChanged();
  virtual HMENU CreateMenuHandle() = 0;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DestroyMenuHandle();
  HMENU FHandle = nullptr;
  // The item images of the menu handle, freed with it.
  std::vector<HBITMAP> FBitmaps;

private:
  void AppendItems(HMENU Menu, const TMenuItem* Parent);
  HBITMAP ItemBitmap(const TMenuItem* Item);
  TMenuItem* FItems;
  TChangeLink FImages{this, [this] { MenuChanged(); }};
};

// The menu bar of a form (TForm::Menu).
class TMainMenu : public TMenu {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TMainMenu(TComponent* AOwner);

  // The window whose menu bar this is (set by the form).
  void SetWindow(HWND Wnd);

protected:
  HMENU CreateMenuHandle() override;
  void MenuChanged() override;

private:
  HWND FWindow = nullptr;
};

class TPopupMenu : public TMenu {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TPopupMenu(TComponent* AOwner);

  // Shows the menu at a screen point and runs the chosen item.
  virtual void Popup(int X, int Y);
  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool Value) { FAutoPopup = Value; }
  // The control the menu was opened for.
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* Value) { FPopupComponent = Value; }

  TNotifyEvent OnPopup;

protected:
  HMENU CreateMenuHandle() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  bool FAutoPopup = true;
  TComponent* FPopupComponent = nullptr;
};

// The item of any menu of the program by its WM_COMMAND id; nullptr when none.
TMenuItem* FindMenuItemByCommand(UINT Command);
