#include "archive/core/arc_globals.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <new>

#include "classlib/core/code_page.h"
#include "classlib/core/sys_utils.h"

namespace {
thread_local TArcEngineState* tRunning = nullptr;
}  // namespace

TArcEngineState& ArcEngineNow() {
  if (tRunning) return *tRunning;
  // A thread's state between runs, made on first use and never destroyed: MinGW may free a
  // thread's storage before it runs the destructors of thread-local objects, so none here
  // has one. Its callbacks stay empty, so it holds no memory of its own.
  alignas(TArcEngineState) thread_local unsigned char IdleStore[sizeof(TArcEngineState)];
  thread_local TArcEngineState* Idle = nullptr;
  if (!Idle) Idle = new (IdleStore) TArcEngineState;
  return *Idle;
}

TArcEngineScope::TArcEngineScope(TArcEngineState& State) : FSaved(tRunning) { tRunning = &State; }
TArcEngineScope::~TArcEngineScope() { tRunning = FSaved; }

bool ArcWriteOutput(TArcFile& F, const void* Buf, int32_t& Count) {
  if (!ArcEngineNow().WriteOutput) {
    Count = 0;
    return false;
  }
  return ArcEngineNow().WriteOutput(F, Buf, Count);
}

void ArcReportProgress(uint8_t Percent) {
  if (ArcEngineNow().ReportProgress) ArcEngineNow().ReportProgress(Percent);
}

// ---- Checksums -------------------------------------------------------------------------

namespace {

constexpr std::array<uint16_t, 256> MakeCrc16Table() {
  std::array<uint16_t, 256> T{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xA001u ^ (c >> 1) : c >> 1;
    T[n] = static_cast<uint16_t>(c);
  }
  return T;
}

constexpr std::array<uint16_t, 256> Crc16Table = MakeCrc16Table();

}  // namespace

void UpdateCrc16(const void* Buf, size_t Len, uint32_t& Crc) {
  const uint8_t* p = static_cast<const uint8_t*>(Buf);
  uint32_t c = Crc;
  while (Len--) c = Crc16Table[(c ^ *p++) & 0xFF] ^ (c >> 8);
  Crc = c;
}

// ---- Progress --------------------------------------------------------------------------

uint8_t CalcProgress(int64_t Done, int64_t Total) {
  uint8_t percent = 0;
  if (Total > 0) {
    double v = std::nearbyint(double(Done) * 100.0 / double(Total));  // halves to even
    percent = v >= 100.0 ? 100 : v <= 0.0 ? 0 : static_cast<uint8_t>(v);
  }
  ArcEngineNow().ProgressPercent = percent;
  return percent;
}

// ---- Names and paths -------------------------------------------------------------------

std::string AnsiToOemName(const std::string& Name) { return SlashToBackslash(Cp1251ToCp866(Name)); }

std::string OemToAnsiName(const std::string& Name) { return SlashToBackslash(Cp866ToCp1251(Name)); }

std::string SlashToBackslash(std::string S) {
  for (char& c : S)
    if (c == '/') c = '\\';
  return S;
}

std::string BackslashToSlash(std::string S) {
  for (char& c : S)
    if (c == '\\') c = '/';
  return S;
}

std::string AddBackslash(const std::string& S) {
  if (S.empty() || S.back() == '\\') return S;
  return S + '\\';
}

namespace {
// Index just after the last separator or drive colon: the start of the name part.
size_t NameStart(const std::string& Name) {
  size_t p = Name.find_last_of("\\/:");
  return p == std::string::npos ? 0 : p + 1;
}
}  // namespace

std::string ArcExtractFilePath(const std::string& Name) { return Name.substr(0, NameStart(Name)); }

std::string ArcExtractFileName(const std::string& Name) { return Name.substr(NameStart(Name)); }

std::string ArcExtractFileExt(const std::string& Name) {
  size_t start = NameStart(Name);
  size_t dot = Name.rfind('.');
  if (dot == std::string::npos || dot < start) return {};
  return Name.substr(dot);
}

std::string ReplaceFileExt(const std::string& Name, const std::string& NewExt) {
  // The dot is looked for in the name part only: "C:\v1.2\a.txt" keeps its folder.
  size_t dot = Name.find('.', NameStart(Name));
  return Name.substr(0, dot) + NewExt;
}

int64_t OctalStrToInt(const std::string& S) {
  uint64_t v = 0;
  for (char c : S)
    if (c >= '0' && c <= '7') v = v * 8 + uint64_t(c - '0');
  return static_cast<int64_t>(v & 0x7FFFFFFFFFFFFFFFull);
}

