#include "ui/core/ani_parser.h"

#include <algorithm>

namespace {

const char* const SReadError = "Stream read error";

uint16_t Get16(const uint8_t* P) { return uint16_t(P[0] | P[1] << 8); }
uint32_t Get32(const uint8_t* P) { return uint32_t(P[0]) | uint32_t(P[1]) << 8 | uint32_t(P[2]) << 16 | uint32_t(P[3]) << 24; }

// A chunk inside [Pos, End): false when its header or its data does not fit whole, which
// ends the loop that walks these chunks.
struct TChunk {
  uint32_t Id = 0;
  uint32_t Size = 0;
  const uint8_t* Data = nullptr;
};

bool NextChunk(const uint8_t* Base, size_t& Pos, size_t End, TChunk& C) {
  if (End - Pos < 8) return false;
  C.Id = Get32(Base + Pos);
  C.Size = Get32(Base + Pos + 4);
  if (C.Size > End - Pos - 8) return false;
  C.Data = Base + Pos + 8;
  Pos += 8 + size_t(C.Size);
  if ((C.Size & 1) && Pos < End) ++Pos;  // pad byte; a missing one at the very end is no loss
  return true;
}

// Text up to the first zero, cut at 255 characters.
std::string InfoText(const TChunk& C) {
  const char* P = reinterpret_cast<const char*>(C.Data);
  size_t N = std::find(P, P + C.Size, '\0') - P;
  return std::string(P, std::min<size_t>(N, 255));
}

TAniFrameData NewFrame(const TAniHeader& H, uint32_t Sequence) {
  TAniFrameData F;
  F.JiffRate = H.DisplayRate;
  F.Sequence = Sequence;
  return F;
}

}  // namespace

void AniReadFrameImage(const uint8_t* Data, size_t Size, TAniFrameData& Frame, uint16_t& MaxColors) {
  if (Size < 6) throw EReadError(SReadError);
  uint16_t Type = Get16(Data + 2);
  uint16_t Count = Get16(Data + 4);
  if (Type != 1 && Type != 2) throw EReadError(SReadError);
  if (Count == 0 || size_t(Count) * 16 > Size - 6) throw EReadError(SReadError);
  Frame.IconData.assign(Data, Data + Size);
  Frame.IsIcon = Type == 1;
  if (!Frame.IsIcon) Frame.IconData[2] = 1;  // loads as an icon
  for (int I = 0; I < Count; ++I) {
    const uint8_t* E = Data + 6 + size_t(I) * 16;
    uint32_t ImageSize = Get32(E + 8);
    uint32_t Offset = Get32(E + 12);
    if (Offset > Size || ImageSize > Size - Offset) throw EReadError(SReadError);
    // biBitCount of the image's BITMAPINFOHEADER; a PNG image has none and counts nothing
    if (ImageSize >= 16 && Get32(Data + Offset) == 40) {
      uint16_t Bits = Get16(Data + Offset + 14);
      uint16_t Colors = Bits == 1 ? 2 : Bits == 4 ? 16 : Bits == 8 ? 256 : 0;
      MaxColors = std::max(MaxColors, Colors);
    }
    if (I == 0) {
      if (Frame.IsIcon) {
        int W = E[0] ? E[0] : 256, H = E[1] ? E[1] : 256;
        Frame.HotSpotX = W / 2;
        Frame.HotSpotY = H / 2;
      } else {
        Frame.HotSpotX = Get16(E + 4);
        Frame.HotSpotY = Get16(E + 6);
      }
    }
  }
  Frame.HasIcon = true;
}

void AniReadFile(const uint8_t* Data, size_t Size, TAniFileData& Out) {
  if (Size < 12 || Get32(Data) != AniFourCC("RIFF") || Get32(Data + 8) != AniFourCC("ACON"))
    throw EReadError(SReadError);
  Out = TAniFileData();
  size_t RateIndex = 0, SeqIndex = 0;
  uint32_t IconNumber = 0;
  size_t Pos = 12;
  TChunk C;
  while (NextChunk(Data, Pos, Size, C)) {
    if (C.Id == AniFourCC("anih")) {
      if (C.Size < 36) throw EReadError(SReadError);
      TAniHeader& H = Out.Header;
      uint32_t* Fields[] = {&H.HeaderSize, &H.FrameCount, &H.StepCount, &H.Width,     &H.Height,
                            &H.BitCount,   &H.Planes,     &H.DisplayRate, &H.Flags};
      for (int I = 0; I < 9; ++I) *Fields[I] = Get32(C.Data + I * 4);
      if (!(H.Flags & AF_ICON) || H.StepCount == 0) throw EReadError(SReadError);
      // every frame needs at least a chunk header in the file: a larger count is a lie
      if (H.FrameCount > Size / 8) throw EReadError(SReadError);
      Out.Frames.clear();
      for (uint32_t I = 0; I < H.FrameCount; ++I) Out.Frames.push_back(NewFrame(H, I));
    } else if (C.Id == AniFourCC("rate") || C.Id == AniFourCC("seq ")) {
      if (C.Size < 4) throw EReadError(SReadError);
      bool Rate = C.Id == AniFourCC("rate");
      size_t& Index = Rate ? RateIndex : SeqIndex;
      if (Index < Out.Frames.size()) {
        if (Rate)
          Out.Frames[Index].JiffRate = Get32(C.Data);
        else
          Out.Frames[Index].Sequence = Get32(C.Data);
      }
      ++Index;
    } else if (C.Id == AniFourCC("LIST") && C.Size >= 4) {
      uint32_t Kind = Get32(C.Data);
      size_t SubPos = 4;
      TChunk S;
      if (Kind == AniFourCC("fram")) {
        while (NextChunk(C.Data, SubPos, C.Size, S)) {
          if (S.Id != AniFourCC("icon")) continue;
          auto It = std::find_if(Out.Frames.begin(), Out.Frames.end(),
                                 [&](const TAniFrameData& F) { return F.Sequence == IconNumber; });
          if (It == Out.Frames.end()) {
            Out.Frames.push_back(NewFrame(Out.Header, IconNumber));
            It = Out.Frames.end() - 1;
          }
          AniReadFrameImage(S.Data, S.Size, *It, Out.MaxColors);
          It->ChunkId = S.Id;
          It->ChunkSize = S.Size;
          ++IconNumber;
        }
      } else if (Kind == AniFourCC("INFO")) {
        while (NextChunk(C.Data, SubPos, C.Size, S)) {
          if (S.Id == AniFourCC("INAM"))
            Out.Title = InfoText(S);
          else if (S.Id == AniFourCC("IART"))
            Out.Author = InfoText(S);
        }
      }
    }
  }
  Out.Frames.erase(std::remove_if(Out.Frames.begin(), Out.Frames.end(),
                                  [](const TAniFrameData& F) { return !F.HasIcon; }),
                   Out.Frames.end());
  Out.Header.StepCount = uint32_t(Out.Frames.size());
  if (Out.Frames.empty()) throw EReadError(SReadError);
}
