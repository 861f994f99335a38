// TComponent: ownership, deletion order, names, notifications, state.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "classlib/core/component.h"

namespace {

// Records what happens to it in a log shared by the test.
class TTracked : public TComponent {
public:
  TTracked(TComponent* AOwner, const std::string& AName, std::vector<std::string>& Log)
      : TComponent(AOwner), FLog(Log) {
    SetName(AName);
  }
  ~TTracked() override {
    std::string Entry = "delete " + Name();
    if (ComponentState().Contains(csDestroying)) Entry += " (destroying)";
    FLog.push_back(Entry);
  }
  // What this component was told about others, and a reference it drops when told.
  TComponent* Ref = nullptr;
  void Refer(TComponent* Target) {
    Ref = Target;
    Target->FreeNotification(this);
  }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    FLog.push_back(Name() + (Operation == opInsert ? " heard insert of " : " heard remove of ") +
                   AComponent->Name());
    if (Operation == opRemove && AComponent == Ref) Ref = nullptr;
  }

private:
  std::vector<std::string>& FLog;
};

TEST(Component, OwnerDeletesItsComponentsInReverseOrder) {
  std::vector<std::string> Log;
  auto* Owner = new TTracked(nullptr, "Owner", Log);
  auto* A = new TTracked(Owner, "A", Log);
  new TTracked(A, "A1", Log);
  new TTracked(A, "A2", Log);
  new TTracked(Owner, "B", Log);
  new TTracked(Owner, "C", Log);
  EXPECT_EQ(Owner->ComponentCount(), 3);
  EXPECT_EQ(A->ComponentCount(), 2);
  Log.clear();
  delete Owner;
  // Each component's own destructor runs before those of the components it owns.
  EXPECT_EQ(Log, (std::vector<std::string>{"delete Owner", "delete C (destroying)",
                                           "delete B (destroying)", "delete A (destroying)",
                                           "delete A2 (destroying)", "delete A1 (destroying)"}));
}

TEST(Component, FreeNotificationsAcrossOwners) {
  std::vector<std::string> Log;
  auto* Left = new TTracked(nullptr, "Left", Log);
  auto* Right = new TTracked(nullptr, "Right", Log);
  auto* Watcher = new TTracked(Left, "Watcher", Log);
  auto* Target = new TTracked(Right, "Target", Log);
  Watcher->Refer(Target);
  EXPECT_TRUE(Watcher->ComponentState().Contains(csFreeNotification));
  EXPECT_TRUE(Target->ComponentState().Contains(csFreeNotification));

  // The referenced component goes with its owner: the watcher hears of it once.
  Log.clear();
  delete Right;
  EXPECT_EQ(Watcher->Ref, nullptr);
  EXPECT_EQ(std::count(Log.begin(), Log.end(), "Watcher heard remove of Target"), 1);

  // The other way round: the watcher goes first, and the target must not call it later.
  auto* Right2 = new TTracked(nullptr, "Right2", Log);
  auto* Target2 = new TTracked(Right2, "Target2", Log);
  Watcher->Refer(Target2);
  delete Left;  // deletes the watcher; the target hears of it
  Log.clear();
  delete Right2;  // would reach the deleted watcher if the link had stayed (ASan)
  // (An owner being deleted is only a TComponent by then; the target hears of itself.)
  EXPECT_EQ(Log, (std::vector<std::string>{"delete Right2", "Target2 heard remove of Target2",
                                           "delete Target2 (destroying)"}));
}

TEST(Component, RemoveFreeNotificationStopsTheNotice) {
  std::vector<std::string> Log;
  auto* Watcher = new TTracked(nullptr, "Watcher", Log);
  auto* Target = new TTracked(nullptr, "Target", Log);
  Watcher->Refer(Target);
  Target->RemoveFreeNotification(Watcher);
  Log.clear();
  delete Target;
  EXPECT_EQ(Log, std::vector<std::string>{"delete Target"});
  EXPECT_EQ(Watcher->Ref, Target);  // never told, as asked
  delete Watcher;
}

TEST(Component, SiblingsHearOfInsertAndRemoveThroughTheOwner) {
  std::vector<std::string> Log;
  TTracked Owner(nullptr, "Owner", Log);
  auto* Watcher = new TTracked(&Owner, "Watcher", Log);
  Log.clear();
  auto* Other = new TComponent(&Owner);
  Other->SetName("Other");  // named after insertion: the notice names it ""
  Watcher->Ref = Other;
  delete Other;
  // (Each passes the notice on to its own components before logging it.)
  EXPECT_EQ(Log, (std::vector<std::string>{"Watcher heard insert of ", "Owner heard insert of ",
                                           "Watcher heard remove of Other",
                                           "Owner heard remove of Other"}));
  EXPECT_EQ(Watcher->Ref, nullptr);
  EXPECT_EQ(Owner.ComponentCount(), 1);
}

