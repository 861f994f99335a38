#include "archive/core/un_gzip.h"

#include <memory>
#include <new>

#include "archive/core/entry_io.h"
#include "archive/core/lzw_decompress.h"
#include "archive/core/zip_method_dispatch.h"
#include "archive/core/le_bytes.h"

namespace {
using le::Get16;
using le::Get32;
}  // namespace

bool LzwDecompress(TUnBase& R, int64_t PackedSize) {
  std::unique_ptr<TLzwDecoder> D(new (std::nothrow) TLzwDecoder);
  std::unique_ptr<TBitInput> In(new (std::nothrow) TBitInput);
  if (!D || !In) R.RaiseArchiveError(R.FileName, "", "0", errOutOfMemory);
  TEntrySource Src(R.ArcFile, PackedSize, R.ProgressStepPercent);
  Src.CancelFlag = &R.Cancel;
  TEntrySink Sink(R.OutFile, 0);
  In->Reset(&Src);
  switch (D->Run(*In, Sink)) {
    case TDecodeResult::Ok: return true;
    case TDecodeResult::Truncated: return false;
    // These are not compress data at all; the user hears of them too.
    case TDecodeResult::BadHeader: R.RaiseArchiveError(R.FileName, "", "0", errIncompleteCodeSet);
    case TDecodeResult::BadMaxBits: R.RaiseArchiveError(R.FileName, "", "0", errAmbiguousTree);
    case TDecodeResult::CorruptInput: R.RaiseArchiveError(R.FileName, "", "0", errCorruptInput);
    default: R.RaiseArchiveError(R.FileName, "", "0", errWritingFile);
  }
}

const TClassInfo* TUnGZIP::StaticClassInfo() {
  static const TClassInfo Info = [] {
    TClassBuilder<TUnGZIP, TUnBase> B("TUnGZIP");
    return PublishReaderProps(B).Build();
  }();
  return &Info;
}

bool TUnGZIP::ExtractMembers(TGzipMember M, bool& AllPass) {
  TArcFileInput In(ArcFile);
  AllPass = true;
  for (;;) {
    if (M.Method != 8) RaiseArchiveError(FileName, "", "0", errUnsupportedMethod);
    if (M.Flags & gzfEncrypted) RaiseArchiveError(FileName, "", "0", errPasswordProtected);
    ArcFile.Seek(M.DataPos);
    TZipMethodEntry E;
    E.Method = 8;
    E.PackedSize = ArcFileSize - M.DataPos;  // the stream ends by itself; the trailer follows
    E.UnpackedSize = -1;
    int64_t Used = 0;
    ZipMethodDispatch(*this, E, false, &Used);
    if (Cancel) return false;
    // The member's trailer: CRC-32 and size (modulo 2^32) of its data.
    uint8_t T[8];
    const int64_t TrailerPos = M.DataPos + Used;
    ArcFile.Seek(TrailerPos);
    if (ArcFile.Read(T, 8) != 8) {
      ReportArchiveError(FileName, "", "0", errReadingFile);
      return false;
    }
    if (~Engine.Crc32Val != Get32(T)) AllPass = false;
    // Further members follow directly; anything else after them (tape padding) is left.
    const int64_t Next = TrailerPos + 8;
    if (Next + 18 > ArcFileSize || GzipReadMember(In, Next, M) != gsMember || M.Magic != 0x8B1F) return true;
  }
}

void TUnGZIP::ExtractIt() { RunExtraction({atGZip}); }

void TUnGZIP::ReadArchiveHeader() {
  FRead = false;
  uint8_t H[10] = {0};
  ArcFile.Seek(0);
  const int32_t Got = ArcFile.Read(H, 10);
  if (Got < 2 || !IsGzipMagic(Get16(H))) RaiseArchiveError(FArchiveFile, "", "0", errHeaderId);
  FKind = H[1];
  FStoredName.clear();
  if (FKind == 0x8B || FKind == 0x9E) {
    // A header and a trailer at least; a shorter file is cut.
    TArcFileInput In(ArcFile);
    FFirst = TGzipMember();
    if (ArcFileSize < 18 || GzipReadMember(In, 0, FFirst) != gsMember || FFirst.DataPos + 8 > ArcFileSize)
      RaiseArchiveError(FArchiveFile, "", "0", errReadingFile);
    HeaderFlags = FFirst.Flags;
    CompressMethodID = FFirst.Method;
    FStoredName = FFirst.Name;
    FDosDate = FFirst.MTime == 0 ? uint32_t(FileAge(FArchiveFile))
                                 : uint32_t(DateTimeToFileDate(UnixDateToDateTime(int32_t(FFirst.MTime))));
    uint8_t T[8];
    ArcFile.Seek(ArcFileSize - 8);
    if (ArcFile.Read(T, 8) != 8) RaiseArchiveError(FArchiveFile, "", "0", errReadingFile);
    CRC = Get32(T);
    UnpackedSize = Get32(T + 4);
    PackedSize = ArcFileSize - FFirst.DataPos - 8;
  } else {
    CRC = 0;
    PackedSize = UnpackedSize = ArcFileSize;
    FDosDate = uint32_t(FileAge(FArchiveFile));
  }
  Date = FDosDate == uint32_t(-1) ? 0 : DosDateToDateTime(FDosDate);
}

TEntryStep TUnGZIP::ReadEntryHeader(TArcEntry& A) {
  if (FRead) return esEnd;
  FRead = true;
  A.Name = GzipEntryName(FStoredName, FArchiveFile);
  A.PackedSize = PackedSize;
  A.UnpackedSize = UnpackedSize;
  A.CrcKind = 0;  // checked member by member
  A.Date = Date;
  const bool IsGzip = FKind == 0x8B || FKind == 0x9E;
  A.DataPos = IsGzip ? FFirst.DataPos : 0;
  if (IsGzip && FFirst.Method != 8)
    A.Refused = errUnsupportedMethod;
  else if (IsGzip && (FFirst.Flags & gzfEncrypted))
    A.Refused = errPasswordProtected;
  else if (!IsGzip && FKind != 0x9D)
    A.Refused = errUnsupportedMethod;  // pack and the 1F A0 kind
  return esEntry;
}

bool TUnGZIP::DecodeEntry(TArcEntry& A) {
  if (FKind == 0x9D) {
    Engine.Crc32Val = 0;
    const bool Whole = LzwDecompress(*this, ArcFileSize);
    CRC = Whole ? 0xFFFFFFFF : 0;
    if (!Whole && !Cancel) ReportArchiveError(FileName, "", "0", errReadingFile);
    return Whole && !Cancel;
  }
  return ExtractMembers(FFirst, A.Pass) && !Cancel;
}
