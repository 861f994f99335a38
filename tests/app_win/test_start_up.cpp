// The start: the splash's steps in their order, the stored options applied before 100,
// only the main window left on screen.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "app/core/lng_strings.h"
#include "app/main_form.h"
#include "app/settings.h"
#include "app/start_up.h"
#include "classlib/win/application.h"
#include "classlib/win/registry.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/form_test.h"

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

TEST(StartUp, StepsInOrderOptionsBeforeTheEndAndOnlyTheMainWindowLeft) {
  TTempFolder Dir;
  std::string OldFolder = ProgramFolder();
  SetProgramFolder(Dir.Path() + "\\");
  TRegistry().DeleteKey("\\Software\\Zembrix");
  // Options stored the way the user stores them: changed in the window, kept at its close.
  MainForm = CreateForm<TMainForm>(nullptr);
  Settings = CreateForm<TSettings>(nullptr);
  Settings->Show();
  Settings->CheckBox1->SetChecked(true);
  Settings->RightFolder->SetText("C:\\windows");
  Settings->Close();
  delete Settings;
  Settings = nullptr;
  delete MainForm;
  MainForm = nullptr;
  std::vector<std::pair<std::string, int>> Steps;
  std::vector<bool> PathBarShown;
  StartUp([&](const std::string& Status, int Progress) {
    Steps.emplace_back(Status, Progress);
    PathBarShown.push_back(MainForm != nullptr && MainForm->ToolBar2->Visible());
  });
  const std::vector<int> Expected = {5, 30, 30, 40, 45, 50, 55, 60, 65, 70, 75, 75, 85, 90, 95, 95, 100};
  ASSERT_EQ(Steps.size(), Expected.size());
  for (size_t I = 0; I < Steps.size(); ++I) EXPECT_EQ(Steps[I].second, Expected[I]) << I;
  EXPECT_EQ(Steps.front().first, "Create main window...");
  EXPECT_EQ(Steps[2].first, "Create other windows...");
  EXPECT_EQ(Steps.back().first, "Initialization system...");
  // The stored option took effect at the last step, not before.
  EXPECT_TRUE(PathBarShown[Steps.size() - 2]);
  EXPECT_FALSE(PathBarShown.back());
  EXPECT_EQ(LastRightPath, "C:\\windows");
  EXPECT_EQ(LastLeftPath, "");
  EXPECT_EQ(MainForm->Lang->IniFileName(), Dir.Path() + "\\INI\\zq.lng");
  EXPECT_EQ(Settings->Lang2->IniFileName(), Dir.Path() + "\\INI\\zq.lng");
  // The message loop would show the main window; nothing else is on screen.
  EXPECT_FALSE(Settings->Visible());
  EXPECT_EQ(VisibleWindows(), 0);
  delete Settings;
  Settings = nullptr;
  delete MainForm;
  MainForm = nullptr;
  SetProgramFolder(OldFolder);
  PumpMessages();
}

}  // namespace
