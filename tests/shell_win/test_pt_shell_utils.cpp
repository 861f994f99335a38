// Item-ID lists against the real shell: sizes, copies, paths, comparison, the item
// array, names, icons, shortcut files and positional formatting.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "classlib/core/exception.h"
#include "classlib/core/sys_utils.h"
#include "shell/core/pt_shell_strings.h"
#include "shell/pt_shell_utils.h"
#include "shell_test_util.h"

namespace {

TEST(PidlUtils, SizesCopiesAndJoins) {
  TTempFolder Dir("zx_shell_utils");
  std::string File = Dir.MakeFile("a.txt", 3);
  TPidl Folder = ParsePath(Dir.Path());
  TPidl FileList = ParsePath(File);
  ASSERT_TRUE(Folder);
  ASSERT_TRUE(FileList);

  EXPECT_EQ(GetPidlSize(nullptr), 0u);
  TPidl Empty(CopyPidl(nullptr, nullptr));
  ASSERT_TRUE(Empty);  // a new empty list, not nil
  EXPECT_EQ(GetPidlSize(Empty.Get()), 2u);

  TPidl Copy(CopyPidl(nullptr, FileList.Get()));
  EXPECT_EQ(GetPidlSize(Copy.Get()), GetPidlSize(FileList.Get()));
  EXPECT_EQ(ComparePidls(Copy.Get(), FileList.Get()), 0);

  // The folder's list joined with the file's last item names the file again.
  TPTIdListArray Items(FileList.Get());
  TPidl Last(CopyPidl(nullptr, Items.Item(Items.Count() - 1)));
  TPidl Joined(ConcatPidls(nullptr, Folder.Get(), Last.Get()));
  EXPECT_EQ(GetPidlSize(Joined.Get()), GetPidlSize(Folder.Get()) + GetPidlSize(Last.Get()) - 2);
  EXPECT_EQ(ComparePidls(Joined.Get(), FileList.Get()), 0);
  EXPECT_EQ(PidlToPath(Joined.Get()), File);

  // A copy from another allocator is freed by the holder with that allocator.
  TPidl Own(CopyPidl(ShellMalloc(), FileList.Get()), ShellMalloc());
  EXPECT_EQ(ComparePidls(Own.Get(), FileList.Get()), 0);
}

TEST(PidlUtils, CompareAnswersInOrder) {
  TTempFolder Dir("zx_shell_cmp");
  Dir.MakeFile("a.txt", 1);
  Dir.MakeFile("b.txt", 1);
  TPidl A = ParsePath(Dir / "a.txt"), A2 = ParsePath(Dir / "a.txt"), B = ParsePath(Dir / "b.txt");
  TPidl Empty(CopyPidl(nullptr, nullptr)), Empty2(CopyPidl(nullptr, nullptr));
  EXPECT_EQ(ComparePidls(nullptr, nullptr), 0);
  EXPECT_EQ(ComparePidls(nullptr, Empty.Get()), -1);
  EXPECT_EQ(ComparePidls(Empty.Get(), Empty2.Get()), 0);
  EXPECT_EQ(ComparePidls(Empty.Get(), A.Get()), -1);
  EXPECT_EQ(ComparePidls(A.Get(), A2.Get()), 0);
  int AB = ComparePidls(A.Get(), B.Get());
  EXPECT_NE(AB, 0);
  EXPECT_NE(AB, PidlNoAnswer);
  EXPECT_EQ(AB < 0, ComparePidls(B.Get(), A.Get()) > 0);
}

TEST(PidlUtils, PathsAndSpecialFolders) {
  TTempFolder Dir("zx_shell_path");
  TPidl Folder = ParsePath(Dir.Path());
  EXPECT_EQ(PidlToPath(Folder.Get()), Dir.Path());

  PItemIDList Bad = reinterpret_cast<PItemIDList>(1);
  EXPECT_TRUE(FAILED(PathToPidl(Dir / "missing\\nowhere", Bad)));
  EXPECT_EQ(Bad, nullptr);

  // The desktop stands for nil; My Computer has no file-system path.
  EXPECT_EQ(PidlToPath(nullptr), GetSpecialFolderPath(nullptr, CSIDL_DESKTOP));
  EXPECT_EQ(GetSpecialFolderPath(nullptr, CSIDL_DRIVES), "");
  TPidl Drives;
  EXPECT_TRUE(SUCCEEDED(GetSpecialFolderPidl(nullptr, CSIDL_DRIVES, *Drives.Out())));
  ASSERT_TRUE(Drives);
  EXPECT_EQ(PidlToPath(Drives.Get()), "");

  IShellFolder* Shf = nullptr;
  ASSERT_TRUE(SUCCEEDED(GetShellFolder(Folder.Get(), &Shf)));
  TComPtr<IShellFolder> Holder(Shf);
  ASSERT_TRUE(SUCCEEDED(GetShellFolder(nullptr, &Shf)));  // the desktop
  TComPtr<IShellFolder> Desktop(Shf);
  EXPECT_TRUE(Desktop);
}

TEST(PidlUtils, ItemArrayAndAncestors) {
  TTempFolder Dir("zx_shell_array");
  Dir.MakeFolder("sub");
  TPidl Sub = ParsePath(Dir / "sub");
  TPidl Parent = ParsePath(Dir.Path());
  TPTIdListArray Items(Sub.Get());
  int N = Items.Count();
  ASSERT_GE(N, 2);
  EXPECT_EQ(N, TPTIdListArray(Parent.Get()).Count() + 1);

  EXPECT_EQ(ComparePidls(Items.AncestorIdList(0), Sub.Get()), 0);
  EXPECT_EQ(ComparePidls(Items.AncestorIdList(1), Parent.Get()), 0);
  PItemIDList Top = Items.AncestorIdList(N);
  ASSERT_NE(Top, nullptr);
  EXPECT_EQ(GetPidlSize(Top), 2u);
  EXPECT_EQ(Items.AncestorIdList(N + 1), nullptr);
  EXPECT_EQ(Items.AncestorIdList(-1), nullptr);

  // A two-item list: two levels up is the desktop, three is nothing.
  TPidl Two(CopyPidl(nullptr, Items.AncestorIdList(N - 2)));
  TPTIdListArray TwoItems(Two.Get());
  ASSERT_EQ(TwoItems.Count(), 2);
  EXPECT_EQ(GetPidlSize(TwoItems.AncestorIdList(2)), 2u);
  EXPECT_EQ(TwoItems.AncestorIdList(3), nullptr);

  PItemIDList LastItem = Items.Item(N - 1);
  EXPECT_EQ(TPTIdListArray(LastItem).Count(), 1);
  EXPECT_EQ(GetPidlDisplayName(nullptr, Sub.Get(), 2), Dir / "sub");

  for (int Bad : {-1, N}) {
    try {
      Items.Item(Bad);
      ADD_FAILURE() << Bad;
    } catch (const Exception& E) {
      EXPECT_EQ(E.Message(), "TPTIdListArray - index " + std::to_string(Bad) + " out of range");
    }
  }
  TPTIdListArray Nil(nullptr);
  EXPECT_EQ(Nil.Count(), 0);
  EXPECT_THROW(Nil.Item(0), Exception);
  EXPECT_EQ(Nil.AncestorIdList(0), nullptr);
}

TEST(PidlUtils, DisplayNamesAndStrRets) {
  TTempFolder Dir("zx_shell_names");
  Dir.MakeFile("a.txt", 1);
  TPidl Folder = ParsePath(Dir.Path());
  IShellFolder* Shf = nullptr;
  ASSERT_TRUE(SUCCEEDED(GetShellFolder(Folder.Get(), &Shf)));
  TComPtr<IShellFolder> Holder(Shf);
  TPidl File = ParsePath(Dir / "a.txt");
  TPTIdListArray Items(File.Get());
  PItemIDList Rel = Items.Item(Items.Count() - 1);
  EXPECT_EQ(GetPidlDisplayName(Shf, Rel, 2), Dir / "a.txt");
  EXPECT_NE(GetPidlDisplayName(Shf, Rel, 1).find('a'), std::string::npos);

  // The three forms a STRRET takes; the offset form points into the item.
  const uint8_t Item[] = {8, 0, 'x', 'N', 'a', 'm', 'e', 0, 0, 0};
  STRRET S{};
  S.uType = STRRET_OFFSET;
  S.uOffset = 3;
  EXPECT_EQ(StrRetToString(reinterpret_cast<PCItemIDList>(Item), S), "Name");
  EXPECT_EQ(StrRetToString(nullptr, S), "");
  S.uType = STRRET_CSTR;
  strcpy(S.cStr, "Inline");
  EXPECT_EQ(StrRetToString(nullptr, S), "Inline");
  S.uType = STRRET_WSTR;
  S.pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc(16));
  wcscpy(S.pOleStr, L"\x041F\x0430");  // Cyrillic comes back in 1251
  EXPECT_EQ(StrRetToString(nullptr, S), "\xCF\xE0");
  FreeStrRet(S);
  EXPECT_EQ(S.pOleStr, nullptr);
}

