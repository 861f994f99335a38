// TFont: the portable description of a font. The Win32 layer keeps a font handle for it and
// makes a new one when ChangeCount() has moved (or by overriding Changed()).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "classlib/core/color.h"
#include "classlib/core/typinfo.h"

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
template <> const TTypeInfo* TypeInfoOf<TFontStyle>();

enum TFontPitch { fpDefault, fpVariable, fpFixed };
template <> const TTypeInfo* TypeInfoOf<TFontPitch>();

// A character set number, written as its identifier (DEFAULT_CHARSET) where it has one.
using TFontCharset = uint8_t;
const TTypeInfo* FontCharsetTypeInfo();
bool CharsetToIdent(int32_t Charset, std::string& Ident);
bool IdentToCharset(std::string_view Ident, int32_t& Charset);

// windows.h defines the same values as macros; then its definitions serve.
#ifndef DEFAULT_CHARSET
inline constexpr TFontCharset ANSI_CHARSET = 0;
inline constexpr TFontCharset DEFAULT_CHARSET = 1;
inline constexpr TFontCharset SYMBOL_CHARSET = 2;
inline constexpr TFontCharset MAC_CHARSET = 77;
inline constexpr TFontCharset SHIFTJIS_CHARSET = 128;
inline constexpr TFontCharset HANGEUL_CHARSET = 129;
inline constexpr TFontCharset JOHAB_CHARSET = 130;
inline constexpr TFontCharset GB2312_CHARSET = 134;
inline constexpr TFontCharset CHINESEBIG5_CHARSET = 136;
inline constexpr TFontCharset GREEK_CHARSET = 161;
inline constexpr TFontCharset TURKISH_CHARSET = 162;
inline constexpr TFontCharset VIETNAMESE_CHARSET = 163;
inline constexpr TFontCharset HEBREW_CHARSET = 177;
inline constexpr TFontCharset ARABIC_CHARSET = 178;
inline constexpr TFontCharset BALTIC_CHARSET = 186;
inline constexpr TFontCharset RUSSIAN_CHARSET = 204;
inline constexpr TFontCharset THAI_CHARSET = 222;
inline constexpr TFontCharset EASTEUROPE_CHARSET = 238;
inline constexpr TFontCharset OEM_CHARSET = 255;
#endif

class TFont : public TPersistent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  // "MS Sans Serif", 8 points at 96 pixels per inch, clWindowText, DEFAULT_CHARSET.
  TFont();

  // From another TFont: everything but PixelsPerInch; the point size is kept when the two
  // resolutions differ. Fires OnChange once when anything changed.
  void Assign(const TPersistent* Source) override;

  TFontCharset Charset() const { return FCharset; }
  void SetCharset(TFontCharset Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  // Negative: the character height in pixels; positive: the cell height.
  int Height() const { return FHeight; }
  void SetHeight(int Value);
  const std::string& Name() const { return FName; }
  void SetName(const std::string& Value);
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch Value);
  // Points: Size = -Height * 72 / PixelsPerInch, rounded as MulDiv rounds.
  int Size() const;
  void SetSize(int Value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int Value) { FPixelsPerInch = Value > 0 ? Value : 96; }

  TNotifyEvent OnChange;
  unsigned ChangeCount() const { return FChangeCount; }

protected:
  virtual void Changed();

private:
  TFontCharset FCharset;
  TColor FColor;
  int FHeight;
  std::string FName;
  TFontPitch FPitch;
  TFontStyles FStyle;
  int FPixelsPerInch = 96;
  unsigned FChangeCount = 0;
};
