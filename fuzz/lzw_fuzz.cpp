// libFuzzer target: the LZW of compress over the input as a whole .Z file.
#include "archive/core/lzw_decompress.h"
#include "decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TMemorySource Src(Data, Size);
  TFuzzSink Sink;
  LzwDecode(Src, Sink);
  return 0;
}
