// Streams: the abstract TStream, streams over file handles and named files, and streams
// in memory. Positions and sizes are 64-bit; one Read or Write moves up to 2 GB.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "classlib/core/object.h"
#include "classlib/core/sys_utils.h"

class TStream : public TObject {
public:
  // Up to Count bytes; the number actually moved (0 at the end or on failure).
  virtual int Read(void* Buffer, int Count) = 0;
  virtual int Write(const void* Buffer, int Count) = 0;
  // Origin is soFromBeginning, soFromCurrent or soFromEnd; the new position.
  virtual std::int64_t Seek(std::int64_t Offset, int Origin) = 0;

  // Exactly Count bytes, or EReadError "Stream read error" / EWriteError "Stream write error".
  void ReadBuffer(void* Buffer, std::int64_t Count);
  void WriteBuffer(const void* Buffer, std::int64_t Count);
  // Copies Count bytes from Source's position (Count 0: the whole of Source, from its
  // start), in blocks; returns the number of bytes copied.
  std::int64_t CopyFrom(TStream* Source, std::int64_t Count);

  std::int64_t Position() { return Seek(0, soFromCurrent); }
  void SetPosition(std::int64_t Pos) { Seek(Pos, soFromBeginning); }
  virtual std::int64_t Size();
  virtual void SetSize(std::int64_t NewSize);
};

// A stream over a system file handle that the caller owns.
class THandleStream : public TStream {
public:
  explicit THandleStream(THandle AHandle) : FHandle(AHandle) {}
  int Read(void* Buffer, int Count) override;
  int Write(const void* Buffer, int Count) override;
  std::int64_t Seek(std::int64_t Offset, int Origin) override;
  // Raises EOSError when the system refuses.
  void SetSize(std::int64_t NewSize) override;
  THandle Handle() const { return FHandle; }

protected:
  THandle FHandle;
};

// A named file, opened (fmOpenRead/fmOpenWrite/fmOpenReadWrite with a share mode) or
// created (fmCreate, which truncates an existing file). Failure raises
// EFOpenError "Cannot open file %s" / EFCreateError "Cannot create file %s", followed by
// the system's reason.
class TFileStream : public THandleStream {
public:
  TFileStream(const std::string& FileName, unsigned Mode);
  ~TFileStream() override;
  const std::string& FileName() const { return FFileName; }

private:
  std::string FFileName;
};

// A stream in a growable block of memory.
class TMemoryStream : public TStream {
public:
  int Read(void* Buffer, int Count) override;
  int Write(const void* Buffer, int Count) override;
  std::int64_t Seek(std::int64_t Offset, int Origin) override;
  std::int64_t Size() override { return static_cast<std::int64_t>(FData.size()); }
  void SetSize(std::int64_t NewSize) override;

  void* Memory() { return FData.data(); }
  const void* Memory() const { return FData.data(); }
  void Clear();
  // Replaces the contents with the whole of Stream (from its start) or of the file.
  void LoadFromStream(TStream* Stream);
  void LoadFromFile(const std::string& FileName);
  // Writes the whole contents, whatever the position.
  void SaveToStream(TStream* Stream);
  void SaveToFile(const std::string& FileName);

private:
  std::vector<unsigned char> FData;
  std::int64_t FPosition = 0;
};

// A stream over a byte string.
class TStringStream : public TStream {
public:
  explicit TStringStream(std::string AString = "") : FDataString(std::move(AString)) {}
  int Read(void* Buffer, int Count) override;
  int Write(const void* Buffer, int Count) override;
  std::int64_t Seek(std::int64_t Offset, int Origin) override;
  std::int64_t Size() override { return static_cast<std::int64_t>(FDataString.size()); }
  void SetSize(std::int64_t NewSize) override;

  const std::string& DataString() const { return FDataString; }
  // Up to Count bytes from the position.
  std::string ReadString(int Count);
  void WriteString(const std::string& S);

private:
  std::string FDataString;
  std::int64_t FPosition = 0;
};
