// The icons a shell list shows are the shell's own for each item, in the system image list
// the list draws from: at the desktop (items outside the file system) as in a folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <commoncontrols.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "classlib/win/forms.h"
#include "classlib/core/stream.h"
#include "shell/pt_shell_list.h"
#include "shell/pt_shell_locator.h"
#include "tests/shell_win/shell_test_util.h"
#include "tests/support/form_test.h"
#include "tests/support/screenshot.h"
#include "tests/support/wait_for.h"

namespace {

int ShownImage(TCustomListView* L, int Index) {
  LVITEMW I{};
  I.mask = LVIF_IMAGE;
  I.iItem = Index;
  SendMessageW(L->Handle(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&I));
  return I.iImage;
}

// The shell's index of an item's small icon.
int ShellSmallIcon(PCItemIDList Abs) {
  SHFILEINFOW Info{};
  if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(Abs), 0, &Info, sizeof(Info),
                     SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON) == 0)
    return -1;
  return Info.iIcon;
}

// The system's other list of small icons: the lists take their images in step, and this
// one is never given images of the program's own, so its pictures are the shell's.
HIMAGELIST SystemSmallList() {
  void* List = nullptr;
  if (FAILED(SHGetImageList(SHIL_SYSSMALL, __uuidof(IImageList), &List))) return nullptr;
  return static_cast<HIMAGELIST>(List);
}

// The pixels of an image of a list drawn on a white square, as the list draws it.
std::vector<COLORREF> ImagePixels(HIMAGELIST List, int Index, UINT Style = ILD_NORMAL) {
  int Size = 0, Unused = 0;
  ImageList_GetIconSize(List, &Size, &Unused);
  HDC Screen = GetDC(nullptr);
  HDC DC = CreateCompatibleDC(Screen);
  HBITMAP Bmp = CreateCompatibleBitmap(Screen, Size, Size);
  HGDIOBJ Old = SelectObject(DC, Bmp);
  RECT R{0, 0, Size, Size};
  FillRect(DC, &R, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  ImageList_Draw(List, Index, DC, 0, 0, Style);
  std::vector<COLORREF> P;
  for (int Y = 0; Y < Size; ++Y)
    for (int X = 0; X < Size; ++X) P.push_back(GetPixel(DC, X, Y));
  SelectObject(DC, Old);
  DeleteObject(Bmp);
  DeleteDC(DC);
  ReleaseDC(nullptr, Screen);
  return P;
}

// The column widths that shell lists carry from one to the next, put back as they were
// when the lists are gone, so that the cases after these start from the same state.
class TKeepCarriedWidths {
public:
  TKeepCarriedWidths() {
    std::copy(std::begin(ShellListColumnRecord()), std::end(ShellListColumnRecord()), FRecord);
    TMemoryStream& S = ShellListWidthStream();
    const auto* P = static_cast<const uint8_t*>(S.Memory());
    FWidths.assign(P, P + S.Size());
    FPosition = S.Position();
  }
  ~TKeepCarriedWidths() {
    std::copy(std::begin(FRecord), std::end(FRecord), ShellListColumnRecord());
    TMemoryStream& S = ShellListWidthStream();
    S.Clear();
    if (!FWidths.empty()) S.Write(FWidths.data(), int(FWidths.size()));
    S.SetPosition(FPosition);
  }

private:
  uint8_t FRecord[sizeof(ShellListColumnRecord())];
  std::vector<uint8_t> FWidths;
  std::int64_t FPosition = 0;
};

// Two lists, as the program's two panels have.
struct ShellListIcons : ::testing::Test {
  TKeepCarriedWidths Keep;  // first made, last gone
  TForm Form{nullptr};
  TPTShellList* List = new TPTShellList(&Form);
  TPTShellList* Other = new TPTShellList(&Form);

  void SetUp() override {
    Form.SetBounds(0, 0, 640, 400);
    for (TPTShellList* L : {List, Other}) {
      L->SetParent(&Form);
      L->SetViewStyle(vsReport);
    }
    List->SetBounds(0, 0, 620, 250);
    Other->SetBounds(0, 255, 620, 110);
  }
  void ShowOn(PCItemIDList Folder) {
    List->Folder()->SetIdList(Folder);
    Other->Folder()->SetIdList(Folder);
    Form.Show();
    PumpMessages();
  }
  // Each item's icon is the shell's small icon of that item, by index and by picture.
  void ExpectShellIcons() {
    HIMAGELIST Small = reinterpret_cast<HIMAGELIST>(SendMessageW(List->Handle(), LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_NE(Small, nullptr);
    HIMAGELIST Reference = SystemSmallList();
    ASSERT_NE(Reference, nullptr);
    int Size = 0, Unused = 0, RefSize = 0;
    ImageList_GetIconSize(Small, &Size, &Unused);
    ImageList_GetIconSize(Reference, &RefSize, &Unused);
    ASSERT_EQ(RefSize, Size);
    ASSERT_GT(List->Items()->Count(), 0);
    for (int I = 0; I < List->Items()->Count(); ++I) {
      TPTShListData* Data = List->GetItemData(I);
      ASSERT_NE(Data, nullptr);
      SCOPED_TRACE(Data->GetDisplayName());
      int Shown = ShownImage(List, I);
      EXPECT_EQ(Shown, ShellSmallIcon(Data->GetAbsIdList()));
      ASSERT_LT(Shown, ImageList_GetImageCount(Small));
      // The picture at that index is the shell's picture for it.
      EXPECT_TRUE(ImagePixels(Small, Shown) == ImagePixels(Reference, Shown))
          << "row " << I << " shows another picture at index " << Shown;
    }
  }
};

TEST_F(ShellListIcons, AtTheDesktopEachItemShowsItsOwnIcon) {
  TPidl Desktop;
  ASSERT_EQ(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, Desktop.Out()), S_OK);
  ShowOn(Desktop.Get());
  ExpectShellIcons();
  EXPECT_GT(SaveWindowPng(Form.Handle(), ScreenshotPath("shell-list-desktop-icons.png")), 0);
}

TEST_F(ShellListIcons, InAFolderFilesAndFoldersShowTheirOwnIcons) {
  TTempFolder Dir("zx_shicons");
  Dir.MakeFile("a.txt", 1);
  Dir.MakeFile("b.zz9", 1);
  Dir.MakeFolder("sub");
  TPidl P = ParsePath(Dir.Path());
  ShowOn(P.Get());
  ExpectShellIcons();
}

}  // namespace
