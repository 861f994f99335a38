// Context menus and verbs, our own transfers into folders (paste and drops), drop effects
// of foreign data, new folders and the Send To entries, against the real shell.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "classlib/core/sys_utils.h"
#include "classlib/win/clipboard.h"
#include "tests/support/dialog_watcher.h"
#include "shell/core/shell_media.h"
#include "shell/drop_menu.h"
#include "classlib/win/wide_string.h"
#include "shell/pt_shell_locator.h"
#include "shell/pt_shell_routines.h"
#include "shell_test_util.h"

namespace {

// A data object that serves fixed blocks, as another program's would.
class TBlockDataObject : public IDataObject {
public:
  std::map<UINT, TMediumBytes> Blocks;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Out) override {
    if (Iid == IID_IUnknown || Iid == IID_IDataObject) {
      *Out = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *Out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++FRefs; }
  ULONG STDMETHODCALLTYPE Release() override { return --FRefs; }  // lives on the stack
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* Fmt, STGMEDIUM* Medium) override {
    auto It = Blocks.find(Fmt->cfFormat);
    if (It == Blocks.end()) return DV_E_FORMATETC;
    HGLOBAL H = GlobalAlloc(GMEM_MOVEABLE, It->second.size());
    memcpy(GlobalLock(H), It->second.data(), It->second.size());
    GlobalUnlock(H);
    Medium->tymed = TYMED_HGLOBAL;
    Medium->hGlobal = H;
    Medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* Fmt) override {
    return Blocks.count(Fmt->cfFormat) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

private:
  ULONG FRefs = 1;
};

std::string ReadAll(const std::string& Path) {
  HANDLE H = CreateFileW(ToWide(Path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (H == INVALID_HANDLE_VALUE) return "<missing>";
  std::string Data(GetFileSize(H, nullptr), '\0');
  DWORD Done = 0;
  if (!Data.empty()) ReadFile(H, Data.data(), DWORD(Data.size()), &Done, nullptr);
  CloseHandle(H);
  return Data;
}

void WriteAll(const std::string& Path, const std::string& Data) {
  HANDLE H = CreateFileW(ToWide(Path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD Done = 0;
  WriteFile(H, Data.data(), DWORD(Data.size()), &Done, nullptr);
  CloseHandle(H);
}

std::u16string U16(const std::string& S) {
  std::wstring W = ToWide(S);
  return std::u16string(W.begin(), W.end());
}

bool Exists(const std::string& Path) { return GetFileAttributesW(ToWide(Path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// The context menu of some files of one folder.
struct TItemsMenu {
  TComPtr<IShellFolder> Folder;
  std::vector<TPidl> Items;
  std::vector<PCItemIDList> Lists;
  HMENU Menu = nullptr;
  TComPtr<IContextMenu> ContextMenu;

  TItemsMenu(const std::string& Dir, const std::vector<std::string>& Names) {
    TPidl DirList = ParsePath(Dir);
    EXPECT_TRUE(SUCCEEDED(GetShellFolder(DirList.Get(), Folder.Out())));
    for (const std::string& N : Names) {
      TPidl Item;
      std::wstring W = ToWide(N);
      EXPECT_TRUE(SUCCEEDED(Folder->ParseDisplayName(nullptr, nullptr, W.data(), nullptr, Item.Out(), nullptr)));
      Lists.push_back(Item.Get());
      Items.push_back(std::move(Item));
    }
    EXPECT_TRUE(SUCCEEDED(GetContextMenu(nullptr, Folder.Get(), UINT(Lists.size()), Lists.data(), CMF_EXPLORE,
                                         ShellFirstCommandId, Menu, ContextMenu)));
  }
  ~TItemsMenu() {
    if (Menu != nullptr) DestroyMenu(Menu);
  }
};

TEST(ShellVerbs, FileMenuOffersTheVerbsAndRefusesMissingOnes) {
  TTempFolder Dir("zx_verbs");
  Dir.MakeFile("a.txt", 3);
  TItemsMenu M(Dir.Path(), {"a.txt"});
  ASSERT_TRUE(M.ContextMenu);
  ASSERT_NE(M.Menu, nullptr);
  for (const char* Verb : {"copy", "cut", "delete", "properties", "COPY"})
    EXPECT_GE(FindVerbCommand(M.ContextMenu.Get(), Verb), 0) << Verb;
  EXPECT_EQ(FindVerbCommand(M.ContextMenu.Get(), "nosuchverb"), -1);

  // A missing verb runs nothing, not the menu's first command.
  TClipboard Clip;
  Clip.SetAsText("untouched");
  EXPECT_EQ(InvokeVerb(M.ContextMenu.Get(), nullptr, std::string("nosuchverb")), HRESULT_FROM_WIN32(ERROR_NOT_FOUND));
  EXPECT_EQ(Clip.AsText(), "untouched");
  EXPECT_TRUE(Exists(Dir / "a.txt"));
}

TEST(ShellVerbs, CopyOrCutThenOurPasteTransfersTheFiles) {
  TTempFolder Dir("zx_paste");
  std::string Src = Dir.MakeFolder("src"), Copied = Dir.MakeFolder("copied"), Moved = Dir.MakeFolder("moved");
  WriteAll(Src + "\\one.bin", std::string("\x01\x00\xFF one", 7));
  WriteAll(Src + "\\two.bin", std::string(5000, 't'));
  TPidl SrcList = ParsePath(Src), CopiedList = ParsePath(Copied), MovedList = ParsePath(Moved);
  {
    TItemsMenu M(Src, {"one.bin", "two.bin"});
    ASSERT_EQ(InvokeItemsVerb(nullptr, SrcList.Get(), M.Lists, "copy"), S_OK);
  }
  ASSERT_EQ(PasteIntoFolder(nullptr, CopiedList.Get()), S_OK);
  for (const char* N : {"\\one.bin", "\\two.bin"}) {
    EXPECT_EQ(ReadAll(Copied + N), ReadAll(Src + N)) << N;
    EXPECT_TRUE(Exists(Src + N));
  }
  {
    TItemsMenu M(Copied, {"one.bin", "two.bin"});
    ASSERT_EQ(InvokeItemsVerb(nullptr, CopiedList.Get(), M.Lists, "cut"), S_OK);
  }
  // The folder verb takes the same road as the paste key.
  ASSERT_EQ(InvokeVerbOnObject(nullptr, MovedList.Get(), "paste"), S_OK);
  for (const char* N : {"\\one.bin", "\\two.bin"}) {
    EXPECT_EQ(ReadAll(Moved + N), ReadAll(Src + N)) << N;
    EXPECT_FALSE(Exists(Copied + N)) << N;
  }
  // What was cut is gone from the clipboard, so a second paste moves nothing twice.
  EXPECT_EQ(PasteIntoFolder(nullptr, CopiedList.Get()), S_FALSE);
  // A verb the items' menu lacks runs nothing.
  TItemsMenu M(Moved, {"one.bin"});
  EXPECT_EQ(InvokeItemsVerb(nullptr, MovedList.Get(), M.Lists, "nosuchverb"), HRESULT_FROM_WIN32(ERROR_NOT_FOUND));
}

TEST(ShellTransfer, OwnFolderAndOwnSubfolder) {
  TDialogWatcher Watcher;
  TTempFolder Dir("zx_transfer_self");
  std::string Sub = Dir.MakeFolder("sub");
  WriteAll(Dir / "f.txt", "keep me");
  TBlockDataObject Data;
  Data.Blocks[CF_HDROP] = MakeHDropBytes({U16(Dir / "f.txt")});
  TPidl DirList = ParsePath(Dir.Path()), SubList = ParsePath(Sub);

  // Copied into its own folder: a second file beside it, the first untouched.
  ASSERT_EQ(TransferIntoFolder(nullptr, &Data, DirList.Get(), DROPEFFECT_COPY), S_OK);
  ASSERT_EQ(TransferIntoFolder(nullptr, &Data, DirList.Get(), DROPEFFECT_COPY), S_OK);
  EXPECT_EQ(ReadAll(Dir / "f.txt"), "keep me");
  EXPECT_EQ(ReadAll(Dir / "Copy of f.txt"), "keep me");
  EXPECT_EQ(ReadAll(Dir / "Copy (2) of f.txt"), "keep me");
  EXPECT_TRUE(Watcher.Answered().empty());
  // Moved into its own folder: left alone.
  EXPECT_EQ(TransferIntoFolder(nullptr, &Data, DirList.Get(), DROPEFFECT_MOVE), S_OK);
  EXPECT_EQ(ReadAll(Dir / "f.txt"), "keep me");

  // A folder into its own sub-folder is refused before anything happens.
  Data.Blocks[CF_HDROP] = MakeHDropBytes({U16(Dir.Path())});
  EXPECT_TRUE(FAILED(TransferIntoFolder(nullptr, &Data, SubList.Get(), DROPEFFECT_COPY)));
  EXPECT_FALSE(Exists(Sub + "\\" + ExtractFileName(Dir.Path())));
  // Nothing to transfer, or a target outside the file system.
  TBlockDataObject Empty;
  EXPECT_EQ(TransferIntoFolder(nullptr, &Empty, SubList.Get(), DROPEFFECT_COPY), S_FALSE);
  TPidl Drives;
  ASSERT_TRUE(SUCCEEDED(GetSpecialFolderPidl(nullptr, CSIDL_DRIVES, *Drives.Out())));
  EXPECT_TRUE(FAILED(TransferIntoFolder(nullptr, &Data, Drives.Get(), DROPEFFECT_COPY)));
}

// Copies and shortcuts are named in the user's language; a name pattern that could put
// the file elsewhere is not taken.
TEST(ShellTransfer, NamesOfCopiesAndShortcutsFollowTheTextsSet) {
  const std::string Copy = "\xCA\xEE\xEF\xE8\xFF";  // Russian "copy", CP1251
  struct TNames {
    explicit TNames(const std::string& Copy) {
      DropMenuTexts = [Copy] {
        TDropMenuTexts T;
        T.CopyName = Copy + " %s";
        T.NumberedCopyName = Copy + " (%d) %s";
        T.ShortcutName = "..\\%s";
        return T;
      };
    }
    ~TNames() { DropMenuTexts = nullptr; }
  } Names(Copy);
  TDialogWatcher Watcher;
  TTempFolder Dir("zx_transfer_names");
  WriteAll(Dir / "f.txt", "keep me");
  TBlockDataObject Data;
  Data.Blocks[CF_HDROP] = MakeHDropBytes({U16(Dir / "f.txt")});
  TPidl DirList = ParsePath(Dir.Path());
  ASSERT_EQ(TransferIntoFolder(nullptr, &Data, DirList.Get(), DROPEFFECT_COPY), S_OK);
  ASSERT_EQ(TransferIntoFolder(nullptr, &Data, DirList.Get(), DROPEFFECT_COPY), S_OK);
  EXPECT_EQ(ReadAll(Dir / (Copy + " f.txt")), "keep me");
  EXPECT_EQ(ReadAll(Dir / (Copy + " (2) f.txt")), "keep me");
  ASSERT_EQ(CreateShortcutIn(ToWide(Dir.Path()), ToWide(Dir / "f.txt")), S_OK);
  EXPECT_NE(GetFileAttributesW(ToWide(Dir / "Shortcut to f.txt.lnk").c_str()), INVALID_FILE_ATTRIBUTES);

  const struct {
    const char* Pattern;
    const wchar_t* Want;
  } Cases[] = {
      {"", L"Copy (3) of x"},    {"%d: %s", L"Copy (3) of x"}, {"a/%s", L"Copy (3) of x"},
      {"%s (%d)", L"x (3)"},     {"100% %s", L"100% x"},       {"%s%", L"x%"},
  };
  for (const auto& C : Cases) EXPECT_EQ(MadeName(C.Pattern, L"Copy (%d) of %s", L"x", 3), C.Want) << C.Pattern;
}

TEST(ShellTransfer, PathsFromIdListArrayAndAnsiDrop) {
  TTempFolder Dir("zx_transfer_paths");
  Dir.MakeFile("x.txt", 1);
  TPidl DirList = ParsePath(Dir.Path());
  TItemsMenu M(Dir.Path(), {"x.txt"});
  TBlockDataObject Data;
  Data.Blocks[CFShellIDList()] = MakeCidaBytes(DirList.Get(), {M.Lists[0]});
  std::vector<std::wstring> Paths = DataObjectPaths(&Data);
  ASSERT_EQ(Paths.size(), 1u);
  EXPECT_TRUE(AnsiSameText(FromWide(Paths[0]), Dir / "x.txt"));

  using namespace std::string_literals;
  std::string Ansi(20, '\0');
  Ansi[0] = 20;
  Ansi += "C:\\a b\0C:\\c\0\0"s;
  TBlockDataObject Drop;
  Drop.Blocks[CF_HDROP] = TMediumBytes(Ansi.begin(), Ansi.end());
  EXPECT_EQ(DataObjectPaths(&Drop), (std::vector<std::wstring>{L"C:\\a b", L"C:\\c"}));
}

TEST(ShellTransfer, DropEffectChoice) {
  const DWORD Copy = DROPEFFECT_COPY, Move = DROPEFFECT_MOVE, Both = Copy | Move | DROPEFFECT_LINK;
  struct Case {
    const char* Name;
    DWORD Keys, Allowed;
    std::wstring Source, Folder;
    DWORD Effect;
  };
  const Case Cases[] = {
      {"same drive moves", 0, Both, L"C:\\a\\f", L"c:\\b", Move},
      {"other drive copies", 0, Both, L"D:\\a\\f", L"C:\\b", Copy},
      {"ctrl copies", MK_CONTROL, Both, L"C:\\a\\f", L"C:\\b", Copy},
      {"shift moves", MK_SHIFT, Both, L"D:\\a\\f", L"C:\\b", Move},
      {"shift without move", MK_SHIFT, Copy, L"D:\\a\\f", L"C:\\b", 0},
      {"same drive, copy only", 0, Copy, L"C:\\a\\f", L"C:\\b", Copy},
      {"link keys", MK_CONTROL | MK_SHIFT, Both, L"C:\\a\\f", L"C:\\b", 0},
      {"share to share", 0, Both, L"\\\\srv\\s\\f", L"\\\\SRV\\S\\x", Move},
      {"link only", 0, DROPEFFECT_LINK, L"C:\\a\\f", L"C:\\b", 0},
  };
  for (const Case& C : Cases)
    EXPECT_EQ(ChooseDropEffect(C.Keys, C.Allowed, {C.Source}, C.Folder), C.Effect) << C.Name;
}

TEST(ShellTransfer, AllowedEffectsOfForeignData) {
  TTempFolder Dir("zx_effects");
  Dir.MakeFile("x.txt", 1);
  TPidl DirList = ParsePath(Dir.Path());
  TItemsMenu M(Dir.Path(), {"x.txt"});
  TMediumBytes Good = MakeCidaBytes(DirList.Get(), {M.Lists[0]});

  TBlockDataObject Data;
  EXPECT_EQ(GetAllowedDropEffects(&Data), 7u);  // no list of objects: nothing to limit
  Data.Blocks[CFShellIDList()] = Good;
  EXPECT_EQ(GetAllowedDropEffects(&Data), 7u);

  TMediumBytes BadCount = Good;
  BadCount[1] = 0x40;
  TMediumBytes BadOffset = Good;
  BadOffset[9] = 0x7F;
  for (const TMediumBytes& Bad : {BadCount, BadOffset, TMediumBytes(Good.begin(), Good.begin() + 6)}) {
    Data.Blocks[CFShellIDList()] = Bad;
    EXPECT_EQ(GetAllowedDropEffects(&Data), 0u);
  }
}

TEST(ShellNewFolder, FreeNamesAndRefusals) {
  TDialogWatcher Watcher;
  TTempFolder Dir("zx_newfolder");
  Dir.MakeFolder("New Folder");
  Dir.MakeFolder("New Folder (2)");
  std::string Name;
  ASSERT_TRUE(CreateNewFolderIn(Dir.Path() + "\\", Name));
  EXPECT_EQ(Name, "New Folder (3)");
  EXPECT_TRUE(Exists(Dir / "New Folder (3)"));
  EXPECT_TRUE(Watcher.Answered().empty());

  for (int N = 4; N <= 50; ++N) Dir.MakeFolder(NewFolderName(N));
  Name = "unchanged";
  EXPECT_FALSE(CreateNewFolderIn(Dir.Path(), Name));
  EXPECT_EQ(Name, "unchanged");
  ASSERT_EQ(Watcher.Answered().size(), 1u);
  EXPECT_NE(Watcher.Answered()[0].find(L"'New Folder'"), std::wstring::npos);

  // No parent is no place to create in (not the current folder).
  wchar_t Cwd[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, Cwd);
  SetCurrentDirectoryW(ToWide(Dir / "New Folder").c_str());
  EXPECT_FALSE(CreateNewFolderIn("", Name));
  EXPECT_FALSE(Exists(Dir / "New Folder\\New Folder"));
  SetCurrentDirectoryW(Cwd);
  EXPECT_EQ(Watcher.Answered().size(), 2u);

  // Another failure names the folder tried.
  EXPECT_FALSE(CreateNewFolderIn(Dir / "missing\\deeper", Name));
  ASSERT_EQ(Watcher.Answered().size(), 3u);
  EXPECT_NE(Watcher.Answered()[2].find(L"'New Folder'"), std::wstring::npos);
}

TEST(ShellSendTo, ListsVisibleFilesAndSendsToAFolderShortcut) {
  TTempFolder SendDir("zx_sendto");
  TTempFolder Target("zx_sendto_target");
  TTempFolder Source("zx_sendto_source");
  SendDir.MakeFile("Notes.txt", 1);
  std::string Hidden = SendDir.MakeFile("hidden.txt", 1);
  SetFileAttributesW(ToWide(Hidden).c_str(), FILE_ATTRIBUTE_HIDDEN);
  SendDir.MakeFolder("Sub");
  {
    TComPtr<IShellLinkW> Link;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                           reinterpret_cast<void**>(Link.Out()))));
    Link->SetPath(ToWide(Target.Path()).c_str());
    TComPtr<IPersistFile> File;
    ASSERT_TRUE(SUCCEEDED(Link.As(File)));
    ASSERT_TRUE(SUCCEEDED(File->Save(ToWide(SendDir / "Target.lnk").c_str(), TRUE)));
  }
  FillSendToEntries(SendDir.Path());
  std::vector<std::string> Names;
  for (const TSendToEntry& E : SendToEntries()) Names.push_back(E.Name);
  std::sort(Names.begin(), Names.end());
  EXPECT_EQ(Names, (std::vector<std::string>{"Notes.txt", "Target.lnk"}));

  WriteAll(Source / "sent.txt", "sent data");
  TBlockDataObject Data;
  Data.Blocks[CF_HDROP] = MakeHDropBytes({U16(Source / "sent.txt")});
  SendToFile("Target.lnk", &Data, SendDir.Path());
  EXPECT_EQ(ReadAll(Target / "sent.txt"), "sent data");
  EXPECT_EQ(ReadAll(Source / "sent.txt"), "sent data");

  // Ids 1 to 49 are ours, the shell's start at 50.
  for (int i = 0; i < 60; ++i) SendDir.MakeFile("f" + std::to_string(i) + ".txt", 0);
  FillSendToEntries(SendDir.Path());
  EXPECT_EQ(SendToEntries().size(), size_t(MaxSendToEntries));
}

TEST(ShellSendTo, MenuCharacterOnlyInOurSubmenu) {
  TTempFolder SendDir("zx_sendto_char");
  for (const char* N : {"alpha.txt", "beta.txt", "bravo.txt"}) SendDir.MakeFile(N, 0);
  FillSendToEntries(SendDir.Path());
  HMENU Popup = CreatePopupMenu();
  AppendMenuW(Popup, MF_STRING | MF_GRAYED, 99, L"xxx");
  TMessage Init{WM_INITMENUPOPUP, WPARAM(Popup), 0, 0};
  HandleInitMenuPopup(Init, nullptr);
  ASSERT_EQ(GetMenuItemCount(Popup), 3);
  EXPECT_EQ(GetMenuItemID(Popup, 0), 1u);
  EXPECT_TRUE(GetMenuState(Popup, 2, MF_BYPOSITION) & MF_OWNERDRAW);

  int Unique = -1;
  for (int i = 0; i < 3; ++i)
    if (SendToEntries()[i].Name == "alpha.txt") Unique = i;
  TMessage Char{WM_MENUCHAR, MAKEWPARAM('A', MF_POPUP), LPARAM(Popup), 0};
  EXPECT_TRUE(HandleContextMenuMessage(Char, nullptr, nullptr, nullptr));
  EXPECT_EQ(Char.Result, LRESULT(MAKELONG(Unique, 2)));
  TMessage Twice{WM_MENUCHAR, MAKEWPARAM('b', MF_POPUP), LPARAM(Popup), 0};
  EXPECT_TRUE(HandleContextMenuMessage(Twice, nullptr, nullptr, nullptr));
  EXPECT_EQ(HIWORD(Twice.Result), 3);

  // Another popup of the context menu keeps its own mnemonics.
  HMENU Other = CreatePopupMenu();
  AppendMenuW(Other, MF_STRING, 60, L"&Alpha");
  TMessage Foreign{WM_MENUCHAR, MAKEWPARAM('a', MF_POPUP), LPARAM(Other), 0};
  EXPECT_FALSE(HandleContextMenuMessage(Foreign, nullptr, nullptr, nullptr));
  DestroyMenu(Other);
  DestroyMenu(Popup);
}

TEST(ShellRoutines, SplitsUIObjectsAndStyleBits) {
  TTempFolder Dir("zx_split");
  Dir.MakeFile("x.txt", 1);
  TPidl File = ParsePath(Dir / "x.txt");
  TComPtr<IShellFolder> Parent;
  TPidl ParentList, RelList;
  ASSERT_TRUE(SUCCEEDED(SplitPidl(File.Get(), Parent, ParentList, RelList)));
  EXPECT_TRUE(AnsiSameText(PidlToPath(ParentList.Get()), Dir.Path()));
  EXPECT_EQ(GetNameOf(Parent.Get(), RelList.Get(), SHGDN_INFOLDER | SHGDN_FORPARSING), "x.txt");

  TPidl DeskParent, DeskRel;
  ASSERT_TRUE(SUCCEEDED(GetDesktopSplit(DeskParent, DeskRel)));
  TPidl Joined(ConcatPidls(nullptr, DeskParent.Get(), DeskRel.Get()));
  EXPECT_TRUE(AnsiSameText(PidlToPath(Joined.Get()), GetSpecialFolderPath(nullptr, CSIDL_DESKTOP)));

  TComPtr<IContextMenu> Menu;
  EXPECT_TRUE(SUCCEEDED(GetUIObjectOfPidl(File.Get(), IID_IContextMenu, reinterpret_cast<void**>(Menu.Out()))));

  HWND W = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  SetWindowStyleBits(W, SS_NOTIFY, true);
  EXPECT_TRUE(GetWindowLongPtrW(W, GWL_STYLE) & SS_NOTIFY);
  SetWindowStyleBits(W, SS_NOTIFY, false);
  EXPECT_FALSE(GetWindowLongPtrW(W, GWL_STYLE) & SS_NOTIFY);
  DestroyWindow(W);
}

}  // namespace
