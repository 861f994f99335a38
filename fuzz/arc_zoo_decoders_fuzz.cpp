// libFuzzer target: the ARC methods 1-9 and ZOO's LZW. The first byte picks the method,
// the next four the stated size, which the output must never pass.
#include <cstddef>
#include <cstdint>

#include "archive/core/arc_decoder.h"
#include "archive/core/decode_io.h"
#include "archive/core/zoo_lzd.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 5) return 0;
  const int Method = Data[0] % 10;
  const uint32_t Unpacked = (Data[1] | (Data[2] << 8) | (Data[3] << 16) | (uint32_t(Data[4]) << 24)) & 0xFFFFFF;
  TMemorySource Src(Data + 5, Size - 5, 1 + Data[0] / 10 * 61);
  TVectorSink Sink(1 << 24);
  if (Method == 0)
    ZooLzdDecode(Src, Sink, Unpacked);
  else
    ArcDecodeEntry(Method, Src, Sink, Unpacked);
  if (Sink.Data.size() > Unpacked) __builtin_trap();
  return 0;
}
