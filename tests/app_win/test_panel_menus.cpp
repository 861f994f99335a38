// The panels' menus and their text/picture pages, on the real main window: the command
// menu of Ctrl+0 and the panel menu with their commands, the pages' open, save (DOS text
// too), code-page, new, print and rich-text buttons. Files are checked on disk.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/core/lng_strings.h"
#include "app/main_form.h"
#include "app/panel_keys.h"
#include "app/settings.h"
#include "app/text_pages.h"
#include "app/text_print.h"
#include "classlib/core/ini_file.h"
#include "tools/rs_tip.h"
#include "tools/win_miner.h"
#include "ui/caption_button.h"
#include "ui/tray_icon.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/registry.h"
#include "classlib/win/wide_string.h"
#include "shell/pt_shell_utils.h"
#include "storage/core/file_utils.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/dialog_watcher.h"
#include "tests/support/file_bytes.h"
#include "tests/support/form_test.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/support/main_window_fixture.h"
#include "ui/rx_rich_edit.h"

namespace {

// Closes the menu that a test opens, once its loop runs; records that it did.
class TMenuCloser {
public:
  TMenuCloser() {
    Current = this;
    FTimer = SetTimer(nullptr, 0, 50, Tick);
  }
  ~TMenuCloser() {
    KillTimer(nullptr, FTimer);
    Current = nullptr;
  }
  bool Closed() const { return FClosed; }

private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (Current == nullptr || Current->FClosed) return;
    Current->FClosed = EndMenu() != 0;
  }
  static inline TMenuCloser* Current = nullptr;
  UINT_PTR FTimer = 0;
  bool FClosed = false;
};

// The text of a metafile page's text records, in order.
int CALLBACK CollectText(HDC, HANDLETABLE*, const ENHMETARECORD* R, int, LPARAM Data) {
  if (R->iType == EMR_EXTTEXTOUTW) {
    auto* T = reinterpret_cast<const EMREXTTEXTOUTW*>(R);
    const auto* Chars = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(R) + T->emrtext.offString);
    reinterpret_cast<std::vector<std::string>*>(Data)->push_back(FromWide(std::wstring(Chars, T->emrtext.nChars)));
  }
  return 1;
}

std::vector<std::string> PageTexts(HENHMETAFILE Page) {
  std::vector<std::string> Texts;
  EnumEnhMetaFile(nullptr, Page, CollectText, &Texts, nullptr);
  return Texts;
}

class PanelMenus : public MainWindowFixture {
protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    ASSERT_TRUE(CreateDir(Dir / "L"));
    ASSERT_TRUE(CreateDir(Dir / "R"));
    WriteFileBytes(Dir / "L\\a.txt", "first file\r\n");
    WriteFileBytes(Dir / "L\\b.txt", "bee");
    ASSERT_TRUE(CreateDir(Dir / "L\\sub"));
    BeforeCreate();

    CreateMainForm();
    MainForm->Ask = [this](const std::string& Msg, TMsgDlgType, TMsgDlgButtons) {
      Asked.push_back(Msg);
      return Answer;
    };
    MainForm->AskBox = [this](const std::string& Text, const std::string&, UINT) {
      Asked.push_back(Text);
      return Answer == mrOk ? IDOK : IDCANCEL;
    };
    MainForm->SetStartFolders(Dir / "L", Dir / "R");
    MainForm->Show();
    PumpMessages();
    MainForm->LF->SetFocus();
  }

  void Select(TPTShellList* List, const std::vector<std::string>& Names) {
    for (int I = 0; I < List->Items()->Count(); ++I) {
      std::string N = ItemName(List->GetItemData(I));
      bool Want = false;
      for (const auto& W : Names) Want = Want || N == W;
      List->Items()->Item(I)->SetSelected(Want);
      if (Want) List->Items()->Item(I)->SetFocused(true);
    }
  }
  TMenuItem* Item(const char* Name) {
    auto* I = dynamic_cast<TMenuItem*>(MainForm->FindComponent(Name));
    EXPECT_NE(I, nullptr) << Name;
    return I;
  }

  virtual void BeforeCreate() {}

  int Answer = mrCancel;
  std::vector<std::string> Asked;
};

