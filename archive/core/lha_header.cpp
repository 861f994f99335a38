#include "archive/core/lha_header.h"

#include <algorithm>
#include <vector>

#include "archive/core/arc_names.h"
#include "archive/core/le_bytes.h"

using le::Get16;
using le::Get32;

namespace {

bool IsMethod(const uint8_t* M) { return M[0] == '-' && M[4] == '-' && M[1] == 'l'; }

}  // namespace

std::string LhaConvertPath(const std::string& Path) {
  // Byte pairs are not looked for: the code pages whose high bytes would pass for a
  // Shift-JIS lead (866, UTF-8) put folder separators right after them.
  std::string S = Path;
  for (char& C : S)
    if (C == '/' || uint8_t(C) == 0xFF) C = '\\';
  size_t First = 0, Last = S.size();
  while (First < Last && uint8_t(S[First]) <= ' ') First++;
  while (Last > First && uint8_t(S[Last - 1]) <= ' ') Last--;
  return S.substr(First, Last - First);
}

int64_t LhaFirstHeader(TArcInput& In, int64_t Start) {
  uint8_t First[22];
  if (In.ReadAt(Start, First, 22) == 22 && First[0] == 0 && !(First[20] == 2 && First[1] != 0)) return Start + 128;
  return Start;
}

TLhaStep LhaReadHeader(TArcInput& In, int64_t Pos, TLhaHeader& H) {
  H = TLhaHeader();
  H.HeaderPos = Pos;
  uint8_t Base[22];
  if (Pos < 0 || In.ReadAt(Pos, Base, 22) < 22) return lsEnd;
  H.Level = Base[20];
  // The end of the headers is a zero size byte; a level-2 header has a 16-bit size
  // whose low byte may be zero.
  if (Base[0] == 0 && !(H.Level == 2 && Base[1] != 0 && IsMethod(Base + 2))) return lsEnd;
  H.Method.assign(reinterpret_cast<const char*>(Base + 2), 5);
  H.PackedSize = Get32(Base + 7);
  H.OrigSize = Get32(Base + 11);
  H.Time = Get32(Base + 15);
  H.Attr = Base[19];

  std::string Dir;
  // Extended headers: type, data, size of the next one; the size counts all of it.
  // Limit bounds them (a level-2 header's length, a level-1 entry's packed size).
  // Returns the bytes they took, or -1 when malformed.
  auto ReadExt = [&](uint16_t NextSize, int64_t At, int64_t Limit) -> int64_t {
    int64_t Total = 0;
    std::vector<uint8_t> E;
    while (NextSize != 0) {
      if (NextSize < 3 || Total + NextSize > Limit) return -1;
      E.resize(NextSize);
      if (In.ReadAt(At + Total, E.data(), NextSize) < NextSize) return -1;
      std::string Data(reinterpret_cast<const char*>(E.data() + 1), NextSize - 3);
      if (E[0] == 1) H.Name = Data.substr(0, Data.find('\0'));
      if (E[0] == 2) Dir = LhaConvertPath(Data.substr(0, Data.find('\0')));
      Total += NextSize;
      NextSize = Get16(E.data() + NextSize - 2);
    }
    return Total;
  };

  if (H.Level == 0 || H.Level == 1) {
    const int S = Base[0];
    if (S < 22) return lsBadHeader;
    const int N = Base[21];
    if (S + 2 < 22 + N + 2 + (H.Level == 1 ? 3 : 0)) return lsBadHeader;
    std::vector<uint8_t> Hdr(size_t(S) + 2);
    if (In.ReadAt(Pos, Hdr.data(), S + 2) < S + 2) return lsBadHeader;
    H.Name.assign(reinterpret_cast<const char*>(Hdr.data() + 22), N);
    H.Crc = Get16(Hdr.data() + 22 + N);
    if (H.Level == 1) H.Os = Hdr[24 + N];
    int64_t ExtTotal = 0;
    if (H.Level == 1) {
      // Level 1 counts its extended headers in the packed size.
      ExtTotal = ReadExt(Get16(Hdr.data() + 25 + N), Pos + S + 2, H.PackedSize);
      if (ExtTotal < 0) return lsBadHeader;
    }
    H.DataPos = Pos + S + 2 + ExtTotal;
    H.DataSize = int64_t(H.PackedSize) - ExtTotal;
    H.NextPos = Pos + S + 2 + int64_t(H.PackedSize);
  } else if (H.Level == 2) {
    const int HdrLen = Get16(Base);
    if (HdrLen < 26) return lsBadHeader;
    uint8_t More[4];
    if (In.ReadAt(Pos + 22, More, 4) < 4) return lsBadHeader;
    H.Crc = uint16_t(Base[21] | (More[0] << 8));  // then the OS byte and the first extension's size
    H.Os = More[1];
    // The name is the 0x01 extension wherever it stands (jlha puts the header CRC first).
    if (ReadExt(Get16(More + 2), Pos + 26, HdrLen - 26) < 0) return lsBadHeader;
    H.DataPos = Pos + HdrLen;
    H.DataSize = H.PackedSize;
    H.NextPos = Pos + HdrLen + int64_t(H.PackedSize);
  } else {
    // Level 3 and above are not read: the walk cannot go on safely.
    return lsBadHeader;
  }
  if (!Dir.empty()) {
    while (!Dir.empty() && Dir.back() == '\\') Dir.pop_back();
    H.Name = H.Name.empty() ? Dir : Dir + "\\" + H.Name;
  }
  if (H.DataSize < 0 || H.NextPos > In.Size()) return lsTruncated;
  return lsEntry;
}

int64_t LhaResync(TArcInput& In, int64_t From) {
  const int64_t Size = In.Size();
  std::vector<uint8_t> Buf(65536);
  for (int64_t At = std::max<int64_t>(From, 0); At + 22 <= Size; At += int64_t(Buf.size()) - 21) {
    const int32_t Got = In.ReadAt(At, Buf.data(), int32_t(Buf.size()));
    for (int32_t i = 0; i + 22 <= Got; ++i) {
      if (!IsMethod(&Buf[size_t(i) + 2]) || Buf[size_t(i) + 20] > 2) continue;
      TLhaHeader H;
      if (LhaReadHeader(In, At + i, H) == lsEntry) return At + i;
    }
    if (Got < int32_t(Buf.size())) break;
  }
  return -1;
}

std::string LhaEntryName(const TLhaHeader& H) { return HostNameToAnsi(H.Name, H.Os == 'U'); }
