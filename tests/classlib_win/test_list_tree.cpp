// The list view and tree view bases: callback items, custom sort, label editing, lazily
// filled nodes, and notifications reaching the control they concern.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>

#include "classlib/win/application.h"
#include "classlib/win/forms.h"
#include "classlib/win/list_view.h"
#include "classlib/win/tree_view.h"
#include "classlib/win/wide_string.h"
#include "tests/support/form_test.h"

namespace {

// Items whose texts come from their Data (a number) only when the control asks.
class TNumberList : public TCustomListView {
public:
  using TCustomListView::TCustomListView;
  int Asked = 0;

protected:
  void GetDispInfo(TListItem* Item, NMLVDISPINFOW& Info) override {
    ++Asked;
    if (Info.item.mask & LVIF_TEXT) {
      std::wstring W = std::to_wstring(reinterpret_cast<intptr_t>(Item->Data()));
      lstrcpynW(Info.item.pszText, W.c_str(), Info.item.cchTextMax);
    }
  }
};

std::wstring ItemText(HWND List, int Index) {
  wchar_t Buf[32] = {};
  LVITEMW I{};
  I.iSubItem = 0;
  I.pszText = Buf;
  I.cchTextMax = 32;
  SendMessageW(List, LVM_GETITEMTEXTW, Index, reinterpret_cast<LPARAM>(&I));
  return Buf;
}

TEST(ListView, TenThousandCallbackItemsSortWithACustomSort) {
  std::unique_ptr<TForm> F(CreateForm<TForm>(nullptr));
  auto* L = new TNumberList(F.get());
  L->SetParent(F.get());
  L->SetAlign(alClient);
  L->SetViewStyle(vsReport);
  L->Columns()->Add()->SetCaption("N");
  F->Show();
  L->Items()->BeginUpdate();
  for (int I = 0; I < 10000; ++I) L->Items()->Add()->SetData(reinterpret_cast<void*>(intptr_t((I * 7919) % 10000)));
  L->Items()->EndUpdate();
  ASSERT_EQ(SendMessageW(L->Handle(), LVM_GETITEMCOUNT, 0, 0), 10000);
  // Descending by the number.
  L->CustomSort([](TListItem* A, TListItem* B) {
    auto X = reinterpret_cast<intptr_t>(A->Data()), Y = reinterpret_cast<intptr_t>(B->Data());
    return X > Y ? -1 : X < Y ? 1 : 0;
  });
  EXPECT_EQ(ItemText(L->Handle(), 0), L"9999");
  EXPECT_EQ(ItemText(L->Handle(), 9999), L"0");
  EXPECT_GT(L->Asked, 0);
  // Items follows the control's order.
  EXPECT_EQ(reinterpret_cast<intptr_t>(L->Items()->Item(1)->Data()), 9998);
  EXPECT_EQ(L->Items()->Item(1)->Index(), 1);
}

// A new view style shows the items in their new places on a clean background: nothing of
// the old view (here the report's second column) stays on the screen.
TEST(ListView, ANewViewStyleRepaintsTheWholeList) {
  std::unique_ptr<TForm> F(CreateForm<TForm>(nullptr));
  F->SetBounds(0, 0, 400, 300);
  auto* List = new TListView(F.get());
  List->SetParent(F.get());
  List->SetBounds(0, 0, 380, 260);
  List->SetViewStyle(vsReport);
  List->Columns()->Add()->SetCaption("Name");
  List->Columns()->Add()->SetCaption("Size");
  List->Columns()->Items(0)->SetWidth(100);
  List->Columns()->Items(1)->SetWidth(200);
  TListItem* Item = List->Items()->Add();
  Item->SetCaption("a");
  Item->SubItems()->Add("WWWWWWWWWWWWWWWW");
  F->Show();
  PumpMessages();
  UpdateWindow(List->Handle());
  TRect Sub = Item->DisplayRect(LVIR_BOUNDS);
  Sub.Left = 110;  // the second column of the report
  auto Inked = [&] {
    HDC DC = GetDC(List->Handle());
    const COLORREF Back = GetPixel(DC, 370, 250);
    int N = 0;
    for (int Y = Sub.Top; Y < Sub.Bottom; ++Y)
      for (int X = Sub.Left; X < Sub.Right; ++X)
        if (GetPixel(DC, X, Y) != Back) ++N;
    ReleaseDC(List->Handle(), DC);
    return N;
  };
  ASSERT_GT(Inked(), 10) << "the report shows the second column";
  for (TViewStyle Style : {vsList, vsSmallIcon, vsIcon}) {
    List->SetViewStyle(vsReport);
    PumpMessages();
    UpdateWindow(List->Handle());
    List->SetViewStyle(Style);
    PumpMessages();
    UpdateWindow(List->Handle());
    EXPECT_EQ(Inked(), 0) << "view style " << int(Style);
  }
}

TEST(ListView, LabelEditReachesItsEndEvent) {
  std::unique_ptr<TForm> F(CreateForm<TForm>(nullptr));
  auto* L = new TListView(F.get());
  L->SetParent(F.get());
  L->SetAlign(alClient);
  L->SetViewStyle(vsReport);
  L->Columns()->Add()->SetWidth(200);
  L->Items()->Add()->SetCaption("old name");
  std::string Edited;
  L->OnEdited = [&](TObject*, TListItem*, std::string& S) {
    Edited = S;
    S += "!";  // the handler may change the text
  };
  F->Show();
  PumpMessages();
  ASSERT_TRUE(L->Items()->Item(0)->EditCaption());
  HWND Edit = reinterpret_cast<HWND>(SendMessageW(L->Handle(), LVM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(Edit, nullptr);
  SetWindowTextW(Edit, L"новое");
  PressKey(VK_RETURN, {}, Edit);
  EXPECT_EQ(Edited, "\xED\xEE\xE2\xEE\xE5");
  EXPECT_EQ(L->Items()->Item(0)->Caption(), "\xED\xEE\xE2\xEE\xE5!");
  // A refusing OnEditing keeps the label from editing.
  L->OnEditing = [](TObject*, TListItem*, bool& Allow) { Allow = false; };
  L->Items()->Item(0)->EditCaption();
  EXPECT_FALSE(L->IsEditing());
}

TEST(ListView, NotifyReachesTheChildItConcerns) {
  std::unique_ptr<TForm> F(CreateForm<TForm>(nullptr));
  auto* A = new TListView(F.get());
  auto* B = new TListView(F.get());
  for (auto* L : {A, B}) {
    L->SetParent(F.get());
    L->SetViewStyle(vsReport);
    L->Columns()->Add()->SetCaption("c");
  }
  TListView* Clicked = nullptr;
  for (auto* L : {A, B}) L->OnColumnClick = [&Clicked, L](TObject*, TListColumn*) { Clicked = L; };
  F->HandleNeeded();
  NMLISTVIEW N{};
  N.hdr.hwndFrom = B->Handle();
  N.hdr.idFrom = 0;
  N.hdr.code = LVN_COLUMNCLICK;
  N.iItem = -1;
  N.iSubItem = 0;
  SendMessageW(F->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&N));
  EXPECT_EQ(Clicked, B);
}

TEST(TreeView, NodeFillsItsChildrenWhenFirstExpanded) {
  std::unique_ptr<TForm> F(CreateForm<TForm>(nullptr));
  auto* T = new TTreeView(F.get());
  T->SetParent(F.get());
  T->SetAlign(alClient);
  F->Show();
  int Fills = 0;
  T->OnExpanding = [&](TObject*, TTreeNode* Node, bool&) {
    if (Node->GetFirstChild() != nullptr) return;  // filled before
    ++Fills;
    for (const char* Name : {"b", "c", "a"}) T->Items()->AddChild(Node, Name)->SetHasChildren(true);
  };
  std::vector<std::string> Deleted;
  T->OnDeletion = [&](TObject*, TTreeNode* Node) { Deleted.push_back(Node->Text()); };
  TTreeNode* Root = T->Items()->AddChild(nullptr, "root");
  Root->SetHasChildren(true);
  EXPECT_EQ(Root->Count(), 0);
  Root->Expand();
  EXPECT_EQ(Fills, 1);
  ASSERT_EQ(Root->Count(), 3);
  EXPECT_TRUE(Root->Expanded());
  Root->Collapse();
  Root->Expand();
  EXPECT_EQ(Fills, 1);
  // Custom sort of the children.
  Root->CustomSort([](TTreeNode* A, TTreeNode* B) { return A->Text().compare(B->Text()); });
  EXPECT_EQ(Root->Item(0)->Text(), "a");
  EXPECT_EQ(Root->Item(2)->Text(), "c");
  // A node that promised children and gets none loses its button.
  TTreeNode* Empty = Root->Item(0);
  T->OnExpanding = [](TObject*, TTreeNode*, bool&) {};
  Empty->Expand();
  EXPECT_FALSE(Empty->HasChildren());
  // Deleting a node tells about it and its children.
  Root->Delete();
  EXPECT_EQ(Deleted.size(), 4u);
  EXPECT_EQ(T->Items()->Count(), 0);
}

}  // namespace
