#include "archive/core/un_zip.h"

#include <algorithm>
#include <new>
#include <vector>

#include "archive/core/entry_io.h"
#include "archive/core/zip_crypt.h"
#include "archive/core/zip_method_dispatch.h"

namespace {

constexpr uint32_t kLocalSig = 0x04034B50, kLocalSig250 = 0x50000000, kCentralSig = 0x02014B50,
                   kEndSig = 0x06054B50;
constexpr int kCentralSize = 46, kLocalSize = 30, kEndSize = 22;

uint16_t Get16(const uint8_t* P) { return uint16_t(P[0] | (P[1] << 8)); }
uint32_t Get32(const uint8_t* P) { return P[0] | (P[1] << 8) | (P[2] << 16) | (uint32_t(P[3]) << 24); }

}  // namespace

const TClassInfo* TUnZIP::StaticClassInfo() {
  static const TClassInfo Info = [] {
    TClassBuilder<TUnZIP, TUnBase> B("TUnZIP");
    PublishReaderProps(B)
        .Prop("ZipCmntBufSize", &TZipCommon::ZipCmntBufSize, &TZipCommon::SetZipCmntBufSize)
        .Prop("Passwords", &TZipCommon::Passwords, &TZipCommon::SetPasswords)
        .Prop("OnGetPassword", &TZipCommon::OnGetPassword);
    return B.Build();
  }();
  return &Info;
}

bool TUnZIP::FindEndRecord(TEndRecord& End) {
  const int64_t Size = ArcFileSize;
  if (Size < kEndSize) return false;
  const int64_t W = std::min<int64_t>(Size, 65535 + kEndSize);
  std::vector<uint8_t> Buf(static_cast<size_t>(W));
  ArcFile.Seek(Size - W);
  if (ArcFile.Read(Buf.data(), int32_t(W)) != W) return false;
  for (int64_t i = W - kEndSize; i >= 0; i--) {
    if (Get32(&Buf[size_t(i)]) != kEndSig) continue;
    End.Pos = Size - W + i;
    End.CentralSize = Get32(&Buf[size_t(i) + 12]);
    End.CentralOffset = Get32(&Buf[size_t(i) + 16]);
    return true;
  }
  return false;
}

bool TUnZIP::CentralAt(int64_t Pos, int64_t Base) {
  // A central header there, whose local header stands where Base puts it.
  uint8_t C[kCentralSize], L[4];
  if (Pos < 0 || Pos + kCentralSize > ArcFileSize) return false;
  ArcFile.Seek(Pos);
  if (ArcFile.Read(C, kCentralSize) != kCentralSize || Get32(C) != kCentralSig) return false;
  const int64_t Local = int64_t(Get32(C + 42)) + Base;
  if (Local < 0 || Local + kLocalSize > ArcFileSize) return false;
  ArcFile.Seek(Local);
  return ArcFile.Read(L, 4) == 4 && (Get32(L) == kLocalSig || Get32(L) == kLocalSig250);
}

bool TUnZIP::FindFirstCentralHeader(int64_t& Pos) {
  const int64_t Start = std::max<int64_t>(ArcFileSize - 32768, 0);
  const int64_t N = ArcFileSize - Start;
  std::vector<uint8_t> Buf(static_cast<size_t>(N));
  ArcFile.Seek(Start);
  if (ArcFile.Read(Buf.data(), int32_t(N)) != N) return false;
  for (int64_t i = 0; i + 4 <= N; i++)
    if (Get32(&Buf[size_t(i)]) == kCentralSig) {
      Pos = Start + i;
      return true;
    }
  return false;
}

