// Tests of the program's windows that read or write the program folder (language file,
// options, menus): every test has a folder of its own as the program folder, and the
// program folder it found is given back at its end.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/core/lng_strings.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/form_test.h"

class ProgramFolderFixture : public ::testing::Test {
protected:
  void SetUp() override {
    FOldFolder = ProgramFolder();
    SetProgramFolder(Dir.Path() + "\\");
  }
  void TearDown() override {
    SetProgramFolder(FOldFolder);
    PumpMessages();
  }
  const std::string& OldProgramFolder() const { return FOldFolder; }

  TTempFolder Dir;  // the program folder

private:
  std::string FOldFolder;
};
