#include "archive/core/un_arc.h"

#include "archive/core/arc_decoder.h"
#include "archive/core/arc_header.h"
#include "archive/core/entry_io.h"
#include "archive/core/le_bytes.h"

namespace {

using le::Get16;
using le::Get32;

int ArcErrorId(TDecodeResult R) {
  switch (R) {
    case TDecodeResult::BadData: return errInvalidDecodeTree;
    case TDecodeResult::BadMaxBits: return errIncorrectBits;
    case TDecodeResult::StackOverflow: return errWritingFile;  // the crunch stack
    case TDecodeResult::Truncated: return errReadingFile;
    case TDecodeResult::WriteError: return errWritingFile;
    default: return errInvalidCode;
  }
}

}  // namespace

const TClassInfo* TUnARC::StaticClassInfo() {
  static const TClassInfo Info = [] {
    TClassBuilder<TUnARC, TUnBase> B("TUnARC");
    return PublishReaderProps(B).Build();
  }();
  return &Info;
}

void TUnARC::ExtractIt() { RunExtraction({atARC, atArcExe}); }

void TUnARC::ReadArchiveHeader() {
  FWalk = TArcHeaderWalk(false);
  FPos = ArcStartOffset > 0 ? ArcStartOffset - 1 : 0;
}

TEntryStep TUnARC::ReadEntryHeader(TArcEntry& A) {
  if (FPos < 0) return esEnd;
  TArcFileInput In(ArcFile);
  FHdr = TArcHeader();
  const TArcStep Step = FWalk.Next(In, FPos, FHdr);
  if (Step == asEnd) return esEnd;
  A.Name = OemToAnsiName(FHdr.Name);
  if (Step != asEntry) {
    // Told by name; the walk goes on at the next header that can be found.
    A.Error = Step == asTruncated ? errReadingFile : errBadFileHeader;
    FPos = TArcHeaderWalk::Resync(In, FPos + 1, false);
    return esDamaged;
  }
  FPos = FHdr.Next;
  A.Kind = FHdr.IsFolder ? ekFolder : ekFile;
  A.MatchNamesOnly = true;
  A.PackedSize = FHdr.PackedSize;
  A.UnpackedSize = FHdr.OrigSize;
  A.StoredCrc = FHdr.Crc;
  A.CrcKind = 16;
  A.Date = ConvertDate(FHdr.DateTime);
  A.DataPos = FHdr.DataPos;
  if (!ArcMethodSupported(FHdr.Method)) A.Refused = errUnsupportedMethod;
  return esEntry;
}

bool TUnARC::DecodeEntry(TArcEntry&) {
  TEntrySource Src(ArcFile, FHdr.PackedSize, ProgressStepPercent);
  Src.CancelFlag = &Cancel;
  TEntrySink Sink(OutFile, 16);
  const TDecodeResult R = ArcDecodeEntry(FHdr.Method, Src, Sink, FHdr.OrigSize);
  if (Cancel) return false;
  if (R != TDecodeResult::Ok) {
    // A crunched entry whose first byte is no code size was garbled with a password:
    // ARC marks encryption nowhere else. Either way the entry is left out and the run
    // goes on, for the sizes in its header are sound.
    const bool Garbled = R == TDecodeResult::BadMaxBits && FHdr.Method == 8;
    ReportArchiveError(FileName, Garbled ? "encrypted" : "", "0", Garbled ? errPasswordProtected : ArcErrorId(R));
    return false;
  }
  if (Src.Short()) {
    ReportArchiveError(FileName, "", "0", errReadingFile);
    return false;
  }
  return true;
}
