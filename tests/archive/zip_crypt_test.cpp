#include "archive/core/zip_crypt.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "arc_test_util.h"
#include "archive/core/arc_base.h"

namespace {

uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Get32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
void Put16(TByteVec& b, uint16_t v) { b.push_back(uint8_t(v)), b.push_back(uint8_t(v >> 8)); }
void Put32(TByteVec& b, uint32_t v) { Put16(b, uint16_t(v)), Put16(b, uint16_t(v >> 16)); }

// The first local entry of a ZIP file made by zip -P.
struct TLocalEntry {
  uint16_t Flags, Method;
  uint32_t Time, Crc, Packed;
  size_t DataAt;
};

TLocalEntry FirstEntry(const TByteVec& Zip) {
  const uint8_t* p = Zip.data();
  EXPECT_EQ(Get32(p), 0x04034B50u);
  TLocalEntry e{Get16(p + 6), Get16(p + 8), Get32(p + 10), Get32(p + 14), Get32(p + 18), 0};
  e.DataAt = 30 + Get16(p + 26) + Get16(p + 28);
  return e;
}

uint32_t Crc32Of(const void* Data, size_t Len) {
  uint32_t crc = 0xFFFFFFFF;
  UpdateCrc32(Data, Len, crc);
  return ~crc;
}

}  // namespace

TEST(ZipCrypt, KeysAndHeaderCheck) {
  InitKeys("");
  EXPECT_EQ(ZipKeys.Key0, 0x12345678u);
  EXPECT_EQ(ZipKeys.Key1, 0x23456789u);
  EXPECT_EQ(ZipKeys.Key2, 0x34567890u);

  uint8_t buf[24];
  std::memset(buf, 0xAB, sizeof buf);
  EXPECT_FALSE(CheckCryptHeader(buf, 12, 0, 0x12345678, 0, ""));
  for (uint8_t b : buf) EXPECT_EQ(b, 0xAB);  // untouched

  const uint32_t crc = 0xC3A51234;
  int falsePasses = 0;
  for (int round = 0; round < 50; ++round) {
    MakeCryptHeader("P4ss", crc, buf + 12);
    EXPECT_TRUE(CheckCryptHeader(buf, 12, 0, crc, 0, "P4ss"));
    EXPECT_EQ(buf[10], uint8_t(crc >> 16));
    EXPECT_EQ(buf[11], uint8_t(crc >> 24));
    EXPECT_TRUE(CheckCryptHeader(buf, 12, 0, crc, 0, "P4ss"));  // the encrypted half stays
    for (int k = 0; k < 40; ++k) falsePasses += CheckCryptHeader(buf, 12, 0, crc, 0, "other" + std::to_string(k));
  }
  EXPECT_LT(falsePasses, 40);  // one check byte: about 1 in 256 of 2000 tries

  // With bit 3 of the flags the high byte of the DOS time is checked, whatever the CRC.
  MakeCryptHeader("pw", 0x7F000000, buf + 12);
  EXPECT_TRUE(CheckCryptHeader(buf, 12, 8, 0, 0x00007F00, "pw"));
  EXPECT_FALSE(CheckCryptHeader(buf, 12, 8, 0x7F000000, 0x00001100, "pw"));

  // Two headers of the same password and CRC differ in their random bytes.
  uint8_t a[12], b[12];
  MakeCryptHeader("pw", crc, a);
  MakeCryptHeader("pw", crc, b);
  EXPECT_NE(std::memcmp(a, b, 10), 0);
}

TEST(ZipCrypt, DecryptsWhatZipMade) {
  const TByteVec plain = ReadWholeFile(FixturePath("hello.txt"));
  const TByteVec zip = ReadWholeFile(FixturePath("crypt_stored.zip"));
  const TLocalEntry e = FirstEntry(zip);
  ASSERT_EQ(e.Flags & 1, 1);
  ASSERT_EQ(e.Method, 0);
  ASSERT_EQ(e.Packed, plain.size() + 12);
  uint8_t buf[24];
  std::memcpy(buf + 12, &zip[e.DataAt], 12);
  EXPECT_FALSE(CheckCryptHeader(buf, 12, e.Flags, e.Crc, e.Time, "wrong"));
  ASSERT_TRUE(CheckCryptHeader(buf, 12, e.Flags, e.Crc, e.Time, "secret"));
  TByteVec data(zip.begin() + e.DataAt + 12, zip.begin() + e.DataAt + e.Packed);
  DecryptBuffer(data.data(), data.size());
  EXPECT_EQ(data, plain);
  EXPECT_EQ(Crc32Of(data.data(), data.size()), e.Crc);

  const TByteVec deflated = ReadWholeFile(FixturePath("crypt_deflated.zip"));
  const TLocalEntry d = FirstEntry(deflated);
  std::memcpy(buf + 12, &deflated[d.DataAt], 12);
  EXPECT_TRUE(CheckCryptHeader(buf, 12, d.Flags, d.Crc, d.Time, "secret"));
}

