// Form placement and form storage on real forms: options in the registry and in INI files,
// captions from a language file, PreventResize, MinMaxInfo and the save and restore rules.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "classlib/core/ini_file.h"
#include "classlib/core/stream.h"
#include "classlib/core/strings.h"
#include "classlib/win/application.h"
#include "classlib/win/com_ctrls.h"
#include "classlib/win/ext_ctrls.h"
#include "classlib/win/forms.h"
#include "classlib/win/list_view.h"
#include "classlib/win/registry.h"
#include "classlib/win/std_ctrls.h"
#include "classlib/win/wide_string.h"
#include "storage/form_placement.h"
#include "storage/placement.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/form_test.h"

namespace {

class TStoreForm : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TStoreForm(TComponent* Owner) : TForm(Owner) { RegisterStorageClasses(); }

  TLabel* Label1 = nullptr;
  TCheckBox* CheckBox1 = nullptr;
  TEdit* Edit1 = nullptr;
  TPanel* Panel1 = nullptr;
  TGroupBox* GroupBox1 = nullptr;
  TListView* ListView1 = nullptr;
  TFormStorage* Options = nullptr;
  TFormStorage* Lang = nullptr;
};

const TClassInfo* TStoreForm::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TStoreForm, TForm>("TStoreForm")
                                 .Field("Label1", &TStoreForm::Label1)
                                 .Field("CheckBox1", &TStoreForm::CheckBox1)
                                 .Field("Edit1", &TStoreForm::Edit1)
                                 .Field("Panel1", &TStoreForm::Panel1)
                                 .Field("GroupBox1", &TStoreForm::GroupBox1)
                                 .Field("ListView1", &TStoreForm::ListView1)
                                 .Field("Options", &TStoreForm::Options)
                                 .Field("Lang", &TStoreForm::Lang)
                                 .Build();
  return &Info;
}

class TLockedForm : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TLockedForm(TComponent* Owner) : TForm(Owner) { RegisterStorageClasses(); }
  TButton* Button1 = nullptr;
  TButton* Button2 = nullptr;
  TFormPlacement* Placement = nullptr;
};

const TClassInfo* TLockedForm::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TLockedForm, TForm>("TLockedForm")
                                 .Field("Button1", &TLockedForm::Button1)
                                 .Field("Button2", &TLockedForm::Button2)
                                 .Field("Placement", &TLockedForm::Placement)
                                 .Build();
  return &Info;
}

// Every test starts from an empty HKCU\Software\Zembrix (the test's own Wine prefix).
class FormStorage : public ::testing::Test {
protected:
  void SetUp() override {
    TRegistry Reg;
    Reg.DeleteKey("\\Software\\Zembrix");
  }
  void TearDown() override { PumpMessages(); }
};

template <class F>
std::unique_ptr<F> NewForm(const std::function<void(F*)>& Configure = nullptr) {
  std::unique_ptr<F> Form(CreateForm<F>(nullptr));
  if (Configure) Configure(Form.get());
  return Form;
}

std::string FileBytes(const std::string& Name) {
  TMemoryStream S;
  S.LoadFromFile(Name);
  return std::string(static_cast<const char*>(S.Memory()), static_cast<size_t>(S.Size()));
}

std::string WindowText(HWND Wnd) {
  wchar_t Buf[256] = {};
  GetWindowTextW(Wnd, Buf, 256);
  return FromWide(Buf);
}

LRESULT HitTestAtLeftBorder(HWND Wnd) {
  RECT R;
  GetWindowRect(Wnd, &R);
  return SendMessageW(Wnd, WM_NCHITTEST, 0, MAKELPARAM(R.left + 1, (R.top + R.bottom) / 2));
}

}  // namespace

