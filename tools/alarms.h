// The alarm dialog: sets the alarm of the main window's clock to a time and the sound file
// or program to play or run then.
#pragma once

#include <functional>

#include "classlib/win/dialogs.h"
#include "classlib/win/ext_ctrls.h"
#include "classlib/win/forms.h"
#include "classlib/win/mask.h"
#include "classlib/win/std_ctrls.h"
#include "storage/form_placement.h"
#include "ui/rx_clock.h"
#include "ui/tool_edit.h"

class TAlarms : public TForm {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TAlarms(TComponent* AOwner);

  TMaskEdit* TimeEdit = nullptr;
  TFilenameEdit* WaveEdit = nullptr;  // its button picks the file
  TCheckBox* CheckBox1 = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TLabel* Label3 = nullptr;
  TLabel* Label4 = nullptr;  // the alarm set now
  TImage* Image1 = nullptr;
  TButton* BitBtn1 = nullptr;  // OK
  TButton* BitBtn2 = nullptr;  // cancel
  TComboBox* Files = nullptr;
  TButton* Button1 = nullptr;  // Clear
  TFormStorage* Lng = nullptr;
  TFormStorage* FormStorage1 = nullptr;

  // The clock whose alarm is set and the label that shows the alarm time; the main window
  // gives its own before the dialog is created (Bind) or shown.
  static inline TRxClock* DefaultClock = nullptr;
  static inline TLabel* DefaultTimeLabel = nullptr;
  TRxClock* Clock = nullptr;
  TLabel* FormLabel = nullptr;
  // F1 asks for help topic 12; the program points this at its help window.
  static inline std::function<void(int Topic)> ShowHelp;
  // Shows a message; tests answer in its place.
  std::function<void(const std::string& Text)> Message;

  // Fills Label4 and WaveEdit from the clock's alarm.
  void ShowAlarm();

  void FormCreate(TObject* Sender);
  void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
  void CheckBox1Click(TObject* Sender);
  void FilesChange(TObject* Sender);
  void Button1Click(TObject* Sender);
  void BitBtn1Click(TObject* Sender);
};

void RegisterAlarms();
