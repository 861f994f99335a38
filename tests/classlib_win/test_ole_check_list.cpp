// The check list box (marks toggled by the box and the space bar, new lines unmarked) and
// the OLE container with a real object of the system: embedded from its class, drawn,
// activated in place when it gets the focus, and an unknown class told, not embedded; and
// with the tests' own document: embedded from its file, changed and saved back.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "classlib/win/application.h"
#include "classlib/win/check_list_box.h"
#include "classlib/win/forms.h"
#include "classlib/win/ole_container.h"
#include "classlib/win/wide_string.h"
#include "storage/core/file_utils.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/dialog_watcher.h"
#include "tests/support/file_bytes.h"
#include "tests/support/form_test.h"
#include "tests/support/ole_test_document.h"

namespace {

TEST(CheckListBox, TheBoxAndTheSpaceBarToggleALineWhileTheTextOnlySelectsIt) {
  std::unique_ptr<TForm> F(CreateForm<TForm>(nullptr));
  auto* L = new TCheckListBox(F.get());
  L->SetBounds(0, 0, 200, 120);
  L->SetParent(F.get());
  L->Items()->Add("one");
  L->Items()->Add("two");
  int Clicks = 0;
  L->OnClickCheck = [&](TObject*) { ++Clicks; };
  F->Show();
  RECT R{};
  SendMessageW(L->Handle(), LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&R));
  const int Y = (R.top + R.bottom) / 2;
  auto Click = [&](int X) {
    SendMessageW(L->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, Y));
    SendMessageW(L->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(X, Y));
  };
  Click(150);  // on the text
  EXPECT_EQ(L->ItemIndex(), 1);
  EXPECT_FALSE(L->Checked(1));
  Click(4);  // on the box
  EXPECT_TRUE(L->Checked(1));
  EXPECT_FALSE(L->Checked(0));
  L->SetFocus();
  SendMessageW(L->Handle(), WM_CHAR, ' ', 0);
  EXPECT_FALSE(L->Checked(1));
  EXPECT_EQ(Clicks, 2);
  // Set from the program: no click; out of range reads false and changes nothing.
  L->SetChecked(0, true);
  L->SetChecked(5, true);
  EXPECT_TRUE(L->Checked(0));
  EXPECT_FALSE(L->Checked(5));
  EXPECT_EQ(Clicks, 2);
  L->Items()->Add("three");
  EXPECT_FALSE(L->Checked(2));
  L->Items()->Clear();
  L->Items()->Add("new");
  EXPECT_FALSE(L->Checked(0));
}

class OleContainerTest : public ::testing::Test {
protected:
  void SetUp() override {
    F.reset(CreateForm<TForm>(nullptr));
    F->SetBounds(0, 0, 400, 300);
    Ole = new TOleContainer(F.get());
    Ole->SetAlign(alClient);
    Ole->SetParent(F.get());
    Other = new TEdit(F.get());
    Other->SetAlign(alTop);
    Other->SetParent(F.get());
    F->Show();
    PumpMessages();
  }
  std::unique_ptr<TForm> F;
  TOleContainer* Ole = nullptr;
  TEdit* Other = nullptr;
};

// The system's web browser control is an ordinary embeddable, in-place object.
const char* const BrowserClass = "Shell.Explorer.2";

TEST_F(OleContainerTest, AnObjectOfAClassIsEmbeddedAndActivatedInPlaceWhenTheContainerGetsTheFocus) {
  Ole->SetAutoActivate(aaGetFocus);
  Ole->CreateObject(BrowserClass, false);
  ASSERT_TRUE(Ole->HasObject());
  EXPECT_FALSE(Ole->InPlaceActive());
  Other->SetFocus();
  PumpMessages();
  Ole->SetFocus();
  PumpMessages();
  ASSERT_TRUE(Ole->InPlaceActive());
  HWND W = Ole->InPlaceWindow();
  ASSERT_NE(W, nullptr);
  EXPECT_TRUE(IsChild(Ole->Handle(), W));
  // The object's window follows the container's size.
  F->SetBounds(0, 0, 500, 360);
  PumpMessages();
  RECT C{}, O{};
  GetClientRect(Ole->Handle(), &C);
  GetWindowRect(W, &O);
  EXPECT_EQ(O.right - O.left, C.right);
  EXPECT_EQ(O.bottom - O.top, C.bottom);
  Ole->DestroyObject();
  EXPECT_FALSE(Ole->HasObject());
  EXPECT_FALSE(Ole->InPlaceActive());
  EXPECT_FALSE(IsWindow(W) && IsChild(Ole->Handle(), W) && IsWindowVisible(W));
}