TEST_F(FormStorage, OptionsComeBackFromTheRegistryAndFromAnIniFile) {
  TTempFolder Dir;
  std::string IniName = Dir / "options.ini";
  struct {
    const char* Name;
    bool Registry;
  } Kinds[] = {{"registry", true}, {"ini", false}};
  for (auto& K : Kinds) {
    SCOPED_TRACE(K.Name);
    TRegistry().DeleteKey("\\Software\\Zembrix");
    auto Configure = [&](TStoreForm* F) {
      if (!K.Registry) {
        F->Options->SetUseRegistry(false);
        F->Options->SetIniFileName(IniName);
      }
    };
    TRect Bounds;
    {
      auto F = NewForm<TStoreForm>(Configure);
      F->Show();
      PumpMessages();
      F->CheckBox1->SetChecked(true);
      F->Edit1->SetText("typed \"by\" the user");
      F->ListView1->Columns()->Items(0)->SetWidth(140);
      F->ListView1->Columns()->Items(1)->SetCaption("Size, bytes");
      F->Label1->Font()->SetName("Courier New");
      F->Label1->Font()->SetSize(14);
      F->Label1->Font()->SetStyle({fsBold, fsItalic});
      F->Panel1->SetColor(TColor(0x123456));
      F->SetBounds(130, 90, 450, 350);
      PumpMessages();
      Bounds = F->BoundsRect();
      F->Close();
      PumpMessages();
    }
    if (K.Registry) {
      TRegIniFile Reg("Software\\Zembrix");
      EXPECT_EQ(Reg.ReadString("StoreForm", "CheckBox1_Checked", ""), "True");
      EXPECT_EQ(Reg.ReadString("StoreForm", "Panel1_Color", ""), "1193046");
      EXPECT_EQ(Reg.ReadString("StoreForm", "ListView1_Columns.Count", ""), "2");
      EXPECT_EQ(Reg.ReadString("StoreForm.ListView1_Columns", "Item0_Width", ""), "140");
      EXPECT_EQ(Reg.ReadString("StoreForm", "Label1_FontStyle", ""), "[fsBold,fsItalic]");
      EXPECT_EQ(Reg.ReadString("StoreForm", "Visible", ""), "0");
      EXPECT_NE(Reg.ReadString("StoreForm", "NormPos", ""), "");
    } else {
      TIniFile Ini(IniName);
      EXPECT_EQ(Ini.ReadString("StoreForm", "Edit1_Text", ""), "typed \"by\" the user");
      EXPECT_FALSE(TRegistry().KeyExists("\\Software\\Zembrix\\StoreForm"));
    }
    auto F = NewForm<TStoreForm>(Configure);
    EXPECT_FALSE(F->CheckBox1->Checked());
    F->Show();
    PumpMessages();
    EXPECT_TRUE(F->CheckBox1->Checked());
    EXPECT_EQ(F->Edit1->Text(), "typed \"by\" the user");
    EXPECT_EQ(F->ListView1->Columns()->Count(), 2);
    EXPECT_EQ(F->ListView1->Columns()->Items(0)->Width(), 140);
    EXPECT_EQ(F->ListView1->Columns()->Items(1)->Caption(), "Size, bytes");
    EXPECT_EQ(F->Label1->Font()->Name(), "Courier New");
    EXPECT_EQ(F->Label1->Font()->Size(), 14);
    EXPECT_TRUE(F->Label1->Font()->Style() == (TFontStyles{fsBold, fsItalic}));
    EXPECT_EQ(F->Panel1->Color(), TColor(0x123456));
    EXPECT_TRUE(F->BoundsRect() == Bounds);
    // The line naming a control the form does not have was dropped.
    EXPECT_EQ(F->Options->StoredProps()->IndexOf("NoSuchControl.Caption"), -1);
    F->Close();
  }
}

