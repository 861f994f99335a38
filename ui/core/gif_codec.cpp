#include "ui/core/gif_codec.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <unordered_map>

// "Неизвестная версия изображения GIF"
const char* const SGIFVersion = "\xCD\xE5\xE8\xE7\xE2\xE5\xF1\xF2\xED\xE0\xFF \xE2\xE5\xF0\xF1\xE8\xFF \xE8\xE7\xEE\xE1\xF0\xE0\xE6\xE5\xED\xE8\xFF GIF";
// "Ошибка кодировки данных в формат GIF"
const char* const SGIFEncodeError = "\xCE\xF8\xE8\xE1\xEA\xE0 \xEA\xEE\xE4\xE8\xF0\xEE\xE2\xEA\xE8 \xE4\xE0\xED\xED\xFB\xF5 \xE2 \xF4\xEE\xF0\xEC\xE0\xF2 GIF";
// "Неверные данные в формате GIF"
const char* const SGIFDecodeError = "\xCD\xE5\xE2\xE5\xF0\xED\xFB\xE5 \xE4\xE0\xED\xED\xFB\xE5 \xE2 \xF4\xEE\xF0\xEC\xE0\xF2\xE5 GIF";
// "Размер кода GIF не принадлежит диапазону от 2 до 9"
const char* const SGIFCodeSizeError = "\xD0\xE0\xE7\xEC\xE5\xF0 \xEA\xEE\xE4\xE0 GIF \xED\xE5 \xEF\xF0\xE8\xED\xE0\xE4\xEB\xE5\xE6\xE8\xF2 \xE4\xE8\xE0\xEF\xE0\xE7\xEE\xED\xF3 \xEE\xF2 2 \xE4\xEE 9";
// "Неверное число цветов; должно быть степенью числа 2"
const char* const SGIFWrongPalette = "\xCD\xE5\xE2\xE5\xF0\xED\xEE\xE5 \xF7\xE8\xF1\xEB\xEE \xF6\xE2\xE5\xF2\xEE\xE2; \xE4\xEE\xEB\xE6\xED\xEE \xE1\xFB\xF2\xFC \xF1\xF2\xE5\xEF\xE5\xED\xFC\xFE \xF7\xE8\xF1\xEB\xE0 2";
// "Неопределенное расширение GIF: %.2x"
const char* const SGIFUnknownExt = "\xCD\xE5\xEE\xEF\xF0\xE5\xE4\xE5\xEB\xE5\xED\xED\xEE\xE5 \xF0\xE0\xF1\xF8\xE8\xF0\xE5\xED\xE8\xE5 GIF: %.2x";
// "Нет данных для записи в формате GIF"
const char* const SGIFNoData = "\xCD\xE5\xF2 \xE4\xE0\xED\xED\xFB\xF5 \xE4\xEB\xFF \xE7\xE0\xEF\xE8\xF1\xE8 \xE2 \xF4\xEE\xF0\xEC\xE0\xF2\xE5 GIF";
// "Невозможно изменить размер изображения GIF"
const char* const SGIFCannotResize = "\xCD\xE5\xE2\xEE\xE7\xEC\xEE\xE6\xED\xEE \xE8\xE7\xEC\xE5\xED\xE8\xF2\xFC \xF0\xE0\xE7\xEC\xE5\xF0 \xE8\xE7\xEE\xE1\xF0\xE0\xE6\xE5\xED\xE8\xFF GIF";
// "Изображение GIF слишком велико"
const char* const SGIFTooLarge = "\xC8\xE7\xEE\xE1\xF0\xE0\xE6\xE5\xED\xE8\xE5 GIF \xF1\xEB\xE8\xF8\xEA\xEE\xEC \xE2\xE5\xEB\xE8\xEA\xEE";

bool TGIFColorTable::operator==(const TGIFColorTable& T) const {
  return Count == T.Count && std::memcmp(Colors, T.Colors, sizeof Colors) == 0;
}

