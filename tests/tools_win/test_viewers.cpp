// The text viewer (a Cyrillic file in the DOS and Windows code pages, an archive entry's
// stream) and the clipboard viewer following the clipboard.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "classlib/core/code_page.h"
#include "classlib/core/stream.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/clipboard.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/file_bytes.h"
#include "tests/support/form_test.h"
#include "tests/support/screenshot.h"
#include "tools/clp_view.h"
#include "tools/view_form.h"
#include "tools/win_miner.h"

namespace {

// "Привет, мир!" and a second line, in 1251.
const std::string Cyrillic = "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0!\r\n\xC2\xF2\xEE\xF0\xE0\xFF \xF1\xF2\xF0\xEE\xEA\xE0\r\n";

void Write(const std::string& Name, const std::string& Data) {
  TFileStream F(Name, fmCreate);
  F.WriteBuffer(Data.data(), int64_t(Data.size()));
}

TEST(TextViewer, ShowsFilesAndStreams) {
  TTempFolder Temp;
  Write(Temp / "win.txt", Cyrillic);
  Write(Temp / "dos.txt", Cp1251ToCp866(Cyrillic));
  for (const auto& [Name, Dos] : {std::pair<std::string, bool>{"win.txt", false}, {"dos.txt", true}}) {
    TViewForm* V = CreateForm<TViewForm>(nullptr);
    V->LoadFile(Temp / Name, Dos);
    EXPECT_EQ(V->TextView->Lines()->Text(), Cyrillic) << Name;
    EXPECT_EQ(V->Caption(), Temp / Name);
    EXPECT_EQ(V->Title(), Temp / Name);
    EXPECT_TRUE(V->TextView->ReadOnly());
    EXPECT_FALSE(V->TextView->Modified());
    delete V;
  }
  // An entry of an archive, from the stream's position.
  TMemoryStream S;
  const std::string Data = "skip" + Cyrillic;
  S.WriteBuffer(Data.data(), int64_t(Data.size()));
  S.SetPosition(4);
  TViewForm* V = CreateForm<TViewForm>(nullptr);
  V->LoadStream(&S);
  EXPECT_EQ(V->TextView->Lines()->Text(), Cyrillic);
  EXPECT_EQ(V->Caption(), " ");
  // A missing file raises and leaves nothing behind.
  EXPECT_THROW(V->LoadFile(Temp / "missing.txt", false), Exception);
  delete V;

  // Shown as the panels show it; Esc closes it, and a closed viewer frees itself.
  V = CreateForm<TViewForm>(nullptr);
  V->LoadFile(Temp / "dos.txt", true);
  V->SetBounds(50, 50, 420, 200);
  V->Show();
  PumpMessages();
  EXPECT_GT(SaveWindowPng(V->Handle(), ScreenshotPath("text-viewer.png")), 0);
  bool Freed = false;
  V->OnDestroy = [&](TObject*) { Freed = true; };
  PressKey(VK_ESCAPE);
  PumpMessages();
  EXPECT_TRUE(Freed);
}

TEST(ClipboardViewer, FollowsTheClipboard) {
  std::unique_ptr<TCLPView> V(CreateForm<TCLPView>(nullptr));
  Clipboard()->SetAsText("first");
  V->Show();
  PumpMessages();
  EXPECT_EQ(V->Memo1->Text(), "first");
  EXPECT_TRUE(V->Memo1->Visible());
  Clipboard()->SetAsText(Cyrillic);
  V->UpdateView();
  EXPECT_EQ(V->Memo1->Text(), Cyrillic);

  TBitmap B;
  B.SetSize(16, 8);
  Clipboard()->Assign(&B);
  V->UpdateView();
  EXPECT_TRUE(V->Image1->Visible());
  EXPECT_FALSE(V->Memo1->Visible());
  EXPECT_EQ(V->Image1->Picture()->Width(), 16);
  PressKey(VK_ESCAPE);
  EXPECT_FALSE(V->Visible());
}

}  // namespace

namespace {

TEST(MinesGame, NewGameAndGameOver) {
  std::unique_ptr<TForm> Form(CreateForm<TForm>(nullptr));
  TtsuWinMiner* M = new TtsuWinMiner(Form.get());
  M->SetParent(Form.get());
  M->SetMineCount(15);
  M->NewGame();
  EXPECT_EQ(M->Field().Cols(), 9);
  EXPECT_EQ(M->Field().MineCount(), 15);
  int Overs = 0;
  M->OnGameOver = [&](TObject*) { ++Overs; };
  // A known field: the mine is the last cell.
  M->Field().SetField(9, 9, {80});
  M->OpenAt(0, 0);
  EXPECT_EQ(Overs, 0);
  EXPECT_TRUE(M->Field().IsOpen(4, 4));
  M->OpenAt(8 * 16 + 3, 8 * 16 + 3);
  EXPECT_EQ(Overs, 1);
  Form->SetBounds(60, 60, 200, 200);
  Form->Show();
  PumpMessages();
  EXPECT_GT(SaveWindowPng(Form->Handle(), ScreenshotPath("mines.png")), 0);
}

}  // namespace

