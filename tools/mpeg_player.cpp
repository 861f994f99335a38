#include "tools/mpeg_player.h"

#include <atomic>

#include "classlib/core/typinfo.h"

namespace {

const char* const ErrorTexts[] = {"MPEG library not loaded", "Internal decoder error", "Incorrect mode",
                                  "Input stream error",      "Input stream is non-seekable",
                                  "Output device failure"};
constexpr int ErrorTextCount = sizeof(ErrorTexts) / sizeof(ErrorTexts[0]);
constexpr uint8_t NoStreamName = 254;

const int PriorityValues[] = {-15, -2, -1, 0, 1, 2, 15};

// The library's name in code page 1251 to a wide path.
std::wstring WidePath(const std::string& S) {
  if (S.empty()) return std::wstring();
  const int n = MultiByteToWideChar(1251, 0, S.data(), int(S.size()), nullptr, 0);
  std::wstring W(n, L'\0');
  MultiByteToWideChar(1251, 0, S.data(), int(S.size()), W.data(), n);
  return W;
}

}  // namespace

template <> const TTypeInfo* TypeInfoOf<TPlayPriority>() {
  static const TTypeInfo Info = EnumTypeInfo(
      "TPlayPriority", {"Idle", "Lowest", "BelowNormal", "Normal", "AboveNormal", "Highest", "TimeCritical"});
  return &Info;
}

template <> const TTypeInfo* TypeInfoOf<TOutputDevice>() {
  static const TTypeInfo Info = EnumTypeInfo("TOutputDevice", {"wavemapper", "pcmfile"});
  return &Info;
}

// The stream callbacks handed to the library: each fires its event on the player given as
// the user value, or gives the default result.
struct TMpegCallbacks {
  static void __stdcall OpenProc(TMPEGPlayer* P, uint8_t* Nonseekable, void** Context) {
    *Context = nullptr;
    if (P->OnOpenStream) {
      bool N = *Nonseekable != 0;
      P->OnOpenStream(N, *Context);
      *Nonseekable = N;
    }
  }
  static void __stdcall CloseProc(TMPEGPlayer* P, void* Context) {
    if (P->OnCloseStream) P->OnCloseStream(Context);
  }
  static void __stdcall RestartProc(TMPEGPlayer* P, void* Context, uint8_t* Res) {
    bool R = false;
    if (P->OnRestartStream) P->OnRestartStream(Context, R);
    *Res = R;
  }
  static void __stdcall ReadProc(TMPEGPlayer* P, void* Context, void* Buffer, int Count, int* Read, uint8_t* Res) {
    bool R = false;
    *Read = 0;
    if (P->OnReadStream) P->OnReadStream(Context, Buffer, Count, *Read, R);
    *Res = R;
  }
  static void __stdcall SeekProc(TMPEGPlayer* P, void* Context, int Count, int Method, int* Res) {
    *Res = -1;
    if (P->OnSeekStream) P->OnSeekStream(Context, Count, Method, *Res);
  }
  static void __stdcall SizeProc(TMPEGPlayer* P, void* Context, int* Res) {
    *Res = -1;
    if (P->OnGetStreamSize) P->OnGetStreamSize(Context, *Res);
  }
};

