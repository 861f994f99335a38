// Editor commands and the key bindings that produce them. The editor never acts on raw
// keys: a key press is looked up here and the resulting command number is executed by the
// editor's command processor.
#pragma once

#include <cstdint>
#include <string>

#include "classlib/core/collection.h"
#include "classlib/core/exception.h"
#include "classlib/core/short_cut.h"
#include "classlib/core/typinfo.h"

using TmwEditorCommand = std::uint16_t;

// Moves 1-17; the same moves extending the selection are the move + 100.
constexpr TmwEditorCommand ecNone = 0;
constexpr TmwEditorCommand ecLeft = 1;
constexpr TmwEditorCommand ecRight = 2;
constexpr TmwEditorCommand ecUp = 3;
constexpr TmwEditorCommand ecDown = 4;
constexpr TmwEditorCommand ecWordLeft = 5;
constexpr TmwEditorCommand ecWordRight = 6;
constexpr TmwEditorCommand ecLineStart = 7;
constexpr TmwEditorCommand ecLineEnd = 8;
constexpr TmwEditorCommand ecPageUp = 9;
constexpr TmwEditorCommand ecPageDown = 10;
constexpr TmwEditorCommand ecPageLeft = 11;
constexpr TmwEditorCommand ecPageRight = 12;
constexpr TmwEditorCommand ecPageTop = 13;
constexpr TmwEditorCommand ecPageBottom = 14;
constexpr TmwEditorCommand ecEditorTop = 15;
constexpr TmwEditorCommand ecEditorBottom = 16;
constexpr TmwEditorCommand ecGotoXY = 17;

constexpr TmwEditorCommand ecSelection = 100;
constexpr TmwEditorCommand ecSelLeft = ecLeft + ecSelection;
constexpr TmwEditorCommand ecSelRight = ecRight + ecSelection;
constexpr TmwEditorCommand ecSelUp = ecUp + ecSelection;
constexpr TmwEditorCommand ecSelDown = ecDown + ecSelection;
constexpr TmwEditorCommand ecSelWordLeft = ecWordLeft + ecSelection;
constexpr TmwEditorCommand ecSelWordRight = ecWordRight + ecSelection;
constexpr TmwEditorCommand ecSelLineStart = ecLineStart + ecSelection;
constexpr TmwEditorCommand ecSelLineEnd = ecLineEnd + ecSelection;
constexpr TmwEditorCommand ecSelPageUp = ecPageUp + ecSelection;
constexpr TmwEditorCommand ecSelPageDown = ecPageDown + ecSelection;
constexpr TmwEditorCommand ecSelPageLeft = ecPageLeft + ecSelection;
constexpr TmwEditorCommand ecSelPageRight = ecPageRight + ecSelection;
constexpr TmwEditorCommand ecSelPageTop = ecPageTop + ecSelection;
constexpr TmwEditorCommand ecSelPageBottom = ecPageBottom + ecSelection;
constexpr TmwEditorCommand ecSelEditorTop = ecEditorTop + ecSelection;
constexpr TmwEditorCommand ecSelEditorBottom = ecEditorBottom + ecSelection;
constexpr TmwEditorCommand ecSelGotoXY = ecGotoXY + ecSelection;
constexpr TmwEditorCommand ecSelectAll = 199;

constexpr TmwEditorCommand ecDeleteLastChar = 401;
constexpr TmwEditorCommand ecDeleteChar = 402;
constexpr TmwEditorCommand ecDeleteWord = 403;
constexpr TmwEditorCommand ecDeleteLastWord = 404;
constexpr TmwEditorCommand ecDeleteBOL = 405;
constexpr TmwEditorCommand ecDeleteEOL = 406;
constexpr TmwEditorCommand ecDeleteLine = 407;
constexpr TmwEditorCommand ecClearAll = 408;
constexpr TmwEditorCommand ecLineBreak = 409;
constexpr TmwEditorCommand ecInsertLine = 410;
constexpr TmwEditorCommand ecChar = 411;

