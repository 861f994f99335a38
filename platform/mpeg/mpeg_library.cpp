// mpegdll.dll over libmpg123, playing through waveOut or writing a PCM file.
#include "platform/mpeg/mpeg_library.h"

#include <windows.h>
#include <mmsystem.h>

#include <mpg123.h>

#include "platform/audio/wave_output.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

std::wstring Wide(const char* Text) {
  if (Text == nullptr || *Text == 0) return std::wstring();
  const int n = MultiByteToWideChar(1251, 0, Text, -1, nullptr, 0);
  std::wstring W(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) MultiByteToWideChar(1251, 0, Text, -1, W.data(), n);
  return W;
}

// Where the compressed bytes come from: a file or the caller's callbacks.
struct TSource {
  HANDLE File = INVALID_HANDLE_VALUE;
  bool Callbacks = false;
  TMpegCloseProc CloseProc = nullptr;
  TMpegRestartProc RestartProc = nullptr;
  TMpegReadProc ReadProc = nullptr;
  TMpegSeekProc SeekProc = nullptr;
  TMpegSizeProc SizeProc = nullptr;
  void* User = nullptr;
  void* Context = nullptr;
  bool Seekable = true;
  bool Failed = false;  // a read failed: the stream is damaged, not ended

  long Read(void* Buffer, size_t Count) {
    if (Count > 0x40000000) Count = 0x40000000;
    if (Callbacks) {
      int Got = 0;
      uint8_t Res = 0;
      if (ReadProc) ReadProc(User, Context, Buffer, int(Count), &Got, &Res);
      if (!Res || Got < 0 || size_t(Got) > Count) {
        Failed = true;
        return -1;
      }
      return Got;
    }
    DWORD Got = 0;
    if (!ReadFile(File, Buffer, DWORD(Count), &Got, nullptr)) {
      Failed = true;
      return -1;
    }
    return long(Got);
  }
  long Seek(long Offset, int Whence) {
    if (!Seekable) return -1;
    if (Callbacks) {
      int Res = -1;
      if (SeekProc) SeekProc(User, Context, int(Offset), Whence, &Res);
      return Res;
    }
    LARGE_INTEGER To, Now;
    To.QuadPart = Offset;
    const DWORD Method = Whence == SEEK_SET ? FILE_BEGIN : Whence == SEEK_CUR ? FILE_CURRENT : FILE_END;
    if (!SetFilePointerEx(File, To, &Now, Method) || Now.QuadPart > 0x7FFFFFFF) return -1;
    return long(Now.QuadPart);
  }
  long Size() {
    if (Callbacks) {
      int Res = -1;
      if (SizeProc) SizeProc(User, Context, &Res);
      return Res;
    }
    LARGE_INTEGER S;
    if (!GetFileSizeEx(File, &S) || S.QuadPart > 0x7FFFFFFF) return -1;
    return long(S.QuadPart);
  }
  // Back to the first byte: a seek, or the caller's restart for a stream that cannot seek.
  bool Rewind() {
    if (Seekable) return Seek(0, SEEK_SET) == 0;
    uint8_t Res = 0;
    if (Callbacks && RestartProc) RestartProc(User, Context, &Res);
    return Res != 0;
  }
  void Close() {
    if (Callbacks) {
      if (CloseProc) CloseProc(User, Context);
    } else if (File != INVALID_HANDLE_VALUE) {
      CloseHandle(File);
    }
    *this = TSource();
  }
};

ssize_t ReadSource(void* Handle, void* Buffer, size_t Count) {
  return static_cast<TSource*>(Handle)->Read(Buffer, Count);
}
off_t SeekSource(void* Handle, off_t Offset, int Whence) {
  return static_cast<TSource*>(Handle)->Seek(long(Offset), Whence);
}

// The one stream of the library. Calls come from the caller's thread; the decoding thread
// owns the decoder and the output from Play until it ends or is stopped.
struct TPlayer {
  bool Ready = false;
  int Error = 0;
  mpg123_handle* Decoder = nullptr;
  TSource Source;
  long Rate = 0;
  int Channels = 0;
  int Bitrate = 0, StereoMode = 0, Layer = 0;
  int64_t LengthSamples = 0;
  int Priority = 0;
  int Device = MpegOutWaveMapper;
  int WaveDevice = 0;
  std::wstring OutFile;
  // The last Play's arguments, for Restart.
  int StartMs = 0, EndMs = 0;
  uint8_t* EndFlag = nullptr;

  TWaveOutput Output;
  HANDLE Thread = nullptr;
  std::atomic<int> Mode{MpegModeNone};
  std::atomic<bool> StopRequest{false};
  std::atomic<int> SeekRequest{-1};  // milliseconds, -1 none
  std::atomic<int64_t> BaseSample{0};  // the stream sample the output's position 0 stands for
  HANDLE Resume = nullptr;  // set while not paused (PCM file output waits on it)
  std::recursive_mutex Lock;
};

