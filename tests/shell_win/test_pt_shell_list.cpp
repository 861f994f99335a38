#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "classlib/core/exception.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/forms.h"
#include "classlib/win/registry.h"
#include "shell/pt_shell_combo.h"
#include "shell/pt_shell_list.h"
#include "shell/pt_shell_tree.h"
#include "tests/shell_win/shell_test_util.h"
#include "tests/support/dialog_watcher.h"
#include "tests/support/form_test.h"
#include "tests/support/screenshot.h"
#include "tests/support/wait_for.h"

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
    List->OnDblClickOpen = nullptr;
    List->OnKeyDown = nullptr;
    List->OnEditing = nullptr;
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
  // Switched off again, the hidden file leaves the list.
  List->SetOptions(List->Options() - TPTShellListOptions{ptsloShowHidden});
  EXPECT_EQ(Names(List), (std::vector<std::string>{"shown.txt"}));
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

// A folder that cannot be opened is reported, and the list stays on the folder it showed:
// an emptied list on a folder that is not there could not even go up.
TEST_F(ShellListFixture, MissingFolderRaisesAndLeavesTheListOnItsFolder) {
  Dir.MakeFile("x.txt", 1);
  std::string Gone = Dir.MakeFolder("gone");
  TPidl GonePidl = ParsePath(Gone);
  ASSERT_TRUE(GonePidl);
  ASSERT_TRUE(RemoveDirectoryW(ToWide(Gone).c_str()));
  ShowOn(Dir.Path());
  ASSERT_EQ(Names(List).size(), 1u);
  EXPECT_THROW(List->Folder()->SetIdList(GonePidl.Get()), Exception);
  EXPECT_EQ(Names(List), std::vector<std::string>{"x.txt"});
  EXPECT_TRUE(SameText(ExcludeTrailingBackslash(List->Folder()->GetPath()), ExcludeTrailingBackslash(Dir.Path())));
  // The list goes on working from there.
  std::string Sub = Dir.MakeFolder("sub");
  EXPECT_NO_THROW(List->Folder()->SetPath(Sub));
  EXPECT_EQ(List->Items()->Count(), 0);
  EXPECT_TRUE(SameText(ExcludeTrailingBackslash(List->Folder()->GetPath()), ExcludeTrailingBackslash(Sub)));
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

// ---------------------------------------------------------------------------------------
// Opening, keys, verbs and new folders

namespace {

// A key as the user types it: down, then its character when it has one.
void Press(TWinControl* C, uint16_t Key, wchar_t Char = 0) {
  SendMessageW(C->Handle(), WM_KEYDOWN, Key, 1);
  if (Char != 0) SendMessageW(C->Handle(), WM_CHAR, Char, 1);
  PumpMessages();
}

void SelectOnly(TCustomListView* L, const std::vector<int>& Indexes) {
  for (int I = 0; I < L->Items()->Count(); ++I) L->Items()->Item(I)->SetSelected(false);
  for (int I : Indexes) L->Items()->Item(I)->SetSelected(true);
  if (!Indexes.empty()) L->Items()->Item(Indexes[0])->SetFocused(true);
}

void MakeShortcut(const std::string& LinkPath, const std::string& Target) {
  TComPtr<IShellLinkW> Link;
  ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                         reinterpret_cast<void**>(Link.Out()))));
  Link->SetPath(ToWide(Target).c_str());
  TComPtr<IPersistFile> File;
  ASSERT_TRUE(SUCCEEDED(Link.As(File)));
  ASSERT_TRUE(SUCCEEDED(File->Save(ToWide(LinkPath).c_str(), TRUE)));
}

// Files of the extension ".zxopen" open by writing "<name>.opened" beside them (in the
// tests' own Wine prefix).
struct TRecordingHandler {
  TRecordingHandler() {
    TRegistry Reg;
    Reg.SetRootKey(HKEY_CLASSES_ROOT);
    EXPECT_TRUE(Reg.OpenKey(".zxopen", true));
    Reg.WriteString("", "zxopen.file");
    Reg.CloseKey();
    EXPECT_TRUE(Reg.OpenKey("zxopen.file\\shell\\open\\command", true));
    Reg.WriteString("", "C:\\windows\\system32\\cmd.exe /c copy \"%1\" \"%1.opened\"");
  }
  ~TRecordingHandler() {
    TRegistry Reg;
    Reg.SetRootKey(HKEY_CLASSES_ROOT);
    Reg.DeleteKey(".zxopen");
    Reg.DeleteKey("zxopen.file");
  }
};

