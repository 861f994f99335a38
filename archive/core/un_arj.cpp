#include "archive/core/un_arj.h"

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

bool TUnARJ::ArjNextVolume(const std::string& EntryName) {
  std::string Next = MakeNextVolumeName(FArchiveFile);
  if (Next.empty() || Volume.VolumeNumber - 1 >= 1000) Fail(errMaxVolumes);
  // Until the entry's next part is found, the walk has nowhere to go on.
  FBroken = true;
  FFollow = false;
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
  FSpanDone += FHdr.OrigSize;
  // The volume's main header, then the entry's next part: the same name, marked as
  // continued, at the place in the file where the parts before it end. Any other file
  // (a volume of another set, a later one, a damaged one) would splice foreign bytes into
  // the output while each part's own CRC still holds.
  TArcFileInput In(ArcFile);
  auto Refuse = [&](TArjStep Step) {
    Fail(Step == jsTruncated ? errReadingFile : Step == jsHeaderCrc ? errHeaderCrc : errBadFileHeader, EntryName);
  };
  TArjHeader Main;
  TArjStep Step = ArjReadHeader(In, 0, Main);
  if (Step != jsEntry || Main.FileType != 2) Refuse(Step == jsEntry ? jsBadHeader : Step);
  TArjHeader Part;
  Step = ArjReadHeader(In, Main.NextPos, Part);
  if (Step != jsEntry) Refuse(Step == jsEnd ? jsBadHeader : Step);
  if (!Part.ContinuedFromEarlierVolume() || Part.Name != FHdr.Name ||
      (Part.HasExtFilePos && int64_t(Part.ExtFilePos) != FSpanDone))
    Fail(errBrokenVolumeChain, EntryName);
  FHdr = Part;
  FPos = FHdr.NextPos;
  FFollow = FHdr.ContinuesInNextVolume();
  FBroken = false;
  return true;
}

void TUnARJ::ArjDecodePart() {
  Engine.Crc32Val = 0xFFFFFFFF;
  if (FHdr.Method == 0)
    UnStore(ArcFile, FHdr.PackedSize, FileName, 32);
  else
    DecodeLzhEntry(*this, 32, 16, 5, 2, FHdr.PackedSize, FHdr.OrigSize, FArchiveFile, FHdr.Method == 4);
}

void TUnARJ::ExtractIt() {
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
  RunExtraction({atARJ, atArjExe});
}

void TUnARJ::ReadArchiveHeader() {
  const TArjHeader Main = ArjFindMain(ArcStartOffset > 0 ? ArcStartOffset - 1 : 0);
  FMainVersion = Main.ArjVersion;
  FPos = Main.NextPos;
  FFollow = FBroken = false;
}

TEntryStep TUnARJ::ReadEntryHeader(TArcEntry& A) {
  if (FFollow) {
    // The entry before was passed over or broke off within its first volumes: the next
    // entry stands behind its last part.
    const std::string Name = ArjEntryName(FHdr);
    while (FHdr.ContinuesInNextVolume())
      if (Cancel || !ArjNextVolume(Name)) return esEnd;
  }
  if (FBroken) return esEnd;
  FHdr = ArjHeaderAt(FPos, false);
  if (FHdr.DataPos == 0) return esEnd;  // the end mark
  FPos = FHdr.NextPos;
  FFollow = FHdr.ContinuesInNextVolume();
  FSpanDone = FHdr.HasExtFilePos ? FHdr.ExtFilePos : 0;
  A.Name = ArjEntryName(FHdr);
  // Volume labels (4) and chapter marks (5) hold no data to extract.
  A.Kind = FHdr.IsFolder() ? ekFolder : FHdr.FileType == 4 || FHdr.FileType == 5 ? ekOther : ekFile;
  A.PackedSize = FHdr.PackedSize;
  A.UnpackedSize = FHdr.OrigSize;
  A.StoredCrc = FHdr.Crc;
  A.CrcKind = 32;
  A.Date = ArjEntryDate(FHdr);
  A.DataPos = FHdr.DataPos;
  // The sizes of such entries are sound: they are told and passed over.
  const std::string VolumeNo = std::to_string(Volume.VolumeNumber);
  if (FHdr.ContinuedFromEarlierVolume())
    // Its beginning is in a volume before this one: what is here is not the whole file.
    A.Refused = errBrokenVolumeChain, A.RefusedText = VolumeNo;
  else if (FHdr.MinVersion > 3)
    A.Refused = errVersion, A.RefusedText = VolumeNo;
  else if (FHdr.Flags & 1)
    A.Refused = errPasswordProtected, A.RefusedText = "encrypted";
  else if (FHdr.Method > 4 || (FHdr.Method == 4 && FMainVersion == 1))
    A.Refused = errUnsupportedMethod, A.RefusedText = VolumeNo;
  else if (FHdr.FileType > 1 && A.Kind == ekFile)
    A.Refused = errUnknownFileType, A.RefusedText = VolumeNo;
  return esEntry;
}

bool TUnARJ::DecodeEntry(TArcEntry& A) {
  bool PartsPassed = true;
  ArjDecodePart();
  while (FHdr.ContinuesInNextVolume()) {
    // A cancelled part is cut short: its check would fail in the volume's name, and no
    // further volume is wanted.
    if (Cancel) return false;
    // The rest of the entry is in the next volume, with its own CRC.
    if (~Engine.Crc32Val != FHdr.Crc) {
      PartsPassed = false;
      if (OnEnd)
        OnEnd(this, FVolumeName.empty() ? FArchiveFile : FVolumeName, false);
      else
        ReportArchiveError(FVolumeName.empty() ? FArchiveFile : FVolumeName, "", "0", errCrcCheck);
    }
    if (!ArjNextVolume(FileName)) {
      // Told by the entry too, with the volume it lacks: what was written of it is not
      // the whole file.
      ReportArchiveError(FileName, ArcExtractFileName(FVolumeName), "0", errReadingFile);
      return false;
    }
    ArcFile.Seek(FHdr.DataPos);
    ArjDecodePart();
  }
  A.StoredCrc = FHdr.Crc;  // the last part's
  if (!PartsPassed) {
    // The last part's CRC alone would pass a file with a damaged part before it.
    A.CrcKind = 0;
    A.Pass = false;
  }
  return !Cancel;
}
