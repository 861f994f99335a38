// Every reader against hostile archives: cut at many places, with sizes at the limits of
// their fields, with names deep enough to exhaust a recursion, and with an entry named
// like the archive itself. No crash, no endless walk, no file outside the folder, no
// half file left without its CRC_PASS False, and the archive never overwritten.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

#include "archive/core/un_arc.h"
#include "archive/core/un_arj.h"
#include "archive/core/un_gzip.h"
#include "archive/core/un_lha.h"
#include "archive/core/un_tar.h"
#include "archive/core/un_zip.h"
#include "archive/core/un_zoo.h"
#include "archive/core/uu_code.h"
#include "old_readers_test_util.h"

namespace {

using TReaderFactory = std::function<std::unique_ptr<TUnBase>()>;

template <class R>
TReaderFactory Make() {
  return [] { return std::unique_ptr<TUnBase>(new R(nullptr)); };
}

// The files under Dir, as paths that start with Dir.
void ListFiles(const std::string& Dir, std::vector<std::string>& Out) {
  TSearchRec rec;
  if (FindFirst(Dir + "*", faAnyFile, rec) != 0) return;
  do {
    if (rec.Name == "." || rec.Name == "..") continue;
    if (rec.Attr & faDirectory)
      ListFiles(Dir + rec.Name + "\\", Out);
    else
      Out.push_back(Dir + rec.Name);
  } while (FindNext(rec) == 0);
  FindClose(rec);
}

// Runs a reader; whatever it raises is the run's end, not the test's.
void RunReader(TUnBase& R, TReaderEvents& Ev, const std::string& Archive, const std::string& Out) {
  try {
    ExtractInto(R, Ev, Archive, Out);
  } catch (const std::exception&) {
  }
}

void Put16(TByteVec& D, uint32_t V) {
  D.push_back(uint8_t(V));
  D.push_back(uint8_t(V >> 8));
}
void Put32(TByteVec& D, uint32_t V) {
  Put16(D, V & 0xFFFF);
  Put16(D, V >> 16);
}

// A ZIP archive of stored entries.
TByteVec StoredZip(const std::vector<std::pair<std::string, std::string>>& Entries) {
  TByteVec Out, Central;
  for (auto& [Name, Data] : Entries) {
    uint32_t Crc = 0xFFFFFFFF;
    UpdateCrc32(Data.data(), Data.size(), Crc);
    Crc = ~Crc;
    const uint32_t Offset = uint32_t(Out.size());
    Put32(Out, 0x04034B50);
    Put16(Out, 10);
    Put16(Out, 0);
    Put16(Out, 0);
    Put32(Out, (41u << 25) | (1 << 21) | (1 << 16));
    Put32(Out, Crc);
    Put32(Out, uint32_t(Data.size()));
    Put32(Out, uint32_t(Data.size()));
    Put16(Out, uint16_t(Name.size()));
    Put16(Out, 0);
    Out.insert(Out.end(), Name.begin(), Name.end());
    Out.insert(Out.end(), Data.begin(), Data.end());
    Put32(Central, 0x02014B50);
    Put16(Central, 20);
    Put16(Central, 10);
    Put16(Central, 0);
    Put16(Central, 0);
    Put32(Central, (41u << 25) | (1 << 21) | (1 << 16));
    Put32(Central, Crc);
    Put32(Central, uint32_t(Data.size()));
    Put32(Central, uint32_t(Data.size()));
    Put16(Central, uint16_t(Name.size()));
    for (int i = 0; i < 4; i++) Put16(Central, 0);  // extra, comment, disk, internal attributes
    Put32(Central, 0x20);
    Put32(Central, Offset);
    Central.insert(Central.end(), Name.begin(), Name.end());
  }
  const uint32_t CentralPos = uint32_t(Out.size());
  Out.insert(Out.end(), Central.begin(), Central.end());
  Put32(Out, 0x06054B50);
  Put16(Out, 0);
  Put16(Out, 0);
  Put16(Out, uint16_t(Entries.size()));
  Put16(Out, uint16_t(Entries.size()));
  Put32(Out, uint32_t(Central.size()));
  Put32(Out, CentralPos);
  Put16(Out, 0);
  return Out;
}

// A tar header block with a valid checksum; Size is written by Fill.
TByteVec TarBlock(const std::string& Name, char Type, const std::function<void(uint8_t*)>& Fill) {
  TByteVec B(512, 0);
  std::copy(Name.begin(), Name.end(), B.begin());
  memcpy(&B[100], "0000644", 7);
  memcpy(&B[136], "14000000000", 11);
  B[156] = uint8_t(Type);
  memcpy(&B[257], "ustar\0" "00", 8);
  Fill(B.data());
  unsigned Sum = 0;
  for (int i = 0; i < 512; i++) Sum += (i >= 148 && i < 156) ? 32 : B[i];
  snprintf(reinterpret_cast<char*>(&B[148]), 8, "%06o", Sum);
  return B;
}

TEST(HostileArchives, CutArchivesLeaveNoUnannouncedFiles) {
  struct TCase {
    const char* Fixture;  // under data/
    TReaderFactory Reader;
    bool EndMarked = true;  // compress data have no end: a cut there cannot be told
  };
  const TCase Cases[] = {
      {"arc3/zip1.zip", Make<TUnZIP>()},        {"arc3/bsd.zip", Make<TUnZIP>()},
      {"arc3/concat.gz", Make<TUnGZIP>()},      {"arc3/big12.Z", Make<TUnGZIP>(), false},
      {"arc3/gnu.tar", Make<TUnTAR>()},         {"arc3/pax.tar", Make<TUnTAR>()},
      {"oldfmt/level0.lzh", Make<TUnLHA>()},    {"oldfmt/level2.lzh", Make<TUnLHA>()},
      {"oldfmt/lh1.lzh", Make<TUnLHA>()},       {"oldfmt/zoo.zoo", Make<TUnZOO>()},
      {"oldfmt/m0.arj", Make<TUnARJ>()},        {"oldfmt/m4.arj", Make<TUnARJ>()},
      {"oldfmt/m1.arj", Make<TUnARJ>()},        {"oldfmt/a.arc", Make<TUnARC>()},
      {"oldfmt/crunch.arc", Make<TUnARC>()},    {"binary.uue", Make<TUUDecode>()},
  };
  TTempDir Tmp;
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Fixture);
    const TByteVec Whole = ReadWholeFile(FixturePath(C.Fixture));
    const std::string Ext = ArcExtractFileExt(C.Fixture);
    // What the whole archive gives.
    std::map<std::string, TByteVec> Good;
    {
      TTempDir Out;
      WriteWholeFile(Tmp.Path() + "whole" + Ext, Whole);
      auto R = C.Reader();
      TReaderEvents Ev;
      RunReader(*R, Ev, Tmp.Path() + "whole" + Ext, Out.Path());
      std::vector<std::string> Files;
      ListFiles(Out.Path(), Files);
      ASSERT_FALSE(Files.empty());
      for (auto& F : Files) Good[F.substr(Out.Path().size())] = ReadWholeFile(F);
    }
    const size_t Step = std::max<size_t>(1, Whole.size() / 37);
    for (size_t Cut = 1; Cut < Whole.size(); Cut += Step) {
      SCOPED_TRACE(Cut);
      // The same name as the whole one: gzip and compress name their output after it.
      TTempDir ArcDir, Out;
      const std::string Name = ArcDir.Path() + "whole" + Ext;
      WriteWholeFile(Name, TByteVec(Whole.begin(), Whole.begin() + Cut));
      auto R = C.Reader();
      TReaderEvents Ev;
      RunReader(*R, Ev, Name, Out.Path());
      EXPECT_EQ(Ev.Activates, Ev.Deactivates);
      std::vector<std::string> Files;
      ListFiles(Out.Path(), Files);
      for (auto& F : Files) {
        // Every file left was announced, and one announced as whole is whole.
        auto E = std::find_if(Ev.Ends.begin(), Ev.Ends.end(), [&](auto& P) { return AnsiSameText(P.first, F); });
        if (E == Ev.Ends.end()) {
          ADD_FAILURE() << F << " left without OnEnd";
          continue;
        }
        if (E->second && C.EndMarked) {
          auto G = Good.find(F.substr(Out.Path().size()));
          ASSERT_NE(G, Good.end()) << F;
          EXPECT_EQ(ReadWholeFile(F), G->second) << F;
        }
      }
    }
  }
}