std::string ReadAll(const std::string& Path) {
  std::string R;
  HANDLE H = CreateFileW(ToWide(Path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (H == INVALID_HANDLE_VALUE) return "<missing>";
  char Buf[4096];
  DWORD Got = 0;
  while (ReadFile(H, Buf, sizeof Buf, &Got, nullptr) && Got != 0) R.append(Buf, Got);
  CloseHandle(H);
  return R;
}

// A list that counts its re-reads of the folder and the watcher's notifications.
class TCountingList : public TPTShellList {
public:
  using TPTShellList::TPTShellList;
  int Reads = 0;
  int Changes = 0;
  void WndProc(TMessage& M) override {
    if (M.Msg == WM_PTSHCHANGE) ++Changes;
    TPTShellList::WndProc(M);
  }

protected:
  void BuildFilterNames() override {
    ++Reads;
    TPTShellList::BuildFilterNames();
  }
};

}  // namespace

TEST_F(ShellListFixture, EnterBackspaceAndDoubleClickMoveAboutUnlessForbidden) {
  std::string Sub = Dir.MakeFolder("sub");
  Dir.MakeFile("sub\\inside.txt", 1);
  std::string Target = Dir.MakeFolder("target");
  Dir.MakeFile("target\\there.txt", 1);
  // Shown without its extension.
  ASSERT_NO_FATAL_FAILURE(MakeShortcut(Dir / "to target.lnk", Target));
  struct TCase {
    const char* Item;  // selected in Dir; empty: Backspace in sub
    bool DoubleClick;
    std::string Expected;
  } Cases[] = {{"sub", false, Sub},
               {"to target", false, Target},
               {"", false, Dir.Path()},
               {"sub", true, Sub}};
  for (bool Forbidden : {false, true}) {
    for (const TCase& C : Cases) {
      std::string Start = *C.Item != 0 ? Dir.Path() : Sub;
      List->SetOptions(List->Options() - TPTShellListOptions{ptsloDontChangeFolder});
      ShowOn(Start);
      if (Forbidden) List->SetOptions(List->Options() + TPTShellListOptions{ptsloDontChangeFolder});
      std::string Label = std::string(C.Item) + (C.DoubleClick ? " (double click)" : "") +
                          (Forbidden ? " forbidden" : "");
      if (*C.Item == 0) {
        Press(List, VK_BACK, L'\b');
      } else {
        int Index = IndexOf(C.Item);
        ASSERT_GE(Index, 0) << Label;
        SelectOnly(List, {Index});
        if (C.DoubleClick) {
          TRect R = List->Items()->Item(Index)->DisplayRect(LVIR_LABEL);
          SendMessageW(List->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(R.Left + 2, R.Top + 2));
          SendMessageW(List->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(R.Left + 2, R.Top + 2));
          PumpMessages();
        } else {
          Press(List, VK_RETURN, L'\r');
        }
      }
      EXPECT_EQ(List->Folder()->GetPath(), Forbidden ? Start : C.Expected) << Label;
    }
  }
}

TEST_F(ShellListFixture, EnterOnFilesRunsTheirDefaultCommandUnlessTheApplicationHandlesIt) {
  TRecordingHandler Handler;
  Dir.MakeFile("vetoed.zxopen", 3);
  Dir.MakeFile("one.zxopen", 4);
  Dir.MakeFile("two.zxopen", 5);
  Dir.MakeFile("three.zxopen", 6);
  ShowOn(Dir.Path());
  bool Veto = true;
  int Asked = 0;
  List->OnDblClickOpen = [&](TObject*, bool& Handled) {
    ++Asked;
    Handled = Veto;
  };
  SelectOnly(List, {IndexOf("vetoed.zxopen")});
  Press(List, VK_RETURN, L'\r');
  EXPECT_EQ(Asked, 1);
  Veto = false;
  SelectOnly(List, {IndexOf("one.zxopen")});
  Press(List, VK_RETURN, L'\r');
  // Two together: the default command of both, without asking the application.
  SelectOnly(List, {IndexOf("two.zxopen"), IndexOf("three.zxopen")});
  List->OpenSelected();
  EXPECT_EQ(Asked, 2);
  EXPECT_TRUE(WaitFor([&] {
    return Exists(Dir / "one.zxopen.opened") && Exists(Dir / "two.zxopen.opened") &&
           Exists(Dir / "three.zxopen.opened");
  }));
  EXPECT_EQ(ReadAll(Dir / "one.zxopen.opened"), "xxxx");
  EXPECT_FALSE(Exists(Dir / "vetoed.zxopen.opened"));
  List->OnDblClickOpen = nullptr;
}

TEST_F(ShellListFixture, F2EditsTheFocusedNameAndF5ReadsTheFolderAgain) {
  Dir.MakeFile("b.txt", 1);
  Dir.MakeFile("a.txt", 1);
  ShowOn(Dir.Path());
  SelectOnly(List, {IndexOf("b.txt")});
  // F2 asks the list view to edit the focused name (whether the editor then keeps the
  // focus is the desktop's business).
  std::string Began;
  List->OnEditing = [&](TObject*, TListItem* Item, bool& Allow) {
    Began = Item->Caption();
    Allow = false;
  };
  List->SetFocus();
  Press(List, VK_F2);
  EXPECT_EQ(Began, "b.txt");
  List->OnEditing = nullptr;
  Dir.MakeFile("0.txt", 1);
  List->RefreshItems();
  EXPECT_EQ(Names(List).back(), "0.txt");  // appended
  // A handler that takes F5 keeps the list as it is; without it F5 sorts anew.
  List->OnKeyDown = [](TObject*, uint16_t& Key, TShiftState) {
    if (Key == VK_F5) Key = 0;
  };
  Press(List, VK_F5);
  EXPECT_EQ(Names(List).back(), "0.txt");
  List->OnKeyDown = nullptr;
  Press(List, VK_F5);
  EXPECT_EQ(Names(List), (std::vector<std::string>{"0.txt", "a.txt", "b.txt"}));
}

TEST(ShellListCommands, CopyCutAndPasteBetweenTwoListsAndAFailedCopyPastesNothing) {
  TTempFolder Dir("zx_shlist_copy");
  std::string From = Dir.MakeFolder("from"), To = Dir.MakeFolder("to");
  std::string One = Dir.MakeFile("from\\one.bin", 1000), Two = Dir.MakeFile("from\\two.bin", 3000);
  Dir.MakeFile("from\\moved.bin", 2000);
  Dir.MakeFile("from\\old.bin", 10);
  std::string Gone = Dir.MakeFile("from\\gone.bin", 10);
  TForm Form(nullptr);
  Form.SetBounds(0, 0, 640, 400);
  TPTShellList* Lists[2];
  for (int I = 0; I < 2; ++I) {
    Lists[I] = new TPTShellList(&Form);
    Lists[I]->SetParent(&Form);
    Lists[I]->SetBounds(I * 320, 0, 310, 360);
    Lists[I]->SetViewStyle(vsReport);
    Lists[I]->SetMultiSelect(true);
    TPidl P = ParsePath(I == 0 ? From : To);
    Lists[I]->Folder()->SetIdList(P.Get());
  }
  Form.Show();
  PumpMessages();
  TPTShellList* A = Lists[0];
  TPTShellList* B = Lists[1];
  auto Index = [&](const std::string& Name) {
    std::vector<std::string> N = Names(A);
    return int(std::find(N.begin(), N.end(), Name) - N.begin());
  };
  SelectOnly(A, {Index("one.bin"), Index("two.bin")});
  ASSERT_EQ(A->InvokeCommandOnSelected("copy"), S_OK);
  B->InvokeCommandOnFolder("paste");
  EXPECT_EQ(ReadAll(To + "\\one.bin"), ReadAll(One));
  EXPECT_EQ(ReadAll(To + "\\two.bin"), ReadAll(Two));
  EXPECT_TRUE(Exists(One));

  SelectOnly(A, {Index("moved.bin")});
  ASSERT_EQ(A->InvokeCommandOnSelected("cut"), S_OK);
  B->InvokeCommandOnFolder("paste");
  EXPECT_EQ(ReadAll(To + "\\moved.bin"), std::string(2000, 'x'));
  EXPECT_FALSE(Exists(From + "\\moved.bin"));

  // A copy whose source went away fails, and the paste after it brings nothing, not
  // what was copied before.
  SelectOnly(A, {Index("old.bin")});
  ASSERT_EQ(A->InvokeCommandOnSelected("copy"), S_OK);
  SelectOnly(A, {Index("gone.bin")});
  ASSERT_TRUE(DeleteFileW(ToWide(Gone).c_str()));
  EXPECT_TRUE(FAILED(A->InvokeCommandOnSelected("copy")));
  B->InvokeCommandOnFolder("paste");
  EXPECT_FALSE(Exists(To + "\\old.bin"));
  EXPECT_FALSE(Exists(To + "\\gone.bin"));
  // Nothing selected: no verb runs.
  SelectOnly(A, {});
  EXPECT_EQ(A->InvokeCommandOnSelected("copy"), E_FAIL);
}

TEST(ShellListNewFolder, AppearsInRenameAndItsOwnChangeIsNotReadAgain) {
  TTempFolder Dir("zx_shlist_newfolder");
  Dir.MakeFile("file.txt", 1);
  TForm Form(nullptr);
  Form.SetBounds(0, 0, 640, 400);
  auto* L = new TCountingList(&Form);
  L->SetParent(&Form);
  L->SetBounds(0, 0, 620, 360);
  L->SetViewStyle(vsReport);
  TPidl P = ParsePath(Dir.Path());
  L->Folder()->SetIdList(P.Get());
  Form.Show();
  PumpMessages();
  L->Reads = 0;
  ASSERT_TRUE(L->CreateNewFolder(false));
  EXPECT_TRUE(Exists(Dir / "New Folder"));
  EXPECT_EQ(Sorted(Names(L)), (std::vector<std::string>{"New Folder", "file.txt"}));
  EXPECT_EQ(L->Reads, 1);
  // The watcher reports the folder made; that report is dropped, so nothing waits to run.
  ASSERT_TRUE(WaitFor([&] { return L->Changes >= 1; }));
  L->FlushPendingUpdate(false);
  EXPECT_EQ(L->Reads, 1);

  // With rename: the second free name, at once in editing.
  ASSERT_TRUE(L->CreateNewFolder(true));
  EXPECT_TRUE(Exists(Dir / "New Folder (2)"));
  ASSERT_TRUE(WaitFor([&] { return L->IsEditing(); }));
  EXPECT_EQ(L->Selected()->Caption(), "New Folder (2)");
  SendMessageW(reinterpret_cast<HWND>(SendMessageW(L->Handle(), LVM_GETEDITCONTROL, 0, 0)), WM_KEYDOWN, VK_ESCAPE,
               1);
  PumpMessages();
}

TEST(ShellListNewFolder, AFailedNewFolderLeavesTheNextChangeCountingAndAFolderWithoutPathRefuses) {
  TTempFolder Dir("zx_shlist_newfolder_full");
  Dir.MakeFolder("New Folder");
  for (int N = 2; N <= 50; ++N) Dir.MakeFolder("New Folder (" + std::to_string(N) + ")");
  TForm Form(nullptr);
  Form.SetBounds(0, 0, 640, 400);
  auto* L = new TCountingList(&Form);
  L->SetParent(&Form);
  L->SetBounds(0, 0, 620, 360);
  L->SetViewStyle(vsReport);
  TPidl P = ParsePath(Dir.Path());
  L->Folder()->SetIdList(P.Get());
  Form.Show();
  PumpMessages();
  {
    TDialogWatcher Watcher;
    EXPECT_FALSE(L->CreateNewFolder(true));
    EXPECT_EQ(Watcher.Answered().size(), 1u);
  }
  // The first change from outside is not taken for the list's own.
  Dir.MakeFile("outside.txt", 1);
  ASSERT_TRUE(WaitFor([&] { return L->Changes >= 1; }));
  L->FlushPendingUpdate(false);
  EXPECT_EQ(Names(L).back(), "outside.txt");

  TPidl Drives;
  ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, Drives.Out())));
  L->Folder()->SetIdList(Drives.Get());
  TDialogWatcher Watcher;
  EXPECT_FALSE(L->CreateNewFolder(false));
  EXPECT_EQ(Watcher.Answered().size(), 1u);
}

