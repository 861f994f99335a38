#include <gtest/gtest.h>

#include "classlib/win/forms.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/graphics.h"
#include "shell/pt_image_combo.h"
#include "tests/support/screenshot.h"

namespace {

// A list of solid 16x16 squares, red for image 0, blue for image 1.
void FillImages(TImageList* L, int Size) {
  L->SetWidth(Size);
  L->SetHeight(Size);
  for (TColor C : {TColor(RGB(255, 0, 0)), TColor(RGB(0, 0, 255))}) {
    TBitmap B;
    B.SetWidth(Size);
    B.SetHeight(Size);
    B.Canvas()->Brush()->SetColor(C);
    B.Canvas()->FillRect(TRect(0, 0, Size, Size));
    L->Add(&B, nullptr);
  }
}

// Paints entry Index into a bitmap as the drop-down list (or, with Edit, as the edit part).
int FirstRedX(TPTCustomImageCombo* Combo, int Index, bool Edit, HWND DcWindow) {
  HDC WndDC = GetDC(DcWindow);
  HDC DC = CreateCompatibleDC(WndDC);
  HBITMAP Bmp = CreateCompatibleBitmap(WndDC, 200, 20);
  HGDIOBJ Old = SelectObject(DC, Bmp);
  DRAWITEMSTRUCT D{};
  D.CtlType = ODT_COMBOBOX;
  D.itemID = UINT(Index);
  D.itemAction = ODA_DRAWENTIRE;
  D.itemState = Edit ? ODS_COMBOBOXEDIT : 0;
  D.hwndItem = Combo->Handle();
  D.hDC = DC;
  D.rcItem = {0, 0, 200, 20};
  D.itemData = reinterpret_cast<ULONG_PTR>(Combo->ComboItem(Index));
  Combo->Perform(CN_DRAWITEM, 0, reinterpret_cast<LPARAM>(&D));
  int X = -1;
  for (int I = 0; I < 200 && X < 0; ++I)
    if (GetPixel(DC, I, 10) == RGB(255, 0, 0)) X = I;
  SelectObject(DC, Old);
  DeleteObject(Bmp);
  DeleteDC(DC);
  ReleaseDC(DcWindow, WndDC);
  return X;
}

TEST(PTCustomImageCombo, ItemsIndentAndImages) {
  TForm Form(nullptr);
  auto* Images = new TImageList(&Form);
  FillImages(Images, 16);
  auto* Combo = new TPTCustomImageCombo(&Form);
  Combo->SetParent(&Form);
  Combo->SetBounds(10, 10, 220, 24);
  Combo->SetImages(Images);
  TPTImageComboItem* A = Combo->AddItem("Desktop", 0, 0);
  TPTImageComboItem* B = Combo->AddItem("Deep", 0, 3);
  TPTImageComboItem* C = Combo->AddItem("No image", -1, 1);
  EXPECT_EQ(A->Index, 0);
  EXPECT_EQ(B->Index, 1);
  EXPECT_EQ(C->OverlayIndex(), -1);
  EXPECT_EQ(Combo->ComboItem(1), B);
  EXPECT_EQ(Combo->Items()->Strings(1), "");
  EXPECT_EQ(Combo->IndentPixels(), 12);
  Form.Show();
  EXPECT_EQ(SendMessageW(Combo->Handle(), CB_GETITEMDATA, 1, 0), reinterpret_cast<LRESULT>(B));
  HWND Desktop = GetDesktopWindow();
  int X0 = FirstRedX(Combo, 0, false, Desktop);
  int X3 = FirstRedX(Combo, 1, false, Desktop);
  EXPECT_EQ(X0, 2);
  EXPECT_EQ(X3 - X0, 36);
  // In the edit part every entry sits at the left.
  EXPECT_EQ(FirstRedX(Combo, 1, true, Desktop), X0);
  EXPECT_EQ(FirstRedX(Combo, 2, false, Desktop), -1);
  Combo->SetItemIndex(1);
  EXPECT_EQ(Combo->ItemIndex(), 1);
  SaveWindowPng(Form.Handle(), "pt_image_combo.png");
}

TEST(PTCustomImageCombo, TallImagesRaiseItemHeight) {
  TForm Form(nullptr);
  auto* Combo = new TPTCustomImageCombo(&Form);
  Combo->SetParent(&Form);
  Form.Show();
  int H = Combo->ItemHeight();
  EXPECT_GT(H, 2);
  auto* Images = new TImageList(&Form);
  FillImages(Images, 40);
  Combo->SetImages(Images);
  EXPECT_EQ(Combo->ItemHeight(), 40);
  EXPECT_EQ(SendMessageW(Combo->Handle(), CB_GETITEMHEIGHT, 0, 0), 40);
  delete Images;  // the combo lets go of a freed list
  EXPECT_EQ(Combo->Images(), nullptr);
  EXPECT_EQ(Combo->ItemHeight(), H);
}

TEST(PTCustomImageCombo, ClearFreesEveryItemOnce) {
  TForm Form(nullptr);
  auto* Combo = new TPTCustomImageCombo(&Form);
  Combo->SetParent(&Form);
  Form.Show();
  for (int I = 0; I < 5; ++I) Combo->AddItem("x" + std::to_string(I), I, I);
  std::vector<TPTImageComboItem*> Deleted;
  Combo->OnDeleteItem = [&](TObject*, TPTImageComboItem* Item) { Deleted.push_back(Item); };
  TPTImageComboItem* Third = Combo->ComboItem(2);
  Combo->Items()->Delete(2);
  ASSERT_EQ(Deleted.size(), 1u);
  EXPECT_EQ(Deleted[0], Third);
  EXPECT_EQ(Combo->Items()->Count(), 4);
  Combo->Items()->Clear();
  EXPECT_EQ(Deleted.size(), 5u);
  EXPECT_EQ(SendMessageW(Combo->Handle(), CB_GETCOUNT, 0, 0), 0);
}

TEST(PTCustomImageCombo, NotificationsAndExtendedUI) {
  TForm Form(nullptr);
  auto* Combo = new TPTCustomImageCombo(&Form);
  Combo->SetParent(&Form);
  Form.Show();
  EXPECT_EQ(SendMessageW(Combo->Handle(), CB_GETEXTENDEDUI, 0, 0), TRUE);
  EXPECT_EQ(GetWindowLongW(Combo->Handle(), GWL_STYLE) & CBS_HASSTRINGS, 0);
  int Ok = 0, Cancel = 0, Close = 0;
  Combo->OnSelEndOk = [&](TObject*) { ++Ok; };
  Combo->OnSelEndCancel = [&](TObject*) { ++Cancel; };
  Combo->OnCloseUp = [&](TObject*) { ++Close; };
  Combo->Perform(CN_COMMAND, MAKEWPARAM(0, CBN_SELENDOK), 0);
  Combo->Perform(CN_COMMAND, MAKEWPARAM(0, CBN_SELENDCANCEL), 0);
  Combo->Perform(CN_COMMAND, MAKEWPARAM(0, CBN_CLOSEUP), 0);
  EXPECT_EQ(Ok + Cancel + Close, 3);
}

}  // namespace
