#include "archive/core/zip_format.h"

#include <algorithm>
#include <vector>

#include "archive/core/arc_globals.h"
#include "archive/core/arc_names.h"
#include "archive/core/le_bytes.h"
#include "classlib/core/code_page.h"

using le::Get16;
using le::Get32;
using le::Get64;

namespace {

bool ReadFull(TArcInput& In, int64_t Pos, void* Buf, int32_t Count) {
  return Pos >= 0 && In.ReadAt(Pos, Buf, Count) == Count;
}

// A central header at Pos whose local header stands where Base puts it.
bool CentralAt(TArcInput& In, int64_t Size, int64_t Pos, int64_t Base) {
  uint8_t C[ZipCentralSize], L[4];
  if (Pos < 0 || Pos + ZipCentralSize > Size || !ReadFull(In, Pos, C, ZipCentralSize) || Get32(C) != ZipCentralSig)
    return false;
  int64_t Local = int64_t(Get32(C + 42));
  if (Local == 0xFFFFFFFF) return true;  // in the Zip64 extra field: the central header has to do
  Local += Base;
  if (Local < 0 || Local + ZipLocalSize > Size || !ReadFull(In, Local, L, 4)) return false;
  return Get32(L) == ZipLocalSig || Get32(L) == ZipLocalSig250;
}

// The first central signature at or after From and before Limit; -1 when none.
int64_t FindCentralSig(TArcInput& In, int64_t From, int64_t Limit) {
  constexpr int32_t Block = 32768;
  std::vector<uint8_t> Buf(Block);
  for (int64_t At = std::max<int64_t>(From, 0); At + 4 <= Limit; At += Block - 3) {
    const int32_t Want = int32_t(std::min<int64_t>(Block, Limit - At));
    const int32_t Got = In.ReadAt(At, Buf.data(), Want);
    if (Got < 4) return -1;
    for (int32_t i = 0; i + 4 <= Got; ++i)
      if (Get32(&Buf[size_t(i)]) == ZipCentralSig) return At + i;
    if (Got < Want) return -1;
  }
  return -1;
}

}  // namespace

std::string ZipEntryName(const std::string& Stored, uint16_t Flags, uint16_t MadeBy) {
  std::string Name;
  ZipEntryNameInto(Stored, Flags, MadeBy, Name);
  return Name;
}

void ZipEntryNameInto(const std::string& Stored, uint16_t Flags, uint16_t MadeBy, std::string& Name) {
  const bool Unix = (MadeBy >> 8) == 3;
  if ((Flags & 0x800) || (Unix && IsNonAsciiUtf8(Stored))) {
    Name = SlashToBackslash(Utf8NameToAnsi(Stored));
    return;
  }
  // In place, so that a walk over many names reuses one buffer.
  Name.assign(Stored);
  Cp866ToCp1251Buf(Name.data(), Name.size());
  std::replace(Name.begin(), Name.end(), '/', '\\');
}

