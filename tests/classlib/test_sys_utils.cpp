#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "classlib/core/exception.h"
#include "classlib/core/sys_utils.h"
#include "temp_folder.h"

namespace {

// Restores the global separators after a test that changes them.
struct TSeparatorGuard {
  char Decimal = DecimalSeparator, Thousand = ThousandSeparator;
  ~TSeparatorGuard() {
    DecimalSeparator = Decimal;
    ThousandSeparator = Thousand;
  }
};

std::string ErrorOf(const std::function<void()>& F) {
  try {
    F();
  } catch (const Exception& E) {
    return E.Message();
  }
  return "<no error>";
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Format

TEST(Format, Specifiers) {
  struct Case {
    const char* Fmt;
    std::vector<TVarRec> Args;
    std::string Expected;
  } Cases[] = {
      {"%d", {42}, "42"},
      {"%5d|%-5d|", {42, 42}, "   42|42   |"},
      {"%.3d %.3d", {7, -7}, "007 -007"},
      {"%d", {static_cast<long long>(1) << 40}, "1099511627776"},
      {"%x %.4x %X", {255, 255, -1}, "FF 00FF FFFFFFFF"},
      {"%u", {-1}, "4294967295"},
      {"%s|%5s|%-5s|%.2s", {"abc", "ab", "ab", "abc"}, "abc|   ab|ab   |ab"},
      {"%s%s", {'c', std::string("d")}, "cd"},
      {"%1:s %0:s %s", {"a", "b"}, "b a b"},
      {"%*d|%-*.*f|", {5, 42, 8, 1, 2.25}, "   42|2.3     |"},
      {"%.0f %.0f %f", {2.5, -2.5, 1.005}, "3 -3 1.00"},
      {"%.1f", {0.05}, "0.1"},
      {"%e", {1234.5}, "1.23450000000000E+003"},
      {"%.3e", {-0.000123456}, "-1.23E-004"},
      {"%g %g %g %g", {1.5, 0.0001, 1e20, 0.00001}, "1.5 0.0001 1E020 1E-005"},
      {"%n", {1234567.891}, "1,234,567.89"},
      {"%m %m", {5.0, -5.0}, "$5.00 ($5.00)"},
      {"%f", {3}, "3.00"},
      {"%p", {reinterpret_cast<const void*>(0x1234)}, "00001234"},
      {"100%% %d%%", {5}, "100% 5%"},
      {"no args", {}, "no args"},
  };
  for (const Case& C : Cases) EXPECT_EQ(Format(C.Fmt, C.Args), C.Expected) << C.Fmt;
  EXPECT_EQ(Format("%s has %d files", {"C:\\", 3}), "C:\\ has 3 files");
}

TEST(Format, BadFormatsRaiseConvertError) {
  struct Case {
    const char* Fmt;
    std::vector<TVarRec> Args;
  } Cases[] = {
      {"%d", {"x"}}, {"%d", {1.5}}, {"%s", {1}}, {"%y", {1}}, {"%", {}},
      {"abc%5", {1}}, {"%p", {1}}, {"%*d", {"w", 1}}, {"%99999999999d", {1}},
  };
  for (const Case& C : Cases) EXPECT_THROW(Format(C.Fmt, C.Args), EConvertError) << C.Fmt;
  EXPECT_EQ(ErrorOf([] { Format("%d %d", {1}); }), "No argument for format '%d %d'");
  EXPECT_EQ(ErrorOf([] { Format("%d", {"x"}); }), "Format '%d' invalid or incompatible with argument");
}

// ---------------------------------------------------------------------------------------
// Numbers

TEST(Numbers, IntegerText) {
  EXPECT_EQ(IntToStr(-12345), "-12345");
  EXPECT_EQ(IntToStr(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
  EXPECT_EQ(IntToHex(static_cast<std::int64_t>(0x123456789A), 1), "123456789A");

  struct Case {
    const char* Text;
    bool Ok;
    int Value;
  } Cases[] = {
      {"123", true, 123},       {" 42", true, 42},          {"-17", true, -17},
      {"+5", true, 5},          {"$FF", true, 255},         {"0x1f", true, 31},
      {"0XFF", true, 255},      {"-$10", true, -16},        {"$FFFFFFFF", true, -1},
      {"2147483647", true, 2147483647}, {"-2147483648", true, std::numeric_limits<int>::min()},
      {"", false, 0},           {" ", false, 0},            {"12 ", false, 0},
      {"2147483648", false, 0}, {"$100000000", false, 0},   {"0x", false, 0},
      {"$", false, 0},          {"1.5", false, 0},          {"abc", false, 0},
      {"--1", false, 0},        {"12a", false, 0},          {"True", false, 0},
  };
  for (const Case& C : Cases) {
    int V = 0;
    EXPECT_EQ(TryStrToInt(C.Text, V), C.Ok) << C.Text;
    if (C.Ok) {
      EXPECT_EQ(V, C.Value) << C.Text;
    }
    EXPECT_EQ(StrToIntDef(C.Text, -99), C.Ok ? C.Value : -99) << C.Text;
  }
  EXPECT_EQ(ErrorOf([] { StrToInt("abc"); }), "'abc' is not a valid integer value");
  EXPECT_EQ(StrToInt64("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(StrToInt64("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(StrToInt64Def("9223372036854775808", 7), 7);
}

TEST(Numbers, FloatText) {
  struct Case {
    double Value;
    TFloatFormat Format;
    int Precision, Digits;
    const char* Expected;
  } Cases[] = {
      {1234.5678, ffFixed, 15, 2, "1234.57"},
      {1234.5678, ffNumber, 15, 2, "1,234.57"},
      {-1234567.0, ffNumber, 15, 0, "-1,234,567"},
      {1.23456, ffFixed, 3, 4, "1.2300"},
      {9.9999, ffFixed, 15, 2, "10.00"},
      {-0.001, ffFixed, 15, 2, "0.00"},
      {0.5, ffGeneral, 15, 0, "0.5"},
      {123456789012345.0, ffGeneral, 15, 0, "123456789012345"},
      {1e15, ffGeneral, 15, 0, "1E15"},
      {-1.5e-7, ffGeneral, 15, 0, "-1.5E-7"},
      {1.0 / 3, ffGeneral, 15, 0, "0.333333333333333"},
      {2.0 / 3, ffGeneral, 7, 0, "0.6666667"},
      {999.9999, ffGeneral, 4, 0, "1000"},
      {0.0, ffExponent, 4, 2, "0.000E+00"},
      {-12.5, ffExponent, 3, 1, "-1.25E+1"},
      {1.5, ffCurrency, 15, 2, "$1.50"},
      {std::nan(""), ffGeneral, 15, 0, "NAN"},
      {-std::numeric_limits<double>::infinity(), ffFixed, 15, 2, "-INF"},
  };
  for (const Case& C : Cases)
    EXPECT_EQ(FloatToStrF(C.Value, C.Format, C.Precision, C.Digits), C.Expected) << C.Expected;
  EXPECT_EQ(FloatToStr(0.1), "0.1");
  EXPECT_EQ(FloatToStr(100), "100");
  EXPECT_EQ(FloatToStr(1.5e300), "1.5E300");
  EXPECT_EQ(FloatToStr(-0.0), "0");
}

TEST(Numbers, TextToFloat) {
  // Head, then Zeros zeros, then Tail.
  auto Long = [](const char* Head, int Zeros, const char* Tail) { return Head + std::string(Zeros, '0') + Tail; };
  struct Case {
    std::string Text;
    bool Ok;
    double Value;
  } Cases[] = {
      {"1.5", true, 1.5},  {" -2.5e3 ", true, -2500}, {".5", true, 0.5},   {"5.", true, 5},
      {"+1E+2", true, 100}, {"1e-400", true, 0},      {"1e400", false, 0}, {"1,5", false, 0},
      {"", false, 0},      {"e5", false, 0},          {"1e", false, 0},    {"inf", false, 0},
      {"1.5x", false, 0},  {"- 1", false, 0},
      // Long mantissas: the exponent alone does not say whether the value is too large.
      {Long("1", 400, "e-10"), false, 0},   {Long("0.", 400, "1e-10"), true, 0},
      {Long("0.", 399, "1e400"), true, 1},  {Long("1", 400, "e-400"), true, 1},
      {Long("", 400, "1e-400"), true, 0},
      {Long("1", 10, "e-999999999999"), true, 0}, {Long("0.", 10, "1e999999999999"), false, 0},
  };
  for (const Case& C : Cases) {
    double V = -1;
    EXPECT_EQ(TryStrToFloat(C.Text, V), C.Ok) << C.Text;
    if (C.Ok) {
      EXPECT_DOUBLE_EQ(V, C.Value) << C.Text;
    }
  }
  EXPECT_EQ(ErrorOf([] { StrToFloat("x1"); }), "'x1' is not a valid floating point value");
  EXPECT_EQ(StrToFloatDef("bad", 2.5), 2.5);
}

TEST(Numbers, DecimalSeparatorIsHonoured) {
  TSeparatorGuard Guard;
  DecimalSeparator = ',';
  ThousandSeparator = ' ';
  EXPECT_EQ(FloatToStr(1.5), "1,5");
  EXPECT_EQ(FloatToStrF(12345.678, ffNumber, 15, 1), "12 345,7");
  EXPECT_EQ(Format("%.2f", {0.25}), "0,25");
  EXPECT_EQ(StrToFloat("1,25"), 1.25);
  EXPECT_THROW(StrToFloat("1.25"), EConvertError);
}

// ---------------------------------------------------------------------------------------
// Dates

TEST(DateTime, EncodeAndDecode) {
  struct Case {
    int Y, M, D;
    double Serial;
  } Cases[] = {
      {1899, 12, 30, 0}, {1900, 1, 1, 2}, {2000, 1, 1, 36526}, {1899, 12, 29, -1},
      {1, 1, 1, -693593}, {9999, 12, 31, 2958465}, {2000, 2, 29, 36585},
  };
  for (const Case& C : Cases) {
    EXPECT_EQ(EncodeDate(C.Y, C.M, C.D), C.Serial);
    int Y, M, D;
    DecodeDate(C.Serial, Y, M, D);
    EXPECT_EQ((std::vector<int>{Y, M, D}), (std::vector<int>{C.Y, C.M, C.D}));
  }
  // Every date in a long range survives decode and encode.
  for (int Serial = -693593; Serial <= 2958465; Serial += 37) {
    int Y, M, D;
    DecodeDate(Serial, Y, M, D);
    ASSERT_EQ(EncodeDate(Y, M, D), Serial);
  }
  for (auto Bad : std::vector<std::vector<int>>{{1900, 2, 29}, {2023, 13, 1}, {0, 1, 1}, {2023, 4, 31}, {10000, 1, 1}})
    EXPECT_THROW(EncodeDate(Bad[0], Bad[1], Bad[2]), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 0, 0, 1000), EConvertError);

  int H, Mi, S, Ms;
  DecodeTime(EncodeTime(23, 59, 59, 999), H, Mi, S, Ms);
  EXPECT_EQ((std::vector<int>{H, Mi, S, Ms}), (std::vector<int>{23, 59, 59, 999}));
  // A time a hair before midnight is midnight of the next day, never hour 24.
  const double Late = EncodeDate(2024, 2, 28) + 1 - 1e-10;
  DecodeTime(Late, H, Mi, S, Ms);
  EXPECT_EQ(H, 0);
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn", Late), "2024-02-29 00:00");
  // Before 1899-12-30 the fraction is still the time of that day.
  int Y, M, D;
  DecodeDate(-1.25, Y, M, D);
  DecodeTime(-1.25, H, Mi, S, Ms);
  EXPECT_EQ((std::vector<int>{Y, M, D, H}), (std::vector<int>{1899, 12, 29, 6}));
  EXPECT_EQ(DayOfWeek(EncodeDate(2024, 1, 1)), 2);  // a Monday
  EXPECT_EQ(DayOfWeek(0), 7);                       // a Saturday
  EXPECT_GT(Now(), EncodeDate(2020, 1, 1));
  EXPECT_EQ(Date(), std::trunc(Date()));
  EXPECT_THROW(FormatDateTime("c", 1e300), EConvertError);
  EXPECT_THROW(FormatDateTime("c", std::nan("")), EConvertError);
}

TEST(DateTime, FormatLetters) {
  const TDateTime T = EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45);
  struct Case {
    const char* Fmt;
    const char* Expected;
  } Cases[] = {
      {"yyyy-mm-dd hh:nn:ss.zzz", "2024-03-05 14:07:09.045"},
      {"d/m/yy", "5.3.24"},
      {"dddd, mmmm d", "Tuesday, March 5"},
      {"ddd mmm", "Tue Mar"},
      {"h:mm", "14:07"},
      {"hh:mm am/pm", "02:07 pm"},
      {"h:nn AM/PM", "2:07 PM"},
      {"h a/p", "2 p"},
      {"h ampm", "2 PM"},
      {"'yyyy' \"dd\" yyyy", "yyyy dd 2024"},
      {"c", "05.03.2024 14:07:09"},
      {"", "05.03.2024 14:07:09"},
      {"ddddd|dddddd", "05.03.2024|5 March 2024"},
      {"t|tt", "14:07|14:07:09"},
      {"z s n", "45 9 7"},
      {"YYYY MM DD", "2024 03 05"},
  };
  for (const Case& C : Cases) EXPECT_EQ(FormatDateTime(C.Fmt, T), C.Expected) << C.Fmt;
  EXPECT_EQ(FormatDateTime("c", EncodeDate(2024, 3, 5)), "05.03.2024");
  EXPECT_EQ(FormatDateTime("h:nn am/pm", EncodeTime(0, 30, 0, 0)), "12:30 am");
  // A format that names itself does not recurse for ever.
  std::string Saved = ShortDateFormat;
  ShortDateFormat = "c";
  EXPECT_NO_THROW(FormatDateTime("c", T));
  ShortDateFormat = Saved;
}

TEST(DateTime, DosFileDates) {
  const TDateTime T = EncodeDate(2001, 2, 3) + EncodeTime(4, 5, 7, 0);
  int Dos = DateTimeToFileDate(T);
  EXPECT_EQ(Dos, static_cast<int>(((21u << 9 | 2u << 5 | 3u) << 16) | (4u << 11 | 5u << 5 | 3u)));
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss", FileDateToDateTime(Dos)), "2001-02-03 04:05:06");  // 2 s steps
  EXPECT_EQ(DateTimeToFileDate(EncodeDate(1979, 12, 31)), 0);
  EXPECT_EQ(DateTimeToFileDate(EncodeDate(2108, 1, 1)), 0);
  EXPECT_EQ(FileDateToDateTime(DateTimeToFileDate(EncodeDate(2107, 12, 31))), EncodeDate(2107, 12, 31));
  EXPECT_THROW(FileDateToDateTime(0), EConvertError);  // month 0
  // Values that are no date at all are outside the range too.
  for (double Bad : {std::nan(""), std::numeric_limits<double>::infinity(), -1e10, 1e10})
    EXPECT_EQ(DateTimeToFileDate(Bad), 0) << Bad;
}

// ---------------------------------------------------------------------------------------
// Strings

TEST(Strings1251, TrimAndCase) {
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim("\t\r\n x\x01"), "x");
  EXPECT_EQ(TrimLeft("  a "), "a ");
  EXPECT_EQ(TrimRight("  a \t"), "  a");
  EXPECT_EQ(Trim(" \t "), "");
  // привет ёЖ abc ґєії -> ПРИВЕТ ЁЖ ABC ҐЄІЇ
  EXPECT_EQ(AnsiUpperCase("\xEF\xF0\xE8\xE2\xE5\xF2 \xB8\xC6 abc \xB4\xBA\xB3\xBF"),
            "\xCF\xD0\xC8\xC2\xC5\xD2 \xA8\xC6 ABC \xA5\xAA\xB2\xAF");
  EXPECT_EQ(AnsiLowerCase("\xCF\xD0\xC8\xC2\xC5\xD2 \xA8 XYZ"), "\xEF\xF0\xE8\xE2\xE5\xF2 \xB8 xyz");
  EXPECT_EQ(UpperCase("ab\xE0"), "AB\xE0");  // ASCII only
  // Case mapping is a consistent pairing over all bytes.
  for (int C = 0; C < 256; ++C) {
    char Ch = static_cast<char>(C);
    EXPECT_EQ(AnsiLowerChar(AnsiUpperChar(AnsiLowerChar(Ch))), AnsiLowerChar(Ch)) << C;
    EXPECT_TRUE(AnsiSameText(std::string(1, Ch), std::string(1, AnsiUpperChar(Ch)))) << C;
  }
}

TEST(Strings1251, AnsiOrder) {
  // _x 10 apple Zebra Апельсин Ель ёж Жук яблоко
  const std::vector<std::string> Sorted = {
      "_x", "10", "apple", "Zebra", "\xC0\xEF\xE5\xEB\xFC\xF1\xE8\xED", "\xC5\xEB\xFC", "\xB8\xE6", "\xC6\xF3\xEA",
      "\xFF\xE1\xEB\xEE\xEA\xEE"};
  std::vector<std::string> V(Sorted.rbegin(), Sorted.rend());
  std::sort(V.begin(), V.end(), [](const std::string& A, const std::string& B) { return AnsiCompareText(A, B) < 0; });
  EXPECT_EQ(V, Sorted);
  // Distinct letters never compare equal without case: 256 bytes, each its own class.
  std::set<std::string> Classes;
  for (int C = 0; C < 256; ++C) Classes.insert(AnsiUpperCase(std::string(1, static_cast<char>(C))));
  for (const std::string& A : Classes)
    for (const std::string& B : Classes)
      if (A != B) {
        ASSERT_NE(AnsiCompareText(A, B), 0) << int(static_cast<unsigned char>(A[0]));
      }

  EXPECT_EQ(AnsiCompareText("\xCF\xD0\xC8\xC2\xC5\xD2", "\xEF\xF0\xE8\xE2\xE5\xF2"), 0);
  EXPECT_LT(AnsiCompareStr("\xEF\xF0\xE8", "\xCF\xF0\xE8"), 0);  // при < При
  EXPECT_LT(AnsiCompareStr("a", "B"), 0);
  EXPECT_GT(AnsiCompareStr("B", "a"), 0);
  EXPECT_LT(AnsiCompareStr("ab", "Ab"), 0);
  EXPECT_LT(AnsiCompareStr("Ab", "ac"), 0);  // letters first, then case
  EXPECT_LT(AnsiCompareText("ab", "abc"), 0);
  EXPECT_EQ(CompareText("ABC", "abc"), 0);
  EXPECT_LT(CompareStr("B", "a"), 0);  // ordinal
}

TEST(Strings1251, QuotingReplaceAndPos) {
  EXPECT_EQ(QuotedStr("it's"), "'it''s'");
  EXPECT_EQ(AnsiQuotedStr("a\"b", '"'), "\"a\"\"b\"");
  struct Case {
    const char* In;
    const char* Out;
  } Dequote[] = {{"'it''s'", "it's"}, {"abc", "abc"}, {"'abc", "'abc"}, {"'a' tail", "a"}, {"''", ""}, {"", ""}};
  for (const Case& C : Dequote) EXPECT_EQ(AnsiDequotedStr(C.In, '\''), C.Out) << C.In;

  struct Rep {
    const char *S, *Old, *New;
    TReplaceFlags Flags;
    const char* Expected;
  } Reps[] = {
      {"aaa", "a", "aa", rfReplaceAll, "aaaaaa"},
      {"Hello hello", "hello", "X", rfReplaceAll | rfIgnoreCase, "X X"},
      {"Hello hello", "hello", "X", rfReplaceAll, "Hello X"},
      {"a.b.c", ".", "-", 0, "a-b.c"},
      {"abc", "", "x", rfReplaceAll, "abc"},
      {"\xCF\xF0\xE8 \xEF\xF0\xE8", "\xEF\xF0\xE8", "x", rfReplaceAll | rfIgnoreCase, "x x"},
  };
  for (const Rep& R : Reps) EXPECT_EQ(StringReplace(R.S, R.Old, R.New, R.Flags), R.Expected) << R.S;

  EXPECT_EQ(Pos("b", "abc"), 2);
  EXPECT_EQ(Pos("", "abc"), 0);
  EXPECT_EQ(Pos("x", "abc"), 0);
  EXPECT_EQ(LastDelimiter("\\:", "C:\\a\\b"), 5);
}

// ---------------------------------------------------------------------------------------
// File names

TEST(FileNames, Parts) {
  struct Case {
    const char *Name, *Path, *Dir, *File, *Ext, *Drive;
  } Cases[] = {
      {"C:\\dir\\file.txt", "C:\\dir\\", "C:\\dir", "file.txt", ".txt", "C:"},
      {"C:\\file", "C:\\", "C:\\", "file", "", "C:"},
      {"C:file.txt", "C:", "C:", "file.txt", ".txt", "C:"},
      {"\\\\server\\share\\dir\\a.b.c", "\\\\server\\share\\dir\\", "\\\\server\\share\\dir", "a.b.c", ".c",
       "\\\\server\\share"},
      {"file", "", "", "file", "", ""},
      {"dir.d\\file", "dir.d\\", "dir.d", "file", "", ""},
      {".profile", "", "", ".profile", ".profile", ""},
      {"C:\\dir\\", "C:\\dir\\", "C:\\dir", "", "", "C:"},
      {"\\top.txt", "\\", "\\", "top.txt", ".txt", ""},
  };
  for (const Case& C : Cases) {
    EXPECT_EQ(ExtractFilePath(C.Name), C.Path) << C.Name;
    EXPECT_EQ(ExtractFileDir(C.Name), C.Dir) << C.Name;
    EXPECT_EQ(ExtractFileName(C.Name), C.File) << C.Name;
    EXPECT_EQ(ExtractFileExt(C.Name), C.Ext) << C.Name;
    EXPECT_EQ(ExtractFileDrive(C.Name), C.Drive) << C.Name;
  }
  EXPECT_EQ(ChangeFileExt("C:\\a\\b.txt", ".bak"), "C:\\a\\b.bak");
  EXPECT_EQ(ChangeFileExt("C:\\a.d\\b", ".txt"), "C:\\a.d\\b.txt");
  EXPECT_EQ(ChangeFileExt("b.tar.gz", ""), "b.tar");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\a"), "C:\\a\\");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\a\\"), "C:\\a\\");
  EXPECT_EQ(ExcludeTrailingBackslash("C:\\a\\"), "C:\\a");
  EXPECT_EQ(ExcludeTrailingBackslash("C:\\"), "C:");
  EXPECT_EQ(ExtractRelativePath("C:\\a\\b\\", "C:\\a\\c\\f.txt"), "..\\c\\f.txt");
  EXPECT_EQ(ExtractRelativePath("C:\\a\\", "C:\\a\\b\\f.txt"), "b\\f.txt");
  EXPECT_EQ(ExtractRelativePath("C:\\A\\x.txt", "c:\\a\\f"), "f");
  EXPECT_EQ(ExtractRelativePath("C:\\a\\x.txt", "D:\\f.txt"), "D:\\f.txt");
}

TEST(FileNames, ExpandAgainstCurrentFolder) {
  TTempFolder T;
  std::string Saved = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(T.Path()));
  std::string Cur = GetCurrentDir();
  EXPECT_TRUE(AnsiSameText(ExcludeTrailingBackslash(Cur), T.Path())) << Cur;
  EXPECT_TRUE(AnsiSameText(ExpandFileName("x\\..\\y\\.\\z.txt"), T / "y\\z.txt"));
  EXPECT_TRUE(AnsiSameText(ExpandFileName(T / "a\\..\\b\\"), T / "b\\"));
  EXPECT_EQ(ExpandFileName(""), "");
  ASSERT_TRUE(SetCurrentDir(Saved));
}

