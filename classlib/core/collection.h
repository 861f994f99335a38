// TCollection: an ordered, owned list of items of one item class (status-bar panels,
// list-view columns). Items publish their own properties; form resources and the settings
// storage reach them through the property registry.
//
// An item class derives from TCollectionItem, has a constructor taking the collection, and
// registers its class info like any persistent class; the collection is created with that
// class info and makes its items through it.
#pragma once

#include <string>
#include <vector>

#include "classlib/core/typinfo.h"

class TCollection;

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  // Joins Collection (when given) as its last item; the collection then owns it.
  explicit TCollectionItem(TCollection* Collection);
  ~TCollectionItem() override;  // leaves the collection

  TCollection* Collection() const { return FCollection; }
  void SetCollection(TCollection* Value);
  TPersistent* GetOwner() const override;
  // Unique within the collection, never reused; kept when the item moves.
  int ID() const { return FID; }
  int Index() const;
  virtual void SetIndex(int Value);  // moves the item; EListError out of range
  virtual std::string DisplayName() const;  // the class name unless an item class says better
  virtual void SetDisplayName(const std::string& Value);

protected:
  // Tells the collection: this item changed, or (AllItems) the whole list did.
  void Changed(bool AllItems);

private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  int FID = 0;
};

class TCollection : public TPersistent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  // ItemClass: a TCollectionItem descendant; Owner: the object the collection belongs to.
  explicit TCollection(const TClassInfo* ItemClass, TPersistent* Owner = nullptr);
  ~TCollection() override;

  const TClassInfo* ItemClass() const { return FItemClass; }
  TPersistent* GetOwner() const override { return FOwner; }

  TCollectionItem* Add();
  TCollectionItem* Insert(int Index);
  void Delete(int Index);
  void Clear();
  int Count() const { return int(FItems.size()); }
  TCollectionItem* Items(int Index) const;  // EListError out of range
  TCollectionItem* FindItemID(int ID) const;

  // Update() runs once when the outermost EndUpdate() comes, not for each change inside.
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  // From another collection: the items are replaced by new ones assigned from its items.
  void Assign(const TPersistent* Source) override;

protected:
  // After a change outside an update bracket: Item is the item that changed, nullptr when
  // the list itself (or every item) did.
  virtual void Update(TCollectionItem* Item);
  virtual void Notify(TCollectionItem* Item, TCollectionNotification Action);
  void Changed();

private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item);

  const TClassInfo* FItemClass;
  TPersistent* FOwner;
  std::vector<TCollectionItem*> FItems;
  int FUpdateCount = 0;
  int FNextID = 0;
};
