#include "html/core/html_host.h"

bool THtmlPicture::HasTransparency() const {
  for (std::uint32_t p : Pixels)
    if ((p >> 24) != 0xFF) return true;
  return false;
}

void DrawFormControlFrame(THtmlHost& Host, int X1, int Y1, int X2, int Y2, bool Raised) {
  Host.FillRect({X1, Y1, X2, Y2}, clWhite);
  if (Host.Monochrome()) {
    Host.DrawLine(X1, Y1, X2 - 1, Y1, clBlack);
    Host.DrawLine(X2 - 1, Y1, X2 - 1, Y2 - 1, clBlack);
    Host.DrawLine(X2 - 1, Y2 - 1, X1, Y2 - 1, clBlack);
    Host.DrawLine(X1, Y2 - 1, X1, Y1, clBlack);
    return;
  }
  TColor light = Raised ? clSilver : clBtnShadow, dark = Raised ? clBtnShadow : clSilver;
  for (int i = 0; i < 2; ++i) {
    Host.DrawLine(X1 + i, Y2 - 1 - i, X1 + i, Y1 + i, light);
    Host.DrawLine(X1 + i, Y1 + i, X2 - 1 - i, Y1 + i, light);
    Host.DrawLine(X2 - 1 - i, Y1 + i, X2 - 1 - i, Y2 - 1 - i, dark);
    Host.DrawLine(X2 - 1 - i, Y2 - 1 - i, X1 + i, Y2 - 1 - i, dark);
  }
}

void DrawBevel3D(THtmlHost& Host, TColor Background, bool Printing, int X1, int Y1, int X2, int Y2, bool Raised) {
  TColor light, dark;
  if (Printing && Host.Monochrome()) {
    light = dark = clBlack;
  } else {
    light = (Printing || (int32_t(Background) & 0xFFFFFF) == 0xFFFFFF) ? clSilver : clBtnHighlight;
    dark = clBtnShadow;
  }
  if (!Raised) std::swap(light, dark);
  Host.DrawLine(X1, Y2 - 1, X1, Y1, light);
  Host.DrawLine(X1, Y1, X2 - 1, Y1, light);
  Host.DrawLine(X2 - 1, Y1, X2 - 1, Y2 - 1, dark);
  Host.DrawLine(X2 - 1, Y2 - 1, X1, Y2 - 1, dark);
}

void WrapTextRect(THtmlHost& Host, const TFont& Font, int X, int Y, int Right, int Bottom, std::string_view Text) {
  int lineHeight = Host.FontMetrics(Font).Height;
  int width = Right - X;
  std::size_t pos = 0;
  while (pos < Text.size()) {
    while (pos < Text.size() && Text[pos] == ' ') ++pos;
    if (pos >= Text.size()) break;
    // The longest run of whole words that fits; a single word too wide is drawn cut.
    std::size_t end = pos, fit = pos;
    while (end < Text.size()) {
      std::size_t next = Text.find(' ', end);
      if (next == std::string_view::npos) next = Text.size();
      if (Host.TextWidth(Font, Text.substr(pos, next - pos)) > width && fit > pos) break;
      fit = next;
      end = next + 1;
      if (Host.TextWidth(Font, Text.substr(pos, fit - pos)) > width) break;
    }
    if (Y + lineHeight > Bottom) return;
    Host.DrawText(Font, X, Y, Text.substr(pos, fit - pos));
    Y += lineHeight;
    pos = fit;
  }
}
