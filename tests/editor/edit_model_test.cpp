#include "editor/core/edit_model.h"

#include <gtest/gtest.h>

#include "classlib/core/stream.h"
#include "editor/core/dcj_cpp_syn.h"
#include "editor_test_util.h"

namespace {

using Lines = std::vector<std::string>;

TmwPoint Caret(const TmwEditModel& E) { return E.GetCaretXY(); }

// ---------------------------------------------------------------------------------------
// Main-window operations

TEST(EditModel, StartsWithOneEmptyLineAndDefaults) {
  TmwEditModel e;
  EXPECT_EQ(LinesOf(e), Lines{""});
  EXPECT_EQ(Caret(e), (TmwPoint{1, 1}));
  EXPECT_EQ(e.MaxUndo(), 10);
  EXPECT_TRUE(e.InsertMode());
  EXPECT_TRUE(e.ScrollPastEOL());
  EXPECT_FALSE(e.ReadOnly());
  EXPECT_EQ(e.Keystrokes()->Count(), 73);
  EXPECT_TRUE(e.BookMarkOptions().EnableKeys);
  EXPECT_EQ(e.BookMarkOptions().LeftMargin(), 2);
  EXPECT_EQ(e.BookMarkOptions().Xoffset(), 12);
}

TEST(EditModel, SelTextOverSeveralLines) {
  TmwEditModel e;
  Fill(e, {"abcd", "ef", "ghi"});
  e.SetBlockBegin({3, 1});
  e.SetBlockEnd({2, 3});
  EXPECT_EQ(e.GetSelText(), "cd\r\nef\r\ng");
  // Ordered whichever end was set first.
  e.SetBlockBegin({2, 3});
  e.SetBlockEnd({3, 1});
  EXPECT_EQ(e.GetSelText(), "cd\r\nef\r\ng");
  e.SetBlockBegin({2, 1});
  e.SetBlockEnd({4, 1});
  EXPECT_EQ(e.GetSelText(), "bc");
  // Past the end of a line there is nothing more to take.
  e.SetBlockBegin({3, 2});
  e.SetBlockEnd({9, 2});
  EXPECT_EQ(e.GetSelText(), "");
  e.SetBlockBegin({2, 2});
  EXPECT_EQ(e.GetSelText(), "");
}

TEST(EditModel, CaretToCharOffset) {
  TmwEditModel e;
  Fill(e, {"abcd", "efgh", "ij"}, 3, 3);
  struct {
    int Offset;
    TmwPoint Caret;
  } cases[] = {
      {1, {1, 1}}, {4, {4, 1}}, {6, {6, 1}},  // 6: the line break itself
      {7, {1, 2}}, {13, {1, 3}}, {14, {2, 3}}, {0, {1, 1}},
      {40, {28, 3}},  // beyond the text: the walk stops at the last line
  };
  for (auto& c : cases) {
    e.CaretToCharOffset(c.Offset);
    EXPECT_EQ(Caret(e), c.Caret) << c.Offset;
  }
  e.SetScrollPastEOL(false);
  e.CaretToCharOffset(40);
  EXPECT_EQ(Caret(e), (TmwPoint{3, 3}));
}

TEST(EditModel, LinesTextRoundTrip) {
  TmwEditModel e;
  e.SetLinesText("one\r\ntwo\nthree");
  EXPECT_EQ(LinesOf(e), (Lines{"one", "two", "three"}));
  EXPECT_EQ(e.LineCount(), 3);
  // The text comes back as it was read: a file without a final line break gains none.
  struct {
    const char* Text;
    int Count;
  } const Cases[] = {
      {"one\r\ntwo\r\nthree", 3}, {"one\r\ntwo\r\n", 2}, {"one\r\n\r\n", 2},
      {"one", 1},                 {"\r\n", 1},             {"", 0},
  };
  for (const auto& c : Cases) {
    e.SetLinesText(c.Text);
    EXPECT_EQ(e.LineCount(), c.Count) << c.Text;
    EXPECT_EQ(e.GetLinesText(), c.Text);
    TStringStream out;
    e.Lines()->SaveToStream(&out);
    EXPECT_EQ(out.DataString(), c.Text);
    TmwEditModel copy;
    copy.SetLines(e.Lines());
    EXPECT_EQ(copy.GetLinesText(), c.Text);
  }
  // Edits keep the ending: a line typed at the end of such a file still has no break.
  e.SetLinesText("last");
  e.SetCaretXY({5, 1});
  e.KeyPress('!');
  EXPECT_EQ(e.GetLinesText(), "last!");
  TStringStream file("a\r\nb");
  e.Lines()->LoadFromStream(&file);
  EXPECT_EQ(e.GetLinesText(), "a\r\nb");
}

TEST(EditModel, LinesFromStringsAndStreams) {
  TmwEditModel e;  // no window at all: the text is kept
  e.KeyPress('q');
  e.SetBookmark(0, 1, 1);
  TStringList src;
  src.Add("first");
  src.Add("second");
  e.SetLines(&src);
  EXPECT_EQ(LinesOf(e), (Lines{"first", "second"}));
  EXPECT_FALSE(e.CanUndo());
  EXPECT_EQ(e.Bookmark(0), nullptr);
  // Loading through the line store replaces the whole text the same way.
  e.KeyPress('z');
  TStringStream file("one\r\ntwo\r\n");
  e.Lines()->LoadFromStream(&file);
  EXPECT_EQ(LinesOf(e), (Lines{"one", "two"}));
  EXPECT_FALSE(e.CanUndo());
  TStringStream out;
  e.Lines()->SaveToStream(&out);
  EXPECT_EQ(out.DataString(), "one\r\ntwo\r\n");
  EXPECT_EQ(e.Lines()->Text(), "one\r\ntwo\r\n");
}

TEST(EditModel, SetLinesTextDropsSelectionBookmarksAndHistory) {
  TmwEditModel e;
  Fill(e, {"abc", "def"}, 4, 1);
  e.KeyPress('x');
  e.Undo();
  e.KeyPress('y');
  e.SetBookmark(1, 1, 2);
  e.SetBlockBegin({1, 1});
  e.SetBlockEnd({2, 2});
  e.SetLinesText("new\r\n");
  EXPECT_FALSE(e.SelAvail());
  EXPECT_EQ(e.Bookmark(1), nullptr);
  EXPECT_FALSE(e.CanUndo());
  EXPECT_FALSE(e.CanRedo());
  e.Undo();
  EXPECT_EQ(LinesOf(e), Lines{"new"});
}

TEST(EditModel, ClearAll) {
  TmwEditModel e;
  Fill(e, {"abc", "def"}, 3, 2);
  e.KeyPress('x');
  e.SetModified(false);
  e.SetBookmark(2, 1, 2);
  e.ClearAll();
  EXPECT_EQ(LinesOf(e), Lines{""});
  EXPECT_EQ(Caret(e), (TmwPoint{1, 1}));
  EXPECT_FALSE(e.SelAvail());
  EXPECT_FALSE(e.CanUndo());
  EXPECT_EQ(e.Bookmark(2), nullptr);
  EXPECT_FALSE(e.Modified());
  e.Undo();
  EXPECT_EQ(LinesOf(e), Lines{""});
}

TEST(EditModel, SetSelTextIsOneUndoStep) {
  TmwEditModel e;
  Fill(e, {"hello world", "second"});
  e.SetBlockBegin({7, 1});
  e.SetBlockEnd({3, 2});
  e.SetSelText("THERE\r\nmy");
  EXPECT_EQ(LinesOf(e), (Lines{"hello THERE", "mycond"}));
  EXPECT_EQ(Caret(e), (TmwPoint{3, 2}));
  EXPECT_FALSE(e.SelAvail());
  e.Undo();
  EXPECT_EQ(LinesOf(e), (Lines{"hello world", "second"}));
  EXPECT_FALSE(e.CanUndo());
  e.Redo();
  EXPECT_EQ(LinesOf(e), (Lines{"hello THERE", "mycond"}));
  // Without a selection it inserts at the caret.
  e.SetCaretXY({1, 1});
  e.SetSelText(">");
  EXPECT_EQ(LinesOf(e)[0], ">hello THERE");
  e.Undo();
  EXPECT_EQ(LinesOf(e)[0], "hello THERE");
}

TEST(EditModel, ClipboardOperations) {
  TmwEditModel e;
  TTestClipboard clip;
  e.SetClipboard(&clip);
  Fill(e, {"one two", "three"});
  e.CopyToClipboard();  // nothing selected: nothing copied
  EXPECT_FALSE(clip.HasTextFormat);
  e.SetBlockBegin({5, 1});
  e.SetBlockEnd({3, 2});
  e.CopyToClipboard();
  EXPECT_EQ(clip.Text, "two\r\nth");
  e.CutToClipboard();
  EXPECT_EQ(LinesOf(e), Lines{"one ree"});
  e.SetCaretXY({1, 1});
  e.PasteFromClipboard();
  EXPECT_EQ(LinesOf(e), (Lines{"two", "thone ree"}));
  e.Undo();
  e.Undo();
  EXPECT_EQ(LinesOf(e), (Lines{"one two", "three"}));

  // A clipboard without text (a picture, say) changes nothing and records nothing.
  TTestClipboard picture;
  e.SetClipboard(&picture);
  int records = e.UndoList().Count();
  e.PasteFromClipboard();
  EXPECT_EQ(LinesOf(e), (Lines{"one two", "three"}));
  EXPECT_EQ(e.UndoList().Count(), records);
}

TEST(EditModel, ReadOnlyRefusesEditsButNotUndo) {
  TmwEditModel e;
  TTestClipboard clip;
  clip.SetText("pasted");
  e.SetClipboard(&clip);
  Fill(e, {"abc"}, 4, 1);
  e.KeyPress('d');
  e.SetReadOnly(true);
  e.KeyPress('e');
  e.CommandProcessor(ecDeleteLastChar, 0, nullptr);
  e.CommandProcessor(ecLineBreak, 13, nullptr);
  e.CommandProcessor(ecPaste, 0, nullptr);
  e.SetBlockBegin({1, 1});
  e.SetBlockEnd({3, 1});
  e.CutToClipboard();
  EXPECT_EQ(clip.Text, "ab");
  e.PasteFromClipboard();
  EXPECT_EQ(LinesOf(e), Lines{"abcd"});
  e.CommandProcessor(ecUndo, 0, nullptr);
  EXPECT_EQ(LinesOf(e), Lines{"abc"});
}

// ---------------------------------------------------------------------------------------
// The command processor and its events

TEST(EditModel, ProcessCommandEvents) {
  TmwEditModel e;
  std::vector<TmwEditorCommand> seen, user;
  e.OnProcessCommand = [&](TObject* Sender, TmwEditorCommand& Command, char& AChar, void*) {
    EXPECT_EQ(Sender, &e);
    seen.push_back(Command);
    if (Command == ecChar && AChar == 'q') Command = ecNone;
    if (Command == ecChar && AChar == 'a') AChar = 'X';
  };
  e.OnProcessUserCommand = [&](TObject*, TmwEditorCommand& Command, char&, void*) { user.push_back(Command); };
  e.KeyPress('q');
  e.KeyPress('a');
  e.CommandProcessor(1001, 'z', nullptr);
  e.CommandProcessor(2500, 'z', nullptr);
  EXPECT_EQ(LinesOf(e), Lines{"X"});
  EXPECT_EQ(seen, (std::vector<TmwEditorCommand>{ecChar, ecChar}));
  EXPECT_EQ(user, (std::vector<TmwEditorCommand>{1001, 2500}));
  EXPECT_EQ(e.UndoList().Count(), 1);
}

TEST(EditModel, TypingControlCharactersInsertsNothing) {
  TmwEditModel e;
  for (char c : {'\t', '\b', '\r', '\n', '\x1b', '\x7f'}) e.KeyPress(c);
  EXPECT_EQ(LinesOf(e), Lines{""});
  EXPECT_FALSE(e.CanUndo());
  EXPECT_FALSE(e.Modified());
  e.KeyPress('\xE9');  // a Cyrillic letter in 1251
  EXPECT_EQ(LinesOf(e), Lines{"\xE9"});
}

TEST(EditModel, TypingPastTheEndPadsAndScrolls) {
  TmwEditModel e;
  Fill(e, {"ab"}, 5, 1);
  e.SetWindowSize(10, 5);
  e.SetScrollPastEOL(false);
  e.SetCaretX(5);  // pulled back to the end of the line
  EXPECT_EQ(e.GetCaretX(), 3);
  e.SetScrollPastEOL(true);
  e.SetCaretX(6);
  e.KeyPress('x');
  EXPECT_EQ(LinesOf(e), Lines{"ab   x"});
  EXPECT_EQ(e.GetCaretX(), 7);
  for (char c : std::string("1234")) e.KeyPress(c);
  EXPECT_EQ(e.GetCaretX(), 11);
  EXPECT_EQ(e.LeftChar(), 10);  // moved right by min(25, CharsInWindow - 1)
  // A blank typed at the end of a line is trimmed away: no change, nothing to undo.
  e.SetCaretX(12);
  int records = e.UndoList().Count();
  e.KeyPress(' ');
  EXPECT_EQ(e.UndoList().Count(), records);
  EXPECT_EQ(e.GetCaretX(), 13);
}

TEST(EditModel, OverwriteModeAndUndo) {
  TmwEditModel e;
  Fill(e, {"abc"}, 2, 1);
  e.CommandProcessor(ecToggleMode, 0, nullptr);
  EXPECT_FALSE(e.InsertMode());
  e.KeyPress('X');
  EXPECT_EQ(LinesOf(e), Lines{"aXc"});
  EXPECT_EQ(e.GetCaretX(), 3);
  e.Undo();
  EXPECT_EQ(LinesOf(e), Lines{"abc"});
  EXPECT_EQ(e.GetCaretX(), 2);
  e.Redo();
  EXPECT_EQ(LinesOf(e), Lines{"aXc"});
  e.CommandProcessor(ecInsertMode, 0, nullptr);
  EXPECT_TRUE(e.InsertMode());
  e.CommandProcessor(ecOverwriteMode, 0, nullptr);
  EXPECT_FALSE(e.InsertMode());
}

TEST(EditModel, TypingOverSelectionIsOneUndoStep) {
  TmwEditModel e;
  Fill(e, {"one two", "three"});
  e.SetBlockBegin({5, 1});
  e.SetBlockEnd({3, 2});
  e.KeyPress('#');
  EXPECT_EQ(LinesOf(e), Lines{"one #ree"});
  EXPECT_EQ(Caret(e), (TmwPoint{6, 1}));
  e.Undo();
  EXPECT_EQ(LinesOf(e), (Lines{"one two", "three"}));
  EXPECT_FALSE(e.CanUndo());
}

TEST(EditModel, LineBreakCases) {
  struct {
    const char* Name;
    Lines Before;
    TmwPoint At;
    Lines After;
    TmwPoint Caret;
  } cases[] = {
      {"inside the indent", {"    word"}, {5, 1}, {"", "    word"}, {5, 2}},
      {"after the indent", {"    ab cd"}, {8, 1}, {"    ab", "    cd"}, {5, 2}},
      {"trims the split point", {"ab   cd"}, {4, 1}, {"ab", "  cd"}, {1, 2}},
      {"at column 1", {"  xy"}, {1, 1}, {"", "  xy"}, {1, 2}},
      {"at the end", {"  xy"}, {5, 1}, {"  xy", ""}, {3, 2}},
      {"past the end", {"  xy"}, {9, 1}, {"  xy", ""}, {3, 2}},
      {"on an empty line", {"   a", ""}, {1, 2}, {"   a", "", ""}, {4, 3}},
      {"empty first line", {""}, {1, 1}, {"", ""}, {1, 2}},
  };
  for (auto& c : cases) {
    TmwEditModel e;
    Fill(e, c.Before, c.At.X, c.At.Y);
    e.CommandProcessor(ecLineBreak, '\r', nullptr);
    EXPECT_EQ(LinesOf(e), c.After) << c.Name;
    EXPECT_EQ(Caret(e), c.Caret) << c.Name;
    // Undone exactly, on the first line too; redone the same.
    e.Undo();
    EXPECT_EQ(LinesOf(e), c.Before) << c.Name;
    EXPECT_EQ(Caret(e), c.At) << c.Name;
    e.Redo();
    EXPECT_EQ(LinesOf(e), c.After) << c.Name;
    EXPECT_EQ(Caret(e), c.Caret) << c.Name;
    // ecInsertLine splits the same way and leaves the caret.
    TmwEditModel f;
    Fill(f, c.Before, c.At.X, c.At.Y);
    f.CommandProcessor(ecInsertLine, 0, nullptr);
    EXPECT_EQ(LinesOf(f), c.After) << c.Name;
    EXPECT_EQ(Caret(f), c.At) << c.Name;
    f.Undo();
    EXPECT_EQ(LinesOf(f), c.Before) << c.Name;
  }
}

TEST(EditModel, BackspaceUnindents) {
  struct {
    const char* Name;
    Lines Before;
    TmwPoint At;
    std::string After;
    int CaretX;
  } cases[] = {
      {"below an indent of 2", {"x", "  y", "    z"}, {5, 3}, "  z", 3},
      {"below no indent", {"x", "y", "    z"}, {5, 3}, "z", 1},
      {"nearest less-indented line", {"z", " a", "   b", "     c"}, {6, 4}, "   c", 4},
      {"first line counts", {"  a", "      b", "      c"}, {7, 3}, "  c", 3},
      {"nothing less indented: column 1", {"    a", "    b", "    c"}, {5, 3}, "c", 1},
      {"second line", {"    a", "    b"}, {5, 2}, "b", 1},
      {"blank line of spaces", {"  a", "      "}, {7, 2}, "", 3},
  };
  for (auto& c : cases) {
    TmwEditModel e;
    Fill(e, c.Before, c.At.X, c.At.Y);
    e.CommandProcessor(ecDeleteLastChar, 0, nullptr);
    EXPECT_EQ(LinesOf(e)[c.At.Y - 1], c.After) << c.Name;
    EXPECT_EQ(e.GetCaretX(), c.CaretX) << c.Name;
    e.Undo();
    EXPECT_EQ(LinesOf(e), c.Before) << c.Name;
  }
}

TEST(EditModel, BackspaceAndDelete) {
  TmwEditModel e;
  Fill(e, {"abc  ", "de"}, 3, 1);
  e.CommandProcessor(ecDeleteLastChar, 0, nullptr);
  EXPECT_EQ(LinesOf(e), (Lines{"ac", "de"}));  // the line is stored trimmed
  EXPECT_EQ(e.GetCaretX(), 2);
  e.Undo();
  EXPECT_EQ(LinesOf(e), (Lines{"abc  ", "de"}));  // trailing blanks come back too
  EXPECT_EQ(e.GetCaretX(), 3);

  // Past the end of the line only the caret moves: no undo records.
  e.SetCaretXY({9, 2});
  int records = e.UndoList().Count();
  e.CommandProcessor(ecDeleteLastChar, 0, nullptr);
  e.CommandProcessor(ecDeleteLastChar, 0, nullptr);
  EXPECT_EQ(Caret(e), (TmwPoint{7, 2}));
  EXPECT_EQ(e.UndoList().Count(), records);

  // Delete within a line, then at the end joining the next line (padded to the caret).
  e.SetCaretXY({1, 2});
  e.CommandProcessor(ecDeleteChar, 0, nullptr);
  EXPECT_EQ(LinesOf(e)[1], "e");
  e.SetCaretXY({8, 1});
  e.CommandProcessor(ecDeleteChar, 0, nullptr);
  EXPECT_EQ(LinesOf(e), (Lines{"abc    e"}));
  e.SetCaretXY({9, 1});
  e.CommandProcessor(ecDeleteChar, 0, nullptr);  // past the end with no next line: nothing
  EXPECT_EQ(LinesOf(e), (Lines{"abc    e"}));
  e.Undo();
  e.Undo();
  EXPECT_EQ(LinesOf(e), (Lines{"abc  ", "de"}));

  // Column 1 of line 1: nothing to join.
  e.SetCaretXY({1, 1});
  e.CommandProcessor(ecDeleteLastChar, 0, nullptr);
  EXPECT_EQ(LinesOf(e), (Lines{"abc  ", "de"}));
}

TEST(EditModel, BackspaceAtColumnOneJoinsAndMovesBookmarks) {
  TmwEditModel e;
  Fill(e, {"l1", "l2", "l3", "l4", "l5"});
  e.SetBookmark(3, 1, 3);
  e.SetBookmark(5, 1, 5);
  e.SetCaretXY({1, 3});
  e.CommandProcessor(ecDeleteLastChar, 0, nullptr);
  EXPECT_EQ(LinesOf(e), (Lines{"l1", "l2l3", "l4", "l5"}));
  EXPECT_EQ(Caret(e), (TmwPoint{3, 2}));
  EXPECT_EQ(e.Bookmark(3)->Line(), 2);
  EXPECT_EQ(e.Bookmark(5)->Line(), 4);
  e.Undo();
  EXPECT_EQ(LinesOf(e), (Lines{"l1", "l2", "l3", "l4", "l5"}));
  EXPECT_EQ(Caret(e), (TmwPoint{1, 3}));
  EXPECT_EQ(e.Bookmark(5)->Line(), 5);
}

TEST(EditModel, DeleteMovesBookmarksOnlyWhenJoining) {
  TmwEditModel e;
  Fill(e, {"a1", "b2", "c3", "d4"});
  e.SetBookmark(0, 1, 2);
  e.SetBookmark(1, 1, 4);
  e.SetCaretXY({1, 2});
  e.CommandProcessor(ecDeleteChar, 0, nullptr);
  EXPECT_EQ(e.Bookmark(0)->Line(), 2);
  EXPECT_EQ(e.Bookmark(1)->Line(), 4);
  e.SetCaretXY({2, 2});
  e.CommandProcessor(ecDeleteChar, 0, nullptr);
  EXPECT_EQ(LinesOf(e), (Lines{"a1", "2c3", "d4"}));
  EXPECT_EQ(e.Bookmark(1)->Line(), 3);
}

TEST(EditModel, DeleteLine) {
  TmwEditModel e;
  Fill(e, {"one", "two", "three"}, 2, 3);
  e.SetBookmark(7, 1, 1);
  e.CommandProcessor(ecDeleteLine, 0, nullptr);
  EXPECT_EQ(LinesOf(e), (Lines{"one", "two"}));
  EXPECT_EQ(Caret(e), (TmwPoint{2, 2}));
  e.Undo();  // the last line comes back after the others
  EXPECT_EQ(LinesOf(e), (Lines{"one", "two", "three"}));
  EXPECT_EQ(Caret(e), (TmwPoint{2, 3}));

  // Bookmarks below the deleted line follow their lines up.
  e.SetBookmark(8, 1, 3);
  e.SetCaretXY({1, 2});
  e.CommandProcessor(ecDeleteLine, 0, nullptr);
  EXPECT_EQ(LinesOf(e), (Lines{"one", "three"}));
  EXPECT_EQ(e.Bookmark(8)->Line(), 2);
  EXPECT_EQ(e.Bookmark(7)->Line(), 1);

  // The only line: one empty line remains.
  TmwEditModel f;
  Fill(f, {"solo"});
  f.CommandProcessor(ecDeleteLine, 0, nullptr);
  EXPECT_EQ(LinesOf(f), Lines{""});
  f.Undo();
  EXPECT_EQ(LinesOf(f), Lines{"solo"});
}

TEST(EditModel, WordDeletes) {
  struct {
    TmwEditorCommand Command;
    Lines Before;
    TmwPoint At;
    Lines After;
    TmwPoint Caret;
  } cases[] = {
      {ecDeleteWord, {"foo bar baz"}, {5, 1}, {"foo baz"}, {5, 1}},
      {ecDeleteWord, {"foo bar"}, {2, 1}, {"fbar"}, {2, 1}},
      {ecDeleteWord, {"foo", "  bar"}, {4, 1}, {"foobar"}, {4, 1}},
      {ecDeleteLastWord, {"foo bar baz"}, {9, 1}, {"foo baz"}, {5, 1}},
      {ecDeleteLastWord, {"foo bar"}, {6, 1}, {"foo ar"}, {5, 1}},
      {ecDeleteLastWord, {"ab", "cd"}, {1, 2}, {"abcd"}, {3, 1}},
      {ecDeleteBOL, {"abc def"}, {5, 1}, {"def"}, {1, 1}},
      {ecDeleteEOL, {"abc def  "}, {4, 1}, {"abc"}, {4, 1}},
  };
  for (auto& c : cases) {
    TmwEditModel e;
    Fill(e, c.Before, c.At.X, c.At.Y);
    e.CommandProcessor(c.Command, 0, nullptr);
    EXPECT_EQ(LinesOf(e), c.After) << EditorCommandToText(c.Command) << " " << c.Before[0];
    EXPECT_EQ(Caret(e), c.Caret) << EditorCommandToText(c.Command) << " " << c.Before[0];
    e.Undo();
    EXPECT_EQ(LinesOf(e), c.Before) << EditorCommandToText(c.Command);
    EXPECT_EQ(Caret(e), c.At) << EditorCommandToText(c.Command);
  }
}

TEST(EditModel, WordMoves) {
  struct {
    TmwEditorCommand Command;
    TmwPoint From;
    TmwPoint To;
  } cases[] = {
      {ecWordRight, {1, 1}, {5, 1}},    // "foo bar" -> bar
      {ecWordRight, {5, 1}, {8, 1}},    // last word: end of the line
      {ecWordRight, {8, 1}, {1, 2}},    // end of line: next line is blank -> column 1
      {ecWordRight, {1, 2}, {3, 3}},    // blank line: past its end, to the first word below
      {ecWordRight, {7, 3}, {7, 3}},    // end of the last line
      {ecWordRight, {4, 1}, {5, 1}},
      {ecWordLeft, {7, 1}, {5, 1}},
      {ecWordLeft, {5, 1}, {1, 1}},
      {ecWordLeft, {1, 3}, {1, 2}},     // column 1: end of the previous line
      {ecWordLeft, {3, 3}, {1, 2}},     // only blanks left of it
      {ecWordLeft, {1, 1}, {1, 1}},
      {ecWordLeft, {40, 1}, {5, 1}},    // beyond the end counts as the end
  };
  TmwEditModel e;
  Fill(e, {"foo bar", "", "  baz"});
  for (auto& c : cases) {
    e.SetCaretXY(c.From);
    e.CommandProcessor(c.Command, 0, nullptr);
    EXPECT_EQ(Caret(e), c.To) << EditorCommandToText(c.Command) << " from " << c.From.X << "," << c.From.Y;
  }
  // With a highlighter, words are its identifier characters: "a.b" is two words.
  TTestHighlighter hl;
  TmwEditModel f;
  f.SetHighLighter(&hl);
  Fill(f, {"a.b c"});
  f.CommandProcessor(ecWordRight, 0, nullptr);
  EXPECT_EQ(Caret(f), (TmwPoint{5, 1}));  // the test highlighter keeps 33..255
}

// ---------------------------------------------------------------------------------------
// Mouse selection and drag and drop

TEST(EditModel, DoubleClickSelectsAWord) {
  struct {
    TmwPoint At;
    const char* Word;  // nullptr: nothing selected
  } cases[] = {
      {{6, 1}, "alpha"},   // inside a word
      {{8, 1}, "alpha"},   // the blank between two words: the word on its left
      {{1, 2}, "first"},   // leading blanks: the first word of the line
      {{40, 1}, "beta"},   // past the end: the last word
      {{1, 3}, nullptr},   // an empty line
      {{2, 4}, nullptr},   // no word character at all
  };
  TmwEditModel e;
  Fill(e, {"  alpha  beta", "   first second", "", " ;; "});
  TDcjCppSyn cpp(nullptr);
  e.SetHighLighter(&cpp);
  for (auto& c : cases) {
    e.SetCaretXY({1, 1});
    e.SetBlockBegin({1, 1});
    e.SelectWordAt(c.At);
    EXPECT_EQ(e.GetSelText(), c.Word ? c.Word : "") << c.At.X << "," << c.At.Y;
    if (c.Word) EXPECT_EQ(Caret(e), e.GetBlockEnd());
  }
  // Without a highlighter every character from 33 on belongs to words.
  TmwEditModel f;
  Fill(f, {"a.b c"});
  f.SelectWordAt({2, 1});
  EXPECT_EQ(f.GetSelText(), "a.b");
}

TEST(EditModel, DropMovesOrCopiesTheSelection) {
  struct {
    const char* Name;
    Lines Text;
    TmwPoint Begin, End, Drop;
    bool Copy;
    Lines After;
  } cases[] = {
      {"first three to the end of the line", {"abcdef"}, {1, 1}, {4, 1}, {7, 1}, false, {"defabc"}},
      {"later on the selection's last line", {"one two", "three four"}, {5, 1}, {3, 2}, {7, 2}, false,
       {"one ree two", "thfour"}},
      {"below the selection", {"ab", "cd", "ef"}, {1, 1}, {1, 2}, {2, 3}, false, {"cd", "eab", "f"}},
      {"before the selection", {"abc def"}, {5, 1}, {8, 1}, {1, 1}, false, {"defabc"}},
      {"past the end of a line", {"ab", "c"}, {1, 1}, {2, 1}, {4, 2}, false, {"b", "c  a"}},
      {"a copy", {"abcdef"}, {1, 1}, {4, 1}, {7, 1}, true, {"abcdefabc"}},
  };
  for (auto& c : cases) {
    TmwEditModel e;
    Fill(e, c.Text);
    e.SetBlockBegin(c.Begin);
    e.SetBlockEnd(c.End);
    e.DropSelection(c.Drop, c.Copy);
    EXPECT_EQ(LinesOf(e), c.After) << c.Name;
    // One undo step takes back the whole drop; redo does it again.
    e.Undo();
    EXPECT_EQ(LinesOf(e), c.Text) << c.Name;
    EXPECT_FALSE(e.CanUndo()) << c.Name;
    e.Redo();
    EXPECT_EQ(LinesOf(e), c.After) << c.Name;
  }
}

TEST(EditModel, DropInsideTheSelectionOrReadOnlyDoesNothing) {
  TmwEditModel e;
  Fill(e, {"abcdef", "ghi"});
  e.SetBlockBegin({2, 1});
  e.SetBlockEnd({2, 2});
  for (TmwPoint d : {TmwPoint{2, 1}, TmwPoint{5, 1}, TmwPoint{1, 2}, TmwPoint{2, 2}}) {
    e.DropSelection(d, false);
    e.DropSelection(d, true);
  }
  e.SetReadOnly(true);
  e.DropSelection({3, 2}, false);
  EXPECT_EQ(LinesOf(e), (Lines{"abcdef", "ghi"}));
  EXPECT_FALSE(e.CanUndo());
  EXPECT_TRUE(e.SelAvail());
}

TEST(EditModel, CaretMoves) {
  TmwEditModel e;
  Fill(e, {"abc", "de", "fghij", "k"}, 2, 2);
  e.SetWindowSize(20, 2);
  auto run = [&](TmwEditorCommand c) { e.CommandProcessor(c, 0, nullptr); };
  run(ecRight);
  EXPECT_EQ(Caret(e), (TmwPoint{3, 2}));
  run(ecRight);  // past the end is allowed with ScrollPastEOL
  EXPECT_EQ(Caret(e), (TmwPoint{4, 2}));
  run(ecLineEnd);
  EXPECT_EQ(Caret(e), (TmwPoint{3, 2}));
  run(ecLineStart);
  EXPECT_EQ(Caret(e), (TmwPoint{1, 2}));
  run(ecDown);
  EXPECT_EQ(Caret(e), (TmwPoint{1, 3}));
  run(ecEditorBottom);
  EXPECT_EQ(Caret(e), (TmwPoint{2, 4}));
  EXPECT_EQ(e.TopLine(), 3);
  run(ecPageTop);
  EXPECT_EQ(Caret(e), (TmwPoint{2, 3}));
  run(ecEditorTop);
  EXPECT_EQ(Caret(e), (TmwPoint{1, 1}));
  run(ecPageDown);  // both move by a window's height, the top line at most to the last line
  EXPECT_EQ(Caret(e), (TmwPoint{1, 3}));
  EXPECT_EQ(e.TopLine(), 4);
  run(ecPageUp);
  EXPECT_EQ(Caret(e), (TmwPoint{1, 1}));
  EXPECT_EQ(e.TopLine(), 2);
  run(ecUp);
  EXPECT_EQ(Caret(e), (TmwPoint{1, 1}));
  TmwPoint target{4, 3};
  e.CommandProcessor(ecGotoXY, 0, &target);
  EXPECT_EQ(Caret(e), target);
  e.CommandProcessor(ecGotoXY, 0, nullptr);  // no point: nothing
  EXPECT_EQ(Caret(e), target);

  // Without ScrollPastEOL, Left and Right wrap at the line ends.
  e.SetScrollPastEOL(false);
  e.SetCaretXY({1, 1});
  run(ecLeft);
  EXPECT_EQ(Caret(e), (TmwPoint{1, 1}));
  e.SetCaretXY({4, 1});
  run(ecRight);
  EXPECT_EQ(Caret(e), (TmwPoint{1, 2}));
  run(ecLeft);
  EXPECT_EQ(Caret(e), (TmwPoint{4, 1}));
  e.SetCaretXY({2, 4});
  run(ecRight);
  run(ecRight);  // the last line: stays at its end
  EXPECT_EQ(Caret(e), (TmwPoint{2, 4}));
}

TEST(EditModel, SelectingMoves) {
  TmwEditModel e;
  Fill(e, {"abc", "defg", "hi"}, 2, 1);
  auto run = [&](TmwEditorCommand c) { e.CommandProcessor(c, 0, nullptr); };
  run(ecSelRight);
  run(ecSelRight);
  EXPECT_EQ(e.GetSelText(), "bc");
  run(ecSelDown);
  EXPECT_EQ(e.GetSelText(), "bc\r\ndef");
  run(ecSelLeft);
  EXPECT_EQ(e.GetSelText(), "bc\r\nde");
  run(ecRight);  // a plain move drops the selection
  EXPECT_FALSE(e.SelAvail());
  // Selecting up from the first line selects nothing new.
  e.SetCaretXY({3, 1});
  run(ecSelUp);
  EXPECT_FALSE(e.SelAvail());
  run(ecSelLineStart);
  EXPECT_EQ(e.GetSelText(), "ab");
  run(ecSelectAll);
  EXPECT_EQ(e.GetSelText(), "abc\r\ndefg\r\nhi");
  EXPECT_EQ(Caret(e), (TmwPoint{3, 3}));
  e.SetCaretXY({1, 1});
  e.SetBlockBegin({1, 1});
  run(ecSelWordRight);
  EXPECT_EQ(e.GetSelText(), "abc");
  run(ecSelEditorBottom);
  EXPECT_EQ(e.GetSelText(), "abc\r\ndefg\r\nhi");
}

TEST(EditModel, Scrolling) {
  TmwEditModel e;
  Fill(e, Lines(30, "x"), 1, 1);
  e.SetWindowSize(10, 5);
  e.SetTopLine(100);
  EXPECT_EQ(e.TopLine(), 30);
  e.SetTopLine(0);
  EXPECT_EQ(e.TopLine(), 1);
  e.CommandProcessor(ecScrollDown, 0, nullptr);
  e.CommandProcessor(ecScrollDown, 0, nullptr);
  EXPECT_EQ(e.TopLine(), 3);
  EXPECT_EQ(e.GetCaretY(), 3);
  e.SetCaretXY({1, 7});
  e.CommandProcessor(ecScrollUp, 0, nullptr);
  EXPECT_EQ(e.TopLine(), 2);
  EXPECT_EQ(e.GetCaretY(), 6);
  e.CommandProcessor(ecScrollRight, 0, nullptr);
  EXPECT_EQ(e.LeftChar(), 2);
  EXPECT_EQ(e.GetCaretX(), 2);
  e.SetCaretX(20);
  e.CommandProcessor(ecScrollLeft, 0, nullptr);
  EXPECT_EQ(e.LeftChar(), 1);
  EXPECT_EQ(e.GetCaretX(), 11);
  e.SetLeftChar(5000);
  EXPECT_EQ(e.LeftChar(), 1014);
  e.SetCaretXY({1, 25});
  e.EnsureCursorPosVisible();
  EXPECT_EQ(e.LeftChar(), 1);
  EXPECT_EQ(e.TopLine(), 21);
}

TEST(EditModel, Bookmarks) {
  TmwEditModel e;
  Fill(e, {"a", "b", "c", "d"}, 1, 2);
  auto run = [&](TmwEditorCommand c) { e.CommandProcessor(c, 0, nullptr); };
  run(ecSetMarker3);
  ASSERT_NE(e.Bookmark(3), nullptr);
  EXPECT_EQ(e.Bookmark(3)->Line(), 2);
  EXPECT_EQ(e.Bookmark(3)->ImageIndex(), 3);
  EXPECT_TRUE(e.Bookmark(3)->InternalImage());
  run(ecSetMarker3);  // the same line: toggled off
  EXPECT_EQ(e.Bookmark(3), nullptr);
  EXPECT_EQ(e.Marks().Count(), 0);
  run(ecSetMarker3);
  e.SetCaretXY({1, 4});
  run(ecSetMarker3);  // another line: moved there
  EXPECT_EQ(e.Bookmark(3)->Line(), 4);
  EXPECT_EQ(e.Marks().Count(), 1);

  // One bookmark per line.
  e.SetBookmark(4, 1, 1);
  e.SetBookmark(1, 1, 1);
  EXPECT_EQ(e.Bookmark(4), nullptr);
  EXPECT_EQ(e.Bookmark(1)->Line(), 1);

  e.SetCaretXY({1, 2});
  run(ecGotoMarker3);
  EXPECT_EQ(Caret(e), (TmwPoint{1, 4}));
  // Out of range numbers and lines are ignored.
  e.SetBookmark(10, 1, 1);
  e.SetBookmark(5, 1, 9);
  e.SetBookmark(-1, 1, 1);
  EXPECT_EQ(e.Marks().Count(), 2);
  // Keys can be switched off.
  e.BookMarkOptions().EnableKeys = false;
  run(ecSetMarker6);
  run(ecGotoMarker1);
  EXPECT_EQ(e.Bookmark(6), nullptr);
  EXPECT_EQ(Caret(e), (TmwPoint{1, 4}));

  // The placing handler may refuse a bookmark.
  e.OnPlaceBookmark = [](TObject*, TMark*& Mark) { Mark = nullptr; };
  e.SetBookmark(2, 1, 2);
  EXPECT_EQ(e.Bookmark(2), nullptr);
}

TEST(EditModel, EnterMovesBookmarksBelowTheCaret) {
  TmwEditModel e;
  Fill(e, {"ab", "cd", "ef"}, 2, 2);
  e.SetBookmark(1, 1, 1);
  e.SetBookmark(2, 1, 2);
  e.SetBookmark(3, 1, 3);
  e.CommandProcessor(ecLineBreak, 13, nullptr);
  EXPECT_EQ(e.Bookmark(1)->Line(), 1);
  EXPECT_EQ(e.Bookmark(2)->Line(), 2);
  EXPECT_EQ(e.Bookmark(3)->Line(), 4);
}

TEST(EditModel, BlockCommandsDoNothing) {
  TmwEditModel e;
  Fill(e, {"  a", "b"}, 1, 1);
  e.SetBlockBegin({1, 1});
  e.SetBlockEnd({2, 2});
  e.CommandProcessor(ecBlockIndent, 0, nullptr);
  e.CommandProcessor(ecBlockUnindent, 0, nullptr);
  EXPECT_EQ(LinesOf(e), (Lines{"  a", "b"}));
  EXPECT_FALSE(e.CanUndo());
}

TEST(EditModel, KeyboardPath) {
  TmwEditModel e;
  Fill(e, {"abc"}, 4, 1);
  e.KeyPress('d');
  std::uint16_t key = 8;  // Backspace with Alt: undo
  EXPECT_TRUE(e.KeyDown(key, {ssAlt}));
  EXPECT_EQ(key, 0);
  EXPECT_EQ(LinesOf(e), Lines{"abc"});
  key = 'Z';
  EXPECT_TRUE(e.KeyDown(key, {ssCtrl, ssShift}));
  EXPECT_EQ(LinesOf(e), Lines{"abcd"});
  key = 'Q';
  EXPECT_FALSE(e.KeyDown(key, {ssCtrl}));
  EXPECT_EQ(key, 'Q');
  // A binding to ecNone does not consume the key.
  e.Keystrokes()->Items(0)->SetCommand(ecNone);
  key = 38;
  EXPECT_FALSE(e.KeyDown(key, {}));
  EXPECT_EQ(key, 38);
  e.SetKeystrokes(nullptr);
  EXPECT_EQ(e.Keystrokes()->Count(), 0);
}

// ---------------------------------------------------------------------------------------
// Undo history

TEST(EditModel, UndoHistoryRules) {
  TmwEditModel e;
  Fill(e, {"abc"}, 4, 1);
  int changes = 0;
  e.OnChange = [&](TObject*) { ++changes; };
  e.Undo();  // nothing to undo
  EXPECT_EQ(changes, 0);
  EXPECT_FALSE(e.CanRedo());
  e.KeyPress('1');
  e.KeyPress('2');
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(e.Modified());
  e.Undo();
  EXPECT_TRUE(e.CanRedo());
  EXPECT_EQ(changes, 3);
  // A new edit drops the redo history: the old redo must never apply to other text.
  e.KeyPress('x');
  EXPECT_FALSE(e.CanRedo());
  e.Redo();
  EXPECT_EQ(LinesOf(e), Lines{"abc1x"});

  // A change that the editor did not record drops the history.
  e.Lines()->Put(0, "other");
  EXPECT_FALSE(e.CanUndo());
  e.KeyPress('y');
  e.Lines()->Add("more");
  EXPECT_FALSE(e.CanUndo());
  e.KeyPress('z');
  e.SetLineText("set");
  EXPECT_FALSE(e.CanUndo());
  e.KeyPress('w');
  e.Lines()->SetText("loaded\r\n");
  EXPECT_FALSE(e.CanUndo());
}

TEST(EditModel, MaxUndo) {
  TmwEditModel e;
  e.SetMaxUndo(3);
  for (char c : std::string("abcde")) e.KeyPress(c);
  EXPECT_EQ(e.UndoList().Count(), 3);
  for (int i = 0; i < 5; ++i) e.Undo();
  EXPECT_EQ(LinesOf(e), Lines{"ab"});
  e.SetMaxUndo(-4);  // ignored
  EXPECT_EQ(e.MaxUndo(), 3);
  e.SetMaxUndo(10);
  for (char c : std::string("12345678")) e.KeyPress(c);
  e.SetMaxUndo(2);
  EXPECT_EQ(e.UndoList().Count(), 2);
  e.Undo();
  e.Undo();
  e.Undo();
  EXPECT_EQ(LinesOf(e), Lines{"ab123456"});
  // No history at all: edits still mark the text modified.
  e.SetMaxUndo(0);
  e.SetModified(false);
  e.KeyPress('!');
  EXPECT_FALSE(e.CanUndo());
  EXPECT_TRUE(e.Modified());
}

TEST(EditModel, HighlighterAttachAndDetach) {
  TmwEditModel a, b;
  auto hl = std::make_unique<TTestHighlighter>();
  TTestHost host;
  a.SetHost(&host);
  a.SetHighLighter(hl.get());
  b.SetHighLighter(hl.get());
  EXPECT_EQ(hl->AttachedEdits().Count(), 2);
  int before = host.Invalidates;
  hl->GetAttribute(0)->SetForeground(clRed);  // a colour change repaints every editor
  EXPECT_GT(host.Invalidates, before);
  b.SetHighLighter(nullptr);
  EXPECT_EQ(hl->AttachedEdits().Count(), 1);
  hl.reset();  // destroying it detaches it
  EXPECT_EQ(a.HighLighter(), nullptr);
  a.KeyPress('x');
  EXPECT_EQ(LinesOf(a), Lines{"x"});
}

}  // namespace
