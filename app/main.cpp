// Zembrix start-up: the main window and the message loop.
#include "app/main_form.h"
#include "classlib/win/application.h"
#include "ui/gif_image.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    Application->Initialize();
    RegisterGIFImage();  // pictures of every kind the program shows open by extension
    Application->SetTitle("Zembrix");
    Application->CreateForm(MainForm);
    Application->Run();
  } catch (...) {
    Application->HandleException(Application);
    return 1;
  }
  return 0;
}
