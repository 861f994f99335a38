// libFuzzer target: unshrink (ZIP method 1) over the input. No code can give more than
// its place in the stream allows.
#include "archive/core/unshrink.h"
#include "decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TMemorySource Src(Data, Size);
  TFuzzSink Sink;
  const TDecodeResult R = Unshrink(Src, Sink);
  if (R != TDecodeResult::WriteError && Sink.N > LzwOutputBound(Size, 9, 8192)) __builtin_trap();
  return 0;
}
