// The ActiveX page: Alt+F3 on a panel shows a file's document in the OLE container (the
// tests' own document class, which needs no registry), a file without a document program
// is told, the page's keys, the document menu, and the question about a changed document
// when the page is left, answered in the real message box.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/core/lng_strings.h"
#include "app/help_form.h"
#include "app/main_form.h"
#include "app/panel_keys.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/menus.h"
#include "classlib/win/ole_container.h"
#include "classlib/win/wide_string.h"
#include "tests/support/dialog_watcher.h"
#include "tests/support/file_bytes.h"
#include "tests/support/form_test.h"
#include "tests/support/main_window_fixture.h"
#include "tests/support/ole_test_document.h"
#include "tests/support/screenshot.h"
#include "tests/support/wait_for.h"

namespace {

std::string Lng(const char* Key) {
  std::string S;
  GetLngString(Key, S);
  return S;
}

class OlePage : public MainWindowFixture {
protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    OleInitialize(nullptr);
    Server = std::make_unique<TTestDocumentServer>();
    ASSERT_TRUE(Server->Serving());
    ASSERT_TRUE(CreateDir(Dir / "L"));
    ASSERT_TRUE(CreateDir(Dir / "R"));
    ASSERT_TRUE(CreateDir(Dir / "L\\sub"));
    ASSERT_TRUE(TTestDocumentServer::WriteDocument(ToWide(Doc()), "Hello from the document"));
    ASSERT_TRUE(TTestDocumentServer::WriteDocument(ToWide(Dir / "R\\right.zxd"), "Right"));
    WriteFileBytes(Dir / "L\\plain.txt", "plain text");
    CreateMainForm();
    MainForm->AskDocumentName = [this](bool Save, std::string& Name) {
      Names.push_back((Save ? "save:" : "open:") + Name);
      if (Chosen.empty()) return false;
      Name = Chosen;
      return true;
    };
    MainForm->SetStartFolders(Dir / "L", Dir / "R");
    MainForm->Show();
    PumpMessages();
  }
  void TearDown() override {
    if (HelpForm != nullptr) HelpForm->Hide();
    // The document goes before its window and before the server that made it.
    if (MainForm != nullptr) MainForm->OleNew->DestroyObject();
    FreeMainForm();
    Server.reset();
    OleUninitialize();
    MainWindowFixture::TearDown();
  }
  std::string Doc() const { return Dir / "L\\note.zxd"; }
  void Select(TPTShellList* List, const std::string& Name) {
    ASSERT_TRUE(WaitFor([&] {
      for (int I = 0; I < List->Items()->Count(); ++I)
        if (ItemName(List->GetItemData(I)) == Name) return true;
      return false;
    }));
    for (int I = 0; I < List->Items()->Count(); ++I) {
      TListItem* Item = List->Items()->Item(I);
      const bool Want = ItemName(List->GetItemData(I)) == Name;
      Item->SetSelected(Want);
      if (Want) Item->SetFocused(true);
    }
  }
  void AltF3(TPTShellList* List, const std::string& Name) {
    Select(List, Name);
    List->SetFocus();
    PressKey(VK_F3, TShiftState{ssAlt}, List->Handle());
  }
  std::string ObjectText() {
    std::string T;
    return TTestDocumentServer::ObjectText(MainForm->OleNew->OleObject(), T) ? T : "<no document>";
  }
  std::string FileText(const std::string& File) {
    std::string T;
    return TTestDocumentServer::ReadDocument(ToWide(File), T) ? T : "<not a document>";
  }
  // The document of note.zxd on the page, changed.
  void OpenChanged() {
    AltF3(MainForm->LF, "note.zxd");
    ASSERT_EQ(MainForm->MainPage->ActivePage(), MainForm->ActiveX);
    TTestDocumentServer::SetObjectText(MainForm->OleNew->OleObject(), "Edited");
    ASSERT_TRUE(MainForm->OleNew->Modified());
  }

  std::unique_ptr<TTestDocumentServer> Server;
  std::string Chosen;
  std::vector<std::string> Names;
};

