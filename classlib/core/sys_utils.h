// String, number, date and file helpers shared by the whole program.
//
// Strings are 1251 byte strings; positions count from 1 where the helpers return them.
// Paths use "\" as the separator and may start with a drive ("C:") or a UNC name
// ("\\server\share"). On Linux (the native test build) "\" becomes "/" at the file-system
// boundary and names are converted 1251 <-> UTF-8 there.
//
// Win32 units: <windows.h> defines DeleteFile as a macro; this header removes it when
// windows.h came first (the wide API is then DeleteFileW by name).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// ---------------------------------------------------------------------------------------
// Formatting settings. Deterministic defaults; the Win32 start-up may fill them from the
// user's locale.
extern char DecimalSeparator;
extern char ThousandSeparator;
extern char DateSeparator;
extern char TimeSeparator;
extern std::string ShortDateFormat;  // "dd.mm.yyyy"
extern std::string LongDateFormat;   // "d mmmm yyyy"
extern std::string ShortTimeFormat;  // "h:nn"
extern std::string LongTimeFormat;   // "hh:nn:ss"
extern std::string TimeAMString;     // "AM"
extern std::string TimePMString;     // "PM"
extern std::string ShortMonthNames[12];
extern std::string LongMonthNames[12];
extern std::string ShortDayNames[7];  // Sunday first
extern std::string LongDayNames[7];
extern std::string CurrencyString;  // "$"
extern int CurrencyFormat;          // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
// 0 ($1), 1 -$1, 2 $-1, 3 $1-, 4 (1$), 5 -1$, 6 1-$, 7 1$-, 8 -1 $, 9 -$ 1, 10 1 $-,
// 11 $ 1-, 12 $ -1, 13 1- $, 14 ($ 1), 15 (1 $)
extern int NegCurrFormat;
extern int CurrencyDecimals;        // 2

// ---------------------------------------------------------------------------------------
// Format: "%" [index ":"] ["-"] [width] ["." precision] type, with type one of
// d u x e f g n m p s (case-insensitive); index, width and precision may be "*" (taken
// from the arguments). "%%" is a percent sign. Errors raise EConvertError.
//   Format("%s has %d files", {Name, Count})
class TVarRec {
public:
  enum TKind { vtInteger, vtInt64, vtExtended, vtString, vtChar, vtPointer };
  TVarRec(int V) : Kind(vtInteger), I(V) {}
  TVarRec(unsigned V) : Kind(vtInt64), I(V) {}
  TVarRec(long V) : Kind(sizeof(long) == 4 ? vtInteger : vtInt64), I(V) {}
  TVarRec(unsigned long V) : Kind(vtInt64), I(static_cast<std::int64_t>(V)) {}
  TVarRec(long long V) : Kind(vtInt64), I(V) {}
  TVarRec(unsigned long long V) : Kind(vtInt64), I(static_cast<std::int64_t>(V)) {}
  TVarRec(double V) : Kind(vtExtended), D(V) {}
  TVarRec(char V) : Kind(vtChar), S(1, V) {}
  TVarRec(const char* V) : Kind(vtString), S(V ? V : "") {}
  TVarRec(std::string V) : Kind(vtString), S(std::move(V)) {}
  TVarRec(std::string_view V) : Kind(vtString), S(V) {}
  TVarRec(const void* V) : Kind(vtPointer), P(V) {}
  TVarRec(bool) = delete;  // no Boolean format type: say IntToStr or a text instead

  TKind Kind;
  std::int64_t I = 0;
  double D = 0;
  std::string S;
  const void* P = nullptr;
};

std::string Format(std::string_view Fmt, std::initializer_list<TVarRec> Args = {});
// The same with arguments gathered at run time.
std::string Format(std::string_view Fmt, const std::vector<TVarRec>& Args);
std::string Format(std::string_view Fmt, const TVarRec* Args, int Count);

// ---------------------------------------------------------------------------------------
// Integers.
std::string IntToStr(std::int64_t Value);
// Upper-case hexadecimal, at least Digits digits; a negative int is shown as 32 bits.
std::string IntToHex(int Value, int Digits);
std::string IntToHex(std::int64_t Value, int Digits);
// Decimal, or hexadecimal after "$" / "0x" (sign allowed before it); leading blanks are
// allowed. Hex up to FFFFFFFF is accepted and wraps as 32 bits. EConvertError
// "'%s' is not a valid integer value" otherwise.
int StrToInt(const std::string& S);
int StrToIntDef(const std::string& S, int Default);
bool TryStrToInt(const std::string& S, int& Value);
std::int64_t StrToInt64(const std::string& S);
std::int64_t StrToInt64Def(const std::string& S, std::int64_t Default);
bool TryStrToInt64(const std::string& S, std::int64_t& Value);

