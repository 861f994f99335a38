#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "classlib/core/exception.h"
#include "classlib/win/application.h"
#include "classlib/win/forms.h"
#include "classlib/win/registry.h"
#include "shell/pt_shell_list.h"
#include "tests/shell_win/shell_test_util.h"
#include "tests/support/dialog_watcher.h"
#include "tests/support/form_test.h"
#include "tests/support/screenshot.h"

namespace {

const char* ExplorerKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";

// The text the control shows (asked through the control, as painting does).
std::string ItemText(TCustomListView* L, int Index, int Column) {
  wchar_t Buf[512] = {};
  LVITEMW I{};
  I.iSubItem = Column;
  I.pszText = Buf;
  I.cchTextMax = 512;
  SendMessageW(L->Handle(), LVM_GETITEMTEXTW, Index, reinterpret_cast<LPARAM>(&I));
  return FromWide(Buf);
}

int ItemImage(TCustomListView* L, int Index) {
  LVITEMW I{};
  I.mask = LVIF_IMAGE;
  I.iItem = Index;
  SendMessageW(L->Handle(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&I));
  return I.iImage;
}

std::vector<std::string> Names(TCustomListView* L) {
  std::vector<std::string> R;
  int N = int(SendMessageW(L->Handle(), LVM_GETITEMCOUNT, 0, 0));
  for (int I = 0; I < N; ++I) R.push_back(ItemText(L, I, 0));
  return R;
}

std::vector<std::string> Sorted(std::vector<std::string> V) {
  std::sort(V.begin(), V.end());
  return V;
}

int ColumnWidth(TCustomListView* L, int Column) {
  return int(SendMessageW(L->Handle(), LVM_GETCOLUMNWIDTH, Column, 0));
}

void SetHidden(const std::string& Path) {
  SetFileAttributesW(ToWide(Path).c_str(), FILE_ATTRIBUTE_HIDDEN);
}

// Waits until Done holds, handling messages meanwhile; false after Ms milliseconds.
template <class F>
bool WaitFor(F Done, DWORD Ms = 10000) {
  DWORD Start = GetTickCount();
  while (!Done()) {
    if (GetTickCount() - Start > Ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    PumpMessages();
  }
  return true;
}

struct ShellListFixture : ::testing::Test {
  TTempFolder Dir{"zx_shlist"};
  TForm Form{nullptr};
  TPTShellList* List = new TPTShellList(&Form);

  void SetUp() override {
    Form.SetBounds(0, 0, 640, 400);
    List->SetParent(&Form);
    List->SetBounds(0, 0, 620, 360);
    List->SetViewStyle(vsReport);
    List->SetMultiSelect(true);
  }
  // Handlers capture the test's locals, which are gone when the form frees the list.
  void TearDown() override {
    List->OnDeleteItem = nullptr;
    List->OnFillComplete = nullptr;
    List->OnCustomDrawSh = nullptr;
    List->OnCustomDrawShEx = nullptr;
    List->OnEdited = nullptr;
    List->OnAddItem = nullptr;
  }
  void ShowOn(const std::string& Path) {
    TPidl P = ParsePath(Path);
    List->Folder()->SetIdList(P.Get());
    Form.Show();
    PumpMessages();
  }
  int IndexOf(const std::string& Name) {
    std::vector<std::string> N = Names(List);
    auto It = std::find(N.begin(), N.end(), Name);
    return It == N.end() ? -1 : int(It - N.begin());
  }
  void ClickHeader(int Column) {
    NMLISTVIEW N{};
    N.hdr.hwndFrom = List->Handle();
    N.hdr.code = LVN_COLUMNCLICK;
    N.iItem = -1;
    N.iSubItem = Column;
    SendMessageW(Form.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&N));
  }
};

}  // namespace

