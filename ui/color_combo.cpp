#include "ui/color_combo.h"

#include <winspool.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "classlib/core/sys_utils.h"
#include "classlib/win/wide_string.h"

// ---------------------------------------------------------------------------------------
// TOwnerDrawComboBox

const TClassInfo* TOwnerDrawComboBox::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TOwnerDrawComboBox, TComboBox>("TOwnerDrawComboBox").Build();
  return &Info;
}

TOwnerDrawComboBox::TOwnerDrawComboBox(TComponent* AOwner) : TComboBox(AOwner) {
  SetStyle(csDropDownList);
}

TOwnerDrawComboBox::~TOwnerDrawComboBox() = default;

void TOwnerDrawComboBox::CreateParams(TCreateParams& P) {
  TComboBox::CreateParams(P);
  // The items keep their texts in the window too, so that the edit part and the
  // keyboard search of the list see them.
  P.Style |= CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
}

void TOwnerDrawComboBox::CreateWnd() {
  // The window asks for the height while it is made: the edit part and the closed box
  // take theirs from it.
  ResetItemHeight();
  TComboBox::CreateWnd();
}

void TOwnerDrawComboBox::FontChanged() {
  TComboBox::FontChanged();
  ResetItemHeight();
  // The edit part and the closed box take their height from the item height only when made.
  if (HandleAllocated() && !Loading()) RecreateWnd();
}

void TOwnerDrawComboBox::ResetItemHeight() { SetItemHeight(GetItemHeight()); }

int TOwnerDrawComboBox::GetItemHeight() {
  HDC DC = GetDC(nullptr);
  HGDIOBJ Old = SelectObject(DC, FontHandle(*Font()));
  TEXTMETRICW TM{};
  GetTextMetricsW(DC, &TM);
  SelectObject(DC, Old);
  ReleaseDC(nullptr, DC);
  return std::max<int>(TM.tmHeight + 1, 9);
}

int32_t TOwnerDrawComboBox::ItemData(int Index) const {
  return int32_t(reinterpret_cast<intptr_t>(Items()->Objects(Index)));
}

void TOwnerDrawComboBox::Click() { TComboBox::Click(); }

void TOwnerDrawComboBox::DrawItem(TCanvas* Canvas, int Index, const TRect& Rect, UINT) {
  Canvas->FillRect(Rect);
  Canvas->TextOut(Rect.Left + 2, Rect.Top, Items()->Strings(Index));
}

void TOwnerDrawComboBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
  TCanvas* C = Canvas();
  if (State & ODS_SELECTED) {
    C->Brush()->SetColor(clHighlight);
    C->Font()->SetColor(clHighlightText);
  } else if (!Enabled()) {
    C->Brush()->SetColor(clBtnFace);
  }
  // An empty box asks for item -1 (the edit part with nothing selected).
  if (Index >= 0) DrawItem(C, Index, Rect, State);
  else C->FillRect(Rect);
  if (State & ODS_FOCUS) {
    RECT R = Rect;
    DrawFocusRect(C->Handle(), &R);
  }
}

void TOwnerDrawComboBox::WndProc(TMessage& M) {
  switch (M.Msg) {
    case CN_COMMAND:
      switch (HIWORD(M.WParam)) {
        case CBN_SELCHANGE:
          Click();
          return;
        case CBN_EDITCHANGE:
          EditChange();
          return;
      }
      break;
  }
  TComboBox::WndProc(M);
}

// ---------------------------------------------------------------------------------------
// TColorComboBox

namespace {

const TColor ComboColors[TColorComboBox::ColorCount] = {
    clBlack, clMaroon, clGreen, clOlive, clNavy,   clPurple,  clTeal, clGray,
    clSilver, clRed,   clLime,  clYellow, clBlue, clFuchsia, clAqua, clWhite};

void* ColorObject(int32_t Value) { return reinterpret_cast<void*>(intptr_t(Value)); }

// The text of an editable box for a colour that is not listed: its name without "cl".
std::string UnlistedName(TColor Value) {
  std::string S = ColorToString(Value);
  if (S.size() >= 2 && (S[0] == 'c' || S[0] == 'C') && (S[1] == 'l' || S[1] == 'L')) S.erase(0, 2);
  return S;
}

}  // namespace

