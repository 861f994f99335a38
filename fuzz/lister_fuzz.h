// The lister over any bytes: the input is written to a file named with the extension of
// the target's kind (recognition of UU/XX and tar takes the extension into account) and
// listed with every event bound. Without OnNextVolume a volume set stops at its first
// volume (lister_volumes_fuzz binds it). The run must end without a crash, an endless
// walk or a read outside the file.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

#include "archive/core/arc_file.h"
#include "archive/core/travik.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"

// A folder of this process for the input files, removed at exit.
struct TFuzzFolder {
  std::string Dir = TempDirectory() + "zxlister" + std::to_string(getpid()) + "\\";
  std::vector<std::string> Files;
  TFuzzFolder() { CreateDir(Dir); }
  ~TFuzzFolder() {
    for (const std::string& F : Files) DeleteFile(F);
    RemoveDir(ExcludeTrailingBackslash(Dir));
  }
  // Writes Size bytes to Name in the folder; the whole path.
  std::string Put(const std::string& Name, const uint8_t* Data, size_t Size) {
    const std::string Path = Dir + Name;
    if (std::find(Files.begin(), Files.end(), Path) == Files.end()) Files.push_back(Path);
    TFileStream F(Path, fmCreate);
    if (Size) F.WriteBuffer(Data, static_cast<int64_t>(Size));
    return Path;
  }
};

// A lister with every event but OnNextVolume bound; Sum takes something of each.
inline void BindListerEvents(TTravik& t, size_t& sum) {
  t.OnRead = [&](TObject*, int, int) { sum += t.FileName.size() + t.EntryComment.size() + t.ArchiveComment.size(); };
  t.OnReadFile = [&](TObject*, const std::string& N) { sum += N.size(); };
  t.OnError = [&](TObject*, const std::string&, const std::string&, const std::string&, int) { ++sum; };
}

inline int FuzzLister(const uint8_t* Data, size_t Size, const char* Ext) {
  static TFuzzFolder folder;
  const std::string name = folder.Put(std::string("fuzz") + Ext, Data, Size);
  TTravik t(nullptr);
  size_t sum = 0;
  BindListerEvents(t, sum);
  t.SetShowBlankDirs(Size % 2 == 0);
  t.SetArchiveFile(name);
  t.Activate();
  return sum == size_t(-1);
}