TEST(PidlUtils, SystemImageListsAndIcons) {
  HIMAGELIST Small = GetSystemImageList(0), Large = GetSystemImageList(1);
  ASSERT_NE(Small, nullptr);
  ASSERT_NE(Large, nullptr);
  int W = 0, H = 0;
  ImageList_GetIconSize(Small, &W, &H);
  EXPECT_EQ(W, GetSystemMetrics(SM_CXSMICON));
  ImageList_GetIconSize(Large, &W, &H);
  EXPECT_EQ(W, GetSystemMetrics(SM_CXICON));
  TTempFolder Dir("zx_shell_icons");
  TPidl Folder = ParsePath(Dir.Path());
  int Index = GetPidlIconIndex(Folder.Get(), SHGFI_SMALLICON);
  EXPECT_GE(Index, 0);
  EXPECT_LT(Index, ImageList_GetImageCount(Small));

  uint64_t V = 0;
  EXPECT_TRUE(GetFileVersion("comctl32.dll", V));
  EXPECT_NE(V, 0u);
  EXPECT_FALSE(GetFileVersion(Dir / "none.dll", V));
}

TEST(PidlUtils, FormatStrPosPutsTextsInTheirPlaces) {
  std::string Failed = FormatStrPos(PTShText(TPTShText::NewFolderFailed), {"Access is denied", "New Folder"});
  EXPECT_EQ(Failed.rfind("Unable to create the folder 'New Folder'", 0), 0u) << Failed;
  EXPECT_GT(Failed.find("Access is denied"), Failed.find("New Folder"));
  EXPECT_EQ(FormatStrPos("%2-%1 \xCF", {"a", "\xE0"}), "\xE0-a \xCF");
  EXPECT_EQ(FormatStrPos("", {"a"}), "");
  EXPECT_EQ(FormatStrPos("%3", {"a"}), "");  // a place without a text stays empty
  std::vector<std::string> Many(51, "x");
  EXPECT_THROW(FormatStrPos("%1", Many), Exception);
  Many.resize(50);
  EXPECT_EQ(FormatStrPos("%50", Many), "x");
}

