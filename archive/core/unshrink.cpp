#include "archive/core/unshrink.h"

#include <cstring>
#include <memory>

TDecodeResult TUnshrinker::Run(TBitInput& In, TDecodeWindow& Out) {
  for (unsigned c = 0; c < kCodes; c++) {
    FPrefix[c] = c < 256 ? 0 : kFree;
    FSuffix[c] = uint8_t(c);
  }
  FFreeCount = 0;
  for (unsigned c = 257; c < kCodes; c++) FFreeList[FFreeCount++] = uint16_t(c);
  FFreeNext = 0;

  unsigned Size = 9;
  uint32_t Code;
  if (!In.Get(Size, Code)) return TDecodeResult::Truncated;
  if (Code > 255) return TDecodeResult::InvalidCode;
  if (!Out.Need(1)) return TDecodeResult::WriteError;
  *Out.Pos++ = uint8_t(Code);
  unsigned Prev = Code;
  uint8_t PrevFirst = uint8_t(Code);

  for (;;) {
    // A partial code at the very end is the padding of the last byte.
    if (!In.Get(Size, Code)) return TDecodeResult::Ok;
    if (Code == 256) {
      uint32_t Sub;
      if (!In.Get(Size, Sub)) return TDecodeResult::Ok;
      if (Sub == 1 && Size < 13) {
        Size++;
      } else if (Sub == 2) {
        PartialClear();
      } else {
        return TDecodeResult::BadData;
      }
      continue;
    }
    // Unwind the string onto the stack, last byte first.
    unsigned Top = kStack;
    unsigned C = Code;
    if (C >= 257 && FPrefix[C] == kFree) {
      // Not yet defined: only the code about to be made may appear, standing for the
      // previous string plus its own first byte.
      if (FFreeNext >= FFreeCount || FFreeList[FFreeNext] != C) return TDecodeResult::InvalidCode;
      FStack[--Top] = PrevFirst;
      C = Prev;
    }
    while (C >= 257) {
      if (Top == 0) return TDecodeResult::StackOverflow;  // a cycle left by a partial clear
      FStack[--Top] = FSuffix[C];
      int16_t P = FPrefix[C];
      if (P == kFree) return TDecodeResult::InvalidCode;
      C = unsigned(P);
    }
    if (C == 256) return TDecodeResult::InvalidCode;
    if (Top == 0) return TDecodeResult::StackOverflow;
    FStack[--Top] = uint8_t(C);
    size_t Len = kStack - Top;
    if (!Out.Need(Len)) return TDecodeResult::WriteError;
    memcpy(Out.Pos, FStack + Top, Len);
    Out.Pos += Len;
    uint8_t First = FStack[Top];
    if (FFreeNext < FFreeCount) {
      unsigned New = FFreeList[FFreeNext++];
      FPrefix[New] = int16_t(Prev);
      FSuffix[New] = First;
    }
    Prev = Code;
    PrevFirst = First;
  }
}

void TUnshrinker::PartialClear() {
  // Free every code that is no other code's prefix (the leaves); the freed codes and
  // the never used ones are then handed out again in increasing order.
  static_assert(kCodes <= 8192);
  bool IsParent[kCodes] = {false};
  for (unsigned c = 257; c < kCodes; c++)
    if (FPrefix[c] != kFree && FPrefix[c] >= 257) IsParent[FPrefix[c]] = true;
  FFreeCount = 0;
  for (unsigned c = 257; c < kCodes; c++) {
    if (FPrefix[c] != kFree && !IsParent[c]) FPrefix[c] = kFree;
    if (FPrefix[c] == kFree) FFreeList[FFreeCount++] = uint16_t(c);
  }
  FFreeNext = 0;
}

TDecodeResult Unshrink(TByteSource& Src, TByteSink& Sink) {
  auto In = std::make_unique<TBitInput>();
  auto Out = std::make_unique<TDecodeWindow>();
  auto U = std::make_unique<TUnshrinker>();
  In->Reset(&Src);
  Out->Reset(&Sink);
  TDecodeResult R = U->Run(*In, *Out);
  if (R != TDecodeResult::WriteError && !Out->Finish()) R = TDecodeResult::WriteError;
  return R;
}
