// The GIF reader, LZW decoder and encoder and writer, against ImageMagick's fixtures and
// against hostile data made here.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "ui/core/gif_codec.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadFixture(const std::string& Name) {
  std::ifstream F(std::string(ZX_TEST_DATA) + "/fixtures/" + Name, std::ios::binary);
  EXPECT_TRUE(F.good()) << Name;
  return Bytes(std::istreambuf_iterator<char>(F), {});
}

TGIFFileData Read(const Bytes& B, bool Accept = false) {
  TGIFFileData D;
  GIFReadFile(B.data(), B.size(), D, Accept);
  return D;
}

// The frame's pixels as RGB through its table.
Bytes Rgb(TGIFFrameData& F) {
  Bytes Px = GIFDecodeFrame(F, false);
  Bytes Out;
  for (uint8_t P : Px) Out.insert(Out.end(), F.Table.Colors[P], F.Table.Colors[P] + 3);
  return Out;
}

void Add16(Bytes& B, int V) {
  B.push_back(uint8_t(V));
  B.push_back(uint8_t(V >> 8));
}

// A header with a global table of 2^Bits grey entries.
Bytes Header(int W, int H, int Bits = 2, const char* Sig = "GIF89a", int Background = 0) {
  Bytes B(Sig, Sig + 6);
  Add16(B, W);
  Add16(B, H);
  B.push_back(uint8_t(0x80 | ((Bits - 1) << 4) | (Bits - 1)));
  B.push_back(uint8_t(Background));
  B.push_back(0);
  for (int I = 0; I < (1 << Bits); ++I) B.insert(B.end(), 3, uint8_t(I * 255 / ((1 << Bits) - 1)));
  return B;
}

// An image descriptor with no local table and the given LZW data (code size and sub-blocks).
void Image(Bytes& B, int L, int T, int W, int H, const Bytes& Lzw, uint8_t Flags = 0) {
  B.push_back(',');
  Add16(B, L);
  Add16(B, T);
  Add16(B, W);
  Add16(B, H);
  B.push_back(Flags);
  B.insert(B.end(), Lzw.begin(), Lzw.end());
}

Bytes Encoded(const Bytes& Px, int W, int H, int Bpp) { return GIFEncodePixels(Px.data(), W, H, Bpp); }

