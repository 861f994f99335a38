#include "archive/core/un_lha.h"

#include "archive/core/entry_io.h"
#include "archive/core/lzhuf.h"
#include "archive/core/le_bytes.h"

namespace {

// The methods the decoders have: stored, LZHUF and the static-Huffman family.
bool MethodKnown(const std::string& M) {
  return M.size() == 5 && M[0] == '-' && M[1] == 'l' && M[2] == 'h' && M[4] == '-' &&
         (M[3] == '0' || M[3] == '1' || M[3] == '4' || M[3] == '5' || M[3] == '6');
}

}  // namespace

const TClassInfo* TUnLHA::StaticClassInfo() {
  static const TClassInfo Info = [] {
    TClassBuilder<TUnLHA, TUnBase> B("TUnLHA");
    return PublishReaderProps(B).Build();
  }();
  return &Info;
}

bool TUnLHA::DecodeEntry(TArcEntry&) {
  const char C = FHdr.Method[3];
  if (C == '0') {
    UnStore(ArcFile, FHdr.DataSize, FileName, 16);
  } else if (C == '1') {
    TEntrySource Src(ArcFile, FHdr.DataSize, ProgressStepPercent, false);
    Src.CancelFlag = &Cancel;
    TEntrySink Sink(OutFile, 16);
    Sink.SetProgress(FHdr.OrigSize, ProgressStepPercent, false);
    const TDecodeResult R = Lh1Decode(Src, Sink, FHdr.OrigSize);
    if (R != TDecodeResult::Ok && !Cancel)
      RaiseArchiveError(R == TDecodeResult::WriteError ? FileName : FArchiveFile, "", "0", DecodeErrorId(R));
  } else {
    const uint8_t DicBit = C == '4' ? 12 : C == '5' ? 13 : 16;
    DecodeLzhEntry(*this, 16, DicBit, C == '6' ? 5 : 4, C == '6' ? 5 : 3, FHdr.DataSize, FHdr.OrigSize, FArchiveFile);
  }
  return !Cancel;
}

void TUnLHA::ExtractIt() { RunExtraction({atLHA, atLhaExe, atLZH, atLzhExe}); }

void TUnLHA::ReadArchiveHeader() {
  TArcFileInput In(ArcFile);
  FPos = LhaFirstHeader(In, ArcStartOffset > 0 ? ArcStartOffset - 1 : 0);
}

TEntryStep TUnLHA::ReadEntryHeader(TArcEntry& A) {
  TArcFileInput In(ArcFile);
  if (FPos < 0) return esEnd;
  FHdr = TLhaHeader();
  const TLhaStep Step = LhaReadHeader(In, FPos, FHdr);
  if (Step == lsEnd) return esEnd;
  A.Name = LhaEntryName(FHdr);
  if (Step != lsEntry) {
    // Told by name; the walk goes on at the next header that can be found.
    A.Error = Step == lsTruncated ? errReadingFile : errBadFileHeader;
    FPos = LhaResync(In, FPos + 1);
    return esDamaged;
  }
  if (FHdr.NextPos <= FPos) return esEnd;
  FPos = FHdr.NextPos;
  A.Kind = FHdr.IsDirectory() ? ekFolder : ekFile;
  A.PackedSize = FHdr.DataSize;
  A.UnpackedSize = FHdr.OrigSize;
  A.StoredCrc = FHdr.Crc;
  A.CrcKind = 16;
  A.Date = FHdr.Level == 2 ? UnixDateToDateTime(int32_t(FHdr.Time)) : DosDateToDateTime(FHdr.Time);
  A.DataPos = FHdr.DataPos;
  if (!MethodKnown(FHdr.Method)) {
    A.Refused = errUnsupportedMethod;
    A.RefusedText = FHdr.Method;
  }
  return esEntry;
}
