// The editor page on the real main window: open, edit, save with Ctrl+S (and nothing
// saved when nothing changed), find that wraps after "not found", the six code-page
// conversions, and the caret status.
#include <gtest/gtest.h>

#include <windows.h>

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
#include "tests/support/form_test.h"
#include "tests/support/screenshot.h"
#include "tests/support/file_bytes.h"

namespace {

const std::string Win = "\xD1\xFA\xE5\xF8\xFC \xE6\xE5 \xE5\xF9\xB8 \xFD\xF2\xE8\xF5 \xEC\xFF\xE3\xEA\xE8\xF5 \xF4\xF0\xE0\xED\xF6\xF3\xE7\xF1\xEA\xE8\xF5 \xE1\xF3\xEB\xEE\xEA, \xE4\xE0 \xE2\xFB\xEF\xE5\xE9 \xF7\xE0\xFE. \xA8\xC6\xC8\xCA 123!";
const std::string Dos = "\x91\xEA\xA5\xE8\xEC \xA6\xA5 \xA5\xE9\xF1 \xED\xE2\xA8\xE5 \xAC\xEF\xA3\xAA\xA8\xE5 \xE4\xE0\xA0\xAD\xE6\xE3\xA7\xE1\xAA\xA8\xE5 \xA1\xE3\xAB\xAE\xAA, \xA4\xA0 \xA2\xEB\xAF\xA5\xA9 \xE7\xA0\xEE. \xF0\x86\x88\x8A 123!";
const std::string Koi = "\xF3\xDF\xC5\xDB\xD8 \xD6\xC5 \xC5\xDD\xA3 \xDC\xD4\xC9\xC8 \xCD\xD1\xC7\xCB\xC9\xC8 \xC6\xD2\xC1\xCE\xC3\xD5\xDA\xD3\xCB\xC9\xC8 \xC2\xD5\xCC\xCF\xCB, \xC4\xC1 \xD7\xD9\xD0\xC5\xCA \xDE\xC1\xC0. \xB3\xF6\xE9\xEB 123!";

class EditorPage : public ::testing::Test {
protected:
  void SetUp() override {
    TRegistry().DeleteKey("\\Software\\Zembrix");
    FOldFolder = ProgramFolder();
    SetProgramFolder(Dir.Path() + "\\");
    MainForm = CreateForm<TMainForm>(nullptr);
    Settings = CreateForm<TSettings>(nullptr);
    MainForm->Ask = [this](const std::string& Msg, TMsgDlgType, TMsgDlgButtons) {
      Told.push_back(Msg);
      return int(mrNo);
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
    delete Settings;
    Settings = nullptr;
    delete MainForm;
    MainForm = nullptr;
    SetProgramFolder(FOldFolder);
    PumpMessages();
  }
  std::string Panel(int I) { return Page->StatusBar1->Panels()->Items(I)->Text(); }
  void ClickItem(const char* Name) {
    auto* Item = dynamic_cast<TMenuItem*>(Page->FindComponent(Name));
    ASSERT_NE(Item, nullptr) << Name;
    Item->Click();
  }

  TTempFolder Dir;
  TEditorPage* Page = nullptr;
  std::vector<std::string> Told;
  std::string OpenName;
  int SaveAsked = 0;

private:
  std::string FOldFolder;
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
  EXPECT_TRUE(Told.empty());
  std::string Question;
  GetLngString("File_not_save", Question);
  for (int Answer : {int(mrCancel), int(mrOk)}) {
    MainForm->MainPage->SetActivePage(MainForm->EditTab);
    MainForm->Editor->SetLinesText("new text");
    MainForm->Editor->SetModified(true);
    Told.clear();
    MainForm->Ask = [this, Answer](const std::string& Msg, TMsgDlgType, TMsgDlgButtons Buttons) {
      Told.push_back(Msg);
      EXPECT_EQ(Buttons, mbOKCancel);
      return Answer;
    };
    PressKey(VK_ESCAPE, {}, MainForm->Editor->Handle());
    EXPECT_EQ(MainForm->MainPage->ActivePage(), MainForm->Main);
    ASSERT_EQ(Told.size(), 1u);
    EXPECT_EQ(Told[0], Question);
    EXPECT_EQ(ReadFileBytes(Name).substr(0, 3), Answer == mrOk ? "new" : "old");
    EXPECT_EQ(MainForm->Editor->Modified(), Answer != mrOk);
  }
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
