// The program folder the build writes: the program started from a copy of it, from another
// current folder, finds its own language file.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "classlib/core/code_page.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/registry.h"
#include "classlib/win/wide_string.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/form_test.h"

namespace {

std::string DistFolder() {
  std::string D = ZX_DIST_DIR;
  for (char& C : D)
    if (C == '/') C = '\\';
  return D;
}

bool CopyTree(const std::string& From, const std::string& To) {
  if (!DirectoryExists(To) && !CreateDir(To)) return false;
  TSearchRec R;
  bool Ok = true;
  if (FindFirst(From + "\\*", faAnyFile, R) == 0) {
    do {
      if (R.Name == "." || R.Name == "..") continue;
      const std::string S = From + "\\" + R.Name, T = To + "\\" + R.Name;
      if (R.Attr & faDirectory)
        Ok = CopyTree(S, T) && Ok;
      else
        Ok = CopyFileW(ToWide(S).c_str(), ToWide(T).c_str(), FALSE) && Ok;
    } while (FindNext(R) == 0);
    FindClose(R);
  }
  return Ok;
}

struct TFound {
  DWORD Pid;
  std::wstring Want;
  HWND Wnd;
};

BOOL CALLBACK HasText(HWND Wnd, LPARAM LParam) {
  auto* F = reinterpret_cast<TFound*>(LParam);
  wchar_t Buf[256] = {};
  GetWindowTextW(Wnd, Buf, 256);
  if (F->Want == Buf) {
    F->Wnd = Wnd;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindWindowWithText(HWND Wnd, LPARAM LParam) {
  auto* F = reinterpret_cast<TFound*>(LParam);
  DWORD Pid = 0;
  GetWindowThreadProcessId(Wnd, &Pid);
  if (Pid != F->Pid || !IsWindowVisible(Wnd)) return TRUE;
  EnumChildWindows(Wnd, HasText, LParam);
  if (F->Wnd == nullptr) return TRUE;
  F->Wnd = Wnd;
  return FALSE;
}

// Starts the program and waits until its main window shows a page captioned Text; true
// when it does. The program is then closed as a user closes it.
bool ShowsPage(const std::string& Exe, const std::string& CurrentFolder, const std::string& Text) {
  std::wstring Command = L"\"" + ToWide(Exe) + L"\"";
  STARTUPINFOW Si{};
  Si.cb = sizeof Si;
  PROCESS_INFORMATION Pi{};
  if (!CreateProcessW(nullptr, Command.data(), nullptr, nullptr, FALSE, 0, nullptr, ToWide(CurrentFolder).c_str(), &Si,
                      &Pi)) {
    ADD_FAILURE() << "cannot start " << Exe << ": " << SysErrorMessage(static_cast<int>(GetLastError()));
    return false;
  }
  TFound F{Pi.dwProcessId, ToWide(Text), nullptr};
  for (int I = 0; I < 600 && F.Wnd == nullptr; ++I) {
    if (WaitForSingleObject(Pi.hProcess, 100) == WAIT_OBJECT_0) break;
    EnumWindows(FindWindowWithText, reinterpret_cast<LPARAM>(&F));
  }
  const bool Found = F.Wnd != nullptr;
  if (Found) PostMessageW(F.Wnd, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(Pi.hProcess, Found ? 30000 : 0) != WAIT_OBJECT_0) {
    if (Found) ADD_FAILURE() << "the program did not end after its window was closed";
    TerminateProcess(Pi.hProcess, 1);
    WaitForSingleObject(Pi.hProcess, 10000);
  }
  CloseHandle(Pi.hThread);
  CloseHandle(Pi.hProcess);
  return Found;
}

TEST(ProgramFolder, ACopyFindsItsOwnLanguageFile) {
  const std::string Dist = DistFolder();
  ASSERT_TRUE(FileExists(Dist + "\\INI\\zq.lng")) << Dist;
  for (const char* Name : {"INI\\help.ini", "INI\\FastBar.ini", "INI\\Color.ini", "INI\\Folder.ini",
                           "INI\\Tips.ini", "Langs\\Russian.zq.lng", "Langs\\English.zq.lng", "Assistant\\Ass.gif"})
    EXPECT_TRUE(FileExists(Dist + "\\" + Name)) << Name;
  EXPECT_TRUE(DirectoryExists(Dist + "\\temp"));
  EXPECT_TRUE(DirectoryExists(Dist + "\\INI\\pal"));
  EXPECT_TRUE(DirectoryExists(Dist + "\\INI\\Synt"));

  TTempFolder Dir;
  ASSERT_TRUE(CopyTree(Dist, Dir / "Zembrix"));
  ASSERT_TRUE(CreateDir(Dir / "elsewhere"));
  const std::string Exe = Dir / "Zembrix\\zembrix.exe";
  ASSERT_TRUE(FileExists(Exe));
  // The page of the editor is captioned by the language file in use; the colour file is
  // written back into the program's own folder, not the current one.
  ASSERT_TRUE(DeleteFile(Dir / "Zembrix\\INI\\Color.ini"));
  const struct {
    const char* Language;
    const char* Caption;  // UTF-8
  } Rows[] = {{"English", "Editor"}, {"Russian", "Редактор"}};
  for (const auto& R : Rows) {
    TRegistry().DeleteKey("\\Software\\Zembrix");
    ASSERT_TRUE(CopyFileW(ToWide(Dir / ("Zembrix\\Langs\\" + std::string(R.Language) + ".zq.lng")).c_str(),
                          ToWide(Dir / "Zembrix\\INI\\zq.lng").c_str(), FALSE));
    EXPECT_TRUE(ShowsPage(Exe, Dir / "elsewhere", Utf8ToCp1251(R.Caption))) << R.Language;
  }
  EXPECT_TRUE(FileExists(Dir / "Zembrix\\INI\\Color.ini"));
  EXPECT_FALSE(DirectoryExists(Dir / "elsewhere\\ini"));
  TRegistry().DeleteKey("\\Software\\Zembrix");
}

}  // namespace
