// Owner-drawn menus with pictures: a TCoolMenu on a form paints the items of the form's
// main and popup menus that a TCoolMenuItem decorates (picture, font, colours, bevels, text
// shadow), and may paint a caption strip beside popups and restyle the menu bar.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/core/component.h"
#include "classlib/win/bitmap.h"
#include "classlib/win/controls.h"
#include "classlib/win/ext_ctrls.h"
#include "classlib/win/image_list.h"
#include "classlib/win/menu_notify.h"
#include "classlib/win/menus.h"
#include "classlib/win/picture.h"
#include "ui/core/cool_menu_layout.h"
#include "ui/rx_window_hook.h"

enum TRefreshAction { RA_NONE, RA_REFRESH, RA_REFRESHWITHBAR, RA_RESTORE, RA_RESTOREWITHBAR, RA_REFRESHNOBAR };
template <> const TTypeInfo* TypeInfoOf<TRefreshAction>();
enum TMenuStyle { msNormal, msMDIChildMain, msMDIChildPopup };
template <> const TTypeInfo* TypeInfoOf<TMenuStyle>();
enum TMenuOption {
  omAlwaysDefFont, omAlwaysDefFontColor, omAlwaysDefFontSize, omFixedImgSize, omDrawBarIfNeeded,
  omPaintWallpaper, omPaintSelWallpaper, omTileWallpaper, omTileSelWallpaper, omBevelOnlyIfSel,
  omNoHighlightImage, omNoHighlightDisabled, omNoHighlightEnabled, omNoHighlightEnabledButDoText,
  omNoHighlightEnabledButDoRoundRect, omNoImageAttached, omOffice97MenuBarItem, omRightJustified,
  omNoTextAttached, om32x16Image
};
template <> const TTypeInfo* TypeInfoOf<TMenuOption>();
using TMenuOptions = TSet<TMenuOption>;
enum TBevelStyle { bsBevelBoth, bsBevelOnlyImage, bsBevelOnlyText };
template <> const TTypeInfo* TypeInfoOf<TBevelStyle>();
enum TBevelType { btRectangle, btRoundedRect };
template <> const TTypeInfo* TypeInfoOf<TBevelType>();
enum TCaptionAlign { alUp, alDown, alCenter };
template <> const TTypeInfo* TypeInfoOf<TCaptionAlign>();
enum TPaintOption { opDrawWallpaper, opDrawBevels, opDrawGradient, opDrawSeparator };
template <> const TTypeInfo* TypeInfoOf<TPaintOption>();
using TPaintOptions = TSet<TPaintOption>;
enum TShadowOption { soNoShadowIfNormal, soNoShadowIfSel };
template <> const TTypeInfo* TypeInfoOf<TShadowOption>();
using TShadowOptions = TSet<TShadowOption>;
enum TShadowPosition { spLeftTop, spLeftBottom, spRightBottom, spRightTop };
template <> const TTypeInfo* TypeInfoOf<TShadowPosition>();

// Sender, the menu's handle and a number (see TCoolMenu's events).
using TMenuEvent = std::function<void(TObject* Sender, HMENU Menu, int Value)>;

class TCoolMenu;

// ---------------------------------------------------------------------------------------
// The text shadow, the caption strip and the menu bar look.

class TShadowText : public TPersistent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  void Assign(const TPersistent* Source) override;

  bool Active() const { return FActive; }
  void SetActive(bool V) { FActive = V; }
  TShadowOptions Options() const { return FOptions; }
  void SetOptions(TShadowOptions V) { FOptions = V; }
  TColor ShadowColor() const { return FShadowColor; }
  void SetShadowColor(TColor V) { FShadowColor = V; }
  TColor SelShadowColor() const { return FSelShadowColor; }
  void SetSelShadowColor(TColor V) { FSelShadowColor = V; }
  uint8_t ShadowSize() const { return FShadowSize; }
  void SetShadowSize(uint8_t V) { FShadowSize = V; }
  uint8_t SelShadowSize() const { return FSelShadowSize; }
  void SetSelShadowSize(uint8_t V) { FSelShadowSize = V; }
  TShadowPosition ShadowPos() const { return FShadowPos; }
  void SetShadowPos(TShadowPosition V) { FShadowPos = V; }
  TShadowPosition SelShadowPos() const { return FSelShadowPos; }
  void SetSelShadowPos(TShadowPosition V) { FSelShadowPos = V; }

