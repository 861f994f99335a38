#include "classlib/core/font.h"

#include <climits>
#include <cmath>

namespace {

struct TCharsetIdent {
  int32_t Value;
  const char* Name;
};

const TCharsetIdent Charsets[] = {
    {0, "ANSI_CHARSET"},          {1, "DEFAULT_CHARSET"},     {2, "SYMBOL_CHARSET"},
    {77, "MAC_CHARSET"},          {128, "SHIFTJIS_CHARSET"},  {129, "HANGEUL_CHARSET"},
    {130, "JOHAB_CHARSET"},       {134, "GB2312_CHARSET"},    {136, "CHINESEBIG5_CHARSET"},
    {161, "GREEK_CHARSET"},       {162, "TURKISH_CHARSET"},   {163, "VIETNAMESE_CHARSET"},
    {177, "HEBREW_CHARSET"},      {178, "ARABIC_CHARSET"},    {186, "BALTIC_CHARSET"},
    {204, "RUSSIAN_CHARSET"},     {222, "THAI_CHARSET"},      {238, "EASTEUROPE_CHARSET"},
    {255, "OEM_CHARSET"},
};

// Number * Numerator / Denominator, rounded half away from zero, as the platform's MulDiv;
// -1, as there, when the denominator is 0 or the result does not fit.
int MulDiv(int Number, int Numerator, int Denominator) {
  if (Denominator == 0) return -1;
  long long Result = std::llround(double(int64_t(Number) * Numerator) / Denominator);
  return Result < INT_MIN || Result > INT_MAX ? -1 : int(Result);
}

// -Value, INT_MAX for INT_MIN (whose negation does not fit).
int Negate(int Value) { return Value == INT_MIN ? INT_MAX : -Value; }

}  // namespace

template <> const TTypeInfo* TypeInfoOf<TFontStyle>() {
  static const TTypeInfo Info =
      EnumTypeInfo("TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
  return &Info;
}

template <> const TTypeInfo* TypeInfoOf<TFontPitch>() {
  static const TTypeInfo Info = EnumTypeInfo("TFontPitch", {"fpDefault", "fpVariable", "fpFixed"});
  return &Info;
}

const TTypeInfo* FontCharsetTypeInfo() {
  static const TTypeInfo Info =
      IntegerTypeInfo("TFontCharset", otUByte, 0, 255, CharsetToIdent, IdentToCharset);
  return &Info;
}

bool CharsetToIdent(int32_t Charset, std::string& Ident) {
  for (const TCharsetIdent& Entry : Charsets)
    if (Entry.Value == Charset) {
      Ident = Entry.Name;
      return true;
    }
  return false;
}

bool IdentToCharset(std::string_view Ident, int32_t& Charset) {
  for (const TCharsetIdent& Entry : Charsets)
    if (SameIdent(Entry.Name, Ident)) {
      Charset = Entry.Value;
      return true;
    }
  return false;
}

const TClassInfo* TFont::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TFont, TPersistent>("TFont")
          .Prop("Charset", &TFont::Charset, &TFont::SetCharset).Type(FontCharsetTypeInfo())
          .Prop("Color", &TFont::Color, &TFont::SetColor)
          .Prop("Height", &TFont::Height, &TFont::SetHeight)
          .Prop("Name", &TFont::Name, &TFont::SetName)
          .Prop("Pitch", &TFont::Pitch, &TFont::SetPitch)
          .Prop("Size", &TFont::Size, &TFont::SetSize)
          .Prop("Style", &TFont::Style, &TFont::SetStyle)
          .Build();
  return &Info;
}

TFont::TFont()
    : FCharset(1 /* DEFAULT_CHARSET */), FColor(clWindowText), FHeight(-11), FName("MS Sans Serif"),
      FPitch(fpDefault) {}

void TFont::Changed() {
  ++FChangeCount;
  if (OnChange) OnChange(this);
}

void TFont::SetCharset(TFontCharset Value) {
  if (FCharset == Value) return;
  FCharset = Value;
  Changed();
}

void TFont::SetColor(TColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  Changed();
}

void TFont::SetHeight(int Value) {
  if (FHeight == Value) return;
  FHeight = Value;
  Changed();
}

void TFont::SetName(const std::string& Value) {
  if (FName == Value || Value.empty()) return;
  FName = Value;
  Changed();
}

void TFont::SetPitch(TFontPitch Value) {
  if (FPitch == Value) return;
  FPitch = Value;
  Changed();
}

int TFont::Size() const { return Negate(MulDiv(FHeight, 72, FPixelsPerInch)); }

void TFont::SetSize(int Value) { SetHeight(Negate(MulDiv(Value, FPixelsPerInch, 72))); }

void TFont::SetStyle(TFontStyles Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  Changed();
}

void TFont::Assign(const TPersistent* Source) {
  auto* Font = dynamic_cast<const TFont*>(Source);
  if (Font == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  int Height = Font->FHeight;
  if (Font->FPixelsPerInch != FPixelsPerInch) Height = Negate(MulDiv(Font->Size(), FPixelsPerInch, 72));
  bool Different = FCharset != Font->FCharset || FColor != Font->FColor || FHeight != Height ||
                   FName != Font->FName || FPitch != Font->FPitch || !(FStyle == Font->FStyle);
  FCharset = Font->FCharset;
  FColor = Font->FColor;
  FHeight = Height;
  FName = Font->FName;
  FPitch = Font->FPitch;
  FStyle = Font->FStyle;
  if (Different) Changed();
}