constexpr TmwEditorCommand ecUndo = 601;
constexpr TmwEditorCommand ecRedo = 602;
constexpr TmwEditorCommand ecCut = 603;
constexpr TmwEditorCommand ecCopy = 604;
constexpr TmwEditorCommand ecPaste = 605;
constexpr TmwEditorCommand ecScrollUp = 606;
constexpr TmwEditorCommand ecScrollDown = 607;
constexpr TmwEditorCommand ecScrollLeft = 608;
constexpr TmwEditorCommand ecScrollRight = 609;
constexpr TmwEditorCommand ecInsertMode = 610;
constexpr TmwEditorCommand ecOverwriteMode = 611;
constexpr TmwEditorCommand ecToggleMode = 612;
constexpr TmwEditorCommand ecBlockIndent = 613;
constexpr TmwEditorCommand ecBlockUnindent = 614;

constexpr TmwEditorCommand ecGotoMarker0 = 701;
constexpr TmwEditorCommand ecGotoMarker1 = 702;
constexpr TmwEditorCommand ecGotoMarker2 = 703;
constexpr TmwEditorCommand ecGotoMarker3 = 704;
constexpr TmwEditorCommand ecGotoMarker4 = 705;
constexpr TmwEditorCommand ecGotoMarker5 = 706;
constexpr TmwEditorCommand ecGotoMarker6 = 707;
constexpr TmwEditorCommand ecGotoMarker7 = 708;
constexpr TmwEditorCommand ecGotoMarker8 = 709;
constexpr TmwEditorCommand ecGotoMarker9 = 710;
constexpr TmwEditorCommand ecSetMarker0 = 751;
constexpr TmwEditorCommand ecSetMarker1 = 752;
constexpr TmwEditorCommand ecSetMarker2 = 753;
constexpr TmwEditorCommand ecSetMarker3 = 754;
constexpr TmwEditorCommand ecSetMarker4 = 755;
constexpr TmwEditorCommand ecSetMarker5 = 756;
constexpr TmwEditorCommand ecSetMarker6 = 757;
constexpr TmwEditorCommand ecSetMarker7 = 758;
constexpr TmwEditorCommand ecSetMarker8 = 759;
constexpr TmwEditorCommand ecSetMarker9 = 760;

// Commands from here on belong to the editor's owner: they reach its user-command event
// and are never executed by the editor itself.
constexpr TmwEditorCommand ecUserFirst = 1001;

// Name <-> number. Names compare case-insensitively, as stored forms spell them freely.
bool EditorCommandToIdent(int Command, std::string& Ident);
bool IdentToEditorCommand(const std::string& Ident, int& Command);
// The name, or the number in decimal when the command has no name.
std::string EditorCommandToText(TmwEditorCommand Command);

// The integer-constant type of TmwEditorCommand: stored forms and property lists show
// commands by name.
const TTypeInfo* EditorCommandTypeInfo();

ZX_EXCEPTION(EmwKeyError, Exception);

// One key binding: a key with its shift state, and the command it runs.
class TmwKeyStroke : public TCollectionItem {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TmwKeyStroke(TCollection* Collection);

  // Copies key, shift and command; no duplicate test.
  void Assign(const TPersistent* Source) override;
  // "ecUndo - Ctrl+Z"; the command shows as a number when it has no name.
  std::string DisplayName() const override;

  std::uint16_t Key() const { return FKey; }
  void SetKey(std::uint16_t Value);
  TShiftState Shift() const { return FShift; }
  void SetShift(TShiftState Value);
  TmwEditorCommand Command() const { return FCommand; }
  void SetCommand(TmwEditorCommand Value);
  TShortCut ShortCut() const;
  // EmwKeyError "Shortcut already exists" when another binding of the collection has the
  // (non-zero) shortcut; nothing changes then.
  void SetShortCut(TShortCut Value);

private:
  friend class TmwKeyStrokes;
  std::uint16_t FKey = 0;
  TShiftState FShift;
  TmwEditorCommand FCommand = ecNone;
};

// The editor's key bindings.
class TmwKeyStrokes : public TCollection {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TmwKeyStrokes(TPersistent* AOwner);

  TmwKeyStroke* Add();
  TmwKeyStroke* Items(int Index) const;
  // The first binding (lowest index) of the key and shift state; -1 when none.
  int FindKeyAndShift(std::uint16_t Key, TShiftState Shift) const;
  int FindShortcut(TShortCut ShortCut) const;
  void Assign(const TPersistent* Source) override;
  // The 73 default bindings, in their order.
  void ResetDefaults();
};