private:
  bool FActive = false;
  TShadowOptions FOptions{soNoShadowIfSel};
  TColor FShadowColor = clBtnHighlight;
  TColor FSelShadowColor = clBtnHighlight;
  uint8_t FShadowSize = 1;
  uint8_t FSelShadowSize = 1;
  TShadowPosition FShadowPos = spLeftTop;
  TShadowPosition FSelShadowPos = spLeftTop;
};

// Draws Text in R with DrawText's Format, with the shadow when it applies (Shadow may be
// nullptr). The text colour of DC is kept.
void DrawShadowText(const TShadowText* Shadow, HDC DC, const std::string& Text, bool Selected, UINT Format,
                    RECT R);

// One further caption of the strip, in a font of its own.
struct TCoolBarCaptionData {
  std::string Text;
  std::unique_ptr<TFont> Font;
};

class TCoolMenuBar : public TPersistent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  TCoolMenuBar();
  ~TCoolMenuBar() override;
  void Assign(const TPersistent* Source) override;

  bool Active() const { return FActive; }
  void SetActive(bool V);
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& V);
  TFont* Font() const { return FFont.get(); }
  // Only a TrueType font: the strip's text is turned upright.
  void SetFont(TFont* V);
  uint16_t Space() const { return FSpace; }
  void SetSpace(uint16_t V);
  TColor BackFrom() const { return FBackFrom; }
  void SetBackFrom(TColor V);
  TColor BackTo() const { return FBackTo; }
  void SetBackTo(TColor V);
  TCaptionAlign CaptionAlign() const { return FCaptionAlign; }
  void SetCaptionAlign(TCaptionAlign V);
  // alLeft or alRight of the items.
  TAlign BarAlign() const { return FBarAlign; }
  void SetBarAlign(TAlign V);
  TPaintOptions PaintOptions() const { return FPaintOptions; }
  void SetPaintOptions(TPaintOptions V);
  TPanelBevel BevelInner() const { return FBevelInner; }
  void SetBevelInner(TPanelBevel V);
  TPanelBevel BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TPanelBevel V);

  // Further captions; an index at or past the end gives nullptr.
  int CaptionCount() const { return int(FCaptions.size()); }
  TCoolBarCaptionData* Captions(int Index) const;
  void AddCaption(const std::string& Text, const TFont* Font);

  // Renders the strip for a popup Height pixels tall (Wallpaper: the menu's, may be empty).
  void Render(TBitmap* Strip, int Height, TBitmap* Wallpaper) const;
  // The strip's width for the current font and space.
  int StripWidth() const;

  TNotifyEvent OnChanged;

private:
  void Changed();
  bool FActive = false;
  std::string FCaption;
  std::unique_ptr<TFont> FFont;
  uint16_t FSpace = 0;
  TColor FBackFrom = TColor(0);
  TColor FBackTo = TColor(0xFF0000);
  TCaptionAlign FCaptionAlign = alDown;
  TAlign FBarAlign = alLeft;
  TPaintOptions FPaintOptions;
  TPanelBevel FBevelInner = bvNone;
  TPanelBevel FBevelOuter = bvNone;
  std::vector<std::unique_ptr<TCoolBarCaptionData>> FCaptions;
};

class TMainMenuBar : public TPersistent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  void Assign(const TPersistent* Source) override;

  bool Active() const { return FActive; }
  void SetActive(bool V);
  TColor Color() const { return FColor; }
  void SetColor(TColor V);
  TPanelBevel BevelInner() const { return FBevelInner; }
  void SetBevelInner(TPanelBevel V);
  TPanelBevel BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TPanelBevel V);
  TPaintOptions PaintOptions() const { return FPaintOptions; }
  void SetPaintOptions(TPaintOptions V);

  // Set by the menu; the bar paints only when both are set.
  TCustomForm* Form() const { return FForm; }
  TCoolMenu* Menu() const { return FMenu; }
  void SetOwners(TCustomForm* AForm, TCoolMenu* AMenu) { FForm = AForm, FMenu = AMenu; }
  bool Ready() const { return FForm != nullptr && FMenu != nullptr; }
  // The menu bar's rectangle in window coordinates.
  RECT BarRect() const;
  // Answers WM_NCPAINT of the form's window.
  LRESULT NCPaint(HWND Wnd, WPARAM WParam, LPARAM LParam);

  TNotifyEvent OnChanged;

