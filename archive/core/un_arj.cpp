#include "archive/core/un_arj.h"

#include <algorithm>
#include <vector>

#include "archive/core/entry_io.h"
#include "archive/core/le_bytes.h"

namespace {

constexpr int MaxHeaderSize = 2600;
constexpr int64_t SearchLimit = 25000;
using le::Get16;
using le::Get32;

uint32_t HeaderCrc(const uint8_t* P, size_t Len) {
  uint32_t Crc = 0xFFFFFFFF;
  UpdateCrc32(P, Len, Crc);
  return ~Crc;
}

}  // namespace

const TClassInfo* TUnARJ::StaticClassInfo() {
  static const TClassInfo Info = [] {
    TClassBuilder<TUnARJ, TUnBase> B("TUnARJ");
    return PublishReaderProps(B).Prop("OnNextVolume", &TZipCommon::OnNextVolume).Build();
  }();
  return &Info;
}

void TUnARJ::Fail(int ECode, const std::string& FN) {
  RaiseArchiveError(FN.empty() ? FArchiveFile : FN, std::to_string(Volume.VolumeNumber), "0", ECode);
}

int64_t TUnARJ::ArjFindHeader() {
  const int64_t Start = ArcFile.Position();
  const int64_t Size = ArcFile.Size();
  int64_t End = Size - 2;
  if (FArcType == atArjExe)
    End = std::min(End, Start + SearchLimit);
  else
    End = std::min(End, SearchLimit);
  if (End <= Start) return -1;
  // The whole search area with room for the last candidate's header and CRC.
  std::vector<uint8_t> Buf(size_t(std::min<int64_t>(End - Start + 4 + MaxHeaderSize + 4, Size - Start)));
  ArcFile.Seek(Start);
  const int32_t Got = ArcFile.Read(Buf.data(), int32_t(Buf.size()));
  for (int64_t I = 0; I < End - Start && I + 4 <= Got; I++) {
    if (Buf[I] != 0x60 || Buf[I + 1] != 0xEA) continue;
    const int B = Get16(&Buf[I + 2]);
    if (B == 0 || B > MaxHeaderSize || I + 4 + B + 4 > Got) continue;
    if (HeaderCrc(&Buf[I + 4], B) == Get32(&Buf[I + 4 + B])) {
      ArcFile.Seek(Start + I);
      return Start + I;
    }
  }
  return -1;
}

bool TUnARJ::ArjReadHeader(bool First) {
  uint8_t Id[4];
  ArcFile.ReadExact(Id, 2);
  if (Get16(Id) != 0xEA60) Fail(First ? errUnsupportedArcType : errBadFileHeader);
  ArcFile.ReadExact(Id, 2);
  const int B = Get16(Id);
  if (B == 0) return false;
  if (B > MaxHeaderSize) Fail(errBadFileHeader);
  uint8_t H[MaxHeaderSize + 4];
  ArcFile.ReadExact(H, B + 4);
  if (HeaderCrc(H, B) != Get32(H + B)) Fail(errHeaderCrc);
  const int F = H[0];
  // The fixed part must fit, and the name lies within the header.
  if (F < 30 || F > B) Fail(errBadFileHeader);
  FHdr.ArjVersion = H[1];
  FHdr.MinVersion = H[2];
  FHdr.HostOS = H[3];
  FHdr.Flags = H[4];
  FHdr.Method = H[5];
  FHdr.FileType = H[6];
  FHdr.DateTime = Get32(H + 8);
  FHdr.PackedSize = Get32(H + 12);
  FHdr.OrigSize = Get32(H + 16);
  FHdr.Crc = Get32(H + 20);
  const uint8_t* Name = H + F;
  const uint8_t* End = H + B;
  FHdr.Name.assign(reinterpret_cast<const char*>(Name), size_t(std::find(Name, End, uint8_t(0)) - Name));
  // Extended headers: each followed by its CRC and the size of the next.
  uint8_t Ext[2];
  ArcFile.ReadExact(Ext, 2);
  for (int E = Get16(Ext); E != 0; E = Get16(Ext)) {
    ArcFile.Seek(ArcFile.Position() + E + 4);
    ArcFile.ReadExact(Ext, 2);
  }
  return true;
}

bool TUnARJ::ArjCheckHeader() {
  if (FHdr.MinVersion > 3) {
    ReportArchiveError(FArchiveFile, std::to_string(Volume.VolumeNumber), "0", errVersion);
    return false;
  }
  if (FHdr.Flags & 1) Fail(errPasswordProtected);
  if (FHdr.Method > 4 || (FHdr.Method == 4 && FMainVersion == 1)) Fail(errUnsupportedMethod);
  // Volume labels (4) and chapter marks (5) hold no data to extract.
  if (FHdr.FileType == 4 || FHdr.FileType == 5) return false;
  if (FHdr.FileType > 1) Fail(errUnknownFileType);
  return true;
}

void TUnARJ::ArjSkipEntry() {
  try {
    ArcFile.Seek(ArcFile.Position() + FHdr.PackedSize);
  } catch (const EInOutError&) {
    Fail(errSeek);
  }
}

bool TUnARJ::ArjNextVolume() {
  std::string Next = MakeNextVolumeName(FArchiveFile);
  if (Next.empty() || Volume.VolumeNumber - 1 >= 1000) Fail(errMaxVolumes);
  FVolumeName = Next;
  std::string FN = Next;
  if (!GetNextVolume(FN, std::to_string(Volume.VolumeNumber - 1))) return false;
  const std::string Previous = ArcFile.FileName();
  if (!ArcFile.Close()) Fail(errClosingFile);
  if (!OpenInFile(ArcFile, FN)) {
    OpenInFile(ArcFile, Previous);
    Fail(errOpeningFile, FN);
  }
  FVolumeName = FN;
  if (!ArjReadHeader(true)) Fail(errBadFileHeader);
  return true;
}

