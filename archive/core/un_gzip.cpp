#include "archive/core/un_gzip.h"

#include <memory>
#include <new>
#include <vector>

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
    case TDecodeResult::BadHeader: R.RaiseArchiveError<Exception>(R.FileName, "", "0", errIncompleteCodeSet);
    case TDecodeResult::BadMaxBits: R.RaiseArchiveError<Exception>(R.FileName, "", "0", errAmbiguousTree);
    case TDecodeResult::CorruptInput: R.RaiseArchiveError<Exception>(R.FileName, "", "0", errCorruptInput);
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

bool TUnGZIP::ExtractMembers(TGzipMember M) {
  TArcFileInput In(ArcFile);
  bool AllPass = true;
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
    if (Next + 18 > ArcFileSize || GzipReadMember(In, Next, M) != gsMember || M.Magic != 0x8B1F) return AllPass;
  }
}

void TUnGZIP::ExtractIt() {
  InstallProgress();
  bool Begun = false;
  try {
    BeginRun({atGZip});
    Begun = true;
    uint8_t H[10] = {0};
    ArcFile.Seek(0);
    const int32_t Got = ArcFile.Read(H, 10);
    if (Got < 2 || !IsGzipMagic(Get16(H))) RaiseArchiveError(FArchiveFile, "", "0", errHeaderId);
    const uint8_t Kind = H[1];
    const bool IsGzip = Kind == 0x8B || Kind == 0x9E;

    TArcFileInput In(ArcFile);
    TGzipMember First;
    uint32_t DosDate = 0;
    std::string Stored;
    if (IsGzip) {
      // A header and a trailer at least; a shorter file is cut.
      if (ArcFileSize < 18 || GzipReadMember(In, 0, First) != gsMember || First.DataPos + 8 > ArcFileSize)
        RaiseArchiveError(FArchiveFile, "", "0", errReadingFile);
      HeaderFlags = First.Flags;
      CompressMethodID = First.Method;
      Stored = First.Name;
      DosDate = First.MTime == 0 ? uint32_t(FileAge(FArchiveFile))
                                 : uint32_t(DateTimeToFileDate(UnixDateToDateTime(int32_t(First.MTime))));
      uint8_t T[8];
      ArcFile.Seek(ArcFileSize - 8);
      if (ArcFile.Read(T, 8) != 8) RaiseArchiveError(FArchiveFile, "", "0", errReadingFile);
      CRC = Get32(T);
      UnpackedSize = Get32(T + 4);
      PackedSize = ArcFileSize - First.DataPos - 8;
    } else {
      CRC = 0;
      PackedSize = UnpackedSize = ArcFileSize;
      DosDate = uint32_t(FileAge(FArchiveFile));
    }
    const std::string Name = GzipEntryName(Stored, FArchiveFile);
    if (!ProcessEntryName(Name) || FileName.empty()) RaiseArchiveError(FArchiveFile, "", "0", errInvalidFileName);
    const TDateTime EntryDate = DosDateToDateTime(DosDate);
    Date = EntryDate;

    RecNum = 1;
    bool Accept = true;
    if (Engine.OutputMode == omToFile && OnFileExists && FileExists(FileName))
      OnFileExists(this, FileName, EntryDate, Accept);
    if (Accept && OnBegin) OnBegin(this, FileName, RecNum, Accept);
    if (Accept) {
      bool Pass = false;
      if (Kind == 0x9D) {
        OpenEntryOutput(PackedSize, 0);
        Engine.Crc32Val = 0;
        ArcFile.Seek(0);
        CRC = LzwDecompress(*this, ArcFileSize) ? 0xFFFFFFFF : 0;
        Pass = ~Engine.Crc32Val == CRC;
      } else if (IsGzip) {
        OpenEntryOutput(PackedSize, 32);
        Pass = ExtractMembers(First);
      } else {
        ReportArchiveError(FileName, "", "0", errUnsupportedMethod);
      }
      if (Engine.OutputMode == omToFile && OutFile.IsOpen()) {
        if (Engine.DateMode == sdOrigDate && DosDate != uint32_t(-1)) OutFile.SetDate(int32_t(DosDate));
        OutFile.Close();
      }
      if (Kind == 0x9D || IsGzip) {
        if (OnEnd)
          OnEnd(this, EntryEventName(*this, Name), Pass);
        else if (!Pass)
          ReportArchiveError(FileName, "", "0", errCrcCheck);
      }
    }
  } catch (const std::bad_alloc&) {
    ReportArchiveError(FileName, "", "0", errOutOfMemory);
  } catch (const Exception&) {
    // OnError has seen it; Extract returns normally.
  }
  if (Begun) EndRun();
}
