// TComponent: a named object owned by another component, deleted with its owner.
//
// A component created with an owner belongs to it: create it with new and let the owner
// delete it (in reverse order of creation), or delete it earlier yourself. Components that
// refer to components of other owners ask for FreeNotification and clear their reference
// in Notification(…, opRemove).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "classlib/core/typinfo.h"

enum TComponentStateItem {
  csLoading,      // being loaded from a form resource; Loaded() ends it
  csReading,      // its properties are being read
  csWriting,
  csDestroying,   // being deleted: set before its owned components go
  csDesigning,
  csAncestor,
  csUpdating,
  csFixups,
  csFreeNotification,  // has asked for or given free notifications
  csInline,
  csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;
template <> const TTypeInfo* TypeInfoOf<TComponentStateItem>();

enum TOperation { opInsert, opRemove };
template <> const TTypeInfo* TypeInfoOf<TOperation>();

class TComponent : public TPersistent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;

  TComponent* Owner() const { return FOwner; }
  TPersistent* GetOwner() const override { return FOwner; }

  // A valid identifier or empty; unique (case-insensitively) among the owner's components.
  const std::string& Name() const { return FName; }
  virtual void SetName(const std::string& NewName);
  int32_t Tag() const { return FTag; }
  void SetTag(int32_t Value) { FTag = Value; }

  int ComponentCount() const { return int(FComponents.size()); }
  TComponent* Components(int Index) const;  // EListError out of range
  int ComponentIndex() const;               // the position in the owner's list, -1 without one
  TComponent* FindComponent(std::string_view AName) const;  // case-insensitive; nullptr if none
  void InsertComponent(TComponent* AComponent);  // takes it from its previous owner
  void RemoveComponent(TComponent* AComponent);  // gives it up without deleting it
  void DestroyComponents();                      // deletes the owned components, last first

  TComponentState ComponentState() const { return FComponentState; }
  // The form loader brackets a component's reading with BeginLoading() and Loaded().
  void BeginLoading();
  virtual void Loaded();
  // Marks the component (and its owned ones) as being deleted; a derived destructor that
  // must tell its subcomponents so calls it first.
  void Destroying();
  void SetDesigning(bool Value, bool SetChildren = true);

  // Visual containment, which controls keep apart from ownership; none here.
  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual void SetParentComponent(TComponent*) {}

  // AComponent is told (Notification opRemove) when this component is deleted, and the
  // other way round.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

protected:
  // opInsert and opRemove of owned components reach the owner and all its components;
  // opRemove also reaches the components that asked for a free notification.
  virtual void Notification(TComponent* AComponent, TOperation Operation);
  virtual void ValidateRename(TComponent* AComponent, const std::string& CurName,
                              const std::string& NewName);

private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void RemoveNotification(TComponent* AComponent);
  void SetReference(bool Enable);

  TComponent* FOwner = nullptr;
  std::string FName;
  int32_t FTag = 0;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  TComponentState FComponentState;
};
