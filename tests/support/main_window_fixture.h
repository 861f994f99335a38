// The main window's tests: every test has a program folder of its own and an empty
// registry section, so that nothing a test stores reaches another; the main window and
// the options window are made the way the start makes them and freed at the end.
#pragma once

#include "app/main_form.h"
#include "app/settings.h"
#include "classlib/win/registry.h"
#include "tests/support/program_folder_fixture.h"

class MainWindowFixture : public ProgramFolderFixture {
protected:
  void SetUp() override {
    TRegistry().DeleteKey("\\Software\\Zembrix");
    ProgramFolderFixture::SetUp();
  }
  void TearDown() override {
    FreeMainForm();
    ProgramFolderFixture::TearDown();
  }
  // The main window and the options window (the main window reads its options there).
  void CreateMainForm() {
    MainForm = CreateForm<TMainForm>(nullptr);
    Settings = CreateForm<TSettings>(nullptr);
  }
  void FreeMainForm() {
    delete Settings;
    Settings = nullptr;
    delete MainForm;
    MainForm = nullptr;
  }
};
