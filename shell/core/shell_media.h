// The byte layouts that carry shell items from one program to another: the "Shell IDList
// Array" (a count, offsets, then the parent's absolute list and each child's relative
// list), the CF_HDROP file list and the preferred drop effect. Blocks read here come from
// other programs, so every count and offset is checked against the block's size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using TMediumBytes = std::vector<uint8_t>;

// A "Shell IDList Array" of the parent list (nil: the desktop, written as an empty list)
// and the children's relative lists, each written with a fresh terminator.
TMediumBytes MakeCidaBytes(const void* ParentList, const std::vector<const void*>& Children);

// The lists of a "Shell IDList Array", pointing into the parsed block.
struct TCidaView {
  const uint8_t* Parent = nullptr;
  std::vector<const uint8_t*> Children;
};
// False for a block that cannot hold its count and offsets, or whose parent or child
// lists start outside it or run past its end without a terminator.
bool ParseCida(const uint8_t* Data, size_t Size, TCidaView& View);

// The CF_HDROP block (DROPFILES header with wide names, each name zero-terminated, one
// more zero at the end), sized from the names themselves.
TMediumBytes MakeHDropBytes(const std::vector<std::u16string>& Paths);

// The names of a CF_HDROP block, as it holds them: wide, or bytes of the system's ANSI
// code page for the receiver to convert.
struct THDropNames {
  bool Wide = false;
  std::vector<std::u16string> WideNames;
  std::vector<std::string> AnsiNames;
  size_t Count() const { return Wide ? WideNames.size() : AnsiNames.size(); }
};
// False for a block too short for its header, whose names start outside it, or whose
// last name is not terminated inside it.
bool ParseHDrop(const uint8_t* Data, size_t Size, THDropNames& Names);

// The text medium of a set of paths: each path followed by CR LF, then one zero byte.
TMediumBytes MakePathTextBytes(const std::vector<std::string>& Paths);

// "Preferred DropEffect": one 32-bit effect (1 copy, 2 move, 4 link); 0 when the block
// is too short to hold it.
TMediumBytes MakeDropEffectBytes(uint32_t Effect);
uint32_t ParseDropEffect(const uint8_t* Data, size_t Size);
