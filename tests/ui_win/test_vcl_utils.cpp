// Window and drawing helpers: centring, patterns, transparent drawing, resources, messages
// and icons on the clipboard.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "classlib/core/stream.h"
#include "classlib/win/application.h"
#include "classlib/win/forms.h"
#include "classlib/win/icon.h"
#include "classlib/win/picture.h"
#include "classlib/win/std_ctrls.h"
#include "tests/support/form_test.h"
#include "ui/vcl_utils.h"

namespace {

COLORREF Pixel(TBitmap& B, int X, int Y) { return GetPixel(B.Canvas()->Handle(), X, Y) & 0xFFFFFF; }

std::unique_ptr<TBitmap> Filled(int W, int H, TColor C) {
  auto B = std::make_unique<TBitmap>();
  B->SetPixelFormat(pf24bit);
  B->SetSize(W, H);
  B->Canvas()->Brush()->SetColor(C);
  B->Canvas()->FillRect(TRect(0, 0, W, H));
  return B;
}

}  // namespace

TEST(VclUtils, CenterWindowKeepsWindowsOnTheScreen) {
  std::unique_ptr<TForm> Form{CreateForm<TForm>(nullptr)};
  int SW = GetSystemMetrics(SM_CXSCREEN), SH = GetSystemMetrics(SM_CYSCREEN);
  Form->SetBounds(5, 5, SW + 300, SH + 200);
  CenterWindow(Form->Handle());
  RECT R;
  GetWindowRect(Form->Handle(), &R);
  EXPECT_EQ(R.left, 0);
  EXPECT_EQ(R.top, 0);
  Form->SetBounds(5, 5, 200, 100);
  CenterWindow(Form->Handle());
  GetWindowRect(Form->Handle(), &R);
  EXPECT_EQ(R.left, (SW - 200) / 2);
  EXPECT_EQ(R.top, (SH - 100) / 2);
}

TEST(VclUtils, CenterControlInItsParent) {
  std::unique_ptr<TForm> Form{CreateForm<TForm>(nullptr)};
  Form->SetClientSize(300, 200);
  auto* Edit = new TEdit(Form.get());
  Edit->SetParent(Form.get());
  Edit->SetBounds(0, 0, 100, 20);
  CenterControl(Edit);
  EXPECT_EQ(Edit->Left(), 100);
  EXPECT_EQ(Edit->Top(), 90);
  // Larger than its parent: at the corner, never off it.
  Edit->SetBounds(0, 0, 500, 20);
  CenterControl(Edit);
  EXPECT_EQ(Edit->Left(), 0);
}

TEST(VclUtils, TwoColourPatternAndTransparentStretch) {
  auto P = CreateTwoColorsBrushPattern(clRed, clBlue);
  EXPECT_EQ(Pixel(*P, 0, 0), 0xFF0000u);  // same parity: colour 2 (BGR blue)
  EXPECT_EQ(Pixel(*P, 1, 0), 0x0000FFu);
  EXPECT_EQ(Pixel(*P, 3, 5), 0xFF0000u);

  // A 4 x 4 source: left half lime (transparent), right half red; stretched to 8 x 8.
  auto Src = Filled(4, 4, clLime);
  Src->Canvas()->Brush()->SetColor(clRed);
  Src->Canvas()->FillRect(TRect(2, 0, 4, 4));
  auto Dst = Filled(8, 8, clBlue);
  StretchBitmapRectTransparent(Dst->Canvas(), 0, 0, 8, 8, TRect(0, 0, 4, 4), Src.get(), clLime);
  EXPECT_EQ(Pixel(*Dst, 1, 1), 0xFF0000u);  // blue kept
  EXPECT_EQ(Pixel(*Dst, 6, 6), 0x0000FFu);  // red drawn
}

TEST(VclUtils, DisabledBitmapEmbossesTheOutline) {
  auto Src = Filled(6, 6, clWhite);
  SetPixel(Src->Canvas()->Handle(), 2, 2, RGB(0, 0, 0));
  SetPixel(Src->Canvas()->Handle(), 4, 1, RGB(255, 0, 0));
  auto D = CreateDisabledBitmap(Src.get(), clBlack);
  EXPECT_EQ(Pixel(*D, 2, 2), COLORREF(ColorToRGB(clBtnShadow)));
  EXPECT_EQ(Pixel(*D, 3, 3), COLORREF(ColorToRGB(clBtnHighlight)));
  EXPECT_EQ(Pixel(*D, 4, 1), COLORREF(ColorToRGB(clBtnFace)));
}

