#include "storage/core/file_utils.h"

#include <vector>

#include "classlib/core/exception.h"
#include "classlib/core/sys_utils.h"
#include "ui/core/vcl_utils.h"

namespace {

constexpr int kBufferSize = 8192;

bool IsDriveLetter(char C) { return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z'); }

// A name beside Base that nothing has yet.
std::string UnusedName(const std::string& Base) {
  std::string Name = Base;
  for (int I = 1; FileGetAttr(Name) >= 0; ++I) Name = Base + IntToStr(I);
  return Name;
}

// Puts Temp in the place of Target; an existing Target is moved aside first and comes
// back when the move fails, so it is never lost.
bool ReplaceTarget(const std::string& Temp, const std::string& Target) {
  if (FileGetAttr(Target) < 0) return RenameFile(Temp, Target);
  std::string Backup = UnusedName(Target + ".~old");
  if (!RenameFile(Target, Backup)) return false;
  if (!RenameFile(Temp, Target)) {
    RenameFile(Backup, Target);
    return false;
  }
  DeleteFile(Backup);
  return true;
}

// Removes a link itself, never what it points at (a folder link is removed as a folder on
// Windows, as a file elsewhere).
bool RemoveLink(const std::string& Name) { return RemoveDir(Name) || DeleteFile(Name); }

// Progress controls take 32-bit values: large sizes are scaled down.
class TProgressScale {
public:
  TProgressScale(TObject* Progress, std::int64_t Size) : FProgress(Progress) {
    if (Size < 0) Size = 0;
    while ((Size >> FShift) > INT32_MAX) ++FShift;
    if (FProgress != nullptr) {
      SetProgressMax(FProgress, static_cast<int32_t>(Size >> FShift));
      SetProgressMin(FProgress, 0);
      SetProgressValue(FProgress, 0);
    }
  }
  void Position(std::int64_t Value) {
    if (FProgress != nullptr) SetProgressValue(FProgress, static_cast<int32_t>(Value >> FShift));
  }

private:
  TObject* FProgress;
  int FShift = 0;
};

class TFileHandle {
public:
  explicit TFileHandle(THandle Handle) : FHandle(Handle) {}
  ~TFileHandle() { Close(); }
  TFileHandle(const TFileHandle&) = delete;
  TFileHandle& operator=(const TFileHandle&) = delete;
  THandle Get() const { return FHandle; }
  bool Valid() const { return FHandle != INVALID_FILE_HANDLE; }
  void Close() {
    if (Valid()) FileClose(FHandle);
    FHandle = INVALID_FILE_HANDLE;
  }

private:
  THandle FHandle;
};

}  // namespace

std::string NormalDir(const std::string& DirName) {
  if (DirName.empty()) return DirName;
  char Last = DirName.back();
  if (Last == ':' || Last == '\\') return DirName;
  if (DirName.size() == 1 && IsDriveLetter(DirName[0])) return DirName + ":\\";
  return DirName + "\\";
}

std::string RemoveBackSlash(const std::string& DirName) {
  if (DirName.size() > 1 && DirName.back() == '\\' && !(DirName.size() == 3 && DirName[1] == ':'))
    return DirName.substr(0, DirName.size() - 1);
  return DirName;
}

bool DirExists(const std::string& Name) {
  int Attr = FileGetAttr(Name);
  return Attr >= 0 && (Attr & faDirectory) != 0;
}

void ForceDirectories(std::string Dir) {
  if (Dir.empty()) return;
  if (Dir.back() == '\\') Dir.pop_back();
  if (Dir.size() < 3 || DirExists(Dir) || ExtractFilePath(Dir) == Dir) return;
  size_t Slash = Dir.rfind('\\');
  if (Slash != std::string::npos) {
    std::string Parent = Dir.substr(0, Slash);
    if (Parent == Dir) return;
    ForceDirectories(Parent);
  }
  CreateDir(Dir);
}

std::int64_t GetFileSizeByName(const std::string& FileName) {
  TSearchRec F;
  std::int64_t Result = -1;
  if (FindFirst(ExpandFileName(FileName), faAnyFile, F) == 0) Result = F.Size;
  FindClose(F);
  return Result;
}

bool FileHasAttr(const std::string& FileName, int Attr) {
  int Found = FileGetAttr(FileName);
  return Found >= 0 && (Found & Attr) == Attr;
}

bool ValidFileName(const std::string& FileName) {
  return !FileName.empty() && FileName.find_first_of("<>\"[]|") == std::string::npos;
}

void CopyFileWithProgress(const std::string& FileName, const std::string& Destination, TObject* Progress) {
  std::string Target = DirExists(Destination) ? NormalDir(Destination) + ExtractFileName(FileName) : Destination;
  if (SameFile(FileName, Target))
    throw EFCreateError(ResStr(Format("Cannot copy %s onto itself", {FileName})));
  std::int64_t Size = GetFileSizeByName(FileName);
  TFileHandle Source(FileOpen(FileName, fmOpenRead | fmShareDenyWrite));
  if (!Source.Valid()) throw EFOpenError(ResStr(Format("Cannot open file %s", {FileName})));
  TProgressScale Scale(Progress, Size);
  ForceDirectories(ExtractFilePath(Target));
  int TargetAttr = FileGetAttr(Target);
  if (TargetAttr >= 0 && (TargetAttr & (faReadOnly | faDirectory)) != 0)
    throw EFCreateError(ResStr(Format("Cannot create file %s", {Target})));
  std::string Temp = UnusedName(Target + ".~tmp");
  TFileHandle Dest(FileCreate(Temp));
  if (!Dest.Valid()) throw EFCreateError(ResStr(Format("Cannot create file %s", {Target})));
  try {
    std::vector<char> Buffer(kBufferSize);
    std::int64_t Total = 0;
    for (;;) {
      int Read = FileRead(Source.Get(), Buffer.data(), kBufferSize);
      if (Read < 0) throw EReadError(ResStr("Stream read error"));
      if (Read > 0) {
        if (FileWrite(Dest.Get(), Buffer.data(), Read) != Read) throw EWriteError(ResStr("Stream write error"));
        Total += Read;
        Scale.Position(Total);
      }
      if (Read < kBufferSize) break;
    }
    int Age = FileGetDate(Source.Get());
    if (Age != -1) FileSetDate(Dest.Get(), Age);
    Dest.Close();
    Source.Close();
    if (!ReplaceTarget(Temp, Target)) throw EFCreateError(ResStr(Format("Cannot create file %s", {Target})));
  } catch (...) {
    Dest.Close();
    DeleteFile(Temp);
    Scale.Position(0);
    throw;
  }
  Scale.Position(0);
}

bool ClearDir(const std::string& Path, bool Delete) {
  // "C:" names the drive's current folder, not its root: whichever was meant, emptying a
  // folder picked by the process's state is never right.
  if (Path.size() == 2 && Path[1] == ':') return false;
  if (!DirExists(Path)) return false;
  bool Result = true;
  std::string Dir = NormalDir(Path);
  TSearchRec F;
  int Code = FindFirst(Dir + "*.*", faAnyFile, F);
  while (Code == 0) {
    if (!F.Name.empty() && F.Name[0] != '.' && F.Attr != faVolumeID) {
      std::string Name = Dir + F.Name;
      if (F.Attr & faSymLink) {
        // A linked folder (in a Wine prefix, Desktop and Documents lead into the user's
        // home) is never descended into.
        Result = RemoveLink(Name) && Result;
      } else if (F.Attr & faDirectory) {
        Result = ClearDir(Name, Delete) && Result;
      } else if (!(F.Attr & faVolumeID)) {
        if (F.Attr & faReadOnly) FileSetAttr(Name, faArchive);
        Result = DeleteFile(Name) && Result;
      }
    }
    Code = FindNext(F);
  }
  FindClose(F);
  bool EndedNormally = Code == ERROR_NO_MORE_FILES || Code == ERROR_FILE_NOT_FOUND;
  if (Delete && Result && EndedNormally) Result = RemoveDir(Path);
  return Result;
}
