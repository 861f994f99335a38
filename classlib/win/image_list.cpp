#include "classlib/win/image_list.h"

#include "classlib/win/bitmap.h"
#include "classlib/win/icon.h"

template <>
const TTypeInfo* TypeInfoOf<TDrawingStyle>() {
  static const TTypeInfo Info = EnumTypeInfo("TDrawingStyle", {"dsFocus", "dsSelected", "dsNormal", "dsTransparent"});
  return &Info;
}

template <>
const TTypeInfo* TypeInfoOf<TImageType>() {
  static const TTypeInfo Info = EnumTypeInfo("TImageType", {"itImage", "itMask"});
  return &Info;
}

namespace {

// The colour arguments of ImageList_DrawEx.
COLORREF ListColor(TColor Color) {
  if (Color == clNone) return CLR_NONE;
  if (Color == clDefault) return CLR_DEFAULT;
  return static_cast<COLORREF>(ColorToRGB(Color)) & 0xFFFFFF;
}

}  // namespace

const TClassInfo* TCustomImageList::StaticClassInfo() {
  using C = TCustomImageList;
  static const TClassInfo Info = TClassBuilder<C, TComponent>("TCustomImageList")
                                     .Prop("AllocBy", &C::AllocBy, &C::SetAllocBy)
                                     .Prop("BkColor", &C::BkColor, &C::SetBkColor)
                                     .Prop("BlendColor", &C::BlendColor, &C::SetBlendColor)
                                     .Prop("DrawingStyle", &C::DrawingStyle, &C::SetDrawingStyle)
                                     .Prop("Height", &C::Height, &C::SetHeight)
                                     .Prop("ImageType", &C::ImageType, &C::SetImageType)
                                     .Prop("Masked", &C::Masked, &C::SetMasked)
                                     .Prop("ShareImages", &C::ShareImages, &C::SetShareImages)
                                     .Prop("Width", &C::Width, &C::SetWidth)
                                     .Prop("OnChange", &C::OnChange)
                                     .Build();
  return &Info;
}

const TClassInfo* TImageList::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TImageList, TCustomImageList>("TImageList").Build();
  return &Info;
}

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::~TCustomImageList() { FreeHandle(); }

void TCustomImageList::FreeHandle() {
  if (FHandle != nullptr && !FShareImages) ImageList_Destroy(FHandle);
  FHandle = nullptr;
}

void TCustomImageList::Change() {
  if (OnChange) OnChange(this);
  // A listener may unregister itself: walk a copy.
  auto Links = FChangeLinks;
  for (auto& [Id, Event] : Links)
    if (Event) Event(this);
}

int TCustomImageList::RegisterChanges(TNotifyEvent Event) {
  int Id = FNextLink++;
  FChangeLinks[Id] = std::move(Event);
  return Id;
}

void TCustomImageList::UnRegisterChanges(int Id) { FChangeLinks.erase(Id); }

HIMAGELIST TCustomImageList::Handle() {
  if (FHandle == nullptr) {
    FHandle = ImageList_Create(FWidth, FHeight, ILC_COLOR32 | (FMasked ? ILC_MASK : 0), FAllocBy, FAllocBy);
    if (FHandle == nullptr) throw EOutOfResources("Cannot create an image list");
    ImageList_SetBkColor(FHandle, ListColor(FBkColor));
  }
  return FHandle;
}

void TCustomImageList::SetHandle(HIMAGELIST Value) {
  if (Value == FHandle) return;
  FreeHandle();
  FHandle = Value;
  if (FHandle != nullptr) {
    int W = 0, H = 0;
    if (ImageList_GetIconSize(FHandle, &W, &H)) {
      FWidth = W;
      FHeight = H;
    }
    COLORREF Bk = ImageList_GetBkColor(FHandle);
    FBkColor = Bk == CLR_NONE ? clNone : TColor(Bk);
  }
  Change();
}

void TCustomImageList::SetWidth(int Value) {
  if (Value <= 0 || Value == FWidth) return;
  FWidth = Value;
  FreeHandle();
  Change();
}

void TCustomImageList::SetHeight(int Value) {
  if (Value <= 0 || Value == FHeight) return;
  FHeight = Value;
  FreeHandle();
  Change();
}

void TCustomImageList::SetMasked(bool Value) {
  if (Value == FMasked) return;
  FMasked = Value;
  FreeHandle();
  Change();
}

void TCustomImageList::SetBkColor(TColor Value) {
  if (Value == FBkColor) return;
  FBkColor = Value;
  if (FHandle != nullptr) ImageList_SetBkColor(FHandle, ListColor(Value));
  Change();
}

void TCustomImageList::SetBlendColor(TColor Value) {
  if (Value == FBlendColor) return;
  FBlendColor = Value;
  Change();
}