// ---------------------------------------------------------------------------------------
// Floating point.
enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
// ffGeneral: shortest of fixed and scientific with Precision significant digits (Digits =
// minimum exponent digits); ffExponent: d.ddd...E+dddd; ffFixed/ffNumber: Digits decimals
// (ffNumber with thousand separators); ffCurrency: CurrencyString layouts.
std::string FloatToStrF(double Value, TFloatFormat Format, int Precision, int Digits);
std::string FloatToStr(double Value);  // ffGeneral, 15, 0
// Blanks around the number are allowed; DecimalSeparator is the decimal point.
// EConvertError "'%s' is not a valid floating point value" otherwise.
double StrToFloat(const std::string& S);
double StrToFloatDef(const std::string& S, double Default);
bool TryStrToFloat(const std::string& S, double& Value);

// ---------------------------------------------------------------------------------------
// Date and time: days since 1899-12-30, the fraction being the time of day.
using TDateTime = double;
constexpr int HoursPerDay = 24;
constexpr int MinsPerDay = 24 * 60;
constexpr int SecsPerDay = MinsPerDay * 60;
constexpr int MSecsPerDay = SecsPerDay * 1000;

bool IsLeapYear(int Year);
int DaysInMonth(int Year, int Month);
// EConvertError "Invalid argument to date encode" / "... time encode" for bad parts.
TDateTime EncodeDate(int Year, int Month, int Day);
TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec);
bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Date);
bool TryEncodeTime(int Hour, int Min, int Sec, int MSec, TDateTime& Time);
void DecodeDate(TDateTime Date, int& Year, int& Month, int& Day);
void DecodeTime(TDateTime Time, int& Hour, int& Min, int& Sec, int& MSec);
int DayOfWeek(TDateTime Date);  // 1 = Sunday .. 7 = Saturday
TDateTime Now();                // local time
TDateTime Date();
TDateTime Time();
// Format letters: c d dd ddd dddd ddddd dddddd m mm mmm mmmm yy yyyy h hh n nn s ss z zzz
// t tt am/pm a/p ampm / : 'literal' "literal"; m right after h or hh means minutes.
// An empty format means "c".
std::string FormatDateTime(std::string_view Fmt, TDateTime DateTime);
std::string DateToStr(TDateTime Date);
std::string TimeToStr(TDateTime Time);
std::string DateTimeToStr(TDateTime DateTime);

// ---------------------------------------------------------------------------------------
// Strings.
std::string Trim(std::string_view S);  // removes characters up to ' ' at both ends
std::string TrimLeft(std::string_view S);
std::string TrimRight(std::string_view S);
// 1251 case mapping by table (Latin and Cyrillic letters, Ё and the other Cyrillic pairs).
char AnsiUpperChar(char C);
char AnsiLowerChar(char C);
std::string AnsiUpperCase(std::string_view S);
std::string AnsiLowerCase(std::string_view S);
std::string UpperCase(std::string_view S);  // ASCII letters only
std::string LowerCase(std::string_view S);
// Linguistic 1251 order: symbols, digits, Latin, then Cyrillic (Ё after Е). Negative,
// zero or positive. CompareStr puts lower case before upper case on a tie of letters.
int AnsiCompareText(std::string_view S1, std::string_view S2);
int AnsiCompareStr(std::string_view S1, std::string_view S2);
bool AnsiSameText(std::string_view S1, std::string_view S2);
bool AnsiSameStr(std::string_view S1, std::string_view S2);
// Ordinal byte comparisons (CompareText folds ASCII letters only).
int CompareStr(std::string_view S1, std::string_view S2);
int CompareText(std::string_view S1, std::string_view S2);
bool SameText(std::string_view S1, std::string_view S2);

std::string QuotedStr(std::string_view S);  // 'S' with inner ' doubled
std::string AnsiQuotedStr(std::string_view S, char Quote);
// The text inside the leading quote (doubled quotes made single); S itself when it does
// not start with Quote or the closing quote is missing.
std::string AnsiDequotedStr(std::string_view S, char Quote);

enum TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
using TReplaceFlags = unsigned;
std::string StringReplace(std::string_view S, std::string_view OldPattern, std::string_view NewPattern,
                          TReplaceFlags Flags);
int Pos(std::string_view Substr, std::string_view S);  // 1-based, 0 when absent or Substr empty
// The last position (1-based) of a character of Delimiters in S, 0 when none.
int LastDelimiter(std::string_view Delimiters, std::string_view S);

// ---------------------------------------------------------------------------------------
// File names ("\" separator, "C:" drives, "\\server\share" UNC names).
std::string ExtractFilePath(std::string_view FileName);  // up to and with the last "\" or ":"
std::string ExtractFileDir(std::string_view FileName);   // the same without a trailing "\" (roots keep it)
std::string ExtractFileName(std::string_view FileName);
std::string ExtractFileExt(std::string_view FileName);  // with the dot; "" when none
std::string ExtractFileDrive(std::string_view FileName);  // "C:" or "\\server\share"
std::string ChangeFileExt(std::string_view FileName, std::string_view Extension);
std::string IncludeTrailingBackslash(std::string_view S);
std::string ExcludeTrailingBackslash(std::string_view S);
bool IsPathDelimiter(std::string_view S, int Index);  // 1-based
// An absolute name with "." and ".." resolved against the current folder.
std::string ExpandFileName(std::string_view FileName);
// DestName relative to the folder of BaseName (BaseName ends with "\" for a folder);
// DestName itself when the drives differ.
std::string ExtractRelativePath(std::string_view BaseName, std::string_view DestName);

