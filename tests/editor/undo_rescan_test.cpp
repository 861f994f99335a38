// The undo and redo lists, the randomized undo/redo round trip, and the rule that keeps
// the per-line scanner states current.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "editor/core/undo_list.h"
#include "editor_test_util.h"

namespace {

using Lines = std::vector<std::string>;

TEST(UndoList, RecordsAndLimits) {
  TUndoList list;
  int added = 0;
  list.OnAdded = [&] { ++added; };
  TmwPoint s, e;
  std::string t = "kept";
  EXPECT_EQ(list.GetChange(s, e, t), crNothing);
  EXPECT_EQ(t, "kept");
  EXPECT_EQ(list.PeekReason(), crNothing);

  // The earlier point becomes the start.
  list.AddChange(crDelete, {5, 2}, {3, 1}, "x");
  EXPECT_EQ(added, 1);
  EXPECT_EQ(list.PeekReason(), crDelete);
  EXPECT_EQ(list.GetChange(s, e, t), crDelete);
  EXPECT_EQ(s, (TmwPoint{3, 1}));
  EXPECT_EQ(e, (TmwPoint{5, 2}));
  EXPECT_EQ(t, "x");
  EXPECT_EQ(list.Count(), 0);

  list.SetMaxUndo(3);
  for (int i = 0; i < 5; ++i) list.AddChange(crInsert, {i, 1}, {i, 1}, std::to_string(i));
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.GetChange(s, e, t), crInsert);
  EXPECT_EQ(t, "4");
  list.SetMaxUndo(10);
  for (int i = 0; i < 8; ++i) list.AddChange(crLineBreak, {1, 1}, {1, 2}, std::to_string(i));
  EXPECT_EQ(list.Count(), 10);
  list.SetMaxUndo(2);
  EXPECT_EQ(list.Count(), 2);
  list.GetChange(s, e, t);
  EXPECT_EQ(t, "7");
  list.GetChange(s, e, t);
  EXPECT_EQ(t, "6");
  list.SetMaxUndo(-1);
  EXPECT_EQ(list.MaxUndo(), 2);
}

// The text as lines joined by CR LF: an empty store and one empty line read the same.
std::string Flat(const TmwEditModel& E) {
  std::string s;
  for (int i = 0; i < E.Lines()->Count(); ++i) {
    if (i) s += "\r\n";
    s += E.Lines()->Get(i);
  }
  return s;
}

// The ranges a full scan from the top gives.
std::vector<TmwRange> ScannedRanges(const TmwEditModel& E) {
  TTestHighlighter h;
  std::vector<TmwRange> r;
  h.ResetRange();
  for (int i = 0; i < E.Lines()->Count(); ++i) {
    r.push_back(h.GetRange());
    const std::string line = E.Lines()->Get(i);
    h.SetLine(line);
    while (!h.GetEol()) h.Next();
  }
  return r;
}

std::vector<TmwRange> StoredRanges(const TmwEditModel& E) {
  std::vector<TmwRange> r;
  for (int i = 0; i < E.Lines()->Count(); ++i) r.push_back(E.Lines()->GetRange(i));
  return r;
}

std::string RandomText(std::mt19937& Rng, const char* Alphabet, int MaxLines, int MaxLength) {
  std::string s;
  int lines = 1 + Rng() % MaxLines;
  for (int l = 0; l < lines; ++l) {
    if (l) s += "\r\n";
    int n = Rng() % (MaxLength + 1);
    for (int i = 0; i < n; ++i) s += Alphabet[Rng() % std::strlen(Alphabet)];
  }
  return s;
}

TEST(EditUndo, RandomEditsUndoAndRedoExactly) {
  std::mt19937 rng(20240611);
  const char* alphabet = "ab /*\t";
  for (int round = 0; round < 2000; ++round) {
    TmwEditModel e;
    TTestClipboard clip;
    TTestHighlighter hl;
    e.SetClipboard(&clip);
    e.SetMaxUndo(100);
    e.SetScrollPastEOL(rng() % 3 != 0);
    if (rng() % 2) e.SetHighLighter(&hl);
    e.SetLinesText(RandomText(rng, alphabet, 5, 8));
    std::vector<std::string> states{Flat(e)};
    int edits = 1 + rng() % 10;
    for (int attempt = 0; static_cast<int>(states.size()) <= edits && attempt < 200; ++attempt) {
      e.SetInsertMode(rng() % 4 != 0);
      e.SetCaretXY({1 + static_cast<int>(rng() % 12), 1 + static_cast<int>(rng() % (e.LineCount() + 1))});
      if (rng() % 4 == 0) {
        e.SetBlockBegin({1 + static_cast<int>(rng() % 12), 1 + static_cast<int>(rng() % std::max(1, e.LineCount()))});
        e.SetBlockEnd({1 + static_cast<int>(rng() % 12), 1 + static_cast<int>(rng() % std::max(1, e.LineCount()))});
      }
      int records = e.UndoList().Count();
      std::string op;
      switch (rng() % 13) {
        case 0:
        case 1: op = "type"; e.KeyPress(alphabet[rng() % std::strlen(alphabet)]); break;
        case 2: op = "backspace"; e.CommandProcessor(ecDeleteLastChar, 0, nullptr); break;
        case 3: op = "delete"; e.CommandProcessor(ecDeleteChar, 0, nullptr); break;
        case 4: op = "enter"; e.CommandProcessor(ecLineBreak, '\r', nullptr); break;
        case 5: op = "insert line"; e.CommandProcessor(ecInsertLine, 0, nullptr); break;
        case 6:
          op = "paste";
          clip.SetText(RandomText(rng, "a *\n", 3, 4));
          e.CommandProcessor(ecPaste, 0, nullptr);
          break;
        case 7: op = "delete line"; e.CommandProcessor(ecDeleteLine, 0, nullptr); break;
        case 8: op = "delete word"; e.CommandProcessor(ecDeleteWord, 0, nullptr); break;
        case 9: op = "delete last word"; e.CommandProcessor(ecDeleteLastWord, 0, nullptr); break;
        case 10: op = "delete to line start"; e.CommandProcessor(ecDeleteBOL, 0, nullptr); break;
        case 11: op = "delete to line end"; e.CommandProcessor(ecDeleteEOL, 0, nullptr); break;
        case 12: op = "set selected text"; e.SetSelText(RandomText(rng, "b/ ", 2, 3)); break;
      }
      std::string now = Flat(e);
      if (now != states.back()) {
        ASSERT_EQ(e.UndoList().Count(), records + 1) << op << " made " << e.UndoList().Count() - records << " records";
        states.push_back(now);
      } else {
        ASSERT_EQ(e.UndoList().Count(), records) << op << " recorded a change that changed nothing";
      }
      if (e.HighLighter()) {
        ASSERT_EQ(StoredRanges(e), ScannedRanges(e)) << "after " << op;
      }
    }
    for (int k = static_cast<int>(states.size()) - 1; k > 0; --k) {
      e.Undo();
      ASSERT_EQ(Flat(e), states[k - 1]) << "round " << round << ", undo to state " << k - 1;
      if (e.HighLighter()) {
        ASSERT_EQ(StoredRanges(e), ScannedRanges(e));
      }
    }
    ASSERT_FALSE(e.CanUndo());
    for (std::size_t k = 1; k < states.size(); ++k) {
      e.Redo();
      ASSERT_EQ(Flat(e), states[k]) << "round " << round << ", redo to state " << k;
    }
    ASSERT_FALSE(e.CanRedo());
  }
}

