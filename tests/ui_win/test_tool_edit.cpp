// Edits with a button: file names read and written, dropped files, the click key, the
// dialogs' start and result, and a look at a form with a rich edit beside them.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/core/code_page.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/forms.h"
#include "classlib/win/wide_string.h"
#include "tests/support/form_test.h"
#include "tests/support/screenshot.h"
#include "ui/rx_rich_edit.h"
#include "ui/tool_edit.h"

namespace {

// A folder of its own under the temporary folder, removed with its files afterwards.
struct TTempDir {
  std::string Path;
  std::vector<std::string> Files;
  TTempDir() {
    wchar_t Buf[MAX_PATH];
    GetTempPathW(MAX_PATH, Buf);
    Path = FromWide(Buf) + "zx_tool_edit_" + IntToStr(int(GetCurrentProcessId())) + "\\";
    CreateDirectoryW(ToWide(Path).c_str(), nullptr);
  }
  ~TTempDir() {
    for (auto I = Files.rbegin(); I != Files.rend(); ++I) {
      DeleteFileW(ToWide(*I).c_str());
      RemoveDirectoryW(ToWide(*I).c_str());
    }
    RemoveDirectoryW(ToWide(Path).c_str());
  }
  std::string File(const std::string& Name) {
    std::string Full = Path + Name;
    std::string Dir = ExtractFilePath(Full);
    if (Dir != Path && CreateDirectoryW(ToWide(Dir).c_str(), nullptr)) Files.push_back(Dir);
    TFileStream(Full, fmCreate);
    Files.push_back(Full);
    return Full;
  }
};

// A shell drop of these names, as the shell hands it to a window.
HGLOBAL MakeDrop(const std::vector<std::string>& Names) {
  std::wstring List;
  for (const auto& N : Names) List += ToWide(N) + L'\0';
  List += L'\0';
  HGLOBAL H = GlobalAlloc(GHND, sizeof(DROPFILES) + List.size() * sizeof(wchar_t));
  auto* D = static_cast<DROPFILES*>(GlobalLock(H));
  D->pFiles = sizeof(DROPFILES);
  D->fWide = TRUE;
  memcpy(reinterpret_cast<char*>(D) + sizeof(DROPFILES), List.data(), List.size() * sizeof(wchar_t));
  GlobalUnlock(H);
  return H;
}

// The dialogs answered by the test instead of the user.
class TTestFileEdit : public TFilenameEdit {
public:
  using TFilenameEdit::TFilenameEdit;
  std::string Answer;
  std::string ShownName, ShownDir;
  int Shown = 0;

protected:
  bool ExecuteDialog() override {
    ++Shown;
    ShownName = Dialog()->FileName();
    ShownDir = Dialog()->InitialDir();
    if (Answer.empty()) return false;
    Dialog()->SetFileName(Answer);
    return true;
  }
};

class TTestDirEdit : public TDirectoryEdit {
public:
  using TDirectoryEdit::TDirectoryEdit;
  std::string Answer;
  std::string StartedAt;

protected:
  bool ExecuteDialog(std::string& Name) override {
    StartedAt = Name;
    if (Answer.empty()) return false;
    Name = Answer;
    return true;
  }
};

struct ToolEdit : ::testing::Test {
  std::unique_ptr<TForm> Form{CreateForm<TForm>(nullptr)};
  TTestFileEdit* File = new TTestFileEdit(Form.get());
  TTestDirEdit* Dir = new TTestDirEdit(Form.get());
  TTempDir Temp;
  void SetUp() override {
    File->SetParent(Form.get());
    File->SetBounds(10, 10, 300, 21);
    Dir->SetParent(Form.get());
    Dir->SetBounds(10, 40, 300, 21);
    Form->SetBounds(60, 60, 340, 120);
    Form->Show();
    PumpMessages();
  }
  void TearDown() override { Form->Hide(); }
};

}  // namespace

TEST_F(ToolEdit, FileNameOfTheText) {
  std::string Blank = Temp.File("my file.txt");
  struct {
    std::string Text, Name;
  } Cases[] = {
      {"notepad.exe readme.txt", "notepad.exe"},
      {"C:\\Tools\\calc.exe /x", "C:\\Tools\\calc.exe"},
      {"\"C:\\Program Files\\ed.exe\" -n /q", "C:\\Program Files\\ed.exe"},
      {Blank, Blank},
      {Blank + " extra", Temp.Path + "my"},
      {"", ""},
      {"   ", ""},
  };
  for (const auto& C : Cases) {
    File->SetText(C.Text);
    EXPECT_EQ(File->FileName(), C.Name) << C.Text;
  }
}

