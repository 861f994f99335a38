// The editor page on the real main window: open, edit, save with Ctrl+S (and nothing
// saved when nothing changed), find that wraps after "not found", the six code-page
// conversions, and the caret status.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/core/lng_strings.h"
#include "app/editor_page.h"
#include "app/main_form.h"
#include "app/text_print.h"
#include "app/settings.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/com_ctrls.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/menus.h"
#include "classlib/win/registry.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/dialog_watcher.h"
#include "tests/support/form_test.h"
#include "tests/support/screenshot.h"
#include "tests/support/file_bytes.h"
#include "tests/support/main_window_fixture.h"

namespace {

std::string Lng(const char* Key) {
  std::string Text;
  GetLngString(Key, Text);
  return Text;
}

const std::string Win = "\xD1\xFA\xE5\xF8\xFC \xE6\xE5 \xE5\xF9\xB8 \xFD\xF2\xE8\xF5 \xEC\xFF\xE3\xEA\xE8\xF5 \xF4\xF0\xE0\xED\xF6\xF3\xE7\xF1\xEA\xE8\xF5 \xE1\xF3\xEB\xEE\xEA, \xE4\xE0 \xE2\xFB\xEF\xE5\xE9 \xF7\xE0\xFE. \xA8\xC6\xC8\xCA 123!";
const std::string Dos = "\x91\xEA\xA5\xE8\xEC \xA6\xA5 \xA5\xE9\xF1 \xED\xE2\xA8\xE5 \xAC\xEF\xA3\xAA\xA8\xE5 \xE4\xE0\xA0\xAD\xE6\xE3\xA7\xE1\xAA\xA8\xE5 \xA1\xE3\xAB\xAE\xAA, \xA4\xA0 \xA2\xEB\xAF\xA5\xA9 \xE7\xA0\xEE. \xF0\x86\x88\x8A 123!";
const std::string Koi = "\xF3\xDF\xC5\xDB\xD8 \xD6\xC5 \xC5\xDD\xA3 \xDC\xD4\xC9\xC8 \xCD\xD1\xC7\xCB\xC9\xC8 \xC6\xD2\xC1\xCE\xC3\xD5\xDA\xD3\xCB\xC9\xC8 \xC2\xD5\xCC\xCF\xCB, \xC4\xC1 \xD7\xD9\xD0\xC5\xCA \xDE\xC1\xC0. \xB3\xF6\xE9\xEB 123!";

class EditorPage : public MainWindowFixture {
protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    CreateMainForm();
    MainForm->Ask = [this](const std::string& Msg, TMsgDlgType, TMsgDlgButtons) {
      Told.push_back(Msg);
      return int(mrNo);
    };
    MainForm->AskBox = [this](const std::string& Text, const std::string& Caption, UINT Flags) {
      Asked.push_back(Text + "|" + Caption);
      AskedFlags = Flags & 0xF;
      return BoxAnswer;
    };
    Page = MainForm->EditorPage;
    Page->AskOpenName = [this](std::string& N) {
      N = OpenName;
      return !N.empty();
    };
    Page->AskSaveName = [this](std::string& N) {
      ++SaveAsked;
      return false;
    };
    MainForm->Show();
    MainForm->MainPage->SetActivePage(MainForm->EditTab);
    PumpMessages();
  }
  void TearDown() override {
    MainForm->Editor->SetModified(false);
    MainWindowFixture::TearDown();
  }
  std::string Panel(int I) { return Page->StatusBar1->Panels()->Items(I)->Text(); }
  void ClickItem(const char* Name) {
    auto* Item = dynamic_cast<TMenuItem*>(Page->FindComponent(Name));
    ASSERT_NE(Item, nullptr) << Name;
    Item->Click();
  }

  TEditorPage* Page = nullptr;
  std::vector<std::string> Told;
  std::vector<std::string> Asked;  // the boxes' text and caption
  UINT AskedFlags = 0;
  int BoxAnswer = IDNO;
  std::string OpenName;
  int SaveAsked = 0;
};