private:
  void Changed();
  void PaintBackground(HDC DC, const RECT& R);
  bool FActive = false;
  TColor FColor = clMenu;
  TPanelBevel FBevelInner = bvNone;
  TPanelBevel FBevelOuter = bvNone;
  TPaintOptions FPaintOptions;
  TCustomForm* FForm = nullptr;
  TCoolMenu* FMenu = nullptr;
};

// ---------------------------------------------------------------------------------------
// One decorated menu item.

class TCoolMenuItem : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TCoolMenuItem(TComponent* AOwner);
  ~TCoolMenuItem() override;

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* AParent) override;
  TCoolMenu* CoolMenu() const { return FCoolMenu; }

  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* V);
  TPicture* Picture() const { return FPicture.get(); }
  // TrColor becomes the bitmap's bottom-left pixel; om32x16Image is cleared.
  void SetPicture(TPicture* V);
  TPicture* DisabledPicture() const { return FDisabledPicture.get(); }
  void SetDisabledPicture(TPicture* V);
  TColor TrColor() const { return FTrColor; }
  void SetTrColor(TColor V) { FTrColor = V; }
  TColor SelColor() const { return FSelColor; }
  void SetSelColor(TColor V) { FSelColor = V; }
  TColor NormColor() const { return FNormColor; }
  void SetNormColor(TColor V) { FNormColor = V; }
  TAlign TextAlign() const { return FTextAlign; }
  void SetTextAlign(TAlign V) { FTextAlign = V; }
  TMenuOptions Options() const { return FOptions; }
  void SetOptions(TMenuOptions V);
  int CustomImgSize() const { return FCustomImgSize; }
  void SetCustomImgSize(int V) { FCustomImgSize = V; }
  TMenu* Menu() const { return FMenu; }
  void SetMenu(TMenu* V);
  TMenuItem* MenuItem() const { return FMenuItem; }
  // Menu becomes the form's menu that holds the item.
  void SetMenuItem(TMenuItem* V);
  TPanelBevel BevelInner() const { return FBevelInner; }
  void SetBevelInner(TPanelBevel V) { FBevelInner = V; }
  TPanelBevel BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TPanelBevel V) { FBevelOuter = V; }
  TBevelStyle BevelStyle() const { return FBevelStyle; }
  void SetBevelStyle(TBevelStyle V) { FBevelStyle = V; }
  TBevelType BevelType() const { return FBevelType; }
  void SetBevelType(TBevelType V) { FBevelType = V; }
  const std::string& SeparatorText() const { return FSeparatorText; }
  void SetSeparatorText(const std::string& V) { FSeparatorText = V; }
  int ImageIndex() const { return FImageIndex; }
  // From the menu's Images and DisabledImages; an index outside a list clears the picture.
  void SetImageIndex(int V);
  TColor SelTextColor() const { return FSelTextColor; }
  void SetSelTextColor(TColor V) { FSelTextColor = V; }
  TShadowText* Shadow() const { return FShadow.get(); }
  void SetShadow(TShadowText* V);

  // The text's angle in degrees (0: none); only for a TrueType font.
  int Angle() const { return FAngle; }
  void SetAngle(int V);
  // The picture turned clockwise: 0, 90, 180 or 270.
  int ImageAngle() const { return FImageAngle; }
  void SetImageAngle(int V) { FImageAngle = V; }

  virtual bool IsAttached() const;
  bool IsMenuBarItem() const;
  virtual void Detach();

  // Filled by measuring and drawing.
  TCoolMeasure Metrics;
  TCoolLayout Layout;
  RECT ItemRect{};
  int TextHeight = 0;
  int ShortCutWidth = 0;
  int CheckWidth = 0;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TCoolMenu;
  void TakeFromList(TCustomImageList* List, TPicture* Target, bool SetTrColor);
  TCoolMenu* FCoolMenu = nullptr;
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TPicture> FPicture;
  std::unique_ptr<TPicture> FDisabledPicture;
  TColor FTrColor = clNone;
  TColor FSelColor = clHighlight;
  TColor FNormColor = clMenu;
  TAlign FTextAlign = alRight;
  TMenuOptions FOptions{omFixedImgSize, omTileWallpaper, omTileSelWallpaper};
  int FCustomImgSize = 16;
  TMenu* FMenu = nullptr;
  TMenuItem* FMenuItem = nullptr;
  TPanelBevel FBevelInner = bvNone;
  TPanelBevel FBevelOuter = bvNone;
  TBevelStyle FBevelStyle = bsBevelBoth;
  TBevelType FBevelType = btRectangle;
  std::string FSeparatorText;
  int FImageIndex = -1;
  TColor FSelTextColor = clHighlightText;
  std::unique_ptr<TShadowText> FShadow;
  int FAngle = 0;
  int FImageAngle = 0;
};

