#include "html/core/map_item.h"

#include "classlib/core/sys_utils.h"
#include "html/core/html_tokenizer.h"

namespace {

// The leading integer of a COORDS item ("10px" is 10); an item that is no number is 0.
int CoordValue(const std::string& S) {
  std::size_t i = 0;
  while (i < S.size() && S[i] == ' ') ++i;
  bool negative = false;
  if (i < S.size() && (S[i] == '-' || S[i] == '+')) negative = S[i++] == '-';
  long long v = 0;
  for (; i < S.size() && S[i] >= '0' && S[i] <= '9'; ++i)
    if (v < 100000000) v = v * 10 + (S[i] - '0');
  return int(negative ? -v : v);
}

}  // namespace

void TMapItem::AddArea(const TAttributeList& Attributes) {
  TArea area;
  std::string shape;
  std::vector<int> coords;
  bool noHref = false;
  for (int i = 0; i < Attributes.Count(); ++i) {
    const TAttribute* a = Attributes.Attribute(i);
    switch (a->Which) {
      case HrefSy: area.Href = a->Name; break;
      case TargetSy: area.Target = a->Name; break;
      case NoHrefSy: noHref = true; break;
      case ShapeSy: shape = LowerCase(a->Name.substr(0, 4)); break;
      case CoordsSy: {
        coords.clear();
        std::size_t pos = 0;
        const std::string& s = a->Name;
        while (pos <= s.size() && coords.size() < 201) {
          std::size_t comma = s.find(',', pos);
          if (comma == std::string::npos) comma = s.size();
          std::string item = TrimRight(s.substr(pos, std::min<std::size_t>(comma - pos, 20)));
          if (!TrimBlanks(item).empty() || comma < s.size()) coords.push_back(CoordValue(item));
          pos = comma + 1;
        }
        break;
      }
      default: break;
    }
  }
  if (noHref) area.Href.clear();
  if (shape == "circ") {
    if (coords.size() < 3) return;
    area.Shape = Circle;
    area.Coords.assign(coords.begin(), coords.begin() + 3);
  } else if (shape == "poly") {
    if (coords.size() < 6) return;
    area.Shape = Polygon;
    area.Coords.assign(coords.begin(), coords.begin() + coords.size() / 2 * 2);
  } else {
    if (coords.size() < 4) return;
    area.Shape = Rectangle;
    area.Coords = {coords[0], coords[1], coords[2] + 1, coords[3] + 1};
  }
  Areas.push_back(std::move(area));
}

bool TMapItem::Contains(const TArea& Area, int X, int Y) {
  const std::vector<int>& c = Area.Coords;
  switch (Area.Shape) {
    case Rectangle:
      return X >= std::min(c[0], c[2]) && X < std::max(c[0], c[2]) && Y >= std::min(c[1], c[3]) &&
             Y < std::max(c[1], c[3]);
    case Circle: {
      long long dx = X - c[0], dy = Y - c[1], r = c[2];
      return r >= 0 && dx * dx + dy * dy <= r * r;
    }
    case Polygon: {
      // Non-zero winding: edges crossing the point's row upwards count +1, downwards -1.
      int winding = 0;
      std::size_t n = c.size() / 2;
      for (std::size_t i = 0; i < n; ++i) {
        long long x1 = c[2 * i], y1 = c[2 * i + 1];
        long long x2 = c[2 * ((i + 1) % n)], y2 = c[2 * ((i + 1) % n) + 1];
        long long side = (x2 - x1) * (Y - y1) - (X - x1) * (y2 - y1);
        if (y1 <= Y) {
          if (y2 > Y && side > 0) ++winding;
        } else if (y2 <= Y && side < 0) {
          --winding;
        }
      }
      return winding != 0;
    }
  }
  return false;
}

bool TMapItem::HitTest(int X, int Y, TUrlTarget& Link) const {
  for (const TArea& area : Areas)
    if (Contains(area, X, Y)) {
      if (area.Href.empty()) return false;
      Link.URL = area.Href;
      Link.Target = area.Target;
      return true;
    }
  return false;
}