TPlayer P;

int64_t MsToSamples(int Ms) { return P.Rate > 0 ? int64_t(Ms) * P.Rate / 1000 : 0; }
int SamplesToMs(int64_t S) { return P.Rate > 0 ? int(S * 1000 / P.Rate) : 0; }

void MarkEnded() {
  P.Mode = MpegModeEnded;
  if (P.EndFlag) __atomic_store_n(P.EndFlag, uint8_t(1), __ATOMIC_RELEASE);
}

DWORD WINAPI DecodeThread(void*) {
  const size_t BlockBytes = P.Output.BlockBytes();
  std::vector<unsigned char> Buffer(BlockBytes);
  const int64_t EndSample = P.EndMs > 0 ? MsToSamples(P.EndMs) : INT64_MAX;
  const int FrameBytes = P.Channels * 2;
  int64_t Next = P.BaseSample;  // the stream sample of the next decoded frame
  bool Finished = false;
  while (!P.StopRequest) {
    if (!P.Output.IsDevice() && P.Resume) WaitForSingleObject(P.Resume, INFINITE);
    if (P.StopRequest) break;
    const int SeekMs = P.SeekRequest.exchange(-1);
    if (SeekMs >= 0) {
      const off_t At = mpg123_seek(P.Decoder, off_t(MsToSamples(SeekMs)), SEEK_SET);
      if (At >= 0) {
        P.Output.Discard();
        P.BaseSample = Next = At;
      }
    }
    if (Next >= EndSample) {
      Finished = true;
      break;
    }
    size_t Got = 0;
    size_t Want = BlockBytes;
    if (EndSample != INT64_MAX) Want = size_t(std::min<int64_t>(int64_t(Want), (EndSample - Next) * FrameBytes));
    const int r = mpg123_read(P.Decoder, Buffer.data(), Want, &Got);
    if (Got > 0) {
      if (!P.Output.Write(Buffer.data(), Got, P.StopRequest)) break;
      Next += int64_t(Got) / FrameBytes;
    }
    if (r == MPG123_DONE || (r != MPG123_OK && r != MPG123_NEW_FORMAT) || (Got == 0 && r == MPG123_OK)) {
      // The end of the stream, or a damaged stream that cannot be decoded further: either
      // way what could be played was played.
      Finished = true;
      break;
    }
  }
  if (Finished && P.Output.Drain(P.StopRequest)) MarkEnded();
  return 0;
}

// Ends the decoding thread and closes the output; the stream stays open.
void Halt() {
  if (P.Thread) {
    P.StopRequest = true;
    if (P.Resume) SetEvent(P.Resume);
    P.Output.Wake();
    WaitForSingleObject(P.Thread, INFINITE);
    CloseHandle(P.Thread);
    P.Thread = nullptr;
  }
  P.Output.Close();
  P.StopRequest = false;
  P.SeekRequest = -1;
  if (P.Mode != MpegModeNone) P.Mode = MpegModeStopped;
}

void CloseStream() {
  Halt();
  if (P.Decoder) {
    mpg123_close(P.Decoder);
    mpg123_delete(P.Decoder);
    P.Decoder = nullptr;
  }
  P.Source.Close();
  P.Mode = MpegModeNone;
  P.LengthSamples = 0;
  P.Rate = 0;
  P.Channels = 0;
}

