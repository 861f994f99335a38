// An owner-drawn drop-down list whose entries each carry an image, an overlay and an
// indentation level, so that a hierarchy (desktop, drives, folders) fits one combo box.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "classlib/win/image_list.h"
#include "classlib/win/std_ctrls.h"

class TPTCustomImageCombo;

// A combo box with its drop-down notifications as events and a hook per removed entry.
class TPTCustomCombobox : public TComboBox {
public:
  explicit TPTCustomCombobox(TComponent* AOwner);

  void WndProc(TMessage& Message) override;

  TNotifyEvent OnCloseUp;
  TNotifyEvent OnSelEndOk;
  TNotifyEvent OnSelEndCancel;
  // An entry is removed; aData is its object.
  std::function<void(TObject* aSender, TObject* aData)> OnDeleteItemData;

protected:
  virtual void DoDeleteItem(TObject* aData);
  virtual void CloseUp();
  virtual void SelEndOk();
  virtual void SelEndCancel();
  void ItemDeleting(int Index) override;
};

// One entry: owned by the combo, freed with its line of Items.
class TPTImageComboItem : public TObject {
public:
  explicit TPTImageComboItem(TPTCustomImageCombo* AOwner) : Owner(AOwner) {}

  int OverlayIndex() const { return FOverlayIndex; }
  // 0 draws overlay image 1, 1 overlay image 2; -1 none.
  void SetOverlayIndex(int Value);

  TPTCustomImageCombo* Owner;
  int Index = -1;  // line of Items when added
  int Indent = 0;
  int ImageIndex = -1;  // negative: no image
  std::string Caption;
  void* Data = nullptr;  // the owner's per-entry data

private:
  int FOverlayIndex = -1;
};

using TPTDeleteImageComboItemEvent = std::function<void(TObject* aSender, TPTImageComboItem* aItem)>;

class TPTCustomImageCombo : public TPTCustomCombobox {
public:
  explicit TPTCustomImageCombo(TComponent* AOwner);
  ~TPTCustomImageCombo() override;

  // A new entry at the end of Items (its line's string stays empty).
  virtual TPTImageComboItem* AddItem(const std::string& aCaption, int aImageIndex, int aIndent);
  TPTImageComboItem* ComboItem(int Index) const;

  TCustomImageList* Images() const { return FImages.List(); }
  void SetImages(TCustomImageList* Value);
  int IndentPixels() const { return FIndentPixels; }
  void SetIndentPixels(int Value);
  // The entry height follows the font and the images.
  bool AutoItemHeight() const { return FAutoItemHeight; }
  void SetAutoItemHeight(bool Value);

  void WndProc(TMessage& Message) override;

  TPTDeleteImageComboItemEvent OnDeleteItem;

protected:
  void CreateParams(TCreateParams& Params) override;
  void InitWnd() override;
  void FontChanged() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) override;
  void DoDeleteItem(TObject* aData) override;
  void UpdateItemHeight();

private:
  void ImagesChanged();
  TChangeLink FImages{this, [this] { ImagesChanged(); }};
  int FIndentPixels = 12;
  bool FAutoItemHeight = true;
};
