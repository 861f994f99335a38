#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "classlib/core/sys_utils.h"
#include "classlib/core/typinfo.h"
#include "classlib/win/application.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/forms.h"
#include "classlib/win/graphics.h"
#include "tests/support/form_test.h"
#include "tests/support/screenshot.h"
#include "ui/color_combo.h"

namespace {

struct TComboForm {
  std::unique_ptr<TForm> Form{CreateForm<TForm>(nullptr)};
  TColorComboBox* Box = new TColorComboBox(Form.get());
  int Changes = 0;
  explicit TComboForm(TComboBoxStyle Style = csDropDownList) {
    Box->SetParent(Form.get());
    Box->SetStyle(Style);
    Box->SetBounds(8, 8, 160, 24);
    Box->OnChange = [this](TObject*) { ++Changes; };
    Box->HandleNeeded();
  }
};

// Draws item Index into a bitmap as the window would, through the reflected notification.
std::unique_ptr<TBitmap> DrawEntry(TOwnerDrawComboBox* Box, int Index, int W, int H, UINT State = 0) {
  auto B = std::make_unique<TBitmap>();
  B->SetSize(W, H);
  DRAWITEMSTRUCT D{};
  D.CtlType = ODT_COMBOBOX;
  D.itemID = UINT(Index);
  D.itemAction = ODA_DRAWENTIRE;
  D.itemState = State;
  D.hwndItem = Box->Handle();
  D.hDC = B->Canvas()->Handle();
  D.rcItem = RECT{0, 0, W, H};
  Box->Perform(CN_DRAWITEM, 0, reinterpret_cast<LPARAM>(&D));
  return B;
}

void TypeInto(TComboBox* Box, const std::string& Text) {
  HWND Edit = GetWindow(Box->Handle(), GW_CHILD);
  ASSERT_NE(Edit, nullptr);
  SendMessageW(Edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  for (char Ch : Text) SendMessageW(Edit, WM_CHAR, WPARAM(static_cast<unsigned char>(Ch)), 1);
  PumpMessages();
}

}  // namespace

TEST(ColorCombo, ListsTheSixteenColoursWithTheirNames) {
  TComboForm F;
  ASSERT_EQ(F.Box->Items()->Count(), 16);
  EXPECT_EQ(F.Box->Items()->Strings(0), "Black");
  EXPECT_EQ(F.Box->Items()->Strings(1), "Maroon");
  EXPECT_EQ(F.Box->Items()->Strings(9), "Red");
  EXPECT_EQ(F.Box->Items()->Strings(15), "White");
  EXPECT_EQ(int(SendMessageW(F.Box->Handle(), CB_GETCOUNT, 0, 0)), 16);
  EXPECT_TRUE(GetWindowLongW(F.Box->Handle(), GWL_STYLE) & CBS_OWNERDRAWFIXED);
  EXPECT_EQ(F.Box->ColorValue(), clBlack);
}

TEST(ColorCombo, ColorValueSelectsTheListedColour) {
  TComboForm F;
  F.Box->SetColorValue(TColor(0x0000FF));
  EXPECT_EQ(F.Box->ItemIndex(), 9);
  EXPECT_EQ(F.Box->Text(), "Red");
  EXPECT_EQ(F.Box->ColorValue(), clRed);
  EXPECT_EQ(F.Changes, 1);
  // The same value again, already selected: nothing happens.
  F.Box->SetColorValue(clRed);
  EXPECT_EQ(F.Changes, 1);
}

TEST(ColorCombo, UnlistedColourInADropDownListSelectsNothing) {
  TComboForm F;
  F.Box->SetColorValue(clRed);
  F.Box->SetColorValue(TColor(0x123456));
  EXPECT_EQ(F.Box->ItemIndex(), -1);
  EXPECT_EQ(F.Changes, 2);
  EXPECT_EQ(F.Box->ColorValue(), TColor(0x123456));
  // A system colour round-trips too.
  F.Box->SetColorValue(clBtnFace);
  EXPECT_EQ(F.Box->ColorValue(), clBtnFace);
}

TEST(ColorCombo, EditableBoxShowsTheColourNameWithoutCl) {
  TComboForm F(csDropDown);
  F.Box->SetColorValue(clBtnFace);
  EXPECT_EQ(F.Box->Text(), "BtnFace");
  EXPECT_EQ(F.Box->ColorValue(), clBtnFace);
  F.Box->SetColorValue(TColor(0x123456));
  EXPECT_EQ(F.Box->Text(), "$00123456");
  EXPECT_EQ(F.Box->ColorValue(), TColor(0x123456));
  F.Box->SetColorValue(clNavy);
  EXPECT_EQ(F.Box->Text(), "Navy");
  EXPECT_EQ(F.Box->ItemIndex(), 4);
}

TEST(ColorCombo, TypedTextGivesTheColour) {
  TComboForm F(csDropDown);
  F.Box->SetColorValue(TColor(0x123456));
  F.Changes = 0;
  TypeInto(F.Box, "navy");
  EXPECT_EQ(F.Box->ColorValue(), clNavy);
  EXPECT_GE(F.Changes, 1);
  TypeInto(F.Box, "255");
  EXPECT_EQ(F.Box->ColorValue(), clRed);
  TypeInto(F.Box, "xyz");
  EXPECT_EQ(F.Box->ColorValue(), clRed);  // the stored value
}

TEST(ColorCombo, ClickOnTheListTakesTheEntryColour) {
  TComboForm F;
  SendMessageW(F.Box->Handle(), CB_SETCURSEL, 12, 0);
  F.Box->Perform(CN_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), LPARAM(F.Box->Handle()));
  EXPECT_EQ(F.Box->ColorValue(), clBlue);
  EXPECT_EQ(F.Changes, 1);
}

