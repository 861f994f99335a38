// Forms: resources compiled into the program, the order of their events, modal runs, the
// key routing between menu shortcuts, key preview and the focused control.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "classlib/win/application.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/com_ctrls.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/ext_ctrls.h"
#include "classlib/win/forms.h"
#include "classlib/win/image_list.h"
#include "classlib/win/list_view.h"
#include "classlib/win/std_ctrls.h"
#include "classlib/win/timer.h"
#include "classlib/win/tree_view.h"
#include "classlib/win/wide_string.h"
#include "tests/support/dialog_watcher.h"
#include "tests/support/form_test.h"
#include "tests/support/screenshot.h"

namespace {

// The form of test_res_form.zfm.
class TResForm : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TResForm(TComponent* Owner) : TForm(Owner) {}

  void FormCreate(TObject*) { Log.push_back("create"); }
  void FormKeyDown(TObject*, uint16_t& Key, TShiftState Shift) {
    Log.push_back("form key " + std::to_string(Key) + (Shift.Contains(ssCtrl) ? " ctrl" : ""));
  }
  void MenuClick(TObject* Sender) { Log.push_back("menu " + static_cast<TMenuItem*>(Sender)->Caption()); }

  TPageControl* Pages = nullptr;
  TEdit* Edit1 = nullptr;
  TStatusBar* Status = nullptr;
  std::vector<std::string> Log;
};

const TClassInfo* TResForm::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TResForm, TForm>("TResForm")
                                 .Handler("FormCreate", &TResForm::FormCreate)
                                 .Handler("FormKeyDown", &TResForm::FormKeyDown)
                                 .Handler("MenuClick", &TResForm::MenuClick)
                                 .Field("Pages", &TResForm::Pages)
                                 .Field("Edit1", &TResForm::Edit1)
                                 .Field("Status", &TResForm::Status)
                                 .Build();
  return &Info;
}

std::wstring TabText(HWND Tab, int Index) {
  wchar_t Buf[64] = {};
  TCITEMW Item{};
  Item.mask = TCIF_TEXT;
  Item.pszText = Buf;
  Item.cchTextMax = 64;
  SendMessageW(Tab, TCM_GETITEMW, Index, reinterpret_cast<LPARAM>(&Item));
  return Buf;
}

TEST(Forms, ResourceOfTheProgramBuildsTheForm) {
  std::unique_ptr<TResForm> F(CreateForm<TResForm>(nullptr));
  EXPECT_EQ(F->Log, std::vector<std::string>{"create"});
  ASSERT_NE(F->Pages, nullptr);
  F->Show();
  PumpMessages();
  // 1251 captions reach the windows as the right characters.
  wchar_t Title[64] = {};
  GetWindowTextW(F->Handle(), Title, 64);
  EXPECT_STREQ(Title, L"Окно из ресурса");
  EXPECT_EQ(TabText(F->Pages->Handle(), 0), L"Файлы");
  EXPECT_EQ(F->Edit1->Text(), "\xF2\xE5\xEA\xF1\xF2");
  wchar_t Panel[64] = {};
  SendMessageW(F->Status->Handle(), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(Panel));
  EXPECT_STREQ(Panel, L"первая");
  // A panel added to the shown bar at run time gets its text.
  const int Added = F->Status->Panels()->Count();
  F->Status->Panels()->Add()->SetText("\xED\xEE\xE2\xE0\xFF");
  wchar_t AddedText[64] = {};
  SendMessageW(F->Status->Handle(), SB_GETTEXTW, Added, reinterpret_cast<LPARAM>(AddedText));
  EXPECT_STREQ(AddedText, L"новая");
  // The page control fills the form above the status bar.
  EXPECT_EQ(F->Pages->Top(), 0);
  EXPECT_EQ(F->Pages->Height() + F->Status->Height(), F->ClientHeight());
  EXPECT_GT(SaveWindowPng(F->Handle(), ScreenshotPath("res-form.png")), 0);
}

TEST(Forms, ResourceErrorNamesFormLineAndName) {
  RegisterControlClasses();
  TForm F(nullptr);
  const char* Text = "object F: TForm\n  object P: TPanel\n    Colour = clRed\n  end\nend\n";
  try {
    ReadFormText(&F, Text, "BadForm");
    FAIL() << "no error";
  } catch (const EFormError& E) {
    EXPECT_EQ(E.Form, "BadForm");
    EXPECT_EQ(E.Line, 3);
    EXPECT_EQ(E.Name, "Colour");
  }
  EXPECT_EQ(F.ControlCount(), 0);
}

