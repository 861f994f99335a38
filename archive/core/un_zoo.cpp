#include "archive/core/un_zoo.h"

#include "archive/core/entry_io.h"
#include "archive/core/zoo_lzd.h"

const TClassInfo* TUnZOO::StaticClassInfo() {
  static const TClassInfo Info = [] {
    TClassBuilder<TUnZOO, TUnBase> B("TUnZOO");
    return PublishReaderProps(B).Build();
  }();
  return &Info;
}

void TUnZOO::ExtractIt() { RunExtraction({atZOO}); }

void TUnZOO::ReadArchiveHeader() {
  TArcFileInput In(ArcFile);
  TZooArchive A;
  if (const int Err = ZooReadArchive(In, ArcStartOffset > 0 ? ArcStartOffset - 1 : 0, A))
    RaiseArchiveError(FArchiveFile, "", "0", Err);
  FPos = A.FirstEntry;
  FSeen = {FPos};
}

TEntryStep TUnZOO::ReadEntryHeader(TArcEntry& A) {
  if (FPos < 0) return esEnd;
  TArcFileInput In(ArcFile);
  FHdr = TZooEntry();
  const TZooStep Step = ZooReadEntry(In, FPos, FHdr);
  if (Step == zsEnd) return esEnd;
  if (Step != zsEntry) {
    // The chain is broken here: nothing after it can be found.
    A.Error = Step == zsTruncated ? errReadingFile : errBadFileHeader;
    return esBroken;
  }
  FPos = FSeen.insert(FHdr.Next).second ? FHdr.Next : -1;
  // Deleted entries (older versions the archive keeps) are extracted like the others.
  A.Name = ZooEntryName(FHdr);
  A.PackedSize = FHdr.PackedSize;
  A.UnpackedSize = FHdr.OrigSize;
  A.StoredCrc = FHdr.Crc;
  A.CrcKind = 16;
  A.Date = ConvertDate(FHdr.DateTime);
  A.DataPos = FHdr.DataPos;
  if (FHdr.Method > 2) A.Refused = errUnsupportedMethod;
  return esEntry;
}

bool TUnZOO::DecodeEntry(TArcEntry&) {
  if (FHdr.Method == 0) {
    UnStore(ArcFile, FHdr.PackedSize, FileName, 16);
  } else if (FHdr.Method == 1) {
    TEntrySource Src(ArcFile, FHdr.PackedSize, ProgressStepPercent, false);
    Src.CancelFlag = &Cancel;
    TEntrySink Sink(OutFile, 16);
    Sink.SetProgress(FHdr.OrigSize, ProgressStepPercent, true);
    const TDecodeResult R = ZooLzdDecode(Src, Sink, FHdr.OrigSize);
    if (R != TDecodeResult::Ok && !Cancel) RaiseArchiveError(FileName, "", "0", DecodeErrorId(R));
  } else {
    DecodeLzhEntry(*this, 16, 13, 4, 0, FHdr.PackedSize, FHdr.OrigSize, FArchiveFile);
  }
  return !Cancel;
}