TEST(Rescan, BlockCommentOpenedAndClosedAtTheTop) {
  TmwEditModel e;
  TTestHighlighter hl;
  Fill(e, Lines(100, "text"));
  e.SetHighLighter(&hl);
  EXPECT_EQ(StoredRanges(e), std::vector<TmwRange>(100, 1));

  e.KeyPress('/');
  e.KeyPress('*');
  std::vector<TmwRange> inComment(100, 2);
  inComment[0] = 1;
  EXPECT_EQ(StoredRanges(e), inComment);

  e.CommandProcessor(ecDeleteLastChar, 0, nullptr);
  EXPECT_EQ(StoredRanges(e), std::vector<TmwRange>(100, 1));
  e.Undo();
  EXPECT_EQ(StoredRanges(e), inComment);
  e.Undo();
  e.Undo();
  EXPECT_EQ(StoredRanges(e), std::vector<TmwRange>(100, 1));
}

TEST(Rescan, StopsWhereTheStatesConverge) {
  TmwEditModel e;
  TTestHighlighter hl;
  Lines text(100, "text");
  text[49] = "end */ here";
  Fill(e, text, 1, 1);
  e.SetHighLighter(&hl);

  hl.SetLineCalls = 0;
  e.KeyPress('/');
  e.KeyPress('*');
  // Lines 1..49 are scanned anew; line 50 ends the comment, so line 51 already matches.
  EXPECT_EQ(hl.SetLineCalls, 1 + 50);
  std::vector<TmwRange> expected(100, 1);
  for (int i = 1; i <= 49; ++i) expected[i] = 2;
  EXPECT_EQ(StoredRanges(e), expected);

  // A change that leaves the state at the line's end as it was rescans that line alone.
  e.SetCaretXY({3, 70});
  hl.SetLineCalls = 0;
  e.KeyPress('y');
  EXPECT_EQ(hl.SetLineCalls, 1);
  e.SetCaretXY({3, 30});
  hl.SetLineCalls = 0;
  e.KeyPress('y');
  EXPECT_EQ(hl.SetLineCalls, 1);
}

TEST(Rescan, InsertedAndDeletedLinesAndReplacedText) {
  TmwEditModel e;
  TTestHighlighter hl;
  e.SetHighLighter(&hl);
  e.SetLinesText("a\r\n/* b\r\nc\r\nd */\r\ne\r\n");
  EXPECT_EQ(StoredRanges(e), (std::vector<TmwRange>{1, 1, 2, 2, 1}));
  // Lines added, inserted, deleted and replaced from outside keep the ranges current too.
  e.Lines()->Add("f");
  e.Lines()->Insert(0, "/*");
  EXPECT_EQ(StoredRanges(e), ScannedRanges(e));
  e.Lines()->Delete(0);
  e.Lines()->Put(3, "d");
  EXPECT_EQ(StoredRanges(e), ScannedRanges(e));
  e.Lines()->Delete(e.LineCount() - 1);
  EXPECT_EQ(StoredRanges(e), ScannedRanges(e));
  // A new highlighter scans the whole text.
  e.SetHighLighter(nullptr);
  e.SetLinesText("/*\r\nx\r\n");
  e.SetHighLighter(&hl);
  EXPECT_EQ(StoredRanges(e), (std::vector<TmwRange>{1, 2}));
  e.ClearAll();
  EXPECT_EQ(StoredRanges(e), (std::vector<TmwRange>{1}));
}

}  // namespace

namespace {

// A highlighter that (wrongly) reports 0 as a state.
class TZeroRange : public TTestHighlighter {
public:
  TmwRange GetRange() const override { return 0; }
};

#ifndef NDEBUG
TEST(RescanDeathTest, ZeroIsNeverAScannerState) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        TmwEditModel e;
        TZeroRange hl;
        e.SetLinesText("a\r\nb\r\n");
        e.SetHighLighter(&hl);
      },
      "never be 0");
}
#endif

}  // namespace
