// The file-system boundary: the only place where files are named to the system.
// Windows: 1251 names become UTF-16 for the wide API, so Cyrillic names work whatever the
// system's code page. Linux (the native test build): 1251 names become UTF-8 and "\"
// becomes "/", and the Windows behaviours that the program relies on (read-only files,
// no overwrite on rename, Windows error codes) are kept.
#include "classlib/core/sys_utils.h"

#include <algorithm>
#include <vector>

#include "classlib/core/code_page.h"
#include "classlib/core/exception.h"

#ifdef _WIN32
#include <windows.h>
#undef DeleteFile
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#endif

namespace {

constexpr int kErrorInvalidName = 123;

// A name with a NUL byte would be cut short at the boundary and name another file.
bool HasNul(const std::string& S) { return S.find('\0') != std::string::npos; }

std::string TrimMessage(std::string S) {
  while (!S.empty() && (static_cast<unsigned char>(S.back()) <= ' ' || S.back() == '.')) S.pop_back();
  return S;
}

}  // namespace

#ifdef _WIN32
// =======================================================================================
// Windows

namespace {

std::wstring W(const std::string& S) {
  std::u16string U = Cp1251ToUtf16(S);
  return std::wstring(U.begin(), U.end());
}

std::string A(const wchar_t* S) {
  return Utf16ToCp1251(std::u16string_view(reinterpret_cast<const char16_t*>(S)));
}

HANDLE H(THandle Handle) { return reinterpret_cast<HANDLE>(Handle); }

int LocalDosDate(const FILETIME& Ft) {
  FILETIME Local;
  WORD D, T;
  if (FileTimeToLocalFileTime(&Ft, &Local) && FileTimeToDosDateTime(&Local, &D, &T))
    return static_cast<int>((static_cast<unsigned>(D) << 16) | T);
  return -1;
}

const DWORD kShare[5] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};

// Windows refuses to write, replace or delete a read-only file; Wine run by root does not,
// so the attribute is checked here as well.
bool RefuseReadOnly(const std::wstring& Name) {
  DWORD A = GetFileAttributesW(Name.c_str());
  if (A == INVALID_FILE_ATTRIBUTES || !(A & FILE_ATTRIBUTE_READONLY) || (A & FILE_ATTRIBUTE_DIRECTORY)) return false;
  SetLastError(ERROR_ACCESS_DENIED);
  return true;
}

struct TFindState {
  HANDLE Handle = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW Data{};
  ~TFindState() {
    if (Handle != INVALID_HANDLE_VALUE) ::FindClose(Handle);
  }
};

// Skips entries with excluded attributes; fills F from the current entry.
int FindMatching(TSearchRec& F) {
  auto* S = static_cast<TFindState*>(F.FindHandle.get());
  while (S->Data.dwFileAttributes & F.ExcludeAttr)
    if (!FindNextFileW(S->Handle, &S->Data)) return static_cast<int>(GetLastError());
  F.Time = std::max(LocalDosDate(S->Data.ftLastWriteTime), 0);
  F.Size = (static_cast<std::int64_t>(S->Data.nFileSizeHigh) << 32) | S->Data.nFileSizeLow;
  F.Attr = static_cast<int>(S->Data.dwFileAttributes);
  F.Name = A(S->Data.cFileName);
  return 0;
}

}  // namespace

THandle FileOpen(const std::string& FileName, unsigned Mode) {
  static const DWORD Access[3] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
  if ((Mode & 3) > 2 || ((Mode & 0xF0) >> 4) > 4) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_FILE_HANDLE;
  }
  if (HasNul(FileName)) {
    SetLastError(kErrorInvalidName);
    return INVALID_FILE_HANDLE;
  }
  std::wstring Name = W(FileName);
  if ((Mode & 3) != 0 && RefuseReadOnly(Name)) return INVALID_FILE_HANDLE;
  HANDLE Hd = CreateFileW(Name.c_str(), Access[Mode & 3], kShare[(Mode & 0xF0) >> 4], nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
  return Hd == INVALID_HANDLE_VALUE ? INVALID_FILE_HANDLE : reinterpret_cast<THandle>(Hd);
}