// ---- Dates -----------------------------------------------------------------------------

namespace {

// Days from 1 January 1970 of a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

constexpr int64_t UnixEpochDays = 25569;  // 1 January 1970 as a TDateTime

int64_t SecondsOf(const std::tm& t) {
  return DaysFromCivil(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday) * 86400 + t.tm_hour * 3600 + t.tm_min * 60 + t.tm_sec;
}

}  // namespace

TDateTime DosDateToDateTime(uint32_t Value) {
  if (Value == 0) return ArcNullDate;
  try {
    return FileDateToDateTime(static_cast<int>(Value));
  } catch (const EConvertError&) {
    return ArcNullDate;
  }
}

int32_t DefaultTimeZoneBias(int64_t UtcSeconds) {
  const std::time_t at = static_cast<std::time_t>(UtcSeconds);
  std::tm local{}, utc{};
#ifdef _WIN32
  if (localtime_s(&local, &at) != 0 || gmtime_s(&utc, &at) != 0) return 0;
#else
  if (!localtime_r(&at, &local) || !gmtime_r(&at, &utc)) return 0;
#endif
  return static_cast<int32_t>((SecondsOf(utc) - SecondsOf(local)) / 60);
}

std::function<int32_t(int64_t)> ArcTimeZoneBias = DefaultTimeZoneBias;

TDateTime UnixDateToDateTime(int32_t Seconds) {
  if (Seconds == 0) return EncodeDate(1980, 1, 1) + EncodeTime(0, 1, 0, 0);
  int64_t s = std::llabs(static_cast<int64_t>(Seconds));
  // The offset in force at that date: summer dates keep their daylight-saving hour
  // whatever the season of the run.
  int64_t bias = ArcTimeZoneBias ? ArcTimeZoneBias(s) : 0;
  // Old zone tables gave the bias in hours.
  s -= (bias > -13 && bias < 13) ? bias * 3600 : bias * 60;
  if (s < 0) s = 0;
  return double(UnixEpochDays + s / 86400) + double((s % 86400) * 1000) / 86400000.0;
}

// ---- Errors ----------------------------------------------------------------------------

std::string ArcErrorText(int Id) {
  switch (Id) {
    case 25108: return "Bad file header";
    case 25109: return "Bad block";
    case 25120: return "Bad Huffman code";
    case 25121: return "Invalid code encountered";
    case 25134: return "Incorrect number of bits";
    case 25135: return "Broken multi-volume chain";
    case 25136: return "Error writing to file";
    case 25137: return "Error closing file";
    case 25138: return "Incomplete code set";
    case 25139: return "Corrupt input";
    case 25151: return "File fails CRC check";
    case 25152: return "File contains invalid decode tree";
    case 25153: return "Invalid directory";
    case 25156: return "is not accessible.";
    case 25167: return "Unexpected end of line";
    case 25168: return "EOL not found";
    case 25172: return "File not found";
    case 25235: return "Error opening file";
    case 25236: return "Error reading file or unexpected end of file";
    case 25237: return "Header CRC error";
    case 25238: return "Header ID error";
    case 25240: return "Line found before 'BEGIN'";
    case 25242: return "Invalid or unsupported archive type for this operation";
    case 25243: return "Invalid file name";
    case 25247: return "Bad lengths";
    case 25248: return "Inconsistant local header";
    case 25250: return "Maximum volumes 999";
    case 25253: return "Out of memory";
    case 25255: return "Uninitialized TMemoryStream object";
    case 25258: return "Unrar.dll not found";
    case 25259: return "Cabinet.dll not found";
    case 25262: return "Multi-Part GZIP files not supported";
    case 25263: return "Too many nested dirs";
    case 25270: return "Required event not assigned";
    case 25290: return "Password protected";
    case 25291: return "Seek error";
    case 25292: return "Ambiguous Shannon-Fano decode tree encountered";
    case 25297: return "Stack overflow";
    case 25298: return "Stream read/write error";
    case 25301: return "Unsupported compression method";
    case 25302: return "Unknown file type";
    case 25402: return "Version error";
    case 26517: return "Invalid password";
    case 26522: return "Password failed";
    case 26999: return "Nothing to do";
    default: return {};
  }
}

std::string DriveNotReadyText(char Drive, const std::string& SysMessage) {
  char d = (Drive >= 'a' && Drive <= 'z') ? char(Drive - 'a' + 'A') : Drive;
  return std::string(1, d) + ":\\ " + ArcErrorText(errNotAccessible) + "\r\n\r\n" + SysMessage;
}