const TClassInfo* TMPEGPlayer::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TMPEGPlayer, TComponent>("TMPEGPlayer")
          .Prop("Seekable", &TMPEGPlayer::Seekable, &TMPEGPlayer::SetSeekable)
          .Prop("FromStream", &TMPEGPlayer::FromStream, &TMPEGPlayer::SetFromStream)
          .Prop("PlayerPriority", &TMPEGPlayer::PlayerPriority, &TMPEGPlayer::SetPlayerPriority)
          .Prop("UseTimer", &TMPEGPlayer::UseTimer, &TMPEGPlayer::SetUseTimer)
          .Prop("TimerFreq", &TMPEGPlayer::TimerFreq, &TMPEGPlayer::SetTimerFreq)
          .Prop("AutoPlay", &TMPEGPlayer::AutoPlay, &TMPEGPlayer::SetAutoPlay)
          .Prop("StreamName", &TMPEGPlayer::StreamName, &TMPEGPlayer::SetStreamName)
          .Prop("OutputDevice", &TMPEGPlayer::OutputDevice, &TMPEGPlayer::SetOutputDevice)
          .Prop("WaveDeviceNum", &TMPEGPlayer::WaveDeviceNum, &TMPEGPlayer::SetWaveDeviceNum)
          .Prop("OutFilename", &TMPEGPlayer::OutFilename, &TMPEGPlayer::SetOutFilename)
          .Prop("PathToDLL", &TMPEGPlayer::PathToDLL, &TMPEGPlayer::SetPathToDLL)
          .Prop("StartPos", &TMPEGPlayer::StartPos, &TMPEGPlayer::SetStartPos)
          .Prop("EndPos", &TMPEGPlayer::EndPos, &TMPEGPlayer::SetEndPos)
          .Prop("PlayedXTimes", &TMPEGPlayer::PlayedXTimes, nullptr)
          .Prop("OnOpenStream", &TMPEGPlayer::OnOpenStream)
          .Prop("OnCloseStream", &TMPEGPlayer::OnCloseStream)
          .Prop("OnRestartStream", &TMPEGPlayer::OnRestartStream)
          .Prop("OnGetStreamSize", &TMPEGPlayer::OnGetStreamSize)
          .Prop("OnSeekStream", &TMPEGPlayer::OnSeekStream)
          .Prop("OnReadStream", &TMPEGPlayer::OnReadStream)
          .Prop("OnPosUpdate", &TMPEGPlayer::OnPosUpdate)
          .Prop("OnPlayEnd", &TMPEGPlayer::OnPlayEnd)
          .Build();
  return &Info;
}

void RegisterMPEGPlayer() {
  static const bool Done = (RegisterClass(TMPEGPlayer::StaticClassInfo()), true);
  (void)Done;
}

TMPEGPlayer::TMPEGPlayer(TComponent* AOwner) : TComponent(AOwner) {}

TMPEGPlayer::~TMPEGPlayer() {
  // Leaving the library loaded would leave its thread playing into a freed player.
  try {
    UnloadDLL();
  } catch (const Exception&) {
  }
}

void TMPEGPlayer::Raise(uint8_t Code) {
  if (Code == NoStreamName) throw TMPEGError("Can't play non-specified stream", Code);
  throw TMPEGError(Code < ErrorTextCount ? ErrorTexts[Code] : "Internal decoder error", Code);
}

void TMPEGPlayer::CheckLoaded() {
  if (!IsLoaded()) Raise(0);
}

void TMPEGPlayer::CheckError() {
  const int Code = F.LastError ? F.LastError() : 0;
  if (Code > 0) {
    FLastError = Code;
    Raise(uint8_t(Code));
  }
}

bool TMPEGPlayer::StreamEnded() const {
  return std::atomic_ref<uint8_t>(const_cast<uint8_t&>(FEnded)).load(std::memory_order_acquire) != 0;
}

void TMPEGPlayer::SetEnded(bool Value) {
  std::atomic_ref<uint8_t>(FEnded).store(Value ? 1 : 0, std::memory_order_release);
}

std::string TMPEGPlayer::LibraryPath() const {
  std::string Path = FPathToDLL;
  if (!Path.empty() && Path.back() != '\\' && Path.back() != ':') Path += '\\';
  return Path + "mpegdll.dll";
}