TEST(HostileArchives, TarSizesAtTheLimitsOfTheirFields) {
  struct TCase {
    const char* What;
    TByteVec Tar;
  };
  auto Base256Max = [](uint8_t* B) {  // 2^63-1
    B[124] = 0x80;
    B[128] = 0x7F;
    for (int i = 129; i < 136; i++) B[i] = 0xFF;
  };
  auto Octal = [](const char* S) { return [S](uint8_t* B) { memcpy(&B[124], S, strlen(S)); }; };
  auto Join = [](std::initializer_list<TByteVec> Parts) {
    TByteVec D;
    for (auto& P : Parts) D.insert(D.end(), P.begin(), P.end());
    D.resize(D.size() + 1024, 0);
    return D;
  };
  const std::string Pax = "28 size=9223372036854775807\n";
  TByteVec PaxData(Pax.begin(), Pax.end());
  PaxData.resize(512, 0);
  const TCase Cases[] = {
      {"base-256 size of 2^63-1", Join({TarBlock("big.bin", '0', Base256Max)})},
      {"base-256 size of a directory", Join({TarBlock("dir/", '5', Base256Max)})},
      {"pax size of 2^63-1",
       Join({TarBlock("PaxHeaders/x", 'x', Octal("00000000034")), PaxData, TarBlock("x.bin", '0', Octal("1"))})},
      {"octal size of 12 digits", Join({TarBlock("y.bin", '0', Octal("777777777777"))})},
  };
  TTempDir Tmp;
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.What);
    WriteWholeFile(Tmp.Path() + "x.tar", C.Tar);
    TTempDir Out;
    TUnTAR R(nullptr);
    TReaderEvents Ev;
    RunReader(R, Ev, Tmp.Path() + "x.tar", Out.Path());
    EXPECT_EQ(Ev.Activates, Ev.Deactivates);
    for (auto& E : Ev.Ends) EXPECT_FALSE(E.second) << E.first;
    std::vector<std::string> Files;
    ListFiles(Out.Path(), Files);
    EXPECT_TRUE(Files.empty());
  }
}

