// The cabinet reader: extracts the files of cabinets, also across a set of cabinets,
// through the platform's cabinet library ("cabinet.dll", its FDI functions), loaded by
// name at run time. The library decompresses; the reader supplies its memory, its file
// access (a stream handler), the output and the notifications that decide which files
// are extracted, where, and which cabinet comes next.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "archive/core/arc_base.h"
#include "classlib/core/stream.h"

// <windows.h> names CopyFileA/W so; the reader's operation keeps its own name.
#ifdef CopyFile
#undef CopyFile
#endif

// Binds the library (done on first use with "cabinet.dll"; again to switch). False when it
// cannot be loaded: every extraction then reports 25259 "Cabinet.dll not found".
bool LoadCabinetLibrary(const std::string& Name = "cabinet.dll");
void FreeCabinetLibrary();
bool CabinetLibraryLoaded();

// A failure of the library: "Cabinet error %d (type %d)".
class ECabinetError : public Exception {
public:
  ECabinetError(int AErrorCode, int AErrorType);
  int ErrorCode, ErrorType;
};

// A failed system call: "Error %d: %s" with the system's text.
class EApiError : public Exception {
public:
  explicit EApiError(int AErrorCode);
  int ErrorCode;
};

// Raises EApiError with the last system error when OK is False.
void CheckApiCall(bool OK);
[[noreturn]] void RaiseCabinetError(int ErrorCode, int ErrorType);

// The file access of the library: handles are the library's, flags and modes those of the
// C run time (_O_RDONLY 0, _O_WRONLY 1, _O_RDWR 2, _O_CREAT 0x100, _O_EXCL 0x400).
class TCabinetFileHandler : public TComponent {
public:
  explicit TCabinetFileHandler(TComponent* AOwner) : TComponent(AOwner) {}
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  virtual intptr_t Open(const std::string& Name, int Flags, int Mode) = 0;  // -1 on failure
  virtual unsigned Read(intptr_t Handle, void* Buffer, unsigned Count) = 0;
  virtual unsigned Write(intptr_t Handle, const void* Buffer, unsigned Count) = 0;
  virtual int Close(intptr_t Handle) = 0;
  virtual long Seek(intptr_t Handle, long Distance, int SeekType) = 0;
  virtual int Delete(const std::string& Name) = 0;  // 0 or the system error
};

// File access through file streams; a handle is its stream's file handle.
class TStreamCabinetFileHandler : public TCabinetFileHandler {
public:
  explicit TStreamCabinetFileHandler(TComponent* AOwner) : TCabinetFileHandler(AOwner) {}
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  intptr_t Open(const std::string& Name, int Flags, int Mode) override;
  unsigned Read(intptr_t Handle, void* Buffer, unsigned Count) override;
  unsigned Write(intptr_t Handle, const void* Buffer, unsigned Count) override;
  int Close(intptr_t Handle) override;
  long Seek(intptr_t Handle, long Distance, int SeekType) override;
  int Delete(const std::string& Name) override;

  int LastError = 0;  // the system error of the last failure (-1: an unknown handle)

private:
  TFileStream* Find(intptr_t Handle) const;
  std::vector<std::unique_ptr<TFileStream>> FStreams;
};

// What the reader reads of a cabinet itself.
struct TCabTables;

// The library's error record (its ERF).
struct TCabinetErrorRecord {
  int ErrorCode = 0;
  int ErrorType = 0;
  int Error = 0;
};

// The reader's side of the library: its context, error record and file handler, and the
// four notifications a reader answers.
class TUnCABInterface : public TUnBase {
public:
  explicit TUnCABInterface(TComponent* AOwner);
  ~TUnCABInterface() override;
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  // Called by the library (through process-wide trampolines); 0 carries on.
  virtual void CabinetInfo(const std::string& NextCabinet, const std::string& NextDisk,
                           const std::string& CabinetPath, int SetID, int CabinetNumber) = 0;
  // Action: 2 extract into Handle, 1 skip, 0 abort.
  virtual void CopyFile(const std::string& Name, int32_t Size, intptr_t& Handle, int& Action, uint16_t Date,
                        uint16_t Time, uint16_t Attributes) = 0;
  // False aborts.
  virtual bool CloseFileInfo(const std::string& Name, intptr_t Handle, uint16_t Date, uint16_t Time,
                             uint16_t Attributes) = 0;
  virtual void NextCabinet(std::string& Name, std::string& Disk, std::string& Path, int Error, bool& Abort) = 0;