TEST_F(ShellListFixture, FillsWithNamesAndDetails) {
  Dir.MakeFile("one.txt", 1500);
  Dir.MakeFolder("sub");
  int Fills = 0;
  List->OnFillComplete = [&](TObject*) { ++Fills; };
  ShowOn(Dir.Path());
  EXPECT_EQ(Fills, 1);
  EXPECT_EQ(Sorted(Names(List)), (std::vector<std::string>{"one.txt", "sub"}));
  ASSERT_EQ(List->Columns()->Count(), 4);
  EXPECT_EQ(List->Columns()->Items(0)->Caption(), "Name");
  EXPECT_EQ(List->Columns()->Items(1)->Caption(), "Size");
  EXPECT_EQ(List->Columns()->Items(1)->Alignment(), taRightJustify);
  EXPECT_EQ(List->Columns()->Items(3)->Caption(), "Modified");
  int File = IndexOf("one.txt"), Sub = IndexOf("sub");
  EXPECT_EQ(ItemText(List, File, 1), "2KB");
  EXPECT_EQ(ItemText(List, Sub, 1), "");
  EXPECT_NE(ItemText(List, File, 2), "");
  EXPECT_NE(ItemText(List, File, 3), "");
  EXPECT_EQ(ItemText(List, File, 4), "");  // no such column
  ASSERT_NE(List->GetItemData(File), nullptr);
  EXPECT_EQ(List->GetItemData(File)->GetPath(), Dir / "one.txt");
  EXPECT_EQ(List->GetItemData(99), nullptr);
  // The focus is on the first item; every item shows the shell's icon.
  EXPECT_TRUE(List->Items()->Item(0)->Focused());
  EXPECT_GE(ItemImage(List, File), 0);
  EXPECT_NE(ItemImage(List, File), ItemImage(List, Sub));
}

TEST_F(ShellListFixture, FilterTable) {
  for (const char* N : {"a.txt", "b.TXT", "page.htm", "page.html", "pic.png", "readme"}) Dir.MakeFile(N, 1);
  Dir.MakeFolder("folder.bin");
  ShowOn(Dir.Path());
  struct Case {
    const char* Filter;
    std::vector<std::string> Shown;
  } Cases[] = {
      {"*.txt", {"a.txt", "b.TXT", "folder.bin"}},
      {"*.htm", {"folder.bin", "page.htm"}},  // not page.html, whose short name ends in .HTM
      {"*.txt;;*.png", {"a.txt", "b.TXT", "folder.bin", "pic.png"}},
      {"*.zip", {"folder.bin"}},
      {"read*", {"folder.bin", "readme"}},
      {"*", {"a.txt", "b.TXT", "folder.bin", "page.htm", "page.html", "pic.png", "readme"}},
      {"*.*", {"a.txt", "b.TXT", "folder.bin", "page.htm", "page.html", "pic.png", "readme"}},
  };
  for (const Case& C : Cases) {
    List->SetFileFilter(C.Filter);
    EXPECT_EQ(Sorted(Names(List)), C.Shown) << C.Filter;
  }
  // An empty filter keeps the items until the next fill, which shows everything.
  List->SetFileFilter("*.png");
  List->SetFileFilter("");
  EXPECT_EQ(Names(List), (std::vector<std::string>{"folder.bin", "pic.png"}));
  List->Refill();
  EXPECT_EQ(Names(List).size(), 7u);
}

TEST_F(ShellListFixture, HiddenFilesOnlyWithTheOption) {
  Dir.MakeFile("shown.txt", 1);
  SetHidden(Dir.MakeFile("secret.txt", 1));
  List->SetOptions(List->Options() - TPTShellListOptions{ptsloShowHidden});
  ShowOn(Dir.Path());
  EXPECT_EQ(Names(List), (std::vector<std::string>{"shown.txt"}));
  List->SetOptions(List->Options() + TPTShellListOptions{ptsloShowHidden});
  EXPECT_EQ(Sorted(Names(List)), (std::vector<std::string>{"secret.txt", "shown.txt"}));
}

TEST_F(ShellListFixture, AddItemVetoAndDeleteEvent) {
  for (const char* N : {"keep.txt", "drop.txt"}) Dir.MakeFile(N, 1);
  List->OnAddItem = [](TObject*, IShellFolder* F, PCItemIDList, PCItemIDList Rel, ULONG, bool& Allow) {
    if (GetPidlDisplayName(F, Rel, 1) == "drop.txt") Allow = false;
  };
  std::vector<std::string> Deleted;
  List->OnDeleteItem = [&](TObject*, TListItem*, TPTShListData* D) { Deleted.push_back(D->GetFileName()); };
  ShowOn(Dir.Path());
  EXPECT_EQ(Names(List), (std::vector<std::string>{"keep.txt"}));
  // Items of the application live beside the shell's and are left alone.
  TListItem* Own = List->Items()->Add();
  Own->SetCaption("mine");
  int Tag = 5;
  Own->SetData(&Tag);
  EXPECT_EQ(List->GetItemData(1), nullptr);
  EXPECT_EQ(ItemText(List, 1, 1), "");
  List->Refill();
  EXPECT_EQ(Deleted, (std::vector<std::string>{"keep.txt"}));
}

