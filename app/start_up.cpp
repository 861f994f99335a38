#include "app/start_up.h"

#include <algorithm>
#include <memory>

#include "app/core/lng_strings.h"
#include "app/main_form.h"
#include "app/settings.h"
#include "classlib/win/application.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/graphics.h"
#include "tools/hex_edit.h"

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
  Application->CreateForm(MainForm);
  Step(nullptr, 30, true);
  Step("Create other windows...", -1, false);
  Application->CreateForm(Settings);
  // The options window stays above the main window and has no taskbar button of its own.
  SetWindowLongPtrW(Settings->Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(MainForm->Handle()));
  Step(nullptr, 40, true);
  // Windows built elsewhere join this order as they come: plug-ins 45, viewer and about
  // 50, quick find 55, archiver 60, pictures 65, fast list 70, hex editor 75, assistant
  // 85, tags 90, help 95.
  for (int P : {45, 50, 55, 60, 65, 70}) Step(nullptr, P, true);
  Application->CreateForm(HexEd);
  Step(nullptr, 75, false);
  Step("Create assistant window...", -1, true);
  for (int P : {85, 90, 95}) Step(nullptr, P, true);

  std::string Language = ProgramFolder() + "INI\\zq.lng";
  Settings->Lang2->SetIniFileName(Language);
  Step("Initialization system...", -1, false);
  // Showing the options restores them, and restoring clicks each changed one, which
  // applies it to the main window.
  Settings->Show();
  Settings->Close();
  Step(nullptr, 100, true);
  // The start folders win over the folders the main window keeps: it shows them once its
  // stored state has been restored, when it is shown.
  MainForm->SetStartFolders(Settings->LeftFolder->Text(), Settings->RightFolder->Text());

  MainForm->Lang->SetIniFileName(Language);
  Settings->Lang2->SetIniFileName(Language);
  HexEd->FormStorage1->SetIniFileName(Language);
  LastRightPath = Settings->RightFolder->Text();
  LastLeftPath = Settings->LeftFolder->Text();
  Splash->Hide();
}
