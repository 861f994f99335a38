// The archive pages on the real main window: an archive listed with its sizes, types and
// dates; entries extracted into the other panel's folder, each side through its own
// reader; Cancel in the progress window; view, run and double-click; the staging list
// handed to a packer with every name quoted; the keys of the page; and the archive
// dialogs (add to ZIP with our writer, add with a packer, the question, the progress).
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/arc_dialogs.h"
#include "app/arc_page.h"
#include "app/core/lng_strings.h"
#include "app/main_form.h"
#include "app/shared_routines.h"
#include "app/settings.h"
#include "archive/arc_win.h"
#include "archive/core/travik.h"
#include "archive/core/un_zip.h"
#include "archive/un_rar.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/registry.h"
#include "classlib/win/wide_string.h"
#include "shell/pt_data_transfer.h"
#include "tests/archive_win/corpus_util.h"
#include "tests/archive_win/generated_cabs.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/form_test.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/support/dialog_watcher.h"
#include "tests/support/file_bytes.h"
#include "tests/support/wait_for.h"
#include "tests/support/main_window_fixture.h"

namespace {

std::string Fixture(const std::string& Name) {
  return SlashToBackslash(std::string("Z:") + ZX_TEST_DATA + "/data/arc/" + Name);
}

// big.bin of the fixture, as make-fixtures.sh made it.
std::string BigBin() {
  std::string S(4 << 20, '\0');
  for (size_t I = 0; I < S.size(); ++I) S[I] = char((I * 7 + I / 4096) % 251);
  return S;
}

class ArcPage : public MainWindowFixture {
protected:
  void SetUp() override {
    SetDllDirectoryW(ToWide(SlashToBackslash(ZX_DIST_DIR)).c_str());
    InstallArchiveWin("Zembrix", nullptr);  // the shell's icons and type names of entries
    MainWindowFixture::SetUp();
    CreateDir(Dir / "left");
    CreateDir(Dir / "right");
    CreateMainForm();
    MainForm->Ask = [this](const std::string& Msg, TMsgDlgType, TMsgDlgButtons) {
      Told.push_back(Msg);
      return Answer;
    };
    MainForm->AskText = [this](const std::string&, const std::string&, std::string& Value) {
      if (Typed.empty()) return false;
      Value = Typed;
      return true;
    };
    MainForm->Launch = [this](const std::string& File, const std::string& Params, const std::string& Folder) {
      Launched.push_back(File + "|" + Params + "|" + Folder);
    };
    Page = MainForm->ArcPage;
    Page->ConfirmExtract = [this] {
      ++Confirmed;
      return true;
    };
    MainForm->Show();
    MainForm->LF->Folder()->SetPath(Dir / "left");
    MainForm->RF->Folder()->SetPath(Dir / "right");
  }
  void TearDown() override {
    ArcProcessMessages = nullptr;
    MainWindowFixture::TearDown();
  }

  std::vector<std::string> Captions(TListView* View) {
    std::vector<std::string> R;
    for (int I = 0; I < View->Items()->Count(); ++I) R.push_back(View->Items()->Item(I)->Caption());
    return R;
  }
  TListItem* Row(TListView* View, const std::string& Caption) {
    for (int I = 0; I < View->Items()->Count(); ++I)
      if (View->Items()->Item(I)->Caption() == Caption) return View->Items()->Item(I);
    ADD_FAILURE() << "no row " << Caption;
    return nullptr;
  }
  void SelectOnly(TListView* View, std::initializer_list<const char*> Names) {
    for (int I = 0; I < View->Items()->Count(); ++I) View->Items()->Item(I)->SetSelected(false);
    for (const char* N : Names)
      if (TListItem* R = Row(View, N)) R->SetSelected(true);
  }
  void SelectFiles(TPTShellList* List, std::initializer_list<const char*> Names) {
    List->Refill();
    for (int I = 0; I < List->Items()->Count(); ++I) {
      TListItem* It = List->Items()->Item(I);
      bool On = false;
      for (const char* N : Names) On = On || AnsiSameText(ExtractFileName(List->GetItemData(I)->GetPath()), N);
      It->SetSelected(On);
    }
  }

  // Drags the selection of List onto the archive list of a side, as the panels' drags
  // offer it.
  void DropSelection(TPTShellList* List, bool Left) {
    std::vector<PCItemIDList> Children;
    for (int I = 0; I < List->Items()->Count(); ++I)
      if (List->Items()->Item(I)->Selected()) Children.push_back(List->GetItemData(I)->RelIdList());
    TComPtr<IDataObject> Data = CreateShellDataObject(List->ListFolderIdList(), Children);
    ASSERT_TRUE(Data);
    IDropTarget* Target = Page->DropTarget(Left);
    ASSERT_NE(Target, nullptr);
    DWORD Effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(Target->DragEnter(Data.Get(), MK_LBUTTON, POINTL{5, 5}, &Effect), S_OK);
    EXPECT_EQ(Effect, DWORD(DROPEFFECT_COPY));
    Target->Drop(Data.Get(), 0, POINTL{5, 5}, &Effect);
  }

