// Screenshots of windows under Wine, for looking at what the program shows.
#pragma once

#include <windows.h>

#include <string>

// Captures the window with its frame and caption (under
// Xvfb the Wine virtual desktop draws them; PrintWindow would give the client area only),
// and writes it as a PNG. Returns the number of pixels that are not the window's most
// common colour, so that a caller can tell a blank capture from a drawn one; -1 on failure.
long SaveWindowPng(HWND Wnd, const std::string& FileName);

// The folder for screenshots: $ZX_SCREENSHOTS, else "screenshots" in the current folder.
std::string ScreenshotPath(const std::string& Name);
