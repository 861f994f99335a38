// Block input and output of the decoders (inflate, unshrink, unreduce, explode, LZW).
// A decoder pulls its input in blocks from a TByteSource and pushes its output in
// blocks to a TByteSink: one virtual call per block, never per byte. The bit reader
// and the output window below are plain state over byte buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

// Gives up to Size bytes; 0 means the input is over (end, read error or cancel).
class TByteSource {
public:
  virtual size_t Read(uint8_t* Buf, size_t Size) = 0;

protected:
  ~TByteSource() = default;
};

// Takes Size bytes; false when they could not all be written.
class TByteSink {
public:
  virtual bool Write(const uint8_t* Buf, size_t Size) = 0;

protected:
  ~TByteSink() = default;
};

// Outcome of a decoder run. The engine turns these into its error ids; a decoder
// only says what went wrong.
enum class TDecodeResult {
  Ok,
  Truncated,          // the input ended inside the data
  BadData,            // an invalid control code or index; the entry ends
  BadBlock,           // an invalid block type, code or distance
  StoredLength,       // a stored block whose length check fails
  BadLengths,         // invalid code-length counts or repeats
  IncompleteCodeSet,  // Huffman lengths that over-subscribe or leave gaps
  InvalidCode,        // unshrink: a code that is not defined
  StackOverflow,      // unshrink: a string longer than the stack
  AmbiguousTree,      // explode: over-subscribed Shannon-Fano lengths
  CorruptInput,       // LZW: first code not a byte
  BadHeader,          // LZW: reserved flag bits set
  BadMaxBits,         // LZW: maximum code size out of range
  WriteError,         // the sink refused the output
};

// A source over a memory block; ChunkLimit caps every read (tests use it to cut the
// input at awkward places).
class TMemorySource : public TByteSource {
public:
  TMemorySource(const void* Data, size_t Size, size_t ChunkLimit = SIZE_MAX)
      : FData(static_cast<const uint8_t*>(Data)), FSize(Size), FChunk(ChunkLimit) {}
  size_t Read(uint8_t* Buf, size_t Size) override;
  size_t Position() const { return FPos; }

private:
  const uint8_t* FData;
  size_t FSize, FPos = 0, FChunk;
};

// A sink that appends to a vector; fails once more than Limit bytes would be held.
class TVectorSink : public TByteSink {
public:
  explicit TVectorSink(size_t Limit = SIZE_MAX) : FLimit(Limit) {}
  bool Write(const uint8_t* Buf, size_t Size) override;
  std::vector<uint8_t> Data;
  std::vector<size_t> Writes;  // size of every write, in order

private:
  size_t FLimit;
};

// LSB-first bit reader over a refillable input buffer, or straight over a block of
// memory that holds the whole input. At the end of the input it pads with zero bytes
// so that table look-ups may peek past the last real bit; a decoder that then
// consumes a padding bit sees Overrun().
class TBitInput {
public:
  static constexpr size_t kBufSize = 32768;

  void Reset(TByteSource* Src);
  // Reads Data itself, without copying: the input is all there.
  void ResetMemory(const uint8_t* Data, size_t Size);

  // Moves the unread tail to the front and reads more. False when nothing came.
  bool Refill();
  // Bytes buffered and not yet taken into the bit buffer.
  size_t Avail() const { return Len - Pos; }

  // Makes at least N (<= 57) bits available, padding with zeros at the end.
  void Fill(unsigned N) {
    while (Count < N) {
      if (Pos == Len && !Refill()) {
        Count += 8;  // zero byte: the bits above Count are always zero here
        Pad += 8;
        continue;
      }
      Bits |= uint64_t(Buf[Pos++]) << Count;
      Count += 8;
    }
  }
  uint32_t Peek(unsigned N) const { return uint32_t(Bits & ((uint64_t(1) << N) - 1)); }
  void Drop(unsigned N) {
    Bits >>= N;
    Count -= N;
  }
  // Reads N (<= 32) bits; false when that runs past the end of the input.
  bool Get(unsigned N, uint32_t& V) {
    Fill(N);
    V = Peek(N);
    Drop(N);
    return !Overrun();
  }
  bool Overrun() const { return Count < Pad; }
  // Drops the bits up to the next byte boundary.
  void AlignToByte() { Drop(Count & 7); }
  // Whole input bytes read from the source and not used by the decoder.
  size_t UnusedBytes() const { return Avail() + (Count >= Pad ? (Count - Pad) / 8 : 0); }
  uint64_t Fetched() const { return FFetched; }

