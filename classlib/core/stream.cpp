#include "classlib/core/stream.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>

#include "classlib/core/exception.h"

namespace {

constexpr int kMaxBlock = 0x10000000;  // one call moves at most 256 MB
constexpr int kCopyBlock = 0xF000;
// Memory streams stay addressable on 32-bit systems.
constexpr std::int64_t kMaxMemory = std::numeric_limits<std::ptrdiff_t>::max() / 2;

// The new position of a memory stream; negative positions, and positions beyond the
// largest one there is, are refused.
std::int64_t MemSeek(std::int64_t Pos, std::int64_t Size, std::int64_t Offset, int Origin) {
  std::int64_t Base = Origin == soFromBeginning ? 0 : (Origin == soFromCurrent ? Pos : Size);
  if (Origin < 0 || Origin > 2) return Pos;
  if (Offset > 0 && Base > std::numeric_limits<std::int64_t>::max() - Offset) return Pos;
  std::int64_t N = Base + Offset;
  return N < 0 ? Pos : N;
}

// Whether Count bytes written at Pos stay within what a memory stream can hold.
bool FitsInMemory(std::int64_t Pos, int Count) { return Pos <= kMaxMemory - Count; }

}  // namespace

void TStream::ReadBuffer(void* Buffer, std::int64_t Count) {
  char* P = static_cast<char*>(Buffer);
  while (Count > 0) {
    int Chunk = static_cast<int>(std::min<std::int64_t>(Count, kMaxBlock));
    if (Read(P, Chunk) != Chunk) throw EReadError("Stream read error");
    P += Chunk;
    Count -= Chunk;
  }
}

void TStream::WriteBuffer(const void* Buffer, std::int64_t Count) {
  const char* P = static_cast<const char*>(Buffer);
  while (Count > 0) {
    int Chunk = static_cast<int>(std::min<std::int64_t>(Count, kMaxBlock));
    if (Write(P, Chunk) != Chunk) throw EWriteError("Stream write error");
    P += Chunk;
    Count -= Chunk;
  }
}

std::int64_t TStream::CopyFrom(TStream* Source, std::int64_t Count) {
  if (Count < 0) return 0;
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->Size();
  }
  std::int64_t Result = Count;
  std::unique_ptr<char[]> Buf(new char[kCopyBlock]);
  while (Count > 0) {
    int N = static_cast<int>(std::min<std::int64_t>(Count, kCopyBlock));
    Source->ReadBuffer(Buf.get(), N);
    WriteBuffer(Buf.get(), N);
    Count -= N;
  }
  return Result;
}

std::int64_t TStream::Size() {
  std::int64_t Pos = Seek(0, soFromCurrent);
  std::int64_t End = Seek(0, soFromEnd);
  Seek(Pos, soFromBeginning);
  return End;
}

void TStream::SetSize(std::int64_t) {}

// ---------------------------------------------------------------------------------------

int THandleStream::Read(void* Buffer, int Count) {
  int N = FileRead(FHandle, Buffer, Count);
  return N < 0 ? 0 : N;
}

int THandleStream::Write(const void* Buffer, int Count) {
  int N = FileWrite(FHandle, Buffer, Count);
  return N < 0 ? 0 : N;
}

std::int64_t THandleStream::Seek(std::int64_t Offset, int Origin) { return FileSeek(FHandle, Offset, Origin); }

void THandleStream::SetSize(std::int64_t NewSize) {
  if (!FileTruncate(FHandle, NewSize)) RaiseLastOSError();
}

TFileStream::TFileStream(const std::string& FileName, unsigned Mode)
    : THandleStream(INVALID_FILE_HANDLE), FFileName(FileName) {
  if ((Mode & fmCreate) == fmCreate) {
    FHandle = FileCreate(FileName, Mode & 0xF0);
    if (FHandle == INVALID_FILE_HANDLE)
      throw EFCreateError("Cannot create file " + FileName + ". " + SysErrorMessage(GetLastOSError()));
  } else {
    FHandle = FileOpen(FileName, Mode);
    if (FHandle == INVALID_FILE_HANDLE)
      throw EFOpenError("Cannot open file " + FileName + ". " + SysErrorMessage(GetLastOSError()));
  }
}