TEST_F(PanelMenus, CtrlZeroPopsEachPanelsCommandMenuOverThatPanel) {
  std::vector<std::pair<TPopupMenu*, TPoint>> Popped;
  for (TPopupMenu* M : {MainForm->LM, MainForm->RN})
    M->OnPopup = [&Popped, M](TObject*) {
      POINT P{};
      GetCursorPos(&P);
      Popped.push_back({M, TPoint(P.x, P.y)});
    };
  // Nothing selected: no menu.
  Select(MainForm->LF, {});
  PressKey('0', {ssCtrl}, MainForm->LF->Handle());
  EXPECT_TRUE(Popped.empty());
  Select(MainForm->LF, {"a.txt"});
  {
    TMenuCloser Closer;
    PressKey('0', {ssCtrl}, MainForm->LF->Handle());
    EXPECT_TRUE(Closer.Closed());
  }
  // Ctrl+Shift+0 is not the command.
  PressKey('0', {ssCtrl, ssShift}, MainForm->LF->Handle());
  MainForm->RF->Folder()->SetPath(Dir / "L");
  PumpMessages();
  Select(MainForm->RF, {"b.txt"});
  {
    TMenuCloser Closer;
    PressKey('0', {ssCtrl}, MainForm->RF->Handle());
  }
  ASSERT_EQ(Popped.size(), 2u);
  EXPECT_EQ(Popped[0].first, MainForm->LM);
  EXPECT_EQ(Popped[1].first, MainForm->RN);
  // Each inside its own panel, a third of its width from its left edge.
  const TPoint L = MainForm->CommandMenuPoint(true), R = MainForm->CommandMenuPoint(false);
  const TPoint LOrigin = MainForm->LF->ClientToScreen(TPoint(0, 0));
  const TPoint ROrigin = MainForm->RF->ClientToScreen(TPoint(0, 0));
  EXPECT_EQ(L.X, LOrigin.X + MainForm->LF->Width() / 3);
  EXPECT_EQ(L.Y, LOrigin.Y + 100);
  EXPECT_EQ(R.X, ROrigin.X + MainForm->RF->Width() / 3);
  EXPECT_GT(R.X, LOrigin.X + MainForm->LF->Width());
  // The shortcuts the menus show are only shown: F4 on a panel still opens the editor.
  EXPECT_EQ(Item("LLN69")->ShortCut(), TShortCut(VK_F4));
  EXPECT_EQ(Item("RN77")->ShortCut(), TShortCut(VK_F1 | scCtrl));
  Select(MainForm->LF, {"a.txt"});
  PressKey(VK_F4, {}, MainForm->LF->Handle());
  EXPECT_EQ(MainForm->MainPage->ActivePage(), MainForm->EditTab);
  EXPECT_EQ(MainForm->EditorFileName, Dir / "L\\a.txt");
}

TEST_F(PanelMenus, CommandMenuCopiesMovesRecyclesEditsAndViews) {
  Settings->pCopy->SetChecked(false);
  Settings->pMove->SetChecked(false);
  // Copy on the left menu: into the right folder.
  Select(MainForm->LF, {"a.txt"});
  Item("LN68")->Click();
  EXPECT_EQ(ReadFileBytes(Dir / "R\\a.txt"), "first file\r\n");
  EXPECT_TRUE(FileExists(Dir / "L\\a.txt"));
  // Move on the right menu: back into the left folder, under a name it lacks.
  ASSERT_TRUE(RenameFile(Dir / "R\\a.txt", Dir / "R\\moved.txt"));
  MainForm->RF->RefreshItems();
  Select(MainForm->RF, {"moved.txt"});
  Item("RN73")->Click();
  EXPECT_FALSE(FileExists(Dir / "R\\moved.txt"));
  EXPECT_EQ(ReadFileBytes(Dir / "L\\moved.txt"), "first file\r\n");

  // Edit: the file on the OTHER side's text page; a folder is left alone.
  Select(MainForm->LF, {"a.txt"});
  Item("LLN69")->Click();
  EXPECT_EQ(MainForm->RPages->ActivePage(), MainForm->REditPage);
  EXPECT_NE(MainForm->REdit->Text().find("first file"), std::string::npos);
  MainForm->LPages->SetActivePage(MainForm->LFiles);
  Select(MainForm->LF, {"sub"});
  Item("LLN69")->Click();
  EXPECT_EQ(MainForm->LPages->ActivePage(), MainForm->LFiles);

  // Recycle: only after OK.
  Select(MainForm->LF, {"b.txt"});
  Answer = mrCancel;
  Item("LN74")->Click();
  EXPECT_TRUE(FileExists(Dir / "L\\b.txt"));
  Answer = mrOk;
  Item("LN74")->Click();
  EXPECT_FALSE(FileExists(Dir / "L\\b.txt"));
  EXPECT_EQ(Asked.size(), 2u);
}