// ---------------------------------------------------------------------------------------
// A tree, a combo and a list linked as one panel

TEST(ShellListLinked, TreeComboAndListFollowEachOther) {
  TTempFolder Dir("zx_shlist_linked");
  std::string Sub = Dir.MakeFolder("sub");
  std::string Deeper = Dir.MakeFolder("sub\\deeper");
  Dir.MakeFile("sub\\file.txt", 1);
  TForm Form(nullptr);
  Form.SetBounds(0, 0, 700, 400);
  auto* Combo = new TPTShellCombo(&Form);
  auto* Tree = new TPTShellTree(&Form);
  auto* List = new TPTShellList(&Form);
  Combo->SetParent(&Form);
  Combo->SetBounds(0, 0, 690, 24);
  Tree->SetParent(&Form);
  Tree->SetBounds(0, 30, 240, 360);
  List->SetParent(&Form);
  List->SetBounds(250, 30, 440, 360);
  List->SetViewStyle(vsReport);
  Tree->BaseFolder()->SetPath(Dir.Path());
  Tree->SetShellList(List);
  Combo->SetShellTree(Tree);
  Form.Show();
  PumpMessages();
  ASSERT_EQ(List->LinkedTree(), Tree);
  auto Same = [](const std::string& A, const std::string& B) { return AnsiSameText(A, B); };

  // The tree moves the list and the combo.
  TPidl P = ParsePath(Sub);
  Tree->SelectFolder(P.Get());
  PumpMessages();
  EXPECT_TRUE(Same(List->Folder()->GetPath(), Sub)) << List->Folder()->GetPath();
  EXPECT_EQ(Sorted(Names(List)), (std::vector<std::string>{"deeper", "file.txt"}));
  EXPECT_TRUE(Same(Combo->Folder()->GetPath(), Sub));

  // Entering a folder in the list goes through the tree; going up too.
  List->SetFocus();
  for (int I = 0; I < List->Items()->Count(); ++I)
    List->Items()->Item(I)->SetSelected(Names(List)[size_t(I)] == "deeper");
  List->OpenSelected();
  PumpMessages();
  EXPECT_TRUE(Same(List->Folder()->GetPath(), Deeper));
  ASSERT_NE(Tree->Selected(), nullptr);
  EXPECT_EQ(Tree->Selected()->Text(), "deeper");
  EXPECT_TRUE(Same(Combo->Folder()->GetPath(), Deeper));
  List->GoUp(1);
  PumpMessages();
  EXPECT_TRUE(Same(List->Folder()->GetPath(), Sub));
  EXPECT_TRUE(Same(Tree->CurrentFolder()->GetPath(), Sub));

  // Setting the list's folder moves the tree.
  TPidl D = ParsePath(Deeper);
  List->Folder()->SetIdList(D.Get());
  PumpMessages();
  EXPECT_TRUE(Same(Tree->CurrentFolder()->GetPath(), Deeper));

  // The tree shows the folders, so the list may leave them out.
  List->Folder()->SetIdList(P.Get());
  List->SetOptions(List->Options() + TPTShellListOptions{ptsloHideFoldersWhenLinkedToTree});
  EXPECT_EQ(Names(List), (std::vector<std::string>{"file.txt"}));

  // A list freed first leaves the tree and combo without it.
  delete List;
  EXPECT_EQ(Tree->ShellList(), nullptr);
  Tree->SelectFolder(D.Get());
  PumpMessages();
}

