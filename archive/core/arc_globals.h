// Routines and engine-wide state shared by every archive component: checksums, progress,
// name and path helpers, DOS and Unix dates, the error texts and E_RAISE.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "classlib/core/exception.h"

using TDateTime = double;

class TStream;
class TArcFile;
class TAwkMain;

enum TSetDate : uint8_t { sdOrigDate, sdSysDate };

// Output of the decoders: to files (Extract) or to the stream of ExtractToStream.
enum : uint8_t { omToFile = 1, omToStream = 2 };

// The running state of one archive component: its CRCs, output mode and callbacks. Each
// component keeps its own (TAwkMain::Engine), so that two runs can go on at once on two
// threads; the decoders reach the running one through ArcEngineNow.
struct TZipDecoderState;

struct TArcEngineState {
  uint8_t ProgressPercent = 0;  // last CalcProgress result
  uint32_t Crc32Val = 0;        // running CRC-32 of the current entry
  uint32_t Crc16Val = 0;        // running CRC-16 of the current entry
  uint8_t OutputMode = omToFile;
  TStream* OutStream = nullptr;  // target of omToStream
  // The write callback every decoder hands its output to (TUnBase::WriteOutput): writes
  // Count bytes to F or to OutStream, sets Count to what was written, True when all were.
  std::function<bool(TArcFile& F, const void* Buf, int32_t& Count)> WriteOutput;
  // The progress callback of the running component (TZipCommon::ReportProgress).
  std::function<void(uint8_t Percent)> ReportProgress;
  const void* WriteOutputOwner = nullptr;     // the components the callbacks are bound to,
  const void* ReportProgressOwner = nullptr;  // so that a dying component can unbind them
  TSetDate DateMode = sdOrigDate;             // copy of the running reader's SetDateTo
  TAwkMain* ActiveComponent = nullptr;        // whose Cancel the loops and reports test
  uint32_t SfxStartOffset = 0;
  std::shared_ptr<TZipDecoderState> ZipDecoders;  // the ZIP decoders' tables, made on first use
};

// The state of the run going on on this thread: that of the component whose run installed
// a TArcEngineScope here, or this thread's own idle state between runs.
TArcEngineState& ArcEngineNow();
class TArcEngineScope {
public:
  explicit TArcEngineScope(TArcEngineState& State);
  ~TArcEngineScope();
  TArcEngineScope(const TArcEngineScope&) = delete;
  TArcEngineScope& operator=(const TArcEngineScope&) = delete;

private:
  TArcEngineState* FSaved;
};

// Calls of the callbacks; an unbound callback writes nothing and reports nothing.
bool ArcWriteOutput(TArcFile& F, const void* Buf, int32_t& Count);
void ArcReportProgress(uint8_t Percent);

// ---- Checksums -------------------------------------------------------------------------

// CRC-32 of ZIP and gzip (reflected 0xEDB88320). Callers preset 0xFFFFFFFF and invert.
extern const std::array<uint32_t, 256> Crc32Table;
inline uint32_t UpdateCrc32Byte(uint8_t B, uint32_t Crc) {
  return Crc32Table[(B ^ Crc) & 0xFF] ^ (Crc >> 8);
}
void UpdateCrc32(const void* Buf, size_t Len, uint32_t& Crc);
// The two ways UpdateCrc32 takes (it picks one by the length and the CPU): sixteen tables,
// and carry-less multiplication, which gives false without doing anything on a CPU that
// lacks it.
void UpdateCrc32Tables(const void* Buf, size_t Len, uint32_t& Crc);
bool UpdateCrc32Clmul(const void* Buf, size_t Len, uint32_t& Crc);
// CRC-16 of ARC, LHA and ZOO (reflected 0xA001), no presetting or inversion.
void UpdateCrc16(const void* Buf, size_t Len, uint32_t& Crc);

// ---- Progress --------------------------------------------------------------------------

// Done * 100 / Total rounded half to even, at most 100; 0 for Total <= 0. The result is
// also kept in ArcEngineNow().ProgressPercent.
uint8_t CalcProgress(int64_t Done, int64_t Total);

// ---- Names and paths -------------------------------------------------------------------

