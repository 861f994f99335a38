#include "classlib/win/bitmap.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "classlib/core/stream.h"
#include "classlib/win/wide_string.h"

template <>
const TTypeInfo* TypeInfoOf<TPixelFormat>() {
  static const TTypeInfo Info = EnumTypeInfo(
      "TPixelFormat", {"pfDevice", "pf1bit", "pf4bit", "pf8bit", "pf15bit", "pf16bit", "pf24bit", "pf32bit", "pfCustom"});
  return &Info;
}

template <>
const TTypeInfo* TypeInfoOf<TTransparentMode>() {
  static const TTypeInfo Info = EnumTypeInfo("TTransparentMode", {"tmAuto", "tmFixed"});
  return &Info;
}

namespace {

[[noreturn]] void InvalidBitmap(const char* Why) {
  throw EInvalidGraphic(std::string("Bitmap image is not valid: ") + Why);
}

int BitsOf(TPixelFormat Format) {
  switch (Format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    default: return 32;
  }
}

int64_t StrideOf(int64_t Width, int Bits) { return ((Width * Bits + 31) / 32) * 4; }

struct TBitmapInfo {
  BITMAPINFOHEADER Header;
  RGBQUAD Colors[256];  // or the three masks of BI_BITFIELDS
};

void DefaultPalette(int Bits, RGBQUAD* P) {
  static const uint8_t Vga[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                     {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                     {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                     {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
  auto Set = [P](int I, int R, int G, int B) { P[I] = RGBQUAD{uint8_t(B), uint8_t(G), uint8_t(R), 0}; };
  if (Bits == 1) {
    Set(0, 0, 0, 0);
    Set(1, 255, 255, 255);
    return;
  }
  for (int I = 0; I < 16; ++I) Set(I, Vga[I][0], Vga[I][1], Vga[I][2]);
  if (Bits != 8) return;
  int I = 16;
  for (int R = 0; R < 6; ++R)
    for (int G = 0; G < 6; ++G)
      for (int B = 0; B < 6; ++B) Set(I++, R * 51, G * 51, B * 51);
  for (int K = 0; I < 256; ++I, ++K) Set(I, 8 + K * 10, 8 + K * 10, 8 + K * 10);
}

// A bottom-up DIB section; Palette may be null for the default colours.
HBITMAP CreateDib(int Width, int Height, TPixelFormat Format, const RGBQUAD* Palette, int PaletteCount,
                  void** Bits) {
  TBitmapInfo Bi{};
  Bi.Header.biSize = sizeof(BITMAPINFOHEADER);
  Bi.Header.biWidth = Width;
  Bi.Header.biHeight = Height;
  Bi.Header.biPlanes = 1;
  Bi.Header.biBitCount = WORD(BitsOf(Format));
  Bi.Header.biCompression = BI_RGB;
  if (Format == pf16bit) {
    Bi.Header.biCompression = BI_BITFIELDS;
    DWORD Masks[3] = {0xF800, 0x07E0, 0x001F};
    std::memcpy(Bi.Colors, Masks, sizeof Masks);
  } else if (Bi.Header.biBitCount <= 8) {
    int Count = 1 << Bi.Header.biBitCount;
    if (Palette != nullptr) {
      Count = std::min(PaletteCount, Count);
      std::memcpy(Bi.Colors, Palette, Count * sizeof(RGBQUAD));
    } else {
      DefaultPalette(Bi.Header.biBitCount, Bi.Colors);
    }
    Bi.Header.biClrUsed = Count;
  }
  void* P = nullptr;
  HBITMAP H = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&Bi), DIB_RGB_COLORS, &P, nullptr, 0);
  if (H == nullptr) throw EOutOfResources("Out of system resources: cannot make a " + std::to_string(Width) + "x" +
                                          std::to_string(Height) + " bitmap");
  if (Bits != nullptr) *Bits = P;
  return H;
}

bool GetDib(HBITMAP H, DIBSECTION& Ds) {
  return H != nullptr && GetObjectW(H, sizeof Ds, &Ds) == sizeof Ds && Ds.dsBm.bmBits != nullptr;
}

TPixelFormat FormatOfDib(const DIBSECTION& Ds) {
  switch (Ds.dsBmih.biBitCount) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16: return Ds.dsBmih.biCompression == BI_BITFIELDS && Ds.dsBitfields[1] == 0x07E0 ? pf16bit : pf15bit;
    case 24: return pf24bit;
    case 32: return pf32bit;
    default: return pfCustom;
  }
}

// A memory context with a bitmap selected, for the time of one operation.
struct TSelected {
  HDC DC;
  HGDIOBJ Old;
  explicit TSelected(HBITMAP B) : DC(CreateCompatibleDC(nullptr)), Old(SelectObject(DC, B)) {}
  ~TSelected() {
    SelectObject(DC, Old);
    DeleteDC(DC);
  }
};

int ColorTable(HBITMAP H, RGBQUAD* Colors) {
  TSelected S(H);
  return int(GetDIBColorTable(S.DC, 0, 256, Colors));
}

uint32_t Le32(const uint8_t* P) { return P[0] | P[1] << 8 | P[2] << 16 | uint32_t(P[3]) << 24; }
uint16_t Le16(const uint8_t* P) { return uint16_t(P[0] | P[1] << 8); }
void Put32(std::vector<uint8_t>& B, uint32_t V) {
  for (int I = 0; I < 4; ++I) B.push_back(uint8_t(V >> (8 * I)));
}
void Put16(std::vector<uint8_t>& B, uint16_t V) {
  B.push_back(uint8_t(V));
  B.push_back(uint8_t(V >> 8));
}

// Channel extraction for bit-field pixels with arbitrary masks.
struct TChannel {
  uint32_t Mask = 0;
  int Shift = 0;
  uint32_t Max = 0;
  explicit TChannel(uint32_t M) : Mask(M) {
    if (M == 0) return;
    while (((M >> Shift) & 1) == 0) ++Shift;
    Max = M >> Shift;
  }
  uint8_t Get(uint32_t Pixel) const {
    if (Max == 0) return 0;
    return uint8_t(uint64_t((Pixel & Mask) >> Shift) * 255 / Max);
  }
};

// RLE4/RLE8 into uncompressed bottom-up rows. Damaged or cut data decodes as far as it
// goes; pixels outside the bitmap are dropped.
std::vector<uint8_t> DecodeRle(const std::vector<uint8_t>& D, int Width, int Height, int Bits) {
  int64_t Stride = StrideOf(Width, Bits);
  std::vector<uint8_t> Out(size_t(Stride * Height), 0);
  auto Put = [&](int64_t X, int64_t Y, uint8_t V) {
    if (X < 0 || X >= Width || Y < 0 || Y >= Height) return;
    uint8_t* Row = &Out[size_t(Y * Stride)];
    if (Bits == 8)
      Row[X] = V;
    else if (X & 1)
      Row[X / 2] = uint8_t((Row[X / 2] & 0xF0) | (V & 0x0F));
    else
      Row[X / 2] = uint8_t((Row[X / 2] & 0x0F) | (V << 4));
  };
  int64_t X = 0, Y = 0;
  size_t I = 0, N = D.size();
  while (I + 1 < N && Y < Height) {
    uint8_t Count = D[I], Value = D[I + 1];
    I += 2;
    if (Count > 0) {
      for (int K = 0; K < Count; ++K)
        Put(X + K, Y, Bits == 8 ? Value : uint8_t((K & 1) ? Value & 0x0F : Value >> 4));
      X += Count;
    } else if (Value == 0) {
      X = 0;
      ++Y;
    } else if (Value == 1) {
      break;
    } else if (Value == 2) {
      if (I + 1 >= N) break;
      X += D[I];
      Y += D[I + 1];
      I += 2;
    } else {
      size_t Bytes = Bits == 8 ? Value : (Value + 1) / 2;
      if (I + Bytes > N) break;
      for (int K = 0; K < Value; ++K) {
        uint8_t B = D[I + (Bits == 8 ? K : K / 2)];
        Put(X + K, Y, Bits == 8 ? B : uint8_t((K & 1) ? B & 0x0F : B >> 4));
      }
      X += Value;
      I += (Bytes + 1) & ~size_t(1);
    }
  }
  return Out;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The bitmap's canvas: a memory context with the bitmap selected.

class TBitmapCanvas : public TCanvas {
public:
  explicit TBitmapCanvas(TBitmap* Bitmap) : FBitmap(Bitmap) {}
  ~TBitmapCanvas() override { FreeHandle(); }
  void FreeHandle() override {
    HDC DC = FHandle;
    TCanvas::FreeHandle();
    if (DC != nullptr) {
      if (FOldBitmap != nullptr) SelectObject(DC, FOldBitmap);
      DeleteDC(DC);
    }
    FOldBitmap = nullptr;
  }

protected:
  void CreateHandle() override {
    HDC DC = CreateCompatibleDC(nullptr);
    if (DC == nullptr) return;
    if (FBitmap->FHandle != nullptr) FOldBitmap = SelectObject(DC, FBitmap->FHandle);
    FHandle = DC;
  }

private:
  TBitmap* FBitmap;
  HGDIOBJ FOldBitmap = nullptr;
};

// ---------------------------------------------------------------------------------------

const TClassInfo* TBitmap::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TBitmap, TGraphic>("TBitmap").Build();
  return &Info;
}

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
  FCanvas.reset();
  if (FHandle != nullptr) DeleteObject(FHandle);
}

void TBitmap::FreeContext() {
  if (FCanvas) FCanvas->FreeHandle();
}

void TBitmap::Replace(HBITMAP NewHandle, int AWidth, int AHeight, TPixelFormat Format) {
  FreeContext();
  if (FHandle != nullptr) DeleteObject(FHandle);
  FHandle = NewHandle;
  FWidth = NewHandle != nullptr ? AWidth : 0;
  FHeight = NewHandle != nullptr ? AHeight : 0;
  FPixelFormat = Format;
}

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) {
    FCanvas = std::make_unique<TBitmapCanvas>(this);
    FCanvas->OnChange = [this](TObject*) { Changed(); };
  }
  return FCanvas.get();
}