TEST(ShellListLinked, LinkedByPublishedPropertiesTheListFollowsATreeRenameAndAComboChoice) {
  TTempFolder Dir("zx_shlist_linked_props");
  Dir.MakeFolder("beta");
  Dir.MakeFile("beta\\inside.txt", 3);
  Dir.MakeFolder("alpha");
  Dir.MakeFolder("alpha\\one");
  Dir.MakeFolder("alpha\\one\\deep");
  Dir.MakeFile("alpha\\top.txt", 1);
  TForm Form(nullptr);
  Form.SetBounds(0, 0, 700, 400);
  auto* Combo = new TPTShellCombo(&Form);
  auto* Tree = new TPTShellTree(&Form);
  auto* List = new TPTShellList(&Form);
  Combo->SetName("Combo1");
  Tree->SetName("Tree1");
  List->SetName("List1");
  Combo->SetParent(&Form);
  Combo->SetBounds(0, 0, 690, 24);
  Tree->SetParent(&Form);
  Tree->SetBounds(0, 30, 240, 360);
  List->SetParent(&Form);
  List->SetBounds(250, 30, 440, 360);
  List->SetViewStyle(vsReport);

  // What a form's data sets by name.
  EXPECT_EQ(GetPropText(Tree, "Options"),
            "[ptstoAutoFill,ptstoVirtualFolders,ptstoDefaultKeyHandling,ptstoContextMenus,ptstoDynamicRefresh,"
            "ptstoOleDrag,ptstoOleDrop,ptstoShowHidden]");
  EXPECT_EQ(GetPropText(Combo, "Options"), "[ptscoAutofill,ptscoNonFilesystemAncestors]");
  EXPECT_EQ(GetPropText(Combo, "IndentPixels"), "12");
  EXPECT_EQ(GetObjectProp(Tree, "BaseFolder"), Tree->BaseFolder());
  for (const char* Event : {"OnAddItem", "OnDeleteItem", "OnPopupHint", "OnCustomDrawSh", "OnCustomDrawShEx",
                            "OnFillComplete"})
    EXPECT_TRUE(IsPublishedProp(Tree, Event)) << Event;
  for (const char* Event : {"OnCloseUp", "OnSelEndOk", "OnSelEndCancel", "OnDeleteItem"})
    EXPECT_TRUE(IsPublishedProp(Combo, Event)) << Event;
  SetPropText(Tree, "ShellList", "List1");
  SetPropText(Combo, "ShellTree", "Tree1");
  EXPECT_EQ(GetPropText(Tree, "ShellList"), "List1");
  EXPECT_EQ(GetPropText(Combo, "ShellTree"), "Tree1");
  EXPECT_EQ(List->LinkedTree(), Tree);
  // One partner at a time.
  EXPECT_THROW(SetPropText(Combo, "ShellList", "List1"), EInvalidOperation);
  EXPECT_EQ(GetPropText(Combo, "ShellList"), "");
  TPidl Base = ParsePath(Dir.Path());
  Tree->BaseFolder()->SetIdList(Base.Get());
  Form.Show();
  PumpMessages();
  auto Child = [](TTreeNode* Parent, const std::string& Text) -> TTreeNode* {
    for (TTreeNode* C = Parent != nullptr ? Parent->GetFirstChild() : nullptr; C != nullptr; C = C->GetNextSibling())
      if (C->Text() == Text) return C;
    return nullptr;
  };
  auto Same = [](const std::string& A, const std::string& B) { return AnsiSameText(A, B); };

  // F2 in the tree renames the folder in place, and the list shows it under its new name.
  TTreeNode* Beta = Child(Tree->Items()->GetFirstNode(), "beta");
  ASSERT_NE(Beta, nullptr);
  TPidl BetaList = ParsePath(Dir / "beta");
  Tree->SelectFolder(BetaList.Get());
  Tree->SetFocus();
  PumpMessages();
  ASSERT_EQ(Tree->Selected(), Beta);
  ASSERT_TRUE(Same(List->Folder()->GetPath(), Dir / "beta")) << List->Folder()->GetPath();
  PressKey(VK_F2);
  ASSERT_TRUE(Tree->IsEditing());
  HWND Edit = reinterpret_cast<HWND>(SendMessageW(Tree->Handle(), TVM_GETEDITCONTROL, 0, 0));
  SetWindowTextW(Edit, L"renamed");
  SendMessageW(Tree->Handle(), TVM_ENDEDITLABELNOW, FALSE, 0);
  PumpMessages();
  EXPECT_TRUE(Exists(Dir / "renamed\\inside.txt"));
  EXPECT_TRUE(Same(List->Folder()->GetPath(), Dir / "renamed")) << List->Folder()->GetPath();
  EXPECT_EQ(Names(List), (std::vector<std::string>{"inside.txt"}));
  EXPECT_TRUE(Same(Combo->Folder()->GetPath(), Dir / "renamed"));
  ASSERT_NE(List->GetItemData(0), nullptr);
  EXPECT_TRUE(Same(List->GetItemData(0)->GetPath(), Dir / "renamed\\inside.txt"));

  // Choosing an entry of the combo moves the tree, and the tree the list.
  TPidl Deep = ParsePath(Dir / "alpha\\one\\deep");
  Tree->SelectFolder(Deep.Get());
  PumpMessages();
  ASSERT_GE(Combo->ItemIndex(), 2);
  Combo->SetItemIndex(Combo->ItemIndex() - 2);
  Combo->Perform(CN_COMMAND, MAKEWPARAM(0, CBN_SELENDOK), LPARAM(Combo->Handle()));
  PumpMessages();
  ASSERT_NE(Tree->Selected(), nullptr);
  EXPECT_EQ(Tree->Selected()->Text(), "alpha");
  EXPECT_TRUE(Same(List->Folder()->GetPath(), Dir / "alpha"));
  EXPECT_EQ(Sorted(Names(List)), (std::vector<std::string>{"one", "top.txt"}));
}

