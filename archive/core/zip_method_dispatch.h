// Decoding of one ZIP entry's data (and of a gzip member) by its method: stored, shrunk,
// reduced, imploded and deflated, with decryption on read, the CRC-32 of the output and
// progress by the input consumed.
#pragma once

#include <cstdint>

class TUnBase;

struct TZipMethodEntry {
  uint16_t Method = 0;
  uint16_t Flags = 0;         // general-purpose flags (implode: dictionary and tree count)
  int64_t PackedSize = 0;     // including the 12-byte encryption header
  int64_t UnpackedSize = 0;   // reduce and implode stop there
};

// Decodes the entry at the reader's archive position to its output (the reader's OutFile
// or the engine's stream), presetting and updating the engine's CRC-32. An encrypted
// entry's header has been read and checked: the keys stand ready. Errors are reported or
// raised through the reader as the engine's error ids. Consumed, when given, gets the
// packed bytes the data took (a deflate stream may end before PackedSize).
void ZipMethodDispatch(TUnBase& Reader, const TZipMethodEntry& Entry, bool Encrypted, int64_t* Consumed = nullptr);
