// TColor: 0x00BBGGRR for an RGB colour; clSystemColor | index for a system colour, which
// the Win32 layer resolves through the system's colour table. Written in form resources as
// the identifier (clBtnFace) where there is one, else as an integer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "classlib/core/typinfo.h"

enum TColor : int32_t {};
template <> const TTypeInfo* TypeInfoOf<TColor>();

inline constexpr int32_t clSystemColor = INT32_MIN;  // 0x80000000

inline constexpr TColor clScrollBar = TColor(clSystemColor | 0);
inline constexpr TColor clBackground = TColor(clSystemColor | 1);
inline constexpr TColor clActiveCaption = TColor(clSystemColor | 2);
inline constexpr TColor clInactiveCaption = TColor(clSystemColor | 3);
inline constexpr TColor clMenu = TColor(clSystemColor | 4);
inline constexpr TColor clWindow = TColor(clSystemColor | 5);
inline constexpr TColor clWindowFrame = TColor(clSystemColor | 6);
inline constexpr TColor clMenuText = TColor(clSystemColor | 7);
inline constexpr TColor clWindowText = TColor(clSystemColor | 8);
inline constexpr TColor clCaptionText = TColor(clSystemColor | 9);
inline constexpr TColor clActiveBorder = TColor(clSystemColor | 10);
inline constexpr TColor clInactiveBorder = TColor(clSystemColor | 11);
inline constexpr TColor clAppWorkSpace = TColor(clSystemColor | 12);
inline constexpr TColor clHighlight = TColor(clSystemColor | 13);
inline constexpr TColor clHighlightText = TColor(clSystemColor | 14);
inline constexpr TColor clBtnFace = TColor(clSystemColor | 15);
inline constexpr TColor clBtnShadow = TColor(clSystemColor | 16);
inline constexpr TColor clGrayText = TColor(clSystemColor | 17);
inline constexpr TColor clBtnText = TColor(clSystemColor | 18);
inline constexpr TColor clInactiveCaptionText = TColor(clSystemColor | 19);
inline constexpr TColor clBtnHighlight = TColor(clSystemColor | 20);
inline constexpr TColor cl3DDkShadow = TColor(clSystemColor | 21);
inline constexpr TColor cl3DLight = TColor(clSystemColor | 22);
inline constexpr TColor clInfoText = TColor(clSystemColor | 23);
inline constexpr TColor clInfoBk = TColor(clSystemColor | 24);
inline constexpr TColor clHotLight = TColor(clSystemColor | 26);
inline constexpr TColor clGradientActiveCaption = TColor(clSystemColor | 27);
inline constexpr TColor clGradientInactiveCaption = TColor(clSystemColor | 28);
inline constexpr TColor clMenuHighlight = TColor(clSystemColor | 29);
inline constexpr TColor clMenuBar = TColor(clSystemColor | 30);

inline constexpr TColor clBlack = TColor(0x000000);
inline constexpr TColor clMaroon = TColor(0x000080);
inline constexpr TColor clGreen = TColor(0x008000);
inline constexpr TColor clOlive = TColor(0x008080);
inline constexpr TColor clNavy = TColor(0x800000);
inline constexpr TColor clPurple = TColor(0x800080);
inline constexpr TColor clTeal = TColor(0x808000);
inline constexpr TColor clGray = TColor(0x808080);
inline constexpr TColor clSilver = TColor(0xC0C0C0);
inline constexpr TColor clRed = TColor(0x0000FF);
inline constexpr TColor clLime = TColor(0x00FF00);
inline constexpr TColor clYellow = TColor(0x00FFFF);
inline constexpr TColor clBlue = TColor(0xFF0000);
inline constexpr TColor clFuchsia = TColor(0xFF00FF);
inline constexpr TColor clAqua = TColor(0xFFFF00);
inline constexpr TColor clLtGray = TColor(0xC0C0C0);
inline constexpr TColor clDkGray = TColor(0x808080);
inline constexpr TColor clWhite = TColor(0xFFFFFF);
inline constexpr TColor clMoneyGreen = TColor(0xC0DCC0);
inline constexpr TColor clSkyBlue = TColor(0xF0CAA6);
inline constexpr TColor clCream = TColor(0xF0FBFF);
inline constexpr TColor clMedGray = TColor(0xA4A0A0);
inline constexpr TColor clNone = TColor(0x1FFFFFFF);
inline constexpr TColor clDefault = TColor(0x20000000);

// The identifier of a colour ("clRed", "clBtnFace"); false when it has none.
bool ColorToIdent(int32_t Color, std::string& Ident);
// The colour of an identifier, case-insensitively; false for an unknown one.
bool IdentToColor(std::string_view Ident, int32_t& Color);
// The identifier, else "$" and eight hexadecimal digits ("$00408000").
std::string ColorToString(TColor Color);
// An identifier, a decimal number or "$"-hexadecimal; EConvertError otherwise.
TColor StringToColor(std::string_view Text);
