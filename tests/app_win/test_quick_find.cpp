// Quick find selects by the start of names in a panel; the fast-bar list shows and removes
// the bar's program buttons.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/fast_list.h"
#include "app/quick_find.h"
#include "classlib/win/com_ctrls.h"
#include "classlib/win/list_view.h"
#include "tests/support/form_test.h"

namespace {

std::vector<std::string> SelectedNames(TCustomListView* L) {
  std::vector<std::string> R;
  for (int I = 0; I < L->Items()->Count(); ++I)
    if (L->Items()->Item(I)->Selected()) R.push_back(L->Items()->Item(I)->Caption());
  return R;
}

TEST(QuickFind, SelectsNamesThatBeginWithTheText) {
  std::unique_ptr<TForm> Host(CreateForm<TForm>(nullptr));
  auto* Panel = new TListView(Host.get());
  Panel->SetParent(Host.get());
  Panel->SetMultiSelect(true);
  for (const char* Name : {"ABC.TXT", "abd", "xab", "readme", "readme.txt.bak", "Ab"}) Panel->Items()->Add()->SetCaption(Name);
  Host->Show();
  std::unique_ptr<TQFind> Find(CreateForm<TQFind>(nullptr));
  Find->SetPanel(Panel);
  Find->Show();

  const struct {
    const char* Text;
    std::vector<std::string> Selected;
  } Rows[] = {
      {"ab", {"ABC.TXT", "abd", "Ab"}},
      {"ABC", {"ABC.TXT"}},
      {"readme.txt", {"readme.txt.bak"}},  // a longer text never selects a shorter name
      {"readme", {"readme", "readme.txt.bak"}},
      {"q", {}},
      {"", {}},  // an emptied field leaves nothing selected
  };
  for (const auto& R : Rows) {
    Find->Edit1->SetText(R.Text);
    PumpMessages();
    EXPECT_EQ(SelectedNames(Panel), R.Selected) << "\"" << R.Text << "\"";
  }
  // Esc closes the window.
  SetForegroundWindow(Find->Handle());
  Find->Edit1->SetFocus();
  PressKey(VK_ESCAPE, {}, Find->Edit1->Handle());
  EXPECT_FALSE(Find->Visible());
  // A panel that goes away is forgotten.
  Host.reset();
  EXPECT_EQ(Find->Panel(), nullptr);
  Find->Edit1->SetText("ab");
}

// The first Alt+letter fills the field of a window that was never shown yet: that letter
// selects too.
TEST(QuickFind, TheFirstLetterSelectsBeforeTheWindowWasEverShown) {
  std::unique_ptr<TForm> Host(CreateForm<TForm>(nullptr));
  auto* Panel = new TListView(Host.get());
  Panel->SetParent(Host.get());
  Panel->SetMultiSelect(true);
  for (const char* Name : {"ABC.TXT", "xab", "Ab"}) Panel->Items()->Add()->SetCaption(Name);
  Host->Show();
  std::unique_ptr<TQFind> Find(CreateForm<TQFind>(nullptr));
  Find->SetPanel(Panel);
  Find->Edit1->SetText("A");
  EXPECT_EQ(SelectedNames(Panel), (std::vector<std::string>{"ABC.TXT", "Ab"}));
  Find->Show();
  PumpMessages();
  EXPECT_EQ(Find->Edit1->Text(), "A");
  EXPECT_EQ(SelectedNames(Panel), (std::vector<std::string>{"ABC.TXT", "Ab"}));
}

TEST(FastBarList, ListsAndRemovesButtons) {
  std::unique_ptr<TForm> Host(CreateForm<TForm>(nullptr));
  auto* Bar = new TToolBar(Host.get());
  Bar->SetParent(Host.get());
  for (const char* Path : {"C:\\a.exe", "C:\\b.exe", "C:\\a.exe", "C:\\c.exe"}) {
    auto* B = new TToolButton(Host.get());
    B->SetParent(Bar);
    B->SetCaption(Path);
  }
  std::unique_ptr<TFastList> List(CreateForm<TFastList>(nullptr));
  List->SetBar(Bar);
  int Added = 0;
  List->AddButton = [&] {
    auto* B = new TToolButton(Host.get());
    B->SetParent(Bar);
    B->SetCaption("C:\\new.exe");
    ++Added;
  };
  List->Refill();
  auto Lines = [&] {
    std::vector<std::string> R;
    for (int I = 0; I < List->List->Items()->Count(); ++I) R.push_back(List->List->Items()->Strings(I));
    return R;
  };
  EXPECT_EQ(Lines(), (std::vector<std::string>{"C:\\a.exe", "C:\\b.exe", "C:\\a.exe", "C:\\c.exe"}));
  List->Show();
  // Delete with no line chosen does nothing.
  List->SpeedButton2Click(nullptr);
  EXPECT_EQ(Bar->ButtonCount(), 4);
  // Every button of the chosen line goes.
  List->List->SetItemIndex(2);
  List->SpeedButton2Click(nullptr);
  EXPECT_EQ(Lines(), (std::vector<std::string>{"C:\\b.exe", "C:\\c.exe"}));
  EXPECT_EQ(Bar->ButtonCount(), 2);
  List->SpeedButton1Click(nullptr);
  EXPECT_EQ(Added, 1);
  EXPECT_EQ(Lines(), (std::vector<std::string>{"C:\\b.exe", "C:\\c.exe", "C:\\new.exe"}));
  List->SpeedButton3Click(nullptr);
  EXPECT_FALSE(List->Visible());
}

}  // namespace