namespace {

const char* const SReadError = "Stream read error";

// Thrown inside the reader when the data runs out; caught where the damage can be kept.
struct TTruncated {};

class TReader {
public:
  TReader(const uint8_t* Data, size_t Size) : FData(Data), FSize(Size) {}
  bool AtEnd() const { return FPos >= FSize; }
  uint8_t Byte() {
    if (FPos >= FSize) throw TTruncated();
    return FData[FPos++];
  }
  int Word() {
    int Lo = Byte();
    return Lo | (Byte() << 8);
  }
  std::string Bytes(size_t N) {
    if (FSize - FPos < N) throw TTruncated();
    std::string S(reinterpret_cast<const char*>(FData + FPos), N);
    FPos += N;
    return S;
  }
  // Data sub-blocks up to the zero terminator.
  std::vector<std::string> SubBlocks() {
    std::vector<std::string> R;
    for (;;) {
      uint8_t Len = Byte();
      if (Len == 0) return R;
      R.push_back(Bytes(Len));
    }
  }
  size_t Pos() const { return FPos; }
  size_t Left() const { return FSize - FPos; }
  const uint8_t* Here() const { return FData + FPos; }
  void Skip(size_t N) { FPos += std::min(N, Left()); }

private:
  const uint8_t* FData;
  size_t FSize;
  size_t FPos = 0;
};

void ReadTable(TReader& R, int Bits, TGIFColorTable& T) {
  T.Count = 1 << Bits;
  std::string S = R.Bytes(size_t(T.Count) * 3);
  std::memcpy(T.Colors, S.data(), S.size());
}

bool EqualNoCase(const std::string& A, const char* B) {
  if (A.size() != std::strlen(B)) return false;
  for (size_t I = 0; I < A.size(); ++I)
    if (std::tolower(static_cast<unsigned char>(A[I])) != std::tolower(static_cast<unsigned char>(B[I]))) return false;
  return true;
}

// Reads one frame after its ",". A cut sub-block is kept as far as it goes, with its length
// byte put right and a terminator added, so that the stored data stays well-formed.
void ReadFrame(TReader& R, TGIFFileData& File, TGIFFrameData& F, bool AcceptDamaged) {
  F.Left = R.Word();
  F.Top = R.Word();
  F.Width = R.Word();
  F.Height = R.Word();
  F.Flags = R.Byte();
  if (F.Flags & 0x80) {
    F.LocalTable = true;
    F.TableBits = (F.Flags & 7) + 1;
    ReadTable(R, F.TableBits, F.Table);
  } else {
    F.TableBits = File.TableBits;
    F.Table = File.Table;
  }
  F.Interlaced = (F.Flags & 0x40) != 0;
  F.Lzw.push_back(R.Byte());
  for (;;) {
    if (R.AtEnd()) {
      F.Corrupted = true;
      F.Lzw.push_back(0);
      break;
    }
    uint8_t Len = R.Byte();
    if (Len == 0) {
      F.Lzw.push_back(0);
      break;
    }
    size_t Got = std::min<size_t>(Len, R.Left());
    F.Lzw.push_back(uint8_t(Got));
    F.Lzw.insert(F.Lzw.end(), R.Here(), R.Here() + Got);
    R.Skip(Got);
    if (Got < Len) {
      F.Corrupted = true;
      F.Lzw.push_back(0);
      break;
    }
  }
  if (F.Corrupted) {
    if (!AcceptDamaged) throw EReadError(SReadError);
    File.Corrupted = true;
  }
  if (F.Width == 0) F.Width = File.ScreenWidth;
  if (F.Height == 0) F.Height = File.ScreenHeight;
  if (int64_t(F.Width) * F.Height > GIFMaxPixels) throw EGIFError(SGIFTooLarge);
  for (const TGIFExtension& E : F.Extensions) {
    if (E.Kind != ekGraphicControl || E.Fixed.size() < 5) continue;
    uint8_t Packed = uint8_t(E.Fixed[1]);
    int Delay = uint8_t(E.Fixed[2]) | (uint8_t(E.Fixed[3]) << 8);
    int Index = uint8_t(E.Fixed[4]);
    F.TransparentIndex = (Packed & 1) && Index < F.Table.Count ? Index : -1;
    F.Interval = std::max(Delay * 10, F.Interval);
    F.Disposal = (Packed & 0x1C) >> 2;
  }
}

std::string JoinComment(const TGIFExtension& E) {
  std::string S;
  for (const std::string& D : E.Data) S += D;
  return S;
}

// Splits on CR LF, LF or CR.
void AddLines(std::vector<std::string>& Lines, const std::string& Text) {
  size_t Start = 0;
  for (size_t I = 0; I < Text.size(); ++I) {
    if (Text[I] != '\r' && Text[I] != '\n') continue;
    Lines.push_back(Text.substr(Start, I - Start));
    if (Text[I] == '\r' && I + 1 < Text.size() && Text[I + 1] == '\n') ++I;
    Start = I + 1;
  }
  if (Start < Text.size()) Lines.push_back(Text.substr(Start));
}

}  // namespace