// Creates the decoder over the source and reads the stream's format; an error code.
int OpenDecoder() {
  int Err = MPG123_OK;
  P.Decoder = mpg123_new(nullptr, &Err);
  if (P.Decoder == nullptr) return MpegErrDecoder;
  // Quiet, and gapless (the default flag kept): lengths are the encoder's true sample counts.
  mpg123_param(P.Decoder, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0);
  // Signed 16-bit at whatever rate and channel count the stream has.
  mpg123_format_none(P.Decoder);
  const long* Rates = nullptr;
  size_t RateCount = 0;
  mpg123_rates(&Rates, &RateCount);
  for (size_t i = 0; i < RateCount; ++i)
    mpg123_format(P.Decoder, Rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  if (mpg123_replace_reader_handle(P.Decoder, ReadSource, SeekSource, nullptr) != MPG123_OK) return MpegErrDecoder;
  if (mpg123_open_handle(P.Decoder, &P.Source) != MPG123_OK) return MpegErrInput;
  const long Size = P.Source.Size();
  if (Size > 0) mpg123_set_filesize(P.Decoder, off_t(Size));
  int Encoding = 0;
  if (mpg123_getformat(P.Decoder, &P.Rate, &P.Channels, &Encoding) != MPG123_OK || P.Rate <= 0 ||
      P.Channels < 1 || P.Channels > 2)
    return MpegErrInput;
  mpg123_frameinfo Info{};
  if (mpg123_info(P.Decoder, &Info) == MPG123_OK) {
    P.Bitrate = Info.bitrate;
    P.StereoMode = Info.mode;
    P.Layer = Info.layer;
  }
  // A stream that can seek is scanned for its exact length; otherwise the length is what
  // its header says, or an estimate from its size.
  if (P.Source.Seekable && mpg123_scan(P.Decoder) != MPG123_OK && P.Source.Failed) return MpegErrInput;
  const off_t Length = mpg123_length(P.Decoder);
  P.LengthSamples = Length > 0 ? Length : 0;
  if (P.Source.Seekable && mpg123_seek(P.Decoder, 0, SEEK_SET) < 0) return MpegErrDecoder;
  return 0;
}

// Starts the decoding thread from StartMs with a fresh output; an error code.
int StartPlaying() {
  if (P.Source.Seekable) {
    if (mpg123_seek(P.Decoder, off_t(MsToSamples(P.StartMs)), SEEK_SET) < 0) return MpegErrDecoder;
  } else if (P.StartMs > 0) {
    return MpegErrNonSeekable;
  }
  const off_t At = mpg123_tell(P.Decoder);
  P.BaseSample = At > 0 ? At : 0;
  const bool Opened = P.Device == MpegOutPcmFile
                          ? P.Output.OpenFile(P.OutFile, P.Rate, P.Channels)
                          : P.Output.OpenDevice(P.Device == MpegOutWaveDevice ? UINT(P.WaveDevice) : WAVE_MAPPER,
                                                P.Rate, P.Channels);
  if (!Opened) return MpegErrOutput;
  P.StopRequest = false;
  P.SeekRequest = -1;
  if (P.Resume) SetEvent(P.Resume);
  P.Mode = MpegModePlaying;
  P.Thread = CreateThread(nullptr, 0, DecodeThread, nullptr, 0, nullptr);
  if (P.Thread == nullptr) {
    P.Output.Close();
    P.Mode = MpegModeStopped;
    return MpegErrDecoder;
  }
  SetThreadPriority(P.Thread, P.Priority);
  return 0;
}

// Every entry but LastError starts here: one call at a time, the error cleared.
struct TCall {
  std::lock_guard<std::recursive_mutex> Guard{P.Lock};
  TCall() { P.Error = 0; }
};

bool Fail(int Code) {
  P.Error = Code;
  return false;
}

bool NeedStream() { return P.Mode != MpegModeNone || Fail(MpegErrMode); }

}  // namespace