TEST(Forms, ClientSizeFromTheResourceIsTheWindowsOwn) {
  // The size comes before the border style in the resource, and the window does not exist yet.
  RegisterControlClasses();
  struct Case {
    const char* Border;
    bool Menu;
  } Cases[] = {{"bsDialog", false}, {"bsSizeable", false}, {"bsSingle", true}};
  for (const Case& C : Cases) {
    TForm F(nullptr);
    std::string Text = "object F: TForm\n  ClientWidth = 380\n  ClientHeight = 190\n  BorderStyle = " +
                       std::string(C.Border) + "\n" +
                       (C.Menu ? "  Menu = M\n  object M: TMainMenu\n    object I: TMenuItem\n      Caption = 'File'\n"
                                 "    end\n  end\n"
                               : "") +
                       "  object B: TButton\n    Left = 8\n    Top = 150\n    Width = 75\n    Height = 25\n  end\nend\n";
    ReadFormText(&F, Text.c_str(), "SizedForm");
    EXPECT_EQ(F.ClientWidth(), 380) << C.Border;
    EXPECT_EQ(F.ClientHeight(), 190) << C.Border;
    F.Show();
    PumpMessages();
    RECT R;
    GetClientRect(F.Handle(), &R);
    EXPECT_EQ(R.right, 380) << C.Border;
    EXPECT_EQ(R.bottom, 190) << C.Border;
    F.Hide();
  }
}

// A form whose events write down their order.
class TEventForm : public TForm {
public:
  explicit TEventForm(TComponent* Owner) : TForm(Owner) {
    auto Note = [this](const char* What) { return [this, What](TObject*) { Log.push_back(What); }; };
    OnCreate = Note("create");
    OnShow = Note("show");
    OnHide = Note("hide");
    OnCloseQuery = [this](TObject*, bool& CanClose) {
      Log.push_back("closequery");
      CanClose = ++Queries > 1;  // refuses the first time
    };
    OnClose = [this](TObject*, TCloseAction&) { Log.push_back("close"); };
  }
  std::vector<std::string> Log;
  int Queries = 0;
};

TEST(Forms, EventsFireInOrder) {
  std::vector<std::string> Log;
  {
    std::unique_ptr<TEventForm> F(CreateForm<TEventForm>(nullptr));
    // OnDestroy sees the whole form: its own class and members are still there.
    F->OnDestroy = [&](TObject* Sender) {
      auto* Whole = dynamic_cast<TEventForm*>(Sender);
      ASSERT_NE(Whole, nullptr);
      Log = Whole->Log;
      Log.push_back("destroy");
    };
    F->Show();
    PumpMessages();
    F->Close();  // refused
    EXPECT_TRUE(F->Visible());
    PostMessageW(F->Handle(), WM_CLOSE, 0, 0);  // as the close button does
    PumpMessages();
    EXPECT_FALSE(F->Visible());
  }
  EXPECT_EQ(Log, (std::vector<std::string>{"create", "show", "closequery", "closequery", "close", "hide", "destroy"}));
}

TEST(Forms, ShowModalReturnsTheModalResult) {
  std::unique_ptr<TForm> F(CreateForm<TForm>(nullptr));
  auto* Ok = new TButton(F.get());
  Ok->SetParent(F.get());
  Ok->SetModalResult(mrOk);
  Ok->SetDefault(true);
  int Shown = 0;
  F->OnShow = [&](TObject*) {
    ++Shown;
    // Enter goes to the default button once the form runs.
    PostMessageW(Ok->Handle(), BM_CLICK, 0, 0);
  };
  EXPECT_EQ(F->ShowModal(), mrOk);
  EXPECT_FALSE(F->Visible());
  // Close on a modal form answers mrCancel.
  F->OnShow = [&](TObject* Sender) { PostMessageW(static_cast<TForm*>(Sender)->Handle(), WM_CLOSE, 0, 0); };
  EXPECT_EQ(F->ShowModal(), mrCancel);
  EXPECT_EQ(Shown, 1);
}