#include "app/core/lng_strings.h"
#include "classlib/core/ini_file.h"
#include "classlib/win/wide_string.h"
#include "tools/rs_tip.h"

namespace {

TEST(Tips, ShowsTheNextTipAndKeepsTheState) {
  TTempFolder Temp;
  {
    TFileStream L(Temp / "zq.lng", fmCreate);
    const std::string Text = "[String]\r\nx=y\r\n[Tips]\r\nT1=First tip\r\nT2=Second tip\r\nT3=Third tip\r\n";
    L.WriteBuffer(Text.data(), int64_t(Text.size()));
  }
  TrsTip Tip(nullptr);
  Tip.SetTipsFileName(Temp / "zq.lng");
  Tip.SetIniFileName(Temp / "tips.ini");
  std::vector<std::string> Shown;
  bool Uncheck = false;
  Tip.RunForm = [&](TTipForm* F) {
    Shown.push_back(F->TipText->Text());
    if (Uncheck) F->ShowCheck->SetChecked(false);
  };
  for (int i = 0; i < 4; ++i) Tip.Execute();
  EXPECT_EQ(Shown, (std::vector<std::string>{"First tip", "Second tip", "Third tip", "First tip"}));
  Uncheck = true;
  Tip.Execute();
  Tip.Execute();  // asked not to show again
  EXPECT_EQ(Shown.size(), 5u);
  TIniFile State(Temp / "tips.ini");
  EXPECT_FALSE(State.ReadBool("Tips", "ShowAgain", true));

  // Next steps through the tips and round.
  std::unique_ptr<TTipForm> F(CreateForm<TTipForm>(nullptr));
  F->Tips = {"a", "b"};
  F->ShowTip(1);
  F->NextButtonClick(nullptr);
  EXPECT_EQ(F->TipText->Text(), "a");
  // No tips: nothing shown.
  TrsTip Empty(nullptr);
  Empty.SetTipsFileName(Temp / "none.lng");
  Empty.SetIniFileName(Temp / "tips2.ini");
  Empty.RunForm = [&](TTipForm*) { ADD_FAILURE(); };
  Empty.Execute();
}

// The window's captions come from the language file in use, as every window's do; a key the
// file lacks keeps the built-in text. The tips too, when the language file brings its own.
TEST(Tips, CaptionsAndTipsInTheUsersLanguage) {
  TTempFolder Temp;
  const std::string Saved = ProgramFolder();
  SetProgramFolder(Temp.Path() + "\\");
  CreateDirectoryW(ToWide(Temp / "INI").c_str(), nullptr);
  const std::string Welcome = "\xC4\xEE\xE1\xF0\xEE \xEF\xEE\xE6\xE0\xEB\xEE\xE2\xE0\xF2\xFC";  // 1251
  const std::string Show = "\xCF\xEE\xEA\xE0\xE7\xFB\xE2\xE0\xF2\xFC";
  {
    TFileStream L(Temp / "INI\\zq.lng", fmCreate);
    const std::string Text = "[Tips]\r\nT1=First tip\r\n[Tip]\r\nTipForm_Caption=" + Welcome +
                             "\r\nShowCheck_Caption=" + Show + "\r\n[Daily]\r\nTip0=" + Show + "\r\n";
    L.WriteBuffer(Text.data(), int64_t(Text.size()));
  }
  TrsTip Tip(nullptr);
  WriteFileBytes(Temp / "tips.txt", "[Tips]\r\nTip0=From the tips file\r\n");
  Tip.SetTipsFileName(Temp / "tips.txt");
  Tip.SetIniFileName(Temp / "tips.ini");
  int Runs = 0;
  Tip.RunForm = [&](TTipForm* F) {
    ++Runs;
    EXPECT_EQ(F->Caption(), Welcome);
    EXPECT_EQ(F->ShowCheck->Caption(), Show);
    EXPECT_EQ(F->NextButton->Caption(), "Next tip");  // not in the file
    EXPECT_EQ(F->TipText->Text(), Show);
  };
  Tip.Execute();
  EXPECT_EQ(Runs, 1);
  SetProgramFolder(Saved);
}

}  // namespace