  TArcPage* Page = nullptr;
  std::vector<std::string> Told, Launched;
  std::string Typed;
  int Confirmed = 0;
  int Answer = mrOk;
};

TEST_F(ArcPage, OpenedZipListsEntriesWithSizesTypesAndDates) {
  Page->OpenArchiveInPanel(MainForm->LAView, Fixture("folders.zip"));
  EXPECT_EQ(MainForm->LPages->ActivePage(), MainForm->LARc);
  EXPECT_EQ(Page->ArchiveName(true), Fixture("folders.zip"));
  EXPECT_FALSE(Page->NewArchive(true));
  EXPECT_TRUE(Page->NewArchive(false));
  const std::vector<std::string> Want = {"readme.txt", "docs\\", "docs\\notes.txt", "big.bin"};
  ASSERT_EQ(Captions(MainForm->LAView), Want);
  wchar_t Sep[8] = {};
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDATE, Sep, 8);
  const std::string S = FromWide(Sep).substr(0, 1);
  TListItem* R = Row(MainForm->LAView, "docs\\notes.txt");
  ASSERT_EQ(R->SubItems()->Count(), 3);
  EXPECT_EQ(R->SubItems()->Strings(0), "1151");
  // The tests run in a Russian locale: day first, as the panels show their dates.
  wchar_t Order[4] = {};
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDATE, Order, 4);
  ASSERT_EQ(Order[0], L'1');
  EXPECT_EQ(R->SubItems()->Strings(2), "05" + S + "04" + S + "03 06:07");
  EXPECT_EQ(Row(MainForm->LAView, "big.bin")->SubItems()->Strings(0), "4194304");
  // The shell's type name, when the shell knows the extension.
  std::string Type;
  Page->Travik1->ShellTypeName("notes.txt", Type);
  EXPECT_EQ(R->SubItems()->Strings(1), Type);
  EXPECT_TRUE(Told.empty());
  MainForm->SetBounds(0, 0, 900, 500);
  PumpMessages();
  EXPECT_GT(SaveWindowPng(MainForm->Handle(), ScreenshotPath("arc_page_listing.png")), 0);
}

TEST_F(ArcPage, ExtractsOneEntryAndTheWholeArchiveByteIdentical) {
  Page->OpenArchiveInPanel(MainForm->LAView, Fixture("folders.zip"));
  SelectOnly(MainForm->LAView, {"readme.txt"});
  Page->ExtractSelected(true);
  EXPECT_EQ(Confirmed, 1);
  EXPECT_EQ(ReadFileBytes(Dir / "right\\readme.txt"), ReadFileBytes(Fixture("readme.txt")));
  EXPECT_FALSE(FileExists(Dir / "right\\big.bin"));
  EXPECT_FALSE(Page->Form2->Visible());

  for (int I = 0; I < MainForm->LAView->Items()->Count(); ++I) MainForm->LAView->Items()->Item(I)->SetSelected(true);
  Page->ExtractSelected(true);
  EXPECT_EQ(ReadFileBytes(Dir / "right\\docs\\notes.txt"), ReadFileBytes(Fixture("notes.txt")));
  EXPECT_EQ(ReadFileBytes(Dir / "right\\big.bin"), BigBin());
  EXPECT_TRUE(Told.empty()) << Told.front();
  EXPECT_EQ(Page->Form2->ProgressBar1->Position(), 100);
}

// A ZIP on the left and a RAR on the right: each page extracts through its own reader.
TEST_F(ArcPage, EachSideExtractsWithItsOwnReader) {
  const std::string Rar = LibarchiveTestFile(Dir / "", "test_read_format_rar.rar");
  Page->OpenArchiveInPanel(MainForm->LAView, Fixture("folders.zip"));
  Page->OpenArchiveInPanel(MainForm->RAView, Rar);
  EXPECT_EQ(MainForm->RPages->ActivePage(), MainForm->RArc);
  EXPECT_NE(dynamic_cast<TUnZIP*>(Page->Reader(true)), nullptr);
  EXPECT_NE(dynamic_cast<TUnRAR*>(Page->Reader(false)), nullptr);
  EXPECT_EQ(Captions(MainForm->RAView),
            (std::vector<std::string>{"test.txt", "testlink", "testdir\\test.txt", "testdir", "testemptydir"}));

  SelectOnly(MainForm->LAView, {"docs\\notes.txt"});
  Page->ExtractSelected(true);
  EXPECT_EQ(ReadFileBytes(Dir / "right\\docs\\notes.txt"), ReadFileBytes(Fixture("notes.txt")));
  SelectOnly(MainForm->RAView, {"testdir\\test.txt"});
  Page->ExtractSelected(false);
  EXPECT_EQ(ReadFileBytes(Dir / "left\\testdir\\test.txt"), "test text document\r\n");
  EXPECT_TRUE(Told.empty()) << Told.front();
}