void TUnARJ::ArjDecodePart() {
  Engine.Crc32Val = 0xFFFFFFFF;
  try {
    if (FHdr.Method == 0)
      UnStore(ArcFile, FHdr.PackedSize, FileName, 32);
    else
      DecodeLzhEntry(*this, 32, 16, 5, 2, FHdr.PackedSize, FHdr.OrigSize, FArchiveFile, FHdr.Method == 4);
  } catch (const E_RAISE&) {
    // Its error event has fired; the part's CRC check reports the damage.
  }
}

bool TUnARJ::ArjExtractEntry() {
  const int64_t DataPos = ArcFile.Position();
  const std::string Name = OemToAnsiName(FHdr.Name);
  if (!MatchFileSpec(Name, FFileSpec, false) || !ArjCheckHeader() || !ProcessFileName(FHdr.Name) ||
      FileName.empty()) {
    ArjSkipEntry();
    return false;
  }
  const TDateTime EntryDate = ConvertDate(FHdr.DateTime);
  bool Extract = true;
  if (Engine.OutputMode == omToFile && OnFileExists && FileExists(FileName))
    OnFileExists(this, FileName, EntryDate, Extract);
  const std::string EventName = EntryEventName(*this, Name);
  if (Extract && OnBegin) OnBegin(this, EventName, RecNum + 1, Extract);
  if (!Extract) {
    ArjSkipEntry();
    return false;
  }
  if (!OpenOutFile(OutFile, FileName)) {
    ReportArchiveError(FileName, std::to_string(Volume.VolumeNumber), "0", errOpeningFile);
    ArjSkipEntry();
    ReportEntryCrc(*this, EventName, false);
    return false;
  }
  RecNum++;
  ProgressStep = std::max<int64_t>(ProgressStepPercent * int64_t(FHdr.PackedSize) / 100, FHdr.PackedSize ? 1 : 0);
  bool Complete = true;
  // An error leaves the output open: EndRun removes the part written.
  ArcFile.Seek(DataPos);
  ArjDecodePart();
  while (FHdr.Flags & 4) {
    // The rest of the entry is in the next volume, with its own CRC.
    const bool Pass = ~Engine.Crc32Val == FHdr.Crc;
    if (!Pass) {
      if (OnEnd)
        OnEnd(this, FVolumeName.empty() ? FArchiveFile : FVolumeName, false);
      else
        ReportArchiveError(FVolumeName.empty() ? FArchiveFile : FVolumeName, "", "0", errCrcCheck);
    }
    if (!ArjNextVolume()) {
      Complete = false;
      break;
    }
    if (!ArjReadHeader(false)) Fail(errBadFileHeader);
    ArjDecodePart();
  }
  if (Engine.OutputMode == omToFile) {
    if (FSetDateTo == sdOrigDate) {
      const int Dos = DateTimeToFileDate(EntryDate);
      if (Dos != 0) OutFile.SetDate(Dos);
    }
    OutFile.Close();
  }
  ReportEntryCrc(*this, EventName, Complete && ~Engine.Crc32Val == FHdr.Crc);
  return Complete;
}

void TUnARJ::ExtractIt() {
  InstallProgress();
  SetCancel(false);
  SpecHasWildcards = ::HasWildcards(FFileSpec);
  if (FArchiveFile.empty()) RaiseArchiveError(FArchiveFile, "", "0", errInvalidFileName);
  FVolumeName = FArchiveFile;
  ParseVolumeExt(FArchiveFile);
  while (FArcType != atARJ && FArcType != atArjExe) {
    std::string FN = FArchiveFile;
    if (!GetNextVolume(FN, "0")) return;
    SetArchiveFile(FN);
    if (FArcType != atARJ && FArcType != atArjExe)
      ReportArchiveError(FArchiveFile, "", "0", errUnsupportedArcType);
    else
      ArcStartOffset = 1;
  }
  if (!OpenInFile(ArcFile, FArchiveFile)) RaiseArchiveError(FArchiveFile, "", "0", errOpeningFile);
  Engine.DateMode = FSetDateTo;
  if (OnActivate) OnActivate(this);
  try {
    try {
      ArcFile.Seek(ArcStartOffset > 0 ? ArcStartOffset - 1 : 0);
    } catch (const EInOutError&) {
      Fail(errSeek);
    }
    if (ArjFindHeader() < 0) Fail(errUnsupportedArcType);
    if (!ArjReadHeader(true)) Fail(errBadFileHeader);
    FMainVersion = FHdr.ArjVersion;
    if (OnElapsedTime) Timer.Start();
    while (!Cancel && ArjReadHeader(false)) {
      Engine.Crc32Val = 0xFFFFFFFF;
      if (FHdr.FileType == 3) {
        ArjSkipEntry();
        continue;
      }
      if (ArjExtractEntry() && (!SpecHasWildcards || Engine.OutputMode == omToStream)) break;
    }
  } catch (const E_RAISE&) {
    // Its error event has fired: the run ends.
  } catch (const EFOpenError&) {
  } catch (const EInOutError& X) {
    ReportArchiveError(FArchiveFile, X.Message(), "0", errReadingFile);
  } catch (...) {
    EndRun();
    throw;
  }
  EndRun();
}