TEST(Forms, MenuShortcutTakesTheKeyBeforeKeyPreview) {
  std::unique_ptr<TResForm> F(CreateForm<TResForm>(nullptr));
  F->Log.clear();
  uint16_t EditKeys = 0;
  F->Edit1->OnKeyDown = [&](TObject*, uint16_t& Key, TShiftState) { EditKeys = Key; };
  F->Show();
  F->Edit1->SetFocus();
  PumpMessages();
  ASSERT_EQ(GetFocus(), F->Edit1->Handle());

  // Bound as a menu shortcut and in the form's key handler: only the menu item runs.
  PressKey('U', {ssCtrl});
  EXPECT_EQ(F->Log, std::vector<std::string>{"menu Swap"});
  EXPECT_EQ(EditKeys, 0);
  F->Log.clear();
  PressKey(VK_F10);
  EXPECT_EQ(F->Log, std::vector<std::string>{"menu Exit"});
  F->Log.clear();
  // A disabled item's shortcut does not count: the form and then the control see the key.
  PressKey(VK_F7);
  EXPECT_EQ(F->Log, std::vector<std::string>{"form key " + std::to_string(VK_F7)});
  EXPECT_EQ(EditKeys, VK_F7);
  F->Log.clear();
  // Other modifiers are another shortcut.
  PressKey('U', {ssCtrl, ssShift});
  EXPECT_EQ(F->Log, std::vector<std::string>{"form key 85 ctrl"});
}

