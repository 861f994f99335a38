// The start: the splash's steps in their order with the windows made at each, the stored
// options applied before 100, only the main window left on screen unless the assistant or
// the recycle bin is wanted.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "app/ass_form.h"
#include "app/core/lng_strings.h"
#include "app/fast_list.h"
#include "app/help_form.h"
#include "app/main_form.h"
#include "app/plugin_manager.h"
#include "app/quick_find.h"
#include "app/re_form.h"
#include "app/settings.h"
#include "app/start_up.h"
#include "classlib/win/application.h"
#include "classlib/win/registry.h"
#include "classlib/win/wide_string.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/form_test.h"
#include "tests/support/main_window_fixture.h"
#include "tools/clp_view.h"
#include "tools/hex_edit.h"
#include "tools/mp3_form.h"
#include "tools/pict.h"

namespace {

BOOL CALLBACK CountVisible(HWND W, LPARAM P) {
  if (IsWindowVisible(W)) ++*reinterpret_cast<int*>(P);
  return TRUE;
}

// Counts this thread's visible top-level windows.
int VisibleWindows() {
  int N = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountVisible, reinterpret_cast<LPARAM>(&N));
  return N;
}

// The long-lived windows of the start, by the name the trace gives them.
struct TStartForm {
  const char* Name;
  TForm** Global;
};
const TStartForm StartForms[] = {
    {"MainForm", reinterpret_cast<TForm**>(&MainForm)}, {"CLPView", reinterpret_cast<TForm**>(&CLPView)},
    {"Settings", reinterpret_cast<TForm**>(&Settings)}, {"ReForm", reinterpret_cast<TForm**>(&ReForm)},
    {"PM", reinterpret_cast<TForm**>(&PM)},             {"About", reinterpret_cast<TForm**>(&About)},
    {"QFind", reinterpret_cast<TForm**>(&QFind)},       {"Form1", reinterpret_cast<TForm**>(&Form1)},
    {"FastList", reinterpret_cast<TForm**>(&FastList)}, {"HexEd", reinterpret_cast<TForm**>(&HexEd)},
    {"AssForm", reinterpret_cast<TForm**>(&AssForm)},   {"MP3Form", reinterpret_cast<TForm**>(&MP3Form)},
    {"HelpForm", reinterpret_cast<TForm**>(&HelpForm)},
};

// The windows that exist now, in the table's order, joined by blanks.
std::string Existing() {
  std::string S;
  for (const TStartForm& F : StartForms)
    if (*F.Global != nullptr) S += (S.empty() ? "" : " ") + std::string(F.Name);
  return S;
}

// Frees every window of the start, the main window last.
void FreeStartForms() {
  for (int I = int(std::size(StartForms)) - 1; I >= 0; --I) {
    delete *StartForms[I].Global;
    *StartForms[I].Global = nullptr;
  }
  PumpMessages();
}

class StartUpTest : public MainWindowFixture {
protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    // The assistant's picture, so that showing it asks nothing.
    CreateDirectoryW(ToWide(Dir.Path() + "\\Assistant").c_str(), nullptr);
    CopyFileW(ToWide(std::string(ZX_DIST_DIR) + "\\Assistant\\Ass.gif").c_str(),
              ToWide(Dir.Path() + "\\Assistant\\Ass.gif").c_str(), FALSE);
  }
  void TearDown() override {
    FreeStartForms();
    TRegistry().DeleteKey("\\Software\\Zembrix");
    MainWindowFixture::TearDown();
  }
  // Options stored the way the user stores them: changed in the window, kept at its close.
  void StoreOptions(const std::function<void()>& Change) {
    CreateMainForm();
    Settings->Show();
    Change();
    Settings->Close();
    FreeStartForms();
  }
};

