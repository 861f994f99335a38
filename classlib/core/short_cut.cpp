#include "classlib/core/short_cut.h"

#include <algorithm>
#include <cctype>

namespace {

// Virtual key codes and the names that shortcut texts give them.
struct TKeyName {
  uint16_t Key;
  const char* Name;
};

const TKeyName kKeyNames[] = {
    {0x08, "BkSp"},  {0x09, "Tab"},   {0x1B, "Esc"},   {0x0D, "Enter"}, {0x20, "Space"}, {0x21, "PgUp"},
    {0x22, "PgDn"},  {0x23, "End"},   {0x24, "Home"},  {0x25, "Left"},  {0x26, "Up"},    {0x27, "Right"},
    {0x28, "Down"},  {0x2D, "Ins"},   {0x2E, "Del"},   {0x6A, "Num *"}, {0x6B, "Num +"}, {0x6D, "Num -"},
    {0x6F, "Num /"}, {0x6E, "Num Del"}, {0x5D, "Apps"},
};
constexpr uint16_t kF1 = 0x70, kF24 = 0x87, kNumpad0 = 0x60, kNumpad9 = 0x69;

std::string KeyName(uint16_t Key) {
  if ((Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z')) return std::string(1, char(Key));
  if (Key >= kF1 && Key <= kF24) return "F" + std::to_string(Key - kF1 + 1);
  if (Key >= kNumpad0 && Key <= kNumpad9) return "Num " + std::to_string(Key - kNumpad0);
  for (const auto& K : kKeyNames)
    if (K.Key == Key) return K.Name;
  return {};
}

bool ShortCutToIdent(int32_t Value, std::string& Ident) {
  if (Value == 0) return false;
  Ident = ShortCutToText(TShortCut(Value));
  return !Ident.empty();
}

bool IdentToShortCut(std::string_view Ident, int32_t& Value) {
  TShortCut SC = TextToShortCut(Ident);
  if (SC == scNone) return false;
  Value = SC;
  return true;
}

}  // namespace

template <> const TTypeInfo* TypeInfoOf<TShiftStateItem>() {
  static const TTypeInfo Info =
      EnumTypeInfo("TShiftStateItem", {"ssShift", "ssAlt", "ssCtrl", "ssLeft", "ssRight", "ssMiddle", "ssDouble"});
  return &Info;
}

template <> const TTypeInfo* TypeInfoOf<TShortCut>() {
  static const TTypeInfo Info = IntegerTypeInfo("TShortCut", otUWord, 0, 65535, ShortCutToIdent, IdentToShortCut);
  return &Info;
}

TShortCut ShortCut(uint16_t Key, TShiftState Shift) {
  if (Key > 0xFF) return scNone;
  uint16_t V = Key;
  if (Shift.Contains(ssShift)) V |= scShift;
  if (Shift.Contains(ssCtrl)) V |= scCtrl;
  if (Shift.Contains(ssAlt)) V |= scAlt;
  return TShortCut(V);
}

void ShortCutToKey(TShortCut SC, uint16_t& Key, TShiftState& Shift) {
  Key = SC & 0xFF;
  Shift = TShiftState();
  if (SC & scShift) Shift << ssShift;
  if (SC & scCtrl) Shift << ssCtrl;
  if (SC & scAlt) Shift << ssAlt;
}

std::string ShortCutToText(TShortCut SC) {
  std::string Name = KeyName(SC & 0xFF);
  if (Name.empty()) return {};
  std::string Out;
  if (SC & scShift) Out += "Shift+";
  if (SC & scCtrl) Out += "Ctrl+";
  if (SC & scAlt) Out += "Alt+";
  return Out + Name;
}

TShortCut TextToShortCut(std::string_view Text) {
  uint16_t Mods = 0;
  auto StartsWithNoCase = [](std::string_view S, std::string_view P) {
    return S.size() >= P.size() && SameIdent(S.substr(0, P.size()), P);
  };
  for (;;) {
    if (StartsWithNoCase(Text, "Shift+")) {
      Mods |= scShift;
      Text.remove_prefix(6);
    } else if (StartsWithNoCase(Text, "Ctrl+")) {
      Mods |= scCtrl;
      Text.remove_prefix(5);
    } else if (StartsWithNoCase(Text, "Alt+")) {
      Mods |= scAlt;
      Text.remove_prefix(4);
    } else {
      break;
    }
  }
  if (Text.empty()) return scNone;
  for (int Key = 1; Key < 256; ++Key) {
    std::string Name = KeyName(uint16_t(Key));
    if (!Name.empty() && SameIdent(Name, Text)) return TShortCut(Key | Mods);
  }
  return scNone;
}