void TMPEGPlayer::LoadDLL() {
  // A second load would lose the first library's handle and leave it loaded.
  if (IsLoaded()) UnloadDLL();
  HMODULE Lib = LoadLibraryW(WidePath(LibraryPath()).c_str());
  if (Lib == nullptr) throw TMPEGError("Can't load MPEG library", 0);
  TEntries E{};
  bool Complete = true;
  const auto Fetch = [&](auto& Entry, const char* Name) {
    Entry = reinterpret_cast<std::remove_reference_t<decltype(Entry)>>(
        reinterpret_cast<void*>(GetProcAddress(Lib, Name)));
    Complete &= Entry != nullptr;
  };
  Fetch(E.init, "init");
  Fetch(E.deinit, "deinit");
  Fetch(E.Open, "Open");
  Fetch(E.Pause, "Pause");
  Fetch(E.Restart, "Restart");
  Fetch(E.Stop, "Stop");
  Fetch(E.SetPriority, "SetPriority");
  Fetch(E.SetOutputDevice, "SetOutputDevice");
  Fetch(E.Play, "Play");
  Fetch(E.Close, "Close");
  Fetch(E.GetFrequency, "GetFrequency");
  Fetch(E.GetBitrate, "GetBitrate");
  Fetch(E.GetStereoMode, "GetStereoMode");
  Fetch(E.GetLayer, "GetLayer");
  Fetch(E.GetPlayerMode, "GetPlayerMode");
  Fetch(E.GetCurrentPos, "GetCurrentPos");
  Fetch(E.GetLength, "GetLength");
  Fetch(E.ResetPlayerMode, "ResetPlayerMode");
  Fetch(E.Seek, "Seek");
  Fetch(E.SetSndDevice, "SetSndDevice");
  Fetch(E.LastError, "LastError");
  if (!Complete) {
    FreeLibrary(Lib);
    Raise(0);
  }
  if (!E.init()) {
    FLastError = E.LastError();
    // A library that cannot start is of no use: free it rather than keep it loaded unseen.
    FreeLibrary(Lib);
    Raise(uint8_t(FLastError));
  }
  FLibrary = Lib;
  F = E;
  // One position timer for the player's life, however often the library is loaded.
  if (FTimer == nullptr) {
    FTimer = new TTimer(this);
    FTimer->OnTimer = [this](TObject* Sender) { TimerTick(Sender); };
  }
  FTimer->SetEnabled(false);
  FTimer->SetInterval(FUseTimer ? unsigned(FTimerFreq) : 0);
  FLength = 0;
}

void TMPEGPlayer::UnloadDLL() {
  if (!IsLoaded()) return;
  if (FTimer) FTimer->SetEnabled(false);
  if (FOpened) {
    try {
      Close();
    } catch (const TMPEGError&) {
      // The library goes away whatever its Close said.
    }
  }
  if (F.deinit) F.deinit();
  FreeLibrary(FLibrary);
  FLibrary = nullptr;
  F = TEntries{};
  FOpened = FPlaying = FPaused = false;
}

