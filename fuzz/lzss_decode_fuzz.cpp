// The encryption tool's LZSS decoder over any bytes; what decodes must encode and decode
// back to itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

#include "tools/core/lzss_pack.h"

namespace {
struct TInput {
  const uint8_t* Data;
  size_t Size;
  size_t Pos = 0;
  int32_t operator()(void* Buffer, int32_t Capacity) {
    // Small pieces, so that refilling is exercised too.
    size_t n = Size - Pos;
    if (n > 977) n = 977;
    if (n > size_t(Capacity)) n = size_t(Capacity);
    for (size_t i = 0; i < n; ++i) static_cast<uint8_t*>(Buffer)[i] = Data[Pos + i];
    Pos += n;
    return int32_t(n);
  }
};
struct TOutput {
  std::vector<uint8_t> Data;
  void operator()(const void* Buffer, int32_t Count) {
    const auto* p = static_cast<const uint8_t*>(Buffer);
    Data.insert(Data.end(), p, p + Count);
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (!LzssInit()) return 0;
  TInput In{Data, Size};
  TOutput Plain;
  LzssDecode(std::ref(In), std::ref(Plain));
  if (Plain.Data.size() > Size * 18) abort();
  TInput Again{Plain.Data.data(), Plain.Data.size()};
  TOutput Packed;
  LzssEncode(std::ref(Again), std::ref(Packed));
  TInput Back{Packed.Data.data(), Packed.Data.size()};
  TOutput Round;
  LzssDecode(std::ref(Back), std::ref(Round));
  if (Round.Data != Plain.Data) abort();
  return 0;
}
