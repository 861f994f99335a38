#include "classlib/core/component.h"

#include <algorithm>

template <> const TTypeInfo* TypeInfoOf<TComponentStateItem>() {
  static const TTypeInfo Info = EnumTypeInfo(
      "TComponentStateItem", {"csLoading", "csReading", "csWriting", "csDestroying", "csDesigning",
                              "csAncestor", "csUpdating", "csFixups", "csFreeNotification",
                              "csInline", "csDesignInstance"});
  return &Info;
}

template <> const TTypeInfo* TypeInfoOf<TOperation>() {
  static const TTypeInfo Info = EnumTypeInfo("TOperation", {"opInsert", "opRemove"});
  return &Info;
}

const TClassInfo* TComponent::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TComponent, TPersistent>("TComponent")
                                     .Prop("Name", &TComponent::Name, &TComponent::SetName)
                                     .Prop("Tag", &TComponent::Tag, &TComponent::SetTag)
                                     .Build();
  return &Info;
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner != nullptr) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Tell those who asked; drop their link back first, whatever their Notification does.
  while (!FFreeNotifies.empty()) {
    TComponent* Receiver = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    Receiver->RemoveNotification(this);
    Receiver->Notification(this, opRemove);
  }
  DestroyComponents();
  if (FOwner != nullptr) FOwner->RemoveComponent(this);
}

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= int(FComponents.size()))
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FComponents[size_t(Index)];
}

int TComponent::ComponentIndex() const {
  if (FOwner == nullptr) return -1;
  auto& List = FOwner->FComponents;
  return int(std::find(List.begin(), List.end(), this) - List.begin());
}

TComponent* TComponent::FindComponent(std::string_view AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* Child : FComponents)
    if (SameIdent(Child->FName, AName)) return Child;
  return nullptr;
}

void TComponent::SetName(const std::string& NewName) {
  if (FName == NewName) return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    throw EComponentError("'" + NewName + "' is not a valid component name");
  if (FOwner != nullptr)
    FOwner->ValidateRename(this, FName, NewName);
  else
    ValidateRename(nullptr, FName, NewName);
  SetReference(false);
  FName = NewName;
  SetReference(true);
}

void TComponent::ValidateRename(TComponent* AComponent, const std::string& CurName,
                                const std::string& NewName) {
  if (AComponent == nullptr || SameIdent(CurName, NewName)) return;
  TComponent* Holder = FindComponent(NewName);
  if (Holder != nullptr && Holder != AComponent)
    throw EComponentError("A component named " + NewName + " already exists");
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (AComponent->FOwner == this) return;
  ValidateRename(AComponent, std::string(), AComponent->FName);
  if (AComponent->FOwner != nullptr) AComponent->FOwner->RemoveComponent(AComponent);
  Insert(AComponent);
  AComponent->SetReference(true);
  if (FComponentState.Contains(csDesigning)) AComponent->SetDesigning(true);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (AComponent->FOwner != this) return;
  Notification(AComponent, opRemove);
  AComponent->SetReference(false);
  Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent) {
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent) {
  FComponents.erase(std::find(FComponents.begin(), FComponents.end(), AComponent));
  AComponent->FOwner = nullptr;
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* Instance = FComponents.back();
    // Siblings hear of it only when it has free-notification links; the rest go quietly.
    if (Instance->FComponentState.Contains(csFreeNotification))
      RemoveComponent(Instance);
    else {
      Instance->SetReference(false);
      Remove(Instance);
    }
    Instance->Destroying();
    delete Instance;
  }
}

void TComponent::Destroying() {
  if (FComponentState.Contains(csDestroying)) return;
  FComponentState.Include(csDestroying);
  for (TComponent* Child : FComponents) Child->Destroying();
}

void TComponent::BeginLoading() {
  FComponentState.Include(csLoading).Include(csReading);
}

void TComponent::Loaded() {
  FComponentState.Exclude(csLoading).Exclude(csReading);
}

void TComponent::SetDesigning(bool Value, bool SetChildren) {
  if (Value)
    FComponentState.Include(csDesigning);
  else
    FComponentState.Exclude(csDesigning);
  if (SetChildren)
    for (TComponent* Child : FComponents) Child->SetDesigning(Value);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent != nullptr) RemoveFreeNotification(AComponent);
  // A handler may delete components of ours: walk down and keep within the list.
  for (size_t I = FComponents.size(); I-- > 0;) {
    if (I >= FComponents.size()) {
      if (FComponents.empty()) break;
      I = FComponents.size() - 1;
    }
    FComponents[I]->Notification(AComponent, Operation);
  }
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (AComponent == nullptr || AComponent == this) return;
  // Components of one owner hear of each other through the owner.
  if (FOwner == nullptr || AComponent->FOwner != FOwner) {
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end()) {
      FFreeNotifies.push_back(AComponent);
      AComponent->FreeNotification(this);
    }
  }
  FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  RemoveNotification(AComponent);
  AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
  FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent),
                      FFreeNotifies.end());
}

// The owner's field of this component's name points at it while it is owned and so named.
void TComponent::SetReference(bool Enable) {
  if (FOwner == nullptr || FName.empty() || FOwner->FComponentState.Contains(csDestroying)) return;
  const TFieldInfo* Field = FOwner->ClassInfo()->FindField(FName);
  if (Field == nullptr) return;
  if (Enable)
    Field->Set(FOwner, this);
  else if (Field->Get(FOwner) == this)
    Field->Set(FOwner, nullptr);
}