TEST(Component, NamesAreIdentifiersUniqueAmongSiblings) {
  TComponent Owner(nullptr);
  auto* A = new TComponent(&Owner);
  auto* B = new TComponent(&Owner);
  A->SetName("Button1");
  for (const char* Bad : {"1abc", "a b", "a-b", "\xCA\xED\xEE\xEF\xEA\xE0"}) {
    EXPECT_THROW(B->SetName(Bad), EComponentError) << Bad;
    EXPECT_EQ(B->Name(), "");
  }
  try {
    B->SetName("BUTTON1");
    ADD_FAILURE() << "a duplicate name was accepted";
  } catch (const EComponentError& E) {
    EXPECT_EQ(E.Message(), "A component named BUTTON1 already exists");
  }
  EXPECT_EQ(B->Name(), "");
  B->SetName("_Button2");
  A->SetName("BUTTON1");  // its own name in another case
  EXPECT_EQ(A->Name(), "BUTTON1");
  // Empty names never clash; the same name under another owner is fine.
  new TComponent(&Owner);
  new TComponent(&Owner);
  TComponent Owner2(nullptr);
  (new TComponent(&Owner2))->SetName("Button1");

  EXPECT_EQ(Owner.FindComponent("button1"), A);
  EXPECT_EQ(Owner.FindComponent("_BUTTON2"), B);
  EXPECT_EQ(Owner.FindComponent("Missing"), nullptr);
  EXPECT_EQ(Owner.FindComponent(""), nullptr);

  // Through the property registry: Name and Tag are published.
  std::vector<std::string> Published;
  for (const TPropInfo* P : GetPropList(A)) Published.push_back(P->Name());
  EXPECT_EQ(Published, (std::vector<std::string>{"Name", "Tag"}));
  SetPropText(A, "Tag", "-3");
  EXPECT_EQ(A->Tag(), -3);
  EXPECT_THROW(SetPropText(A, "Name", "_button2"), EComponentError);
  EXPECT_EQ(GetPropText(A, "Name"), "BUTTON1");
}

TEST(Component, ComponentsListInsertAndRemove) {
  TComponent Owner(nullptr), Other(nullptr);
  auto* A = new TComponent(&Owner);
  auto* B = new TComponent(&Owner);
  EXPECT_EQ(Owner.Components(0), A);
  EXPECT_EQ(Owner.Components(1), B);
  EXPECT_EQ(B->ComponentIndex(), 1);
  EXPECT_THROW(Owner.Components(2), EListError);
  EXPECT_THROW(Owner.Components(-1), EListError);

  // Moving to another owner.
  Other.InsertComponent(A);
  EXPECT_EQ(A->Owner(), &Other);
  EXPECT_EQ(Owner.ComponentCount(), 1);
  EXPECT_EQ(Other.Components(0), A);
  EXPECT_EQ(A->GetOwner(), &Other);

  // A name taken in the new owner is refused before anything moves.
  A->SetName("Same");
  B->SetName("Same");
  EXPECT_THROW(Other.InsertComponent(B), EComponentError);
  EXPECT_EQ(B->Owner(), &Owner);

  // Given up: no longer deleted by the owner.
  Owner.RemoveComponent(B);
  EXPECT_EQ(B->Owner(), nullptr);
  EXPECT_EQ(B->ComponentIndex(), -1);
  delete B;

  // Deleting an owned component directly takes it off the list.
  delete A;
  EXPECT_EQ(Other.ComponentCount(), 0);

  Owner.DestroyComponents();
  EXPECT_EQ(Owner.ComponentCount(), 0);
}

TEST(Component, LoadingState) {
  TComponent C(nullptr);
  EXPECT_TRUE(C.ComponentState().Empty());
  C.BeginLoading();
  EXPECT_TRUE(C.ComponentState().Contains(csLoading));
  EXPECT_TRUE(C.ComponentState().Contains(csReading));
  C.Loaded();
  EXPECT_TRUE(C.ComponentState().Empty());

  // Designing passes to the components owned now and later.
  C.SetDesigning(true);
  auto* Child = new TComponent(&C);
  EXPECT_TRUE(Child->ComponentState().Contains(csDesigning));
  C.SetDesigning(false);
  EXPECT_FALSE(Child->ComponentState().Contains(csDesigning));
}

}  // namespace
