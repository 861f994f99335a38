// An INI file that also keeps colours and fonts as single text values.
//
//   colour  the identifier of a named colour (clRed, clBtnFace), else "$" and eight
//           hexadecimal digits of the 0x00BBGGRR value: $00804020
//   font    name,points,styles,pitch,colour,charset: Arial,10,BI,0,clWindowText,204
//           (styles: B bold, I italic, U underline, S strike-out; pitch 0 default,
//           1 variable, 2 fixed)
#pragma once

#include <string>

#include "classlib/core/color.h"
#include "classlib/core/ini_file.h"

class TFont;

class TRxIniFile : public TIniFile {
public:
  using TIniFile::TIniFile;

  // Default when the value is missing or does not convert.
  TColor ReadColor(const std::string& Section, const std::string& Ident, TColor Default);
  void WriteColor(const std::string& Section, const std::string& Ident, TColor Value);
  // Applies the stored text to Font (a missing value leaves it as it is) and returns it.
  TFont* ReadFont(const std::string& Section, const std::string& Ident, TFont* Font);
  void WriteFont(const std::string& Section, const std::string& Ident, const TFont* Font);
};

// The colour as text; the text as a colour (an identifier in any case, a decimal or a
// "$" hexadecimal number), false when it does not convert.
std::string ColorToText(TColor Color);
bool TextToColor(const std::string& Text, TColor& Color);
std::string FontToText(const TFont* Font);
// Fields are cut at "," and ";". A field that does not convert keeps that attribute, an
// empty name keeps the name, and a colour that does not convert ends the reading there.
// The font's OnChange fires once at the end.
void TextToFont(const std::string& Text, TFont* Font);