TEST_F(OleContainerTest, DoubleClickActivatesOnlyWhenAskedSo) {
  Ole->CreateObject(BrowserClass, false);
  Ole->SetFocus();
  PumpMessages();
  EXPECT_FALSE(Ole->InPlaceActive());  // double-click activation is the default
  SendMessageW(Ole->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 10));
  EXPECT_TRUE(Ole->InPlaceActive());
  Ole->Deactivate();
  EXPECT_FALSE(Ole->InPlaceActive());
  EXPECT_TRUE(Ole->HasObject());
}

TEST_F(OleContainerTest, AnUnknownClassRaisesAndLeavesTheContainerAsItWas) {
  Ole->CreateObject(BrowserClass, false);
  auto Fails = [&](const char* Name) {
    try {
      Ole->CreateObject(Name, false);
    } catch (const EOleSysError& E) {
      EXPECT_NE(std::string(E.what()), "") << Name;
      return FAILED(E.ErrorCode());
    }
    return false;
  };
  EXPECT_TRUE(Fails("No.Such.Plugin"));
  EXPECT_TRUE(Fails(""));
  EXPECT_TRUE(Ole->HasObject());
  // A class identifier that nothing serves: the old object is gone, no new one came.
  EXPECT_TRUE(Fails("{00000000-0000-0000-0000-00000000ABCD}"));
  EXPECT_FALSE(Ole->HasObject());
}

// The container with the tests' own document class served, and a folder for its files.
class OleDocumentTest : public OleContainerTest {
protected:
  void SetUp() override {
    OleContainerTest::SetUp();
    OleInitialize(nullptr);
    Server = std::make_unique<TTestDocumentServer>();
    ASSERT_TRUE(Server->Serving());
    ASSERT_TRUE(TTestDocumentServer::WriteDocument(ToWide(Doc()), "Hello document"));
  }
  void TearDown() override {
    if (Ole != nullptr) Ole->DestroyObject();
    Server.reset();
    OleUninitialize();
  }
  std::string Doc() const { return Dir / "note.zxd"; }
  std::string Text(const std::string& File) {
    std::string T;
    return TTestDocumentServer::ReadDocument(ToWide(File), T) ? T : "<not a document>";
  }
  std::string ObjectText() {
    std::string T;
    return TTestDocumentServer::ObjectText(Ole->OleObject(), T) ? T : "<no document>";
  }
  // The folder holds just these names: nothing half-written is left behind.
  std::vector<std::string> Names() {
    std::vector<std::string> R;
    TSearchRec F;
    if (FindFirst(Dir / "*", faAnyFile, F) == 0) {
      do
        if (F.Name != "." && F.Name != "..") R.push_back(F.Name);
      while (FindNext(F) == 0);
      FindClose(F);
    }
    std::sort(R.begin(), R.end());
    return R;
  }
  TTempFolder Dir;
  std::unique_ptr<TTestDocumentServer> Server;
};

TEST_F(OleDocumentTest, AFilesDocumentIsEmbeddedChangedAndSavedInItsOwnFormat) {
  Ole->CreateObjectFromFile(Doc(), false);
  ASSERT_TRUE(Ole->HasObject());
  EXPECT_EQ(ObjectText(), "Hello document");
  EXPECT_FALSE(Ole->Modified());
  // Drawn by the object itself.
  PumpMessages();
  ASSERT_TRUE(TTestDocumentServer::SetObjectText(Ole->OleObject(), "Changed"));
  EXPECT_TRUE(Ole->Modified());
  Ole->SaveToFile(Dir / "copy.zxd");
  EXPECT_FALSE(Ole->Modified());
  EXPECT_EQ(Text(Dir / "copy.zxd"), "Changed");
  EXPECT_EQ(Text(Doc()), "Hello document");
  // Over the file it came from; then read back as a new object.
  TTestDocumentServer::SetObjectText(Ole->OleObject(), "Second");
  Ole->SaveToFile(Doc());
  EXPECT_EQ(Text(Doc()), "Second");
  Ole->CreateObjectFromFile(Doc(), false);
  EXPECT_EQ(ObjectText(), "Second");
  EXPECT_EQ(Names(), (std::vector<std::string>{"copy.zxd", "note.zxd"}));
  // A change set from outside counts until cleared; no object is never changed.
  Ole->SetModified(true);
  EXPECT_TRUE(Ole->Modified());
  Ole->SetModified(false);
  EXPECT_FALSE(Ole->Modified());
  Ole->SetModified(true);
  Ole->DestroyObject();
  EXPECT_FALSE(Ole->Modified());
}

