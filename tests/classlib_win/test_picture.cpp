// Bitmaps, icons, JPEG images and pictures: reading, writing, damaged data, the format
// registry.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include <jpeglib.h>

#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/ext_ctrls.h"
#include "classlib/win/forms.h"
#include "classlib/win/icon.h"
#include "classlib/win/jpeg_image.h"
#include "classlib/win/picture.h"
#include "classlib/win/wide_string.h"
#include "tests/support/form_test.h"

namespace {

using Bytes = std::vector<uint8_t>;

TColor Rgb(int R, int G, int B) { return TColor(R | G << 8 | B << 16); }

void Put16(Bytes& B, unsigned V) {
  B.push_back(uint8_t(V));
  B.push_back(uint8_t(V >> 8));
}
void Put32(Bytes& B, uint32_t V) {
  for (int I = 0; I < 4; ++I) B.push_back(uint8_t(V >> (8 * I)));
}

// A BMP file: the file header, an info header of HeaderSize bytes (12 = the old core
// header), then Extra (masks, palette) and the pixel data.
struct TBmpLayout {
  int HeaderSize = 40;
  int Width = 2;
  int Height = 2;
  int Planes = 1;
  int Bits = 24;
  uint32_t Compression = BI_RGB;
  uint32_t ClrUsed = 0;
  uint32_t Masks[3] = {0, 0, 0};  // in the header when it is 52 bytes or more
  Bytes Extra;
  Bytes Pixels;
  int64_t OffBits = -1;  // -1: right after Extra
};

Bytes MakeBmp(const TBmpLayout& S) {
  Bytes Info;
  if (S.HeaderSize == 12) {
    Put32(Info, 12);
    Put16(Info, unsigned(S.Width));
    Put16(Info, unsigned(S.Height));
    Put16(Info, unsigned(S.Planes));
    Put16(Info, unsigned(S.Bits));
  } else {
    Put32(Info, uint32_t(S.HeaderSize));
    Put32(Info, uint32_t(S.Width));
    Put32(Info, uint32_t(S.Height));
    Put16(Info, unsigned(S.Planes));
    Put16(Info, unsigned(S.Bits));
    Put32(Info, S.Compression);
    Put32(Info, uint32_t(S.Pixels.size()));
    Put32(Info, 0);
    Put32(Info, 0);
    Put32(Info, S.ClrUsed);
    Put32(Info, 0);
    for (int I = 0; I < 3 && Info.size() < size_t(S.HeaderSize); ++I) Put32(Info, S.Masks[I]);
    Info.resize(size_t(S.HeaderSize), 0);
  }
  uint32_t Off = S.OffBits >= 0 ? uint32_t(S.OffBits) : uint32_t(14 + Info.size() + S.Extra.size());
  Bytes F{'B', 'M'};
  Put32(F, uint32_t(14 + Info.size() + S.Extra.size() + S.Pixels.size()));
  Put32(F, 0);
  Put32(F, Off);
  F.insert(F.end(), Info.begin(), Info.end());
  F.insert(F.end(), S.Extra.begin(), S.Extra.end());
  F.insert(F.end(), S.Pixels.begin(), S.Pixels.end());
  return F;
}

void LoadBytes(TGraphic& G, const Bytes& B) {
  TMemoryStream M;
  if (!B.empty()) M.WriteBuffer(B.data(), int64_t(B.size()));
  M.SetPosition(0);
  G.LoadFromStream(&M);
}

Bytes SaveBytes(TGraphic& G) {
  TMemoryStream M;
  G.SaveToStream(&M);
  auto* P = static_cast<const uint8_t*>(M.Memory());
  return Bytes(P, P + M.Size());
}

// Pixels of a bitmap, row by row, as colours.
std::vector<TColor> PixelsOf(TBitmap& B) {
  std::vector<TColor> P;
  for (int Y = 0; Y < B.Height(); ++Y)
    for (int X = 0; X < B.Width(); ++X) P.push_back(B.Canvas()->Pixels(X, Y));
  return P;
}

std::string TempDir() {
  static std::string Dir = [] {
    wchar_t Buf[MAX_PATH];
    GetTempPathW(MAX_PATH, Buf);
    std::string D = FromWide(Buf) + "zx_picture_test\\";
    CreateDirectoryW(ToWide(D).c_str(), nullptr);
    return D;
  }();
  return Dir;
}


// ---------------------------------------------------------------------------------------
// Bitmaps.

TEST(Bitmap, EveryPixelFormatSurvivesARoundTrip) {
  const TPixelFormat Formats[] = {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfDevice};
  for (TPixelFormat F : Formats) {
    SCOPED_TRACE(int(F));
    TBitmap B;
    B.SetPixelFormat(F);
    B.SetSize(5, 3);  // an odd width: rows are padded
    B.Canvas()->Brush()->SetColor(clBlack);
    B.Canvas()->FillRect(Rect(0, 0, 2, 3));
    B.Canvas()->SetPixels(4, 0, F == pf1bit ? clBlack : clRed);
    Bytes Saved = SaveBytes(B);
    ASSERT_GT(Saved.size(), 54u);
    TBitmap L;
    LoadBytes(L, Saved);
    EXPECT_EQ(L.Width(), 5);
    EXPECT_EQ(L.Height(), 3);
    if (F != pfDevice) {
      EXPECT_EQ(L.PixelFormat(), F);
    }
    EXPECT_EQ(PixelsOf(L), PixelsOf(B));
    EXPECT_EQ(SaveBytes(L), Saved);
  }
}

TEST(Bitmap, ReadsTheBmpVariantsInTheWild) {
  struct TCase {
    const char* Name;
    TBmpLayout Layout;
    std::vector<TColor> Expected;  // row by row from the top
  };
  auto Pal = [](std::initializer_list<uint32_t> Colors, int EntrySize) {
    Bytes B;
    for (uint32_t C : Colors) {
      B.push_back(uint8_t(C));  // blue
      B.push_back(uint8_t(C >> 8));
      B.push_back(uint8_t(C >> 16));  // red
      if (EntrySize == 4) B.push_back(0);
    }
    return B;
  };
  std::vector<TCase> Cases;
  {  // top-down 24 bits: the first row in the file is the top one
    TBmpLayout S;
    S.Height = -2;
    S.Pixels = {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0};
    Cases.push_back({"top-down 24-bit", S, {clRed, clLime, clBlue, clWhite}});
  }
  {  // the old core header with a three-byte palette, 8 bits, bottom-up
    TBmpLayout S;
    S.HeaderSize = 12;
    S.Bits = 8;
    S.Extra = Pal({0xFF0000, 0x00FF00, 0x0000FF}, 3);
    S.Extra.resize(256 * 3, 0);
    S.Pixels = {2, 2, 0, 0, 0, 1, 0, 0};  // bottom row first
    Cases.push_back({"core header", S, {clRed, clLime, clBlue, clBlue}});
  }
  {  // RLE8: a run, a literal run and the end of line and bitmap markers
    TBmpLayout S;
    S.Width = 4;
    S.Bits = 8;
    S.Compression = BI_RLE8;
    S.ClrUsed = 3;
    S.Extra = Pal({0xFF0000, 0x00FF00, 0x0000FF}, 4);
    S.Pixels = {4, 2, 0, 0, 0, 4, 0, 1, 0, 1, 0, 1};
    Cases.push_back({"RLE8", S, {clRed, clLime, clRed, clLime, clBlue, clBlue, clBlue, clBlue}});
  }
  {  // RLE4 with a delta that skips a row's rest
    TBmpLayout S;
    S.Width = 4;
    S.Bits = 4;
    S.Compression = BI_RLE4;
    S.ClrUsed = 3;
    S.Extra = Pal({0x000000, 0x00FF00, 0x0000FF}, 4);
    S.Pixels = {4, 0x12, 0, 0, 2, 0x11, 0, 2, 2, 0, 0, 1};
    Cases.push_back({"RLE4", S, {clLime, clLime, clBlack, clBlack, clLime, clBlue, clLime, clBlue}});
  }
  {  // 32 bits with the channels in another order, masks in a V4 header
    TBmpLayout S;
    S.HeaderSize = 108;
    S.Width = 2;
    S.Height = 1;
    S.Bits = 32;
    S.Compression = BI_BITFIELDS;
    S.Masks[0] = 0x000000FF, S.Masks[1] = 0x0000FF00, S.Masks[2] = 0x00FF0000;
    S.Pixels = {255, 0, 0, 0, 0, 0, 255, 0};
    Cases.push_back({"32-bit RGBA masks", S, {clRed, clBlue}});
  }
  {  // 16 bits 5-6-5, masks after a 40-byte header
    TBmpLayout S;
    S.Width = 2;
    S.Height = 1;
    S.Bits = 16;
    S.Compression = BI_BITFIELDS;
    Put32(S.Extra, 0xF800);
    Put32(S.Extra, 0x07E0);
    Put32(S.Extra, 0x001F);
    S.Pixels = {0x00, 0xF8, 0x1F, 0x00};
    Cases.push_back({"16-bit 565", S, {clRed, clBlue}});
  }
  for (auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    TBitmap B;
    LoadBytes(B, MakeBmp(C.Layout));
    ASSERT_EQ(B.Width() * B.Height(), int(C.Expected.size()));
    EXPECT_EQ(PixelsOf(B), C.Expected);
  }
}

TEST(Bitmap, DamagedDataRaisesAndKeepsThePicture) {
  TBmpLayout Good;
  Good.Pixels.assign(16, 0x80);
  struct TCase {
    const char* Name;
    std::function<void(TBmpLayout&)> Damage;
    std::function<void(Bytes&)> DamageBytes;
  };
  std::vector<TCase> Cases = {
      {"no signature", nullptr, [](Bytes& B) { B[1] = 'X'; }},
      {"file header cut", nullptr, [](Bytes& B) { B.resize(10); }},
      {"info header cut", nullptr, [](Bytes& B) { B.resize(30); }},
      {"unknown header size", [](TBmpLayout& S) { S.HeaderSize = 20; }, nullptr},
      {"zero width", [](TBmpLayout& S) { S.Width = 0; }, nullptr},
      {"huge height", [](TBmpLayout& S) { S.Height = 0x100000; }, nullptr},
      {"two planes", [](TBmpLayout& S) { S.Planes = 2; }, nullptr},
      {"seven bits", [](TBmpLayout& S) { S.Bits = 7; }, nullptr},
      {"too many colours", [](TBmpLayout& S) { S.Bits = 8; S.ClrUsed = 300; }, nullptr},
      {"palette cut", [](TBmpLayout& S) { S.Bits = 8; S.ClrUsed = 200; S.Extra.assign(10, 0); S.Pixels.clear(); }, nullptr},
      {"pixels cut", nullptr, [](Bytes& B) { B.pop_back(); }},
      {"bit fields at 24 bits", [](TBmpLayout& S) { S.Compression = BI_BITFIELDS; }, nullptr},
      {"unknown compression", [](TBmpLayout& S) { S.Compression = 9; }, nullptr},
      {"top-down RLE", [](TBmpLayout& S) { S.Bits = 8; S.Height = -2; S.Compression = BI_RLE8; }, nullptr},
      {"pixels beyond the end", [](TBmpLayout& S) { S.OffBits = 5000; }, nullptr},
  };
  for (auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    TBmpLayout S = Good;
    if (C.Damage) C.Damage(S);
    Bytes Data = MakeBmp(S);
    if (C.DamageBytes) C.DamageBytes(Data);
    TBitmap B;
    B.SetSize(3, 3);
    EXPECT_THROW(LoadBytes(B, Data), EInvalidGraphic);
    EXPECT_EQ(B.Width(), 3);
    EXPECT_FALSE(B.Empty());
  }
  // A compressed bitmap whose data stops early shows what there is.
  TBmpLayout Rle;
  Rle.Width = 4;
  Rle.Bits = 8;
  Rle.Compression = BI_RLE8;
  Rle.ClrUsed = 2;
  Rle.Extra = {0, 0, 255, 0, 255, 0, 0, 0};
  Rle.Pixels = {200, 1, 0};  // a run far past the row, then nothing
  TBitmap B;
  LoadBytes(B, MakeBmp(Rle));
  EXPECT_EQ(B.Canvas()->Pixels(3, 1), clBlue);
  EXPECT_EQ(B.Canvas()->Pixels(0, 0), clRed);
}

TEST(Bitmap, StreamsHoldingMoreThanOneBitmap) {
  TBitmap A;
  A.SetSize(3, 2);
  Bytes Data = SaveBytes(A);
  Data.insert(Data.end(), {'T', 'A', 'I', 'L'});
  TMemoryStream M;
  M.WriteBuffer(Data.data(), int64_t(Data.size()));
  M.SetPosition(0);
  TBitmap B;
  B.LoadFromStream(&M);
  char Tail[4];
  M.ReadBuffer(Tail, 4);
  EXPECT_EQ(std::string(Tail, 4), "TAIL");
  // Nothing at all reads as an empty bitmap, as an empty bitmap writes nothing.
  LoadBytes(B, {});
  EXPECT_TRUE(B.Empty());
  EXPECT_TRUE(SaveBytes(B).empty());
}

TEST(Bitmap, ResizeKeepsPixelsAndHandleLeavesTheCanvas) {
  TBitmap B;
  B.SetSize(4, 4);
  B.Canvas()->Brush()->SetColor(clRed);
  B.Canvas()->FillRect(Rect(0, 0, 4, 4));
  B.SetSize(8, 2);
  EXPECT_EQ(B.Canvas()->Pixels(3, 1), clRed);
  EXPECT_EQ(B.Canvas()->Pixels(6, 1), clWhite);
  // The handle can be selected elsewhere: it is no longer in the canvas's context.
  HDC DC = CreateCompatibleDC(nullptr);
  EXPECT_NE(SelectObject(DC, B.Handle()), nullptr);
  DeleteDC(DC);
  EXPECT_EQ(B.Canvas()->Pixels(0, 0), clRed);
  auto* Row = static_cast<uint8_t*>(B.ScanLine(0));
  EXPECT_EQ(Row[2], 255);  // red in a 32-bit row (blue, green, red, unused)
  EXPECT_THROW(B.ScanLine(2), EInvalidGraphicOperation);

  TBitmap Copy;
  Copy.Assign(&B);
  B.Canvas()->SetPixels(0, 0, clBlue);
  EXPECT_EQ(Copy.Canvas()->Pixels(0, 0), clRed);  // a copy, not a shared handle
}

// ---------------------------------------------------------------------------------------
// Icons.

// An icon of Size x Size: Colour everywhere but a transparent top-left pixel.
HICON MakeIcon(int Size, TColor Colour) {
  TBitmap Color, Mask;
  Color.SetPixelFormat(pf32bit);
  Color.SetSize(Size, Size);
  Color.Canvas()->Brush()->SetColor(Colour);
  Color.Canvas()->FillRect(Rect(0, 0, Size, Size));
  Color.Canvas()->SetPixels(0, 0, clBlack);
  Mask.SetPixelFormat(pf1bit);
  Mask.SetSize(Size, Size);
  Mask.Canvas()->Brush()->SetColor(clBlack);
  Mask.Canvas()->FillRect(Rect(0, 0, Size, Size));
  Mask.Canvas()->SetPixels(0, 0, clWhite);
  ICONINFO Info{TRUE, 0, 0, Mask.Handle(), Color.Handle()};
  return CreateIconIndirect(&Info);
}

TColor DrawnAt(TGraphic& G, int X, int Y) {
  TBitmap B;
  B.SetSize(G.Width(), G.Height());
  B.Canvas()->Draw(0, 0, &G);
  return B.Canvas()->Pixels(X, Y);
}

TEST(Icon, RoundTripThroughIcoData) {
  TIcon I;
  I.SetHandle(MakeIcon(16, clRed));
  EXPECT_EQ(I.Width(), 16);
  Bytes Ico = SaveBytes(I);
  ASSERT_GT(Ico.size(), 22u);
  TIcon L;
  LoadBytes(L, Ico);
  EXPECT_EQ(L.Width(), 16);
  EXPECT_EQ(L.Height(), 16);
  EXPECT_EQ(DrawnAt(L, 8, 8), clRed);
  EXPECT_EQ(DrawnAt(L, 0, 0), clWhite);  // transparent
  EXPECT_EQ(SaveBytes(L), Ico);          // written back as read
  EXPECT_THROW(L.SetWidth(32), EInvalidGraphicOperation);
}

TEST(Icon, PicksTheImageOfTheSystemsIconSize) {
  TIcon Small, Large;
  Small.SetHandle(MakeIcon(16, clRed));
  Large.SetHandle(MakeIcon(32, clBlue));
  Bytes S = SaveBytes(Small), L = SaveBytes(Large);
  // One file with both images: the directory, then the two images.
  Bytes Ico = {0, 0, 1, 0, 2, 0};
  uint32_t SSize = uint32_t(S.size() - 22), LSize = uint32_t(L.size() - 22);
  Ico.insert(Ico.end(), S.begin() + 6, S.begin() + 18);
  Put32(Ico, 6 + 32);
  Ico.insert(Ico.end(), L.begin() + 6, L.begin() + 18);
  Put32(Ico, 6 + 32 + SSize);
  Ico.insert(Ico.end(), S.begin() + 22, S.end());
  Ico.insert(Ico.end(), L.begin() + 22, L.end());
  ASSERT_EQ(Ico.size(), 6 + 32 + SSize + LSize);
  TIcon I;
  LoadBytes(I, Ico);
  EXPECT_EQ(I.Width(), GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(DrawnAt(I, 10, 10), GetSystemMetrics(SM_CXICON) == 32 ? clBlue : clRed);
}

TEST(Icon, DamagedDataRaises) {
  TIcon Src;
  Src.SetHandle(MakeIcon(16, clRed));
  const Bytes Good = SaveBytes(Src);
  struct TCase {
    const char* Name;
    std::function<void(Bytes&)> Damage;
  };
  std::vector<TCase> Cases = {
      {"empty", [](Bytes& B) { B.clear(); }},
      {"a cursor", [](Bytes& B) { B[2] = 2; }},
      {"no images", [](Bytes& B) { B[4] = 0; }},
      {"directory cut", [](Bytes& B) { B.resize(12); }},
      {"image beyond the end", [](Bytes& B) { B[18] = 0xFF; B[19] = 0xFF; }},
      {"image header size", [](Bytes& B) { B[22] = 20; }},
      {"image cut", [](Bytes& B) {
         B.resize(B.size() - 40);
         uint32_t Size = uint32_t(B.size() - 22);
         std::memcpy(&B[14], &Size, 4);
       }},
      {"huge image", [](Bytes& B) { B[26] = 0xFF; B[27] = 0x7F; }},
  };
  for (auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    Bytes Data = Good;
    C.Damage(Data);
    TIcon I;
    I.SetHandle(MakeIcon(16, clBlue));
    EXPECT_THROW(LoadBytes(I, Data), EInvalidGraphic);
    EXPECT_EQ(DrawnAt(I, 8, 8), clBlue);
  }
}

// ---------------------------------------------------------------------------------------
// JPEG.

std::unique_ptr<TBitmap> Gradient(int W, int H) {
  auto B = std::make_unique<TBitmap>();
  B->SetPixelFormat(pf24bit);
  B->SetSize(W, H);
  for (int Y = 0; Y < H; ++Y) {
    auto* Row = static_cast<uint8_t*>(B->ScanLine(Y));
    for (int X = 0; X < W; ++X) {
      Row[X * 3] = 128;                   // blue
      Row[X * 3 + 1] = uint8_t(Y * 255 / (H - 1));
      Row[X * 3 + 2] = uint8_t(X * 255 / (W - 1));
    }
  }
  return B;
}

int ColourDistance(TColor A, TColor B) {
  int D = 0;
  for (int Shift : {0, 8, 16}) D = std::max(D, std::abs(((int(A) >> Shift) & 255) - ((int(B) >> Shift) & 255)));
  return D;
}

// JPEG data made directly with libjpeg, of 1, 3 or 4 (Adobe CMYK) components.
Bytes EncodeRaw(int W, int H, int Components, J_COLOR_SPACE Space, const std::function<void(int, uint8_t*)>& Row) {
  jpeg_compress_struct C{};
  jpeg_error_mgr E{};
  C.err = jpeg_std_error(&E);
  jpeg_create_compress(&C);
  unsigned char* Buf = nullptr;
  unsigned long Len = 0;
  jpeg_mem_dest(&C, &Buf, &Len);
  C.image_width = W;
  C.image_height = H;
  C.input_components = Components;
  C.in_color_space = Space;
  jpeg_set_defaults(&C);
  jpeg_set_quality(&C, 95, TRUE);
  jpeg_start_compress(&C, TRUE);
  std::vector<uint8_t> Line(size_t(W) * Components);
  while (C.next_scanline < C.image_height) {
    Row(int(C.next_scanline), Line.data());
    JSAMPROW P = Line.data();
    jpeg_write_scanlines(&C, &P, 1);
  }
  jpeg_finish_compress(&C);
  jpeg_destroy_compress(&C);
  Bytes Out(Buf, Buf + Len);
  free(Buf);
  return Out;
}

TEST(Jpeg, CompressesABitmapAndReadsItBack) {
  auto Src = Gradient(64, 48);
  TJPEGImage J;
  J.Assign(Src.get());
  EXPECT_EQ(J.Width(), 64);
  Bytes Data = SaveBytes(J);
  ASSERT_GT(Data.size(), 100u);
  EXPECT_EQ(Data[0], 0xFF);
  EXPECT_EQ(Data[1], 0xD8);
  TJPEGImage L;
  LoadBytes(L, Data);
  EXPECT_EQ(L.Width(), 64);
  EXPECT_EQ(L.Height(), 48);
  EXPECT_FALSE(L.Grayscale());
  EXPECT_EQ(SaveBytes(L), Data);  // the data read is written back unchanged
  TBitmap B;
  B.Assign(&L);
  for (auto [X, Y] : {std::pair{0, 0}, {63, 0}, {32, 24}, {63, 47}})
    EXPECT_LE(ColourDistance(B.Canvas()->Pixels(X, Y), Src->Canvas()->Pixels(X, Y)), 16) << X << "," << Y;
  EXPECT_THROW(L.SetWidth(10), EInvalidGraphicOperation);
}

TEST(Jpeg, GrayscaleAndAdobeCmyk) {
  TJPEGImage Gray;
  LoadBytes(Gray, EncodeRaw(16, 16, 1, JCS_GRAYSCALE, [](int, uint8_t* P) { std::memset(P, 200, 16); }));
  EXPECT_TRUE(Gray.Grayscale());
  EXPECT_LE(ColourDistance(DrawnAt(Gray, 8, 8), Rgb(200, 200, 200)), 3);

  // Adobe's CMYK is stored inverted: red is C=255, M=0, Y=0, K=255.
  TJPEGImage Cmyk;
  LoadBytes(Cmyk, EncodeRaw(16, 16, 4, JCS_CMYK, [](int, uint8_t* P) {
              for (int X = 0; X < 16; ++X) P[X * 4] = 255, P[X * 4 + 1] = 0, P[X * 4 + 2] = 0, P[X * 4 + 3] = 255;
            }));
  EXPECT_LE(ColourDistance(DrawnAt(Cmyk, 8, 8), clRed), 8);
}

TEST(Jpeg, DamagedDataRaisesAndKeepsTheImage) {
  auto Src = Gradient(32, 32);
  TJPEGImage J;
  J.Assign(Src.get());
  Bytes Data = SaveBytes(J);
  Bytes Cut(Data.begin(), Data.begin() + Data.size() / 2);
  Bytes Garbage = {'h', 'e', 'l', 'l', 'o'};
  Bytes BadMarker = Data;
  BadMarker[3] ^= 0xFF;
  for (const Bytes* D : {&Cut, &Garbage, &BadMarker}) {
    TJPEGImage L;
    LoadBytes(L, Data);
    EXPECT_THROW(LoadBytes(L, *D), EJPEG);
    EXPECT_EQ(L.Width(), 32);
  }
  TJPEGImage Empty;
  EXPECT_THROW(LoadBytes(Empty, {}), EInvalidGraphic);
}

// ---------------------------------------------------------------------------------------
// Pictures.

// A graphic of a test format: "W H" as text.
class TTestGraphic : public TGraphic {
public:
  static const TClassInfo* StaticClassInfo() {
    static const TClassInfo Info = TClassBuilder<TTestGraphic, TGraphic>("TTestGraphic").Build();
    return &Info;
  }
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  bool Empty() const override { return W == 0; }
  int Width() const override { return W; }
  void SetWidth(int Value) override { W = Value; }
  int Height() const override { return H; }
  void SetHeight(int Value) override { H = Value; }
  void LoadFromStream(TStream* Stream) override {
    char Buf[32] = {};
    Stream->Read(Buf, 31);
    if (std::sscanf(Buf, "%d %d", &W, &H) != 2) throw EInvalidGraphic("not a test graphic");
  }
  void SaveToStream(TStream* Stream) override {
    std::string S = std::to_string(W) + " " + std::to_string(H);
    Stream->WriteBuffer(S.data(), int64_t(S.size()));
  }

protected:
  void Draw(TCanvas*, const TRect&) override {}

private:
  int W = 0, H = 0;
};

void WriteFile(const std::string& Name, const Bytes& Data) {
  TFileStream F(Name, fmCreate);
  F.WriteBuffer(Data.data(), int64_t(Data.size()));
}

TEST(Picture, LoadsByExtensionAndKeepsItsPictureOnFailure) {
  TBitmap B;
  B.SetSize(7, 5);
  TIcon I;
  I.SetHandle(MakeIcon(16, clRed));
  TJPEGImage J;
  J.Assign(Gradient(9, 9).get());
  const std::string Dir = TempDir();
  WriteFile(Dir + "\xD4\xE0\xE9\xEB.bmp", SaveBytes(B));  // a Cyrillic file name
  WriteFile(Dir + "i.ICO", SaveBytes(I));
  WriteFile(Dir + "j.jpg", SaveBytes(J));
  WriteFile(Dir + "j.JPEG", SaveBytes(J));
  WriteFile(Dir + "bad.bmp", {'B', 'M', 1, 2, 3});
  WriteFile(Dir + "x.xyz", {1, 2, 3});

  TPicture P;
  int Changes = 0;
  P.OnChange = [&](TObject*) { ++Changes; };
  struct TCase {
    std::string File;
    const char* Class;
    int Width;
  };
  for (const TCase& C : {TCase{"\xD4\xE0\xE9\xEB.bmp", "TBitmap", 7}, {"i.ICO", "TIcon", 16},
                         {"j.jpg", "TJPEGImage", 9}, {"j.JPEG", "TJPEGImage", 9}}) {
    SCOPED_TRACE(C.File);
    P.LoadFromFile(Dir + C.File);
    ASSERT_NE(P.Graphic(), nullptr);
    EXPECT_EQ(P.Graphic()->ClassName(), C.Class);
    EXPECT_EQ(P.Width(), C.Width);
  }
  EXPECT_GE(Changes, 4);
  try {
    P.LoadFromFile(Dir + "x.xyz");
    ADD_FAILURE() << "an unknown extension loaded";
  } catch (const EInvalidGraphic& E) {
    EXPECT_NE(E.Message().find(".xyz"), std::string::npos) << E.Message();
  }
  EXPECT_THROW(P.LoadFromFile(Dir + "bad.bmp"), EInvalidGraphic);
  EXPECT_THROW(P.LoadFromFile(Dir + "missing.bmp"), EFOpenError);
  EXPECT_EQ(P.Graphic()->ClassName(), "TJPEGImage");  // still the last good picture

  // Another unit's format takes one call.
  TPicture::RegisterFileFormat("tst", "Test pictures", TTestGraphic::StaticClassInfo());
  WriteFile(Dir + "t.tst", {'3', ' ', '4'});
  P.LoadFromFile(Dir + "t.tst");
  EXPECT_EQ(P.Graphic()->ClassName(), "TTestGraphic");
  EXPECT_EQ(P.Height(), 4);
  TPicture::UnregisterGraphicClass(TTestGraphic::StaticClassInfo());
  EXPECT_THROW(P.LoadFromFile(Dir + "t.tst"), EInvalidGraphic);
}

TEST(Picture, FormDataCarriesTheGraphicClassAndItsData) {
  TPicture P;
  P.Bitmap()->SetSize(6, 2);
  P.Bitmap()->Canvas()->SetPixels(1, 1, clRed);
  TBytes Data = P.Data();
  ASSERT_GT(Data.size(), 8u);
  EXPECT_EQ(Data[0], 7);
  EXPECT_EQ(std::string(Data.begin() + 1, Data.begin() + 8), "TBitmap");
  TPicture Q;
  Q.SetData(Data);
  ASSERT_NE(dynamic_cast<TBitmap*>(Q.Graphic()), nullptr);
  EXPECT_EQ(Q.Bitmap()->Canvas()->Pixels(1, 1), clRed);
  Q.SetData({});
  EXPECT_EQ(Q.Graphic(), nullptr);
  EXPECT_THROW(Q.SetData({20, 'T'}), EInvalidGraphic);
  EXPECT_THROW(Q.SetData({4, 'T', 'F', 'o', 'o', 0}), EInvalidGraphic);
  // Through the published property, as form resources reach it.
  TPicture R;
  SetBinaryProp(&R, "Data", Data);
  EXPECT_EQ(R.Width(), 6);

  // Asking for a bitmap of an icon picture gives an empty bitmap in its place.
  TPicture I;
  I.Icon()->SetHandle(MakeIcon(16, clRed));
  TBitmap* B = I.Bitmap();
  EXPECT_TRUE(B->Empty());
  EXPECT_EQ(I.Graphic(), B);
  I.Assign(&P);
  EXPECT_EQ(I.Width(), 6);
  EXPECT_NE(I.Graphic(), P.Graphic());
}

// An image control shows its picture at its own size, centred or stretched, takes the
// picture's size with AutoSize, and repaints when the picture changes.
TEST(Image, ShowsItsPictureAndFollowsItsChanges) {
  std::unique_ptr<TForm> F(CreateForm<TForm>(nullptr));
  F->SetBounds(0, 0, 200, 150);
  auto* Image = new TImage(F.get());
  Image->SetParent(F.get());
  Image->SetBounds(20, 10, 30, 20);
  Image->SetAutoSize(true);
  TBitmap Red;
  Red.SetSize(10, 6);
  Red.Canvas()->Brush()->SetColor(clRed);
  Red.Canvas()->FillRect(Rect(0, 0, 10, 6));
  Image->Picture()->SetGraphic(&Red);
  EXPECT_EQ(Image->BoundsRect(), Rect(20, 10, 30, 16));

  Image->SetAutoSize(false);
  Image->SetBounds(20, 10, 30, 20);
  auto Paint = [&](int X, int Y) {
    TBitmap Face;
    Face.SetSize(30, 20);
    Face.Canvas()->Brush()->SetColor(clWhite);
    Face.Canvas()->FillRect(Rect(0, 0, 30, 20));
    Image->PaintTo(Face.Canvas()->Handle());
    return Face.Canvas()->Pixels(X, Y);
  };
  EXPECT_EQ(Image->DestRect(), Rect(0, 0, 10, 6));
  EXPECT_EQ(Paint(5, 3), clRed);
  EXPECT_EQ(Paint(15, 10), clWhite);
  Image->SetCenter(true);
  EXPECT_EQ(Image->DestRect(), Rect(10, 7, 20, 13));
  EXPECT_EQ(Paint(15, 10), clRed);
  EXPECT_EQ(Paint(2, 2), clWhite);
  Image->SetStretch(true);
  EXPECT_EQ(Image->DestRect(), Rect(0, 0, 30, 20));
  EXPECT_EQ(Paint(2, 2), clRed);

  // A change of the picture, also through its graphic, repaints the control's place.
  F->Show();
  PumpMessages();
  RECT Dirty;
  ASSERT_FALSE(GetUpdateRect(F->Handle(), &Dirty, FALSE));
  Image->Picture()->Bitmap()->Canvas()->SetPixels(0, 0, clBlue);
  ASSERT_TRUE(GetUpdateRect(F->Handle(), &Dirty, FALSE));
  EXPECT_EQ(TRect(Dirty), Image->BoundsRect());

  // Transparent passes to every graphic the picture gets.
  Image->SetTransparent(true);
  EXPECT_TRUE(Image->Picture()->Graphic()->Transparent());
  Image->Picture()->SetGraphic(&Red);
  EXPECT_TRUE(Image->Picture()->Graphic()->Transparent());
  Image->Picture()->SetGraphic(nullptr);
  EXPECT_EQ(Paint(2, 2), clWhite);
}

}  // namespace