// ---------------------------------------------------------------------------------------
// Files

TEST(Files, CreateRenameDeleteAndErrors) {
  TTempFolder T;
  const std::string A = T / "a.txt", B = T / "b.txt", Sub = T / "sub";
  THandle H = FileCreate(A);
  ASSERT_NE(H, INVALID_FILE_HANDLE);
  EXPECT_EQ(FileWrite(H, "hello", 5), 5);
  FileClose(H);
  EXPECT_TRUE(FileExists(A));
  EXPECT_FALSE(DirectoryExists(A));

  EXPECT_TRUE(CreateDir(Sub));
  EXPECT_FALSE(CreateDir(Sub));
  EXPECT_TRUE(DirectoryExists(Sub));
  EXPECT_FALSE(FileExists(Sub));
  EXPECT_FALSE(FileExists(T / "*.txt"));  // no wildcard expansion

  // Rename never replaces an existing file.
  H = FileCreate(B);
  FileClose(H);
  EXPECT_FALSE(RenameFile(A, B));
  EXPECT_TRUE(FileExists(A));
  EXPECT_TRUE(DeleteFile(B));
  EXPECT_TRUE(RenameFile(A, B));
  EXPECT_FALSE(FileExists(A));

  EXPECT_FALSE(DeleteFile(A));
  EXPECT_EQ(GetLastOSError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FileOpen(A, fmOpenRead), INVALID_FILE_HANDLE);
  EXPECT_EQ(GetLastOSError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FileOpen(T / "missing\\x.txt", fmOpenRead), INVALID_FILE_HANDLE);
  EXPECT_EQ(GetLastOSError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(FileOpen(A + std::string(1, '\0') + ".txt", fmOpenRead), INVALID_FILE_HANDLE);
  EXPECT_EQ(FileOpen(Sub, fmOpenRead), INVALID_FILE_HANDLE);  // a folder is not a file

  H = FileCreate(Sub + "\\x");
  FileClose(H);
  EXPECT_FALSE(RemoveDir(Sub));  // not empty
  EXPECT_TRUE(DeleteFile(Sub + "\\x"));
  EXPECT_TRUE(RemoveDir(Sub));
  EXPECT_FALSE(DirectoryExists(Sub));
}

// Identity, not spelling: a copy onto its own source must be recognised before it opens
// the target for writing, however the two names are written.
TEST(Files, SameFile) {
  TTempFolder T;
  const std::string A = T / "a.bak", B = T / "b.bak";
  for (const std::string& Name : {A, B}) FileClose(FileCreate(Name));
  ASSERT_TRUE(CreateDir(T / "sub"));
  EXPECT_TRUE(SameFile(A, A));
  EXPECT_TRUE(SameFile(A, T / "sub\\..\\a.bak"));
  EXPECT_TRUE(SameFile(A, T / ".\\a.bak"));
  EXPECT_FALSE(SameFile(A, B));
  EXPECT_FALSE(SameFile(A, T / "missing"));
  EXPECT_FALSE(SameFile(T / "missing", T / "missing"));
#ifdef _WIN32
  EXPECT_TRUE(SameFile(A, T / "A.BAK"));  // Windows names ignore case
#endif
}

TEST(Files, ReadOnlyFilesAreKept) {
  TTempFolder T;
  const std::string A = T / "ro.txt";
  THandle H = FileCreate(A);
  FileWrite(H, "keep", 4);
  FileClose(H);
  ASSERT_EQ(FileSetAttr(A, faReadOnly), 0);
  EXPECT_TRUE(FileGetAttr(A) & faReadOnly);
  EXPECT_EQ(FileCreate(A), INVALID_FILE_HANDLE);
  EXPECT_EQ(GetLastOSError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(FileOpen(A, fmOpenWrite), INVALID_FILE_HANDLE);
  EXPECT_FALSE(DeleteFile(A));
  H = FileOpen(A, fmOpenRead);
  ASSERT_NE(H, INVALID_FILE_HANDLE);
  char Buf[8] = {};
  EXPECT_EQ(FileRead(H, Buf, 8), 4);
  FileClose(H);
  EXPECT_EQ(std::string(Buf), "keep");
  ASSERT_EQ(FileSetAttr(A, 0), 0);
  EXPECT_FALSE(FileGetAttr(A) & faReadOnly);
  EXPECT_TRUE(DeleteFile(A));
}

TEST(Files, DatesAndCyrillicNames) {
  TTempFolder T;
  const std::string Name = T / "\xD4\xE0\xE9\xEB.txt";  // Файл.txt
  THandle H = FileCreate(Name);
  ASSERT_NE(H, INVALID_FILE_HANDLE);
  const int Age = DateTimeToFileDate(EncodeDate(2001, 2, 3) + EncodeTime(4, 5, 6, 0));
  EXPECT_EQ(FileSetDate(H, Age), 0);
  EXPECT_EQ(FileGetDate(H), Age);
  FileClose(H);
  EXPECT_EQ(FileAge(Name), Age);
  // On disk the name is the Unicode one, not raw 1251 bytes.
#ifdef _WIN32
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(Cp1251ToUtf16(Name))));
#else
  std::string Utf8 = Cp1251ToUtf8(Name);
  std::replace(Utf8.begin(), Utf8.end(), '\\', '/');
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(Utf8)));
#endif
  EXPECT_EQ(FileSetDate(Name, Age + 1), 0);  // +2 seconds
  EXPECT_EQ(FileAge(Name), Age + 1);
  EXPECT_EQ(FileAge(T.Path()), -1);  // a folder
  EXPECT_EQ(FileAge(T / "none"), -1);

  TSearchRec F;
  ASSERT_EQ(FindFirst(T / "*.TXT", faAnyFile, F), 0);
  EXPECT_EQ(F.Name, "\xD4\xE0\xE9\xEB.txt");
  EXPECT_EQ(F.Time, Age + 1);
  EXPECT_EQ(FindNext(F), ERROR_NO_MORE_FILES);
  FindClose(F);
}

