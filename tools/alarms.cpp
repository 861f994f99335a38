#include "tools/alarms.h"

#include "app/core/lng_strings.h"
#include "classlib/core/typinfo.h"
#include "tools/core/calendar_date.h"

const TClassInfo* TAlarms::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TAlarms, TForm>("TAlarms")
                                     .Handler("FormCreate", &TAlarms::FormCreate)
                                     .Handler("FormKeyDown", &TAlarms::FormKeyDown)
                                     .Handler("CheckBox1Click", &TAlarms::CheckBox1Click)
                                     .Handler("FilesChange", &TAlarms::FilesChange)
                                     .Handler("Button1Click", &TAlarms::Button1Click)
                                     .Handler("BitBtn1Click", &TAlarms::BitBtn1Click)
                                     .Field("TimeEdit", &TAlarms::TimeEdit)
                                     .Field("WaveEdit", &TAlarms::WaveEdit)
                                     .Field("CheckBox1", &TAlarms::CheckBox1)
                                     .Field("Label1", &TAlarms::Label1)
                                     .Field("Label2", &TAlarms::Label2)
                                     .Field("Label3", &TAlarms::Label3)
                                     .Field("Label4", &TAlarms::Label4)
                                     .Field("Image1", &TAlarms::Image1)
                                     .Field("BitBtn1", &TAlarms::BitBtn1)
                                     .Field("BitBtn2", &TAlarms::BitBtn2)
                                     .Field("Files", &TAlarms::Files)
                                     .Field("Button1", &TAlarms::Button1)
                                     .Field("Lng", &TAlarms::Lng)
                                     .Field("FormStorage1", &TAlarms::FormStorage1)
                                     .Build();
  return &Info;
}

void RegisterAlarms() {
  static const bool Done = [] {
    RegisterMaskEdit();
    RegisterStorageClasses();
    RegisterToolEdits();
    return true;
  }();
  (void)Done;
}

TAlarms::TAlarms(TComponent* AOwner) : TForm(AOwner), Clock(DefaultClock), FormLabel(DefaultTimeLabel) {
  RegisterAlarms();
  Message = [](const std::string& Text) { ShowMessage(Text); };
}

void TAlarms::FormCreate(TObject*) {
  Lng->SetIniFileName(LngFileName());
  ShowAlarm();
}

void TAlarms::ShowAlarm() {
  if (Clock == nullptr) return;
  Label4->SetCaption(IntToStr(Clock->AlarmHour()) + ":" + IntToStr(Clock->AlarmMinute()) + ":" +
                     IntToStr(Clock->AlarmSecond()));
  WaveEdit->SetText(Clock->AlarmFile());
}

void TAlarms::CheckBox1Click(TObject*) {
  if (CheckBox1->Checked()) WaveEdit->SetText("ZQsound.wav");
}

void TAlarms::FilesChange(TObject*) {
  const int I = Files->ItemIndex();
  if (I >= 0) WaveEdit->SetText(Files->Items()->Strings(I));
}

void TAlarms::Button1Click(TObject*) { Files->Items()->Clear(); }

void TAlarms::BitBtn1Click(TObject*) {
  const std::string Time = TimeEdit->Text();
  if (Time.empty()) return;
  if (WaveEdit->Text().empty()) {
    std::string Text;
    GetLngString("Invalid", Text);
    Message(Text);
    return;
  }
  // The whole time is checked before anything changes: a bad one ("7_:30:00") raises
  // and leaves the alarm as it was, off if it was off.
  const TAlarmTime T = ParseAlarmTime(Time);
  if (Clock != nullptr) {
    Clock->SetAlarmHour(T.Hour);
    Clock->SetAlarmMinute(T.Minute);
    Clock->SetAlarmSecond(T.Second);
    Clock->SetAlarmFile(WaveEdit->Text());
    Clock->SetAlarmEnabled(true);
  }
  if (FormLabel != nullptr) FormLabel->SetCaption(Time);
  Files->Items()->Add(WaveEdit->Text());
  SetModalResult(mrOk);
  Close();
}

void TAlarms::FormKeyDown(TObject*, uint16_t& Key, TShiftState Shift) {
  if (Key == VK_F1 && Shift.Empty()) {
    if (ShowHelp) ShowHelp(12);
    Key = 0;
  }
}
