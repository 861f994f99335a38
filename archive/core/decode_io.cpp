#include "archive/core/decode_io.h"

#include <algorithm>

size_t TMemorySource::Read(uint8_t* Buf, size_t Size) {
  size_t N = std::min({Size, FSize - FPos, FChunk});
  if (N) memcpy(Buf, FData + FPos, N);
  FPos += N;
  return N;
}

bool TVectorSink::Write(const uint8_t* Buf, size_t Size) {
  if (Size > FLimit - Data.size()) return false;
  Data.insert(Data.end(), Buf, Buf + Size);
  Writes.push_back(Size);
  return true;
}

void TBitInput::Reset(TByteSource* Source) {
  Src = Source;
  Buf = FStore;
  Pos = Len = 0;
  Eof = false;
  Bits = 0;
  Count = Pad = 0;
  FFetched = 0;
}

void TBitInput::ResetMemory(const uint8_t* Data, size_t Size) {
  Reset(nullptr);
  Buf = Data;
  Len = Size;
  Eof = true;
  FFetched = Size;
}

bool TBitInput::Refill() {
  if (Eof) return false;
  size_t Rest = Len - Pos;
  if (Rest && Pos) memmove(FStore, Buf + Pos, Rest);
  Pos = 0;
  Len = Rest;
  bool Got = false;
  // Keep reading until the buffer is full: a source may give short blocks.
  while (Len < kBufSize) {
    size_t N = Src->Read(FStore + Len, kBufSize - Len);
    if (N == 0) {
      Eof = true;
      break;
    }
    N = std::min(N, kBufSize - Len);
    Len += N;
    FFetched += N;
    Got = true;
  }
  return Got;
}

void TDecodeWindow::Reset(TByteSink* Sink) {
  FSink = Sink;
  FDirect = false;
  if (!FMem) {
    FMem.reset(new uint8_t[kHist + kArea]);
    FHistoryUsed = true;
  }
  Buf = FMem.get();
  // Only a slide brings output into the history: small entries leave it zero.
  if (FHistoryUsed) memset(Buf, 0, kHist);
  FHistoryUsed = false;
  Pos = Flushed = DictStart = FOrigin = Buf + kHist;
  Limit = Buf + kHist + kArea;
  FBase = 0;
}

void TDecodeWindow::ResetDirect(uint8_t* Dst, size_t Size) {
  FSink = nullptr;
  FDirect = true;
  Buf = Pos = Flushed = DictStart = FOrigin = Dst;
  Limit = Dst + Size;
  FBase = 0;
}

bool TDecodeWindow::Slide() {
  if (FDirect) return false;  // the caller's block is full
  while (size_t(Pos - Flushed) >= kBlock) {
    if (!FSink->Write(Flushed, kBlock)) return false;
    Flushed += kBlock;
  }
  size_t Shift = size_t(Pos - Buf) - kHist;
  if (Shift == 0) return true;
  memmove(Buf, Buf + Shift, kHist);
  FHistoryUsed = true;
  Pos -= Shift;
  Flushed -= Shift;
  DictStart = DictStart - Buf >= ptrdiff_t(Shift) ? DictStart - Shift : Buf;
  FBase += Shift;
  return true;
}

bool TDecodeWindow::Finish() {
  if (FDirect) return true;
  while (size_t(Pos - Flushed) >= kBlock) {
    if (!FSink->Write(Flushed, kBlock)) return false;
    Flushed += kBlock;
  }
  if (Pos > Flushed) {
    if (!FSink->Write(Flushed, size_t(Pos - Flushed))) return false;
    Flushed = Pos;
  }
  return true;
}
