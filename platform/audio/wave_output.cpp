#include "platform/audio/wave_output.h"

#include <mmsystem.h>

#include <cstring>

bool TWaveOutput::OpenDevice(UINT Device, long Rate, int Channels) {
  Close();
  FFrameBytes = Channels * 2;
  WAVEFORMATEX F{};
  F.wFormatTag = WAVE_FORMAT_PCM;
  F.nChannels = WORD(Channels);
  F.nSamplesPerSec = DWORD(Rate);
  F.wBitsPerSample = 16;
  F.nBlockAlign = WORD(FFrameBytes);
  F.nAvgBytesPerSec = F.nSamplesPerSec * F.nBlockAlign;
  FEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (FEvent == nullptr ||
      waveOutOpen(&FWave, Device, &F, DWORD_PTR(FEvent), 0, CALLBACK_EVENT) != MMSYSERR_NOERROR) {
    FWave = nullptr;
    Close();
    return false;
  }
  const size_t Block = size_t(Rate / 10) * FFrameBytes;
  for (TBlock& B : FBlocks) {
    B.Data.assign(Block, 0);
    B.Header = WAVEHDR{};
    B.Header.lpData = B.Data.data();
    B.Header.dwBufferLength = DWORD(Block);
    waveOutPrepareHeader(FWave, &B.Header, sizeof(WAVEHDR));
    B.Header.dwFlags |= WHDR_DONE;  // free to fill
  }
  return true;
}

bool TWaveOutput::OpenFile(const std::wstring& FileName, long, int Channels) {
  Close();
  FFrameBytes = Channels * 2;
  if (FileName.empty()) return false;
  FFile = CreateFileW(FileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
  return FFile != INVALID_HANDLE_VALUE;
}

size_t TWaveOutput::BlockBytes() const {
  return FWave ? FBlocks[0].Data.size() : size_t(4096) * FFrameBytes;
}

bool TWaveOutput::Write(const void* Data, size_t Count, const std::atomic<bool>& Stop) {
  if (!FWave) {
    DWORD Put = 0;
    if (FFile == INVALID_HANDLE_VALUE || !WriteFile(FFile, Data, DWORD(Count), &Put, nullptr) || Put != Count)
      return false;
    FWritten += Count;
    return true;
  }
  if (Count > FBlocks[0].Data.size()) return false;
  while (!Stop) {
    for (TBlock& B : FBlocks) {
      if (!(B.Header.dwFlags & WHDR_DONE)) continue;
      std::memcpy(B.Data.data(), Data, Count);
      B.Header.dwBufferLength = DWORD(Count);
      B.Header.dwFlags &= ~DWORD(WHDR_DONE);
      if (waveOutWrite(FWave, &B.Header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) return false;
      FWritten += Count;
      return true;
    }
    WaitForSingleObject(FEvent, 200);
  }
  return false;
}

bool TWaveOutput::Drain(const std::atomic<bool>& Stop) {
  if (!FWave) return true;
  while (true) {
    bool Busy = false;
    for (const TBlock& B : FBlocks) Busy |= !(B.Header.dwFlags & WHDR_DONE);
    if (!Busy) return true;
    if (Stop) return false;
    WaitForSingleObject(FEvent, 200);
  }
}

int64_t TWaveOutput::Played() const {
  if (FWave) {
    MMTIME T{};
    T.wType = TIME_SAMPLES;
    if (waveOutGetPosition(FWave, &T, sizeof(T)) == MMSYSERR_NOERROR) {
      if (T.wType == TIME_SAMPLES) return T.u.sample;
      if (T.wType == TIME_BYTES) return T.u.cb / FFrameBytes;
    }
  }
  return int64_t(FWritten / FFrameBytes);
}

void TWaveOutput::Discard() {
  if (FWave) waveOutReset(FWave);
  FWritten = 0;
}

void TWaveOutput::Pause(bool Value) {
  if (FWave) Value ? waveOutPause(FWave) : waveOutRestart(FWave);
}

void TWaveOutput::Wake() {
  if (FEvent) SetEvent(FEvent);
}

void TWaveOutput::Close() {
  if (FWave) {
    waveOutReset(FWave);
    for (TBlock& B : FBlocks) waveOutUnprepareHeader(FWave, &B.Header, sizeof(WAVEHDR));
    waveOutClose(FWave);
    FWave = nullptr;
  }
  if (FEvent) CloseHandle(FEvent);
  FEvent = nullptr;
  if (FFile != INVALID_HANDLE_VALUE) CloseHandle(FFile);
  FFile = INVALID_HANDLE_VALUE;
  FWritten = 0;
}
