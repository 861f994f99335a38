// TRxClock: a panel that shows the time of day, as digits or as a clock face, and raises
// OnAlarm once when the alarm time is reached.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "classlib/core/sys_utils.h"
#include "classlib/win/ext_ctrls.h"
#include "ui/rx_timer.h"

enum TShowClock { scDigital, scAnalog };
template <> const TTypeInfo* TypeInfoOf<TShowClock>();

// The handler may replace the time the clock shows and tests the alarm with.
using TGetTimeEvent = std::function<void(TObject* Sender, TDateTime& Time)>;

class TRxClock : public TPanel {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TRxClock(TComponent* AOwner);
  ~TRxClock() override;

  bool AlarmEnabled() const { return FAlarmEnabled; }
  void SetAlarmEnabled(bool Value) { FAlarmEnabled = Value; }
  // 1 hour, 2 minute, 3 second of the alarm time. Setting a value out of range raises
  // EConvertError and keeps the alarm as it was; a valid one re-arms the alarm.
  int AlarmElement(int Index) const;
  void SetAlarmElement(int Index, int Value);
  int AlarmHour() const { return AlarmElement(1); }
  void SetAlarmHour(int Value) { SetAlarmElement(1, Value); }
  int AlarmMinute() const { return AlarmElement(2); }
  void SetAlarmMinute(int Value) { SetAlarmElement(2, Value); }
  int AlarmSecond() const { return AlarmElement(3); }
  void SetAlarmSecond(int Value) { SetAlarmElement(3, Value); }
  // The sound file or program the main window plays or runs at the alarm.
  const std::string& AlarmFile() const { return FAlarmFile; }
  void SetAlarmFile(const std::string& Value) { FAlarmFile = Value; }

  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  TColor DotsColor() const { return FDotsColor; }
  void SetDotsColor(TColor Value);
  TShowClock ShowMode() const { return FShowMode; }
  void SetShowMode(TShowClock Value);
  bool ShowSeconds() const { return FShowSeconds; }
  void SetShowSeconds(bool Value);
  bool TwelveHour() const { return FTwelveHour; }
  void SetTwelveHour(bool Value);
  bool LeadingZero() const { return FLeadingZero; }
  void SetLeadingZero(bool Value);

  // The time of day shown (0.0 is midnight), after OnGetTime.
  virtual TDateTime GetSystemTime();
  // The digital text for a time of day; DigitCount receives the length of its digit part
  // (the rest is the am/pm part).
  std::string TimeText(TDateTime Time, int* DigitCount = nullptr) const;
  // One step of the clock, as the timer runs it: redraw what changed, then test the alarm.
  void Tick();
  // The clock's own timer; it lives and dies with the clock.
  TRxTimer* Timer() const { return FTimer.get(); }

  void WndProc(TMessage& Message) override;

  TNotifyEvent OnAlarm;
  TGetTimeEvent OnGetTime;

protected:
  void Paint() override;
  void Resize() override;
  void FontChanged() override;
  void TextChanged() override {}
  void CreateWnd() override;
  void DestroyWnd() override;

private:
  void CheckAlarm();
  void FitFont();
  // Draws the time into the area inside border and bevels.
  void DrawFace(HDC DC);
  void DrawDigital(HDC DC, const RECT& R, TDateTime Time);
  void DrawAnalog(HDC DC, const RECT& R, TDateTime Time);
  RECT FaceRect();
  void FreeTimeChangeWindow();

  bool FAlarmEnabled = false;
  TDateTime FAlarmTime = 0.0;
  bool FAlarmArmed = true;
  std::string FAlarmFile;
  bool FAutoSize = false;
  TColor FDotsColor = TColor(0x808000);
  TShowClock FShowMode = scDigital;
  bool FShowSeconds = true;
  bool FTwelveHour = false;
  bool FLeadingZero = true;
  int FDisplayHour = -1;
  bool FFitting = false;
  // Analog face geometry, recomputed on resize.
  POINT FCentre{0, 0};
  int FRadiusX = 0, FRadiusY = 0;
  // A hidden top-level window: the system broadcasts WM_TIMECHANGE to top-level windows only.
  HWND FTimeChangeWnd = nullptr;
  std::unique_ptr<TRxTimer> FTimer;
};

// Registers the clock for form resources (once).
void RegisterRxClock();
