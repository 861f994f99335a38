// Stored locator data and item-ID list walks over untrusted bytes.
#include <cstddef>
#include <cstdint>

#include "classlib/core/exception.h"
#include "shell/core/pidl_bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TPidlWalk W = WalkPidl(Data, Size);
  TPidlBytes Copy = PidlToBytes(Data, Size);
  // A copy is a well-formed list of the same whole items.
  if (Copy.size() != W.ItemsSize + 2 || PidlItemCount(Copy.data()) != W.Count) __builtin_trap();
  for (int I = 0; I < W.Count; ++I)
    if (PidlItemOffset(Copy.data(), I) < 0) __builtin_trap();
  try {
    TLocatorRecord R = DecodeLocatorRecord(Data, Size);
    TPidlBytes Again = EncodeLocatorRecord(R);
    TLocatorRecord Back = DecodeLocatorRecord(Again.data(), Again.size());
    if (Back.Kind != R.Kind || (R.Kind == 0 && !R.IdList.empty() && Back.IdList != R.IdList)) __builtin_trap();
  } catch (const EReadError&) {
  }
  return 0;
}