TEST_F(ShellListFixture, HeaderClicksReverseAndReset) {
  Dir.MakeFile("b.txt", 3000);
  Dir.MakeFile("a.txt", 10);
  Dir.MakeFile("c.txt", 5000);
  ShowOn(Dir.Path());
  const std::vector<std::string> ByName{"a.txt", "b.txt", "c.txt"};
  const std::vector<std::string> Reversed{"c.txt", "b.txt", "a.txt"};
  EXPECT_EQ(Names(List), ByName);
  ClickHeader(0);
  EXPECT_EQ(List->SortColumn(), -1);
  EXPECT_EQ(Names(List), Reversed);
  ClickHeader(0);
  EXPECT_EQ(Names(List), ByName);
  // The folder decides what each column's order is (some shells order by name whatever the
  // column): these sizes grow with the names, so both readings agree.
  ClickHeader(1);
  EXPECT_EQ(List->SortColumn(), 2);
  EXPECT_EQ(Names(List), (std::vector<std::string>{"a.txt", "b.txt", "c.txt"}));
  ClickHeader(1);
  EXPECT_EQ(Names(List), Reversed);
  ClickHeader(0);  // another column starts ascending again
  EXPECT_EQ(List->SortColumn(), 1);
  EXPECT_EQ(Names(List), ByName);
}

TEST_F(ShellListFixture, DirectoryColsWidthsAndCarriedWidths) {
  std::string Other = Dir.MakeFolder("other");
  {
    TRegistry Reg;
    Reg.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(Reg.OpenKey(ExplorerKey, true));
    const uint8_t Data[] = {250, 0, 80, 0, 90, 0, 140, 0};
    Reg.WriteBinaryData("DirectoryCols", Data, sizeof Data);
  }
  struct TDropValue {
    ~TDropValue() {
      TRegistry Reg;
      Reg.SetRootKey(HKEY_CURRENT_USER);
      if (Reg.OpenKey(ExplorerKey, false)) Reg.DeleteValue("DirectoryCols");
      // The widths carried from list to list start afresh for the tests after this one.
      ShellListWidthStream().Clear();
    }
  } Drop;
  ShowOn(Dir.Path());
  EXPECT_EQ(ColumnWidth(List, 0), 250);
  EXPECT_EQ(ColumnWidth(List, 1), 80);
  EXPECT_EQ(ColumnWidth(List, 2), 90);
  EXPECT_EQ(ColumnWidth(List, 3), 140);
  // The user widens a column; the next folder keeps it.
  SendMessageW(List->Handle(), LVM_SETCOLUMNWIDTH, 0, 333);
  TPidl P = ParsePath(Other);
  List->Folder()->SetIdList(P.Get());
  EXPECT_EQ(ColumnWidth(List, 0), 333);
  EXPECT_EQ(ColumnWidth(List, 1), 80);
  // A second list takes the shared widths too.
  auto* Second = new TPTShellList(&Form);
  Second->SetParent(&Form);
  Second->SetViewStyle(vsReport);
  Second->Folder()->SetIdList(P.Get());
  Second->HandleNeeded();
  EXPECT_EQ(ColumnWidth(Second, 0), 333);
}

TEST_F(ShellListFixture, MissingFolderRaisesAndLeavesTheListEmpty) {
  Dir.MakeFile("x.txt", 1);
  std::string Gone = Dir.MakeFolder("gone");
  TPidl GonePidl = ParsePath(Gone);
  ASSERT_TRUE(GonePidl);
  ASSERT_TRUE(RemoveDirectoryW(ToWide(Gone).c_str()));
  ShowOn(Dir.Path());
  ASSERT_EQ(Names(List).size(), 1u);
  EXPECT_THROW(List->Folder()->SetIdList(GonePidl.Get()), Exception);
  EXPECT_EQ(List->Items()->Count(), 0);
}

TEST_F(ShellListFixture, IconsOverlaysAndApplicationImages) {
  Dir.MakeFile("a.txt", 1);
  ShowOn(Dir.Path());
  TListItem* Item = List->Items()->Item(0);
  int Shell = ItemImage(List, 0);
  Item->SetImageIndex(0);  // 0 is taken for "not assigned"
  EXPECT_EQ(ItemImage(List, 0), Shell);
  Item->SetImageIndex(3);
  EXPECT_EQ(ItemImage(List, 0), 3);
}