void GIFReadFile(const uint8_t* Data, size_t Size, TGIFFileData& Out, bool AcceptDamaged) {
  Out = TGIFFileData();
  if (Size == 0) return;
  TReader R(Data, Size);
  try {
    std::string Sig = R.Bytes(3), Ver = R.Bytes(3);
    if (!EqualNoCase(Sig, "GIF")) throw EGIFError(SGIFVersion);
    if (EqualNoCase(Ver, "87a"))
      Out.Version = gv87a;
    else if (EqualNoCase(Ver, "89a"))
      Out.Version = gv89a;
    else
      throw EGIFError(SGIFVersion);
    Out.ScreenWidth = R.Word();
    Out.ScreenHeight = R.Word();
    uint8_t Packed = R.Byte();
    uint8_t Background = R.Byte();
    R.Byte();  // aspect
    Out.ColorResolution = ((Packed >> 4) & 7) + 1;
    Out.TableBits = (Packed & 7) + 1;
    if (Packed & 0x80) ReadTable(R, Out.TableBits, Out.Table);
    if (Background < Out.Table.Count) Out.BackgroundIndex = Background;
  } catch (const TTruncated&) {
    throw EReadError(SReadError);  // nothing usable yet
  }

  auto Damaged = [&] {
    if (!AcceptDamaged) throw EReadError(SReadError);
    Out.Corrupted = true;
  };
  int Block = R.AtEnd() ? ';' : R.Byte();
  while (Block != 0 && Block != ';') {
    std::vector<TGIFExtension> Exts;
    try {
      while (Block == '!') {
        uint8_t Label = R.Byte();
        TGIFExtension E;
        switch (Label) {
          case 0xF9:
            E.Kind = ekGraphicControl;
            E.Fixed = R.Bytes(6);
            break;
          case 0x01:
            E.Kind = ekPlainText;
            E.Fixed = R.Bytes(13);
            E.Data = R.SubBlocks();
            break;
          case 0xFF:
            E.Kind = ekApplication;
            E.Fixed = R.Bytes(12);
            E.Data = R.SubBlocks();
            break;
          case 0xFE:
            E.Kind = ekComment;
            E.Data = R.SubBlocks();
            break;
          default: {
            char Buf[128];
            std::snprintf(Buf, sizeof Buf, SGIFUnknownExt, Label);
            throw EGIFError(Buf);
          }
        }
        if (E.Kind == ekPlainText) {
          Exts.clear();  // text drawn over the screen is not shown: neither it nor what precedes it
        } else if (E.Kind == ekApplication) {
          std::string Id = E.Fixed.substr(1);
          if ((Id == "NETSCAPE2.0" || Id == "ANIMEXTS1.0") && !E.Data.empty() && E.Data[0].size() >= 3 &&
              E.Data[0][0] == 1) {
            Out.Looping = true;
            int Count = uint8_t(E.Data[0][1]) | (uint8_t(E.Data[0][2]) << 8);
            Out.RepeatCount = std::min(Count, 30000);
          }
        } else {
          Exts.push_back(std::move(E));
        }
        Block = R.AtEnd() ? ';' : R.Byte();
      }
    } catch (const TTruncated&) {
      Damaged();
      Block = ';';
    }
    if (Block == ',') {
      TGIFFrameData F;
      F.Extensions = std::move(Exts);
      try {
        ReadFrame(R, Out, F, AcceptDamaged);
      } catch (const TTruncated&) {
        Damaged();  // the descriptor or the table is cut: no frame to keep
        break;
      }
      Out.Frames.push_back(std::move(F));
      Block = ';';
      while (!R.AtEnd()) {
        Block = R.Byte();
        if (Block != 0) break;
        Block = ';';
      }
      if (Block != '!' && Block != ',' && Block != ';') Block = 0;
    } else {
      if (Out.Comment.empty()) {
        std::string Text;
        for (const TGIFExtension& E : Exts) {
          if (E.Kind != ekComment) continue;
          if (!Text.empty()) Text += "\r\n\r\n";
          Text += JoinComment(E);
        }
        AddLines(Out.Comment, Text);
      }
      if (Block != 0 && Block != ';') {
        Damaged();
        break;
      }
    }
  }
}

