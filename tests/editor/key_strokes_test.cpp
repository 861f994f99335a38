#include "editor/core/key_strokes.h"

#include <gtest/gtest.h>

#include "classlib/core/typinfo.h"

namespace {

constexpr std::uint16_t VK_BACK = 8, VK_RETURN = 13, VK_PRIOR = 33, VK_NEXT = 34, VK_END = 35, VK_HOME = 36,
                        VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40, VK_INSERT = 45, VK_DELETE = 46;

TEST(EditorCommands, NamesBothWays) {
  struct {
    int Value;
    const char* Name;
  } cases[] = {
      {ecNone, "ecNone"},           {ecLeft, "ecLeft"},           {ecGotoXY, "ecGotoXY"},
      {ecSelLeft, "ecSelLeft"},     {ecSelGotoXY, "ecSelGotoXY"}, {ecSelectAll, "ecSelectAll"},
      {401, "ecDeleteLastChar"},    {ecChar, "ecChar"},           {ecUndo, "ecUndo"},
      {ecBlockUnindent, "ecBlockUnindent"}, {1001, "ecUserFirst"}, {ecGotoMarker0, "ecGotoMarker0"},
      {710, "ecGotoMarker9"},       {ecSetMarker0, "ecSetMarker0"}, {760, "ecSetMarker9"},
  };
  for (auto& c : cases) {
    std::string ident;
    EXPECT_TRUE(EditorCommandToIdent(c.Value, ident)) << c.Name;
    EXPECT_EQ(ident, c.Name);
    int value = -1;
    EXPECT_TRUE(IdentToEditorCommand(c.Name, value)) << c.Name;
    EXPECT_EQ(value, c.Value);
  }
  int value = -1;
  EXPECT_TRUE(IdentToEditorCommand("ECSELLEFT", value));
  EXPECT_EQ(value, ecSelLeft);
  EXPECT_TRUE(IdentToEditorCommand("ecredo", value));
  EXPECT_EQ(value, ecRedo);
  EXPECT_FALSE(IdentToEditorCommand("ecNothing", value));
  std::string ident = "kept";
  EXPECT_FALSE(EditorCommandToIdent(1002, ident));
  EXPECT_EQ(ident, "kept");
  EXPECT_FALSE(EditorCommandToIdent(18, ident));
  EXPECT_EQ(EditorCommandToText(ecCopy), "ecCopy");
  EXPECT_EQ(EditorCommandToText(1002), "1002");
}

TEST(EditorCommands, EveryNamedCommandRoundTrips) {
  int named = 0;
  for (int v = 0; v < 2000; ++v) {
    std::string ident;
    if (!EditorCommandToIdent(v, ident)) continue;
    ++named;
    int back = -1;
    ASSERT_TRUE(IdentToEditorCommand(ident, back));
    EXPECT_EQ(back, v);
  }
  EXPECT_EQ(named, 82);
}

TEST(EditorCommands, CommandPropertyIsStoredByName) {
  TmwKeyStrokes keys(nullptr);
  TmwKeyStroke* k = keys.Add();
  k->SetCommand(ecSelWordLeft);
  EXPECT_EQ(GetPropText(k, "Command"), "ecSelWordLeft");
  SetPropText(k, "Command", "ecpaste");
  EXPECT_EQ(k->Command(), ecPaste);
  SetPropText(k, "Command", "1002");
  EXPECT_EQ(k->Command(), 1002);
  EXPECT_EQ(GetPropText(k, "Command"), "1002");
}

TEST(KeyStrokes, DefaultBindings) {
  const TShiftState none, S{ssShift}, C{ssCtrl}, A{ssAlt}, SC{ssShift, ssCtrl}, SA{ssShift, ssAlt};
  struct {
    std::uint16_t Key;
    TShiftState Shift;
    TmwEditorCommand Command;
  } expected[] = {
      {VK_UP, none, ecUp}, {VK_UP, S, ecSelUp}, {VK_UP, C, ecScrollUp},
      {VK_DOWN, none, ecDown}, {VK_DOWN, S, ecSelDown}, {VK_DOWN, C, ecScrollDown},
      {VK_LEFT, none, ecLeft}, {VK_LEFT, S, ecSelLeft}, {VK_LEFT, C, ecWordLeft}, {VK_LEFT, SC, ecSelWordLeft},
      {VK_RIGHT, none, ecRight}, {VK_RIGHT, S, ecSelRight}, {VK_RIGHT, C, ecWordRight},
      {VK_RIGHT, SC, ecSelWordRight},
      {VK_NEXT, none, ecPageDown}, {VK_NEXT, S, ecSelPageDown}, {VK_NEXT, C, ecPageBottom},
      {VK_NEXT, SC, ecSelPageBottom},
      {VK_PRIOR, none, ecPageUp}, {VK_PRIOR, S, ecSelPageUp}, {VK_PRIOR, C, ecPageTop}, {VK_PRIOR, SC, ecSelPageTop},
      {VK_HOME, none, ecLineStart}, {VK_HOME, S, ecSelLineStart}, {VK_HOME, C, ecEditorTop},
      {VK_HOME, SC, ecSelEditorTop},
      {VK_END, none, ecLineEnd}, {VK_END, S, ecSelLineEnd}, {VK_END, C, ecEditorBottom},
      {VK_END, SC, ecSelEditorBottom},
      {VK_INSERT, none, ecToggleMode}, {VK_INSERT, C, ecCopy}, {VK_INSERT, S, ecPaste},
      {VK_DELETE, none, ecDeleteChar}, {VK_DELETE, S, ecCut},
      {VK_BACK, none, ecDeleteLastChar}, {VK_BACK, C, ecDeleteLastWord}, {VK_BACK, A, ecUndo}, {VK_BACK, SA, ecRedo},
      {VK_RETURN, none, ecLineBreak},
      {'A', C, ecSelectAll}, {'C', C, ecCopy}, {'I', SC, ecBlockIndent}, {'M', C, ecLineBreak},
      {'N', C, ecInsertLine}, {'T', C, ecDeleteWord}, {'U', SC, ecBlockUnindent}, {'V', C, ecPaste},
      {'X', C, ecCut}, {'Y', C, ecDeleteLine}, {'Y', SC, ecDeleteEOL}, {'Z', C, ecUndo}, {'Z', SC, ecRedo},
      {'0', C, ecGotoMarker0}, {'1', C, ecGotoMarker1}, {'2', C, ecGotoMarker2}, {'3', C, ecGotoMarker3},
      {'4', C, ecGotoMarker4}, {'5', C, ecGotoMarker5}, {'6', C, ecGotoMarker6}, {'7', C, ecGotoMarker7},
      {'8', C, ecGotoMarker8}, {'9', C, ecGotoMarker9},
      {'0', SC, ecSetMarker0}, {'1', SC, ecSetMarker1}, {'2', SC, ecSetMarker2}, {'3', SC, ecSetMarker3},
      {'4', SC, ecSetMarker4}, {'5', SC, ecSetMarker5}, {'6', SC, ecSetMarker6}, {'7', SC, ecSetMarker7},
      {'8', SC, ecSetMarker8}, {'9', SC, ecSetMarker9},
  };
  TmwKeyStrokes keys(nullptr);
  keys.Add()->SetCommand(ecCopy);
  keys.ResetDefaults();
  ASSERT_EQ(keys.Count(), 73);
  ASSERT_EQ(std::size(expected), 73u);
  for (int i = 0; i < 73; ++i) {
    TmwKeyStroke* k = keys.Items(i);
    EXPECT_EQ(k->Key(), expected[i].Key) << i;
    EXPECT_EQ(k->Shift(), expected[i].Shift) << i;
    EXPECT_EQ(k->Command(), expected[i].Command) << i;
  }
  EXPECT_EQ(keys.Items(keys.FindKeyAndShift(VK_INSERT, C))->Command(), ecCopy);
  EXPECT_EQ(keys.FindKeyAndShift(VK_UP, A), -1);
  EXPECT_EQ(keys.FindKeyAndShift('Q', C), -1);
  EXPECT_EQ(keys.FindShortcut(ShortCut('Z', C)), keys.FindKeyAndShift('Z', C));
}

TEST(KeyStrokes, ShortcutDuplicates) {
  TmwKeyStrokes keys(nullptr);
  keys.ResetDefaults();
  TmwKeyStroke* undo = keys.Items(keys.FindKeyAndShift('Z', {ssCtrl}));
  TmwKeyStroke* fresh = keys.Add();
  fresh->SetCommand(1002);

  // Taken by another binding: refused, nothing changes.
  try {
    fresh->SetShortCut(ShortCut('Z', {ssCtrl}));
    FAIL() << "no error";
  } catch (const EmwKeyError& e) {
    EXPECT_EQ(e.Message(), "Shortcut already exists");
  }
  EXPECT_EQ(fresh->Key(), 0);
  EXPECT_TRUE(fresh->Shift().Empty());

  // Its own shortcut again, and zero (which several bindings may share), are fine.
  EXPECT_NO_THROW(undo->SetShortCut(undo->ShortCut()));
  EXPECT_NO_THROW(fresh->SetShortCut(scNone));
  keys.Add();
  EXPECT_NO_THROW(fresh->SetShortCut(scNone));

  fresh->SetShortCut(ShortCut('Q', {ssCtrl, ssShift}));
  EXPECT_EQ(fresh->Key(), 'Q');
  EXPECT_EQ(fresh->Shift(), (TShiftState{ssCtrl, ssShift}));
  EXPECT_EQ(fresh->DisplayName(), "1002 - Shift+Ctrl+Q");
  EXPECT_EQ(undo->DisplayName(), "ecUndo - Ctrl+Z");
  // No key: the collection item's own name.
  EXPECT_EQ(keys.Items(keys.Count() - 1)->DisplayName(), "TmwKeyStroke");
  // Assignment copies without the duplicate test.
  fresh->Assign(undo);
  EXPECT_EQ(fresh->ShortCut(), undo->ShortCut());
  EXPECT_EQ(fresh->Command(), ecUndo);
}

TEST(KeyStrokes, AssignCopiesEveryBinding) {
  TmwKeyStrokes a(nullptr), b(nullptr);
  a.ResetDefaults();
  b.Add()->SetCommand(ecUndo);
  b.Assign(&a);
  ASSERT_EQ(b.Count(), 73);
  for (int i = 0; i < 73; ++i) {
    EXPECT_EQ(b.Items(i)->ShortCut(), a.Items(i)->ShortCut());
    EXPECT_EQ(b.Items(i)->Command(), a.Items(i)->Command());
  }
}

}  // namespace
