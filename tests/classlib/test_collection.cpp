// TCollection and TCollectionItem: the list, its update bracket, Assign, and items whose
// published properties travel through the property registry.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "classlib/core/collection.h"
#include "classlib/core/component.h"

namespace {

enum TPanelBevel { pbNone, pbLowered, pbRaised };

}  // namespace

template <> const TTypeInfo* TypeInfoOf<TPanelBevel>() {
  static const TTypeInfo Info = EnumTypeInfo("TPanelBevel", {"pbNone", "pbLowered", "pbRaised"});
  return &Info;
}

namespace {

class TStatusPanel : public TCollectionItem {
public:
  static const TClassInfo* StaticClassInfo() {
    static const TClassInfo Info = TClassBuilder<TStatusPanel, TCollectionItem>("TStatusPanel")
                                       .Prop("Bevel", &TStatusPanel::Bevel, &TStatusPanel::SetBevel)
                                       .Prop("Text", &TStatusPanel::Text, &TStatusPanel::SetText)
                                       .Prop("Width", &TStatusPanel::Width, &TStatusPanel::SetWidth)
                                       .Build();
    return &Info;
  }
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  using TCollectionItem::TCollectionItem;

  TPanelBevel Bevel() const { return FBevel; }
  void SetBevel(TPanelBevel V) { FBevel = V; Changed(false); }
  const std::string& Text() const { return FText; }
  void SetText(const std::string& V) { FText = V; Changed(false); }
  int Width() const { return FWidth; }
  void SetWidth(int V) { FWidth = V; Changed(true); }
  std::string DisplayName() const override { return FText.empty() ? TCollectionItem::DisplayName() : FText; }