TEST_F(PanelMenus, PanelMenuSortsMasksAndGoesToSpecialFolders) {
  // The eight sort items: column by the item, negative for the reverse order.
  const std::vector<std::pair<const char*, int>> Sorts = {{"N16", 1},  {"N17", -1}, {"N18", 2},  {"N19", -2},
                                                          {"N22", 4},  {"N25", 1},  {"N28", -2}, {"N32", -4}};
  for (const auto& [Name, Column] : Sorts) {
    TMenuItem* I = Item(Name);
    ASSERT_NE(I, nullptr);
    I->Click();
    const bool Left = std::string(Name) < "N25";
    EXPECT_EQ((Left ? MainForm->LF : MainForm->RF)->SortColumn(), Column) << Name;
  }
  // Cancel mask shows every file again.
  MainForm->LF->SetFileFilter("*.TXT");
  Item("N36")->Click();
  EXPECT_EQ(MainForm->LF->FileFilter(), "*.*");
  // A special folder in the right panel only; the network button on the left tool bar.
  Item("N55")->Click();
  PumpMessages();
  EXPECT_EQ(MainForm->LF->Folder()->GetPath(), Dir / "L");
  EXPECT_NE(MainForm->RF->Folder()->GetPath(), Dir / "R");
  // The panel menu is the lists' own menu, and it opens beside the items.
  EXPECT_EQ(MainForm->LF->PopupMenu(), MainForm->LMenu);
  bool Popped = false;
  MainForm->LMenu->OnPopup = [&Popped](TObject*) { Popped = true; };
  {
    TMenuCloser Closer;
    MainForm->LF->ShowContextMenu(nullptr, TPoint(5, MainForm->LF->ClientHeight() - 5));
  }
  EXPECT_TRUE(Popped);
}

TEST_F(PanelMenus, PanelMenuNewFolderIsNamedInPlace) {
  Item("N41")->Click();
  EXPECT_TRUE(DirExists(Dir / "L\\New Folder"));
  if (MainForm->LF->IsEditing())
    SendMessageW(reinterpret_cast<HWND>(SendMessageW(MainForm->LF->Handle(), LVM_GETEDITCONTROL, 0, 0)), WM_KEYDOWN,
                 VK_ESCAPE, 1);
  PumpMessages();
  EXPECT_FALSE(DirExists(Dir / "R\\New Folder"));
}

TEST_F(PanelMenus, EnterEntersAFolderAndBackspaceGoesUp) {
  Select(MainForm->LF, {"sub"});
  PressKey(VK_RETURN, {}, MainForm->LF->Handle());
  PumpMessages();
  EXPECT_EQ(MainForm->LF->Folder()->GetPath(), Dir / "L\\sub");
  PressKey(VK_BACK, {}, MainForm->LF->Handle());
  PumpMessages();
  EXPECT_EQ(MainForm->LF->Folder()->GetPath(), Dir / "L");
}

TEST_F(PanelMenus, EscEmptiesThePathBoxAndStopsTheMusic) {
  MainForm->PathBox->SetText("notepad");
  MainForm->MusicPath->SetCaption("C:\\song.mp3");
  PressKey(VK_ESCAPE, {}, MainForm->LF->Handle());
  EXPECT_EQ(MainForm->PathBox->Text(), "");
  EXPECT_EQ(MainForm->MusicPath->Caption(), "");
}

// ---------------------------------------------------------------------------------------
// The text/picture pages

