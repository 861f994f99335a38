// libFuzzer target: inflate over the input as a raw deflate stream, checked against zlib.
// Where zlib finds the end of the stream we must too, with the same bytes out and the
// same input consumed; where either fails, the bytes both produced must agree.
#include <zlib.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "archive/core/inflate.h"
#include "decoder_fuzz.h"

namespace {

constexpr size_t kLimit = 64u << 20;

// zlib's raw inflate of all of Data, output capped at kLimit. Returns Z_STREAM_END when
// the stream ended, else the last status; Used gets the input consumed.
int ZlibInflate(const uint8_t* Data, size_t Size, std::vector<uint8_t>& Out, size_t& Used) {
  z_stream Z{};
  if (inflateInit2(&Z, -15) != Z_OK) __builtin_trap();
  Z.next_in = const_cast<uint8_t*>(Data);
  Z.avail_in = unsigned(Size);
  uint8_t Buf[65536];
  int R;
  do {
    Z.next_out = Buf;
    Z.avail_out = sizeof Buf;
    R = inflate(&Z, Z_NO_FLUSH);
    Out.insert(Out.end(), Buf, Buf + (sizeof Buf - Z.avail_out));
  } while (R == Z_OK && Out.size() < kLimit && (Z.avail_out == 0 || Z.avail_in > 0));
  Used = Size - Z.avail_in;
  inflateEnd(&Z);
  return R;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  TMemorySource Src(Data, Size, Size > 2 ? 1 + Data[Size - 1] * 7 : SIZE_MAX);
  TVectorSink Sink(kLimit);
  uint64_t Used = 0;
  const TDecodeResult R = Inflate(Src, Sink, &Used);
  if (Used > Size) __builtin_trap();
  if (R == TDecodeResult::WriteError) return 0;  // a bomb: past the cap, nothing to compare

  std::vector<uint8_t> Want;
  size_t WantUsed = 0;
  const int Z = ZlibInflate(Data, Size, Want, WantUsed);
  if (Want.size() >= kLimit) return 0;
  const std::vector<uint8_t>& Got = Sink.Data;
  if (Z == Z_STREAM_END || R == TDecodeResult::Ok) {
    if (Z != Z_STREAM_END || R != TDecodeResult::Ok) __builtin_trap();
    if (Got != Want || Used != WantUsed) __builtin_trap();
  } else {
    // Both failed, perhaps at different symbols of a bad block; what came out must agree.
    const size_t N = std::min(Got.size(), Want.size());
    if (!std::equal(Got.begin(), Got.begin() + N, Want.begin())) __builtin_trap();
  }

  // Straight into a block of exactly the output's size, and of one byte less: every
  // byte of the block on the heap, so that a store past its end is an overrun.
  const bool Whole = Z == Z_STREAM_END;
  for (size_t Room : {Want.size() + (Whole ? 0 : 4096), Want.size() - (Want.empty() ? 0 : 1)}) {
    std::unique_ptr<uint8_t[]> Block(new uint8_t[Room ? Room : 1]);
    size_t Made = 0, BlockUsed = 0;
    const TDecodeResult B = InflateBuffer(Data, Size, Block.get(), Room, Made, &BlockUsed);
    if (Made > Room) __builtin_trap();
    const size_t N = std::min(Made, Want.size());
    if (!std::equal(Block.get(), Block.get() + N, Want.begin())) __builtin_trap();
    if (Whole && Room == Want.size()) {
      if (B != TDecodeResult::Ok || Made != Want.size() || BlockUsed != WantUsed) __builtin_trap();
    } else if (B == TDecodeResult::Ok) {
      __builtin_trap();  // a stream zlib finds bad, or one that cannot fit
    }
  }
  return 0;
}
