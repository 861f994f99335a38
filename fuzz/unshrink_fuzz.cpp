// libFuzzer target: unshrink (ZIP method 1) over the input.
#include "archive/core/unshrink.h"
#include "decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TMemorySource Src(Data, Size);
  TFuzzSink Sink;
  Unshrink(Src, Sink);
  return 0;
}