TEST_F(EditorPage, OpenEditSaveWithCtrlSAndNothingSavedUnchanged) {
  const std::string Name = Dir / "four.txt";
  WriteFileBytes(Name, "one\r\ntwo\r\nthree\r\nfour");
  OpenName = Name;
  ASSERT_TRUE(Page->OpenText());
  EXPECT_EQ(MainForm->EditorFileName, Name);
  EXPECT_FALSE(MainForm->Editor->Modified());
  // Line 1 of 4.
  EXPECT_EQ(Panel(0), "1:1");
  EXPECT_EQ(Panel(2), "25 %");
  EXPECT_EQ(Panel(1), "Win-1251");
  EXPECT_EQ(Panel(3), Name);

  // Unchanged: Ctrl+S writes nothing (the file changed on disk meanwhile stays so).
  WriteFileBytes(Name, "changed elsewhere");
  MainForm->Editor->SetFocus();
  PressKey('S', {ssCtrl});
  EXPECT_EQ(ReadFileBytes(Name), "changed elsewhere");

  PressKey(VK_END);
  PressKey('X');
  EXPECT_TRUE(MainForm->Editor->Modified());
  PressKey('S', {ssCtrl, ssShift});  // not the save key
  EXPECT_EQ(ReadFileBytes(Name), "changed elsewhere");
  PressKey('S', {ssCtrl});
  EXPECT_FALSE(MainForm->Editor->Modified());
  EXPECT_EQ(ReadFileBytes(Name).substr(0, 5), "onex\r");
  PressKey(VK_DOWN);
  PressKey(VK_DOWN);
  EXPECT_EQ(Panel(2), "75 %");
  EXPECT_GT(SaveWindowPng(MainForm->Handle(), ScreenshotPath("editor_page.png")), 0);

  // A new text without changes is not saved either, and asks for no name.
  ASSERT_TRUE(Page->NewText());
  EXPECT_TRUE(MainForm->EditorFileName.empty());
  EXPECT_TRUE(Page->SaveText());
  EXPECT_EQ(SaveAsked, 0);
  EXPECT_TRUE(Told.empty());
}

// However a file comes into the editor (F4 on a panel uses EditFile), the code-page menu and
// the status bar say whether it is DOS or Windows text, and the bar names the file.
TEST_F(EditorPage, EditFileMarksTheTextsCodePage) {
  const std::string DosName = Dir / "dos.txt", WinName = Dir / "win.txt";
  WriteFileBytes(DosName, Dos + "\r\n" + Dos + "\r\n");
  WriteFileBytes(WinName, Win + "\r\n");
  const struct {
    const std::string& Name;
    const char* Status;
    bool DosChecked;
  } Files[] = {{DosName, "Dos-866", true}, {WinName, "Win-1251", false}, {DosName, "Dos-866", true}};
  for (const auto& F : Files) {
    MainForm->EditFile(F.Name);
    EXPECT_EQ(Panel(1), F.Status) << F.Name;
    EXPECT_EQ(Panel(3), F.Name);
    EXPECT_EQ(Page->DosItem->Checked(), F.DosChecked) << F.Name;
    EXPECT_EQ(Page->WinItem->Checked(), !F.DosChecked) << F.Name;
  }
}

// "ab" in "ab ab ab" is found three times, then "not found", then the first one again.
TEST_F(EditorPage, FindWrapsAfterNotFound) {
  MainForm->Editor->SetLinesText("ab ab ab");
  Page->EdD->SetFindText("ab");
  Page->EdD->SetOptions(TFindOptions{frDown, frMatchCase});
  Page->Find.Occurrence = 5;
  Page->StartFind();  // the find button starts at the first occurrence
  Page->EdD->CloseDialog();
  std::string NotFound;
  GetLngString("Not_found", NotFound);
  const int Starts[] = {1, 4, 7, 0, 1};
  for (int Start : Starts) {
    Told.clear();
    Page->FindNext();
    if (Start == 0) {
      ASSERT_EQ(Told.size(), 1u);
      EXPECT_EQ(Told[0], NotFound);
      continue;
    }
    EXPECT_TRUE(Told.empty());
    EXPECT_EQ(MainForm->Editor->GetBlockBegin().X, Start);
    EXPECT_EQ(MainForm->Editor->GetBlockEnd().X, Start + 2);
    EXPECT_EQ(MainForm->Editor->GetSelText(), "ab");
  }
}

