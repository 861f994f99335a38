// The static-Huffman LZ77 decoder of the LZH family: LHA -lh4-, -lh5-, -lh6-, ARJ methods
// 1 to 3 and ZOO method 2 share one block format and differ only in the four parameters of
// LzhInit. Its MSB-first bit reader also serves ARJ's method 4 (ArjDecodeFast).
//
// Plain state and functions: input is pulled from a TByteSource (which the reader bounds
// to the entry's packed size), output is pushed to a TByteSink in whole windows.
#pragma once

#include <cstdint>
#include <memory>

#include "archive/core/decode_io.h"

// MSB-first bit reader. The next bits sit at the top of a 32-bit buffer that always holds
// at least 25 of them, so a 16-bit look-up never waits for input. Past the end of the
// input it feeds zero bytes; once a decoder has consumed one of those padding bits,
// Overrun() is true.
struct TLzhBitReader {
  static constexpr uint32_t kBufSize = 32768;

  TByteSource* Src = nullptr;
  std::unique_ptr<uint8_t[]> Buf;
  uint32_t Pos = 0, Len = 0;
  uint32_t Bits = 0;       // next bits, most significant first
  int Count = 0;           // valid bits in Bits
  uint64_t Real = 0;       // input bytes taken into Bits
  uint64_t Pad = 0;        // zero bytes taken into Bits after the end of the input
  bool Eof = false;
  bool FOverrun = false;

  // Top N (1..16) bits without consuming them.
  uint32_t Peek(int N) const { return Bits >> (32 - N); }
  bool Overrun() const { return FOverrun || ConsumedBits() > Real * 8; }
  uint64_t ConsumedBits() const { return (Real + Pad) * 8 - uint64_t(Count); }
  void Fill() {
    while (Count <= 24) {
      uint32_t B;
      if (Pos < Len) {
        B = Buf[Pos++];
        Real++;
      } else {
        B = FetchSlow();
      }
      Bits |= B << (24 - Count);
      Count += 8;
    }
  }
  uint32_t FetchSlow();
};

// Starts reading Src: empties the buffers and loads the first bits.
void LzhInitGetBits(TLzhBitReader& B, TByteSource* Src);
// Consumes N (0..16) bits.
inline void LzhFillBuf(TLzhBitReader& B, int N) {
  B.Bits <<= N;
  B.Count -= N;
  if (B.Count <= 24) B.Fill();
}
// The next N (0..16) bits as a number.
inline uint32_t LzhGetBits(TLzhBitReader& B, int N) {
  if (N == 0) return 0;
  uint32_t V = B.Peek(N);
  LzhFillBuf(B, N);
  return V;
}

// Decoder state: the window, the code lengths and the look-up tables of one entry.
struct TLzhDecoder {
  static constexpr int NC = 510;  // literals 0..255 and lengths 3..256
  static constexpr int NT = 19;   // code-length code
  static constexpr int NPT = 20;  // room for the code-length or the position lengths

  uint8_t CrcKind = 16;  // which CRC the reader checks the output with: 16, else 32
  uint8_t DicBit = 13, PBit = 4, Mode = 0;
  int Np = 14;           // position codes: DicBit + 1
  uint32_t W = 26624;    // window size: 32768 in mode 5

  TLzhBitReader In;
  std::unique_ptr<uint8_t[]> Window;
  uint16_t BlockSize = 0;
  bool EndFlag = false;
  TDecodeResult Error = TDecodeResult::Ok;

  uint8_t CLen[NC];
  uint8_t PtLen[NPT];
  uint16_t PtTable[256];
  uint16_t CTable[4096];
  uint16_t Left[2 * NC], Right[2 * NC];
};

// The parameters of each user: ZOO method 2 (16, 13, 4, 0), LHA -lh4- (16, 12, 4, 3),
// -lh5- (16, 13, 4, 3), -lh6- (16, 16, 5, 5), ARJ methods 1-3 (32, 16, 5, 2).
void LzhInit(TLzhDecoder& D, uint8_t CrcKind, uint8_t DicBit, uint8_t PBit, uint8_t Mode);
// Decodes one entry from Src to Sink until UnpackedSize bytes are out (a last match is
// written whole) or a block size of 0 ends the data. Corrupt tables and positions give
// IncompleteCodeSet or BadData, input that ends inside the data Truncated.
TDecodeResult LzhDecode(TLzhDecoder& D, TByteSource& Src, TByteSink& Sink, uint32_t UnpackedSize);
void LzhDone(TLzhDecoder& D);

// ARJ method 4 ("fastest"): unary-prefixed lengths and positions over the same bit reader,
// in a 26624-byte window. Needs LzhInit for its buffers.
TDecodeResult ArjDecodeFast(TLzhDecoder& D, TByteSource& Src, TByteSink& Sink, uint32_t UnpackedSize);
