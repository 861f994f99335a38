// The Win32 side of the archive engine: the drive check's Retry/Cancel box, the shell's
// icons and type names of entry names, and running a file through the shell.
#pragma once

#include <string>

// The handle types of <windows.h>, declared alike so that this header needs none of it.
struct HWND__;
typedef HWND__* HWND;
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;

// Installs the drive check and the shell look-ups into the portable engine (start-up).
void InstallArchiveWin();

// Asks drive Drive (its root "X:\") for its volume information with the system's
// critical-error box suppressed; while it does not answer, a Retry/Cancel box says so.
// False when the user cancels.
bool WinCheckDriveReady(char Drive);

// The caption of the drive box (the application's title); set by the start-up.
extern std::string ArcApplicationTitle;

// ShellExecute with the default verb.
HINSTANCE ShellExecuteFile(HWND Wnd, const std::string& FileName, const std::string& Params,
                           const std::string& DefaultDir, int ShowCmd);