class TextPages : public PanelMenus {
protected:
  void SetUp() override {
    PanelMenus::SetUp();
    Pages = MainForm->TextPages;
    Pages->AskSaveName = [this](std::string& Name, int& Filter) {
      ++SaveAsked;
      if (SaveName.empty()) return false;
      Name = SaveName;
      Filter = SaveFilter;
      return true;
    };
    Pages->AskOpenName = [this](std::string& Name) {
      Name = OpenName;
      return !Name.empty();
    };
  }
  TTextPages* Pages = nullptr;
  std::string SaveName, OpenName;
  int SaveFilter = 1, SaveAsked = 0;
};

TEST_F(TextPages, DosSaveWritesCp866AndReplacesTheOldFile) {
  WriteFileBytes(Dir / "R\\old.txt", "old contents that are longer than the new text");
  // "Ёлка №1 «x»" in Windows 1251.
  MainForm->REdit->SetText("\xA8\xEB\xEA\xE0 \xB9" "1 \xABx\xBB");
  SaveName = Dir / "R\\old.txt";
  SaveFilter = TTextPages::DosTextFilter;
  ASSERT_TRUE(Pages->SaveClick(false));
  std::string Bytes = ReadFileBytes(Dir / "R\\old.txt");
  while (!Bytes.empty() && (Bytes.back() == '\n' || Bytes.back() == '\r')) Bytes.pop_back();
  EXPECT_EQ(Bytes, "\xF0\xAB\xAA\xA0 \xFC" "1 \"x\"");
  EXPECT_EQ(Pages->RFileName, Dir / "R\\old.txt");
  // Nothing is left behind in the program's temporary folder.
  EXPECT_FALSE(FileExists(Dir / "Temp\\$$$$.$$$"));

  // A name that cannot be written is told; the page keeps no name and the text stays.
  Pages->RFileName.clear();
  SaveName = Dir / "missing\\x.txt";
  for (int Filter : {TTextPages::DosTextFilter, 1}) {
    SaveFilter = Filter;
    TDialogWatcher Watcher;
    EXPECT_FALSE(Pages->SaveClick(false));
    EXPECT_EQ(Watcher.Answered().size(), 1u);
    EXPECT_EQ(Pages->RFileName, "");
  }
  EXPECT_NE(MainForm->REdit->Text().find("\xA8\xEB\xEA\xE0"), std::string::npos);
  // A cancelled dialog changes nothing.
  SaveName.clear();
  EXPECT_FALSE(Pages->SaveClick(false));
  EXPECT_EQ(Pages->RFileName, "");
}

TEST_F(TextPages, OpenShowsTheFileAndSaveWritesItBackWithoutAsking) {
  OpenName = Dir / "L\\a.txt";
  Pages->Button(true, "Open")->Click();
  EXPECT_EQ(MainForm->LPages->ActivePage(), MainForm->LEditPage);
  EXPECT_FALSE(MainForm->LEdit->Modified());
  EXPECT_EQ(Pages->LFileName, Dir / "L\\a.txt");
  MainForm->LEdit->SetText("changed");
  Pages->Button(true, "Save")->Click();
  EXPECT_EQ(SaveAsked, 0);
  std::string Bytes = ReadFileBytes(Dir / "L\\a.txt");
  EXPECT_EQ(Bytes.substr(0, 7), "changed");
  // A new text forgets the file, so that saving it cannot overwrite that file.
  MainForm->LImage->SetVisible(true);
  Pages->Button(true, "New")->Click();
  EXPECT_EQ(MainForm->LEdit->Text(), "");
  EXPECT_FALSE(MainForm->LImage->Visible());
  EXPECT_TRUE(MainForm->LEdit->Visible());
  EXPECT_EQ(Pages->LFileName, "");
  MainForm->LEdit->SetText("another");
  Pages->Button(true, "Save")->Click();
  EXPECT_EQ(SaveAsked, 1);
  EXPECT_EQ(ReadFileBytes(Dir / "L\\a.txt").substr(0, 7), "changed");
}

