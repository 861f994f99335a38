// Owner-drawn menus: items switched to owner-draw and back, measuring and drawing through
// the form's window, pictures from image lists, the settings copied into every item, and
// the menu sharing its form's window with caption buttons and window hooks in any order.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "classlib/core/exception.h"
#include "classlib/win/forms.h"
#include "classlib/win/image_list.h"
#include "classlib/win/menus.h"
#include "classlib/win/wide_string.h"
#include "tests/support/form_test.h"
#include "tests/support/screenshot.h"
#include "ui/caption_button.h"
#include "ui/cool_menu.h"
#include "ui/rx_window_hook.h"

namespace {

UINT ItemType(HMENU Menu, UINT Command) {
  MENUITEMINFOW Info{};
  Info.cbSize = sizeof Info;
  Info.fMask = MIIM_FTYPE;
  EXPECT_TRUE(GetMenuItemInfoW(Menu, Command, FALSE, &Info));
  return Info.fType;
}

std::string ItemText(HMENU Menu, UINT Command) {
  wchar_t Buf[128] = {};
  GetMenuStringW(Menu, Command, Buf, 128, MF_BYCOMMAND);
  return FromWide(Buf);
}

// A bitmap W x H in one colour with a dot of another.
std::unique_ptr<TBitmap> Glyph(int W, int H, COLORREF Back, COLORREF Dot) {
  auto B = std::make_unique<TBitmap>();
  B->SetPixelFormat(pf24bit);
  B->SetSize(W, H);
  HDC DC = B->Canvas()->Handle();
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X) SetPixel(DC, X, Y, (X > 3 && X < W - 3 && Y > 3 && Y < H - 3) ? Dot : Back);
  return B;
}

struct CoolMenu : ::testing::Test {
  std::unique_ptr<TForm> Form{CreateForm<TForm>(nullptr)};
  TMainMenu* Main = new TMainMenu(Form.get());
  TPopupMenu* Popup = new TPopupMenu(Form.get());
  TMenuItem *File = nullptr, *Open = nullptr, *Save = nullptr, *Wrap = nullptr, *Line = nullptr, *Exit = nullptr;
  TImageList* Images = new TImageList(Form.get());

  TMenuItem* Add(TMenuItem* Parent, const std::string& Caption, TShortCut SC = scNone) {
    auto* I = new TMenuItem(Form.get());
    I->SetCaption(Caption);
    I->SetShortCut(SC);
    Parent->Add(I);
    return I;
  }
  void SetUp() override {
    Form->SetBounds(100, 100, 420, 240);
    File = Add(Main->Items(), "&File");
    Open = Add(File, "&Open...", ShortCut('O', {ssCtrl}));
    Save = Add(File, "&Save", ShortCut('S', {ssCtrl}));
    Save->SetEnabled(false);
    Line = Add(File, "-");
    Wrap = Add(File, "&Wrap lines");
    Wrap->SetChecked(true);
    Exit = Add(File, "E&xit");
    Form->SetMenu(Main);
    Images->SetWidth(16);
    Images->SetHeight(16);
    Images->AddMasked(Glyph(16, 16, RGB(255, 0, 255), RGB(0, 128, 0)).get(), TColor(RGB(255, 0, 255)));
    Images->AddMasked(Glyph(16, 16, RGB(255, 0, 255), RGB(200, 0, 0)).get(), TColor(RGB(255, 0, 255)));
    Form->Show();
    PumpMessages();
  }
  void TearDown() override {
    if (Form) Form->Hide();
  }
  TCoolMenuItem* Decorate(TCoolMenu* M, TMenuItem* Item, int Image) {
    auto* C = new TCoolMenuItem(Form.get());
    C->SetParentComponent(M);
    C->SetMenuItem(Item);
    C->SetImageIndex(Image);
    return C;
  }
  // Every item of the File menu decorated; pictures on Open and Save.
  TCoolMenu* MakeMenu() {
    auto* M = new TCoolMenu(Form.get());
    M->SetImages(Images);
    Decorate(M, File, -1);
    Decorate(M, Open, 0);
    Decorate(M, Save, 1);
    Decorate(M, Line, -1);
    Decorate(M, Wrap, -1);
    Decorate(M, Exit, -1);
    M->RefreshMenus(M, RA_REFRESHWITHBAR);
    return M;
  }
  MEASUREITEMSTRUCT Measure(UINT Command) {
    MEASUREITEMSTRUCT MS{};
    MS.CtlType = ODT_MENU;
    MS.itemID = Command;
    SendMessageW(Form->Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&MS));
    return MS;
  }
};

}  // namespace

TEST_F(CoolMenu, OwnerMustBeAWindowedControl) {
  TComponent Plain(nullptr);
  try {
    TCoolMenu M(&Plain);
    FAIL() << "no exception";
  } catch (const Exception& E) {
    EXPECT_STREQ(E.what(), "Owner should be TWinControl's descendant");
  }
}

