// The lister over any bytes: the input is written to a file named with the extension of
// the target's kind (recognition of UU/XX and tar takes the extension into account) and
// listed with every event bound. Without OnNextVolume a volume set stops at its first
// volume. The run must end without a crash, an endless walk or a read outside the file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

#include "archive/core/arc_file.h"
#include "archive/core/travik.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"

// A folder of this process for the input file, removed at exit.
struct TFuzzFolder {
  std::string Dir = TempDirectory() + "zxlister" + std::to_string(getpid()) + "\\";
  std::string File;
  TFuzzFolder() { CreateDir(Dir); }
  ~TFuzzFolder() {
    if (!File.empty()) DeleteFile(File);
    RemoveDir(ExcludeTrailingBackslash(Dir));
  }
};

inline int FuzzLister(const uint8_t* Data, size_t Size, const char* Ext) {
  static TFuzzFolder folder;
  const std::string name = folder.Dir + "fuzz" + Ext;
  folder.File = name;
  {
    TFileStream f(name, fmCreate);
    if (Size) f.WriteBuffer(Data, static_cast<int64_t>(Size));
  }
  TTravik t(nullptr);
  size_t sum = 0;
  t.OnRead = [&](TObject*, int, int) { sum += t.FileName.size() + t.EntryComment.size() + t.ArchiveComment.size(); };
  t.OnReadFile = [&](TObject*, const std::string& N) { sum += N.size(); };
  t.OnError = [&](TObject*, const std::string&, const std::string&, const std::string&, int) { ++sum; };
  t.SetShowBlankDirs(Size % 2 == 0);
  t.SetArchiveFile(name);
  t.Activate();
  return sum == size_t(-1);
}