TEST_F(FormStorage, CaptionsAndHintsComeFromTheLanguageFileWhichStaysUntouched) {
  TTempFolder Dir;
  std::string LangName = Dir / "zq.lng";
  const std::string Lang =
      "; language file\r\n"
      "[StoreForm]\r\n"
      "Label1_Caption=\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0\r\n"       // "Привет, мир"
      "CheckBox1_Caption=\xD4\xEB\xE0\xE6\xEE\xEA\r\n"                   // "Флажок"
      "CheckBox1_Hint=  \"\xCF\xEE\xE4\xF1\xEA\xE0\xE7\xEA\xE0\"  \r\n"  // "Подсказка", quoted
      "GroupBox1_Color=255\r\n"
      "[String]\r\n"
      "Other=1\r\n";
  {
    TFileStream S(LangName, fmCreate);
    S.WriteBuffer(Lang.data(), Lang.size());
  }
  {
    auto F = NewForm<TStoreForm>([&](TStoreForm* F) {
      F->Lang->SetIniFileName(LangName);
      F->Options->SetUseRegistry(false);
      F->Options->SetIniFileName(Dir / "options.ini");
    });
    F->Show();
    PumpMessages();
    EXPECT_EQ(F->Label1->Caption(), "\xCF\xF0\xE8\xE2\xE5\xF2, \xEC\xE8\xF0");
    EXPECT_EQ(WindowText(F->CheckBox1->Handle()), "\xD4\xEB\xE0\xE6\xEE\xEA");
    EXPECT_EQ(FromWide(L"Флажок"), "\xD4\xEB\xE0\xE6\xEE\xEA");
    EXPECT_EQ(F->CheckBox1->Hint(), "\xCF\xEE\xE4\xF1\xEA\xE0\xE7\xEA\xE0");
    EXPECT_EQ(F->Edit1->Hint(), "Designed edit hint");  // no key: the designed text stays
    EXPECT_EQ(F->GroupBox1->Color(), clRed);
    // Texts changed at run time never go back into the shipped file.
    F->Label1->SetCaption("changed");
    F->SetBounds(10, 10, 300, 300);
    F->Close();
    PumpMessages();
  }
  EXPECT_EQ(FileBytes(LangName), Lang);
}

// Texts read again while the window is up (a language switch) leave a maximised window
// where it is: writing its placement back would move it off its maximised place.
TEST_F(FormStorage, RestoringTextsLeavesAMaximisedWindowInPlace) {
  TTempFolder Dir;
  std::string LangName = Dir / "zq.lng";
  {
    const std::string Lang = "[StoreForm]\r\nLabel1_Caption=two\r\n";
    TFileStream S(LangName, fmCreate);
    S.WriteBuffer(Lang.data(), Lang.size());
  }
  auto F = NewForm<TStoreForm>([&](TStoreForm* F) {
    F->Lang->SetIniFileName(LangName);
    F->Options->SetUseRegistry(false);
    F->Options->SetIniFileName(Dir / "options.ini");
  });
  F->SetWindowState(wsMaximized);
  F->Show();
  PumpMessages();
  ASSERT_TRUE(IsZoomed(F->Handle()));
  RECT Before, After;
  GetWindowRect(F->Handle(), &Before);
  for (TFormStorage* S : {F->Lang, F->Options}) {
    S->RestoreFormPlacement();
    PumpMessages();
    GetWindowRect(F->Handle(), &After);
    EXPECT_TRUE(IsZoomed(F->Handle()));
    EXPECT_EQ(After.left, Before.left);
    EXPECT_EQ(After.top, Before.top);
    EXPECT_EQ(After.right, Before.right);
    EXPECT_EQ(After.bottom, Before.bottom);
  }
  EXPECT_EQ(F->Label1->Caption(), "two");
  F->Close();
  PumpMessages();
}

