// Zembrix start-up: the main window and the message loop.
#include "app/main_form.h"
#include "archive/arc_win.h"
#include "classlib/win/application.h"
#include "ui/gif_image.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    Application->Initialize();
    RegisterGIFImage();  // pictures of every kind the program shows open by extension
    Application->SetTitle("Zembrix");
    // The archive engine's drive box, shell look-ups, and messages after its progress
    // reports, so that a Cancel button can act during a run.
    InstallArchiveWin(Application->Title(), [] { Application->ProcessMessages(); });
    Application->CreateForm(MainForm);
    Application->Run();
  } catch (...) {
    Application->HandleException(Application);
    return 1;
  }
  return 0;
}
