// Helpers of the archive tests: a temporary folder removed with everything in it, and
// whole-file reads and writes through the class library (names in 1251 with '\').
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/core/arc_file.h"
#include "archive/core/zip_crypt.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"

using TByteVec = std::vector<uint8_t>;

inline std::string FixturePath(const std::string& Name) { return std::string(ZX_TEST_DATA) + "/data/" + Name; }

inline TByteVec ReadWholeFile(const std::string& Name) {
  TMemoryStream m;
  m.LoadFromFile(Name);
  const uint8_t* p = static_cast<const uint8_t*>(m.Memory());
  return TByteVec(p, p + m.Size());
}

inline void WriteWholeFile(const std::string& Name, const TByteVec& Data) {
  TFileStream f(Name, fmCreate);
  if (!Data.empty()) f.WriteBuffer(Data.data(), static_cast<int64_t>(Data.size()));
}

inline void WriteWholeFile(const std::string& Name, const std::string& Data) {
  WriteWholeFile(Name, TByteVec(Data.begin(), Data.end()));
}

inline void RemoveTree(const std::string& Dir) {
  TSearchRec rec;
  if (FindFirst(IncludeTrailingBackslash(Dir) + "*", faAnyFile, rec) == 0) {
    do {
      if (rec.Name == "." || rec.Name == "..") continue;
      const std::string path = IncludeTrailingBackslash(Dir) + rec.Name;
      if (rec.Attr & faDirectory)
        RemoveTree(path);
      else {
        FileSetAttr(path, faArchive);
        DeleteFile(path);
      }
    } while (FindNext(rec) == 0);
    FindClose(rec);
  }
  RemoveDir(Dir);
}

// A new folder under the system's temporary folder, removed at the end of the test.
class TTempDir {
public:
  TTempDir() {
    uint8_t r[4];
    ArcRandomBytes(r, sizeof r);
    char name[16];
    snprintf(name, sizeof name, "zxarc%02x%02x%02x%02x", r[0], r[1], r[2], r[3]);
    FPath = TempDirectory() + name + "\\";
    CreateDir(FPath);
  }
  ~TTempDir() { RemoveTree(ExcludeTrailingBackslash(FPath)); }
  const std::string& Path() const { return FPath; }  // with a trailing '\'

private:
  std::string FPath;
};

// The path for a shell command line: '/' separators, single-quoted.
inline std::string Sh(std::string Path) {
  for (char& c : Path)
    if (c == '\\') c = '/';
  return "'" + Path + "'";
}

// Whether another tool can check our output here: never under Wine; natively the tools
// come with scripts/setup, so a missing one fails the test instead of passing unchecked.
inline bool HaveTool(const char* Probe) {
#ifdef _WIN32
  (void)Probe;
  return false;
#else
  const bool found = std::system((std::string(Probe) + " >/dev/null 2>&1").c_str()) == 0;
  if (!found) ADD_FAILURE() << "'" << Probe << "' does not run: scripts/setup installs the tools these checks use";
  return found;
#endif
}