THandle FileCreate(const std::string& FileName, unsigned Mode) {
  if (((Mode & 0xF0) >> 4) > 4) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_FILE_HANDLE;
  }
  if (HasNul(FileName)) {
    SetLastError(kErrorInvalidName);
    return INVALID_FILE_HANDLE;
  }
  std::wstring Name = W(FileName);
  if (RefuseReadOnly(Name)) return INVALID_FILE_HANDLE;
  HANDLE Hd = CreateFileW(Name.c_str(), GENERIC_READ | GENERIC_WRITE, kShare[(Mode & 0xF0) >> 4], nullptr,
                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  return Hd == INVALID_HANDLE_VALUE ? INVALID_FILE_HANDLE : reinterpret_cast<THandle>(Hd);
}

int FileRead(THandle Handle, void* Buffer, int Count) {
  if (Count <= 0) return 0;
  DWORD N = 0;
  if (!ReadFile(H(Handle), Buffer, static_cast<DWORD>(Count), &N, nullptr)) return -1;
  return static_cast<int>(N);
}

int FileWrite(THandle Handle, const void* Buffer, int Count) {
  if (Count <= 0) return 0;
  DWORD N = 0;
  if (!WriteFile(H(Handle), Buffer, static_cast<DWORD>(Count), &N, nullptr)) return -1;
  return static_cast<int>(N);
}

std::int64_t FileSeek(THandle Handle, std::int64_t Offset, int Origin) {
  LARGE_INTEGER Li, NewPos;
  Li.QuadPart = Offset;
  if (Origin < 0 || Origin > 2 || !SetFilePointerEx(H(Handle), Li, &NewPos, static_cast<DWORD>(Origin))) return -1;
  return NewPos.QuadPart;
}

bool FileTruncate(THandle Handle, std::int64_t Size) {
  std::int64_t Pos = FileSeek(Handle, 0, soFromCurrent);
  if (Pos < 0 || FileSeek(Handle, Size, soFromBeginning) < 0) return false;
  bool Ok = SetEndOfFile(H(Handle)) != 0;
  DWORD Err = GetLastError();
  FileSeek(Handle, std::min(Pos, Size), soFromBeginning);
  SetLastError(Err);
  return Ok;
}

void FileClose(THandle Handle) {
  if (Handle != INVALID_FILE_HANDLE) CloseHandle(H(Handle));
}

