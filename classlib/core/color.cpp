#include "classlib/core/color.h"

#include <cstdio>

namespace {

struct TColorIdent {
  TColor Value;
  const char* Name;
};

// Looked up in this order: clSilver, not its alias clLtGray, names 0xC0C0C0.
const TColorIdent Colors[] = {
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
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
};

}  // namespace

template <> const TTypeInfo* TypeInfoOf<TColor>() {
  static const TTypeInfo Info =
      IntegerTypeInfo("TColor", otSLong, INT32_MIN, INT32_MAX, ColorToIdent, IdentToColor);
  return &Info;
}

bool ColorToIdent(int32_t Color, std::string& Ident) {
  for (const TColorIdent& Entry : Colors)
    if (Entry.Value == Color) {
      Ident = Entry.Name;
      return true;
    }
  return false;
}

bool IdentToColor(std::string_view Ident, int32_t& Color) {
  for (const TColorIdent& Entry : Colors)
    if (SameIdent(Entry.Name, Ident)) {
      Color = Entry.Value;
      return true;
    }
  return false;
}

std::string ColorToString(TColor Color) {
  std::string Ident;
  if (ColorToIdent(Color, Ident)) return Ident;
  char Buffer[16];
  std::snprintf(Buffer, sizeof Buffer, "$%08X", static_cast<unsigned>(Color));
  return Buffer;
}

TColor StringToColor(std::string_view Text) {
  int32_t Color = 0;
  if (IdentToColor(Text, Color)) return TColor(Color);
  int64_t Value = 0;
  if (!PropTextToInt(Text, Value) || Value < INT32_MIN || Value > int64_t(UINT32_MAX))
    throw EConvertError("'" + std::string(Text) + "' is not a valid integer value");
  return TColor(int32_t(uint32_t(uint64_t(Value))));
}
