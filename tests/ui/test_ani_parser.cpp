#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/core/ani_parser.h"

#include "ani_test_file.h"

namespace {

using namespace ani_test;

TAniFileData Read(const Bytes& B) {
  TAniFileData D;
  AniReadFile(B.data(), B.size(), D);
  return D;
}

}  // namespace

TEST(AniParser, FramesRatesSequenceAndTexts) {
  TAniFileData D = Read(Sample());
  ASSERT_EQ(D.Frames.size(), 2u);
  EXPECT_EQ(D.Header.FrameCount, 2u);
  EXPECT_EQ(D.Header.StepCount, 2u);
  EXPECT_EQ(D.Header.DisplayRate, 10u);
  EXPECT_EQ(D.Title, "Spin");
  EXPECT_EQ(D.Author, "Zem");
  EXPECT_EQ(D.MaxColors, 256);
  // frame 0 has sequence index 1, so it took the second icon (the cursor)
  const TAniFrameData& F0 = D.Frames[0];
  EXPECT_EQ(F0.Sequence, 1u);
  EXPECT_EQ(F0.JiffRate, 7u);
  EXPECT_FALSE(F0.IsIcon);
  EXPECT_EQ(F0.HotSpotX, 3);
  EXPECT_EQ(F0.HotSpotY, 5);
  EXPECT_EQ(F0.IconData[2], 1);  // loads as an icon
  EXPECT_EQ(F0.ChunkId, AniFourCC("icon"));
  EXPECT_EQ(F0.ChunkSize, F0.IconData.size());
  const TAniFrameData& F1 = D.Frames[1];
  EXPECT_EQ(F1.Sequence, 0u);
  EXPECT_EQ(F1.JiffRate, 9u);
  EXPECT_TRUE(F1.IsIcon);
  EXPECT_EQ(F1.HotSpotX, 8);
  EXPECT_EQ(F1.HotSpotY, 8);
  EXPECT_EQ(F1.IconData, IconFile(1, 8));
}

TEST(AniParser, ExtraIconsAreAppendedWithTheDefaultRate) {
  Bytes Body = Chunk("anih", Anih(1, 1, 4, AF_ICON));
  Bytes Fram;
  for (int I = 0; I < 3; ++I) Append(Fram, Chunk("icon", IconFile(1, 1)));
  Append(Body, List("fram", Fram));
  TAniFileData D = Read(Riff(Body));
  ASSERT_EQ(D.Frames.size(), 3u);
  EXPECT_EQ(D.Header.StepCount, 3u);
  EXPECT_EQ(D.MaxColors, 2);
  for (uint32_t I = 0; I < 3; ++I) {
    EXPECT_EQ(D.Frames[I].Sequence, I);
    EXPECT_EQ(D.Frames[I].JiffRate, 4u);
  }
}

TEST(AniParser, FramesWithoutIconsAreDropped) {
  Bytes Body = Chunk("anih", Anih(3, 3, 4, AF_ICON));
  Append(Body, List("fram", Chunk("icon", IconFile(1, 4))));
  TAniFileData D = Read(Riff(Body));
  ASSERT_EQ(D.Frames.size(), 1u);
  EXPECT_EQ(D.Header.StepCount, 1u);
  EXPECT_EQ(D.Header.FrameCount, 3u);  // as stored
}

TEST(AniParser, LongTitleIsCut) {
  Bytes Body = Chunk("anih", Anih(1, 1, 4, AF_ICON));
  Append(Body, List("INFO", Chunk("INAM", Bytes(300, 'a'))));
  Append(Body, List("fram", Chunk("icon", IconFile(1, 4))));
  EXPECT_EQ(Read(Riff(Body)).Title, std::string(255, 'a'));
}

TEST(AniParser, OddChunkIsFollowedByAPadByte) {
  // the 3-byte chunk's pad byte is 'X'; were it not skipped, the next header would be off by one
  Bytes Body = Chunk("anih", Anih(1, 1, 4, AF_ICON));
  Bytes Odd = Chunk("abcd", Bytes{1, 2, 3});
  Odd.back() = 'X';
  Append(Body, Odd);
  Append(Body, List("fram", Chunk("icon", IconFile(1, 4))));
  EXPECT_EQ(Read(Riff(Body)).Frames.size(), 1u);
}

TEST(AniParser, CutTrailingChunkEndsTheLoop) {
  Bytes B = Sample();
  Append(B, Chunk("LIST", Bytes(40, 0)));
  B.resize(B.size() - 20);  // header says 40, only 20 follow
  EXPECT_EQ(Read(B).Frames.size(), 2u);
}

