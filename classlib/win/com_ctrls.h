// Common controls: page control with tab sheets, tool bar with buttons, status bar with
// panels, progress bar, animation.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "classlib/core/collection.h"
#include "classlib/win/controls.h"
#include "classlib/win/image_list.h"
#include "classlib/win/std_ctrls.h"

class TPageControl;

class TTabSheet : public TWinControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;

  void SetParentComponent(TComponent* AParent) override;
  TPageControl* PageControl() const { return FPageControl; }
  void SetPageControl(TPageControl* Value);
  int PageIndex() const;
  void SetPageIndex(int Value);
  // The index among the visible tabs; -1 when the tab is hidden.
  int TabIndex() const;
  bool TabVisible() const { return FTabVisible; }
  void SetTabVisible(bool Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);

  TNotifyEvent OnShow;
  TNotifyEvent OnHide;

protected:
  void TextChanged() override;

private:
  friend class TPageControl;
  TPageControl* FPageControl = nullptr;
  bool FTabVisible = true;
  int FImageIndex = -1;
};

using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TPageControl : public TWinControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;

  int PageCount() const { return int(FPages.size()); }
  TTabSheet* Pages(int Index) const { return FPages.at(Index); }
  TTabSheet* ActivePage() const { return FActivePage; }
  void SetActivePage(TTabSheet* Page);
  int ActivePageIndex() const;
  void SetActivePageIndex(int Value);
  // The next visible page after (or before) the current one, cycling.
  void SelectNextPage(bool GoForward);

  void WndProc(TMessage& Message) override;

  TNotifyEvent OnChange;
  TTabChangingEvent OnChanging;

protected:
  friend class TTabSheet;
  void CreateParams(TCreateParams& Params) override;
  void InitWnd() override;
  void AdjustClientRect(TRect& Rect) override;
  void AlignControls(TRect& Rect) override;
  void InsertPage(TTabSheet* Page);
  void RemovePage(TTabSheet* Page);
  void UpdateTabs();

private:
  std::vector<TTabSheet*> FPages;
  TTabSheet* FActivePage = nullptr;
};

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };
template <> const TTypeInfo* TypeInfoOf<TToolButtonStyle>();

class TToolBar;

class TToolButton : public TGraphicControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TToolButton(TComponent* AOwner);

  TToolButtonStyle Style() const { return FStyle; }
  void SetStyle(TToolButtonStyle Value);
  // Check buttons: Down, and with Grouped one down at a time among neighbouring grouped
  // check buttons (AllowAllUp lets the last one go up too).
  bool Down() const { return FDown; }
  void SetDown(bool Value);
  bool Grouped() const { return FGrouped; }
  void SetGrouped(bool Value) { FGrouped = Value; }
  bool AllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool Value) { FAllowAllUp = Value; }
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  void Click() override;
  // The bar has a picture for ImageIndex; the caption is drawn (no picture, or the bar
  // shows captions); the caption's width in the button's font.
  bool HasImage() const;
  bool ShowsCaption() const;
  int CaptionWidth() const;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void TextChanged() override;

private:
  TToolBar* ToolBar() const;
  TToolButtonStyle FStyle = tbsButton;
  bool FDown = false;
  bool FGrouped = false;
  bool FAllowAllUp = false;
  bool FPressed = false;
  int FImageIndex = -1;
};

// A bar that lays its buttons and other controls out from left to right.
class TToolBar : public TCustomControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TToolBar(TComponent* AOwner);

  int ButtonWidth() const { return FButtonWidth; }
  void SetButtonWidth(int Value);
  int ButtonHeight() const { return FButtonHeight; }
  void SetButtonHeight(int Value);
  bool ShowCaptions() const { return FShowCaptions; }
  void SetShowCaptions(bool Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  bool Wrapable() const { return FWrapable; }
  void SetWrapable(bool Value);
  // The buttons' images, by their ImageIndex; the bar repaints when the list changes.
  TCustomImageList* Images() const { return FImages.List(); }
  void SetImages(TCustomImageList* Value) { FImages.SetList(Value); }
  int ButtonCount() const;
  TToolButton* Buttons(int Index) const;
  // Room on each side of a shown caption, and the widest caption a button makes room for.
  static constexpr int CaptionMargin = 6;
  static constexpr int MaxCaptionWidth = 200;

protected:
  void Paint() override;
  void AlignControls(TRect& Rect) override;
  bool ArrangesChildren() const override { return true; }
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TChangeLink FImages{this, [this] { Realign(); Invalidate(); }};  // a caption may show or hide
  int FButtonWidth = 23;
  int FButtonHeight = 22;
  bool FShowCaptions = false;
  bool FFlat = true;
  bool FWrapable = true;
  std::map<const TControl*, int> FLines;  // the line each control was laid out on last
};

