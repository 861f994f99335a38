// The shell launcher the whole program shares: command lines with arguments run, and a
// failure is told with the system's message.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "app/shared_routines.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/ext_ctrls.h"
#include "classlib/win/forms.h"
#include "classlib/core/code_page.h"
#include "classlib/core/sys_utils.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/dialog_watcher.h"
#include "tests/support/form_test.h"
#include "tests/support/wait_for.h"

namespace {

std::string SystemFolder() {
  wchar_t Buf[MAX_PATH];
  UINT N = GetSystemDirectoryW(Buf, MAX_PATH);
  return Utf16ToCp1251(std::u16string(reinterpret_cast<const char16_t*>(Buf), N));
}

// Waits, handling messages, until the file appears (a started program writes it).
bool WaitForFile(const std::string& Name) {
  return WaitFor([&] { return FileExists(Name); }, 30000);
}

TEST(ExecuteFile, CommandLinesRunWithTheirArguments) {
  TTempFolder Dir;
  const std::string Cmd = SystemFolder() + "\\cmd.exe";
  const struct {
    std::string Line;
    const char* Out;
  } Rows[] = {
      {"cmd.exe /c echo one>one.txt", "one.txt"},                  // program found on the path
      {"\"" + Cmd + "\" /c echo two>\"two files.txt\"", "two files.txt"},  // quoted program, quoted argument
  };
  for (const auto& R : Rows) {
    TDialogWatcher Watcher;
    HINSTANCE Result = ExecuteFile(R.Line, "", Dir.Path(), SW_HIDE);
    EXPECT_GT(reinterpret_cast<INT_PTR>(Result), 32) << R.Line;
    EXPECT_TRUE(WaitForFile(Dir / R.Out)) << R.Line;
    EXPECT_TRUE(Watcher.Answered().empty()) << R.Line;
  }
  // Separate parameters are passed as they are.
  HINSTANCE Result = ExecuteFile(Cmd, "/c echo three>three.txt", Dir.Path(), SW_HIDE);
  EXPECT_GT(reinterpret_cast<INT_PTR>(Result), 32);
  EXPECT_TRUE(WaitForFile(Dir / "three.txt"));
}

TEST(ExecuteFile, FailureIsToldWithTheSystemsMessage) {
  TTempFolder Dir;
  const std::string Missing = Dir / "none.exe";
  TDialogWatcher Watcher;
  HINSTANCE Result = ExecuteFile(Missing + " arg", "", "", SW_SHOWNORMAL);
  EXPECT_LE(reinterpret_cast<INT_PTR>(Result), 32);
  const auto Texts = Watcher.Answered();
  ASSERT_EQ(Texts.size(), 1u);
  const std::string Text = Utf16ToCp1251(std::u16string(Texts[0].begin(), Texts[0].end()));
  EXPECT_NE(Text.find(Missing), std::string::npos) << Text;
  EXPECT_NE(Text.find(SysErrorMessage(ERROR_FILE_NOT_FOUND)), std::string::npos) << Text;
}

// A picture wider than its page is scaled to the page's width, keeping its proportions.
TEST(FitPicture, ScalesIntoThePage) {
  TTempFolder Dir;
  std::unique_ptr<TForm> Host(CreateForm<TForm>(nullptr));
  Host->SetBounds(0, 0, 800, 600);
  auto* Page = new TPanel(Host.get());
  Page->SetParent(Host.get());
  Page->SetBounds(0, 0, 600, 433);
  auto* Image = new TImage(Host.get());
  Image->SetParent(Page);
  Image->SetTop(34);
  const struct {
    int W, H, WantW, WantH;
    bool Stretch;
  } Rows[] = {{700, 100, 600, 85, true}, {1200, 1000, 479, 400, true}, {200, 100, 200, 100, false}};
  for (const auto& R : Rows) {
    TBitmap B;
    B.SetSize(R.W, R.H);
    B.SaveToFile(Dir / "p.bmp");
    FitPicture(Page, Image, Dir / "p.bmp");
    EXPECT_EQ(Image->Width(), R.WantW) << R.W << "x" << R.H;
    EXPECT_EQ(Image->Height(), R.WantH) << R.W << "x" << R.H;
    EXPECT_EQ(Image->Stretch(), R.Stretch);
  }
  EXPECT_ANY_THROW(FitPicture(Page, Image, Dir / "none.bmp"));
}

}  // namespace
