// The encryption tool's CRC-32 and its LZSS coder.
//
// The compressed stream has no header, length or end mark: groups of up to eight items,
// each group led by a flag byte whose bits (least significant first) say literal (1) or
// reference (0). A reference is two bytes: the low 8 bits of a position in a 4096-byte ring,
// then (position bits 8-11) * 16 + (length - 3), lengths 3..18. The ring starts zeroed and
// the first byte coded lands at 4078.
//
// The coder keeps its buffers, ring and trees in unit-level storage, allocated by LzssInit
// and kept until LzssDone: one coding runs at a time.
#pragma once

#include <cstdint>
#include <functional>

// Delivers up to Capacity bytes into Buffer; the number delivered, 0 at the end of input.
using TLzssReadProc = std::function<int32_t(void* Buffer, int32_t Capacity)>;
// Takes Count bytes; reports a failure by raising.
using TLzssWriteProc = std::function<void(const void* Buffer, int32_t Count)>;

// CRC-32 (reflected, polynomial 0xEDB88320) over the N + 1 bytes Buffer[0..N]: N is the last
// index, not the count. Starts at 0 and inverts neither before nor after, as the encrypted
// file's header was written. N below 0 covers nothing and gives 0.
uint32_t Crc32Buf(const void* Buffer, int32_t N);

// Allocates the coder's storage when it is not there yet; false when that failed.
bool LzssInit();
// Frees the storage. Does nothing while a coding runs (from inside one of its callbacks).
void LzssDone();

// Compress or expand everything Read delivers, handing the result to Write in blocks of up
// to 256 KB. False, and nothing read or written, when the storage was not set up by
// LzssInit or another coding is running. An exception from a callback passes through.
bool LzssEncode(const TLzssReadProc& Read, const TLzssWriteProc& Write);
bool LzssDecode(const TLzssReadProc& Read, const TLzssWriteProc& Write);