extern "C" {

uint8_t MPEG_CALL init() {
  TCall C;
  if (!P.Ready) {
    if (mpg123_init() != MPG123_OK) return Fail(MpegErrDecoder);
    P.Resume = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    if (P.Resume == nullptr) return Fail(MpegErrDecoder);
    P.Ready = true;
  }
  return 1;
}

void MPEG_CALL deinit() {
  TCall C;
  CloseStream();
  if (P.Ready) mpg123_exit();
  if (P.Resume) CloseHandle(P.Resume);
  P.Resume = nullptr;
  P.Ready = false;
}

void MPEG_CALL Open(const char* Name, int StreamFlag, TMpegOpenProc OpenProc, TMpegCloseProc CloseProc,
                    TMpegRestartProc RestartProc, TMpegReadProc ReadProc, TMpegSeekProc SeekProc,
                    TMpegSizeProc SizeProc, void* User) {
  TCall C;
  CloseStream();
  if (!P.Ready) {
    Fail(MpegErrDecoder);
    return;
  }
  if (StreamFlag == 1) {
    if (ReadProc == nullptr) {
      Fail(MpegErrInput);
      return;
    }
    P.Source.Callbacks = true;
    P.Source.CloseProc = CloseProc;
    P.Source.RestartProc = RestartProc;
    P.Source.ReadProc = ReadProc;
    P.Source.SeekProc = SeekProc;
    P.Source.SizeProc = SizeProc;
    P.Source.User = User;
    uint8_t Nonseekable = 0;
    if (OpenProc) OpenProc(User, &Nonseekable, &P.Source.Context);
    // A seek handler that refuses to tell the position makes the stream one that cannot seek.
    P.Source.Seekable = !Nonseekable && SeekProc != nullptr;
    if (P.Source.Seekable) P.Source.Seekable = P.Source.Seek(0, SEEK_CUR) >= 0;
  } else {
    const std::wstring W = Wide(Name);
    P.Source.File = W.empty() ? INVALID_HANDLE_VALUE
                              : CreateFileW(W.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (P.Source.File == INVALID_HANDLE_VALUE) {
      Fail(MpegErrInput);
      return;
    }
  }
  const int Err = OpenDecoder();
  if (Err) {
    CloseStream();
    Fail(Err);
    return;
  }
  P.Mode = MpegModeStopped;
}

void MPEG_CALL Pause(int Resume) {
  TCall C;
  const int Mode = P.Mode;
  if (Resume == 0) {
    if (Mode != MpegModePlaying) {
      Fail(MpegErrMode);
      return;
    }
    if (P.Resume) ResetEvent(P.Resume);
    P.Output.Pause(true);
    P.Mode = MpegModePaused;
  } else {
    if (Mode != MpegModePaused) {
      Fail(MpegErrMode);
      return;
    }
    P.Output.Pause(false);
    P.Mode = MpegModePlaying;
    if (P.Resume) SetEvent(P.Resume);
  }
}

void MPEG_CALL Restart() {
  TCall C;
  if (!NeedStream()) return;
  Halt();
  if (P.Source.Seekable) {
    if (const int Err = StartPlaying()) Fail(Err);
    return;
  }
  // A stream that cannot seek starts again from its first byte with a new decoder.
  if (!P.Source.Rewind()) {
    Fail(MpegErrNonSeekable);
    return;
  }
  mpg123_close(P.Decoder);
  mpg123_delete(P.Decoder);
  P.Decoder = nullptr;
  int Err = OpenDecoder();
  if (!Err) Err = StartPlaying();
  if (Err) Fail(Err);
}

void MPEG_CALL Stop() {
  TCall C;
  const int Mode = P.Mode;
  if (Mode != MpegModePlaying && Mode != MpegModePaused) {
    Fail(MpegErrMode);
    return;
  }
  Halt();
}

void MPEG_CALL SetPriority(int Priority) {
  TCall C;
  P.Priority = Priority;
  if (P.Thread) SetThreadPriority(P.Thread, Priority);
}

void MPEG_CALL SetOutputDevice(int Device, const char* FileName) {
  TCall C;
  if (Device < MpegOutWaveMapper || Device > MpegOutPcmFile) {
    Fail(MpegErrOutput);
    return;
  }
  P.Device = Device;
  P.OutFile = Wide(FileName);
}

void MPEG_CALL SetSndDevice(int Device) {
  TCall C;
  P.WaveDevice = Device;
}

int MPEG_CALL Play(int Start, int End, uint8_t* Ended) {
  TCall C;
  if (!NeedStream()) return 1;
  if (P.Mode != MpegModeStopped && P.Mode != MpegModeEnded) return Fail(MpegErrMode), 1;
  if (Start < 0 || End < 0 || (End > 0 && End <= Start)) return Fail(MpegErrMode), 1;
  if (P.Device == MpegOutPcmFile && P.OutFile.empty()) return Fail(MpegErrOutput), 1;
  Halt();
  P.StartMs = Start;
  P.EndMs = End;
  P.EndFlag = Ended;
  if (const int Err = StartPlaying()) return Fail(Err), 1;
  return 0;
}

void MPEG_CALL Close() {
  TCall C;
  CloseStream();
}

int MPEG_CALL GetFrequency() {
  TCall C;
  return NeedStream() ? int(P.Rate) : 0;
}

int MPEG_CALL GetBitrate() {
  TCall C;
  return NeedStream() ? P.Bitrate : 0;
}

int MPEG_CALL GetStereoMode() {
  TCall C;
  return NeedStream() ? P.StereoMode : 0;
}

int MPEG_CALL GetLayer() {
  TCall C;
  return NeedStream() ? P.Layer : 0;
}

int MPEG_CALL GetPlayerMode() {
  TCall C;
  return P.Mode;
}

int MPEG_CALL GetCurrentPos() {
  TCall C;
  if (!NeedStream()) return 0;
  switch (int(P.Mode)) {
    case MpegModePlaying:
    case MpegModePaused:
      return SamplesToMs(P.BaseSample + P.Output.Played());
    case MpegModeEnded:
      return P.EndMs > 0 ? P.EndMs : SamplesToMs(P.LengthSamples);
    default:
      return P.StartMs;
  }
}

int MPEG_CALL GetLength() {
  TCall C;
  return NeedStream() ? SamplesToMs(P.LengthSamples) : 0;
}

void MPEG_CALL ResetPlayerMode() {
  TCall C;
  if (P.Mode == MpegModeEnded) Halt();
}

void MPEG_CALL Seek(int Position) {
  TCall C;
  if (P.Mode != MpegModePlaying && P.Mode != MpegModePaused) {
    Fail(MpegErrMode);
    return;
  }
  if (!P.Source.Seekable) {
    Fail(MpegErrNonSeekable);
    return;
  }
  if (Position < 0) Position = 0;
  P.SeekRequest = Position;
  P.Output.Wake();
}

int MPEG_CALL LastError() { return P.Error; }

}  // extern "C"
