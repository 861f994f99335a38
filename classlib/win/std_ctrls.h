// The standard controls: label, button, edit, memo, check box, radio button, group box,
// combo box and list box; thin wrappers of the system's controls (the label paints itself).
#pragma once

#include <memory>
#include <string>

#include "classlib/core/strings.h"
#include "classlib/win/controls.h"

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
template <> const TTypeInfo* TypeInfoOf<TAlignment>();

class TLabel : public TGraphicControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TLabel(TComponent* AOwner);

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);

protected:
  void Paint() override;
  void TextChanged() override;
  void FontChanged() override;
  void AdjustBounds();

private:
  TAlignment FAlignment = taLeftJustify;
  bool FAutoSize = true;
  bool FTransparent = false;
  bool FWordWrap = false;
};

// Buttons: Default takes Enter, Cancel takes Esc on the form; ModalResult closes a modal form.
class TButtonControl : public TWinControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TButtonControl(TComponent* AOwner);
};

class TButton : public TButtonControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TButton(TComponent* AOwner);

  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  int ModalResult() const { return FModalResult; }
  void SetModalResult(int Value) { FModalResult = Value; }
  void Click() override;
  void WndProc(TMessage& Message) override;

protected:
  void CreateParams(TCreateParams& Params) override;

private:
  bool FDefault = false;
  bool FCancel = false;
  int FModalResult = 0;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
template <> const TTypeInfo* TypeInfoOf<TCheckBoxState>();

class TCheckBox : public TButtonControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TCheckBox(TComponent* AOwner);

  bool Checked() const { return State() == cbChecked; }
  void SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const;
  void SetState(TCheckBoxState Value);
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
  void WndProc(TMessage& Message) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void InitWnd() override;

private:
  TCheckBoxState FState = cbUnchecked;
  bool FAllowGrayed = false;
};

class TRadioButton : public TButtonControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TRadioButton(TComponent* AOwner);

  // Checking one unchecks the other radio buttons of the same parent.
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  void WndProc(TMessage& Message) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void InitWnd() override;

private:
  bool FChecked = false;
};

// A captioned frame around other controls. It paints itself (background, etched frame,
// caption): the system's group box leaves its inside unpainted, which shows whatever was
// on the screen before.
class TGroupBox : public TCustomControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TGroupBox(TComponent* AOwner);

protected:
  void CreateParams(TCreateParams& Params) override;
  void AdjustClientRect(TRect& Rect) override;
  void Paint() override;
  // The window keeps the text too: the caption is read back from it.
  void TextChanged() override {
    TCustomControl::TextChanged();
    Invalidate();
  }
};

class TCustomEdit : public TWinControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TCustomEdit(TComponent* AOwner);

  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value);
  // Shown in place of every character (masked input); #0 shows the text.
  char PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char Value);
  bool Modified() const;
  void SetModified(bool Value);
  void SelectAll();
  int SelStart() const;
  void SetSelStart(int Value);
  int SelLength() const;
  void SetSelLength(int Value);
  std::string SelText() const;
  void SetSelText(const std::string& Value);
  void Clear() { SetText(""); }
  void WndProc(TMessage& Message) override;

  TNotifyEvent OnChange;

protected:
  void CreateParams(TCreateParams& Params) override;
  void InitWnd() override;
  void TextChanged() override;
  virtual void Change();

private:
  bool FReadOnly = false;
  int FMaxLength = 0;
  char FPasswordChar = 0;
};

class TEdit : public TCustomEdit {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
};

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
template <> const TTypeInfo* TypeInfoOf<TScrollStyle>();

class TMemo : public TCustomEdit {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TMemo(TComponent* AOwner);
  ~TMemo() override;

  // The text's lines; changing them changes the control.
  TStrings* Lines() const;
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);

protected:
  void CreateParams(TCreateParams& Params) override;

private:
  class TMemoStrings;
  std::unique_ptr<TMemoStrings> FLines;
  TScrollStyle FScrollBars = ssNone;
  bool FWordWrap = true;
};

// csOwnerDrawFixed: a drop-down list whose entries the program paints (DrawItem), all of
// ItemHeight. A subclass may also add CBS_OWNERDRAWFIXED (and CBS_HASSTRINGS) to another
// style in CreateParams: the window's style decides, the same painting and heights apply.
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed };
template <> const TTypeInfo* TypeInfoOf<TComboBoxStyle>();

// The state of an owner-drawn entry: ODS_* flags (ODS_SELECTED, ODS_FOCUS, ODS_COMBOBOXEDIT).
using TOwnerDrawState = UINT;
using TDrawItemEvent = std::function<void(TObject* Control, int Index, const TRect& Rect, TOwnerDrawState State)>;

class TComboBox : public TWinControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TComboBox(TComponent* AOwner);
  ~TComboBox() override;

  TStrings* Items() const;
  int ItemIndex() const;
  void SetItemIndex(int Value);
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle Value);
  int DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int Value) { FDropDownCount = Value; }
  bool DroppedDown() const;
  void SetDroppedDown(bool Value);
  // The height of the entries of an owner-drawn combo box (and of its selection field).
  int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int Value);
  // The canvas an owner-drawn entry is painted on (valid during DrawItem).
  TCanvas* Canvas();
  void WndProc(TMessage& Message) override;

  TNotifyEvent OnChange;
  TNotifyEvent OnDropDown;
  // Paints an owner-drawn entry on Canvas instead of the default text.
  TDrawItemEvent OnDrawItem;

protected:
  void CreateParams(TCreateParams& Params) override;
  void InitWnd() override;
  void DestroyWnd() override;
  // An owner-drawn entry (Index -1: the empty selection field). The canvas has the
  // control's font and brush, the highlight colours for a selected entry (not for -1);
  // State is the window's ODS_* flags as given. By default OnDrawItem, else the entry's text.
  virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
  // An entry of Items is about to be removed (Delete or Clear): its object is still there.
  virtual void ItemDeleting(int Index) {}

private:
  class TComboStrings;
  friend class TComboStrings;
  static LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM);
  std::unique_ptr<TComboStrings> FItems;
  TComboBoxStyle FStyle = csDropDown;
  int FDropDownCount = 8;
  int FItemIndex = -1;
  int FItemHeight = 16;
  std::unique_ptr<TCanvas> FCanvas;
  HWND FEdit = nullptr;
  WNDPROC FEditProc = nullptr;
};

class TListBox : public TWinControl {
public:
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  explicit TListBox(TComponent* AOwner);
  ~TListBox() override;

  TStrings* Items() const;
  int ItemIndex() const;
  void SetItemIndex(int Value);
  bool MultiSelect() const { return FMultiSelect; }
  void SetMultiSelect(bool Value);
  bool Selected(int Index) const;
  void SetSelected(int Index, bool Value);
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  void WndProc(TMessage& Message) override;

protected:
  void CreateParams(TCreateParams& Params) override;
  void InitWnd() override;
  void DestroyWnd() override;
  // The lines changed (after the window, if any, shows them).
  virtual void ItemsChanged() {}

private:
  class TListBoxStrings;
  friend class TListBoxStrings;
  std::unique_ptr<TListBoxStrings> FItems;
  bool FMultiSelect = false;
  bool FSorted = false;
  int FItemIndex = -1;
};
