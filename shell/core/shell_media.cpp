#include "shell/core/shell_media.h"

#include "shell/core/pidl_bytes.h"

namespace {

void Put32(TMediumBytes& B, size_t At, uint32_t V) {
  for (int i = 0; i < 4; ++i) B[At + i] = uint8_t(V >> (8 * i));
}

uint32_t Get32(const uint8_t* P) {
  return uint32_t(P[0]) | (uint32_t(P[1]) << 8) | (uint32_t(P[2]) << 16) | (uint32_t(P[3]) << 24);
}

void Append(TMediumBytes& B, const TPidlBytes& List) { B.insert(B.end(), List.begin(), List.end()); }

constexpr size_t DropFilesHeader = 20;

}  // namespace

TMediumBytes MakeCidaBytes(const void* ParentList, const std::vector<const void*>& Children) {
  size_t Count = Children.size();
  TMediumBytes B(4 + 4 * (Count + 1), 0);
  Put32(B, 0, uint32_t(Count));
  Put32(B, 4, uint32_t(B.size()));
  Append(B, PidlToBytes(ParentList));
  for (size_t i = 0; i < Count; ++i) {
    Put32(B, 8 + 4 * i, uint32_t(B.size()));
    Append(B, PidlToBytes(Children[i]));
  }
  return B;
}

bool ParseCida(const uint8_t* Data, size_t Size, TCidaView& View) {
  View = TCidaView();
  if (Data == nullptr || Size < 8) return false;
  uint64_t Count = Get32(Data);
  // The count and one offset per list must fit before anything else.
  if ((Count + 1) * 4 + 4 > Size) return false;
  auto ListAt = [&](size_t Index) -> const uint8_t* {
    uint32_t Offset = Get32(Data + 4 + 4 * Index);
    if (Offset >= Size) return nullptr;
    if (!WalkPidl(Data + Offset, Size - Offset).Terminated) return nullptr;
    return Data + Offset;
  };
  const uint8_t* Parent = ListAt(0);
  if (Parent == nullptr) return false;
  std::vector<const uint8_t*> Children;
  Children.reserve(size_t(Count));
  for (size_t i = 1; i <= Count; ++i) {
    const uint8_t* Child = ListAt(i);
    if (Child == nullptr) return false;
    Children.push_back(Child);
  }
  View.Parent = Parent;
  View.Children = std::move(Children);
  return true;
}

TMediumBytes MakeHDropBytes(const std::vector<std::u16string>& Paths) {
  size_t Chars = 1;
  for (const std::u16string& P : Paths) Chars += P.size() + 1;
  TMediumBytes B(DropFilesHeader + 2 * Chars, 0);
  Put32(B, 0, DropFilesHeader);  // pFiles; the point and fNC stay 0
  Put32(B, 16, 1);               // fWide
  size_t At = DropFilesHeader;
  for (const std::u16string& P : Paths) {
    for (char16_t C : P) {
      B[At++] = uint8_t(C);
      B[At++] = uint8_t(C >> 8);
    }
    At += 2;
  }
  return B;
}

bool ParseHDrop(const uint8_t* Data, size_t Size, THDropNames& Names) {
  Names = THDropNames();
  if (Data == nullptr || Size < DropFilesHeader) return false;
  uint32_t Start = Get32(Data);
  if (Start < DropFilesHeader || Start >= Size) return false;
  Names.Wide = Get32(Data + 16) != 0;
  size_t At = Start;
  if (Names.Wide) {
    for (;;) {
      // Some writers end the block right after the last name.
      if (At + 2 > Size) return true;
      std::u16string Name;
      for (;;) {
        if (At + 2 > Size) return false;
        char16_t C = char16_t(Data[At] | (Data[At + 1] << 8));
        At += 2;
        if (C == 0) break;
        Name += C;
      }
      if (Name.empty()) return true;
      Names.WideNames.push_back(std::move(Name));
    }
  }
  for (;;) {
    if (At >= Size) return true;
    std::string Name;
    for (;;) {
      if (At >= Size) return false;
      char C = char(Data[At++]);
      if (C == 0) break;
      Name += C;
    }
    if (Name.empty()) return true;
    Names.AnsiNames.push_back(std::move(Name));
  }
}

TMediumBytes MakePathTextBytes(const std::vector<std::string>& Paths) {
  TMediumBytes B;
  for (const std::string& P : Paths) {
    B.insert(B.end(), P.begin(), P.end());
    B.push_back('\r');
    B.push_back('\n');
  }
  B.push_back(0);
  return B;
}

TMediumBytes MakeDropEffectBytes(uint32_t Effect) {
  TMediumBytes B(4, 0);
  Put32(B, 0, Effect);
  return B;
}

uint32_t ParseDropEffect(const uint8_t* Data, size_t Size) {
  return Data != nullptr && Size >= 4 ? Get32(Data) : 0;
}
