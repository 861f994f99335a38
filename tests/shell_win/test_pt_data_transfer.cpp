// OLE data transfer: the offered formats, their enumerator, the media of a data object
// byte for byte, and the drop source's answers.
#include <gtest/gtest.h>

#include <cstring>

#include "shell/core/pidl_bytes.h"
#include "shell/core/shell_media.h"
#include "shell/pt_data_transfer.h"
#include "shell/pt_shell_locator.h"
#include "shell/pt_shell_routines.h"
#include "shell_test_util.h"

namespace {

UINT PreferredEffect() { return RegisterClipboardFormatW(L"Preferred DropEffect"); }

TMediumBytes GetBytes(IDataObject* Data, UINT Format, HRESULT* Result = nullptr) {
  FORMATETC F{CLIPFORMAT(Format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM M{};
  HRESULT Hr = Data->GetData(&F, &M);
  if (Result != nullptr) *Result = Hr;
  if (FAILED(Hr)) return {};
  auto* P = static_cast<const uint8_t*>(GlobalLock(M.hGlobal));
  TMediumBytes B(P, P + GlobalSize(M.hGlobal));
  GlobalUnlock(M.hGlobal);
  ReleaseStgMedium(&M);
  return B;
}

TEST(FormatEtcList, QueryGetDataAnswers) {
  TPTFormatEtcList List({CFShellIDList(), CF_HDROP, CF_TEXT});
  ASSERT_EQ(List.Count(), 3);
  EXPECT_EQ(List.Items(1).cfFormat, CF_HDROP);
  EXPECT_EQ(List.Items(1).tymed, DWORD(TYMED_HGLOBAL));
  struct Case {
    const char* Name;
    FORMATETC Fmt;
    HRESULT Result;
  };
  const Case Cases[] = {
      {"text in memory", {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}, S_OK},
      {"text or stream", {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL | TYMED_ISTREAM}, S_OK},
      {"text as stream only", {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM}, DV_E_TYMED},
      {"format not offered", {CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}, DV_E_FORMATETC},
      {"icon aspect", {CF_TEXT, nullptr, DVASPECT_ICON, -1, TYMED_HGLOBAL}, DV_E_FORMATETC},
  };
  for (const Case& C : Cases) EXPECT_EQ(List.QueryGetData(C.Fmt), C.Result) << C.Name;
}

TEST(FormatEtcList, EnumeratorNextSkipResetClone) {
  auto List = std::make_shared<const TPTFormatEtcList>(std::vector<UINT>{CFShellIDList(), CF_HDROP, CF_TEXT});
  TComPtr<IEnumFORMATETC> Enum(CreateFormatEtcEnumerator(List));
  FORMATETC Got[10];
  ULONG Fetched = 99;
  EXPECT_EQ(Enum->Next(10, Got, &Fetched), S_FALSE);
  EXPECT_EQ(Fetched, 3u);
  EXPECT_EQ(Got[2].cfFormat, CF_TEXT);
  EXPECT_EQ(Enum->Next(1, Got, &Fetched), S_FALSE);
  EXPECT_EQ(Fetched, 0u);

  EXPECT_EQ(Enum->Reset(), S_OK);
  EXPECT_EQ(Enum->Skip(4), S_FALSE);
  EXPECT_EQ(Enum->Next(1, Got, &Fetched), S_FALSE);
  EXPECT_EQ(Fetched, 0u);

  Enum->Reset();
  EXPECT_EQ(Enum->Skip(1), S_OK);
  TComPtr<IEnumFORMATETC> Copy;
  ASSERT_EQ(Enum->Clone(Copy.Out()), S_OK);
  EXPECT_EQ(Copy->Next(1, Got, nullptr), S_OK);
  EXPECT_EQ(Got[0].cfFormat, CF_HDROP);
  // The clone keeps the list alive on its own.
  List.reset();
  Enum.Reset();
  EXPECT_EQ(Copy->Next(1, Got, &Fetched), S_OK);
  EXPECT_EQ(Got[0].cfFormat, CF_TEXT);
}

TEST(ShellDataObject, MediaOfOneFolderAreExact) {
  TTempFolder Dir("zx_dataobj");
  Dir.MakeFile("f.txt", 3);
  std::string Long = "sub folder";
  Dir.MakeFolder(Long);
  TPidl DirList = ParsePath(Dir.Path());
  TPidl F = ParsePath(Dir / "f.txt"), L = ParsePath(Dir / Long);
  TPTIdListArray FA(F.Get()), LA(L.Get());
  TPidl FRel(CopyPidl(nullptr, FA.Item(FA.Count() - 1))), LRel(CopyPidl(nullptr, LA.Item(LA.Count() - 1)));

  TComPtr<IDataObject> Data = CreateShellDataObject(DirList.Get(), {FRel.Get(), LRel.Get()}, DROPEFFECT_MOVE);
  ASSERT_TRUE(Data);

  // "Shell IDList Array": the folder and the two items, offsets from the block start.
  TMediumBytes Cida = GetBytes(Data.Get(), CFShellIDList());
  EXPECT_EQ(Cida, MakeCidaBytes(DirList.Get(), {FRel.Get(), LRel.Get()}));
  TCidaView View;
  ASSERT_TRUE(ParseCida(Cida.data(), Cida.size(), View));
  EXPECT_EQ(View.Parent - Cida.data(), 16);
  EXPECT_TRUE(PidlBytesEqual(View.Children[1], LRel.Get()));

  // CF_HDROP: header, the full paths, a closing zero.
  TMediumBytes Drop = GetBytes(Data.Get(), CF_HDROP);
  std::string LongPath = Dir / Long;
  std::wstring P1 = ToWide(Dir / "f.txt"), P2 = ToWide(LongPath);
  EXPECT_EQ(Drop, MakeHDropBytes({std::u16string(P1.begin(), P1.end()), std::u16string(P2.begin(), P2.end())}));
  EXPECT_EQ(DataObjectPaths(Data.Get()), (std::vector<std::wstring>{P1, P2}));

  TMediumBytes Text = GetBytes(Data.Get(), CF_TEXT);
  std::string Want = Dir / "f.txt" + "\r\n" + LongPath + "\r\n";
  EXPECT_EQ(std::string(Text.begin(), Text.end()), Want + '\0');
  EXPECT_EQ(DataObjectPreferredEffect(Data.Get()), DWORD(DROPEFFECT_MOVE));

  // Each call hands out a new block the receiver owns.
  FORMATETC Fmt{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM A{}, B{};
  ASSERT_EQ(Data->GetData(&Fmt, &A), S_OK);
  ASSERT_EQ(Data->GetData(&Fmt, &B), S_OK);
  EXPECT_NE(A.hGlobal, B.hGlobal);
  EXPECT_EQ(A.pUnkForRelease, nullptr);
  ReleaseStgMedium(&A);
  ReleaseStgMedium(&B);

  HRESULT Hr = S_OK;
  GetBytes(Data.Get(), CF_BITMAP, &Hr);
  EXPECT_EQ(Hr, DV_E_FORMATETC);
  TComPtr<IEnumFORMATETC> Enum;
  ASSERT_EQ(Data->EnumFormatEtc(DATADIR_GET, Enum.Out()), S_OK);
  FORMATETC Got[8];
  ULONG N = 0;
  Enum->Next(8, Got, &N);
  ASSERT_EQ(N, 4u);
  EXPECT_EQ(Got[0].cfFormat, CFShellIDList());
  EXPECT_EQ(Got[3].cfFormat, PreferredEffect());
  IEnumFORMATETC* SetEnum = reinterpret_cast<IEnumFORMATETC*>(1);
  EXPECT_EQ(Data->EnumFormatEtc(DATADIR_SET, &SetEnum), E_NOTIMPL);
  EXPECT_EQ(SetEnum, nullptr);
  EXPECT_EQ(Data->DAdvise(&Fmt, 0, nullptr, nullptr), OLE_E_ADVISENOTSUPPORTED);
  EXPECT_EQ(Data->SetData(&Fmt, &A, FALSE), E_NOTIMPL);

  EXPECT_FALSE(CreateShellDataObject(DirList.Get(), {}));
}

TEST(ShellDataObject, LongPathsRoundTripThroughTheSystemsReader) {
  std::wstring Long = L"C:\\" + std::wstring(300, L'n') + L"\\\x0416.txt";
  HGLOBAL Block = nullptr;
  ASSERT_EQ(MakeHDropMedium({Long, L"D:\\x"}, Block), S_OK);
  auto Drop = static_cast<HDROP>(Block);
  ASSERT_EQ(DragQueryFileW(Drop, 0xFFFFFFFF, nullptr, 0), 2u);
  std::wstring Got(DragQueryFileW(Drop, 0, nullptr, 0), L'\0');
  DragQueryFileW(Drop, 0, Got.data(), UINT(Got.size() + 1));
  EXPECT_EQ(Got, Long);
  GlobalFree(Block);
}

TEST(ShellDataObject, ClipboardCutThenPasteMoves) {
  TTempFolder Dir("zx_dataobj_clip");
  std::string To = Dir.MakeFolder("to");
  Dir.MakeFile("m.txt", 9);
  TPidl DirList = ParsePath(Dir.Path()), ToList = ParsePath(To), M = ParsePath(Dir / "m.txt");
  TPTIdListArray MA(M.Get());
  TPidl MRel(CopyPidl(nullptr, MA.Item(MA.Count() - 1)));
  ASSERT_EQ(SetClipboardItems(DirList.Get(), {MRel.Get()}, DROPEFFECT_MOVE), S_OK);
  ASSERT_EQ(PasteIntoFolder(nullptr, ToList.Get()), S_OK);
  EXPECT_EQ(GetFileAttributesW(ToWide(Dir / "m.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW(ToWide(To + "\\m.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(DropSource, ButtonsDecide) {
  struct Case {
    int Kind;
    BOOL Escape;
    DWORD Keys;
    HRESULT Result;
  };
  const Case Cases[] = {
      {0, FALSE, MK_LBUTTON, S_OK},
      {0, FALSE, 0, DRAGDROP_S_DROP},
      {0, TRUE, MK_LBUTTON, DRAGDROP_S_CANCEL},
      {0, FALSE, MK_LBUTTON | MK_RBUTTON, DRAGDROP_S_CANCEL},
      {0, FALSE, MK_LBUTTON | MK_CONTROL, S_OK},
      {1, FALSE, MK_RBUTTON, S_OK},
      {1, FALSE, MK_LBUTTON, DRAGDROP_S_CANCEL},
      {1, FALSE, 0, DRAGDROP_S_DROP},
      {2, FALSE, MK_MBUTTON, S_OK},
  };
  for (const Case& C : Cases) {
    TComPtr<IDropSource> Source(new TDropSource_shlvtv(C.Kind));
    EXPECT_EQ(Source->QueryContinueDrag(C.Escape, C.Keys), C.Result) << C.Kind << " " << C.Keys;
    EXPECT_EQ(Source->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
  }
  TComPtr<IDropSource> Source(new TDropSource_shlvtv(0));
  TComPtr<IDataObject> NotThere;
  EXPECT_EQ(Source->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(NotThere.Out())), E_NOINTERFACE);
  EXPECT_FALSE(NotThere);
}

}  // namespace