// The six conversions of the code-page menu, each marking the page it converts to.
TEST_F(EditorPage, SixConversionsRoundTripCyrillicText) {
  MainForm->Editor->SetLinesText(Win);
  const struct {
    const char* Item;
    const std::string& Want;
    const char* Status;
  } Steps[] = {{"Dos2", Dos, "Dos-866"},   {"KOI8r2", Koi, "KOI8-r"}, {"Win2", Win, "Win-1251"},
               {"KOIr1", Koi, "KOI8-r"},   {"Dos3", Dos, "Dos-866"},  {"Win1", Win, "Win-1251"}};
  for (const auto& S : Steps) {
    ClickItem(S.Item);
    EXPECT_EQ(MainForm->Editor->GetLinesText(), S.Want) << S.Item;
    EXPECT_EQ(Panel(1), S.Status) << S.Item;
  }
  EXPECT_TRUE(Page->WinItem->Checked());
}

// The text records of a printed page, for the print test (the platform's calling
// convention, so that the 32-bit build takes it too).
int CALLBACK CollectEmfText(HDC, HANDLETABLE*, const ENHMETARECORD* R, int, LPARAM Data) {
  if (R->iType == EMR_EXTTEXTOUTW) {
    auto* T = reinterpret_cast<const EMREXTTEXTOUTW*>(R);
    auto* C = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(R) + T->emrtext.offString);
    reinterpret_cast<std::vector<std::string>*>(Data)->push_back(std::string(C, C + T->emrtext.nChars));
  }
  return 1;
}

// Leaving the page with a changed text asks; OK saves it, Cancel leaves it changed.
TEST_F(EditorPage, LeavingWithAChangedTextOffersToSaveIt) {
  const std::string Name = Dir / "left.txt";
  WriteFileBytes(Name, "old");
  OpenName = Name;
  ASSERT_TRUE(Page->OpenText());
  // Unchanged: no question.
  PressKey(VK_ESCAPE, {}, MainForm->Editor->Handle());
  EXPECT_EQ(MainForm->MainPage->ActivePage(), MainForm->Main);
  EXPECT_TRUE(Asked.empty());
  const std::string Question = Lng("File_not_save") + "|" + Lng("Save_file");
  for (int Answer : {IDCANCEL, IDOK}) {
    MainForm->MainPage->SetActivePage(MainForm->EditTab);
    MainForm->Editor->SetLinesText("new text");
    MainForm->Editor->SetModified(true);
    Asked.clear();
    BoxAnswer = Answer;
    PressKey(VK_ESCAPE, {}, MainForm->Editor->Handle());
    EXPECT_EQ(MainForm->MainPage->ActivePage(), MainForm->Main);
    ASSERT_EQ(Asked.size(), 1u);
    EXPECT_EQ(Asked[0], Question);
    EXPECT_EQ(AskedFlags, UINT(MB_OKCANCEL));
    EXPECT_EQ(ReadFileBytes(Name).substr(0, 3), Answer == IDOK ? "new" : "old");
    EXPECT_EQ(MainForm->Editor->Modified(), Answer != IDOK);
  }
}

