// The Win32 side of the archive engine: the drive check's Retry/Cancel box, the shell's
// icons and type names of entry names, the shell's image lists for the archive page, and
// running a file through the shell.
#pragma once

#include <functional>
#include <string>

// The handle types of <windows.h>, declared alike so that this header needs none of it.
struct HWND__;
typedef HWND__* HWND;
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;

class TComponent;
class TCustomListView;

// Installs the drive check, the shell look-ups and the message pump of progress reports
// into the portable engine (start-up). Title captions the drive box; ProcessMessages
// runs pending messages after each progress report, so that a Cancel button can act.
void InstallArchiveWin(const std::string& Title, std::function<void()> ProcessMessages);

// Asks drive Drive (its root "X:\") for its volume information with the system's
// critical-error box suppressed; while it does not answer, a Retry/Cancel box says so.
// False when the user cancels.
bool WinCheckDriveReady(char Drive);

// The caption of the drive box (the application's title); set by the start-up.
extern std::string ArcApplicationTitle;

// Gives ListView the shell's system image lists, large and small, in two image lists
// owned by Owner that share the handles (the shell keeps them).
void AssignSystemImageLists(TComponent* Owner, TCustomListView* ListView);
// Frees the two image lists AssignSystemImageLists gave ListView.
void FreeSystemImageLists(TCustomListView* ListView);

// ShellExecute with the default verb.
HINSTANCE ShellExecuteFile(HWND Wnd, const std::string& FileName, const std::string& Params,
                           const std::string& DefaultDir, int ShowCmd);
