#include "editor/core/key_strokes.h"

#include <cstring>
#include <iterator>

namespace {

struct TCommandIdent {
  TmwEditorCommand Value;
  const char* Name;
};

// Order matters: stored forms and property lists show the names in this order.
constexpr TCommandIdent EditorCommandStrs[] = {
    {ecNone, "ecNone"},
    {ecLeft, "ecLeft"},
    {ecRight, "ecRight"},
    {ecUp, "ecUp"},
    {ecDown, "ecDown"},
    {ecWordLeft, "ecWordLeft"},
    {ecWordRight, "ecWordRight"},
    {ecLineStart, "ecLineStart"},
    {ecLineEnd, "ecLineEnd"},
    {ecPageUp, "ecPageUp"},
    {ecPageDown, "ecPageDown"},
    {ecPageLeft, "ecPageLeft"},
    {ecPageRight, "ecPageRight"},
    {ecPageTop, "ecPageTop"},
    {ecPageBottom, "ecPageBottom"},
    {ecEditorTop, "ecEditorTop"},
    {ecEditorBottom, "ecEditorBottom"},
    {ecGotoXY, "ecGotoXY"},
    {ecSelLeft, "ecSelLeft"},
    {ecSelRight, "ecSelRight"},
    {ecSelUp, "ecSelUp"},
    {ecSelDown, "ecSelDown"},
    {ecSelWordLeft, "ecSelWordLeft"},
    {ecSelWordRight, "ecSelWordRight"},
    {ecSelLineStart, "ecSelLineStart"},
    {ecSelLineEnd, "ecSelLineEnd"},
    {ecSelPageUp, "ecSelPageUp"},
    {ecSelPageDown, "ecSelPageDown"},
    {ecSelPageLeft, "ecSelPageLeft"},
    {ecSelPageRight, "ecSelPageRight"},
    {ecSelPageTop, "ecSelPageTop"},
    {ecSelPageBottom, "ecSelPageBottom"},
    {ecSelEditorTop, "ecSelEditorTop"},
    {ecSelEditorBottom, "ecSelEditorBottom"},
    {ecSelGotoXY, "ecSelGotoXY"},
    {ecSelectAll, "ecSelectAll"},
    {ecDeleteLastChar, "ecDeleteLastChar"},
    {ecDeleteChar, "ecDeleteChar"},
    {ecDeleteWord, "ecDeleteWord"},
    {ecDeleteLastWord, "ecDeleteLastWord"},
    {ecDeleteBOL, "ecDeleteBOL"},
    {ecDeleteEOL, "ecDeleteEOL"},
    {ecDeleteLine, "ecDeleteLine"},
    {ecClearAll, "ecClearAll"},
    {ecLineBreak, "ecLineBreak"},
    {ecInsertLine, "ecInsertLine"},
    {ecChar, "ecChar"},
    {ecUndo, "ecUndo"},
    {ecRedo, "ecRedo"},
    {ecCut, "ecCut"},
    {ecCopy, "ecCopy"},
    {ecPaste, "ecPaste"},
    {ecScrollUp, "ecScrollUp"},
    {ecScrollDown, "ecScrollDown"},
    {ecScrollLeft, "ecScrollLeft"},
    {ecScrollRight, "ecScrollRight"},
    {ecInsertMode, "ecInsertMode"},
    {ecOverwriteMode, "ecOverwriteMode"},
    {ecToggleMode, "ecToggleMode"},
    {ecBlockIndent, "ecBlockIndent"},
    {ecBlockUnindent, "ecBlockUnindent"},
    {ecUserFirst, "ecUserFirst"},
    {ecGotoMarker0, "ecGotoMarker0"},
    {ecGotoMarker1, "ecGotoMarker1"},
    {ecGotoMarker2, "ecGotoMarker2"},
    {ecGotoMarker3, "ecGotoMarker3"},
    {ecGotoMarker4, "ecGotoMarker4"},
    {ecGotoMarker5, "ecGotoMarker5"},
    {ecGotoMarker6, "ecGotoMarker6"},
    {ecGotoMarker7, "ecGotoMarker7"},
    {ecGotoMarker8, "ecGotoMarker8"},
    {ecGotoMarker9, "ecGotoMarker9"},
    {ecSetMarker0, "ecSetMarker0"},
    {ecSetMarker1, "ecSetMarker1"},
    {ecSetMarker2, "ecSetMarker2"},
    {ecSetMarker3, "ecSetMarker3"},
    {ecSetMarker4, "ecSetMarker4"},
    {ecSetMarker5, "ecSetMarker5"},
    {ecSetMarker6, "ecSetMarker6"},
    {ecSetMarker7, "ecSetMarker7"},
    {ecSetMarker8, "ecSetMarker8"},
    {ecSetMarker9, "ecSetMarker9"},
};
static_assert(std::size(EditorCommandStrs) == 82);

}  // namespace

