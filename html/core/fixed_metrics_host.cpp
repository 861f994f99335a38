#include "html/core/fixed_metrics_host.h"

#include <cstdio>

void TFixedControl::SetBounds(int Left, int Top, int Width, int Height) {
  Bounds = {Left, Top, Left + Width, Top + Height};
}

void TFixedControl::ClearItems() {
  Items.clear();
  ItemSelected.clear();
}

void TFixedControl::AddItem(const std::string& Value) {
  Items.push_back(Value);
  ItemSelected.push_back(false);
}

void TFixedControl::SetSelected(int Index, bool Value) {
  if (Index >= 0 && Index < int(Items.size())) ItemSelected[Index] = Value;
}

bool TFixedControl::Selected(int Index) const {
  return Index >= 0 && Index < int(Items.size()) && ItemSelected[Index];
}

THtmlFontMetrics TFixedMetricsHost::FontMetrics(const TFont&) {
  THtmlFontMetrics m;
  m.Height = Height;
  m.Descent = Descent;
  m.Ascent = Height - Descent;
  m.AveCharWidth = CharWidth;
  return m;
}

int TFixedMetricsHost::TextWidth(const TFont&, std::string_view Text) { return CharWidth * int(Text.size()); }

static std::string Hex(TColor C) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%06X", unsigned(C) & 0xFFFFFFu);
  return buf;
}

void TFixedMetricsHost::DrawText(const TFont& Font, int X, int Y, std::string_view Text) {
  Log.push_back("text " + std::to_string(X) + "," + std::to_string(Y) + " " + Hex(Font.Color()) + " " +
                std::string(Text));
}

void TFixedMetricsHost::FillRect(const THtmlRect& R, TColor Color) {
  Log.push_back("fill " + std::to_string(R.Left) + "," + std::to_string(R.Top) + "," + std::to_string(R.Right) +
                "," + std::to_string(R.Bottom) + " " + Hex(Color));
}

void TFixedMetricsHost::DrawLine(int X1, int Y1, int X2, int Y2, TColor Color) {
  Log.push_back("line " + std::to_string(X1) + "," + std::to_string(Y1) + "," + std::to_string(X2) + "," +
                std::to_string(Y2) + " " + Hex(Color));
}

void TFixedMetricsHost::DrawPicture(const THtmlPicture& Picture, int X, int Y, int W, int H) {
  Log.push_back("picture " + std::to_string(Picture.Width) + "x" + std::to_string(Picture.Height) + " at " +
                std::to_string(X) + "," + std::to_string(Y) + "," + std::to_string(W) + "," + std::to_string(H));
}

void TFixedMetricsHost::PushClip(const THtmlRect& R) { FClips.push_back(R); }

void TFixedMetricsHost::PopClip() {
  if (!FClips.empty()) FClips.pop_back();
}

std::unique_ptr<THtmlControl> TFixedMetricsHost::CreateControl(THtmlControlKind Kind) {
  auto c = std::make_unique<TFixedControl>(Kind);
  Controls.push_back(c.get());
  return c;
}
