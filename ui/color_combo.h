// Owner-drawn combo boxes: a base that draws its own items, the sixteen basic colours with
// swatches and names, and the installed font families marked as TrueType or device fonts.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "classlib/core/color.h"
#include "classlib/core/strings.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/dialogs.h"
#include "classlib/win/graphics.h"
#include "classlib/win/std_ctrls.h"

// A combo box whose items are drawn by the class (fixed item height, TComboBox's
// ItemHeight), whatever its Style: the window is owner-drawn and keeps the item texts. The
// constructor makes it a drop-down list.
class TOwnerDrawComboBox : public TComboBox {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TOwnerDrawComboBox(TComponent* AOwner);
  ~TOwnerDrawComboBox() override;

  void WndProc(TMessage& Message) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void FontChanged() override;

  virtual int GetItemHeight();
  virtual void PopulateList() {}
  // TComboBox's entry painting: the highlight also for the empty field, the button face
  // when disabled, the focus rectangle; the entry itself through the DrawItem below.
  void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) override;
  // Draws item Index in Rect on Canvas, whose brush and font already carry the item's
  // selected or normal colours.
  virtual void DrawItem(TCanvas* Canvas, int Index, const TRect& Rect, UINT State);
  // A selection from the list and a change typed into the edit part.
  virtual void Click() override;
  virtual void EditChange() {}
  void ResetItemHeight();
  // The number in an item's object slot (the colour, or the font type bits).
  int32_t ItemData(int Index) const;
};

class TColorComboBox : public TOwnerDrawComboBox {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TColorComboBox(TComponent* AOwner);
  ~TColorComboBox() override;

  TColor ColorValue() const;
  void SetColorValue(TColor Value);
  bool DisplayNames() const { return FDisplayNames; }
  void SetDisplayNames(bool Value);
  TStrings* ColorNames() const;
  void SetColorNames(TStrings* Value);

  // The sixteen colours of the list, in list order.
  static constexpr int ColorCount = 16;
  static TColor ListColor(int Index);

protected:
  void CreateWnd() override;
  void PopulateList() override;
  void DrawItem(TCanvas* Canvas, int Index, const TRect& Rect, UINT State) override;
  void Click() override;
  void EditChange() override;
  virtual void Change();

private:
  class TNameList;
  void ColorNamesChanged();
  int IndexOfColor(TColor Value) const;
  TColor FColorValue = clBlack;
  bool FDisplayNames = true;
  std::unique_ptr<TNameList> FColorNames;
};

// The font dialog's devices: one enum, so that both headers can be used together.
using TFontDevice = TFontDialogDevice;
enum TFontListOption { foAnsiOnly, foTrueTypeOnly, foFixedPitchOnly, foNoOEMFonts, foOEMFontsOnly, foScalableOnly };
template <> const TTypeInfo* TypeInfoOf<TFontListOption>();
using TFontListOptions = TSet<TFontListOption>;

class TFontComboBox : public TOwnerDrawComboBox {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TFontComboBox(TComponent* AOwner);
  ~TFontComboBox() override;

  std::string FontName() const { return Text(); }
  void SetFontName(const std::string& Value);
  TFontDevice Device() const { return FDevice; }
  void SetDevice(TFontDevice Value);
  TFontListOptions Options() const { return FOptions; }
  void SetOptions(TFontListOptions Value);
  bool TrueTypeOnly() const { return FOptions.Contains(foTrueTypeOnly); }
  void SetTrueTypeOnly(bool Value);
  void WndProc(TMessage& Message) override;

  // Whether a family passes the list options (character set, font type bits, pitch).
  static bool PassesOptions(TFontListOptions Options, int CharSet, int FontType, int PitchAndFamily);

protected:
  void CreateWnd() override;
  void PopulateList() override;
  int GetItemHeight() override;
  void DrawItem(TCanvas* Canvas, int Index, const TRect& Rect, UINT State) override;
  void Click() override;
  void EditChange() override;
  virtual void Change();

private:
  void Reset();
  void SelectName(const std::string& Name);
  std::unique_ptr<TBitmap> FTrueTypeBmp;
  std::unique_ptr<TBitmap> FDeviceBmp;
  TFontDevice FDevice = fdScreen;
  bool FUpdating = false;
  TFontListOptions FOptions;
};

// Registers the combo boxes for form resources (once).
void RegisterColorCombos();
