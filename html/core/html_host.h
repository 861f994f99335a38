// THtmlHost: everything the document model and its layout need of fonts, images, windows
// and the screen. Layout and painting reach the platform only through it, so that the GDI
// host serves the program and a fixed-metrics host gives exact figures in native tests.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "classlib/core/color.h"
#include "classlib/core/font.h"

struct THtmlRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool Contains(int X, int Y) const { return X >= Left && X < Right && Y >= Top && Y < Bottom; }
};

// What layout needs of a font: the figures GetTextMetrics gives.
struct THtmlFontMetrics {
  int Height = 0;            // ascent + descent
  int Ascent = 0;
  int Descent = 0;
  int ExternalLeading = 0;
  int Overhang = 0;          // extra width of synthesised italic or bold
  int AveCharWidth = 0;
};

// A decoded picture: 32-bit pixels 0xAARRGGBB, rows top-down. Alpha 0 is a transparent
// pixel, 255 an opaque one (masks are all or nothing).
class THtmlPicture {
public:
  THtmlPicture() = default;
  THtmlPicture(int AWidth, int AHeight, std::uint32_t Fill = 0xFF000000u)
      : Width(AWidth), Height(AHeight), Pixels(std::size_t(AWidth) * AHeight, Fill) {}
  int Width = 0, Height = 0;
  std::vector<std::uint32_t> Pixels;
  bool HasTransparency() const;
  std::uint32_t Pixel(int X, int Y) const { return Pixels[std::size_t(Y) * Width + X]; }
  std::uint32_t& Pixel(int X, int Y) { return Pixels[std::size_t(Y) * Width + X]; }
};

// A form control window that the host made; the document positions it, shows or hides it
// and reads and writes its state. Kinds follow the INPUT TYPE values, SELECT and TEXTAREA.
enum class THtmlControlKind { Edit, Password, CheckBox, Radio, Submit, Reset, Button, ComboBox, ListBox, Memo };

class THtmlControl {
public:
  virtual ~THtmlControl() = default;
  virtual void SetBounds(int Left, int Top, int Width, int Height) = 0;
  virtual void SetVisible(bool Value) = 0;
  virtual bool Visible() const = 0;
  virtual void SetText(const std::string& Value) = 0;  // edit text, button caption
  virtual std::string Text() const = 0;
  virtual void SetChecked(bool Value) = 0;
  virtual bool Checked() const = 0;
  // List boxes, combo boxes and memos: the items or lines.
  virtual void ClearItems() = 0;
  virtual void AddItem(const std::string& Value) = 0;
  virtual int ItemCount() const = 0;
  virtual void SetSelected(int Index, bool Value) = 0;
  virtual bool Selected(int Index) const = 0;
};

class THtmlHost {
public:
  virtual ~THtmlHost() = default;

  // Measuring. Text is CP1251.
  virtual THtmlFontMetrics FontMetrics(const TFont& Font) = 0;
  virtual int TextWidth(const TFont& Font, std::string_view Text) = 0;
  virtual bool Monochrome() const { return false; }

  // Drawing, in the target's pixels. Text is drawn with its top at Y.
  virtual void DrawText(const TFont& Font, int X, int Y, std::string_view Text) = 0;
  virtual void FillRect(const THtmlRect& R, TColor Color) = 0;
  virtual void DrawLine(int X1, int Y1, int X2, int Y2, TColor Color) = 0;
  virtual void DrawPicture(const THtmlPicture& Picture, int X, int Y, int W, int H) = 0;
  // Clipping nests: every push narrows the clip until its pop.
  virtual void PushClip(const THtmlRect& R) = 0;
  virtual void PopClip() = 0;

  // Windows for form controls.
  virtual std::unique_ptr<THtmlControl> CreateControl(THtmlControlKind Kind) = 0;
};

// Drawing helpers over the host.
// A white box with a 3-D frame (a plain black frame on a monochrome target).
void DrawFormControlFrame(THtmlHost& Host, int X1, int Y1, int X2, int Y2, bool Raised);
// The 3-D border of images and tables; Printing and a white background take silver as the
// light edge, else the button highlight.
void DrawBevel3D(THtmlHost& Host, TColor Background, bool Printing, int X1, int Y1, int X2, int Y2, bool Raised);
// Draws Text word-wrapped at blanks inside the rectangle in the height of "A"; a line that
// would pass Bottom is not drawn.
void WrapTextRect(THtmlHost& Host, const TFont& Font, int X, int Y, int Right, int Bottom, std::string_view Text);
