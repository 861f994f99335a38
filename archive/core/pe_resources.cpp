#include "archive/core/pe_resources.h"

#include "archive/core/arc_type.h"
#include "archive/core/le_bytes.h"

namespace {
using le::Get16;
using le::Get32;

constexpr uint32_t RtString = 6;
constexpr uint32_t SubdirFlag = 0x80000000u;
}  // namespace

bool TPeResourceReader::Read(int64_t Pos, void* Buf, int32_t Count) {
  return Pos >= 0 && FIn.ReadAt(Pos, Buf, Count) == Count;
}

TPeResourceReader::TPeResourceReader(TArcInput& In) : FIn(In) {
  uint8_t dos[64];
  if (!Read(0, dos, 64) || dos[0] != 'M' || dos[1] != 'Z') return;
  const uint32_t peOffset = Get32(dos + 0x3C);
  uint8_t pe[24];
  if (!Read(peOffset, pe, 24) || Get32(pe) != 0x00004550) return;
  const uint16_t sections = Get16(pe + 6), optSize = Get16(pe + 20);
  const int64_t opt = int64_t(peOffset) + 24;
  uint8_t optHdr[240] = {};
  if (optSize < 2 || !Read(opt, optHdr, optSize < 240 ? optSize : 240)) return;
  const uint16_t magic = Get16(optHdr);
  uint32_t countAt, dirsAt;
  if (magic == 0x10B) {
    countAt = 92, dirsAt = 96;
  } else if (magic == 0x20B) {
    countAt = 108, dirsAt = 112;
  } else {
    return;
  }
  if (sections > sizeof(FSections) / sizeof(FSections[0])) return;
  const int64_t table = opt + optSize;
  for (int i = 0; i < sections; ++i) {
    uint8_t s[40];
    if (!Read(table + 40 * i, s, 40)) return;
    FSections[i] = {Get32(s + 12), Get32(s + 8), Get32(s + 20), Get32(s + 16)};
  }
  FSectionCount = sections;
  FValid = true;
  // Data directory 2: the resource tree.
  if (optSize >= dirsAt + 24 && Get32(optHdr + countAt) > 2) {
    FResourceRva = Get32(optHdr + dirsAt + 16);
    FResourceSize = Get32(optHdr + dirsAt + 20);
    FHasResources = FResourceRva != 0 && FResourceSize >= 16 && RvaToOffset(FResourceRva, 16, FResourceOffset);
  }
}

bool TPeResourceReader::RvaToOffset(uint32_t Rva, uint32_t Size, int64_t& Offset) {
  for (int i = 0; i < FSectionCount; ++i) {
    const TSection& s = FSections[i];
    const uint64_t span = s.VirtualSize > s.RawSize ? s.VirtualSize : s.RawSize;
    if (Rva < s.VirtualAddress || uint64_t(Rva) - s.VirtualAddress >= span) continue;
    const uint64_t delta = uint64_t(Rva) - s.VirtualAddress;
    if (delta + Size > s.RawSize) return false;  // not backed by file data
    Offset = int64_t(s.RawOffset) + int64_t(delta);
    return true;
  }
  return false;
}

bool TPeResourceReader::FindEntry(uint32_t DirOffset, uint32_t Id, bool AnyId, uint32_t& Target) {
  uint8_t dir[16];
  if (uint64_t(DirOffset) + 16 > FResourceSize || !Read(FResourceOffset + DirOffset, dir, 16)) return false;
  const uint32_t named = Get16(dir + 12), ids = Get16(dir + 14);
  bool found = false;
  for (uint32_t i = 0; i < named + ids; ++i) {
    const uint64_t at = uint64_t(DirOffset) + 16 + 8 * uint64_t(i);
    uint8_t e[8];
    if (at + 8 > FResourceSize || !Read(FResourceOffset + int64_t(at), e, 8)) return found;
    const uint32_t name = Get32(e), target = Get32(e + 4);
    if (i < named || (name & SubdirFlag)) continue;  // named entries are not string ids
    if (AnyId) {
      // Language level: the neutral language first, as the loader looks it up, else the first.
      if (!found || name == 0) Target = target, found = true;
      if (name == 0) return true;
    } else if (name == Id) {
      Target = target;
      return true;
    }
  }
  return found;
}

std::string TPeResourceReader::LoadString(uint32_t Id, size_t MaxLen) {
  if (!FHasResources || Id > 0xFFFF) return {};
  uint32_t typeDir, nameDir, dataEntry;
  if (!FindEntry(0, RtString, false, typeDir) || !(typeDir & SubdirFlag)) return {};
  if (!FindEntry(typeDir & ~SubdirFlag, (Id >> 4) + 1, false, nameDir) || !(nameDir & SubdirFlag)) return {};
  if (!FindEntry(nameDir & ~SubdirFlag, 0, true, dataEntry) || (dataEntry & SubdirFlag)) return {};
  uint8_t data[16];
  if (uint64_t(dataEntry) + 16 > FResourceSize || !Read(FResourceOffset + dataEntry, data, 16)) return {};
  const uint32_t rva = Get32(data), size = Get32(data + 4);
  int64_t pos;
  if (!RvaToOffset(rva, size, pos)) return {};
  // A block holds 16 strings, each a 16-bit length and that many UTF-16 units.
  const int64_t end = pos + size;
  for (uint32_t i = 0; i < (Id & 15); ++i) {
    uint8_t len[2];
    if (pos + 2 > end || !Read(pos, len, 2)) return {};
    pos += 2 + 2 * int64_t(Get16(len));
  }
  uint8_t len[2];
  if (pos + 2 > end || !Read(pos, len, 2)) return {};
  pos += 2;
  size_t count = Get16(len);
  if (count > MaxLen) count = MaxLen;
  if (pos + 2 * int64_t(count) > end) return {};
  std::string result;
  for (size_t i = 0; i < count; ++i) {
    uint8_t u[2];
    if (!Read(pos + 2 * int64_t(i), u, 2)) return {};
    const uint16_t w = Get16(u);
    if (w < 0x80)
      result += char(w);
    else if (w >= 0x410 && w <= 0x44F)
      result += char(0xC0 + (w - 0x410));  // Cyrillic letters of the 1251 code page
    else if (w == 0x401)
      result += char(0xA8);
    else if (w == 0x451)
      result += char(0xB8);
    else
      result += '?';
  }
  return result;
}
