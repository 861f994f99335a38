// Points, sizes and rectangles in the system's own terms, convertible to and from the
// Win32 structures.
#pragma once

#include <windows.h>

struct TPoint {
  int X = 0;
  int Y = 0;
  constexpr TPoint() = default;
  constexpr TPoint(int AX, int AY) : X(AX), Y(AY) {}
  TPoint(const POINT& P) : X(P.x), Y(P.y) {}
  operator POINT() const { return POINT{X, Y}; }
  friend constexpr bool operator==(const TPoint& A, const TPoint& B) { return A.X == B.X && A.Y == B.Y; }
};

struct TSize {
  int cx = 0;
  int cy = 0;
  friend constexpr bool operator==(const TSize& A, const TSize& B) { return A.cx == B.cx && A.cy == B.cy; }
};

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  constexpr TRect() = default;
  constexpr TRect(int ALeft, int ATop, int ARight, int ABottom)
      : Left(ALeft), Top(ATop), Right(ARight), Bottom(ABottom) {}
  TRect(const RECT& R) : Left(R.left), Top(R.top), Right(R.right), Bottom(R.bottom) {}
  operator RECT() const { return RECT{Left, Top, Right, Bottom}; }
  constexpr int Width() const { return Right - Left; }
  constexpr int Height() const { return Bottom - Top; }
  constexpr TPoint TopLeft() const { return TPoint(Left, Top); }
  constexpr TPoint BottomRight() const { return TPoint(Right, Bottom); }
  friend constexpr bool operator==(const TRect& A, const TRect& B) {
    return A.Left == B.Left && A.Top == B.Top && A.Right == B.Right && A.Bottom == B.Bottom;
  }
};

constexpr TPoint Point(int X, int Y) { return TPoint(X, Y); }
constexpr TRect Rect(int Left, int Top, int Right, int Bottom) { return TRect(Left, Top, Right, Bottom); }
constexpr TRect Bounds(int Left, int Top, int Width, int Height) {
  return TRect(Left, Top, Left + Width, Top + Height);
}
