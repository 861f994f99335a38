// UnRAR.dll: the RAR extraction library of the RAR reader, over libarchive (RAR 1.5-4.x
// and RAR 5). libarchive reads the volumes through TVolumeStream, which joins them into
// one byte stream and asks the caller's volume callback for each next one. libarchive does
// not decrypt, so an encrypted RAR 2.9-4.x entry is unpacked by a second libarchive reader
// over a one-entry archive built of its header (without the encryption flag) and its
// decrypted data.
#include <windows.h>

#include <archive.h>
#include <archive_entry.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/rar/rar_crypt.h"
#include "platform/rar/rar_library.h"

namespace {

constexpr size_t BlockSize = 65536;
const uint8_t Rar4Sig[7] = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x00};
const uint8_t Rar5Sig[8] = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x01, 0x00};
constexpr int64_t SfxSearchLimit = 4 << 20;  // how far into a self-extractor the archive may start

// RAR 1.5-4.x block types and flags.
enum : uint8_t { HeadMain = 0x73, HeadFile = 0x74, HeadEnd = 0x7B };
enum : uint16_t {
  MainVolume = 0x0001, MainNewNumbering = 0x0010, MainPassword = 0x0080,
  FileSplitBefore = 0x0001, FileSplitAfter = 0x0002, FilePassword = 0x0004, FileLarge = 0x0100,
  FileSalt = 0x0400, LongBlock = 0x8000, EndNextVolume = 0x0001,
};
enum : uint8_t { MethodStored = 0x30 };

uint16_t Le16(const uint8_t* P) { return uint16_t(P[0] | (P[1] << 8)); }
uint32_t Le32(const uint8_t* P) { return P[0] | (P[1] << 8) | (P[2] << 16) | (uint32_t(P[3]) << 24); }
void Put16(uint8_t* P, uint32_t V) {
  P[0] = uint8_t(V);
  P[1] = uint8_t(V >> 8);
}
void Put32(uint8_t* P, uint32_t V) {
  for (int I = 0; I < 4; I++) P[I] = uint8_t(V >> (8 * I));
}
// The CRC of a RAR 1.5-4.x header: the low half of the CRC-32 of everything after it.
uint16_t HeaderCrc(const uint8_t* Head, size_t Size) {
  return uint16_t(crc32(0, Head + 2, unsigned(Size - 2)) & 0xFFFF);
}

