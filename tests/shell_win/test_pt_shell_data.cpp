// Shell data of tree nodes and list items over a folder of the test's own.
#include <gtest/gtest.h>

#include <memory>

#include <shlobj.h>

#include "classlib/core/sys_utils.h"
#include "shell/pt_shell_data.h"
#include "shell/pt_shell_routines.h"
#include "shell_test_util.h"

namespace {

// A list showing one folder, as the shell list offers it to its items.
class TFolderOwner : public TPTShListDataOwner {
public:
  explicit TFolderOwner(PCItemIDList AbsList) : FList(CopyPidl(nullptr, AbsList)) {
    CheckHResult(GetShellFolder(FList.Get(), FFolder.Out()));
  }
  IShellFolder* ListShellFolder() override { return FFolder.Get(); }
  PCItemIDList ListFolderIdList() override { return FList.Get(); }
  IMalloc* ListMalloc() override { return ShellMalloc(); }
  IShellDetails* ListShellDetails() override { return nullptr; }

  // Data of the object of that in-folder name.
  std::unique_ptr<TPTShListData> Item(const std::string& Name) {
    PItemIDList Rel = nullptr;
    std::wstring W = ToWide(Name);
    ULONG Eaten = 0;
    EXPECT_TRUE(SUCCEEDED(FFolder->ParseDisplayName(nullptr, nullptr, W.data(), &Eaten, &Rel, nullptr)))
        << Name;
    auto D = std::make_unique<TPTShListData>(this);
    D->SetRelIdList(Rel);
    return D;
  }

private:
  TPidl FList;
  TComPtr<IShellFolder> FFolder;
};

TEST(ShListData, PathsNamesAndKinds) {
  TTempFolder Dir("zx_data_list");
  Dir.MakeFile("a.txt", 1025);
  Dir.MakeFolder("sub");
  Dir.MakeFile("X.LNK", 10);
  Dir.MakeFile("b.lnk.txt", 10);
  TPidl Folder = ParsePath(Dir.Path());
  TFolderOwner Owner(Folder.Get());

  auto A = Owner.Item("a.txt");
  EXPECT_EQ(A->GetPath(), Dir / "a.txt");
  EXPECT_EQ(A->GetFileName(), "a.txt");
  EXPECT_EQ(ComparePidls(A->GetAbsIdList(), ParsePath(Dir / "a.txt").Get()), 0);
  EXPECT_FALSE(A->IsFolder());
  EXPECT_TRUE(A->CanRename());
  EXPECT_TRUE(A->IsValid());
  EXPECT_FALSE(A->GetDisplayName().empty());

  auto Sub = Owner.Item("sub");
  EXPECT_TRUE(Sub->IsFolder());
  EXPECT_NE(Sub->GetAttributes() & SFGAO_FILESYSTEM, 0u);

  const std::pair<const char*, bool> Links[] = {{"X.LNK", true}, {"b.lnk.txt", false}, {"a.txt", false}};
  for (auto [Name, IsLink] : Links) EXPECT_EQ(Owner.Item(Name)->IsLink(), IsLink) << Name;
}

TEST(ShListData, DetailTextsAreCachedUntilReset) {
  char Saved = ThousandSeparator;
  ThousandSeparator = ',';
  TTempFolder Dir("zx_data_details");
  Dir.MakeFile("a.txt", 1025);
  Dir.MakeFolder("sub");
  TPidl Folder = ParsePath(Dir.Path());
  TFolderOwner Owner(Folder.Get());

  auto A = Owner.Item("a.txt");
  EXPECT_EQ(A->GetDetailText(0), "");
  EXPECT_EQ(A->GetDetailText(1), "2KB");
  EXPECT_FALSE(A->GetDetailText(2).empty());
  EXPECT_FALSE(A->GetModifiedText().empty());
  EXPECT_EQ(A->GetDetailText(3), A->GetModifiedText());
  EXPECT_EQ(A->GetDetailText(4), "");

  Dir.MakeFile("a.txt", 1048576);
  EXPECT_EQ(A->GetSizeText(), "2KB");  // cached
  A->ResetCache();
  EXPECT_EQ(A->GetSizeText(), "1,024KB");

  auto Sub = Owner.Item("sub");
  EXPECT_EQ(Sub->GetSizeText(), "");
  EXPECT_FALSE(Sub->GetModifiedText().empty());
  ThousandSeparator = Saved;
}

TEST(ShListData, DriveRootsAndObjectsOutsideTheFileSystem) {
  TTempFolder Dir("zx_data_root");
  std::string Root = Dir.Path().substr(0, 3);  // "C:\"
  TPidl RootList = ParsePath(Root);
  TPTIdListArray Items(RootList.Get());
  ASSERT_GE(Items.Count(), 1);
  TPidl Parent(CopyPidl(nullptr, Items.AncestorIdList(1)));
  TFolderOwner Computer(Parent.Get());
  auto Drive = std::make_unique<TPTShListData>(&Computer);
  Drive->SetRelIdList(CopyPidl(nullptr, Items.Item(Items.Count() - 1)));
  EXPECT_EQ(Drive->GetPath(), Root);
  EXPECT_EQ(Drive->GetSizeText(), "");
  EXPECT_EQ(Drive->GetModifiedText(), "");

  // My Computer, seen from the desktop, is no file-system object.
  TPidl Drives;
  ASSERT_TRUE(SUCCEEDED(GetSpecialFolderPidl(nullptr, CSIDL_DRIVES, *Drives.Out())));
  TFolderOwner Desktop(nullptr);
  TPTShListData Computer2(&Desktop);
  Computer2.SetRelIdList(CopyPidl(nullptr, Drives.Get()));
  EXPECT_EQ(Computer2.GetPath(), "");
  EXPECT_EQ(Computer2.GetTypeText(), "System Folder");
  EXPECT_EQ(Computer2.GetSizeText(), "");
}

// A chain of tree nodes from the desktop down to Path.
struct TNodeChain {
  std::vector<std::unique_ptr<TPTShTreeData>> Nodes;
  explicit TNodeChain(const std::string& Path) {
    TPidl Abs = ParsePath(Path);
    TPTIdListArray Items(Abs.Get());
    TPidl Empty(CopyPidl(nullptr, nullptr));
    Nodes.push_back(std::make_unique<TPTShTreeData>(nullptr));
    Nodes.back()->Init(nullptr, ShellMalloc(), Empty.Get());
    for (int I = 0; I < Items.Count(); ++I) {
      auto Node = std::make_unique<TPTShTreeData>(nullptr);
      Node->Init(Nodes.back().get(), ShellMalloc(), Items.Item(I));
      Nodes.push_back(std::move(Node));
    }
  }
  TPTShTreeData& Leaf() { return *Nodes.back(); }
};

TEST(ShTreeData, FoldersBindThroughTheirParents) {
  TTempFolder Dir("zx_data_tree");
  Dir.MakeFolder("sub");
  TNodeChain Chain(Dir / "sub");
  TPTShTreeData& Desktop = *Chain.Nodes.front();
  ASSERT_NE(Desktop.GetShellFolder(), nullptr);
  EXPECT_EQ(TPTIdListArray(Desktop.GetAbsIdList()).Count(), 0);
  EXPECT_FALSE(Desktop.CanRename());
  EXPECT_EQ(Desktop.GetParentShellFolder(), nullptr);

  TPTShTreeData& Sub = Chain.Leaf();
  EXPECT_EQ(PidlToPath(Sub.GetAbsIdList()), Dir / "sub");
  EXPECT_TRUE(Sub.CanRename());
  IShellFolder* Folder = Sub.GetShellFolder();
  ASSERT_NE(Folder, nullptr);
  EXPECT_EQ(Sub.GetShellFolder(), Folder);  // bound once
  EXPECT_EQ(Sub.GetParentShellFolder(), Chain.Nodes[Chain.Nodes.size() - 2]->GetShellFolder());
  // The bound folder is the node's own: it knows the node's children.
  Dir.MakeFile("sub\\in.txt", 1);
  std::wstring Name = L"in.txt";
  TPidl Child;
  ULONG Eaten = 0;
  EXPECT_TRUE(SUCCEEDED(Folder->ParseDisplayName(nullptr, nullptr, Name.data(), &Eaten, Child.Out(), nullptr)));

  TComPtr<IDropTarget> Target = Sub.GetDropTarget(nullptr);
  EXPECT_TRUE(Target);

  // A rename: the node takes the new relative list and rebuilds what it caches.
  MoveFileW(ToWide(Dir / "sub").c_str(), ToWide(Dir / "renamed").c_str());
  TPidl Renamed = ParsePath(Dir / "renamed");
  TPTIdListArray Items(Renamed.Get());
  Sub.SetRelIdList(Items.Item(Items.Count() - 1));
  EXPECT_EQ(PidlToPath(Sub.GetAbsIdList()), Dir / "renamed");
  ASSERT_NE(Sub.GetShellFolder(), nullptr);
}

TEST(ShTreeData, RootBelowTheDesktopBindsByItsAbsoluteList) {
  TTempFolder Dir("zx_data_root_node");
  TPidl Abs = ParsePath(Dir.Path());
  TPTShTreeData Root(nullptr);
  Root.Init(nullptr, ShellMalloc(), Abs.Get());
  EXPECT_EQ(ComparePidls(Root.GetAbsIdList(), Abs.Get()), 0);
  EXPECT_NE(Root.GetShellFolder(), nullptr);
  EXPECT_FALSE(Root.CanRename());
  EXPECT_TRUE(Root.GetDropTarget(nullptr));

  TPidl Empty(CopyPidl(nullptr, nullptr));
  TPTShTreeData Desktop(nullptr);
  Desktop.Init(nullptr, ShellMalloc(), Empty.Get());
  EXPECT_TRUE(Desktop.GetDropTarget(nullptr));  // the desktop's file-system folder
}

TEST(ShComboData, HoldsCopiesAndTheirJoin) {
  TTempFolder Dir("zx_data_combo");
  Dir.MakeFolder("sub");
  TPidl Parent = ParsePath(Dir.Path()), Sub = ParsePath(Dir / "sub");
  TPTIdListArray Items(Sub.Get());
  IShellFolder* Folder = nullptr;
  ASSERT_TRUE(SUCCEEDED(GetShellFolder(Parent.Get(), &Folder)));
  TComPtr<IShellFolder> Holder(Folder);
  TPTShComboData D(nullptr);
  D.Init(Folder, Parent.Get(), Items.Item(Items.Count() - 1));
  EXPECT_EQ(D.ParentFolder(), Folder);
  EXPECT_NE(D.ParentIdList(), Parent.Get());
  EXPECT_EQ(ComparePidls(D.AbsIdList(), Sub.Get()), 0);
}

}  // namespace