TEST_F(FormStorage, WhatIsSavedAndWhen) {
  // Destroyed before it was ever shown: nothing is written.
  NewForm<TStoreForm>().reset();
  EXPECT_FALSE(TRegistry().KeyExists("\\Software\\Zembrix\\StoreForm"));

  // Destroyed while shown: saved from OnDestroy, Visible then 1.
  {
    auto F = NewForm<TStoreForm>();
    F->Show();
    PumpMessages();
    F->SetBounds(200, 150, 400, 300);
    PumpMessages();
  }
  TRegIniFile Reg("\\Software\\Zembrix");
  EXPECT_EQ(Reg.ReadString("StoreForm", "Visible", ""), "1");

  // Options = []: the whole record is still written, and nothing of it is read.
  auto F = NewForm<TStoreForm>([](TStoreForm* F) { F->Options->SetOptions({}); });
  F->Show();
  PumpMessages();
  EXPECT_TRUE(F->BoundsRect() == Bounds(100, 80, 420, 320));
  F->SetBounds(50, 60, 410, 310);
  PumpMessages();
  F->Close();
  EXPECT_EQ(Reg.ReadString("StoreForm", "Visible", ""), "0");
  EXPECT_EQ(Reg.ReadString("StoreForm", "NormPos", ""), "50,60,460,370");
  EXPECT_NE(Reg.ReadString("StoreForm", "Flags", ""), "");
  EXPECT_NE(Reg.ReadString("StoreForm", "ShowCmd", ""), "");
}