TEST_F(TextPages, CodePageButtonsConvertTheWholeTextToWindows) {
  struct {
    bool Left;
    const char* What;
    const char* From;
  } Cases[] = {
      {true, "Code", "\x8F\xE0\xA8\xA2\xA5\xE2 \xF0"},  // "Привет Ё" in DOS 866
      {false, "Code", "\x8F\xE0\xA8\xA2\xA5\xE2 \xF0"},
      {true, "Koi", "\xF0\xD2\xC9\xD7\xC5\xD4 \xB3"},  // the same in KOI8-R
  };
  for (const auto& C : Cases) {
    TRxRichEdit* E = C.Left ? MainForm->LEdit : MainForm->REdit;
    E->SetText(C.From);
    Pages->Button(C.Left, C.What)->Click();
    EXPECT_EQ(E->Text(), "\xCF\xF0\xE8\xE2\xE5\xF2 \xA8") << C.What;
  }
}

TEST_F(TextPages, PrintWritesEveryLineInOrderPageAfterPage) {
  std::string Text;
  for (int I = 1; I <= 150; ++I) Text += "line " + std::to_string(I) + (I < 150 ? "\r\n" : "");
  MainForm->LEdit->SetText(Text);
  // The target lives only through the print: its pages are read in the printing.
  std::vector<std::string> Printed;
  int PageCount = 0;
  Pages->AskPrinter = [&]() -> std::unique_ptr<TPrintTarget> {
    struct TKeep : TEmfPrintTarget {
      std::vector<std::string>* Out;
      int* Count;
      TKeep(std::vector<std::string>* O, int* C) : TEmfPrintTarget(794, 1123), Out(O), Count(C) {}
      ~TKeep() override {
        *Count = int(Pages().size());
        for (HENHMETAFILE P : Pages())
          for (const std::string& T : PageTexts(P)) Out->push_back(T);
      }
    };
    return std::make_unique<TKeep>(&Printed, &PageCount);
  };
  Pages->Button(true, "Print")->Click();
  EXPECT_GE(PageCount, 2);
  ASSERT_EQ(Printed.size(), 150u);
  for (int I = 0; I < 150; ++I) EXPECT_EQ(Printed[size_t(I)], "line " + std::to_string(I + 1));
  // A cancelled print dialog prints nothing.
  Printed.clear();
  Pages->AskPrinter = [] { return std::unique_ptr<TPrintTarget>(); };
  Pages->Button(true, "Print")->Click();
  EXPECT_TRUE(Printed.empty());
  // A missing printer is told.
  TSpoolerPrintTarget Missing(L"No such printer here");
  EXPECT_THROW(PrintTextLines(Missing, {"x"}, *MainForm->LEdit->Font(), "t"), EPrintError);
}

// The find button opens the edit's find dialog; each find selects the next occurrence. The font button starts from the edit's own font, so OK keeps it.
TEST_F(TextPages, FindSelectsOccurrencesAndFontStartsFromTheEditsFont) {
  TRxRichEdit* E = MainForm->REdit;
  E->SetText("alpha beta Alpha");
  E->SetSelStart(0);
  E->SetSelLength(0);
  Pages->Button(false, "Find")->Click();
  TFindDialog* D = nullptr;
  for (int I = 0; I < E->ComponentCount(); ++I)
    if (auto* F = dynamic_cast<TFindDialog*>(E->Components(I))) D = F;
  ASSERT_NE(D, nullptr);
  EXPECT_NE(D->Handle(), nullptr);
  D->SetFindText("alpha");
  D->SetOptions(TFindOptions{frDown});
  for (int Start : {0, 11}) {
    D->OnFind(D);
    EXPECT_EQ(E->SelStart(), Start);
    EXPECT_TRUE(SameText(E->SelText(), "alpha"));
  }
  D->CloseDialog();

  ASSERT_NE(Settings->pFont, nullptr);
  auto F = std::make_unique<TFont>();
  F->SetName("Courier New");
  F->SetSize(13);
  E->SetFont(F.get());
  {
    TDialogWatcher Ok(IDOK);
    Pages->Button(false, "Font")->Click();
  }
  EXPECT_EQ(E->Font()->Name(), "Courier New");
  EXPECT_EQ(E->Font()->Size(), 13);
}

