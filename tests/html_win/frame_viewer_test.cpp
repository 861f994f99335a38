// The frame viewer in a window: a frameset's frames load their sources, links find their
// frame by target, Back and Forward undo steps across frames in order, a missing source
// shows the error page in its frame, and a frameset that includes itself stops.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/core/exception.h"
#include "classlib/core/stream.h"
#include "classlib/core/strings.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/forms.h"
#include "html/frame_viewer.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/form_test.h"
#include "tests/support/screenshot.h"

namespace {

void WriteFile(const std::string& Path, const std::string& Text) {
  TFileStream f(Path, fmCreate);
  if (!Text.empty()) f.WriteBuffer(Text.data(), std::int64_t(Text.size()));
}

class FrameWindow : public ::testing::Test {
protected:
  void SetUp() override {
    Form.reset(CreateForm<TForm>(nullptr));
    Form->SetBounds(30, 30, 640, 420);
    Frames = new TFrameViewer(Form.get());
    Frames->SetParent(Form.get());
    Frames->SetAlign(alClient);
    Frames->SetHistoryMaxCount(10);
    Form->Show();
    PumpMessages();
    Put("a.htm", "<title>A</title><p>Page A <a href=\"b.htm\">to b</a>");
    Put("b.htm", "<title>B</title><p>Page B");
    Put("c.htm", "<title>C</title><p>Page C");
    Put("menu.htm", "<title>Menu</title><p><a href=\"b.htm\" target=main>b in main</a>");
    Put("set.htm",
        "<title>Two frames</title><frameset cols=\"30%,*\">"
        "<frame name=menu src=\"menu.htm\"><frame name=main src=\"a.htm\"></frameset>");
  }
  std::string Put(const std::string& Name, const std::string& Text) {
    WriteFile(Dir / Name, Text);
    return Dir / Name;
  }
  TFrame* FrameNamed(const std::string& Name) {
    for (TFrame* f : Frames->CurrentFrameSet()->Frames())
      if (SameText(f->Node->Name, Name)) return f;
    return nullptr;
  }
  std::string Shown(TFrame* F) { return F && F->HtmlViewer ? ExtractFileName(F->HtmlViewer->CurrentFile()) : "?"; }
  // A link followed in a frame's viewer as a click on it would.
  void Follow(TFrame* F, const std::string& URL, const std::string& Target = "") {
    ASSERT_NE(F, nullptr);
    F->HtmlViewer->Core().URL = URL;
    F->HtmlViewer->Core().Target = Target;
    F->HtmlViewer->Core().HotSpotClick(URL);
    PumpMessages();
  }
  TTempFolder Dir;
  std::unique_ptr<TForm> Form;
  TFrameViewer* Frames = nullptr;
};

TEST_F(FrameWindow, TargetsChooseTheFrame) {
  Frames->LoadFromFile(Dir / "set.htm");
  PumpMessages();
  EXPECT_EQ(Frames->DocumentTitle(), "Two frames");
  ASSERT_EQ(Frames->CurrentFrameSet()->Frames().size(), 2u);
  EXPECT_EQ(Shown(FrameNamed("menu")), "menu.htm");
  EXPECT_EQ(Shown(FrameNamed("main")), "a.htm");
  EXPECT_GT(SaveWindowPng(Form->Handle(), ScreenshotPath("frame_viewer_set.png")), 500);

  Follow(FrameNamed("menu"), "b.htm", "main");
  EXPECT_EQ(Shown(FrameNamed("main")), "b.htm");
  EXPECT_EQ(Shown(FrameNamed("menu")), "menu.htm");
  // A name that no frame has: nothing happens.
  Follow(FrameNamed("menu"), "c.htm", "nowhere");
  EXPECT_EQ(Shown(FrameNamed("main")), "b.htm");
  EXPECT_EQ(Shown(FrameNamed("menu")), "menu.htm");
  // "_top" replaces the frameset.
  Follow(FrameNamed("menu"), "c.htm", "_top");
  EXPECT_EQ(Frames->CurrentFrameSet()->Frames().size(), 1u);
  EXPECT_EQ(Frames->DocumentTitle(), "C");
  // Back returns to the frameset as it was left.
  Frames->GoBack();
  EXPECT_EQ(Frames->DocumentTitle(), "Two frames");
  EXPECT_EQ(Shown(FrameNamed("main")), "b.htm");
}

TEST_F(FrameWindow, BackAndForwardUndoStepsAcrossFrames) {
  Put("set2.htm",
      "<title>Pair</title><frameset cols=\"50%,*\"><frame name=left src=\"a.htm\"><frame name=right src=\"b.htm\">"
      "</frameset>");
  Frames->LoadFromFile(Dir / "set.htm");
  Frames->LoadFromFile(Dir / "set2.htm");
  EXPECT_FALSE(Frames->FwdButtonEnabled());
  Follow(FrameNamed("left"), "c.htm");   // a step in the left frame
  Follow(FrameNamed("right"), "a.htm");  // then one in the right
  EXPECT_EQ(Shown(FrameNamed("left")), "c.htm");
  EXPECT_EQ(Shown(FrameNamed("right")), "a.htm");
  ASSERT_TRUE(Frames->BackButtonEnabled());

  Frames->GoBack();  // the right frame's step first
  EXPECT_EQ(Shown(FrameNamed("right")), "b.htm");
  EXPECT_EQ(Shown(FrameNamed("left")), "c.htm");
  Frames->GoBack();  // then the left's
  EXPECT_EQ(Shown(FrameNamed("left")), "a.htm");
  Frames->GoBack();  // then the previous document
  EXPECT_EQ(Frames->DocumentTitle(), "Two frames");
  EXPECT_TRUE(Frames->FwdButtonEnabled());
  Frames->GoFwd();
  EXPECT_EQ(Frames->DocumentTitle(), "Pair");
  Frames->GoFwd();  // redo in the order made: left, then right
  EXPECT_EQ(Shown(FrameNamed("left")), "c.htm");
  EXPECT_EQ(Shown(FrameNamed("right")), "b.htm");
  Frames->GoFwd();
  EXPECT_EQ(Shown(FrameNamed("right")), "a.htm");
  EXPECT_FALSE(Frames->FwdButtonEnabled());
}

TEST_F(FrameWindow, SingleDocumentsAndLinksBetweenThem) {
  Frames->LoadFromFile(Dir / "a.htm");
  ASSERT_EQ(Frames->CurrentFrameSet()->Frames().size(), 1u);
  TFrame* only = Frames->CurrentFrameSet()->Frames()[0];
  Follow(only, "b.htm");  // loads as a new top document
  EXPECT_EQ(Frames->DocumentTitle(), "B");
  EXPECT_EQ(ExtractFileName(Frames->CurrentFile()), "b.htm");
  Frames->GoBack();
  EXPECT_EQ(Frames->DocumentTitle(), "A");
  Frames->GoFwd();
  EXPECT_EQ(Frames->DocumentTitle(), "B");

  // A missing file: the error, nothing changes, and the next load works.
  EXPECT_THROW(Frames->LoadFromFile(Dir / "gone.htm"), EInOutError);
  EXPECT_EQ(Frames->DocumentTitle(), "B");
  EXPECT_FALSE(Frames->Busy());
  Frames->LoadFromFile(Dir / "c.htm");
  EXPECT_EQ(Frames->DocumentTitle(), "C");

  Frames->Clear();
  EXPECT_FALSE(Frames->BackButtonEnabled());
  EXPECT_TRUE(Frames->CurrentFile().empty());
}

TEST_F(FrameWindow, MissingSourceShowsTheErrorPageInItsFrame) {
  Put("broken.htm",
      "<frameset rows=\"50%,*\"><frame name=good src=\"a.htm\"><frame name=bad src=\"R&amp;D <x>.htm\"></frameset>");
  Frames->LoadFromFile(Dir / "broken.htm");
  EXPECT_EQ(Shown(FrameNamed("good")), "a.htm");
  TFrame* bad = FrameNamed("bad");
  ASSERT_NE(bad, nullptr);
  std::string page = bad->HtmlViewer->Core().Document().Dump();
  EXPECT_NE(page.find("Can't load "), std::string::npos) << page;
  // The name is shown as it is, not read as markup.
  EXPECT_NE(page.find("R&D <x>.htm"), std::string::npos) << page;
}

TEST_F(FrameWindow, BordersDragUnlessAFrameSaysNoResize) {
  Put("cols.htm", "<frameset cols=\"50%,*\" border=4><frame src=a.htm><frame src=b.htm></frameset>");
  Put("fixed.htm", "<frameset cols=\"50%,*\" border=4><frame src=a.htm noresize><frame src=b.htm></frameset>");
  Frames->LoadFromFile(Dir / "cols.htm");
  TFrameSet* set = Frames->CurrentFrameSet();
  ASSERT_EQ(set->ColSizes.size(), 2u);
  int left = set->ColSizes[0], total = set->ColSizes[0] + set->ColSizes[1];
  bool vertical = false;
  int index = -1;
  ASSERT_TRUE(set->BorderAt(left + 1, 10, vertical, index));
  EXPECT_TRUE(vertical);
  EXPECT_EQ(index, 0);
  EXPECT_FALSE(set->BorderAt(left / 2, 10, vertical, index));
  // Dragged by the mouse 40 pixels right: the neighbours share the same width.
  HWND h = set->Handle();
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(left + 1, 10));
  SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(left + 41, 10));
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(left + 41, 10));
  EXPECT_EQ(set->ColSizes[0], left + 40);
  EXPECT_EQ(set->ColSizes[0] + set->ColSizes[1], total);
  EXPECT_EQ(set->Children[1]->Left(), left + 40 + 4);
  // Never past the other edge.
  set->DragBorder(true, 0, 100000);
  EXPECT_EQ(set->ColSizes[1], 8);

  Frames->LoadFromFile(Dir / "fixed.htm");
  EXPECT_FALSE(Frames->CurrentFrameSet()->BorderAt(Frames->CurrentFrameSet()->ColSizes[0] + 1, 10, vertical, index));
}

