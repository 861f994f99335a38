// Zembrix start-up: the program folder, the windows, the message loop.
#include "app/core/lng_strings.h"
#include "app/start_up.h"
#include "archive/arc_win.h"
#include "classlib/core/sys_utils.h"
#include "classlib/win/application.h"
#include "ui/gif_image.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    SetProgramFolder(ExtractFilePath(Application->ExeName()));
    RegisterGIFImage();  // pictures of every kind the program shows open by extension
    Application->SetTitle("Zembrix");
    // The archive engine's drive box, shell look-ups, and messages after its progress
    // reports, so that a Cancel button can act during a run.
    InstallArchiveWin(Application->Title(), [] { Application->ProcessMessages(); });
    StartUp();
    Application->Run();
  } catch (...) {
    Application->HandleException(Application);
    return 1;
  }
  return 0;
}
