// Helpers of the cabinet and RAR reader tests: the corpus of Debian's libarchive source
// package (unpacked by scripts/build-deps; a missing corpus fails the test), its uuencoded
// test files, and checksums of extracted files.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/core/arc_globals.h"
#include "classlib/core/sys_utils.h"
#include "tests/archive/old_readers_test_util.h"

// The folder of the unpacked source package whose folder name starts with Prefix.
inline std::string SourcePackageDir(const std::string& Prefix) {
  const std::string base = SlashToBackslash(ZX_DEPS_SRC) + "\\";
  TSearchRec rec;
  std::string found;
  if (FindFirst(base + Prefix + "*", faDirectory, rec) == 0) {
    do
      if (rec.Attr & faDirectory) found = base + rec.Name;
    while (found.empty() && FindNext(rec) == 0);
    FindClose(rec);
  }
  if (found.empty()) ADD_FAILURE() << "corpus missing: no " << Prefix << "* in " << base << " (scripts/build-deps)";
  return found;
}

// Decodes the uuencoded file Path ("begin" line, length-prefixed lines, "end").
inline TByteVec UuDecodeFile(const std::string& Path) {
  const TByteVec text = ReadWholeFile(Path);
  TByteVec out;
  bool started = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = pos;
    while (end < text.size() && text[end] != '\n') end++;
    std::string line(text.begin() + pos, text.begin() + end);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!started) {
      started = line.rfind("begin", 0) == 0;
      continue;
    }
    if (line == "end" || line.empty()) break;
    const size_t count = (line[0] - 32) & 63;
    auto sextet = [&](size_t i) { return i < line.size() ? uint8_t((line[i] - 32) & 63) : uint8_t(0); };
    for (size_t i = 1, done = 0; done < count; i += 4) {
      const uint8_t a = sextet(i), b = sextet(i + 1), c = sextet(i + 2), d = sextet(i + 3);
      const uint8_t bytes[3] = {uint8_t(a << 2 | b >> 4), uint8_t(b << 4 | c >> 2), uint8_t(c << 6 | d)};
      for (int k = 0; k < 3 && done < count; k++, done++) out.push_back(bytes[k]);
    }
  }
  return out;
}

// libarchive's test file Name (without ".uu"), decoded into Dir; its path.
inline std::string LibarchiveTestFile(const std::string& Dir, const std::string& Name) {
  const std::string uu = SourcePackageDir("libarchive_") + "\\libarchive\\test\\" + Name + ".uu";
  if (!FileExists(uu)) {
    ADD_FAILURE() << "corpus file missing: " << uu;
    return Dir + Name;
  }
  WriteWholeFile(Dir + Name, UuDecodeFile(uu));
  return Dir + Name;
}

inline uint32_t Crc32Of(const TByteVec& Data) {
  uint32_t crc = 0xFFFFFFFF;
  UpdateCrc32(Data.data(), Data.size(), crc);
  return ~crc;
}

// An extracted file expected with its size and CRC-32.
struct TExpectedFile {
  const char* Name;
  size_t Size;
  uint32_t Crc;
};

inline void ExpectFiles(const std::string& Dir, std::initializer_list<TExpectedFile> Files) {
  for (const TExpectedFile& f : Files) {
    SCOPED_TRACE(f.Name);
    const std::string path = Dir + f.Name;
    ASSERT_TRUE(FileExists(path));
    const TByteVec data = ReadWholeFile(path);
    EXPECT_EQ(data.size(), f.Size);
    EXPECT_EQ(Crc32Of(data), f.Crc);
  }
}

// A run that asks for volumes leaves the process's current folder (the panels') where it
// was: checked at the end of the test, and put back so that one fault fails one test.
struct TKeepCurrentDir {
  std::string Dir = GetCurrentDir();
  ~TKeepCurrentDir() {
    EXPECT_EQ(GetCurrentDir(), Dir) << "the current folder moved";
    SetCurrentDir(Dir);
  }
};