// ---------------------------------------------------------------------------------------
// Decoding

int GIFBitmapBits(int TableBits) {
  if (TableBits == 1) return 1;
  if (TableBits >= 2 && TableBits <= 4) return 4;
  if (TableBits >= 5 && TableBits <= 8) return 8;
  throw EGIFError(SGIFWrongPalette);
}

std::vector<uint8_t> GIFDecodeFrame(TGIFFrameData& Frame, bool AcceptDamaged, const TGIFProgress& Progress) {
  const int W = Frame.Width, H = Frame.Height;
  if (int64_t(W) * H > GIFMaxPixels) throw EGIFError(SGIFTooLarge);
  const int Mask = (1 << GIFBitmapBits(Frame.TableBits)) - 1;
  std::vector<uint8_t> Pixels(size_t(W) * H);
  if (Progress) Progress(0, 0);
  auto Damaged = [&](const char* Text) {
    if (!AcceptDamaged) throw EGIFError(Text);
    Frame.Corrupted = true;
  };

  // The data sub-blocks joined; a length byte that promises more than is there is cut.
  std::vector<uint8_t> Data;
  const std::vector<uint8_t>& L = Frame.Lzw;
  int Size = L.empty() ? 0 : L[0];
  for (size_t P = 1; P < L.size();) {
    size_t Len = L[P++];
    if (Len == 0) break;
    Len = std::min(Len, L.size() - P);
    Data.insert(Data.end(), L.begin() + P, L.begin() + P + Len);
    P += Len;
  }
  if (Size < 2 || Size > 9) {
    Damaged(SGIFCodeSizeError);
    Size = std::clamp(Size, 2, 9);
  }
  if (Pixels.empty()) {
    if (Progress) Progress(2, 100);
    return Pixels;
  }

  // Rows in the order the data fills them.
  std::vector<int> Rows;
  Rows.reserve(H);
  if (Frame.Interlaced) {
    static const int Start[4] = {0, 4, 2, 1}, Step[4] = {8, 8, 4, 2};
    for (int Pass = 0; Pass < 4; ++Pass)
      for (int Y = Start[Pass]; Y < H; Y += Step[Pass]) Rows.push_back(Y);
  } else {
    for (int Y = 0; Y < H; ++Y) Rows.push_back(Y);
  }
  size_t RowIndex = 0;
  int X = 0;
  uint8_t* Row = &Pixels[size_t(Rows[0]) * W];
  auto Put = [&](int Value) -> bool {  // false when every row is filled
    Row[X] = uint8_t(Value & Mask);
    if (++X == W) {
      X = 0;
      if (++RowIndex == Rows.size()) return false;
      Row = &Pixels[size_t(Rows[RowIndex]) * W];
    }
    return true;
  };

  static thread_local uint16_t Prefix[4096], Suffix[4096];
  static thread_local uint8_t Stack[4097];
  const int Clear = 1 << Size, End = Clear + 1;
  int Free = Clear + 2, Width = Size + 1, Prev = -1, First = 0;
  for (int I = 0; I < Clear; ++I) Suffix[I] = uint16_t(I);
  uint32_t Bits = 0;
  int BitCount = 0;
  size_t Pos = 0;
  int LastPercent = -1;
  for (;;) {
    while (BitCount < Width && Pos < Data.size()) {
      Bits |= uint32_t(Data[Pos++]) << BitCount;
      BitCount += 8;
    }
    if (BitCount < Width) {
      // The data ended before the end code with rows left.
      Damaged(SGIFDecodeError);
      break;
    }
    int Code = int(Bits & ((1u << Width) - 1));
    Bits >>= Width;
    BitCount -= Width;
    if (Progress) {
      int Percent = int(Pos * 100 / Data.size());
      if (Percent != LastPercent) Progress(1, LastPercent = Percent);
    }
    if (Code == Clear) {
      Width = Size + 1;
      Free = Clear + 2;
      Prev = -1;
      continue;
    }
    if (Code == End) break;
    if (Prev < 0) {
      // The first code after a clear is a literal.
      if (Code >= Clear) {
        Damaged(SGIFDecodeError);
        break;
      }
      Prev = First = Code;
      if (!Put(Code)) break;
      continue;
    }
    // A code beyond the next free one was never made: the data is wrong.
    if (Code > Free || (Code == Free && Free >= 4096)) {
      Damaged(SGIFDecodeError);
      break;
    }
    int In = Code, Depth = 0;
    if (Code == Free) {
      Stack[Depth++] = uint8_t(First);
      Code = Prev;
    }
    bool TooDeep = false;
    while (Code >= Clear) {
      if (Depth >= 4096) {
        TooDeep = true;
        break;
      }
      Stack[Depth++] = uint8_t(Suffix[Code]);
      Code = Prefix[Code];
    }
    if (TooDeep) {
      Damaged(SGIFDecodeError);
      break;
    }
    First = Code;
    // Literals may exceed a byte with code size 9; they are masked when put.
    bool More = Put(First);
    while (More && Depth > 0) More = Put(Stack[--Depth]);
    if (Free < 4096) {
      Prefix[Free] = uint16_t(Prev);
      Suffix[Free] = uint16_t(First);
      if (++Free == (1 << Width) && Width < 12) ++Width;
    }
    Prev = In;
    if (!More) break;
  }
  if (Progress) Progress(2, 100);
  return Pixels;
}

