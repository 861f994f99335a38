// The files of the archive engine: the archive and output files the readers and decoders
// read and write in blocks, their opening with the drive check and the read-only retry,
// and the temporary files of the writer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/core/arc_type.h"
#include "classlib/core/sys_utils.h"

// An open file read and written in blocks. Read and Write raise EInOutError when the
// system fails; a read at the end of the file simply gives fewer bytes.
// A file opened for reading is read ahead in blocks: the small reads and the seeks near
// each other that the readers make per entry (a header, then the data after it) cost no
// system call, and large reads go straight to the caller.
class TArcFile {
public:
  TArcFile() = default;
  TArcFile(const TArcFile&) = delete;
  TArcFile& operator=(const TArcFile&) = delete;
  ~TArcFile();

  bool OpenRead(const std::string& FileName);
  bool Create(const std::string& FileName);
  bool IsOpen() const { return FHandle != INVALID_FILE_HANDLE; }
  const std::string& FileName() const { return FName; }
  THandle Handle() const { return FHandle; }

  int32_t Read(void* Buf, int32_t Count);
  // Reads Count bytes or raises EInOutError (code 38, "Reached the end of the file").
  void ReadExact(void* Buf, int32_t Count);
  int32_t Write(const void* Buf, int32_t Count);
  void Seek(int64_t Pos);
  int64_t Position();
  int64_t Size();
  // Sets the file's DOS date-time; False when the system refuses.
  bool SetDate(int32_t DosDate);
  // True when the file was open and closed without an error.
  bool Close();

private:
  static constexpr int32_t kReadBlock = 65536;
  [[noreturn]] void RaiseIoError(int Code);
  THandle FHandle = INVALID_FILE_HANDLE;
  std::string FName;
  // Read-ahead of a file opened for reading: the bytes [FBufPos, FBufPos + FBufLen) in
  // FBuf, which end where the system's position FOsPos is; FPos is the caller's.
  bool FReadAhead = false;
  std::unique_ptr<uint8_t[]> FBuf;
  int64_t FBufPos = 0, FOsPos = 0, FPos = 0;
  int32_t FBufLen = 0;
};

// The bytes of an open file for recognition.
class TArcFileInput : public TArcInput {
public:
  explicit TArcFileInput(TArcFile& F) : FFile(F) {}
  int64_t Size() override;
  int32_t ReadAt(int64_t Pos, void* Buf, int32_t Count) override;

private:
  TArcFile& FFile;
};

// The same through a block buffer: many small reads near each other (the headers of a
// central directory) cost one system call per block. It seeks before every block, so
// that the file's position may be used by others in between.
class TBufferedArcInput : public TArcInput {
public:
  explicit TBufferedArcInput(TArcFile& F, int32_t Block = 65536) : FFile(F), FBlock(Block) {}
  int64_t Size() override;
  int32_t ReadAt(int64_t Pos, void* Buf, int32_t Count) override;

private:
  TArcFile& FFile;
  int32_t FBlock;
  std::vector<uint8_t> FBuf;
  int64_t FBufPos = 0;
  int32_t FBufLen = 0;
};

// The drive check: the Windows side installs a routine that asks the drive and, while it
// does not answer, offers Retry and Cancel; without one every drive counts as ready.
extern std::function<bool(char Drive)> ArcDriveReadyProc;
// True at once for a name without a drive letter ("X:" and at least one more character).
bool CheckDriveReady(const std::string& Name);

bool OpenInFile(TArcFile& F, const std::string& Name);
// Output mode omToStream needs no file: True at once. Otherwise creates the missing
// folders and the file; a read-only file in the way loses that attribute and is created.
bool OpenOutFile(TArcFile& F, const std::string& Name);
bool CloseFileChecked(TArcFile& F);
// True when a file (or, for a wildcard name, anything) matches Name.
bool FindFileExists(const std::string& Name);
// Creates Dir and the folders above it that are missing.
bool ForceDirectories(const std::string& Dir);

// The system's folder for temporary files, with a trailing separator.
std::string TempDirectory();
