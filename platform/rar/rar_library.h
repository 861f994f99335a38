// The RAR extraction library "UnRAR" (UnRAR.dll, next to zembrix.exe): the entry points
// that the RAR reader loads by name, the records and callbacks they exchange and their
// result codes. All entry points and callbacks use the stdcall convention.
//
// Text: names and passwords given to the library are in code page 1251 (the program's);
// the entry names it reports are in the DOS code page 866 with '\' separators.
#pragma once

#include <cstdint>

#define RAR_CALL __stdcall

// Result codes of RAROpenArchive (OpenResult), RARReadHeader and RARProcessFile.
enum : int {
  RarSuccess = 0,
  RarEndArchive = 10,     // no more entries
  RarNoMemory = 11,
  RarBadData = 12,        // damaged data, a failed CRC or a wrong password
  RarBadArchive = 13,     // not a RAR archive, or damaged headers
  RarUnknownFormat = 14,  // a kind of archive or entry this library cannot unpack
  RarOpenError = 15,      // the archive or its next volume cannot be opened
  RarCreateError = 16,    // the output file cannot be created
  RarCloseError = 17,
  RarReadError = 18,
  RarWriteError = 19,
  RarSmallBuffer = 20,
  RarBrokenChain = 21,    // a volume is not the continuation of the one before
  RarBadPassword = 22,    // the headers are encrypted
  RarAborted = 255,       // a callback asked to stop
};

// RAROpenArchive modes.
enum : unsigned { RarOmList = 0, RarOmExtract = 1 };
// RARProcessFile operations.
enum : int { RarSkip = 0, RarTest = 1, RarExtract = 2 };
// Modes of the volume callback.
enum : int {
  RarVolAsk = 0,     // the next volume was not found: the callback names it (or refuses)
  RarVolNotify = 1,  // the next volume was found: the callback may name another one
};

constexpr int RarNameSize = 260;            // ArcName and FileName of the header record
constexpr int RarVolumeNameSize = 1024;     // the volume callback's buffer, NUL included
constexpr unsigned RarFlagSplitBefore = 0x01;  // header Flags
constexpr unsigned RarFlagSplitAfter = 0x02;
constexpr unsigned RarFlagEncrypted = 0x04;
constexpr unsigned RarAttrDirectory = 0x10;    // FileAttr

#pragma pack(push, 4)
struct TRarOpenRecord {
  const char* ArcName;  // the archive (its first volume)
  unsigned OpenMode;    // RarOmList or RarOmExtract
  unsigned OpenResult;  // out: a result code
  char* CmtBuf;         // the archive comment is not read: CmtSize and CmtState stay 0
  unsigned CmtBufSize;
  unsigned CmtSize;
  unsigned CmtState;
};

struct TRarHeaderRecord {
  char ArcName[RarNameSize];   // the volume holding the entry's header
  char FileName[RarNameSize];  // the entry's name (code page 866, '\' separators)
  unsigned Flags;              // RarFlag... bits
  unsigned PackSize;           // low 32 bits of the sizes
  unsigned UnpSize;
  unsigned HostOS;             // 0 DOS, 1 OS/2, 2 Windows, 3 Unix, 4 Mac OS, 5 BeOS
  unsigned FileCRC;            // CRC-32 of the data (0 when the archive keeps another hash)
  unsigned FileTime;           // DOS date-time, local time
  unsigned UnpVer;             // 20 for RAR 2.x, 29 for RAR 2.9-4.x, 50 for RAR 5
  unsigned Method;             // 0x30 stored to 0x35 best
  unsigned FileAttr;           // DOS attributes, also for entries made on other systems
  char* CmtBuf;                // entry comments are not read
  unsigned CmtBufSize;
  unsigned CmtSize;
  unsigned CmtState;
};
#pragma pack(pop)

// The volume callback: ArcName is the library's buffer of RarVolumeNameSize bytes with the
// name of the next volume; the callback may put another name there. 0 stops, 1 goes on.
typedef int(RAR_CALL* TRarChangeVolProc)(char* ArcName, int Mode);
// The data callback: each block of the entry's data while it is tested or extracted.
// 0 stops, 1 goes on.
typedef int(RAR_CALL* TRarProcessDataProc)(unsigned char* Addr, int Size);

typedef void*(RAR_CALL* TRAROpenArchive)(TRarOpenRecord* ArchiveData);
typedef int(RAR_CALL* TRARCloseArchive)(void* Handle);
typedef int(RAR_CALL* TRARReadHeader)(void* Handle, TRarHeaderRecord* HeaderData);
// DestName (code page 1251), when given, is the whole output path; otherwise the output is
// DestPath followed by the name part of the entry.
typedef int(RAR_CALL* TRARProcessFile)(void* Handle, int Operation, char* DestPath, char* DestName);
typedef void(RAR_CALL* TRARSetChangeVolProc)(void* Handle, TRarChangeVolProc ChangeVolProc);
typedef void(RAR_CALL* TRARSetProcessDataProc)(void* Handle, TRarProcessDataProc ProcessDataProc);
typedef void(RAR_CALL* TRARSetPassword)(void* Handle, char* Password);
