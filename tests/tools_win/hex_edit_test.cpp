// The hex editor window from its form resource: find and find next as text and as hex,
// go to, undo through its key, saving with its failures told, and the close question.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <memory>
#include <string>
#include <vector>

#include "app/core/lng_strings.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/forms.h"
#include "classlib/win/wide_string.h"
#include "tests/classlib/temp_folder.h"
#include "tests/tools/file_bytes.h"
#include "tests/support/form_test.h"
#include "tests/support/screenshot.h"
#include "tools/hex_edit.h"
#include "tools/hex_fnd.h"

namespace {

class HexEdWindow : public ::testing::Test {
protected:
  void SetUp() override {
    HexSearch = THexSearch();
    W.reset(CreateForm<THexEd>(nullptr));
    W->Ask = [this](const std::string& Msg, TMsgDlgType, TMsgDlgButtons) {
      Told.push_back(Msg);
      return Answer;
    };
    W->ChooseFile = [this](TOpenDialog* D) {
      ++Dialogs;
      if (Chosen.empty()) return false;
      D->SetFileName(Chosen);
      return true;
    };
    W->AskText = [this](const std::string&, const std::string&, std::string& Value) {
      Asked = Value;
      Value = Typed;
      return true;
    };
    W->RunFindDialog = [this](THexDialog* D) {
      ++FindDialogs;
      D->Edit1->SetText(Search);
      (AsHex ? D->RadioButton3 : D->RadioButton2)->SetChecked(true);
      D->BitBtn1Click(D->BitBtn1);
    };
    W->ShowLittleError = [this] { ++LittleErrors; };
    W->Show();
    PumpMessages();
  }
  void TearDown() override {
    W->HE->SetModified(false);
    W.reset();
  }

  void Load(const std::string& Data) {
    W->HE->Model()->ReleaseSource();  // the file shown is held while it is shown
    SaveBytes(Dir / "doc.bin", Data);
    ASSERT_TRUE(W->HE->LoadFromFile(Dir / "doc.bin"));
  }
  void Find(const std::string& Text, bool Hex = false) {
    Search = Text;
    AsHex = Hex;
    W->N10Click(W->N10);
  }
  int Sel() { return W->HE->Model()->HasSelection() ? W->HE->Model()->SelectionStart() : -1; }

