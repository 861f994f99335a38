// What the main window shows, worked out without a window: the style of a name in the
// file panels, the free-space text of the status bar, the caption button's margin and the
// compact window's size.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/core/program_files.h"

// The font of one name in a file panel. Kinds are tested in the order pictures,
// executables, text, archives, HTML: a later match takes the colour, styles add up. A
// name of no kind is black in the list's own style (Matched false).
struct TNameStyle {
  TColor Color = clBlack;
  bool Bold = false;
  bool Italic = false;
  bool Matched = false;
};
TNameStyle NameStyle(std::string_view FileName, const TFileTypeColors& Colors);

// Free space in kilobytes with " КБ"; a drive that could not be read (Bytes < 0) shows 0.
std::string FreeSpaceText(int64_t Bytes);

// The caption button's distance from the window's right edge, from the desktop's
// "CaptionWidth" value: a negative number is twips (the system's own form, "-270"), a
// positive one pixels (as Wine stores it, "18"); 15 twips are a pixel, and the margin is
// three caption buttons and 17 pixels. Anything else keeps Current.
int CaptionButtonMargin(std::string_view CaptionWidth, int Current);

// The compact style's window: three quarters of the screen's width, two thirds of its
// height.
struct TWindowSize {
  int Width, Height;
};
TWindowSize CompactWindowSize(int ScreenWidth, int ScreenHeight);
