// The plug-in manager lists the plug-ins registered for the program and opens each checked
// one on a page of its own, the object embedded from its class; the recycle-bin window
// lists what the bin holds.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>

#include "app/core/lng_strings.h"
#include "app/main_form.h"
#include "app/plugin_manager.h"
#include "app/settings.h"
#include "app/re_form.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/ole_container.h"
#include "classlib/win/registry.h"
#include "classlib/win/wide_string.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/form_test.h"
#include "tests/support/main_window_fixture.h"
#include "tests/support/modal_driver.h"
#include "tests/support/screenshot.h"
#include "tests/support/wait_for.h"

namespace {

void RegisterPlugin(const std::string& Name, const std::string& Class) {
  TRegistry Reg;
  ASSERT_TRUE(Reg.OpenKey(std::string(TPM::PluginKey) + "\\" + Name, true));
  Reg.WriteString(Name, Class);
}

class PluginManager : public ::testing::Test {
protected:
  void SetUp() override {
    TRegistry().DeleteKey(TPM::PluginKey);
    Host.reset(CreateForm<TForm>(nullptr));
    Host->SetBounds(0, 0, 500, 400);
    Pages = new TPageControl(Host.get());
    Pages->SetAlign(alClient);
    Pages->SetParent(Host.get());
    auto* First = new TTabSheet(Host.get());
    First->SetCaption("Main");
    First->SetPageControl(Pages);
    Host->Show();
    Manager.reset(CreateForm<TPM>(nullptr));
    Manager->SetPages(Pages);
  }
  void TearDown() override {
    Manager.reset();
    Host.reset();
    TRegistry().DeleteKey(TPM::PluginKey);
  }
  // Shows the manager, checks the named lines, presses OK.
  void Open(std::initializer_list<const char*> Names) {
    Manager->Show();
    for (const char* N : Names) Manager->Plugs->SetChecked(Manager->Plugs->Items()->IndexOf(N), true);
    Manager->Button2Click(Manager->Button2);
  }
  TOleContainer* ContainerOf(int Page) {
    TTabSheet* S = Pages->Pages(Page);
    return S->ControlCount() > 0 ? dynamic_cast<TOleContainer*>(S->Controls(0)) : nullptr;
  }
  std::unique_ptr<TForm> Host;
  TPageControl* Pages = nullptr;
  std::unique_ptr<TPM> Manager;
};

TEST_F(PluginManager, WithoutPluginsTheListStaysAsItWas) {
  Manager->Show();
  EXPECT_EQ(Manager->Plugs->Items()->Count(), 0);
  Manager->Close();
  Manager->Plugs->Items()->Add("kept");
  TRegistry Reg;
  ASSERT_TRUE(Reg.OpenKey(TPM::PluginKey, true));  // the key, with no plug-in under it
  Manager->Show();
  EXPECT_EQ(Manager->Plugs->Items()->Count(), 1);
}

TEST_F(PluginManager, ACheckedPluginOpensOnAPageOfItsOwnEveryTimeItIsChosen) {
  RegisterPlugin("Browser", "Shell.Explorer.2");
  RegisterPlugin("Nothing", "No.Such.Plugin");
  EXPECT_EQ(TPM::PluginClass("Browser"), "Shell.Explorer.2");
  EXPECT_EQ(TPM::PluginClass("Missing"), "");
  Open({"Browser"});
  ASSERT_EQ(Manager->Plugs->Items()->Count(), 2);
  EXPECT_FALSE(Manager->Visible());
  ASSERT_EQ(Pages->PageCount(), 2);
  EXPECT_EQ(Pages->Pages(1)->Caption(), "Browser");
  TOleContainer* Ole = ContainerOf(1);
  ASSERT_NE(Ole, nullptr);
  EXPECT_TRUE(Ole->HasObject());
  EXPECT_EQ(Ole->Align(), alClient);
  // Shown again, the lines come unchecked; the same plug-in gives a second page.
  Manager->Show();
  EXPECT_FALSE(Manager->Plugs->Checked(0));
  EXPECT_FALSE(Manager->Plugs->Checked(1));
  Manager->Close();
  Open({"Browser"});
  ASSERT_EQ(Pages->PageCount(), 3);
  EXPECT_EQ(Pages->Pages(2)->Caption(), "Browser");
  // Its page shown and the container focused, the object runs in place.
  Pages->SetActivePage(Pages->Pages(2));
  ContainerOf(2)->SetFocus();
  EXPECT_TRUE(WaitFor([&] { return ContainerOf(2)->InPlaceActive(); }));
}

TEST_F(PluginManager, APluginThatCannotBeMadeEndsTheRunLeavingTheEarlierPagesAndNoEmptyOne) {
  RegisterPlugin("Broken", "No.Such.Plugin");
  RegisterPlugin("Browser", "Shell.Explorer.2");
  RegisterPlugin("Empty", "");
  Manager->Show();
  ASSERT_EQ(Manager->Plugs->Items()->IndexOf("Browser"), 1);
  Manager->Plugs->SetChecked(1, true);
  Manager->Plugs->SetChecked(2, true);
  EXPECT_THROW(Manager->Button2Click(Manager->Button2), EOleSysError);
  ASSERT_EQ(Pages->PageCount(), 2);
  EXPECT_EQ(Pages->Pages(1)->Caption(), "Browser");
  EXPECT_TRUE(Manager->Visible());
  // The first line failing, nothing after it is opened.
  Manager->Plugs->SetChecked(0, true);
  EXPECT_THROW(Manager->Button2Click(Manager->Button2), EOleSysError);
  EXPECT_EQ(Pages->PageCount(), 2);
}

// The main window with the plug-in manager; the plug-ins registered go with the test.
class PluginPages : public MainWindowFixture {
protected:
  void TearDown() override {
    delete PM;
    PM = nullptr;
    FreeMainForm();
    TRegistry().DeleteKey("\\Software\\Zembrix");
    MainWindowFixture::TearDown();
  }
};

// The main window's menu: Ctrl+F11 runs the manager modally; a plug-in's page, and only
// such a page, is closed from the page control's popup.
TEST_F(PluginPages, OpenedFromTheMenuAndClosedFromThePopup) {
  RegisterPlugin("Browser", "Shell.Explorer.2");
  CreateMainForm();
  PM = CreateForm<TPM>(nullptr);
  MainForm->Show();
  const int Pages = MainForm->MainPage->PageCount();
  {
    TModalDriver Driver([](TForm* F) {
      EXPECT_EQ(F, PM);
      PM->Plugs->SetChecked(0, true);
      EXPECT_GT(SaveWindowPng(PM->Handle(), ScreenshotPath("plugin_manager.png")), 0);
      PM->Button2->Click();
    });
    PressKey(VK_F11, TShiftState{ssCtrl}, MainForm->Handle());
    EXPECT_TRUE(Driver.Ran());
  }
  ASSERT_EQ(MainForm->MainPage->PageCount(), Pages + 1);
  TTabSheet* Page = MainForm->MainPage->Pages(Pages);
  EXPECT_EQ(Page->Caption(), "Browser");
  MainForm->MainPage->SetActivePage(Page);
  PumpMessages();
  EXPECT_GT(SaveWindowPng(MainForm->Handle(), ScreenshotPath("main_window_plugin_page.png")), 0);
  MainForm->MainPage->SetActivePage(MainForm->Main);
  MainForm->PlugMenuPopup(MainForm->PlugMenu);
  EXPECT_FALSE(MainForm->PlugClose->Enabled());
  MainForm->PlugCloseClick(MainForm->PlugClose);
  EXPECT_EQ(MainForm->MainPage->PageCount(), Pages + 1);
  MainForm->MainPage->SetActivePage(Page);
  MainForm->PlugMenuPopup(MainForm->PlugMenu);
  EXPECT_TRUE(MainForm->PlugClose->Enabled());
  MainForm->PlugCloseClick(MainForm->PlugClose);
  EXPECT_EQ(MainForm->MainPage->PageCount(), Pages);
  EXPECT_EQ(MainForm->MainPage->ActivePage(), MainForm->Main);
}

TEST(ReForm, ListsWhatTheRecycleBinHolds) {
  TTempFolder Dir;
  const std::string Name = "zx-recycled-" + std::to_string(GetTickCount()) + ".txt";
  const std::string Path = Dir.Path() + "\\" + Name;
  HANDLE H = CreateFileW(ToWide(Path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(H, INVALID_HANDLE_VALUE);
  CloseHandle(H);
  std::wstring From = ToWide(Path) + L'\0';
  SHFILEOPSTRUCTW Op{};
  Op.wFunc = FO_DELETE;
  Op.pFrom = From.c_str();
  Op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  ASSERT_EQ(SHFileOperationW(&Op), 0);
  std::unique_ptr<TReForm> F(CreateForm<TReForm>(nullptr));
  ASSERT_NE(F->PTShellList1, nullptr);
  F->Show();
  // The list's texts come when shown: the item's own display name is asked for.
  auto Listed = [&] {
    for (int I = 0; I < F->PTShellList1->Items()->Count(); ++I) {
      const std::string Shown = F->PTShellList1->GetItemData(I)->GetDisplayName();
      if (Shown.rfind("zx-recycled-", 0) == 0 && Name.compare(0, Shown.size(), Shown) == 0) return true;
    }
    return false;
  };
  EXPECT_TRUE(WaitFor(Listed));
  EXPECT_EQ(F->PTShellList1->Align(), alClient);
  F->SetBounds(100, 100, 240, 200);
  PumpMessages();
  EXPECT_GT(SaveWindowPng(F->Handle(), ScreenshotPath("recycle_bin.png")), 0);
}

}  // namespace