TEST(Forms, ExceptionInAHandlerIsShownAndTheLoopGoesOn) {
  TDialogWatcher Watcher;
  std::unique_ptr<TForm> F(CreateForm<TForm>(nullptr));
  auto* B = new TButton(F.get());
  B->SetParent(F.get());
  B->OnClick = [](TObject*) { throw Exception("Disk is full"); };
  F->Show();
  PumpMessages();
  SendMessageW(B->Handle(), BM_CLICK, 0, 0);
  auto Answered = Watcher.Answered();
  ASSERT_EQ(Answered.size(), 1u);
  EXPECT_NE(Answered[0].find(L"Disk is full"), std::wstring::npos);
  // EAbort is silent.
  B->OnClick = [](TObject*) { throw EAbort("quiet"); };
  SendMessageW(B->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(Watcher.Answered().size(), 1u);
}

TEST(Forms, AlignLaysOutTopBottomLeftClient) {
  std::unique_ptr<TForm> F(CreateForm<TForm>(nullptr));
  F->SetBounds(0, 0, 400, 300);
  F->HandleNeeded();
  auto Make = [&](TAlign A, int Size) {
    auto* P = new TPanel(F.get());
    P->SetBounds(0, 0, Size, Size);
    P->SetAlign(A);
    P->SetParent(F.get());
    return P;
  };
  TPanel* Top = Make(alTop, 30);
  TPanel* Bottom = Make(alBottom, 20);
  TPanel* Left = Make(alLeft, 100);
  TPanel* Client = Make(alClient, 10);
  int W = F->ClientWidth(), H = F->ClientHeight();
  EXPECT_EQ(Top->BoundsRect(), Rect(0, 0, W, 30));
  EXPECT_EQ(Bottom->BoundsRect(), Rect(0, H - 20, W, H));
  EXPECT_EQ(Left->BoundsRect(), Rect(0, 30, 100, H - 20));
  EXPECT_EQ(Client->BoundsRect(), Rect(100, 30, W, H - 20));
  // Hiding a control gives its room to the others.
  Left->Hide();
  EXPECT_EQ(Client->BoundsRect(), Rect(0, 30, W, H - 20));
}

// A control put on a tool bar after its buttons takes its place in the row at once, not
// only at the bar's next resize (the panels' path combos are added so).
TEST(Forms, ToolBarPlacesAControlAddedLater) {
  std::unique_ptr<TForm> F(CreateForm<TForm>(nullptr));
  F->SetBounds(0, 0, 400, 300);
  auto* Bar = new TToolBar(F.get());
  Bar->SetAlign(alTop);
  Bar->SetParent(F.get());
  for (int I = 0; I < 3; ++I) {
    auto* B = new TToolButton(F.get());
    B->SetLeft(I * 30);
    B->SetParent(Bar);
  }
  F->HandleNeeded();
  auto* Combo = new TComboBox(F.get());
  Combo->SetLeft(1000);  // after the buttons
  Combo->SetWidth(150);
  Combo->SetParent(Bar);
  EXPECT_EQ(Combo->Left(), 3 * Bar->ButtonWidth());
  EXPECT_LE(Combo->Left() + Combo->Width(), Bar->Width());
}

// A status bar that grows (its window maximised) shows its size grip at its new corner
// only: nothing of it stays where the corner was.
TEST(Forms, AGrowingStatusBarLeavesNoOldSizeGrip) {
  std::unique_ptr<TForm> F(CreateForm<TForm>(nullptr));
  F->SetBounds(0, 0, 400, 200);
  auto* Bar = new TStatusBar(F.get());
  Bar->SetParent(F.get());
  Bar->Panels()->Add()->SetWidth(100);
  Bar->Panels()->Add();
  F->Show();
  PumpMessages();
  UpdateWindow(Bar->Handle());
  const int OldRight = Bar->ClientWidth();
  F->SetBounds(0, 0, 600, 200);
  PumpMessages();
  UpdateWindow(Bar->Handle());
  ASSERT_GT(Bar->ClientWidth(), OldRight + 100);
  // The old corner looks like the bar a little further left, where no grip ever was.
  HDC DC = GetDC(Bar->Handle());
  int Differ = 0;
  for (int Y = 0; Y < Bar->ClientHeight(); ++Y)
    for (int X = OldRight - 16; X < OldRight; ++X)
      if (GetPixel(DC, X, Y) != GetPixel(DC, X - 60, Y)) ++Differ;
  ReleaseDC(Bar->Handle(), DC);
  EXPECT_EQ(Differ, 0);
}

// A bar too narrow for its buttons wraps the last ones to a new line at the left; when it
// gets wider again they come back at the end, in their order, not among the first ones.
TEST(Forms, ToolBarKeepsItsOrderAfterWrapping) {
  std::unique_ptr<TForm> F(CreateForm<TForm>(nullptr));
  F->SetBounds(0, 0, 400, 300);
  auto* Bar = new TToolBar(F.get());
  Bar->SetAlign(alNone);
  Bar->SetParent(F.get());
  Bar->SetBounds(0, 0, 300, 60);
  std::vector<TToolButton*> Buttons;
  for (int I = 0; I < 6; ++I) {
    auto* B = new TToolButton(F.get());
    B->SetLeft(I * Bar->ButtonWidth());
    B->SetParent(Bar);
    Buttons.push_back(B);
  }
  F->HandleNeeded();
  auto InOneRowInOrder = [&] {
    for (size_t I = 0; I < Buttons.size(); ++I) {
      EXPECT_EQ(Buttons[I]->Top(), Buttons[0]->Top()) << I;
      EXPECT_EQ(Buttons[I]->Left(), int(I) * Bar->ButtonWidth()) << I;
    }
  };
  InOneRowInOrder();
  for (int Round = 0; Round < 2; ++Round) {
    Bar->SetWidth(4 * Bar->ButtonWidth() + 5);  // two buttons wrap
    EXPECT_EQ(Buttons[4]->Left(), 0);
    EXPECT_GT(Buttons[4]->Top(), Buttons[0]->Top());
    EXPECT_EQ(Buttons[5]->Left(), Bar->ButtonWidth());
    Bar->SetWidth(300);
    InOneRowInOrder();
  }
}

// Caption buttons are as wide as their captions; picture buttons keep the bar's width. A
// click on the bar itself is the bar's, a click on a button only the button's.
TEST(Forms, ToolBarSizesCaptionButtonsAndClicksOnItsOwnArea) {
  std::unique_ptr<TForm> F(CreateForm<TForm>(nullptr));
  F->SetBounds(0, 0, 500, 200);
  auto* Bar = new TToolBar(F.get());
  Bar->SetAlign(alTop);
  Bar->SetButtonWidth(23);
  Bar->SetParent(F.get());
  auto* List = new TImageList(F.get());
  List->SetWidth(16);
  List->SetHeight(16);
  TBitmap Strip;
  Strip.SetSize(16, 16);
  List->Add(&Strip, nullptr);
  Bar->SetImages(List);
  struct Case {
    const char* Caption;
    int Image;
    bool Wide;  // sized to the caption
  } Cases[] = {
      {"", 0, false},         // a picture alone
      {"Forward", -1, true},  // a caption alone
      {"KOI", -1, true},
      {"C:\\Programs\\tool.exe", 0, false},  // a picture whose caption is not shown
      {"Forward", 7, true},                   // no such picture: the caption shows
  };
  std::vector<TToolButton*> Buttons;
  for (const Case& C : Cases) {
    auto* B = new TToolButton(F.get());
    B->SetLeft(1000 + int(Buttons.size()));
    B->SetParent(Bar);
    B->SetImageIndex(C.Image);
    B->SetCaption(C.Caption);
    Buttons.push_back(B);
  }
  F->Show();
  PumpMessages();
  for (size_t I = 0; I < Buttons.size(); ++I) {
    TToolButton* B = Buttons[I];
    if (Cases[I].Wide)
      EXPECT_EQ(B->Width(), B->CaptionWidth() + 2 * TToolBar::CaptionMargin) << Cases[I].Caption;
    else
      EXPECT_EQ(B->Width(), 23) << Cases[I].Caption;
    if (I > 0) EXPECT_EQ(B->Left(), Buttons[I - 1]->Left() + Buttons[I - 1]->Width()) << Cases[I].Caption;
  }
  EXPECT_GT(Buttons[1]->Width(), 23);
  // A bar that shows captions under its pictures sizes those buttons too; a longer caption
  // (another language) widens its button at once.
  Bar->SetShowCaptions(true);
  EXPECT_EQ(Buttons[3]->Width(), Buttons[3]->CaptionWidth() + 2 * TToolBar::CaptionMargin);
  EXPECT_GT(Buttons[3]->Width(), 23);
  EXPECT_EQ(Buttons[0]->Width(), 23);
  Bar->SetShowCaptions(false);
  EXPECT_EQ(Buttons[3]->Width(), 23);
  Buttons[2]->SetCaption("KOI-8r text");
  EXPECT_EQ(Buttons[2]->Width(), Buttons[2]->CaptionWidth() + 2 * TToolBar::CaptionMargin);
  // A caption past the widest a button makes room for ends in "..." instead.
  Buttons[4]->SetCaption(std::string(80, 'W'));
  EXPECT_EQ(Buttons[4]->Width(), TToolBar::MaxCaptionWidth + 2 * TToolBar::CaptionMargin);
  Buttons[4]->SetCaption("Forward");

  int BarClicks = 0, ButtonClicks = 0;
  Bar->OnClick = [&](TObject*) { ++BarClicks; };
  Buttons[1]->OnClick = [&](TObject*) { ++ButtonClicks; };
  auto Click = [&](int X, int Y) {
    SendMessageW(Bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, Y));
    SendMessageW(Bar->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(X, Y));
  };
  Click(Buttons[1]->Left() + 3, Buttons[1]->Top() + 3);
  EXPECT_EQ(ButtonClicks, 1);
  EXPECT_EQ(BarClicks, 0);
  Click(Bar->Width() - 5, 5);  // right of the last button
  EXPECT_EQ(BarClicks, 1);
  EXPECT_EQ(ButtonClicks, 1);
  EXPECT_GT(SaveWindowPng(F->Handle(), ScreenshotPath("tool_bar_captions.png")), 0);
}

