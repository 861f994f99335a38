// Canvases, pens, brushes and font handles, drawn on bitmaps, foreign contexts and a window.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "classlib/core/stream.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/graphics.h"
#include "classlib/win/icon.h"
#include "classlib/win/image_list.h"
#include "classlib/win/jpeg_image.h"
#include "tests/support/screenshot.h"

namespace {

const std::string Cyrillic = "\xD4\xE0\xE9\xEB\xFB";  // "Файлы" in 1251

TColor Rgb(int R, int G, int B) { return TColor(R | G << 8 | B << 16); }

// A white 32-bit bitmap of the given size.
std::unique_ptr<TBitmap> WhiteBitmap(int W, int H) {
  auto B = std::make_unique<TBitmap>();
  B->SetPixelFormat(pf32bit);
  B->SetSize(W, H);
  return B;
}

TEST(Canvas, ColorToRGBResolvesSystemColours) {
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
  EXPECT_EQ(ColorToRGB(Rgb(1, 2, 3)), 0x030201);
  EXPECT_EQ(ColorToRGB(clBtnFace), int32_t(GetSysColor(COLOR_BTNFACE)));
  EXPECT_EQ(ColorToRGB(clWindowText), int32_t(GetSysColor(COLOR_WINDOWTEXT)));
  EXPECT_EQ(ColorToRGB(clNone), int32_t(clNone));
}

TEST(Canvas, ShapesUseThePenAndBrushChosenAtTheTimeOfDrawing) {
  auto B = WhiteBitmap(40, 40);
  TCanvas* C = B->Canvas();
  C->Brush()->SetColor(clRed);
  C->FillRect(Rect(0, 0, 10, 10));
  // Changed after the brush was selected: the next call uses the new one.
  C->Brush()->SetColor(clBlue);
  C->FillRect(Rect(10, 0, 20, 10));
  EXPECT_EQ(C->Pixels(5, 5), clRed);
  EXPECT_EQ(C->Pixels(15, 5), clBlue);

  C->Pen()->SetColor(clLime);
  C->Brush()->SetColor(clYellow);
  C->Rectangle(0, 20, 20, 40);
  EXPECT_EQ(C->Pixels(0, 30), clLime);     // the outline
  EXPECT_EQ(C->Pixels(10, 30), clYellow);  // the inside
  C->Brush()->SetStyle(bsClear);
  C->Pen()->SetColor(clBlack);
  C->Ellipse(20, 20, 40, 40);
  EXPECT_EQ(C->Pixels(30, 30), clWhite);  // a clear brush leaves the inside alone

  C->Pen()->SetColor(clRed);
  C->MoveTo(25, 2);
  C->LineTo(35, 2);
  EXPECT_EQ(C->Pixels(30, 2), clRed);
  EXPECT_EQ(C->PenPos(), Point(35, 2));
  C->SetPixels(39, 0, clFuchsia);
  EXPECT_EQ(C->Pixels(39, 0), clFuchsia);
  EXPECT_EQ(C->Pixels(500, 500), clNone);  // outside the bitmap
}

TEST(Canvas, TextInTheFontAndClippedByTextRect) {
  auto B = WhiteBitmap(200, 40);
  TCanvas* C = B->Canvas();
  C->Font()->SetName("Tahoma");
  C->Font()->SetHeight(-16);
  C->Font()->SetColor(clBlue);
  C->Brush()->SetStyle(bsClear);
  int W = C->TextWidth(Cyrillic);
  EXPECT_GT(W, 20);
  EXPECT_GT(C->TextHeight(Cyrillic), 10);
  // Each Cyrillic letter is one character on screen, not two bytes' worth of signs.
  EXPECT_LT(W, C->TextWidth("MMMMMMMMMM"));
  C->TextOut(2, 2, Cyrillic);
  EXPECT_EQ(C->PenPos().X, 2 + W);
  int Blue = 0;
  for (int Y = 0; Y < 20; ++Y)
    for (int X = 0; X < W + 4; ++X) Blue += C->Pixels(X, Y) == clBlue;
  EXPECT_GT(Blue, 10);

  // TextRect fills its rectangle with the brush and draws nothing outside it.
  C->Brush()->SetColor(clYellow);
  C->TextRect(Rect(100, 0, 110, 40), 100, 2, "WWWWWWWW");
  EXPECT_EQ(C->Pixels(105, 38), clYellow);
  for (int Y = 0; Y < 40; ++Y) EXPECT_EQ(C->Pixels(115, Y), clWhite);
}

TEST(Canvas, FontHandlesFollowTheFontAndAreShared) {
  TFont A, B;
  A.SetName("Arial");
  A.SetHeight(-13);
  A.SetStyle({fsBold, fsItalic});
  A.SetCharset(RUSSIAN_CHARSET);
  B.Assign(&A);
  EXPECT_EQ(FontHandle(A), FontHandle(B));
  LOGFONTW Lf{};
  ASSERT_NE(GetObjectW(FontHandle(A), sizeof Lf, &Lf), 0);
  EXPECT_EQ(Lf.lfHeight, -13);
  EXPECT_EQ(Lf.lfWeight, FW_BOLD);
  EXPECT_TRUE(Lf.lfItalic);
  EXPECT_EQ(Lf.lfCharSet, RUSSIAN_CHARSET);
  EXPECT_EQ(std::wstring(Lf.lfFaceName), L"Arial");
  B.SetSize(20);
  EXPECT_NE(FontHandle(A), FontHandle(B));

  TFont C;
  LogFontToFont(Lf, C);
  EXPECT_EQ(C.Name(), "Arial");
  EXPECT_EQ(C.Height(), -13);
  EXPECT_TRUE(C.Style() == (TFontStyles{fsBold, fsItalic}));
  EXPECT_EQ(C.Charset(), RUSSIAN_CHARSET);
}

TEST(Canvas, AForeignContextGetsItsOwnObjectsBackAndStaysAlive) {
  HDC Screen = GetDC(nullptr);
  HDC DC = CreateCompatibleDC(Screen);
  HBITMAP Bmp = CreateCompatibleBitmap(Screen, 20, 20);
  ReleaseDC(nullptr, Screen);
  HGDIOBJ OldBmp = SelectObject(DC, Bmp);
  HGDIOBJ Pen0 = GetCurrentObject(DC, OBJ_PEN), Brush0 = GetCurrentObject(DC, OBJ_BRUSH),
          Font0 = GetCurrentObject(DC, OBJ_FONT);
  {
    TCanvas C;
    EXPECT_THROW(C.Handle(), EInvalidOperation);  // a plain canvas has no context of its own
    C.SetHandle(DC);
    C.Brush()->SetColor(clRed);
    C.Pen()->SetColor(clBlue);
    C.Rectangle(0, 0, 20, 20);
    C.TextOut(0, 0, "x");
    EXPECT_NE(GetCurrentObject(DC, OBJ_BRUSH), Brush0);
    C.SetHandle(nullptr);
    EXPECT_EQ(GetCurrentObject(DC, OBJ_PEN), Pen0);
    EXPECT_EQ(GetCurrentObject(DC, OBJ_BRUSH), Brush0);
    EXPECT_EQ(GetCurrentObject(DC, OBJ_FONT), Font0);
    C.SetHandle(DC);
    C.Brush()->SetColor(clGreen);
    C.FillRect(Rect(0, 0, 5, 5));
  }  // destroyed while drawing on the foreign context: it lets go without deleting it
  EXPECT_EQ(GetCurrentObject(DC, OBJ_BRUSH), Brush0);
  EXPECT_EQ(GetPixel(DC, 2, 2), COLORREF(0x008000));
  EXPECT_EQ(GetPixel(DC, 10, 10), COLORREF(0x0000FF));
  SelectObject(DC, OldBmp);
  DeleteObject(Bmp);
  DeleteDC(DC);
}

TEST(Canvas, DrawStretchDrawCopyRectAndTransparency) {
  auto Src = WhiteBitmap(4, 4);
  Src->Canvas()->Brush()->SetColor(clRed);
  Src->Canvas()->FillRect(Rect(0, 0, 2, 4));  // left half red, right half white
  auto Dst = WhiteBitmap(40, 40);
  TCanvas* C = Dst->Canvas();
  C->Brush()->SetColor(clBlue);
  C->FillRect(Rect(0, 0, 40, 40));
  C->Draw(0, 0, Src.get());
  EXPECT_EQ(C->Pixels(1, 1), clRed);
  EXPECT_EQ(C->Pixels(3, 1), clWhite);
  C->StretchDraw(Rect(10, 10, 30, 30), Src.get());
  EXPECT_EQ(C->Pixels(15, 20), clRed);
  EXPECT_EQ(C->Pixels(25, 20), clWhite);
  EXPECT_EQ(C->Pixels(31, 20), clBlue);

  // Transparent: the bottom-left colour (red) is left out.
  Src->SetTransparent(true);
  EXPECT_EQ(Src->TransparentColor(), clRed);
  C->Draw(34, 0, Src.get());
  EXPECT_EQ(C->Pixels(35, 1), clBlue);
  EXPECT_EQ(C->Pixels(37, 1), clWhite);
  Src->SetTransparentColor(clWhite);
  EXPECT_EQ(Src->TransparentMode(), tmFixed);
  C->Draw(34, 5, Src.get());
  EXPECT_EQ(C->Pixels(35, 6), clRed);
  EXPECT_EQ(C->Pixels(37, 6), clBlue);

  auto Copy = WhiteBitmap(10, 10);
  Copy->Canvas()->CopyRect(Rect(0, 0, 10, 10), C, Rect(10, 10, 20, 20));
  EXPECT_EQ(Copy->Canvas()->Pixels(2, 2), clRed);
}

TEST(Canvas, LockKeepsOtherThreadsOut) {
  TCanvas C;
  C.Lock();
  EXPECT_EQ(C.LockCount(), 1);
  std::atomic<int> Got{-1};
  std::thread([&] { Got = C.TryLock() ? 1 : 0; }).join();
  EXPECT_EQ(Got, 0);
  C.Unlock();
  std::thread([&] {
    Got = C.TryLock() ? 1 : 0;
    if (Got) C.Unlock();
  }).join();
  EXPECT_EQ(Got, 1);
  EXPECT_EQ(C.LockCount(), 0);
}

LRESULT CALLBACK PlainWndProc(HWND W, UINT M, WPARAM Wp, LPARAM Lp) { return DefWindowProcW(W, M, Wp, Lp); }

void Pump() {
  MSG Msg;
  while (PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&Msg);
    DispatchMessageW(&Msg);
  }
}