TEST_F(OlePage, AltF3ShowsTheFilesDocumentOnTheActiveXPageFromEitherPanel) {
  struct {
    TPTShellList* TMainForm::*List;
    std::string Name, Path, Text;
  } Cases[] = {{&TMainForm::LF, "note.zxd", Doc(), "Hello from the document"},
               {&TMainForm::RF, "right.zxd", Dir / "R\\right.zxd", "Right"}};
  for (const auto& C : Cases) {
    MainForm->MainPage->SetActivePage(MainForm->Main);
    AltF3(MainForm->*C.List, C.Name);
    EXPECT_EQ(MainForm->MainPage->ActivePage(), MainForm->ActiveX) << C.Name;
    EXPECT_EQ(ObjectText(), C.Text);
    EXPECT_EQ(MainForm->OleNew->Hint(), C.Path);
    EXPECT_FALSE(MainForm->OleNew->Modified());
  }
  PumpMessages();
  EXPECT_GT(SaveWindowPng(MainForm->Handle(), ScreenshotPath("activex_page.png")), 0);
}

TEST_F(OlePage, AltF3OnAFileWithoutADocumentProgramIsToldAndNothingIsLost) {
  std::vector<std::string> Told;
  MainForm->Ask = [&](const std::string& Msg, TMsgDlgType, TMsgDlgButtons) {
    Told.push_back(Msg);
    return int(mrOk);
  };
  AltF3(MainForm->LF, "note.zxd");
  MainForm->MainPage->SetActivePage(MainForm->Main);
  AltF3(MainForm->LF, "plain.txt");
  ASSERT_EQ(Told.size(), 1u);
  EXPECT_NE(Told[0].find("plain.txt"), std::string::npos) << Told[0];
  EXPECT_EQ(MainForm->MainPage->ActivePage(), MainForm->Main);
  EXPECT_EQ(ObjectText(), "Hello from the document");
  EXPECT_EQ(MainForm->OleNew->Hint(), Doc());
  // A folder is no document: nothing happens.
  AltF3(MainForm->LF, "sub");
  EXPECT_EQ(Told.size(), 1u);
  EXPECT_EQ(MainForm->MainPage->ActivePage(), MainForm->Main);
  EXPECT_EQ(ReadFileBytes(Dir / "L\\plain.txt"), "plain text");
}

TEST_F(OlePage, F1IsThePagesHelpAndEscGoesBackToThePanels) {
  CreateDir(Dir / "ini");
  WriteFileBytes(Dir / "ini\\help.ini", "[main]\r\nActiveX=About documents\r\n");
  AltF3(MainForm->LF, "note.zxd");
  ASSERT_EQ(MainForm->MainPage->ActivePage(), MainForm->ActiveX);
  MainForm->OleNew->SetFocus();
  PumpMessages();
  // Typed in the document's own window when it is active in place, else in the container.
  HWND Keys = MainForm->OleNew->InPlaceActive() ? MainForm->OleNew->InPlaceWindow() : MainForm->OleNew->Handle();
  PressKey(VK_F1, {}, Keys);
  ASSERT_NE(HelpForm, nullptr);
  EXPECT_TRUE(HelpForm->Visible());
  EXPECT_EQ(HelpForm->Label1->Caption(), "About documents");
  HelpForm->Hide();
  PressKey(VK_ESCAPE, {}, Keys);
  EXPECT_EQ(MainForm->MainPage->ActivePage(), MainForm->Main);
  EXPECT_EQ(ObjectText(), "Hello from the document");
}

// Leaving by another tab or by Esc; the real question, answered by its buttons.
TEST_F(OlePage, LeavingAChangedDocumentAsksAndYesSavesItUnderItsName) {
  struct {
    int Answer;
    bool ByEsc;
    bool Stays;
    const char* FileAfter;
  } Cases[] = {{IDCANCEL, false, true, "Hello from the document"},
               {IDCANCEL, true, true, "Hello from the document"},
               {IDNO, false, false, "Hello from the document"},
               {IDYES, true, false, "Edited"},
               {IDYES, false, false, "Edited"}};
  for (const auto& C : Cases) {
    SCOPED_TRACE(testing::Message() << "answer " << C.Answer << (C.ByEsc ? " by Esc" : " by tab"));
    ASSERT_TRUE(TTestDocumentServer::WriteDocument(ToWide(Doc()), "Hello from the document"));
    MainForm->MainPage->SetActivePage(MainForm->Main);
    MainForm->OleNew->DestroyObject();
    OpenChanged();
    std::vector<std::wstring> Asked;
    {
      TDialogWatcher Watcher(C.Answer);
      if (C.ByEsc) {
        MainForm->OleNew->SetFocus();
        PumpMessages();
        HWND Keys =
            MainForm->OleNew->InPlaceActive() ? MainForm->OleNew->InPlaceWindow() : MainForm->OleNew->Handle();
        PressKey(VK_ESCAPE, {}, Keys);
      } else {
        MainForm->MainPage->SelectNextPage(false);
      }
      Asked = Watcher.Answered();
    }
    ASSERT_EQ(Asked.size(), 1u);
    EXPECT_EQ(FromWide(Asked[0]), Lng("Document_changed"));
    EXPECT_EQ(MainForm->MainPage->ActivePage() == MainForm->ActiveX, C.Stays);
    EXPECT_EQ(FileText(Doc()), C.FileAfter);
    EXPECT_EQ(MainForm->OleNew->Modified(), C.Answer != IDYES);
    EXPECT_EQ(ObjectText(), "Edited");
  }
  // Unchanged, it is left without a question.
  MainForm->MainPage->SetActivePage(MainForm->ActiveX);
  TDialogWatcher Watcher(IDCANCEL);
  MainForm->MainPage->SelectNextPage(true);
  EXPECT_TRUE(Watcher.Answered().empty());
  EXPECT_EQ(MainForm->MainPage->ActivePage(), MainForm->EditTab);
}