TEST_F(TextPages, RtfButtonSwitchesBetweenRichAndPlainText) {
  TToolButton* B = Pages->Button(false, "Rtf");
  ASSERT_NE(B, nullptr);
  MainForm->REdit->SetText("kept");
  for (int I = 0; I < 2; ++I) {
    B->Click();
    EXPECT_EQ(MainForm->REdit->PlainText(), !B->Down());
  }
  EXPECT_EQ(MainForm->REdit->Text(), "kept");
  // Rich text is written only into an RTF file.
  MainForm->REdit->SetPlainText(false);
  for (const char* Name : {"r.rtf", "r.txt"}) {
    SaveName = Dir / Name;
    Pages->RFileName.clear();
    ASSERT_TRUE(Pages->SaveClick(false));
    EXPECT_EQ(ReadFileBytes(Dir / Name).rfind("{\\rtf", 0) == 0, std::string(Name) == "r.rtf") << Name;
  }
  MainForm->RPages->SetActivePage(MainForm->REditPage);
  PumpMessages();
  EXPECT_GT(SaveWindowPng(MainForm->Handle(), ScreenshotPath("text_page_buttons.png")), 0);
}

// ---------------------------------------------------------------------------------------
// The first paint's tip, the caption button and the tray, plug-in pages

class FirstPaint : public PanelMenus {
protected:
  void BeforeCreate() override {
    ASSERT_TRUE(CreateDir(Dir / "INI"));
    WriteFileBytes(Dir / "INI\\Tips.ini", Shipped);
  }
  const std::string Shipped = "[Tips]\r\nTip0=First tip\r\nTip1=Second tip\r\n";
};

TEST_F(FirstPaint, TipStandsBesideTheWindowAndKeepsItsStateApart) {
  // Shown without holding up the start: the window is up and the test goes on.
  TTipForm* Tip = MainForm->Tips->Form();
  ASSERT_NE(Tip, nullptr);
  EXPECT_TRUE(Tip->Visible());
  EXPECT_FALSE(Tip->Modal());
  EXPECT_EQ(Tip->TipText->Text(), "First tip");
  // The shipped tips file is never written; the state is the user's own file.
  EXPECT_EQ(ReadFileBytes(Dir / "INI\\Tips.ini"), Shipped);
  EXPECT_EQ(TIniFile(Dir / "ini\\TipState.ini").ReadInteger("Tips", "Index", -1), 1);
  // Closed with "show again" cleared: the next start shows none.
  Tip->ShowCheck->SetChecked(false);
  Tip->CloseButton->Click();
  PumpMessages();
  EXPECT_EQ(MainForm->Tips->Form(), nullptr);
  EXPECT_FALSE(TIniFile(Dir / "ini\\TipState.ini").ReadBool("Tips", "ShowAgain", true));
  MainForm->Tips->Execute();
  EXPECT_EQ(MainForm->Tips->Form(), nullptr);
  EXPECT_EQ(ReadFileBytes(Dir / "INI\\Tips.ini"), Shipped);
}