HBITMAP TBitmap::Handle() {
  FreeContext();
  return FHandle;
}

void TBitmap::SetHandle(HBITMAP Value) {
  if (Value == FHandle) return;
  BITMAP Bm{};
  int W = 0, H = 0;
  TPixelFormat Format = pfDevice;
  if (Value != nullptr) {
    if (GetObjectW(Value, sizeof Bm, &Bm) == 0) throw EInvalidGraphic("Invalid bitmap handle");
    W = Bm.bmWidth;
    H = Bm.bmHeight;
    DIBSECTION Ds;
    if (GetDib(Value, Ds)) Format = FormatOfDib(Ds);
  }
  Replace(Value, W, H, Format);
  Changed();
}

HBITMAP TBitmap::ReleaseHandle() {
  FreeContext();
  HBITMAP H = FHandle;
  FHandle = nullptr;
  FWidth = FHeight = 0;
  Changed();
  return H;
}

void TBitmap::EnsureDib() {
  DIBSECTION Ds;
  if (FHandle == nullptr || GetDib(FHandle, Ds)) return;
  FreeContext();
  void* Bits;
  HBITMAP New = CreateDib(FWidth, FHeight, pfDevice, nullptr, 0, &Bits);
  {
    TSelected Src(FHandle), Dst(New);
    BitBlt(Dst.DC, 0, 0, FWidth, FHeight, Src.DC, 0, 0, SRCCOPY);
  }
  Replace(New, FWidth, FHeight, pfDevice);
}