TEST(ColorCombo, ColorNamesReplaceNamesByPosition) {
  TComboForm F;
  F.Box->SetColorValue(clGreen);
  TStringList Names;
  Names.SetText("Schwarz\nDunkelrot\n\nOliv");
  F.Box->SetColorNames(&Names);
  EXPECT_EQ(F.Box->Items()->Strings(0), "Schwarz");
  EXPECT_EQ(F.Box->Items()->Strings(1), "Dunkelrot");
  EXPECT_EQ(F.Box->Items()->Strings(2), "Green");  // empty line: built-in name
  EXPECT_EQ(F.Box->Items()->Strings(3), "Oliv");
  EXPECT_EQ(F.Box->Items()->Strings(4), "Navy");
  EXPECT_EQ(F.Box->ItemIndex(), 2);
  EXPECT_EQ(F.Box->ColorValue(), clGreen);

  // New names while the box is on screen, as at a language switch: the colour stays, no
  // change is reported (the colour did not change) and the box keeps its window, so the
  // dialog around it keeps its focus.
  const HWND Window = F.Box->Handle();
  const int Changes = F.Changes;
  Names.SetText("Noir\nMarron\nVert");
  F.Box->SetColorNames(&Names);
  EXPECT_EQ(F.Box->Items()->Strings(2), "Vert");
  EXPECT_EQ(F.Box->ItemIndex(), 2);
  EXPECT_EQ(F.Box->ColorValue(), clGreen);
  EXPECT_EQ(F.Changes, Changes);
  EXPECT_EQ(F.Box->Handle(), Window);
  wchar_t Shown[32] = {};
  SendMessageW(Window, CB_GETLBTEXT, 2, LPARAM(Shown));
  EXPECT_STREQ(Shown, L"Vert");
}

TEST(ColorCombo, EntryShowsSwatchAndName) {
  TComboForm F;
  auto B = DrawEntry(F.Box, 9, 120, 18);
  TCanvas* C = B->Canvas();
  TColor Back = TColor(ColorToRGB(clWindow));
  EXPECT_EQ(C->Pixels(0, 0), Back);
  EXPECT_EQ(C->Pixels(2, 8), TColor(ColorToRGB(clBtnShadow)));   // outline
  EXPECT_EQ(C->Pixels(23, 8), TColor(ColorToRGB(clBtnShadow)));
  EXPECT_EQ(C->Pixels(3, 3), clRed);                              // swatch
  EXPECT_EQ(C->Pixels(22, 14), clRed);
  EXPECT_EQ(C->Pixels(25, 8), Back);                               // gap before the text
  int Ink = 0;
  for (int X = 28; X < 120; ++X)
    for (int Y = 0; Y < 18; ++Y) Ink += C->Pixels(X, Y) != Back;
  EXPECT_GT(Ink, 10);  // "Red"

  F.Box->SetDisplayNames(false);
  auto N = DrawEntry(F.Box, 12, 120, 18);
  EXPECT_EQ(N->Canvas()->Pixels(100, 8), clBlue);  // the swatch spans the width
  EXPECT_EQ(N->Canvas()->Pixels(116, 8), TColor(ColorToRGB(clBtnShadow)));

  // The selected entry is drawn on the highlight colour.
  auto S = DrawEntry(F.Box, 0, 120, 18, ODS_SELECTED);
  EXPECT_EQ(S->Canvas()->Pixels(0, 0), TColor(ColorToRGB(clHighlight)));
  // Item -1 (nothing selected) is just filled.
  auto E = DrawEntry(F.Box, -1, 120, 18);
  EXPECT_EQ(E->Canvas()->Pixels(10, 8), Back);
}

