// libFuzzer target: the LZW of compress over the input as a whole .Z file. No code can
// give more than its place in the stream allows.
#include "archive/core/lzw_decompress.h"
#include "decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TMemorySource Src(Data, Size);
  TFuzzSink Sink;
  const TDecodeResult R = LzwDecode(Src, Sink);
  if (R != TDecodeResult::WriteError && Sink.N > LzwOutputBound(Size > 3 ? Size - 3 : 0, 9, 65536)) __builtin_trap();
  return 0;
}
