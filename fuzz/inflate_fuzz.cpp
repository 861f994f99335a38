// libFuzzer target: inflate over the input as a raw deflate stream.
#include "archive/core/inflate.h"
#include "decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TMemorySource Src(Data, Size);
  TFuzzSink Sink;
  uint64_t Used = 0;
  Inflate(Src, Sink, &Used);
  if (Used > Size) __builtin_trap();
  return 0;
}
