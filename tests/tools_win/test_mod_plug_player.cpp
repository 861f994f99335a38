// TModPlugPlayer over our npmod32.dll: the parameter string it hands over, a synthesized
// module loaded and played, positions, the end of a module, and calls without an instance.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "classlib/core/stream.h"
#include "classlib/win/application.h"
#include "classlib/win/forms.h"
#include "platform/modplug/modplug_library.h"
#include "tests/classlib/temp_folder.h"
#include "tools/mod_plug_player.h"

namespace {

bool WaitFor(const std::function<bool()>& Done) {
  const DWORD Start = GetTickCount();
  while (!Done()) {
    if (GetTickCount() - Start > 5000) return false;
    Application->ProcessMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  return true;
}

// A four-channel "M.K." module: one looped square-wave sample, played on the first row, and
// a pattern break on row Rows - 1 that ends the song after Rows rows (speed 6, 125 BPM:
// 0.12 s a row).
std::string MakeMod(int Rows) {
  std::string M(20, '\0');
  M.replace(0, 4, "tiny");
  const int SampleWords = 16;
  for (int s = 0; s < 31; ++s) {
    std::string H(30, '\0');
    if (s == 0) {
      H.replace(0, 6, "square");
      H[22] = 0, H[23] = char(SampleWords);  // length in words, big-endian
      H[25] = 64;                             // volume
      H[26] = 0, H[27] = 0;                   // loop start
      H[28] = 0, H[29] = char(SampleWords);   // loop length
    }
    M += H;
  }
  M += char(1);  // song length: one order
  M += char(127);
  std::string Orders(128, '\0');
  M += Orders;
  M += "M.K.";
  std::string Pattern(64 * 4 * 4, '\0');
  const int Period = 214;  // C-3
  char* Note = &Pattern[0];
  Note[0] = char(0x00 | (Period >> 8));  // sample 1: high nibble 0
  Note[1] = char(Period & 0xFF);
  Note[2] = char(0x10);  // sample 1 low nibble, no effect
  char* Break = &Pattern[(Rows - 1) * 16 + 4];  // row Rows-1, channel 2: D00
  Break[2] = 0x0D;
  Break[3] = 0x00;
  M += Pattern;
  for (int i = 0; i < SampleWords * 2; ++i) M += char(i < SampleWords ? 100 : -100);
  return M;
}

void Write(const std::string& Name, const std::string& Data) {
  TFileStream F(Name, fmCreate);
  F.WriteBuffer(Data.data(), int64_t(Data.size()));
}

std::string DistDir() {
  std::string D = ZX_DIST_DIR;
  for (char& C : D)
    if (C == '/') C = '\\';
  return "Z:" + D;
}

class ModPlugTest : public ::testing::Test {
protected:
  void SetUp() override {
    // The library is found as the program finds it: beside the program.
    const std::string Dist = DistDir();
    SetDllDirectoryW(std::wstring(Dist.begin(), Dist.end()).c_str());
    Form = CreateForm<TForm>(nullptr);
    Player = new TModPlugPlayer(Form);
    Player->SetParent(Form);
    Player->SetCaption("Mod");
    Song = Temp / "tiny.mod";
    Write(Song, MakeMod(4));
  }
  void TearDown() override { delete Form; }
  TTempFolder Temp;
  std::string Song;
  TForm* Form = nullptr;
  TModPlugPlayer* Player = nullptr;
};

TEST_F(ModPlugTest, ParameterString) {
  EXPECT_EQ(Player->Width(), 169);
  EXPECT_EQ(Player->Height(), 49);
  EXPECT_EQ(Player->Params(),
            "bgcolor|#000000|vucolor|#00FF00|spcolor|#FF0000|spcolorhi|#FFFF00|vucolorhi|#FF0000|"
            "hidden|false|Title|Mod|width|169|height|49|loop|false");
  Player->SetCaption("A|B");
  Player->SetVUColor("00FF0");
  EXPECT_EQ(Player->Params(),
            "bgcolor|#000000|spcolor|#FF0000|spcolorhi|#FFFF00|vucolorhi|#FF0000|"
            "hidden|false|Title|AB|width|169|height|49|loop|false");
}

TEST_F(ModPlugTest, WithoutAnInstance) {
  int Loads = 0;
  Player->OnLoad = [&](TObject*) { ++Loads; };
  Player->SetSongName(Song);
  EXPECT_FALSE(Player->Load());
  EXPECT_EQ(Loads, 1);
  Player->Play();
  EXPECT_FALSE(Player->IsPlaying());
  Player->Stop();
  EXPECT_EQ(Player->GetMaxPosition(), 0u);
  EXPECT_EQ(Player->GetCurrentPosition(), 0u);
  EXPECT_GT(Player->DllVersion(), 0);
}

TEST_F(ModPlugTest, InitLoadPlayAndEnd) {
  int Inits = 0, Deinits = 0, Stops = 0;
  Player->OnInit = [&](TObject*) { ++Inits; };
  Player->OnDeinit = [&](TObject*) { ++Deinits; };
  Player->OnStop = [&](TObject*) { ++Stops; };
  Player->Init();
  Player->Init();  // the first instance goes first
  EXPECT_EQ(Inits, 2);
  EXPECT_EQ(Deinits, 1);
  ASSERT_TRUE(Player->HasInstance());

  Player->SetSongName(Temp / "missing.mod");
  EXPECT_FALSE(Player->Load());
  Player->SetSongName(Song);
  ASSERT_TRUE(Player->Load());
  EXPECT_EQ(Player->GetMaxPosition(), 4u * 12 / 10);  // four rows of 0.12 s, in tenths
  EXPECT_EQ(Player->GetCurrentPosition(), 0u);

  // Whether it sounds or (with no sound device) cannot, the module comes to its end and the
  // panel stops counting it as playing.
  Player->Play();
  EXPECT_TRUE(Player->IsPlaying());
  ASSERT_TRUE(WaitFor([&] { return !Player->IsPlaying(); }));
  EXPECT_LE(Player->GetCurrentPosition(), 0xFFFFu);

  Player->Play();
  Player->Stop();
  EXPECT_FALSE(Player->IsPlaying());
  EXPECT_EQ(Stops, 1);
  Player->Deinit();
  EXPECT_EQ(Deinits, 2);
  EXPECT_FALSE(Player->HasInstance());
}

// The library itself, writing the samples to a file: the module plays out whole, its levels
// reach the display, and the end is posted to the window.
TEST_F(ModPlugTest, LibraryRendersToTheEnd) {
  HMODULE Lib = LoadLibraryW(L"npmod32.dll");
  ASSERT_NE(Lib, nullptr);
  const auto Create = reinterpret_cast<void*(__stdcall*)(const char*)>(GetProcAddress(Lib, "ModPlug_CreateEx"));
  const auto SetWindow = reinterpret_cast<void(__stdcall*)(void*, HWND)>(GetProcAddress(Lib, "ModPlug_SetWindow"));
  const auto Load = reinterpret_cast<void(__stdcall*)(void*, const char*)>(GetProcAddress(Lib, "ModPlug_Load"));
  const auto Play = reinterpret_cast<void(__stdcall*)(void*)>(GetProcAddress(Lib, "ModPlug_Play"));
  const auto Position = reinterpret_cast<int(__stdcall*)(void*)>(GetProcAddress(Lib, "ModPlug_GetCurrentPosition"));
  const auto Destroy = reinterpret_cast<void(__stdcall*)(void*)>(GetProcAddress(Lib, "ModPlug_Destroy"));
  const std::string Pcm = Temp / "out.pcm";
  void* I = Create(("bgcolor|#000000|Title|x|loop|false|wavefile|" + Pcm).c_str());
  ASSERT_NE(I, nullptr);
  bool Ended = false;
  Player->HandleNeeded();
  HWND Window = Player->Handle();
  SetWindow(I, Window);
  Load(I, Song.c_str());
  Play(I);
  ASSERT_TRUE(WaitFor([&] {
    MSG Msg;
    while (PeekMessageW(&Msg, Window, ModPlugEndMessage, ModPlugEndMessage, PM_REMOVE)) Ended |= Msg.lParam == LPARAM(I);
    return Ended;
  }));
  EXPECT_EQ(Position(I), 4);  // 0.48 s
  Destroy(I);
  TFileStream F(Pcm, fmOpenRead | fmShareDenyNone);
  // Four rows, and what rings out after the last one (less than another row).
  EXPECT_GE(double(F.Size()) / 4, 44100 * 0.48);
  EXPECT_LT(double(F.Size()) / 4, 44100 * 0.60);
  FreeLibrary(Lib);
}

}  // namespace
