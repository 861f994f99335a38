// Sound output of our audio libraries: 16-bit PCM to a waveOut device (blocks of a tenth
// of a second, four in flight) or to a file of raw samples, the headless path.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

class TWaveOutput {
public:
  TWaveOutput() = default;
  ~TWaveOutput() { Close(); }
  TWaveOutput(const TWaveOutput&) = delete;
  TWaveOutput& operator=(const TWaveOutput&) = delete;

  // Opens a wave device (WAVE_MAPPER or a device number) for Rate and Channels; false
  // when there is none or it refuses the format.
  bool OpenDevice(UINT Device, long Rate, int Channels);
  // Creates (or empties) the file that receives the samples; false when it cannot.
  bool OpenFile(const std::wstring& FileName, long Rate, int Channels);
  bool IsOpen() const { return FWave != nullptr || FFile != INVALID_HANDLE_VALUE; }
  bool IsDevice() const { return FWave != nullptr; }
  // Bytes of one block; Write takes at most this many at a time.
  size_t BlockBytes() const;

  // Writes Count bytes, waiting for a free block; false when Stop became true meanwhile
  // or the output failed.
  bool Write(const void* Data, size_t Count, const std::atomic<bool>& Stop);
  // Waits until every queued block has played; false when Stop became true meanwhile.
  bool Drain(const std::atomic<bool>& Stop);
  // Sample frames played (device) or written (file) since Open or the last Discard.
  int64_t Played() const;
  // Drops what is queued; Played starts again from 0.
  void Discard();
  void Pause(bool Value);
  // Wakes a Write or Drain that waits, so that it sees Stop.
  void Wake();
  void Close();

private:
  struct TBlock {
    std::vector<char> Data;
    WAVEHDR Header{};
  };
  HWAVEOUT FWave = nullptr;
  HANDLE FEvent = nullptr;
  HANDLE FFile = INVALID_HANDLE_VALUE;
  TBlock FBlocks[4];
  int FFrameBytes = 4;
  std::atomic<uint64_t> FWritten{0};
};