namespace {

void Put16(std::vector<uint8_t>& B, int V) {
  B.push_back(uint8_t(V));
  B.push_back(uint8_t(V >> 8));
}

void Put32(std::vector<uint8_t>& B, uint32_t V) {
  Put16(B, int(V & 0xFFFF));
  Put16(B, int(V >> 16));
}

}  // namespace

std::vector<uint8_t> GIFFrameToBmp(const TGIFFrameData& Frame, const std::vector<uint8_t>& Pixels) {
  const int Bits = GIFBitmapBits(Frame.TableBits);
  const int W = Frame.Width, H = Frame.Height;
  const size_t Stride = ((size_t(W) * Bits + 31) / 32) * 4;
  const uint32_t Offset = 14 + 40 + 4 * (1u << Bits);
  std::vector<uint8_t> B;
  B.reserve(Offset + Stride * H);
  B.push_back('B');
  B.push_back('M');
  Put32(B, uint32_t(Offset + Stride * H));
  Put32(B, 0);
  Put32(B, Offset);
  Put32(B, 40);
  Put32(B, uint32_t(W));
  Put32(B, uint32_t(H));
  Put16(B, 1);
  Put16(B, Bits);
  Put32(B, 0);
  Put32(B, uint32_t(Stride * H));
  Put32(B, 0);
  Put32(B, 0);
  Put32(B, 0);
  Put32(B, 0);
  for (int I = 0; I < (1 << Bits); ++I) {
    if (I < Frame.Table.Count) {
      B.push_back(Frame.Table.Colors[I][2]);
      B.push_back(Frame.Table.Colors[I][1]);
      B.push_back(Frame.Table.Colors[I][0]);
      B.push_back(0);
    } else {
      B.insert(B.end(), 4, 0x80);
    }
  }
  for (int Y = H - 1; Y >= 0; --Y) {
    size_t Start = B.size();
    B.resize(Start + Stride, 0);
    uint8_t* Out = &B[Start];
    const uint8_t* In = &Pixels[size_t(Y) * W];
    for (int X = 0; X < W; ++X) {
      if (Bits == 8)
        Out[X] = In[X];
      else if (Bits == 4)
        Out[X / 2] |= uint8_t((In[X] & 15) << (X % 2 ? 0 : 4));
      else
        Out[X / 8] |= uint8_t((In[X] & 1) << (7 - X % 8));
    }
  }
  return B;
}