TEST_F(ToolEdit, FileNameWritten) {
  struct {
    std::string Value, Text;
  } Cases[] = {
      {"C:\\My Files\\a.txt", "\"C:\\My Files\\a.txt\""},
      {"\"C:\\My Files\\a.txt\" -x", "\"C:\\My Files\\a.txt\" -x"},
      {"C:\\plain.txt", "C:\\plain.txt"},
      {"", ""},
  };
  for (const auto& C : Cases) {
    File->SetFileName(C.Value);
    EXPECT_EQ(File->Text(), C.Text) << C.Value;
  }
  File->SetFileName("C:\\kept.txt");
  for (const char* Bad : {"C:\\a|b.txt", "<name>", "x[1].txt"}) {
    EXPECT_THROW(File->SetFileName(Bad), EComboEditError) << Bad;
    EXPECT_EQ(File->Text(), "C:\\kept.txt");
  }
  try {
    File->SetFileName("a|b");
  } catch (const EComboEditError& E) {
    EXPECT_EQ(E.Message(), "Invalid file name - a|b");
  }
}

TEST_F(ToolEdit, DroppedFiles) {
  std::string A = Temp.File("a.txt"), B = Temp.File("b.txt"), C = Temp.File("c.txt");
  int Drops = 0;
  File->OnDropFiles = [&](TObject*) { ++Drops; };
  SendMessageW(File->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({A, B, C})), 0);
  EXPECT_EQ(File->FileName(), A);
  EXPECT_EQ(File->DialogFiles()->Count(), 1);
  EXPECT_EQ(Drops, 1);

  std::string X = Temp.File("B\\x.txt");
  Dir->SetMultipleDirs(true);
  Dir->SetText("C:\\A");
  SendMessageW(Dir->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({X})), 0);
  EXPECT_EQ(Dir->Text(), "C:\\A;" + Temp.Path + "B\\");
  // A folder (no such file) is taken as it is; without multiple folders it replaces the text.
  Dir->SetMultipleDirs(false);
  SendMessageW(Dir->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({Temp.Path + "B"})), 0);
  EXPECT_EQ(Dir->Text(), Temp.Path + "B");
}

TEST_F(ToolEdit, ClickKeyAndHiddenButton) {
  int Clicks = 0;
  File->OnButtonClick = [&](TObject*) { ++Clicks; };
  File->SetFocus();
  PressKey(VK_DOWN, {ssAlt});
  EXPECT_EQ(Clicks, 1);
  EXPECT_EQ(File->Shown, 1);
  File->SetButtonWidth(1);
  EXPECT_EQ(File->ButtonWidth(), 0);
  PressKey(VK_DOWN, {ssAlt});
  EXPECT_EQ(Clicks, 1);
  // The text's formatting rectangle gives the button's room back.
  RECT R;
  SendMessageW(File->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&R));
  EXPECT_GE(R.right, File->ClientWidth() - 4);
  // A read-only edit's button does nothing.
  File->SetButtonWidth(21);
  File->SetReadOnly(true);
  File->DoClick();
  EXPECT_EQ(Clicks, 1);
}

TEST_F(ToolEdit, ButtonSitsAtTheRightWithTheDefaultGlyph) {
  TEditButton* B = File->Button();
  EXPECT_EQ(File->GlyphKind(), gkDefault);
  EXPECT_EQ(B->Glyph()->Width(), 14);
  EXPECT_GE(File->ButtonWidth(), 20);
  POINT P{B->Width() / 2, B->Height() / 2};
  MapWindowPoints(B->Parent()->Handle(), File->Handle(), &P, 1);
  EXPECT_GT(P.x, File->ClientWidth() - File->ButtonWidth());
  RECT R;
  SendMessageW(File->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&R));
  EXPECT_LE(R.right, File->ClientWidth() - File->ButtonWidth());
}