// ---------------------------------------------------------------------------------------
// Files. Handles are the system's file handles; INVALID_FILE_HANDLE marks a failure, and
// GetLastOSError then says why (Windows error codes on every platform).
using THandle = std::intptr_t;
constexpr THandle INVALID_FILE_HANDLE = -1;

constexpr unsigned fmOpenRead = 0x0000;
constexpr unsigned fmOpenWrite = 0x0001;
constexpr unsigned fmOpenReadWrite = 0x0002;
constexpr unsigned fmShareCompat = 0x0000;  // as exclusive
constexpr unsigned fmShareExclusive = 0x0010;
constexpr unsigned fmShareDenyWrite = 0x0020;
constexpr unsigned fmShareDenyRead = 0x0030;
constexpr unsigned fmShareDenyNone = 0x0040;
constexpr unsigned fmCreate = 0xFF00;  // may be combined with a share mode

constexpr int faReadOnly = 0x01;
constexpr int faHidden = 0x02;
constexpr int faSysFile = 0x04;
constexpr int faVolumeID = 0x08;
constexpr int faDirectory = 0x10;
constexpr int faArchive = 0x20;
constexpr int faAnyFile = 0x3F;
// A link (Windows reparse point, Linux symbolic link); found entries carry it, and a
// link to a folder carries faDirectory as well.
constexpr int faSymLink = 0x400;

// Windows error codes used across platforms (windows.h, when it came first, has them as
// macros of the same values).
#ifndef ERROR_FILE_NOT_FOUND
constexpr int ERROR_FILE_NOT_FOUND = 2;
#endif
#ifndef ERROR_PATH_NOT_FOUND
constexpr int ERROR_PATH_NOT_FOUND = 3;
#endif
#ifndef ERROR_ACCESS_DENIED
constexpr int ERROR_ACCESS_DENIED = 5;
#endif
#ifndef ERROR_NO_MORE_FILES
constexpr int ERROR_NO_MORE_FILES = 18;
#endif

constexpr int soFromBeginning = 0;
constexpr int soFromCurrent = 1;
constexpr int soFromEnd = 2;

THandle FileOpen(const std::string& FileName, unsigned Mode);
// Creates or truncates; Mode may carry a share mode (exclusive by default).
THandle FileCreate(const std::string& FileName, unsigned Mode = 0);
int FileRead(THandle Handle, void* Buffer, int Count);  // -1 on failure
int FileWrite(THandle Handle, const void* Buffer, int Count);
std::int64_t FileSeek(THandle Handle, std::int64_t Offset, int Origin);  // -1 on failure
bool FileTruncate(THandle Handle, std::int64_t Size);
void FileClose(THandle Handle);

// DOS packed dates (local time): the date in the high word, the time in the low word.
int FileAge(const std::string& FileName);  // -1 when missing, a folder or before 1980
int FileGetDate(THandle Handle);           // -1 on failure
int FileSetDate(THandle Handle, int Age);  // 0 or an error code
int FileSetDate(const std::string& FileName, int Age);
TDateTime FileDateToDateTime(int FileDate);  // EConvertError for an invalid date
int DateTimeToFileDate(TDateTime DateTime);  // 0 outside 1980..2107
int FileGetAttr(const std::string& FileName);  // fa* bits, -1 on failure
int FileSetAttr(const std::string& FileName, int Attr);  // 0 or an error code

bool FileExists(const std::string& FileName);  // files only, not folders
// True when both names lead to one existing file (other spellings, case, short names,
// links): a copy onto it would destroy its own source.
bool SameFile(const std::string& A, const std::string& B);
bool DirectoryExists(const std::string& Name);
bool CreateDir(const std::string& Dir);
bool RemoveDir(const std::string& Dir);
#ifdef DeleteFile
#undef DeleteFile
#endif
bool DeleteFile(const std::string& FileName);
bool RenameFile(const std::string& OldName, const std::string& NewName);
std::string GetCurrentDir();
bool SetCurrentDir(const std::string& Dir);

struct TSearchRec {
  int Time = 0;  // DOS packed date, 0 when not representable
  std::int64_t Size = 0;
  int Attr = 0;
  std::string Name;
  int ExcludeAttr = 0;
  std::shared_ptr<void> FindHandle;  // the open search
};
// Path is a folder and a mask with "*" and "?" ("C:\dir\*.*"); entries whose hidden,
// system, folder or volume bits are not in Attr are skipped. 0 or an error code.
int FindFirst(const std::string& Path, int Attr, TSearchRec& F);
int FindNext(TSearchRec& F);  // ERROR_NO_MORE_FILES at the end
void FindClose(TSearchRec& F);

// ---------------------------------------------------------------------------------------
// System errors.
int GetLastOSError();
std::string SysErrorMessage(int ErrorCode);  // the system's text, trailing dots removed
// EOSError "System Error.  Code: %d.\r\n%s".
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(int ErrorCode);