// ---------------------------------------------------------------------------------------
// Drag and drop through the drop-target interfaces

namespace {

// A drop target that logs each call ("a.txt:DragEnter"; a drop with the effect and key
// state it was given) and allows the effects of Answer.
class TRecordingTarget : public TComObject<IDropTarget> {
public:
  TRecordingTarget(std::string Name, std::vector<std::string>& Log, DWORD Answer)
      : FName(std::move(Name)), FLog(Log), FAnswer(Answer) {}
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* Effect) override {
    FLog.push_back(FName + ":DragEnter");
    *Effect &= FAnswer;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* Effect) override {
    FLog.push_back(FName + ":DragOver");
    *Effect &= FAnswer;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    FLog.push_back(FName + ":DragLeave");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD Keys, POINTL, DWORD* Effect) override {
    FLog.push_back(FName + ":Drop " + std::to_string(*Effect) + " " + std::to_string(Keys));
    *Effect &= FAnswer;
    return S_OK;
  }

private:
  std::string FName;
  std::vector<std::string>& FLog;
  DWORD FAnswer;
};

// A list whose own drags run Script instead of the modal loop, and whose drop targets,
// while Recording, are recording ones named after the item ("folder" for the folder
// shown; none for the item named Refused).
class TDragList : public TCountingList {
public:
  using TCountingList::TCountingList;
  using TCountingList::BeginOwnDrag;
  std::function<void(IDataObject* Data, DWORD Allowed)> Script;
  bool Recording = false;
  std::vector<std::string> Log;
  std::string Refused;

protected:
  HRESULT RunDragDrop(IDataObject* Data, IDropSource*, DWORD Allowed, DWORD* Effect) override {
    if (Script) Script(Data, Allowed);
    *Effect = DROPEFFECT_NONE;
    return DRAGDROP_S_DROP;
  }
  TComPtr<IDropTarget> GetDropTargetOf(TListItem* Item) override {
    if (!Recording) return TCountingList::GetDropTargetOf(Item);
    std::string Name = Item != nullptr ? Item->Caption() : "folder";
    if (Name == Refused) return {};
    return TComPtr<IDropTarget>(new TRecordingTarget(Name, Log, DROPEFFECT_COPY | DROPEFFECT_MOVE));
  }
};

struct DragFixture : ::testing::Test {
  TTempFolder Dir{std::string("zx_shlist_drag_") + ::testing::UnitTest::GetInstance()->current_test_info()->name()};
  TForm Form{nullptr};
  TDragList* Lists[2] = {new TDragList(&Form), new TDragList(&Form)};

  void SetUp() override {
    Form.SetBounds(0, 0, 800, 420);
    for (int I = 0; I < 2; ++I) {
      Lists[I]->SetParent(&Form);
      Lists[I]->SetBounds(I * 400, 0, 390, 380);
      Lists[I]->SetViewStyle(vsReport);
      Lists[I]->SetMultiSelect(true);
    }
  }
  void TearDown() override {
    for (TDragList* L : Lists) L->Script = nullptr;
  }
  void Show(int Side, const std::string& Path) {
    TPidl P = ParsePath(Path);
    Lists[Side]->Folder()->SetIdList(P.Get());
    Form.Show();
    PumpMessages();
    Names(Lists[Side]);  // the captions, asked as painting asks them
  }
  int IndexOf(int Side, const std::string& Name) {
    std::vector<std::string> N = Names(Lists[Side]);
    auto It = std::find(N.begin(), N.end(), Name);
    return It == N.end() ? -1 : int(It - N.begin());
  }
  // The screen point at the middle of the item's name; "" below the last item.
  POINTL At(int Side, const std::string& Name) {
    TPTShellList* L = Lists[Side];
    TPoint P(200, L->ClientHeight() - 40);
    if (!Name.empty()) {
      TRect R = L->Items()->Item(IndexOf(Side, Name))->DisplayRect(LVIR_LABEL);
      P = TPoint(R.Left + 4, (R.Top + R.Bottom) / 2);
    }
    TPoint S = L->ClientToScreen(P);
    return POINTL{S.X, S.Y};
  }
  std::string Highlighted(int Side) {
    TListItem* Item = Lists[Side]->DropTarget();
    return Item != nullptr ? Item->Caption() : "";
  }
};