bool TUnZIP::ExtractEntry(const uint8_t* C, const std::string& StoredName) {
  const uint32_t DosTime = Get32(C + 12), Crc = Get32(C + 16);
  const uint32_t ExtAttr = Get32(C + 38);
  const int64_t Packed = Get32(C + 20), Unpacked = Get32(C + 24);
  const std::string AnsiName = OemToAnsiName(StoredName);

  // The local header, through the same offset base as the central directory.
  const int64_t LocalPos = int64_t(Get32(C + 42)) + FBase;
  uint8_t L[kLocalSize];
  bool LocalOk = LocalPos >= 0 && LocalPos + kLocalSize <= ArcFileSize;
  if (LocalOk) {
    ArcFile.Seek(LocalPos);
    LocalOk = ArcFile.Read(L, kLocalSize) == kLocalSize &&
              (Get32(L) == kLocalSig || Get32(L) == kLocalSig250);
  }
  if (!LocalOk) {
    ReportArchiveError(FileName, "", "0", errInconsistentLocalHeader);
    return true;
  }

  ++RecNum;
  bool Accept = true;
  if (ArcEngine.OutputMode == omToFile && OnFileExists && FileExists(FileName))
    OnFileExists(this, FileName, ConvertDate(Get32(L + 10)), Accept);
  if (Accept && OnBegin) OnBegin(this, FileName, RecNum, Accept);
  if (!Accept) {
    --RecNum;
    return true;
  }
  const std::string EventName = EntryEventName(*this, AnsiName);
  const int64_t DataPos = LocalPos + kLocalSize + Get16(L + 26) + Get16(L + 28);

  // Sizes and CRC come from the central header: with flag bit 3 (streamed archives)
  // the local header carries zeros and the real values follow the data.
  TZipMethodEntry E;
  E.Method = Get16(L + 8);
  E.Flags = Get16(L + 6);
  E.PackedSize = Packed;
  E.UnpackedSize = Unpacked;
  const bool Encrypted = E.Flags & 1;
  bool Decoded = false;
  if (Encrypted) {
    uint8_t Hdr[2 * ZipCryptHeaderSize];
    ArcFile.Seek(DataPos);
    bool Passed = ArcFile.Read(Hdr + ZipCryptHeaderSize, ZipCryptHeaderSize) == ZipCryptHeaderSize &&
                  TryZipPasswords(*this, Hdr, E.Flags, Crc, Get32(L + 10), FLastPassword);
    if (!Passed) {
      // Not decoded, so never a pass (the CRC left by the entry before could match).
      if (OnGetPassword) ReportArchiveError(FileName, "", "0", errPasswordFailed);
      if (OnEnd) OnEnd(this, EventName, false);
      return !OnGetPassword;
    }
  }
  try {
    OpenEntryOutput(Packed, 32);
    ArcFile.Seek(DataPos + (Encrypted ? ZipCryptHeaderSize : 0));
    ZipMethodDispatch(*this, E, Encrypted);
    Decoded = true;
  } catch (const std::bad_alloc&) {
    ReportArchiveError(FileName, "", "0", errOutOfMemory);
  } catch (const E_RAISE&) {
    // OnError has heard of it; the entry's CRC check below tells the caller.
  } catch (const EFOpenError&) {
  } catch (const Exception& Err) {
    ReportArchiveError(FileName, Err.Message(), "0", errReadingFile);
  }
  if (ArcEngine.OutputMode == omToFile && OutFile.IsOpen()) {
    if (ArcEngine.DateMode == sdOrigDate) OutFile.SetDate(int32_t(DosTime));
    OutFile.Close();
    // DOS attribute bits only: Unix hosts keep their mode in the high word.
    const int Attr = int(ExtAttr & (faReadOnly | faHidden | faSysFile | faArchive));
    if (Attr) FileSetAttr(FileName, Attr);
  }
  const bool Pass = ~ArcEngine.Crc32Val == Crc;
  if (OnEnd)
    OnEnd(this, EventName, Pass);
  else if (!Pass && Decoded)
    ReportArchiveError(FileName, "", "0", errCrcCheck);
  return true;
}

