// TMapItem: one client-side image map (MAP with its AREA elements) and its hit test.
// Shapes are kept as numbers and tested here, so that the test needs no platform regions.
#pragma once

#include <string>
#include <vector>

#include "html/core/attribute_list.h"
#include "html/core/html_support.h"

class TMapItem : public TObject {
public:
  enum TShape { Rectangle, Circle, Polygon };
  struct TArea {
    TShape Shape = Rectangle;
    std::vector<int> Coords;  // rectangle: l t r b (r, b exclusive); circle: x y r; polygon: x y pairs
    std::string Href, Target;
  };
  std::string MapName;  // upper-cased NAME
  std::vector<TArea> Areas;

  // Adds an AREA from its attributes; an area with too few coordinates is ignored.
  void AddArea(const TAttributeList& Attributes);
  // The first area that holds the point decides: true with its link when it has one,
  // false for an area without HREF (NOHREF) or when no area holds the point.
  bool HitTest(int X, int Y, TUrlTarget& Link) const;
  static bool Contains(const TArea& Area, int X, int Y);
};
