#include "archive/core/un_arj.h"

#include <algorithm>
#include <vector>

#include "archive/core/entry_io.h"

namespace {

// How far from the archive's start (or a self-extractor's stub) the main header is sought.
constexpr int64_t SearchLimit = 25000;

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

TArjHeader TUnARJ::ArjHeaderAt(int64_t Pos, bool Main) {
  TArcFileInput In(ArcFile);
  TArjHeader H;
  switch (ArjReadHeader(In, Pos, H)) {
    case jsEntry: break;
    case jsEnd:
      if (!Main) return H;  // the end mark: DataPos stays 0
      [[fallthrough]];
    case jsBadHeader: Fail(Main ? errUnsupportedArcType : errBadFileHeader, ArjEntryName(H));
    case jsHeaderCrc: Fail(errHeaderCrc, ArjEntryName(H));
    case jsTruncated: Fail(errReadingFile, ArjEntryName(H));
  }
  return H;
}

TArjHeader TUnARJ::ArjFindMain(int64_t Start) {
  TArcFileInput In(ArcFile);
  const int64_t Limit = FArcType == atArjExe ? Start + SearchLimit : SearchLimit;
  const int64_t Pos = ArjFindMainHeader(In, Start, Limit);
  if (Pos < 0) Fail(errUnsupportedArcType);
  return ArjHeaderAt(Pos, true);
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
  // The continued entry's header follows the volume's main header.
  FHdr = ArjHeaderAt(ArjFindMain(0).NextPos, false);
  if (FHdr.DataPos == 0) Fail(errBadFileHeader);  // the end mark where the entry's rest should be
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
  const std::string Name = ArjEntryName(FHdr);
  if (!MatchFileSpec(Name, FFileSpec, false) || !ArjCheckHeader() || !ProcessEntryName(Name) || FileName.empty())
    return false;
  const TDateTime EntryDate = ArjEntryDate(FHdr);
  bool Extract = true;
  if (Engine.OutputMode == omToFile && OnFileExists && FileExists(FileName))
    OnFileExists(this, FileName, EntryDate, Extract);
  const std::string EventName = EntryEventName(*this, Name);
  if (Extract && OnBegin) OnBegin(this, EventName, RecNum + 1, Extract);
  if (!Extract) return false;
  if (!OpenOutFile(OutFile, FileName)) {
    ReportArchiveError(FileName, std::to_string(Volume.VolumeNumber), "0", errOpeningFile);
    ReportEntryCrc(*this, EventName, false);
    return false;
  }
  RecNum++;
  ProgressStep = std::max<int64_t>(ProgressStepPercent * int64_t(FHdr.PackedSize) / 100, FHdr.PackedSize ? 1 : 0);
  bool Complete = true;
  // An error leaves the output open: EndRun removes the part written.
  ArcFile.Seek(FHdr.DataPos);
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
    ArcFile.Seek(FHdr.DataPos);
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
    const TArjHeader Main = ArjFindMain(ArcStartOffset > 0 ? ArcStartOffset - 1 : 0);
    FMainVersion = Main.ArjVersion;
    int64_t Pos = Main.NextPos;
    if (OnElapsedTime) Timer.Start();
    while (!Cancel) {
      FHdr = ArjHeaderAt(Pos, false);
      if (FHdr.DataPos == 0) break;  // the end mark
      Pos = FHdr.NextPos;
      Engine.Crc32Val = 0xFFFFFFFF;
      if (FHdr.IsFolder()) {
        MakeStoredFolder(ArjEntryName(FHdr));
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