class TColorComboBox::TNameList : public TStringList {
public:
  explicit TNameList(TColorComboBox* Box) : FBox(Box) {}

protected:
  void Changed() override {
    TStringList::Changed();
    if (UpdateCount() == 0) FBox->ColorNamesChanged();
  }

private:
  TColorComboBox* FBox;
};

const TClassInfo* TColorComboBox::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TColorComboBox, TOwnerDrawComboBox>("TColorComboBox")
          .Prop("ColorValue", &TColorComboBox::ColorValue, &TColorComboBox::SetColorValue)
          .Prop("DisplayNames", &TColorComboBox::DisplayNames, &TColorComboBox::SetDisplayNames)
          .Prop("ColorNames", &TColorComboBox::ColorNames, &TColorComboBox::SetColorNames)
          .Build();
  return &Info;
}

TColorComboBox::TColorComboBox(TComponent* AOwner)
    : TOwnerDrawComboBox(AOwner), FColorNames(std::make_unique<TNameList>(this)) {
  PopulateList();
}

TColorComboBox::~TColorComboBox() = default;

TColor TColorComboBox::ListColor(int Index) { return ComboColors[Index]; }

TStrings* TColorComboBox::ColorNames() const { return FColorNames.get(); }

void TColorComboBox::SetColorNames(TStrings* Value) { FColorNames->Assign(Value); }

void TColorComboBox::SetDisplayNames(bool Value) {
  if (FDisplayNames == Value) return;
  FDisplayNames = Value;
  Invalidate();
}

void TColorComboBox::PopulateList() {
  TStrings* L = Items();
  L->BeginUpdate();
  L->Clear();
  for (int I = 0; I < ColorCount; ++I) {
    std::string Name;
    if (I < FColorNames->Count()) Name = FColorNames->Strings(I);
    if (Name.empty()) Name = ColorToString(ComboColors[I]).substr(2);
    L->AddObject(Name, static_cast<TObject*>(ColorObject(ComboColors[I])));
  }
  L->EndUpdate();
}

void TColorComboBox::CreateWnd() {
  TOwnerDrawComboBox::CreateWnd();
  // A window made anew (style or font change) shows the stored colour again.
  int I = IndexOfColor(FColorValue);
  if (I >= 0) SetItemIndex(I);
}

void TColorComboBox::ColorNamesChanged() {
  if (!HandleAllocated()) {
    PopulateList();
    return;
  }
  // Refilled in place: the stored colour is selected again (an unlisted one shown again).
  // Remaking the window instead would disturb the dialog around it, whose focus and
  // radio buttons see the destroyed and new windows.
  const TColor Keep = ColorValue();
  PopulateList();
  FColorValue = Keep;
  const int I = IndexOfColor(Keep);
  SetItemIndex(I);
  if (I < 0 && Style() != csDropDownList) SetText(UnlistedName(Keep));
}

int TColorComboBox::IndexOfColor(TColor Value) const {
  for (int I = 0; I < Items()->Count(); ++I)
    if (ItemData(I) == int32_t(Value)) return I;
  return -1;
}

TColor TColorComboBox::ColorValue() const {
  if (Style() != csDropDownList && ItemIndex() < 0) {
    std::string S = Text();
    int I = Items()->IndexOf(S);
    if (I >= 0) return TColor(ItemData(I));
    int V = 0;
    if (TryStrToInt(S, V)) return TColor(V);
  }
  return FColorValue;
}

void TColorComboBox::SetColorValue(TColor Value) {
  if (ItemIndex() >= 0 && Value == FColorValue) return;
  FColorValue = Value;
  int I = IndexOfColor(Value);
  if (I >= 0) {
    if (ItemIndex() != I) SetItemIndex(I);
    Change();
    return;
  }
  SetItemIndex(-1);
  if (Style() != csDropDownList) SetText(UnlistedName(Value));
  Change();
}