// Cancel in the progress window stops the reader that runs, and the entry it was writing
// is not left behind half-written.
TEST_F(ArcPage, CancelStopsTheRunningReaderAndLeavesNoPartialFile) {
  Page->OpenArchiveInPanel(MainForm->LAView, Fixture("folders.zip"));
  SelectOnly(MainForm->LAView, {"big.bin"});
  int Reports = 0;
  // The user presses Cancel while the messages of the first progress report of the
  // extraction run.
  ArcProcessMessages = [this, &Reports] {
    if (Page->Form2->Visible() && ++Reports == 1) Page->Form2->BitBtn1->Click();
  };
  Page->ExtractSelected(true);
  EXPECT_GE(Reports, 1);
  EXPECT_TRUE(Page->Reader(true)->Cancel);
  EXPECT_LT(Page->Form2->ProgressBar1->Position(), 100);
  EXPECT_FALSE(FileExists(Dir / "right\\big.bin"));
  EXPECT_FALSE(Page->Form2->Visible());
  EXPECT_TRUE(Told.empty()) << Told.front();
}

// ---- Volume sets -------------------------------------------------------------------------

namespace {

// The cabinets of the generated set that starts with First ("cont1.cab"), by number.
std::string SetCabinet(const std::string& First, int Number) {
  return First.substr(0, First.size() - 5) + std::to_string(Number) + ".cab";
}

// Copies the set of First into Folder; cabinets from Moved on go into Away instead.
void CopySet(const TGenArchive& Set, const std::string& Folder, int Moved = 0, const std::string& Away = "") {
  for (int N = 1; N <= Set.Cabinets; ++N) {
    const std::string Name = SetCabinet(Set.First, N);
    const std::string To = (Moved != 0 && N >= Moved ? Away : Folder) + "\\" + Name;
    ASSERT_TRUE(CopyFileW(ToWide(GenCab(Name)).c_str(), ToWide(To).c_str(), FALSE)) << To;
  }
}

std::vector<std::string> Names(const TGenArchive& Set) {
  std::vector<std::string> R;
  for (const TGenFile& F : Set.Files) R.push_back(F.Name);
  return R;
}

// The text of a dialog's control Id.
std::wstring ControlText(HWND Dialog, int Id) {
  wchar_t Buf[MAX_PATH] = {};
  GetDlgItemTextW(Dialog, Id, Buf, MAX_PATH);
  return Buf;
}

constexpr int FileNameBox = 0x47c;  // the open dialog's file name

}  // namespace

// A whole set lying together is listed and extracted from the page without a question,
// every file byte-identical, the ones that run over into the next cabinets too.
TEST_F(ArcPage, VolumeSetInOneFolderIsListedAndExtractedWithoutAsking) {
  for (const char* First : {"split1.cab", "multi1.cab", "cont1.cab"}) {
    SCOPED_TRACE(First);
    const TGenArchive* Set = GenManifest().Find(First);
    ASSERT_TRUE(Set);
    const std::string Folder = Dir / (std::string("set_") + First);
    const std::string Out = Dir / (std::string("out_") + First);
    CreateDir(Folder);
    CreateDir(Out);
    CopySet(*Set, Folder);
    MainForm->RF->Folder()->SetPath(Out);
    TDialogWatcher Watcher;
    Page->OpenArchiveInPanel(MainForm->LAView, Folder + "\\" + First);
    EXPECT_EQ(Captions(MainForm->LAView), Names(*Set));
    for (int I = 0; I < MainForm->LAView->Items()->Count(); ++I) MainForm->LAView->Items()->Item(I)->SetSelected(true);
    Page->ExtractSelected(true);
    for (const TGenFile& F : Set->Files) {
      SCOPED_TRACE(F.Name);
      const TByteVec Data = ReadWholeFile(Out + "\\" + F.Name);
      EXPECT_EQ(Data.size(), F.Size);
      EXPECT_EQ(Crc32Of(Data), F.Crc);
    }
    EXPECT_TRUE(Watcher.Answered().empty());
    EXPECT_TRUE(Told.empty()) << Told.front();
    Told.clear();
  }
}