  TCabinetFileHandler* FileHandler() const { return FHandlerOverride ? FHandlerOverride : FHandler.get(); }
  // The write callback: Count bytes of the file being extracted.
  unsigned WriteData(const void* Buffer, unsigned Count);
  // Keeps an exception met inside a callback (it cannot pass through the library).
  void KeepCallbackError(std::exception_ptr E) { FCallbackError = E; }
  void MarkAborted() { FAborted = true; }
  // Whether the library may go on to the next file (off once a FileSpec without
  // wildcards has had its file).
  bool Continue() const { return FContinue; }

protected:
  // The library's context, made on first use and kept until the reader goes.
  void* Context();
  // True when the file is a cabinet (the file is opened read-only for the check).
  bool IsCabinet(const std::string& FileName);
  // Extracts what the notifications choose from one cabinet; False when a notification
  // stopped the library (its reason has been reported, or was the user's).
  bool Copy(const std::string& Cabinet);
  bool Aborted() const { return FAborted; }

  // Takes the library's file access while set (the merged view of a cabinet set).
  TCabinetFileHandler* FHandlerOverride = nullptr;
  TCabinetFileHandler& OwnFileHandler() const { return *FHandler; }
  int64_t FFileSize = 0;   // of the file being extracted
  int64_t FRemaining = 0;
  int FLastProgress = -1;
  bool FContinue = true;

private:
  void* FContext = nullptr;
  void* FContextModule = nullptr;  // the library that made it
  TCabinetErrorRecord FError;
  std::unique_ptr<TCabinetFileHandler> FHandler;
  std::exception_ptr FCallbackError;
  bool FAborted = false;
};

class TUnCAB : public TUnCABInterface {
public:
  explicit TUnCAB(TComponent* AOwner) : TUnCABInterface(AOwner) {}
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  void CabinetInfo(const std::string& NextCabinet, const std::string& NextDisk, const std::string& CabinetPath,
                   int SetID, int CabinetNumber) override;
  void CopyFile(const std::string& Name, int32_t Size, intptr_t& Handle, int& Action, uint16_t Date, uint16_t Time,
                uint16_t Attributes) override;
  bool CloseFileInfo(const std::string& Name, intptr_t Handle, uint16_t Date, uint16_t Time,
                     uint16_t Attributes) override;
  void NextCabinet(std::string& Name, std::string& Disk, std::string& Path, int Error, bool& Abort) override;

  // Names flagged as UTF-8 by the cabinet are read as UTF-8, the others as OEM text.
  bool ProcessFileName(const std::string& StoredName) override;

protected:
  void ExtractIt() override;

private:
  // One cabinet through the library; a cabinet whose LZX or Quantum folders follow folders
  // of another method goes through once per method (the library may not switch there).
  // Known: the cabinet's tables when they have been read.
  bool CopyCabinet(const std::string& Cabinet, const TCabTables* Known = nullptr);
  // Extracts a set that begins with Cabinet as one cabinet; False when it is none, or
  // cannot be shown so (the cabinets then go one by one).
  bool CopySet(const std::string& Cabinet, bool& Through);
  // The method family (1 MSZIP, 2 Quantum, 3 LZX) of the file records, in order, while a
  // cabinet goes through once per method; -1 copies every file.
  struct TRecord {
    std::string Name;
    int Family;
  };
  std::vector<TRecord> FRecords;
  size_t FRecordAt = 0;
  int FPassFamily = -1;

  // The next cabinet, its disk, its folder, the set and this cabinet's number, as the
  // first cabinet information of a copy gave them.
  std::string FNextCabinet, FNextDisk, FCabinetPath;
  int FSetID = 0, FCabinetNumber = 0;
  bool FInfoKept = false;
  int FLastAction = 1;
  bool FNameIsUtf8 = false;  // of the name being processed
  std::string FEntryName;    // its name as read (ANSI)
};