// The access code in the path box and a click on the tool panel open the options on their
// parameters page with the game shown; any other text does nothing.
TEST_F(PanelMenus, AccessCodeOpensTheHiddenGame) {
  ASSERT_NE(Settings->Miner, nullptr);
  auto Game = [&] {
    return std::vector<bool>{Settings->Sun->Visible(), Settings->Miner->Visible(), Settings->stop->Visible()};
  };
  const std::vector<bool> Hidden{false, false, false}, Shown{true, true, true};
  EXPECT_EQ(Game(), Hidden);
  // A click on the bar itself, left of the clock and right of the buttons.
  auto ClickBar = [&] {
    const int X = MainForm->Clock->Left() - 12, Y = MainForm->ToolBar1->Height() / 2;
    SendMessageW(MainForm->ToolBar1->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, Y));
    SendMessageW(MainForm->ToolBar1->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(X, Y));
  };
  for (const char* Text : {"", "hep!?", "Hep!", "Hep!? ", " Hep!?", "Hep!?Hep!?"}) {
    MainForm->PathBox->SetText(Text);
    TModalDriver None([](TForm* F) { F->SetModalResult(mrCancel); });
    ClickBar();
    EXPECT_FALSE(None.Ran()) << "[" << Text << "]";
    EXPECT_EQ(Game(), Hidden) << "[" << Text << "]";
  }

  std::vector<std::string> Told;
  Settings->Tell = [&](const std::string& Text) { Told.push_back(Text); };
  Settings->PageControl1->SetActivePage(Settings->SysInfo);
  MainForm->PathBox->SetText("Hep!?");
  TModalDriver Play([&](TForm* F) {
    EXPECT_EQ(F, Settings);
    EXPECT_EQ(Settings->PageControl1->ActivePage(), Settings->TabSheet5);
    EXPECT_EQ(Game(), Shown);
    TtsuWinMiner* M = Settings->Miner;
    EXPECT_EQ(M->Field().MineCount(), 15);  // a field to play at once, not an empty box
    EXPECT_GT(M->Field().Cols() * M->Field().Rows(), 15);
    // The field lies inside the page, clear of the page's other controls.
    const TRect Field = M->BoundsRect();
    EXPECT_LE(Field.Right, Settings->TabSheet5->ClientWidth());
    EXPECT_LE(Field.Bottom, Settings->TabSheet5->ClientHeight());
    for (TControl* Other : {static_cast<TControl*>(Settings->scrSaver), static_cast<TControl*>(Settings->RightFolder),
                            static_cast<TControl*>(Settings->Sun), static_cast<TControl*>(Settings->stop),
                            static_cast<TControl*>(Settings->CheckDel)}) {
      const TRect O = Other->BoundsRect();
      EXPECT_TRUE(O.Right <= Field.Left || O.Left >= Field.Right || O.Bottom <= Field.Top || O.Top >= Field.Bottom)
          << Other->Name();
    }
    PumpMessages();
    EXPECT_GT(SaveWindowPng(Settings->Handle(), ScreenshotPath("settings-game.png")), 0);
    // Opening a mine ends the game with its message, once.
    M->Field().SetField(M->Field().Cols(), M->Field().Rows(), {0});
    M->OpenAt(3, 3);
    M->OpenAt(3, 3);
    EXPECT_EQ(Told, std::vector<std::string>{"Game over!"});
    // "Sun" lays out a new game; "stop" hides the game again.
    Settings->Sun->Click();
    EXPECT_FALSE(M->Field().Lost());
    EXPECT_EQ(M->Field().MineCount(), 15);
    Settings->stop->Click();
    EXPECT_EQ(Game(), Hidden);
    Settings->BitBtn1Click(Settings);
  });
  ClickBar();
  EXPECT_TRUE(Play.Ran());
  EXPECT_FALSE(Settings->Visible());
}

TEST_F(PanelMenus, CaptionButtonTakesTheDesktopsMarginAndLeadsToTheTray) {
  ASSERT_NE(MainForm->CaptionButton1, nullptr);
  MainForm->Repaint();
  PumpMessages();
  EXPECT_EQ(MainForm->CaptionButton1->RightMargin(), MainForm->CaptionMargin);
  EXPECT_FALSE(MainForm->Tray->Active());
  MainForm->CaptionButton1Click(MainForm->CaptionButton1);
  PumpMessages();
  EXPECT_TRUE(MainForm->Tray->Active());
  EXPECT_FALSE(IsWindowVisible(Application->Handle()));
  MainForm->TrayRestore(MainForm->Tray);
  PumpMessages();
  EXPECT_FALSE(MainForm->Tray->Active());
  // The tray menu's Restore does the same; its Close closes the window.
  EXPECT_EQ(MainForm->Tray->PopupMenu(), MainForm->TrayMenu);
}

TEST_F(PanelMenus, PlugInPageClosesAndTheProgramsOwnPagesStay) {
  auto* Plug = new TTabSheet(MainForm);
  Plug->SetPageControl(MainForm->MainPage);
  Plug->SetCaption("Plug-in");
  const int Pages = MainForm->MainPage->PageCount();
  for (TTabSheet* Own : {MainForm->Main, MainForm->HTMLTab, MainForm->ActiveX, MainForm->EditTab}) {
    MainForm->MainPage->SetActivePage(Own);
    MainForm->PlugCloseClick(nullptr);
    EXPECT_EQ(MainForm->MainPage->PageCount(), Pages);
    EXPECT_EQ(MainForm->MainPage->ActivePage(), Own);
  }
  MainForm->MainPage->SetActivePage(Plug);
  MainForm->PlugCloseClick(nullptr);
  EXPECT_EQ(MainForm->MainPage->PageCount(), Pages - 1);
  EXPECT_EQ(MainForm->MainPage->ActivePage(), MainForm->Main);
}

}  // namespace