TEST(Files, FindFirstFiltersByMaskAndAttributes) {
  TTempFolder T;
  for (const char* N : {"a.txt", "b.TXT", "c.dat", "noext"}) {
    THandle H = FileCreate(T / N);
    FileWrite(H, "12345", 5);
    FileClose(H);
  }
  ASSERT_TRUE(CreateDir(T / "sub"));
  auto Find = [&](const std::string& Mask, int Attr) {
    std::set<std::string> Names;
    TSearchRec F;
    for (int R = FindFirst(T / Mask, Attr, F); R == 0; R = FindNext(F)) Names.insert(F.Name);
    FindClose(F);
    return Names;
  };
  EXPECT_EQ(Find("*.txt", faAnyFile), (std::set<std::string>{"a.txt", "b.TXT"}));
  EXPECT_EQ(Find("*.*", 0), (std::set<std::string>{"a.txt", "b.TXT", "c.dat", "noext"}));
  EXPECT_EQ(Find("?.dat", 0), (std::set<std::string>{"c.dat"}));
  EXPECT_EQ(Find("*", faDirectory), (std::set<std::string>{".", "..", "a.txt", "b.TXT", "c.dat", "noext", "sub"}));

  TSearchRec F;
  ASSERT_EQ(FindFirst(T / "c.dat", faAnyFile, F), 0);
  EXPECT_EQ(F.Size, 5);
  EXPECT_TRUE(F.Attr & faArchive);
  EXPECT_FALSE(F.Attr & faDirectory);
  FindClose(F);
  ASSERT_EQ(FindFirst(T / "sub", faDirectory, F), 0);
  EXPECT_TRUE(F.Attr & faDirectory);
  FindClose(F);
  EXPECT_EQ(FindFirst(T / "*.zzz", faAnyFile, F), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FindFirst(T / "none\\*.*", faAnyFile, F), ERROR_PATH_NOT_FOUND);
}

TEST(Files, SystemErrors) {
  std::string M = SysErrorMessage(ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(M.empty());
  EXPECT_NE(M.back(), '.');
  try {
    RaiseLastOSError(ERROR_ACCESS_DENIED);
    FAIL();
  } catch (const EOSError& E) {
    EXPECT_EQ(E.ErrorCode, 5u);
    EXPECT_EQ(E.Message(), "System Error.  Code: 5.\r\n" + SysErrorMessage(5));
  }
  EXPECT_THROW(Abort(), EAbort);
}