std::string Joined(const std::vector<std::string>& V) {
  std::string R;
  for (const std::string& S : V) R += (R.empty() ? "" : " | ") + S;
  return R;
}

}  // namespace

TEST_F(DragFixture, TheDropTargetIsTheItemTheFolderOrNothingForAnOwnDragOntoItsFolder) {
  Dir.MakeFile("a.txt", 10);
  Dir.MakeFile("b.txt", 20);
  Dir.MakeFolder("sub");
  TDragList* L = Lists[0];
  Show(0, Dir.Path());
  L->Items()->Add()->SetCaption("plain");  // an application's item, without shell data
  L->Recording = true;
  SelectOnly(L, {IndexOf(0, "a.txt")});
  const DWORD Copy = DROPEFFECT_COPY, Both = DROPEFFECT_COPY | DROPEFFECT_MOVE, Scroll = DROPEFFECT_SCROLL;
  const std::string Enter = ":DragEnter | ", Leave = ":DragLeave";
  struct TCase {
    const char* Name;
    bool Own;
    DWORD Button;
    const char* Where;  // an item's name, "" for empty space
    char Step;          // Enter, Over (after an enter), Drop (after an enter)
    std::string Log;
    DWORD Effect;
    const char* Lit;
  } Cases[] = {
      {"onto a file", false, MK_LBUTTON, "b.txt", 'E', "b.txt" + Enter + "b.txt" + Leave, Both, "b.txt"},
      {"onto a folder", false, MK_LBUTTON, "sub", 'E', "sub" + Enter + "sub" + Leave, Both, "sub"},
      {"onto empty space", false, MK_LBUTTON, "", 'E', "folder" + Enter + "folder" + Leave, Both, ""},
      {"onto an application's item", false, MK_LBUTTON, "plain", 'E', "folder" + Enter + "folder" + Leave, Both,
       "plain"},
      {"own onto a file", true, MK_LBUTTON, "b.txt", 'E', "b.txt" + Enter + "b.txt" + Leave, Both, "b.txt"},
      {"own, left, onto empty space", true, MK_LBUTTON, "", 'E', "", DROPEFFECT_NONE, ""},
      {"own, right, onto empty space", true, MK_RBUTTON, "", 'E', "", Copy, ""},
      {"a target the shell refuses", false, MK_LBUTTON, "sub", 'E', "", DROPEFFECT_NONE, ""},
      {"over a file", false, MK_LBUTTON, "b.txt", 'O', "b.txt:DragEnter | b.txt:DragOver | b.txt:DragLeave",
       Both | Scroll, "b.txt"},
      {"over empty space", false, MK_LBUTTON, "", 'O', "folder:DragEnter | folder:DragOver | folder:DragLeave",
       Both | Scroll, ""},
      {"over an application's item", false, MK_LBUTTON, "plain", 'O', "", Copy | Scroll, ""},
      {"own, left, over empty space", true, MK_LBUTTON, "", 'O', "", Scroll, ""},
      {"dropped on a file", false, MK_LBUTTON, "b.txt", 'D', "b.txt:DragEnter | b.txt:DragOver | b.txt:Drop 3 1",
       Both, ""},
      {"dropped on empty space", false, MK_RBUTTON, "", 'D',
       "folder:DragEnter | folder:DragOver | folder:Drop 3 2", Both, ""},
      {"own, right, dropped on empty space: no move", true, MK_RBUTTON, "", 'D',
       "folder:DragEnter | folder:DragOver | folder:Drop 1 2", Copy, ""},
      {"own, left, dropped on empty space", true, MK_LBUTTON, "", 'D', "", DROPEFFECT_NONE, ""},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    L->Refused = std::string(C.Name) == "a target the shell refuses" ? "sub" : "";
    DWORD Effect = 0;
    auto Run = [&](IDataObject* Data) {
      L->Log.clear();
      POINTL P = At(0, C.Where);
      // The offered effects leave out linking, as the Drop record shows.
      Effect = Both;
      L->DoDragEnter(Data, C.Button, P, &Effect);
      if (C.Step != 'E') {
        L->Log.clear();
        Effect = Both;
        if (C.Step == 'O') L->DoDragOver(C.Button, P, &Effect);
        else L->DoDrop(Data, 0, P, &Effect);
      }
      EXPECT_EQ(Joined(L->Log), C.Log);
      EXPECT_EQ(Effect, C.Effect);
      EXPECT_EQ(Highlighted(0), C.Lit);
      if (C.Step != 'D') L->DoDragLeave();
      EXPECT_EQ(Highlighted(0), "");
    };
    if (C.Own) {
      bool Ran = false;
      L->Script = [&](IDataObject* Data, DWORD) {
        EXPECT_TRUE(L->OwnDrag());
        Run(Data);
        Ran = true;
      };
      L->BeginOwnDrag(C.Button == MK_RBUTTON ? 1 : 0);
      EXPECT_TRUE(Ran);
      EXPECT_FALSE(L->OwnDrag());
    } else {
      TComPtr<IDataObject> Data = L->CreateSelectionDataObject();
      ASSERT_TRUE(Data);
      Run(Data.Get());
    }
  }
}

