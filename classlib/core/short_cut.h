// Keyboard shift states and menu-style shortcuts, shared by the controls, the menus and
// the source editor's key bindings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "classlib/core/typinfo.h"

enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;
template <> const TTypeInfo* TypeInfoOf<TShiftStateItem>();

// A key with its modifiers: the virtual key code in the low byte, scShift, scCtrl, scAlt.
// Written in form resources as its text ('Ctrl+U', F10) or as a number.
enum TShortCut : uint16_t {};
template <> const TTypeInfo* TypeInfoOf<TShortCut>();
inline constexpr uint16_t scShift = 0x2000;
inline constexpr uint16_t scCtrl = 0x4000;
inline constexpr uint16_t scAlt = 0x8000;
inline constexpr TShortCut scNone = TShortCut(0);

// scNone for a key code above 255, which no shortcut can hold.
TShortCut ShortCut(uint16_t Key, TShiftState Shift);
void ShortCutToKey(TShortCut SC, uint16_t& Key, TShiftState& Shift);
// "Ctrl+Shift+F2", "Alt+X", "Del", "Num +"; empty for scNone or a key without a name.
std::string ShortCutToText(TShortCut SC);
// The reverse; scNone for a text it does not know (case-insensitive).
TShortCut TextToShortCut(std::string_view Text);
