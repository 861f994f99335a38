// libFuzzer target: explode (ZIP method 6). Byte 0 gives the flags (8 KB dictionary,
// three trees), bytes 0 and 1 the unpacked size (byte 1 in KB); the rest is the data.
#include "archive/core/explode.h"
#include "decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 2) return 0;
  const uint64_t Unpacked = uint64_t(Data[1]) * 1024 + Data[0];
  TMemorySource Src(Data + 2, Size - 2);
  TFuzzSink Sink;
  Explode(Src, Sink, Data[0] & 6, Unpacked);
  if (Sink.N > Unpacked) __builtin_trap();
  return 0;
}
