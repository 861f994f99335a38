// The DEFLATE compressor of the ZIP writer (raw RFC 1951 stream): hash chains over a
// 64 KB window, greedy matching up to level 3 and lazy matching above, blocks ended by
// the symbol buffer or by a size estimate, each sent stored, with the fixed codes or with
// its own codes, whichever is smallest. Input and output go through the caller's
// callbacks; the output can be encrypted with the traditional ZIP cipher on its way out.
#pragma once

#include <cstdint>
#include <functional>

// What the compressor reads, writes and reports to.
struct TDeflateIO {
  // Up to Count bytes of input into Buf; the number read, 0 at the end.
  std::function<int32_t(void* Buf, int32_t Count)> Read;
  // Count bytes of output; the callback writes them all or raises.
  std::function<void(const void* Buf, int32_t Count)> Write;
  // The percent of the input read (optional).
  std::function<void(uint8_t Percent)> Progress;
  int64_t InputSize = 0;     // the total the percent is taken of
  int64_t ProgressStep = 0;  // input bytes between two reports; 0 reports nothing

  // Set by Deflate: the input did not compress and went out as it is, so the entry is
  // to be stored (method 0) rather than deflated.
  bool Stored = false;
};

// Compresses Zip's whole input at Level (0..9: the chain, lazy and nice limits grow with
// it; 1 to 3 match greedily). With Encrypt every output byte goes through EncryptByte
// with the keys as they stand. The number of bytes written.
int64_t Deflate(TDeflateIO& Zip, bool Encrypt, int Level);
