// The help popup, the about box, the copy and move confirmation and the copy-with-new-name
// dialog, in both languages the program ships.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/core/lng_strings.h"
#include "app/help_form.h"
#include "app/small_dialogs.h"
#include "classlib/core/code_page.h"
#include "classlib/core/ini_file.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/graphics.h"
#include "classlib/win/wide_string.h"
#include "storage/core/file_utils.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/dialog_watcher.h"
#include "tests/support/modal_driver.h"
#include "tests/support/form_test.h"
#include "tests/support/program_folder_fixture.h"
#include "tests/support/screenshot.h"

namespace {

const std::string Resources = std::string(ZX_TEST_DATA) + "/../../resources/";

void CopyInto(const std::string& From, const std::string& To) {
  TMemoryStream S;
  S.LoadFromFile(From);
  S.SaveToFile(To);
}

void WriteBytes(const std::string& Name, const std::string& Bytes) {
  TFileStream F(Name, fmCreate);
  if (!Bytes.empty()) F.WriteBuffer(Bytes.data(), Bytes.size());
}

std::string ReadBytes(const std::string& Name) {
  TMemoryStream S;
  S.LoadFromFile(Name);
  return std::string(static_cast<const char*>(S.Memory()), static_cast<size_t>(S.Size()));
}

// Whether a label's whole text fits its box in its font (word-wrapped when it wraps).
bool TextFits(TLabel* L) {
  HDC DC = GetDC(nullptr);
  HGDIOBJ Old = SelectObject(DC, FontHandle(*L->Font()));
  RECT R{0, 0, L->Width(), 0};
  std::wstring Text = ToWide(L->Caption());
  DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &R,
            DT_CALCRECT | DT_NOPREFIX | (L->WordWrap() ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(DC, Old);
  ReleaseDC(nullptr, DC);
  return R.right <= L->Width() && R.bottom <= L->Height();
}

// A program folder with one of the shipped language files as its "INI\zq.lng".
class SmallDialogs : public ProgramFolderFixture, public ::testing::WithParamInterface<const char*> {
protected:
  void SetUp() override {
    ProgramFolderFixture::SetUp();
    ASSERT_TRUE(CreateDir(Dir / "INI"));
    CopyInto(Resources + "langs/" + GetParam() + ".zq.lng", Dir / "INI\\zq.lng");
    CopyInto(Resources + "program/INI/help.ini", Dir / "INI\\help.ini");
  }
  void TearDown() override {
    if (HelpForm != nullptr) HelpForm->Hide();
    ProgramFolderFixture::TearDown();
  }
  std::string Lng(const char* Key) {
    std::string T;
    GetLngString(Key, T);
    return T;
  }
  std::string Shot(const std::string& Name) { return ScreenshotPath(Name + "-" + GetParam() + ".png"); }
};

TEST_P(SmallDialogs, HelpTopicsInThePopup) {
  ShowHelpTopic(3);
  ASSERT_NE(HelpForm, nullptr);
  THelpForm* First = HelpForm;
  EXPECT_TRUE(HelpForm->Visible());
  EXPECT_TRUE(GetWindowLongW(HelpForm->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  // The help of the program's language, not the help file's one language.
  TIniFile Help(Dir / "INI\\zq.lng");
  EXPECT_EQ(HelpForm->Label1->Caption(), Help.ReadString("Help", "Move", ""));
  EXPECT_EQ(HelpForm->Left(), GetSystemMetrics(SM_CXSCREEN) / 2);
  EXPECT_EQ(HelpForm->Top(), GetSystemMetrics(SM_CYSCREEN) / 2);
  // Every topic's text fits the popup whole.
  for (int Topic = 0; Topic <= 23; ++Topic) {
    ShowHelpTopic(Topic);
    EXPECT_TRUE(TextFits(HelpForm->Label1)) << Topic;
  }
  EXPECT_EQ(HelpForm->Label1->Caption(), Help.ReadString("Help", "Error", ""));  // topic 23
  EXPECT_EQ(HelpForm, First);  // the popup is made once
  ShowHelpTopic(20);
  PumpMessages();
  EXPECT_GT(SaveWindowPng(HelpForm->Handle(), Shot("help")), 0);

  // The little error: the language's text, or the built-in one without it.
  ShowLittleError();
  EXPECT_EQ(HelpForm->Label1->Caption(), Lng("Problem1"));
  ASSERT_TRUE(DeleteFile(Dir / "INI\\zq.lng"));
  ShowLittleError();
  EXPECT_EQ(HelpForm->Label1->Caption(), "Little error. Don't worry");

  // Esc closes the popup.
  HelpForm->Show();
  PumpMessages();
  SetForegroundWindow(HelpForm->Handle());
  PressKey(VK_ESCAPE, {}, HelpForm->Handle());
  EXPECT_FALSE(HelpForm->Visible());

  // Without the help file nothing is shown and nothing raised.
  ASSERT_TRUE(DeleteFile(Dir / "INI\\help.ini"));
  HelpForm->Label1->SetCaption("before");
  ShowHelpTopic(3);
  EXPECT_EQ(HelpForm->Label1->Caption(), "before");
  EXPECT_FALSE(HelpForm->Visible());
}

TEST_P(SmallDialogs, AboutBox) {
  long Drawn = -1;
  TModalDriver Driver([&](TForm* F) {
    auto* A = dynamic_cast<TAbout*>(F);
    ASSERT_NE(A, nullptr);
    EXPECT_EQ(A->Label3->Caption(), "release 1 build 3");
    for (TLabel* L : {A->Label1, A->Label2, A->Label3}) EXPECT_TRUE(TextFits(L)) << L->Caption();
    Drawn = SaveWindowPng(A->Handle(), Shot("about"));
    A->REllipseButton1->Click();
  });
  ShowAboutBox();
  EXPECT_TRUE(Driver.Ran());
  EXPECT_GT(Drawn, 0);
}

TEST_P(SmallDialogs, CopyAndMoveQuestions) {
  const struct {
    int Mode;
    int Count;
    uint16_t Key;
    bool Answer;
  } Rows[] = {{pCopyMode, 3, VK_RETURN, true}, {pMoveMode, 1, VK_ESCAPE, false}, {pCopyMode, 22, VK_ESCAPE, false}};
  for (const auto& R : Rows) {
    std::string Caption, Text;
    TModalDriver Driver([&](TForm* F) {
      auto* C = dynamic_cast<TCPY*>(F);
      ASSERT_NE(C, nullptr);
      Caption = C->Caption();
      Text = C->Label1->Caption();
      EXPECT_TRUE(TextFits(C->Label1)) << Text;
      if (R.Count == 3) EXPECT_GT(SaveWindowPng(C->Handle(), Shot("copy-question")), 0);
      PressKey(R.Key, {}, C->BitBtn1->Handle());
    });
    EXPECT_EQ(ConfirmCopyMoveDialog(R.Mode, R.Count), R.Answer) << R.Count;
    EXPECT_TRUE(Driver.Ran());
    const bool Move = R.Mode == pMoveMode;
    EXPECT_EQ(Caption, Lng(Move ? "Move" : "Copy"));
    EXPECT_EQ(Text.rfind(Lng(Move ? "Are_you_move" : "Are_you_copy") + " (" + std::to_string(R.Count) + ") ", 0), 0u)
        << Text;
  }
  if (std::string(GetParam()) == "English") {
    std::string Text;
    TModalDriver Driver([&](TForm* F) {
      Text = dynamic_cast<TCPY*>(F)->Label1->Caption();
      F->Close();
    });
    ConfirmCopyMoveDialog(pCopyMode, 3);
    EXPECT_EQ(Text, "Copy the selected files (3) files");
  } else {
    std::string Text;
    TModalDriver Driver([&](TForm* F) {
      Text = dynamic_cast<TCPY*>(F)->Label1->Caption();
      F->Close();
    });
    EXPECT_FALSE(ConfirmCopyMoveDialog(pCopyMode, 21));
    EXPECT_EQ(Text, Utf8ToCp1251("Копировать выделенные файлы (21) файл"));
  }
  // With no options window (so no confirmation asked for) nothing is asked.
  TDialogWatcher Watcher;
  EXPECT_TRUE(ConfirmCopyMove(pCopyMode, 5));
}

TEST_P(SmallDialogs, MoveWithNewName) {
  ASSERT_TRUE(CreateDir(Dir / "src"));
  ASSERT_TRUE(CreateDir(Dir / "dst"));
  WriteBytes(Dir / "src\\a.txt", "text of a");
  std::string Label3;
  TModalDriver Driver([&](TForm* F) {
    auto* M = dynamic_cast<TMoveForm*>(F);
    ASSERT_NE(M, nullptr);
    EXPECT_EQ(M->Edit1->Text(), "a.txt");
    EXPECT_EQ(M->Label2->Caption(), Dir / "src");
    Label3 = M->Label3->Caption();
    for (TLabel* L : {M->Label1, M->Label4}) EXPECT_TRUE(TextFits(L)) << L->Caption();
    EXPECT_GT(SaveWindowPng(M->Handle(), Shot("move-new-name")), 0);
    M->Edit1->SetText("b.txt");
    M->BitBtn1->Click();
  });
  EXPECT_TRUE(MoveWithNewName(Dir / "src", Dir / "dst", "a.txt"));
  EXPECT_TRUE(Driver.Ran());
  TIniFile Lang(Dir / "INI\\zq.lng");
  EXPECT_EQ(Label3, Lang.ReadString("CopyFiles", "Label3_Caption", "") + " " + (Dir / "dst"));
  EXPECT_EQ(ReadBytes(Dir / "dst\\b.txt"), "text of a");
  EXPECT_FALSE(FileExists(Dir / "src\\a.txt"));
}

// A move onto a read-only file fails: the source stays and the failure is told.
TEST_P(SmallDialogs, FailedMoveKeepsTheSourceAndSaysSo) {
  ASSERT_TRUE(CreateDir(Dir / "src"));
  ASSERT_TRUE(CreateDir(Dir / "dst"));
  WriteBytes(Dir / "src\\a.txt", "text of a");
  WriteBytes(Dir / "dst\\a.txt", "old");
  ASSERT_EQ(FileSetAttr(Dir / "dst\\a.txt", faReadOnly), 0);
  TModalDriver Driver([](TForm* F) { dynamic_cast<TMoveForm*>(F)->BitBtn1->Click(); });
  TDialogWatcher Watcher;
  EXPECT_FALSE(MoveWithNewName(Dir / "src", Dir / "dst", "a.txt"));
  EXPECT_EQ(ReadBytes(Dir / "src\\a.txt"), "text of a");
  EXPECT_EQ(ReadBytes(Dir / "dst\\a.txt"), "old");
  ASSERT_EQ(Watcher.Answered().size(), 1u);
  // Cancel copies nothing.
  TModalDriver Cancel([](TForm* F) { dynamic_cast<TMoveForm*>(F)->BitBtn2->Click(); });
  EXPECT_FALSE(CopyWithNewName(Dir / "src", Dir / "dst", "a.txt"));
  EXPECT_EQ(ReadBytes(Dir / "dst\\a.txt"), "old");
}

INSTANTIATE_TEST_SUITE_P(Languages, SmallDialogs, ::testing::Values("Russian", "English"));

}  // namespace
