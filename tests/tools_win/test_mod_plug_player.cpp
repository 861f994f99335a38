// TModPlugPlayer over our npmod32.dll: the parameter string it hands over, a synthesized
// module loaded and played, positions, the end of a module, and calls without an instance.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "classlib/core/stream.h"
#include "classlib/win/application.h"
#include "classlib/win/forms.h"
#include "platform/modplug/modplug_library.h"
#include "tests/classlib/temp_folder.h"
#include "tests/support/tracker_module.h"
#include "tests/support/wait_for.h"
#include "tools/mod_plug_player.h"

namespace {

// Playing runs at the pace of the sound, and a loaded machine may fall far behind it: the
// limit only keeps a broken player from hanging the run.
constexpr DWORD PlayingLimit = 60000;

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
    Write(Song, MakeTinyMod(4));
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
  ASSERT_TRUE(WaitFor([&] { return !Player->IsPlaying(); }, PlayingLimit));
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
  // Every message is looked at before it is dispatched: the panel itself would swallow the
  // end of an instance that is not its own.
  ASSERT_TRUE(WaitForTakingMessages([&] {
    MSG Msg;
    while (!Ended && PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) {
      if (Msg.hwnd == Window && Msg.message == ModPlugEndMessage) {
        Ended = Msg.lParam == LPARAM(I);
        continue;
      }
      TranslateMessage(&Msg);
      DispatchMessageW(&Msg);
    }
    return Ended;
  }, PlayingLimit));
  EXPECT_EQ(Position(I), 4);  // 0.48 s
  Destroy(I);
  TFileStream F(Pcm, fmOpenRead | fmShareDenyNone);
  // Four rows, and what rings out after the last one (less than another row).
  EXPECT_GE(double(F.Size()) / 4, 44100 * 0.48);
  EXPECT_LT(double(F.Size()) / 4, 44100 * 0.60);
  FreeLibrary(Lib);
}

}  // namespace
