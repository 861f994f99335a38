// The shell tree and combo on test folders: filling, selecting a folder, syncing a linked
// list after keyboard moves and clicks, refreshing after outside changes, rename in place,
// the default keys, the combo's entries and its driving of the tree.
#include <gtest/gtest.h>

#include "classlib/win/application.h"
#include "classlib/win/clipboard.h"
#include "classlib/win/forms.h"
#include "classlib/win/list_view.h"
#include "shell/pt_data_transfer.h"
#include "tests/support/form_test.h"
#include "shell/pt_shell_combo.h"
#include "shell/pt_shell_tree.h"
#include "shell_test_util.h"
#include "tests/support/screenshot.h"
#include "tests/support/wait_for.h"

namespace {

// A linked list that records what the tree and combo ask of it, and shows the folder's
// entries in a plain list view.
class TFakeList : public TListView, public TPTShellListLink {
public:
  using TListView::TListView;
  TComponent* LinkComponent() override { return this; }
  void SyncToNode(TTreeNode* Node) override {
    ++Syncs;
    auto* Data = static_cast<TPTShTreeData*>(Node->Data());
    Folder.SetIdList(Data->GetAbsIdList());
    Show();
  }
  void AssignFolder(TPTShellLocator* From) override {
    ++Assigns;
    Folder.Assign(From);
    Show();
  }
  void FlushPendingUpdate(bool) override {}
  bool HideFoldersWhenLinkedToTree() override { return false; }
  void LinkTree(TPTCustomShellTree* T) override { Tree = T; }
  void LinkCombo(TPTCustomShellCombo* C) override { Combo = C; }
  void Show() {
    if (!HandleAllocated()) return;
    Items()->Clear();
    WIN32_FIND_DATAW D;
    HANDLE F = FindFirstFileW(ToWide(Folder.GetPath() + "\\*").c_str(), &D);
    if (F == INVALID_HANDLE_VALUE) return;
    do {
      std::string N = FromWide(D.cFileName);
      if (N != "." && N != "..") Items()->Add()->SetCaption(N);
    } while (FindNextFileW(F, &D));
    FindClose(F);
  }

  TPTShellLocator Folder;
  int Syncs = 0, Assigns = 0;
  TPTCustomShellTree* Tree = nullptr;
  TPTCustomShellCombo* Combo = nullptr;
};

TTreeNode* Child(TTreeNode* Parent, const std::string& Text) {
  for (TTreeNode* C = Parent != nullptr ? Parent->GetFirstChild() : nullptr; C != nullptr; C = C->GetNextSibling())
    if (C->Text() == Text) return C;
  return nullptr;
}

std::string NodePath(TPTCustomShellTree* Tree, TTreeNode* Node) {
  return Node != nullptr ? PidlToPath(Tree->NodeData(Node)->GetAbsIdList()) : "<none>";
}

struct ShellTreeFixture : ::testing::Test {
  // A folder of each test's own: Wine's watch of a drive misses a folder made again at a
  // path that was deleted while watched.
  TTempFolder Dir{std::string("zx_shtree_") + ::testing::UnitTest::GetInstance()->current_test_info()->name()};
  TForm Form{nullptr};
  TPTShellTree* Tree = new TPTShellTree(&Form);
  TFakeList* List = new TFakeList(&Form);