void TColorComboBox::Change() {
  if (!Loading() && OnChange) OnChange(this);
}

void TColorComboBox::Click() {
  int I = ItemIndex();
  if (I >= 0 && I < Items()->Count()) FColorValue = TColor(ItemData(I));
  TOwnerDrawComboBox::Click();
  Change();
}

void TColorComboBox::EditChange() {
  // ColorValue reads the typed text while nothing is selected.
  TColor V = ColorValue();
  if (V == FColorValue) return;
  FColorValue = V;
  Change();
}

void TColorComboBox::DrawItem(TCanvas* C, int Index, const TRect& Rect, UINT) {
  C->FillRect(Rect);
  TRect Swatch = FDisplayNames ? TRect(Rect.Left + 2, Rect.Top + 2, Rect.Left + 24, Rect.Bottom - 2)
                               : TRect(Rect.Left + 2, Rect.Top + 2, Rect.Right - 3, Rect.Bottom - 2);
  TColor Back = C->Brush()->Color();
  C->Pen()->SetColor(clBtnShadow);
  C->Rectangle(Swatch);
  C->Brush()->SetColor(TColor(ItemData(Index)));
  C->FillRect(TRect(Swatch.Left + 1, Swatch.Top + 1, Swatch.Right - 1, Swatch.Bottom - 1));
  C->Brush()->SetColor(Back);
  if (FDisplayNames) {
    RECT R{Rect.Left + 28, Rect.Top, Rect.Right, Rect.Bottom};
    std::wstring W = ToWide(Items()->Strings(Index));
    HDC DC = C->Handle();
    SetBkMode(DC, TRANSPARENT);
    DrawTextW(DC, W.c_str(), int(W.size()), &R, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
}

// ---------------------------------------------------------------------------------------
// TFontComboBox

template <> const TTypeInfo* TypeInfoOf<TFontListOption>() {
  static const TTypeInfo Info = EnumTypeInfo(
      "TFontListOption", {"foAnsiOnly", "foTrueTypeOnly", "foFixedPitchOnly", "foNoOEMFonts", "foOEMFontsOnly",
                          "foScalableOnly"});
  return &Info;
}

namespace {

// The marks beside the names, 20 x 12 on an olive key colour that is left out when drawn.
constexpr TColor MarkKey = clOlive;

std::unique_ptr<TBitmap> NewMark() {
  auto B = std::make_unique<TBitmap>();
  B->SetSize(20, 12);
  TCanvas* C = B->Canvas();
  C->Brush()->SetColor(MarkKey);
  C->FillRect(TRect(0, 0, 20, 12));
  B->SetTransparentColor(MarkKey);
  B->SetTransparent(true);
  return B;
}

// Two overlapping "T" letters, grey behind black.
std::unique_ptr<TBitmap> NewTrueTypeMark() {
  auto B = NewMark();
  TCanvas* C = B->Canvas();
  auto Tee = [C](int X, int Y, TColor Color) {
    C->Brush()->SetColor(Color);
    C->FillRect(TRect(X, Y, X + 9, Y + 2));
    C->FillRect(TRect(X + 3, Y, X + 6, Y + 9));
  };
  Tee(2, 1, clGray);
  Tee(8, 3, clBlack);
  return B;
}

// A small printer: paper over a body.
std::unique_ptr<TBitmap> NewDeviceMark() {
  auto B = NewMark();
  TCanvas* C = B->Canvas();
  C->Brush()->SetColor(clWhite);
  C->Pen()->SetColor(clBlack);
  C->Rectangle(6, 0, 14, 6);
  C->Brush()->SetColor(clGray);
  C->Rectangle(2, 5, 18, 11);
  return B;
}

struct TFontEnum {
  TStrings* List;
  TFontListOptions Options;
  std::vector<std::pair<std::string, int>>* Found;
};

int CALLBACK EnumFamily(const LOGFONTW* LF, const TEXTMETRICW*, DWORD Type, LPARAM Param) {
  auto* E = reinterpret_cast<TFontEnum*>(Param);
  std::string Name = FromWide(LF->lfFaceName);
  auto Same = [&](const std::pair<std::string, int>& P) { return P.first == Name; };
  if (std::any_of(E->Found->begin(), E->Found->end(), Same)) return 1;
  if (!TFontComboBox::PassesOptions(E->Options, LF->lfCharSet, int(Type), LF->lfPitchAndFamily)) return 1;
  E->Found->emplace_back(Name, int(Type));
  return 1;
}

// The default printer's context; nullptr when there is none.
HDC DefaultPrinterDC() {
  DWORD Size = 0;
  GetDefaultPrinterW(nullptr, &Size);
  if (Size == 0) return nullptr;
  std::wstring Name(Size, L'\0');
  if (!GetDefaultPrinterW(Name.data(), &Size)) return nullptr;
  Name.resize(wcslen(Name.c_str()));
  return CreateDCW(L"WINSPOOL", Name.c_str(), nullptr, nullptr);
}

}  // namespace

const TClassInfo* TFontComboBox::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TFontComboBox, TOwnerDrawComboBox>("TFontComboBox")
          .Prop("Device", &TFontComboBox::Device, &TFontComboBox::SetDevice)
          .Prop("FontName", &TFontComboBox::FontName, &TFontComboBox::SetFontName)
          .Prop("Options", &TFontComboBox::Options, &TFontComboBox::SetOptions)
          .Prop("TrueTypeOnly", &TFontComboBox::TrueTypeOnly, &TFontComboBox::SetTrueTypeOnly)
          .Build();
  return &Info;
}

TFontComboBox::TFontComboBox(TComponent* AOwner)
    : TOwnerDrawComboBox(AOwner), FTrueTypeBmp(NewTrueTypeMark()), FDeviceBmp(NewDeviceMark()) {
  ResetItemHeight();
}

TFontComboBox::~TFontComboBox() = default;

bool TFontComboBox::PassesOptions(TFontListOptions O, int CharSet, int FontType, int Pitch) {
  bool Valid = true;
  if (O.Contains(foAnsiOnly)) Valid = CharSet == ANSI_CHARSET;
  if (O.Contains(foTrueTypeOnly)) Valid = Valid && (FontType & TRUETYPE_FONTTYPE) != 0;
  if (O.Contains(foFixedPitchOnly)) Valid = Valid && (Pitch & FIXED_PITCH) != 0;
  if (O.Contains(foOEMFontsOnly)) Valid = Valid && CharSet == OEM_CHARSET;
  if (O.Contains(foNoOEMFonts)) Valid = Valid && CharSet < 255;
  if (O.Contains(foScalableOnly)) Valid = Valid && (FontType & RASTER_FONTTYPE) == 0;
  return Valid;
}

void TFontComboBox::PopulateList() {
  if (!HandleAllocated()) return;
  std::vector<std::pair<std::string, int>> Found;
  TFontEnum E{Items(), FOptions, &Found};
  if (FDevice == fdScreen || FDevice == fdBoth) {
    HDC DC = GetDC(nullptr);
    EnumFontFamiliesW(DC, nullptr, EnumFamily, reinterpret_cast<LPARAM>(&E));
    ReleaseDC(nullptr, DC);
  }
  if (FDevice == fdPrinter || FDevice == fdBoth) {
    if (HDC DC = DefaultPrinterDC()) {
      EnumFontFamiliesW(DC, nullptr, EnumFamily, reinterpret_cast<LPARAM>(&E));
      DeleteDC(DC);
    }
  }
  // A sorted list, in the order the list's own lookups use.
  std::stable_sort(Found.begin(), Found.end(),
                   [](const auto& A, const auto& B) { return AnsiCompareText(A.first, B.first) < 0; });
  TStrings* L = Items();
  L->BeginUpdate();
  L->Clear();
  for (const auto& [Name, Type] : Found) L->AddObject(Name, static_cast<TObject*>(ColorObject(Type)));
  L->EndUpdate();
}

int TFontComboBox::GetItemHeight() {
  return std::max(TOwnerDrawComboBox::GetItemHeight(), FTrueTypeBmp ? FTrueTypeBmp->Height() - 1 : 0);
}

void TFontComboBox::CreateWnd() {
  std::string Old = FontName();
  TOwnerDrawComboBox::CreateWnd();
  PopulateList();
  SetItemIndex(-1);
  SetText("");
  FUpdating = true;
  SetFontName(Old);
  FUpdating = false;
  if (!AnsiSameText(Old, FontName())) Change();
}

void TFontComboBox::Reset() {
  if (!HandleAllocated()) return;
  FUpdating = true;
  std::string Old = FontName();
  PopulateList();
  SetItemIndex(-1);
  SetText("");
  SetFontName(Old);
  FUpdating = false;
  if (Old != FontName()) Change();
}

void TFontComboBox::SetDevice(TFontDevice Value) {
  if (FDevice == Value) return;
  FDevice = Value;
  Reset();
}

void TFontComboBox::SetOptions(TFontListOptions Value) {
  if (FOptions == Value) return;
  FOptions = Value;
  Reset();
}

void TFontComboBox::SetTrueTypeOnly(bool Value) {
  TFontListOptions O = FOptions;
  if (Value) O << foTrueTypeOnly;
  else O >> foTrueTypeOnly;
  SetOptions(O);
}

void TFontComboBox::SelectName(const std::string& Name) {
  for (int I = 0; I < Items()->Count(); ++I)
    if (AnsiSameText(Items()->Strings(I), Name)) {
      if (ItemIndex() != I) SetItemIndex(I);
      return;
    }
}

void TFontComboBox::SetFontName(const std::string& Value) {
  if (Value == FontName()) return;
  if (Loading()) {
    SetText(Value);
    return;
  }
  // The list exists only with the window; without a parent there is none yet.
  if (Parent() != nullptr) HandleNeeded();
  for (int I = 0; I < Items()->Count(); ++I)
    if (AnsiSameText(Items()->Strings(I), Value)) {
      SetItemIndex(I);
      Change();
      return;
    }
  if (Style() != csDropDownList) SetText(Value);
  else SetItemIndex(-1);
  Change();
}

void TFontComboBox::Change() {
  if (!Loading() && !FUpdating && OnChange) OnChange(this);
}

void TFontComboBox::Click() {
  TOwnerDrawComboBox::Click();
  Change();
}

void TFontComboBox::EditChange() {
  SelectName(Text());
  Change();
}

void TFontComboBox::WndProc(TMessage& M) {
  if (M.Msg == WM_FONTCHANGE) {
    TOwnerDrawComboBox::WndProc(M);
    Reset();
    return;
  }
  TOwnerDrawComboBox::WndProc(M);
}

void TFontComboBox::DrawItem(TCanvas* C, int Index, const TRect& Rect, UINT) {
  C->FillRect(Rect);
  int Type = ItemData(Index);
  TBitmap* Mark = (Type & TRUETYPE_FONTTYPE) ? FTrueTypeBmp.get() : (Type & DEVICE_FONTTYPE) ? FDeviceBmp.get() : nullptr;
  int MarkWidth = 20;
  if (Mark != nullptr) {
    C->Draw(Rect.Left + 2, (Rect.Top + Rect.Bottom - Mark->Height()) / 2, Mark);
    MarkWidth = Mark->Width();
  }
  RECT R{Rect.Left + MarkWidth + 6, Rect.Top, Rect.Right, Rect.Bottom};
  std::wstring W = ToWide(Items()->Strings(Index));
  HDC DC = C->Handle();
  SetBkMode(DC, TRANSPARENT);
  DrawTextW(DC, W.c_str(), int(W.size()), &R, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void RegisterColorCombos() {
  static bool Done = false;
  if (Done) return;
  Done = true;
  RegisterClasses<TOwnerDrawComboBox, TColorComboBox, TFontComboBox>();
}