TEST_F(DragFixture, DroppingTwoFilesOnTheOtherListCopiesThemAndShiftMovesThem) {
  std::string From = Dir.MakeFolder("from"), To = Dir.MakeFolder("to");
  Dir.MakeFolder("to\\sub");
  std::string One = Dir.MakeFile("from\\one.bin", 1000), Two = Dir.MakeFile("from\\two.bin", 3000);
  Dir.MakeFile("from\\three.bin", 500);
  Dir.MakeFolder("to\\moved");
  Show(0, From);
  Show(1, To);
  TDragList* A = Lists[0];
  TDragList* B = Lists[1];
  struct TCase {
    const char* Name;
    std::vector<std::string> Files;
    DWORD Keys;
    const char* Onto;  // an item of B, "" for its folder
    std::string Into;
    bool Moved;
  } Cases[] = {
      {"Ctrl: a copy into the folder", {"one.bin", "two.bin"}, MK_CONTROL, "", To, false},
      {"onto a folder item", {"one.bin", "two.bin"}, MK_CONTROL, "sub", To + "\\sub", false},
      {"Shift: a move", {"three.bin", "two.bin"}, MK_SHIFT, "", To + "\\moved", true},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    std::string Target = C.Moved ? "moved" : C.Onto;
    std::vector<int> Picked;
    for (const std::string& F : C.Files) Picked.push_back(IndexOf(0, F));
    SelectOnly(A, Picked);
    std::vector<std::string> Before;
    for (const std::string& F : C.Files) Before.push_back(ReadAll(From + "\\" + F));
    DWORD Result = 0, Given = 0;
    A->Script = [&](IDataObject* Data, DWORD Allowed) {
      Given = Allowed;
      POINTL P = At(1, Target);
      DWORD E = Allowed;
      B->DoDragEnter(Data, MK_LBUTTON | C.Keys, P, &E);
      EXPECT_EQ(E, C.Moved ? DWORD(DROPEFFECT_MOVE) : DWORD(DROPEFFECT_COPY));
      EXPECT_EQ(Highlighted(1), Target);
      if (Target == "sub") {
        UpdateWindow(B->Handle());
        EXPECT_GT(SaveWindowPng(Form.Handle(), ScreenshotPath("pt_shell_list_drop_highlight.png")), 1000);
      }
      E = Allowed;
      B->DoDragOver(MK_LBUTTON | C.Keys, P, &E);
      Result = Allowed;
      B->DoDrop(Data, C.Keys, P, &Result);
    };
    A->BeginOwnDrag(0);
    EXPECT_EQ(Given & (DROPEFFECT_COPY | DROPEFFECT_MOVE), DWORD(DROPEFFECT_COPY | DROPEFFECT_MOVE));
    EXPECT_EQ(Given & ~DWORD(7), 0u);
    // A move is done by the drop: the source is told that nothing is left to delete.
    EXPECT_EQ(Result, C.Moved ? DWORD(DROPEFFECT_NONE) : DWORD(DROPEFFECT_COPY));
    for (size_t I = 0; I < C.Files.size(); ++I) {
      EXPECT_EQ(ReadAll(C.Into + "\\" + C.Files[I]), Before[I]) << C.Files[I];
      EXPECT_EQ(Exists(From + "\\" + C.Files[I]), !C.Moved) << C.Files[I];
    }
    EXPECT_EQ(Highlighted(1), "");
  }
}

// A drop with the right button asks what to do, as the user knows it from the desktop,
// and does exactly what was chosen; cancelling or closing the menu changes nothing.
TEST_F(DragFixture, RightButtonDropAsksAndDoesWhatWasChosen) {
  const UINT Closed = 0;
  struct TCase {
    const char* Name;
    UINT Choice;
    bool RealMenu;  // shown by the system and closed, instead of answered
    bool Copied, Moved, Linked;
    DWORD Result;
  } Cases[] = {
      {"copy", DROPEFFECT_COPY, false, true, false, false, DROPEFFECT_COPY},
      {"move", DROPEFFECT_MOVE, false, false, true, false, DROPEFFECT_NONE},
      {"shortcuts", DROPEFFECT_LINK, false, false, false, true, DROPEFFECT_LINK},
      {"cancel", DropMenuCancelId, false, false, false, false, DROPEFFECT_NONE},
      {"closed without a choice", Closed, false, false, false, false, DROPEFFECT_NONE},
      {"the real menu, closed", Closed, true, false, false, false, DROPEFFECT_NONE},
  };
  int N = 0;
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    const std::string Case = std::to_string(++N);
    std::string From = Dir.MakeFolder("from" + Case), To = Dir.MakeFolder("to" + Case);
    std::string One = Dir.MakeFile("from" + Case + "\\one.bin", 1000), Two = Dir.MakeFile("from" + Case + "\\two.bin", 30);
    Show(0, From);
    Show(1, To);
    SelectOnly(Lists[0], {IndexOf(0, "one.bin"), IndexOf(0, "two.bin")});
    std::unique_ptr<TDropMenuAnswer> Answer(C.RealMenu ? nullptr : new TDropMenuAnswer(C.Choice));
    DWORD Result = 0;
    long MenuPixels = -1;
    Lists[0]->Script = [&](IDataObject* Data, DWORD Allowed) {
      POINTL P = At(1, "");
      DWORD E = Allowed;
      Lists[1]->DoDragEnter(Data, MK_RBUTTON, P, &E);
      E = Allowed;
      Lists[1]->DoDragOver(MK_RBUTTON, P, &E);
      // The button is up when the drop comes.
      Result = Allowed;
      if (C.RealMenu)
        MenuPixels = SaveOpenedMenuPng([&] { Lists[1]->DoDrop(Data, 0, P, &Result); },
                                       ScreenshotPath("pt_shell_list_drop_menu.png"));
      else
        Lists[1]->DoDrop(Data, 0, P, &Result);
    };
    Lists[0]->BeginOwnDrag(1);
    EXPECT_EQ(Result, C.Result);
    if (C.RealMenu) {
      EXPECT_GT(MenuPixels, 100);
    } else {
      // Every effect the files allow, the one a left-button drop takes (a move on one drive)
      // in bold.
      EXPECT_EQ(Answer->Shown, std::vector<std::string>{"&Copy Here|&Move Here*|Create &Shortcuts Here|-|Cancel"});
    }
    for (const std::string& F : {One, Two}) {
      std::string Name = F.substr(F.rfind('\\') + 1);
      EXPECT_EQ(Exists(To + "\\" + Name), C.Copied || C.Moved) << Name;
      EXPECT_EQ(Exists(F), !C.Moved) << Name;
      if (C.Copied || C.Moved) EXPECT_EQ(ReadAll(To + "\\" + Name), std::string(Name == "one.bin" ? 1000 : 30, 'x'));
      std::string Link = To + "\\Shortcut to " + Name + ".lnk";
      EXPECT_EQ(Exists(Link), C.Linked) << Link;
      TLinkData Target;
      if (C.Linked && SUCCEEDED(GetLinkData(Link, Target, false))) EXPECT_TRUE(AnsiSameText(Target.Path, F)) << Target.Path;
    }
    // Nothing else appeared in the target folder.
    WIN32_FIND_DATAW D;
    HANDLE Find = FindFirstFileW(ToWide(To + "\\*").c_str(), &D);
    int Count = 0;
    if (Find != INVALID_HANDLE_VALUE) {
      do Count += FromWide(D.cFileName)[0] != '.';
      while (FindNextFileW(Find, &D));
      FindClose(Find);
    }
    EXPECT_EQ(Count, C.Copied || C.Moved || C.Linked ? 2 : 0);
  }
}