  void SetUp() override {
    for (const char* F : {"alpha", "beta", "gamma", "alpha\\one", "alpha\\one\\deep", "beta\\two"}) Dir.MakeFolder(F);
    Dir.MakeFile("file.txt", 4);
    Form.SetBounds(0, 0, 500, 400);
    Tree->SetParent(&Form);
    Tree->SetBounds(0, 30, 240, 360);
    List->SetParent(&Form);
    List->SetBounds(250, 30, 240, 360);
    Tree->BaseFolder()->SetPath(Dir.Path());
    Tree->SetShellList(List);
    Form.Show();
    PumpMessages();
  }
  TTreeNode* Root() { return Tree->Items()->GetFirstNode(); }
};

TEST_F(ShellTreeFixture, FillsLazilyInTheShellsOrder) {
  ASSERT_NE(Root(), nullptr);
  EXPECT_EQ(Root()->Text(), ExtractFileName(Dir.Path()));
  std::vector<std::string> Names;
  for (TTreeNode* C = Root()->GetFirstChild(); C != nullptr; C = C->GetNextSibling()) Names.push_back(C->Text());
  EXPECT_EQ(Names, (std::vector<std::string>{"alpha", "beta", "gamma"}));  // no files
  TTreeNode* Alpha = Child(Root(), "alpha");
  EXPECT_TRUE(Alpha->HasChildren());
  EXPECT_EQ(Alpha->GetFirstChild(), nullptr);  // not filled before it is expanded
  Alpha->Expand(false);
  EXPECT_NE(Child(Alpha, "one"), nullptr);
  EXPECT_EQ(List->Tree, Tree);
}

TEST_F(ShellTreeFixture, SelectFolderExpandsTheWayAndStopsOutside) {
  TPidl Deep = ParsePath(Dir / "alpha\\one\\deep");
  Tree->SelectFolder(Deep.Get());
  ASSERT_NE(Tree->Selected(), nullptr);
  EXPECT_EQ(Tree->Selected()->Text(), "deep");
  EXPECT_TRUE(Child(Root(), "alpha")->Expanded());
  EXPECT_TRUE(AnsiSameText(Tree->CurrentFolder()->GetPath(), Dir / "alpha\\one\\deep"));
  // The linked list followed at once.
  EXPECT_TRUE(AnsiSameText(List->Folder.GetPath(), Dir / "alpha\\one\\deep"));

  // A folder outside the base: the root.
  TTempFolder Other("zx_shtree_other");
  TPidl Out = ParsePath(Other.Path());
  Tree->SelectFolder(Out.Get());
  EXPECT_EQ(Tree->Selected(), Root());
  // The deepest match of a path that leaves the tree on the way.
  TPidl Gone = ParsePath(Dir / "beta\\two");
  RemoveDirectoryW(ToWide(Dir / "beta\\two").c_str());
  Tree->RefreshNodes();
  Tree->SelectFolder(Gone.Get());
  EXPECT_EQ(Tree->Selected(), Child(Root(), "beta"));

  // SetPath takes the same road.
  Tree->SetPath(Dir / "gamma");
  EXPECT_EQ(Tree->Selected(), Child(Root(), "gamma"));
}

TEST_F(ShellTreeFixture, KeyboardMovesSyncOnceAfterTheDelayAClickAtOnce) {
  Root()->Expand(false);
  Tree->SetFocus();
  Tree->SetSelected(Root());
  List->Syncs = 0;
  for (int i = 0; i < 10; ++i) PressKey(i % 2 == 0 ? VK_DOWN : VK_UP);
  PressKey(VK_DOWN);
  DWORD LastKey = GetTickCount();
  EXPECT_EQ(List->Syncs, 0);
  ASSERT_TRUE(WaitFor([&] { return List->Syncs > 0; }));
  EXPECT_GE(GetTickCount() - LastKey, 400u);
  EXPECT_EQ(List->Syncs, 1);
  EXPECT_TRUE(AnsiSameText(List->Folder.GetPath(), NodePath(Tree, Tree->Selected())));
  // Nothing more follows.
  Tree->FlushPendingUpdate(false);
  EXPECT_EQ(List->Syncs, 1);

  // A click syncs at once.
  TTreeNode* Gamma = Child(Root(), "gamma");
  TRect R = Gamma->DisplayRect(true);
  LPARAM At = MAKELPARAM((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
  PostMessageW(Tree->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At);
  PostMessageW(Tree->Handle(), WM_LBUTTONUP, 0, At);
  ASSERT_TRUE(WaitFor([&] { return Tree->Selected() == Gamma; }));
  EXPECT_EQ(List->Syncs, 2);
  EXPECT_TRUE(AnsiSameText(List->Folder.GetPath(), Dir / "gamma"));
}

// Wine's watches of a whole drive miss changes in sub-folders often, so the change the
// watcher would report is posted here as its message; the tree takes it from there.
TEST_F(ShellTreeFixture, FolderDeletedOutsideLosesItsNodeAndItsParentIsSelected) {
  ASSERT_TRUE(Tree->Watching());
  TPidl One = ParsePath(Dir / "alpha\\one");
  Tree->SelectFolder(One.Get());
  ASSERT_EQ(Tree->Selected()->Text(), "one");
  TTempFolder::RemoveTree(Dir / "alpha\\one");
  PostMessageW(Tree->Handle(), TPTCustomShellTree::WM_SHELLCHANGE, 0, 0);
  TTreeNode* Alpha = Child(Root(), "alpha");
  EXPECT_NE(Alpha->GetFirstChild(), nullptr);  // not before the delay
  ASSERT_TRUE(WaitFor([&] { return Alpha->GetFirstChild() == nullptr; }));
  EXPECT_EQ(Tree->Selected(), Alpha);
  EXPECT_FALSE(Alpha->HasChildren());
  EXPECT_TRUE(AnsiSameText(List->Folder.GetPath(), Dir / "alpha"));

  // A new folder appears after the change delay too; a hidden one only after a refill.
  Dir.MakeFolder("delta");
  std::string Hidden = Dir.MakeFolder("hidden");
  SetFileAttributesW(ToWide(Hidden).c_str(), FILE_ATTRIBUTE_HIDDEN);
  PostMessageW(Tree->Handle(), TPTCustomShellTree::WM_SHELLCHANGE, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return Child(Root(), "delta") != nullptr; }));
  EXPECT_EQ(Child(Root(), "hidden"), nullptr);
  Tree->Refill();
  EXPECT_NE(Child(Root(), "hidden"), nullptr);
}

TEST_F(ShellTreeFixture, RenameInPlaceAndTheListFollows) {
  TTreeNode* Beta = Child(Root(), "beta");
  Tree->SetSelected(Beta);
  Tree->SetFocus();
  PressKey(VK_F2);
  ASSERT_TRUE(Tree->IsEditing());
  HWND Edit = reinterpret_cast<HWND>(SendMessageW(Tree->Handle(), TVM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(Edit, nullptr);
  SetWindowTextW(Edit, L"renamed");
  SendMessageW(Tree->Handle(), TVM_ENDEDITLABELNOW, FALSE, 0);
  PumpMessages();
  EXPECT_EQ(Beta->Text(), "renamed");
  EXPECT_NE(GetFileAttributesW(ToWide(Dir / "renamed").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(AnsiSameText(NodePath(Tree, Beta), Dir / "renamed"));
  EXPECT_TRUE(AnsiSameText(List->Folder.GetPath(), Dir / "renamed"));
  // The children are found below the new name.
  Beta->Expand(false);
  EXPECT_TRUE(AnsiSameText(NodePath(Tree, Child(Beta, "two")), Dir / "renamed\\two"));
}

TEST_F(ShellTreeFixture, DefaultKeysCopyAndPasteAndOthersReachOnKeyDown) {
  int Seen = 0;
  uint16_t Last = 0;
  Tree->OnKeyDown = [&](TObject*, uint16_t& Key, TShiftState) {
    ++Seen;
    Last = Key;
  };
  TTreeNode* Gamma = Child(Root(), "gamma");
  Tree->SetSelected(Gamma);
  Tree->SetFocus();
  PressKey('C', {ssCtrl});
  Tree->SetSelected(Child(Root(), "beta"));
  PressKey('V', {ssCtrl});
  EXPECT_NE(GetFileAttributesW(ToWide(Dir / "beta\\gamma").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW(ToWide(Dir / "gamma").c_str()), INVALID_FILE_ATTRIBUTES);
  Seen = 0;
  PressKey('Q');
  EXPECT_EQ(Seen, 1);
  EXPECT_EQ(Last, 'Q');
  // A verb the object's menu lacks runs nothing and says so.
  EXPECT_THROW(Tree->InvokeCommandOnNode(Gamma, "nosuchverb"), EOSError);
}

TEST_F(ShellTreeFixture, NodeDataObjectCarriesTheNode) {
  TTreeNode* Alpha = Child(Root(), "alpha");
  TComPtr<IDataObject> Data = CreateTreeNodeDataObject(Tree, Alpha);
  ASSERT_TRUE(Data);
  EXPECT_EQ(DataObjectPaths(Data.Get()), (std::vector<std::wstring>{ToWide(Dir / "alpha")}));
  EXPECT_FALSE(CreateTreeNodeDataObject(Tree, Root()));  // the root has no parent folder here
}

TEST_F(ShellTreeFixture, DropOnANodeCopiesOrMovesIntoItsFolder) {
  TTempFolder Source(std::string("zx_shtree_drop_src"));
  Source.MakeFile("a.txt", 10);
  Source.MakeFile("b.txt", 20);
  TPidl SourceList = ParsePath(Source.Path());
  TPidl A = ParsePath(Source / "a.txt"), B = ParsePath(Source / "b.txt");
  TPTIdListArray AA(A.Get()), BA(B.Get());
  TPidl ARel(CopyPidl(nullptr, AA.Item(AA.Count() - 1))), BRel(CopyPidl(nullptr, BA.Item(BA.Count() - 1)));
  TComPtr<IDataObject> Data = CreateShellDataObject(SourceList.Get(), {ARel.Get(), BRel.Get()});
  TTreeNode* Gamma = Child(Root(), "gamma");
  TRect R = Gamma->DisplayRect(true);
  TPoint S = Tree->ClientToScreen(TPoint((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2));
  POINTL At{S.X, S.Y};

  // Ctrl: a copy.
  DWORD Effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  ASSERT_EQ(Tree->DoDragEnter(Data.Get(), MK_LBUTTON | MK_CONTROL, At, &Effect), S_OK);
  EXPECT_EQ(Effect, DWORD(DROPEFFECT_COPY));
  EXPECT_EQ(Tree->DropTarget(), Gamma);
  Effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  ASSERT_EQ(Tree->DoDrop(Data.Get(), MK_CONTROL, At, &Effect), S_OK);
  EXPECT_EQ(Effect, DWORD(DROPEFFECT_COPY));
  EXPECT_EQ(Tree->DropTarget(), nullptr);
  EXPECT_NE(GetFileAttributesW(ToWide(Dir / "gamma\\b.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW(ToWide(Source / "b.txt").c_str()), INVALID_FILE_ATTRIBUTES);

  // Shift: a move, done here, so the source is told nothing is left to delete.
  TTreeNode* Beta = Child(Root(), "beta");
  R = Beta->DisplayRect(true);
  S = Tree->ClientToScreen(TPoint((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2));
  At = POINTL{S.X, S.Y};
  Effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  Tree->DoDragEnter(Data.Get(), MK_LBUTTON | MK_SHIFT, At, &Effect);
  EXPECT_EQ(Effect, DWORD(DROPEFFECT_MOVE));
  Effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  ASSERT_EQ(Tree->DoDrop(Data.Get(), MK_SHIFT, At, &Effect), S_OK);
  EXPECT_EQ(Effect, DWORD(DROPEFFECT_NONE));
  EXPECT_NE(GetFileAttributesW(ToWide(Dir / "beta\\a.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesW(ToWide(Source / "a.txt").c_str()), INVALID_FILE_ATTRIBUTES);

  // The right button asks first: here for shortcuts, made in the node's folder. b.txt is
  // the one file left in the source.
  {
    TComPtr<IDataObject> Left = CreateShellDataObject(SourceList.Get(), {BRel.Get()});
    TDropMenuAnswer Answer(DROPEFFECT_LINK);
    R = Gamma->DisplayRect(true);
    S = Tree->ClientToScreen(TPoint((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2));
    At = POINTL{S.X, S.Y};
    Effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    Tree->DoDragEnter(Left.Get(), MK_RBUTTON, At, &Effect);
    Effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    ASSERT_EQ(Tree->DoDrop(Left.Get(), 0, At, &Effect), S_OK);
    EXPECT_EQ(Effect, DWORD(DROPEFFECT_LINK));
    EXPECT_EQ(Answer.Shown, std::vector<std::string>{"&Copy Here|&Move Here*|Create &Shortcuts Here|-|Cancel"});
    TLinkData Link;
    EXPECT_EQ(GetLinkData(Dir / "gamma\\Shortcut to b.txt.lnk", Link, false), S_OK);
    EXPECT_TRUE(AnsiSameText(Link.Path, Source / "b.txt")) << Link.Path;
  }

  // Outside any node: nothing.
  TPoint Far = Tree->ClientToScreen(TPoint(200, 340));
  Effect = DROPEFFECT_COPY;
  Tree->DoDragEnter(Data.Get(), MK_LBUTTON, POINTL{Far.X, Far.Y}, &Effect);
  EXPECT_EQ(Effect, DWORD(DROPEFFECT_NONE));
  Tree->DoDragLeave();
}

TEST_F(ShellTreeFixture, ComboFollowsAndDrivesTheTree) {
  auto* Combo = new TPTShellCombo(&Form);
  Combo->SetParent(&Form);
  Combo->SetBounds(0, 0, 480, 24);
  Combo->SetShellTree(Tree);
  EXPECT_THROW(Combo->SetShellList(List), EInvalidOperation);
  PumpMessages();
  TPidl Deep = ParsePath(Dir / "alpha\\one\\deep");
  Tree->SelectFolder(Deep.Get());
  ASSERT_GE(Combo->ItemIndex(), 0);
  TPTImageComboItem* Sel = Combo->ComboItem(Combo->ItemIndex());
  EXPECT_EQ(Sel->Caption, "deep");
  TPTImageComboItem* Up = Combo->ComboItem(Combo->ItemIndex() - 1);
  EXPECT_EQ(Up->Caption, "one");
  EXPECT_EQ(Up->Indent, Sel->Indent - 1);
  EXPECT_EQ(Root()->Count(), 3);
  RedrawWindow(Form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  PumpMessages();
  EXPECT_GT(SaveWindowPng(Form.Handle(), ScreenshotPath("shell_tree_combo_list.png")), 0);

  // Choosing an entry moves the tree, and the tree the list.
  Combo->SetItemIndex(Combo->ItemIndex() - 2);
  Combo->Perform(CN_COMMAND, MAKEWPARAM(0, CBN_SELENDOK), LPARAM(Combo->Handle()));
  EXPECT_EQ(Tree->Selected(), Child(Root(), "alpha"));
  EXPECT_TRUE(AnsiSameText(List->Folder.GetPath(), Dir / "alpha"));
  EXPECT_EQ(Combo->ComboItem(Combo->ItemIndex())->Caption, "alpha");

  Combo->GoUp(1);
  EXPECT_EQ(Tree->Selected(), Root());
}

TEST(ShellCombo, DesktopAndSystemFolderEntries) {
  TForm Form(nullptr);
  auto* Combo = new TPTShellCombo(&Form);
  Combo->SetParent(&Form);
  Combo->SetBounds(0, 0, 300, 24);
  Form.Show();
  PumpMessages();
  ASSERT_GT(Combo->Items()->Count(), 2);
  EXPECT_EQ(Combo->ItemIndex(), 0);
  EXPECT_EQ(Combo->ComboItem(0)->Indent, 0);
  TPidl Drives;
  ASSERT_TRUE(SUCCEEDED(GetSpecialFolderPidl(nullptr, CSIDL_DRIVES, *Drives.Out())));
  int DrivesAt = -1;
  for (int i = 0; i < Combo->Items()->Count(); ++i)
    if (ComparePidls(Combo->EntryData(i)->AbsIdList(), Drives.Get()) == 0) DrivesAt = i;
  ASSERT_GT(DrivesAt, 0);
  EXPECT_EQ(Combo->ComboItem(DrivesAt)->Indent, 1);
  EXPECT_EQ(Combo->ComboItem(DrivesAt + 1)->Indent, 2);  // the drives
  for (int i = 1; i < Combo->Items()->Count(); ++i) EXPECT_GE(Combo->ComboItem(i)->Indent, 1);

  std::string System = GetSpecialFolderPath(nullptr, CSIDL_SYSTEM);
  Combo->Folder()->SetPath(System);
  TPTImageComboItem* Sel = Combo->ComboItem(Combo->ItemIndex());
  ASSERT_NE(Sel, nullptr);
  EXPECT_TRUE(AnsiSameText(Sel->Caption, ExtractFileName(System)));
  EXPECT_EQ(Sel->Indent, 4);
  TPTImageComboItem* Windows = Combo->ComboItem(Combo->ItemIndex() - 1);
  EXPECT_EQ(Windows->Indent, 3);
  TPTImageComboItem* DriveC = Combo->ComboItem(Combo->ItemIndex() - 2);
  EXPECT_EQ(DriveC->Indent, 2);
  EXPECT_TRUE(AnsiSameText(PidlToPath(Combo->EntryData(Combo->ItemIndex() - 2)->AbsIdList()),
                           ExtractFileDrive(System) + "\\"));
  // The current folder shows its open icon.
  EXPECT_EQ(Sel->ImageIndex,
            GetPidlIconIndex(Combo->EntryData(Combo->ItemIndex())->AbsIdList(), SHGFI_SMALLICON | SHGFI_OPENICON));
}

}  // namespace