bool EditorCommandToIdent(int Command, std::string& Ident) {
  for (const TCommandIdent& c : EditorCommandStrs)
    if (c.Value == Command) {
      Ident = c.Name;
      return true;
    }
  return false;
}

bool IdentToEditorCommand(const std::string& Ident, int& Command) {
  for (const TCommandIdent& c : EditorCommandStrs)
    if (SameIdent(Ident, c.Name)) {
      Command = c.Value;
      return true;
    }
  return false;
}

std::string EditorCommandToText(TmwEditorCommand Command) {
  std::string s;
  if (!EditorCommandToIdent(Command, s)) s = std::to_string(Command);
  return s;
}

// ---------------------------------------------------------------------------------------
// Type information

namespace {

bool CommandToIdent(int32_t Value, std::string& Ident) { return EditorCommandToIdent(Value, Ident); }

bool IdentToCommand(std::string_view Ident, int32_t& Value) {
  int v = 0;
  if (!IdentToEditorCommand(std::string(Ident), v)) return false;
  Value = v;
  return true;
}

}  // namespace

const TTypeInfo* EditorCommandTypeInfo() {
  static const TTypeInfo Info =
      IntegerTypeInfo("TmwEditorCommand", otUWord, 0, 65535, &CommandToIdent, &IdentToCommand);
  return &Info;
}

// ---------------------------------------------------------------------------------------
// Shortcuts

namespace {

// Platform key codes used by the defaults.
constexpr std::uint16_t vkBack = 8, vkReturn = 13, vkPrior = 33, vkNext = 34, vkEnd = 35, vkHome = 36,
                        vkLeft = 37, vkUp = 38, vkRight = 39, vkDown = 40, vkInsert = 45, vkDelete = 46;

}  // namespace

// ---------------------------------------------------------------------------------------
// TmwKeyStroke

const TClassInfo* TmwKeyStroke::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TmwKeyStroke, TCollectionItem>("TmwKeyStroke")
                                     .Prop("Command", &TmwKeyStroke::Command, &TmwKeyStroke::SetCommand)
                                     .Type(EditorCommandTypeInfo())
                                     .Prop("ShortCut", &TmwKeyStroke::ShortCut, &TmwKeyStroke::SetShortCut)
                                     .Build();
  return &Info;
}

TmwKeyStroke::TmwKeyStroke(TCollection* Collection) : TCollectionItem(Collection) {}

void TmwKeyStroke::Assign(const TPersistent* Source) {
  if (auto* src = dynamic_cast<const TmwKeyStroke*>(Source)) {
    SetKey(src->FKey);
    SetShift(src->FShift);
    SetCommand(src->FCommand);
  } else {
    TCollectionItem::Assign(Source);
  }
}

std::string TmwKeyStroke::DisplayName() const {
  std::string keys = ShortCutToText(ShortCut());
  if (keys.empty()) return TCollectionItem::DisplayName();
  return EditorCommandToText(FCommand) + " - " + keys;
}

void TmwKeyStroke::SetKey(std::uint16_t Value) {
  if (FKey == Value) return;
  FKey = Value;
  Changed(false);
}

void TmwKeyStroke::SetShift(TShiftState Value) {
  if (FShift == Value) return;
  FShift = Value;
  Changed(false);
}

void TmwKeyStroke::SetCommand(TmwEditorCommand Value) {
  if (FCommand == Value) return;
  FCommand = Value;
  Changed(false);
}

TShortCut TmwKeyStroke::ShortCut() const { return ::ShortCut(FKey, FShift); }

void TmwKeyStroke::SetShortCut(TShortCut Value) {
  if (Value != 0) {
    if (auto* owner = dynamic_cast<TmwKeyStrokes*>(Collection())) {
      int found = owner->FindShortcut(Value);
      if (found >= 0 && found != Index()) throw EmwKeyError("Shortcut already exists");
    }
  }
  std::uint16_t key;
  TShiftState shift;
  ShortCutToKey(Value, key, shift);
  if (key == FKey && shift == FShift) return;
  SetKey(key);
  SetShift(shift);
}

// ---------------------------------------------------------------------------------------
// TmwKeyStrokes

const TClassInfo* TmwKeyStrokes::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TmwKeyStrokes, TCollection>("TmwKeyStrokes").Build();
  return &Info;
}

TmwKeyStrokes::TmwKeyStrokes(TPersistent* AOwner) : TCollection(TmwKeyStroke::StaticClassInfo(), AOwner) {}

TmwKeyStroke* TmwKeyStrokes::Add() { return static_cast<TmwKeyStroke*>(TCollection::Add()); }