TEST_F(ToolEdit, FileDialogStartsAtTheNameAndQuotesTheChoice) {
  std::string Existing = Temp.File("start.txt");
  File->SetFileName(Existing);
  File->Answer = "C:\\Some Folder\\chosen.txt";
  std::vector<std::string> Log;
  File->OnBeforeDialog = [&](TObject*, std::string& Name, bool&) { Log.push_back("before " + Name); };
  File->OnAfterDialog = [&](TObject*, std::string& Name, bool& Action) {
    Log.push_back("after " + Name + (Action ? " ok" : " cancel"));
  };
  File->DoClick();
  EXPECT_EQ(File->ShownName, "start.txt");
  EXPECT_EQ(File->ShownDir, Temp.Path);
  EXPECT_EQ(File->Text(), "\"C:\\Some Folder\\chosen.txt\"");
  EXPECT_EQ(File->InitialDir(), "C:\\Some Folder\\");
  ASSERT_EQ(Log.size(), 2u);
  EXPECT_EQ(Log[1], "after C:\\Some Folder\\chosen.txt ok");
  // Refused before the dialog: no dialog, text unchanged.
  File->OnBeforeDialog = [](TObject*, std::string&, bool& Action) { Action = false; };
  File->DoClick();
  EXPECT_EQ(File->Shown, 1);
}

TEST_F(ToolEdit, FolderDialogStartAndResult) {
  Dir->DoClick();
  EXPECT_EQ(Dir->StartedAt, "\\");
  Dir->SetInitialDir(Temp.Path);
  Dir->DoClick();
  EXPECT_EQ(Dir->StartedAt, Temp.Path);
  Dir->SetText("Q:\\no\\such\\folder");
  Dir->DoClick();
  EXPECT_EQ(Dir->StartedAt, "\\");
  Dir->SetMultipleDirs(true);
  Dir->SetText("C:\\A");
  Dir->Answer = Temp.Path;
  Dir->DoClick();
  EXPECT_EQ(Dir->Text(), "C:\\A;" + Temp.Path);
}

TEST_F(ToolEdit, LongAndShortNamesOfSeveralFolders) {
  std::string Sub = Temp.File("Long Folder Name\\f.txt");
  std::string Folder = ExtractFileDir(Sub);
  Dir->SetMultipleDirs(true);
  Dir->SetText(Folder + ";;" + Temp.Path);
  std::string Short = Dir->GetShortName();
  EXPECT_EQ(Short.find("Long Folder Name"), std::string::npos) << Short;
  EXPECT_EQ(Short.find(";;"), std::string::npos);
  Dir->SetText(Short);
  EXPECT_TRUE(SameText(Dir->GetLongName(), Folder + ";" + ExcludeTrailingBackslash(Temp.Path)) ||
              SameText(Dir->GetLongName(), Folder + ";" + Temp.Path))
      << Dir->GetLongName();
}

TEST_F(ToolEdit, ScreenshotWithARichEdit) {
  auto* Rich = new TRxRichEdit(Form.get());
  Rich->SetParent(Form.get());
  Rich->SetBounds(10, 70, 300, 140);
  Form->SetBounds(60, 60, 340, 260);
  std::string Rtf = "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset204 Arial;}}"
                    "{\\colortbl;\\red200\\green0\\blue0;\\red0\\green0\\blue160;}\\f0\\fs20 " +
                    Utf8ToCp1251("{\\b Жирный заголовок}\\par {\\cf1 Красный текст} и {\\cf2 синий}\\par") +
                    Utf8ToCp1251("{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}\\fi-360\\li360 Первый пункт\\par") +
                    Utf8ToCp1251("{\\pntext\\'b7\\tab}Второй пункт\\par}");
  TStringStream S(Rtf);
  Rich->Lines()->LoadFromStream(&S);
  File->SetFileName("C:\\Program Files\\Zembrix\\zembrix.exe");
  EXPECT_EQ(Rich->Lines()->Strings(0), Utf8ToCp1251("Жирный заголовок"));
  int Item = int(SendMessageW(Rich->Handle(), EM_LINEINDEX, 2, 0));
  Rich->SetSelection(Item, Item, false);
  EXPECT_EQ(Rich->Paragraph()->Numbering(), nsBullet);
  Rich->SetSelection(0, 0, false);
  Form->Repaint();
  PumpMessages();
  EXPECT_GT(SaveWindowPng(Form->Handle(), ScreenshotPath("rich_edit_and_file_edit.png")), 100);
}