// A group box paints its whole inside in its colour, the labels on it included: nothing of
// what the screen showed before stays behind it.
TEST(Forms, GroupBoxPaintsItsInsideAndItsLabels) {
  std::unique_ptr<TForm> F(CreateForm<TForm>(nullptr));
  F->SetBounds(0, 0, 300, 200);
  auto* Box = new TGroupBox(F.get());
  Box->SetBounds(10, 10, 200, 150);
  Box->SetCaption("Options");
  Box->SetColor(clYellow);
  Box->SetParent(F.get());
  auto* L = new TLabel(F.get());
  L->SetBounds(20, 100, 100, 16);
  L->SetCaption("Label");
  L->SetParent(Box);
  F->Show();
  RedrawWindow(F->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  PumpMessages();
  HDC DC = GetDC(Box->Handle());
  COLORREF Inside = GetPixel(DC, 100, 60);
  // The label's text is drawn: some pixel of its box is not the box's colour.
  bool LabelDrawn = false;
  for (int X = 20; X < 60 && !LabelDrawn; ++X)
    for (int Y = 100; Y < 116 && !LabelDrawn; ++Y) LabelDrawn = GetPixel(DC, X, Y) == RGB(0, 0, 0);
  ReleaseDC(Box->Handle(), DC);
  EXPECT_EQ(Inside, RGB(255, 255, 0));
  EXPECT_TRUE(LabelDrawn);
  EXPECT_GT(SaveWindowPng(F->Handle(), ScreenshotPath("group_box.png")), 0);
}

// A caption changed and changed back while the window exists reads back as set, as a
// language switch there and back does it: the window's text follows every change.
TEST(Forms, CaptionsOfPaintedBoxesFollowEveryChange) {
  std::unique_ptr<TForm> F(CreateForm<TForm>(nullptr));
  TWinControl* Boxes[] = {new TGroupBox(F.get()), new TPanel(F.get())};
  for (TWinControl* Box : Boxes) {
    Box->SetParent(F.get());
    Box->SetCaption("\xD6\xE2\xE5\xF2\xE0");
    Box->HandleNeeded();
    Box->SetCaption("Colours");
    Box->SetCaption("\xD6\xE2\xE5\xF2\xE0");
    EXPECT_EQ(Box->Caption(), "\xD6\xE2\xE5\xF2\xE0") << Box->ClassInfo()->Name;
    wchar_t Text[16] = {};
    GetWindowTextW(Box->Handle(), Text, 16);
    EXPECT_STREQ(Text, L"\x0426\x0432\x0435\x0442\x0430") << Box->ClassInfo()->Name;
  }
}

// Whoever deletes a form made by CreateForm, its OnDestroy sees the form whole.
TEST(Forms, OnDestroySeesTheWholeFormWhoeverDeletesIt) {
  std::vector<std::string> Seen;
  auto Watch = [&](TEventForm* F) {
    F->OnDestroy = [&Seen](TObject* Sender) {
      auto* Whole = dynamic_cast<TEventForm*>(Sender);
      Seen.push_back(Whole != nullptr && !Whole->Log.empty() ? Whole->Log.front() : "half a form");
    };
  };
  {
    TComponent Owner(nullptr);
    Watch(CreateForm<TEventForm>(&Owner));
  }
  TEventForm* Released = CreateForm<TEventForm>(nullptr);
  Watch(Released);
  Released->Show();
  Released->Release();
  PumpMessages();
  TForm* Plain = CreateForm<TEventForm>(nullptr);
  Watch(static_cast<TEventForm*>(Plain));
  delete Plain;  // through a pointer to the base class
  EXPECT_EQ(Seen, (std::vector<std::string>{"create", "create", "create"}));
}

// New border styles or icons give a visible form a new window: it stays on screen, in its
// state and at its normal bounds.
TEST(Forms, NewBorderKeepsTheWindowShownAndItsBounds) {
  std::unique_ptr<TForm> F(CreateForm<TForm>(nullptr));
  F->SetBounds(40, 30, 300, 200);
  F->Show();
  PumpMessages();
  HWND Old = F->Handle();
  F->SetBorderIcons({biSystemMenu});
  PumpMessages();
  EXPECT_NE(F->Handle(), Old);
  EXPECT_TRUE(IsWindowVisible(F->Handle()));
  EXPECT_EQ(GetWindowLongW(F->Handle(), GWL_STYLE) & WS_MAXIMIZEBOX, 0);
  EXPECT_EQ(F->BoundsRect(), Rect(40, 30, 340, 230));

  // Minimised, the form keeps the bounds it will come back to.
  ShowWindow(F->Handle(), SW_MINIMIZE);
  PumpMessages();
  ASSERT_TRUE(IsIconic(F->Handle()));
  EXPECT_EQ(F->WindowState(), wsMinimized);
  EXPECT_EQ(F->BoundsRect(), Rect(40, 30, 340, 230));
  F->SetBorderStyle(bsSingle);
  PumpMessages();
  EXPECT_TRUE(IsWindowVisible(F->Handle()));
  EXPECT_TRUE(IsIconic(F->Handle()));
  ShowWindow(F->Handle(), SW_RESTORE);
  PumpMessages();
  EXPECT_EQ(F->WindowState(), wsNormal);
  EXPECT_EQ(F->BoundsRect(), Rect(40, 30, 340, 230));

  // A hidden form stays hidden.
  F->Hide();
  F->SetBorderStyle(bsDialog);
  PumpMessages();
  EXPECT_FALSE(IsWindowVisible(F->Handle()));
}

// Every component class that forms hold can come from a form resource, image lists set by
// name included.
TEST(Forms, ResourceWithEveryComponentKindLoads) {
  RegisterControlClasses();
  const char* Text = R"(object F: TForm
  object Images1: TImageList
    Width = 8
    Height = 8
  end
  object Timer1: TTimer
    Enabled = False
    Interval = 250
  end
  object OpenDialog1: TOpenDialog
    Filter = 'Тексты|*.txt'
  end
  object SaveDialog1: TSaveDialog
    DefaultExt = 'zip'
  end
  object FontDialog1: TFontDialog
    Font.Name = 'Arial'
  end
  object ColorDialog1: TColorDialog
    Color = clRed
  end
  object PrintDialog1: TPrintDialog
    Copies = 2
  end
  object FindDialog1: TFindDialog
    FindText = 'искать'
  end
  object ReplaceDialog1: TReplaceDialog
    ReplaceText = 'new'
  end
  object Image1: TImage
    Left = 0
    Top = 34
    Center = True
    Stretch = True
    Visible = False
  end
  object List1: TListView
    SmallImages = Images1
    LargeImages = Images1
    StateImages = Images1
  end
  object Tree1: TTreeView
    Images = Images1
    StateImages = Images1
  end
  object Bar1: TToolBar
    Images = Images1
  end
  object Menu1: TPopupMenu
    Images = Images1
  end
end
)";
  TForm F(nullptr);
  ReadFormText(&F, Text, "AllKinds");
  auto Find = [&](const char* Name) {
    TComponent* C = F.FindComponent(Name);
    EXPECT_NE(C, nullptr) << Name;
    return C;
  };
  EXPECT_EQ(GetPropText(Find("Images1"), "Width"), "8");
  EXPECT_EQ(GetPropText(Find("Timer1"), "Interval"), "250");
  EXPECT_EQ(GetPropText(Find("OpenDialog1"), "Filter"), "\xD2\xE5\xEA\xF1\xF2\xFB|*.txt");
  EXPECT_EQ(Find("SaveDialog1")->ClassName(), "TSaveDialog");
  EXPECT_EQ(GetPropText(Find("FontDialog1"), "Font.Name"), "Arial");
  EXPECT_EQ(GetPropText(Find("ColorDialog1"), "Color"), "clRed");
  EXPECT_EQ(GetPropText(Find("PrintDialog1"), "Copies"), "2");
  EXPECT_EQ(GetPropText(Find("FindDialog1"), "FindText"), "\xE8\xF1\xEA\xE0\xF2\xFC");
  EXPECT_EQ(GetPropText(Find("ReplaceDialog1"), "ReplaceText"), "new");
  auto* Image = dynamic_cast<TImage*>(Find("Image1"));
  ASSERT_NE(Image, nullptr);
  EXPECT_EQ(Image->Parent(), &F);
  EXPECT_TRUE(Image->Stretch() && Image->Center() && !Image->Visible());
  auto* Images = dynamic_cast<TCustomImageList*>(Find("Images1"));
  for (const char* Path : {"List1.SmallImages", "List1.LargeImages", "List1.StateImages", "Tree1.Images",
                           "Tree1.StateImages", "Bar1.Images", "Menu1.Images"}) {
    std::string P = Path;
    size_t Dot = P.find('.');
    EXPECT_EQ(GetObjectProp(Find(P.substr(0, Dot).c_str()), P.substr(Dot + 1)), Images) << Path;
    EXPECT_EQ(GetPropText(Find(P.substr(0, Dot).c_str()), P.substr(Dot + 1)), "Images1") << Path;
  }
  // String-list properties say what they hold, and the classes are known by name.
  auto* Memo = new TMemo(&F);
  EXPECT_EQ(GetObjectPropClass(Memo, "Lines"), TStrings::StaticClassInfo());
  EXPECT_EQ(GetClass("TStringList"), TStringList::StaticClassInfo());
}

// A control deleted while its hint is pending leaves nothing behind for the hint's timer.
TEST(Forms, APendingHintDoesNotOutliveItsControl) {
  std::unique_ptr<TForm> F(CreateForm<TForm>(nullptr));
  auto* P = new TPanel(F.get());
  P->SetParent(F.get());
  P->SetHint("Panel");
  P->SetShowHint(true);
  F->Show();
  PumpMessages();
  P->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(Application->HintControl(), P);
  delete P;
  EXPECT_EQ(Application->HintControl(), nullptr);
  SendMessageW(Application->Handle(), WM_TIMER, 1, 0);  // as the hint's timer would: nothing to show
}

}  // namespace
