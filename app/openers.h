// Opening a file where the user asked for it: on a panel's own text/picture page, in a
// separate text viewer, in the music players (the main window's music bar follows it), or
// in the encryption dialog.
#pragma once

#include <string>

#include "tools/crypt_it.h"  // ShowEncryptDialog, ShowDecryptDialog

class TPageControl;
class TStream;
class TViewForm;

// Shows FileName on the text/picture page of the panel whose page control is Pages
// (LPages or RPages) and makes that page the active one: a picture fitted to the page, any
// other file as text (DOS text converted to Windows text). Raises when the file cannot be
// read; the panel's files page then stays in front.
void OpenFileInPanel(TPageControl* Pages, const std::string& FileName);

// A new text viewer window with the file's text (DOS text converted), read-only, titled
// with the file name. With the options' large-file question on, a file over 1 MB is opened
// only when the user answers OK; nullptr when not opened. Raises when the file cannot be
// read (no window is left behind).
TViewForm* ViewFile(const std::string& FileName);
// A new text viewer window with the text from the stream's position to its end, titled " ".
TViewForm* ViewStream(TStream* Stream);

// Plays a sound, video or tracker file with the player its extension calls for, after
// stopping whatever was playing; the music bar's label shows the file and its progress
// bar the position. A file of another kind only has its name shown. Raises the player's
// error (no sound device, a damaged file); the bar is then cleared.
void PlayMediaFile(const std::string& FileName);
// Stops whichever player plays and clears the music bar.
void StopMusic();
