#include "app/start_up.h"

#include <algorithm>
#include <memory>

#include "app/core/lng_strings.h"
#include "app/arc_dialogs.h"
#include "app/arc_page.h"
#include "app/ass_form.h"
#include "app/fast_list.h"
#include "app/help_form.h"
#include "app/main_form.h"
#include "app/plugin_manager.h"
#include "app/quick_find.h"
#include "app/re_form.h"
#include "app/settings.h"
#include "app/shared_routines.h"
#include "classlib/win/application.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/graphics.h"
#include "tools/clp_view.h"
#include "tools/hex_edit.h"
#include "tools/mp3_form.h"
#include "tools/pict.h"

std::string LastLeftPath;
std::string LastRightPath;

const TClassInfo* TSlash::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TSlash, TForm>("TSlash")
                                 .Field("Image1", &TSlash::Image1)
                                 .Field("Label3", &TSlash::Label3)
                                 .Field("LoadProgr", &TSlash::LoadProgr)
                                 .Build();
  return &Info;
}

namespace {

// The splash picture: the program's name on a dark band.
void PaintSplash(TSlash* S) {
  TBitmap* B = S->Image1->Picture()->Bitmap();
  B->SetSize(S->ClientWidth(), S->ClientHeight());
  TCanvas* C = B->Canvas();
  for (int Y = 0; Y < B->Height(); Y += 2) {
    int Shade = 0x40 + 0x60 * Y / std::max(1, B->Height());
    C->Brush()->SetColor(TColor(Shade << 16 | (Shade / 3) << 8));
    C->FillRect(TRect(0, Y, B->Width(), Y + 2));
  }
  C->Brush()->SetStyle(bsClear);
  C->Font()->SetName("Arial");
  C->Font()->SetColor(clWhite);
  C->Font()->SetSize(36);
  C->Font()->SetStyle(TFontStyles{fsBold});
  C->TextOut(24, 60, "Zembrix");
  C->Font()->SetSize(12);
  C->Font()->SetStyle(TFontStyles{});
  C->TextOut(28, 130, "two-panel file manager");
  S->Label3->Font()->SetColor(clWhite);
}

}  // namespace

void StartUp(const std::function<void(const std::string&, int)>& Progress) {
  std::unique_ptr<TSlash> Splash(CreateForm<TSlash>(Application));
  PaintSplash(Splash.get());
  // Owned by the program's hidden window: no taskbar button, never taken for the main window.
  SetWindowLongPtrW(Splash->Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(Application->Handle()));
  Splash->Show();
  auto Step = [&](const char* Status, int Value, bool Repaint) {
    if (Status != nullptr) Splash->Label3->SetCaption(Status);
    if (Value >= 0) Splash->LoadProgr->SetPosition(Value);
    if (Repaint) Splash->Repaint();
    if (Progress) Progress(Splash->Label3->Caption(), Splash->LoadProgr->Position());
  };
  Step("Create main window...", 5, true);

  Application->Initialize();
  Application->SetTitle("Zembrix");
  // The main window's own creation makes the archive pages' progress and add-to-archive
  // windows as well.
  Application->CreateForm(MainForm);
  Application->CreateForm(CLPView);
  Step(nullptr, 30, true);
  Step("Create other windows...", -1, false);
  Application->CreateForm(Settings);
  // The built-in texts (plural endings, "in folder") speak the language the options chose;
  // the shipped language file is Russian, and so is a new user's choice.
  EnglishTexts = !Settings->RadioButton1->Checked();
  // The options window stays above the main window and has no taskbar button of its own.
  SetWindowLongPtrW(Settings->Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(MainForm->Handle()));
  Application->CreateForm(ReForm);
  Step(nullptr, 40, true);
  Application->CreateForm(PM);
  Step(nullptr, 45, false);
  Application->CreateForm(About);
  Step(nullptr, 50, true);
  Application->CreateForm(QFind);
  Step(nullptr, 55, false);
  Step(nullptr, 60, true);
  Application->CreateForm(Form1);
  Step(nullptr, 65, false);
  Application->CreateForm(FastList);
  Step(nullptr, 70, true);
  Application->CreateForm(HexEd);
  Step(nullptr, 75, false);
  Step("Create assistant window...", -1, true);
  Application->CreateForm(AssForm);
  Step(nullptr, 85, true);
  Application->CreateForm(MP3Form);
  Step(nullptr, 90, true);
  Application->CreateForm(HelpForm);
  Step(nullptr, 95, true);

  std::string Language = ProgramFolder() + "INI\\zq.lng";
  Settings->Lang2->SetIniFileName(Language);
  ApplyDialogTexts();
  Step("Initialization system...", -1, false);
  // Showing the options restores them, and restoring clicks each changed one, which
  // applies it to the main window (the assistant and the recycle bin are only marked to
  // be shown: they appear once the splash is gone).
  Settings->Show();
  Settings->Close();
  Step(nullptr, 100, true);
  // The start folders win over the folders the main window keeps: it shows them once its
  // stored state has been restored, when it is shown.
  MainForm->SetStartFolders(Settings->LeftFolder->Text(), Settings->RightFolder->Text());

  MainForm->Lang->SetIniFileName(Language);
  Settings->Lang2->SetIniFileName(Language);
  if (MainForm->ArcPage != nullptr && MainForm->ArcPage->ArcForm != nullptr)
    MainForm->ArcPage->ArcForm->FormStorage1->SetIniFileName(Language);
  FastList->FormStorage1->SetIniFileName(Language);
  HexEd->FormStorage1->SetIniFileName(Language);
  // And every other window that takes its texts from the language file.
  for (int I = 0; I < Application->ComponentCount(); ++I) UseLanguageFile(Application->Components(I));
  if (MainForm->ArcPage != nullptr) UseLanguageFile(MainForm->ArcPage->Form2);
  LastRightPath = Settings->RightFolder->Text();
  LastLeftPath = Settings->LeftFolder->Text();
  Splash->Hide();
  if (Settings->AssCheck->Checked()) AssForm->Show();
  if (Settings->Recycle->Checked()) ReForm->Show();
}
