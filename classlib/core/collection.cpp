#include "classlib/core/collection.h"

#include <algorithm>

namespace {
[[noreturn]] void IndexError(int Index) {
  throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}
}  // namespace

// ---- TCollectionItem ----

const TClassInfo* TCollectionItem::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TCollectionItem, TPersistent>("TCollectionItem").Build();
  return &Info;
}

TCollectionItem::TCollectionItem(TCollection* Collection) { SetCollection(Collection); }

TCollectionItem::~TCollectionItem() { SetCollection(nullptr); }

void TCollectionItem::SetCollection(TCollection* Value) {
  if (FCollection == Value) return;
  if (FCollection != nullptr) FCollection->RemoveItem(this);
  if (Value != nullptr) Value->InsertItem(this);
}

TPersistent* TCollectionItem::GetOwner() const { return FCollection; }

int TCollectionItem::Index() const {
  if (FCollection == nullptr) return -1;
  auto& Items = FCollection->FItems;
  return int(std::find(Items.begin(), Items.end(), this) - Items.begin());
}

void TCollectionItem::SetIndex(int Value) {
  int Current = Index();
  if (Current < 0 || Current == Value) return;
  auto& Items = FCollection->FItems;
  if (Value < 0 || Value >= int(Items.size())) IndexError(Value);
  Items.erase(Items.begin() + Current);
  Items.insert(Items.begin() + Value, this);
  Changed(true);
}

std::string TCollectionItem::DisplayName() const { return ClassName(); }

void TCollectionItem::SetDisplayName(const std::string&) { Changed(false); }

void TCollectionItem::Changed(bool AllItems) {
  if (FCollection != nullptr && FCollection->FUpdateCount == 0)
    FCollection->Update(AllItems ? nullptr : this);
}

// ---- TCollection ----

const TClassInfo* TCollection::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TCollection, TPersistent>("TCollection").Build();
  return &Info;
}

TCollection::TCollection(const TClassInfo* ItemClass, TPersistent* Owner)
    : FItemClass(ItemClass != nullptr ? ItemClass : TCollectionItem::StaticClassInfo()),
      FOwner(Owner) {}

TCollection::~TCollection() {
  FUpdateCount = 1;  // no updates while the items go
  Clear();
}

TCollectionItem* TCollection::Add() {
  // The item joins the list from its base constructor, before its own members exist: the
  // update that lets owners read it comes once it is whole.
  ++FUpdateCount;
  TCollectionItem* Item = nullptr;
  try {
    Item = FItemClass->CreateCollectionItem(this);
  } catch (...) {
    --FUpdateCount;
    throw;
  }
  --FUpdateCount;
  Changed();
  return Item;
}

TCollectionItem* TCollection::Insert(int Index) {
  if (Index < 0 || Index > Count()) IndexError(Index);
  TCollectionItem* Item = Add();
  Item->SetIndex(Index);
  return Item;
}

void TCollection::Delete(int Index) {
  TCollectionItem* Item = Items(Index);
  Notify(Item, cnDeleting);
  delete Item;
}

void TCollection::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  while (!FItems.empty()) delete FItems.back();
  EndUpdate();
}

TCollectionItem* TCollection::Items(int Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  return FItems[size_t(Index)];
}

TCollectionItem* TCollection::FindItemID(int ID) const {
  for (TCollectionItem* Item : FItems)
    if (Item->FID == ID) return Item;
  return nullptr;
}

void TCollection::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  Changed();
}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::Update(TCollectionItem*) {}

void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::Assign(const TPersistent* Source) {
  auto* Other = dynamic_cast<const TCollection*>(Source);
  if (Other == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  if (Other == this) return;
  BeginUpdate();
  try {
    Clear();
    for (TCollectionItem* Item : Other->FItems) Add()->Assign(Item);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TCollection::InsertItem(TCollectionItem* Item) {
  FItems.push_back(Item);
  Item->FCollection = this;
  Item->FID = FNextID++;
  Notify(Item, cnAdded);
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item) {
  Notify(Item, cnExtracting);
  FItems.erase(std::find(FItems.begin(), FItems.end(), Item));
  Item->FCollection = nullptr;
  Changed();
}