TEST_F(ShellListFixture, CustomDrawSeesTheItemData) {
  Dir.MakeFile("a.txt", 1);
  ShowOn(Dir.Path());
  int Sh = 0, ShEx = 0;
  TPTShListData* Seen = nullptr;
  List->OnCustomDrawSh = [&](TObject*, TPTCustomDraw* CD, TListItem*, TPTShListData* D) {
    ++Sh;
    Seen = D;
    CD->GetFont()->SetColor(TColor(RGB(255, 0, 0)));
  };
  List->OnCustomDrawShEx = [&](TObject*, TPTCustomDraw*, TListItem*, TPTShListData*) { ++ShEx; };
  auto Send = [&](DWORD Stage, DWORD_PTR Item, HDC DC) {
    NMLVCUSTOMDRAW D{};
    D.nmcd.hdr.hwndFrom = List->Handle();
    D.nmcd.hdr.code = NM_CUSTOMDRAW;
    D.nmcd.dwDrawStage = Stage;
    D.nmcd.dwItemSpec = Item;
    D.nmcd.hdc = DC;
    return SendMessageW(Form.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&D));
  };
  HDC DC = CreateCompatibleDC(nullptr);
  EXPECT_EQ(Send(CDDS_PREPAINT, 0, DC) & CDRF_NOTIFYITEMDRAW, CDRF_NOTIFYITEMDRAW);
  EXPECT_EQ(Sh, 0);
  EXPECT_EQ(Send(CDDS_ITEMPREPAINT, 0, DC) & CDRF_NOTIFYSUBITEMDRAW, CDRF_NOTIFYSUBITEMDRAW);
  DeleteDC(DC);
  EXPECT_EQ(Sh, 1);
  EXPECT_EQ(ShEx, 2);
  EXPECT_EQ(Seen, List->GetItemData(0));
  // Without handlers the item notifications are asked for all the same.
  List->OnCustomDrawSh = nullptr;
  List->OnCustomDrawShEx = nullptr;
  EXPECT_EQ(Send(CDDS_PREPAINT, 0, nullptr) & 0x20, 0x20);
}

TEST_F(ShellListFixture, RefreshItemsKeepsItemsAndAppendsNewOnes) {
  Dir.MakeFile("b.txt", 1);
  Dir.MakeFile("d.txt", 1);
  ShowOn(Dir.Path());
  List->Items()->Item(1)->SetSelected(true);  // d.txt
  Dir.MakeFile("a.txt", 1);
  DeleteFileW(ToWide(Dir / "b.txt").c_str());
  Dir.MakeFile("d.txt", 2000);  // changed in place: the same object, a new size
  List->RefreshItems();
  EXPECT_EQ(Names(List), (std::vector<std::string>{"d.txt", "a.txt"}));
  EXPECT_TRUE(List->Items()->Item(0)->Selected());
  EXPECT_EQ(ItemText(List, 0, 1), "2KB");
  // A full fill sorts again.
  List->Refill();
  EXPECT_EQ(Names(List), (std::vector<std::string>{"a.txt", "d.txt"}));
}

