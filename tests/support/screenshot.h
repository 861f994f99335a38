// Screenshots of windows under Wine, for looking at what the program shows.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Captures the window with its frame and caption (under
// Xvfb the Wine virtual desktop draws them; PrintWindow would give the client area only),
// and writes it as a PNG. Returns the number of pixels that are not the window's most
// common colour, so that a caller can tell a blank capture from a drawn one; -1 on failure.
long SaveWindowPng(HWND Wnd, const std::string& FileName);

// The folder for screenshots: $ZX_SCREENSHOTS, else "screenshots" in the current folder.
std::string ScreenshotPath(const std::string& Name);

// Runs Open, which opens a menu and runs its loop, captures the first popup that shows
// from inside that loop and closes it: SaveWindowPng's result, -1 when none showed.
long SaveOpenedMenuPng(const std::function<void()>& Open, const std::string& FileName);
