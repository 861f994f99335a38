// The shaped form: the window region follows the picture's opaque pixels, to the right
// edge of each row, and switching it off gives the form back its rectangle and border.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "classlib/win/bitmap.h"
#include "classlib/win/forms.h"
#include "tests/support/form_test.h"
#include "ui/shaped_form.h"

namespace {

// A 40 x 20 picture: white (the clear colour, from its corner) with a black bar in row 5
// that runs to the right edge, and a black block in rows 10-14, columns 3-9.
std::unique_ptr<TBitmap> ShapePicture() {
  auto B = std::make_unique<TBitmap>();
  B->SetPixelFormat(pf24bit);
  B->SetSize(40, 20);
  B->Canvas()->Brush()->SetColor(clWhite);
  B->Canvas()->FillRect(TRect(0, 0, 40, 20));
  B->Canvas()->Brush()->SetColor(clBlack);
  B->Canvas()->FillRect(TRect(30, 5, 40, 6));
  B->Canvas()->FillRect(TRect(3, 10, 10, 15));
  return B;
}

bool InRegion(HWND Wnd, int X, int Y) {
  HRGN R = CreateRectRgn(0, 0, 0, 0);
  int Kind = GetWindowRgn(Wnd, R);
  bool In = Kind != ERROR && PtInRegion(R, X, Y);
  DeleteObject(R);
  return In;
}

}  // namespace

TEST(ShapedForm, RegionFromThePictureAndBack) {
  std::unique_ptr<TForm> Form{CreateForm<TForm>(nullptr)};
  Form->SetBounds(100, 100, 200, 150);
  auto* Shape = new TdxfShapedForm(Form.get());
  Shape->SetParent(Form.get());
  Shape->SetLeft(7);
  Shape->SetTop(4);
  auto Pic = ShapePicture();
  Shape->Picture()->SetGraphic(Pic.get());
  EXPECT_EQ(Shape->Width(), 40);
  Form->Show();
  PumpMessages();
  Shape->SetActive(true);
  HWND W = Form->Handle();
  EXPECT_EQ(Form->BorderStyle(), bsNone);
  struct {
    int X, Y;
    bool In;
  } Probes[] = {
      {7 + 30, 4 + 5, true}, {7 + 39, 4 + 5, true},  // the run that reaches the right edge
      {7 + 29, 4 + 5, false}, {7 + 40, 4 + 5, false}, {7 + 35, 4 + 6, false},
      {7 + 3, 4 + 10, true},  {7 + 9, 4 + 14, true},  {7 + 10, 4 + 12, false},
      {0, 0, false},          {7, 4, false},
  };
  for (const auto& P : Probes) EXPECT_EQ(InRegion(W, P.X, P.Y), P.In) << P.X << "," << P.Y;

  Shape->SetActive(false);
  EXPECT_EQ(Form->BorderStyle(), bsSizeable);
  EXPECT_TRUE(InRegion(Form->Handle(), 0, 0));
  EXPECT_TRUE(InRegion(Form->Handle(), Form->Width() - 1, Form->Height() - 1));
  Form->Hide();
}

TEST(ShapedForm, PictureOfOneColourHidesTheForm) {
  std::unique_ptr<TForm> Form{CreateForm<TForm>(nullptr)};
  auto* Shape = new TdxfShapedForm(Form.get());
  Shape->SetParent(Form.get());
  TBitmap B;
  B.SetPixelFormat(pf24bit);
  B.SetSize(10, 10);
  Shape->Picture()->SetGraphic(&B);
  Shape->SetActive(true);
  for (int X : {0, 5, 50}) EXPECT_FALSE(InRegion(Form->Handle(), X, 5));
}
