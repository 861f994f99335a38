#include "app/openers.h"

#include <memory>

#include "app/core/lng_strings.h"
#include "app/core/zemb_rout.h"
#include "app/main_form.h"
#include "app/settings.h"
#include "app/shared_routines.h"
#include "classlib/core/stream.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "classlib/win/media_player.h"
#include "storage/core/file_utils.h"
#include "tools/core/mp3_info.h"
#include "tools/mod_plug_player.h"
#include "tools/mpeg_player.h"
#include "tools/view_form.h"

namespace {

// The whole file as bytes.
std::string ReadWholeFile(const std::string& FileName) {
  TFileStream F(FileName, fmOpenRead | fmShareDenyWrite);
  std::string S(size_t(F.Size()), '\0');
  if (!S.empty()) F.ReadBuffer(S.data(), int64_t(S.size()));
  return S;
}

// The DOS text of a file converted to Windows text, in a stream at its start.
std::unique_ptr<TMemoryStream> DosTextStream(const std::string& FileName) {
  const std::string Text = DosToWin(ReadWholeFile(FileName));
  auto M = std::make_unique<TMemoryStream>();
  if (!Text.empty()) M->WriteBuffer(Text.data(), int64_t(Text.size()));
  M->SetPosition(0);
  return M;
}

std::string Upper(std::string S) {
  for (char& C : S)
    if (C >= 'a' && C <= 'z') C = char(C - 'a' + 'A');
  return S;
}

bool OneOf(const std::string& Ext, std::initializer_list<const char*> List) {
  for (const char* E : List)
    if (Ext == E) return true;
  return false;
}

std::string Lng(const std::string& Key) {
  std::string S;
  GetLngString(Key, S);
  return S;
}

// Viewers belong to the application; being several, they go without the form's name.
TViewForm* NewViewer() {
  std::unique_ptr<TViewForm> Form(CreateForm<TViewForm>(nullptr));
  Form->SetName("");
  if (Application != nullptr) Application->InsertComponent(Form.get());
  return Form.release();
}

void ShowViewer(TViewForm* Form) {
  Form->Show();
  // The edit's window is made by Show: only now can its modified flag be cleared.
  Form->TextView->SetModified(false);
}

}  // namespace

void OpenFileInPanel(TPageControl* Pages, const std::string& FileName) {
  if (MainForm == nullptr || Pages == nullptr) return;
  const bool Left = Pages == MainForm->LPages;
  TTabSheet* Page = Left ? MainForm->LEditPage : MainForm->REditPage;
  TRxRichEdit* Edit = Left ? MainForm->LEdit : MainForm->REdit;
  TImage* Image = Left ? MainForm->LImage : MainForm->RImage;
  THourGlass Busy;
  if (IsPictureFile(FileName)) {
    FitPicture(Page, Image, FileName);
    Edit->SetAlign(alNone);
    Edit->Hide();
    Image->Show();
  } else {
    // Read before the page changes, so that a file that cannot be read leaves it as it was.
    std::unique_ptr<TMemoryStream> Text;
    if (IsWindowsText(FileName)) {
      Text = std::make_unique<TMemoryStream>();
      const std::string Bytes = ReadWholeFile(FileName);
      if (!Bytes.empty()) Text->WriteBuffer(Bytes.data(), int64_t(Bytes.size()));
      Text->SetPosition(0);
    } else {
      // Converted in memory: no temporary file to clash with the other panel's or to leave behind.
      Text = DosTextStream(FileName);
    }
    Edit->Lines()->LoadFromStream(Text.get());
    Edit->SetAlign(alClient);
    Edit->Show();
    Image->SetAlign(alNone);
    Image->Hide();
  }
  Pages->SetActivePage(Page);
}

TViewForm* ViewFile(const std::string& FileName) {
  constexpr int64_t BigFile = 0x100000;
  if (Settings != nullptr && Settings->OpenLarge->Checked() && GetFileSizeByName(FileName) > BigFile) {
    const int Answer = Application->MessageBox(Lng("Open_file"), Lng("Big_file"), MB_OKCANCEL | MB_ICONQUESTION);
    if (Answer != IDOK) return nullptr;
  }
  THourGlass Busy;
  std::unique_ptr<TViewForm> Form(NewViewer());
  Form->LoadFile(FileName, !IsWindowsText(FileName));
  ShowViewer(Form.get());
  return Form.release();
}

TViewForm* ViewStream(TStream* Stream) {
  std::unique_ptr<TViewForm> Form(NewViewer());
  Form->LoadStream(Stream);
  ShowViewer(Form.get());
  return Form.release();
}

void StopMusic() {
  if (MainForm == nullptr) return;
  // Each player is asked only when it plays: their stop calls raise otherwise.
  try {
    if (MainForm->MP->Mode() == mpPlaying) MainForm->MP->Stop();
  } catch (const std::exception&) {
  }
  try {
    if (MainForm->mp3->IsLoaded() && MainForm->mp3->GetPlayerMode() == 3) MainForm->mp3->Stop();
  } catch (const std::exception&) {
  }
  if (MainForm->mpp->IsPlaying()) MainForm->mpp->Stop();
  MainForm->Musbar->SetPosition(0);
  MainForm->MusicPath->SetCaption("");
}

void PlayMediaFile(const std::string& FileName) {
  if (MainForm == nullptr) return;
  TMainForm* M = MainForm;
  const std::string Ext = Upper(ExtractFileExt(FileName));
  const bool Mpeg = Ext == ".MP3";
  const bool Mci = OneOf(Ext, {".WAV", ".MID", ".MOV", ".RMI", ".DAT", ".MPG", ".MP2", ".AVI"});
  const bool Tracker =
      OneOf(Ext, {".MOD", ".S3M", ".XM", ".IT", ".MPP", ".MED", ".ITZ", ".S3Z", ".XMZ", ".MDZ", ".MPZ", ".MEZ"});
  if (Mpeg || Mci || Tracker) {
    // One piece at a time: the bar follows only one player.
    StopMusic();
    try {
      if (Mpeg) {
        M->MP3Info->SetFilename(FileName);
        M->mp3->UnloadDLL();
        M->mp3->LoadDLL();
        M->mp3->SetStreamName(FileName);
        M->mp3->Open();
        M->Musbar->SetMax(M->mp3->GetLength());
        M->mp3->Play();
      } else if (Mci) {
        M->MP->SetFileName(FileName);
        M->MP->Open();
        M->Musbar->SetMax(M->MP->Length());
        M->MP->Play();
      } else {
        M->mpp->Deinit();
        M->mpp->Init();
        M->mpp->SetSongName(FileName);
        if (!M->mpp->Load()) throw Exception(LngStringOr("Cannot_play", "Cannot play") + " " + FileName);
        M->Musbar->SetMax(int(M->mpp->GetMaxPosition()));
        M->mpp->Play();
      }
    } catch (...) {
      M->MusicPath->SetCaption("");
      throw;
    }
  }
  M->MusicPath->SetCaption(FileName);
}
