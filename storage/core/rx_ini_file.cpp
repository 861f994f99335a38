#include "storage/core/rx_ini_file.h"

#include <iterator>

#include "classlib/core/font.h"
#include "classlib/core/sys_utils.h"
#include "storage/core/str_utils.h"

namespace {

struct TColorName {
  int32_t Value;
  const char* Name;
};

// The names the colour files use; other values are written as numbers.
const TColorName kColorNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clNone, "clNone"},
};

const char kStyleLetters[] = {'B', 'I', 'U', 'S'};
const TFontStyle kStyles[] = {fsBold, fsItalic, fsUnderline, fsStrikeOut};

}  // namespace

std::string ColorToText(TColor Color) {
  for (const TColorName& C : kColorNames)
    if (C.Value == Color) return C.Name;
  return "$" + IntToHex(static_cast<int>(Color), 8);
}

bool TextToColor(const std::string& Text, TColor& Color) {
  std::string S = Trim(Text);
  for (const TColorName& C : kColorNames)
    if (SameText(S, C.Name)) {
      Color = TColor(C.Value);
      return true;
    }
  int Value;
  if (!TryStrToInt(S, Value)) return false;
  Color = TColor(Value);
  return true;
}

std::string FontToText(const TFont* Font) {
  std::string Styles;
  for (size_t I = 0; I < std::size(kStyles); ++I)
    if (Font->Style().Contains(kStyles[I])) Styles += kStyleLetters[I];
  return Format("%s,%d,%s,%d,%s,%d", {Font->Name(), Font->Size(), Styles, static_cast<int>(Font->Pitch()),
                                      ColorToText(Font->Color()), static_cast<int>(Font->Charset())});
}

void TextToFont(const std::string& Text, TFont* Font) {
  static const TCharSet Delims{',', ';'};
  TNotifyEvent SaveOnChange = std::move(Font->OnChange);
  Font->OnChange = nullptr;
  try {
    int Pos = 1;
    bool Stop = false;
    for (int Field = 1; Field <= 6 && !Stop; ++Field) {
      std::string S = Trim(ExtractSubstr(Text, Pos, Delims));
      int Value;
      switch (Field) {
        case 1:
          if (!S.empty()) Font->SetName(S);
          break;
        case 2:
          if (TryStrToInt(S, Value)) Font->SetSize(Value);
          break;
        case 3: {
          std::string Upper = AnsiUpperCase(S);
          TFontStyles Style;
          for (size_t I = 0; I < std::size(kStyles); ++I)
            if (Upper.find(kStyleLetters[I]) != std::string::npos) Style.Include(kStyles[I]);
          Font->SetStyle(Style);
          break;
        }
        case 4:
          if (TryStrToInt(S, Value) && Value >= fpDefault && Value <= fpFixed) Font->SetPitch(TFontPitch(Value));
          break;
        case 5: {
          TColor Color;
          if (TextToColor(S, Color))
            Font->SetColor(Color);
          else
            Stop = true;
          break;
        }
        case 6:
          if (TryStrToInt(S, Value) && Value >= 0 && Value <= 255) Font->SetCharset(TFontCharset(Value));
          break;
      }
    }
  } catch (...) {
    Font->OnChange = std::move(SaveOnChange);
    throw;
  }
  Font->OnChange = std::move(SaveOnChange);
  if (Font->OnChange) Font->OnChange(Font);
}

TColor TRxIniFile::ReadColor(const std::string& Section, const std::string& Ident, TColor Default) {
  TColor Result;
  return TextToColor(ReadString(Section, Ident, ColorToText(Default)), Result) ? Result : Default;
}

void TRxIniFile::WriteColor(const std::string& Section, const std::string& Ident, TColor Value) {
  WriteString(Section, Ident, ColorToText(Value));
}

TFont* TRxIniFile::ReadFont(const std::string& Section, const std::string& Ident, TFont* Font) {
  TextToFont(ReadString(Section, Ident, FontToText(Font)), Font);
  return Font;
}

void TRxIniFile::WriteFont(const std::string& Section, const std::string& Ident, const TFont* Font) {
  WriteString(Section, Ident, FontToText(Font));
}
