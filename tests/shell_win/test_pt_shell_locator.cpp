// The shell locator: explicit lists, special folders, change notifications, assignment
// and the stored "Pidl" data.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "classlib/core/exception.h"
#include "classlib/core/stream.h"
#include "classlib/core/typinfo.h"
#include "shell/pt_shell_locator.h"
#include "shell_test_util.h"

namespace {

struct TCounted : TPTShellLocator {
  int Changes = 0;
  TCounted() {
    OnChange = [this](TObject* Sender) {
      EXPECT_EQ(Sender, this);
      ++Changes;
    };
  }
};

TEST(ShellLocator, DesktopStoresNothing) {
  TTempFolder Dir("zx_loc_desk");
  TCounted L;
  EXPECT_EQ(L.GetIdList(), nullptr);
  EXPECT_FALSE(L.PidlStored());

  L.SetPath(Dir / "not\\there");
  EXPECT_EQ(L.GetIdList(), nullptr);
  EXPECT_FALSE(L.PidlStored());
  EXPECT_EQ(L.Changes, 0);  // desktop to desktop

  TPidl Empty(CopyPidl(nullptr, nullptr));
  L.SetIdList(Empty.Get());
  EXPECT_EQ(L.GetIdList(), nullptr);
  EXPECT_TRUE(L.PidlData().empty());
  EXPECT_EQ(GetPropText(&L, "Pidl"), "");

  // Assigning a desktop locator to a folder one leaves nothing to store either.
  TCounted Target;
  Target.SetPath(Dir.Path());
  Target.Assign(&L);
  EXPECT_EQ(Target.GetIdList(), nullptr);
  EXPECT_FALSE(Target.PidlStored());
}

TEST(ShellLocator, ChangesFireOnlyOnRealChanges) {
  TTempFolder Dir("zx_loc_change");
  TCounted L;
  L.SetPath(Dir.Path());
  EXPECT_EQ(L.Changes, 1);
  EXPECT_EQ(L.GetPath(), Dir.Path());

  TPidl Same = ParsePath(Dir.Path());
  L.SetIdList(Same.Get());
  EXPECT_EQ(L.Changes, 1);
  L.SetIdList(L.GetIdList());  // its own list
  EXPECT_EQ(L.Changes, 1);
  EXPECT_EQ(L.GetPath(), Dir.Path());

  L.SetSpecialFolder(CSIDL_BITBUCKET);  // from a list to a special folder always fires
  EXPECT_EQ(L.Changes, 2);
  L.SetSpecialFolder(CSIDL_BITBUCKET);
  EXPECT_EQ(L.Changes, 2);
  EXPECT_EQ(L.PidlData(), TBytes({0x01, 0x0A}));
  EXPECT_EQ(GetPropText(&L, "Pidl"), "010A");

  L.Clear();
  EXPECT_EQ(L.Changes, 3);
  EXPECT_EQ(L.Kind(), TPTShellLocator::lkIdList);
}

TEST(ShellLocator, AssignAndEqual) {
  TTempFolder Dir("zx_loc_assign");
  TCounted Bin, Drives, Folder;
  Bin.SetSpecialFolder(CSIDL_BITBUCKET);
  Drives.SetSpecialFolder(CSIDL_DRIVES);
  Folder.SetPath(Dir.Path());
  Bin.Changes = Drives.Changes = Folder.Changes = 0;

  Bin.Assign(&Drives);
  EXPECT_EQ(Bin.Changes, 1);
  EXPECT_TRUE(Bin.Equal(&Drives));
  Bin.Assign(&Drives);
  EXPECT_EQ(Bin.Changes, 1);

  Drives.Assign(&Folder);
  EXPECT_EQ(Drives.Changes, 1);
  EXPECT_TRUE(Drives.Equal(&Folder));
  EXPECT_NE(Drives.GetIdList(), Folder.GetIdList());  // a copy
  EXPECT_FALSE(Drives.Equal(&Bin));

  // Nil: a held list goes and the locator names the desktop.
  Drives.Assign(nullptr);
  EXPECT_EQ(Drives.Changes, 2);
  EXPECT_EQ(Drives.GetIdList(), nullptr);
  Drives.Assign(nullptr);
  EXPECT_EQ(Drives.Changes, 2);

  // A special folder not resolved yet holds no list, and still becomes the desktop.
  Bin.SetSpecialFolder(CSIDL_BITBUCKET);
  Bin.Changes = 0;
  Bin.Assign(nullptr);
  EXPECT_EQ(Bin.Changes, 1);
  EXPECT_EQ(Bin.Kind(), TPTShellLocator::lkIdList);
  EXPECT_EQ(Bin.GetIdList(), nullptr);
  EXPECT_FALSE(Bin.PidlStored());

  struct TOther : TPersistent {} Other;
  EXPECT_THROW(Folder.Assign(&Other), EConvertError);
}

TEST(ShellLocator, PidlDataRoundTrips) {
  TTempFolder Dir("zx_loc_stream");
  TPTShellLocator L;
  L.SetPath(Dir.Path());
  size_t N = GetPidlSize(L.GetIdList());
  TBytes Data = L.PidlData();
  ASSERT_EQ(Data.size(), 5 + N);

  TMemoryStream S;
  L.WritePidl(&S);
  EXPECT_EQ(S.Size(), int64_t(Data.size()));
  S.SetPosition(0);
  TCounted Back;
  Back.ReadPidl(&S);
  EXPECT_EQ(Back.Changes, 0);  // reading fires nothing
  EXPECT_TRUE(Back.Equal(&L));
  EXPECT_EQ(Back.PidlData(), Data);
  EXPECT_EQ(Back.GetPath(), Dir.Path());

  // Through the property registry, as form data reach it.
  TPTShellLocator ByText;
  SetPropText(&ByText, "Pidl", GetPropText(&L, "Pidl"));
  EXPECT_TRUE(ByText.Equal(&L));

  // Cut-short data raise and change nothing.
  TBytes Cut(Data.begin(), Data.end() - 3);
  EXPECT_THROW(ByText.SetPidlData(Cut), EReadError);
  EXPECT_TRUE(ByText.Equal(&L));
  TMemoryStream Short;
  Short.WriteBuffer(Cut.data(), Cut.size());
  Short.SetPosition(0);
  EXPECT_THROW(ByText.ReadPidl(&Short), EReadError);
}

TEST(ShellLocator, ReadingASpecialFolderDropsTheHeldList) {
  TTempFolder Dir("zx_loc_special");
  TPTShellLocator L;
  L.SetPath(Dir.Path());
  L.SetPidlData({0x01, CSIDL_DRIVES});
  EXPECT_EQ(L.Kind(), TPTShellLocator::lkSpecialFolder);
  TPidl Drives;
  ASSERT_TRUE(SUCCEEDED(GetSpecialFolderPidl(nullptr, CSIDL_DRIVES, *Drives.Out())));
  EXPECT_EQ(ComparePidls(L.GetIdList(), Drives.Get()), 0);
  EXPECT_EQ(L.GetPath(), "");
}

TEST(ShellLocator, StartUpRegistersTheIdListFormat) {
  EXPECT_NE(CFShellIDList(), 0u);
  EXPECT_EQ(CFShellIDList(), RegisterClipboardFormatW(L"Shell IDList Array"));
  EXPECT_EQ(ShellListColumnRecord()[0], 0);
  // OLE is up: a second initialisation on this thread only counts.
  HRESULT Hr = OleInitialize(nullptr);
  EXPECT_EQ(Hr, S_FALSE);
  if (SUCCEEDED(Hr)) OleUninitialize();
}


// A desktop that cannot compare: every other call is refused too.
struct TMuteDesktop : IShellFolder {
  ULONG Refs = 1;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Out) override {
    if (Iid == IID_IUnknown || Iid == IID_IShellFolder) {
      *Out = this;
      AddRef();
      return S_OK;
    }
    *Out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++Refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --Refs; }
  HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_RELATIVE*,
                                             ULONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, PCUIDLIST_RELATIVE, PCUIDLIST_RELATIVE) override {
    return E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, PCUITEMID_CHILD_ARRAY, SFGAOF*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT*,
                                          void**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD, SHGDNF, STRRET*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF,
                                      PITEMID_CHILD*) override { return E_NOTIMPL; }
};

TMuteDesktop MuteDesktop;

TEST(ShellLocator, AShellThatCannotCompareCountsAsAChange) {
  TTempFolder Dir("zx_loc_mute");
  TCounted L;
  L.SetPath(Dir.Path());
  TPidl Same = ParsePath(Dir.Path());
  auto Saved = ComparePidlsDesktop;
  ComparePidlsDesktop = [](IShellFolder** Folder) {
    MuteDesktop.AddRef();
    *Folder = &MuteDesktop;
    return S_OK;
  };
  EXPECT_EQ(ComparePidls(L.GetIdList(), Same.Get()), PidlNoAnswer);
  L.Changes = 0;
  L.SetIdList(Same.Get());  // no proof that nothing changed: listeners must look again
  ComparePidlsDesktop = Saved;
  EXPECT_EQ(L.Changes, 1);
  EXPECT_EQ(L.GetPath(), Dir.Path());
  EXPECT_EQ(MuteDesktop.Refs, 1u);
}

}  // namespace