// The rest of a set lies elsewhere: the lister and then the reader ask for the second
// cabinet with an open dialog that names it and offers its name; the user's choice
// completes the set.
TEST_F(ArcPage, MissingVolumeIsAskedForAndTheChosenOneCompletesTheSet) {
  const TGenArchive* Set = GenManifest().Find("cont1.cab");
  ASSERT_TRUE(Set);
  CreateDir(Dir / "set");
  CreateDir(Dir / "away");
  CopySet(*Set, Dir / "set", 2, Dir / "away");
  std::mutex Lock;
  std::vector<std::wstring> Offered;
  auto Choose = [&](HWND D) {
    {
      std::lock_guard<std::mutex> G(Lock);
      Offered.push_back(ControlText(D, FileNameBox));
      if (Offered.size() == 1) SaveWindowPng(D, ScreenshotPath("arc_page_next_volume.png"));
    }
    SetDlgItemTextW(D, FileNameBox, ToWide(Dir / "away\\cont2.cab").c_str());
    PostMessageW(D, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(D, IDOK)));
  };
  // The volume named in another folder is read from there: the process's current folder,
  // which is the panels', stays where it is.
  const std::string Current = GetCurrentDir();
  {
    TDialogWatcher Watcher(Choose);
    Page->OpenArchiveInPanel(MainForm->LAView, Dir / "set\\cont1.cab");
    EXPECT_EQ(Captions(MainForm->LAView), Names(*Set));
    ASSERT_EQ(Watcher.Captions().size(), 1u);
    EXPECT_EQ(Watcher.Captions()[0], L"Next volume: cont2.cab");
  }
  EXPECT_EQ(GetCurrentDir(), Current);
  EXPECT_TRUE(Told.empty()) << Told.front();
  {
    // Three rows, three runs of the reader: the volume is asked for once in the command.
    TDialogWatcher Watcher(Choose);
    for (int I = 0; I < MainForm->LAView->Items()->Count(); ++I) MainForm->LAView->Items()->Item(I)->SetSelected(true);
    Page->ExtractSelected(true);
    EXPECT_EQ(Watcher.Captions(), std::vector<std::wstring>{L"Next volume: cont2.cab"});
  }
  EXPECT_EQ(GetCurrentDir(), Current);
  EXPECT_EQ(Offered, (std::vector<std::wstring>{L"cont2.cab", L"cont2.cab"}));
  for (const TGenFile& F : Set->Files) {
    SCOPED_TRACE(F.Name);
    const TByteVec Data = ReadWholeFile(Dir / "right\\" + F.Name);
    EXPECT_EQ(Data.size(), F.Size);
    EXPECT_EQ(Crc32Of(Data), F.Crc);
  }
  EXPECT_TRUE(Told.empty()) << Told.front();
}

// Cancel in the volume dialog ends the listing and the extraction with a message that
// names the volume, and no file that runs into the missing cabinet is left half-written.
TEST_F(ArcPage, CancelledVolumeStopsWithAMessageAndNoHalfWrittenFile) {
  const TGenArchive* Set = GenManifest().Find("cont1.cab");
  ASSERT_TRUE(Set);
  CreateDir(Dir / "set");
  CreateDir(Dir / "away");
  CopySet(*Set, Dir / "set");
  Page->OpenArchiveInPanel(MainForm->LAView, Dir / "set\\cont1.cab");
  ASSERT_EQ(Captions(MainForm->LAView), Names(*Set));
  // The second and third cabinets go away before the extraction (another disk).
  for (const char* Name : {"cont2.cab", "cont3.cab"})
    ASSERT_TRUE(MoveFileW(ToWide(Dir / "set\\" + Name).c_str(), ToWide(Dir / "away\\" + Name).c_str()));
  const std::string Message = "Stopped: the next volume was not given: cont2.cab";
  {
    TDialogWatcher Watcher(IDCANCEL);
    for (int I = 0; I < MainForm->LAView->Items()->Count(); ++I) MainForm->LAView->Items()->Item(I)->SetSelected(true);
    Page->ExtractSelected(true);
    EXPECT_EQ(Watcher.Captions(), std::vector<std::wstring>{L"Next volume: cont2.cab"});
  }
  ASSERT_EQ(Told.size(), 1u);
  EXPECT_EQ(Told[0], Message);
  EXPECT_FALSE(Page->Form2->Visible());
  for (const TGenFile& F : Set->Files) {
    SCOPED_TRACE(F.Name);
    // c1.bin starts in the first cabinet and runs on into the second.
    EXPECT_FALSE(FileExists(Dir / "right\\" + F.Name));
  }

  // Listing again: what the first cabinet tells is shown, and why the rest is not.
  Told.clear();
  {
    TDialogWatcher Watcher(IDCANCEL);
    Page->OpenArchiveInPanel(MainForm->LAView, Dir / "set\\cont1.cab");
    EXPECT_EQ(Watcher.Captions(), std::vector<std::wstring>{L"Next volume: cont2.cab"});
  }
  ASSERT_FALSE(Told.empty());
  EXPECT_EQ(Told[0].substr(0, Message.size()), Message) << Told[0];
  MainForm->SetBounds(0, 0, 900, 500);
  PumpMessages();
  EXPECT_GT(SaveWindowPng(MainForm->Handle(), ScreenshotPath("arc_page_volume_cancelled.png")), 0);
}

// ---- ARJ volume sets --------------------------------------------------------------------

namespace {

std::string ArjSetFile(const std::string& Name) {
  return SlashToBackslash(std::string("Z:") + ZX_TEST_DATA + "/../archive/data/arjvol/" + Name);
}

void CopyArjVolumes(const std::string& Folder, std::initializer_list<const char*> Names) {
  for (const char* N : Names)
    ASSERT_TRUE(CopyFileW(ToWide(ArjSetFile(N)).c_str(), ToWide(Folder + "\\" + N).c_str(), FALSE)) << N;
}

const std::vector<std::string> ArjSetRows = {"first.txt", "sub\\big.bin", "last.txt"};

}  // namespace