TEST(ZipCrypt, EncryptsWhatUnzipAccepts) {
  const std::string text = "Encrypted by the writer's cipher.\n";
  const uint32_t crc = Crc32Of(text.data(), text.size());
  const uint32_t dosTime = 0x2A4320A3;
  TByteVec entry(12);
  MakeCryptHeader("s3cret", crc, entry.data());
  for (char c : text) entry.push_back(EncryptByte(uint8_t(c)));

  const std::string name = "note.txt";
  TByteVec zip;
  auto header = [&](bool Central) {
    Put32(zip, Central ? 0x02014B50 : 0x04034B50);
    if (Central) Put16(zip, 20);
    Put16(zip, 20), Put16(zip, 1), Put16(zip, 0);  // version, encrypted, stored
    Put32(zip, dosTime), Put32(zip, crc), Put32(zip, uint32_t(entry.size())), Put32(zip, uint32_t(text.size()));
    Put16(zip, uint16_t(name.size())), Put16(zip, 0);
    if (Central) Put16(zip, 0), Put16(zip, 0), Put16(zip, 0), Put32(zip, 0x20), Put32(zip, 0);
    zip.insert(zip.end(), name.begin(), name.end());
  };
  header(false);
  zip.insert(zip.end(), entry.begin(), entry.end());
  const uint32_t dirAt = uint32_t(zip.size());
  header(true);
  const uint32_t dirSize = uint32_t(zip.size()) - dirAt;
  Put32(zip, 0x06054B50), Put16(zip, 0), Put16(zip, 0), Put16(zip, 1), Put16(zip, 1);
  Put32(zip, dirSize), Put32(zip, dirAt), Put16(zip, 0);

  // Our own reader side takes it back.
  uint8_t buf[24];
  std::memcpy(buf + 12, entry.data(), 12);
  ASSERT_TRUE(CheckCryptHeader(buf, 12, 1, crc, dosTime, "s3cret"));
  TByteVec data(entry.begin() + 12, entry.end());
  DecryptBuffer(data.data(), data.size());
  EXPECT_EQ(std::string(data.begin(), data.end()), text);

#ifdef _WIN32
  GTEST_SKIP() << "unzip runs in the native build";
#else
  if (!HaveTool("unzip -v")) return;
  TTempDir tmp;
  const std::string zipName = tmp.Path() + "enc.zip";
  WriteWholeFile(zipName, zip);
  std::string dir = tmp.Path();
  for (char& c : dir)
    if (c == '\\') c = '/';
  ASSERT_EQ(std::system(("unzip -qq -P s3cret -p '" + dir + "enc.zip' > '" + dir + "out.txt'").c_str()), 0);
  EXPECT_EQ(ReadWholeFile(tmp.Path() + "out.txt"), TByteVec(text.begin(), text.end()));
  EXPECT_NE(std::system(("unzip -qq -P wrong -p '" + dir + "enc.zip' > /dev/null 2>&1").c_str()), 0);
#endif
}

TEST(ZipCrypt, ReaderPasswordOrder) {
  const uint32_t crc = 0x5A000000;
  uint8_t buf[24];
  MakeCryptHeader("right", crc, buf + 12);

  // The check is one byte: take wrong passwords that this header really refuses.
  int next = 0;
  auto wrong = [&] {
    for (;;) {
      std::string p = "no" + std::to_string(next++);
      if (!CheckCryptHeader(buf, 12, 0, crc, 0, p)) return p;
    }
  };

  TUnBase reader(nullptr);
  reader.FileName = "x.txt";
  std::vector<int> errors;
  reader.OnError = [&](TObject*, const std::string&, const std::string&, const std::string&, int Code) {
    errors.push_back(Code);
  };
  std::string lastGood;
  EXPECT_FALSE(TryZipPasswords(reader, buf, 0, crc, 0, lastGood));  // nothing to try

  // Every line of the list is tried, also past the 255th.
  for (int i = 0; i < 300; ++i) reader.Passwords()->Add(i == 280 ? "right" : wrong());
  EXPECT_TRUE(TryZipPasswords(reader, buf, 0, crc, 0, lastGood));
  EXPECT_EQ(lastGood, "right");
  reader.Passwords()->Clear();
  EXPECT_TRUE(TryZipPasswords(reader, buf, 0, crc, 0, lastGood));  // the last good one first

  // Asked three times at most; a right answer heads the list.
  lastGood.clear();
  std::vector<std::string> answers = {wrong(), wrong(), "right"};
  size_t asked = 0;
  reader.OnGetPassword = [&](TObject*, const std::string& FN, std::string& Password, bool& TryAgain) {
    EXPECT_EQ(FN, "x.txt");
    Password = answers[asked++];
    TryAgain = true;
  };
  EXPECT_TRUE(TryZipPasswords(reader, buf, 0, crc, 0, lastGood));
  EXPECT_EQ(asked, 3u);
  EXPECT_EQ(errors, (std::vector<int>{errInvalidPassword, errInvalidPassword}));
  ASSERT_EQ(reader.Passwords()->Count(), 1);
  EXPECT_EQ(reader.Passwords()->Strings(0), "right");

  reader.Passwords()->Clear();
  lastGood.clear();
  asked = 0;
  answers = {wrong(), wrong(), wrong()};
  EXPECT_FALSE(TryZipPasswords(reader, buf, 0, crc, 0, lastGood));
  EXPECT_EQ(asked, 3u);
  asked = 0;
  reader.OnGetPassword = [&](TObject*, const std::string&, std::string&, bool& TryAgain) {
    ++asked;
    TryAgain = false;
  };
  EXPECT_FALSE(TryZipPasswords(reader, buf, 0, crc, 0, lastGood));
  EXPECT_EQ(asked, 1u);
}
