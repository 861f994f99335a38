#include "archive/core/entry_io.h"

#include <algorithm>

#include "archive/core/arc_globals.h"
#include "archive/core/lzh_decoder.h"

void TEntryProgress::Setup(int64_t ATotal, int StepPercent, bool AFromEnd) {
  Total = ATotal;
  Step = ATotal * StepPercent / 100;
  if (Step <= 0) Step = ATotal;
  FromEnd = AFromEnd;
  Enabled = ATotal > 0;
}

int64_t TEntryProgress::ToNext(int64_t Done) const {
  if (!Enabled) return INT64_MAX;
  // Report points: Done values where Total - Done (FromEnd) or Done is a multiple of Step.
  int64_t Phase = FromEnd ? (Total - Done) % Step : (Step - Done % Step) % Step;
  if (Phase < 0) Phase += Step;
  return Phase == 0 ? Step : Phase;
}

void TEntryProgress::Advance(int64_t From, int64_t To) const {
  if (!Enabled) return;
  for (int64_t Done = From + ToNext(From); Done <= To; Done += Step) {
    if (FromEnd && Done > Total) break;
    ArcReportProgress(CalcProgress(Done, Total));
  }
}

TEntrySource::TEntrySource(TArcFile& F, int64_t Size, int StepPercent, bool Progress) : FFile(F), FSize(Size) {
  if (Progress) FProgress.Setup(Size, StepPercent, true);
}

size_t TEntrySource::Read(uint8_t* Buf, size_t Size) {
  // Whole blocks: the report points a block passes are reported after it is read.
  int64_t Want = std::min<int64_t>({int64_t(Size), FSize - FDone, 0x7FFFFFFF});
  if (Want <= 0 || FShort || (CancelFlag && *CancelFlag)) return 0;
  int32_t Got = FFile.Read(Buf, int32_t(Want));
  if (Got <= 0) {
    FShort = true;
    return 0;
  }
  FProgress.Advance(FDone, FDone + Got);
  FDone += Got;
  return size_t(Got);
}

bool TEntrySink::Write(const uint8_t* Buf, size_t Size) {
  int32_t Count = int32_t(Size);
  bool Ok = ArcWriteOutput(FOut, Buf, Count);
  if (Count > 0) {
    if (FCrcKind == 16)
      UpdateCrc16(Buf, size_t(Count), ArcEngineNow().Crc16Val);
    else if (FCrcKind == 32)
      UpdateCrc32(Buf, size_t(Count), ArcEngineNow().Crc32Val);
    FProgress.Advance(FWritten, FWritten + Count);
    FWritten += Count;
  }
  return Ok && size_t(Count) == Size;
}

int DecodeErrorId(TDecodeResult Result) {
  switch (Result) {
    case TDecodeResult::Truncated: return errReadingFile;
    case TDecodeResult::WriteError: return errWritingFile;
    case TDecodeResult::InvalidCode: return errInvalidCode;
    case TDecodeResult::StackOverflow: return errStackOverflow;
    case TDecodeResult::BadMaxBits: return errIncorrectBits;
    default: return errBadHuffmanCode;
  }
}

void DecodeLzhEntry(TUnBase& R, uint8_t CrcKind, uint8_t DicBit, uint8_t PBit, uint8_t Mode, int64_t Packed,
                    uint32_t Unpacked, const std::string& ErrName, bool Fast) {
  auto D = std::make_unique<TLzhDecoder>();
  LzhInit(*D, CrcKind, DicBit, PBit, Mode);
  TEntrySource Src(R.ArcFile, Packed, R.ProgressStepPercent);
  Src.CancelFlag = &R.Cancel;
  TEntrySink Sink(R.OutFile, CrcKind == 16 ? 16 : 32);
  TDecodeResult Result = Fast ? ArjDecodeFast(*D, Src, Sink, Unpacked) : LzhDecode(*D, Src, Sink, Unpacked);
  LzhDone(*D);
  if (Result != TDecodeResult::Ok && !R.Cancel) R.RaiseArchiveError(ErrName, "", "0", DecodeErrorId(Result));
}