// New and open with a changed text ask first: Cancel keeps the text, Yes saves it, No drops
// it. A DOS text opened marks its code page.
TEST_F(EditorPage, NewAndOpenAskAboutAChangedText) {
  const std::string Name = Dir / "kept.txt";
  WriteFileBytes(Name, "kept");
  const std::string DosName = Dir / "dos.txt";
  WriteFileBytes(DosName, Dos);
  OpenName = Name;
  ASSERT_TRUE(Page->OpenText());
  const struct {
    int Answer;
    bool Open;  // else new, by its key
    bool Goes;  // the text is left
    const char* OnDisk;
  } Cases[] = {{IDCANCEL, false, false, "kept"}, {IDCANCEL, true, false, "kept"},
               {IDNO, false, true, "kept"},      {IDYES, true, true, "changed"}};
  for (const auto& C : Cases) {
    OpenName = Name;
    if (MainForm->EditorFileName.empty()) ASSERT_TRUE(Page->OpenText());
    MainForm->Editor->SetLinesText("changed");
    MainForm->Editor->SetModified(true);
    Asked.clear();
    BoxAnswer = C.Answer;
    OpenName = DosName;
    PressKey(C.Open ? 'O' : 'N', {ssCtrl, ssAlt}, MainForm->Editor->Handle());
    ASSERT_EQ(Asked.size(), 1u);
    EXPECT_EQ(AskedFlags, UINT(MB_YESNOCANCEL));
    EXPECT_EQ(ReadFileBytes(Name).substr(0, C.OnDisk == std::string("kept") ? 4 : 7), C.OnDisk);
    if (!C.Goes) {
      EXPECT_EQ(MainForm->Editor->GetLinesText().substr(0, 7), "changed");
      EXPECT_EQ(MainForm->EditorFileName, Name);
      continue;
    }
    EXPECT_FALSE(MainForm->Editor->Modified());
    if (C.Open) {
      EXPECT_EQ(MainForm->EditorFileName, DosName);
      EXPECT_TRUE(Page->DosItem->Checked());
      EXPECT_EQ(Panel(1), "Dos-866");
      EXPECT_EQ(Panel(3), DosName);
    } else {
      EXPECT_TRUE(Trim(MainForm->Editor->GetLinesText()).empty());
      EXPECT_TRUE(MainForm->EditorFileName.empty());
      EXPECT_EQ(Panel(3), "");
    }
  }
}