TEST_F(CoolMenu, ActiveSwitchesBetweenOwnerDrawAndText) {
  TCoolMenu* M = MakeMenu();
  HMENU Bar = GetMenu(Form->Handle());
  ASSERT_EQ(Bar, Main->Handle());
  for (TMenuItem* I : {File, Open, Save, Wrap, Exit}) EXPECT_TRUE(ItemType(Bar, I->Command()) & MFT_OWNERDRAW);
  // The submenu is kept while its item is owner-drawn.
  EXPECT_NE(GetSubMenu(Bar, 0), nullptr);

  M->SetActive(false);
  for (TMenuItem* I : {File, Open, Save, Wrap, Exit}) EXPECT_FALSE(ItemType(Bar, I->Command()) & MFT_OWNERDRAW);
  EXPECT_EQ(ItemText(Bar, Open->Command()), "&Open...\tCtrl+O");
  EXPECT_TRUE(GetMenuState(Bar, Save->Command(), MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_TRUE(GetMenuState(Bar, Wrap->Command(), MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_NE(GetSubMenu(Bar, 0), nullptr);

  M->SetActive(true);
  EXPECT_TRUE(ItemType(Bar, Open->Command()) & MFT_OWNERDRAW);
  // A change of the menu makes a new menu handle: the items are owner-drawn there too.
  Wrap->SetChecked(false);
  PumpMessages();
  Bar = GetMenu(Form->Handle());
  EXPECT_TRUE(ItemType(Bar, Open->Command()) & MFT_OWNERDRAW);
  EXPECT_FALSE(GetMenuState(Bar, Wrap->Command(), MF_BYCOMMAND) & MF_CHECKED);

  // Freed: the platform's own menus again.
  delete M;
  EXPECT_FALSE(ItemType(Bar, Open->Command()) & MFT_OWNERDRAW);
}

TEST_F(CoolMenu, MeasuresThePopupThroughTheFormsWindow) {
  TCoolMenu* M = MakeMenu();
  int Summed = -1, Popups = 0;
  M->OnMeasure = [&](TObject*, HMENU, int Value) { Summed = Value; };
  M->OnPopup = [&](TObject*, HMENU, int) { ++Popups; };
  HMENU Sub = GetSubMenu(GetMenu(Form->Handle()), 0);
  SendMessageW(Form->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(Sub), 0);
  EXPECT_EQ(Popups, 1);
  MEASUREITEMSTRUCT A = Measure(Open->Command()), B = Measure(Exit->Command());
  // Every item of the popup as wide as the widest text and shortcut, the picture's row high.
  EXPECT_EQ(A.itemWidth, B.itemWidth);
  EXPECT_GT(A.itemWidth, 16u + 5u);
  EXPECT_EQ(A.itemHeight, 16u + 2u * 2u);
  MEASUREITEMSTRUCT L = Measure(Line->Command());
  EXPECT_LT(L.itemHeight, A.itemHeight);
  // The separator has no command of its own in the system menu: the four items count.
  EXPECT_EQ(Summed, int(4 * A.itemHeight));
  // A full refresh inside an event is refused, with the text the callers show.
  bool Raised = false;
  M->OnMeasure = [&](TObject*, HMENU, int) {
    try {
      M->RefreshMenus(M, RA_REFRESH);
    } catch (const EInvalidOperation& E) {
      Raised = std::string(E.what()).find("You can not refresh menus within messages' events") == 0;
    }
    M->RefreshMenus(Open, RA_REFRESH);  // a named item is fine
  };
  SendMessageW(Form->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(Sub), 0);
  Measure(Open->Command());
  EXPECT_TRUE(Raised);
  EXPECT_FALSE(M->InEvent());
}

TEST_F(CoolMenu, PicturesFromTheImageLists) {
  TCoolMenu* M = MakeMenu();
  TCoolMenuItem* C = M->FindItem(Open->Command());
  ASSERT_NE(C, nullptr);
  EXPECT_EQ(C->Picture()->Width(), 16);
  // The picture's bottom-left pixel is its transparent colour.
  auto* Pic = dynamic_cast<TBitmap*>(C->Picture()->Graphic());
  ASSERT_NE(Pic, nullptr);
  EXPECT_EQ(C->TrColor(), TColor(GetPixel(Pic->Canvas()->Handle(), 0, 15) & 0xFFFFFF));
  for (int Bad : {-1, 2, 99}) {
    C->SetImageIndex(0);
    C->SetImageIndex(Bad);
    EXPECT_EQ(C->Picture()->Graphic(), nullptr) << Bad;
    EXPECT_EQ(C->ImageIndex(), Bad);
  }
  // A 32 x 16 strip: the left half is the picture, the right half the disabled one.
  TPicture Strip;
  Strip.SetGraphic(Glyph(32, 16, RGB(255, 255, 255), RGB(0, 0, 255)).get());
  C->SetPicture(&Strip);
  C->SetOptions(C->Options() + TMenuOptions{om32x16Image});
  EXPECT_EQ(C->Picture()->Width(), 16);
  EXPECT_EQ(C->Picture()->Height(), 16);
  EXPECT_EQ(C->DisabledPicture()->Width(), 16);
  EXPECT_EQ(C->DisabledPicture()->Height(), 16);
  // The list freed: the menu lets go of it.
  delete Images;
  Images = nullptr;
  EXPECT_EQ(M->Images(), nullptr);
}

TEST_F(CoolMenu, SettingsCopiedIntoEveryItem) {
  TCoolMenu* M = MakeMenu();
  TCoolItemParams P;
  P.NormColor = clWindow;
  P.SelColor = clNavy;
  P.CustomImgSize = 20;
  P.Options = TMenuOptions{omFixedImgSize};
  P.SeparatorText = "Files";
  M->ApplyItemParams(P, 0);
  for (int I = 0; I < M->ItemCount(); ++I) {
    EXPECT_EQ(M->Items(I)->NormColor(), clWindow);
    EXPECT_EQ(M->Items(I)->CustomImgSize(), 20);
    EXPECT_EQ(M->Items(I)->Options(), TMenuOptions{omFixedImgSize});
    EXPECT_EQ(M->Items(I)->SeparatorText(), "Files");
  }
  // 256 adds options and keeps the others; 512 takes them away again.
  TCoolItemParams Add;
  Add.Options = TMenuOptions{omBevelOnlyIfSel};
  M->ApplyItemParams(Add, 256);
  EXPECT_EQ(M->Items(0)->Options(), (TMenuOptions{omFixedImgSize, omBevelOnlyIfSel}));
  EXPECT_EQ(M->Items(0)->NormColor(), clWindow);
  M->ApplyItemParams(Add, 512);
  EXPECT_EQ(M->Items(0)->Options(), TMenuOptions{omFixedImgSize});
  TShadowParams S;
  S.Active = true;
  S.ShadowSize = 3;
  M->ApplyShadowParams(S, 1);
  EXPECT_TRUE(M->Items(1)->Shadow()->Active());
  EXPECT_EQ(M->Items(1)->Shadow()->ShadowSize(), 1);
}

TEST_F(CoolMenu, ShareTheWindowWithOtherHooksInAnyOrder) {
  // A menu, a caption button and a window hook, made and freed in every order; after each
  // step the form's window answers and the menu still measures while it lives.
  std::vector<int> Order{0, 1, 2};
  int Seen = 0;
  do {
    std::vector<int> Death = Order;
    do {
      std::vector<TComponent*> Made(3, nullptr);
      for (int K : Order) {
        if (K == 0) {
          Made[0] = MakeMenu();
        } else if (K == 1) {
          Made[1] = new TCaptionButton(Form.get());
        } else {
          auto* H = new TRxWindowHook(Form.get());
          H->AfterMessage = [&](TObject*, TMessage& Msg, bool&) {
            if (Msg.Msg == WM_NULL) ++Seen;
          };
          H->SetWinControl(Form.get());
          Made[2] = H;
        }
      }
      for (int K : Death) {
        delete Made[K];  // a menu frees its items with itself
        Made[K] = nullptr;
        Form->SetCaption("after " + std::to_string(K));
        wchar_t Buf[32] = {};
        ASSERT_EQ(GetWindowTextW(Form->Handle(), Buf, 32), 7);
        int Before = Seen;
        SendMessageW(Form->Handle(), WM_NULL, 0, 0);
        EXPECT_EQ(Seen - Before, Made[2] != nullptr ? 1 : 0);
        MEASUREITEMSTRUCT MS = Measure(Open->Command());
        if (Made[0] != nullptr) EXPECT_GT(MS.itemHeight, 0u);
      }
      PumpMessages();
    } while (std::next_permutation(Death.begin(), Death.end()));
  } while (std::next_permutation(Order.begin(), Order.end()));
}

TEST_F(CoolMenu, OpenPopupScreenshot) {
  TCoolMenu* M = MakeMenu();
  auto* P1 = Add(Popup->Items(), "&Copy", ShortCut('C', {ssCtrl}));
  auto* P2 = Add(Popup->Items(), "&Paste", ShortCut('V', {ssCtrl}));
  P2->SetEnabled(false);
  auto* P3 = Add(Popup->Items(), "-");
  auto* P4 = Add(Popup->Items(), "Show &hidden");
  P4->SetChecked(true);
  Decorate(M, P1, 0);
  Decorate(M, P2, 1);
  Decorate(M, P3, -1);
  Decorate(M, P4, -1);
  Popup->SetPopupComponent(Form.get());
  EXPECT_GT(SaveOpenedMenuPng([&] { Popup->Popup(150, 150); }, ScreenshotPath("cool_menu_popup.png")), 0);
  // Drawn by us: the items became owner-drawn when the menu was entered.
  EXPECT_TRUE(ItemType(Popup->Handle(), P1->Command()) & MFT_OWNERDRAW);
  EXPECT_GT(SaveWindowPng(Form->Handle(), ScreenshotPath("cool_menu_bar.png")), 0);
}