  TTempFolder Dir;
  std::unique_ptr<THexEd> W;
  std::vector<std::string> Told;
  int Answer = mrOk;
  std::string Chosen;
  int Dialogs = 0;
  std::string Typed, Asked;
  std::string Search;
  bool AsHex = false;
  int FindDialogs = 0;
  int LittleErrors = 0;
};

TEST_F(HexEdWindow, ComesFromItsFormResource) {
  EXPECT_EQ(W->Caption(), "Hex Editor");
  EXPECT_EQ(W->FormStyle(), fsStayOnTop);
  EXPECT_TRUE(W->KeyPreview());
  EXPECT_EQ(W->HE->BytesPerColumn(), 2);
  EXPECT_TRUE(W->HE->FocusFrame());
  EXPECT_EQ(W->HE->Colors()->ChangedBackground(), TColor(11075583));
  EXPECT_EQ(W->HE->Font()->Height(), -16);
  EXPECT_EQ(W->HE->FileName(), "Untitled");
}

TEST_F(HexEdWindow, PrintWithoutAPrinterIsTold) {
  // The print command prints the control's document; with no printer it says so.
  DWORD Size = 0;
  GetDefaultPrinterW(nullptr, &Size);
  if (Size != 0) GTEST_SKIP() << "this machine has a default printer";
  ASSERT_NE(W->HexToCanvas1, nullptr);
  EXPECT_EQ(W->HexToCanvas1->HexEditor(), W->HE);
  EXPECT_EQ(W->N4->ShortCut(), ShortCut('P', {ssCtrl}));
  Load("abc");
  W->N4Click(W->N4);
  ASSERT_EQ(Told.size(), 1u);
  EXPECT_EQ(Told[0], LngStringOr("No_printer", "No printer is installed."));
}

TEST_F(HexEdWindow, FindAsTextAndFindNextOverlapping) {
  Load("xababab.ABA");
  Find("aba");  // the whole text, any case
  EXPECT_EQ(Sel(), 1);
  EXPECT_EQ(W->HE->Model()->SelectionEnd(), 3);
  EXPECT_EQ(W->HE->GetCursorPos(), 1);
  W->N16Click(W->N16);
  EXPECT_EQ(Sel(), 3);  // overlapping
  W->N16Click(W->N16);
  EXPECT_EQ(Sel(), 8);  // upper case too
  W->N16Click(W->N16);
  ASSERT_EQ(Told.size(), 1u);  // not found: told, selection kept
  EXPECT_EQ(Sel(), 8);

  // Cyrillic in any case, under the Russian code page.
  Load("..\xCF\xD0\xC8\xC2\xC5\xD2..");
  Find("\xEF\xF0\xE8\xE2\xE5\xF2");
  EXPECT_EQ(Sel(), 2);
}

TEST_F(HexEdWindow, FindAsHex) {
  EXPECT_EQ(HexTextToBytes("a 1"), "\xA1");
  EXPECT_EQ(HexTextToBytes("abc"), std::string("\x0A\xBC", 2));
  EXPECT_EQ(HexTextToBytes("zz"), "");
  Load(std::string("\x00\x0A\xBC\xA1\x0A\xBC", 6));
  Find("abc", true);
  EXPECT_EQ(Sel(), 1);
  W->N16Click(W->N16);
  EXPECT_EQ(Sel(), 4);
  Find("a 1", true);
  EXPECT_EQ(Sel(), 4);  // searched from the cursor at 4: the selection stays
  EXPECT_EQ(Told.back(), "Data not found");
  W->HE->Seek(0, 0, false);
  Find("a 1", true);
  EXPECT_EQ(Sel(), 3);
  // Nothing left after cleaning: no search, no message.
  size_t Messages = Told.size();
  Find("xyz", true);
  EXPECT_EQ(Told.size(), Messages);
}

TEST_F(HexEdWindow, FindNextBeforeAnySearchOpensTheDialog) {
  Load("hello");
  Search = "ll";
  W->N16Click(W->N16);
  EXPECT_EQ(FindDialogs, 1);
  EXPECT_EQ(Sel(), 2);
}

TEST_F(HexEdWindow, FindAndGoToDoNothingOnAnEmptyDocument) {
  W->N13Click(W->N13);
  EXPECT_EQ(W->HE->FileName(), "Noname");
  Find("a");
  W->N15Click(W->N15);
  EXPECT_TRUE(Told.empty());
  EXPECT_TRUE(Asked.empty());
  EXPECT_EQ(LittleErrors, 0);
}

TEST_F(HexEdWindow, GoTo) {
  Load(std::string(64, 'g'));
  W->HE->Seek(5, 0, false);
  struct {
    const char* Typed;
    int Cursor;
    bool Error;
  } Cases[] = {{"0x10", 16, false}, {"$1f", 31, false}, {"40", 40, false}, {"0X3F", 63, false},
               {"zz", 63, true},    {"-1", 63, true},   {"64", 63, true}};
  int Errors = 0;
  for (auto& C : Cases) {
    Typed = C.Typed;
    W->N15Click(W->N15);
    EXPECT_EQ(W->HE->GetCursorPos(), C.Cursor) << C.Typed;
    if (C.Error) ++Errors;
    EXPECT_EQ(LittleErrors, Errors) << C.Typed;
  }
  EXPECT_EQ(Asked, "63");  // the cursor's offset is offered
}

TEST_F(HexEdWindow, UndoKeyTakesTypedBytesBack) {
  Load("abcd");
  W->HE->SetFocus();
  PumpMessages();
  SendMessageW(W->HE->Handle(), WM_CHAR, L'e', 1);
  SendMessageW(W->HE->Handle(), WM_CHAR, L'e', 1);
  EXPECT_EQ(W->HE->Model()->ReadBytes(0, 4), "\xEE" "bcd");
  PressKey('Z', {ssCtrl});
  EXPECT_EQ(W->HE->Model()->ReadBytes(0, 4), "\xE1" "bcd");
  PressKey('Z', {ssCtrl});
  EXPECT_EQ(W->HE->Model()->ReadBytes(0, 4), "abcd");
  EXPECT_FALSE(W->HE->Modified());
}

TEST_F(HexEdWindow, SaveWritesAndAFailedSaveIsToldAndKeepsTheFile) {
  Load("data");
  W->HE->Model()->SetInCharField(true);
  W->HE->Model()->TypeChar('D');
  W->N3Click(W->N3);
  EXPECT_EQ(LoadBytes(Dir / "doc.bin"), "Data");
  EXPECT_EQ(LoadBytes(Dir / "doc.bak"), "data");
  EXPECT_TRUE(Told.empty());

  W->HE->Model()->TypeChar('A');
  FileSetAttr(Dir / "doc.bin", faReadOnly);
  W->N3Click(W->N3);
  FileSetAttr(Dir / "doc.bin", 0);
  ASSERT_EQ(Told.size(), 1u);
  EXPECT_NE(Told[0].find("doc.bin"), std::string::npos) << Told[0];
  EXPECT_EQ(LoadBytes(Dir / "doc.bin"), "Data");
  EXPECT_TRUE(W->HE->Modified());

  // Save as, through the dialog; a new document saves through it too.
  Chosen = Dir / "other.bin";
  W->N8Click(W->N8);
  EXPECT_EQ(LoadBytes(Dir / "other.bin"), "DAta");
  W->N13Click(W->N13);
  Chosen = Dir / "new.bin";
  W->N3Click(W->N3);
  EXPECT_EQ(LoadBytes(Dir / "new.bin"), "");
  // A file that cannot be opened is told, and the document stays.
  Chosen = Dir / "missing.bin";
  W->N2Click(W->N2);
  EXPECT_NE(Told.back().find("missing.bin"), std::string::npos);
  EXPECT_EQ(W->HE->FileName(), Dir / "new.bin");
}

TEST_F(HexEdWindow, CloseAsksAboutChangesAndCancelKeepsThem) {
  Load("abc");
  W->HE->Model()->TypeNibble('f');
  Answer = mrCancel;
  W->Close();
  EXPECT_TRUE(W->Visible());
  EXPECT_TRUE(W->HE->Modified());
  W->Close();  // asks again
  EXPECT_EQ(Told.size(), 2u);

  Answer = mrYes;  // then the save dialog is cancelled: nothing closes, nothing is lost
  W->Close();
  EXPECT_TRUE(W->Visible());
  EXPECT_TRUE(W->HE->Modified());

  Chosen = Dir / "saved.bin";  // Yes and a save
  W->Close();
  EXPECT_FALSE(W->Visible());
  EXPECT_EQ(LoadBytes(Dir / "saved.bin"), "\xF1" "bc");

  W->Show();
  W->HE->Model()->TypeNibble('0');
  Answer = mrNo;
  W->Close();
  EXPECT_FALSE(W->Visible());
  EXPECT_FALSE(W->HE->Modified());

  W->Show();
  W->HE->SetFocus();
  PressKey(VK_ESCAPE);
  EXPECT_FALSE(W->Visible());
}

TEST_F(HexEdWindow, ThePanelsCommandLoadsAndShows) {
  W->Hide();
  HexEd = W.get();
  SaveBytes(Dir / "panel.bin", "xyz");
  ShowInHexEditor(Dir / "panel.bin");
  EXPECT_TRUE(W->Visible());
  EXPECT_EQ(W->HE->FileName(), Dir / "panel.bin");
  // Closed, the window lets the file go: it can be changed, and shows as it is then.
  W->Close();
  SaveBytes(Dir / "panel.bin", "new!");
  ShowInHexEditor(Dir / "panel.bin");
  EXPECT_EQ(W->HE->Model()->ReadBytes(0, 8), "new!");
  W->Hide();
  ShowInHexEditor(Dir / "gone.bin");
  EXPECT_FALSE(W->Visible());
  ASSERT_EQ(Told.size(), 1u);
  EXPECT_NE(Told[0].find("gone.bin"), std::string::npos);
  EXPECT_EQ(W->HE->FileName(), Dir / "panel.bin");
  HexEd = nullptr;
}

TEST_F(HexEdWindow, ScreenshotOfARealFile) {
  wchar_t Exe[MAX_PATH];
  GetModuleFileNameW(nullptr, Exe, MAX_PATH);
  ASSERT_TRUE(W->HE->LoadFromFile(FromWide(Exe)));
  W->HE->Seek(0x40, 0, false);
  W->HE->SetSelEnd(0x4F);
  W->HE->SetMarker(1, 2);
  W->HE->SetFocus();
  W->Update();
  PumpMessages();
  EXPECT_GT(SaveWindowPng(W->Handle(), ScreenshotPath("hex_editor_window.png")), 1000);
}

}  // namespace
