// tar archives as GNU tar writes them: Russian names in UTF-8 and in code page 866,
// empty files and folders, and the header checksum in its unsigned and its old signed
// form, read alike by recognition, the lister and the reader.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <set>

#include "archive/core/tar_header.h"
#include "archive/core/un_tar.h"
#include "lister_test_util.h"
#include "old_readers_test_util.h"

namespace {

const std::string kAnsi = "\xCF\xF0\xE8\xE2\xE5\xF2";  // "Привет" in 1251
constexpr size_t kUtf8Header = 2048;                    // full/Привет.txt in names.tar

void Collect(const std::string& Root, const std::string& Rel, std::map<std::string, std::string>& Files,
             std::set<std::string>& Folders) {
  TSearchRec Rec;
  if (FindFirst(Root + Rel + "*", faAnyFile, Rec) != 0) return;
  do {
    if (Rec.Name == "." || Rec.Name == "..") continue;
    if (Rec.Attr & faDirectory) {
      Folders.insert(Rel + Rec.Name);
      Collect(Root, Rel + Rec.Name + "\\", Files, Folders);
    } else {
      const TByteVec B = ReadWholeFile(Root + Rel + Rec.Name);
      Files[Rel + Rec.Name] = std::string(B.begin(), B.end());
    }
  } while (FindNext(Rec) == 0);
  FindClose(Rec);
}

// Writes Sum as tar writes a checksum: six octal digits, a zero byte, a blank.
void SetChecksum(TByteVec& Tar, size_t Header, int64_t Sum) {
  char Field[9];
  snprintf(Field, sizeof Field, "%06o", unsigned(Sum & 0777777));
  std::memcpy(&Tar[Header + 148], Field, 6);
  Tar[Header + 154] = 0;
  Tar[Header + 155] = ' ';
}

int64_t SignedSum(const TByteVec& Tar, size_t Header) {
  int64_t Sum = 0;
  for (size_t i = 0; i < 512; ++i) Sum += (i >= 148 && i < 156) ? 32 : int8_t(Tar[Header + i]);
  return Sum;
}

}  // namespace

TEST(TarFormat, NamesEmptyFilesAndFoldersOfGnuTar) {
  const std::string Path = FixturePath("tarnames/names.tar");
  TTempDir Tmp;
  TUnTAR R(nullptr);
  TReaderEvents Ev;
  ExtractInto(R, Ev, Path, Tmp.Path());
  EXPECT_TRUE(Ev.Errors.empty());
  std::map<std::string, std::string> Files;
  std::set<std::string> Folders;
  Collect(Tmp.Path(), "", Files, Folders);
  const std::map<std::string, std::string> Want = {
      {"full\\" + kAnsi + ".txt", "utf"}, {"full\\" + kAnsi + ".dos", "oem"}, {"zero.txt", ""}};
  EXPECT_EQ(Files, Want);
  EXPECT_EQ(Folders, (std::set<std::string>{"empty", "full"}));

  const TListing L = ListArchive(Path);
  EXPECT_TRUE(L.Errors.empty());
  std::map<std::string, std::string> Listed;
  for (const TListed& E : L.Entries) Listed[E.Name] = std::string(size_t(E.Unpacked), '?');
  ASSERT_EQ(Listed.size(), Want.size());
  for (const auto& W : Want) EXPECT_EQ(Listed.count(W.first), 1u) << W.first;
}

TEST(TarFormat, SignedChecksumsAreTakenAndWrongOnesToldByName) {
  const TByteVec Tar = ReadWholeFile(FixturePath("tarnames/names.tar"));
  ASSERT_EQ(std::string(reinterpret_cast<const char*>(&Tar[kUtf8Header]), 5), "full/");
  struct TCase {
    const char* What;
    int64_t Delta;  // added to the signed sum
    bool Good;
  } Cases[] = {{"the signed sum of old tar programs", 0, true}, {"a sum that is neither", 5, false}};
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.What);
    TTempDir Tmp;
    TByteVec T = Tar;
    SetChecksum(T, kUtf8Header, SignedSum(T, kUtf8Header) + C.Delta);
    WriteWholeFile(Tmp.Path() + "t.tar", T);
    // The header alone, first in a file without extension: recognised by its checksum.
    TByteVec One(T.begin() + long(kUtf8Header), T.begin() + long(kUtf8Header) + 1024);
    One.resize(One.size() + 1024, 0);
    WriteWholeFile(Tmp.Path() + "one", One);
    TUnTAR Probe(nullptr);
    Probe.SetArchiveFile(Tmp.Path() + "one");
    EXPECT_EQ(Probe.ArcType(), C.Good ? atTAR : atUnknown);

    const TListing L = ListArchive(Tmp.Path() + "t.tar");
    TUnTAR R(nullptr);
    TReaderEvents Ev;
    ExtractInto(R, Ev, Tmp.Path() + "t.tar", Tmp.Path() + "out\\");
    const std::string Utf8Out = Tmp.Path() + "out\\full\\" + kAnsi + ".txt";
    if (C.Good) {
      EXPECT_TRUE(L.Errors.empty());
      EXPECT_EQ(L.Entries.size(), 3u);
      EXPECT_TRUE(Ev.Errors.empty());
      EXPECT_EQ(ReadWholeFile(Utf8Out), TByteVec({'u', 't', 'f'}));
    } else {
      // The archive ends there, with an error naming the entry; what came before stays.
      EXPECT_EQ(L.Errors, std::vector<int>{errBadFileHeader});
      EXPECT_EQ(L.Entries.size(), 1u);
      EXPECT_EQ(Ev.Errors, std::vector<int>{errBadFileHeader});
      EXPECT_EQ(Ev.ErrorNames, std::vector<std::string>{kAnsi + ".txt"});
      EXPECT_FALSE(FileExists(Utf8Out));
      EXPECT_TRUE(FileExists(Tmp.Path() + "out\\full\\" + kAnsi + ".dos"));
    }
  }
}
