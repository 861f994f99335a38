#include "archive/core/arc_file.h"

#include <algorithm>
#include <cstring>
#include <cstdlib>

#include "archive/core/arc_globals.h"
#include "archive/core/zip_crypt.h"
#include "classlib/core/code_page.h"

namespace {
constexpr int ErrorHandleEof = 38;  // the system's "Reached the end of the file"
}

TArcFile::~TArcFile() { Close(); }

bool TArcFile::OpenRead(const std::string& FileName) {
  Close();
  FHandle = FileOpen(FileName, fmOpenRead | fmShareDenyNone);
  if (IsOpen()) FName = FileName;
  FReadAhead = IsOpen();
  return IsOpen();
}

bool TArcFile::Create(const std::string& FileName) {
  Close();
  FHandle = FileCreate(FileName);
  if (IsOpen()) FName = FileName;
  return IsOpen();
}

void TArcFile::RaiseIoError(int Code) {
  std::string text = SysErrorMessage(Code);
  if (text.empty()) text = "I/O error " + std::to_string(Code);
  throw EInOutError(text, Code);
}

int32_t TArcFile::Read(void* Buf, int32_t Count) {
  if (Count <= 0) return 0;
  if (!IsOpen()) RaiseIoError(6);  // invalid handle
  if (!FReadAhead) {
    const int n = FileRead(FHandle, Buf, Count);
    if (n < 0) RaiseIoError(GetLastOSError());
    return n;
  }
  auto* Out = static_cast<uint8_t*>(Buf);
  int32_t Done = 0;
  if (FPos >= FBufPos && FPos < FBufPos + FBufLen) {
    Done = int32_t(std::min<int64_t>(Count, FBufPos + FBufLen - FPos));
    memcpy(Out, FBuf.get() + (FPos - FBufPos), size_t(Done));
    FPos += Done;
    if (Done == Count) return Done;
  }
  if (FOsPos != FPos) {
    if (FileSeek(FHandle, FPos, soFromBeginning) < 0) RaiseIoError(GetLastOSError());
    FOsPos = FPos;
  }
  const int32_t Rest = Count - Done;
  if (Rest >= kReadBlock / 2) {
    // Large reads gain nothing from a copy.
    const int n = FileRead(FHandle, Out + Done, Rest);
    if (n < 0) RaiseIoError(GetLastOSError());
    FBufLen = 0;
    FPos += n;
    FOsPos = FPos;
    return Done + n;
  }
  if (!FBuf) FBuf.reset(new uint8_t[kReadBlock]);
  FBufLen = 0;
  const int n = FileRead(FHandle, FBuf.get(), kReadBlock);
  if (n < 0) RaiseIoError(GetLastOSError());
  FBufPos = FPos;
  FBufLen = n;
  FOsPos = FPos + n;
  const int32_t Take = std::min(Rest, int32_t(n));
  memcpy(Out + Done, FBuf.get(), size_t(Take));
  FPos += Take;
  return Done + Take;
}

void TArcFile::ReadExact(void* Buf, int32_t Count) {
  if (Read(Buf, Count) != Count) RaiseIoError(ErrorHandleEof);
}

int32_t TArcFile::Write(const void* Buf, int32_t Count) {
  if (Count <= 0) return 0;
  if (!IsOpen()) RaiseIoError(6);
  if (FReadAhead) {
    // Not for writing, but where the caller stands all the same.
    if (FOsPos != FPos && FileSeek(FHandle, FPos, soFromBeginning) < 0) RaiseIoError(GetLastOSError());
    FBufLen = 0;
    FReadAhead = false;
  }
  const int n = FileWrite(FHandle, Buf, Count);
  if (n < 0) RaiseIoError(GetLastOSError());
  return n;
}

void TArcFile::Seek(int64_t Pos) {
  if (!IsOpen()) RaiseIoError(6);
  if (Pos < 0) RaiseIoError(GetLastOSError());
  if (FReadAhead) {
    FPos = Pos;
    // Within the block read ahead, or at its end (where the system stands): no call.
    if (Pos >= FBufPos && Pos <= FBufPos + FBufLen) return;
    FBufLen = 0;
  }
  if (FileSeek(FHandle, Pos, soFromBeginning) < 0) RaiseIoError(GetLastOSError());
  FOsPos = Pos;
}

int64_t TArcFile::Position() {
  if (!IsOpen()) RaiseIoError(6);
  if (FReadAhead) return FPos;
  const int64_t p = FileSeek(FHandle, 0, soFromCurrent);
  if (p < 0) RaiseIoError(GetLastOSError());
  return p;
}

int64_t TArcFile::Size() {
  if (!IsOpen()) RaiseIoError(6);
  const int64_t at = FReadAhead ? FOsPos : Position();
  const int64_t size = FileSeek(FHandle, 0, soFromEnd);
  if (size < 0 || FileSeek(FHandle, at, soFromBeginning) < 0) RaiseIoError(GetLastOSError());
  return size;
}

bool TArcFile::SetDate(int32_t DosDate) { return IsOpen() && FileSetDate(FHandle, DosDate) == 0; }

