// The main window's tests: every test has a program folder of its own and an empty
// registry section, so that nothing a test stores reaches another; the main window and
// the options window are made the way the start makes them and freed at the end.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/core/lng_strings.h"
#include "app/main_form.h"
#include "app/settings.h"
#include "classlib/win/registry.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/form_test.h"

class MainWindowFixture : public ::testing::Test {
protected:
  void SetUp() override {
    TRegistry().DeleteKey("\\Software\\Zembrix");
    FOldFolder = ProgramFolder();
    SetProgramFolder(Dir.Path() + "\\");
  }
  void TearDown() override {
    FreeMainForm();
    SetProgramFolder(FOldFolder);
    PumpMessages();
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

  // The program folder the test found, given back at its end.
  const std::string& OldProgramFolder() const { return FOldFolder; }

  TTempFolder Dir;  // the program folder

private:
  std::string FOldFolder;
};
