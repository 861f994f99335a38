#include "ui/core/cool_menu_layout.h"

#include <algorithm>
#include <cstdint>

namespace {

// Rounded a * b / c, as the platform's MulDiv; 0 for c = 0.
int MulDiv(int A, int B, int C) {
  if (C == 0) return 0;
  int64_t P = int64_t(A) * B;
  int64_t Q = (P >= 0) == (C > 0) ? (P + (C > 0 ? C : -C) / 2) / C : (P - (C > 0 ? C : -C) / 2) / C;
  return int(Q);
}

}  // namespace

TCoolMeasure MeasureCoolItem(const TCoolMeasureInput& In, const TCoolSpacing& S, TCoolPopupMaxima& Max) {
  TCoolMeasure M;
  M.TextWidth = In.TextWidth;
  if (!In.MenuBarItem) {
    Max.TextWidth = std::max(Max.TextWidth, In.TextWidth);
    M.TextWidth = Max.TextWidth;
  } else {
    M.TextWidth -= In.AmpWidth;
  }
  M.ImageSize = In.FixedImgSize ? In.CustomImgSize : In.TextHeight;
  int W = 0, H = 0;
  if (!In.NoTextAttached) {
    if (In.TextSide == ctsTop || In.TextSide == ctsBottom) {
      H = 2 * M.ImageSize + 3 * S.V;
      W = M.TextWidth + S.C;
    } else {
      H = M.ImageSize + 2 * S.V;
      if (!In.NoImageAttached) {
        W = M.TextWidth + M.ImageSize;
        if (In.MenuBarItem || !In.HasSubItems) W += S.H;
        if (In.HasSubItems) W += S.C;
      } else {
        W = In.MenuBarItem ? M.TextWidth : M.TextWidth + S.H + S.C;
      }
    }
  } else {
    H = In.PictureHeight;
    W = In.PictureWidth - S.C;
    if (In.Bevel) {
      H += 2 * S.G;
      W += 2 * S.G;
    }
  }
  if (In.StripWidth > 0) {
    W += In.StripWidth;
    if (In.StripRight && In.SiblingHasSubItems) W += S.C;
  }
  Max.Width = std::max(Max.Width, W);
  Max.ShortCutWidth = std::max(Max.ShortCutWidth, In.ShortCutWidth);
  Max.Height += H;
  if (!In.MenuBarItem && In.HasText) W = Max.Width + Max.ShortCutWidth + S.H;
  M.Height = H;
  M.Width = W;
  M.MetricsWidth = W + S.C;
  return M;
}

TCoolLayout LayoutCoolItem(const TCoolLayoutInput& In, const TCoolSpacing& S) {
  TCoolLayout L;
  const int W = In.M.MetricsWidth, T = In.M.TextWidth, I = In.M.ImageSize;
  if (In.NoTextAttached) {
    L.ImageX = In.Left + (In.Bevel ? S.G : 0);
    L.ImageY = In.Top + (In.Bevel ? S.G : 0);
    return L;
  }
  const int Centred = In.Top + In.M.Height / 2 - In.TextHeight / 2 - 1;
  switch (In.TextSide) {
    case ctsTop:
      L.TextX = W / 2 - T / 2 + In.Left;
      L.TextY = In.Top + S.V;
      L.ImageX = W / 2 - I / 2 + In.Left;
      L.ImageY = L.TextY + I + S.V;
      break;
    case ctsBottom:
      L.ImageX = W / 2 - I / 2 + In.Left;
      L.ImageY = In.Top + S.V;
      L.TextX = W / 2 - T / 2 + In.Left;
      L.TextY = L.ImageY + I + S.V;
      break;
    case ctsLeft:
      L.TextX = In.Left + S.H;
      L.ImageX = L.TextX + T + S.H;
      L.ImageY = In.Top + S.V;
      L.TextY = In.FixedImgSize && !In.IsLine ? Centred : In.Top + S.V;
      break;
    default:
      L.ImageX = In.Left + S.H;
      L.ImageY = In.Top + S.V;
      if (!In.NoImageAttached) L.TextX = L.ImageX + I + S.H;
      else if (In.MenuBarItem) L.TextX = In.Left + (In.RectWidth - T) / 2;
      else L.TextX = L.ImageX + S.C;
      L.TextY = In.FixedImgSize && !In.IsLine ? Centred : L.ImageY;
      break;
  }
  return L;
}

std::vector<TGradientBand> GradientBands(int Height, uint32_t From, int Steps, uint32_t To) {
  std::vector<TGradientBand> Bands;
  if (Height <= 0) return Bands;
  if (Steps < 1) {
    // No steps to cut into: one band of the first colour.
    Bands.push_back({0, Height, From & 0xFFFFFF});
    return Bands;
  }
  auto Channel = [](uint32_t C, int Shift) { return int((C >> Shift) & 0xFF); };
  // Painted from the bottom band (step N) up; band i spans MulDiv(i - 1, H, N) .. MulDiv(i, H, N).
  for (int I = Steps, K = 0; I >= 0; --I, ++K) {
    TGradientBand B;
    B.Top = std::max(0, MulDiv(I - 1, Height, Steps));
    B.Bottom = std::min(Height, MulDiv(I, Height, Steps));
    uint32_t& C = B.Color;
    C = From & 0xFFFFFF;
    if (Steps >= 2) {
      C = 0;
      for (int Shift : {0, 8, 16}) {
        int F = Channel(From, Shift), T = Channel(To, Shift);
        C |= uint32_t(std::clamp(F + MulDiv(K, T - F, Steps), 0, 255)) << Shift;
      }
    }
    if (B.Bottom > B.Top) Bands.push_back(B);
  }
  return Bands;
}