int ZipFindDirectory(TArcInput& In, int64_t EmbeddedAt, TZipDirectory& Dir) {
  Dir = TZipDirectory();
  const int64_t Size = In.Size();
  if (Size < ZipEndSize) return errBadFileHeader;

  // The last end record in the last 64 KB and 22 bytes (a comment holds at most 65535),
  // preferring one whose comment ends inside the file.
  const int64_t W = std::min<int64_t>(Size, 65535 + ZipEndSize);
  std::vector<uint8_t> Buf(static_cast<size_t>(W));
  if (In.ReadAt(Size - W, Buf.data(), int32_t(W)) != W) return errBadFileHeader;
  int64_t Hit = -1;
  for (int64_t i = W - ZipEndSize; i >= 0; --i) {
    if (Get32(&Buf[size_t(i)]) != ZipEndSig) continue;
    if (Hit < 0) Hit = i;
    if (i + ZipEndSize + Get16(&Buf[size_t(i) + 20]) <= W) {
      Hit = i;
      break;
    }
  }
  if (Hit < 0) return errBadFileHeader;
  const uint8_t* R = &Buf[size_t(Hit)];
  Dir.EndPos = Size - W + Hit;
  Dir.CommentPos = Dir.EndPos + ZipEndSize;
  Dir.CommentLen = uint16_t(std::min<int64_t>(Get16(R + 20), Size - Dir.CommentPos));
  Dir.Entries = Get16(R + 10);
  uint64_t CentralSize = Get32(R + 12), CentralOffset = Get32(R + 16);
  Dir.CentralEnd = Dir.EndPos;

  // Zip64: a locator right before the end record points at the Zip64 end record, whose
  // counts and offsets are the real ones. The record is looked for where the locator
  // says and right before the locator, for a stub put in front shifts it too.
  uint8_t Loc[20];
  if (ReadFull(In, Dir.EndPos - 20, Loc, 20) && Get32(Loc) == ZipLocator64Sig) {
    const uint64_t Stored = Get64(Loc + 8);
    uint8_t E[56];
    for (int64_t At : {Stored < uint64_t(Size) ? int64_t(Stored) : int64_t(-1), Dir.EndPos - 20 - 56}) {
      if (At < 0 || !ReadFull(In, At, E, 56) || Get32(E) != ZipEnd64Sig) continue;
      Dir.Zip64 = true;
      Dir.Entries = Get64(E + 32);
      CentralSize = Get64(E + 40);
      CentralOffset = Get64(E + 48);
      Dir.CentralEnd = At;
      break;
    }
  }
  if (CentralSize > uint64_t(Size) || CentralOffset > uint64_t(Size)) CentralSize = CentralOffset = 0;

  // Offsets count from the archive's own start; a stub put in front without adjusting
  // them shows by the gap between the directory's stored end and where it really ends.
  const int64_t Delta = Dir.CentralEnd - int64_t(CentralSize) - int64_t(CentralOffset);
  if (Dir.Entries == 0 && CentralSize == 0) {  // an archive without entries
    Dir.CentralPos = Dir.CentralEnd;
    Dir.Base = std::max<int64_t>(Delta, 0);
    return 0;
  }
  for (int64_t Base : {Delta, EmbeddedAt > 0 ? EmbeddedAt : int64_t(-1), int64_t(0)}) {
    if (Base < 0 || !CentralAt(In, Size, int64_t(CentralOffset) + Base, Base)) continue;
    Dir.Base = Base;
    Dir.CentralPos = int64_t(CentralOffset) + Base;
    return 0;
  }
  // The end record is damaged: search the last 32 KB for the directory, and take the
  // offsets as they are unless the gap fits better.
  const int64_t Pos = FindCentralSig(In, std::max<int64_t>(Size - 32768, 0), Size);
  if (Pos < 0) return errHeaderId;
  Dir.CentralPos = Pos;
  Dir.CentralEnd = std::max(Dir.CentralEnd, Pos);
  Dir.Base = Delta > 0 && !CentralAt(In, Size, Pos, 0) && CentralAt(In, Size, Pos, Delta) ? Delta : 0;
  return 0;
}

