// TMPEGPlayer over our mpegdll.dll: loading and its failures, decoding a short MP3 to a PCM
// file, the modes of a stream fed through the stream events, and the error codes.
#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/wait_for.h"
#include "tools/mpeg_player.h"

namespace {

// A Unix path of the build as Wine's Z: drive sees it.
std::string WinePath(std::string Unix) {
  for (char& C : Unix)
    if (C == '/') C = '\\';
  return "Z:" + Unix;
}

std::string DistDir() { return WinePath(ZX_DIST_DIR); }
// One second of a 440 Hz tone, 44100 Hz mono, encoded by LAME (with its gapless header).
std::string ToneMp3() { return WinePath(std::string(ZX_TEST_DATA) + "/data/tone.mp3"); }
constexpr int ToneSamples = 44100;
constexpr int FrameSamples = 1152;

std::string ReadAll(const std::string& Name) {
  TFileStream F(Name, fmOpenRead | fmShareDenyNone);
  std::string S(size_t(F.Size()), '\0');
  if (!S.empty()) F.ReadBuffer(S.data(), int64_t(S.size()));
  return S;
}

// Runs Call and returns the TMPEGError's code and text ("" and -1 when nothing was raised).
std::pair<int, std::string> ErrorOf(const std::function<void()>& Call) {
  try {
    Call();
  } catch (const TMPEGError& E) {
    return {E.ErrorCode, E.Message()};
  }
  return {-1, ""};
}

class MPEGPlayerTest : public ::testing::Test {
protected:
  void SetUp() override {
    Player = std::make_unique<TMPEGPlayer>(nullptr);
    Player->SetPathToDLL(DistDir());
  }
  // Loads the library and opens the tone for output into a PCM file.
  void OpenTone() {
    Player->LoadDLL();
    Player->SetOutputDevice(pcmfile);
    Player->SetOutFilename(Pcm);
    Player->SetStreamName(ToneMp3());
    Player->Open();
  }
  TTempFolder Temp;
  const std::string Pcm = Temp / "out.pcm";
  std::unique_ptr<TMPEGPlayer> Player;
};

TEST(MPEGPlayerPath, LibraryPath) {
  const struct {
    const char* Path;
    const char* Expected;
  } Cases[] = {
      {"", "mpegdll.dll"},
      {"C:\\x", "C:\\x\\mpegdll.dll"},
      {"C:\\x\\", "C:\\x\\mpegdll.dll"},
      {"C:", "C:mpegdll.dll"},
      {"lib", "lib\\mpegdll.dll"},
  };
  TMPEGPlayer P(nullptr);
  for (const auto& C : Cases) {
    P.SetPathToDLL(C.Path);
    EXPECT_EQ(P.LibraryPath(), C.Expected) << C.Path;
  }
}

TEST_F(MPEGPlayerTest, UnloadedPlayerRaisesCodeZero) {
  Player->SetStreamName(ToneMp3());
  const std::function<void()> Calls[] = {
      [&] { Player->Open(); },          [&] { Player->Play(); },          [&] { Player->Stop(); },
      [&] { Player->Pause(true); },     [&] { Player->Close(); },         [&] { Player->Restart(); },
      [&] { Player->GetPlayerMode(); }, [&] { Player->GetCurrentPos(); }, [&] { Player->GetLength(); },
  };
  for (const auto& Call : Calls) {
    const auto [Code, Text] = ErrorOf(Call);
    EXPECT_EQ(Code, 0);
    EXPECT_EQ(Text, "MPEG library not loaded");
  }
  EXPECT_NO_THROW(Player->UnloadDLL());
}

TEST_F(MPEGPlayerTest, LoadFailures) {
  // No library in the folder.
  Player->SetPathToDLL(Temp.Path());
  auto [Code, Text] = ErrorOf([&] { Player->LoadDLL(); });
  EXPECT_EQ(Code, 0);
  EXPECT_EQ(Text, "Can't load MPEG library");
  EXPECT_FALSE(Player->IsLoaded());

  // A library that lacks one entry point is not taken, and not left loaded.
  Player->SetPathToDLL(WinePath(ZX_STUB_DIR));
  std::tie(Code, Text) = ErrorOf([&] { Player->LoadDLL(); });
  EXPECT_EQ(Code, 0);
  EXPECT_EQ(Text, "MPEG library not loaded");
  EXPECT_FALSE(Player->IsLoaded());
  EXPECT_EQ(GetModuleHandleW(L"mpegdll.dll"), nullptr);

  Player->SetPathToDLL(DistDir());
  Player->LoadDLL();
  EXPECT_TRUE(Player->IsLoaded());
  Player->UnloadDLL();
  EXPECT_FALSE(Player->IsLoaded());
}

TEST_F(MPEGPlayerTest, DecodesToAPcmFile) {
  OpenTone();
  // The length is the tone's, within a frame.
  EXPECT_NEAR(Player->GetLength(), 1000, 1000.0 * FrameSamples / 44100);
  EXPECT_EQ(Player->GetPlayerMode(), 1);
  EXPECT_EQ(Player->PlayedXTimes(), 1);

  int Ends = 0, LastPos = -1, LastLen = -1;
  Player->OnPlayEnd = [&](TObject*) { ++Ends; };
  Player->OnPosUpdate = [&](int Pos, int Len) { LastPos = Pos, LastLen = Len; };
  Player->Play();
  EXPECT_TRUE(Player->Playing());
  EXPECT_EQ(Player->PlayedXTimes(), 2);
  ASSERT_TRUE(WaitFor([&] { return Ends == 1; }));  // through the position timer
  EXPECT_FALSE(Player->Playing());
  EXPECT_EQ(Player->GetPlayerMode(), 4);
  EXPECT_EQ(LastLen, Player->GetLength());
  EXPECT_GE(LastPos, 0);
  EXPECT_LE(LastPos, LastLen);

  const std::string Data = ReadAll(Pcm);
  const size_t Samples = Data.size() / 2;
  EXPECT_NEAR(double(Samples), ToneSamples, FrameSamples);
  // A 440 Hz tone: loud, and crossing zero about 880 times a second.
  std::vector<int16_t> S(Samples);
  std::memcpy(S.data(), Data.data(), Samples * 2);
  double Sum = 0;
  int Crossings = 0;
  for (size_t i = 0; i < Samples; ++i) {
    Sum += double(S[i]) * S[i];
    if (i > 0 && (S[i - 1] < 0) != (S[i] < 0)) ++Crossings;
  }
  EXPECT_GT(std::sqrt(Sum / Samples), 3000);
  EXPECT_NEAR(Crossings, 880, 40);

  // Played again from its start (through the library's Restart), and cut by EndPos.
  Player->Play();
  EXPECT_EQ(Player->PlayedXTimes(), 3);
  ASSERT_TRUE(WaitFor([&] { return Ends == 2; }));
  EXPECT_NEAR(double(ReadAll(Pcm).size() / 2), ToneSamples, FrameSamples);

  Player->Close();
  Player->SetStartPos(250);
  Player->SetEndPos(500);
  Player->Open();
  Player->Play();
  ASSERT_TRUE(WaitFor([&] { return Ends == 3; }));
  EXPECT_NEAR(double(ReadAll(Pcm).size() / 2), 44100 / 4, FrameSamples);
}

TEST_F(MPEGPlayerTest, ErrorCodes) {
  Player->LoadDLL();
  const struct {
    std::function<void()> Call;
    int Code;
    const char* Text;
  } Cases[] = {
      {[&] { Player->Stop(); }, 2, "Incorrect mode"},
      {[&] { Player->Pause(true); }, 2, "Incorrect mode"},
      {[&] { Player->Restart(); }, 2, "Incorrect mode"},
      {[&] { Player->SetStreamName(""), Player->Open(); }, 254, "Can't play non-specified stream"},
      {[&] { Player->SetStreamName(Temp / std::string(600, 'a')), Player->Open(); }, 3, "Input stream error"},
      {[&] { Player->SetStreamName(Temp / "missing.mp3"), Player->Open(); }, 3, "Input stream error"},
      {[&] {
         TFileStream F(Temp / "text.mp3", fmCreate);
         F.WriteBuffer("not an MPEG stream at all", 25);
         Player->SetStreamName(Temp / "text.mp3");
         Player->Open();
       },
       3, "Input stream error"},
      {[&] {
         Player->SetStreamName(ToneMp3());
         Player->SetOutputDevice(pcmfile);
         Player->SetOutFilename(std::string(300, 'o'));
         Player->Play();
       },
       5, "Output device failure"},
      {[&] {
         Player->SetOutFilename(Temp / "no such folder\\out.pcm");
         Player->Play();
       },
       5, "Output device failure"},
  };
  for (const auto& C : Cases) {
    const auto [Code, Text] = ErrorOf(C.Call);
    EXPECT_EQ(Code, C.Code) << C.Text;
    EXPECT_EQ(Text, C.Text);
    EXPECT_FALSE(Player->Playing());
  }
  EXPECT_FALSE(FileExists(Temp / std::string(600, 'a')));
}

TEST_F(MPEGPlayerTest, WithoutASoundDevice) {
  if (waveOutGetNumDevs() != 0) GTEST_SKIP() << "this machine has a wave device";
  Player->LoadDLL();
  Player->SetOutputDevice(wavemapper);
  Player->SetStreamName(ToneMp3());
  Player->Open();
  const auto [Code, Text] = ErrorOf([&] { Player->Play(); });
  EXPECT_EQ(Code, 5);
  EXPECT_EQ(Text, "Output device failure");
  EXPECT_FALSE(Player->Playing());
  EXPECT_EQ(Player->GetPlayerMode(), 1);
}

TEST_F(MPEGPlayerTest, TwentyFilesKeepOneTimer) {
  for (int i = 0; i < 20; ++i) {
    // As the main window plays each file.
    Player->UnloadDLL();
    Player->LoadDLL();
    Player->SetOutputDevice(pcmfile);
    Player->SetOutFilename(Pcm);
    Player->SetStreamName(ToneMp3());
    Player->Open();
    Player->Play();
  }
  int Timers = 0;
  for (int i = 0; i < Player->ComponentCount(); ++i) Timers += dynamic_cast<TTimer*>(Player->Components(i)) != nullptr;
  EXPECT_EQ(Timers, 1);
  EXPECT_EQ(Player->PositionTimer()->Owner(), Player.get());
}

// A stream fed through the events: the tone over and over, never ending and not seekable.
TEST_F(MPEGPlayerTest, StreamEventsAndModes) {
  const std::string Tone = ReadAll(ToneMp3());
  struct TFeed {
    size_t Pos = 0;
    int Opens = 0, Closes = 0, Restarts = 0;
  } Feed;
  Player->LoadDLL();
  Player->SetFromStream(true);
  Player->SetOutputDevice(pcmfile);
  Player->SetOutFilename(Pcm);
  Player->OnOpenStream = [&](bool& Nonseekable, void*& Context) {
    ++Feed.Opens;
    Nonseekable = true;
    Context = &Feed;
  };
  Player->OnCloseStream = [&](void* Context) {
    EXPECT_EQ(Context, &Feed);
    ++Feed.Closes;
  };
  Player->OnReadStream = [&](void* Context, void* Buffer, int Count, int& Read, bool& Res) {
    TFeed* F = static_cast<TFeed*>(Context);
    Read = 0;
    while (Read < Count) {
      const size_t n = std::min<size_t>(Count - Read, Tone.size() - F->Pos % Tone.size());
      std::memcpy(static_cast<char*>(Buffer) + Read, Tone.data() + F->Pos % Tone.size(), n);
      Read += int(n);
      F->Pos += n;
    }
    Res = true;
  };
  Player->Open();
  EXPECT_EQ(Feed.Opens, 1);
  // Not seekable: no scan, the length is what the first frame's header claims.
  EXPECT_NEAR(Player->GetLength(), 1000, 1000.0 * FrameSamples / 44100);

  Player->Play();
  Player->Pause(true);
  EXPECT_TRUE(Player->Paused());
  EXPECT_EQ(Player->GetPlayerMode(), 2);
  Player->Play();  // resumes
  EXPECT_FALSE(Player->Paused());
  EXPECT_EQ(Player->GetPlayerMode(), 3);
  Player->Stop();
  EXPECT_EQ(Player->GetPlayerMode(), 1);
  EXPECT_FALSE(Player->Playing());

  // Playing again needs the stream rewound: without a restart handler it cannot be.
  auto [Code, Text] = ErrorOf([&] { Player->Play(); });
  EXPECT_EQ(Code, 4);
  EXPECT_EQ(Text, "Input stream is non-seekable");
  Player->OnRestartStream = [&](void* Context, bool& Res) {
    static_cast<TFeed*>(Context)->Pos = 0;
    ++Feed.Restarts;
    Res = true;
  };
  Player->Play();
  EXPECT_EQ(Feed.Restarts, 1);
  EXPECT_EQ(Player->GetPlayerMode(), 3);

  // Unloading while it plays ends the stream and closes it.
  Player->UnloadDLL();
  EXPECT_EQ(Feed.Closes, 1);
  EXPECT_FALSE(Player->IsLoaded());
}

TEST_F(MPEGPlayerTest, DestroyedWhilePlaying) {
  // The library goes with the player: nothing is left decoding into a freed player.
  int Closes = 0;
  Player->LoadDLL();
  Player->SetFromStream(true);
  Player->SetOutputDevice(pcmfile);
  Player->SetOutFilename(Pcm);
  const std::string Tone = ReadAll(ToneMp3());
  size_t Pos = 0;
  Player->OnReadStream = [&](void*, void* Buffer, int Count, int& Read, bool& Res) {
    Read = int(std::min<size_t>(Count, Tone.size() - Pos % Tone.size()));
    std::memcpy(Buffer, Tone.data() + Pos % Tone.size(), Read);
    Pos += Read;
    Res = true;
  };
  Player->OnCloseStream = [&](void*) { ++Closes; };
  Player->Open();
  Player->Play();
  Player.reset();
  EXPECT_EQ(Closes, 1);
  EXPECT_EQ(GetModuleHandleW(L"mpegdll.dll"), nullptr);
}

}  // namespace