TEST(ColorCombo, WindowShowsTheSelectedColour) {
  TComboForm F;
  F.Box->SetColorValue(clLime);
  F.Form->SetBounds(100, 100, 220, 120);
  F.Form->Show();
  PumpMessages();
  long Drawn = SaveWindowPng(F.Form->Handle(), ScreenshotPath("color_combo.png"));
  EXPECT_GT(Drawn, 0);
  F.Form->Hide();
}

TEST(ColorCombo, PropertiesByName) {
  RegisterColorCombos();
  TComboForm F(csDropDown);
  EXPECT_EQ(FindClass("TColorComboBox"), TColorComboBox::StaticClassInfo());
  SetPropText(F.Box, "ColorValue", "clRed");
  EXPECT_EQ(F.Box->ColorValue(), clRed);
  EXPECT_EQ(GetPropText(F.Box, "ColorValue"), "clRed");
  SetPropText(F.Box, "ColorValue", "$00123456");
  EXPECT_EQ(F.Box->ColorValue(), TColor(0x123456));
  SetPropText(F.Box, "DisplayNames", "False");
  EXPECT_FALSE(F.Box->DisplayNames());
  SetPropText(F.Box, "Style", "csDropDownList");
  EXPECT_EQ(F.Box->Style(), csDropDownList);
}

// ---------------------------------------------------------------------------------------

namespace {

struct TFontForm {
  std::unique_ptr<TForm> Form{CreateForm<TForm>(nullptr)};
  TFontComboBox* Box = new TFontComboBox(Form.get());
  int Changes = 0;
  TFontForm() {
    Box->SetParent(Form.get());
    Box->SetBounds(8, 8, 200, 24);
    Box->OnChange = [this](TObject*) { ++Changes; };
    Box->HandleNeeded();
  }
};

}  // namespace

TEST(FontCombo, ListsTheScreenFamiliesOnceAndSorted) {
  TFontForm F;
  TStrings* L = F.Box->Items();
  ASSERT_GT(L->Count(), 0);
  for (int I = 1; I < L->Count(); ++I) EXPECT_LE(AnsiCompareText(L->Strings(I - 1), L->Strings(I)), 0);
  for (int I = 1; I < L->Count(); ++I) EXPECT_NE(L->Strings(I - 1), L->Strings(I));
  EXPECT_EQ(int(SendMessageW(F.Box->Handle(), CB_GETCOUNT, 0, 0)), L->Count());
  // Both devices: the screen's families are still there once each.
  int Screen = L->Count();
  F.Box->SetDevice(fdBoth);
  EXPECT_GE(L->Count(), Screen);
  for (int I = 1; I < L->Count(); ++I) EXPECT_NE(L->Strings(I - 1), L->Strings(I));
}

TEST(FontCombo, FontNameSelectsWithoutRegardToCase) {
  TFontForm F;
  ASSERT_GT(F.Box->Items()->Count(), 1);
  std::string Name = F.Box->Items()->Strings(1);
  F.Box->SetFontName(AnsiLowerCase(Name));
  EXPECT_EQ(F.Box->ItemIndex(), 1);
  EXPECT_EQ(F.Box->FontName(), Name);
  EXPECT_EQ(F.Changes, 1);
  F.Box->SetFontName(Name);  // the same: nothing
  EXPECT_EQ(F.Changes, 1);
  F.Box->SetFontName("No Such Family 123");
  EXPECT_EQ(F.Box->ItemIndex(), -1);
  EXPECT_EQ(F.Changes, 2);
}

