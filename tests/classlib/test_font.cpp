// TFont and TColor.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "classlib/core/color.h"
#include "classlib/core/font.h"

namespace {

TEST(Font, PublishesExactlyItsSevenProperties) {
  TFont Font;
  std::vector<std::string> Names;
  std::vector<std::string> Texts;
  for (const TPropInfo* Prop : GetPropList(&Font)) {
    Names.push_back(Prop->Name());
    Texts.push_back(GetPropText(&Font, Prop));
  }
  EXPECT_EQ(Names, (std::vector<std::string>{"Charset", "Color", "Height", "Name", "Pitch", "Size", "Style"}));
  EXPECT_EQ(Texts, (std::vector<std::string>{"DEFAULT_CHARSET", "clWindowText", "-11", "MS Sans Serif",
                                             "fpDefault", "8", "[]"}));
  const TTypeKind Kinds[] = {tkInteger, tkInteger, tkInteger, tkString, tkEnumeration, tkInteger, tkSet};
  for (size_t I = 0; I < Names.size(); ++I) EXPECT_EQ(PropType(&Font, Names[I]), Kinds[I]) << Names[I];
  EXPECT_EQ(GetPropInfo(&Font, "Charset")->PropType()->Name, "TFontCharset");
  EXPECT_EQ(GetPropInfo(&Font, "Color")->PropType()->Name, "TColor");
  EXPECT_EQ(GetPropInfo(&Font, "Style")->PropType()->CompType->EnumNames,
            (std::vector<std::string>{"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}));
  EXPECT_EQ(GetOrdProp(&Font, "Charset"), 1);
  EXPECT_EQ(GetOrdProp(&Font, "Color"), static_cast<int32_t>(0x80000008));
}

TEST(Font, SizeAndHeightThroughPixelsPerInch) {
  struct TCase {
    int PPI;
    int Size;
    int Height;
  };
  const TCase Cases[] = {{96, 8, -11}, {96, 10, -13}, {96, 12, -16}, {120, 8, -13}, {120, 10, -17}, {72, 9, -9}};
  for (const TCase& Case : Cases) {
    TFont Font;
    Font.SetPixelsPerInch(Case.PPI);
    Font.SetSize(Case.Size);
    EXPECT_EQ(Font.Height(), Case.Height) << Case.PPI << " " << Case.Size;
    Font.SetHeight(Case.Height);
    EXPECT_EQ(Font.Size(), Case.Size) << Case.PPI << " " << Case.Height;
  }
  TFont Font;
  SetPropText(&Font, "Size", "14");
  EXPECT_EQ(GetPropText(&Font, "Height"), "-19");
}

// Sizes and heights at the ends of the integer range (a damaged settings file holds any
// number): a scaling whose result does not fit gives -1, as the platform's MulDiv does, and
// the sign change keeps to the nearest value there is. Nothing overflows.
TEST(Font, ExtremeSizesStayInRange) {
  struct TCase {
    int PPI;
    int Size;
    int Height;
  };
  const TCase Cases[] = {{96, -1610612736, INT_MAX}, {96, 1610612736, 1}, {96, INT_MAX, 1},
                         {96, INT_MIN, 1},            {72, INT_MIN, INT_MAX}, {72, -INT_MAX, INT_MAX}};
  for (const TCase& Case : Cases) {
    TFont Font;
    Font.SetPixelsPerInch(Case.PPI);
    Font.SetSize(Case.Size);
    EXPECT_EQ(Font.Height(), Case.Height) << Case.Size;
  }
  TFont Font;
  Font.SetPixelsPerInch(72);
  for (int Height : {INT_MIN, INT_MAX}) {
    Font.SetHeight(Height);
    EXPECT_EQ(Font.Size(), Height == INT_MIN ? INT_MAX : -INT_MAX);
  }
}

TEST(Font, OnChangeFiresForRealChangesOnly) {
  TFont Font;
  int Calls = 0;
  TObject* Sender = nullptr;
  Font.OnChange = [&](TObject* S) {
    ++Calls;
    Sender = S;
  };
  Font.SetName("Arial");
  Font.SetName("Arial");
  Font.SetStyle({fsBold, fsUnderline});
  Font.SetColor(clRed);
  Font.SetSize(8);  // already 8 points
  Font.SetName("");  // a font always has a name
  SetPropText(&Font, "Pitch", "fpFixed");
  SetPropText(&Font, "Charset", "RUSSIAN_CHARSET");
  EXPECT_EQ(Calls, 5);
  EXPECT_EQ(Sender, &Font);
  EXPECT_EQ(Font.ChangeCount(), 5u);
  EXPECT_EQ(Font.Name(), "Arial");
  EXPECT_EQ(Font.Charset(), 204);
  EXPECT_EQ(GetPropText(&Font, "Style"), "[fsBold,fsUnderline]");
}

TEST(Font, AssignCopiesAndKeepsThePointSize) {
  TFont Source;
  Source.SetName("Courier New");
  Source.SetStyle({fsItalic});
  Source.SetColor(TColor(0x123456));
  Source.SetCharset(204);
  Source.SetPitch(fpFixed);
  Source.SetSize(12);

  TFont Same;
  int Calls = 0;
  Same.OnChange = [&](TObject*) { ++Calls; };
  Same.Assign(&Source);
  EXPECT_EQ(Calls, 1);
  Same.Assign(&Source);
  EXPECT_EQ(Calls, 1) << "nothing changed the second time";
  for (const TPropInfo* Prop : GetPropList(&Source))
    EXPECT_EQ(GetPropText(&Same, Prop), GetPropText(&Source, Prop)) << Prop->Name();

  TFont Large;
  Large.SetPixelsPerInch(120);
  Large.Assign(&Source);
  EXPECT_EQ(Large.Size(), 12);
  EXPECT_EQ(Large.Height(), -20);
  EXPECT_EQ(Large.PixelsPerInch(), 120);

  TPersistent Other;
  try {
    Same.Assign(&Other);
    ADD_FAILURE() << "assigned a TPersistent";
  } catch (const EConvertError& E) {
    EXPECT_EQ(E.Message(), "Cannot assign a TPersistent to a TFont");
  }
  EXPECT_THROW(Same.Assign(nullptr), EConvertError);
  EXPECT_EQ(Same.Name(), "Courier New");
}

TEST(Color, IdentifiersAndText) {
  EXPECT_EQ(static_cast<int32_t>(clBtnFace), static_cast<int32_t>(0x8000000F));
  EXPECT_LT(clWindowText, 0);
  struct TCase {
    TColor Color;
    const char* Text;
  };
  const TCase Cases[] = {{clBtnFace, "clBtnFace"}, {clRed, "clRed"},       {clSilver, "clSilver"},
                         {clLtGray, "clSilver"},   {clNone, "clNone"},     {clDefault, "clDefault"},
                         {clInfoBk, "clInfoBk"},   {TColor(0x123456), "$00123456"},
                         {TColor(0x80000019), "$80000019"}};
  for (const TCase& Case : Cases) EXPECT_EQ(ColorToString(Case.Color), Case.Text);

  EXPECT_EQ(StringToColor("clBtnFace"), clBtnFace);
  EXPECT_EQ(StringToColor("CLRED"), clRed);
  EXPECT_EQ(StringToColor("$00123456"), TColor(0x123456));
  EXPECT_EQ(StringToColor("-2147483633"), clBtnFace);
  EXPECT_EQ(StringToColor("255"), clRed);
  EXPECT_THROW(StringToColor("clPlaid"), EConvertError);
  EXPECT_THROW(StringToColor(""), EConvertError);

  std::string Ident;
  EXPECT_TRUE(ColorToIdent(clHighlight, Ident));
  EXPECT_EQ(Ident, "clHighlight");
  EXPECT_FALSE(ColorToIdent(0x010203, Ident));
  int32_t Value = 0;
  EXPECT_TRUE(IdentToColor("clgradientactivecaption", Value));
  EXPECT_EQ(Value, clGradientActiveCaption);
  EXPECT_FALSE(IdentToColor("clLtGray", Value)) << "an alias without an identifier of its own";
}

}  // namespace