TEST_F(OleDocumentTest, AFileThatNoProgramServesIsToldAndTheDocumentStays) {
  WriteFileBytes(Dir / "plain.txt", "text");
  WriteFileBytes(Dir / "page.html", "<html><body>page</body></html>");
  ASSERT_TRUE(CreateDir(Dir / "folder"));
  Ole->CreateObjectFromFile(Doc(), false);
  struct {
    std::string File;
    bool Linked;
  } Cases[] = {{Dir / "plain.txt", false}, {Dir / "missing.zxd", false}, {Dir / "folder", false},
               {"", false},                {Doc(), true}};
  for (const auto& C : Cases) {
    try {
      Ole->CreateObjectFromFile(C.File, C.Linked);
      ADD_FAILURE() << C.File << " was embedded";
    } catch (const EOleSysError& E) {
      EXPECT_TRUE(FAILED(E.ErrorCode())) << C.File;
      EXPECT_NE(std::string(E.what()).find(C.File), std::string::npos) << E.what();
    }
    EXPECT_EQ(ObjectText(), "Hello document") << C.File;
  }
  // A page is a document where the system has an HTML document program; where it has none
  // (as under Wine without its browser engine), it is told like any other file.
  try {
    Ole->CreateObjectFromFile(Dir / "page.html", false);
    EXPECT_TRUE(Ole->HasObject());
  } catch (const EOleSysError&) {
    EXPECT_EQ(ObjectText(), "Hello document");
  }
  EXPECT_EQ(Text(Doc()), "Hello document");
}

TEST_F(OleDocumentTest, AFailedSaveLeavesTheOldFileWhole) {
  const std::string Old = "the old file";
  WriteFileBytes(Dir / "old.zxd", Old);
  auto SaveFails = [&](const std::string& File) {
    try {
      Ole->SaveToFile(File);
    } catch (const EOleSysError& E) {
      return FAILED(E.ErrorCode());
    }
    return false;
  };
  EXPECT_TRUE(SaveFails(Dir / "old.zxd"));  // nothing to save
  // The system's browser object keeps no document of its own to save.
  Ole->CreateObject(BrowserClass, false);
  EXPECT_TRUE(SaveFails(Dir / "old.zxd"));
  Ole->CreateObjectFromFile(Doc(), false);
  EXPECT_TRUE(SaveFails(Dir / "no such folder\\x.zxd"));
  EXPECT_EQ(ReadFileBytes(Dir / "old.zxd"), Old);
  EXPECT_EQ(Names(), (std::vector<std::string>{"note.zxd", "old.zxd"}));
}

TEST_F(OleDocumentTest, KeysTypedInTheActiveObjectReachTheContainerFirst) {
  std::vector<uint16_t> Keys;
  Ole->OnKeyDown = [&](TObject*, uint16_t& Key, TShiftState) {
    Keys.push_back(Key);
    if (Key == VK_ESCAPE) Key = 0;
  };
  Ole->SetAutoActivate(aaGetFocus);
  Ole->CreateObject(BrowserClass, false);
  Other->SetFocus();
  PumpMessages();
  Ole->SetFocus();
  PumpMessages();
  ASSERT_TRUE(Ole->InPlaceActive());
  HWND W = Ole->InPlaceWindow();
  ASSERT_NE(W, nullptr);
  PostMessageW(W, WM_KEYDOWN, VK_ESCAPE, 1);
  PostMessageW(W, WM_KEYDOWN, VK_F1, 1);
  PumpMessages();
  EXPECT_EQ(Keys, (std::vector<uint16_t>{VK_ESCAPE, VK_F1}));
}

TEST_F(OleDocumentTest, TheInsertObjectDialogCancelledChangesNothing) {
  Ole->CreateObjectFromFile(Doc(), false);
  TDialogWatcher Watcher(IDCANCEL);
  bool Inserted = true;
  try {
    Inserted = Ole->InsertObjectDialog();
  } catch (const EOleSysError& E) {
    // A system without the dialog says so.
    EXPECT_NE(std::string(E.what()), "");
    Inserted = false;
  }
  EXPECT_FALSE(Inserted);
  EXPECT_EQ(ObjectText(), "Hello document");
}

}  // namespace
