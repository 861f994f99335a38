// TMPEGPlayer: plays MPEG audio through the library "mpegdll.dll", loaded at run time by
// name from PathToDLL. Every failure raises TMPEGError with a code and the text of a fixed
// table. Positions and lengths are the library's milliseconds.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "classlib/core/component.h"
#include "classlib/core/exception.h"
#include "classlib/win/timer.h"

class TMPEGError : public Exception {
public:
  TMPEGError(const std::string& Message, uint8_t Code) : Exception(Message), ErrorCode(Code) {}
  uint8_t ErrorCode;
};

enum TPlayPriority { Idle, Lowest, BelowNormal, Normal, AboveNormal, Highest, TimeCritical };
enum TOutputDevice { wavemapper, pcmfile };
template <> const TTypeInfo* TypeInfoOf<TPlayPriority>();
template <> const TTypeInfo* TypeInfoOf<TOutputDevice>();

using TOpenStreamEvent = std::function<void(bool& Nonseekable, void*& Context)>;
using TCloseStreamEvent = std::function<void(void* Context)>;
using TRestartStreamEvent = std::function<void(void* Context, bool& res)>;
using TReadStreamEvent = std::function<void(void* Context, void* read_buffer, int nNumberOfBytesToRead,
                                            int& nNumberOfBytesRead, bool& res)>;
using TSeekStreamEvent = std::function<void(void* Context, int numbytes, int MoveMethod, int& res)>;
using TGetStreamSizeEvent = std::function<void(void* Context, int& res)>;
using TPosUpdateEvent = std::function<void(int Pos, int Len)>;

class TMPEGPlayer : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TMPEGPlayer(TComponent* AOwner);
  // Unloads the library (closing a stream that is open).
  ~TMPEGPlayer() override;

  // Longest names the library is given; longer ones are refused with TMPEGError.
  static constexpr size_t MaxStreamName = 511;  // code 3 "Input stream error"
  static constexpr size_t MaxOutFilename = 259;  // code 5 "Output device failure"

  bool IsLoaded() const { return FLibrary != nullptr; }
  void LoadDLL();
  void UnloadDLL();
  // The library's file: PathToDLL, a backslash unless it is empty or ends in "\" or ":",
  // then "mpegdll.dll".
  std::string LibraryPath() const;

  void Open();
  void Play();
  void Restart();
  void Pause(bool Value);
  void Stop();
  void Close();
  int GetPlayerMode();
  int GetCurrentPos();
  int GetLength();

  bool Seekable() const { return FSeekable; }
  void SetSeekable(bool Value) { FSeekable = Value; }
  bool FromStream() const { return FFromStream; }
  void SetFromStream(bool Value) { FFromStream = Value; }
  TPlayPriority PlayerPriority() const;
  void SetPlayerPriority(TPlayPriority Value);
  bool UseTimer() const { return FUseTimer; }
  void SetUseTimer(bool Value) { FUseTimer = Value; }
  int TimerFreq() const { return FTimerFreq; }
  void SetTimerFreq(int Value);
  bool AutoPlay() const { return FAutoPlay; }
  void SetAutoPlay(bool Value) { FAutoPlay = Value; }
  const std::string& StreamName() const { return FStreamName; }
  void SetStreamName(const std::string& Value);
  TOutputDevice OutputDevice() const { return FDeviceCode == 0 ? wavemapper : pcmfile; }
  void SetOutputDevice(TOutputDevice Value) { FDeviceCode = Value == pcmfile ? 2 : 0; }
  int WaveDeviceNum() const { return FWaveDeviceNum; }
  void SetWaveDeviceNum(int Value) { FWaveDeviceNum = Value; }
  const std::string& OutFilename() const { return FOutFilename; }
  void SetOutFilename(const std::string& Value) { FOutFilename = Value; }
  const std::string& PathToDLL() const { return FPathToDLL; }
  void SetPathToDLL(const std::string& Value) { FPathToDLL = Value; }
  int StartPos() const { return FStartPos; }
  void SetStartPos(int Value) { FStartPos = Value; }
  int EndPos() const { return FEndPos; }
  void SetEndPos(int Value) { FEndPos = Value; }
  int PlayedXTimes() const { return FPlayedXTimes; }

  bool Opened() const { return FOpened; }
  bool Playing() const { return FPlaying; }
  bool Paused() const { return FPaused; }
  // The end-of-stream flag that the library's decoding thread sets.
  bool StreamEnded() const;
  // The position timer (one per player, created by the first LoadDLL).
  TTimer* PositionTimer() const { return FTimer; }

  TOpenStreamEvent OnOpenStream;
  TCloseStreamEvent OnCloseStream;
  TRestartStreamEvent OnRestartStream;
  TGetStreamSizeEvent OnGetStreamSize;
  TSeekStreamEvent OnSeekStream;
  TReadStreamEvent OnReadStream;
  TPosUpdateEvent OnPosUpdate;
  TNotifyEvent OnPlayEnd;

  // The position timer's tick: reports the position and notices the end of the stream.
  virtual void TimerTick(TObject* Sender);

private:
  using TVoidProc = void(__stdcall*)();
  using TIntProc = int(__stdcall*)();
  using TIntArgProc = void(__stdcall*)(int);
  struct TEntries {
    uint8_t(__stdcall* init)();
    TVoidProc deinit;
    void(__stdcall* Open)(const char*, int, void*, void*, void*, void*, void*, void*, void*);
    TIntArgProc Pause;
    TVoidProc Restart;
    TVoidProc Stop;
    TIntArgProc SetPriority;
    void(__stdcall* SetOutputDevice)(int, const char*);
    int(__stdcall* Play)(int, int, uint8_t*);
    TVoidProc Close;
    TIntProc GetFrequency, GetBitrate, GetStereoMode, GetLayer, GetPlayerMode, GetCurrentPos, GetLength;
    TVoidProc ResetPlayerMode;
    TIntArgProc Seek;
    TIntArgProc SetSndDevice;
    TIntProc LastError;
  };

  [[noreturn]] void Raise(uint8_t Code);
  void CheckLoaded();
  void CheckError();
  void StartTimer();
  void SetEnded(bool Value);

  HMODULE FLibrary = nullptr;
  TEntries F{};
  bool FOpened = false, FPlaying = false, FPaused = false;
  alignas(4) uint8_t FEnded = 0;  // written by the library's thread: atomic access only
  int FPriority = 0;
  int FLength = 0;
  int FLastError = 0;
  TTimer* FTimer = nullptr;

  bool FSeekable = false, FFromStream = false, FUseTimer = true, FAutoPlay = false;
  int FTimerFreq = 1000;
  std::string FStreamName, FOutFilename, FPathToDLL;
  int FDeviceCode = 0;
  int FWaveDeviceNum = 0;
  int FStartPos = 0, FEndPos = 0;
  int FPlayedXTimes = 0;

  friend struct TMpegCallbacks;
};

void RegisterMPEGPlayer();