// A file stored over three volumes, the last of them in another folder: the user names it
// once for the listing and once for the extraction; every row comes out whole, the one
// behind the long file too (each row is a run of its own), and the current folder stays.
TEST_F(ArcPage, ArjSetWithAVolumeElsewhereExtractsEveryRow) {
  CreateDir(Dir / "set");
  CreateDir(Dir / "away");
  CopyArjVolumes(Dir / "set", {"span.arj", "span.a01"});
  CopyArjVolumes(Dir / "away", {"span.a02"});
  bool Pictured = false;
  auto Choose = [&](HWND D) {
    if (!Pictured) Pictured = SaveWindowPng(D, ScreenshotPath("arc_page_arj_next_volume.png")) > 0;
    SetDlgItemTextW(D, FileNameBox, ToWide(Dir / "away\\span.a02").c_str());
    PostMessageW(D, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(D, IDOK)));
  };
  const std::string Current = GetCurrentDir();
  {
    TDialogWatcher Watcher(Choose);
    Page->OpenArchiveInPanel(MainForm->LAView, Dir / "set\\span.arj");
    EXPECT_EQ(Captions(MainForm->LAView), ArjSetRows);
    EXPECT_EQ(Watcher.Captions(), std::vector<std::wstring>{L"Next volume: span.a02"});
  }
  {
    TDialogWatcher Watcher(Choose);
    for (int I = 0; I < MainForm->LAView->Items()->Count(); ++I) MainForm->LAView->Items()->Item(I)->SetSelected(true);
    Page->ExtractSelected(true);
    EXPECT_EQ(Watcher.Captions(), std::vector<std::wstring>{L"Next volume: span.a02"});
  }
  EXPECT_EQ(GetCurrentDir(), Current);
  MainForm->SetBounds(0, 0, 900, 500);
  PumpMessages();
  EXPECT_GT(SaveWindowPng(MainForm->Handle(), ScreenshotPath("arc_page_arj_set.png")), 0);
  for (const std::string& Name : ArjSetRows) {
    SCOPED_TRACE(Name);
    EXPECT_EQ(ReadFileBytes(Dir / "right\\" + Name), ReadFileBytes(ArjSetFile("expected/" + Name)));
  }
  EXPECT_TRUE(Told.empty()) << Told.front();
}

// Data that fail their check are extracted as read, and the user is told which: the entry,
// or the volume whose part of a long file is damaged.
TEST_F(ArcPage, FailedCheckIsTold) {
  struct {
    const char* Volume;
    const char* Text;  // the byte flipped is the first of this text, or
    int FromEnd;       // counted from the volume's end
    const char* Message;
  } Cases[] = {
      {"span.arj", "whole in the first volume", 0, "File fails CRC check: first.txt"},
      {"span.a01", nullptr, 100, "File fails CRC check: span.a01"},  // in big.bin's second part
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Volume);
    const std::string Set = Dir / (std::string("damaged_") + C.Volume);
    CreateDir(Set);
    CopyArjVolumes(Set, {"span.arj", "span.a01", "span.a02"});
    std::string Bytes = ReadFileBytes(Set + "\\" + C.Volume);
    const size_t At = C.Text ? Bytes.find(C.Text) : Bytes.size() - C.FromEnd;
    ASSERT_LT(At, Bytes.size());
    Bytes[At] ^= 0x55;
    WriteFileBytes(Set + "\\" + C.Volume, Bytes);
    Page->OpenArchiveInPanel(MainForm->LAView, Set + "\\span.arj");
    ASSERT_EQ(Captions(MainForm->LAView), ArjSetRows);
    Told.clear();
    for (int I = 0; I < MainForm->LAView->Items()->Count(); ++I) MainForm->LAView->Items()->Item(I)->SetSelected(true);
    Page->ExtractSelected(true);
    ASSERT_EQ(Told.size(), 1u);
    EXPECT_EQ(Told[0], C.Message);
    Told.clear();
  }
}

// View shows the selected row's entry, whichever entry the lister reported last.
TEST_F(ArcPage, ViewShowsTheSelectedEntry) {
  std::string Shown;
  Page->ShowStream = [&Shown](TStream* S) {
    std::string T(size_t(S->Size() - S->Position()), '\0');
    S->ReadBuffer(T.data(), T.size());
    Shown = T;
  };
  Page->OpenArchiveInPanel(MainForm->LAView, Fixture("folders.zip"));
  SelectOnly(MainForm->LAView, {"docs\\notes.txt"});
  Page->ViewEntry(true);
  EXPECT_EQ(Shown, ReadFileBytes(Fixture("notes.txt")));
  EXPECT_FALSE(Page->Form2->Visible());

  // An entry over 1 MiB is asked about only with the option on.
  SelectOnly(MainForm->LAView, {"big.bin"});
  Settings->OpenLarge->SetChecked(false);
  Page->ViewEntry(true);
  EXPECT_EQ(Shown.size(), size_t(4 << 20));
  EXPECT_TRUE(Told.empty());
  Shown.clear();
  Settings->OpenLarge->SetChecked(true);
  Answer = mrCancel;
  Page->ViewEntry(true);
  EXPECT_TRUE(Shown.empty());
  std::string Question;
  GetLngString("Open_file", Question);
  ASSERT_EQ(Told.size(), 1u);
  EXPECT_EQ(Told[0], Question);
}