enum TStatusPanelStyle { psText, psOwnerDraw };
template <> const TTypeInfo* TypeInfoOf<TStatusPanelStyle>();
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };
template <> const TTypeInfo* TypeInfoOf<TStatusPanelBevel>();

class TStatusPanel : public TCollectionItem {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TStatusPanel(TCollection* Collection);

  const std::string& Text() const { return FText; }
  void SetText(const std::string& Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TStatusPanelBevel Bevel() const { return FBevel; }
  void SetBevel(TStatusPanelBevel Value);
  TStatusPanelStyle Style() const { return FStyle; }
  void SetStyle(TStatusPanelStyle Value);

private:
  std::string FText;
  int FWidth = 50;
  TAlignment FAlignment = taLeftJustify;
  TStatusPanelBevel FBevel = pbLowered;
  TStatusPanelStyle FStyle = psText;
};

class TStatusBar;

class TStatusPanels : public TCollection {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TStatusPanels(TStatusBar* Owner);
  TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
  TStatusPanel* Items(int Index) const { return static_cast<TStatusPanel*>(TCollection::Items(Index)); }
  TStatusPanel* operator[](int Index) const { return Items(Index); }

protected:
  void Update(TCollectionItem* Item) override;

private:
  TStatusBar* FStatusBar;
};

class TStatusBar : public TWinControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TStatusBar(TComponent* AOwner);
  ~TStatusBar() override;

  TStatusPanels* Panels() const { return FPanels.get(); }
  bool SimplePanel() const { return FSimplePanel; }
  void SetSimplePanel(bool Value);
  const std::string& SimpleText() const { return FSimpleText; }
  void SetSimpleText(const std::string& Value);
  bool SizeGrip() const { return FSizeGrip; }
  void SetSizeGrip(bool Value);
  void UpdatePanels();

protected:
  void CreateParams(TCreateParams& Params) override;
  void InitWnd() override;
  void Resize() override;

private:
  std::unique_ptr<TStatusPanels> FPanels;
  bool FSimplePanel = false;
  std::string FSimpleText;
  bool FSizeGrip = true;
};

class TProgressBar : public TWinControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TProgressBar(TComponent* AOwner);

  int Min() const { return FMin; }
  void SetMin(int Value);
  int Max() const { return FMax; }
  void SetMax(int Value);
  int Position() const;
  void SetPosition(int Value);
  int Step() const { return FStep; }
  void SetStep(int Value);
  void StepIt();
  void StepBy(int Delta) { SetPosition(Position() + Delta); }
  bool Smooth() const { return FSmooth; }
  void SetSmooth(bool Value);

protected:
  void CreateParams(TCreateParams& Params) override;
  void InitWnd() override;

private:
  int FMin = 0;
  int FMax = 100;
  int FPosition = 0;
  int FStep = 10;
  bool FSmooth = false;
};

// The animation control playing one of the shell's common file-operation clips.
enum TCommonAVI {
  aviNone, aviFindFolder, aviFindFile, aviFindComputer, aviCopyFiles, aviCopyFile, aviRecycleFile,
  aviEmptyRecycle, aviDeleteFile
};
template <> const TTypeInfo* TypeInfoOf<TCommonAVI>();

class TAnimate : public TWinControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TAnimate(TComponent* AOwner);

  TCommonAVI CommonAVI() const { return FCommonAVI; }
  void SetCommonAVI(TCommonAVI Value);
  // Playing; false also when the clip could not be opened (the system may lack it).
  bool Active() const { return FActive; }
  void SetActive(bool Value);
  // Whether the clip of CommonAVI was found and opened.
  bool Opened() const { return FOpened; }

protected:
  void CreateParams(TCreateParams& Params) override;
  void InitWnd() override;

private:
  void OpenClip();
  TCommonAVI FCommonAVI = aviNone;
  bool FActive = false;
  bool FOpened = false;
};

// A slider over a whole-number range; OnChange fires when the position changes, by the
// user or by the program.
class TTrackBar : public TWinControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TTrackBar(TComponent* AOwner);

  int Min() const { return FMin; }
  void SetMin(int Value);
  int Max() const { return FMax; }
  void SetMax(int Value);
  int Position() const { return FPosition; }
  void SetPosition(int Value);
  void WndProc(TMessage& Message) override;

  TNotifyEvent OnChange;

protected:
  void CreateParams(TCreateParams& Params) override;
  void InitWnd() override;

private:
  int FMin = 0;
  int FMax = 10;
  int FPosition = 0;
};