// The settings ApplyItemParams copies into every item; the mask bits name the fields.
struct TCoolItemParams {
  const TFont* Font = nullptr;
  TColor NormColor = clMenu, SelColor = clHighlight, TrColor = clNone, SelTextColor = clHighlightText;
  TAlign TextAlign = alRight;
  int CustomImgSize = 16;
  TMenuOptions Options;
  TPanelBevel BevelInner = bvNone, BevelOuter = bvNone;
  TBevelStyle BevelStyle = bsBevelBoth;
  TBevelType BevelType = btRectangle;
  int Angle = 0, ImageAngle = 0;
  std::string SeparatorText;
};
struct TShadowParams {
  bool Active = false;
  TColor ShadowColor = clBtnHighlight, SelShadowColor = clBtnHighlight;
  TShadowPosition ShadowPos = spLeftTop, SelShadowPos = spLeftTop;
  uint8_t ShadowSize = 1, SelShadowSize = 1;
  TShadowOptions Options;
};

// ---------------------------------------------------------------------------------------

class TCoolMenu : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  // AOwner must be a windowed control (the form whose menus are painted).
  explicit TCoolMenu(TComponent* AOwner);
  ~TCoolMenu() override;

  TCoolMenuBar* CoolMenuBar() const { return FCoolMenuBar.get(); }
  void SetCoolMenuBar(TCoolMenuBar* V);
  TBitmap* Wallpaper() const { return FWallpaper.get(); }
  void SetWallpaper(TBitmap* V);
  TBitmap* SelWallpaper() const { return FSelWallpaper.get(); }
  void SetSelWallpaper(TBitmap* V);
  // Off: every decorated item is plain text again and the menu bar is redrawn.
  bool Active() const { return FActive; }
  void SetActive(bool V);
  TRefreshAction MenuRefresh() const { return FMenuRefresh; }
  void SetMenuRefresh(TRefreshAction V) { FMenuRefresh = V; }
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor V) { FCursor = V; }
  int HSpace() const { return FSpacing.H; }
  void SetHSpace(int V);
  int VSpace() const { return FSpacing.V; }
  void SetVSpace(int V);
  TMainMenuBar* MainMenuBar() const { return FMainMenuBar.get(); }
  void SetMainMenuBar(TMainMenuBar* V);
  TCustomImageList* Images() const { return FImages.List(); }
  void SetImages(TCustomImageList* V) { FImages.SetList(V); }
  TCustomImageList* DisabledImages() const { return FDisabledImages.List(); }
  void SetDisabledImages(TCustomImageList* V) { FDisabledImages.SetList(V); }
  TBitmap* CheckedBitmap() const { return FCheckedBitmap.get(); }
  void SetCheckedBitmap(TBitmap* V) { FCheckedBitmap->Assign(V); }
  TBitmap* RadioBitmap() const { return FRadioBitmap.get(); }
  void SetRadioBitmap(TBitmap* V) { FRadioBitmap->Assign(V); }
  TMenuStyle MenuStyle() const { return FMenuStyle; }
  void SetMenuStyle(TMenuStyle V);

  TMenuEvent OnPopup;
  TMenuEvent OnMeasure;
  TMenuEvent OnItemSelect;

  int ItemCount() const { return int(FItems.size()); }
  TCoolMenuItem* Items(int Index) const { return FItems.at(Index); }
  void AddItem(TCoolMenuItem* Item);
  void RemoveItem(TCoolMenuItem* Item);
  // The item that decorates the menu item with this command, nullptr when none.
  TCoolMenuItem* FindItem(UINT Command) const;

  // Target: this menu (every item), one TCoolMenuItem, or one TMenuItem.
  virtual void RefreshMenus(TObject* Target, TRefreshAction Action);
  // Mask 0 copies every field, else one bit per field.
  virtual void ApplyItemParams(const TCoolItemParams& Params, uint32_t Mask);
  virtual void ApplyShadowParams(const TShadowParams& Params, uint32_t Mask);
  virtual void HookWindow(HWND Wnd);
  virtual void UnhookWindow(HWND Wnd);
  virtual void Rehook();
  // The window whose menus are meant (by MenuStyle); nullptr when none.
  HWND MenuWindow() const;
  bool InEvent() const { return FInEvent; }
  // The rendered caption strip (empty until a popup needs it).
  TBitmap* Strip() const { return FStrip.get(); }

protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // One message of the hooked window; true when it is answered here.
  virtual bool HookWndProc(TMessage& Msg);

private:
  void RefreshItem(TCoolMenuItem* Item);
  void RestoreItem(TCoolMenuItem* Item);
  void ForEachTarget(TObject* Target, bool Refresh);
  void MeasureItem(TCoolMenuItem* Item, MEASUREITEMSTRUCT* MS);
  void DrawItem(TCoolMenuItem* Item, DRAWITEMSTRUCT* DS);
  void MeasurePopup(HMENU Popup);
  void RunEvent(const TMenuEvent& Event, HMENU Menu, int Value);
  void ImagesChanged(bool Disabled);
  void BarChanged(TObject* Sender);
  TCustomForm* OwnerForm() const;
  bool ItemInPopup(TCoolMenuItem* Item, HMENU Popup) const;

  std::vector<TCoolMenuItem*> FItems;
  std::unique_ptr<TCoolMenuBar> FCoolMenuBar;
  std::unique_ptr<TMainMenuBar> FMainMenuBar;
  std::unique_ptr<TBitmap> FWallpaper, FSelWallpaper, FCheckedBitmap, FRadioBitmap, FStrip;
  bool FActive = true;
  TRefreshAction FMenuRefresh = RA_REFRESH;
  TCursor FCursor = TCursor(0);
  TCoolSpacing FSpacing;
  TMenuStyle FMenuStyle = msNormal;
  TCoolPopupMaxima FMax;
  bool FPopupMeasured = false;
  HMENU FLastPopup = nullptr;
  bool FInEvent = false;
  bool FBarReset = false;
  TMenuItem* FHotItem = nullptr;
  // The hooked window, watched on the window hooks' one chain.
  TRxWindowHook* FHook = nullptr;
  TChangeLink FImages{this, [this] { ImagesChanged(false); }};
  TChangeLink FDisabledImages{this, [this] { ImagesChanged(true); }};
};

void RegisterCoolMenu();

// Drawing routines of the menus.
// Copies Bitmap over R: tiled from R's top-left, or (not Tile) the bitmap's own area under
// R, so that a wallpaper stays aligned across items.
void TileBitmap(HDC DC, TBitmap* Bitmap, const RECT& R, DWORD Rop, bool Tile);
// A vertical gradient from From (bottom) towards To in Steps steps.
void GradientFill(HDC DC, const RECT& R, TColor From, int Steps, TColor To);
TColor InvertedColor(TColor Color);
// A copy of Font turned by Angle degrees.
HFONT CreateAngledFont(const TFont& Font, int Angle);
bool IsTrueTypeFont(const TFont& Font);
// The menu font of the system's non-client metrics.
void GetSystemMenuFont(TFont& Font);
// A rounded bevel: raised or sunken inner and outer edges in Light and Dark.
void DrawRoundedBevel(HDC DC, RECT R, TColor Fill, TPanelBevel Inner, TPanelBevel Outer, int Corner, TColor Light,
                      TColor Dark);
// Turns the bitmap one quarter clockwise: the pixel (x, y) goes to (H - 1 - y, x).
void RotateBitmapQuarter(TBitmap* Bitmap);
