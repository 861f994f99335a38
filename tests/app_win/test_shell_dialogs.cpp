// The shell dialog components: what they hand to the shell, and that a dialog the system
// lacks or refuses is never reported as done.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include <shlobj.h>

#include "app/shell_dialogs.h"
#include "classlib/core/code_page.h"
#include "classlib/win/forms.h"
#include "tests/support/dialog_watcher.h"
#include "tests/support/form_test.h"

namespace {

std::string Narrow(const std::wstring& W) { return Utf16ToCp1251(std::u16string(W.begin(), W.end())); }

TEST(ShellDialogs, FormatValues) {
  TFormatDialog D(nullptr);
  const struct {
    TFormatType Type;
    unsigned NT, Other;
  } Rows[] = {{fmQuick, 0, 0}, {fmFull, 1, 1}, {fmSysOnly, 1, 2}};
  for (const auto& R : Rows) {
    D.SetFormatType(R.Type);
    EXPECT_EQ(D.Options(true), R.NT) << R.Type;
    EXPECT_EQ(D.Options(false), R.Other) << R.Type;
  }
  const struct {
    TFormatCapacity Capacity;
    unsigned Id;
  } Ids[] = {{fcDefault, 0}, {fc360k, 3}, {fc720k, 5}};
  for (const auto& R : Ids) {
    D.SetCapacity(R.Capacity);
    EXPECT_EQ(D.CapacityId(), R.Id);
  }
  TRunDialog Run(nullptr);
  EXPECT_EQ(Run.Flags(), 0u);
  Run.SetShowLastPrompt(false);
  EXPECT_EQ(Run.Flags(), 2u);
}

// Under Wine the format call answers "cannot format" without a window, and there is no
// disk-copy library: both are told, neither is reported as done.
TEST(ShellDialogs, WhatDidNotHappenIsNotReportedAsDone) {
  std::unique_ptr<TForm> Owner(CreateForm<TForm>(nullptr));
  auto* Format = new TFormatDialog(Owner.get());
  Format->SetDrive(0);
  {
    TDialogWatcher Watcher;
    const bool Done = Format->Execute();
    if (!Done) {
      EXPECT_NE(Format->LastResult(), 0u);
      if (Format->LastResult() != static_cast<DWORD>(SHFMT_CANCEL)) EXPECT_EQ(Watcher.Answered().size(), 1u);
    }
    EXPECT_EQ(Done, Format->LastResult() != static_cast<DWORD>(SHFMT_ERROR) &&
                        Format->LastResult() != static_cast<DWORD>(SHFMT_CANCEL) &&
                        Format->LastResult() != static_cast<DWORD>(SHFMT_NOFORMAT));
  }
  HMODULE Lib = LoadLibraryExW(L"diskcopy.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (Lib == nullptr) {
    TDialogWatcher Watcher;
    auto* Copy = new TCopyDiskDlg(Owner.get());
    EXPECT_FALSE(Copy->Execute());
    ASSERT_EQ(Watcher.Answered().size(), 1u);
    EXPECT_NE(Narrow(Watcher.Answered()[0]).find("Diskcopy.dll"), std::string::npos);
  } else {
    FreeLibrary(Lib);
  }
}

// The Run dialog shows its prompt; the watcher closes it.
TEST(ShellDialogs, RunDialogShowsItsPrompt) {
  std::unique_ptr<TForm> Owner(CreateForm<TForm>(nullptr));
  Owner->Show();
  auto* Run = new TRunDialog(Owner.get());
  Run->SetTitle("Execute command");
  Run->SetPrompt("Type the name of a program");
  TDialogWatcher Watcher;
  ASSERT_TRUE(Run->Execute());
  const auto Texts = Watcher.Answered();
  ASSERT_FALSE(Texts.empty());
  EXPECT_NE(Narrow(Texts[0]).find("Type the name of a program"), std::string::npos) << Narrow(Texts[0]);
}

}  // namespace
