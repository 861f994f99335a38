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

enum : uint8_t { fText = 1, fHCrc = 2, fExtra = 4, fName = 8, fComment = 16, fEncrypted = 32 };

}  // namespace

bool IsGzipMagic(uint16_t W) { return W == 0x8B1F || W == 0x9E1F || W == 0x9D1F || W == 0xA01F || W == 0x1E1F; }

size_t NameWithoutExt(const std::string& Name) {
  const size_t Start = Name.find_last_of("\\/:") == std::string::npos ? 0 : Name.find_last_of("\\/:") + 1;
  const size_t Dot = Name.rfind('.');
  return Dot != std::string::npos && Dot >= Start ? Dot : Name.size();
}

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

bool TUnGZIP::ReadMember(int64_t Pos, TMember& M) {
  uint8_t H[10];
  ArcFile.Seek(Pos);
  if (ArcFile.Read(H, 10) != 10) return false;
  M.Method = H[2];
  M.Flags = H[3];
  M.MTime = Get32(H + 4);
  int64_t P = Pos + 10;
  if (M.Flags & fExtra) {
    uint8_t X[2];
    if (ArcFile.Read(X, 2) != 2) return false;
    P += 2 + Get16(X);
  }
  // A zero-terminated field of any length: only its first 255 bytes are kept, but the
  // data begin after the whole of it.
  auto SkipString = [&](std::string* Keep) {
    ArcFile.Seek(P);
    uint8_t Buf[256];
    for (;;) {
      int32_t N = ArcFile.Read(Buf, sizeof Buf);
      if (N <= 0) return false;
      for (int32_t i = 0; i < N; i++) {
        if (Buf[i] == 0) {
          P += i + 1;
          return true;
        }
        if (Keep && Keep->size() < 255) Keep->push_back(char(Buf[i]));
      }
      P += N;
    }
  };
  M.Name.clear();
  if ((M.Flags & fName) && !SkipString(&M.Name)) return false;
  if ((M.Flags & fComment) && !SkipString(nullptr)) return false;
  if (M.Flags & fHCrc) P += 2;
  M.DataPos = P;
  return P <= ArcFileSize;
}

bool TUnGZIP::ExtractMembers(TMember M) {
  bool AllPass = true;
  for (;;) {
    if (M.Method != 8) RaiseArchiveError(FileName, "", "0", errUnsupportedMethod);
    if (M.Flags & fEncrypted) RaiseArchiveError(FileName, "", "0", errPasswordProtected);
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
    uint8_t Magic[2];
    if (Next + 18 > ArcFileSize || ArcFile.Read(Magic, 2) != 2 || Magic[0] != 0x1F || Magic[1] != 0x8B)
      return AllPass;
    if (!ReadMember(Next, M)) return AllPass;
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

    auto OwnName = [&] {
      const std::string N = ArcExtractFileName(FArchiveFile);
      return N.substr(0, NameWithoutExt(N));
    };
    TMember First;
    uint32_t DosDate = 0;
    std::string Stored;
    if (IsGzip) {
      // A header and a trailer at least; a shorter file is cut.
      if (ArcFileSize < 18 || !ReadMember(0, First) || First.DataPos + 8 > ArcFileSize)
        RaiseArchiveError(FArchiveFile, "", "0", errReadingFile);
      HeaderFlags = First.Flags;
      CompressMethodID = First.Method;
      // The stored name is a name only: no folder of it is used.
      Stored = First.Name.empty() ? OwnName() : ArcExtractFileName(SlashToBackslash(First.Name));
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
      Stored = OwnName();
    }
    if (!ProcessFileName(Stored) || FileName.empty()) RaiseArchiveError(FArchiveFile, "", "0", errInvalidFileName);
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
          OnEnd(this, EntryEventName(*this, Stored), Pass);
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