// ---------------------------------------------------------------------------------------
// Encoding

int GIFTableBits(int Count) {
  int N = 1;
  while (N < 8 && (1 << N) < Count) ++N;
  return N;
}

namespace {

// Codes least-significant bit first, flushed in sub-blocks of 255 bytes.
class TCodeWriter {
public:
  explicit TCodeWriter(std::vector<uint8_t>& Out) : FOut(Out) {}
  void Put(int Code, int Width) {
    FBits |= uint32_t(Code) << FCount;
    FCount += Width;
    while (FCount >= 8) {
      Byte(uint8_t(FBits));
      FBits >>= 8;
      FCount -= 8;
    }
  }
  void Finish() {
    if (FCount > 0) Byte(uint8_t(FBits));
    FBits = 0;
    FCount = 0;
    Flush();
    FOut.push_back(0);
  }

private:
  void Byte(uint8_t B) {
    FBlock[FLen++] = B;
    if (FLen == 255) Flush();
  }
  void Flush() {
    if (FLen == 0) return;
    FOut.push_back(uint8_t(FLen));
    FOut.insert(FOut.end(), FBlock, FBlock + FLen);
    FLen = 0;
  }
  std::vector<uint8_t>& FOut;
  uint32_t FBits = 0;
  int FCount = 0;
  uint8_t FBlock[255];
  int FLen = 0;
};

}  // namespace

std::vector<uint8_t> GIFEncodePixels(const uint8_t* Pixels, int Width, int Height, int BitsPerPixel) {
  if (BitsPerPixel != 1 && BitsPerPixel != 4 && BitsPerPixel != 8) throw EGIFError(SGIFEncodeError);
  const int Size = BitsPerPixel == 1 ? 2 : BitsPerPixel;
  const int Mask = (1 << BitsPerPixel) - 1;
  std::vector<uint8_t> Out;
  Out.push_back(uint8_t(Size));
  TCodeWriter W(Out);

  const int HashSize = 17777;  // a prime
  struct TNode {
    int16_t Prefix;
    int16_t Code;  // -1: an empty slot
    uint8_t Suffix;
  };
  std::vector<TNode> Table(HashSize);
  auto ClearTable = [&] {
    for (TNode& N : Table) N.Code = -1;
  };
  ClearTable();
  const int Clear = 1 << Size, End = Clear + 1;
  int Free = Clear + 2, CodeWidth = Size + 1;
  W.Put(Clear, CodeWidth);
  const size_t Count = size_t(Width) * Height;
  if (Count == 0) {
    W.Put(End, CodeWidth);
    W.Finish();
    return Out;
  }
  int Cur = Pixels[0] & Mask;
  int64_t Hash = (Cur + 3) * 301;
  int Length = 1;
  for (size_t I = 1; I < Count; ++I) {
    int P = Pixels[I] & Mask;
    int64_t NewHash = ((P + Length + 4) * Hash) % HashSize;
    int Slot = int(NewHash);
    while (Table[Slot].Code >= 0 && (Table[Slot].Prefix != Cur || Table[Slot].Suffix != P))
      Slot = Slot + 1 == HashSize ? 0 : Slot + 1;
    if (Table[Slot].Code >= 0) {
      Cur = Table[Slot].Code;
      Hash = NewHash;
      ++Length;
      continue;
    }
    W.Put(Cur, CodeWidth);
    if (Free < 4094) {
      Table[Slot] = TNode{int16_t(Cur), int16_t(Free), uint8_t(P)};
      ++Free;
      // The decoder adds its entry one code later, so the width grows one code later too.
      if (Free > (1 << CodeWidth) && CodeWidth < 12) ++CodeWidth;
    } else {
      W.Put(Clear, CodeWidth);
      ClearTable();
      Free = Clear + 2;
      CodeWidth = Size + 1;
    }
    Cur = P;
    Hash = (P + 3) * 301;
    Length = 1;
  }
  W.Put(Cur, CodeWidth);
  // The decoder adds an entry for the last code before it reads the end code.
  if (Free >= (1 << CodeWidth) && CodeWidth < 12) ++CodeWidth;
  W.Put(End, CodeWidth);
  W.Finish();
  return Out;
}

