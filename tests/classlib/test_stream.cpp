#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "classlib/core/exception.h"
#include "classlib/core/stream.h"
#include "classlib/core/strings.h"
#include "temp_folder.h"

namespace {

std::vector<char> Pattern(std::size_t N) {
  std::vector<char> V(N);
  for (std::size_t I = 0; I < N; ++I) V[I] = static_cast<char>(I * 7 + I / 251);
  return V;
}

// Counts the calls that reach the stream, to show that bulk work goes in blocks.
class TCountingStream : public TMemoryStream {
public:
  int Reads = 0, Writes = 0;
  int Read(void* Buffer, int Count) override {
    ++Reads;
    return TMemoryStream::Read(Buffer, Count);
  }
  int Write(const void* Buffer, int Count) override {
    ++Writes;
    return TMemoryStream::Write(Buffer, Count);
  }
};

template <class E>
std::string MessageOf(const std::function<void()>& F) {
  try {
    F();
  } catch (const E& Ex) {
    return Ex.Message();
  }
  return "<no error>";
}

}  // namespace

TEST(FileStream, WriteSeekReadAndSize) {
  TTempFolder T;
  const std::string Name = T / "data.bin";
  const std::vector<char> Data = Pattern(100000);
  {
    TFileStream F(Name, fmCreate);
    F.WriteBuffer(Data.data(), Data.size());
    EXPECT_EQ(F.Size(), 100000);
    EXPECT_EQ(F.Position(), 100000);
    EXPECT_EQ(F.FileName(), Name);
  }
  TFileStream F(Name, fmOpenReadWrite);
  EXPECT_EQ(F.Seek(-10, soFromEnd), 99990);
  EXPECT_EQ(F.Seek(5, soFromCurrent), 99995);
  F.SetPosition(0);
  std::vector<char> Back(Data.size());
  F.ReadBuffer(Back.data(), Back.size());
  EXPECT_EQ(Back, Data);
  EXPECT_EQ(F.Read(Back.data(), 10), 0);  // at the end
  EXPECT_EQ(MessageOf<EReadError>([&] { F.ReadBuffer(Back.data(), 1); }), "Stream read error");

  F.SetPosition(60000);
  F.SetSize(50000);  // the position follows the end back
  EXPECT_EQ(F.Size(), 50000);
  EXPECT_EQ(F.Position(), 50000);
}