// Cancel while an entry is viewed: a view writes nothing, so nothing is deleted either,
// not even a file of the entry's name in the current folder.
TEST_F(ArcPage, CancelledViewDeletesNoFile) {
  bool Shown = false;
  Page->ShowStream = [&Shown](TStream*) { Shown = true; };
  Page->OpenArchiveInPanel(MainForm->LAView, Fixture("folders.zip"));
  SelectOnly(MainForm->LAView, {"big.bin"});
  Settings->OpenLarge->SetChecked(false);
  const std::string Saved = GetCurrentDir();
  const std::string Users = Dir / "left\\big.bin";
  WriteFileBytes(Users, "the user's own big.bin");
  ASSERT_TRUE(SetCurrentDir(Dir / "left"));
  int Reports = 0;
  // The first call is the run's own start; the second comes with the first progress
  // report, inside the entry.
  ArcProcessMessages = [this, &Reports] {
    if (Page->Form2->Visible() && ++Reports == 2) Page->Form2->BitBtn1->Click();
  };
  Page->ViewEntry(true);
  ArcProcessMessages = nullptr;
  SetCurrentDir(Saved);
  EXPECT_GE(Reports, 2);
  EXPECT_TRUE(Page->Reader(true)->Cancel);
  EXPECT_FALSE(Shown);
  ASSERT_TRUE(FileExists(Users));
  EXPECT_EQ(ReadFileBytes(Users), "the user's own big.bin");
}

// Run and double-click open the entry under its own name from a folder of its own, and
// the copy stays (the program opening it may read it later).
TEST_F(ArcPage, RunAndDoubleClickOpenACopyThatStays) {
  Page->OpenArchiveInPanel(MainForm->LAView, Fixture("folders.zip"));
  SelectOnly(MainForm->LAView, {"docs\\notes.txt"});
  Page->RunEntry(true);
  MainForm->LAView->OnDblClick(MainForm->LAView);
  ASSERT_EQ(Launched.size(), 2u);
  std::vector<std::string> Files;
  for (const std::string& L : Launched) {
    const std::string File = L.substr(0, L.find('|'));
    EXPECT_EQ(ExtractFileName(File), "notes.txt");
    EXPECT_EQ(UpperCase(File.substr(0, (Dir / "temp\\").size())), UpperCase(Dir / "temp\\"));
    EXPECT_EQ(ReadFileBytes(File), ReadFileBytes(Fixture("notes.txt")));
    Files.push_back(File);
  }
  EXPECT_NE(Files[0], Files[1]);
  PumpMessages();
  EXPECT_TRUE(FileExists(Files[0]));
}

// The staging list goes to the packer of the save dialog's filter, every name quoted, on
// both pages; nothing runs when the list is no staging list, the dialog is cancelled or
// the name is empty.
TEST_F(ArcPage, SaveHandsTheStagedFilesToThePackerQuoted) {
  WriteFileBytes(Dir / "right\\a b.txt", "12345");
  WriteFileBytes(Dir / "right\\c&d.txt", "1");
  SelectFiles(MainForm->RF, {"a b.txt", "c&d.txt"});
  std::string Name = Dir / "out dir\\new.zip";
  int Index = 3;
  bool Accept = true;
  Page->AskSaveName = [&](std::string& N, int& I) {
    N = Name;
    I = Index;
    return Accept;
  };
  ASSERT_TRUE(Page->NewArchive(true));  // a staging list from the start
  DropSelection(MainForm->RF, true);
  ASSERT_EQ(Captions(MainForm->LAView), (std::vector<std::string>{Dir / "right\\a b.txt", Dir / "right\\c&d.txt"}));
  EXPECT_EQ(Row(MainForm->LAView, Dir / "right\\a b.txt")->SubItems()->Strings(0), "5");
  Page->SaveArchive(true);
  ASSERT_EQ(Launched.size(), 1u);
  EXPECT_EQ(Launched[0], "pkzip.exe|-a \"" + Name + "\" \"" + Dir / "right\\a b.txt" + "\" \"" + Dir / "right\\c&d.txt" +
                             "\"|" + Dir / "out dir\\");

  // The right page quotes too.
  WriteFileBytes(Dir / "left\\e f.txt", "x");
  SelectFiles(MainForm->LF, {"e f.txt"});
  DropSelection(MainForm->LF, false);
  Index = 1;
  Name = Dir / "r.rar";
  Page->SaveArchive(false);
  ASSERT_EQ(Launched.size(), 2u);
  EXPECT_EQ(Launched[1], "rar.exe|a \"" + Name + "\" \"" + Dir / "left\\e f.txt" + "\"|" + Dir.Path() + "\\");

  Accept = false;
  Page->SaveArchive(true);
  Accept = true;
  Name = "  ";
  Page->SaveArchive(true);
  ASSERT_EQ(Told.size(), 1u);
  std::string Input;
  GetLngString("Input_filename", Input);
  EXPECT_EQ(Told[0], Input);
  Name = Dir / "x.rar";
  Page->OpenArchiveInPanel(MainForm->LAView, Fixture("folders.zip"));
  DropSelection(MainForm->RF, true);  // a listed archive takes no files
  Page->SaveArchive(true);
  EXPECT_EQ(Launched.size(), 2u);
  EXPECT_EQ(MainForm->LAView->Items()->Count(), 4);
  Page->CreateArchive(true);
  EXPECT_EQ(MainForm->LAView->Items()->Count(), 0);
  EXPECT_TRUE(Page->NewArchive(true));
}

