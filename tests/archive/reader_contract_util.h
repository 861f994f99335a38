// The error contract every reader keeps, as one check for the portable readers and the
// Windows ones alike: a plain text file, an empty file and a cut archive are told through
// OnError and the run returns with nothing left open.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "archive/core/arc_base.h"
#include "old_readers_test_util.h"

// Fixture is an archive of the reader's kind; Cut is where a cut falls inside an entry's
// data (0: half the file). Each input gets Fixture's extension.
inline void ExpectBadInputTold(const std::function<std::unique_ptr<TUnBase>()>& Make, const std::string& Fixture,
                               size_t Cut = 0) {
  const TByteVec Whole = ReadWholeFile(Fixture);
  const std::string Ext = ArcExtractFileExt(Fixture);
  const std::string Text = "just some text\r\n";
  struct TInput {
    const char* What;
    TByteVec Data;
    std::string Name;
  } Inputs[] = {
      {"a plain text file", TByteVec(Text.begin(), Text.end()), "text" + Ext},
      {"an empty file", {}, "empty" + Ext},
      {"a truncated archive", TByteVec(Whole.begin(), Whole.begin() + long(Cut ? Cut : Whole.size() / 2)), "cut" + Ext},
  };
  // A reader asking for another volume makes the archive's folder the current one.
  struct TKeepDir {
    std::string Dir = GetCurrentDir();
    ~TKeepDir() { SetCurrentDir(Dir); }
  };
  for (const TInput& In : Inputs) {
    SCOPED_TRACE(In.What);
    TTempDir Tmp;
    TKeepDir Keep;  // restored before the folder goes
    WriteWholeFile(Tmp.Path() + In.Name, In.Data);
    std::unique_ptr<TUnBase> R = Make();
    TReaderEvents Ev;
    EXPECT_NO_THROW(ExtractInto(*R, Ev, Tmp.Path() + In.Name, Tmp.Path() + "out\\"));
    EXPECT_FALSE(Ev.Errors.empty() && Ev.FailedEnds() == 0);
    EXPECT_EQ(Ev.Activates, Ev.Deactivates);
    EXPECT_FALSE(R->ArcFile.IsOpen());
    EXPECT_FALSE(R->OutFile.IsOpen());
  }
}
