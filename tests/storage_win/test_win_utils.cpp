// The Windows side of the utilities: folder links and half-done copies on the real file
// system, short names, the folder browser, default storage names, window centring, Delay
// and progress bars.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "classlib/core/exception.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/com_ctrls.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/ext_ctrls.h"
#include "classlib/win/forms.h"
#include "classlib/win/std_ctrls.h"
#include "classlib/win/utility_window.h"
#include "classlib/win/wide_string.h"
#include "storage/browse_folder_dlg.h"
#include "storage/core/file_utils.h"
#include "storage/form_placement.h"
#include "storage/placement.h"
#include "storage/short_names.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/form_test.h"
#include "ui/vcl_utils.h"

#undef DeleteFile

namespace {

void WriteFile(const std::string& Name, const std::string& Data) {
  TFileStream S(Name, fmCreate);
  S.WriteBuffer(Data.data(), Data.size());
}

std::string ReadFile(const std::string& Name) {
  TMemoryStream S;
  S.LoadFromFile(Name);
  return std::string(static_cast<const char*>(S.Memory()), static_cast<size_t>(S.Size()));
}

bool IsLink(const std::string& Name) {
  DWORD A = GetFileAttributesW(ToWide(Name).c_str());
  return A != INVALID_FILE_ATTRIBUTES && (A & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A link to a folder. Wine's CreateSymbolicLink makes none; there the host's ln makes it,
// and Wine shows it as a reparse point, as Windows does.
bool MakeFolderLink(const std::string& Link, const std::string& Target) {
  if (CreateSymbolicLinkW(ToWide(Link).c_str(), ToWide(Target).c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) &&
      IsLink(Link))
    return true;
  using TUnixName = char*(CDECL*)(LPCWSTR);
  auto UnixName =
      reinterpret_cast<TUnixName>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
  if (UnixName == nullptr) return false;
  char* UTarget = UnixName(ToWide(Target).c_str());
  char* ULink = UnixName(ToWide(Link).c_str());
  if (UTarget == nullptr || ULink == nullptr) return false;
  std::string Cmd = std::string("/bin/ln -s \"") + UTarget + "\" \"" + ULink + "\"";
  HeapFree(GetProcessHeap(), 0, UTarget);
  HeapFree(GetProcessHeap(), 0, ULink);
  std::wstring WCmd(Cmd.begin(), Cmd.end());
  STARTUPINFOW Si{sizeof Si};
  PROCESS_INFORMATION Pi{};
  if (!CreateProcessW(nullptr, WCmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &Si, &Pi)) return false;
  CloseHandle(Pi.hThread);
  CloseHandle(Pi.hProcess);
  // The host's process is not waitable through its handle: look for the link.
  for (int I = 0; I < 200 && !IsLink(Link); ++I) Sleep(25);
  return IsLink(Link);
}

}  // namespace

TEST(WinFileUtils, ClearDirLeavesTheFilesOfALinkedFolder) {
  TTempFolder Dir;
  ForceDirectories(Dir / "outside");
  WriteFile(Dir / "outside\\precious.txt", "p");
  ForceDirectories(Dir / "root\\sub");
  WriteFile(Dir / "root\\sub\\x.txt", "x");
  ASSERT_TRUE(MakeFolderLink(Dir / "root\\sub\\Desktop", Dir / "outside"));
  bool Result = ClearDir(Dir / "root", true);
  EXPECT_EQ(ReadFile(Dir / "outside\\precious.txt"), "p");
  EXPECT_FALSE(FileExists(Dir / "root\\sub\\x.txt"));
  // Windows removes the link itself; Wine cannot, and then the result says so.
  bool LinkLeft = IsLink(Dir / "root\\sub\\Desktop");
  EXPECT_EQ(Result, !LinkLeft);
  EXPECT_EQ(DirExists(Dir / "root"), LinkLeft);
}

// "C:" is the drive's current folder: emptying it would empty whatever the process last
// changed into. A bare drive is refused and nothing is touched.
TEST(WinFileUtils, ClearDirRefusesABareDrive) {
  TTempFolder Dir;
  WriteFile(Dir / "keep.txt", "k");
  wchar_t Old[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, Old);
  ASSERT_TRUE(SetCurrentDirectoryW(ToWide(Dir.Path()).c_str()));
  const std::string Drive = Dir.Path().substr(0, 2);
  bool Cleared = ClearDir(Drive, false);
  bool Removed = ClearDir(Drive, true);
  SetCurrentDirectoryW(Old);
  EXPECT_FALSE(Cleared);
  EXPECT_FALSE(Removed);
  EXPECT_EQ(ReadFile(Dir / "keep.txt"), "k");
}

namespace {

// A progress bar whose control fails once data has moved, as a full disk or a lost network
// drive would fail the copy half way.
class TFailingBar : public TProgressBar {
public:
  static const TClassInfo* StaticClassInfo() {
    static const TClassInfo Info =
        TClassBuilder<TFailingBar, TProgressBar>("TFailingBar")
            .Prop("Position", &TProgressBar::Position,
                  [](TFailingBar& B, int Value) {
                    if (Value > 0 && B.Fail) throw EWriteError("The device is not ready");
                    B.SetPosition(Value);
                  })
            .Build();
    return &Info;
  }
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  using TProgressBar::TProgressBar;
  bool Fail = true;
};

}  // namespace

TEST(WinFileUtils, ACopyThatFailsHalfWayLeavesTheTargetAsItWas) {
  TTempFolder Dir;
  const std::string Data(100000, 's');
  WriteFile(Dir / "src.bin", Data);
  WriteFile(Dir / "target.bin", "keep me");
  std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
  auto* Bar = new TFailingBar(Form.get());
  Bar->SetParent(Form.get());
  try {
    CopyFileWithProgress(Dir / "src.bin", Dir / "target.bin", Bar);
    ADD_FAILURE() << "the copy went through";
  } catch (const EWriteError& E) {
    EXPECT_EQ(E.Message(), "The device is not ready");
  }
  EXPECT_EQ(Bar->Max(), 100000);
  EXPECT_EQ(Bar->Position(), 0);
  EXPECT_EQ(ReadFile(Dir / "target.bin"), "keep me");
  EXPECT_EQ(GetFileSizeByName(Dir / "*.~tmp*"), -1);  // no temporary left behind
  EXPECT_FALSE(FileExists(Dir / "new.bin"));
  try {
    CopyFileWithProgress(Dir / "src.bin", Dir / "new.bin", Bar);
  } catch (const EWriteError&) {
  }
  EXPECT_FALSE(FileExists(Dir / "new.bin"));  // no partial target either

  // The same copy now succeeds and replaces the target.
  Bar->Fail = false;
  CopyFileWithProgress(Dir / "src.bin", Dir / "target.bin", Bar);
  EXPECT_TRUE(ReadFile(Dir / "target.bin") == Data);
  EXPECT_EQ(Bar->Position(), 0);
}

TEST(WinFileUtils, ShortAndLongNames) {
  TTempFolder Dir;
  std::string Long = Dir / "Long folder name\\A long file name.text";
  ForceDirectories(ExtractFilePath(Long));
  WriteFile(Long, "x");
  std::string Short = LongToShortPath(Long);
  EXPECT_EQ(Short.substr(0, 2), Long.substr(0, 2));  // the drive stays
  EXPECT_EQ(ShortToLongPath(Short), Long);
  EXPECT_EQ(ShortToLongFileName(Long), "A long file name.text");
  EXPECT_NE(LongToShortFileName(Long), "");
  EXPECT_EQ(ShortToLongFileName(Dir / "missing"), "");
  EXPECT_EQ(LongToShortFileName(Dir / "missing"), "");
  EXPECT_EQ(ShortToLongPath(Dir / "missing\\file"), ShortToLongPath(Dir.Path()) + "\\\\");
}

TEST(WinUtils, DefaultStorageNames) {
  auto Form = std::make_unique<TForm>(nullptr);
  auto* Check = new TCheckBox(Form.get());
  Check->SetName("Check1");
  Check->SetParent(Form.get());
  auto* Storage = new TFormStorage(Form.get());
  Storage->SetName("Storage1");
  auto Loose = std::make_unique<TPanel>(nullptr);
  Loose->SetName("Loose");
  auto* Inner = new TEdit(nullptr);
  Inner->SetName("Inner");
  Inner->SetParent(Loose.get());
  TComponent Alone(nullptr);
  Alone.SetName("Alone");
  struct {
    TComponent* Component;
    const char* Section;
  } Cases[] = {{nullptr, ""},
               {Form.get(), "TForm"},
               {Check, "TFormCheck1"},
               {Storage, "TForm.Storage1"},
               {Inner, "LooseInner"},
               {&Alone, "Alone"}};
  for (auto& C : Cases) EXPECT_EQ(GetDefaultSection(C.Component), C.Section);
  EXPECT_EQ(Storage->IniSection(), "TForm");  // the owner form's section
  delete Inner;

  std::string Exe = Application->ExeName();
  EXPECT_TRUE(SameText(GetDefaultIniName(), ChangeFileExt(Exe, ".INI")));
  EXPECT_EQ(GetDefaultIniRegKey(), "Software\\test_storage_win");
  EXPECT_TRUE(SameText(Storage->IniFileName(), GetDefaultIniName()));
  Storage->SetUseRegistry(true);
  EXPECT_EQ(Storage->IniFileName(), "Software\\test_storage_win");
}

TEST(WinUtils, CenterWindowDelayAndProgress) {
  int ScreenW = GetSystemMetrics(SM_CXSCREEN), ScreenH = GetSystemMetrics(SM_CYSCREEN);
  auto Form = std::make_unique<TForm>(nullptr);
  Form->SetBounds(5, 5, 200, 100);
  CenterWindow(Form->Handle());
  RECT R;
  GetWindowRect(Form->Handle(), &R);
  EXPECT_EQ(R.left, (ScreenW - 200) / 2);
  EXPECT_EQ(R.top, (ScreenH - 100) / 2);
  EXPECT_EQ(R.right - R.left, 200);
  SetWindowPos(Form->Handle(), nullptr, 5, 5, ScreenW + 300, ScreenH + 200, SWP_NOZORDER | SWP_NOACTIVATE);
  CenterWindow(Form->Handle());
  GetWindowRect(Form->Handle(), &R);
  EXPECT_EQ(R.left, 0);
  EXPECT_EQ(R.top, 0);

  // Delay handles the messages that come meanwhile.
  bool Handled = false;
  HWND Wnd = AllocateHWnd([&](HWND W, UINT Msg, WPARAM WParam, LPARAM LParam) -> LRESULT {
    if (Msg == WM_APP + 1) Handled = true;
    return DefWindowProcW(W, Msg, WParam, LParam);
  });
  PostMessageW(Wnd, WM_APP + 1, 0, 0);
  Delay(20);
  EXPECT_TRUE(Handled);
  DeallocateHWnd(Wnd);

  auto* Bar = new TProgressBar(Form.get());
  Bar->SetParent(Form.get());
  EXPECT_TRUE(SetProgressMax(Bar, 500));
  EXPECT_TRUE(SetProgressMin(Bar, 10));
  EXPECT_TRUE(SetProgressValue(Bar, 250));
  EXPECT_EQ(Bar->Max(), 500);
  EXPECT_EQ(Bar->Min(), 10);
  EXPECT_EQ(Bar->Position(), 250);
  EXPECT_FALSE(SetProgressValue(Form.get(), 1));
}

TEST(WinUtils, BrowseFolderDialog) {
  TTempFolder Dir;
  ForceDirectories(Dir / "Chosen");
  std::vector<int> HelpAsked;
  auto SavedHelp = HelpContextProc;
  HelpContextProc = [&](int Context) { HelpAsked.push_back(Context); };
  struct {
    UINT Button;
    bool Result;
  } Cases[] = {{IDOK, true}, {IDCANCEL, false}};
  for (auto& C : Cases) {
    TBrowseFolderDlg Dialog(nullptr);
    Dialog.SetDialogText("Choose a folder");
    Dialog.SetFolderName(Dir / "Chosen\\");
    Dialog.SetHelpContext(77);
    HWND Help = nullptr;
    RECT R{};
    std::vector<std::string> Selections;
    Dialog.OnSelChanged = [&](TObject*) { Selections.push_back(Dialog.SelectedName()); };
    Dialog.OnInitialized = [&](TObject*) {
      GetWindowRect(Dialog.Handle(), &R);
      Help = FindWindowExW(Dialog.Handle(), nullptr, L"Button", L"&Help");
      if (Help != nullptr) SendMessageW(Help, BM_CLICK, 0, 0);
      PostMessageW(Dialog.Handle(), WM_COMMAND, C.Button, 0);
    };
    EXPECT_EQ(Dialog.Execute(), C.Result);
    EXPECT_NE(Help, nullptr);
    EXPECT_EQ(R.left, (GetSystemMetrics(SM_CXSCREEN) - (R.right - R.left)) / 2);  // centred
    if (C.Result) {
      // The folder chosen, without its backslash. (Wine preselects the folder only once its
      // shell tree is ready, so the choice may be another folder.)
      EXPECT_TRUE(DirExists(Dialog.FolderName()));
      EXPECT_EQ(Dialog.FolderName(), RemoveBackSlash(Dialog.FolderName()));
      if (!Selections.empty()) {
        EXPECT_TRUE(SameText(Dialog.FolderName(), RemoveBackSlash(Selections.back())));
      }
    } else {
      EXPECT_EQ(Dialog.FolderName(), Dir / "Chosen\\");
    }
    EXPECT_EQ(Dialog.Handle(), nullptr);
  }
  HelpContextProc = SavedHelp;
  EXPECT_EQ(HelpAsked, (std::vector<int>{77, 77}));
}