namespace {

struct TBadCase {
  const char* Name;
  Bytes Data;
};

Bytes WithFram(Bytes Body, const Bytes& Icon) {
  Append(Body, List("fram", Chunk("icon", Icon)));
  return Riff(Body);
}

std::vector<TBadCase> BadCases() {
  Bytes Good = Chunk("anih", Anih(1, 1, 4, AF_ICON));
  Bytes Icon = IconFile(1, 4);
  std::vector<TBadCase> T;
  T.push_back({"empty", {}});
  T.push_back({"short RIFF header", Bytes{'R', 'I', 'F', 'F', 0}});
  T.push_back({"no RIFF", [&] { Bytes B = WithFram(Good, Icon); B[0] = 'X'; return B; }()});
  T.push_back({"no ACON", [&] { Bytes B = Good; Append(B, List("fram", Chunk("icon", Icon))); return Riff(B, "AVI "); }()});
  T.push_back({"icon flag cleared", WithFram(Chunk("anih", Anih(1, 1, 4, 0)), Icon)});
  T.push_back({"step count 0", WithFram(Chunk("anih", Anih(1, 0, 4, AF_ICON)), Icon)});
  T.push_back({"short anih", WithFram(Chunk("anih", Bytes(20, 1)), Icon)});
  T.push_back({"frame count past the data", WithFram(Chunk("anih", Anih(0x7FFFFFFF, 1, 4, AF_ICON)), Icon)});
  T.push_back({"short rate", [&] { Bytes B = Good; Append(B, Chunk("rate", Bytes{1, 2})); return WithFram(B, Icon); }()});
  T.push_back({"short seq", [&] { Bytes B = Good; Append(B, Chunk("seq ", Bytes{})); return WithFram(B, Icon); }()});
  T.push_back({"no frames", Riff(Good)});
  T.push_back({"fram list past the end", [&] {
                 Bytes B = WithFram(Good, Icon);
                 B.resize(B.size() - 10);
                 return B;
               }()});
  T.push_back({"icon chunk size past the list", [&] {
                 Bytes B = Good;
                 Bytes Sub = Chunk("icon", Icon);
                 Sub[4] = 0xFF;  // size grows past the list's end
                 Sub[5] = 0xFF;
                 Append(B, List("fram", Sub));
                 return Riff(B);
               }()});
  T.push_back({"icon shorter than its header", WithFram(Good, Bytes{0, 0, 1})});
  T.push_back({"icon of type 3", [&] { Bytes I = Icon; I[2] = 3; return WithFram(Good, I); }()});
  T.push_back({"icon with no entries", [&] { Bytes I = Icon; I[4] = 0; return WithFram(Good, I); }()});
  T.push_back({"icon directory past the data", [&] { Bytes I = Icon; I[4] = 200; return WithFram(Good, I); }()});
  T.push_back({"image offset past the data", [&] { Bytes I = Icon; I[18] = 0xFF; I[19] = 0xFF; return WithFram(Good, I); }()});
  T.push_back({"image size past the data", [&] { Bytes I = Icon; I[14] = 0xFF; I[15] = 0xFF; I[16] = 0xFF; I[17] = 0xFF; return WithFram(Good, I); }()});
  return T;
}

}  // namespace

TEST(AniParser, MalformedFilesRaiseReadError) {
  for (const TBadCase& C : BadCases()) {
    SCOPED_TRACE(C.Name);
    TAniFileData D;
    // an exact-size heap copy lets the sanitizer catch any read past the end
    uint8_t* P = new uint8_t[C.Data.size() + 1];
    std::copy(C.Data.begin(), C.Data.end(), P);
    try {
      AniReadFile(P, C.Data.size(), D);
      ADD_FAILURE() << "no error";
    } catch (const EReadError& E) {
      EXPECT_EQ(E.Message(), "Stream read error");
    }
    delete[] P;
  }
}

TEST(AniParser, EveryCutOfAGoodFileIsSafe) {
  Bytes B = Sample();
  for (size_t N = 0; N < B.size(); ++N) {
    std::vector<uint8_t> Cut(B.begin(), B.begin() + long(N));
    Cut.shrink_to_fit();
    TAniFileData D;
    try {
      AniReadFile(Cut.data(), Cut.size(), D);
      EXPECT_FALSE(D.Frames.empty());
    } catch (const EReadError&) {
    }
  }
}
