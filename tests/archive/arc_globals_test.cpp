#include "archive/core/arc_globals.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

TEST(ArcChecksums, KnownValues) {
  uint32_t crc = 0xFFFFFFFF;
  UpdateCrc32("abc", 3, crc);
  EXPECT_EQ(~crc, 0x352441C2u);
  crc = 0xFFFFFFFF;
  UpdateCrc32("123456789", 9, crc);
  EXPECT_EQ(~crc, 0xCBF43926u);
  uint32_t crc16 = 0;
  UpdateCrc16("abc", 3, crc16);
  EXPECT_EQ(crc16, 0x9738u);
  crc16 = 0;
  UpdateCrc16("123456789", 9, crc16);
  EXPECT_EQ(crc16, 0xBB3Du);
}

TEST(ArcChecksums, BlockCrcEqualsByteCrcAtEveryLengthAndSplit) {
  std::vector<uint8_t> data(300);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 131 + 7);
  for (size_t len : {0, 1, 7, 8, 9, 15, 16, 17, 63, 300}) {
    uint32_t bytewise = 0xFFFFFFFF;
    for (size_t i = 0; i < len; ++i) bytewise = UpdateCrc32Byte(data[i], bytewise);
    for (size_t split : {size_t(0), len / 3, len}) {
      uint32_t blocks = 0xFFFFFFFF;
      UpdateCrc32(data.data(), split, blocks);
      UpdateCrc32(data.data() + split, len - split, blocks);
      EXPECT_EQ(blocks, bytewise) << "len " << len << " split " << split;
    }
  }
}

// Both ways of the block CRC against the byte CRC: lengths around the 16-byte steps and
// the 64-byte folds, unaligned starts, any running value.
TEST(ArcChecksums, TablesAndFoldingAgreeWithTheByteCrc) {
  std::vector<uint8_t> data(4200);
  uint32_t seed = 12345;
  for (auto& b : data) b = uint8_t((seed = seed * 1103515245 + 12345) >> 16);
  for (size_t len : {0, 15, 16, 17, 63, 64, 65, 79, 127, 128, 129, 255, 256, 257, 1000, 4096, 4195}) {
    for (size_t at : {0, 1, 3}) {
      for (uint32_t start : {0xFFFFFFFFu, 0u, 0x12345678u}) {
        uint32_t bytewise = start;
        for (size_t i = 0; i < len; ++i) bytewise = UpdateCrc32Byte(data[at + i], bytewise);
        uint32_t tables = start, folded = start, any = start;
        UpdateCrc32Tables(data.data() + at, len, tables);
        EXPECT_EQ(tables, bytewise) << "tables, len " << len << " at " << at;
        if (UpdateCrc32Clmul(data.data() + at, len, folded)) {
          EXPECT_EQ(folded, bytewise) << "folding, len " << len << " at " << at;
        }
        UpdateCrc32(data.data() + at, len, any);
        EXPECT_EQ(any, bytewise) << "len " << len << " at " << at;
      }
    }
  }
}

TEST(ArcGlobals, CalcProgress) {
  struct {
    int64_t done, total;
    int expected;
  } cases[] = {{50, 200, 25}, {1, 3, 33}, {2, 3, 67}, {1, 8, 12}, {3, 8, 38}, {300, 200, 100},
               {5, 0, 0},     {5, -1, 0}, {0, 10, 0}, {-5, 10, 0}, {4000000000LL, 4000000000LL, 100}};
  for (auto& c : cases) {
    EXPECT_EQ(CalcProgress(c.done, c.total), c.expected) << c.done << "/" << c.total;
    EXPECT_EQ(ArcEngineNow().ProgressPercent, c.expected);
  }
}