TEST_F(FrameWindow, SelfIncludingFramesetStops) {
  Put("self.htm", "<frameset rows=\"20,*\"><frame name=text src=\"a.htm\"><frame src=\"self.htm\"></frameset>");
  Frames->LoadFromFile(Dir / "self.htm");
  PumpMessages();
  std::vector<TFrame*> frames = Frames->CurrentFrameSet()->Frames();
  int errors = 0, depth = 0;
  for (TFrame* f : frames) {
    depth = std::max(depth, f->Node->DocumentDepth());
    if (f->HtmlViewer && !f->FrameSet &&
        f->HtmlViewer->Core().Document().Dump().find("Can't load ") != std::string::npos)
      ++errors;
  }
  EXPECT_EQ(errors, 1);
  EXPECT_LT(depth, TFrameViewer::MaxFrameDepth);
  EXPECT_FALSE(Frames->Busy());
}

}  // namespace

TEST_F(FrameWindow, RequestEventsServeTheFrames) {
  // Each kind of answer serves one frame; a source nobody answers for and that is not on
  // the disk shows the error page, and the others load all the same.
  Put("req.htm",
      "<title>Requests</title><frameset rows=\"20%,20%,20%,20%,*\"><frame name=f src=\"moved.htm\">"
      "<frame name=b src=\"buffer.htm\"><frame name=l src=\"lines.htm\"><frame name=s src=\"stream.htm\">"
      "<frame name=n src=\"nobody.htm\"></frameset>");
  TStringList lines;
  lines.Add("<title>Lines</title>");
  lines.Add("<p>From a list");
  TStringStream stream("<title>Stream</title><p>From a stream");
  stream.SetPosition(10);  // read from its start whatever its position
  std::vector<std::string> asked;
  Frames->OnFileRequest = [&](TObject*, const std::string& Src, std::string& NewName) {
    asked.push_back(Src);
    if (Src != "moved.htm") return false;
    NewName = Dir / "c.htm";
    return true;
  };
  Frames->OnBufferRequest = [&](TObject*, const std::string& Src, std::string& Text) {
    if (Src != "buffer.htm") return false;
    Text = "<title>Buffer</title><p>From a buffer";
    return true;
  };
  Frames->OnStringsRequest = [&](TObject*, const std::string& Src, TStrings*& List) {
    if (Src != "lines.htm") return false;
    List = &lines;
    return true;
  };
  Frames->OnStreamRequest = [&](TObject*, const std::string& Src, TStream*& Stream) {
    if (Src != "stream.htm") return false;
    Stream = &stream;
    return true;
  };
  Frames->LoadFromFile(Dir / "req.htm");
  PumpMessages();
  ASSERT_EQ(Frames->CurrentFrameSet()->Frames().size(), 5u);
  struct {
    const char* Frame;
    const char* Title;
  } cases[] = {{"f", "C"}, {"b", "Buffer"}, {"l", "Lines"}, {"s", "Stream"}};
  for (const auto& c : cases) {
    TFrame* f = FrameNamed(c.Frame);
    ASSERT_TRUE(f && f->HtmlViewer) << c.Frame;
    EXPECT_EQ(f->HtmlViewer->DocumentTitle(), c.Title) << c.Frame;
  }
  // Sources go to the events as the page wrote them.
  EXPECT_EQ(asked.size(), 5u);
  EXPECT_EQ(asked[0], "moved.htm");
  TFrame* none = FrameNamed("n");
  ASSERT_TRUE(none && none->HtmlViewer);
  EXPECT_NE(none->HtmlViewer->Core().Document().Dump().find("Can't load "), std::string::npos);
}