namespace {

// Types Text into the open in-place editor and presses Enter.
void TypeIntoEditor(TCustomListView* L, const std::string& Text) {
  HWND Edit = reinterpret_cast<HWND>(SendMessageW(L->Handle(), LVM_GETEDITCONTROL, 0, 0));
  ASSERT_NE(Edit, nullptr);
  SetWindowTextW(Edit, ToWide(Text).c_str());
  SendMessageW(Edit, WM_KEYDOWN, VK_RETURN, 1);
  PumpMessages();
}

bool Exists(const std::string& Path) { return GetFileAttributesW(ToWide(Path).c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

TEST_F(ShellListFixture, RenameInPlaceRenamesTheFile) {
  Dir.MakeFile("old.txt", 5);
  ShowOn(Dir.Path());
  std::string Edited;
  List->OnEdited = [&](TObject*, TListItem*, std::string& S) { Edited = S; };
  ASSERT_TRUE(List->RenameItemNamed("old.txt"));
  ASSERT_NO_FATAL_FAILURE(TypeIntoEditor(List, "new.txt"));
  EXPECT_TRUE(Exists(Dir / "new.txt"));
  EXPECT_FALSE(Exists(Dir / "old.txt"));
  EXPECT_EQ(Names(List), (std::vector<std::string>{"new.txt"}));
  EXPECT_EQ(Edited, "new.txt");
  EXPECT_EQ(List->GetItemData(0)->GetPath(), Dir / "new.txt");
}

TEST_F(ShellListFixture, RenameRefusesBadNamesAndTellsWhy) {
  Dir.MakeFile("keep.txt", 5);
  Dir.MakeFile("taken.txt", 5);
  ShowOn(Dir.Path());
  TDialogWatcher Watcher;
  for (const char* Bad : {"..\\escaped.txt", "..", "a/b", "taken.txt"}) {
    ASSERT_TRUE(List->RenameItemNamed("keep.txt")) << Bad;
    ASSERT_NO_FATAL_FAILURE(TypeIntoEditor(List, Bad));
    EXPECT_TRUE(Exists(Dir / "keep.txt")) << Bad;
    EXPECT_TRUE(Exists(Dir / "taken.txt")) << Bad;
    EXPECT_EQ(Sorted(Names(List)), (std::vector<std::string>{"keep.txt", "taken.txt"})) << Bad;
  }
  EXPECT_FALSE(Exists(Dir.Path() + "\\..\\escaped.txt"));
  EXPECT_EQ(Watcher.Answered().size(), 4u);
}

TEST_F(ShellListFixture, GoUpShowsTheParent) {
  std::string Sub = Dir.MakeFolder("sub");
  std::string Deeper = Dir.MakeFolder("sub\\deeper");
  ShowOn(Deeper);
  List->GoUp(1);
  EXPECT_EQ(List->Folder()->GetPath(), Sub);
  EXPECT_EQ(Names(List), (std::vector<std::string>{"deeper"}));
  List->GoUp(1000);  // past the top: the desktop
  EXPECT_EQ(TPTIdListArray(List->Folder()->GetIdList()).Count(), 0);
  List->GoUp(1);  // nothing above the desktop
  EXPECT_EQ(TPTIdListArray(List->Folder()->GetIdList()).Count(), 0);
  TPidl P = ParsePath(Deeper);
  List->Folder()->SetIdList(P.Get());
  List->SetOptions(List->Options() + TPTShellListOptions{ptsloDontChangeFolder});
  List->GoUp(1);
  EXPECT_EQ(List->Folder()->GetPath(), Deeper);
}

TEST_F(ShellListFixture, ChangesFromOutsideRefreshOnceAfterTheBurst) {
  Dir.MakeFile("stays.txt", 1);
  std::string Goes = Dir.MakeFile("goes.txt", 1);
  ShowOn(Dir.Path());
  ASSERT_EQ(List->Items()->Count(), 2);
  List->SetFocus();
  ASSERT_TRUE(DeleteFileW(ToWide(Goes).c_str()));
  EXPECT_TRUE(WaitFor([&] { return List->Items()->Count() == 1; }));
  EXPECT_EQ(Names(List), (std::vector<std::string>{"stays.txt"}));
  // Without the focus: twenty new files arrive in one refresh.
  ::SetFocus(Form.Handle());
  for (int I = 0; I < 20; ++I) Dir.MakeFile("new" + std::to_string(I) + ".txt", 1);
  ASSERT_TRUE(WaitFor([&] { return List->Items()->Count() > 1; }));
  EXPECT_EQ(List->Items()->Count(), 21);
}

TEST(ShellListScreenshot, TwoListsSideBySide) {
  TTempFolder Left("zx_shlist_left"), Right("zx_shlist_right");
  Left.MakeFile("notes.txt", 2500);
  Left.MakeFile("picture.bmp", 70000);
  Left.MakeFolder("Documents");
  Right.MakeFile("program.exe", 40000);
  Right.MakeFile("page.htm", 800);
  Right.MakeFolder("Archive");
  TForm Form(nullptr);
  Form.SetBounds(0, 0, 1000, 300);
  Form.SetCaption("Two shell lists");
  TPTShellList* Lists[2];
  const std::string* Paths[2] = {&Left.Path(), &Right.Path()};
  for (int I = 0; I < 2; ++I) {
    Lists[I] = new TPTShellList(&Form);
    Lists[I]->SetParent(&Form);
    Lists[I]->SetBounds(I * 495, 0, 490, 260);
    Lists[I]->SetViewStyle(vsReport);
    TPidl P = ParsePath(*Paths[I]);
    Lists[I]->Folder()->SetIdList(P.Get());
  }
  Form.Show();
  PumpMessages();
  for (TPTShellList* L : Lists) UpdateWindow(L->Handle());
  PumpMessages();
  EXPECT_EQ(Lists[0]->Items()->Count(), 3);
  EXPECT_EQ(Lists[1]->Items()->Count(), 3);
  EXPECT_GT(SaveWindowPng(Form.Handle(), ScreenshotPath("pt_shell_list_two_panels.png")), 1000);
}
