// Routines the file manager's windows share.
#pragma once

#include <windows.h>

#include <string>

// Runs or opens FileName through the shell with its default action, owned by the main
// window. When Params is empty and FileName is not itself an existing file or folder,
// FileName is a command line: its program is run with the rest as arguments ("prog.exe
// arg", "\"C:\\My tools\\x.exe\" -a"). The result is the shell's: above 32 on success;
// on failure the system's message for it has been shown.
HINSTANCE ExecuteFile(const std::string& FileName, const std::string& Params, const std::string& DefaultDir,
                      int ShowCmd);

class TComponent;
class TControl;
class TImage;

// Points the window's language storages (its form storages that keep nothing in the
// registry) at the language file in use, so they read its texts whenever the window is
// shown. Now: they read them at once and no more, for a dialog made for one question whose
// code then writes its own texts.
void UseLanguageFile(TComponent* Form, bool Now = false);

// Loads the picture into Image and shows it on Page (a panel's text/picture page, whose top
// 33 pixels are its tool bar): at its own size when it fits, else scaled into the page
// keeping its proportions. A file that cannot be read raises.
void FitPicture(TControl* Page, TImage* Image, const std::string& FileName);