void TMPEGPlayer::Open() {
  CheckLoaded();
  if (FOpened) Close();
  FOpened = false;
  if (FFromStream) {
    F.Open(nullptr, 1, reinterpret_cast<void*>(&TMpegCallbacks::OpenProc),
           reinterpret_cast<void*>(&TMpegCallbacks::CloseProc), reinterpret_cast<void*>(&TMpegCallbacks::RestartProc),
           reinterpret_cast<void*>(&TMpegCallbacks::ReadProc), reinterpret_cast<void*>(&TMpegCallbacks::SeekProc),
           reinterpret_cast<void*>(&TMpegCallbacks::SizeProc), this);
  } else {
    if (FStreamName.empty()) Raise(NoStreamName);
    if (FStreamName.size() > MaxStreamName) Raise(3);
    F.Open(FStreamName.c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  }
  CheckError();
  FOpened = true;
  FPlayedXTimes = 1;
  SetEnded(false);
  FLength = GetLength();
  if (FAutoPlay) Play();
}

void TMPEGPlayer::StartTimer() {
  if (FUseTimer && FTimer && FTimer->Interval() != 0) {
    FTimer->SetEnabled(true);
    TimerTick(FTimer);
  }
}

void TMPEGPlayer::Play() {
  if (FPaused) {
    Pause(false);
    return;
  }
  if (FPlaying) return;
  CheckLoaded();
  if (!FOpened) Open();
  if (FPlaying) return;  // AutoPlay started it
  if (FPlayedXTimes >= 2) {
    Restart();
    return;
  }
  if (FOutFilename.size() > MaxOutFilename) Raise(5);
  F.SetPriority(FPriority);
  CheckError();
  F.SetOutputDevice(FDeviceCode, FOutFilename.c_str());
  CheckError();
  F.SetSndDevice(FWaveDeviceNum);
  CheckError();
  SetEnded(false);
  const int Result = F.Play(FStartPos, FEndPos, &FEnded);
  const int Code = F.LastError();
  if (Result != 0 || Code > 0) {
    FLastError = Code > 0 ? Code : 0;
    Raise(uint8_t(FLastError));
  }
  FPlaying = true;
  ++FPlayedXTimes;
  StartTimer();
}

void TMPEGPlayer::Restart() {
  CheckLoaded();
  if (!FOpened) Raise(2);
  SetEnded(false);
  F.Restart();
  CheckError();
  FPlaying = true;
  FPaused = false;
  ++FPlayedXTimes;
  StartTimer();
}

void TMPEGPlayer::Pause(bool Value) {
  CheckLoaded();
  if (FPlaying && !StreamEnded()) {
    F.Pause(Value ? 0 : 1);
    CheckError();
    FPaused = Value;
    return;
  }
  FPaused = false;
  if (Value) Raise(2);
}

void TMPEGPlayer::Stop() {
  CheckLoaded();
  if (!FPlaying || StreamEnded()) Raise(2);
  F.Stop();
  CheckError();
  FPlaying = false;
  FPaused = false;
}

void TMPEGPlayer::Close() {
  CheckLoaded();
  FOpened = FPaused = FPlaying = false;
  FPlayedXTimes = 0;
  F.Close();
  CheckError();
}

int TMPEGPlayer::GetPlayerMode() {
  CheckLoaded();
  const int Mode = F.GetPlayerMode();
  CheckError();
  return Mode;
}

int TMPEGPlayer::GetCurrentPos() {
  CheckLoaded();
  const int Pos = F.GetCurrentPos();
  CheckError();
  return Pos;
}

int TMPEGPlayer::GetLength() {
  CheckLoaded();
  const int Length = F.GetLength();
  CheckError();
  return Length;
}

void TMPEGPlayer::SetStreamName(const std::string& Value) {
  FStreamName = Value;
  if (FOpened) Close();
}

TPlayPriority TMPEGPlayer::PlayerPriority() const {
  for (int i = 0; i < 7; ++i)
    if (PriorityValues[i] == FPriority) return TPlayPriority(i);
  return Normal;
}

void TMPEGPlayer::SetPlayerPriority(TPlayPriority Value) {
  FPriority = PriorityValues[int(Value) >= 0 && int(Value) < 7 ? int(Value) : int(Normal)];
  if (IsLoaded()) {
    F.SetPriority(FPriority);
    CheckError();
  }
}

void TMPEGPlayer::SetTimerFreq(int Value) {
  FTimerFreq = Value;
  if (Value == 0) FUseTimer = false;
}

void TMPEGPlayer::TimerTick(TObject*) {
  if (!FOpened || !FPlaying) {
    if (FTimer) FTimer->SetEnabled(false);
    return;
  }
  int Pos = GetCurrentPos();
  if (Pos > FLength) Pos = 0;
  if (OnPosUpdate) OnPosUpdate(Pos, FLength);
  if (StreamEnded()) {
    if (FTimer) FTimer->SetEnabled(false);
    FPlaying = false;
    if (OnPlayEnd) {
      SetEnded(false);
      OnPlayEnd(this);
    }
  }
}