// Everything at once on a window, for looking at: shapes, Cyrillic text, a bitmap, an
// icon, a JPEG and an image list with an overlay.
TEST(Canvas, WindowCanvasScreenshot) {
  WNDCLASSW Wc{};
  Wc.lpfnWndProc = PlainWndProc;
  Wc.hInstance = GetModuleHandleW(nullptr);
  Wc.lpszClassName = L"ZxCanvasTest";
  Wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassW(&Wc);
  HWND Wnd = CreateWindowExW(0, L"ZxCanvasTest", L"Canvas", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 420, 260,
                             nullptr, nullptr, Wc.hInstance, nullptr);
  ASSERT_NE(Wnd, nullptr);
  UpdateWindow(Wnd);
  Pump();

  TWindowCanvas C(Wnd);
  C.Brush()->SetColor(clWhite);
  C.FillRect(Rect(0, 0, 420, 260));
  C.Pen()->SetColor(clNavy);
  C.Pen()->SetWidth(2);
  C.Brush()->SetColor(clYellow);
  C.Rectangle(10, 10, 110, 60);
  C.Brush()->SetColor(clAqua);
  C.Ellipse(120, 10, 220, 60);
  C.Brush()->SetStyle(bsDiagCross);
  C.Brush()->SetColor(clGreen);
  C.RoundRect(230, 10, 330, 60, 16, 16);
  C.Brush()->SetColor(clFuchsia);
  C.Polygon({Point(340, 60), Point(370, 10), Point(400, 60)});
  C.Pen()->SetStyle(psDash);
  C.Pen()->SetWidth(1);
  C.Polyline({Point(10, 70), Point(400, 70)});
  C.Brush()->SetStyle(bsClear);
  C.Font()->SetName("Tahoma");
  C.Font()->SetSize(12);
  C.Font()->SetStyle({fsBold});
  C.Font()->SetColor(clMaroon);
  C.TextOut(10, 80, Cyrillic + " \xEF\xE0\xED\xE5\xEB\xE8 / panels");

  auto Bmp = WhiteBitmap(48, 48);
  for (int Y = 0; Y < 48; ++Y)
    for (int X = 0; X < 48; ++X) Bmp->Canvas()->SetPixels(X, Y, Rgb(X * 5, Y * 5, 128));
  C.Draw(10, 120, Bmp.get());
  C.StretchDraw(Rect(70, 120, 166, 168), Bmp.get());

  TIcon Icon;
  Icon.LoadFromResourceID(nullptr, int(reinterpret_cast<uintptr_t>(IDI_INFORMATION)));
  C.Draw(180, 120, &Icon);

  TJPEGImage Jpeg;
  Jpeg.Assign(Bmp.get());
  TMemoryStream M;
  Jpeg.SaveToStream(&M);
  M.SetPosition(0);
  TJPEGImage Loaded;
  Loaded.LoadFromStream(&M);
  C.Draw(230, 120, &Loaded);

  TImageList List(nullptr);
  List.SetWidth(32);
  List.SetHeight(32);
  int Base = List.AddIcon(&Icon);
  TIcon Warn;
  Warn.LoadFromResourceID(nullptr, int(reinterpret_cast<uintptr_t>(IDI_WARNING)));
  int Over = List.AddIcon(&Warn);
  ASSERT_TRUE(List.Overlay(Over, 0));
  List.DrawOverlay(&C, 290, 120, Base, 0);
  C.FreeHandle();

  std::string Png = ScreenshotPath("canvas.png");
  EXPECT_GT(SaveWindowPng(Wnd, Png), 1000) << Png;
  DestroyWindow(Wnd);
}

}  // namespace