// A packer really started (a stand-in that records its command line) gets every name of
// the staging list quoted, so that blanks and the shell's characters stay inside names.
TEST_F(ArcPage, StandInPackerIsGivenEveryNameQuoted) {
  CreateDir(Dir / "out dir");
  ASSERT_TRUE(CopyFileW(ToWide(SlashToBackslash(ZX_PACKER_STUB)).c_str(), ToWide(Dir / "out dir\\rar.exe").c_str(), FALSE));
  WriteFileBytes(Dir / "right\\a b.txt", "1");
  WriteFileBytes(Dir / "right\\x&y;z.txt", "2");
  SelectFiles(MainForm->RF, {"a b.txt", "x&y;z.txt"});
  DropSelection(MainForm->RF, true);
  const std::string Archive = Dir / "out dir\\new arc.rar";
  Page->AskSaveName = [&Archive](std::string& N, int& I) {
    N = Archive;
    I = 1;
    return true;
  };
  MainForm->Launch = [](const std::string& File, const std::string& Params, const std::string& Folder) {
    ExecuteFile(File, Params, Folder, SW_SHOWNORMAL);
  };
  Page->SaveArchive(true);
  const std::string Record = Dir / "out dir\\args.txt";
  ASSERT_TRUE(WaitFor([&] { return FileExists(Record); }, 30000));
  const std::string Raw = ReadFileBytes(Record);
  const std::string Line = FromWide(std::wstring(reinterpret_cast<const wchar_t*>(Raw.data()), Raw.size() / 2));
  const std::string Want = " a \"" + Archive + "\" \"" + Dir / "right\\a b.txt" + "\" \"" + Dir / "right\\x&y;z.txt" + "\"";
  ASSERT_GE(Line.size(), Want.size()) << Line;
  EXPECT_EQ(Line.substr(Line.size() - Want.size()), Want) << Line;
}

// The page's keys, typed on the list.
TEST_F(ArcPage, KeysOfThePage) {
  Page->OpenArchiveInPanel(MainForm->LAView, Fixture("folders.zip"));
  MainForm->LAView->SetFocus();
  PressKey('3', {ssCtrl});
  EXPECT_EQ(MainForm->LAView->ViewStyle(), vsList);
  PressKey('4', {ssCtrl});
  EXPECT_EQ(MainForm->LAView->ViewStyle(), vsReport);
  // Num + selects by mask.
  Typed = "*.TXT";
  PressKey(VK_ADD);
  EXPECT_TRUE(Row(MainForm->LAView, "readme.txt")->Selected());
  EXPECT_TRUE(Row(MainForm->LAView, "docs\\notes.txt")->Selected());
  EXPECT_FALSE(Row(MainForm->LAView, "big.bin")->Selected());
  PressKey(VK_SUBTRACT);
  EXPECT_FALSE(Row(MainForm->LAView, "readme.txt")->Selected());
  SelectOnly(MainForm->LAView, {"readme.txt"});
  PressKey(VK_F5);
  EXPECT_EQ(Confirmed, 1);
  EXPECT_TRUE(FileExists(Dir / "right\\readme.txt"));
  PressKey(VK_RETURN);
  ASSERT_EQ(Launched.size(), 1u);
  EXPECT_EQ(ExtractFileName(Launched[0].substr(0, Launched[0].find('|'))), "readme.txt");
  PressKey(VK_ESCAPE);
  EXPECT_EQ(MainForm->LPages->ActivePage(), MainForm->LFiles);
}

// The extraction question: OK is the default, so Enter extracts.
TEST_F(ArcPage, EnterInTheExtractionQuestionExtracts) {
  std::unique_ptr<TExtrDial> D(CreateForm<TExtrDial>(Application));
  TModalDriver Driver([](TForm* F) {
    EXPECT_GT(SaveWindowPng(F->Handle(), ScreenshotPath("arc_extract_question.png")), 0);
    PressKey(VK_RETURN);
  });
  EXPECT_EQ(D->ShowModal(), mrOk);
  EXPECT_TRUE(Driver.Ran());
  Page->Form2->Show();
  PumpMessages();
  EXPECT_GT(SaveWindowPng(Page->Form2->Handle(), ScreenshotPath("arc_progress.png")), 0);
  Page->Form2->Hide();
}

