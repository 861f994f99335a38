// A host with fixed metrics and no screen: every character CharWidth pixels wide, every
// font Height high with Descent below the baseline. Drawing is recorded as text lines, and
// form controls are plain objects, so that layout figures can be worked out by hand.
#pragma once

#include <string>
#include <vector>

#include "html/core/html_host.h"

class TFixedControl : public THtmlControl {
public:
  explicit TFixedControl(THtmlControlKind AKind) : Kind(AKind) {}
  THtmlControlKind Kind;
  THtmlRect Bounds;
  bool IsVisible = false;
  std::string Caption;
  bool IsChecked = false;
  std::vector<std::string> Items;
  std::vector<bool> ItemSelected;

  void SetBounds(int Left, int Top, int Width, int Height) override;
  void SetVisible(bool Value) override { IsVisible = Value; }
  bool Visible() const override { return IsVisible; }
  void SetText(const std::string& Value) override { Caption = Value; }
  std::string Text() const override { return Caption; }
  void SetChecked(bool Value) override { IsChecked = Value; }
  bool Checked() const override { return IsChecked; }
  void ClearItems() override;
  void AddItem(const std::string& Value) override;
  int ItemCount() const override { return int(Items.size()); }
  void SetSelected(int Index, bool Value) override;
  bool Selected(int Index) const override;
};

class TFixedMetricsHost : public THtmlHost {
public:
  int CharWidth = 7;
  int Height = 16;
  int Descent = 3;
  bool IsMonochrome = false;
  std::vector<std::string> Log;  // one line per drawing call
  std::vector<TFixedControl*> Controls;  // every control made, in order (owned by the document)

  THtmlFontMetrics FontMetrics(const TFont& Font) override;
  int TextWidth(const TFont& Font, std::string_view Text) override;
  bool Monochrome() const override { return IsMonochrome; }
  void DrawText(const TFont& Font, int X, int Y, std::string_view Text) override;
  void FillRect(const THtmlRect& R, TColor Color) override;
  void DrawLine(int X1, int Y1, int X2, int Y2, TColor Color) override;
  void DrawPicture(const THtmlPicture& Picture, int X, int Y, int W, int H) override;
  void PushClip(const THtmlRect& R) override;
  void PopClip() override;
  std::unique_ptr<THtmlControl> CreateControl(THtmlControlKind Kind) override;

private:
  std::vector<THtmlRect> FClips;
};
