// Frameset documents without windows: the FRAMESET tree the reader builds, ROWS and COLS
// sizes, link targets, and which frame's history takes a Back or Forward step.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "html/core/frame_model.h"
#include "html/core/html_parser.h"

namespace {

std::string Dump(const TFrameNode& N, int Indent = 0) {
  std::string out(std::size_t(Indent) * 2, ' ');
  if (N.IsSet) out += "set rows=" + N.Rows + " cols=" + N.Cols + " border=" + std::to_string(N.BorderWidth) + "\n";
  else
    out += "frame " + N.Name + " src=" + N.Source + " margins=" + std::to_string(N.MarginWidth) + "," +
           std::to_string(N.MarginHeight) + (N.NoScroll ? " noscroll" : "") + (N.NoReSize ? " noresize" : "") + "\n";
  for (const auto& c : N.Children) out += Dump(*c, Indent + 1);
  return out;
}

struct TParsedSet {
  TSectionList Doc{nullptr};
  THtmlParser Parser{Doc};
  TFrameNode Top{true};
  explicit TParsedSet(const std::string& Html) { Parser.ParseFrameSet(Html.data(), Html.size(), Top); }
};

TEST(FrameSetReader, BuildsTheTree) {
  TParsedSet p(
      "<html><head><title>Frames</title><base href=\"c:\\site\\\" target=main></head>"
      "<frameset rows=\"80,*\" border=2>"
      "  <frame name=top src=\"top.htm\" scrolling=no noresize marginwidth=3 marginheight=7>"
      "  <noframes><p>No frames here <frame name=hidden src=x.htm></noframes>"
      "  <frameset cols=\"30%,*\">"
      "    <frame name=Left src=\"left.htm\"><frame name=main src=\"main.htm#part\">"
      "  </frameset>"
      "</frameset><frameset><frame name=late></frameset>");
  EXPECT_EQ(p.Parser.Title, "Frames");
  EXPECT_EQ(p.Parser.BaseHref, "c:\\site\\");
  EXPECT_EQ(p.Parser.BaseTarget, "main");
  EXPECT_EQ(Dump(p.Top),
            "set rows=80,* cols= border=2\n"
            "  frame top src=top.htm margins=3,7 noscroll noresize\n"
            "  set rows= cols=30%,* border=2\n"
            "    frame Left src=left.htm margins=10,5\n"
            "    frame main src=main.htm#part margins=10,5\n");
}

TEST(FrameSetReader, DeepNestingIsCut) {
  std::string html;
  for (int i = 0; i < 10000; ++i) html += "<frameset rows=\"*\">";
  html += "<frame src=deep.htm>";
  TParsedSet p(html);
  int depth = 0;
  for (const TFrameNode* n = &p.Top; !n->Children.empty(); n = n->Children[0].get()) ++depth;
  EXPECT_LE(depth, THtmlParser::MaxNesting);
}

TEST(FrameSizes, PixelsPercentagesAndStars) {
  struct {
    const char* List;
    int Total;
    std::vector<int> Sizes;
  } cases[] = {
      {"", 300, {300}},
      {"100,*", 300, {100, 200}},
      {"25%,75%", 400, {100, 300}},
      {"*,2*", 300, {100, 200}},
      {"50, 20%, *, *", 500, {50, 100, 175, 175}},
      {"100,100", 400, {200, 200}},       // too little asked: scaled
      {"300,300,*", 400, {200, 200, 0}},  // too much: scaled, stars get nothing
      {"0,0", 3, {2, 1}},
      {"50%,x,*", 200, {100, 0, 100}},
  };
  for (const auto& c : cases) EXPECT_EQ(FrameSizes(c.List, c.Total), c.Sizes) << c.List;
}

TEST(FrameTargets, ResolveByNameAndKeyword) {
  // top set: frame "menu", nested set { frame "Main", frame "side" holding a frameset
  // document with frame "inner" }.
  TFrameNode top(true);
  TFrameNode* menu = top.Add(std::make_unique<TFrameNode>(false));
  menu->Name = "menu";
  TFrameNode* nested = top.Add(std::make_unique<TFrameNode>(true));
  TFrameNode* main = nested->Add(std::make_unique<TFrameNode>(false));
  main->Name = "Main";
  TFrameNode* side = nested->Add(std::make_unique<TFrameNode>(false));
  side->Name = "side";
  TFrameNode* sideSet = side->Add(std::make_unique<TFrameNode>(true));
  TFrameNode* inner = sideSet->Add(std::make_unique<TFrameNode>(false));
  inner->Name = "inner";

  struct {
    TFrameNode* Clicked;
    const char* Target;
    TTargetKind Kind;
    TFrameNode* Node;
  } cases[] = {
      {menu, "", ttSelf, menu},         {menu, "_SELF", ttSelf, menu},
      {menu, "main", ttNamed, main},    {inner, "MENU", ttNamed, menu},
      {main, "_top", ttTop, &top},      {menu, "_parent", ttParent, &top},
      {main, "_parent", ttParent, &top},  // its set is nested in the top set's document
      {inner, "_parent", ttParent, side},  // the frame that holds its frameset document
      {menu, "nowhere", ttUnknown, nullptr},
  };
  for (const auto& c : cases) {
    TTargetResult r = ResolveTarget(&top, c.Clicked, c.Target);
    EXPECT_EQ(r.Kind, c.Kind) << c.Target;
    EXPECT_EQ(r.Node, c.Node) << c.Target;
  }
  std::vector<TFrameNode*> frames;
  CollectFrames(&top, frames);
  EXPECT_EQ(frames, (std::vector<TFrameNode*>{menu, main, side, inner}));
  EXPECT_EQ(inner->DocumentDepth(), 1);
  EXPECT_EQ(main->DocumentDepth(), 0);
}

TEST(FrameHistory, StepsUndoInTheOrderMade) {
  TFrameHistory a, b;
  a.Record("a0.htm", {}, NextFrameSeq());
  b.Record("b0.htm", {}, NextFrameSeq());
  a.Record("a1.htm", {0, 40}, NextFrameSeq());  // a click in A
  b.Record("b1.htm", {2, 0}, NextFrameSeq());   // then one in B
  EXPECT_EQ(a.Entries[1].Position, (TViewPosition{0, 40}));  // the place left is kept
  std::vector<const TFrameHistory*> all{&a, &b};

  ASSERT_EQ(PickBackStep(all), 1);  // B first
  ++b.Index;
  ASSERT_EQ(PickBackStep(all), 0);  // then A
  ++a.Index;
  EXPECT_EQ(PickBackStep(all), -1);  // then the frame-set history
  ASSERT_EQ(PickForwardStep(all), 0);  // redo A first
  --a.Index;
  ASSERT_EQ(PickForwardStep(all), 1);
  --b.Index;
  EXPECT_EQ(PickForwardStep(all), -1);

  // A new step drops what lay ahead.
  ++a.Index;
  a.DropForward();
  EXPECT_EQ(a.Index, 0);
  EXPECT_EQ(a.Entries.size(), 1u);
}

TEST(FrameHistory, NoCeilingOnSequenceNumbers) {
  // Past 9,999 steps made in the session.
  while (NextFrameSeq() < 12000) {
  }
  TFrameHistory a, b;
  a.Record("a0", {}, NextFrameSeq());
  b.Record("b0", {}, NextFrameSeq());
  a.Record("a1", {}, NextFrameSeq());
  b.Record("b1", {}, NextFrameSeq());
  ++b.Index;
  std::vector<const TFrameHistory*> all{&a, &b};
  ++a.Index;
  // Both can go forward: A's undone step came first.
  EXPECT_EQ(PickForwardStep(all), 0);
  --a.Index;
  EXPECT_EQ(PickForwardStep(all), 1);
}

}  // namespace
