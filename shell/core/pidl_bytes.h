// Item-ID lists as bytes, without the shell: a run of items, each led by a 16-bit
// little-endian byte count that includes the count itself, ended by a 16-bit zero.
//
// Lists from the shell are well formed, but lists read from stored form data are not to
// be trusted, so every walk here stops at an item that could not hold its own count
// (1 byte) and never reads past a given limit. What such a walk keeps is the run of whole
// items before the fault; copies made from it get a fresh terminator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

using TPidlBytes = std::vector<uint8_t>;

inline constexpr size_t PidlNoLimit = SIZE_MAX;

struct TPidlWalk {
  size_t ItemsSize = 0;     // bytes of the whole items walked, terminator not included
  int Count = 0;            // number of those items
  bool Terminated = false;  // a 16-bit zero followed them inside the limit
};

// Walks List (nil: no items) reading at most Limit bytes.
TPidlWalk WalkPidl(const void* List, size_t Limit = PidlNoLimit);

inline size_t PidlItemsSize(const void* List, size_t Limit = PidlNoLimit) {
  return WalkPidl(List, Limit).ItemsSize;
}
inline int PidlItemCount(const void* List, size_t Limit = PidlNoLimit) {
  return WalkPidl(List, Limit).Count;
}
// Bytes of the first N items (N is cut to the number of items).
size_t PidlPrefixSize(const void* List, int N);
// Offset of item Index, or -1 when there is no such item.
ptrdiff_t PidlItemOffset(const void* List, int Index);
// The 16-bit count of the item at P.
inline unsigned PidlItemSize(const void* P) {
  const uint8_t* B = static_cast<const uint8_t*>(P);
  return B[0] | (B[1] << 8);
}

// Byte equality of the items of two lists (nil equals the empty list).
bool PidlBytesEqual(const void* A, const void* B);

// The items of List (walked within Limit) followed by a fresh terminator.
TPidlBytes PidlToBytes(const void* List, size_t Limit = PidlNoLimit);
// The items of A, then those of B, then one terminator.
TPidlBytes JoinPidlBytes(const void* A, const void* B);

// The stored form of a shell locator ("Pidl" data): a kind byte; kind 0 then holds a
// little-endian 32-bit byte count n and n bytes of item-ID list, any other kind one
// special-folder byte (and reads back as kind 1).
struct TLocatorRecord {
  uint8_t Kind = 0;           // 0 explicit list, 1 special folder
  uint8_t SpecialFolder = 0;  // kind 1
  TPidlBytes IdList;          // kind 0: a terminated list, or empty for the desktop
};

TPidlBytes EncodeLocatorRecord(const TLocatorRecord& Record);
// Raises EReadError when the data end before the kind, the count, the special folder or
// the count's bytes. A kind 0 list keeps its whole items; one of 2 bytes or less (or
// none) becomes the desktop (empty IdList).
TLocatorRecord DecodeLocatorRecord(const uint8_t* Data, size_t Size);