  TByteSource* Src = nullptr;
  const uint8_t* Buf = FStore;  // the buffered input: FStore or the caller's memory
  size_t Pos = 0, Len = 0;
  bool Eof = false;
  uint64_t Bits = 0;
  unsigned Count = 0;  // valid bits in Bits
  unsigned Pad = 0;    // of those, zero padding past the end (the topmost ones)

private:
  uint64_t FFetched = 0;
  uint8_t FStore[kBufSize];
};

// Output window: 32 KB of history before the write position, a large output area
// after it, flushed to the sink in blocks of exactly 32768 bytes (and the rest at
// the end). The history starts as zeros, which is what the older ZIP methods read
// before the start of the output.
// Direct mode decodes into the caller's block instead, which is then the whole
// output and its own history: nothing is copied, and running out of room is a
// write error.
class TDecodeWindow {
public:
  static constexpr size_t kHist = 32768;
  static constexpr size_t kBlock = 32768;
  static constexpr size_t kArea = 7 * kBlock;

  void Reset(TByteSink* Sink);
  void ResetDirect(uint8_t* Dst, size_t Size);
  bool Direct() const { return FDirect; }
  // Writes the whole blocks and moves the last 32 KB to the front. False: write error.
  bool Slide();
  // Writes what is left. False: write error.
  bool Finish();
  // Bytes produced so far.
  uint64_t Total() const { return FBase + uint64_t(Pos - FOrigin); }
  // Room before Limit.
  size_t Room() const { return size_t(Limit - Pos); }
  // Ensures at least N (<= kArea) bytes of room; false on a write error.
  bool Need(size_t N) { return size_t(Limit - Pos) >= N || Slide(); }

  uint8_t* Buf = nullptr;
  uint8_t* Pos = nullptr;        // next byte to produce
  uint8_t* Flushed = nullptr;    // first byte not yet written
  uint8_t* Limit = nullptr;      // end of the output area
  uint8_t* DictStart = nullptr;  // oldest real output byte a distance may reach

private:
  std::unique_ptr<uint8_t[]> FMem;  // made on the first windowed use
  TByteSink* FSink = nullptr;
  uint8_t* FOrigin = nullptr;  // where output byte 0 went, less FBase
  uint64_t FBase = 0;
  bool FDirect = false;
  bool FHistoryUsed = false;  // the history holds something other than zeros
};

// Copies Len bytes from Dist bytes back; Dist may be smaller than Len (a run). The
// caller guarantees Len + 16 bytes of room: whole 16-byte stores may pass the end. Most
// matches are short, so the first 16 bytes go without a loop whose exit would be guessed.
inline void CopyMatch(uint8_t*& Out, size_t Dist, size_t Len) {
  uint8_t* Dst = Out;
  const uint8_t* Src = Dst - Dist;
  uint8_t* End = Dst + Len;
  if (Dist >= 16) {
    memcpy(Dst, Src, 16);
    if (Len > 16) {
      Dst += 16;
      Src += 16;
      do {
        memcpy(Dst, Src, 16);
        Dst += 16;
        Src += 16;
      } while (Dst < End);
    }
  } else if (Dist >= 8) {
    do {
      memcpy(Dst, Src, 8);
      Dst += 8;
      Src += 8;
    } while (Dst < End);
  } else if (Dist == 1) {
    memset(Dst, *Src, Len);
  } else {
    while (Dst < End) *Dst++ = *Src++;
  }
  Out = End;
}