TEST(VclUtils, ResourceBitmaps) {
  auto Check = MakeModuleBitmap(nullptr, MAKEINTRESOURCEW(32760 /* the check mark */));
  EXPECT_GT(Check->Width(), 0);
  try {
    MakeModuleBitmap(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(4711));
    ADD_FAILURE() << "no exception";
  } catch (const EResNotFound& E) {
    EXPECT_EQ(E.Message(), "Resource 4711 not found");
  }
  EXPECT_THROW(MakeModuleBitmap(GetModuleHandleW(nullptr), L"NO_SUCH_BMP"), EResNotFound);
}

TEST(VclUtils, MinimizeTextOnACanvas) {
  auto B = Filled(10, 10, clWhite);
  TCanvas* C = B->Canvas();
  EXPECT_EQ(MinimizeText("fits", C, 1000), "fits");
  std::string Long(200, 'W');
  std::string Short = MinimizeText(Long, C, 100);
  EXPECT_LE(C->TextWidth(Short), 100);
  EXPECT_EQ(Short.substr(Short.size() - 3), "...");
  EXPECT_EQ(MinimizeText(Long, C, 1), "...");
}

TEST(VclUtils, KillMessageRemovesOneAndKeepsQuit) {
  std::unique_ptr<TForm> Form{CreateForm<TForm>(nullptr)};
  HWND W = Form->Handle();
  const UINT Msg = WM_APP + 77;
  PostMessageW(W, Msg, 1, 0);
  PostMessageW(W, Msg, 2, 0);
  KillMessage(W, Msg);
  MSG M;
  ASSERT_TRUE(PeekMessageW(&M, W, Msg, Msg, PM_REMOVE));
  EXPECT_EQ(M.wParam, 2u);
  EXPECT_FALSE(PeekMessageW(&M, W, Msg, Msg, PM_REMOVE));
  PostQuitMessage(5);
  KillMessage(nullptr, WM_QUIT);
  ASSERT_TRUE(PeekMessageW(&M, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(M.wParam, 5u);
}

TEST(VclUtils, IconsOnTheClipboard) {
  RegisterClipboardIconFormat();
  TIcon Source;
  Source.LoadFromResourceID(nullptr, 32512 /* the application icon */);
  TMemoryStream Ico;
  Source.SaveToStream(&Ico);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  EXPECT_EQ(CreateIconFromClipboard(), nullptr);
  ASSERT_TRUE(OpenClipboard(nullptr));
  HGLOBAL H = GlobalAlloc(GMEM_MOVEABLE, SIZE_T(Ico.Size()));
  memcpy(GlobalLock(H), Ico.Memory(), SIZE_T(Ico.Size()));
  GlobalUnlock(H);
  SetClipboardData(IconClipboardFormat(), H);
  CloseClipboard();
  auto Icon = CreateIconFromClipboard();
  ASSERT_NE(Icon, nullptr);
  EXPECT_EQ(Icon->Width(), Source.Width());
  EXPECT_EQ(TPicture::ClipboardFormatClass(IconClipboardFormat()), TIcon::StaticClassInfo());
}

TEST(VclUtils, SmallHelpers) {
  EXPECT_EQ(Max(-3, 2), 2);
  EXPECT_EQ(Min(-3, 2), -3);
  EXPECT_EQ(WidthOf(TRect(2, 3, 10, 20)), 8);
  EXPECT_EQ(HeightOf(TRect(2, 3, 10, 20)), 17);
  EXPECT_EQ(PaletteColor(clRed), 0x020000FF);
  void* P = AllocMemo(16);
  ASSERT_NE(P, nullptr);
  EXPECT_TRUE(CompareMem(P, std::string(16, '\0').data(), 16));
  FreeMemo(P);
  EXPECT_EQ(P, nullptr);
  EXPECT_EQ(AllocMemo(0), nullptr);
  LOGPALETTE LP{0x300, 1, {{1, 2, 3, 0}}};
  HPALETTE Pal = CreatePalette(&LP);
  EXPECT_EQ(PaletteEntries(Pal), 1);
  DeleteObject(Pal);
}
