#include "editor/core/custom_highlighter.h"

#include <array>
#include <exception>
#include <optional>

namespace {

// The development environment's 16-colour palette, indexed as it stores colours.
constexpr std::array<TColor, 16> IDEPalette = {clBlack, clMaroon, clGreen, clOlive, clNavy, clPurple,
                                               clTeal,  clGray,   clSilver, clRed,  clLime, clYellow,
                                               clBlue,  clFuchsia, clAqua, clWhite};

std::optional<TColor> PaletteColor(long long Index) {
  if (Index < 0 || Index >= static_cast<long long>(IDEPalette.size())) return std::nullopt;
  return IDEPalette[static_cast<std::size_t>(Index)];
}

std::optional<long long> ParseIndex(const std::string& S) {
  std::size_t i = 0;
  while (i < S.size() && S[i] == ' ') ++i;
  bool negative = false;
  if (i < S.size() && (S[i] == '-' || S[i] == '+')) negative = S[i++] == '-';
  if (i >= S.size()) return std::nullopt;
  long long v = 0;
  for (; i < S.size(); ++i) {
    if (S[i] < '0' || S[i] > '9') return std::nullopt;
    v = v * 10 + (S[i] - '0');
    if (v > 1000000) return std::nullopt;
  }
  return negative ? -v : v;
}

// A stored flag: true unless it reads "FALSE" (any case) or "0"; an empty text is true.
bool IDEBool(const std::string& S) {
  std::string u = S;
  for (char& c : u)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return u != "FALSE" && u != "0";
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TmwHighLightAttributes

const TClassInfo* TmwHighLightAttributes::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TmwHighLightAttributes, TPersistent>("TmwHighLightAttributes")
          .Prop("Background", &TmwHighLightAttributes::Background, &TmwHighLightAttributes::SetBackground)
          .Prop("Foreground", &TmwHighLightAttributes::Foreground, &TmwHighLightAttributes::SetForeground)
          .Prop("Style", &TmwHighLightAttributes::Style, &TmwHighLightAttributes::SetStyle)
          .Prop("IntegerStyle", &TmwHighLightAttributes::IntegerStyle, &TmwHighLightAttributes::SetIntegerStyle)
          .Build();
  return &Info;
}

TmwHighLightAttributes::TmwHighLightAttributes(std::string AName)
    : FBackground(clWindow), FForeground(clWindowText), FName(std::move(AName)) {}

void TmwHighLightAttributes::Changed() {
  if (OnChange) OnChange(this);
}

void TmwHighLightAttributes::SetBackground(TColor Value) {
  if (FBackground == Value) return;
  FBackground = Value;
  Changed();
}

void TmwHighLightAttributes::SetForeground(TColor Value) {
  if (FForeground == Value) return;
  FForeground = Value;
  Changed();
}

void TmwHighLightAttributes::SetStyle(TFontStyles Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  Changed();
}

int TmwHighLightAttributes::IntegerStyle() const {
  int v = 0;
  if (FStyle.Contains(fsBold)) v += 1;
  if (FStyle.Contains(fsItalic)) v += 2;
  if (FStyle.Contains(fsUnderline)) v += 4;
  if (FStyle.Contains(fsStrikeOut)) v += 8;
  return v;
}

void TmwHighLightAttributes::SetIntegerStyle(int Value) {
  SetStyle((Value & 1) ? TFontStyles{fsBold} : TFontStyles{});
  if (Value & 2) SetStyle(FStyle + TFontStyles{fsItalic});
  if (Value & 4) SetStyle(FStyle + TFontStyles{fsUnderline});
  if (Value & 8) SetStyle(FStyle + TFontStyles{fsStrikeOut});
}

void TmwHighLightAttributes::Assign(const TPersistent* Source) {
  if (auto* src = dynamic_cast<const TmwHighLightAttributes*>(Source)) {
    FBackground = src->FBackground;
    FForeground = src->FForeground;
    FStyle = src->FStyle;
    FName = src->FName;
  } else {
    TPersistent::Assign(Source);
  }
}

void TmwHighLightAttributes::ApplyTo(TmwCanvas& Canvas) const {
  Canvas.SetBrushColor(FBackground);
  Canvas.SetFontColor(FForeground);
  Canvas.SetFontStyle(FStyle);
}

bool TmwHighLightAttributes::LoadFromRegistry(TBetterRegistry& Reg) {
  std::string path = Reg.CurrentPath();
  if (!Reg.OpenKeyReadOnly(FName)) return false;
  // A value of another type counts as missing and leaves the property as it is.
  std::int32_t v;
  if (Reg.ReadInteger("Background", v)) SetBackground(TColor(v));
  if (Reg.ReadInteger("Foreground", v)) SetForeground(TColor(v));
  if (Reg.ReadInteger("Style", v)) SetIntegerStyle(v);
  Reg.OpenKeyReadOnly("\\" + path);
  return true;
}

bool TmwHighLightAttributes::SaveToRegistry(TBetterRegistry& Reg) {
  std::string path = Reg.CurrentPath();
  if (!Reg.OpenKey(FName, true)) return false;
  bool ok = Reg.WriteInteger("Background", FBackground) && Reg.WriteInteger("Foreground", FForeground) &&
            Reg.WriteInteger("Style", IntegerStyle());
  Reg.OpenKey("\\" + path, false);
  return ok;
}

bool TmwHighLightAttributes::LoadFromIDERegistry(TRegRootKey RootKey, const std::string& Key,
                                                 const std::string& Name, bool OldLayout) {
  try {
    TBetterRegistry reg;
    reg.SetRootKey(RootKey);
    TColor background, foreground;
    TFontStyles style;
    if (OldLayout) {
      std::string text;
      if (!reg.OpenKeyReadOnly(Key) || !reg.ReadString(Name, text)) return false;
      std::array<std::string, 7> field;
      std::size_t at = 0;
      for (std::string& f : field) {
        if (at > text.size()) break;
        std::size_t comma = text.find(',', at);
        if (comma == std::string::npos) comma = text.size();
        f = text.substr(at, comma - at);
        at = comma + 1;
      }
      if (field[4] == "1") {
        background = clWindow;
      } else if (auto c = ParseIndex(field[6]); c && PaletteColor(*c)) {
        background = *PaletteColor(*c);
      } else {
        return false;
      }
      if (field[3] == "1") {
        foreground = clWindowText;
      } else if (auto c = ParseIndex(field[5]); c && PaletteColor(*c)) {
        foreground = *PaletteColor(*c);
      } else {
        return false;
      }
      if (field[2].find('B') != std::string::npos) style.Include(fsBold);
      if (field[2].find('I') != std::string::npos) style.Include(fsItalic);
      if (field[2].find('U') != std::string::npos) style.Include(fsUnderline);
    } else {
      if (!reg.OpenKeyReadOnly(Key + "\\" + Name)) return false;
      std::int32_t fore, back;
      std::string bold, italic, underline, defFore, defBack;
      if (!reg.ReadInteger("Foreground Color", fore) || !reg.ReadInteger("Background Color", back) ||
          !reg.ReadString("Bold", bold) || !reg.ReadString("Italic", italic) ||
          !reg.ReadString("Underline", underline) || !reg.ReadString("Default Foreground", defFore) ||
          !reg.ReadString("Default Background", defBack))
        return false;
      if (IDEBool(defBack)) {
        background = clWindow;
      } else if (auto c = PaletteColor(back)) {
        background = *c;
      } else {
        return false;
      }
      if (IDEBool(defFore)) {
        foreground = clWindowText;
      } else if (auto c = PaletteColor(fore)) {
        foreground = *c;
      } else {
        return false;
      }
      if (IDEBool(bold)) style.Include(fsBold);
      if (IDEBool(italic)) style.Include(fsItalic);
      if (IDEBool(underline)) style.Include(fsUnderline);
    }
    SetBackground(background);
    SetForeground(foreground);
    SetStyle(style);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// ---------------------------------------------------------------------------------------
// TmwAttachedEditList

void TmwAttachedEditList::AddEditor(TmwHighlighterClient* Editor) {
  for (TmwHighlighterClient* e : FItems)
    if (e == Editor) return;
  FItems.push_back(Editor);
}

void TmwAttachedEditList::RemoveEditor(TmwHighlighterClient* Editor) {
  for (auto it = FItems.begin(); it != FItems.end(); ++it)
    if (*it == Editor) {
      FItems.erase(it);
      return;
    }
}

void TmwAttachedEditList::InvalidateAll() {
  std::vector<TmwHighlighterClient*> items = FItems;
  for (TmwHighlighterClient* e : items) e->HighlighterInvalidate();
}

// ---------------------------------------------------------------------------------------
// TmwCustomHighLighter

const TClassInfo* TmwCustomHighLighter::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TmwCustomHighLighter, TComponent>("TmwCustomHighLighter")
          .Prop("DefaultFilter", &TmwCustomHighLighter::GetDefaultFilter, &TmwCustomHighLighter::SetDefaultFilter)
          .Build();
  return &Info;
}

TmwCustomHighLighter::TmwCustomHighLighter(TComponent* AOwner) : TComponent(AOwner) {}

TmwCustomHighLighter::~TmwCustomHighLighter() {
  // An editor must never scan with a highlighter that is gone.
  while (FEditors.Count() > 0) {
    TmwHighlighterClient* e = FEditors.Items(0);
    FEditors.RemoveEditor(e);
    e->HighlighterDestroyed(this);
  }
}

TmwIdentChars TmwCustomHighLighter::GetIdentChars() const {
  TmwIdentChars chars;
  for (int c = 33; c <= 255; ++c) chars.set(c);
  return chars;
}

TmwHighlighterCapabilities TmwCustomHighLighter::GetCapability() const { return {hcRegistry}; }

std::string TmwCustomHighLighter::GetDefaultFilter() const { return FDefaultFilter; }

void TmwCustomHighLighter::SetDefaultFilter(const std::string& Value) {
  if (FDefaultFilter != Value) FDefaultFilter = Value;
}

bool TmwCustomHighLighter::UseUserSettings(int) { return false; }

void TmwCustomHighLighter::EnumUserSettings(TStrings* Settings) {
  if (Settings) Settings->Clear();
}

bool TmwCustomHighLighter::LoadFromRegistry(TRegRootKey RootKey, const std::string& Key) {
  try {
    TBetterRegistry reg;
    reg.SetRootKey(RootKey);
    if (!reg.OpenKeyReadOnly(Key)) return false;
    for (int i = 0; i < GetAttribCount(); ++i) {
      TmwHighLightAttributes* a = GetAttribute(i);
      if (a && !a->LoadFromRegistry(reg)) return false;
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TmwCustomHighLighter::SaveToRegistry(TRegRootKey RootKey, const std::string& Key) {
  try {
    TBetterRegistry reg;
    reg.SetRootKey(RootKey);
    if (!reg.OpenKey(Key, true)) return false;
    for (int i = 0; i < GetAttribCount(); ++i) {
      TmwHighLightAttributes* a = GetAttribute(i);
      if (a && !a->SaveToRegistry(reg)) return false;
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void TmwCustomHighLighter::DefHighlightChange(TObject*) { FEditors.InvalidateAll(); }