TEST(HostileArchives, VeryDeepNamesEndInAnErrorNotACrash) {
  // As many folders as a 16-bit name length holds, under a folder that cannot be made (a
  // file is in its way), so that none of them can be made either.
  std::string Deep;
  while (Deep.size() < 65000) Deep += "a/";
  Deep += "x.txt";
  TTempDir Tmp;
  WriteWholeFile(Tmp.Path() + "deep.zip", StoredZip({{Deep, "deep"}, {"ok.txt", "fine"}}));
  WriteWholeFile(Tmp.Path() + "blocked", std::string("a file"));
  TUnZIP R(nullptr);
  TReaderEvents Ev;
  RunReader(R, Ev, Tmp.Path() + "deep.zip", Tmp.Path() + "blocked\\out\\");
  EXPECT_EQ(Ev.Activates, 1);
  EXPECT_EQ(Ev.Deactivates, 1);
  EXPECT_EQ(Ev.Ends.size(), 2u);
  for (auto& E : Ev.Ends) EXPECT_FALSE(E.second) << E.first.substr(0, 80);
}

TEST(HostileArchives, AnEntryNamedLikeTheArchiveNeverOverwritesIt) {
  // Extracted into the archive's own folder, with no OnFileExists to ask.
  TTempDir Tmp;
  const TByteVec Zip = StoredZip({{"self.zip", "overwritten"}, {"./self.zip", "again"}, {"ok.txt", "fine"}});
  WriteWholeFile(Tmp.Path() + "self.zip", Zip);
  TUnZIP R(nullptr);
  TReaderEvents Ev;
  RunReader(R, Ev, Tmp.Path() + "self.zip", "");
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "self.zip"), Zip);
  EXPECT_EQ(ReadWholeFile(Tmp.Path() + "ok.txt"), (TByteVec{'f', 'i', 'n', 'e'}));
  EXPECT_EQ(std::count(Ev.Errors.begin(), Ev.Errors.end(), errInvalidFileName), 2);
}

}  // namespace

namespace {

TEST(HostileArchives, ForceDirectoriesFromTheTopDown) {
  TTempDir Tmp;
  // Absolute (a drive-letter root under Wine, "\" natively), with '/' and doubled separators.
  EXPECT_TRUE(ForceDirectories(Tmp.Path() + "a\\b//c\\"));
  EXPECT_TRUE(DirectoryExists(Tmp.Path() + "a\\b\\c"));
  EXPECT_TRUE(ForceDirectories(Tmp.Path() + "a\\b\\c"));
  // Relative to the current folder.
  const std::string Saved = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(Tmp.Path()));
  EXPECT_TRUE(ForceDirectories("rel\\sub"));
  SetCurrentDir(Saved);
  EXPECT_TRUE(DirectoryExists(Tmp.Path() + "rel\\sub"));
  // A file in the way.
  WriteWholeFile(Tmp.Path() + "f", std::string("x"));
  EXPECT_FALSE(ForceDirectories(Tmp.Path() + "f\\g\\h"));
  EXPECT_FALSE(DirectoryExists(Tmp.Path() + "f\\g"));
}

}  // namespace