  void Assign(const TPersistent* Source) override {
    if (auto* P = dynamic_cast<const TStatusPanel*>(Source)) {
      FBevel = P->FBevel;
      FText = P->FText;
      FWidth = P->FWidth;
      Changed(false);
    } else {
      TCollectionItem::Assign(Source);
    }
  }

private:
  TPanelBevel FBevel = pbLowered;
  std::string FText;
  int FWidth = 50;
};

// Records the updates and notifications the collection makes.
class TStatusPanels : public TCollection {
public:
  TStatusPanels(TPersistent* Owner = nullptr) : TCollection(TStatusPanel::StaticClassInfo(), Owner) {}
  ~TStatusPanels() override { Log = nullptr; }
  std::vector<std::string>* Log = nullptr;
  std::vector<int>* LastWidths = nullptr;  // the newest item's width at each update
  TStatusPanel* Panel(int Index) const { return static_cast<TStatusPanel*>(Items(Index)); }

protected:
  void Update(TCollectionItem* Item) override {
    if (Log) Log->push_back(Item ? "update " + Item->DisplayName() : "update all");
    if (LastWidths && Count() > 0) LastWidths->push_back(Panel(Count() - 1)->Width());
  }
  void Notify(TCollectionItem* Item, TCollectionNotification Action) override {
    static const char* const Names[] = {"added", "extracting", "deleting"};
    if (Log) Log->push_back(std::string(Names[Action]) + " " + std::to_string(Item->ID()));
  }
};

// A component that publishes a collection, as a status bar publishes its panels.
class TStatusBar : public TComponent {
public:
  static const TClassInfo* StaticClassInfo() {
    static const TClassInfo Info = TClassBuilder<TStatusBar, TComponent>("TStatusBar")
                                       .Prop("Panels", &TStatusBar::Panels, &TStatusBar::SetPanels)
                                       .Build();
    return &Info;
  }
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  using TComponent::TComponent;
  TStatusPanels* Panels() const { return &FPanels; }
  void SetPanels(TStatusPanels* Value) { FPanels.Assign(Value); }

private:
  mutable TStatusPanels FPanels{this};
};

std::vector<std::string> Texts(const TCollection& C) {
  std::vector<std::string> Result;
  for (int I = 0; I < C.Count(); ++I) Result.push_back(C.Items(I)->DisplayName());
  return Result;
}

TEST(Collection, AddInsertDeleteMoveKeepIDs) {
  TStatusPanels Panels;
  auto* A = static_cast<TStatusPanel*>(Panels.Add());
  A->SetText("A");
  auto* B = static_cast<TStatusPanel*>(Panels.Add());
  B->SetText("B");
  auto* Front = static_cast<TStatusPanel*>(Panels.Insert(0));
  Front->SetText("Front");
  EXPECT_EQ(Texts(Panels), (std::vector<std::string>{"Front", "A", "B"}));
  EXPECT_EQ(A->Index(), 1);
  EXPECT_EQ(A->Collection(), &Panels);
  EXPECT_EQ(A->GetOwner(), &Panels);
  EXPECT_EQ((std::vector<int>{A->ID(), B->ID(), Front->ID()}), (std::vector<int>{0, 1, 2}));

  B->SetIndex(0);
  EXPECT_EQ(Texts(Panels), (std::vector<std::string>{"B", "Front", "A"}));
  EXPECT_THROW(B->SetIndex(3), EListError);
  EXPECT_THROW(Panels.Items(3), EListError);
  EXPECT_THROW(Panels.Insert(4), EListError);
  EXPECT_EQ(Panels.Count(), 3);

  Panels.Delete(1);
  EXPECT_EQ(Texts(Panels), (std::vector<std::string>{"B", "A"}));
  auto* C = static_cast<TStatusPanel*>(Panels.Add());
  EXPECT_EQ(C->ID(), 3) << "IDs are never reused";
  EXPECT_EQ(C->DisplayName(), "TStatusPanel");
  EXPECT_EQ(Panels.FindItemID(1), B);
  EXPECT_EQ(Panels.FindItemID(2), nullptr);

  // An item deleted directly leaves the list; one moved to another collection joins it.
  delete A;
  EXPECT_EQ(Panels.Count(), 2);
  TStatusPanels Other;
  C->SetCollection(&Other);
  EXPECT_EQ(Panels.Count(), 1);
  EXPECT_EQ(Other.Items(0), C);
  Panels.Clear();
  EXPECT_EQ(Panels.Count(), 0);
}

TEST(Collection, UpdatesAndNotifications) {
  std::vector<std::string> Log;
  TStatusPanels Panels;
  Panels.Log = &Log;
  auto* A = static_cast<TStatusPanel*>(Panels.Add());
  A->SetText("A");  // one item changed
  A->SetWidth(10);  // every item changed
  EXPECT_EQ(Log, (std::vector<std::string>{"added 0", "update all", "update A", "update all"}));

  // Inside a bracket, nothing until the outermost EndUpdate, then one update of all.
  Log.clear();
  Panels.BeginUpdate();
  Panels.BeginUpdate();
  Panels.Add();
  A->SetText("A2");
  Panels.EndUpdate();
  EXPECT_EQ(Log, std::vector<std::string>{"added 1"});
  Panels.EndUpdate();
  EXPECT_EQ(Log, (std::vector<std::string>{"added 1", "update all"}));
  EXPECT_EQ(Panels.UpdateCount(), 0);

  Log.clear();
  Panels.Delete(0);
  EXPECT_EQ(Log, (std::vector<std::string>{"deleting 0", "extracting 0", "update all"}));
  Log.clear();
  Panels.Clear();
  EXPECT_EQ(Log, (std::vector<std::string>{"extracting 1", "update all"}));
}

TEST(Collection, AnUpdateSeesTheNewItemWhole) {
  // An owner that redraws from its items on every update (a status bar) must never see an
  // item whose own members are not made yet.
  std::vector<int> Widths;
  TStatusPanels Panels;
  Panels.LastWidths = &Widths;
  Panels.Add();
  Panels.Insert(0);
  Panels.BeginUpdate();
  Panels.Add();
  Panels.EndUpdate();
  ASSERT_FALSE(Widths.empty());
  for (int W : Widths) EXPECT_EQ(W, 50);
  Panels.LastWidths = nullptr;
}

TEST(Collection, AssignCopiesItems) {
  TStatusPanels Source, Dest;
  for (const char* T : {"one", "two", "three"}) static_cast<TStatusPanel*>(Source.Add())->SetText(T);
  Source.Panel(1)->SetBevel(pbRaised);
  Dest.Add();
  std::vector<std::string> Log;
  Dest.Log = &Log;
  Dest.Assign(&Source);
  EXPECT_EQ(Texts(Dest), (std::vector<std::string>{"one", "two", "three"}));
  EXPECT_EQ(Dest.Panel(1)->Bevel(), pbRaised);
  EXPECT_EQ(Log.back(), "update all");
  EXPECT_EQ(std::count(Log.begin(), Log.end(), "update all"), 1) << "one update for the whole copy";

  TComponent NotACollection(nullptr);
  EXPECT_THROW(Dest.Assign(&NotACollection), EConvertError);
  EXPECT_EQ(Dest.Count(), 3);
}

TEST(Collection, ItemsRoundTripThroughThePropertyRegistry) {
  TStatusBar Bar(nullptr);
  struct TRow {
    const char* Bevel;
    const char* Text;
    const char* Width;
  };
  const TRow Rows[] = {{"pbNone", "Ready", "120"}, {"pbRaised", "", "40"}, {"pbLowered", "x y", "-1"}};

  // Written by name, as a form resource does it.
  auto* Panels = dynamic_cast<TCollection*>(GetObjectProp(&Bar, "Panels"));
  ASSERT_NE(Panels, nullptr);
  EXPECT_EQ(Panels->GetOwner(), &Bar);
  Panels->BeginUpdate();
  for (const TRow& Row : Rows) {
    TCollectionItem* Item = Panels->Add();
    SetPropText(Item, "Bevel", Row.Bevel);
    SetPropText(Item, "Text", Row.Text);
    SetPropText(Item, "Width", Row.Width);
  }
  Panels->EndUpdate();

  // Read back generically into text, then into a second bar.
  std::vector<std::map<std::string, std::string>> Stored;
  for (int I = 0; I < Panels->Count(); ++I) {
    std::map<std::string, std::string> Values;
    for (const TPropInfo* Prop : GetPropList(Panels->Items(I), tkProperties))
      Values[Prop->Name()] = GetPropText(Panels->Items(I), Prop);
    Stored.push_back(Values);
  }
  ASSERT_EQ(Stored.size(), 3u);
  EXPECT_EQ(Stored[2].at("Text"), "x y");
  EXPECT_EQ(Stored[0].at("Bevel"), "pbNone");

  TStatusBar Copy(nullptr);
  auto* Target = dynamic_cast<TCollection*>(GetObjectProp(&Copy, "Panels"));
  for (auto& Values : Stored) {
    TCollectionItem* Item = Target->ItemClass()->CreateCollectionItem(Target);
    for (auto& [Name, Text] : Values) SetPropText(Item, Name, Text);
  }
  for (int I = 0; I < 3; ++I) {
    EXPECT_EQ(GetPropText(Target->Items(I), "Bevel"), Rows[I].Bevel);
    EXPECT_EQ(GetPropText(Target->Items(I), "Text"), Rows[I].Text);
    EXPECT_EQ(GetPropText(Target->Items(I), "Width"), Rows[I].Width);
  }

  // And by Assign through the property's setter.
  TStatusBar Third(nullptr);
  SetObjectProp(&Third, "Panels", Bar.Panels());
  EXPECT_EQ(Texts(*Third.Panels()), Texts(*Bar.Panels()));
}

TEST(Collection, ItemClassMustCreateItems) {
  TCollection Plain(nullptr);  // the base item class
  EXPECT_EQ(Plain.ItemClass(), TCollectionItem::StaticClassInfo());
  TCollectionItem* Item = Plain.Add();
  EXPECT_EQ(Item->DisplayName(), "TCollectionItem");
  TCollection Wrong(TComponent::StaticClassInfo());
  EXPECT_THROW(Wrong.Add(), EInvalidOperation);
  EXPECT_EQ(Wrong.Count(), 0);
}

}  // namespace