TEST_F(FormStorage, PreventResizeLocksTheSizeButNotTheState) {
  auto Sizeable = NewForm<TStoreForm>();
  Sizeable->Show();
  auto F = NewForm<TLockedForm>();
  F->Show();
  PumpMessages();  // the hook follows the window made anew for the border icons
  HWND Wnd = F->Handle();
  EXPECT_EQ(HitTestAtLeftBorder(Sizeable->Handle()), HTLEFT);
  EXPECT_EQ(HitTestAtLeftBorder(Wnd), HTNOWHERE);

  MINMAXINFO Info{};
  SendMessageW(Wnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&Info));
  EXPECT_EQ(Info.ptMinTrackSize.x, F->Width());
  EXPECT_EQ(Info.ptMinTrackSize.y, F->Height());
  EXPECT_EQ(Info.ptMaxTrackSize.x, F->Width());
  EXPECT_EQ(Info.ptMaxTrackSize.y, F->Height());

  HMENU Sys = GetSystemMenu(Wnd, FALSE);
  ASSERT_NE(Sys, nullptr);
  SendMessageW(Wnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(Sys), MAKELPARAM(0, TRUE));
  EXPECT_TRUE(GetMenuState(Sys, SC_SIZE, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_TRUE(GetMenuState(Sys, SC_MAXIMIZE, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_FALSE(F->BorderIcons().Contains(biMaximize));

  // Switched off: the borders size again and maximise comes back. (The class library
  // does not show a form's recreated window again by itself.)
  F->Placement->SetPreventResize(false);
  PumpMessages();
  ShowWindow(F->Handle(), SW_SHOWNA);
  EXPECT_TRUE(F->BorderIcons().Contains(biMaximize));
  EXPECT_EQ(HitTestAtLeftBorder(F->Handle()), HTLEFT);

  // On again: minimised and restored states still work.
  F->Placement->SetPreventResize(true);
  PumpMessages();
  ShowWindow(F->Handle(), SW_SHOWNA);
  EXPECT_EQ(HitTestAtLeftBorder(F->Handle()), HTNOWHERE);
  F->SetWindowState(wsMinimized);
  PumpMessages();
  EXPECT_TRUE(IsIconic(F->Handle()));
  F->SetWindowState(wsNormal);
  PumpMessages();
  EXPECT_FALSE(IsIconic(F->Handle()));
  Sizeable->Close();
}

TEST_F(FormStorage, ActiveControl) {
  {
    auto F = NewForm<TLockedForm>();
    F->Show();
    PumpMessages();
    F->SetActiveControl(F->Button2);
    F->Close();
  }
  TRegIniFile Reg("Software\\Zembrix");
  EXPECT_EQ(Reg.ReadString("TLockedForm", "ActiveControl", ""), "Button2");
  {
    auto F = NewForm<TLockedForm>();
    F->Show();
    EXPECT_EQ(F->ActiveControl(), F->Button2);
    F->Close();
  }
  // A name that is missing, or that is no control, changes nothing.
  for (const char* Name : {"NoSuchControl", "Placement"}) {
    Reg.WriteString("TLockedForm", "ActiveControl", Name);
    auto F = NewForm<TLockedForm>();
    F->Show();
    EXPECT_NE(F->ActiveControl(), F->Button2) << Name;
    F->Close();
  }
}

TEST_F(FormStorage, MinMaxInfoReplacesOnlyTheFieldsThatAreSet) {
  auto F = NewForm<TStoreForm>();
  F->Show();
  PumpMessages();
  MINMAXINFO System{};
  SendMessageW(F->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&System));
  F->Options->MinMaxInfo()->SetMinTrackWidth(222);
  F->Options->MinMaxInfo()->SetMaxTrackHeight(555);
  MINMAXINFO Info{};
  SendMessageW(F->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&Info));
  EXPECT_EQ(Info.ptMinTrackSize.x, 222);
  EXPECT_EQ(Info.ptMaxTrackSize.y, 555);
  EXPECT_EQ(Info.ptMinTrackSize.y, System.ptMinTrackSize.y);
  EXPECT_EQ(Info.ptMaxTrackSize.x, System.ptMaxTrackSize.x);
  EXPECT_EQ(Info.ptMaxSize.x, System.ptMaxSize.x);
  F->Close();
}

TEST_F(FormStorage, ReadingAPlacementMovesTheWindowOnlyWhenAskedAndSound) {
  struct {
    const char* NormPos;
    bool LoadState;
    bool LoadPosition;
    TFormBorderStyle Border;
    TRect Expected;
  } Cases[] = {
      {"30,40,330,240", false, true, bsSizeable, Bounds(30, 40, 300, 200)},
      {"30,40,330,240", true, false, bsSizeable, Bounds(150, 120, 300, 200)},  // the state only: never moved
      {"30,40,330,240", false, false, bsSizeable, Bounds(150, 120, 300, 200)},
      {"330,40,30,240", false, true, bsSizeable, Bounds(150, 120, 300, 200)},  // right not beyond left
      {"30,40,500,500", false, true, bsSingle, Bounds(30, 40, 300, 200)},      // a fixed size is kept
  };
  TRegIniFile Reg("Software\\Zembrix");
  for (auto& C : Cases) {
    SCOPED_TRACE(std::string(C.NormPos) + (C.LoadState ? " state" : "") + (C.LoadPosition ? " position" : ""));
    Reg.WriteString("Test", "NormPos", C.NormPos);
    Reg.WriteString("Test", "ShowCmd", "1");
    auto F = std::make_unique<TForm>(nullptr);
    F->SetBorderStyle(C.Border);
    F->SetBounds(150, 120, 300, 200);
    F->HandleNeeded();
    ReadFormPlacementReg(F.get(), &Reg, "Test", C.LoadState, C.LoadPosition);
    PumpMessages();
    EXPECT_TRUE(F->BoundsRect() == C.Expected) << F->Left() << "," << F->Top() << " " << F->Width() << "x"
                                               << F->Height();
  }
}

TEST_F(FormStorage, EventsAndRemovedComponents) {
  auto F = NewForm<TStoreForm>();
  int Saves = 0, Restores = 0;
  F->Options->OnSavePlacement = [&](TObject* Sender) { Saves += Sender == F->Options; };
  F->Options->OnRestorePlacement = [&](TObject* Sender) { Restores += Sender == F->Options; };
  F->Show();
  PumpMessages();
  EXPECT_EQ(Restores, 1);
  // A component that goes takes its stored lines with it.
  EXPECT_GE(F->Options->StoredProps()->IndexOf("Edit1.Text"), 0);
  delete F->Edit1;
  F->Edit1 = nullptr;
  EXPECT_EQ(F->Options->StoredProps()->IndexOf("Edit1.Text"), -1);
  F->Close();
  EXPECT_EQ(Saves, 1);
  EXPECT_FALSE(TRegIniFile("Software\\Zembrix").ValueExists("StoreForm", "Edit1_Text"));
}