void TCustomImageList::SetDrawingStyle(TDrawingStyle Value) {
  if (Value == FDrawingStyle) return;
  FDrawingStyle = Value;
  Change();
}

void TCustomImageList::SetImageType(TImageType Value) {
  if (Value == FImageType) return;
  FImageType = Value;
  Change();
}

int TCustomImageList::Count() { return FHandle != nullptr ? ImageList_GetImageCount(FHandle) : 0; }

int TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) {
  if (Image == nullptr || Image->Empty()) return -1;
  int Index = ImageList_Add(Handle(), Image->Handle(), Mask != nullptr ? Mask->Handle() : nullptr);
  if (Index >= 0) Change();
  return Index;
}

int TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
  if (Image == nullptr || Image->Empty()) return -1;
  // The list blackens the masked pixels of the bitmap it is given: give it a copy.
  TBitmap Copy;
  Copy.Assign(Image);
  COLORREF Key = static_cast<COLORREF>(ColorToRGB(MaskColor)) & 0xFFFFFF;
  int Index = ImageList_AddMasked(Handle(), Copy.Handle(), Key);
  if (Index >= 0) Change();
  return Index;
}

int TCustomImageList::AddIcon(TIcon* Image) {
  if (Image == nullptr || Image->Empty()) return -1;
  int Index = ImageList_AddIcon(Handle(), Image->Handle());
  if (Index >= 0) Change();
  return Index;
}

void TCustomImageList::Delete(int Index) {
  if (FHandle == nullptr || Index < 0 || Index >= Count()) throw EInvalidOperation("Invalid image list index");
  ImageList_Remove(FHandle, Index);
  Change();
}

void TCustomImageList::Clear() {
  if (FHandle != nullptr) ImageList_Remove(FHandle, -1);
  Change();
}

void TCustomImageList::DoDraw(TCanvas* Canvas, int X, int Y, int Index, UINT Extra) {
  if (FHandle == nullptr || Index < 0 || Index >= Count()) return;
  static const UINT Styles[] = {ILD_FOCUS, ILD_SELECTED, ILD_NORMAL, ILD_TRANSPARENT};
  UINT Style = Styles[FDrawingStyle] | Extra;
  if (FImageType == itMask) Style |= ILD_MASK;
  ImageList_DrawEx(FHandle, Index, Canvas->Handle(), X, Y, 0, 0, ListColor(FBkColor), ListColor(FBlendColor), Style);
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index) { DoDraw(Canvas, X, Y, Index, 0); }

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) {
  if (Enabled) {
    DoDraw(Canvas, X, Y, Index, 0);
    return;
  }
  if (FHandle == nullptr || Index < 0 || Index >= Count()) return;
  // Greyed and embossed, as the system shows the picture of a control that is disabled.
  HICON Icon = ImageList_GetIcon(FHandle, Index, ILD_NORMAL);
  if (Icon == nullptr) return;
  DrawStateW(Canvas->Handle(), nullptr, nullptr, reinterpret_cast<LPARAM>(Icon), 0, X, Y, 0, 0,
             DST_ICON | DSS_DISABLED);
  DestroyIcon(Icon);
}

void TCustomImageList::DrawOverlay(TCanvas* Canvas, int X, int Y, int ImageIndex, int Overlay) {
  if (Overlay < 0 || Overlay > 14) {
    DoDraw(Canvas, X, Y, ImageIndex, 0);
    return;
  }
  DoDraw(Canvas, X, Y, ImageIndex, INDEXTOOVERLAYMASK(Overlay + 1));
}

bool TCustomImageList::Overlay(int ImageIndex, int Overlay) {
  if (Overlay < 0 || Overlay > 14 || FHandle == nullptr) return false;
  return ImageList_SetOverlayImage(FHandle, ImageIndex, Overlay + 1) != FALSE;
}

// ---------------------------------------------------------------------------------------

// A free-notification link left behind by a list given up is harmless (Removed ignores
// lists it does not hold) and goes when either side is freed.
TChangeLink::~TChangeLink() {
  if (FList != nullptr) FList->UnRegisterChanges(FId);
}

void TChangeLink::SetList(TCustomImageList* Value) {
  if (Value == FList) return;
  if (FList != nullptr) FList->UnRegisterChanges(FId);
  FList = Value;
  if (FList != nullptr) {
    FId = FList->RegisterChanges([this](TObject*) { FChanged(); });
    FList->FreeNotification(FHolder);
  }
  FChanged();
}

HIMAGELIST TChangeLink::Handle() const { return FList != nullptr ? FList->Handle() : nullptr; }

bool TChangeLink::Removed(TComponent* AComponent) {
  if (AComponent == nullptr || AComponent != FList) return false;
  // The list is being freed (its own parts may be gone already): only forget it.
  FList = nullptr;
  FChanged();
  return true;
}