TmwKeyStroke* TmwKeyStrokes::Items(int Index) const { return static_cast<TmwKeyStroke*>(TCollection::Items(Index)); }

int TmwKeyStrokes::FindKeyAndShift(std::uint16_t Key, TShiftState Shift) const {
  for (int i = 0; i < Count(); ++i) {
    TmwKeyStroke* k = Items(i);
    if (k->FKey == Key && k->FShift == Shift) return i;
  }
  return -1;
}

int TmwKeyStrokes::FindShortcut(TShortCut ShortCut) const {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->ShortCut() == ShortCut) return i;
  return -1;
}

void TmwKeyStrokes::Assign(const TPersistent* Source) {
  if (auto* src = dynamic_cast<const TmwKeyStrokes*>(Source)) {
    if (src == this) return;
    BeginUpdate();
    try {
      Clear();
      for (int i = 0; i < src->Count(); ++i) Add()->Assign(src->Items(i));
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
  } else {
    TCollection::Assign(Source);
  }
}

void TmwKeyStrokes::ResetDefaults() {
  const TShiftState none, shift{ssShift}, ctrl{ssCtrl}, alt{ssAlt}, shiftCtrl{ssShift, ssCtrl},
      shiftAlt{ssShift, ssAlt};
  struct TDefault {
    std::uint16_t Key;
    TShiftState Shift;
    TmwEditorCommand Command;
  };
  std::vector<TDefault> defaults = {
      {vkUp, none, ecUp},          {vkUp, shift, ecSelUp},          {vkUp, ctrl, ecScrollUp},
      {vkDown, none, ecDown},      {vkDown, shift, ecSelDown},      {vkDown, ctrl, ecScrollDown},
      {vkLeft, none, ecLeft},      {vkLeft, shift, ecSelLeft},      {vkLeft, ctrl, ecWordLeft},
      {vkLeft, shiftCtrl, ecSelWordLeft},
      {vkRight, none, ecRight},    {vkRight, shift, ecSelRight},    {vkRight, ctrl, ecWordRight},
      {vkRight, shiftCtrl, ecSelWordRight},
      {vkNext, none, ecPageDown},  {vkNext, shift, ecSelPageDown},  {vkNext, ctrl, ecPageBottom},
      {vkNext, shiftCtrl, ecSelPageBottom},
      {vkPrior, none, ecPageUp},   {vkPrior, shift, ecSelPageUp},   {vkPrior, ctrl, ecPageTop},
      {vkPrior, shiftCtrl, ecSelPageTop},
      {vkHome, none, ecLineStart}, {vkHome, shift, ecSelLineStart}, {vkHome, ctrl, ecEditorTop},
      {vkHome, shiftCtrl, ecSelEditorTop},
      {vkEnd, none, ecLineEnd},    {vkEnd, shift, ecSelLineEnd},    {vkEnd, ctrl, ecEditorBottom},
      {vkEnd, shiftCtrl, ecSelEditorBottom},
      {vkInsert, none, ecToggleMode},
      {vkInsert, ctrl, ecCopy},
      {vkInsert, shift, ecPaste},
      {vkDelete, none, ecDeleteChar},
      {vkDelete, shift, ecCut},
      {vkBack, none, ecDeleteLastChar},
      {vkBack, ctrl, ecDeleteLastWord},
      {vkBack, alt, ecUndo},
      {vkBack, shiftAlt, ecRedo},
      {vkReturn, none, ecLineBreak},
      {'A', ctrl, ecSelectAll},
      {'C', ctrl, ecCopy},
      {'I', shiftCtrl, ecBlockIndent},
      {'M', ctrl, ecLineBreak},
      {'N', ctrl, ecInsertLine},
      {'T', ctrl, ecDeleteWord},
      {'U', shiftCtrl, ecBlockUnindent},
      {'V', ctrl, ecPaste},
      {'X', ctrl, ecCut},
      {'Y', ctrl, ecDeleteLine},
      {'Y', shiftCtrl, ecDeleteEOL},
      {'Z', ctrl, ecUndo},
      {'Z', shiftCtrl, ecRedo},
  };
  for (int i = 0; i < 10; ++i)
    defaults.push_back({static_cast<std::uint16_t>('0' + i), ctrl, static_cast<TmwEditorCommand>(ecGotoMarker0 + i)});
  for (int i = 0; i < 10; ++i)
    defaults.push_back({static_cast<std::uint16_t>('0' + i), shiftCtrl, static_cast<TmwEditorCommand>(ecSetMarker0 + i)});
  BeginUpdate();
  try {
    Clear();
    // Stored directly: the defaults skip the duplicate test of SetShortCut.
    for (const TDefault& d : defaults) {
      TmwKeyStroke* k = Add();
      k->FKey = d.Key;
      k->FShift = d.Shift;
      k->FCommand = d.Command;
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}