// The syntax menu sets the highlighter and checks its item; the service menu changes the
// case of the selection (Cyrillic too) and puts the date or the time at the caret; undo,
// redo and the clipboard buttons.
TEST_F(EditorPage, SyntaxServiceUndoAndClipboardCommands) {
  TmwCustomEdit* E = MainForm->Editor;
  const struct {
    const char* Item;
    TmwCustomHighLighter* Want;
  } Syntaxes[] = {{"SynCpp", MainForm->CPP},   {"SynPas", MainForm->Pas}, {"SynPerl", MainForm->Perl},
                  {"SynJava", MainForm->Java}, {"SynPlain", nullptr}};
  // At first plain text, and the menu says so.
  EXPECT_EQ(E->HighLighter(), nullptr);
  EXPECT_TRUE(dynamic_cast<TMenuItem*>(Page->FindComponent("SynPlain"))->Checked());
  for (const auto& S : Syntaxes) {
    ClickItem(S.Item);
    EXPECT_EQ(E->HighLighter(), S.Want) << S.Item;
    EXPECT_TRUE(dynamic_cast<TMenuItem*>(Page->FindComponent(S.Item))->Checked()) << S.Item;
  }

  // "Mixed Текст" selected whole.
  const std::string Mixed = "Mixed \xD2\xE5\xEA\xF1\xF2";
  E->SetLinesText(Mixed);
  E->SetBlockBegin(TmwPoint{1, 1});
  E->SetBlockEnd(TmwPoint{12, 1});
  ClickItem("UpperCase1");
  EXPECT_EQ(E->GetLinesText(), "MIXED \xD2\xC5\xCA\xD1\xD2");
  ClickItem("LowerCase1");
  EXPECT_EQ(E->GetLinesText(), "mixed \xF2\xE5\xEA\xF1\xF2");
  // No selection: the case commands change nothing.
  E->SetCaretXY(TmwPoint{1, 1});
  E->SetBlockBegin(TmwPoint{1, 1});
  E->SetBlockEnd(TmwPoint{1, 1});
  ClickItem("UpperCase1");
  EXPECT_EQ(E->GetLinesText(), "mixed \xF2\xE5\xEA\xF1\xF2");
  ClickItem("InsertDate1");
  const std::string Today = DateToStr(Date());
  EXPECT_EQ(E->GetLinesText(), Today + "mixed \xF2\xE5\xEA\xF1\xF2");
  ClickItem("InsertTime1");
  EXPECT_EQ(E->GetLinesText().size(), Today.size() + TimeToStr(Time()).size() + 11);

  auto Click = [this](const char* Name) {
    auto* B = dynamic_cast<TToolButton*>(Page->FindComponent(Name));
    ASSERT_NE(B, nullptr) << Name;
    B->Click();
  };
  E->SetLinesText("one two");
  E->SetFocus();
  E->SetCaretXY(TmwPoint{8, 1});
  PressKey('X');
  EXPECT_EQ(E->GetLinesText(), "one twox");
  Click("ToolButton14");  // undo
  EXPECT_EQ(E->GetLinesText(), "one two");
  Click("ToolButton15");  // redo
  EXPECT_EQ(E->GetLinesText(), "one twox");
  E->SetBlockBegin(TmwPoint{1, 1});
  E->SetBlockEnd(TmwPoint{5, 1});
  Click("SpeedButton44");  // copy
  EXPECT_EQ(E->GetLinesText(), "one twox");
  Click("SpeedButton54");  // cut
  EXPECT_EQ(E->GetLinesText(), "twox");
  E->SetCaretXY(TmwPoint{5, 1});
  Click("SpeedButton55");  // paste
  EXPECT_EQ(E->GetLinesText(), "twoxone ");

  // The font dialog starts from the editor's font: OK keeps it.
  auto F = std::make_unique<TFont>();
  F->SetName("Courier New");
  F->SetSize(13);
  E->SetFont(F.get());
  {
    TDialogWatcher Ok(IDOK);
    Click("ToolButton22");
  }
  EXPECT_EQ(E->Font()->Name(), "Courier New");
  EXPECT_EQ(E->Font()->Size(), 13);
}

// Ctrl+Alt+C drops down the syntax menu; the coding button drops down the code-page menu.
TEST_F(EditorPage, SyntaxKeyAndCodingButtonDropTheirMenus) {
  MainForm->Editor->SetFocus();
  EXPECT_GT(SaveOpenedMenuPng([this] { PressKey('C', {ssCtrl, ssAlt}, MainForm->Editor->Handle()); },
                              ScreenshotPath("editor_syntax_menu.png")),
            0);
  auto* Coding = dynamic_cast<TToolButton*>(Page->FindComponent("ToolButton12"));
  ASSERT_NE(Coding, nullptr);
  EXPECT_GT(SaveOpenedMenuPng([Coding] { Coding->Click(); }, ScreenshotPath("editor_coding_menu.png")), 0);
}

TEST_F(EditorPage, PrintWritesTheLinesInTheEditorsFont) {
  MainForm->Editor->SetLinesText("first\r\n\tsecond\r\nthird");
  std::vector<std::string> Printed;
  Page->AskPrinter = [&Printed]() -> std::unique_ptr<TPrintTarget> {
    struct TKeep : TEmfPrintTarget {
      std::vector<std::string>* Out;
      explicit TKeep(std::vector<std::string>* O) : TEmfPrintTarget(794, 1123), Out(O) {}
      ~TKeep() override {
        for (HENHMETAFILE P : Pages())
          EnumEnhMetaFile(nullptr, P, CollectEmfText, Out, nullptr);
      }
    };
    return std::make_unique<TKeep>(&Printed);
  };
  // Ctrl+Alt+P is the print button.
  PressKey('P', {ssCtrl, ssAlt}, MainForm->Editor->Handle());
  EXPECT_EQ(Printed, (std::vector<std::string>{"first", "        second", "third"}));
}

}  // namespace
