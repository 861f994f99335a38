#include "archive/core/tar_header.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

int64_t TarNumber(const uint8_t* F, size_t Len) {
  if (Len && (F[0] & 0x80)) {
    if (F[0] & 0x40) return -1;  // negative
    uint64_t V = F[0] & 0x3F;
    for (size_t i = 1; i < Len; i++) {
      if (V >> 55) return -1;  // beyond what a file can hold
      V = (V << 8) | F[i];
    }
    return int64_t(V);
  }
  int64_t V = 0;
  for (size_t i = 0; i < Len && F[i]; i++)
    if (F[i] >= '0' && F[i] <= '7') {
      if (V >> 60) return -1;
      V = V * 8 + (F[i] - '0');
    }
  return V;
}

bool ParseTarHeader(const uint8_t B[512], TTarHeader& H) {
  auto Text = [&](size_t Off, size_t Len) {
    const char* P = reinterpret_cast<const char*>(B + Off);
    return std::string(P, strnlen(P, Len));
  };
  H.Name = Text(0, 100);
  H.Size = TarNumber(B + 124, 12);
  H.MTime = uint32_t(TarNumber(B + 136, 12));
  H.Type = char(B[156]);
  // The ustar prefix holds the leading folders of a long name.
  // (POSIX "ustar\0" only: GNU's "ustar " keeps other fields there.)
  if (memcmp(B + 257, "ustar", 6) == 0) {
    std::string Prefix = Text(345, 155);
    if (!Prefix.empty() && !H.Name.empty()) H.Name = Prefix + "/" + H.Name;
  }
  H.Checksum = uint32_t(TarNumber(B + 148, 8));
  H.ChecksumOk = TarChecksumOk(B);
  // Blanks around the name are not part of it.
  size_t A = H.Name.find_first_not_of(' '), Z = H.Name.find_last_not_of(' ');
  H.Name = A == std::string::npos ? std::string() : H.Name.substr(A, Z - A + 1);
  return !H.Name.empty();
}

void ApplyPaxRecords(const std::string& D, std::string* Name, int64_t* Size, uint32_t* MTime) {
  size_t P = 0;
  while (P < D.size()) {
    size_t Sp = D.find(' ', P);
    if (Sp == std::string::npos) return;
    size_t Len = 0;
    for (size_t i = P; i < Sp; i++) {
      if (D[i] < '0' || D[i] > '9' || Len > D.size()) return;
      Len = Len * 10 + size_t(D[i] - '0');
    }
    if (Len <= Sp - P + 1 || P + Len > D.size()) return;
    const std::string Rec = D.substr(Sp + 1, P + Len - Sp - 2);  // without the '\n'
    P += Len;
    const size_t Eq = Rec.find('=');
    if (Eq == std::string::npos) continue;
    const std::string Key = Rec.substr(0, Eq), Value = Rec.substr(Eq + 1);
    if (Key == "path" && Name) {
      *Name = Value;
    } else if (Key == "size" && Size) {
      int64_t V = 0;
      for (char C : Value) {
        if (C < '0' || C > '9' || V > (INT64_MAX - 9) / 10) break;
        V = V * 10 + (C - '0');
      }
      *Size = V;
    } else if (Key == "mtime" && MTime) {
      *MTime = uint32_t(strtoll(Value.c_str(), nullptr, 10));
    }
  }
}

bool TarChecksumOk(const uint8_t B[512]) {
  int64_t Sum = 0, Signed = 0;
  for (int i = 0; i < 512; i++) {
    const bool Field = i >= 148 && i < 156;
    Sum += Field ? 32 : B[i];
    Signed += Field ? 32 : int8_t(B[i]);
  }
  const int64_t Stored = TarNumber(B + 148, 8);
  return Stored == Sum || Stored == Signed;
}

bool TarIsFile(char Type) {
  switch (Type) {
    case '1': case '2': case '3': case '4': case '5': case '6':
    case 'V': case 'D': case 'M': case 'N': case 'L': case 'K': case 'x': case 'g':
      return false;
    default:
      return true;
  }
}

TTarStep TarNextEntry(TArcInput& In, int64_t Pos, TTarEntry& E) {
  E = TTarEntry();
  std::string LongName;
  int64_t PaxSize = -1;
  uint32_t PaxTime = 0;
  bool HavePaxTime = false;
  uint8_t Block[512];
  for (;;) {
    const int32_t Got = Pos < 0 ? 0 : In.ReadAt(Pos, Block, 512);
    if (Got <= 0) return tsEnd;
    if (Got < 512) return tsTruncated;
    TTarHeader H;
    if (!ParseTarHeader(Block, H)) return tsEnd;
    E.H = H;
    E.HeaderPos = Pos;
    // A size no file can have: its end cannot even be computed.
    if (!H.ChecksumOk || H.Size < 0 || H.Size > (int64_t(1) << 53)) return tsBadHeader;
    const int64_t DataPos = Pos + 512;
    const int64_t Next = DataPos + (H.Size + 511) / 512 * 512;
    if (H.Type == 'L' || H.Type == 'K' || H.Type == 'x' || H.Type == 'g') {
      // Records about the next entry, never entries of their own.
      if (H.Type != 'g' && H.Size <= 65536) {
        std::string Data(size_t(H.Size), '\0');
        const int32_t Read = H.Size ? In.ReadAt(DataPos, &Data[0], int32_t(H.Size)) : 0;
        if (Read != H.Size) return tsTruncated;
        if (H.Type == 'L') {
          LongName.assign(Data.c_str());
        } else if (H.Type == 'x') {
          uint32_t T = 0;
          ApplyPaxRecords(Data, &LongName, &PaxSize, &T);
          if (T) PaxTime = T, HavePaxTime = true;
        }
      }
      Pos = Next;
      continue;
    }
    if (!LongName.empty()) E.H.Name = LongName;
    if (PaxSize >= 0) E.H.Size = PaxSize;
    if (HavePaxTime) E.H.MTime = PaxTime;
    E.DataPos = DataPos;
    E.Next = DataPos + (E.H.Size + 511) / 512 * 512;
    E.IsDirectory = E.H.Type == '5' || (!E.H.Name.empty() && (E.H.Name.back() == '/' || E.H.Name.back() == '\\'));
    if (TarIsFile(E.H.Type) && !E.IsDirectory && E.DataPos + E.H.Size > In.Size()) return tsTruncated;
    return tsEntry;
  }
}