void TBitmap::SetSize(int AWidth, int AHeight) {
  if (AWidth < 0) AWidth = 0;
  if (AHeight < 0) AHeight = 0;
  if (AWidth == FWidth && AHeight == FHeight && (FHandle != nullptr || AWidth == 0 || AHeight == 0)) return;
  if (AWidth == 0 || AHeight == 0) {
    Replace(nullptr, 0, 0, FPixelFormat);
    FWidth = AWidth;
    FHeight = AHeight;
    Changed();
    return;
  }
  FreeContext();
  RGBQUAD Colors[256];
  int Count = 0;
  if (FHandle != nullptr && BitsOf(FPixelFormat) <= 8) Count = ColorTable(FHandle, Colors);
  HBITMAP New = CreateDib(AWidth, AHeight, FPixelFormat, Count > 0 ? Colors : nullptr, Count, nullptr);
  {
    TSelected Dst(New);
    // A white brush rather than WHITENESS: that would set the unused fourth byte of
    // 32-bit pixels too, and white would then not match white (transparent drawing).
    RECT All{0, 0, AWidth, AHeight};
    FillRect(Dst.DC, &All, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (FHandle != nullptr) {
      TSelected Src(FHandle);
      BitBlt(Dst.DC, 0, 0, std::min(FWidth, AWidth), std::min(FHeight, AHeight), Src.DC, 0, 0, SRCCOPY);
    }
  }
  Replace(New, AWidth, AHeight, FPixelFormat);
  Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
  if (Value == pfCustom) throw EInvalidGraphicOperation("Cannot make a bitmap of a custom pixel format");
  if (Value == FPixelFormat) return;
  if (FHandle == nullptr) {
    FPixelFormat = Value;
    Changed();
    return;
  }
  FreeContext();
  HBITMAP New = CreateDib(FWidth, FHeight, Value, nullptr, 0, nullptr);
  {
    TSelected Src(FHandle), Dst(New);
    BitBlt(Dst.DC, 0, 0, FWidth, FHeight, Src.DC, 0, 0, SRCCOPY);
  }
  Replace(New, FWidth, FHeight, Value);
  Changed();
}

void TBitmap::Assign(const TPersistent* Source) {
  if (Source == this) return;
  if (Source == nullptr) {
    Replace(nullptr, 0, 0, pfDevice);
    Changed();
    return;
  }
  if (auto* B = dynamic_cast<const TBitmap*>(Source)) {
    auto* Src = const_cast<TBitmap*>(B);
    HBITMAP New = nullptr;
    if (Src->FHandle != nullptr) {
      Src->FreeContext();
      DIBSECTION Ds;
      RGBQUAD Colors[256];
      int Count = 0;
      if (GetDib(Src->FHandle, Ds) && Ds.dsBmih.biBitCount <= 8) Count = ColorTable(Src->FHandle, Colors);
      TPixelFormat Format = Src->FPixelFormat == pfCustom ? pfDevice : Src->FPixelFormat;
      New = CreateDib(Src->FWidth, Src->FHeight, Format, Count > 0 ? Colors : nullptr, Count, nullptr);
      TSelected S(Src->FHandle), D(New);
      BitBlt(D.DC, 0, 0, Src->FWidth, Src->FHeight, S.DC, 0, 0, SRCCOPY);
    }
    Replace(New, Src->FWidth, Src->FHeight, Src->FPixelFormat == pfCustom ? pfDevice : Src->FPixelFormat);
    FTransparentColor = Src->FTransparentColor;
    FTransparentMode = Src->FTransparentMode;
    TGraphic::SetTransparent(Src->Transparent());
    Changed();
    return;
  }
  if (auto* G = dynamic_cast<const TGraphic*>(Source)) {
    auto* Src = const_cast<TGraphic*>(G);
    SetSize(Src->Width(), Src->Height());
    if (!Empty()) {
      Canvas()->Brush()->SetColor(clWhite);
      Canvas()->FillRect(Rect(0, 0, FWidth, FHeight));
      Canvas()->Draw(0, 0, Src);
    }
    Changed();
    return;
  }
  TGraphic::Assign(Source);
}

TColor TBitmap::TransparentColor() {
  if (FTransparentMode == tmFixed) return FTransparentColor;
  if (Empty()) return clDefault;
  return Canvas()->Pixels(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor Value) {
  FTransparentColor = Value;
  FTransparentMode = Value == clDefault ? tmAuto : tmFixed;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
  if (Value == FTransparentMode) return;
  if (Value == tmAuto)
    SetTransparentColor(clDefault);
  else
    SetTransparentColor(TransparentColor());
}

void* TBitmap::ScanLine(int Row) {
  if (Row < 0 || Row >= FHeight) throw EInvalidGraphicOperation("Scan line index out of range");
  EnsureDib();
  GdiFlush();
  DIBSECTION Ds;
  if (!GetDib(FHandle, Ds)) throw EInvalidGraphicOperation("Scan line index out of range");
  int64_t Stride = StrideOf(Ds.dsBm.bmWidth, Ds.dsBmih.biBitCount);
  int64_t Index = Ds.dsBmih.biHeight > 0 ? FHeight - 1 - Row : Row;
  return static_cast<uint8_t*>(Ds.dsBm.bmBits) + Index * Stride;
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (Empty()) return;
  HDC Dst = ACanvas->Handle();
  HDC Src = Canvas()->Handle();
  if (Transparent()) {
    COLORREF Key = static_cast<COLORREF>(ColorToRGB(TransparentColor())) & 0xFFFFFF;
    GdiTransparentBlt(Dst, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), Src, 0, 0, FWidth, FHeight, Key);
    return;
  }
  int OldMode = 0;
  if (!Monochrome()) OldMode = SetStretchBltMode(Dst, COLORONCOLOR);
  StretchBlt(Dst, Rect.Left, Rect.Top, Rect.Width(), Rect.Height(), Src, 0, 0, FWidth, FHeight, ACanvas->CopyMode());
  if (OldMode != 0) SetStretchBltMode(Dst, OldMode);
}

// ---------------------------------------------------------------------------------------
// BMP data.

void TBitmap::LoadFromStream(TStream* Stream) {
  int64_t Start = Stream->Position();
  int64_t Total = Stream->Size() - Start;
  if (Total <= 0) {  // nothing there: an empty bitmap
    Replace(nullptr, 0, 0, pfDevice);
    Changed();
    return;
  }
  uint8_t File[14];
  if (Total < 14 || Stream->Read(File, 14) != 14) InvalidBitmap("the file header is cut short");
  if (File[0] != 'B' || File[1] != 'M') InvalidBitmap("no BM signature");
  uint32_t FileSize = Le32(File + 2);
  uint32_t OffBits = Le32(File + 10);
  ReadDib(Stream, Total - 14, OffBits >= 14 ? int64_t(OffBits) - 14 : -1);
  int64_t End = Start + FileSize;
  if (FileSize >= 14 && End > Stream->Position() && End <= Start + Total) Stream->SetPosition(End);
}

void TBitmap::ReadDib(TStream* Stream, int64_t Available, int64_t BitsOffset) {
  uint8_t H[124] = {};
  if (Available < 4 || Stream->Read(H, 4) != 4) InvalidBitmap("the header is cut short");
  uint32_t HeaderSize = Le32(H);
  bool Core = HeaderSize == 12;
  if (!Core && (HeaderSize < 40 || HeaderSize > 124)) InvalidBitmap("unknown header size");
  if (Available < HeaderSize || Stream->Read(H + 4, int(HeaderSize - 4)) != int(HeaderSize - 4))
    InvalidBitmap("the header is cut short");
  int64_t Width, Height;
  unsigned Planes, Bits;
  uint32_t Compression = BI_RGB, ClrUsed = 0;
  uint32_t SizeImage = 0;
  if (Core) {
    Width = Le16(H + 4);
    Height = Le16(H + 6);
    Planes = Le16(H + 8);
    Bits = Le16(H + 10);
  } else {
    Width = int32_t(Le32(H + 4));
    Height = int32_t(Le32(H + 8));
    Planes = Le16(H + 12);
    Bits = Le16(H + 14);
    Compression = Le32(H + 16);
    SizeImage = Le32(H + 20);
    ClrUsed = Le32(H + 32);
  }
  bool TopDown = Height < 0;
  if (TopDown) Height = -Height;
  if (Width <= 0 || Height <= 0 || Width > 0x7FFF || Height > 0x7FFF) InvalidBitmap("bad size");
  if (Planes != 1) InvalidBitmap("bad plane count");
  if (Bits != 1 && Bits != 4 && Bits != 8 && Bits != 16 && Bits != 24 && Bits != 32)
    InvalidBitmap("unsupported bit count");
  bool Rle = Compression == BI_RLE8 || Compression == BI_RLE4;
  if (Compression == BI_RLE8 && Bits != 8) InvalidBitmap("RLE8 needs 8 bits a pixel");
  if (Compression == BI_RLE4 && Bits != 4) InvalidBitmap("RLE4 needs 4 bits a pixel");
  if (Compression == BI_BITFIELDS && Bits != 16 && Bits != 32) InvalidBitmap("bit fields need 16 or 32 bits");
  if (Compression != BI_RGB && Compression != BI_BITFIELDS && !Rle) InvalidBitmap("unsupported compression");
  if (Rle && TopDown) InvalidBitmap("a compressed bitmap cannot be top-down");

  int64_t Pos = HeaderSize;
  uint32_t Masks[3] = {0, 0, 0};
  if (Compression == BI_BITFIELDS) {
    if (HeaderSize >= 52) {
      Masks[0] = Le32(H + 40);
      Masks[1] = Le32(H + 44);
      Masks[2] = Le32(H + 48);
    } else {
      uint8_t M[12];
      if (Available < Pos + 12 || Stream->Read(M, 12) != 12) InvalidBitmap("the colour masks are cut short");
      Masks[0] = Le32(M);
      Masks[1] = Le32(M + 4);
      Masks[2] = Le32(M + 8);
      Pos += 12;
    }
  } else if (Bits == 16) {
    Masks[0] = 0x7C00, Masks[1] = 0x03E0, Masks[2] = 0x001F;
  } else if (Bits == 32) {
    Masks[0] = 0xFF0000, Masks[1] = 0xFF00, Masks[2] = 0xFF;
  }

  RGBQUAD Palette[256] = {};
  int PaletteCount = 0;
  if (Bits <= 8) {
    uint32_t Max = 1u << Bits;
    uint32_t Entries = ClrUsed != 0 ? ClrUsed : Max;
    if (Entries > Max) InvalidBitmap("too many palette entries");
    int EntrySize = Core ? 3 : 4;
    std::vector<uint8_t> P(Entries * EntrySize);
    if (Available < Pos + int64_t(P.size()) || Stream->Read(P.data(), int(P.size())) != int(P.size()))
      InvalidBitmap("the palette is cut short");
    for (uint32_t I = 0; I < Entries; ++I)
      Palette[I] = RGBQUAD{P[I * EntrySize], P[I * EntrySize + 1], P[I * EntrySize + 2], 0};
    PaletteCount = int(Entries);
    Pos += int64_t(P.size());
  }
  if (BitsOffset > Pos) {
    if (BitsOffset > Available) InvalidBitmap("the pixel data lies beyond the end");
    Stream->Seek(BitsOffset - Pos, soFromCurrent);
    Pos = BitsOffset;
  }

  int64_t Stride = StrideOf(Width, Bits);
  std::vector<uint8_t> Data;
  if (Rle) {
    if (Stride * Height > (int64_t(1) << 29)) InvalidBitmap("too large");
    int64_t Size = SizeImage != 0 ? std::min<int64_t>(SizeImage, Available - Pos) : Available - Pos;
    if (Size <= 0) InvalidBitmap("no pixel data");
    Data.resize(size_t(Size));
    if (Stream->Read(Data.data(), int(Size)) != int(Size)) InvalidBitmap("the pixel data is cut short");
    Data = DecodeRle(Data, int(Width), int(Height), int(Bits));
  } else {
    int64_t Size = Stride * Height;
    if (Available - Pos < Size) InvalidBitmap("the pixel data is cut short");
    Data.resize(size_t(Size));
    if (Stream->Read(Data.data(), int(Size)) != int(Size)) InvalidBitmap("the pixel data is cut short");
  }

  // The pixel format to keep: the file's own when GDI has it, else 32 bits.
  TPixelFormat Format;
  bool Convert = false;
  switch (Bits) {
    case 1: Format = pf1bit; break;
    case 4: Format = pf4bit; break;
    case 8: Format = pf8bit; break;
    case 24: Format = pf24bit; break;
    case 16:
      if (Masks[0] == 0x7C00 && Masks[1] == 0x03E0 && Masks[2] == 0x001F)
        Format = pf15bit;
      else if (Masks[0] == 0xF800 && Masks[1] == 0x07E0 && Masks[2] == 0x001F)
        Format = pf16bit;
      else
        Format = pf32bit, Convert = true;
      break;
    default:
      Format = pf32bit;
      Convert = !(Masks[0] == 0xFF0000 && Masks[1] == 0xFF00 && Masks[2] == 0xFF);
  }
  void* DibBits = nullptr;
  HBITMAP New = CreateDib(int(Width), int(Height), Format, PaletteCount > 0 ? Palette : nullptr, PaletteCount, &DibBits);
  int64_t DstStride = StrideOf(Width, BitsOf(Format));
  auto* Dst = static_cast<uint8_t*>(DibBits);
  TChannel R(Masks[0]), G(Masks[1]), B(Masks[2]);
  for (int64_t Y = 0; Y < Height; ++Y) {
    const uint8_t* SrcRow = &Data[size_t(Y * Stride)];
    uint8_t* DstRow = Dst + (TopDown ? Height - 1 - Y : Y) * DstStride;
    if (!Convert) {
      std::memcpy(DstRow, SrcRow, size_t(Stride));
      continue;
    }
    for (int64_t X = 0; X < Width; ++X) {
      uint32_t Pixel = Bits == 16 ? Le16(SrcRow + X * 2) : Le32(SrcRow + X * 4);
      DstRow[X * 4] = B.Get(Pixel);
      DstRow[X * 4 + 1] = G.Get(Pixel);
      DstRow[X * 4 + 2] = R.Get(Pixel);
      DstRow[X * 4 + 3] = 0;
    }
  }
  Replace(New, int(Width), int(Height), Format);
  Changed();
}

void TBitmap::SaveToStream(TStream* Stream) {
  if (Empty()) return;
  EnsureDib();
  FreeContext();
  GdiFlush();
  DIBSECTION Ds;
  if (!GetDib(FHandle, Ds)) throw EInvalidGraphic("Bitmap image is not valid");
  int Bits = Ds.dsBmih.biBitCount;
  RGBQUAD Colors[256];
  int Count = Bits <= 8 ? ColorTable(FHandle, Colors) : 0;
  bool Fields = Ds.dsBmih.biCompression == BI_BITFIELDS;
  int64_t Stride = StrideOf(FWidth, Bits);
  uint32_t HeaderBytes = 14 + 40 + (Fields ? 12 : 0) + Count * 4;
  int64_t ImageBytes = Stride * FHeight;
  std::vector<uint8_t> Head;
  Head.push_back('B');
  Head.push_back('M');
  Put32(Head, uint32_t(HeaderBytes + ImageBytes));
  Put32(Head, 0);
  Put32(Head, HeaderBytes);
  Put32(Head, 40);
  Put32(Head, uint32_t(FWidth));
  Put32(Head, uint32_t(FHeight));
  Put16(Head, 1);
  Put16(Head, uint16_t(Bits));
  Put32(Head, Fields ? BI_BITFIELDS : BI_RGB);
  Put32(Head, uint32_t(ImageBytes));
  Put32(Head, 3780);  // 96 pixels per inch
  Put32(Head, 3780);
  Put32(Head, uint32_t(Count));
  Put32(Head, 0);
  if (Fields)
    for (int I = 0; I < 3; ++I) Put32(Head, Ds.dsBitfields[I]);
  for (int I = 0; I < Count; ++I) {
    Head.push_back(Colors[I].rgbBlue);
    Head.push_back(Colors[I].rgbGreen);
    Head.push_back(Colors[I].rgbRed);
    Head.push_back(0);
  }
  Stream->WriteBuffer(Head.data(), int64_t(Head.size()));
  auto* P = static_cast<const uint8_t*>(Ds.dsBm.bmBits);
  if (Ds.dsBmih.biHeight > 0) {
    Stream->WriteBuffer(P, ImageBytes);
  } else {
    for (int Y = FHeight - 1; Y >= 0; --Y) Stream->WriteBuffer(P + Y * Stride, Stride);
  }
}

void TBitmap::LoadFromResourceName(HINSTANCE Instance, const std::string& ResName) {
  HANDLE H = LoadImageW(Instance, ToWide(ResName).c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
  if (H == nullptr) throw EResNotFound("Resource " + ResName + " not found");
  SetHandle(static_cast<HBITMAP>(H));
}

void TBitmap::LoadFromResourceID(HINSTANCE Instance, int ResID) {
  HANDLE H = LoadImageW(Instance, MAKEINTRESOURCEW(ResID), IMAGE_BITMAP, 0, 0,
                        Instance != nullptr ? LR_CREATEDIBSECTION : 0);
  if (H == nullptr) throw EResNotFound("Resource " + std::to_string(ResID) + " not found");
  SetHandle(static_cast<HBITMAP>(H));
  EnsureDib();
}

void TBitmap::LoadFromClipboardFormat(UINT Format, HANDLE Data) {
  if (Format == CF_BITMAP) {
    BITMAP Bm{};
    if (Data == nullptr || GetObjectW(Data, sizeof Bm, &Bm) == 0) throw EInvalidGraphic("Invalid bitmap handle");
    void* Bits;
    HBITMAP New = CreateDib(Bm.bmWidth, Bm.bmHeight, pfDevice, nullptr, 0, &Bits);
    {
      TSelected Src(static_cast<HBITMAP>(Data)), Dst(New);
      BitBlt(Dst.DC, 0, 0, Bm.bmWidth, Bm.bmHeight, Src.DC, 0, 0, SRCCOPY);
    }
    Replace(New, Bm.bmWidth, Bm.bmHeight, pfDevice);
    Changed();
    return;
  }
  if (Format == CF_DIB) {
    SIZE_T Size = GlobalSize(Data);
    const void* P = GlobalLock(Data);
    if (P == nullptr) throw EInvalidGraphic("Bitmap image is not valid: no clipboard data");
    TMemoryStream M;
    try {
      M.WriteBuffer(P, int64_t(Size));
    } catch (...) {
      GlobalUnlock(Data);
      throw;
    }
    GlobalUnlock(Data);
    M.SetPosition(0);
    ReadDib(&M, int64_t(Size), -1);
    return;
  }
  TGraphic::LoadFromClipboardFormat(Format, Data);
}

void TBitmap::SaveToClipboardFormat(UINT& Format, HANDLE& Data) {
  TMemoryStream M;
  SaveToStream(&M);
  if (M.Size() <= 14) throw EInvalidGraphic("Cannot put an empty bitmap on the clipboard");
  SIZE_T Size = SIZE_T(M.Size() - 14);  // CF_DIB is the file without its file header
  HGLOBAL G = GlobalAlloc(GMEM_MOVEABLE, Size);
  if (G == nullptr) throw EOutOfResources("Out of memory for the clipboard");
  std::memcpy(GlobalLock(G), static_cast<const uint8_t*>(M.Memory()) + 14, Size);
  GlobalUnlock(G);
  Format = CF_DIB;
  Data = G;
}