TEST(PidlUtils, GetLinkDataReadsAShortcut) {
  TTempFolder Dir("zx_shell_link");
  std::string Target = Dir.MakeFile("target.txt", 5);
  std::string LinkFile = Dir / "target.lnk";
  {
    TComPtr<IShellLinkW> Link;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkW, reinterpret_cast<void**>(Link.Out()))));
    Link->SetPath(ToWide(Target).c_str());
    Link->SetArguments(L"-x");
    Link->SetDescription(L"Note");
    Link->SetWorkingDirectory(ToWide(Dir.Path()).c_str());
    TComPtr<IPersistFile> File;
    ASSERT_TRUE(SUCCEEDED(Link.As(File)));
    ASSERT_TRUE(SUCCEEDED(File->Save(ToWide(LinkFile).c_str(), TRUE)));
  }
  TLinkData Data;
  ASSERT_TRUE(SUCCEEDED(GetLinkData(LinkFile, Data, true)));
  EXPECT_TRUE(AnsiSameText(Data.Path, Target)) << Data.Path;
  EXPECT_EQ(Data.Arguments, "-x");
  EXPECT_EQ(Data.Description, "Note");
  ASSERT_TRUE(Data.IdList);
  EXPECT_EQ(PidlToPath(Data.IdList.Get()), PidlToPath(ParsePath(Target).Get()));

  TLinkData NoList;
  ASSERT_TRUE(SUCCEEDED(GetLinkData(LinkFile, NoList, false)));
  EXPECT_FALSE(NoList.IdList);
  EXPECT_TRUE(FAILED(GetLinkData(Dir / "missing.lnk", NoList, true)));
}

}  // namespace