TFileStream::~TFileStream() { FileClose(FHandle); }

// ---------------------------------------------------------------------------------------

int TMemoryStream::Read(void* Buffer, int Count) {
  std::int64_t Size = static_cast<std::int64_t>(FData.size());
  if (Count <= 0 || FPosition >= Size) return 0;
  int N = static_cast<int>(std::min<std::int64_t>(Count, Size - FPosition));
  std::memcpy(Buffer, FData.data() + FPosition, N);
  FPosition += N;
  return N;
}

int TMemoryStream::Write(const void* Buffer, int Count) {
  if (Count <= 0 || !FitsInMemory(FPosition, Count)) return 0;
  std::int64_t End = FPosition + Count;
  if (End > static_cast<std::int64_t>(FData.size())) {
    if (End > static_cast<std::int64_t>(FData.capacity())) FData.reserve(std::max<std::int64_t>(End, FData.size() * 3 / 2));
    FData.resize(End);  // a gap after a seek past the end reads as zeros
  }
  std::memcpy(FData.data() + FPosition, Buffer, Count);
  FPosition = End;
  return Count;
}

std::int64_t TMemoryStream::Seek(std::int64_t Offset, int Origin) {
  FPosition = MemSeek(FPosition, FData.size(), Offset, Origin);
  return FPosition;
}

void TMemoryStream::SetSize(std::int64_t NewSize) {
  if (NewSize < 0) NewSize = 0;
  if (NewSize > kMaxMemory) throw EStreamError("Out of memory while expanding memory stream");
  FData.resize(NewSize);
  if (FPosition > NewSize) FPosition = NewSize;
}

void TMemoryStream::Clear() {
  FData.clear();
  FData.shrink_to_fit();
  FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
  Stream->SetPosition(0);
  std::int64_t Count = Stream->Size();
  SetSize(Count);
  if (Count) Stream->ReadBuffer(FData.data(), Count);
  FPosition = 0;
}

void TMemoryStream::LoadFromFile(const std::string& FileName) {
  TFileStream F(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&F);
}

void TMemoryStream::SaveToStream(TStream* Stream) {
  if (!FData.empty()) Stream->WriteBuffer(FData.data(), FData.size());
}

void TMemoryStream::SaveToFile(const std::string& FileName) {
  TFileStream F(FileName, fmCreate);
  SaveToStream(&F);
}

// ---------------------------------------------------------------------------------------

int TStringStream::Read(void* Buffer, int Count) {
  std::int64_t Size = static_cast<std::int64_t>(FDataString.size());
  if (Count <= 0 || FPosition >= Size) return 0;
  int N = static_cast<int>(std::min<std::int64_t>(Count, Size - FPosition));
  std::memcpy(Buffer, FDataString.data() + FPosition, N);
  FPosition += N;
  return N;
}

int TStringStream::Write(const void* Buffer, int Count) {
  if (Count <= 0 || !FitsInMemory(FPosition, Count)) return 0;
  // Overwrites at the position and keeps what follows, like every other stream.
  std::int64_t End = FPosition + Count;
  if (End > static_cast<std::int64_t>(FDataString.size())) FDataString.resize(End);
  std::memcpy(FDataString.data() + FPosition, Buffer, Count);
  FPosition = End;
  return Count;
}

std::int64_t TStringStream::Seek(std::int64_t Offset, int Origin) {
  FPosition = MemSeek(FPosition, FDataString.size(), Offset, Origin);
  return FPosition;
}

void TStringStream::SetSize(std::int64_t NewSize) {
  if (NewSize < 0) NewSize = 0;
  if (NewSize > kMaxMemory) throw EStreamError("Out of memory while expanding memory stream");
  FDataString.resize(NewSize);
  if (FPosition > NewSize) FPosition = NewSize;
}

std::string TStringStream::ReadString(int Count) {
  std::string S(std::max(0, static_cast<int>(std::min<std::int64_t>(Count, Size() - std::min(FPosition, Size())))), '\0');
  S.resize(Read(S.data(), static_cast<int>(S.size())));
  return S;
}

void TStringStream::WriteString(const std::string& S) { WriteBuffer(S.data(), S.size()); }