std::wstring Wide(const std::string& S, UINT Cp = 1251) {
  if (S.empty()) return std::wstring();
  const int N = MultiByteToWideChar(Cp, 0, S.data(), int(S.size()), nullptr, 0);
  std::wstring W(size_t(N), L'\0');
  MultiByteToWideChar(Cp, 0, S.data(), int(S.size()), W.data(), N);
  return W;
}
std::string Narrow(const std::wstring& W, UINT Cp) {
  if (W.empty()) return std::string();
  const int N = WideCharToMultiByte(Cp, 0, W.data(), int(W.size()), nullptr, 0, nullptr, nullptr);
  std::string S(size_t(N), '\0');
  WideCharToMultiByte(Cp, 0, W.data(), int(W.size()), S.data(), N, nullptr, nullptr);
  return S;
}
bool FileExistsA(const std::string& Name) {
  const DWORD A = GetFileAttributesW(Wide(Name).c_str());
  return A != INVALID_FILE_ATTRIBUTES && !(A & FILE_ATTRIBUTE_DIRECTORY);
}
HANDLE OpenForRead(const std::string& Name) {
  return CreateFileW(Wide(Name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}
int ReadHandleAt(HANDLE H, int64_t Pos, void* Buf, int Count) {
  LARGE_INTEGER P;
  P.QuadPart = Pos;
  DWORD Got = 0;
  if (!SetFilePointerEx(H, P, nullptr, FILE_BEGIN) || !ReadFile(H, Buf, DWORD(Count), &Got, nullptr)) return -1;
  return int(Got);
}
void CopyName(char* Dest, size_t Size, const std::string& S) {
  const size_t N = std::min(S.size(), Size - 1);
  memcpy(Dest, S.data(), N);
  Dest[N] = 0;
}

// A RAR 5 variable-length integer at P (at most End); 0 bytes used when it is broken.
size_t ReadVint(const uint8_t* P, const uint8_t* End, uint64_t& V) {
  V = 0;
  for (size_t I = 0; I < 10 && P + I < End; I++) {
    V |= uint64_t(P[I] & 0x7F) << (7 * I);
    if (!(P[I] & 0x80)) return I + 1;
  }
  return 0;
}

// The name of the volume after Name: "x.part01.rar" > "x.part02.rar" with the new
// numbering, "x.rar" > "x.r00" > "x.r01" ... "x.r99" > "x.s00" with the old one.
std::string NextVolumeName(const std::string& Name, bool NewNumbering) {
  const size_t Sep = Name.find_last_of("\\/:");
  const size_t Base = Sep == std::string::npos ? 0 : Sep + 1;
  size_t Dot = Name.rfind('.');
  if (Dot == std::string::npos || Dot < Base) Dot = Name.size();
  auto IsDigit = [](char C) { return C >= '0' && C <= '9'; };
  if (NewNumbering) {
    size_t End = Dot;
    while (End > Base && !IsDigit(Name[End - 1])) End--;
    if (End > Base) {
      std::string Next = Name;
      size_t I = End;
      while (I > Base && IsDigit(Next[I - 1])) {
        if (Next[I - 1] != '9') {
          Next[I - 1]++;
          return Next;
        }
        Next[I - 1] = '0';
        I--;
      }
      return Next.insert(I, "1");  // part99 > part100
    }
  }
  const std::string Ext = Dot < Name.size() ? Name.substr(Dot + 1) : std::string();
  if (Ext.size() == 3 && IsDigit(Ext[1]) && IsDigit(Ext[2])) {
    int N = (Ext[1] - '0') * 10 + (Ext[2] - '0') + 1;
    char Letter = Ext[0];
    if (N > 99) {
      N = 0;
      Letter++;
    }
    const char Digits[3] = {char('0' + N / 10), char('0' + N % 10), 0};
    return Name.substr(0, Dot) + "." + Letter + Digits;
  }
  const char Letter = !Ext.empty() && Ext[0] >= 'A' && Ext[0] <= 'Z' ? 'R' : 'r';
  return Name.substr(0, Dot) + "." + Letter + "00";
}

// ---- The volumes as one stream -------------------------------------------------------------

class TVolumeStream {
public:
  ~TVolumeStream() {
    if (FFile != INVALID_HANDLE_VALUE) CloseHandle(FFile);
    if (FPeek != INVALID_HANDLE_VALUE) CloseHandle(FPeek);
  }

  // The first volume; a result code.
  int Open(const std::string& Name) {
    FFile = OpenForRead(Name);
    if (FFile == INVALID_HANDLE_VALUE) return RarOpenError;
    AddVolume(Name, FFile);
    // Where the archive starts (after a self-extractor's code) and what its main header says.
    std::vector<uint8_t> Head;
    const uint8_t* Sig = nullptr;
    const uint8_t* End = nullptr;
    for (int64_t Have = 0; Sig == nullptr && Have < std::min<int64_t>(FVolumes[0].Size, SfxSearchLimit);) {
      const int64_t Want = std::min<int64_t>(std::max<int64_t>(Have * 2, BlockSize), SfxSearchLimit + 64);
      Head.resize(size_t(Want));
      const int Got = ReadHandleAt(FFile, 0, Head.data(), int(Want));
      if (Got <= Have) break;
      Have = Got;
      End = Head.data() + Got;
      for (const uint8_t* P = Head.data(); P + 8 <= End; P++)
        if (P[0] == 'R' && memcmp(P, Rar4Sig, 6) == 0 && (P[6] == 0 || P[6] == 1)) {
          Sig = P;
          break;
        }
    }
    ReadHandleAt(FFile, 0, nullptr, 0);  // back to the start for libarchive
    if (Sig == nullptr) return RarBadArchive;
    SigOffset = Sig - Head.data();
    Rar5 = memcmp(Sig, Rar5Sig, 8) == 0;
    if (!Rar5) {
      const uint8_t* M = Sig + 7;
      if (M + 7 > End || M[2] != HeadMain) return RarBadArchive;
      const uint16_t Flags = Le16(M + 3);
      VolumeSet = Flags & MainVolume;
      NewNumbering = Flags & MainNewNumbering;
      HeadersEncrypted = Flags & MainPassword;
    } else {
      // CRC-32, size, type (1 main, 4 encryption of the headers), flags, then the main
      // header's archive flags (bit 0: a volume).
      const uint8_t* P = Sig + 8 + 4;
      uint64_t Size, Type, Flags, Skip, ArcFlags;
      size_t N;
      if (!(N = ReadVint(P, End, Size))) return RarBadArchive;
      P += N;
      if (!(N = ReadVint(P, End, Type))) return RarBadArchive;
      P += N;
      HeadersEncrypted = Type == 4;
      if (Type == 1) {
        if (!(N = ReadVint(P, End, Flags))) return RarBadArchive;
        P += N;
        for (uint64_t Bit : {1u, 2u})
          if (Flags & Bit) {
            if (!(N = ReadVint(P, End, Skip))) return RarBadArchive;
            P += N;
          }
        if (!(N = ReadVint(P, End, ArcFlags))) return RarBadArchive;
        VolumeSet = ArcFlags & 1;
      }
      NewNumbering = true;
    }
    return RarSuccess;
  }

  // libarchive's read callback.
  la_ssize_t Read(const void** Buf) {
    for (;;) {
      DWORD Got = 0;
      if (!ReadFile(FFile, FBuf, DWORD(sizeof FBuf), &Got, nullptr)) {
        Failure = RarReadError;
        return -1;
      }
      if (Got > 0) {
        FPos += Got;
        *Buf = FBuf;
        return la_ssize_t(Got);
      }
      if (!VolumeSet || IsLastVolume(FVolumes.size() - 1)) return 0;
      if (!NextVolume()) return -1;
    }
  }

  // libarchive's skip callback: within the current volume; libarchive reads the rest.
  la_int64_t Skip(la_int64_t Request) {
    const int64_t N = std::min<int64_t>(Request, FVolumes.back().Size - FPos);
    if (N <= 0) return 0;
    LARGE_INTEGER D;
    D.QuadPart = N;
    if (!SetFilePointerEx(FFile, D, nullptr, FILE_CURRENT)) return 0;
    FPos += N;
    return N;
  }

  // Bytes at Pos of the joined stream, from the volumes met so far; -1 on failure.
  int ReadAt(int64_t Pos, void* Buf, int Count) {
    const size_t V = VolumeAt(Pos);
    if (V == SIZE_MAX) return 0;
    if (FPeekIndex != V) {
      if (FPeek != INVALID_HANDLE_VALUE) CloseHandle(FPeek);
      FPeek = OpenForRead(FVolumes[V].Name);
      FPeekIndex = FPeek == INVALID_HANDLE_VALUE ? SIZE_MAX : V;
      if (FPeek == INVALID_HANDLE_VALUE) return -1;
    }
    const int64_t Left = FVolumes[V].Start + FVolumes[V].Size - Pos;
    return ReadHandleAt(FPeek, Pos - FVolumes[V].Start, Buf, int(std::min<int64_t>(Count, Left)));
  }

  size_t VolumeAt(int64_t Pos) const {
    for (size_t I = 0; I < FVolumes.size(); I++)
      if (Pos >= FVolumes[I].Start && Pos < FVolumes[I].Start + FVolumes[I].Size) return I;
    return SIZE_MAX;
  }
  const std::string& VolumeName(size_t I) const { return FVolumes[I < FVolumes.size() ? I : FVolumes.size() - 1].Name; }
  int64_t VolumeStart(size_t I) const { return FVolumes[I].Start; }

  TRarChangeVolProc ChangeVolProc = nullptr;
  int Failure = 0;  // why the next volume could not be had
  bool Rar5 = false, VolumeSet = false, NewNumbering = false, HeadersEncrypted = false;
  int64_t SigOffset = 0;

private:
  struct TVolume {
    std::string Name;
    int64_t Start, Size;
  };

  void AddVolume(const std::string& Name, HANDLE H) {
    LARGE_INTEGER Size{};
    GetFileSizeEx(H, &Size);
    const int64_t Start = FVolumes.empty() ? 0 : FVolumes.back().Start + FVolumes.back().Size;
    FVolumes.push_back({Name, Start, Size.QuadPart});
    FPos = 0;
  }

  // Whether the volume's end block says that no volume follows; without one, more may.
  bool IsLastVolume(size_t V) {
    const int64_t Start = FVolumes[V].Start + (V == 0 ? SigOffset : 0);
    const int64_t End = FVolumes[V].Start + FVolumes[V].Size;
    uint8_t H[32];
    int64_t Pos = Start + (Rar5 ? 8 : 7);
    for (int Blocks = 0; Blocks < 1000000 && Pos < End; Blocks++) {
      const int Got = ReadAt(Pos, H, sizeof H);
      if (Got < 7) return false;
      int64_t Total;
      if (!Rar5) {
        const uint16_t Flags = Le16(H + 3), Size = Le16(H + 5);
        if (Size < 7) return false;
        if (H[2] == HeadEnd) return !(Flags & EndNextVolume);
        Total = Size + ((Flags & LongBlock) && Got >= 11 ? Le32(H + 7) : 0);
      } else {
        uint64_t Size, Type, Flags, Extra = 0, Data = 0;
        const uint8_t* P = H + 4;
        const uint8_t* E = H + Got;
        const size_t Len = ReadVint(P, E, Size);
        size_t N;
        if (!Len) return false;
        P += Len;
        if (!(N = ReadVint(P, E, Type))) return false;
        P += N;
        if (!(N = ReadVint(P, E, Flags))) return false;
        P += N;
        if (Flags & 1) {
          if (!(N = ReadVint(P, E, Extra))) return false;
          P += N;
        }
        if (Flags & 2) {
          if (!(N = ReadVint(P, E, Data))) return false;
          P += N;
        }
        if (Type == 5) {  // end of the archive: bit 0 of its flags, more volumes follow
          uint64_t EndFlags = 0;
          if (!ReadVint(P, E, EndFlags)) return false;
          return !(EndFlags & 1);
        }
        Total = 4 + int64_t(Len) + int64_t(Size) + int64_t(Data);
      }
      if (Total <= 0) return false;
      Pos += Total;
    }
    return false;
  }

  // Opens the volume after the current one, through the volume callback.
  bool NextVolume() {
    std::string Name = NextVolumeName(FVolumes.back().Name, NewNumbering);
    char Buf[RarVolumeNameSize];
    auto Call = [&](int Mode) {
      if (Name.size() >= sizeof Buf) return false;
      CopyName(Buf, sizeof Buf, Name);
      if (ChangeVolProc == nullptr) return Mode == RarVolNotify;
      const int R = ChangeVolProc(Buf, Mode);
      Buf[sizeof Buf - 1] = 0;
      Name = Buf;
      return R != 0;
    };
    while (!FileExistsA(Name))
      if (!Call(RarVolAsk)) {
        Failure = RarOpenError;
        return false;
      }
    if (!Call(RarVolNotify)) {
      Failure = RarOpenError;
      return false;
    }
    const HANDLE H = OpenForRead(Name);
    if (H == INVALID_HANDLE_VALUE) {
      Failure = RarOpenError;
      return false;
    }
    CloseHandle(FFile);
    FFile = H;
    AddVolume(Name, H);
    return true;
  }

  std::vector<TVolume> FVolumes;
  HANDLE FFile = INVALID_HANDLE_VALUE;  // the current volume, read by libarchive
  HANDLE FPeek = INVALID_HANDLE_VALUE;  // for ReadAt
  size_t FPeekIndex = SIZE_MAX;
  int64_t FPos = 0;  // in the current volume
  uint8_t FBuf[BlockSize];
};

la_ssize_t VolumeRead(archive*, void* Client, const void** Buf) { return static_cast<TVolumeStream*>(Client)->Read(Buf); }
la_int64_t VolumeSkip(archive*, void* Client, la_int64_t Request) {
  return static_cast<TVolumeStream*>(Client)->Skip(Request);
}

// ---- One encrypted entry as an archive of its own ------------------------------------------

class TDecryptedEntry {
public:
  TDecryptedEntry(std::vector<uint8_t> Prefix, HANDLE File, int64_t DataPos, int64_t DataSize, int64_t Keep,
                  const std::u16string& Password, const uint8_t Salt[8])
      : FPrefix(std::move(Prefix)), FFile(File), FPos(DataPos), FLeft(DataSize), FKeep(Keep),
        FCrypt(Password, Salt) {}
  ~TDecryptedEntry() { CloseHandle(FFile); }

  la_ssize_t Read(const void** Buf) {
    if (!FPrefixSent) {
      FPrefixSent = true;
      *Buf = FPrefix.data();
      return la_ssize_t(FPrefix.size());
    }
    if (FLeft <= 0 || FKeep <= 0) return 0;
    const int Want = int(std::min<int64_t>(FLeft, sizeof FBuf));
    const int Got = ReadHandleAt(FFile, FPos, FBuf, Want);
    if (Got != Want) return -1;
    FPos += Got;
    FLeft -= Got;
    FCrypt.Decrypt(FBuf, size_t(Got));
    const int64_t N = std::min<int64_t>(Got, FKeep);  // a stored entry ends before its padding
    FKeep -= N;
    *Buf = FBuf;
    return la_ssize_t(N);
  }

private:
  std::vector<uint8_t> FPrefix;
  bool FPrefixSent = false;
  HANDLE FFile;
  int64_t FPos, FLeft, FKeep;
  TRar3Decryptor FCrypt;
  uint8_t FBuf[BlockSize];
};

la_ssize_t DecryptedRead(archive*, void* Client, const void** Buf) {
  return static_cast<TDecryptedEntry*>(Client)->Read(Buf);
}

// ---- The archive handle -------------------------------------------------------------------

struct TEntryInfo {
  std::wstring Name;
  bool Directory = false, Link = false, Encrypted = false;
  uint64_t PackSize = 0, UnpSize = 0;
  uint32_t Flags = 0, HostOS = 2, Crc = 0, DosTime = 0, UnpVer = 50, Method = 0, Attr = 0;
  FILETIME MTime{};  // UTC
  bool HasMTime = false;
  // RAR 1.5-4.x: the file header as stored and where the data follow it.
  std::vector<uint8_t> RawHeader;
  int64_t DataPos = 0;
  size_t Volume = 0;
  uint8_t Salt[8] = {};
  bool HasSalt = false;
};

class TRarArchive {
public:
  ~TRarArchive() {
    if (FArchive) archive_read_free(FArchive);
  }

  int Open(const std::string& Name) {
    int R = FVolumes.Open(Name);
    if (R != RarSuccess) return R;
    if (FVolumes.HeadersEncrypted) return RarBadPassword;
    FArchive = NewReader();
    if (FArchive == nullptr) return RarNoMemory;
    if (archive_read_open2(FArchive, &FVolumes, nullptr, VolumeRead, VolumeSkip, nullptr) != ARCHIVE_OK)
      return FVolumes.Failure ? FVolumes.Failure : RarBadArchive;
    return RarSuccess;
  }

  int ReadHeader(TRarHeaderRecord* H) {
    FInEntry = false;
    archive_entry* E = nullptr;
    const int R = archive_read_next_header(FArchive, &E);
    if (R == ARCHIVE_EOF) return RarEndArchive;
    if (R < ARCHIVE_WARN) return ErrorCode(FArchive, RarBadData);
    FEntry = E;
    FInfo = TEntryInfo();
    TEntryInfo& I = FInfo;
    // RAR 5 names are UTF-8, which the wide and the local forms may fail to hold.
    if (const wchar_t* W = archive_entry_pathname_w(E))
      I.Name = W;
    else if (const char* U = archive_entry_pathname_utf8(E))
      I.Name = Wide(U, CP_UTF8);
    else if (const char* S = archive_entry_pathname(E))
      I.Name = Wide(S, CP_ACP);
    std::replace(I.Name.begin(), I.Name.end(), L'/', L'\\');
    I.Directory = archive_entry_filetype(E) == AE_IFDIR;
    I.Link = archive_entry_filetype(E) == AE_IFLNK;
    I.Encrypted = archive_entry_is_data_encrypted(E);
    I.UnpSize = uint64_t(archive_entry_size(E));
    I.PackSize = I.UnpSize;
    if (archive_entry_mtime_is_set(E)) {
      const uint64_t T = (uint64_t(archive_entry_mtime(E)) + 11644473600ull) * 10000000ull +
                         uint64_t(archive_entry_mtime_nsec(E)) / 100;
      I.MTime.dwLowDateTime = DWORD(T);
      I.MTime.dwHighDateTime = DWORD(T >> 32);
      I.HasMTime = true;
      FILETIME Local;
      WORD Date = 0, Time = 0;
      if (FileTimeToLocalFileTime(&I.MTime, &Local) && FileTimeToDosDateTime(&Local, &Date, &Time))
        I.DosTime = (uint32_t(Date) << 16) | Time;
    }
    // DOS attributes from the mode and, for RAR 5, libarchive's file flags.
    const int Mode = archive_entry_mode(E);
    I.Attr = I.Directory ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (!(Mode & 0200)) I.Attr |= FILE_ATTRIBUTE_READONLY;
    unsigned long Set = 0, Clear = 0;
    archive_entry_fflags(E, &Set, &Clear);
    I.Attr |= Set & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    if (I.Encrypted) I.Flags |= RarFlagEncrypted;
    if (!FVolumes.Rar5) FindRar4Header(archive_read_header_position(FArchive));

    memset(H, 0, sizeof *H);
    CopyName(H->ArcName, sizeof H->ArcName, FVolumes.VolumeName(I.Volume));
    CopyName(H->FileName, sizeof H->FileName, Narrow(I.Name, 866));
    H->Flags = I.Flags;
    H->PackSize = uint32_t(I.PackSize);
    H->UnpSize = uint32_t(I.UnpSize);
    H->HostOS = I.HostOS;
    H->FileCRC = I.Crc;
    H->FileTime = I.DosTime;
    H->UnpVer = I.UnpVer;
    H->Method = I.Method;
    H->FileAttr = I.Attr;
    FInEntry = true;
    FDataRead = false;
    return RarSuccess;
  }

  int ProcessFile(int Operation, const char* DestPath, const char* DestName) {
    if (!FInEntry) return RarBadArchive;
    if (Operation != RarTest && Operation != RarExtract) {
      FInEntry = false;
      return SkipData();
    }
    HANDLE Out = INVALID_HANDLE_VALUE;
    std::wstring OutName;
    if (Operation == RarExtract) {
      if (DestName != nullptr && *DestName)
        OutName = Wide(DestName);
      else {
        const size_t Sep = FInfo.Name.find_last_of(L'\\');
        OutName = Wide(DestPath ? DestPath : "");
        if (!OutName.empty() && OutName.back() != L'\\') OutName += L'\\';
        OutName += Sep == std::wstring::npos ? FInfo.Name : FInfo.Name.substr(Sep + 1);
      }
      if (FInfo.Directory) {
        FInEntry = false;
        return CreateDirectoryW(OutName.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS ? SkipData()
                                                                                                    : RarCreateError;
      }
      Out = CreateOutput(OutName);
      if (Out == INVALID_HANDLE_VALUE) {
        // The next entry can still be read.
        FInEntry = FInfo.Encrypted;
        const int R = SkipData();
        return R == RarSuccess ? RarCreateError : R;
      }
    }
    int R;
    if (FInfo.Encrypted) {
      R = UnpackEncrypted(Out);  // may be tried again with another password
    } else {
      FInEntry = false;
      R = FDataRead ? RarBadArchive : UnpackPlain(Out);
    }
    if (Out != INVALID_HANDLE_VALUE) {
      if (R == RarSuccess) {
        FILETIME T = FInfo.MTime;
        if (!FInfo.HasMTime) {
          FILETIME Local;
          if (DosDateTimeToFileTime(WORD(FInfo.DosTime >> 16), WORD(FInfo.DosTime), &Local))
            LocalFileTimeToFileTime(&Local, &T);
        }
        if (T.dwLowDateTime || T.dwHighDateTime) SetFileTime(Out, nullptr, nullptr, &T);
      }
      const bool Closed = CloseHandle(Out);
      if (R == RarSuccess && !Closed) R = RarCloseError;
      if (R != RarSuccess) {
        DeleteFileW(OutName.c_str());  // never leave a part that looks whole
      } else {
        // Only the DOS bits: an entry never makes its file a folder, device or the like.
        DWORD A = FInfo.Attr & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                FILE_ATTRIBUTE_ARCHIVE);
        SetFileAttributesW(OutName.c_str(), A ? A : FILE_ATTRIBUTE_NORMAL);
      }
    }
    return R;
  }

  TVolumeStream& Volumes() { return FVolumes; }
  TRarProcessDataProc DataProc = nullptr;
  std::u16string Password;

private:
  static archive* NewReader() {
    archive* A = archive_read_new();
    if (A == nullptr) return nullptr;
    archive_read_support_format_rar(A);
    archive_read_support_format_rar5(A);
    // Names without the Unicode field are in the archiver's DOS code page.
    archive_read_set_format_option(A, "rar", "hdrcharset", "CP866");
    return A;
  }

  int ErrorCode(archive* A, int Default) {
    if (FVolumes.Failure) return FVolumes.Failure;
    if (archive_errno(A) == ENOMEM) return RarNoMemory;
    std::string Msg = archive_error_string(A) ? archive_error_string(A) : "";
    std::transform(Msg.begin(), Msg.end(), Msg.begin(), [](unsigned char C) { return char(tolower(C)); });
    for (const char* Word : {"unsupported", "not supported", "unavailable"})
      if (Msg.find(Word) != std::string::npos) return RarUnknownFormat;
    return Default;
  }

  int SkipData() {
    if (FDataRead) return RarSuccess;
    FDataRead = true;
    return archive_read_data_skip(FArchive) < ARCHIVE_WARN ? ErrorCode(FArchive, RarBadData) : RarSuccess;
  }

  HANDLE CreateOutput(const std::wstring& Name) {
    HANDLE H = CreateFileW(Name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (H == INVALID_HANDLE_VALUE) {
      // A read-only file in the way loses that attribute, as with the other readers.
      const DWORD A = GetFileAttributesW(Name.c_str());
      if (A != INVALID_FILE_ATTRIBUTES && !(A & FILE_ATTRIBUTE_DIRECTORY) && (A & FILE_ATTRIBUTE_READONLY) &&
          SetFileAttributesW(Name.c_str(), A & ~FILE_ATTRIBUTE_READONLY))
        H = CreateFileW(Name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    return H;
  }

  // A block of the entry's data to the data callback and the output file.
  int Emit(HANDLE Out, const void* Buf, size_t Size) {
    if (Size == 0) return RarSuccess;
    if (DataProc && DataProc(static_cast<unsigned char*>(const_cast<void*>(Buf)), int(Size)) == 0) return RarAborted;
    DWORD Done = 0;
    if (Out != INVALID_HANDLE_VALUE && (!WriteFile(Out, Buf, DWORD(Size), &Done, nullptr) || Done != Size))
      return RarWriteError;
    return RarSuccess;
  }

  int UnpackFrom(archive* A, HANDLE Out) {
    static thread_local uint8_t Buf[BlockSize];
    for (;;) {
      const la_ssize_t N = archive_read_data(A, Buf, sizeof Buf);
      if (N == 0) return RarSuccess;
      if (N < 0) return ErrorCode(A, RarBadData);
      if (int R = Emit(Out, Buf, size_t(N))) return R;
    }
  }

  int UnpackPlain(HANDLE Out) {
    FDataRead = true;
    if (FInfo.Link) {
      // A link made on another system: its data are the target's name.
      const char* Target = archive_entry_symlink(FEntry);
      return Target ? Emit(Out, Target, strlen(Target)) : RarSuccess;
    }
    return UnpackFrom(FArchive, Out);
  }

  int UnpackEncrypted(HANDLE Out) {
    const TEntryInfo& I = FInfo;
    if (I.RawHeader.empty() || I.UnpVer < 29 || !I.HasSalt || (I.Flags & (RarFlagSplitBefore | RarFlagSplitAfter)))
      return RarUnknownFormat;
    if (I.PackSize % 16 != 0) return RarBadData;
    // Marker, a plain main header, the entry's header without its encryption flag and,
    // for a stored entry, with the size of its data without the padding.
    std::vector<uint8_t> Prefix(Rar4Sig, Rar4Sig + 7);
    uint8_t Main[13] = {0, 0, HeadMain, 0, 0, 13, 0};
    Put16(Main, HeaderCrc(Main, sizeof Main));
    Prefix.insert(Prefix.end(), Main, Main + sizeof Main);
    std::vector<uint8_t> Head = I.RawHeader;
    Put16(&Head[3], Le16(&Head[3]) & ~FilePassword);
    const bool Stored = I.Method == MethodStored;
    if (Stored) {
      Put32(&Head[7], uint32_t(I.UnpSize));
      if (Le16(&Head[3]) & FileLarge) Put32(&Head[32], uint32_t(I.UnpSize >> 32));
    }
    Put16(&Head[0], HeaderCrc(Head.data(), Head.size()));
    Prefix.insert(Prefix.end(), Head.begin(), Head.end());

    const std::string& VolName = FVolumes.VolumeName(I.Volume);
    const HANDLE F = OpenForRead(VolName);
    if (F == INVALID_HANDLE_VALUE) return RarOpenError;
    TDecryptedEntry Source(std::move(Prefix), F, I.DataPos - FVolumes.VolumeStart(I.Volume), int64_t(I.PackSize),
                           Stored ? int64_t(I.UnpSize) : int64_t(I.PackSize), Password, I.Salt);
    archive* A = NewReader();
    if (A == nullptr) return RarNoMemory;
    std::unique_ptr<archive, int (*)(archive*)> Free(A, archive_read_free);
    archive_entry* E;
    if (archive_read_open(A, &Source, nullptr, DecryptedRead, nullptr) != ARCHIVE_OK ||
        archive_read_next_header(A, &E) < ARCHIVE_WARN)
      return RarBadData;
    // Whatever goes wrong now comes of the password: the data are those of the archive.
    const int R = UnpackFrom(A, Out);
    return R == RarUnknownFormat ? RarBadData : R;
  }

  // Finds the stored header of the entry libarchive has just read: the first file header
  // from the position where libarchive began (marker, main header and other blocks come
  // first). The entry keeps libarchive's view when it cannot be found.
  void FindRar4Header(int64_t From) {
    TEntryInfo& I = FInfo;
    if (From == 0) From = FVolumes.SigOffset;
    uint8_t B[7];
    for (int Blocks = 0; Blocks < 100000; Blocks++) {
      if (FVolumes.ReadAt(From, B, 7) != 7) return;
      if (memcmp(B, Rar4Sig, 7) == 0) {
        From += 7;
        continue;
      }
      const uint16_t Flags = Le16(B + 3), Size = Le16(B + 5);
      if (Size < 7) return;
      if (B[2] == HeadFile) {
        std::vector<uint8_t> H(Size);
        if (Size < 32 || FVolumes.ReadAt(From, H.data(), Size) != Size || HeaderCrc(H.data(), Size) != Le16(&H[0]))
          return;
        const uint16_t NameSize = Le16(&H[26]);
        const size_t NamePos = 32 + ((Flags & FileLarge) ? 8 : 0);
        if (NamePos + NameSize > Size) return;
        I.Flags = Flags & (RarFlagSplitBefore | RarFlagSplitAfter | RarFlagEncrypted);
        I.PackSize = Le32(&H[7]) | ((Flags & FileLarge) ? uint64_t(Le32(&H[32])) << 32 : 0);
        I.HostOS = H[15];
        I.Crc = Le32(&H[16]);
        I.DosTime = Le32(&H[20]);
        I.HasMTime = false;
        I.UnpVer = H[24];
        I.Method = H[25];
        if (I.HostOS <= 2) {  // DOS, OS/2, Windows: the attributes are DOS ones
          const uint32_t A = Le32(&H[28]);
          I.Attr = (A & 0x37) | (I.Directory ? FILE_ATTRIBUTE_DIRECTORY : 0);
        }
        if ((Flags & FileSalt) && NamePos + NameSize + 8 <= Size) {
          memcpy(I.Salt, &H[NamePos + NameSize], 8);
          I.HasSalt = true;
        }
        I.RawHeader = std::move(H);
        I.DataPos = From + Size;
        I.Volume = FVolumes.VolumeAt(From);
        return;
      }
      int64_t Total = Size;
      if (Flags & LongBlock) {
        uint8_t Add[4];
        if (FVolumes.ReadAt(From + 7, Add, 4) != 4) return;
        Total += Le32(Add);
      }
      From += Total;
    }
  }

  TVolumeStream FVolumes;
  archive* FArchive = nullptr;
  archive_entry* FEntry = nullptr;
  TEntryInfo FInfo;
  bool FInEntry = false;   // a header was read and not yet processed
  bool FDataRead = false;  // libarchive has gone past its data
};

template <class F>
int Guarded(F Body, int OnFailure) {
  try {
    return Body();
  } catch (const std::bad_alloc&) {
    return RarNoMemory;
  } catch (...) {
    return OnFailure;
  }
}

}  // namespace

extern "C" {

void* RAR_CALL RAROpenArchive(TRarOpenRecord* Data) {
  if (Data == nullptr) return nullptr;
  Data->CmtSize = 0;
  Data->CmtState = 0;
  TRarArchive* A = nullptr;
  Data->OpenResult = unsigned(Guarded(
      [&] {
        if (Data->ArcName == nullptr) return int(RarOpenError);
        A = new TRarArchive;
        return A->Open(Data->ArcName);
      },
      RarBadArchive));
  if (Data->OpenResult != RarSuccess) {
    delete A;
    return nullptr;
  }
  return A;
}

int RAR_CALL RARCloseArchive(void* Handle) {
  delete static_cast<TRarArchive*>(Handle);
  return RarSuccess;
}

int RAR_CALL RARReadHeader(void* Handle, TRarHeaderRecord* Header) {
  if (Handle == nullptr || Header == nullptr) return RarBadArchive;
  return Guarded([&] { return static_cast<TRarArchive*>(Handle)->ReadHeader(Header); }, RarBadData);
}

int RAR_CALL RARProcessFile(void* Handle, int Operation, char* DestPath, char* DestName) {
  if (Handle == nullptr) return RarBadArchive;
  return Guarded([&] { return static_cast<TRarArchive*>(Handle)->ProcessFile(Operation, DestPath, DestName); },
                 RarBadData);
}

void RAR_CALL RARSetChangeVolProc(void* Handle, TRarChangeVolProc Proc) {
  if (Handle) static_cast<TRarArchive*>(Handle)->Volumes().ChangeVolProc = Proc;
}

void RAR_CALL RARSetProcessDataProc(void* Handle, TRarProcessDataProc Proc) {
  if (Handle) static_cast<TRarArchive*>(Handle)->DataProc = Proc;
}

void RAR_CALL RARSetPassword(void* Handle, char* Password) {
  if (Handle == nullptr) return;
  const std::wstring W = Wide(Password ? Password : "");
  static_cast<TRarArchive*>(Handle)->Password.assign(W.begin(), W.end());
}

}  // extern "C"