TEST_F(StartUpTest, StepsInOrderOptionsBeforeTheEndAndOnlyTheMainWindowLeft) {
  StoreOptions([] {
    Settings->CheckBox1->SetChecked(true);
    Settings->RightFolder->SetText("C:\\windows");
  });
  struct TStep {
    std::string Status;
    int Progress;
    std::string Forms;
    bool PathBarShown;
  };
  std::vector<TStep> Steps;
  StartUp([&](const std::string& Status, int Progress) {
    Steps.push_back({Status, Progress, Existing(), MainForm != nullptr && MainForm->ToolBar2->Visible()});
  });
  // Each step: its progress, and the last window made by then.
  const std::vector<std::pair<int, const char*>> Expected = {
      {5, ""},          {30, "CLPView"}, {30, "CLPView"}, {40, "ReForm"},  {45, "PM"},       {50, "About"},
      {55, "QFind"},    {60, "QFind"},   {65, "Form1"},   {70, "FastList"}, {75, "HexEd"},   {75, "HexEd"},
      {85, "AssForm"},  {90, "MP3Form"}, {95, "HelpForm"}, {95, "HelpForm"}, {100, "HelpForm"}};
  ASSERT_EQ(Steps.size(), Expected.size());
  for (size_t I = 0; I < Steps.size(); ++I) {
    EXPECT_EQ(Steps[I].Progress, Expected[I].first) << I;
    const std::string& F = Steps[I].Forms;
    const std::string Last = F.substr(F.rfind(' ') == std::string::npos ? 0 : F.rfind(' ') + 1);
    EXPECT_EQ(Last, Expected[I].second) << I << ": " << F;
  }
  // Made in the table's order: every window before the last one made is there too.
  EXPECT_EQ(Steps.back().Forms,
            "MainForm CLPView Settings ReForm PM About QFind Form1 FastList HexEd AssForm MP3Form HelpForm");
  EXPECT_EQ(Steps.front().Status, "Create main window...");
  EXPECT_EQ(Steps[2].Status, "Create other windows...");
  EXPECT_EQ(Steps[11].Status, "Create assistant window...");
  EXPECT_EQ(Steps.back().Status, "Initialization system...");
  // The stored option took effect at the last step, not before.
  EXPECT_TRUE(Steps[Steps.size() - 2].PathBarShown);
  EXPECT_FALSE(Steps.back().PathBarShown);
  EXPECT_EQ(LastRightPath, "C:\\windows");
  EXPECT_EQ(LastLeftPath, "");
  const std::string Language = Dir.Path() + "\\INI\\zq.lng";
  EXPECT_EQ(MainForm->Lang->IniFileName(), Language);
  EXPECT_EQ(Settings->Lang2->IniFileName(), Language);
  EXPECT_EQ(FastList->FormStorage1->IniFileName(), Language);
  EXPECT_EQ(HexEd->FormStorage1->IniFileName(), Language);
  // The message loop would show the main window; nothing else is on screen.
  EXPECT_FALSE(Settings->Visible());
  EXPECT_EQ(VisibleWindows(), 0);
}

TEST_F(StartUpTest, AssistantAndRecycleBinShownAfterTheSplashWhenTheOptionsSaySo) {
  StoreOptions([] {
    Settings->AssCheck->SetChecked(true);
    Settings->Recycle->SetChecked(true);
  });
  bool ShownDuringSteps = false;
  StartUp([&](const std::string&, int) {
    ShownDuringSteps |= (AssForm != nullptr && AssForm->Visible()) || (ReForm != nullptr && ReForm->Visible());
  });
  EXPECT_FALSE(ShownDuringSteps);
  ASSERT_NE(AssForm, nullptr);
  ASSERT_NE(ReForm, nullptr);
  EXPECT_TRUE(AssForm->Visible());
  EXPECT_TRUE(ReForm->Visible());
  EXPECT_EQ(VisibleWindows(), 2);
  // Cleared in the options window, both go at once.
  Settings->Recycle->SetChecked(false);
  Settings->AssCheck->SetChecked(false);
  EXPECT_FALSE(ReForm->Visible());
  EXPECT_FALSE(AssForm->Visible());
}

}  // namespace
