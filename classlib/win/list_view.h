// The list view base: report style with columns, items whose texts and images are asked
// for when shown (callbacks), custom sort, label editing, custom draw and drop highlight.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <vector>

#include "classlib/core/collection.h"
#include "classlib/core/strings.h"
#include "classlib/win/controls.h"
#include "classlib/win/image_list.h"
#include "classlib/win/std_ctrls.h"

class TCustomListView;
class TListItems;

class TListColumn : public TCollectionItem {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TListColumn(TCollection* Collection);

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  int Width() const;
  void SetWidth(int Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);

private:
  friend class TCustomListView;
  std::string FCaption;
  int FWidth = 50;
  TAlignment FAlignment = taLeftJustify;
};

class TListColumns : public TCollection {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TListColumns(TCustomListView* Owner);
  TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
  TListColumn* Items(int Index) const { return static_cast<TListColumn*>(TCollection::Items(Index)); }

protected:
  void Update(TCollectionItem* Item) override;

private:
  TCustomListView* FOwner;
};

class TListItem : public TPersistent {
public:
  TListItem(TListItems* Owner);
  ~TListItem() override;

  TCustomListView* ListView() const;
  int Index() const;
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  TStrings* SubItems() { return &FSubItems; }
  void* Data() const { return FData; }
  void SetData(void* Value) { FData = Value; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  int OverlayIndex() const { return FOverlayIndex; }
  void SetOverlayIndex(int Value);
  bool Selected() const;
  void SetSelected(bool Value);
  bool Focused() const;
  void SetFocused(bool Value);
  bool Cut() const;
  void SetCut(bool Value);
  bool DropTarget() const;
  void SetDropTarget(bool Value);
  TRect DisplayRect(int Code = LVIR_BOUNDS) const;
  // Starts editing the label in place.
  bool EditCaption();
  void MakeVisible();
  void Update();  // redraws the item (texts are asked for again)
  void Delete();

private:
  friend class TListItems;
  friend class TCustomListView;
  bool State(UINT Mask) const;
  void SetState(UINT Mask, bool On);
  TListItems* FOwner;
  std::string FCaption;
  TStringList FSubItems;
  void* FData = nullptr;
  int FImageIndex = -1;
  int FOverlayIndex = -1;
  UINT FStates = 0;  // kept while the control has no window
};

class TListItems : public TPersistent {
public:
  explicit TListItems(TCustomListView* Owner);
  ~TListItems() override;

  TCustomListView* Owner() const { return FOwner; }
  int Count() const { return int(FItems.size()); }
  TListItem* Item(int Index) const { return FItems.at(Index).get(); }
  TListItem* operator[](int Index) const { return Item(Index); }
  TListItem* Add();
  TListItem* Insert(int Index);
  void Delete(int Index);
  void Clear();
  void BeginUpdate();
  void EndUpdate();
  int IndexOf(const TListItem* Item) const;

private:
  friend class TCustomListView;
  friend class TListItem;
  void InsertIntoControl(TListItem* Item, int Index);
  TCustomListView* FOwner;
  std::vector<std::unique_ptr<TListItem>> FItems;
  int FUpdateCount = 0;
  bool FClearing = false;
};

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
template <> const TTypeInfo* TypeInfoOf<TViewStyle>();
enum TItemChange { ctText, ctImage, ctState };

// Negative when Item1 sorts before Item2.
using TLVCompare = std::function<int(TListItem* Item1, TListItem* Item2)>;
using TLVCompareEvent = std::function<void(TObject* Sender, TListItem* Item1, TListItem* Item2, int Data, int& Compare)>;
using TLVEditingEvent = std::function<void(TObject* Sender, TListItem* Item, bool& AllowEdit)>;
using TLVEditedEvent = std::function<void(TObject* Sender, TListItem* Item, std::string& S)>;
using TLVDeletedEvent = std::function<void(TObject* Sender, TListItem* Item)>;
using TLVChangeEvent = std::function<void(TObject* Sender, TListItem* Item, TItemChange Change)>;
using TLVColumnClickEvent = std::function<void(TObject* Sender, TListColumn* Column)>;
using TLVSelectItemEvent = std::function<void(TObject* Sender, TListItem* Item, bool Selected)>;

class TCustomListView : public TWinControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TCustomListView(TComponent* AOwner);
  ~TCustomListView() override;

