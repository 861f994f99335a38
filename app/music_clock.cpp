// The main window's music bar (open, stop, the MP3 tag, the position timer), the clock's
// alarm and the alarm dialog, the calendar, and the picture window opened from a page's
// picture.
#include <memory>

#include "app/core/lng_strings.h"
#include "app/core/zemb_rout.h"
#include "app/file_drop.h"
#include "app/main_form.h"
#include "app/openers.h"
#include "app/settings.h"
#include "app/shared_routines.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/media_player.h"
#include "storage/core/file_utils.h"
#include "tools/alarms.h"
#include "tools/calendar_form.h"
#include "tools/core/mp3_info.h"
#include "tools/mod_plug_player.h"
#include "tools/mp3_form.h"
#include "tools/mpeg_player.h"
#include "tools/pict.h"

namespace {

std::string Mask(const char* Key) {
  std::string S;
  GetLngMask(Key, S);
  return S;
}

}  // namespace

void TMainForm::SpeedButton79Click(TObject*) {
  MusicOpen->SetFilter(Mask("Music") + "|" + Mask("Video"));
  if (!MusicOpen->Execute()) return;
  MusicFlag = true;
  try {
    PlayMediaFile(MusicOpen->FileName());
  } catch (...) {
    MusicFlag = false;  // nothing plays: the player's error is shown
    throw;
  }
}

void TMainForm::MusicBarDrop(const std::vector<std::string>& Files) {
  if (Files.empty() || !IsMusicFile(Files.front())) return;
  MusicFlag = true;
  try {
    PlayMediaFile(Files.front());
  } catch (const std::exception& E) {
    // A drop ends in the shell's drag loop: the error is shown here, not thrown there.
    MusicFlag = false;
    Application->ShowException(E);
  }
}

namespace {

// The music bar's drop targets, revoked before the bar's windows go.
class TMusicDrops : public TComponent {
public:
  explicit TMusicDrops(TMainForm* Form) : TComponent(Form) {
    for (TWinControl* C : {static_cast<TWinControl*>(Form->ToolBar11), static_cast<TWinControl*>(Form->Musbar)}) {
      auto Drop = [Form](const std::vector<std::string>& Files) { Form->MusicBarDrop(Files); };
      FTargets.push_back({C, RegisterFileDrop(C->Handle(), Drop)});
    }
  }
  ~TMusicDrops() override {
    for (auto& [Control, Target] : FTargets) RevokeFileDrop(Control->HandleAllocated() ? Control->Handle() : nullptr, Target);
  }

private:
  std::vector<std::pair<TWinControl*, TComPtr<IDropTarget>>> FTargets;
};

}  // namespace

void TMainForm::AcceptMusicDrops() {
  if (FindComponent("MusicDrops") != nullptr) return;
  (new TMusicDrops(this))->SetName("MusicDrops");
}

void TMainForm::SpeedButton80Click(TObject*) {
  StopMusic();
  MusicFlag = false;
}

void TMainForm::SpeedButton81Click(TObject*) {
  if (MP3Form == nullptr) Application->CreateForm(MP3Form);
  TStrings* Lines = MP3Form->Memo1->Lines();
  Lines->Clear();
  // Tag fields padded with zeros keep them; a memo line ends at the first zero, and the
  // memo with it, so each field is shown up to its first zero.
  for (const std::string* Field : {&MP3Info->Artist(), &MP3Info->Title(), &MP3Info->Album(), &MP3Info->Year(),
                                   &MP3Info->Comment(), &MP3Info->Genre()})
    Lines->Add(Field->substr(0, Field->find('\0')));
  MP3Form->ShowModal();
}

// Runs every second: a player that fails to answer leaves the bar where it is rather than
// raising a message every second.
void TMainForm::Timer2Timer(TObject*) {
  try {
    if (MP->Mode() == mpPlaying) {
      Musbar->SetPosition(MP->Position());
      return;
    }
  } catch (const std::exception&) {
  }
  try {
    if (mp3->IsLoaded() && mp3->GetPlayerMode() == 3) {
      Musbar->SetPosition(mp3->GetCurrentPos());
      return;
    }
  } catch (const std::exception&) {
  }
  if (mpp->IsPlaying()) Musbar->SetPosition(int(mpp->GetCurrentPosition()));
}

void TMainForm::CalendBtnClick(TObject*) {
  const std::string Program = Settings != nullptr ? Trim(Settings->CalendEdit->Text()) : std::string();
  if (!Program.empty()) {
    Launch(Program, "", ExtractFilePath(Program));
    return;
  }
  std::unique_ptr<TCalendarForm> F(CreateForm<TCalendarForm>(this));
  UseLanguageFile(F.get(), true);
  F->ShowModal();
}

void TMainForm::AlarmBtnClick(TObject*) {
  TAlarms::DefaultClock = Clock;
  TAlarms::DefaultTimeLabel = FormLabel;
  std::unique_ptr<TAlarms> F(CreateForm<TAlarms>(this));
  F->Lng->SetIniFileName(ProgramFolder() + "INI\\zq.lng");
  F->ShowModal();
}

void TMainForm::ClockAlarm(TObject*) {
  std::string File = Clock->AlarmFile();
  // The alarm rings once: it is off before the sound or program starts, even when that
  // fails.
  Clock->SetAlarmEnabled(false);
  FormLabel->SetCaption("");
  if (File.empty()) return;
  // A bare name (the standard sound) is one of the program's own files.
  if (ExtractFilePath(File).empty() && FileExists(ProgramFolder() + File)) File = ProgramFolder() + File;
  if (IsMusicFile(File))
    PlayMediaFile(File);
  else
    Launch(File, "", ExtractFilePath(File));
}

namespace {

void ShowPicture(TImage* Image) {
  if (Form1 == nullptr) Application->CreateForm(Form1);
  Form1->Image1->Picture()->Assign(Image->Picture());
  Form1->ShowModal();
}

}  // namespace

void TMainForm::LImageMouseDown(TObject*, TMouseButton, TShiftState, int, int) { ShowPicture(LImage); }
void TMainForm::RImageMouseDown(TObject*, TMouseButton, TShiftState, int, int) { ShowPicture(RImage); }