bool TArcFile::Close() {
  FReadAhead = false;
  FBufPos = FOsPos = FPos = 0;
  FBufLen = 0;
  if (!IsOpen()) return false;
  FileClose(FHandle);
  FHandle = INVALID_FILE_HANDLE;
  return true;
}

int64_t TArcFileInput::Size() {
  try {
    return FFile.Size();
  } catch (const EInOutError&) {
    return -1;
  }
}

int32_t TArcFileInput::ReadAt(int64_t Pos, void* Buf, int32_t Count) {
  try {
    FFile.Seek(Pos);
    return FFile.Read(Buf, Count);
  } catch (const EInOutError&) {
    return -1;
  }
}

int64_t TBufferedArcInput::Size() {
  try {
    return FFile.Size();
  } catch (const EInOutError&) {
    return -1;
  }
}

int32_t TBufferedArcInput::ReadAt(int64_t Pos, void* Buf, int32_t Count) {
  if (Count <= 0) return 0;
  if (Pos < FBufPos || Pos + Count > FBufPos + FBufLen) {
    try {
      FFile.Seek(Pos);
      if (Count >= FBlock) return FFile.Read(Buf, Count);
      FBuf.resize(size_t(FBlock));
      FBufPos = Pos;
      FBufLen = 0;
      FBufLen = FFile.Read(FBuf.data(), FBlock);
    } catch (const EInOutError&) {
      FBufLen = 0;
      return -1;
    }
  }
  const int32_t N = int32_t(std::min<int64_t>(Count, FBufPos + FBufLen - Pos));
  if (N <= 0) return 0;
  memcpy(Buf, FBuf.data() + (Pos - FBufPos), size_t(N));
  return N;
}

std::function<bool(char Drive)> ArcDriveReadyProc;

bool CheckDriveReady(const std::string& Name) {
  if (Name.size() < 3 || Name[1] != ':') return true;
  return !ArcDriveReadyProc || ArcDriveReadyProc(Name[0]);
}

bool OpenInFile(TArcFile& F, const std::string& Name) { return CheckDriveReady(Name) && F.OpenRead(Name); }

bool ForceDirectories(const std::string& Dir) {
  const std::string dir = ExcludeTrailingBackslash(SlashToBackslash(Dir));
  if (dir.empty() || DirectoryExists(dir)) return true;
  // The root ("\\server\share\", "X:\", "X:", "\") is never made.
  size_t root = 0;
  if (dir.size() >= 2 && dir[0] == '\\' && dir[1] == '\\') {
    const size_t server = dir.find('\\', 2);
    const size_t share = server == std::string::npos ? server : dir.find('\\', server + 1);
    if (share == std::string::npos) return false;  // a share that does not exist
    root = share + 1;
  } else if (dir.size() >= 2 && dir[1] == ':') {
    root = dir.size() > 2 && dir[2] == '\\' ? 3 : 2;
  } else if (dir[0] == '\\') {
    root = 1;
  }
  // Folder by folder from the top: a name of thousands of folders costs no recursion,
  // and the walk stops at the first folder that cannot be made (a path too long).
  for (size_t sep = dir.find('\\', root);; sep = dir.find('\\', sep + 1)) {
    const std::string folder = sep == std::string::npos ? dir : dir.substr(0, sep);
    if (folder.size() > root && !DirectoryExists(folder) && !CreateDir(folder) && !DirectoryExists(folder))
      return false;
    if (sep == std::string::npos) return true;
  }
}

bool OpenOutFile(TArcFile& F, const std::string& Name) {
  if (ArcEngineNow().OutputMode != omToFile) return true;
  if (!CheckDriveReady(Name)) return false;
  // Most entries go to a folder that is there already: the folders are looked at only
  // when the file cannot be made.
  if (F.Create(Name)) return true;
  ForceDirectories(ExtractFilePath(Name));
  if (F.Create(Name)) return true;
  const int attr = FileGetAttr(Name);
  if (attr >= 0 && (attr & faReadOnly) && !(attr & faDirectory)) {
    FileSetAttr(Name, attr & ~faReadOnly);
    return F.Create(Name);
  }
  return false;
}

bool CloseFileChecked(TArcFile& F) { return F.Close(); }

bool FindFileExists(const std::string& Name) {
  TSearchRec rec;
  const bool found = FindFirst(Name, faAnyFile, rec) == 0;
  if (found) FindClose(rec);
  return found;
}

std::string TempDirectory() {
  std::string dir;
#ifdef _WIN32
  for (const wchar_t* var : {L"TMP", L"TEMP", L"USERPROFILE"}) {
    if (const wchar_t* v = _wgetenv(var); v && *v) {
      std::u16string w;
      for (; *v; ++v) w += static_cast<char16_t>(*v);
      dir = Utf16ToCp1251(w);
      break;
    }
  }
  if (dir.empty()) dir = GetCurrentDir();
#else
  const char* v = std::getenv("TMPDIR");
  dir = (v && *v) ? Utf8ToCp1251(v) : "/tmp";
#endif
  dir = IncludeTrailingBackslash(SlashToBackslash(dir));
  if (dir.size() > 255) dir.resize(255);
  return dir;
}