Bytes Gif(int W, int H, const Bytes& Px, int Bits = 2) {
  Bytes B = Header(W, H, Bits);
  Image(B, 0, 0, W, H, Encoded(Px, W, H, Bits <= 1 ? 1 : Bits <= 4 ? 4 : 8));
  B.push_back(';');
  return B;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Fixtures made by make-fixtures.sh: our pixels must be ImageMagick's.

TEST(GifFixtures, PixelsMatchImageMagick) {
  for (const char* Name : {"interlaced8", "mono1", "big8"}) {
    TGIFFileData D = Read(ReadFixture(std::string(Name) + ".gif"));
    ASSERT_EQ(D.Frames.size(), 1u) << Name;
    EXPECT_FALSE(D.Frames[0].Corrupted) << Name;
    EXPECT_EQ(Rgb(D.Frames[0]), ReadFixture(std::string(Name) + ".rgb")) << Name;
    EXPECT_FALSE(D.Frames[0].Corrupted) << Name;
  }
}

TEST(GifFixtures, InterlacedAndBitDepths) {
  TGIFFileData I = Read(ReadFixture("interlaced8.gif"));
  EXPECT_TRUE(I.Frames[0].Interlaced);
  EXPECT_EQ(GIFBitmapBits(I.Frames[0].TableBits), 8);
  TGIFFileData M = Read(ReadFixture("mono1.gif"));
  EXPECT_FALSE(M.Frames[0].Interlaced);
  EXPECT_EQ(M.Frames[0].TableBits, 1);
  EXPECT_EQ(GIFBitmapBits(1), 1);
  TGIFFileData B = Read(ReadFixture("big8.gif"));
  // A comment before the image belongs to the frame, not to the image's comment.
  EXPECT_TRUE(B.Comment.empty());
  int Comments = 0;
  for (const TGIFExtension& E : B.Frames[0].Extensions)
    if (E.Kind == ekComment) {
      ++Comments;
      EXPECT_EQ(E.Data, (std::vector<std::string>{"Zembrix test"}));
    }
  EXPECT_EQ(Comments, 1);
}

TEST(GifFixtures, FramesWithLocalTablesDelaysAndLoop) {
  TGIFFileData D = Read(ReadFixture("frames.gif"));
  ASSERT_EQ(D.Frames.size(), 3u);
  EXPECT_EQ(D.Version, gv89a);
  EXPECT_EQ(D.ScreenWidth, 12);
  EXPECT_EQ(D.ScreenHeight, 10);
  EXPECT_TRUE(D.Looping);
  EXPECT_EQ(D.Frames[0].Interval, 200);
  EXPECT_EQ(D.Frames[1].Interval, 300);
  EXPECT_EQ(D.Frames[2].Interval, 400);
  EXPECT_EQ(D.Frames[1].Left, 2);
  EXPECT_EQ(D.Frames[1].Top, 3);
  EXPECT_EQ(D.Frames[1].Width, 5);
  EXPECT_EQ(D.Frames[1].Height, 4);
  EXPECT_TRUE(D.Frames[1].LocalTable || D.Frames[2].LocalTable);
  for (int I = 0; I < 3; ++I)
    EXPECT_EQ(Rgb(D.Frames[I]), ReadFixture("frames-" + std::to_string(I) + ".rgb")) << I;
}

TEST(GifFixtures, TransparentFrame) {
  TGIFFileData D = Read(ReadFixture("transparent.gif"));
  ASSERT_EQ(D.Frames.size(), 1u);
  TGIFFrameData& F = D.Frames[0];
  ASSERT_GE(F.TransparentIndex, 0);
  Bytes Px = GIFDecodeFrame(F, false);
  EXPECT_EQ(Px[0], F.TransparentIndex);                 // a corner
  EXPECT_NE(Px[10 * 20 + 10], F.TransparentIndex);      // the disc's centre
  EXPECT_EQ(F.Table.Colors[Px[10 * 20 + 10]][0], 255);  // red
}

TEST(GifFixtures, BitmapFileOfAFrame) {
  TGIFFileData D = Read(ReadFixture("mono1.gif"));
  TGIFFrameData& F = D.Frames[0];
  Bytes Px = GIFDecodeFrame(F, false);
  Bytes Bmp = GIFFrameToBmp(F, Px);
  ASSERT_GE(Bmp.size(), 62u);
  EXPECT_EQ(Bmp[0], 'B');
  EXPECT_EQ(Bmp[28], 1);                       // bits per pixel
  EXPECT_EQ(Bmp[10], 14 + 40 + 8);             // bits offset: 2 palette entries
  const size_t Stride = 4;                     // 17 pixels of 1 bit, padded
  EXPECT_EQ(Bmp.size(), 62u + Stride * 9);
  // The top row is stored last; its first pixel is bit 7 of its first byte.
  int Top = (Bmp[62 + Stride * 8] >> 7) & 1;
  EXPECT_EQ(Top, Px[0]);
  // A 3-bit table makes a 4-bit bitmap whose unused palette entries are 0x80.
  TGIFFrameData G;
  G.Width = 3;
  G.Height = 1;
  G.TableBits = 3;
  G.Table.Count = 8;
  Bytes B4 = GIFFrameToBmp(G, Bytes{1, 2, 3});
  EXPECT_EQ(B4[28], 4);
  EXPECT_EQ(B4[54 + 4 * 8], 0x80);
  EXPECT_EQ(B4[54 + 64], 0x12);
  EXPECT_EQ(B4[54 + 65], 0x30);
  G.TableBits = 9;
  EXPECT_THROW(GIFFrameToBmp(G, Bytes{1, 2, 3}), EGIFError);
}

// ---------------------------------------------------------------------------------------
// Encoding

TEST(GifEncode, RoundTripAtEveryDepth) {
  std::mt19937 Rng(5);
  for (int Bpp : {1, 4, 8}) {
    // Noise fills the table up to its 12-bit limit and forces clears; runs make long strings.
    for (int Kind = 0; Kind < 2; ++Kind) {
      const int W = 173, H = 131;
      Bytes Px(size_t(W) * H);
      for (size_t I = 0; I < Px.size(); ++I)
        Px[I] = uint8_t(Kind == 0 ? Rng() % (1u << Bpp) : (I / 97) % (1u << Bpp));
      Bytes File = Gif(W, H, Px, Bpp);
      TGIFFileData D = Read(File);
      ASSERT_EQ(D.Frames.size(), 1u);
      EXPECT_EQ(GIFDecodeFrame(D.Frames[0], false), Px) << Bpp << " " << Kind;
      EXPECT_FALSE(D.Frames[0].Corrupted);
    }
  }
}

TEST(GifEncode, SmallSizesAndMinimumCodeSize) {
  EXPECT_EQ(Encoded(Bytes{1}, 1, 1, 1)[0], 2);  // 1-bit images use code size 2
  EXPECT_EQ(Encoded(Bytes{1}, 1, 1, 4)[0], 4);
  EXPECT_EQ(Encoded(Bytes{1}, 1, 1, 8)[0], 8);
  EXPECT_THROW(Encoded(Bytes{1}, 1, 1, 24), EGIFError);
  for (int N : {1, 2, 3, 254, 255, 256, 4093, 4094, 4095, 4096, 5000}) {
    Bytes Px(N);
    for (int I = 0; I < N; ++I) Px[I] = uint8_t(I * 7 % 256);
    TGIFFileData D = Read(Gif(N, 1, Px, 8));
    EXPECT_EQ(GIFDecodeFrame(D.Frames[0], false), Px) << N;
  }
}

TEST(GifEncode, ReducesColours) {
  Bytes Bgr = {0, 0, 255, 0, 255, 0, 0, 0, 255};
  TGIFColorTable T;
  Bytes Px;
  GIFReduceColors(Bgr.data(), 3, 1, T, Px);
  EXPECT_EQ(T.Count, 2);
  EXPECT_EQ(Px, (Bytes{0, 1, 0}));
  EXPECT_EQ(T.Colors[0][0], 255);  // red, as RGB
  Bytes Many;
  for (int I = 0; I < 300; ++I) Many.insert(Many.end(), {uint8_t(I), uint8_t(I / 2), uint8_t(255 - I % 256)});
  GIFReduceColors(Many.data(), 300, 1, T, Px);
  EXPECT_EQ(T.Count, 256);
  EXPECT_EQ(Px.size(), 300u);
}

// ---------------------------------------------------------------------------------------
// Writing

TEST(GifWrite, VersionLoopAndComment) {
  TGIFFileData D = Read(ReadFixture("frames.gif"));
  D.RepeatCount = 7;
  Bytes Out = GIFWriteFile(D);
  TGIFFileData Again = Read(Out);
  ASSERT_EQ(Again.Frames.size(), 3u);
  EXPECT_TRUE(Again.Looping);
  EXPECT_EQ(Again.RepeatCount, 7);
  for (int I = 0; I < 3; ++I) {
    EXPECT_EQ(Again.Frames[I].Lzw, D.Frames[I].Lzw);  // stored data written unchanged
    EXPECT_EQ(Again.Frames[I].Interval, D.Frames[I].Interval);
    EXPECT_EQ(Rgb(Again.Frames[I]), ReadFixture("frames-" + std::to_string(I) + ".rgb"));
  }

  // One frame: no loop extension even when looping; no extension at all: 87a.
  TGIFFileData One = Read(Gif(2, 2, Bytes{0, 1, 2, 3}));
  One.Looping = true;
  One.Version = gvUnknown;
  Out = GIFWriteFile(One);
  EXPECT_EQ(std::string(Out.begin(), Out.begin() + 6), "GIF87a");
  EXPECT_EQ(std::string(Out.begin(), Out.end()).find("NETSCAPE"), std::string::npos);

  // A comment line of 300 characters goes into sub-blocks of 255 and 45; empty lines are
  // skipped.
  std::string Long;
  for (int I = 0; I < 300; ++I) Long += char('a' + I % 26);
  One.Comment = {Long, "", "ok"};
  Out = GIFWriteFile(One);
  EXPECT_EQ(std::string(Out.begin(), Out.begin() + 6), "GIF89a");
  std::string S(Out.begin(), Out.end());
  size_t C = S.find("\x21\xFE");
  ASSERT_NE(C, std::string::npos);
  EXPECT_EQ(uint8_t(S[C + 2]), 255);
  EXPECT_EQ(S.substr(C + 3, 255), Long.substr(0, 255));
  EXPECT_EQ(uint8_t(S[C + 3 + 255]), 45);
  EXPECT_EQ(S.substr(C + 4 + 255, 45), Long.substr(255));
  EXPECT_EQ(uint8_t(S[C + 4 + 300]), 2);
  EXPECT_EQ(S.substr(C + 5 + 300, 2), "ok");
  EXPECT_EQ(S[C + 7 + 300], 0);
  // The sub-blocks of one comment are one text again.
  EXPECT_EQ(Read(Out).Comment, (std::vector<std::string>{Long + "ok"}));
  One.Comment = {Long};
  EXPECT_EQ(Read(GIFWriteFile(One)).Comment, (std::vector<std::string>{Long}));
  // Exactly one sub-block's worth needs no second one.
  One.Comment = {std::string(255, 'y')};
  Out = GIFWriteFile(One);
  S.assign(Out.begin(), Out.end());
  C = S.find("\x21\xFE");
  EXPECT_EQ(uint8_t(S[C + 2]), 255);
  EXPECT_EQ(S[C + 3 + 255], 0);

  TGIFFileData Empty;
  EXPECT_THROW(GIFWriteFile(Empty), EGIFError);
}

TEST(GifWrite, GraphicControlFromFrameSettings) {
  TGIFFileData D = Read(Gif(2, 2, Bytes{0, 1, 2, 3}));
  D.Frames[0].Interval = 120;
  D.Frames[0].TransparentIndex = 2;
  D.Frames[0].Disposal = gdRestoreBackground;
  TGIFExtension Blank;
  Blank.Kind = ekComment;
  D.Frames[0].Extensions.push_back(Blank);
  Bytes Out = GIFWriteFile(D);
  TGIFFileData Again = Read(Out);
  ASSERT_EQ(Again.Frames[0].Extensions.size(), 1u);  // the empty comment is gone
  EXPECT_EQ(Again.Frames[0].Interval, 120);
  EXPECT_EQ(Again.Frames[0].TransparentIndex, 2);
  EXPECT_EQ(Again.Frames[0].Disposal, gdRestoreBackground);
  // Without a transparent index the bit is cleared.
  D.Frames[0].TransparentIndex = -1;
  EXPECT_EQ(Read(GIFWriteFile(D)).Frames[0].TransparentIndex, -1);
}

// ---------------------------------------------------------------------------------------
// Reading: the edge cases of the format

TEST(GifRead, SignatureAndVersion) {
  Bytes B = Gif(2, 2, Bytes{0, 1, 2, 3});
  std::copy_n("gIf89A", 6, B.begin());
  EXPECT_EQ(Read(B).Version, gv89a);
  std::copy_n("gif87a", 6, B.begin());
  EXPECT_EQ(Read(B).Version, gv87a);
  for (const char* Bad : {"GIF88a", "JIF89a", "GIF89b"}) {
    std::copy_n(Bad, 6, B.begin());
    try {
      Read(B, true);
      ADD_FAILURE() << Bad;
    } catch (const EGIFError& E) {
      EXPECT_STREQ(E.what(), SGIFVersion);
    }
  }
  EXPECT_TRUE(Read(Bytes{}).Frames.empty());  // nothing to read: simply empty
  EXPECT_THROW(Read(Bytes{'G', 'I', 'F', '8', '9', 'a', 1}), EReadError);
}

TEST(GifRead, ExtensionsLoopAndTransparency) {
  Bytes B = Header(4, 4, 2);
  // A loop count above 30000.
  const char App[] = "\x21\xFF\x0BNETSCAPE2.0\x03\x01\x50\xC3";
  B.insert(B.end(), App, App + 18);
  B.push_back(0);
  // Graphic control with a transparent index 9, beyond the 4-entry table, then a good one.
  B.insert(B.end(), {0x21, 0xF9, 4, 0x05, 10, 0, 9, 0});
  Image(B, 0, 0, 0, 0, Encoded(Bytes(16, 1), 4, 4, 4));
  B.insert(B.end(), {0x21, 0xF9, 4, 0x0D, 3, 0, 2, 0});
  Image(B, 0, 0, 4, 4, Encoded(Bytes(16, 1), 4, 4, 4));
  B.push_back(';');
  TGIFFileData D = Read(B);
  EXPECT_TRUE(D.Looping);
  EXPECT_EQ(D.RepeatCount, 30000);
  ASSERT_EQ(D.Frames.size(), 2u);
  EXPECT_EQ(D.Frames[0].Width, 4);  // 0 takes the screen's
  EXPECT_EQ(D.Frames[0].Height, 4);
  EXPECT_EQ(D.Frames[0].TransparentIndex, -1);
  EXPECT_EQ(D.Frames[0].Disposal, 1);
  EXPECT_EQ(D.Frames[0].Interval, 100);
  EXPECT_EQ(D.Frames[1].TransparentIndex, 2);
  EXPECT_EQ(D.Frames[1].Disposal, 3);
  EXPECT_EQ(D.Frames[1].Interval, 30);
  EXPECT_EQ(D.BackgroundIndex, 0);
}

TEST(GifRead, PlainTextDropsWhatPrecedesItAndUnknownLabels) {
  Bytes B = Header(2, 2, 2);
  B.insert(B.end(), {0x21, 0xFE, 2, 'h', 'i', 0});
  B.insert(B.end(), {0x21, 0x01, 12, 0, 0, 0, 0, 2, 0, 2, 0, 1, 1, 0, 0, 1, 'x', 0});
  Image(B, 0, 0, 2, 2, Encoded(Bytes(4, 0), 2, 2, 4));
  B.push_back(';');
  TGIFFileData D = Read(B);
  ASSERT_EQ(D.Frames.size(), 1u);
  EXPECT_TRUE(D.Frames[0].Extensions.empty());

  Bytes U = Header(2, 2, 2);
  U.insert(U.end(), {0x21, 0x7A, 0});
  try {
    Read(U);
    FAIL();
  } catch (const EGIFError& E) {
    EXPECT_NE(std::string(E.what()).find("GIF: 7a"), std::string::npos);
  }

  // Two trailing comments become the image's comment, an empty line between them.
  Bytes C = Gif(2, 2, Bytes(4, 0));
  C.pop_back();
  C.insert(C.end(), {0x21, 0xFE, 1, 'a', 0, 0x21, 0xFE, 1, 'b', 0, ';'});
  EXPECT_EQ(Read(C).Comment, (std::vector<std::string>{"a", "", "b"}));
}

// ---------------------------------------------------------------------------------------
// Hostile data: never a crash, a clear error or a corrupted flag, never a false success.

TEST(GifHostile, EveryTruncation) {
  for (const char* Name : {"frames.gif", "interlaced8.gif", "big8.gif"}) {
    Bytes Full = ReadFixture(Name);
    for (size_t N = 0; N < Full.size(); ++N) {
      Bytes Cut(Full.begin(), Full.begin() + N);
      try {
        TGIFFileData D = Read(Cut, false);
        for (TGIFFrameData& F : D.Frames) GIFDecodeFrame(F, false);
        // Without damage accepted, a cut file only loads when the cut is past the frames'
        // data: only the trailer (or a trailing comment) is missing.
      } catch (const EReadError&) {
      } catch (const EGIFError&) {
      }
      TGIFFileData D;
      try {
        D = Read(Cut, true);
      } catch (const EReadError&) {
        // Only a cut screen descriptor or global table is beyond saving.
        EXPECT_LT(N, 13u + ((Full[10] & 0x80) ? 3u << ((Full[10] & 7) + 1) : 0u)) << Name;
        continue;
      }
      for (TGIFFrameData& F : D.Frames) {
        Bytes Px = GIFDecodeFrame(F, true);
        EXPECT_EQ(Px.size(), size_t(F.Width) * F.Height);
      }
    }
  }
}

TEST(GifHostile, CutSubBlockIsMarkedAndKeptWellFormed) {
  Bytes Full = Gif(8, 8, Bytes(64, 3));
  Bytes Cut(Full.begin(), Full.end() - 4);  // inside the only sub-block
  EXPECT_THROW(Read(Cut, false), EReadError);
  TGIFFileData D = Read(Cut, true);
  EXPECT_TRUE(D.Corrupted);
  ASSERT_EQ(D.Frames.size(), 1u);
  EXPECT_TRUE(D.Frames[0].Corrupted);
  // What was kept writes back as a well-formed file.
  Bytes Out = GIFWriteFile(D);
  EXPECT_EQ(Read(Out, false).Frames.size(), 1u);
}

TEST(GifHostile, BadLzwCodes) {
  auto Frame = [](const Bytes& Lzw) {
    TGIFFrameData F;
    F.Width = 4;
    F.Height = 4;
    F.TableBits = 2;
    F.Table.Count = 4;
    F.Lzw = Lzw;
    return F;
  };
  // Code size 2: clear 4, end 5, width 3. Codes (3 bits, LSB first):
  // 4 (clear), 1, 7 (beyond the next free code 6).
  {
    TGIFFrameData F = Frame({2, 2, uint8_t(4 | (1 << 3) | (7 << 6)), uint8_t(7 >> 2), 0});
    EXPECT_THROW(GIFDecodeFrame(F, false), EGIFError);
    TGIFFrameData G = Frame(F.Lzw);
    Bytes Px = GIFDecodeFrame(G, true);
    EXPECT_TRUE(G.Corrupted);
    EXPECT_EQ(Px[0], 1);
    EXPECT_EQ(Px[1], 0);  // not reached
  }
  // A first code that is not a literal (6 after the clear).
  {
    TGIFFrameData F = Frame({2, 1, uint8_t(4 | (6 << 3)), 0});
    EXPECT_THROW(GIFDecodeFrame(F, false), EGIFError);
  }
  // Code sizes outside 2..9.
  for (uint8_t Size : {0, 1, 10, 255}) {
    TGIFFrameData F = Frame({Size, 1, 0xFF, 0});
    try {
      GIFDecodeFrame(F, false);
      ADD_FAILURE() << int(Size);
    } catch (const EGIFError& E) {
      EXPECT_STREQ(E.what(), SGIFCodeSizeError);
    }
    TGIFFrameData G = Frame(F.Lzw);
    GIFDecodeFrame(G, true);
    EXPECT_TRUE(G.Corrupted);
  }
  // Data that ends with rows left: the decoder stops at its end.
  {
    TGIFFrameData F = Frame({2, 1, uint8_t(4 | (1 << 3)), 0});
    Bytes Px = GIFDecodeFrame(F, true);
    EXPECT_TRUE(F.Corrupted);
    EXPECT_EQ(Px[0], 1);
    EXPECT_EQ(Px[15], 0);
    TGIFFrameData G = Frame({2, 0});  // no data at all, and no terminator
    GIFDecodeFrame(G, true);
    EXPECT_TRUE(G.Corrupted);
    TGIFFrameData H = Frame({2, 200, 1});  // a sub-block length beyond the data
    GIFDecodeFrame(H, true);
    EXPECT_TRUE(H.Corrupted);
  }
  // Code size 9 makes literals beyond a byte: masked into the bitmap's bits.
  {
    TGIFFrameData F = Frame({});
    F.TableBits = 8;
    std::vector<uint8_t> L = {9, 2, 0, 0, 0};
    // Code 511 at 10 bits: the first code.
    L[2] = 0xFF;
    L[3] = 0x01;
    F.Lzw = L;
    F.Width = 1;
    F.Height = 1;
    Bytes Px = GIFDecodeFrame(F, false);
    EXPECT_EQ(Px[0], 0xFF);
  }
}

TEST(GifHostile, SizesAndStrayBytes) {
  // A declared size far beyond anything real is refused, not allocated.
  Bytes B = Header(65535, 65535, 2);
  Image(B, 0, 0, 0, 0, Bytes{2, 1, 0x44, 0});
  B.push_back(';');
  try {
    Read(B, true);
    FAIL();
  } catch (const EGIFError& E) {
    EXPECT_STREQ(E.what(), SGIFTooLarge);
  }
  // A zero-sized screen and frame: an empty frame, no pixels, no failure.
  Bytes Z = Header(0, 0, 2);
  Image(Z, 0, 0, 0, 0, Bytes{2, 1, 0x44, 0});
  Z.push_back(';');
  TGIFFileData D = Read(Z);
  ASSERT_EQ(D.Frames.size(), 1u);
  EXPECT_TRUE(GIFDecodeFrame(D.Frames[0], false).empty());
  // A frame reaching past the logical screen keeps its own size and decodes whole.
  Bytes P = Header(4, 4, 2);
  Image(P, 3, 3, 6, 5, Encoded(Bytes(30, 2), 6, 5, 4));
  P.push_back(';');
  D = Read(P);
  EXPECT_EQ(GIFDecodeFrame(D.Frames[0], false), Bytes(30, 2));
  // A stray byte where a block should start.
  Bytes S = Header(2, 2, 2);
  S.push_back('X');
  EXPECT_THROW(Read(S, false), EReadError);
  EXPECT_TRUE(Read(S, true).Corrupted);
  // A stray byte after a frame ends the blocks; the frame stays.
  Bytes T = Gif(2, 2, Bytes(4, 1));
  T.back() = 'X';
  EXPECT_EQ(Read(T).Frames.size(), 1u);
}

TEST(GifDecode, ProgressStages) {
  TGIFFileData D = Read(ReadFixture("big8.gif"));
  std::vector<int> Stages;
  int Last = -1;
  GIFDecodeFrame(D.Frames[0], false, [&](int Stage, int Percent) {
    if (Stages.empty() || Stages.back() != Stage) Stages.push_back(Stage);
    EXPECT_GE(Percent, 0);
    EXPECT_LE(Percent, 100);
    Last = Percent;
  });
  EXPECT_EQ(Stages, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(Last, 100);
}