void TUnZIP::ExtractIt() {
  InstallProgress();
  bool Begun = false;
  try {
    BeginRun({atZIP, atZipExe, atZip250, atZip250Exe});
    Begun = true;
    FLastPassword.clear();
    TEndRecord End;
    if (!FindEndRecord(End)) RaiseArchiveError(FArchiveFile, "", "0", errBadFileHeader);

    // Offsets stored in the archive count from its own start. A self-extractor whose
    // offsets were not adjusted after the stub was put in front shows it by the gap
    // between the central directory's end and the end record; an archive found
    // through the stub's string resources counts from that offset.
    int64_t Pos = -1;
    const int64_t Delta = End.Pos - int64_t(End.CentralSize) - int64_t(End.CentralOffset);
    const bool Embedded = ArcEngine.SfxStartOffset > 0 && ArcStartOffset - 1 == int64_t(ArcEngine.SfxStartOffset);
    for (int64_t Base : {Delta, Embedded ? int64_t(ArcEngine.SfxStartOffset) : -1, int64_t(0)}) {
      if (Base < 0 || !CentralAt(int64_t(End.CentralOffset) + Base, Base)) continue;
      FBase = Base;
      Pos = int64_t(End.CentralOffset) + Base;
      break;
    }
    if (Pos < 0) {
      // The end record is damaged: search for the directory, and take the offsets as
      // they are unless the gap the end record shows fits better.
      if (!FindFirstCentralHeader(Pos)) RaiseArchiveError(FArchiveFile, "", "0", errHeaderId);
      FBase = Delta > 0 && !CentralAt(Pos, 0) && CentralAt(Pos, Delta) ? Delta : 0;
    }

    FStopRun = false;
    std::vector<uint8_t> Name;
    while (!Cancel && Pos + kCentralSize <= ArcFileSize) {
      uint8_t C[kCentralSize];
      ArcFile.Seek(Pos);
      if (ArcFile.Read(C, kCentralSize) != kCentralSize || Get32(C) != kCentralSig) break;
      const uint16_t NameLen = Get16(C + 28), ExtraLen = Get16(C + 30), CommentLen = Get16(C + 32);
      Name.resize(NameLen);
      if (NameLen && ArcFile.Read(Name.data(), NameLen) != NameLen) break;
      const int64_t Next = Pos + kCentralSize + NameLen + ExtraLen + CommentLen;
      Pos = Next;
      const std::string Stored(Name.begin(), Name.end());
      if (Stored.empty()) break;
      // Folders make no file: attribute 0x10 (or a volume label, 8), or a name ending
      // in a separator, as Unix archivers mark them.
      const uint32_t ExtAttr = Get32(C + 38);
      if ((ExtAttr & (faDirectory | faVolumeID)) || Stored.back() == '/' || Stored.back() == '\\') continue;
      if (!MatchFileSpec(OemToAnsiName(Stored), FFileSpec, false)) continue;
      if (!ProcessFileName(Stored) || FileName.empty()) continue;
      if (!ExtractEntry(C, Stored)) break;
      if (ArcEngine.OutputMode == omToStream || !SpecHasWildcards) break;
    }
  } catch (const std::bad_alloc&) {
    ReportArchiveError(FileName, "", "0", errOutOfMemory);
  } catch (const Exception&) {
    // OnError has seen every error raised here; Extract returns normally.
  }
  if (Begun) EndRun();
}

// ---- TUnSFX ------------------------------------------------------------------------------

const TClassInfo* TUnSFX::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TUnSFX, TZipCommon>("TUnSFX")
                                     .Prop("ArchiveFile", &TZipCommon::ArchiveFile, &TZipCommon::SetArchiveFile)
                                     .Prop("OutFilename", &TUnSFX::OutFilename, &TUnSFX::SetOutFilename)
                                     .Prop("OnFileExists", &TZipCommon::OnFileExists)
                                     .Prop("OnError", &TZipCommon::OnError)
                                     .Build();
  return &Info;
}

void TUnSFX::SetArchiveFile(const std::string& Value) {
  if (Value.empty()) return;
  const std::string Name = SlashToBackslash(Value);
  if (!FindFileExists(Name)) {
    ReportArchiveError(Name, "", "0", errFileNotFound);
    FArchiveFile.clear();
    return;
  }
  FArchiveFile = Name;
  GetArcType();
  const char* Ext = nullptr;
  if (IsArcTypeValid(FArcType) && ArcFileSize > 0) switch (FArcType) {
      case atArcExe: Ext = ".ARC"; break;
      case atArjExe: Ext = ".ARJ"; break;
      case atBHExe: Ext = ".BH"; break;
      case atLhaExe: Ext = ".Lha"; break;
      case atLzhExe: Ext = ".Lzh"; break;
      case atPakExe: Ext = ".PAK"; break;
      case atRarExe: Ext = ".RAR"; break;
      case atZipExe: case atZip250Exe: Ext = ".ZIP"; break;
      default: break;
    }
  if (Ext)
    FOutFilename = ReplaceFileExt(FArchiveFile, Ext);
  else
    ReportArchiveError(FArchiveFile, "", "0", errUnsupportedArcType);
}

void TUnSFX::SetOutFilename(const std::string& Value) {
  if (FArchiveFile.empty())
    FOutFilename.clear();
  else
    FOutFilename = Value;
}