  TListItems* Items() const { return FItems.get(); }
  TListColumns* Columns() const { return FColumns.get(); }
  TViewStyle ViewStyle() const { return FViewStyle; }
  void SetViewStyle(TViewStyle Value);
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool Value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  bool RowSelect() const { return FRowSelect; }
  void SetRowSelect(bool Value);
  bool GridLines() const { return FGridLines; }
  void SetGridLines(bool Value);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value);
  bool ColumnClick() const { return FColumnClick; }
  void SetColumnClick(bool Value);
  bool ShowColumnHeaders() const { return FShowColumnHeaders; }
  void SetShowColumnHeaders(bool Value);
  // Icons are kept arranged in the icon views.
  bool AutoArrange() const { return FAutoArrange; }
  void SetAutoArrange(bool Value);
  // Room for this many items is made at once (the control's item count hint).
  int AllocBy() const { return FAllocBy; }
  void SetAllocBy(int Value);
  // The image lists shown (small icons and report view, large icons, item states); the
  // list view follows their changes and never destroys them or their handles.
  TCustomImageList* SmallImages() const { return FSmallImages.List(); }
  void SetSmallImages(TCustomImageList* Value) { FSmallImages.SetList(Value); }
  TCustomImageList* LargeImages() const { return FLargeImages.List(); }
  void SetLargeImages(TCustomImageList* Value) { FLargeImages.SetList(Value); }
  TCustomImageList* StateImages() const { return FStateImages.List(); }
  void SetStateImages(TCustomImageList* Value) { FStateImages.SetList(Value); }

  TListItem* Selected() const;
  TListItem* ItemFocused() const;
  TListItem* GetItemAt(int X, int Y) const;
  TListItem* GetNextItem(TListItem* Start, UINT Flags) const;  // LVNI_* flags
  int SelCount() const;
  TListItem* DropTarget() const;
  bool IsEditing() const;

  // Sorts with Compare; the items' order in Items follows.
  void CustomSort(const TLVCompare& Compare);
  // Sorts by OnCompare when assigned, else by caption.
  void AlphaSort();

  void WndProc(TMessage& Message) override;

  TLVEditingEvent OnEditing;
  TLVEditedEvent OnEdited;
  TLVDeletedEvent OnDeletion;
  TLVDeletedEvent OnInsert;
  TLVChangeEvent OnChange;
  TLVColumnClickEvent OnColumnClick;
  TLVCompareEvent OnCompare;
  TLVSelectItemEvent OnSelectItem;

protected:
  friend class TListItems;
  friend class TListItem;
  friend class TListColumns;
  void CreateParams(TCreateParams& Params) override;
  void InitWnd() override;
  void DestroyWnd() override;
  void ColorChanged() override;
  void FontChanged() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The text and image of an item as the control asks for them (LVN_GETDISPINFO): by
  // default the caption or sub-item, and the ImageIndex.
  virtual void GetDispInfo(TListItem* Item, NMLVDISPINFOW& Info);
  // NM_CUSTOMDRAW: Result is what the control gets (CDRF_DODEFAULT unless changed).
  virtual void CustomDraw(NMLVCUSTOMDRAW& Draw, LRESULT& Result);
  // Before an item enters the control: its data and states may be set here, cheaply.
  virtual void InitItem(TListItem* Item) {}
  virtual void InsertItem(TListItem* Item);
  virtual void Delete(TListItem* Item);
  virtual void ColClick(TListColumn* Column);
  virtual bool CanEdit(TListItem* Item);
  virtual void Edit(const LVITEMW& Item);
  void UpdateColumns();
  TListItem* ItemOfIndex(int Index) const;
  TListItem* ItemOfParam(LPARAM Param) const { return reinterpret_cast<TListItem*>(Param); }
  // Item fields set without redrawing (while the control asks for the item's text, or
  // before the item enters the control).
  static void SetItemCaption(TListItem* Item, std::string Value) { Item->FCaption = std::move(Value); }
  static void SetItemOverlay(TListItem* Item, int Overlay) { Item->FOverlayIndex = Overlay; }
  static void SetItemStates(TListItem* Item, UINT States) { Item->FStates = States; }

private:
  void SetExStyles();
  std::unique_ptr<TListItems> FItems;
  std::unique_ptr<TListColumns> FColumns;
  TViewStyle FViewStyle = vsIcon;
  bool FMultiSelect = false;
  bool FReadOnly = false;
  bool FRowSelect = false;
  bool FGridLines = false;
  bool FHideSelection = true;
  bool FColumnClick = true;
  bool FShowColumnHeaders = true;
  bool FAutoArrange = false;
  int FAllocBy = 0;
  void ImageListChanged(int Which, const TChangeLink& Link);
  TChangeLink FSmallImages{this, [this] { ImageListChanged(LVSIL_SMALL, FSmallImages); }};
  TChangeLink FLargeImages{this, [this] { ImageListChanged(LVSIL_NORMAL, FLargeImages); }};
  TChangeLink FStateImages{this, [this] { ImageListChanged(LVSIL_STATE, FStateImages); }};
  std::wstring FDispText;  // holds the text handed to the control until it copies it
};

class TListView : public TCustomListView {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  using TCustomListView::TCustomListView;
};
