#include "tools/mod_plug_player.h"

#include "classlib/core/typinfo.h"
#include "platform/modplug/modplug_library.h"
#include "tools/core/mod_params.h"

namespace {

// The library's entry points, fetched once; all null when it is missing.
struct TModPlugLibrary {
  void*(__stdcall* CreateEx)(const char*) = nullptr;
  void(__stdcall* SetWindow)(void*, HWND) = nullptr;
  void(__stdcall* Load)(void*, const char*) = nullptr;
  int(__stdcall* IsReady)(void*) = nullptr;
  void(__stdcall* Play)(void*) = nullptr;
  void(__stdcall* Stop)(void*) = nullptr;
  void(__stdcall* Destroy)(void*) = nullptr;
  int(__stdcall* GetMaxPosition)(void*) = nullptr;
  int(__stdcall* GetCurrentPosition)(void*) = nullptr;
  int(__stdcall* GetVersion)() = nullptr;
  bool Complete = false;
};

const TModPlugLibrary& Library() {
  static const TModPlugLibrary L = [] {
    TModPlugLibrary R;
    HMODULE M = LoadLibraryW(L"npmod32.dll");
    if (M == nullptr) return R;
    bool All = true;
    const auto Fetch = [&](auto& Entry, const char* Name) {
      Entry = reinterpret_cast<std::remove_reference_t<decltype(Entry)>>(reinterpret_cast<void*>(GetProcAddress(M, Name)));
      All &= Entry != nullptr;
    };
    Fetch(R.CreateEx, "ModPlug_CreateEx");
    Fetch(R.SetWindow, "ModPlug_SetWindow");
    Fetch(R.Load, "ModPlug_Load");
    Fetch(R.IsReady, "ModPlug_IsReady");
    Fetch(R.Play, "ModPlug_Play");
    Fetch(R.Stop, "ModPlug_Stop");
    Fetch(R.Destroy, "ModPlug_Destroy");
    Fetch(R.GetMaxPosition, "ModPlug_GetMaxPosition");
    Fetch(R.GetCurrentPosition, "ModPlug_GetCurrentPosition");
    Fetch(R.GetVersion, "ModPlug_GetVersion");
    if (!All) {
      FreeLibrary(M);
      return TModPlugLibrary();
    }
    R.Complete = true;
    return R;
  }();
  return L;
}

}  // namespace

const TClassInfo* TModPlugPlayer::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TModPlugPlayer, TPanel>("TModPlugPlayer")
          .Prop("SpectrumHide", &TModPlugPlayer::SpectrumHide, &TModPlugPlayer::SetSpectrumHide)
          .Prop("LoopSong", &TModPlugPlayer::LoopSong, &TModPlugPlayer::SetLoopSong)
          .Prop("SpectrumStereo", &TModPlugPlayer::SpectrumStereo, &TModPlugPlayer::SetSpectrumStereo)
          .Prop("SongName", &TModPlugPlayer::SongName, &TModPlugPlayer::SetSongName)
          .Prop("Seek", &TModPlugPlayer::Seek, &TModPlugPlayer::SetSeek)
          .Prop("OnLoad", &TModPlugPlayer::OnLoad)
          .Prop("OnDeinit", &TModPlugPlayer::OnDeinit)
          .Prop("OnInit", &TModPlugPlayer::OnInit)
          .Prop("OnStop", &TModPlugPlayer::OnStop)
          .Prop("BackColor", &TModPlugPlayer::BackColor, &TModPlugPlayer::SetBackColor)
          .Prop("VUColor", &TModPlugPlayer::VUColor, &TModPlugPlayer::SetVUColor)
          .Prop("SPColor", &TModPlugPlayer::SPColor, &TModPlugPlayer::SetSPColor)
          .Prop("VUColorTop", &TModPlugPlayer::VUColorTop, &TModPlugPlayer::SetVUColorTop)
          .Prop("SPColorTop", &TModPlugPlayer::SPColorTop, &TModPlugPlayer::SetSPColorTop)
          .Prop("DllVersion", &TModPlugPlayer::DllVersion, nullptr)
          .Build();
  return &Info;
}

void RegisterModPlugPlayer() {
  static const bool Done = (RegisterClass(TModPlugPlayer::StaticClassInfo()), true);
  (void)Done;
}

TModPlugPlayer::TModPlugPlayer(TComponent* AOwner) : TPanel(AOwner) {
  SetWidth(169);
  SetHeight(49);
}

TModPlugPlayer::~TModPlugPlayer() {
  // The instance's display is a child of this panel and its thread plays into it.
  if (FInstance) Library().Destroy(FInstance);
  FInstance = nullptr;
}

std::string TModPlugPlayer::Params() const {
  TModPlugSettings S;
  S.BackColor = FBackColor;
  S.VUColor = FVUColor;
  S.SPColor = FSPColor;
  S.VUColorTop = FVUColorTop;
  S.SPColorTop = FSPColorTop;
  S.SpectrumHide = FSpectrumHide;
  S.LoopSong = FLoopSong;
  S.SpectrumStereo = FSpectrumStereo;
  S.Caption = Caption();
  S.Width = Width();
  S.Height = Height();
  return ModPlugParams(S);
}

void TModPlugPlayer::Init() {
  Deinit();
  const TModPlugLibrary& L = Library();
  if (!L.Complete) return;
  FInstance = L.CreateEx(Params().c_str());
  if (FInstance) L.SetWindow(FInstance, Handle());
  if (OnInit) OnInit(this);
}

void TModPlugPlayer::Deinit() {
  if (FInstance == nullptr) return;
  Library().Destroy(FInstance);
  FPlaying = false;
  if (OnDeinit) OnDeinit(this);
  FInstance = nullptr;
}

bool TModPlugPlayer::Load() {
  if (FInstance && !FSongName.empty()) {
    FPlaying = false;  // loading stops what played
    Library().Load(FInstance, FSongName.c_str());
  }
  const bool Ready = FInstance && Library().IsReady(FInstance) != 0;
  if (OnLoad) OnLoad(this);
  return Ready;
}

void TModPlugPlayer::Play() {
  if (FInstance == nullptr) return;
  Library().Play(FInstance);
  FPlaying = true;
}

void TModPlugPlayer::Stop() {
  if (FInstance == nullptr) return;
  Library().Stop(FInstance);
  FPlaying = false;
  if (OnStop) OnStop(this);
}

unsigned TModPlugPlayer::GetMaxPosition() {
  return FInstance ? unsigned(Library().GetMaxPosition(FInstance)) & 0xFFFF : 0;
}

unsigned TModPlugPlayer::GetCurrentPosition() {
  return FInstance ? unsigned(Library().GetCurrentPosition(FInstance)) & 0xFFFF : 0;
}

int TModPlugPlayer::DllVersion() const {
  const TModPlugLibrary& L = Library();
  return L.Complete ? L.GetVersion() : 0;
}

void TModPlugPlayer::CreateWnd() {
  TPanel::CreateWnd();
  // A recreated window takes the instance's display along.
  if (FInstance) Library().SetWindow(FInstance, Handle());
}

void TModPlugPlayer::WndProc(TMessage& Message) {
  if (Message.Msg == ModPlugEndMessage) {
    // Only the end of the current instance's module counts: a message from one destroyed
    // since may still be queued.
    if (FInstance && reinterpret_cast<void*>(Message.LParam) == FInstance) FPlaying = false;
    Message.Result = 0;
    return;
  }
  TPanel::WndProc(Message);
}
