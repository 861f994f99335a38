// libFuzzer target: the LZH family decoders (-lh4- to -lh6-, ARJ 1-3 and 4, ZOO 2 and
// LZHUF). The first byte picks the decoder, the next four the stated size. The output may
// pass that size only by the rest of its last match (at most 256 bytes), never more.
#include <cstddef>
#include <cstdint>

#include "archive/core/decode_io.h"
#include "archive/core/lzh_decoder.h"
#include "archive/core/lzhuf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 5) return 0;
  const int Kind = Data[0] % 6;
  const uint32_t Unpacked = (Data[1] | (Data[2] << 8) | (Data[3] << 16) | (uint32_t(Data[4]) << 24)) & 0xFFFFFF;
  TMemorySource Src(Data + 5, Size - 5, 1 + Data[0] / 6 * 97);
  TVectorSink Sink(1 << 24);
  static const uint8_t Params[5][4] = {{16, 12, 4, 3}, {16, 13, 4, 3}, {16, 16, 5, 5}, {32, 16, 5, 2}, {16, 13, 4, 0}};
  if (Kind == 5) {
    Lh1Decode(Src, Sink, Unpacked);
  } else {
    TLzhDecoder D;
    LzhInit(D, Params[Kind][0], Params[Kind][1], Params[Kind][2], Params[Kind][3]);
    if (Kind == 3 && (Data[0] & 0x80))
      ArjDecodeFast(D, Src, Sink, Unpacked);
    else
      LzhDecode(D, Src, Sink, Unpacked);
    LzhDone(D);
  }
  if (Sink.Data.size() > uint64_t(Unpacked) + 256) __builtin_trap();
  return 0;
}