TEST(ArcGlobals, OctalFieldsAndPathHelpers) {
  EXPECT_EQ(OctalStrToInt("0000644 "), 420);
  EXPECT_EQ(OctalStrToInt(""), 0);
  EXPECT_EQ(OctalStrToInt(" 17\0"), 15);
  EXPECT_EQ(OctalStrToInt("00000001750"), 1000);
  EXPECT_EQ(OctalStrToInt("9x8"), 0);

  struct {
    const char *name, *ext, *expected;
  } ext[] = {{"a.b.c", ".uue", "a.uue"},
             {"noext", ".zip", "noext.zip"},
             {"C:\\v1.2\\a.txt", ".uue", "C:\\v1.2\\a.uue"},
             {"C:\\v1.2\\setup.exe", ".ZIP", "C:\\v1.2\\setup.ZIP"},
             {"dir.d/name", ".x", "dir.d/name.x"}};
  for (auto& c : ext) EXPECT_EQ(ReplaceFileExt(c.name, c.ext), c.expected) << c.name;

  EXPECT_EQ(SlashToBackslash("a/b\\c/"), "a\\b\\c\\");
  EXPECT_EQ(BackslashToSlash("a/b\\c\\"), "a/b/c/");
  EXPECT_EQ(AddBackslash(""), "");
  EXPECT_EQ(AddBackslash("C:\\x"), "C:\\x\\");
  EXPECT_EQ(AddBackslash("C:\\x\\"), "C:\\x\\");
  EXPECT_EQ(ArcExtractFileExt("C:\\v1.2\\name"), "");
  EXPECT_EQ(ArcExtractFileExt("dir/a.tar.gz"), ".gz");
  EXPECT_EQ(ArcExtractFilePath("C:\\dir\\a.txt"), "C:\\dir\\");
  EXPECT_EQ(ArcExtractFileName("C:a.txt"), "a.txt");
  EXPECT_EQ(MinInt(-3, 2), -3);
  EXPECT_EQ(SwapWords(0x12345678u), 0x56781234u);
}

TEST(ArcGlobals, DosDates) {
  EXPECT_EQ(DosDateToDateTime(0), 29221.0);
  // 3 February 2001, 04:05:06: date 0x2A43, time 0x20A3.
  const double expected = 36925.0 + (4 * 3600 + 5 * 60 + 6) / 86400.0;
  EXPECT_NEAR(DosDateToDateTime(0x2A4320A3u), expected, 1e-9);
  EXPECT_EQ(DosDateToDateTime(0x2A0320A3u), 29221.0);  // month 0
  EXPECT_EQ(DosDateToDateTime(0x2A5D20A3u), 29221.0);  // 29 February 2001
  EXPECT_EQ(DosDateToDateTime(0x2A43C0A3u), 29221.0);  // hour 24
  EXPECT_EQ(DosDateToDateTime(0x2A43201Eu), 29221.0);  // 60 seconds
  EXPECT_NEAR(DosDateToDateTime(0x285D0000u), 36585.0, 1e-9);  // 29 February 2000
}

namespace {
struct TBiasPin {
  explicit TBiasPin(int32_t Bias) : Saved(ArcTimeZoneBias) { ArcTimeZoneBias = [Bias](int64_t) { return Bias; }; }
  ~TBiasPin() { ArcTimeZoneBias = Saved; }
  std::function<int32_t(int64_t)> Saved;
};
}  // namespace

TEST(ArcGlobals, UnixDates) {
  const double minute = 1.0 / 1440;
  struct {
    int32_t bias, seconds;
    double expected;
  } cases[] = {
      {0, 0, 29221.0 + minute},
      {-180, 0, 29221.0 + minute},              // whatever the zone
      {0, 946684800, 36526.0},                  // 1 January 2000 00:00 UTC
      {-180, 946684800, 36526.0 + 3.0 / 24},    // three hours east
      {60, 946684800, 36525.0 + 23.0 / 24},     // an hour west, in minutes
      {3, 946684800, 36525.0 + 21.0 / 24},      // a small bias counts as hours
      {0, -946684800, 36526.0},                 // the sign is dropped
      {0, 951782400, 36585.0},                  // 29 February 2000
      {0, 2147483647, 50424.0 + (3 * 3600 + 14 * 60 + 7) / 86400.0},
  };
  for (auto& c : cases) {
    TBiasPin pin(c.bias);
    EXPECT_NEAR(UnixDateToDateTime(c.seconds), c.expected, 1e-9) << c.bias << " " << c.seconds;
  }
}