TEST(FileStream, OpenModesAndErrors) {
  TTempFolder T;
  const std::string Name = T / "f.txt";
  {
    TFileStream F(Name, fmCreate);
    F.WriteBuffer("old contents", 12);
  }
  {
    TFileStream F(Name, fmCreate);  // truncates
    EXPECT_EQ(F.Size(), 0);
    F.WriteBuffer("new", 3);
  }
  {
    TFileStream F(Name, fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(F.Size(), 3);
    EXPECT_EQ(F.Write("x", 1), 0);
    EXPECT_EQ(MessageOf<EWriteError>([&] { F.WriteBuffer("x", 1); }), "Stream write error");
  }
  {
    TFileStream F(Name, fmOpenWrite);
    F.Seek(0, soFromEnd);
    F.WriteBuffer("!", 1);
    char C;
    EXPECT_EQ(F.Read(&C, 1), 0);  // opened for writing only
  }
  TStringList L;
  L.LoadFromFile(Name);
  EXPECT_EQ(L.Text(), "new!\r\n");

  const std::string Missing = T / "missing.txt";
  std::string M = MessageOf<EFOpenError>([&] { TFileStream F(Missing, fmOpenRead); });
  EXPECT_EQ(M, "Cannot open file " + Missing + ". " + SysErrorMessage(ERROR_FILE_NOT_FOUND));
  const std::string NoDir = T / "no\\such\\dir.txt";
  M = MessageOf<EFCreateError>([&] { TFileStream F(NoDir, fmCreate); });
  EXPECT_EQ(M.rfind("Cannot create file " + NoDir + ". ", 0), 0u) << M;
  EXPECT_FALSE(FileExists(NoDir));
}

#ifdef _WIN32
TEST(FileStream, ShareModes) {
  TTempFolder T;
  const std::string Name = T / "shared.txt";
  TFileStream Writer(Name, fmCreate | fmShareDenyWrite);
  EXPECT_NO_THROW({ TFileStream F(Name, fmOpenRead | fmShareDenyNone); });
  EXPECT_THROW({ TFileStream F(Name, fmOpenReadWrite | fmShareDenyNone); }, EFOpenError);
  EXPECT_THROW({ TFileStream F(Name, fmOpenRead | fmShareExclusive); }, EFOpenError);
}
#endif

TEST(MemoryStream, GrowsZeroFillsAndLoads) {
  TTempFolder T;
  TMemoryStream M;
  M.WriteBuffer("abc", 3);
  M.Seek(6, soFromBeginning);
  M.WriteBuffer("z", 1);
  ASSERT_EQ(M.Size(), 7);
  EXPECT_EQ(std::string(static_cast<const char*>(M.Memory()), 7), std::string("abc\0\0\0z", 7));
  EXPECT_EQ(M.Seek(-1, soFromBeginning), 7);  // refused: stays
  M.SetSize(2);
  EXPECT_EQ(M.Position(), 2);
  EXPECT_THROW(M.SetSize(std::int64_t(1) << 62), EStreamError);

  const std::vector<char> Data = Pattern(70000);
  M.Clear();
  M.WriteBuffer(Data.data(), Data.size());
  M.SetPosition(100);  // saving writes everything, whatever the position
  M.SaveToFile(T / "m.bin");
  TMemoryStream N;
  N.LoadFromFile(T / "m.bin");
  ASSERT_EQ(N.Size(), 70000);
  EXPECT_EQ(N.Position(), 0);
  EXPECT_EQ(std::vector<char>(static_cast<char*>(N.Memory()), static_cast<char*>(N.Memory()) + 70000), Data);
  EXPECT_THROW(N.LoadFromFile(T / "none.bin"), EFOpenError);
}

TEST(StringStream, OverwritesWithoutCuttingTheRest) {
  TStringStream S("abcdef");
  EXPECT_EQ(S.ReadString(2), "ab");
  S.WriteString("XY");
  EXPECT_EQ(S.DataString(), "abXYef");
  EXPECT_EQ(S.ReadString(100), "ef");
  S.WriteString("gh");
  EXPECT_EQ(S.DataString(), "abXYefgh");
  S.SetSize(3);
  EXPECT_EQ(S.DataString(), "abX");
  EXPECT_EQ(S.Position(), 3);
  EXPECT_EQ(S.ReadString(5), "");
}

// A position far past the end is kept, but no sum with it may overflow: a seek that would
// go past the largest position is refused, and nothing is written out there.
TEST(Stream, PositionsFarPastTheEndNeverOverflow) {
  constexpr std::int64_t Max = std::numeric_limits<std::int64_t>::max();
  TMemoryStream Memory;
  Memory.WriteBuffer("abc", 3);
  TStringStream Text("abc");
  for (TStream* S : {static_cast<TStream*>(&Memory), static_cast<TStream*>(&Text)}) {
    S->SetPosition(1);
    EXPECT_EQ(S->Seek(Max, soFromCurrent), 1);
    EXPECT_EQ(S->Seek(Max, soFromEnd), 1);
    EXPECT_EQ(S->Seek(Max, soFromBeginning), Max);
    char C = 'x';
    EXPECT_EQ(S->Write(&C, 1), 0);
    EXPECT_THROW(S->WriteBuffer(&C, 1), EWriteError);
    EXPECT_EQ(S->Read(&C, 1), 0);
    EXPECT_EQ(S->Size(), 3);
    EXPECT_EQ(S->Seek(-Max, soFromCurrent), 0);
  }
}

TEST(Stream, CopyFromGoesInBlocks) {
  const std::vector<char> Data = Pattern(200000);
  TCountingStream Src;
  Src.WriteBuffer(Data.data(), Data.size());
  Src.SetPosition(1000);
  Src.Reads = 0;

  TCountingStream Dst;
  EXPECT_EQ(Dst.CopyFrom(&Src, 0), 200000);  // 0: all of it, from the start
  EXPECT_LE(Src.Reads, 5);
  EXPECT_LE(Dst.Writes, 5);
  EXPECT_EQ(std::vector<char>(static_cast<char*>(Dst.Memory()), static_cast<char*>(Dst.Memory()) + 200000), Data);

  Src.SetPosition(199990);
  TMemoryStream Part;
  EXPECT_EQ(Part.CopyFrom(&Src, 10), 10);
  EXPECT_EQ(Part.Size(), 10);
  EXPECT_THROW(Part.CopyFrom(&Src, 1), EReadError);  // nothing left

  // Loading a string list reads the text in one go, not line by line.
  TCountingStream Text;
  std::string Lines;
  for (int I = 0; I < 5000; ++I) Lines += "line " + std::to_string(I) + "\r\n";
  Text.WriteBuffer(Lines.data(), Lines.size());
  Text.SetPosition(0);
  Text.Reads = 0;
  TStringList L;
  L.LoadFromStream(&Text);
  EXPECT_EQ(L.Count(), 5000);
  EXPECT_LE(Text.Reads, 2);
}
