#include "archive/core/un_zip.h"

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

void TUnZIP::ExtractIt() { RunExtraction({atZIP, atZipExe, atZip250, atZip250Exe}); }

void TUnZIP::ReadArchiveHeader() {
  FLastPassword.clear();
  FIn = std::make_unique<TBufferedArcInput>(ArcFile);
  // An archive found through the stub's string resources may count from there.
  const int64_t Embedded = Engine.SfxStartOffset > 0 && ArcStartOffset - 1 == int64_t(Engine.SfxStartOffset)
                               ? int64_t(Engine.SfxStartOffset)
                               : 0;
  FDir = TZipDirectory();
  if (const int Err = ZipFindDirectory(*FIn, Embedded, FDir)) RaiseArchiveError(FArchiveFile, "", "0", Err);
  FPos = FDir.CentralPos;
}

TEntryStep TUnZIP::ReadEntryHeader(TArcEntry& A) {
  FHdr = TZipCentral();
  const int Got = ZipReadCentral(*FIn, FPos, FDir.CentralEnd, FHdr);
  if (Got < 0) return esEnd;
  FPos = FHdr.NextPos;
  A.Name = FHdr.Name;
  if (Got > 0) {
    A.Error = Got;
    return esDamaged;
  }
  if (FHdr.StoredName.empty()) return esEnd;
  A.Kind = FHdr.IsVolumeLabel ? ekOther : FHdr.IsDirectory ? ekFolder : ekFile;
  A.PackedSize = FHdr.PackedSize;
  A.UnpackedSize = FHdr.UnpackedSize;
  A.StoredCrc = FHdr.Crc;
  A.CrcKind = 32;
  A.Date = DosDateToDateTime(FHdr.DosTime);
  // DOS attribute bits only (the driver keeps those): Unix hosts keep their mode in the
  // high word.
  A.Attr = FHdr.ExternalAttr;
  // Methods the decoders lack are told before anything is made.
  if (FHdr.Method == 99) {
    A.Refused = errUnsupportedMethod;
    A.RefusedText = "unsupported encryption (AES)";
  } else if (FHdr.Method == 7 || FHdr.Method > 8) {
    A.Refused = errUnsupportedMethod;
  }
  return esEntry;
}

bool TUnZIP::PrepareEntry(TArcEntry& A, bool& StopRun) {
  const int64_t DataPos = ZipDataPos(*FIn, FDir, FHdr, FLocal);
  if (DataPos == 0) {
    ReportArchiveError(FileName, "", "0", errInconsistentLocalHeader);
    return false;
  }
  A.DataPos = DataPos;
  if (!(Get16(FLocal + 6) & 1)) return true;
  uint8_t Hdr[2 * ZipCryptHeaderSize];
  ArcFile.Seek(DataPos);
  if (ArcFile.Read(Hdr + ZipCryptHeaderSize, ZipCryptHeaderSize) == ZipCryptHeaderSize &&
      TryZipPasswords(*this, Hdr, Get16(FLocal + 6), FHdr.Crc, Get32(FLocal + 10), FLastPassword)) {
    A.DataPos = DataPos + ZipCryptHeaderSize;
    return true;
  }
  // Never left out unsaid; asked and not given the password, the user's answer ends the run.
  ReportArchiveError(FileName, "", "0", OnGetPassword ? errPasswordFailed : errPasswordProtected);
  StopRun = bool(OnGetPassword);
  return false;
}

bool TUnZIP::DecodeEntry(TArcEntry&) {
  // Sizes and CRC come from the central header: with flag bit 3 (streamed archives)
  // the local header carries zeros and the real values follow the data.
  TZipMethodEntry E;
  E.Method = Get16(FLocal + 8);
  E.Flags = Get16(FLocal + 6);
  E.PackedSize = FHdr.PackedSize;
  E.UnpackedSize = FHdr.UnpackedSize;
  ZipMethodDispatch(*this, E, E.Flags & 1);
  return !Cancel;
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