namespace {
void SetZone(const char* Zone) {
#ifdef _WIN32
  _putenv((std::string("TZ=") + Zone).c_str());
  _tzset();
#else
  if (*Zone)
    setenv("TZ", Zone, 1);
  else
    unsetenv("TZ");
  tzset();
#endif
}
}  // namespace

TEST(ArcGlobals, DefaultBiasFollowsTimeZone) {
  SetZone("MSK-3");
  EXPECT_EQ(DefaultTimeZoneBias(946684800), -180);
  SetZone("");
}

TEST(ArcGlobals, UnixDatesTakeTheOffsetOfTheirOwnDate) {
  // Central European time: an hour east in winter, two in summer. Each date converts
  // with the offset in force at that date, whatever the season of the run.
  const int32_t Winter = 1579046400, Summer = 1594771200;  // 15 January and 15 July 2020, 00:00 UTC
  {
    const auto Saved = ArcTimeZoneBias;
    ArcTimeZoneBias = [](int64_t At) { return At >= 1585443600 && At < 1603587600 ? -120 : -60; };
    EXPECT_NEAR(UnixDateToDateTime(Winter), 43845.0 + 1.0 / 24, 1e-9);
    EXPECT_NEAR(UnixDateToDateTime(Summer), 44027.0 + 2.0 / 24, 1e-9);
    ArcTimeZoneBias = Saved;
  }
#ifndef _WIN32
  // The C library's own zone rules give the same (Wine's runtime keeps one offset for a
  // TZ variable, so this half runs natively).
  SetZone("CET-1CEST");
  EXPECT_EQ(DefaultTimeZoneBias(Winter), -60);
  EXPECT_EQ(DefaultTimeZoneBias(Summer), -120);
  EXPECT_NEAR(UnixDateToDateTime(Winter), 43845.0 + 1.0 / 24, 1e-9);
  EXPECT_NEAR(UnixDateToDateTime(Summer), 44027.0 + 2.0 / 24, 1e-9);
  SetZone("");
#endif
}

TEST(ArcGlobals, ErrorTexts) {
  struct {
    int id;
    const char* text;
  } cases[] = {{25108, "Bad file header"},
               {25136, "Error writing to file"},
               {25156, "is not accessible."},
               {25240, "Line found before 'BEGIN'"},
               {25248, "Inconsistant local header"},
               {25255, "Uninitialized TMemoryStream object"},
               {25292, "Ambiguous Shannon-Fano decode tree encountered"},
               {26517, "Invalid password"},
               {26999, "Nothing to do"},
               {12345, ""}};
  for (auto& c : cases) EXPECT_EQ(ArcErrorText(c.id), c.text) << c.id;
  E_RAISE e(errInconsistentLocalHeader);
  EXPECT_STREQ(e.what(), "Inconsistant local header");
  EXPECT_EQ(e.ECode, 25248);
  EXPECT_EQ(DriveNotReadyText('a', "The device is not ready."),
            "A:\\ is not accessible.\r\n\r\nThe device is not ready.");
}

TEST(ArcGlobals, OemAnsiNames) {
  // "Привет/мир" in 866 and in 1251; the separators become '\'.
  const std::string oem = "\x8F\xE0\xA8\xA2\xA5\xE2/\xAC\xA8\xE0.txt";
  const std::string ansi = "\xCF\xF0\xE8\xE2\xE5\xF2\\\xEC\xE8\xF0.txt";
  EXPECT_EQ(OemToAnsiName(oem), ansi);
  EXPECT_EQ(AnsiToOemName("\xCF\xF0\xE8\xE2\xE5\xF2/\xEC\xE8\xF0.txt"), "\x8F\xE0\xA8\xA2\xA5\xE2\\\xAC\xA8\xE0.txt");
  EXPECT_EQ(OemToAnsiName("dir/a.txt"), "dir\\a.txt");
  EXPECT_EQ(AnsiToOemName(""), "");
}