bool GIFPrepareExtensions(TGIFFrameData& F) {
  TGIFExtension* Gc = nullptr;
  for (TGIFExtension& E : F.Extensions)
    if (E.Kind == ekGraphicControl) Gc = &E;
  if (!Gc && (F.Interval > 0 || F.TransparentIndex >= 0 || F.Disposal != gdUndefined)) {
    TGIFExtension E;
    E.Kind = ekGraphicControl;
    E.Fixed = std::string("\x04\0\0\0\0\0", 6);
    F.Extensions.insert(F.Extensions.begin(), std::move(E));
    Gc = &F.Extensions.front();
  }
  if (Gc) {
    Gc->Fixed.resize(6, '\0');
    Gc->Fixed[0] = 4;
    Gc->Fixed[5] = 0;
    int Delay = std::min(F.Interval / 10, 0xFFFF);
    Gc->Fixed[2] = char(Delay & 0xFF);
    Gc->Fixed[3] = char(Delay >> 8);
    uint8_t Packed = uint8_t(Gc->Fixed[1]) & ~0x1D;
    Packed |= uint8_t((F.Disposal << 2) & 0x1C);
    if (F.TransparentIndex >= 0) {
      Packed |= 1;
      Gc->Fixed[4] = char(F.TransparentIndex);
    }
    Gc->Fixed[1] = char(Packed);
  }
  F.Extensions.erase(std::remove_if(F.Extensions.begin(), F.Extensions.end(),
                                    [](const TGIFExtension& E) {
                                      return E.Kind == ekComment && JoinComment(E).empty();
                                    }),
                     F.Extensions.end());
  return !F.Extensions.empty();
}

namespace {

void PutSubBlocks(std::vector<uint8_t>& B, const std::string& S) {
  for (size_t P = 0; P < S.size(); P += 255) {
    size_t N = std::min<size_t>(255, S.size() - P);
    B.push_back(uint8_t(N));
    B.insert(B.end(), S.begin() + P, S.begin() + P + N);
  }
}

void PutTable(std::vector<uint8_t>& B, const TGIFColorTable& T, int Bits) {
  for (int I = 0; I < (1 << Bits); ++I)
    for (int C = 0; C < 3; ++C) B.push_back(I < T.Count ? T.Colors[I][C] : 0);
}

}  // namespace