// Add to archive: the packer of the chosen row gets the archive name, the extra
// parameters and the selected files' names, each quoted, in the selection's folder.
TEST_F(ArcPage, AddToArchiveQuotesEveryName) {
  WriteFileBytes(Dir / "left\\a b.txt", "1");
  WriteFileBytes(Dir / "left\\plain.txt", "2");
  SelectFiles(MainForm->LF, {"a b.txt", "plain.txt"});
  TArcForm* F = Page->ArcForm;
  std::vector<std::string> FormTold;
  F->Tell = [&FormTold](const std::string& T) { FormTold.push_back(T); };
  EXPECT_EQ(F->ArcName->Text(), "archive");
  F->LeftSide = true;
  F->ArcName->SetText("my arc");
  F->ArcParam->SetText("-r");
  F->ArcBox->SetItemIndex(2);
  F->Show();
  PumpMessages();
  EXPECT_GT(SaveWindowPng(F->Handle(), ScreenshotPath("arc_add_to_archive.png")), 0);
  F->BitBtn1->Click();
  F->Hide();
  ASSERT_EQ(Launched.size(), 1u);
  EXPECT_EQ(Launched[0], "pkzip.exe|-a \"my arc\" -r \"a b.txt\" \"plain.txt\"|" + Dir / "left\\");
  // No name, or no packer: said, and nothing runs.
  F->ArcName->SetText("");
  F->BitBtn1->Click();
  F->ArcName->SetText("x");
  F->ArcBox->SetItemIndex(-1);
  F->ArcBox->SetText("");
  F->BitBtn1->Click();
  EXPECT_EQ(Launched.size(), 1u);
  ASSERT_EQ(FormTold.size(), 2u);
  std::string Input, Select;
  GetLngString("Input_filename", Input);
  GetLngString("Select_archiver", Select);
  EXPECT_EQ(FormTold[0], Input);
  EXPECT_EQ(FormTold[1], Select);
}

// Add to ZIP packs the selection of the panel the path label shows into an archive our
// reader extracts whole, selected folders under their own names; a password encrypts, none
// leaves the entries plain.
TEST_F(ArcPage, AddToZipPacksTheSelection) {
  WriteFileBytes(Dir / "right\\one.txt", "first file\r\n");
  WriteFileBytes(Dir / "right\\two.bin", BigBin().substr(0, 70000));
  CreateDir(Dir / "right\\sub");
  WriteFileBytes(Dir / "right\\sub\\three.txt", "third");
  CreateDir(Dir / "right\\sub2");
  WriteFileBytes(Dir / "right\\sub2\\three.txt", "third, from the second folder");
  WriteFileBytes(Dir / "right\\skip.txt", "not selected");
  SelectFiles(MainForm->RF, {"one.txt", "two.bin", "sub", "sub2"});
  MainForm->PathInfo->SetCaption(Dir / "right");  // neither panel's path would pick RF too
  for (const char* Password : {"", "secret"}) {
    SCOPED_TRACE(Password);
    std::unique_ptr<TZipForm> F(CreateForm<TZipForm>(Application));
    std::vector<std::string> FormTold;
    F->Tell = [&FormTold](const std::string& T) { FormTold.push_back(T); };
    EXPECT_EQ(F->Edit1->Text(), "ZipFile.zip");
    F->Edit1->SetText(*Password ? "locked.zip" : "packed.zip");
    F->Edit2->SetText(Password);
    if (!*Password) {
      F->Show();
      PumpMessages();
      EXPECT_GT(SaveWindowPng(F->Handle(), ScreenshotPath("arc_add_to_zip.png")), 0);
    }
    F->BitBtn1->Click();
    EXPECT_TRUE(FormTold.empty()) << FormTold.front();
    const std::string Zip = Dir / (*Password ? "right\\locked.zip" : "right\\packed.zip");
    ASSERT_TRUE(FileExists(Zip));
    TTravik L(nullptr);
    std::vector<std::string> Names;
    bool AnyEncrypted = false;
    L.OnRead = [&](TObject*, int, int) {
      Names.push_back(L.FileName);
      AnyEncrypted = AnyEncrypted || L.Encrypted;
    };
    L.SetArchiveFile(Zip);
    L.Activate();
    // Selected folders keep their names, so same-named files in two of them both stay.
    EXPECT_EQ(Names, (std::vector<std::string>{"one.txt", "two.bin", "sub\\three.txt", "sub2\\three.txt"}));
    EXPECT_EQ(AnyEncrypted, *Password != 0);
    if (!*Password) {
      TUnZIP R(nullptr);
      R.SetArchiveFile(Zip);
      R.SetExtractDir(Dir / "check");
      R.Extract();
      EXPECT_EQ(ReadFileBytes(Dir / "check\\one.txt"), "first file\r\n");
      EXPECT_EQ(ReadFileBytes(Dir / "check\\two.bin"), BigBin().substr(0, 70000));
      EXPECT_EQ(ReadFileBytes(Dir / "check\\sub\\three.txt"), "third");
      EXPECT_EQ(ReadFileBytes(Dir / "check\\sub2\\three.txt"), "third, from the second folder");
    }
  }
}

}  // namespace
