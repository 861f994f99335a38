// The geometry of shaped hint windows: the window's size from the measured text, the
// outline's and the text's rectangles, and where the window goes beside the cursor with
// its tail at the corner nearest the cursor.
#pragma once

// A rectangle of the hint window (left, top inclusive; right, bottom exclusive).
struct THintRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  friend bool operator==(const THintRect&, const THintRect&) = default;
};

// The process-wide look of hints: Style 0 rectangle, 1 rounded rectangle, 2 ellipse;
// Alignment 0 left, 1 right, 2 centre.
struct THintStyle {
  int Style = 0;
  int ShadowSize = 0;
  bool Tail = false;
  int Alignment = 0;
};

struct THintGeometry {
  THintRect Window;  // the window's size, at (0, 0)
  THintRect Body;    // the outline's bounding rectangle
  THintRect Text;    // where the text is drawn
  int Corner = 0;    // the rounded rectangle's corner size
  int TailHeight = 0;
  int TailShift = 0;
};

// From the text's measured size (DrawText with DT_CALCRECT).
THintGeometry CalcHintGeometry(int TextWidth, int TextHeight, const THintStyle& Style);

// Tail corners: 0 bottom-left (hint above and right of the cursor), 1 bottom-right (above,
// left), 2 top-left (below, right), 3 top-right (below, left).
struct THintPlacement {
  int Left = 0, Top = 0;
  int TailPosition = 2;
};

// Where a window of Width x Height goes: at (Left, Top) as asked, or with a tail just
// above and right of the cursor; flipped to the cursor's other side at the screen edges.
// Geometry's body and text move by the tail when it is on top or on the left.
THintPlacement PlaceHint(int Left, int Top, int Width, int Height, int CursorX, int CursorY, int ScreenWidth,
                         int ScreenHeight, const THintStyle& Style, THintGeometry& Geometry);
