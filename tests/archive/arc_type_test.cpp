#include "archive/core/arc_type.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "archive/core/pe_resources.h"

namespace {

using TBytes = std::vector<uint8_t>;

TBytes ReadFixture(const std::string& Name) {
  std::ifstream f(std::string(ZX_TEST_DATA) + "/data/" + Name, std::ios::binary);
  EXPECT_TRUE(f.good()) << Name;
  return TBytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

struct TResult {
  TArcType Type;
  int64_t Start;
  uint32_t Sfx;
};

TResult Recognize(const TBytes& Data, const std::string& Name, int32_t CmntBufSize = 0) {
  TArcMemoryInput in(Data.data(), Data.size());
  TArcRecognizer r(in);
  r.Run(Name, CmntBufSize);
  return {r.ArcType, r.ArcStartOffset, r.SfxStartOffset};
}

void Put16(TBytes& b, size_t at, uint16_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = uint8_t(v), b[at + 1] = uint8_t(v >> 8);
}
void Put32(TBytes& b, size_t at, uint32_t v) {
  Put16(b, at, uint16_t(v));
  Put16(b, at + 2, uint16_t(v >> 16));
}
TBytes Bytes(std::initializer_list<int> v, size_t Size) {
  TBytes b(Size, 0x20);
  size_t i = 0;
  for (int x : v) b[i++] = uint8_t(x);
  return b;
}

// A PE32 image with one resource section holding string block 1 (ids 0 to 15).
TBytes MakePe(const std::vector<std::string>& Strings, uint32_t Lang = 0x409) {
  TBytes b(0x400, 0);
  b[0] = 'M', b[1] = 'Z';
  Put32(b, 0x3C, 0x100);
  Put32(b, 0x100, 0x4550);
  Put16(b, 0x104, 0x14C);
  Put16(b, 0x106, 1);       // one section
  Put16(b, 0x114, 0xE0);    // optional header size
  const size_t opt = 0x118;
  Put16(b, opt, 0x10B);
  Put32(b, opt + 92, 16);
  // The string data of the block.
  TBytes block;
  for (size_t i = 0; i < 16; ++i) {
    const std::string s = i < Strings.size() ? Strings[i] : "";
    Put16(block, block.size(), uint16_t(s.size()));
    for (char c : s) Put16(block, block.size(), uint8_t(c));
  }
  TBytes rs(0x58, 0);
  Put16(rs, 0x0E, 1), Put32(rs, 0x10, 6), Put32(rs, 0x14, 0x80000018);
  Put16(rs, 0x26, 1), Put32(rs, 0x28, 1), Put32(rs, 0x2C, 0x80000030);
  Put16(rs, 0x3E, 1), Put32(rs, 0x40, Lang), Put32(rs, 0x44, 0x48);
  Put32(rs, 0x48, 0x1000 + 0x58), Put32(rs, 0x4C, uint32_t(block.size()));
  rs.insert(rs.end(), block.begin(), block.end());
  Put32(b, opt + 96 + 16, 0x1000);
  Put32(b, opt + 96 + 20, uint32_t(rs.size()));
  const size_t sec = opt + 0xE0;
  std::memcpy(&b[sec], ".rsrc", 5);
  Put32(b, sec + 8, uint32_t(rs.size()));
  Put32(b, sec + 12, 0x1000);
  Put32(b, sec + 16, uint32_t(rs.size()));
  Put32(b, sec + 20, 0x400);
  b.insert(b.end(), rs.begin(), rs.end());
  return b;
}

}  // namespace

TEST(ArcType, NamesAndValidity) {
  for (int t = 0; t < ArcTypeCount; ++t) EXPECT_EQ(std::strlen(ArcTypeName(TArcType(t))), 10u) << t;
  EXPECT_STREQ(ArcTypeName(atBHExe), "BH  SFX   ");
  EXPECT_STREQ(ArcTypeName(atZip250Exe), "ZIP250 SFX");
  EXPECT_STREQ(ArcTypeName(atZOO), "ZOO       ");
  for (TArcType t : {atNA, atUnsupported, atFileOpenErr, atUnknown}) EXPECT_FALSE(IsArcTypeValid(t));
  for (TArcType t : {atARC, atZIP, atZOO, atTAR, atUUE}) EXPECT_TRUE(IsArcTypeValid(t));
  EXPECT_EQ(ArcExtIndex(".uue"), 0);
  EXPECT_EQ(ArcExtIndex(".Tar"), 3);
  EXPECT_EQ(ArcExtIndex(".ACE"), 17);
  EXPECT_EQ(ArcExtIndex("ZIP"), -1);
  EXPECT_EQ(ArcExtIndex(".ZIPX"), -1);
}

TEST(ArcType, ClassifySignatureTable) {
  struct {
    uint32_t sig;
    TArcType start, inside;
  } cases[] = {
      {0x04034B50, atZIP, atZipExe},          {0x34474B50, atUnknown, atUnknown},
      {0x50000000, atZip250, atZip250Exe},    {0x4643534D, atCAB, atUnsupported},
      {0x07054842, atBH, atBHExe},            {0x00204148, atHA, atUnsupported},
      {0x00088B1F, atGZip, atUnsupported},    {0x00109D1F, atGZip, atUnsupported},
      {0x00009E1F, atGZip, atUnsupported},    {0x00001E1F, atGZip, atUnsupported},
      {0x0000A01F, atGZip, atUnsupported},    {0x0000EA60, atARJ, atArjExe},
      {0x20204F5A, atZOO, atUnsupported},     {0x6C2D1E22, atLHA, atLhaExe},
      {0x21726152, atRAR, atRarExe},          {0x00000A1A, atPAK, atPakExe},
      {0x00000B1A, atPAK, atPakExe},          {0x00001E1A, atARC, atUnsupported},
      {0x0000081A, atARC, atArcExe},          {0x0000091A, atARC, atArcExe},
      {0x0000021A, atUnknown, atUnknown},     {0x12345678, atUnknown, atUnknown},
  };
  for (auto& c : cases) {
    int64_t offset = 1;
    EXPECT_EQ(ClassifySignature(c.sig, true, offset), c.start) << std::hex << c.sig;
    EXPECT_EQ(ClassifySignature(c.sig, false, offset), c.inside) << std::hex << c.sig;
    EXPECT_EQ(offset, 1);
  }
  for (uint32_t sig : {0x000092B7u, 0x0000DFB7u})
    for (bool atStart : {true, false}) {
      int64_t offset = 1;
      EXPECT_EQ(ClassifySignature(sig, atStart, offset), atArcExe);
      EXPECT_EQ(offset, 7717);
    }
}

TEST(ArcType, ArchivesMadeByRealTools) {
  struct {
    const char* file;
    TArcType type;
    int64_t start;
    uint32_t sfx;
  } cases[] = {
      {"plain.zip", atZIP, 1, 0},        {"crypt_stored.zip", atZIP, 1, 0},
      {"hello.txt.gz", atGZip, 1, 0},    {"hello.txt.Z", atGZip, 1, 0},
      {"plain.tar", atTAR, 1, 0},        {"tarfile", atTAR, 1, 0},
      {"label.tar", atTAR, 513, 0},      {"plain.lzh", atLHA, 1, 0},
      {"plain.arj", atARJ, 1, 0},        {"plain.arc", atARC, 1, 0},
      {"stored.arc", atARC, 1, 0},       {"plain.cab", atCAB, 1, 0},
      {"hello.uue", atUUE, 1, 0},        {"hello.txt", atUnknown, 1, 0},
      {"ressfx.exe", atZipExe, 4097, 4096},
  };
  for (auto& c : cases) {
    TResult r = Recognize(ReadFixture(c.file), c.file);
    EXPECT_EQ(r.Type, c.type) << c.file;
    EXPECT_EQ(r.Start, c.start) << c.file;
    EXPECT_EQ(r.Sfx, c.sfx) << c.file;
  }
  // A stub with a ZIP whose offsets zip -A made absolute: found through the end record,
  // the start being where the first local header stands (counted from 1).
  const TBytes sfx = ReadFixture("sfx.exe");
  const TBytes zip = ReadFixture("plain.zip");
  TResult r = Recognize(sfx, "sfx.exe");
  EXPECT_EQ(r.Type, atZipExe);
  EXPECT_EQ(r.Start, int64_t(sfx.size() - zip.size()) + 1);
  EXPECT_EQ(Recognize(sfx, "sfx.exe", 2000).Type, atZipExe);
}

TEST(ArcType, HandMadeHeaders) {
  struct {
    TBytes data;
    const char* name;
    TArcType type;
  } cases[] = {
      {Bytes({0x1A, 0x0A, 'A', '.', 'T', 'X', 'T', 0}, 64), "x.pak", atPAK},
      {Bytes({0x1A, 0x0B, 'A', 0}, 64), "x.pak", atPAK},
      {Bytes({'B', 'H', 5, 7}, 64), "x.bh", atBH},
      {Bytes({'H', 'A', 1, 0}, 64), "x.ha", atHA},
      {Bytes({'R', 'a', 'r', '!', 0x1A, 7, 0}, 64), "x.rar", atRAR},
      {Bytes({'Z', 'O', 'O', ' ', '2', '.', '1', '0'}, 64), "x.zoo", atZOO},
      {Bytes({0, 0, 0, 0x50}, 64), "x.zip", atZip250},
      {Bytes({0x1F, 0x8B, 8, 0}, 64), "x", atGZip},
      {Bytes({0x1F, 0x1E}, 64), "x.z", atGZip},  // pack
      // ARC entries of every method with a plausible header.
      {Bytes({0x1A, 0x02, 'A', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0}, 64), "x.arc", atARC},
      {Bytes({0x1A, 0x01, 'A', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0}, 64), "x.arc", atARC},
      {Bytes({0x1A, 0x07, 'A', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0}, 64), "x.arc", atARC},
      // Not plausible: no NUL in the name, a packed size beyond the file, method 12 or 0.
      {Bytes({0x1A, 0x02, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 5, 0, 0, 0}, 64), "x.arc", atUnknown},
      {Bytes({0x1A, 0x02, 'A', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0}, 64), "x.arc", atUnknown},
      {Bytes({0x1A, 0x0C, 'A', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0}, 64), "x.arc", atUnknown},
      {Bytes({0x1A, 0x00}, 64), "x.arc", atUnknown},
      {Bytes({'P', 'K', 'G', '4'}, 64), "x.zip", atUnknown},
      {Bytes({'j', 'u', 'n', 'k'}, 64), "x.bin", atUnknown},
      {Bytes({'j', 'u', 'n', 'k'}, 64), "x.uue", atUUE},
      {Bytes({'j', 'u', 'n', 'k'}, 64), "x.XXE", atUUE},
      {Bytes({'j', 'u', 'n', 'k'}, 64), "x.enc", atUUE},
      {Bytes({'j', 'u', 'n', 'k'}, 64), "x.gz", atUnknown},
      {Bytes({'j', 'u', 'n', 'k'}, 1024), "x.tar", atUnknown},  // checksum wrong
      {Bytes({'j', 'u', 'n', 'k'}, 1024), "x", atUnknown},
      {Bytes({'P', 'K', 3, 4}, 4), "x.zip", atNA},  // too short for the local header test
      {Bytes({'P', 'K', 3, 4}, 5), "x.zip", atZIP},
      {Bytes({0x1F, 0x8B}, 5), "x.gz", atNA},
      {Bytes({}, 0), "x.zip", atNA},
      {Bytes({'M', 'Z'}, 40), "x.exe", atUnknown},
  };
  for (auto& c : cases) EXPECT_EQ(Recognize(c.data, c.name).Type, c.type) << c.name << " " << int(c.data[1]);
}

TEST(ArcType, SelfExtractorStubSizes) {
  for (size_t at : {7612u, 15770u, 25669u}) {
    for (size_t size : {at + 4, at + 5}) {
      TBytes b(size, 0);
      b[0] = 'M', b[1] = 'Z';
      b[at] = 'P', b[at + 1] = 'K', b[at + 2] = 3, b[at + 3] = 4;
      TResult r = Recognize(b, "x.exe");
      if (size == at + 4) {
        EXPECT_NE(r.Start, int64_t(at) + 1) << size;
      } else {
        // Counted from 1, like every other start the recognition gives.
        EXPECT_EQ(r.Type, atZipExe) << size;
        EXPECT_EQ(r.Start, int64_t(at) + 1) << size;
      }
    }
  }
}

TEST(ArcType, ExecutableImageEnd) {
  // A DOS image of 2 pages with 100 bytes on the last: 612 bytes, then the archive.
  TBytes b(700, 0);
  b[0] = 'M', b[1] = 'Z';
  Put16(b, 2, 100);
  Put16(b, 4, 2);
  b[612] = 0x1F, b[613] = 0x8B;
  TResult r = Recognize(b, "x.exe");
  EXPECT_EQ(r.Type, atUnsupported);
  EXPECT_EQ(r.Start, 613);
  b[612] = 'R', b[613] = 'a';
  EXPECT_EQ(Recognize(b, "x.exe").Type, atRarExe);
  b[612] = 0x1A, b[613] = 0x08;
  EXPECT_EQ(Recognize(b, "x.exe").Type, atArcExe);
}

TEST(ArcType, TarVolumeLabelAndChecksum) {
  TBytes tar = ReadFixture("plain.tar");
  EXPECT_EQ(Recognize(tar, "x.tar").Type, atTAR);
  tar[0] ^= 1;  // the checksum no longer holds
  EXPECT_EQ(Recognize(tar, "x.tar").Type, atUnknown);
  TBytes label = ReadFixture("label.tar");
  ASSERT_EQ(label[156], 'V');
  label.resize(1025);  // no room for the second header
  EXPECT_EQ(Recognize(label, "x.tar").Type, atUnknown);
}

TEST(ArcType, StringResourceOffsets) {
  TBytes pe = MakePe({"", "123"});
  pe[123] = 'P', pe[124] = 'K', pe[125] = 3, pe[126] = 4;
  TResult r = Recognize(pe, "setup.exe");
  EXPECT_EQ(r.Type, atZipExe);
  EXPECT_EQ(r.Sfx, 123u);
  EXPECT_EQ(r.Start, 124);

  // Later ids are tried while earlier ones point at nothing known.
  TBytes pe2 = MakePe({"", "200", "300", "  310"});
  pe2[310] = 0x60, pe2[311] = 0xEA;
  r = Recognize(pe2, "setup.exe");
  EXPECT_EQ(r.Type, atArjExe);
  EXPECT_EQ(r.Sfx, 0u);
  EXPECT_EQ(r.Start, 311);

  // A text that is not a number ends the scan; only five characters are read.
  TBytes pe3 = MakePe({"", "12x"});
  pe3[12] = 'P', pe3[13] = 'K', pe3[14] = 3, pe3[15] = 4;
  EXPECT_EQ(Recognize(pe3, "setup.exe").Type, atUnknown);

  TArcMemoryInput in(pe2.data(), pe2.size());
  TPeResourceReader res(in);
  ASSERT_TRUE(res.IsValid());
  EXPECT_EQ(res.LoadString(2, 5), "300");
  EXPECT_EQ(res.LoadString(3, 2), "  ");
  EXPECT_EQ(res.LoadString(9, 5), "");
  EXPECT_EQ(res.LoadString(17, 5), "");  // block 2 does not exist
}

TEST(ArcType, DamagedExecutablesNeverReadOutside) {
  TBytes pe = MakePe({"", "123", "456"});
  pe[123] = 'P', pe[124] = 'K', pe[125] = 3, pe[126] = 4;
  // Every truncation, and many single-byte damages of the headers and resource tree.
  for (size_t len = 0; len <= pe.size(); ++len) {
    TBytes cut(pe.begin(), pe.begin() + len);
    TResult r = Recognize(cut, "x.exe", 2000);
    EXPECT_LT(r.Start, int64_t(len) + 7718);
  }
  std::mt19937 rng(7);
  for (int round = 0; round < 3000; ++round) {
    TBytes bad = pe;
    for (int k = 0; k < 3; ++k) bad[rng() % bad.size()] = uint8_t(rng());
    Recognize(bad, "x.exe", 2000);
    TArcMemoryInput in(bad.data(), bad.size());
    TPeResourceReader res(in);
    for (uint32_t id = 0; id < 20; ++id) EXPECT_LE(res.LoadString(id, 5).size(), 5u);
  }
}

TEST(ArcType, ShortExecutablesWithCommentWindow) {
  // The end-record window must not reach before the start of a short file.
  for (size_t size = 6; size < 100; ++size) {
    TBytes b(size, 0);
    b[0] = 'M', b[1] = 'Z';
    if (size >= 30) Put32(b, size - 22, 0x06054B50);
    EXPECT_EQ(Recognize(b, "x.exe", 2000).Type, atUnknown) << size;
  }
}
