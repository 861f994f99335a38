// The Windows half of the archive engine: the drive box, the shell's icons, type names
// and image lists, and the message pump the engine runs after each progress report.
#include "archive/arc_win.h"
#include "archive/core/arc_file.h"
#include "archive/core/un_zip.h"
#include "classlib/win/image_list.h"
#include "classlib/win/list_view.h"
#include "classlib/core/stream.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

const wchar_t kTitle[] = L"Archive test";

// Answers the drive boxes captioned kTitle with the buttons given, one box each, and keeps
// their texts. Each box is waited for, and gone, before the next answer.
class TBoxAnswerer {
public:
  explicit TBoxAnswerer(std::vector<int> Buttons) : FButtons(std::move(Buttons)), FThread([this] { Run(); }) {}
  ~TBoxAnswerer() {
    FStop = true;
    FThread.join();
  }
  std::vector<std::wstring> Texts;

private:
  void Run() {
    for (int button : FButtons) {
      HWND box = nullptr;
      while (!FStop && !(box = FindWindowW(L"#32770", kTitle))) std::this_thread::yield();
      if (FStop) return;
      wchar_t text[512] = {};
      // The message box's text is its static control 0xFFFF.
      for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
           !text[0] && std::chrono::steady_clock::now() < until;)
        GetDlgItemTextW(box, 0xFFFF, text, 512);
      Texts.push_back(text);
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
      while (!FStop && IsWindow(box)) std::this_thread::yield();
    }
  }
  std::vector<int> FButtons;
  std::atomic<bool> FStop{false};
  std::thread FThread;
};

// A drive letter this machine has no drive for.
char MissingDrive() {
  const DWORD drives = GetLogicalDrives();
  for (char d = 'Q'; d <= 'Y'; ++d)
    if (!(drives & (1u << (d - 'A')))) return d;
  return 0;
}

}  // namespace

TEST(ArcWin, DriveBoxRetriesAndCancels) {
  InstallArchiveWin("Archive test", nullptr);
  EXPECT_TRUE(CheckDriveReady("C:\\x.zip"));  // a ready drive asks nothing
  const char d = MissingDrive();
  ASSERT_NE(d, 0);
  std::string name = std::string(1, d) + ":\\x.zip";
  TBoxAnswerer answers({IDRETRY, IDCANCEL});
  EXPECT_FALSE(CheckDriveReady(name));
  // Asked again after Retry, given up after Cancel.
  ASSERT_EQ(answers.Texts.size(), 2u);
  const std::wstring start = std::wstring(1, wchar_t(d)) + L":\\ is not accessible.";
  EXPECT_EQ(answers.Texts[0].compare(0, start.size(), start), 0);
}

TEST(ArcWin, ShellIconsTypesAndImageLists) {
  InstallArchiveWin("Archive test", nullptr);
  TUnZIP reader(nullptr);
  reader.FileName = "notes.txt";
  EXPECT_GE(reader.EntryIconIndex(), 0);
  std::string type;
  reader.ShellTypeName("notes.txt", type);
  EXPECT_FALSE(type.empty());

  TComponent owner(nullptr);
  TListView view(&owner);
  AssignSystemImageLists(&owner, &view);
  ASSERT_NE(view.LargeImages(), nullptr);
  ASSERT_NE(view.SmallImages(), nullptr);
  EXPECT_TRUE(view.LargeImages()->ShareImages());
  const HIMAGELIST large = view.LargeImages()->Handle();
  ASSERT_NE(large, nullptr);
  EXPECT_GT(view.LargeImages()->Width(), view.SmallImages()->Width());
  FreeSystemImageLists(&view);
  EXPECT_EQ(view.LargeImages(), nullptr);
  EXPECT_EQ(view.SmallImages(), nullptr);
  EXPECT_GT(ImageList_GetImageCount(large), 0);  // the shell's list lives on
}

TEST(ArcWin, ProgressReportsRunTheMessagePump) {
  int pumped = 0;
  InstallArchiveWin("Archive test", [&] { ++pumped; });
  TUnZIP reader(nullptr);
  std::string data = ZX_TEST_DATA;  // tests/archive_win: the fixture is the portable tests'
  data.resize(data.size() - 4);      // "_win"
  reader.SetArchiveFile("Z:" + data + "/data/plain.zip");  // whatever folder is current
  TMemoryStream out;
  reader.ExtractToStream("*.*", &out);
  EXPECT_GT(out.Size(), 0);
  EXPECT_GT(pumped, 0);
  InstallArchiveWin("Archive test", nullptr);
}