int ZipReadCentral(TArcInput& In, int64_t Pos, int64_t Limit, TZipCentral& H) {
  {
    // Cleared, but the names keep their buffers for the next header.
    std::string Stored = std::move(H.StoredName), Name = std::move(H.Name);
    H = TZipCentral();
    H.StoredName = std::move(Stored);
    H.Name = std::move(Name);
    H.StoredName.clear();
    H.Name.clear();
  }
  uint8_t C[ZipCentralSize];
  if (Pos < 0 || Pos + ZipCentralSize > Limit || !ReadFull(In, Pos, C, ZipCentralSize) || Get32(C) != ZipCentralSig)
    return -1;
  H.MadeBy = Get16(C + 4);
  H.Needed = Get16(C + 6);
  H.Flags = Get16(C + 8);
  H.Method = Get16(C + 10);
  H.DosTime = Get32(C + 12);
  H.Crc = Get32(C + 16);
  H.PackedSize = Get32(C + 20);
  H.UnpackedSize = Get32(C + 24);
  const uint16_t NameLen = Get16(C + 28);
  H.ExtraLen = Get16(C + 30);
  H.CommentLen = Get16(C + 32);
  const uint16_t Disk = Get16(C + 34);
  H.InternalAttr = Get16(C + 36);
  H.ExternalAttr = Get32(C + 38);
  H.LocalOffset = Get32(C + 42);
  H.ExtraPos = Pos + ZipCentralSize + NameLen;
  H.CommentPos = H.ExtraPos + H.ExtraLen;
  H.NextPos = H.CommentPos + H.CommentLen;

  if (H.NextPos > Limit) {
    // The lengths run past the directory: name the entry by what stands there, and go on
    // with the next central header that can be found.
    const int64_t Next = FindCentralSig(In, Pos + 4, Limit);
    H.NextPos = Next < 0 ? Limit : Next;
    // The next signature may stand inside this header's fixed part: then no name is read.
    std::string Raw(size_t(std::clamp<int64_t>(std::min<int64_t>(NameLen, H.NextPos - Pos - ZipCentralSize), 0, 255)), '\0');
    const int32_t Got = Raw.empty() ? 0 : In.ReadAt(Pos + ZipCentralSize, &Raw[0], int32_t(Raw.size()));
    Raw.resize(size_t(std::max(Got, 0)));
    const auto Stop = std::find_if(Raw.begin(), Raw.end(), [](char c) { return uint8_t(c) < 0x20; });
    Raw.erase(Stop, Raw.end());
    H.StoredName = Raw;
    H.Name = ZipEntryName(Raw, H.Flags, H.MadeBy);
    return errBadFileHeader;
  }

  H.StoredName.assign(NameLen, '\0');
  if (NameLen && !ReadFull(In, Pos + ZipCentralSize, &H.StoredName[0], NameLen)) return -1;
  ZipEntryNameInto(H.StoredName, H.Flags, H.MadeBy, H.Name);

  // Zip64 sizes and offset: the fields set to all ones are in the extra field, in order.
  const bool Zip64 = H.UnpackedSize == 0xFFFFFFFF || H.PackedSize == 0xFFFFFFFF || H.LocalOffset == 0xFFFFFFFF;
  if (Zip64 && H.ExtraLen >= 4) {
    std::vector<uint8_t> X(H.ExtraLen);
    if (ReadFull(In, H.ExtraPos, X.data(), H.ExtraLen))
      for (size_t p = 0; p + 4 <= X.size();) {
        const uint16_t Id = Get16(&X[p]), Len = Get16(&X[p + 2]);
        const size_t End = std::min(X.size(), p + 4 + Len);
        if (Id == 0x0001) {
          size_t q = p + 4;
          auto Take = [&](int64_t& V) {
            if (q + 8 > End) return;
            const uint64_t Big = Get64(&X[q]);
            q += 8;
            V = Big > uint64_t(INT64_MAX) ? INT64_MAX : int64_t(Big);
          };
          if (H.UnpackedSize == 0xFFFFFFFF) Take(H.UnpackedSize);
          if (H.PackedSize == 0xFFFFFFFF) Take(H.PackedSize);
          if (H.LocalOffset == 0xFFFFFFFF) Take(H.LocalOffset);
          (void)Disk;
          break;
        }
        p = End;
      }
  }
  const char Last = H.StoredName.empty() ? '\0' : H.StoredName.back();
  H.IsDirectory = (H.ExternalAttr & 0x10) || Last == '/' || Last == '\\';
  H.IsVolumeLabel = (H.ExternalAttr & 0x08) != 0;
  return 0;
}

int64_t ZipDataPos(TArcInput& In, const TZipDirectory& Dir, const TZipCentral& H, uint8_t Local[ZipLocalSize]) {
  const int64_t At = H.LocalOffset + Dir.Base;
  if (At < 0 || !ReadFull(In, At, Local, ZipLocalSize)) return 0;
  if (Get32(Local) != ZipLocalSig && Get32(Local) != ZipLocalSig250) return 0;
  return At + ZipLocalSize + Get16(Local + 26) + Get16(Local + 28);
}