TEST(FontCombo, OptionsFilterAndKeepTheSelection) {
  TFontForm F;
  int All = F.Box->Items()->Count();
  // Find a TrueType family to keep selected.
  int TT = -1;
  for (int I = 0; I < All && TT < 0; ++I)
    if (reinterpret_cast<intptr_t>(F.Box->Items()->Objects(I)) & TRUETYPE_FONTTYPE) TT = I;
  ASSERT_GE(TT, 0);
  std::string Name = F.Box->Items()->Strings(TT);
  F.Box->SetFontName(Name);
  F.Changes = 0;
  F.Box->SetTrueTypeOnly(true);
  EXPECT_TRUE(F.Box->Options().Contains(foTrueTypeOnly));
  EXPECT_LE(F.Box->Items()->Count(), All);
  for (int I = 0; I < F.Box->Items()->Count(); ++I)
    EXPECT_TRUE(reinterpret_cast<intptr_t>(F.Box->Items()->Objects(I)) & TRUETYPE_FONTTYPE);
  EXPECT_EQ(F.Box->FontName(), Name);
  EXPECT_EQ(F.Changes, 0);  // the name did not change
  SetPropText(F.Box, "Options", "[foTrueTypeOnly,foFixedPitchOnly]");
  EXPECT_TRUE(F.Box->Options().Contains(foFixedPitchOnly));
}

TEST(FontCombo, FilterRules) {
  EXPECT_TRUE(TFontComboBox::PassesOptions({}, OEM_CHARSET, RASTER_FONTTYPE, VARIABLE_PITCH));
  EXPECT_FALSE(TFontComboBox::PassesOptions({foAnsiOnly}, RUSSIAN_CHARSET, TRUETYPE_FONTTYPE, 0));
  EXPECT_FALSE(TFontComboBox::PassesOptions({foTrueTypeOnly}, ANSI_CHARSET, DEVICE_FONTTYPE, 0));
  EXPECT_FALSE(TFontComboBox::PassesOptions({foFixedPitchOnly}, ANSI_CHARSET, TRUETYPE_FONTTYPE, VARIABLE_PITCH));
  EXPECT_TRUE(TFontComboBox::PassesOptions({foFixedPitchOnly}, ANSI_CHARSET, TRUETYPE_FONTTYPE, FIXED_PITCH));
  EXPECT_TRUE(TFontComboBox::PassesOptions({foOEMFontsOnly}, OEM_CHARSET, 0, 0));
  EXPECT_FALSE(TFontComboBox::PassesOptions({foNoOEMFonts}, OEM_CHARSET, 0, 0));
  EXPECT_FALSE(TFontComboBox::PassesOptions({foScalableOnly}, ANSI_CHARSET, RASTER_FONTTYPE, 0));
  // An earlier failure is not undone by a later rule.
  EXPECT_FALSE(TFontComboBox::PassesOptions({foAnsiOnly, foNoOEMFonts}, RUSSIAN_CHARSET, 0, 0));
}

TEST(FontCombo, EntryShowsTheTrueTypeMark) {
  TFontForm F;
  int TT = -1;
  for (int I = 0; I < F.Box->Items()->Count() && TT < 0; ++I)
    if (reinterpret_cast<intptr_t>(F.Box->Items()->Objects(I)) & TRUETYPE_FONTTYPE) TT = I;
  ASSERT_GE(TT, 0);
  auto B = DrawEntry(F.Box, TT, 160, 16);
  TColor Back = TColor(ColorToRGB(clWindow));
  int MarkInk = 0;
  for (int X = 2; X < 22; ++X)
    for (int Y = 2; Y < 14; ++Y) MarkInk += B->Canvas()->Pixels(X, Y) != Back;
  EXPECT_GT(MarkInk, 10);
  // The key colour of the mark is left out.
  for (int X = 0; X < 160; ++X)
    for (int Y = 0; Y < 16; ++Y) ASSERT_NE(B->Canvas()->Pixels(X, Y), clOlive);
  EXPECT_GE(F.Box->ItemHeight(), 11);
}

TEST(FontCombo, PropertiesByName) {
  RegisterColorCombos();
  TFontForm F;
  ASSERT_GT(F.Box->Items()->Count(), 0);
  std::string Name = F.Box->Items()->Strings(0);
  SetPropText(F.Box, "FontName", Name);
  EXPECT_EQ(GetPropText(F.Box, "FontName"), Name);
  SetPropText(F.Box, "Device", "fdBoth");
  EXPECT_EQ(F.Box->Device(), fdBoth);
  EXPECT_EQ(F.Box->FontName(), Name);
}