// Names inside archives are in the DOS code page (866); Windows names are in 1251.
std::string AnsiToOemName(const std::string& Name);
std::string OemToAnsiName(const std::string& Name);
std::string SlashToBackslash(std::string S);
std::string BackslashToSlash(std::string S);
std::string AddBackslash(const std::string& S);
// Name up to the first '.' of its file-name part, then NewExt (which brings its own dot).
std::string ReplaceFileExt(const std::string& Name, const std::string& NewExt);
// Octal digits of S read left to right, everything else skipped (tar header fields).
int64_t OctalStrToInt(const std::string& S);
inline int32_t MinInt(int32_t A, int32_t B) { return A < B ? A : B; }

// Path pieces with '\' and '/' both taken as separators and "X:" as a drive.
std::string ArcExtractFilePath(const std::string& Name);  // with its trailing '\'
std::string ArcExtractFileName(const std::string& Name);
std::string ArcExtractFileExt(const std::string& Name);   // last '.' of the name part, with the dot

// ---- Dates -----------------------------------------------------------------------------

constexpr double ArcNullDate = 29221.0;  // 1 January 1980, 00:00
// DOS date (high word) and time (low word); 0 or an invalid value give ArcNullDate.
TDateTime DosDateToDateTime(uint32_t Value);
// Unix seconds to local time with the time-zone bias of that date; 0 gives 1 Jan 1980 00:01.
TDateTime UnixDateToDateTime(int32_t Seconds);
inline uint32_t SwapWords(uint32_t Value) { return (Value << 16) | (Value >> 16); }

// Minutes to add to local time to get UTC at the moment UtcSeconds (Unix time), daylight
// saving included when it was in force then. Replaceable so that tests can pin the zone.
extern std::function<int32_t(int64_t UtcSeconds)> ArcTimeZoneBias;
int32_t DefaultTimeZoneBias(int64_t UtcSeconds);

// ---- Errors ----------------------------------------------------------------------------

// The engine's error ids (texts in ArcErrorText).
enum : int {
  errBadFileHeader = 25108, errBadBlock = 25109, errBadHuffmanCode = 25120,
  errInvalidCode = 25121, errIncorrectBits = 25134, errBrokenVolumeChain = 25135,
  errWritingFile = 25136, errClosingFile = 25137, errIncompleteCodeSet = 25138,
  errCorruptInput = 25139, errCrcCheck = 25151, errInvalidDecodeTree = 25152,
  errInvalidDirectory = 25153, errNotAccessible = 25156, errUnexpectedEol = 25167,
  errEolNotFound = 25168, errFileNotFound = 25172, errOpeningFile = 25235,
  errReadingFile = 25236, errHeaderCrc = 25237, errHeaderId = 25238,
  errLineBeforeBegin = 25240, errUnsupportedArcType = 25242, errInvalidFileName = 25243,
  errBadLengths = 25247, errInconsistentLocalHeader = 25248, errMaxVolumes = 25250,
  errOutOfMemory = 25253, errUninitializedStream = 25255, errUnrarNotFound = 25258,
  errCabinetNotFound = 25259, errMultiPartGzip = 25262, errTooManyNestedDirs = 25263,
  errEventNotAssigned = 25270, errPasswordProtected = 25290, errSeek = 25291,
  errAmbiguousTree = 25292, errStackOverflow = 25297, errStreamReadWrite = 25298,
  errUnsupportedMethod = 25301, errUnknownFileType = 25302, errVersion = 25402,
  errInvalidPassword = 26517, errPasswordFailed = 26522, errNothingToDo = 26999,
};

// The message of an error id; empty for an id the engine does not know.
std::string ArcErrorText(int Id);

// The engine's exception: its message is the text of its error id.
class E_RAISE : public Exception {
public:
  explicit E_RAISE(int Code) : Exception(ArcErrorText(Code)), ECode(Code) {}
  E_RAISE(int Code, std::string Message) : Exception(std::move(Message)), ECode(Code) {}
  int ECode;
  bool Reported = false;  // OnError has had it (RaiseArchiveError)
};

// Text of the drive check's box: "A:\ is not accessible.", two line breaks, SysMessage.
std::string DriveNotReadyText(char Drive, const std::string& SysMessage);