TEST_F(OlePage, ADocumentIsNotReplacedOrClosedWithItsChangesUnasked) {
  std::vector<std::string> Asked;
  int Answer = mrCancel;
  MainForm->Ask = [&](const std::string& Msg, TMsgDlgType, TMsgDlgButtons) {
    Asked.push_back(Msg);
    return Answer;
  };
  OpenChanged();
  MainForm->MainPage->SetActivePage(MainForm->Main);
  // Cancel keeps the changed document in place of the other file's.
  AltF3(MainForm->RF, "right.zxd");
  EXPECT_EQ(Asked, (std::vector<std::string>{Lng("Document_changed")}));
  EXPECT_EQ(ObjectText(), "Edited");
  EXPECT_EQ(MainForm->MainPage->ActivePage(), MainForm->Main);
  // Nor is the program closed.
  bool CanClose = true;
  MainForm->FormCloseQuery(MainForm, CanClose);
  EXPECT_FALSE(CanClose);
  // No: the other document comes.
  Answer = mrNo;
  AltF3(MainForm->RF, "right.zxd");
  EXPECT_EQ(ObjectText(), "Right");
  EXPECT_EQ(FileText(Doc()), "Hello from the document");
}

TEST_F(OlePage, TheDocumentMenuOpensAndSavesUnderTheChosenNames) {
  auto* Save = dynamic_cast<TMenuItem*>(MainForm->FindComponent("SaveDoc1"));
  ASSERT_NE(Save, nullptr);
  MainForm->ActiveXMenuPopup(nullptr);
  EXPECT_FALSE(Save->Enabled());  // nothing to save yet
  // Cancelled dialogs change nothing.
  MainForm->OpenDoc1Click(nullptr);
  EXPECT_FALSE(MainForm->OleNew->HasObject());
  Chosen = Doc();
  MainForm->OpenDoc1Click(nullptr);
  EXPECT_EQ(ObjectText(), "Hello from the document");
  EXPECT_EQ(MainForm->MainPage->ActivePage(), MainForm->ActiveX);
  MainForm->ActiveXMenuPopup(nullptr);
  EXPECT_TRUE(Save->Enabled());
  TTestDocumentServer::SetObjectText(MainForm->OleNew->OleObject(), "Saved elsewhere");
  Chosen = Dir / "R\\copy.zxd";
  MainForm->SaveDoc1Click(nullptr);
  EXPECT_EQ(Names, (std::vector<std::string>{"open:", "open:", "save:" + Doc()}));
  EXPECT_EQ(FileText(Dir / "R\\copy.zxd"), "Saved elsewhere");
  EXPECT_EQ(FileText(Doc()), "Hello from the document");
  // The document now belongs to the new name: leaving saves there.
  EXPECT_EQ(MainForm->OleNew->Hint(), Dir / "R\\copy.zxd");
  EXPECT_FALSE(MainForm->OleNew->Modified());
  // The insert-object dialog, cancelled, leaves the document as it was.
  {
    TDialogWatcher Watcher(IDCANCEL);
    MainForm->NewDoc1Click(nullptr);
  }
  EXPECT_EQ(ObjectText(), "Saved elsewhere");
}

}  // namespace
