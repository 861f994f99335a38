#include "archive/core/arj_header.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "archive/core/arc_globals.h"
#include "archive/core/arc_names.h"
#include "archive/core/le_bytes.h"

namespace {

using le::Get16;
using le::Get32;

constexpr int ArjHostUnix = 2;

uint32_t HeaderCrc(const uint8_t* P, size_t Len) {
  uint32_t Crc = 0xFFFFFFFF;
  UpdateCrc32(P, Len, Crc);
  return ~Crc;
}

// The text of the bytes up to the first zero byte, or all of them.
std::string ZText(const uint8_t* P, size_t Len) {
  const void* Z = std::memchr(P, 0, Len);
  return std::string(reinterpret_cast<const char*>(P), Z ? static_cast<const uint8_t*>(Z) - P : Len);
}

}  // namespace

int64_t ArjFindMainHeader(TArcInput& In, int64_t Start, int64_t Limit) {
  const int64_t Size = In.Size();
  const int64_t End = std::min(Size - 2, Limit);
  if (End <= Start) return -1;
  // The whole search area with room for the last candidate's header and CRC.
  std::vector<uint8_t> Buf(size_t(std::min<int64_t>(End - Start + 4 + ArjBasicHeaderLimit + 4, Size - Start)));
  const int32_t Got = In.ReadAt(Start, Buf.data(), int32_t(Buf.size()));
  for (int64_t I = 0; I < End - Start && I + 4 <= Got; I++) {
    if (Buf[I] != 0x60 || Buf[I + 1] != 0xEA) continue;
    const int B = Get16(&Buf[I + 2]);
    if (B == 0 || B > ArjBasicHeaderLimit || I + 4 + B + 4 > Got) continue;
    if (HeaderCrc(&Buf[I + 4], B) == Get32(&Buf[I + 4 + B])) return Start + I;
  }
  return -1;
}

TArjStep ArjReadHeader(TArcInput& In, int64_t Pos, TArjHeader& H) {
  H = TArjHeader();
  H.HeaderPos = Pos;
  uint8_t Id[4];
  const int32_t IdGot = In.ReadAt(Pos, Id, 4);
  if (IdGot <= 0) return jsEnd;
  if (IdGot < 2 || Get16(Id) != 0xEA60) return jsBadHeader;
  if (IdGot < 4) return jsTruncated;
  const int B = Get16(Id + 2);
  if (B == 0) return jsEnd;
  if (B > ArjBasicHeaderLimit) return jsBadHeader;
  std::vector<uint8_t> Hdr(size_t(B) + 4);
  if (In.ReadAt(Pos + 4, Hdr.data(), B + 4) != B + 4) return jsTruncated;
  const uint8_t* P = Hdr.data();
  // The fixed part must fit, and the name lies within the header.
  const int First = P[0];
  if (First < 30 || First > B) return jsBadHeader;
  const uint8_t* Text = P + First;
  const size_t Left = size_t(B - First);
  H.Name = ZText(Text, Left);
  H.Comment = H.Name.size() < Left ? ZText(Text + H.Name.size() + 1, Left - H.Name.size() - 1) : std::string();
  if (HeaderCrc(P, size_t(B)) != Get32(P + B)) return jsHeaderCrc;
  H.ArjVersion = P[1];
  H.MinVersion = P[2];
  H.HostOS = P[3];
  H.Flags = P[4];
  H.Method = P[5];
  H.FileType = P[6];
  H.DateTime = Get32(P + 8);
  H.PackedSize = Get32(P + 12);
  H.OrigSize = Get32(P + 16);
  H.Crc = Get32(P + 20);
  H.FileAttr = Get16(P + 26);
  if ((H.Flags & 0x08) != 0 && First >= 34) {
    H.ExtFilePos = Get32(P + 30);
    H.HasExtFilePos = true;
  }
  // Extended headers: size, data, CRC-32; a size of 0 ends them.
  const int64_t Size = In.Size();
  int64_t At = Pos + 4 + B + 4;
  for (;;) {
    uint8_t S[2];
    if (In.ReadAt(At, S, 2) != 2) return jsTruncated;
    At += 2;
    const int E = Get16(S);
    if (E == 0) break;
    At += E + 4;
    if (At > Size) return jsTruncated;
  }
  H.DataPos = At;
  // The main header (type 2) keeps the archive's dates where the sizes stand: no data follow it.
  H.NextPos = H.FileType == 2 ? At : At + int64_t(H.PackedSize);
  return jsEntry;
}

TDateTime ArjEntryDate(const TArjHeader& H) {
  return H.HostOS == ArjHostUnix ? UnixDateToDateTime(static_cast<int32_t>(H.DateTime)) : DosDateToDateTime(H.DateTime);
}

std::string ArjEntryName(const TArjHeader& H) { return HostNameToAnsi(H.Name, H.HostOS == ArjHostUnix); }