int FileAge(const std::string& FileName) {
  WIN32_FILE_ATTRIBUTE_DATA D;
  if (HasNul(FileName) || !GetFileAttributesExW(W(FileName).c_str(), GetFileExInfoStandard, &D)) return -1;
  if (D.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  return LocalDosDate(D.ftLastWriteTime);
}

int FileGetDate(THandle Handle) {
  FILETIME Ft;
  if (!GetFileTime(H(Handle), nullptr, nullptr, &Ft)) return -1;
  return LocalDosDate(Ft);
}

int FileSetDate(THandle Handle, int Age) {
  FILETIME Local, Ft;
  if (!DosDateTimeToFileTime(static_cast<WORD>(static_cast<unsigned>(Age) >> 16), static_cast<WORD>(Age & 0xFFFF),
                             &Local) ||
      !LocalFileTimeToFileTime(&Local, &Ft) || !SetFileTime(H(Handle), nullptr, nullptr, &Ft))
    return static_cast<int>(GetLastError());
  return 0;
}

int FileSetDate(const std::string& FileName, int Age) {
  if (HasNul(FileName)) return kErrorInvalidName;
  HANDLE Hd = CreateFileW(W(FileName).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (Hd == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
  int R = FileSetDate(reinterpret_cast<THandle>(Hd), Age);
  CloseHandle(Hd);
  return R;
}

int FileGetAttr(const std::string& FileName) {
  if (HasNul(FileName)) return -1;
  DWORD A = GetFileAttributesW(W(FileName).c_str());
  return A == INVALID_FILE_ATTRIBUTES ? -1 : static_cast<int>(A);
}

int FileSetAttr(const std::string& FileName, int Attr) {
  if (HasNul(FileName)) return kErrorInvalidName;
  return SetFileAttributesW(W(FileName).c_str(), static_cast<DWORD>(Attr)) ? 0 : static_cast<int>(GetLastError());
}

bool FileExists(const std::string& FileName) {
  int A = FileGetAttr(FileName);
  return A != -1 && !(A & faDirectory);
}

bool DirectoryExists(const std::string& Name) {
  int A = FileGetAttr(Name);
  return A != -1 && (A & faDirectory);
}

bool SameFile(const std::string& A, const std::string& B) {
  if (HasNul(A) || HasNul(B)) return false;
  auto Identity = [](const std::string& Name, BY_HANDLE_FILE_INFORMATION& Info) {
    HANDLE Hd = CreateFileW(W(Name).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (Hd == INVALID_HANDLE_VALUE) return false;
    bool Ok = GetFileInformationByHandle(Hd, &Info);
    CloseHandle(Hd);
    return Ok;
  };
  BY_HANDLE_FILE_INFORMATION IA, IB;
  return Identity(A, IA) && Identity(B, IB) && IA.dwVolumeSerialNumber == IB.dwVolumeSerialNumber &&
         IA.nFileIndexHigh == IB.nFileIndexHigh && IA.nFileIndexLow == IB.nFileIndexLow;
}

bool CreateDir(const std::string& Dir) { return !HasNul(Dir) && CreateDirectoryW(W(Dir).c_str(), nullptr); }
bool RemoveDir(const std::string& Dir) { return !HasNul(Dir) && RemoveDirectoryW(W(Dir).c_str()); }
bool DeleteFile(const std::string& FileName) {
  if (HasNul(FileName)) return false;
  std::wstring Name = W(FileName);
  return !RefuseReadOnly(Name) && DeleteFileW(Name.c_str());
}

bool RenameFile(const std::string& OldName, const std::string& NewName) {
  return !HasNul(OldName) && !HasNul(NewName) && MoveFileW(W(OldName).c_str(), W(NewName).c_str());
}

std::string GetCurrentDir() {
  DWORD N = GetCurrentDirectoryW(0, nullptr);
  std::vector<wchar_t> Buf(N + 1);
  GetCurrentDirectoryW(N + 1, Buf.data());
  return A(Buf.data());
}

bool SetCurrentDir(const std::string& Dir) { return !HasNul(Dir) && SetCurrentDirectoryW(W(Dir).c_str()); }

int FindFirst(const std::string& Path, int Attr, TSearchRec& F) {
  FindClose(F);
  if (HasNul(Path)) return kErrorInvalidName;
  auto S = std::make_shared<TFindState>();
  S->Handle = FindFirstFileW(W(Path).c_str(), &S->Data);
  if (S->Handle == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
  F.ExcludeAttr = ~Attr & (faHidden | faSysFile | faVolumeID | faDirectory);
  F.FindHandle = S;
  int R = FindMatching(F);
  if (R != 0) FindClose(F);
  return R;
}

int FindNext(TSearchRec& F) {
  auto* S = static_cast<TFindState*>(F.FindHandle.get());
  if (!S) return ERROR_NO_MORE_FILES;
  if (!FindNextFileW(S->Handle, &S->Data)) return static_cast<int>(GetLastError());
  return FindMatching(F);
}

void FindClose(TSearchRec& F) { F.FindHandle.reset(); }

int GetLastOSError() { return static_cast<int>(GetLastError()); }

std::string SysErrorMessage(int ErrorCode) {
  wchar_t Buf[512];
  DWORD N = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           static_cast<DWORD>(ErrorCode), 0, Buf, 512, nullptr);
  if (N == 0) return "";
  Buf[std::min<DWORD>(N, 511)] = 0;
  return TrimMessage(A(Buf));
}

std::string ExpandFileName(std::string_view FileName) {
  std::string Name(FileName);
  if (Name.empty() || HasNul(Name)) return "";
  std::wstring WName = W(Name);
  DWORD N = GetFullPathNameW(WName.c_str(), 0, nullptr, nullptr);
  if (N == 0) return Name;
  std::vector<wchar_t> Buf(N + 1);
  if (GetFullPathNameW(WName.c_str(), N + 1, Buf.data(), nullptr) == 0) return Name;
  return A(Buf.data());
}

#else
// =======================================================================================
// Linux

namespace {

thread_local int LastError = 0;

bool MaskMatches(std::string_view Mask, std::string_view Name) {
  // Iterative "*" / "?" matching with backtracking to the last star.
  std::size_t M = 0, N = 0, Star = std::string_view::npos, Mark = 0;
  while (N < Name.size()) {
    if (M < Mask.size() && (Mask[M] == '?' || Mask[M] == Name[N])) {
      ++M;
      ++N;
    } else if (M < Mask.size() && Mask[M] == '*') {
      Star = M++;
      Mark = N;
    } else if (Star != std::string_view::npos) {
      M = Star + 1;
      N = ++Mark;
    } else {
      return false;
    }
  }
  while (M < Mask.size() && Mask[M] == '*') ++M;
  return M == Mask.size();
}

// 1251 with "\" separators -> the UTF-8 path the system takes.
std::string P(const std::string& Name) {
  std::string U = Cp1251ToUtf8(Name);
  std::replace(U.begin(), U.end(), '\\', '/');
  return U;
}

// Errors the program tests for are reported with their Windows codes; any other errno
// keeps its own text through the customer bit.
constexpr int kErrnoFlag = 0x20000000;

int MapErrno(int E) {
  switch (E) {
    case 0: return 0;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EBADF: return 6;
    case EMFILE:
    case ENFILE: return 4;
    case ENOMEM: return 8;
    case EXDEV: return 17;
    case EROFS: return 19;
    case EBUSY:
    case ETXTBSY: return 32;
    case EINVAL: return 87;
    case ENOSPC: return 112;
    case ENOTEMPTY: return 145;
    case EEXIST: return 183;
    case ENAMETOOLONG: return 206;
    default: return kErrnoFlag | E;
  }
}

bool Fail(int Code) {
  LastError = Code;
  return false;
}

// errno of a failed call on Name; a missing folder on the way is "path not found".
bool FailErrno(const std::string& Name) {
  int E = errno;
  int Code = MapErrno(E);
  if (E == ENOENT) {
    std::string Dir = ExtractFileDir(Name);
    struct stat St;
    if (!Dir.empty() && Dir != Name && (stat(P(Dir).c_str(), &St) != 0 || !S_ISDIR(St.st_mode)))
      Code = ERROR_PATH_NOT_FOUND;
  }
  return Fail(Code);
}

bool StatName(const std::string& Name, struct stat& St) {
  if (HasNul(Name)) return Fail(kErrorInvalidName);
  if (stat(P(Name).c_str(), &St) == 0) return true;
  return FailErrno(Name);
}

// Windows read-only attribute: no write permission for the owner (root included).
bool ReadOnly(const struct stat& St) { return !(St.st_mode & S_IWUSR); }

int DosDate(std::time_t T) {
  std::tm Tm{};
  if (!localtime_r(&T, &Tm) || Tm.tm_year + 1900 < 1980 || Tm.tm_year + 1900 > 2107) return -1;
  unsigned D = (static_cast<unsigned>(Tm.tm_year + 1900 - 1980) << 9) | ((Tm.tm_mon + 1) << 5) | Tm.tm_mday;
  unsigned Ti = (static_cast<unsigned>(Tm.tm_hour) << 11) | (Tm.tm_min << 5) | (std::min(Tm.tm_sec, 59) / 2);
  return static_cast<int>((D << 16) | Ti);
}

bool DosToTime(int Age, std::time_t& T) {
  unsigned D = static_cast<unsigned>(Age) >> 16, Ti = static_cast<unsigned>(Age) & 0xFFFF;
  std::tm Tm{};
  Tm.tm_year = static_cast<int>((D >> 9) + 1980 - 1900);
  Tm.tm_mon = static_cast<int>(((D >> 5) & 15)) - 1;
  Tm.tm_mday = static_cast<int>(D & 31);
  Tm.tm_hour = static_cast<int>(Ti >> 11);
  Tm.tm_min = static_cast<int>((Ti >> 5) & 63);
  Tm.tm_sec = static_cast<int>((Ti & 31) * 2);
  Tm.tm_isdst = -1;
  if (Tm.tm_mon < 0 || Tm.tm_mon > 11 || Tm.tm_mday < 1 || Tm.tm_hour > 23 || Tm.tm_min > 59 || Tm.tm_sec > 59)
    return false;
  // mktime looks the time zone file up on every call; the files of one archive mostly
  // share a date, so the last answer is kept (for the same TZ setting).
  thread_local int LastAge = 0;
  thread_local std::time_t LastTime = -1;
  thread_local std::string LastZone;
  thread_local bool LastZoneSet = false;
  const char* Zone = std::getenv("TZ");
  if (Age == LastAge && LastTime != static_cast<std::time_t>(-1) && LastZoneSet == (Zone != nullptr) &&
      (!Zone || LastZone == Zone))
    return T = LastTime, true;
  T = mktime(&Tm);
  LastAge = Age;
  LastTime = T;
  LastZoneSet = Zone != nullptr;
  LastZone = Zone ? Zone : "";
  return T != static_cast<std::time_t>(-1);
}

int Attributes(const struct stat& St) {
  if (S_ISDIR(St.st_mode)) return faDirectory | (ReadOnly(St) ? faReadOnly : 0);
  return faArchive | (ReadOnly(St) ? faReadOnly : 0);
}

struct TFindState {
  DIR* Dir = nullptr;
  std::string Folder;  // the 1251 folder with a trailing "\" (or empty)
  std::string Mask;    // upper case
  ~TFindState() {
    if (Dir) closedir(Dir);
  }
};

int FindMatching(TSearchRec& F) {
  auto* S = static_cast<TFindState*>(F.FindHandle.get());
  while (dirent* E = readdir(S->Dir)) {
    std::string Name = Utf8ToCp1251(E->d_name);
    if (!MaskMatches(S->Mask, AnsiUpperCase(Name))) continue;
    struct stat St;
    std::string Full = P(S->Folder + Name);
    bool Link = lstat(Full.c_str(), &St) == 0 && S_ISLNK(St.st_mode);
    if (stat(Full.c_str(), &St) != 0 && lstat(Full.c_str(), &St) != 0) continue;  // vanished meanwhile
    int Attr = Attributes(St) | (Link ? faSymLink : 0);
    if (Attr & F.ExcludeAttr) continue;
    F.Name = Name;
    F.Attr = Attr;
    F.Size = S_ISDIR(St.st_mode) ? 0 : static_cast<std::int64_t>(St.st_size);
    F.Time = std::max(DosDate(St.st_mtime), 0);
    return 0;
  }
  return ERROR_NO_MORE_FILES;
}

}  // namespace

THandle FileOpen(const std::string& FileName, unsigned Mode) {
  static const int Flags[3] = {O_RDONLY, O_WRONLY, O_RDWR};
  if ((Mode & 3) > 2 || ((Mode & 0xF0) >> 4) > 4) return Fail(87), INVALID_FILE_HANDLE;
  if (HasNul(FileName)) return Fail(kErrorInvalidName), INVALID_FILE_HANDLE;
  // Share modes are not enforced here: Linux has no mandatory sharing.
  int Fd = open(P(FileName).c_str(), Flags[Mode & 3] | O_CLOEXEC);
  if (Fd < 0) return FailErrno(FileName), INVALID_FILE_HANDLE;
  struct stat St;
  if (fstat(Fd, &St) != 0 || S_ISDIR(St.st_mode) || ((Mode & 3) != 0 && ReadOnly(St))) {
    close(Fd);
    return Fail(ERROR_ACCESS_DENIED), INVALID_FILE_HANDLE;
  }
  return Fd;
}

THandle FileCreate(const std::string& FileName, unsigned Mode) {
  if (((Mode & 0xF0) >> 4) > 4) return Fail(87), INVALID_FILE_HANDLE;
  if (HasNul(FileName)) return Fail(kErrorInvalidName), INVALID_FILE_HANDLE;
  std::string Path = P(FileName);
  // Most files made are new: one call. Only a name in use is looked at first.
  int Fd = open(Path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (Fd >= 0) return Fd;
  if (errno != EEXIST) return FailErrno(FileName), INVALID_FILE_HANDLE;
  struct stat St;
  if (stat(Path.c_str(), &St) == 0 && (S_ISDIR(St.st_mode) || ReadOnly(St)))
    return Fail(ERROR_ACCESS_DENIED), INVALID_FILE_HANDLE;
  Fd = open(Path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (Fd < 0) return FailErrno(FileName), INVALID_FILE_HANDLE;
  return Fd;
}

int FileRead(THandle Handle, void* Buffer, int Count) {
  if (Count <= 0) return 0;
  int Total = 0;
  while (Total < Count) {
    ssize_t N = read(static_cast<int>(Handle), static_cast<char*>(Buffer) + Total, Count - Total);
    if (N < 0 && errno == EINTR) continue;
    if (N < 0) return Fail(MapErrno(errno)), -1;
    if (N == 0) break;
    Total += static_cast<int>(N);
  }
  return Total;
}

int FileWrite(THandle Handle, const void* Buffer, int Count) {
  if (Count <= 0) return 0;
  int Total = 0;
  while (Total < Count) {
    ssize_t N = write(static_cast<int>(Handle), static_cast<const char*>(Buffer) + Total, Count - Total);
    if (N < 0 && errno == EINTR) continue;
    if (N < 0) return Total ? Total : (Fail(MapErrno(errno)), -1);
    Total += static_cast<int>(N);
  }
  return Total;
}

std::int64_t FileSeek(THandle Handle, std::int64_t Offset, int Origin) {
  static const int Whence[3] = {SEEK_SET, SEEK_CUR, SEEK_END};
  if (Origin < 0 || Origin > 2) return Fail(87), -1;
  off_t R = lseek(static_cast<int>(Handle), static_cast<off_t>(Offset), Whence[Origin]);
  if (R < 0) return Fail(MapErrno(errno)), -1;
  return R;
}

bool FileTruncate(THandle Handle, std::int64_t Size) {
  std::int64_t Pos = FileSeek(Handle, 0, soFromCurrent);
  if (Pos < 0) return false;
  if (Size < 0 || ftruncate(static_cast<int>(Handle), static_cast<off_t>(Size)) != 0)
    return Fail(Size < 0 ? 87 : MapErrno(errno));
  FileSeek(Handle, std::min(Pos, Size), soFromBeginning);
  return true;
}

void FileClose(THandle Handle) {
  if (Handle != INVALID_FILE_HANDLE) close(static_cast<int>(Handle));
}

int FileAge(const std::string& FileName) {
  struct stat St;
  if (!StatName(FileName, St) || S_ISDIR(St.st_mode)) return -1;
  return DosDate(St.st_mtime);
}

int FileGetDate(THandle Handle) {
  struct stat St;
  if (fstat(static_cast<int>(Handle), &St) != 0) return Fail(MapErrno(errno)), -1;
  return DosDate(St.st_mtime);
}

int FileSetDate(THandle Handle, int Age) {
  std::time_t T;
  if (!DosToTime(Age, T)) return 87;
  struct timespec Times[2] = {{0, UTIME_OMIT}, {T, 0}};
  return futimens(static_cast<int>(Handle), Times) == 0 ? 0 : MapErrno(errno);
}

int FileSetDate(const std::string& FileName, int Age) {
  if (HasNul(FileName)) return kErrorInvalidName;
  std::time_t T;
  if (!DosToTime(Age, T)) return 87;
  struct timespec Times[2] = {{0, UTIME_OMIT}, {T, 0}};
  return utimensat(AT_FDCWD, P(FileName).c_str(), Times, 0) == 0 ? 0 : MapErrno(errno);
}

int FileGetAttr(const std::string& FileName) {
  struct stat St;
  return StatName(FileName, St) ? Attributes(St) : -1;
}

int FileSetAttr(const std::string& FileName, int Attr) {
  struct stat St;
  if (!StatName(FileName, St)) return LastError;
  mode_t M = St.st_mode & 07777;
  M = (Attr & faReadOnly) ? (M & ~(S_IWUSR | S_IWGRP | S_IWOTH)) : (M | S_IWUSR);
  return chmod(P(FileName).c_str(), M) == 0 ? 0 : MapErrno(errno);
}

bool FileExists(const std::string& FileName) {
  struct stat St;
  return StatName(FileName, St) && !S_ISDIR(St.st_mode);
}

bool DirectoryExists(const std::string& Name) {
  struct stat St;
  return StatName(Name, St) && S_ISDIR(St.st_mode);
}

bool SameFile(const std::string& A, const std::string& B) {
  struct stat SA, SB;
  return StatName(A, SA) && StatName(B, SB) && SA.st_dev == SB.st_dev && SA.st_ino == SB.st_ino;
}

bool CreateDir(const std::string& Dir) {
  if (HasNul(Dir)) return Fail(kErrorInvalidName);
  return mkdir(P(Dir).c_str(), 0777) == 0 || FailErrno(Dir);
}

bool RemoveDir(const std::string& Dir) {
  if (HasNul(Dir)) return Fail(kErrorInvalidName);
  return rmdir(P(Dir).c_str()) == 0 || FailErrno(Dir);
}

bool DeleteFile(const std::string& FileName) {
  if (HasNul(FileName)) return Fail(kErrorInvalidName);
  std::string Path = P(FileName);
  struct stat St;
  if (lstat(Path.c_str(), &St) != 0) return FailErrno(FileName);
  if (S_ISDIR(St.st_mode) || (!S_ISLNK(St.st_mode) && ReadOnly(St))) return Fail(ERROR_ACCESS_DENIED);
  return unlink(Path.c_str()) == 0 || FailErrno(FileName);
}

bool RenameFile(const std::string& OldName, const std::string& NewName) {
  if (HasNul(OldName) || HasNul(NewName)) return Fail(kErrorInvalidName);
  struct stat St;
  if (lstat(P(OldName).c_str(), &St) != 0) return FailErrno(OldName);
  // Never replace an existing target, as on Windows.
  if (lstat(P(NewName).c_str(), &St) == 0) return Fail(183);
  return rename(P(OldName).c_str(), P(NewName).c_str()) == 0 || FailErrno(NewName);
}

std::string GetCurrentDir() {
  std::vector<char> Buf(4096);
  while (!getcwd(Buf.data(), Buf.size())) {
    if (errno != ERANGE) return "";
    Buf.resize(Buf.size() * 2);
  }
  std::string R = Utf8ToCp1251(Buf.data());
  std::replace(R.begin(), R.end(), '/', '\\');
  return R;
}

bool SetCurrentDir(const std::string& Dir) {
  if (HasNul(Dir)) return Fail(kErrorInvalidName);
  return chdir(P(Dir).c_str()) == 0 || FailErrno(Dir);
}

int FindFirst(const std::string& Path, int Attr, TSearchRec& F) {
  FindClose(F);
  if (HasNul(Path)) return kErrorInvalidName;
  auto S = std::make_shared<TFindState>();
  S->Folder = ExtractFilePath(Path);
  S->Mask = AnsiUpperCase(ExtractFileName(Path));
  if (S->Mask == "*.*") S->Mask = "*";
  S->Dir = opendir(S->Folder.empty() ? "." : P(S->Folder).c_str());
  if (!S->Dir) return ERROR_PATH_NOT_FOUND;
  F.ExcludeAttr = ~Attr & (faHidden | faSysFile | faVolumeID | faDirectory);
  F.FindHandle = S;
  if (FindMatching(F) != 0) {
    FindClose(F);
    return ERROR_FILE_NOT_FOUND;
  }
  return 0;
}

int FindNext(TSearchRec& F) {
  if (!F.FindHandle) return ERROR_NO_MORE_FILES;
  return FindMatching(F);
}

void FindClose(TSearchRec& F) { F.FindHandle.reset(); }

int GetLastOSError() { return LastError; }

std::string SysErrorMessage(int ErrorCode) {
  if (ErrorCode & kErrnoFlag) return TrimMessage(Utf8ToCp1251(std::strerror(ErrorCode & ~kErrnoFlag)));
  switch (ErrorCode) {
    case 2: return "The system cannot find the file specified";
    case 3: return "The system cannot find the path specified";
    case 4: return "The system cannot open the file";
    case 5: return "Access is denied";
    case 6: return "The handle is invalid";
    case 8: return "Not enough storage is available to process this command";
    case 17: return "The system cannot move the file to a different disk drive";
    case 18: return "There are no more files";
    case 19: return "The media is write protected";
    case 32: return "The process cannot access the file because it is being used by another process";
    case 87: return "The parameter is incorrect";
    case 112: return "There is not enough space on the disk";
    case 123: return "The filename, directory name, or volume label syntax is incorrect";
    case 145: return "The directory is not empty";
    case 183: return "Cannot create a file when that file already exists";
    case 206: return "The filename or extension is too long";
    default: return "";
  }
}

std::string ExpandFileName(std::string_view FileName) {
  std::string Name(FileName);
  if (Name.empty() || HasNul(Name)) return "";
  std::replace(Name.begin(), Name.end(), '/', '\\');
  std::string Root, Rest;
  if (Name.size() >= 2 && Name[0] == '\\' && Name[1] == '\\') {
    Root = ExtractFileDrive(Name);
    Rest = Name.substr(Root.size());
  } else if (Name.size() >= 2 && Name[1] == ':') {
    Root = Name.substr(0, 2);
    Rest = Name.substr(2);
  } else if (Name[0] == '\\') {
    Rest = Name;
  } else {
    Rest = IncludeTrailingBackslash(GetCurrentDir()) + Name;
  }
  std::vector<std::string> Parts;
  std::size_t B = 0;
  while (B <= Rest.size()) {
    std::size_t E = Rest.find('\\', B);
    if (E == std::string::npos) E = Rest.size();
    std::string Part = Rest.substr(B, E - B);
    if (Part == "..") {
      if (!Parts.empty()) Parts.pop_back();
    } else if (!Part.empty() && Part != ".") {
      Parts.push_back(Part);
    }
    B = E + 1;
  }
  std::string R = Root;
  for (const std::string& Part : Parts) R += '\\' + Part;
  if (R.empty() || R == Root || (Rest.size() && Rest.back() == '\\')) R += '\\';
  return R;
}

#endif