TEST_F(DragFixture, AnOwnDragStartsFromTheListViewAndItsFolderIsReadOnceWhenItEnds) {
  Dir.MakeFile("one.txt", 10);
  Dir.MakeFile("two.txt", 20);
  TDragList* L = Lists[0];
  Show(0, Dir.Path());
  SelectOnly(L, {IndexOf(0, "one.txt"), IndexOf(0, "two.txt")});
  auto BeginDrag = [&](UINT Code) {
    NMLISTVIEW N{};
    N.hdr.hwndFrom = L->Handle();
    N.hdr.idFrom = UINT_PTR(GetDlgCtrlID(L->Handle()));
    N.hdr.code = Code;
    N.iItem = IndexOf(0, "one.txt");
    SendMessageW(Form.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&N));
  };
  std::string Text;
  std::vector<std::string> During;
  int ReadsBefore = L->Reads;
  L->Script = [&](IDataObject* Data, DWORD) {
    // The dragged items' full paths, one a line.
    FORMATETC F{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM M{};
    if (SUCCEEDED(Data->GetData(&F, &M))) {
      Text = static_cast<const char*>(GlobalLock(M.hGlobal));
      GlobalUnlock(M.hGlobal);
      ReleaseStgMedium(&M);
    }
    // The right button drops copies into the list's own folder: its menu offers no move.
    TDropMenuAnswer Answer(DROPEFFECT_COPY);
    POINTL P = At(0, "");
    DWORD E = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    L->DoDragEnter(Data, MK_RBUTTON, P, &E);
    E = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    L->DoDrop(Data, 0, P, &E);
    EXPECT_EQ(E, DWORD(DROPEFFECT_COPY));
    EXPECT_EQ(Answer.Shown, std::vector<std::string>{"&Copy Here*|-|Cancel"});
    // The change the drop made waits for the drag's end.
    EXPECT_TRUE(WaitFor([&] { return L->Changes >= 1; }));
    L->Refill();
    During = Names(L);
  };
  BeginDrag(LVN_BEGINRDRAG);
  EXPECT_EQ(Text, Dir / "one.txt\r\n" + Dir / "two.txt\r\n");
  EXPECT_EQ(During.size(), 2u);
  EXPECT_EQ(L->Reads, ReadsBefore + 1);
  std::vector<std::string> After = Names(L);
  EXPECT_EQ(After.size(), 4u) << Joined(After);
  EXPECT_EQ(std::count_if(After.begin(), After.end(), [](const std::string& N) { return N.find("one") != N.npos; }),
            2);

  // Without the option the list view's drag starts nothing.
  SelectOnly(L, {0});
  bool Ran = false;
  L->Script = [&](IDataObject*, DWORD) { Ran = true; };
  L->SetOptions(L->Options() - TPTShellListOptions{ptsloOleDrag});
  BeginDrag(LVN_BEGINDRAG);
  EXPECT_FALSE(Ran);
  L->SetOptions(L->Options() + TPTShellListOptions{ptsloOleDrag});
  BeginDrag(LVN_BEGINDRAG);
  EXPECT_TRUE(Ran);
}

TEST_F(DragFixture, DragOversAtTheBottomEdgeScrollOneLineEachAfterAHundredMilliseconds) {
  for (int I = 0; I < 60; ++I) Dir.MakeFile("f" + std::to_string(100 + I) + ".txt", 1);
  TDragList* L = Lists[0];
  Show(0, Dir.Path());
  L->Recording = true;
  SelectOnly(L, {0});
  TComPtr<IDataObject> Data = L->CreateSelectionDataObject();
  auto Top = [&] { return int(SendMessageW(L->Handle(), LVM_GETTOPINDEX, 0, 0)); };
  TPoint S = L->ClientToScreen(TPoint(100, L->ClientHeight() - 5));
  POINTL Bottom{S.X, S.Y};
  DWORD E = DROPEFFECT_COPY;
  L->DoDragEnter(Data.Get(), MK_LBUTTON, Bottom, &E);
  ASSERT_EQ(Top(), 0);
  auto Later = [](DWORD Ms) {
    DWORD Start = GetTickCount();
    return WaitFor([&] { return GetTickCount() - Start > Ms; });
  };
  ASSERT_TRUE(Later(110));
  DWORD Step = GetTickCount();
  E = DROPEFFECT_COPY;
  L->DoDragOver(MK_LBUTTON, Bottom, &E);
  EXPECT_EQ(Top(), 1);
  EXPECT_NE(E & DROPEFFECT_SCROLL, 0u);
  // Sooner than 100 ms after the step: no scroll.
  L->DoDragOver(MK_LBUTTON, Bottom, &E);
  if (GetTickCount() - Step < 90) EXPECT_EQ(Top(), 1);
  ASSERT_TRUE(Later(110));
  L->DoDragOver(MK_LBUTTON, Bottom, &E);
  EXPECT_EQ(Top(), 2);
  L->DoDragLeave();
}