std::vector<uint8_t> GIFWriteFile(TGIFFileData& File) {
  if (File.Frames.empty()) throw EGIFError(SGIFNoData);
  bool Extended = false;
  for (TGIFFrameData& F : File.Frames) {
    if (F.Lzw.empty()) throw EGIFError(SGIFNoData);
    if (GIFPrepareExtensions(F)) Extended = true;
  }
  bool HasComment = std::any_of(File.Comment.begin(), File.Comment.end(), [](auto& S) { return !S.empty(); });
  bool Loop = File.Looping && File.Frames.size() > 1;
  if (Extended || HasComment || Loop)
    File.Version = gv89a;
  else if (File.Version == gvUnknown)
    File.Version = gv87a;

  std::vector<uint8_t> B;
  const char* Head = File.Version == gv89a ? "GIF89a" : "GIF87a";
  B.insert(B.end(), Head, Head + 6);
  Put16(B, File.ScreenWidth);
  Put16(B, File.ScreenHeight);
  const bool Global = File.Table.Count > 0;
  const int Bits = std::clamp(File.TableBits, 1, 8);
  uint8_t Packed = uint8_t((Global ? 0x80 : 0) | ((GIFTableBits(File.Table.Count) - 1) << 4) | (Bits - 1));
  B.push_back(Packed);
  B.push_back(uint8_t(File.BackgroundIndex >= 0 && File.BackgroundIndex < 256 ? File.BackgroundIndex : 0));
  B.push_back(0);
  if (Global) PutTable(B, File.Table, Bits);
  if (Loop) {
    static const char App[] = "\x21\xFF\x0BNETSCAPE2.0\x03\x01";
    B.insert(B.end(), App, App + 16);
    Put16(B, File.RepeatCount);
    B.push_back(0);
  }
  static const uint8_t Labels[4] = {0xF9, 0x01, 0xFF, 0xFE};
  for (const TGIFFrameData& F : File.Frames) {
    for (const TGIFExtension& E : F.Extensions) {
      B.push_back('!');
      B.push_back(Labels[E.Kind]);
      B.insert(B.end(), E.Fixed.begin(), E.Fixed.end());
      if (E.Kind == ekGraphicControl) continue;  // its terminator is part of the fixed bytes
      for (const std::string& D : E.Data) PutSubBlocks(B, D);
      B.push_back(0);
    }
    B.push_back(',');
    Put16(B, F.Left);
    Put16(B, F.Top);
    Put16(B, F.Width);
    Put16(B, F.Height);
    const int FBits = std::clamp(F.TableBits, 1, 8);
    B.push_back(uint8_t((F.LocalTable ? 0x80 | (FBits - 1) : 0) | (F.Interlaced ? 0x40 : 0)));
    if (F.LocalTable) PutTable(B, F.Table, FBits);
    B.insert(B.end(), F.Lzw.begin(), F.Lzw.end());
  }
  if (HasComment) {
    B.push_back('!');
    B.push_back(0xFE);
    for (const std::string& Line : File.Comment) {
      // A line longer than a sub-block goes on in the next ones: nothing of it is lost.
      for (size_t At = 0; At < Line.size(); At += 255) {
        size_t N = std::min<size_t>(255, Line.size() - At);
        B.push_back(uint8_t(N));
        B.insert(B.end(), Line.begin() + At, Line.begin() + At + N);
      }
    }
    B.push_back(0);
  }
  B.push_back(';');
  return B;
}

void GIFReduceColors(const uint8_t* Bgr, int Width, int Height, TGIFColorTable& Table, std::vector<uint8_t>& Pixels) {
  const size_t Count = size_t(Width) * Height;
  Pixels.assign(Count, 0);
  Table = TGIFColorTable();
  std::unordered_map<uint32_t, int> Index;
  bool Exact = true;
  for (size_t I = 0; I < Count && Exact; ++I) {
    const uint8_t* P = Bgr + I * 3;
    uint32_t Key = uint32_t(P[0]) | (uint32_t(P[1]) << 8) | (uint32_t(P[2]) << 16);
    auto It = Index.find(Key);
    if (It == Index.end()) {
      if (Table.Count == 256) {
        Exact = false;
        break;
      }
      It = Index.emplace(Key, Table.Count).first;
      Table.Colors[Table.Count][0] = P[2];
      Table.Colors[Table.Count][1] = P[1];
      Table.Colors[Table.Count][2] = P[0];
      ++Table.Count;
    }
    Pixels[I] = uint8_t(It->second);
  }
  if (Exact) return;
  // More than 256 colours: a 3-3-2 cube, each level spread over the full range.
  Table.Count = 256;
  for (int I = 0; I < 256; ++I) {
    Table.Colors[I][0] = uint8_t(((I >> 5) & 7) * 255 / 7);
    Table.Colors[I][1] = uint8_t(((I >> 2) & 7) * 255 / 7);
    Table.Colors[I][2] = uint8_t((I & 3) * 255 / 3);
  }
  for (size_t I = 0; I < Count; ++I) {
    const uint8_t* P = Bgr + I * 3;
    Pixels[I] = uint8_t(((P[2] >> 5) << 5) | ((P[1] >> 5) << 2) | (P[0] >> 6));
  }
}
