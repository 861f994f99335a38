#include <gtest/gtest.h>

#include "html/core/html_tokenizer.h"
#include "html/core/map_item.h"

namespace {

// One AREA's attributes as the tokenizer gives them.
void AddArea(TMapItem& Map, const std::string& Tag) {
  THtmlTokenizer t;
  t.SetBufferSource(Tag.data(), Tag.size());
  t.GetCh();
  t.NextSymbol();
  Map.AddArea(t.Attributes);
}

}  // namespace

TEST(MapItem, ShapesNeedTheirCoordinates) {
  struct {
    const char* Tag;
    bool Kept;
    TMapItem::TShape Shape;
    std::size_t Coords;
  } cases[] = {
      {"<AREA SHAPE=circle COORDS=\"10,10,5\" HREF=a>", true, TMapItem::Circle, 3},
      {"<AREA SHAPE=CIRC COORDS=\"10,10\" HREF=a>", false, TMapItem::Circle, 0},
      {"<AREA COORDS=\"1,2,3\" HREF=a>", false, TMapItem::Rectangle, 0},
      {"<AREA SHAPE=rectangle COORDS=\"1, 2 ,3,4\" HREF=a>", true, TMapItem::Rectangle, 4},
      {"<AREA SHAPE=polygon COORDS=\"0,0,10,0,10,10,7\" HREF=a>", true, TMapItem::Polygon, 6},
      {"<AREA SHAPE=poly COORDS=\"0,0,10,0,10\" HREF=a>", false, TMapItem::Polygon, 0},
      {"<AREA SHAPE=rect COORDS=\"1px,x,3,4\" HREF=a>", true, TMapItem::Rectangle, 4},
  };
  for (const auto& c : cases) {
    TMapItem map;
    AddArea(map, c.Tag);
    ASSERT_EQ(map.Areas.size(), c.Kept ? 1u : 0u) << c.Tag;
    if (!c.Kept) continue;
    EXPECT_EQ(map.Areas[0].Shape, c.Shape) << c.Tag;
    EXPECT_EQ(map.Areas[0].Coords.size(), c.Coords) << c.Tag;
  }
}

TEST(MapItem, HitTests) {
  TMapItem map;
  AddArea(map, "<AREA SHAPE=rect COORDS=\"0,0,9,9\" HREF=first TARGET=t>");
  AddArea(map, "<AREA SHAPE=rect COORDS=\"5,5,19,19\" HREF=second>");
  AddArea(map, "<AREA SHAPE=circle COORDS=\"50,50,10\" HREF=circle>");
  AddArea(map, "<AREA SHAPE=poly COORDS=\"100,0,120,20,100,20\" HREF=triangle>");
  AddArea(map, "<AREA SHAPE=rect COORDS=\"200,0,210,10\" HREF=x NOHREF>");
  AddArea(map, "<AREA SHAPE=rect COORDS=\"200,0,220,20\" HREF=under>");
  struct {
    int X, Y;
    const char* Url;  // nullptr: no link
  } cases[] = {
      {0, 0, "first"},     {9, 9, "first"},       {10, 10, "second"},  {19, 19, "second"}, {20, 20, nullptr},
      {50, 60, "circle"},  {58, 58, nullptr},     {110, 15, "triangle"}, {115, 5, nullptr},
      {205, 5, nullptr},   {215, 15, "under"},
  };
  for (const auto& c : cases) {
    TUrlTarget link;
    bool hit = map.HitTest(c.X, c.Y, link);
    EXPECT_EQ(hit, c.Url != nullptr) << c.X << "," << c.Y;
    if (c.Url) {
      EXPECT_EQ(link.URL, c.Url) << c.X << "," << c.Y;
    }
  }
  TUrlTarget link;
  ASSERT_TRUE(map.HitTest(1, 1, link));
  EXPECT_EQ(link.Target, "t");
}
