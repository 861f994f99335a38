#include "archive/core/un_zip.h"

#include <algorithm>
#include <new>
#include <vector>

#include "archive/core/entry_io.h"
#include "archive/core/zip_crypt.h"
#include "archive/core/zip_method_dispatch.h"
#include "archive/core/le_bytes.h"

namespace {

using le::Get16;
using le::Get32;

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

bool TUnZIP::ExtractEntry(const TZipCentral& H) {
  TArcFileInput In(ArcFile);
  uint8_t L[ZipLocalSize];
  const int64_t DataPos = ZipDataPos(In, FDir, H, L);
  if (DataPos == 0) {
    ReportArchiveError(FileName, "", "0", errInconsistentLocalHeader);
    return true;
  }
  // Methods the decoders lack are told before anything is made, so that no empty file
  // stands under the entry's name afterwards.
  const bool Aes = H.Method == 99;
  if (Aes || H.Method == 7 || H.Method > 8) {
    ReportArchiveError(FileName, Aes ? "unsupported encryption (AES)" : "", "0", errUnsupportedMethod);
    return true;
  }

  ++RecNum;
  bool Accept = true;
  if (Engine.OutputMode == omToFile && OnFileExists && FileExists(FileName))
    OnFileExists(this, FileName, ConvertDate(Get32(L + 10)), Accept);
  if (Accept && OnBegin) OnBegin(this, FileName, RecNum, Accept);
  if (!Accept) {
    --RecNum;
    return true;
  }
  const std::string EventName = EntryEventName(*this, H.Name);

  // Sizes and CRC come from the central header: with flag bit 3 (streamed archives)
  // the local header carries zeros and the real values follow the data.
  TZipMethodEntry E;
  E.Method = Get16(L + 8);
  E.Flags = Get16(L + 6);
  E.PackedSize = H.PackedSize;
  E.UnpackedSize = H.UnpackedSize;
  const bool Encrypted = E.Flags & 1;
  bool Decoded = false;
  if (Encrypted) {
    uint8_t Hdr[2 * ZipCryptHeaderSize];
    ArcFile.Seek(DataPos);
    bool Passed = ArcFile.Read(Hdr + ZipCryptHeaderSize, ZipCryptHeaderSize) == ZipCryptHeaderSize &&
                  TryZipPasswords(*this, Hdr, E.Flags, H.Crc, Get32(L + 10), FLastPassword);
    if (!Passed) {
      // Not decoded, so never a pass (the CRC left by the entry before could match).
      if (OnGetPassword) ReportArchiveError(FileName, "", "0", errPasswordFailed);
      if (OnEnd) OnEnd(this, EventName, false);
      return !OnGetPassword;
    }
  }
  try {
    OpenEntryOutput(H.PackedSize, 32);
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
  if (Engine.OutputMode == omToFile && OutFile.IsOpen()) {
    if (Engine.DateMode == sdOrigDate) OutFile.SetDate(int32_t(H.DosTime));
    OutFile.Close();
    // DOS attribute bits only: Unix hosts keep their mode in the high word.
    const int Attr = int(H.ExternalAttr & (faReadOnly | faHidden | faSysFile | faArchive));
    if (Attr) FileSetAttr(FileName, Attr);
  }
  const bool Pass = ~Engine.Crc32Val == H.Crc;
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
    TBufferedArcInput In(ArcFile);
    // An archive found through the stub's string resources may count from there.
    const int64_t Embedded = Engine.SfxStartOffset > 0 && ArcStartOffset - 1 == int64_t(Engine.SfxStartOffset)
                                 ? int64_t(Engine.SfxStartOffset)
                                 : 0;
    if (const int Err = ZipFindDirectory(In, Embedded, FDir)) RaiseArchiveError(FArchiveFile, "", "0", Err);

    int64_t Pos = FDir.CentralPos;
    while (!Cancel) {
      TZipCentral H;
      const int Got = ZipReadCentral(In, Pos, FDir.CentralEnd, H);
      if (Got < 0) break;
      Pos = H.NextPos;
      if (Got > 0) {
        ReportArchiveError(H.Name.empty() ? FArchiveFile : H.Name, "", "0", Got);
        continue;
      }
      if (H.StoredName.empty()) break;
      if (H.IsVolumeLabel) continue;
      if (H.IsDirectory) {
        MakeStoredFolder(H.Name);
        continue;
      }
      if (!MatchFileSpec(H.Name, FFileSpec, false)) continue;
      if (!ProcessEntryName(H.Name) || FileName.empty()) continue;
      if (!ExtractEntry(H)) break;
      if (Engine.OutputMode == omToStream || !SpecHasWildcards) break;
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
