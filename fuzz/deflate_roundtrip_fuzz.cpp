// libFuzzer target: the DEFLATE compressor over arbitrary input at the level the first
// byte picks, read in pieces whose size the second byte picks; the output must inflate
// back to the input (or be the input itself when it went out stored).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "archive/core/decode_io.h"
#include "archive/core/deflate.h"
#include "archive/core/inflate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 2) return 0;
  const int level = Data[0] % 10;
  const size_t piece = 1 + size_t(Data[1]) * 97;
  const uint8_t* in = Data + 2;
  const size_t n = Size - 2;
  size_t pos = 0;
  std::vector<uint8_t> packed;
  TDeflateIO io;
  io.Read = [&](void* Buf, int32_t Count) {
    const size_t k = std::min({size_t(Count), n - pos, piece});
    std::memcpy(Buf, in + pos, k);
    pos += k;
    return int32_t(k);
  };
  io.Write = [&](const void* Buf, int32_t Count) {
    const uint8_t* p = static_cast<const uint8_t*>(Buf);
    packed.insert(packed.end(), p, p + Count);
  };
  io.InputSize = int64_t(n);
  if (Deflate(io, false, level) != int64_t(packed.size())) std::abort();
  if (io.Stored) {
    if (packed.size() != n || (n && std::memcmp(packed.data(), in, n) != 0)) std::abort();
    return 0;
  }
  TMemorySource src(packed.data(), packed.size());
  TVectorSink sink;
  if (Inflate(src, sink) != TDecodeResult::Ok || sink.Data.size() != n ||
      (n && std::memcmp(sink.Data.data(), in, n) != 0))
    std::abort();
  return 0;
}
