// Image lists: pictures of one size kept in a common-controls image list, drawn by index,
// optionally with an overlay image. A list can take the handle of a list made elsewhere
// (the shell's system image lists); with ShareImages it never destroys that handle.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>

#include "classlib/core/component.h"
#include "classlib/win/graphics.h"

class TBitmap;
class TIcon;

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
template <> const TTypeInfo* TypeInfoOf<TDrawingStyle>();
enum TImageType { itImage, itMask };
template <> const TTypeInfo* TypeInfoOf<TImageType>();

class TCustomImageList : public TComponent {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  explicit TCustomImageList(TComponent* AOwner);
  ~TCustomImageList() override;

  // The list's handle, made on first use with Width x Height images.
  HIMAGELIST Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  // Takes a list made elsewhere; Width and Height follow its image size. The previous
  // handle is destroyed unless ShareImages is set.
  void SetHandle(HIMAGELIST Value);
  // The handle stays alive when the list lets go of it.
  bool ShareImages() const { return FShareImages; }
  void SetShareImages(bool Value) { FShareImages = Value; }

  // Changing the image size empties the list.
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  int Height() const { return FHeight; }
  void SetHeight(int Value);
  bool Masked() const { return FMasked; }
  void SetMasked(bool Value);
  int AllocBy() const { return FAllocBy; }
  void SetAllocBy(int Value) { FAllocBy = Value > 0 ? Value : 4; }
  // The colour under the images (clNone: drawn transparently with their masks).
  TColor BkColor() const { return FBkColor; }
  void SetBkColor(TColor Value);
  // The colour blended in by dsFocus and dsSelected (clNone: the background).
  TColor BlendColor() const { return FBlendColor; }
  void SetBlendColor(TColor Value);
  TDrawingStyle DrawingStyle() const { return FDrawingStyle; }
  void SetDrawingStyle(TDrawingStyle Value);
  TImageType ImageType() const { return FImageType; }
  void SetImageType(TImageType Value);

  int Count();
  // The index of the (first) image added, or -1 when the list refused it. A bitmap wider
  // than the image width adds one image per slice.
  int Add(TBitmap* Image, TBitmap* Mask);
  // Pixels of MaskColor become transparent; the bitmap itself is not changed.
  int AddMasked(TBitmap* Image, TColor MaskColor);
  int AddIcon(TIcon* Image);
  void Delete(int Index);
  void Clear();

  void Draw(TCanvas* Canvas, int X, int Y, int Index);
  // A picture of something disabled is drawn greyed.
  void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled);
  // Overlay is 0-based: 0 draws overlay image 1 of the list (see Overlay).
  void DrawOverlay(TCanvas* Canvas, int X, int Y, int ImageIndex, int Overlay);
  // Makes image ImageIndex the list's overlay image Overlay + 1 (Overlay 0..14).
  bool Overlay(int ImageIndex, int Overlay);

  TNotifyEvent OnChange;
  // Further listeners (the controls that show the list); the id removes one again.
  int RegisterChanges(TNotifyEvent Event);
  void UnRegisterChanges(int Id);

protected:
  void Change();

private:
  void FreeHandle();
  void DoDraw(TCanvas* Canvas, int X, int Y, int Index, UINT Extra);

  HIMAGELIST FHandle = nullptr;
  bool FShareImages = false;
  int FWidth = 16;
  int FHeight = 16;
  bool FMasked = true;
  int FAllocBy = 4;
  TColor FBkColor = clNone;
  TColor FBlendColor = clNone;
  TDrawingStyle FDrawingStyle = dsNormal;
  TImageType FImageType = itImage;
  std::map<int, TNotifyEvent> FChangeLinks;
  int FNextLink = 1;
};

class TImageList : public TCustomImageList {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  using TCustomImageList::TCustomImageList;
};

// A component's hold on an image list it shows (a list view's SmallImages, a menu's
// Images): Changed runs whenever the list changes or another list is set, and the holder
// lets go of a list that is freed by passing its Notification(…, opRemove) to Removed.
class TChangeLink {
public:
  TChangeLink(TComponent* Holder, std::function<void()> Changed)
      : FHolder(Holder), FChanged(std::move(Changed)) {}
  ~TChangeLink();
  TChangeLink(const TChangeLink&) = delete;
  TChangeLink& operator=(const TChangeLink&) = delete;

  TCustomImageList* List() const { return FList; }
  void SetList(TCustomImageList* Value);
  // The list's handle, nullptr without a list.
  HIMAGELIST Handle() const;
  // True (and the list dropped, Changed run) when AComponent is the list held.
  bool Removed(TComponent* AComponent);

private:
  TComponent* FHolder;
  std::function<void()> FChanged;
  TCustomImageList* FList = nullptr;
  int FId = 0;
};
