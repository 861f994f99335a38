#include "shell/core/pidl_bytes.h"

#include <cstring>

#include "classlib/core/exception.h"

TPidlWalk WalkPidl(const void* List, size_t Limit) {
  TPidlWalk W;
  if (List == nullptr) return W;
  const uint8_t* P = static_cast<const uint8_t*>(List);
  size_t Pos = 0;
  for (;;) {
    if (Limit - Pos < 2) return W;  // not even a terminator fits
    unsigned Cb = PidlItemSize(P + Pos);
    if (Cb == 0) {
      W.Terminated = true;
      return W;
    }
    // A count of 1 cannot hold itself; an item passing the limit is cut off.
    if (Cb < 2 || Cb > Limit - Pos) return W;
    Pos += Cb;
    W.ItemsSize = Pos;
    ++W.Count;
  }
}

size_t PidlPrefixSize(const void* List, int N) {
  if (List == nullptr || N <= 0) return 0;
  const uint8_t* P = static_cast<const uint8_t*>(List);
  size_t Size = PidlItemsSize(List);
  size_t Pos = 0;
  for (int I = 0; I < N && Pos < Size; ++I) Pos += PidlItemSize(P + Pos);
  return Pos;
}

ptrdiff_t PidlItemOffset(const void* List, int Index) {
  if (List == nullptr || Index < 0 || Index >= PidlItemCount(List)) return -1;
  return static_cast<ptrdiff_t>(PidlPrefixSize(List, Index));
}

bool PidlBytesEqual(const void* A, const void* B) {
  size_t SA = PidlItemsSize(A), SB = PidlItemsSize(B);
  return SA == SB && (SA == 0 || std::memcmp(A, B, SA) == 0);
}

TPidlBytes PidlToBytes(const void* List, size_t Limit) {
  size_t Size = PidlItemsSize(List, Limit);
  TPidlBytes R(Size + 2, 0);
  if (Size != 0) std::memcpy(R.data(), List, Size);
  return R;
}

TPidlBytes JoinPidlBytes(const void* A, const void* B) {
  size_t SA = PidlItemsSize(A), SB = PidlItemsSize(B);
  TPidlBytes R(SA + SB + 2, 0);
  if (SA != 0) std::memcpy(R.data(), A, SA);
  if (SB != 0) std::memcpy(R.data() + SA, B, SB);
  return R;
}

TPidlBytes EncodeLocatorRecord(const TLocatorRecord& Record) {
  TPidlBytes R;
  if (Record.Kind != 0) {
    R = {1, Record.SpecialFolder};
    return R;
  }
  TPidlBytes List = PidlToBytes(Record.IdList.empty() ? nullptr : Record.IdList.data(),
                                Record.IdList.size());
  uint32_t N = static_cast<uint32_t>(List.size());
  R = {0, uint8_t(N), uint8_t(N >> 8), uint8_t(N >> 16), uint8_t(N >> 24)};
  R.insert(R.end(), List.begin(), List.end());
  return R;
}

TLocatorRecord DecodeLocatorRecord(const uint8_t* Data, size_t Size) {
  TLocatorRecord R;
  if (Size < 1) throw EReadError("Pidl data: the kind is missing");
  if (Data[0] != 0) {
    if (Size < 2) throw EReadError("Pidl data: the special folder is missing");
    R.Kind = 1;
    R.SpecialFolder = Data[1];
    return R;
  }
  if (Size < 5) throw EReadError("Pidl data: the item-ID list size is missing");
  uint32_t N = Data[1] | (Data[2] << 8) | (Data[3] << 16) | (uint32_t(Data[4]) << 24);
  if (N > Size - 5) throw EReadError("Pidl data: the item-ID list is cut short");
  if (PidlItemsSize(Data + 5, N) != 0) R.IdList = PidlToBytes(Data + 5, N);
  return R;
}
