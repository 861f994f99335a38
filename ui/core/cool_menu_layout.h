// The measuring and layout arithmetic of owner-drawn menu items and the gradient bands of
// the menus' caption strip, from numbers the window side measures.
#pragma once

#include <cstdint>
#include <vector>

// Where an item's text stands beside its picture (the class library's alignment values).
enum TCoolTextSide { ctsTop = 1, ctsBottom = 2, ctsLeft = 3, ctsRight = 4 };

// One item as measured: its text, its picture and its place in the menu.
struct TCoolMeasureInput {
  int TextSide = ctsRight;
  bool FixedImgSize = true;
  int CustomImgSize = 16;
  bool NoTextAttached = false;
  bool NoImageAttached = false;
  bool MenuBarItem = false;
  bool HasSubItems = false;
  bool HasText = true;
  int TextWidth = 0, TextHeight = 0;
  int AmpWidth = 0;  // the width of "&" in a bar item's caption that holds one, else 0
  int ShortCutWidth = 0;
  int PictureWidth = 0, PictureHeight = 0;
  bool Bevel = false;  // an inner or outer bevel is set
  // The caption strip beside the popup (0: none, or the item does not ask for it).
  int StripWidth = 0;
  bool StripRight = false;
  bool SiblingHasSubItems = false;
};

// The spacing of a menu: H and V the gaps, G the bevel gap, C the check-mark width.
struct TCoolSpacing {
  int H = 5, V = 2, G = 5, C = 13;
};

// The running maxima of one popup's measuring pass.
struct TCoolPopupMaxima {
  int Width = 0, TextWidth = 0, Height = 0, ShortCutWidth = 0;
};

struct TCoolMeasure {
  int TextWidth = 0;  // as used for the layout (the popup's widest for popup items)
  int ImageSize = 0;
  int Height = 0;
  int Width = 0;         // what the menu is told
  int MetricsWidth = 0;  // what drawing lays out in (Width + C)
};

TCoolMeasure MeasureCoolItem(const TCoolMeasureInput& In, const TCoolSpacing& S, TCoolPopupMaxima& Max);

struct TCoolLayoutInput {
  int TextSide = ctsRight;
  bool FixedImgSize = true;
  bool NoTextAttached = false;
  bool NoImageAttached = false;
  bool MenuBarItem = false;
  bool IsLine = false;
  bool Bevel = false;
  int Left = 0, Top = 0, RectWidth = 0;  // the item's rectangle (after any strip)
  TCoolMeasure M;
  int TextHeight = 0;
};

struct TCoolLayout {
  int ImageX = 0, ImageY = 0, TextX = 0, TextY = 0;
};

TCoolLayout LayoutCoolItem(const TCoolLayoutInput& In, const TCoolSpacing& S);

// A band of a vertical gradient: rows [Top, Bottom) in one colour (0x00BBGGRR).
struct TGradientBand {
  int Top = 0, Bottom = 0;
  uint32_t Color = 0;
};
// Height cut into Steps + 1 bands from the bottom up, the colour going from From to To;
// below 2 steps (0 too) every band has the From colour.
std::vector<TGradientBand> GradientBands(int Height, uint32_t From, int Steps, uint32_t To);
