// libFuzzer target: unreduce (ZIP methods 2-5). Byte 0 picks the factor, bytes 0 and 1
// the unpacked size (byte 1 in KB); the rest is the packed data.
#include "archive/core/unreduce.h"
#include "decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 2) return 0;
  const uint64_t Unpacked = uint64_t(Data[1]) * 1024 + Data[0];
  TMemorySource Src(Data + 2, Size - 2);
  TFuzzSink Sink;
  Unreduce(Src, Sink, 1 + Data[0] % 4, Unpacked);
  if (Sink.N > Unpacked) __builtin_trap();
  return 0;
}
