// TMediaPlayer: plays sound and video files through the system's media control interface
// (MCI), with a small bar of play, pause and stop buttons. Times are in milliseconds.
#pragma once

#include <string>

#include "classlib/core/exception.h"
#include "classlib/win/controls.h"

// A failure of the media device, with the system's text for it.
class EMCIDeviceError : public Exception {
public:
  using Exception::Exception;
};

// The device's state; mpPlaying is 2.
enum TMPModes { mpNotReady, mpStopped, mpPlaying, mpRecording, mpSeeking, mpPaused, mpOpen };

class TMediaPlayer : public TGraphicControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TMediaPlayer(TComponent* AOwner);
  // Closes the device that is open.
  ~TMediaPlayer() override;

  const std::string& FileName() const { return FFileName; }
  void SetFileName(const std::string& Value) { FFileName = Value; }

  // Opens FileName on the device that suits its kind, closing what was open; raises
  // EMCIDeviceError when the file or the device cannot be opened.
  void Open();
  void Close();
  // Plays from the current position; raises EMCIDeviceError when nothing is open.
  void Play();
  void Pause();
  void Stop();
  bool IsOpen() const { return !FAlias.empty(); }
  // The open file's length and the current position; 0 when nothing is open.
  int Length();
  int Position();
  TMPModes Mode();

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
  // Sends Command (with "%A" standing for this player's device) and returns the reply;
  // raises EMCIDeviceError with the system's text on failure.
  std::string Send(const std::string& Command);
  int Status(const char* Item);
  std::string FFileName;
  std::string FAlias;
};

void RegisterMediaPlayer();
